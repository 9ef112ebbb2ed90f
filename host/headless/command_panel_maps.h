#pragma once
// The rollouts that objects open in the command panel themselves (CreateCPParamMap2), as the
// headless command panel lists them.

#include <string>
#include <vector>

#include "host/sdk/iparamm2.h"

struct CommandPanelRollout {
  IParamMap2* map = nullptr;
  HINSTANCE instance = nullptr;
  int dlgTemplate = 0;
  std::wstring title;
  int category = ROLLUP_CAT_STANDARD;
};

// The open rollouts in opening order.
const std::vector<CommandPanelRollout>& CommandPanelRollouts();
// The rollout of map, or null when map is not open.
const CommandPanelRollout* FindCommandPanelRollout(const IParamMap2* map);
