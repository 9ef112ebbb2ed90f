#include "module/registry/wobblex_parameters.h"

#include "module/registry/class_descs.h"
#include "module/registry/tessarin_parameters.h"
#include "module/registry/ts_proxy_validator.h"
#include "module/resources/resource_ids.h"

namespace {

using namespace wobblex_param;

constexpr int kSpinnerFlags = P_ANIMATABLE | P_RESET_DEFAULT;                // 0x21
constexpr int kLockFlags = P_RESET_DEFAULT | kHostParamFlag40000000;         // 0x40000020

// An integer with a spinner (edit and spinner control ids) over [low, high]. Time spinners
// (delay and the periods) store ticks; the rollout shows them in the host's time format.
ParamDef Spinner(ParamID id, const MCHAR* name, StringResID localName, int low, int high, int edit, int spin) {
  ParamDef d;
  d.ID = id;
  d.int_name = name;
  d.type = TYPE_INT;
  d.flags = kSpinnerFlags;
  d.local_name = localName;
  d.def = PB2Value::Int(0);
  d.has_range = true;
  d.range_low = PB2Value::Int(low);
  d.range_high = PB2Value::Int(high);
  d.validator = ProxyValidator();
  d.ctrl_type = TYPE_SPINNER;
  d.ctrl_IDs = {edit, spin};
  return d;
}

// A lock: no control, not animatable. It names the validator too, so scripts cannot change it.
ParamDef Lock(ParamID id, const MCHAR* name, StringResID localName) {
  ParamDef d;
  d.ID = id;
  d.int_name = name;
  d.type = TYPE_INT;
  d.flags = kLockFlags;
  d.local_name = localName;
  d.def = PB2Value::Int(0);
  d.validator = ProxyValidator();
  return d;
}

}  // namespace

// The descriptor is built on first use (class_descs.h), so registering from here is safe
// whatever the order in which the module's source files are initialised.
ParamBlockDesc2 wobblexParameters(
    kWobblexParamsBlockId, L"wobblexParameters", 0, GetWobblexDesc(), P_AUTO_CONSTRUCT | P_AUTO_UI | P_VERSION,
    kWobblexParamsVersion, kWobblexParamsRef, ParamBlockAutoUI{IDD_WOBBLEX, 233, 0, nullptr},
    {
        Spinner(delay, L"delay", 224, 0, 2147483647, IDC_DELAY_EDIT, IDC_DELAY_SPIN),
        Spinner(skid, L"skid", 225, 0, 100, IDC_SKID_EDIT, IDC_SKID_SPIN),
        Spinner(amplitude_x, L"amplitude_x", 226, 0, 100000, IDC_AMPLITUDE_X_EDIT, IDC_AMPLITUDE_X_SPIN),
        Spinner(period_x, L"period_x", 227, 0, 1000000, IDC_PERIOD_X_EDIT, IDC_PERIOD_X_SPIN),
        Spinner(shift_x, L"shift_x", 228, 0, 359, IDC_SHIFT_X_EDIT, IDC_SHIFT_X_SPIN),
        Lock(lock_x, L"lock_x", 229),
        Lock(lock_y, L"lock_y", 230),
        Lock(lock_z, L"lock_z", 231),
        Spinner(throbbing_x, L"throbbing_x", 232, 0, 100, IDC_THROBBING_X_EDIT, IDC_THROBBING_X_SPIN),
        Spinner(amplitude_y, L"amplitude_y", 60, 0, 100000, IDC_AMPLITUDE_Y_EDIT, IDC_AMPLITUDE_Y_SPIN),
        Spinner(period_y, L"period_y", 62, 0, 1000000, IDC_PERIOD_Y_EDIT, IDC_PERIOD_Y_SPIN),
        Spinner(shift_y, L"shift_y", 64, 0, 359, IDC_SHIFT_Y_EDIT, IDC_SHIFT_Y_SPIN),
        Spinner(throbbing_y, L"throbbing_y", 66, 0, 100, IDC_THROBBING_Y_EDIT, IDC_THROBBING_Y_SPIN),
        Spinner(amplitude_z, L"amplitude_z", 61, 0, 100000, IDC_AMPLITUDE_Z_EDIT, IDC_AMPLITUDE_Z_SPIN),
        Spinner(period_z, L"period_z", 63, 0, 1000000, IDC_PERIOD_Z_EDIT, IDC_PERIOD_Z_SPIN),
        Spinner(shift_z, L"shift_z", 65, 0, 359, IDC_SHIFT_Z_EDIT, IDC_SHIFT_Z_SPIN),
        Spinner(throbbing_z, L"throbbing_z", 67, 0, 100, IDC_THROBBING_Z_EDIT, IDC_THROBBING_Z_SPIN),
    });
