#pragma once
// Function publishing: interfaces of script-callable functions, described by FPInterfaceDesc
// and dispatched by function id.

#include "host/sdk/animatable.h"

using FunctionID = short;
inline constexpr ULONG FP_MIXIN = 2;

class FPInterface : public BaseInterface {
public:
  // The published interface's descriptor flags (FP_MIXIN for interfaces an object carries).
  virtual ULONG GetFlags() { return 0; }
};

// An interface that an object carries as a base class (FP_MIXIN): asked for its id, the object
// answers with itself.
class FPMixinInterface : public FPInterface {
public:
  ULONG GetFlags() override { return FP_MIXIN; }
};
