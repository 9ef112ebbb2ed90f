#pragma once
// The class descriptors of the plug-in: process-wide singletons, built on first use (so that
// the parameter-block and interface descriptors of any source file can register with them
// while the module's static data is constructed). A descriptor creates its objects through a
// factory that the module installs when it is loaded; without one (a class not built into this
// module) Create yields null.

#include <functional>

#include "host/sdk/iparamb2.h"

// Allocates and constructs one object through the host's heap; null when the heap has nothing.
// The pointer is the object's base of its super class (Modifier*, Object*), as void*.
using ObjectFactory = std::function<void*()>;

class PluginClassDesc : public ClassDesc2 {
public:
  PluginClassDesc(const MCHAR* name, SClass_ID super, Class_ID id) : name_(name), super_(super), id_(id) {}
  int IsPublic() override { return TRUE; }
  // A new object from the factory; null without a factory, when the heap has nothing or when
  // the object's constructor fails. The loading flag is ignored.
  void* Create(BOOL loading = FALSE) override;
  const MCHAR* ClassName() override { return name_; }
  const MCHAR* InternalName() override { return name_; }
  SClass_ID SuperClassID() override { return super_; }
  Class_ID ClassID() override { return id_; }
  // String-table entry 30, "Korvel Plugins" (in the shared string buffer).
  const MCHAR* Category() override;
  HINSTANCE HInstance() override;
  DWORD InitialRollupPageState() override { return 0x7FFFFFFF; }  // all rollouts open

  void SetFactory(ObjectFactory factory) { factory_ = std::move(factory); }
  bool HasFactory() const { return static_cast<bool>(factory_); }

private:
  const MCHAR* name_;
  SClass_ID super_;
  Class_ID id_;
  ObjectFactory factory_;
};

// Builds one new keyboard action table; the caller owns it.
using ActionTableFactory = ActionTable* (*)();

// The skin modifier's descriptor: one action table, built anew on every request by the factory
// that the user-interface shell installs (none without it).
class TessarinClassDesc : public PluginClassDesc {
public:
  TessarinClassDesc();
  int NumActionTables() override { return actionTables_ ? 1 : 0; }
  // A new table whatever the index; the host owns it.
  ActionTable* GetActionTable(int i) override;
  void SetActionTableFactory(ActionTableFactory factory) { actionTables_ = factory; }

private:
  ActionTableFactory actionTables_ = nullptr;
};

// The class-level creation values of new orbicles: the creation method (1, centre first) is the
// only one read; the segment count, point and float are kept for the creation rollout.
struct OrbicleClassParams {
  int segments = 16;
  int createMethod = 1;
  Point3 createPoint{0.0f, 0.0f, 0.0f};
  float createValue = 0.0f;
};

class OrbicleClassDesc : public PluginClassDesc {
public:
  OrbicleClassDesc();
  // Restores the class-level creation values (OrbicleCreationParams).
  void ResetClassParams(BOOL fileReset = FALSE) override;
};

// The module's class-level orbicle creation values.
OrbicleClassParams& OrbicleCreationParams();

// Index order of the module's class list: 0 Tessarin, 1 Wobblex, 2 Orbicle, 3 Fluxel.
TessarinClassDesc* GetTessarinDesc();
PluginClassDesc* GetWobblexDesc();
PluginClassDesc* GetOrbicleDesc();
PluginClassDesc* GetFluxelDesc();
