// Secondary motion of bones that carry a Wobblex, against animated bone nodes of the headless
// host: inertia (delay and skid) and oscillation (displacement and throbbing), read through the
// Wobblex lookup the module installs.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "deformer/bone_shapes.h"
#include "deformer/secondary_motion.h"
#include "deformer/skin_services.h"
#include "deformer/tessarin.h"
#include "host/headless/builtin_objects.h"
#include "sources/motion_settings_lookup.h"
#include "sources/wobblex_fixture.h"
#include "support/tolerance.h"

namespace {

using namespace wobblex_param;

constexpr float kPi = 3.14159265358979f;

::testing::AssertionResult ShapesNear(const BoneShape& a, const BoneShape& b, float tol) {
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 4; ++c)
      if (std::fabs(a.frame.m[r][c] - b.frame.m[r][c]) > tol)
        return ::testing::AssertionFailure() << "frames differ at [" << r << "][" << c << "]: " << a.frame.m[r][c]
                                             << " vs " << b.frame.m[r][c];
  for (int c = 0; c < 3; ++c)
    if (std::fabs(a.radius[c] - b.radius[c]) > tol)
      return ::testing::AssertionFailure() << "radius " << c << ": " << a.radius[c] << " vs " << b.radius[c];
  return ::testing::AssertionSuccess();
}

bool SameBits(const BoneShape& a, const BoneShape& b) { return std::memcmp(&a, &b, sizeof(BoneShape)) == 0; }

class SecondaryMotionTest : public WobblexTest {
protected:
  void SetUp() override {
    WobblexTest::SetUp();
    saved_ = GetSkinServices();
    InstallMotionSettingsLookup();
    skin_ = new Tessarin();
  }
  void TearDown() override {
    skin_->DeleteMe();
    GetSkinServices() = saved_;
    WobblexTest::TearDown();
  }

  // Appends a bone of the given kind made from node; returns its index.
  int AddBone(INode* node, int kind) {
    BoneTable& table = skin_->table;
    const int i = table.boneCount;
    table.ResizeBones(i + 1);
    table.bones[i]->kind = kind;
    skin_->SetBoneNode(i, node);
    return i;
  }

  // Bone i's shape after updating every bone at t.
  BoneShape ShapeAt(int i, TimeValue t, bool inertia, bool oscillation) {
    UpdateBoneShapesWithMotion(*skin_, t, inertia, oscillation);
    return skin_->table.bones[i]->shape;
  }
  // Bone i measured rigidly at t.
  BoneShape RigidAt(int i, TimeValue t) {
    BoneShape s;
    MeasureShape(*skin_->table.bones[i], t, skin_->settings.minRadius, s);
    return s;
  }

  // A box bone (a dummy) whose node moves from `from` at 0 to `to` at 4800 ticks, turning by
  // `turn` radians about z on the way.
  SceneNode* MovingBox(Wobblex* w, const Point3& from, const Point3& to, float turn = 0.0f) {
    SceneNode* node = NodeWith(L"box", new DummyObject(), {w});
    Animate(node, from, to, turn);
    return node;
  }
  static void Animate(SceneNode* node, const Point3& from, const Point3& to, float turn = 0.0f) {
    node->Track().positionKeys = {{0, from}, {4800, to}};
    if (turn != 0.0f) node->Track().rotationKeys = {{0, Quat()}, {4800, QFromAngAxis(turn, Point3(0, 0, 1))}};
    node->TransformChanged();
  }

  // A link bone: joint `child` under joint `parent`, the Wobblex on the child. The parent is
  // animated by the caller.
  int LinkBone(Wobblex* w, SceneNode*& parent) {
    parent = NodeWith(L"hip", new LegacyBoneObject());
    SceneNode* child = NodeWith(L"knee", new LegacyBoneObject(), {w}, parent);
    child->Track().position = Point3(0, 0, -8);
    child->TransformChanged();
    return AddBone(child, kLinkBone);
  }

  Tessarin* skin_ = nullptr;

private:
  SkinServices saved_;
};

// --- Inertia ---------------------------------------------------------------------------------

TEST_F(SecondaryMotionTest, LinkBoneLagsByExactlyItsDelay) {
  Wobblex* w = new Wobblex();
  Set(w, delay, 10);
  SceneNode* hip = nullptr;
  const int bone = LinkBone(w, hip);
  // The knee swings: the link turns as well as moves.
  SceneNode* knee = static_cast<SceneNode*>(hip->GetChildNode(0));
  Animate(knee, Point3(0, 0, -8), Point3(6, 0, -6));
  const BoneShape lagged = ShapeAt(bone, 2400, true, false);
  EXPECT_TRUE(ShapesNear(lagged, RigidAt(bone, 2390), 0.0f));
  EXPECT_FALSE(ShapesNear(lagged, RigidAt(bone, 2400), 1e-4f)) << "the bone does move";
}

struct SkidCase {
  const char* name;
  int skid;
  int lag;  // ticks the bone appears behind its node at constant speed
};

class SkidAtConstantSpeed : public SecondaryMotionTest, public ::testing::WithParamInterface<SkidCase> {};

// The delayed sample extrapolated beyond the skid sample: an even delay with skid 100 cancels
// the lag at constant speed.
TEST_P(SkidAtConstantSpeed, LagsByWhatTheSkidLeaves) {
  Wobblex* w = new Wobblex();
  Set(w, delay, 480);
  Set(w, skid, GetParam().skid);
  const int bone = AddBone(MovingBox(w, Point3(0, 0, 0), Point3(48, 24, 0)), kBoxBone);
  const BoneShape lagged = ShapeAt(bone, 2400, true, false);
  EXPECT_TRUE(ShapesNear(lagged, RigidAt(bone, 2400 - GetParam().lag), 1e-4f));
}

INSTANTIATE_TEST_SUITE_P(Skids, SkidAtConstantSpeed,
                         ::testing::Values(SkidCase{"None", 0, 480}, SkidCase{"Half", 50, 240},
                                           SkidCase{"Full", 100, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SecondaryMotionTest, BoxBoneTakesTheFrameOfItsNodeDelayedAndKeepsTodaysRadii) {
  Wobblex* w = new Wobblex();
  Set(w, delay, 960);
  auto* bone3 = new BoneGeometryObject();
  SceneNode* node = NodeWith(L"forearm", bone3, {w});
  Animate(node, Point3(0, 0, 0), Point3(20, -10, 5), kPi / 2);
  const int bone = AddBone(node, kBoneObjectBone);
  const BoneShape lagged = ShapeAt(bone, 3000, true, false);
  const BoneShape past = RigidAt(bone, 3000 - 960);
  const BoneShape now = RigidAt(bone, 3000);
  for (int c = 0; c < 3; ++c) {
    EXPECT_TRUE(ExpectPoint3Near(GetAxis(lagged.frame, c), GetAxis(past.frame, c), 1e-5f)) << c;
    EXPECT_EQ(lagged.radius[c], now.radius[c]);
  }
  EXPECT_TRUE(ExpectPoint3Near(GetOrigin(lagged.frame), GetOrigin(past.frame), 1e-4f));
}

TEST_F(SecondaryMotionTest, FullSkidOnAnEvenDelayCancelsAConstantTurnToo) {
  Wobblex* w = new Wobblex();
  Set(w, delay, 600);
  Set(w, skid, 100);
  const int bone = AddBone(MovingBox(w, Point3(1, 2, 3), Point3(1, 2, 3), kPi / 2), kBoxBone);
  EXPECT_TRUE(ShapesNear(ShapeAt(bone, 2400, true, false), RigidAt(bone, 2400), 1e-5f));
}

TEST_F(SecondaryMotionTest, BoneThatHasNotMovedKeepsItsFrameExactly) {
  Wobblex* w = new Wobblex();
  Set(w, delay, 300);
  Set(w, skid, 40);
  SceneNode* node = NodeWith(L"still", new DummyObject(), {w});
  node->Track().position = Point3(3, -4, 5);
  node->Track().rotation = QFromAngAxis(0.7f, Point3(1, 2, 3).Normalize());
  node->TransformChanged();
  const int bone = AddBone(node, kBoxBone);
  EXPECT_TRUE(SameBits(ShapeAt(bone, 1000, true, true), RigidAt(bone, 1000)));
}

struct SkidTimeCase {
  const char* name;
  TimeValue t;
  TimeValue delay;
  int skid;
  TimeValue expected;
};

class SkidTimes : public ::testing::TestWithParam<SkidTimeCase> {};

TEST_P(SkidTimes, HalfTheDelayScaledBySkidBackFromTheDelayedTime) {
  const SkidTimeCase& c = GetParam();
  EXPECT_EQ(SkidTime(c.t, c.delay, c.skid), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SkidTimes,
    ::testing::Values(SkidTimeCase{"EvenDelayFullSkid", 1000, 10, 100, 995},
                      SkidTimeCase{"OddDelayHalfSkid", 1000, 11, 50, 991},
                      SkidTimeCase{"OddDelayFullSkidTruncates", 1000, 11, 100, 994},
                      SkidTimeCase{"NoSkid", 1000, 11, 0, 989},
                      // (delay / 2) × skid exceeds 32 bits here.
                      SkidTimeCase{"LongestDelay", 0, 2147483647, 100, -1073741824},
                      SkidTimeCase{"HeldToTheTimeRange", -100, 2147483647, 0, -2147483647}),
    [](const auto& info) { return std::string(info.param.name); });

// With skid the link bone is extrapolated from its frames at t − 11 and e = t − 9: moving at
// constant speed it shows the frame of t − 7, with the radii of e.
TEST_F(SecondaryMotionTest, LinkBoneWithSkidExtrapolatesFromTheOddDelaySkidTime) {
  Wobblex* w = new Wobblex();
  Set(w, delay, 11);
  Set(w, skid, 50);
  SceneNode* hip = nullptr;
  const int bone = LinkBone(w, hip);
  Animate(hip, Point3(0, 0, 0), Point3(480, 240, 0));
  const BoneShape shape = ShapeAt(bone, 2400, true, false);
  const BoneShape expected = RigidAt(bone, 2400 - 7);
  EXPECT_TRUE(ShapesNear(shape, expected, 1e-3f));
  EXPECT_FALSE(ShapesNear(shape, RigidAt(bone, 2400 - 11), 1e-2f));
  EXPECT_FALSE(ShapesNear(shape, RigidAt(bone, 2400 - 9), 1e-2f));
}

// --- Oscillation -----------------------------------------------------------------------------

class OscillationTest : public SecondaryMotionTest {
protected:
  // A still bone-geometry bone turned a quarter about z, so that its own x axis is world y;
  // radii (5, 1, 1).
  int StillBone(Wobblex* w) {
    SceneNode* node = NodeWith(L"arm", new BoneGeometryObject(), {w});
    node->Track().position = Point3(10, 0, 0);
    node->Track().rotation = QFromAngAxis(kPi / 2, Point3(0, 0, 1));
    node->TransformChanged();
    return AddBone(node, kBoneObjectBone);
  }
};

TEST_F(OscillationTest, PeriodZeroOnAnAxisDisplacesItByAConstant) {
  Wobblex* w = new Wobblex();
  Set(w, amplitude_x, 50);
  Set(w, period_x, 0);
  Set(w, shift_x, 60);  // period_y keeps its ten frames
  const int bone = StillBone(w);
  const BoneShape rest = RigidAt(bone, 0);
  const float largest = std::max({rest.radius[0], rest.radius[1], rest.radius[2]});
  const Point3 expected = GetOrigin(rest.frame) + GetAxis(rest.frame, 0) * (0.5f * largest * 0.5f);
  for (TimeValue t : {0, 400, 1234, 4800}) {
    SCOPED_TRACE(t);
    const BoneShape s = ShapeAt(bone, t, false, true);
    EXPECT_TRUE(ExpectPoint3Near(GetOrigin(s.frame), expected, 1e-5f));
    for (int c = 0; c < 3; ++c) EXPECT_EQ(s.radius[c], rest.radius[c]);
  }
}

TEST_F(OscillationTest, AllPeriodsZeroAppliesNothing) {
  Wobblex* w = new Wobblex();
  Set(w, amplitude_x, 50);
  for (ParamID id : kPeriod) Set(w, id, 0);
  const int bone = StillBone(w);
  EXPECT_TRUE(SameBits(ShapeAt(bone, 777, false, true), RigidAt(bone, 777)));
}

struct ThrobCase {
  const char* name;
  int amplitude;
  TimeValue t;    // period 1600
  float factor;   // of the y radius
};

class FullThrobbing : public OscillationTest, public ::testing::WithParamInterface<ThrobCase> {};

TEST_P(FullThrobbing, PulsesTheRadiusWithoutDisplacement) {
  Wobblex* w = new Wobblex();
  Set(w, amplitude_y, GetParam().amplitude);
  Set(w, throbbing_y, 100);
  const int bone = StillBone(w);
  const BoneShape rest = RigidAt(bone, GetParam().t);
  const BoneShape s = ShapeAt(bone, GetParam().t, false, true);
  EXPECT_TRUE(ExpectPoint3Near(GetOrigin(s.frame), GetOrigin(rest.frame), 0.0f));
  EXPECT_NEAR(s.radius[1], rest.radius[1] * GetParam().factor, 1e-5f);
  EXPECT_EQ(s.radius[0], rest.radius[0]);
  EXPECT_EQ(s.radius[2], rest.radius[2]);
}

INSTANTIATE_TEST_SUITE_P(Cases, FullThrobbing,
                         ::testing::Values(ThrobCase{"Crest", 50, 0, 1.5f}, ThrobCase{"Trough", 50, 800, 0.5f},
                                           ThrobCase{"Node", 50, 400, 1.0f},
                                           ThrobCase{"DepthHeldAt90Crest", 150, 1600, 1.9f},
                                           ThrobCase{"DepthHeldAt90Trough", 150, 2400, 0.1f}),
                         [](const auto& info) { return std::string(info.param.name); });

// Partial throbbing shares the amplitude between moving and pulsing; the phase shifts both.
TEST_F(OscillationTest, DisplacementAndThrobbingFollowTheShiftedCosine) {
  Wobblex* w = new Wobblex();
  Set(w, amplitude_z, 20);
  Set(w, period_z, 1600);
  Set(w, shift_z, 30);
  Set(w, throbbing_z, 25);
  const int bone = StillBone(w);
  const TimeValue t = 200;  // an eighth of the period: 45°, plus the 30° shift
  const BoneShape rest = RigidAt(bone, t);
  const BoneShape s = ShapeAt(bone, t, false, true);
  const float c = std::cos(75.0f * kPi / 180.0f);
  const float largest = std::max({rest.radius[0], rest.radius[1], rest.radius[2]});
  const Point3 moved = GetOrigin(rest.frame) + GetAxis(rest.frame, 2) * (c * 0.2f * largest * 0.75f);
  EXPECT_TRUE(ExpectPoint3Near(GetOrigin(s.frame), moved, 1e-5f));
  EXPECT_NEAR(s.radius[2], rest.radius[2] * (1.0f + 0.2f * 0.25f * c), 1e-6f);
}

// --- Switches, missing settings and statelessness --------------------------------------------

TEST_F(SecondaryMotionTest, BoneWithoutWobblexMovesRigidlyWithBothSwitchesOn) {
  Wobblex* w = new Wobblex();
  Set(w, delay, 480);
  Set(w, amplitude_x, 30);
  const int lagging = AddBone(MovingBox(w, Point3(0, 0, 0), Point3(48, 0, 0)), kBoxBone);
  SceneNode* plain = NodeWith(L"plain", new DummyObject());
  Animate(plain, Point3(0, 0, 0), Point3(0, 48, 0), 1.0f);
  const int rigid = AddBone(plain, kBoxBone);
  UpdateBoneShapesWithMotion(*skin_, 2400, true, true);
  EXPECT_TRUE(SameBits(skin_->table.bones[rigid]->shape, RigidAt(rigid, 2400)));
  EXPECT_FALSE(ShapesNear(skin_->table.bones[lagging]->shape, RigidAt(lagging, 2400), 1e-3f));
}

TEST_F(SecondaryMotionTest, SettingsOfASwitchThatIsOffHaveNoEffect) {
  Wobblex* w = new Wobblex();
  Set(w, delay, 480);
  Set(w, amplitude_x, 30);
  const int bone = AddBone(MovingBox(w, Point3(0, 0, 0), Point3(48, 0, 0)), kBoxBone);
  EXPECT_TRUE(SameBits(ShapeAt(bone, 2400, false, false), RigidAt(bone, 2400)));
  const BoneShape lagOnly = ShapeAt(bone, 2400, true, false);
  EXPECT_TRUE(ShapesNear(lagOnly, RigidAt(bone, 2400 - 480), 1e-4f));
  const BoneShape wobbleOnly = ShapeAt(bone, 2400, false, true);
  EXPECT_TRUE(ExpectPoint3Near(GetAxis(wobbleOnly.frame, 0), GetAxis(RigidAt(bone, 2400).frame, 0), 1e-6f));
  EXPECT_FALSE(ShapesNear(wobbleOnly, RigidAt(bone, 2400), 1e-3f));
}

TEST_F(SecondaryMotionTest, SameTimeGivesTheSameShapesWhateverCameBetween) {
  Wobblex* w = new Wobblex();
  Set(w, delay, 250);
  Set(w, skid, 70);
  Set(w, amplitude_x, 40);
  Set(w, amplitude_y, 10);
  Set(w, throbbing_y, 50);
  const int bone = AddBone(MovingBox(w, Point3(0, 0, 0), Point3(30, 10, -5), 2.0f), kBoxBone);
  SceneNode* hip = nullptr;
  Wobblex* w2 = new Wobblex();
  Set(w2, delay, 33);
  Set(w2, skid, 100);
  const int link = LinkBone(w2, hip);
  Animate(hip, Point3(0, 0, 0), Point3(-20, 5, 0), 0.5f);

  UpdateBoneShapesWithMotion(*skin_, 1700, true, true);
  const BoneShape first = skin_->table.bones[bone]->shape;
  const BoneShape firstLink = skin_->table.bones[link]->shape;
  for (TimeValue t : {3000, 100, 1699, 4800}) UpdateBoneShapesWithMotion(*skin_, t, t % 2 == 0, true);
  UpdateBoneShapesWithMotion(*skin_, 1700, true, true);
  EXPECT_TRUE(SameBits(skin_->table.bones[bone]->shape, first));
  EXPECT_TRUE(SameBits(skin_->table.bones[link]->shape, firstLink));
}

}  // namespace
