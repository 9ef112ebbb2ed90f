#pragma once
// The module's resources in the form the host reads them (host/sdk/winresources.h): the string
// table, dialog templates, accelerators, cursors and the About picture. The directory's address
// is the module's instance handle.

#include "host/sdk/winresources.h"

const ModuleResourceDirectory& TessarinResources();
// The instance handle of this module (the directory's address).
HINSTANCE TessarinResourceHandle();
