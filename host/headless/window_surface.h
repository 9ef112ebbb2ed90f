#pragma once
// The picture of a window's client area: what its painting drew, in 32-bit pixels. A window's
// picture starts as the dialog face colour when it is first painted or read.

#include <cstdint>
#include <string>

#include "host/sdk/wingdi.h"
#include "host/sdk/winuser.h"

// The dialog face colour a new picture is filled with (0x00RRGGBB).
inline constexpr std::uint32_t kDialogFaceColor = 0x00F0F0F0;

// The pixel at client (x, y) as 0x00RRGGBB; 0 outside the client area or for no window.
std::uint32_t WindowPixel(HWND window, int x, int y);
// Writes the picture as a PNG file of the client area's size; false with *why set on failure.
bool SaveWindowPicture(HWND window, const std::string& path, std::string* why);

// Paint bookkeeping, for tests: fonts alive, and paints that ended with a created font still
// selected into their device context.
// The description of the last font created, too.
struct PaintRecord {
  int paints = 0;
  int liveFonts = 0;
  int endedWithForeignFont = 0;
  LOGFONTW lastFont;
};
const PaintRecord& ThePaintRecord();
