#include "module/registry/influence_interfaces.h"

std::vector<FPFunctionDef> InfluenceFunctionDefs() {
  return {
      {fn_get_influence, L"get_influence", TYPE_FLOAT, {{L"tessarin", TYPE_REFTARG}, {L"vertex", TYPE_INT}}},
      {fn_set_influence, L"set_influence", TYPE_BOOL,
       {{L"tessarin", TYPE_REFTARG}, {L"vertex", TYPE_INT}, {L"value", TYPE_FLOAT}}},
  };
}

namespace {

// Scripts may pass a number of either kind where the function takes the other.
bool IsWhole(const FPValue& v) { return v.type == TYPE_INT || v.type == TYPE_BOOL || v.type == TYPE_TIMEVALUE; }
int IntArg(const FPValue& v) { return IsWhole(v) ? v.i : static_cast<int>(v.f); }
float FloatArg(const FPValue& v) { return IsWhole(v) ? static_cast<float>(v.i) : v.f; }

}  // namespace

// Arguments are taken by index, as the host's argument array gives them: a call with too few
// raises that array's out-of-range exception, which the host's caller reports.
FPStatus InfluencePublicInterface::_dispatch_fn(FunctionID fid, TimeValue t, FPValue& result, FPParams* p) {
  (void)t;
  FPParams none;
  FPParams& args = p ? *p : none;
  switch (fid) {
    case fn_get_influence: {
      ReferenceTarget* tessarin = args[0].r;
      const int vertex = IntArg(args[1]);
      result = FPValue::Float(get_influence(tessarin, vertex));
      return FPS_OK;
    }
    case fn_set_influence: {
      ReferenceTarget* tessarin = args[0].r;
      const int vertex = IntArg(args[1]);
      const float value = FloatArg(args[2]);
      result = FPValue::Bool(set_influence(tessarin, vertex, value) != FALSE);
      return FPS_OK;
    }
    default:
      return FPS_NO_SUCH_FUNCTION;
  }
}
