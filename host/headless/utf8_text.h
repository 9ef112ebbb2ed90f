#pragma once
// UTF-8 for the texts the scene file stores (node names, string parameters). Wide strings hold
// code points; ones that are not Unicode scalar values are written as U+FFFD.

#include <optional>
#include <string>
#include <string_view>

std::string WideToUtf8Text(std::wstring_view text);
// The code points of well-formed UTF-8, or nothing (overlong forms, surrogates, values past
// U+10FFFF and cut sequences are refused).
std::optional<std::wstring> Utf8TextToWide(std::string_view bytes);
