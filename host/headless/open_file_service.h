#pragma once
// The headless host's open-file dialog (GetOpenFileNameW): every request is recorded as the
// plug-in made it, and a provider chooses the file. Without a provider every dialog is
// cancelled. Tests and the command line set the provider.

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/sdk/commdlg.h"

struct OpenFileRequest {
  HWND owner = nullptr;
  // (description, pattern) pairs, in the order the plug-in listed them.
  std::vector<std::pair<std::wstring, std::wstring>> filters;
  DWORD filterIndex = 0;
  DWORD maxFile = 0;  // room for the path, in characters
  DWORD flags = 0;
  std::wstring initialFile;  // what lpstrFile held on entry
  bool hasTitle = false;
  std::wstring title;
  bool hasInitialDir = false;
  std::wstring initialDir;
  bool hasDefaultExt = false;
  std::wstring defaultExt;
};

class OpenFileService {
public:
  // The chosen path, or nothing for a cancelled dialog.
  using Provider = std::function<std::optional<std::wstring>(const OpenFileRequest&)>;

  // Records the request and asks the provider; the result is what the dialog returns.
  std::optional<std::wstring> Choose(const OpenFileRequest& request);

  void SetProvider(Provider provider) { provider_ = std::move(provider); }
  const std::vector<OpenFileRequest>& Requests() const { return requests_; }
  // Forgets the requests and the provider.
  void Reset();

private:
  Provider provider_;
  std::vector<OpenFileRequest> requests_;
};

OpenFileService& TheOpenFileService();

// The filter list of an OPENFILENAMEW (pairs of zero-terminated texts, ended by an empty text).
std::vector<std::pair<std::wstring, std::wstring>> SplitFilterList(const wchar_t* filter);
