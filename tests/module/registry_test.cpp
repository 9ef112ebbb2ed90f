// Registry pieces that the loaded module does not show: creation through a factory and the
// orbicle's class-level creation values.

#include <gtest/gtest.h>

#include <stdexcept>

#include "host/sdk/object.h"

#include "module/registry/class_descs.h"

namespace {

class Probe : public HelperObject {
public:
  explicit Probe(bool fail) {
    if (fail) throw std::runtime_error("constructor failed");
  }
  ObjectState Eval(TimeValue) override { return ObjectState(this); }
};

TEST(PluginClassDesc, CreatesThroughItsFactoryAndNeverThrows) {
  PluginClassDesc desc(L"Probe", HELPER_CLASS_ID, Class_ID(0x0BE0B001, 0x0BE0B002));
  EXPECT_EQ(desc.Create(FALSE), nullptr);  // no factory: nothing

  desc.SetFactory([]() -> void* { return static_cast<Object*>(new (std::nothrow) Probe(false)); });
  void* made = desc.Create(TRUE);
  ASSERT_NE(made, nullptr);
  static_cast<Object*>(made)->DeleteThis();

  desc.SetFactory([]() -> void* { return static_cast<Object*>(new (std::nothrow) Probe(true)); });
  EXPECT_EQ(desc.Create(FALSE), nullptr);
}

TEST(OrbicleClassDesc, ResetClassParamsRestoresTheCreationValues) {
  OrbicleClassParams& p = OrbicleCreationParams();
  p.segments = 40;
  p.createMethod = 0;
  p.createPoint = Point3(1, 2, 3);
  p.createValue = 7.5f;
  GetOrbicleDesc()->ResetClassParams(FALSE);
  EXPECT_EQ(p.segments, 16);
  EXPECT_EQ(p.createMethod, 1);
  EXPECT_EQ(p.createPoint, Point3(0, 0, 0));
  EXPECT_EQ(p.createValue, 0.0f);
}

}  // namespace
