#include "ui/about_box.h"

#include "host/sdk/cursors.h"
#include "host/sdk/winresources.h"
#include "module/resources/string_table.h"
#include "ui/about_painting.h"
#include "ui/about_regions.h"

namespace {

AboutBoxState g_state;

POINT PositionOf(LPARAM lParam) { return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

void CentreOnScreen(HWND dialog) {
  RECT r;
  if (!GetWindowRect(dialog, &r)) return;
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  SetWindowPos(dialog, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void OnMouseMove(POINT p) {
  g_state.lastMouse = p;
  const bool overLink = g_state.linkCursor && AboutLinkAt(p.x, p.y).has_value();
  SetCursor(overLink ? g_state.linkCursor : g_state.arrowCursor);
}

// A launch that fails is not reported.
void OnPress(HWND dialog, POINT p) {
  g_state.lastMouse = p;
  if (std::optional<int> link = AboutLinkAt(p.x, p.y))
    ShellExecuteW(dialog, nullptr, kAboutLinks[static_cast<std::size_t>(*link)].address, nullptr, nullptr,
                  SW_SHOWMAXIMIZED);
}

}  // namespace

const AboutBoxState& TheAboutBoxState() { return g_state; }

INT_PTR AboutDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      CentreOnScreen(dialog);
      return TRUE;
    case WM_PAINT:
      PaintAboutBox(dialog);
      return TRUE;
    case WM_MOUSEMOVE:
      OnMouseMove(PositionOf(lParam));
      return TRUE;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      OnPress(dialog, PositionOf(lParam));
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        SetCursor(g_state.arrowCursor);
        EndDialog(dialog, 0);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

// The platform runs the box inside the module's activation context so that its manifest picks
// the controls' version; the headless window model has a single version and no such context.
void OpenAboutBox(HWND parent, int templateId, LPARAM first, LPARAM second, HCURSOR linkCursor) {
  if (templateId < 0) return;
  if (!g_state.arrowLoaded) {
    g_state.arrowCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(IDC_ARROW_ID));
    g_state.arrowLoaded = true;
  }
  g_state.first = first;
  g_state.second = second;
  g_state.linkCursor = linkCursor;
  DialogBoxParamW(GetModuleInstance(), MAKEINTRESOURCEW(templateId), parent, &AboutDlgProc, 0);
}
