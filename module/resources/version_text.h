#pragma once
// The module's version number and its text.

#include <string>

// 4.85.0
inline constexpr int kTessarinVersionCode = 48500;

// n / 10000, ".", (n / 100) mod 100, ".", n mod 100, without leading zeros: 48500 → "4.85.0".
std::string VersionText(int code);
