#pragma once
// The one path of values offered by the user (typed into a parameter map) or by a script: the
// parameter's validator, when it has one, may refuse the value, and a refused value leaves the
// old value in place. The program's own sets (IParamBlock2::SetValue) bypass it.

#include "host/sdk/iparamb2.h"

// Offers v for parameter id of block at t; numbers convert to the parameter's type. True when
// the value was stored; false for a refusal, an unknown id or a value of an unusable type.
bool SetValidatedValue(IParamBlock2* block, ParamID id, PB2Value v, TimeValue t);
