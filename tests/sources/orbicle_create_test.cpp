// Interactive creation of an orbicle, driven as the host's create mode drives it: press (the
// centre), moves, press (the radius), with Ctrl turning the object toward the mouse.

#include <cmath>

#include "host/headless/headless_viewport.h"
#include "host/headless/param_map.h"
#include "influence_source_fixture.h"
#include "module/registry/orbicle_parameters.h"
#include "sources/orbicle_create.h"
#include "support/tolerance.h"

namespace {

using namespace orbicle_param;

constexpr float kPi = 3.14159265f;

class OrbicleCreateTest : public InfluenceSourceTest {
protected:
  // A tenth of a unit per pixel, the world origin at screen (200, 200).
  HeadlessViewport view_{0.1f, IPoint2{200, 200}};

  static IPoint2 ScreenOf(float x, float y) {
    return IPoint2{200 + static_cast<int>(std::lround(x * 10)), 200 - static_cast<int>(std::lround(y * 10))};
  }
  static float Size(Orbicle* ob, ParamID id) { return ob->pblock2->GetFloat(id, 0); }
};

TEST_F(OrbicleCreateTest, SecondPointSetsAllThreeSizesToTwiceTheDistance) {
  auto* ob = new Orbicle();
  INode* node = CreateByMouse(ob, &view_, PressMovePress(ScreenOf(1, 1), ScreenOf(4, 5)));
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->GetObjectRef(), ob);
  for (ParamID id : {length, width, height}) EXPECT_NEAR(Size(ob, id), 10.0f, 1e-4f);
  Matrix3 expected;
  expected.SetTrans(Point3(1, 1, 0));
  EXPECT_TRUE(ExpectMatrix3Near(node->GetNodeTM(0), expected, 1e-5f)) << "the first press is the centre";
  EXPECT_FALSE(ob->suspendSnap);
}

TEST_F(OrbicleCreateTest, CtrlTurnsTheObjectTowardTheMouseBySnappedAngle) {
  struct Case {
    const char* name;
    int flags;
    float angleStep;  // degrees; 0: no angle snap
    Point3 centre;
    float expectedDegrees;
  };
  const Case cases[] = {
      {"no snap", MOUSE_CTRL, 0, Point3(0, 0, 0), 135},
      {"5 degree snap", MOUSE_CTRL, 5, Point3(0, 0, 0), 135},
      {"40 degree snap", MOUSE_CTRL, 40, Point3(0, 0, 0), 120},
      {"off the origin", MOUSE_CTRL, 5, Point3(2, 3, 0), 135},
      {"without Ctrl", 0, 5, Point3(0, 0, 0), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    view_.SetAngleSnap(c.angleStep);
    auto* ob = new Orbicle();
    const Point3 second = c.centre + Point3(-1, 1, 0);
    INode* node = CreateByMouse(ob, &view_,
                                PressMovePress(ScreenOf(c.centre.x, c.centre.y), ScreenOf(second.x, second.y), c.flags, 3));
    ASSERT_NE(node, nullptr);
    const float a = c.expectedDegrees * kPi / 180.0f;
    Matrix3 expected = RotateZMatrix(a);
    expected.SetTrans(c.centre);
    EXPECT_TRUE(ExpectMatrix3Near(node->GetNodeTM(0), expected, 1e-5f));
    EXPECT_NEAR(Size(ob, length), 2.0f * std::sqrt(2.0f), 1e-4f);
  }
}

TEST_F(OrbicleCreateTest, PointsAreSnappedToTheGrid) {
  view_.SetGridSnap(1.0f);
  auto* ob = new Orbicle();
  INode* node = CreateByMouse(ob, &view_, PressMovePress(ScreenOf(0.3f, 0.8f), ScreenOf(2.9f, 1.2f)));
  ASSERT_NE(node, nullptr);
  EXPECT_TRUE(ExpectPoint3Near(node->GetNodeTM(0).GetTrans(), Point3(0, 1, 0), 1e-5f));
  EXPECT_NEAR(Size(ob, width), 6.0f, 1e-4f);
}

TEST_F(OrbicleCreateTest, ClickThatBarelyMovesIsAborted) {
  struct Case {
    const char* name;
    float unitsPerPixel;
    IPoint2 first, second;
  };
  const Case cases[] = {
      {"under 3 pixels", 1.0f, {10, 10}, {12, 11}},      // 2.2 pixels, 2.2 units
      {"under 0.1 units", 0.01f, {10, 10}, {15, 10}},    // 5 pixels, 0.05 units
      {"same point", 1.0f, {10, 10}, {10, 10}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HeadlessViewport view(c.unitsPerPixel);
    auto* ob = new Orbicle();  // deleted by the aborted creation
    Matrix3 mat;
    OrbicleCreateCallBack* cb = static_cast<OrbicleCreateCallBack*>(ob->GetCreateMouseCallBack());
    CreationRun run = DriveCreation(cb, &view, PressMovePress(c.first, c.second), mat);
    EXPECT_EQ(run.result, CREATE_ABORT);
    EXPECT_EQ(run.eventsUsed, 3);
    EXPECT_FALSE(ob->suspendSnap);
    ob->DeleteThis();
    EXPECT_EQ(cb->Obj(), nullptr) << "the callback forgets a destroyed orbicle";
  }
  EXPECT_EQ(CreateByMouse(new Orbicle(), &view_, PressMovePress({10, 10}, {11, 10})), nullptr);
  EXPECT_EQ(host().AllNodes().size(), 0u);
}

TEST_F(OrbicleCreateTest, EventsInTheirOrder) {
  Orbicle* ob = Keep(new Orbicle());
  CreateMouseCallBack* cb = ob->GetCreateMouseCallBack();
  Matrix3 mat;
  IPoint2 m = ScreenOf(1, 0);
  EXPECT_EQ(cb->proc(&view_, MOUSE_FREEMOVE, 0, 0, m, mat), CREATE_CONTINUE);
  EXPECT_EQ(view_.Previews().size(), 1u) << "a free move shows a snap preview";
  EXPECT_EQ(Size(ob, length), 10.0f);

  EXPECT_EQ(cb->proc(&view_, MOUSE_POINT, 0, 0, m, mat), CREATE_CONTINUE);
  EXPECT_TRUE(ob->suspendSnap);
  for (ParamID id : {length, width, height}) EXPECT_EQ(Size(ob, id), 0.0f);
  EXPECT_TRUE(ExpectPoint3Near(mat.GetTrans(), Point3(1, 0, 0), 1e-6f));

  EXPECT_EQ(cb->proc(&view_, MOUSE_MOVE, 1, 0, ScreenOf(1, 2), mat), CREATE_CONTINUE);
  EXPECT_NEAR(Size(ob, height), 4.0f, 1e-4f);
  EXPECT_EQ(cb->proc(&view_, MOUSE_MOVE, 1, 0, ScreenOf(1, 3), mat), CREATE_CONTINUE);
  EXPECT_NEAR(Size(ob, height), 6.0f, 1e-4f);
  EXPECT_EQ(cb->proc(&view_, MOUSE_DBLCLICK, 1, 0, ScreenOf(1, 9), mat), CREATE_CONTINUE);
  EXPECT_NEAR(Size(ob, height), 6.0f, 1e-4f) << "other messages change nothing";
  EXPECT_EQ(cb->proc(&view_, MOUSE_ABORT, 1, 0, m, mat), CREATE_ABORT);
}

TEST_F(OrbicleCreateTest, OpenRolloutIsRefreshedWhileTheSizeChanges) {
  auto* ob = new Orbicle();
  ob->BeginEditParams(nullptr, BEGIN_EDIT_CREATE, nullptr);
  auto* map = dynamic_cast<ParamMap2*>(OrbicleParamMap());
  ASSERT_NE(map, nullptr);
  const int before = map->Invalidations();
  INode* node = CreateByMouse(ob, &view_, PressMovePress(ScreenOf(0, 0), ScreenOf(3, 0), 0, 2));
  ASSERT_NE(node, nullptr);
  EXPECT_GE(map->Invalidations() - before, 3) << "two moves and the second press";
  ob->EndEditParams(nullptr, END_EDIT_REMOVEUI, nullptr);
  EXPECT_EQ(OrbicleParamMap(), nullptr);
}

}  // namespace
