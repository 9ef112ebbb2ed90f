#pragma once

#include "host/sdk/maxtypes.h"

// The reference message after which an Orbicle or a Fluxel refreshes the skins under its parent.
inline constexpr RefMessage kSourceRefreshMessage = 0x108;

// Makes the skins that use an edited influence source through its parent bone evaluate again:
// refreshes the module's record of the host's main window, then tells the parent of every scene
// node (when it has one that is not the scene root) of a geometry change, propagated to all
// dependents over all time. Walking every node reaches the parent of the edited source whether
// or not it is selected; each parent hears the change once.
void BroadcastToParents();
