#pragma once
// Installs the user-interface shell when the module is set up: the skin's command-panel page and
// action table, and the window-system services that the source classes' rollouts use (custom
// buttons, check buttons, the About box with template 502 and link cursor 1266).

#include <cstdint>

// moduleBuildTime: the module file's build time (seconds since 1970, UTC), for the About box.
void InstallUserInterface(std::int64_t moduleBuildTime);
