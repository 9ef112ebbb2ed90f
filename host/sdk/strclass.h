#pragma once
// The host's string type.

#include <string>

using MSTR = std::wstring;
using TSTR = std::wstring;
