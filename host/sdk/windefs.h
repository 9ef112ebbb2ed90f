#pragma once
// The few platform types and constants of the host's SDK surface, as the plug-in sees them.
// Windows handles are opaque pointers here; the headless host gives them meaning.

#include <cstdint>

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using ULONG = std::uint32_t;
using LONG = std::int32_t;
using INT_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using LONG_PTR = std::intptr_t;
using WPARAM = UINT_PTR;
using LPARAM = LONG_PTR;
using LRESULT = LONG_PTR;
using ULONG_PTR = std::uintptr_t;
using MCHAR = wchar_t;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

struct HWND__;
struct HINSTANCE__;
struct HCURSOR__;
struct HACCEL__;
using HWND = HWND__*;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE__*;
using HCURSOR = HCURSOR__*;
using HACCEL = HACCEL__*;

// Message-box styles and results.
inline constexpr UINT MB_OK = 0x0;
inline constexpr UINT MB_OKCANCEL = 0x1;
inline constexpr UINT MB_YESNO = 0x4;
inline constexpr UINT MB_ICONERROR = 0x10;
inline constexpr UINT MB_ICONQUESTION = 0x20;
inline constexpr UINT MB_ICONEXCLAMATION = 0x30;
inline constexpr UINT MB_ICONINFORMATION = 0x40;
inline constexpr UINT MB_TASKMODAL = 0x2000;
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// Window messages a dialog procedure handles, and the halves of a message parameter.
inline constexpr UINT WM_DESTROY = 0x0002;
inline constexpr UINT WM_INITDIALOG = 0x0110;
inline constexpr UINT WM_COMMAND = 0x0111;
inline constexpr WORD LOWORD(UINT_PTR v) { return static_cast<WORD>(v & 0xFFFF); }
inline constexpr WORD HIWORD(UINT_PTR v) { return static_cast<WORD>((v >> 16) & 0xFFFF); }

// Shows a message box through the host's message service; returns the button pressed.
int MessageBoxW(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);
// Brings a window to the foreground (recorded by the headless host).
BOOL SetForegroundWindow(HWND window);
