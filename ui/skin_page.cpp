#include "ui/skin_page.h"

#include <string>

#include "deformer/skin_services.h"
#include "deformer/tessarin.h"
#include "host/sdk/winresources.h"
#include "module/resources/resource_ids.h"
#include "module/resources/string_table.h"
#include "module/resources/text_conversion.h"
#include "ui/about_box.h"
#include "ui/about_texts.h"

namespace {

Tessarin* g_pageSkin = nullptr;

// The page passes these to the About box, which keeps them without using them.
constexpr LPARAM kAboutFirst = -1;
constexpr LPARAM kAboutSecond = -1;

// A launch that fails is not reported.
void OpenHelp(HWND page) {
  const std::wstring target = Utf8ToWide(HelpTarget());
  ShellExecuteW(page, nullptr, target.c_str(), nullptr, nullptr, SW_SHOWMAXIMIZED);
}

void RunImport() {
  if (!g_pageSkin) return;
  if (auto import = GetSkinServices().importExchangeFile) import(*g_pageSkin);
}

}  // namespace

Tessarin* SkinOfPage() { return g_pageSkin; }

INT_PTR TessarinPageDlgProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      g_pageSkin = reinterpret_cast<Tessarin*>(lParam);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_HELP_BUTTON:
          OpenHelp(page);
          break;
        case IDC_IMPORT_TSM:
          RunImport();
          break;
        case IDC_ABOUT_BUTTON:
          OpenAboutBox(page, IDD_ABOUT, kAboutFirst, kAboutSecond, nullptr);
          break;
        default:
          break;
      }
      return TRUE;
    default:
      return FALSE;
  }
}

void BeginSkinPage(Tessarin& skin, IObjParam* ip) {
  if (!ip) return;
  skin.pagePanel = ip->AddRollupPage(GetModuleInstance(), MAKEINTRESOURCEW(IDD_TESSARIN_PANEL), &TessarinPageDlgProc,
                                     kSkinPageTitle, reinterpret_cast<LPARAM>(&skin), 0, kSkinPageCategory);
}

void EndSkinPage(Tessarin& skin, IObjParam* ip) {
  if (!skin.pagePanel || !ip) return;
  ip->DeleteRollupPage(skin.pagePanel);
  skin.pagePanel = nullptr;
}
