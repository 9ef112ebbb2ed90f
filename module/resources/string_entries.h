#pragma once
// The texts of the module's string table (the resource data itself).

#include <map>

const std::map<int, const wchar_t*>& StringEntries();
