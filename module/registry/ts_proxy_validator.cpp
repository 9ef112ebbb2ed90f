#include "module/registry/ts_proxy_validator.h"

BOOL TS_Proxy_Validator::Validate(PB2Value& v) {
  (void)v;
  return FALSE;
}

BOOL TS_Proxy_Validator::Validate(PB2Value& v, ReferenceMaker* owner, ParamID id, int tabIndex) {
  (void)v; (void)owner; (void)id; (void)tabIndex;
  return FALSE;
}

namespace {

constinit TS_Proxy_Validator g_validator;

}  // namespace

TS_Proxy_Validator* ProxyValidator() { return &g_validator; }
