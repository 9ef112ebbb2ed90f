#pragma once
// The module's string table: texts by entry number, loaded from the module instance.

#include <string>

#include "host/sdk/windefs.h"

// Sets the instance handle that resources are loaded from (done when the module is attached).
void SetModuleInstance(HINSTANCE instance);
HINSTANCE GetModuleInstance();

// Loads entry id into the one module-wide buffer of 512 wide characters and returns it; null
// before the module instance is set or for an entry that does not exist. Each call overwrites
// the previous result, so callers copy the text before the next load.
const MCHAR* GetString(int id);

// The entry as UTF-8, for the narrow-text code paths (message routine formats, Boost.Format).
// Empty when the entry cannot be loaded.
std::string GetStringUtf8(int id);
