#pragma once
// UTF-8 ↔ UTF-16/32 conversion of texts crossing to the host (always code page 65001, UTF-8).

#include <string>
#include <string_view>

std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);
