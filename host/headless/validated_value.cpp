#include "host/headless/validated_value.h"

#include <cmath>

namespace {

bool IsIntegral(ParamType2 t) { return t == TYPE_INT || t == TYPE_BOOL || t == TYPE_TIMEVALUE; }
bool IsFloating(ParamType2 t) {
  return t == TYPE_FLOAT || t == TYPE_ANGLE || t == TYPE_PCNT_FRAC || t == TYPE_WORLD;
}
bool IsPoint(ParamType2 t) { return t == TYPE_POINT3 || t == TYPE_RGBA; }

// v in the declared type's representation; false when it has none.
bool ConvertTo(ParamType2 declared, PB2Value& v) {
  if (IsIntegral(declared)) {
    if (IsFloating(v.type)) v.i = static_cast<int>(std::lround(v.f));
    else if (!IsIntegral(v.type)) return false;
    if (declared == TYPE_BOOL) v.i = v.i != 0;
  } else if (IsFloating(declared)) {
    if (IsIntegral(v.type)) v.f = static_cast<float>(v.i);
    else if (!IsFloating(v.type)) return false;
  } else if (!(IsPoint(declared) && IsPoint(v.type))) {
    return false;
  }
  v.type = declared;
  return true;
}

}  // namespace

bool SetValidatedValue(IParamBlock2* block, ParamID id, PB2Value v, TimeValue t) {
  if (!block || !block->GetDesc()) return false;
  const ParamDef* def = block->GetDesc()->GetParamDefByID(id);
  if (!def || !ConvertTo(def->type, v)) return false;
  if (def->validator && !def->validator->Validate(v, block->GetOwner(), id, 0)) return false;
  if (IsIntegral(def->type)) return block->SetValue(id, t, v.i);
  if (IsFloating(def->type)) return block->SetValue(id, t, v.f);
  return block->SetValue(id, t, v.p);
}
