#include "ui/about_regions.h"

std::optional<int> AboutLinkAt(int x, int y) {
  for (std::size_t i = 0; i < kAboutLinks.size(); ++i) {
    const RECT& r = kAboutLinks[i].region;
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return static_cast<int>(i);
  }
  return std::nullopt;
}
