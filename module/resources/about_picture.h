#pragma once
// The About box picture: a PNG image of 680 × 337 pixels, stored as raw data (RCDATA).

#include <span>

#include "host/sdk/windefs.h"

inline constexpr int kAboutPictureWidth = 680;
inline constexpr int kAboutPictureHeight = 337;

std::span<const BYTE> AboutPicturePng();
