#pragma once
// The module's cursor resources.

#include <span>

#include "host/sdk/winresources.h"

std::span<const CursorResource> CursorResources();
