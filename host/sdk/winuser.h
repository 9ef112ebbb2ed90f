#pragma once
// The platform's window calls, as far as plug-ins use them: dialogs from templates (modeless
// pages and modal boxes), messages to a dialog's procedure, window geometry, the screen size and
// the shell's open command. In the headless host windows are records without pixels on a screen
// (host/headless/window_model.h); a modal dialog runs by messages that a test or program sends.

#include "host/sdk/windefs.h"

using DLGPROC = INT_PTR (*)(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

struct POINT {
  LONG x = 0;
  LONG y = 0;
};

struct RECT {
  LONG left = 0;
  LONG top = 0;
  LONG right = 0;
  LONG bottom = 0;
};

// More window messages (windefs.h has WM_DESTROY, WM_INITDIALOG and WM_COMMAND).
inline constexpr UINT WM_PAINT = 0x000F;
inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_MOUSEMOVE = 0x0200;
inline constexpr UINT WM_LBUTTONDOWN = 0x0201;
inline constexpr UINT WM_LBUTTONUP = 0x0202;
inline constexpr UINT WM_RBUTTONDOWN = 0x0204;
inline constexpr UINT WM_RBUTTONUP = 0x0205;

// Notification code of a button click (high word of WM_COMMAND's wParam).
inline constexpr WORD BN_CLICKED = 0;

inline constexpr WPARAM MAKEWPARAM(WORD low, WORD high) {
  return static_cast<WPARAM>(static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16));
}
inline constexpr LPARAM MAKELPARAM(WORD low, WORD high) {
  return static_cast<LPARAM>(static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16));
}
// Mouse positions in lParam are signed 16-bit client coordinates.
inline constexpr int GET_X_LPARAM(LPARAM lp) { return static_cast<short>(LOWORD(static_cast<UINT_PTR>(lp))); }
inline constexpr int GET_Y_LPARAM(LPARAM lp) { return static_cast<short>(HIWORD(static_cast<UINT_PTR>(lp))); }

// Window data slots (GetWindowLongPtrW).
inline constexpr int GWLP_USERDATA = -21;
inline constexpr int DWLP_MSGRESULT = 0;

// SetWindowPos flags.
inline constexpr UINT SWP_NOSIZE = 0x0001;
inline constexpr UINT SWP_NOMOVE = 0x0002;
inline constexpr UINT SWP_NOZORDER = 0x0004;
inline constexpr UINT SWP_NOACTIVATE = 0x0010;

// GetSystemMetrics: the primary screen's size in pixels.
inline constexpr int SM_CXSCREEN = 0;
inline constexpr int SM_CYSCREEN = 1;

// Show states (ShellExecuteW).
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_SHOWMAXIMIZED = 3;

// A modeless dialog of template `name` of module `instance`, a child of (or owned by) parent;
// proc hears WM_INITDIALOG with param before the call returns. Null when the template is missing.
HWND CreateDialogParamW(HINSTANCE instance, const wchar_t* name, HWND parent, DLGPROC proc, LPARAM param);
// A modal dialog: runs until its procedure calls EndDialog and answers the value passed there;
// -1 when the template is missing.
INT_PTR DialogBoxParamW(HINSTANCE instance, const wchar_t* name, HWND parent, DLGPROC proc, LPARAM param);
BOOL EndDialog(HWND dialog, INT_PTR result);
// The window's procedure hears WM_DESTROY, then the window and its controls are gone.
BOOL DestroyWindow(HWND window);
BOOL IsWindow(HWND window);

// Calls the window's procedure and answers its result (a control without one answers 0).
LRESULT SendMessageW(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

HWND GetDlgItem(HWND dialog, int control);
int GetDlgCtrlID(HWND control);
HWND GetParent(HWND window);
LONG_PTR GetWindowLongPtrW(HWND window, int index);
LONG_PTR SetWindowLongPtrW(HWND window, int index, LONG_PTR value);

// The window's outer rectangle in screen pixels; its client area (origin 0, 0).
BOOL GetWindowRect(HWND window, RECT* rect);
BOOL GetClientRect(HWND window, RECT* rect);
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
// Dialog units of the window's template font to pixels, in place.
BOOL MapDialogRect(HWND dialog, RECT* rect);
BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase);

int GetSystemMetrics(int index);

// Opens file (a document, a web address, a mail address) with the desktop; a result above 32
// means success.
HINSTANCE ShellExecuteW(HWND owner, const wchar_t* operation, const wchar_t* file, const wchar_t* parameters,
                        const wchar_t* directory, int showCommand);
