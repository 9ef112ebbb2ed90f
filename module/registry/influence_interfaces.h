#pragma once
// The published mixins of the two influence sources: an Orbicle carries ObPublicInterface, a
// Fluxel FxPublicInterface. Both publish the same functions on their influence tables, which
// the sources implement; calls are dispatched here by function id.

#include "host/sdk/ifnpub.h"
#include "module/registry/class_ids.h"
#include "module/registry/interface_descs.h"

// Function ids of the influence interfaces.
enum InfluenceFunctionID : FunctionID {
  fn_get_influence = 0,
  fn_set_influence = 1,
};

// The published functions' definitions (names, result and argument types), listed by the
// "Orbicle" and "Fluxel" interface descriptors.
std::vector<FPFunctionDef> InfluenceFunctionDefs();

class InfluencePublicInterface : public FPMixinInterface {
public:
  // The source's influence on vertex `vertex` (1-based) of the skin modifier tessarin; -1.0 when
  // the call is refused.
  virtual float get_influence(ReferenceTarget* tessarin, int vertex) = 0;
  // Stores value (clamped to 0 .. 1) for that vertex; FALSE when the call is refused.
  virtual BOOL set_influence(ReferenceTarget* tessarin, int vertex, float value) = 0;

protected:
  // An id the interface does not have answers the host's FPS_NO_SUCH_FUNCTION.
  FPStatus _dispatch_fn(FunctionID fid, TimeValue t, FPValue& result, FPParams* p) override;
};

class ObPublicInterface : public InfluencePublicInterface {
public:
  Interface_ID GetID() override { return ORBICLE_INTERFACE_ID; }
  FPInterfaceDesc* GetDesc() override { return GetOrbicleInterfaceDesc(); }
};

class FxPublicInterface : public InfluencePublicInterface {
public:
  Interface_ID GetID() override { return FLUXEL_INTERFACE_ID; }
  FPInterfaceDesc* GetDesc() override { return GetFluxelInterfaceDesc(); }
};
