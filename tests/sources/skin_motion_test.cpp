// A skinned mesh whose bone carries a Wobblex: the skin's own switches turn the bone's lag on for
// the whole evaluation.

#include "deformer/skin_scene.h"
#include "deformer/skin_services.h"
#include "module/registry/tessarin_parameters.h"
#include "module/registry/wobblex_parameters.h"
#include "sources/motion_settings_lookup.h"
#include "sources/wobblex.h"
#include "support/tolerance.h"

namespace {

class SkinMotion : public SkinSceneTest {
protected:
  void SetUp() override {
    SkinSceneTest::SetUp();
    saved_ = GetSkinServices();
    InstallMotionSettingsLookup();
  }
  void TearDown() override {
    GetSkinServices() = saved_;
    SkinSceneTest::TearDown();
  }

private:
  SkinServices saved_;
};

TEST_F(SkinMotion, InertiaMakesTheSkinFollowItsBoneByTheDelay) {
  SceneNode* mesh = SkinnedNode(Tube(6, 6, 10, 1.0f));
  auto* dummy = new DummyObject();
  dummy->box = Box3(Point3(0, -1, -1), Point3(10, 1, 1));
  auto* wobblex = new Wobblex();
  ASSERT_TRUE(wobblex->pblock->SetValue(wobblex_param::delay, 0, 1200));
  IDerivedObject* ws = CreateWSDerivedObject(dummy);
  ws->AddModifier(wobblex);
  SceneNode* bone = host().CreateNode(L"bone", ws);
  AssignBones(skin(), {bone});
  ASSERT_TRUE(ReattachSkin(skin(), nullptr));
  bone->Track().positionKeys = {{0, Point3(0, 0, 0)}, {4800, Point3(0, 12, 0)}};
  bone->TransformChanged();

  const std::vector<Point3> rigidEarlier = Evaluate(mesh, 3600 - 1200);
  const std::vector<Point3> rigidNow = Evaluate(mesh, 3600);
  ASSERT_TRUE(skin().pblock->SetValue(use_inertia, 0, 1));
  const std::vector<Point3> lagging = Evaluate(mesh, 3600);
  ASSERT_EQ(lagging.size(), rigidEarlier.size());
  for (std::size_t i = 0; i < lagging.size(); ++i) EXPECT_TRUE(ExpectPoint3Near(lagging[i], rigidEarlier[i], 1e-4f)) << i;
  EXPECT_NEAR(rigidNow[0].y - lagging[0].y, 3.0f, 1e-3f) << "a quarter second behind at 12 units per second";
}

}  // namespace
