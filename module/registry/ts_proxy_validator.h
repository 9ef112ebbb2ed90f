#pragma once
// The validator of every Wobblex, Orbicle and Fluxel parameter: their settings are fixed by
// creation and by loaded scenes, so every value typed into a rollout or assigned by a script is
// refused. Values the program sets itself are not validated and pass.

#include "host/sdk/iparamb2.h"

class TS_Proxy_Validator : public PBValidator {
public:
  constexpr TS_Proxy_Validator() = default;
  BOOL Validate(PB2Value& v) override;
  BOOL Validate(PB2Value& v, ReferenceMaker* owner, ParamID id, int tabIndex) override;
  // Static: nothing to free.
  void DeleteThis() override {}
};

// The shared instance that the parameter definitions name.
TS_Proxy_Validator* ProxyValidator();
