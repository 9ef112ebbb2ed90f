#pragma once
// The headless host's shell-open command (ShellExecuteW): every request is recorded as the
// plug-in made it, and an opener, when one is set, carries it out. Without an opener a request
// counts as handed over. The command line can hand requests to the desktop's opener.

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "host/sdk/winuser.h"

struct ShellRequest {
  HWND owner = nullptr;
  bool hasOperation = false;  // null operation: the default verb
  std::wstring operation;
  std::wstring file;
  bool hasParameters = false;
  std::wstring parameters;
  bool hasDirectory = false;
  std::wstring directory;
  int showCommand = 0;
};

class ShellService {
public:
  // True when the request was carried out.
  using Opener = std::function<bool(const ShellRequest&)>;

  bool Open(const ShellRequest& request);
  void SetOpener(Opener opener) { opener_ = std::move(opener); }
  const std::vector<ShellRequest>& Requests() const { return requests_; }
  // Forgets the requests and the opener.
  void Reset();

private:
  Opener opener_;
  std::vector<ShellRequest> requests_;
};

ShellService& TheShellService();

// An opener that runs the desktop's opener program (xdg-open) on the request's file, without a
// shell between (the program hands the file on and exits); false when it cannot be started, fails,
// or the request is not for the default or "open" verb.
bool OpenWithDesktop(const ShellRequest& request);
