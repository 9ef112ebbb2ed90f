// Bones and skins on nodes whose world-space modifiers work in world space (the node then reports
// an identity object transform after them): box bones measure where they stand, a Wobblex bone
// lags from there, and an attachment stores the world positions, all against hand-worked values.

#include <cmath>

#include "deformer/attachment.h"
#include "deformer/bone_shapes.h"
#include "deformer/secondary_motion.h"
#include "deformer/skin_services.h"
#include "deformer/tessarin.h"
#include "sources/motion_settings_lookup.h"
#include "sources/wobblex_fixture.h"
#include "support/tolerance.h"

namespace {

constexpr float kPi = 3.14159265358979f;

// The box from lo to hi as a triangle mesh's corners (no faces: the bone measurement reads points).
TriObject* BoxCorners(Point3 lo, Point3 hi) {
  TriObject* tri = CreateNewTriObject();
  for (int k = 0; k < 8; ++k) tri->mesh.verts.push_back({(k & 1) ? hi.x : lo.x, (k & 2) ? hi.y : lo.y, (k & 4) ? hi.z : lo.z});
  tri->mesh.InvalidateGeomCache();
  return tri;
}

class PlacementTest : public WobblexTest {
protected:
  void SetUp() override {
    WobblexTest::SetUp();
    saved_ = GetSkinServices();
    InstallMotionSettingsLookup();
  }
  void TearDown() override {
    GetSkinServices() = saved_;
    WobblexTest::TearDown();
  }
  // Scale s, a turn about z (local x to world y), then a move.
  static void Place(SceneNode* node, float s, float turn, Point3 move) {
    node->Track().scale = Point3(s, s, s);
    node->Track().rotation = QFromAngAxis(turn, Point3(0, 0, 1));
    node->Track().position = move;
    node->TransformChanged();
  }

private:
  SkinServices saved_;
};

struct BoxBoneCase {
  const char* name;
  bool worldSpaceModifier;
  float scale;
  float turn;
  Point3 move;
  Point3 offset;       // the node's object offset
  Point3 centre;       // expected
  Point3 axisX;        // expected, the frame's first axis
  Point3 radii;        // expected
};

class BoxBonePlacementTest : public PlacementTest, public ::testing::WithParamInterface<BoxBoneCase> {};

// The box x in [-1, 1], y in [-2, 2], z in [-3, 3] about (0, 0, 1) in object space.
TEST_P(BoxBonePlacementTest, MeasuresWhereTheBoneStands) {
  const BoxBoneCase& c = GetParam();
  std::vector<Modifier*> mods;
  if (c.worldSpaceModifier) mods.push_back(new Wobblex());
  SceneNode* node = NodeWith(L"bone", BoxCorners({-1, -2, -2}, {1, 2, 4}), mods);
  node->SetObjOffsetPos(c.offset);
  Place(node, c.scale, c.turn, c.move);
  ASSERT_EQ(node->GetObjTMAfterWSM(0).IsIdentity(), c.worldSpaceModifier);
  Tessarin* skin = new Tessarin();
  skin->table.ResizeBones(1);
  skin->table.bones[0]->kind = kBoxBone;
  skin->SetBoneNode(0, node);
  BoneShape shape;
  MeasureShape(*skin->table.bones[0], 0, skin->settings.minRadius, shape);
  EXPECT_TRUE(ExpectPoint3Near(GetOrigin(shape.frame), c.centre, 1e-4f));
  EXPECT_TRUE(ExpectPoint3Near(GetAxis(shape.frame, 0), c.axisX, 1e-5f));
  EXPECT_TRUE(ExpectPoint3Near(Point3(shape.radius[0], shape.radius[1], shape.radius[2]), c.radii, 1e-4f));
  skin->DeleteMe();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BoxBonePlacementTest,
    ::testing::Values(
        BoxBoneCase{"Moved", true, 1, 0, {10, 0, 0}, {}, {10, 0, 1}, {1, 0, 0}, {1, 2, 3}},
        // x2, a quarter turn, moved: the centre (0, 0, 1) goes to (0, 0, 2) + (10, 0, 0).
        BoxBoneCase{"Placed", true, 2, kPi / 2, {10, 0, 0}, {}, {10, 0, 2}, {0, 1, 0}, {2, 4, 6}},
        BoxBoneCase{"PlacedWithoutModifier", false, 2, kPi / 2, {10, 0, 0}, {}, {10, 0, 2}, {0, 1, 0}, {2, 4, 6}},
        // The offset moves the object by (1, 0, 0) in the node's space before the node's transform.
        BoxBoneCase{"PlacedWithOffset", true, 2, kPi / 2, {10, 0, 0}, {1, 0, 0}, {10, 2, 2}, {0, 1, 0}, {2, 4, 6}}),
    [](const ::testing::TestParamInfo<BoxBoneCase>& info) { return info.param.name; });

// A mesh bone carrying its Wobblex: with inertia on it lags behind by the delay from where it
// stands, not from its object-space place.
TEST_F(PlacementTest, WobblexBoneLagsFromWhereItStands) {
  Wobblex* w = new Wobblex();
  ASSERT_TRUE(w->pblock->SetValue(wobblex_param::delay, 0, 960));
  SceneNode* node = NodeWith(L"bone", BoxCorners({-1, -1, -1}, {1, 1, 1}), {w});
  // From (0, 0, 0) at 0 to (48, 0, 0) at 4800 ticks: 0.01 per tick; turned a quarter about z.
  node->Track().positionKeys = {{0, Point3(0, 0, 0)}, {4800, Point3(48, 0, 0)}};
  node->Track().rotation = QFromAngAxis(kPi / 2, Point3(0, 0, 1));
  node->TransformChanged();
  Tessarin* skin = new Tessarin();
  skin->table.ResizeBones(1);
  skin->table.bones[0]->kind = kBoxBone;
  skin->SetBoneNode(0, node);
  UpdateBoneShapesWithMotion(*skin, 3000, true, false);
  const BoneShape& lagged = skin->table.bones[0]->shape;
  // At 3000 − 960 = 2040 ticks the bone stood at (20.4, 0, 0).
  EXPECT_TRUE(ExpectPoint3Near(GetOrigin(lagged.frame), Point3(20.4f, 0, 0), 1e-3f));
  EXPECT_TRUE(ExpectPoint3Near(GetAxis(lagged.frame, 0), Point3(0, 1, 0), 1e-5f));
  UpdateBoneShapesWithMotion(*skin, 3000, false, false);
  EXPECT_TRUE(ExpectPoint3Near(GetOrigin(skin->table.bones[0]->shape.frame), Point3(30, 0, 0), 1e-3f));
  skin->DeleteMe();
}

}  // namespace
