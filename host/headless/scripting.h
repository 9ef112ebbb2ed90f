#pragma once
// The scripting surface of the headless host, as a user's script reaches plug-in objects:
// parameters by their scripting (internal) name, interfaces by identifier, and published
// functions by name. Script writes pass the parameter's validator (SetValidatedValue).

#include <optional>
#include <string>
#include <vector>

#include "host/sdk/ifnpub.h"

// Sets the parameter called name, searched in obj's parameter blocks in block order, at t.
// False when there is no such parameter, the value's type does not fit, or the parameter's
// validator refuses it (the old value stays).
bool ScriptSetParameter(Animatable* obj, const std::wstring& name, const PB2Value& v, TimeValue t = 0);

// The value of the parameter called name at t, in its declared type; none when obj has no
// such parameter.
std::optional<PB2Value> ScriptGetParameter(Animatable* obj, const std::wstring& name, TimeValue t = 0);

// obj's answer to an interface request (Animatable::GetInterface), or null.
BaseInterface* ScriptGetInterface(Animatable* obj, Interface_ID id);

struct ScriptCallResult {
  FPStatus status = FPS_FAIL;
  FPValue value = FPValue::Void();
  std::string error;  // why the call failed, when it did
};

// Calls the published function fnName of obj's interface id with args at t. FPS_NO_SUCH_FUNCTION
// when the interface has no function of that name; FPS_FAIL with an error when obj lacks the
// interface or the call raised an error (a host exception does not leave the script surface).
ScriptCallResult ScriptCallFunction(Animatable* obj, Interface_ID id, const std::wstring& fnName,
                                    std::vector<FPValue> args = {}, TimeValue t = 0);
