// Evaluation: the cases that pass the mesh through, the two ways of reaching world space
// (use_stack), cloning, and an animated bone chain deforming a tube.

#include <new>
#include <numbers>

#include "deformer/skin_services.h"
#include "deformer/weights.h"
#include "host/headless/derived_object.h"
#include "module/registry/skin_editor.h"
#include "module/registry/tessarin_parameters.h"
#include "skin_scene.h"
#include "support/tolerance.h"

namespace {

constexpr float kHalfPi = std::numbers::pi_v<float> / 2;

// Moves every vertex by a fixed offset (a modifier below the skin).
class ShiftModifier : public Modifier {
public:
  explicit ShiftModifier(Point3 by) : by_(by) {}
  Class_ID ClassID() override { return Class_ID(0x5417, 0x1); }
  ChannelMask ChannelsUsed() override { return GEOM_CHANNEL; }
  ChannelMask ChannelsChanged() override { return GEOM_CHANNEL; }
  Class_ID InputType() override { return defObjectClassID; }
  void ModifyObject(TimeValue, ModContext&, ObjectState* os, INode*) override {
    for (int i = 0; i < os->obj->NumPoints(); ++i) os->obj->SetPoint(i, os->obj->GetPoint(i) + by_);
  }
  Point3 by_;
};

using Evaluation = SkinSceneTest;

TEST_F(Evaluation, UnusableStatesPassTheMeshThroughWithValidityOfTheInstant) {
  SceneNode* bone = BoxBone(L"bone", {-1, -1, -1}, {1, 1, 1}, {0, 0, 0});
  struct Case {
    const char* name;
    bool bones;
    bool attached;
    int vertices;
  };
  const Case cases[] = {
      {"no carrying node", true, true, 4},
      {"no bones", false, true, 4},
      {"no vertices", true, true, 0},
      {"table not attached", true, false, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto* skin = new Tessarin();
    if (c.bones) AssignBones(*skin, {bone});
    skin->table.ResizeVertexArrays(c.vertices);
    for (auto& b : skin->table.bones) b->bindShape.radius[0] = b->bindShape.radius[1] = b->bindShape.radius[2] = 1;
    skin->table.RebuildBindFrames();
    if (c.attached) skin->table.attachTime = 0;
    TriObject* mesh = CreateNewTriObject();
    for (int i = 0; i < c.vertices; ++i) mesh->mesh.verts.emplace_back(0.1f * i, 0.0f, 0.0f);
    const std::vector<Point3> in = mesh->mesh.verts;
    SceneNode* node = nullptr;
    if (c.name != std::string("no carrying node")) {
      IDerivedObject* s = CreateDerivedObject(CreateNewTriObject());
      s->AddModifier(skin);
      node = host().CreateNode(L"n", s);
    }
    // Move the bone so that a deforming skin would move the points.
    bone->SetNodeTM(0, TransMatrix(Point3(0.5f, 0, 0)));
    ObjectState os(mesh);
    ModContext mc;
    skin->ModifyObject(Frame(3), mc, &os, node);
    EXPECT_EQ(mesh->mesh.verts, in);
    EXPECT_EQ(mesh->ChannelValidity(0, GEOM_CHAN_NUM), Interval(Frame(3), Frame(3)));
    bone->SetNodeTM(0, Matrix3());
    mesh->DeleteMe();
    if (!node) skin->DeleteMe();
  }
}

// A deformable object whose conversion to a mesh runs out of memory.
class ExhaustingObject : public GeomObject {
public:
  Class_ID ClassID() override { return Class_ID(0x5417, 0x2); }
  ObjectState Eval(TimeValue) override { return ObjectState(this); }
  BOOL IsDeformable() override { return TRUE; }
  int CanConvertToType(Class_ID) override { return 1; }
  Object* ConvertToType(TimeValue, Class_ID) override { throw std::bad_alloc(); }
};

// An evaluation that fails part way lets the mesh through without telling the host, so the
// editing interface must say so, and the next good evaluation must clear it.
TEST_F(Evaluation, AFailedEvaluationIsToldByTheEditingInterfaceUntilAGoodOne) {
  SceneNode* bone = BoxBone(L"bone", {-1, -1, -1}, {1, 1, 1}, {0, 0, 0});
  auto* skin = new Tessarin();
  AssignBones(*skin, {bone});
  skin->table.ResizeVertexArrays(4);
  for (auto& b : skin->table.bones) b->bindShape.radius[0] = b->bindShape.radius[1] = b->bindShape.radius[2] = 1;
  skin->table.RebuildBindFrames();
  skin->table.attachTime = 0;
  IDerivedObject* stack = CreateDerivedObject(CreateNewTriObject());
  stack->AddModifier(skin);
  SceneNode* node = host().CreateNode(L"n", stack);
  auto* editor = static_cast<ISkinEditor*>(skin->GetInterface(SKIN_EDITOR_INTERFACE_ID));
  ASSERT_NE(editor, nullptr);
  ModContext mc;

  ExhaustingObject exhausting;
  ObjectState failing(&exhausting);
  skin->ModifyObject(Frame(1), mc, &failing, node);
  EXPECT_TRUE(editor->LastEvaluationFailed());

  TriObject* mesh = CreateNewTriObject();
  for (int i = 0; i < 4; ++i) mesh->mesh.verts.emplace_back(0.1f * i, 0.0f, 0.0f);
  ObjectState good(mesh);
  skin->ModifyObject(Frame(2), mc, &good, node);
  EXPECT_FALSE(editor->LastEvaluationFailed());
  mesh->DeleteMe();
}

class StackBridge : public SkinSceneTest {
protected:
  // A tube whose stack has a shift modifier below the skin; bone A holds x < 10, bone B x > 10,
  // and the rings at x = 75 and x = 100 (vertices 12 to 19) are out of reach of both.
  void SetUp() override {
    SkinSceneTest::SetUp();
    base_ = Tube(5, 4, 100, 1);
    shift_ = new ShiftModifier(Point3());
    mesh_ = SkinnedNode(base_);
    stack()->AddModifier(shift_, nullptr, 1);  // below the skin
    a_ = BoxBone(L"a", {-5, -1, -1}, {5, 1, 1}, {5, 0, 0});
    b_ = BoxBone(L"b", {-5, -1, -1}, {5, 1, 1}, {15, 0, 0});
    AssignBones(skin(), {a_, b_});
    ASSERT_TRUE(ReattachSkin(skin(), nullptr));
  }
  void SetStack(bool on) { skin().pblock->SetValue(use_stack, 0, on ? 1 : 0); }
  void Shift(const Point3& by) {
    shift_->by_ = by;
    shift_->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
  }

  TriObject* base_ = nullptr;
  ShiftModifier* shift_ = nullptr;
  SceneNode* mesh_ = nullptr;
  SceneNode* a_ = nullptr;
  SceneNode* b_ = nullptr;
};

TEST_F(StackBridge, AtTheAttachmentPoseEveryVertexStaysWhereItCameIn) {
  for (bool on : {true, false}) {
    SCOPED_TRACE(on);
    SetStack(on);
    const std::vector<Point3> out = Evaluate(mesh_, 0);
    ASSERT_EQ(out.size(), base_->mesh.verts.size());
    for (std::size_t i = 0; i < out.size(); ++i) EXPECT_TRUE(ExpectPoint3Near(out[i], base_->mesh.verts[i], 1e-4f));
  }
}

TEST_F(StackBridge, WithoutTheStackInfluencedVerticesIgnoreModifiersBelow) {
  const Point3 by(0, 0, 3);
  Shift(by);
  SetStack(false);
  std::vector<Point3> out = Evaluate(mesh_, 0);
  for (int i = 0; i < 20; ++i) {
    SCOPED_TRACE(i);
    const bool influenced = WeightOf(skin(), 0, i) + WeightOf(skin(), 1, i) > 0.0f;
    EXPECT_TRUE(ExpectPoint3Near(out[i], base_->mesh.verts[i] + (influenced ? Point3() : by), 1e-4f));
  }
  EXPECT_EQ(WeightOf(skin(), 0, 19) + WeightOf(skin(), 1, 19), 0.0f);  // the far ring follows the stack

  SetStack(true);
  out = Evaluate(mesh_, 0);
  for (int i = 0; i < 20; ++i) EXPECT_TRUE(ExpectPoint3Near(out[i], base_->mesh.verts[i] + by, 1e-4f)) << i;
}

TEST_F(StackBridge, FarVerticesAreNotMovedWhenTheBonesMove) {
  b_->SetNodeTM(0, TransMatrix(Point3(15, 0, 6)));
  const std::vector<Point3> out = Evaluate(mesh_, 0);
  for (int i = 12; i < 20; ++i) EXPECT_TRUE(ExpectPoint3Near(out[i], base_->mesh.verts[i], 0.0f)) << i;
  EXPECT_NEAR(out[8].z, base_->mesh.verts[8].z + 6.0f, 1e-4f);  // x = 50: held by bone B alone
}

TEST_F(StackBridge, WhilePaintingTheColoursAreWrittenForTheInstant) {
  const TimeValue t = Frame(2);
  auto* result = static_cast<TriObject*>(mesh_->EvalWorldState(t).obj);
  EXPECT_TRUE(result->mesh.vertCol.empty());
  skin().settings.paintingColors = 1;
  skin().NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
  result = static_cast<TriObject*>(mesh_->EvalWorldState(t).obj);
  EXPECT_EQ(result->mesh.vertCol.size(), 20u);
  EXPECT_EQ(result->ChannelValidity(t, VERT_COLOR_CHAN_NUM), Interval(t, t));
  EXPECT_EQ(result->ChannelValidity(t, GEOM_CHAN_NUM), Interval(t, t));
}

TEST_F(StackBridge, ACloneReattachesOnceItIsInTheScene) {
  RemapDir* remap = NewRemapDir();
  auto* copy = static_cast<IDerivedObject*>(remap->CloneRef(stack()));
  ASSERT_NE(copy, nullptr);
  ASSERT_GE(copy->NumModifiers(), 1);  // the test's shift modifier cannot be cloned
  auto* clone = dynamic_cast<Tessarin*>(copy->GetModifier(0));
  ASSERT_NE(clone, nullptr);
  SceneNode* node = host().CreateNode(L"copy", copy);
  node->SetNodeTM(0, TransMatrix(Point3(0, 30, 0)));
  remap->Backpatch();
  remap->DeleteThis();

  EXPECT_NE(clone->instanceStamp, skin().instanceStamp);
  EXPECT_NE(clone->pblock, skin().pblock);
  EXPECT_NE(clone->sourceContainer, skin().sourceContainer);
  ASSERT_EQ(clone->table.boneCount, 2);
  EXPECT_EQ(clone->GetReference(2), a_);  // bones not cloned: the same nodes
  EXPECT_EQ(clone->GetReference(3), b_);
  EXPECT_TRUE(clone->table.IsAttached());
  EXPECT_TRUE(ExpectPoint3Near(clone->table.attachPositions[0], base_->mesh.verts[0] + Point3(0, 30, 0), 1e-5f));
  EXPECT_TRUE(clone->cache.Matches(2, 20));
  EXPECT_EQ(clone->nodeCache, node);
}

// An instanced skin has no single carrier: it passes the mesh through, whatever node it cached
// when it was attached.
TEST_F(Evaluation, AnInstancedSkinPassesTheMeshThrough) {
  SceneNode* mesh = SkinnedNode(Tube(3, 4, 10, 1));
  SceneNode* bone = BoxBone(L"a", {-5, -1, -1}, {5, 1, 1}, {5, 0, 0});
  AssignBones(skin(), {bone});
  ASSERT_TRUE(ReattachSkin(skin(), nullptr));
  ASSERT_EQ(skin().nodeCache, mesh);
  bone->SetNodeTM(0, TransMatrix(Point3(5, 0, 3)));
  const std::vector<Point3> in = static_cast<TriObject*>(stack()->GetObjRef())->mesh.verts;
  ASSERT_NE(Evaluate(mesh, 0), in) << "on one node the skin follows its bone";

  IDerivedObject* second = CreateDerivedObject(Tube(3, 4, 10, 1));
  second->AddModifier(&skin());
  host().CreateNode(L"instance", second);
  bone->SetNodeTM(0, TransMatrix(Point3(5, 0, 4)));  // a change, so that the mesh is evaluated anew
  EXPECT_EQ(Evaluate(mesh, 0), in);
}

// What the influence passes see: world positions of every vertex, also of those no bone moves
// (the far ring). With use_stack on they come from the positions the stack hands over carried by
// the attachment's transform; with it off the bones move the attachment positions and every
// other vertex is carried by the node's transform now.
TEST_F(Evaluation, InfluencePassesGetWorldPositionsOfEveryVertex) {
  // The skin's node is away from the origin; the rings at x = 50 and beyond have no bone
  // influence.
  const Point3 at(0, 0, 5);
  SceneNode* mesh = SkinnedNode(Tube(5, 4, 100, 1));
  mesh->SetNodeTM(0, TransMatrix(at));
  AssignBones(skin(), {BoxBone(L"a", {-5, -1, -1}, {5, 1, 1}, {5, 0, 5}),
                       BoxBone(L"b", {-5, -1, -1}, {5, 1, 1}, {15, 0, 5})});
  ASSERT_TRUE(ReattachSkin(skin(), nullptr));
  skin().pblock->SetValue(use_fluxels, 0, 1);

  // A push-out that lifts every vertex by one unit in world space.
  static std::vector<Point3> seen;
  seen.clear();
  GetSkinServices().applyInfluenceSources = [](Tessarin&, TimeValue, int n, Point3* positions, std::uint8_t* touched) {
    seen.assign(positions, positions + n);
    for (int i = 0; i < n; ++i) {
      positions[i].z += 1.0f;
      touched[i] = 1;
    }
  };
  struct Case {
    const char* name;
    bool useStack;
    Point3 nodeNow;  // where the skin's node is at the evaluation
  };
  const Case cases[] = {
      {"with the stack", true, at},
      {"without the stack", false, at},
      {"with the stack, node moved after attaching", true, {0, 4, 5}},
      {"without the stack, node moved after attaching", false, {0, 4, 5}},
  };
  const TriObject* base = static_cast<TriObject*>(stack()->GetObjRef());
  int unheld = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    mesh->SetNodeTM(0, TransMatrix(c.nodeNow));
    skin().pblock->SetValue(use_stack, 0, c.useStack ? 1 : 0);
    const std::vector<Point3> out = Evaluate(mesh, 0);
    ASSERT_EQ(seen.size(), base->mesh.verts.size());
    ASSERT_EQ(out.size(), base->mesh.verts.size());
    unheld = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
      const bool held = WeightOf(skin(), 0, int(i)) + WeightOf(skin(), 1, int(i)) > 0.0f;
      unheld += held ? 0 : 1;
      const Point3 world = base->mesh.verts[i] + (c.useStack || held ? at : c.nodeNow);
      EXPECT_TRUE(ExpectPoint3Near(seen[i], world, 1e-4f)) << i;
      EXPECT_TRUE(ExpectPoint3Near(out[i], world + Point3(0, 0, 1) - c.nodeNow, 1e-4f)) << i;
    }
  }
  EXPECT_GE(unheld, 8) << "the far rings must be free of the bones";
  mesh->SetNodeTM(0, TransMatrix(at));
  GetSkinServices().applyInfluenceSources = nullptr;
  // Without the switch the pass is not run.
  skin().pblock->SetValue(use_fluxels, 0, 0);
  seen.clear();
  GetSkinServices().applyInfluenceSources = [](Tessarin&, TimeValue, int, Point3*, std::uint8_t*) {
    seen.push_back(Point3());
  };
  Evaluate(mesh, 0);
  EXPECT_TRUE(seen.empty());
  GetSkinServices().applyInfluenceSources = nullptr;
}

TEST_F(Evaluation, AnimatedChainDeformsTheTubeByItsWeightedBones) {
  // Upper bone along x from 0 to 10, lower bone from 10 to 20 as its child; the tube's node sits
  // away from the origin so that object and world space differ.
  SceneNode* mesh = SkinnedNode(Tube(11, 8, 20, 1.5f));
  mesh->SetNodeTM(0, TransMatrix(Point3(0, 0, 2)));
  SceneNode* upper = BoxBone(L"upper", {0, -1, -1}, {10, 1, 1}, {0, 0, 2});
  SceneNode* lower = BoxBone(L"lower", {0, -1, -1}, {10, 1, 1}, {10, 0, 2}, upper);
  AssignBones(skin(), {upper, lower});
  ASSERT_TRUE(ReattachSkin(skin(), nullptr));

  lower->Track().rotationKeys = {{Frame(0), Quat()}, {Frame(10), QFromAngAxis(kHalfPi, Point3(0, 0, 1))}};
  upper->Track().positionKeys = {{Frame(0), Point3(0, 0, 2)}, {Frame(10), Point3(0, 3, 2)}};
  upper->TransformChanged();

  const TimeValue t = Frame(5);
  const std::vector<Point3> out = Evaluate(mesh, t);
  const TriObject* base = static_cast<TriObject*>(stack()->GetObjRef());
  const Matrix3 objectTM = mesh->GetObjectTM(t);
  const Matrix3 toObject = Inverse(objectTM);
  INode* bones[2] = {upper, lower};
  ASSERT_EQ(out.size(), base->mesh.verts.size());
  int moved = 0;
  for (std::size_t i = 0; i < out.size(); ++i) {
    // Rigid bones: each carries a point by its node's motion since the attachment.
    const Point3 world = base->mesh.verts[i] * skin().table.attachObjectTM;
    Point3 expected;
    float total = 0.0f;
    for (int k = 0; k < 2; ++k) {
      const float w = WeightOf(skin(), k, static_cast<int>(i));
      expected += (world * Inverse(skin().table.bones[k]->bindNodeTM) * bones[k]->GetNodeTM(t)) * w;
      total += w;
    }
    if (total == 0.0f) {
      EXPECT_TRUE(ExpectPoint3Near(out[i], base->mesh.verts[i], 0.0f)) << i;
      continue;
    }
    ++moved;
    EXPECT_TRUE(ExpectPoint3Near(out[i], (expected / total) * toObject, 2e-4f)) << i;
  }
  EXPECT_GT(moved, 80);
  EXPECT_EQ(mesh->EvalWorldState(t).obj->ChannelValidity(t, GEOM_CHAN_NUM), Interval(t, t));
}

}  // namespace
