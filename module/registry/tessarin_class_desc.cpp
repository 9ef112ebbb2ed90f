#include "module/registry/class_descs.h"
#include "module/registry/class_ids.h"
#include "module/registry/tessarin_parameters.h"
#include "module/resources/string_table.h"

void* PluginClassDesc::Create(BOOL loading) {
  (void)loading;
  return factory_ ? factory_() : nullptr;
}

const MCHAR* PluginClassDesc::Category() { return GetString(30); }
HINSTANCE PluginClassDesc::HInstance() { return GetModuleInstance(); }

namespace {

PluginClassDesc g_tessarinDesc(L"Tessarin", OSM_CLASS_ID, TESSARIN_CLASS_ID);

ParamDef Switch(ParamID id, const MCHAR* name, StringResID localName, int flags, bool on) {
  ParamDef d;
  d.ID = id;
  d.int_name = name;
  d.type = TYPE_BOOL;
  d.flags = flags;
  d.local_name = localName;
  d.def = PB2Value::Bool(on);
  d.ctrl_type = TYPE_SINGLECHECKBOX;
  return d;
}

}  // namespace

PluginClassDesc* GetTessarinDesc() { return &g_tessarinDesc; }

// Built after the descriptor (same translation unit), registering with it.
ParamBlockDesc2 tessarinParameters(
    kTessarinParamsBlockId, L"tessarinParameters", 0, &g_tessarinDesc, P_AUTO_CONSTRUCT | P_AUTO_UI, 0,
    kTessarinParamsRef, ParamBlockAutoUI{510, 243, 0, nullptr},
    {
        Switch(use_inertia, L"use_inertia", 238, P_ANIMATABLE, false),
        Switch(use_oscillation, L"use_oscillation", 239, P_ANIMATABLE, false),
        Switch(use_stack, L"use_stack", 240, P_ANIMATABLE, true),
        Switch(use_orbicles, L"use_orbicles", 241, P_ANIMATABLE | 0x40000000, false),
        Switch(use_fluxels, L"use_fluxels", 242, P_ANIMATABLE, false),
        Switch(use_dual_quaternion, L"use_dual_quaternion", 40, P_ANIMATABLE, false),
        Switch(use_linked, L"use_linked", 247, P_ANIMATABLE, true),
    });
