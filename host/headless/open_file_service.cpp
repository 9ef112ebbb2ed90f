#include "host/headless/open_file_service.h"

#include <algorithm>
#include <cwchar>

std::optional<std::wstring> OpenFileService::Choose(const OpenFileRequest& request) {
  requests_.push_back(request);
  if (!provider_) return std::nullopt;
  return provider_(request);
}

void OpenFileService::Reset() {
  provider_ = nullptr;
  requests_.clear();
}

OpenFileService& TheOpenFileService() {
  static OpenFileService service;
  return service;
}

std::vector<std::pair<std::wstring, std::wstring>> SplitFilterList(const wchar_t* filter) {
  std::vector<std::pair<std::wstring, std::wstring>> pairs;
  if (!filter) return pairs;
  // A description without its pattern ends the list as well.
  while (*filter) {
    std::wstring description(filter);
    filter += description.size() + 1;
    if (!*filter) break;
    std::wstring pattern(filter);
    filter += pattern.size() + 1;
    pairs.emplace_back(std::move(description), std::move(pattern));
  }
  return pairs;
}

BOOL GetOpenFileNameW(LPOPENFILENAMEW ofn) {
  if (!ofn || ofn->lStructSize != sizeof(OPENFILENAMEW) || !ofn->lpstrFile || ofn->nMaxFile == 0) return FALSE;
  OpenFileRequest request;
  request.owner = ofn->hwndOwner;
  request.filters = SplitFilterList(ofn->lpstrFilter);
  request.filterIndex = ofn->nFilterIndex;
  request.maxFile = ofn->nMaxFile;
  request.flags = ofn->Flags;
  request.initialFile.assign(ofn->lpstrFile, std::wcslen(ofn->lpstrFile));
  request.hasTitle = ofn->lpstrTitle != nullptr;
  if (ofn->lpstrTitle) request.title = ofn->lpstrTitle;
  request.hasInitialDir = ofn->lpstrInitialDir != nullptr;
  if (ofn->lpstrInitialDir) request.initialDir = ofn->lpstrInitialDir;
  request.hasDefaultExt = ofn->lpstrDefExt != nullptr;
  if (ofn->lpstrDefExt) request.defaultExt = ofn->lpstrDefExt;

  std::optional<std::wstring> chosen = TheOpenFileService().Choose(request);
  if (!chosen || chosen->empty()) return FALSE;
  // The path and its terminating zero must fit the caller's buffer.
  if (chosen->size() + 1 > ofn->nMaxFile) return FALSE;
  std::copy(chosen->begin(), chosen->end(), ofn->lpstrFile);
  ofn->lpstrFile[chosen->size()] = L'\0';
  const std::size_t slash = chosen->find_last_of(L"/\\");
  const std::size_t nameStart = slash == std::wstring::npos ? 0 : slash + 1;
  const std::size_t dot = chosen->find_last_of(L'.');
  ofn->nFileOffset = static_cast<WORD>(std::min<std::size_t>(nameStart, 0xFFFF));
  ofn->nFileExtension =
      static_cast<WORD>(dot == std::wstring::npos || dot < nameStart ? 0 : std::min<std::size_t>(dot + 1, 0xFFFF));
  return TRUE;
}
