#include "module/registry/influence_interfaces.h"

FPStatus InfluencePublicInterface::_dispatch_fn(FunctionID fid, TimeValue t, FPValue& result, FPParams* p) {
  (void)t; (void)result; (void)p;
  switch (fid) {
    // fn_get_influence and fn_set_influence join here with the influence tables.
    default:
      return FPS_NO_SUCH_FUNCTION;
  }
}
