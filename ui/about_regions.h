#pragma once
// The About box's link regions, in client pixels: left and top edges inside, right and bottom
// edges outside. A press opens the address of the first region hit, in this order.

#include <array>
#include <optional>

#include "host/sdk/winuser.h"

struct AboutLink {
  RECT region;
  const wchar_t* address;
};

// R1 and R5 the product's page, R2 and R3 the maker's pages, R4 the mail address.
inline constexpr std::array<AboutLink, 5> kAboutLinks = {{
    {{20, 7, 330, 105}, L"https://tessarin.example.org/"},
    {{20, 240, 110, 280}, L"https://example.org/tessarin-developers/"},
    {{130, 240, 320, 280}, L"https://example.org/tessarin-developers/news/"},
    {{24, 310, 196, 325}, L"mailto:tessarin@example.org"},
    {{208, 310, 404, 325}, L"https://tessarin.example.org/"},
}};

// The index of the first region that holds (x, y), or nothing.
std::optional<int> AboutLinkAt(int x, int y);
