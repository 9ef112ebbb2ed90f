#pragma once
// The module's dialog templates (rollouts, the command-panel page and the About boxes).

#include <span>

#include "host/sdk/winresources.h"

std::span<const DialogTemplateResource> DialogTemplates();
