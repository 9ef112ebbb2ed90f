#include "module/resources/cursors.h"

#include "module/resources/resource_ids.h"

namespace {

// Loaded when the module is attached; only the busy and the link cursor are ever shown.
constexpr CursorResource kCursors[] = {
    {1258, 0, 0, L"select"},
    {1259, 8, 8, L"move"},
    {IDC_BUSY_CURSOR, 8, 8, L"busy"},
    {1261, 0, 0, L"pick bone"},
    {1262, 0, 0, L"add"},
    {1263, 0, 0, L"remove"},
    {1264, 8, 8, L"paint"},
    {1265, 8, 8, L"not allowed"},
    {IDC_LINK_CURSOR, 5, 0, L"link"},
};

}  // namespace

std::span<const CursorResource> CursorResources() { return kCursors; }
