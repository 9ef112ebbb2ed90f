#include "module/entry/module_setup.h"

#include <new>

#include "deformer/tessarin.h"
#include "host/sdk/winresources.h"
#include "module/entry/module_build_time.h"
#include "module/registry/class_descs.h"
#include "module/resources/module_handles.h"
#include "module/resources/resource_directory.h"
#include "module/resources/resource_ids.h"
#include "module/resources/string_table.h"
#include "persistence/import/exchange_import.h"
#include "persistence/skin_chunks/skin_storage.h"
#include "sources/fluxel.h"
#include "sources/fx_ob_painter.h"
#include "sources/influence_passes.h"
#include "sources/motion_settings_lookup.h"
#include "sources/orbicle.h"
#include "sources/wobblex.h"
#include "ui/ui_install.h"

namespace {

void LoadCursorsAndAccelerators(HINSTANCE instance) {
  SetArrowCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(IDC_ARROW_ID)));
  for (int id = IDC_FIRST_CURSOR; id <= IDC_LAST_CURSOR; ++id) SetModuleCursor(id, LoadCursorW(instance, MAKEINTRESOURCEW(id)));
  SetModuleAccelerators(LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_TESSARIN_ACCELERATORS)));
}

// Each factory returns the object as its super class's base (the host's view of a void* from
// Create); allocation goes through the host's heap, and a heap that has nothing yields null.
// Classes whose factory is not installed here create nothing.
void InstallFactories() {
  GetTessarinDesc()->SetFactory([]() -> void* { return static_cast<Modifier*>(new (std::nothrow) Tessarin()); });
  GetWobblexDesc()->SetFactory([]() -> void* { return static_cast<Modifier*>(new (std::nothrow) Wobblex()); });
  GetOrbicleDesc()->SetFactory([]() -> void* { return static_cast<Object*>(new (std::nothrow) Orbicle()); });
  GetFluxelDesc()->SetFactory([]() -> void* { return static_cast<Modifier*>(new (std::nothrow) Fluxel()); });
}

}  // namespace

ClassDesc* ModuleClassDesc(int i) {
  switch (i) {
    case 0:
      return GetTessarinDesc();
    case 1:
      return GetWobblexDesc();
    case 2:
      return GetOrbicleDesc();
    case 3:
      return GetFluxelDesc();
    default:
      return nullptr;
  }
}

ModuleAttachment::ModuleAttachment() {
  HINSTANCE instance = TessarinResourceHandle();
  SetModuleInstance(instance);
  LoadCursorsAndAccelerators(instance);
  InstallFactories();
  InstallInfluencePasses();
  InstallInfluencePainting();
  InstallExchangeImport();
  InstallSkinStorage();
  InstallMotionSettingsLookup();
  InstallUserInterface(kModuleBuildTime);
}
