// A stand-in plug-in module for the loader's tests: one class, and, by compile definition, a
// wrong SDK version (FAKE_MODULE_VERSION) or a missing LibShutdown (FAKE_MODULE_NO_SHUTDOWN).

#include "host/sdk/iparamb2.h"
#include "host/sdk/plugapi.h"

namespace {

class FakeClassDesc : public ClassDesc2 {
public:
  int IsPublic() override { return TRUE; }
  void* Create(BOOL) override { return nullptr; }
  const MCHAR* ClassName() override { return L"Fake"; }
  SClass_ID SuperClassID() override { return HELPER_CLASS_ID; }
  Class_ID ClassID() override { return Class_ID(0x0FA4E001, 0x0FA4E002); }
  const MCHAR* Category() override { return L"Test"; }
};

FakeClassDesc g_desc;

}  // namespace

extern "C" {
__attribute__((visibility("default"))) ULONG LibVersion() { return FAKE_MODULE_VERSION; }
__attribute__((visibility("default"))) int LibNumberClasses() { return 1; }
__attribute__((visibility("default"))) ClassDesc* LibClassDesc(int i) { return i == 0 ? &g_desc : nullptr; }
__attribute__((visibility("default"))) const MCHAR* LibDescription() { return L"fake module"; }
__attribute__((visibility("default"))) int LibInitialize() { return TRUE; }
#ifndef FAKE_MODULE_NO_SHUTDOWN
__attribute__((visibility("default"))) int LibShutdown() { return TRUE; }
#endif
}
