// The module's static descriptors: the four class descriptors, the skin's parameter block and
// the three published interfaces. They share this file so that the module's reference to any
// descriptor brings all of them into the link.

#include <new>

#include "module/registry/class_descs.h"
#include "module/registry/class_ids.h"
#include "module/registry/influence_interfaces.h"
#include "module/registry/interface_descs.h"
#include "module/registry/tessarin_parameters.h"
#include "module/resources/resource_ids.h"
#include "module/resources/string_table.h"

// A constructor that throws has its memory released by the new-expression; the failure reaches
// the host as a creation that yields nothing, never as an exception.
void* PluginClassDesc::Create(BOOL loading) {
  (void)loading;
  if (!factory_) return nullptr;
  try {
    return factory_();
  } catch (...) {
    return nullptr;
  }
}

const MCHAR* PluginClassDesc::Category() { return GetString(30); }
HINSTANCE PluginClassDesc::HInstance() { return GetModuleInstance(); }

TessarinClassDesc::TessarinClassDesc() : PluginClassDesc(L"Tessarin", OSM_CLASS_ID, TESSARIN_CLASS_ID) {}

ActionTable* TessarinClassDesc::GetActionTable(int i) {
  (void)i;
  return actionTables_ ? actionTables_() : nullptr;
}

OrbicleClassDesc::OrbicleClassDesc() : PluginClassDesc(L"Orbicle", GEOMOBJECT_CLASS_ID, ORBICLE_CLASS_ID) {}

void OrbicleClassDesc::ResetClassParams(BOOL fileReset) {
  (void)fileReset;
  OrbicleCreationParams() = OrbicleClassParams{};
}

OrbicleClassParams& OrbicleCreationParams() {
  static OrbicleClassParams params;
  return params;
}

TessarinClassDesc* GetTessarinDesc() {
  static TessarinClassDesc desc;
  return &desc;
}

PluginClassDesc* GetWobblexDesc() {
  static PluginClassDesc desc(L"Wobblex", WSM_CLASS_ID, WOBBLEX_CLASS_ID);
  return &desc;
}

PluginClassDesc* GetOrbicleDesc() {
  static OrbicleClassDesc desc;
  return &desc;
}

PluginClassDesc* GetFluxelDesc() {
  static PluginClassDesc desc(L"Fluxel", WSM_CLASS_ID, FLUXEL_CLASS_ID);
  return &desc;
}

// --- The skin's parameter block ---------------------------------------------------------------

INT_PTR TessarinDlgProc::DlgProc(TimeValue t, IParamMap2* map, HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  (void)t; (void)map; (void)hWnd; (void)msg; (void)wParam; (void)lParam;
  return FALSE;
}

namespace {

TessarinDlgProc g_tessarinDlgProc;

ParamDef Switch(ParamID id, const MCHAR* name, StringResID localName, int flags, bool on, int checkBox) {
  ParamDef d;
  d.ID = id;
  d.int_name = name;
  d.type = TYPE_BOOL;
  d.flags = flags;
  d.local_name = localName;
  d.def = PB2Value::Bool(on);
  d.ctrl_type = TYPE_SINGLECHECKBOX;
  d.ctrl_IDs = {checkBox};
  return d;
}

}  // namespace

// Check boxes of the automatic rollout (template 510) are named with the switches; the box named
// for use_orbicles (1123) is not in the template.
ParamBlockDesc2 tessarinParameters(
    kTessarinParamsBlockId, L"tessarinParameters", 0, GetTessarinDesc(), P_AUTO_CONSTRUCT | P_AUTO_UI, 0,
    kTessarinParamsRef, ParamBlockAutoUI{510, 243, 0, &g_tessarinDlgProc},
    {
        Switch(use_inertia, L"use_inertia", 238, P_ANIMATABLE, false, IDC_USE_INERTIA),
        Switch(use_oscillation, L"use_oscillation", 239, P_ANIMATABLE, false, IDC_USE_OSCILLATION),
        Switch(use_stack, L"use_stack", 240, P_ANIMATABLE, true, IDC_USE_STACK),
        Switch(use_orbicles, L"use_orbicles", 241, P_ANIMATABLE | kHostParamFlag40000000, false, IDC_USE_ORBICLES),
        Switch(use_fluxels, L"use_fluxels", 242, P_ANIMATABLE, false, IDC_USE_FLUXELS),
        Switch(use_dual_quaternion, L"use_dual_quaternion", 40, P_ANIMATABLE, false, IDC_USE_DUAL_QUATERNION),
        Switch(use_linked, L"use_linked", 247, P_ANIMATABLE, true, IDC_USE_LINKED),
    });

// --- Published interfaces ---------------------------------------------------------------------

namespace {

FPInterfaceDesc g_tessarinInterface(TESSARIN_INTERFACE_ID, L"Tessarin", 0, GetTessarinDesc(), FP_MIXIN, {});
FPInterfaceDesc g_orbicleInterface(ORBICLE_INTERFACE_ID, L"Orbicle", 0, GetOrbicleDesc(), FP_MIXIN,
                                   InfluenceFunctionDefs());
FPInterfaceDesc g_fluxelInterface(FLUXEL_INTERFACE_ID, L"Fluxel", 0, GetFluxelDesc(), FP_MIXIN, InfluenceFunctionDefs());

}  // namespace

FPInterfaceDesc* GetTessarinInterfaceDesc() { return &g_tessarinInterface; }
FPInterfaceDesc* GetOrbicleInterfaceDesc() { return &g_orbicleInterface; }
FPInterfaceDesc* GetFluxelInterfaceDesc() { return &g_fluxelInterface; }
