// How a skin finds and reads a bone's Wobblex: which modifier counts, and the clamping of the
// values it reads.

#include <functional>

#include "host/headless/builtin_objects.h"
#include "module/registry/class_ids.h"
#include "deformer/skin_services.h"
#include "sources/motion_settings_lookup.h"
#include "sources/wobblex_fixture.h"

namespace {

using namespace wobblex_param;

MotionSettings Wanting(bool inertia, bool oscillation) {
  MotionSettings s;
  s.wantInertia = inertia;
  s.wantOscillation = oscillation;
  return s;
}

// A world-space modifier that claims the Wobblex class, as another build of it might.
class Impostor : public Modifier {
public:
  Impostor(Class_ID id, bool subclass, int blocks) : id_(id), subclass_(subclass), blocks_(blocks) {}
  SClass_ID SuperClassID() override { return WSM_CLASS_ID; }
  Class_ID ClassID() override { return id_; }
  BOOL IsSubClassOf(Class_ID id) override { return id == id_ || (subclass_ && id == WOBBLEX_CLASS_ID); }
  int NumParamBlocks() override { return blocks_; }
  ChannelMask ChannelsUsed() override { return GEOM_CHANNEL; }
  ChannelMask ChannelsChanged() override { return GEOM_CHANNEL; }
  Class_ID InputType() override { return defObjectClassID; }
  void ModifyObject(TimeValue, ModContext&, ObjectState*, INode*) override {}

private:
  Class_ID id_;
  bool subclass_;
  int blocks_;
};

using MotionLookup = WobblexTest;

struct ClampCase {
  const char* name;
  ParamID id;
  int stored;
  std::function<int(const MotionSettings&)> read;
  int expected;
};

class MotionLookupClamping : public WobblexTest, public ::testing::WithParamInterface<ClampCase> {};

TEST_P(MotionLookupClamping, ReadsTheValueHeldToItsRange) {
  const ClampCase& c = GetParam();
  Wobblex* w = new Wobblex();
  Set(w, c.id, c.stored);
  SceneNode* bone = NodeWith(L"bone", new DummyObject(), {w});
  MotionSettings s = Wanting(true, true);
  ASSERT_TRUE(FindMotionSettings(bone, 0, &s));
  EXPECT_EQ(c.read(s), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, MotionLookupClamping,
    ::testing::Values(
        ClampCase{"AmplitudeAboveRange", amplitude_x, 250000, [](auto& s) { return s.axis[0].amplitude; }, 100000},
        ClampCase{"NegativeAmplitude", amplitude_z, -3, [](auto& s) { return s.axis[2].amplitude; }, 0},
        ClampCase{"NegativeThrobbing", throbbing_y, -20, [](auto& s) { return s.axis[1].throbbing; }, 0},
        ClampCase{"ThrobbingAboveRange", throbbing_z, 101, [](auto& s) { return s.axis[2].throbbing; }, 100},
        ClampCase{"SkidAboveRange", skid, 150, [](auto& s) { return s.skid; }, 100},
        ClampCase{"NegativeSkid", skid, -1, [](auto& s) { return s.skid; }, 0},
        ClampCase{"ShiftNotClamped", shift_y, -725, [](auto& s) { return s.axis[1].shift; }, -725},
        ClampCase{"PeriodNotClamped", period_z, 2000000, [](auto& s) { return s.axis[2].period; }, 2000000},
        ClampCase{"DelayNotClamped", delay, -40, [](auto& s) { return s.delay; }, -40}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MotionLookup, ReadsAtTheEvaluationTime) {
  Wobblex* w = new Wobblex();
  w->pblock->SetKey(delay, 0, PB2Value::Int(10));
  w->pblock->SetKey(delay, 4800, PB2Value::Int(30));
  SceneNode* bone = NodeWith(L"bone", new DummyObject(), {w});
  MotionSettings s = Wanting(true, false);
  ASSERT_TRUE(FindMotionSettings(bone, 4800, &s));
  EXPECT_EQ(s.delay, 30);
  ASSERT_TRUE(FindMotionSettings(bone, 0, &s));
  EXPECT_EQ(s.delay, 10);
}

TEST_F(MotionLookup, FillsOnlyThePartsAskedFor) {
  Wobblex* w = new Wobblex();
  Set(w, delay, 50);
  Set(w, amplitude_x, 20);
  SceneNode* bone = NodeWith(L"bone", new DummyObject(), {w});

  MotionSettings inertia = Wanting(true, false);
  ASSERT_TRUE(FindMotionSettings(bone, 0, &inertia));
  EXPECT_EQ(inertia.delay, 50);
  EXPECT_EQ(inertia.axis[0].amplitude, 0);
  EXPECT_EQ(inertia.axis[0].period, 0);

  MotionSettings oscillation = Wanting(false, true);
  ASSERT_TRUE(FindMotionSettings(bone, 0, &oscillation));
  EXPECT_EQ(oscillation.delay, 0);
  EXPECT_EQ(oscillation.axis[0].amplitude, 20);
  EXPECT_EQ(oscillation.axis[1].period, 1600);
}

TEST_F(MotionLookup, OnlyTheFirstWobblexInModifierOrderCounts) {
  Wobblex* top = new Wobblex();
  Wobblex* second = new Wobblex();
  Set(top, delay, 5);
  Set(second, delay, 9);
  SceneNode* bone = NodeWith(L"bone", new DummyObject(), {top, second});
  MotionSettings s = Wanting(true, false);
  ASSERT_TRUE(FindMotionSettings(bone, 0, &s));
  EXPECT_EQ(s.delay, 5);
}

TEST_F(MotionLookup, OtherModifiersAboveTheWobblexAreSkipped) {
  Wobblex* w = new Wobblex();
  Set(w, delay, 7);
  SceneNode* bone = NodeWith(L"bone", new DummyObject(), {new Impostor(Class_ID(1, 2), false, 1), w});
  MotionSettings s = Wanting(true, false);
  ASSERT_TRUE(FindMotionSettings(bone, 0, &s));
  EXPECT_EQ(s.delay, 7);
}

TEST_F(MotionLookup, NoSettingsWithoutAUsableWobblex) {
  MotionSettings s = Wanting(true, true);
  EXPECT_FALSE(FindMotionSettings(nullptr, 0, &s));
  EXPECT_FALSE(FindMotionSettings(NodeWith(L"bare", new DummyObject()), 0, &s));
  EXPECT_FALSE(FindMotionSettings(NodeWith(L"empty", nullptr), 0, &s));

  // Only the outermost stack counts: below a world-space stack, a Wobblex on the object-space
  // stack is not seen.
  IDerivedObject* objectSpace = CreateDerivedObject(new DummyObject());
  objectSpace->AddModifier(new Wobblex());
  EXPECT_FALSE(FindMotionSettings(NodeWith(L"nested", objectSpace, {new Impostor(Class_ID(1, 2), false, 1)}), 0, &s));

  // A subclass found first hides a real Wobblex below it; so does one with two blocks.
  Wobblex* w = new Wobblex();
  EXPECT_FALSE(FindMotionSettings(NodeWith(L"sub", new DummyObject(), {new Impostor(Class_ID(7, 7), true, 1), w}), 0, &s));
  EXPECT_FALSE(FindMotionSettings(NodeWith(L"twoBlocks", new DummyObject(), {new Impostor(WOBBLEX_CLASS_ID, false, 2)}), 0, &s));

  // A Wobblex whose block is not (yet) a current one.
  Wobblex* blockless = new Wobblex();
  blockless->ReplaceReference(0, nullptr);
  EXPECT_FALSE(FindMotionSettings(NodeWith(L"blockless", new DummyObject(), {blockless}), 0, &s));
  EXPECT_EQ(s.delay, 0);
}

TEST_F(MotionLookup, InstallingMakesSkinsUseIt) {
  SkinServices saved = GetSkinServices();
  GetSkinServices().findMotionSettings = nullptr;
  InstallMotionSettingsLookup();
  EXPECT_EQ(GetSkinServices().findMotionSettings, &FindMotionSettings);
  GetSkinServices() = saved;
}

}  // namespace
