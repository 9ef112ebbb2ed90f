#include "host/headless/scripting.h"

#include <exception>

#include "host/headless/validated_value.h"

namespace {

struct FoundParam {
  IParamBlock2* block = nullptr;
  const ParamDef* def = nullptr;
};

FoundParam FindParam(Animatable* obj, const std::wstring& name) {
  if (!obj) return {};
  for (int i = 0; i < obj->NumParamBlocks(); ++i) {
    IParamBlock2* block = obj->GetParamBlock(i);
    if (!block || !block->GetDesc()) continue;
    if (const ParamDef* def = block->GetDesc()->GetParamDefByName(name)) return {block, def};
  }
  return {};
}

}  // namespace

bool ScriptSetParameter(Animatable* obj, const std::wstring& name, const PB2Value& v, TimeValue t) {
  FoundParam p = FindParam(obj, name);
  return p.block && SetValidatedValue(p.block, p.def->ID, v, t);
}

std::optional<PB2Value> ScriptGetParameter(Animatable* obj, const std::wstring& name, TimeValue t) {
  FoundParam p = FindParam(obj, name);
  if (!p.block) return std::nullopt;
  PB2Value v;
  Interval valid = FOREVER;
  BOOL ok = FALSE;
  switch (p.def->type) {
    case TYPE_INT:
    case TYPE_BOOL:
    case TYPE_TIMEVALUE:
      ok = p.block->GetValue(p.def->ID, t, v.i, valid);
      break;
    case TYPE_FLOAT:
    case TYPE_ANGLE:
    case TYPE_PCNT_FRAC:
    case TYPE_WORLD:
      ok = p.block->GetValue(p.def->ID, t, v.f, valid);
      break;
    case TYPE_POINT3:
    case TYPE_RGBA:
      ok = p.block->GetValue(p.def->ID, t, v.p, valid);
      break;
    default:
      break;
  }
  if (!ok) return std::nullopt;
  v.type = p.def->type;
  return v;
}

BaseInterface* ScriptGetInterface(Animatable* obj, Interface_ID id) { return obj ? obj->GetInterface(id) : nullptr; }

ScriptCallResult ScriptCallFunction(Animatable* obj, Interface_ID id, const std::wstring& fnName,
                                    std::vector<FPValue> args, TimeValue t) {
  ScriptCallResult r;
  auto* fpi = dynamic_cast<FPInterface*>(ScriptGetInterface(obj, id));
  if (!fpi) {
    r.error = "the object has no such interface";
    return r;
  }
  FunctionID fid = fpi->FindFn(fnName);
  if (fid == FP_NO_FUNCTION) {
    r.status = FPS_NO_SUCH_FUNCTION;
    r.error = "the interface has no such function";
    return r;
  }
  FPParams params(std::move(args));
  try {
    r.status = fpi->Invoke(fid, t, r.value, &params);
  } catch (const std::exception& e) {
    r.status = FPS_FAIL;
    r.value = FPValue::Void();
    r.error = e.what();
  }
  return r;
}
