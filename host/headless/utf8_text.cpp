#include "host/headless/utf8_text.h"

#include <cstdint>

namespace {

bool IsScalar(std::uint32_t c) { return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF); }

}  // namespace

std::string WideToUtf8Text(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t w : text) {
    auto c = static_cast<std::uint32_t>(w);
    if (!IsScalar(c)) c = 0xFFFD;
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

std::optional<std::wstring> Utf8TextToWide(std::string_view bytes) {
  std::wstring out;
  out.reserve(bytes.size());
  std::size_t i = 0;
  while (i < bytes.size()) {
    auto b = static_cast<std::uint8_t>(bytes[i]);
    int extra;
    std::uint32_t c;
    std::uint32_t min;
    if (b < 0x80) {
      extra = 0, c = b, min = 0;
    } else if ((b & 0xE0) == 0xC0) {
      extra = 1, c = b & 0x1F, min = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
      extra = 2, c = b & 0x0F, min = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
      extra = 3, c = b & 0x07, min = 0x10000;
    } else {
      return std::nullopt;
    }
    if (bytes.size() - i - 1 < static_cast<std::size_t>(extra)) return std::nullopt;
    for (int k = 1; k <= extra; ++k) {
      auto next = static_cast<std::uint8_t>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) return std::nullopt;
      c = (c << 6) | (next & 0x3F);
    }
    if (c < min || !IsScalar(c)) return std::nullopt;
    out.push_back(static_cast<wchar_t>(c));
    i += 1 + extra;
  }
  return out;
}
