// The import's file choice: the host's open-file dialog, owned by the main window.

#include <string>
#include <vector>

#include "deformer/skin_services.h"
#include "host/sdk/commdlg.h"
#include "host/sdk/interface.h"
#include "module/resources/text_conversion.h"
#include "persistence/import/exchange_import.h"

namespace {

constexpr DWORD kPathRoom = 2048;  // characters, the terminating zero included

// Description and pattern pairs, each zero-terminated; the literal's own zero ends the list.
constexpr wchar_t kFilters[] = L"Tessarin MAX files (*.tsm)\0*.tsm\0All Files\0*.*\0";
constexpr wchar_t kDialogTitle[] = L"Select tsm import file";

}  // namespace

bool importExchangeFile(Tessarin& skin) {
  Interface* ip = GetCOREInterface();
  std::vector<wchar_t> path(kPathRoom, L'\0');
  OPENFILENAMEW ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = ip ? ip->GetMAXHWnd() : nullptr;
  ofn.lpstrFilter = kFilters;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = path.data();
  ofn.nMaxFile = kPathRoom;
  ofn.lpstrTitle = kDialogTitle;
  ofn.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
  // Cancelled: nothing to do and nothing to say.
  if (!GetOpenFileNameW(&ofn) || path[0] == L'\0') return false;
  return importFromPath(skin, WideToUtf8(path.data()));
}

void InstallExchangeImport() {
  GetSkinServices().importExchangeFile = [](Tessarin& skin) { return importExchangeFile(skin); };
}
