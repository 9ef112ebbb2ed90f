#include "module/registry/fluxel_parameters.h"

#include "module/registry/class_descs.h"
#include "module/registry/ts_proxy_validator.h"
#include "module/resources/resource_ids.h"

namespace {

using namespace fluxel_param;

ParamDef Base(ParamID id, const MCHAR* name, ParamType2 type, int flags, StringResID localName, PB2Value def) {
  ParamDef d;
  d.ID = id;
  d.int_name = name;
  d.type = type;
  d.flags = flags;
  d.local_name = localName;
  d.def = std::move(def);
  d.validator = ProxyValidator();
  return d;
}

ParamDef Check(ParamID id, const MCHAR* name, int flags, StringResID localName, bool on, int control) {
  ParamDef d = Base(id, name, TYPE_BOOL, flags, localName, PB2Value::Bool(on));
  d.ctrl_type = TYPE_SINGLECHECKBOX;
  d.ctrl_IDs = {control};
  return d;
}

// An integer spinner over 0 .. 100, scale 1.0.
ParamDef Blend() {
  ParamDef d = Base(blend, L"blend", TYPE_INT, P_ANIMATABLE | P_RESET_DEFAULT, 235, PB2Value::Int(0));
  d.has_range = true;
  d.range_low = PB2Value::Int(0);
  d.range_high = PB2Value::Int(100);
  d.ctrl_type = TYPE_SPINNER;
  d.ctrl_IDs = {IDC_FLUXEL_BLEND_EDIT, IDC_FLUXEL_BLEND_SPIN};
  return d;
}

ParamDef Direction() {
  ParamDef d = Base(direction, L"direction", TYPE_INT, P_ANIMATABLE, 236, PB2Value::Int(0));
  d.has_range = true;
  d.range_low = PB2Value::Int(0);
  d.range_high = PB2Value::Int(6);
  d.ctrl_type = TYPE_RADIO;
  // Radio button i sets the value i.
  d.ctrl_IDs = {IDC_FLUXEL_OMNI, IDC_FLUXEL_FORWARD, IDC_FLUXEL_BACKWARD, IDC_FLUXEL_LEFT,
                IDC_FLUXEL_RIGHT, IDC_FLUXEL_UP,   IDC_FLUXEL_DOWN};
  return d;
}

// The real-time switch names control 1196, which template 530 does not have.
constexpr int kRealTimeControl = 1196;

}  // namespace

// The descriptor is built on first use (class_descs.h), so registering from here is safe
// whatever the order in which the module's source files are initialised.
ParamBlockDesc2 fluxelParameters(
    kFluxelParamsBlockId, L"fluxelParameters", 0, GetFluxelDesc(), P_AUTO_CONSTRUCT | P_AUTO_UI, 0,
    kFluxelParamsRef, ParamBlockAutoUI{IDD_FLUXEL, 237, 0, nullptr},
    {
        Check(origin, L"origin", P_ANIMATABLE, 234, true, IDC_FLUXEL_ORIGIN),
        Blend(),
        Direction(),
        Check(disabled, L"disabled", P_ANIMATABLE, 58, false, IDC_FLUXEL_DISABLED),
        Check(real_time, L"real-time", 0, 59, true, kRealTimeControl),
    });
