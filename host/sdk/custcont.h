#pragma once
// Messages of the host's custom dialog controls (spinners) to the dialog that holds them.

#include "host/sdk/windefs.h"

inline constexpr UINT WM_USER = 0x0400;
// A spinner's value changed: the low word of wParam is the spinner's control id, the high word
// TRUE while the user drags it.
inline constexpr UINT CC_SPINNER_CHANGE = WM_USER + 600;
inline constexpr UINT CC_SPINNER_BUTTONDOWN = WM_USER + 601;
inline constexpr UINT CC_SPINNER_BUTTONUP = WM_USER + 602;
