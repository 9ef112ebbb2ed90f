#pragma once
// The class descriptors of the plug-in: process-wide singletons built with the module's static
// data. A descriptor creates its objects through a factory that the module installs when it is
// loaded; without one (a class not built into this module) Create yields null.

#include <functional>

#include "host/sdk/iparamb2.h"

class TessarinClassDesc;

using ObjectFactory = std::function<void*()>;

class PluginClassDesc : public ClassDesc2 {
public:
  PluginClassDesc(const MCHAR* name, SClass_ID super, Class_ID id) : name_(name), super_(super), id_(id) {}
  int IsPublic() override { return TRUE; }
  void* Create(BOOL loading = FALSE) override;
  const MCHAR* ClassName() override { return name_; }
  const MCHAR* InternalName() override { return name_; }
  SClass_ID SuperClassID() override { return super_; }
  Class_ID ClassID() override { return id_; }
  const MCHAR* Category() override;
  HINSTANCE HInstance() override;
  DWORD InitialRollupPageState() override { return 0x7FFFFFFF; }
  void SetFactory(ObjectFactory factory) { factory_ = std::move(factory); }

private:
  const MCHAR* name_;
  SClass_ID super_;
  Class_ID id_;
  ObjectFactory factory_;
};

PluginClassDesc* GetTessarinDesc();
