#pragma once
// The platform's drawing calls that plug-ins use to paint a dialog: a device context from
// BeginPaint, fonts, text colour and background mode, text in a rectangle. The headless host
// draws into the window's picture (host/headless/window_surface.h).

#include "host/sdk/winuser.h"

struct HDC__;
struct HGDIOBJ__;
using HDC = HDC__*;
using HGDIOBJ = HGDIOBJ__*;
using HFONT = HGDIOBJ;
using COLORREF = DWORD;  // 0x00BBGGRR

inline constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
  return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) | (static_cast<COLORREF>(b) << 16);
}

struct PAINTSTRUCT {
  HDC hdc = nullptr;
  BOOL fErase = FALSE;
  RECT rcPaint;
};

HDC BeginPaint(HWND window, PAINTSTRUCT* paint);
BOOL EndPaint(HWND window, const PAINTSTRUCT* paint);

inline constexpr int LF_FACESIZE = 32;
inline constexpr LONG FW_NORMAL = 400;
inline constexpr LONG FW_BOLD = 700;

struct LOGFONTW {
  LONG lfHeight = 0;  // negative: character height in pixels
  LONG lfWidth = 0;
  LONG lfEscapement = 0;
  LONG lfOrientation = 0;
  LONG lfWeight = FW_NORMAL;
  BYTE lfItalic = 0;
  BYTE lfUnderline = 0;
  BYTE lfStrikeOut = 0;
  BYTE lfCharSet = 0;
  BYTE lfOutPrecision = 0;
  BYTE lfClipPrecision = 0;
  BYTE lfQuality = 0;
  BYTE lfPitchAndFamily = 0;
  wchar_t lfFaceName[LF_FACESIZE] = {};
};

// The parts of the non-client metrics plug-ins read: the message-box font. Zero-initialised here;
// as on the platform, the caller sets cbSize and SystemParametersInfoW refuses any other size.
struct NONCLIENTMETRICSW {
  UINT cbSize = 0;
  int iBorderWidth = 0;
  int iCaptionHeight = 0;
  LOGFONTW lfCaptionFont;
  LOGFONTW lfMenuFont;
  LOGFONTW lfStatusFont;
  LOGFONTW lfMessageFont;
};

inline constexpr UINT SPI_GETNONCLIENTMETRICS = 0x0029;
BOOL SystemParametersInfoW(UINT action, UINT param, void* data, UINT winIni);

HFONT CreateFontIndirectW(const LOGFONTW* font);
// Makes obj the context's current object of its kind and answers the previous one.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ obj);
BOOL DeleteObject(HGDIOBJ obj);

inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;
COLORREF SetTextColor(HDC dc, COLORREF color);
int SetBkMode(HDC dc, int mode);

// DrawTextW formats.
inline constexpr UINT DT_TOP = 0x0000;
inline constexpr UINT DT_LEFT = 0x0000;
inline constexpr UINT DT_SINGLELINE = 0x0020;
inline constexpr UINT DT_NOCLIP = 0x0100;
// Draws text (count characters, or to its end for -1) in rect with the current font and colour,
// a line per line break; answers the height of the text drawn.
int DrawTextW(HDC dc, const wchar_t* text, int count, RECT* rect, UINT format);
