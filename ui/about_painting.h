#pragma once
// Paints the About box: the module's picture (RCDATA 16, PNG) at (0, 0) in its own size, then
// the two text blocks in white bold message font on a transparent background.

#include "host/sdk/wingdi.h"

// The text rectangles, client pixels.
inline constexpr RECT kAboutHeadlineRect{24, 127, 640, 360};
inline constexpr RECT kAboutContactRect{24, 310, 640, 330};
inline constexpr COLORREF kAboutTextColor = 0x00FFFFFF;

// Draws the picture on dc; false when the resource is missing or cannot be decoded (nothing drawn).
bool DrawAboutPicture(HDC dc);
// Paints the whole box in answer to WM_PAINT.
void PaintAboutBox(HWND dialog);
