#pragma once
// The module file's build time in seconds since 1970, UTC: recorded when the module is linked
// anew (cmake/WriteBuildTime.cmake), fixed by SOURCE_DATE_EPOCH when that is set.

#include <cstdint>

extern const std::int64_t kModuleBuildTime;
