#include "module/registry/orbicle_parameters.h"

#include "module/registry/class_descs.h"
#include "module/registry/ts_proxy_validator.h"
#include "module/resources/resource_ids.h"

namespace {

using namespace orbicle_param;

constexpr int kSpinnerFlags = P_ANIMATABLE | P_RESET_DEFAULT;  // 0x21
// The smallest size: the float nearest 0.0001.
constexpr float kMinSize = 0.0001f;

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

// A spinner (edit and spinner control ids) over [low, high], automatic scale.
ParamDef Spinner(ParamDef d, PB2Value low, PB2Value high, int edit, int spin) {
  d.has_range = true;
  d.range_low = std::move(low);
  d.range_high = std::move(high);
  d.ctrl_type = TYPE_SPINNER;
  d.ctrl_IDs = {edit, spin};
  return d;
}

ParamDef Size(ParamID id, const MCHAR* name, StringResID localName, int edit, int spin) {
  return Spinner(Base(id, name, TYPE_FLOAT, kSpinnerFlags, localName, PB2Value::Float(10.0f)),
                 PB2Value::Float(kMinSize), PB2Value::Float(1000000.0f), edit, spin);
}

ParamDef Check(ParamID id, const MCHAR* name, StringResID localName, int control) {
  ParamDef d = Base(id, name, TYPE_BOOL, P_ANIMATABLE, localName, PB2Value::Bool(false));
  d.ctrl_type = TYPE_SINGLECHECKBOX;
  d.ctrl_IDs = {control};
  return d;
}

ParamDef Direction() {
  ParamDef d = Base(direction, L"direction", TYPE_INT, P_ANIMATABLE, 36, PB2Value::Int(0));
  d.has_range = true;
  d.range_low = PB2Value::Int(0);
  d.range_high = PB2Value::Int(6);
  d.ctrl_type = TYPE_RADIO;
  // Radio button i sets the value i.
  d.ctrl_IDs = {IDC_ORBICLE_OMNI, IDC_ORBICLE_FORWARD, IDC_ORBICLE_BACKWARD, IDC_ORBICLE_LEFT,
                IDC_ORBICLE_RIGHT, IDC_ORBICLE_UP,   IDC_ORBICLE_DOWN};
  return d;
}

// The realtime switch names control 1240, which template 501 does not have.
constexpr int kRealtimeControl = 1240;

}  // namespace

// The descriptor is built on first use (class_descs.h), so registering from here is safe
// whatever the order in which the module's source files are initialised.
ParamBlockDesc2 orbicleParameters(
    kOrbicleParamsBlockId, L"orbicleParameters", 0, GetOrbicleDesc(), P_AUTO_CONSTRUCT | P_AUTO_UI, 0,
    kOrbicleParamsRef, ParamBlockAutoUI{IDD_ORBICLE, 237, 0, nullptr},
    {
        Size(length, L"length", 31, IDC_LENGTH_EDIT, IDC_LENGTH_SPIN),
        Size(width, L"width", 32, IDC_WIDTH_EDIT, IDC_WIDTH_SPIN),
        Size(height, L"height", 33, IDC_HEIGHT_EDIT, IDC_HEIGHT_SPIN),
        Spinner(Base(segments, L"segments", TYPE_INT, kSpinnerFlags, 34, PB2Value::Int(16)), PB2Value::Int(4),
                PB2Value::Int(200), IDC_SEGMENTS_EDIT, IDC_SEGMENTS_SPIN),
        Spinner(Base(blend, L"blend", TYPE_INT, kSpinnerFlags, 35, PB2Value::Int(10)), PB2Value::Int(0),
                PB2Value::Int(100), IDC_ORBICLE_BLEND_EDIT, IDC_ORBICLE_BLEND_SPIN),
        Direction(),
        Check(disabled, L"disabled", 37, IDC_ORBICLE_DISABLED),
        Check(renderable, L"renderable", 38, IDC_ORBICLE_RENDERABLE),
        Check(realtime, L"realtime", 39, kRealtimeControl),
    });
