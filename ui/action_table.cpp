#include "ui/action_table.h"

#include <vector>

#include "host/sdk/interface.h"
#include "module/resources/resource_ids.h"
#include "module/resources/string_table.h"

ActionTable* BuildTessarinActionTable() {
  const MCHAR* loaded = GetString(kTessarinActionCategory);
  const MSTR name = loaded ? MSTR(loaded) : MSTR(L"Tessarin");
  if (Interface* ip = GetCOREInterface())
    if (IActionManager* manager = ip->GetActionManager()) manager->RegisterActionContext(kTessarinActionContextId, name.c_str());

  std::vector<ActionDescription> rows;
  for (const TessarinActionRow& r : kTessarinActions)
    rows.push_back({r.command, r.text, r.text, kTessarinActionCategory});
  HINSTANCE instance = GetModuleInstance();
  HACCEL defaults = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_TESSARIN_ACCELERATORS));
  return new ActionTable(kTessarinActionTableId, kTessarinActionContextId, name, defaults,
                         static_cast<int>(rows.size()), rows.data(), instance);
}
