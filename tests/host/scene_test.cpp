// The headless scene: node hierarchy and animated transforms, stack evaluation, references and
// notifications.

#include <cmath>
#include <numbers>
#include <vector>

#include "host/headless/builtin_objects.h"
#include "host/headless/derived_object.h"
#include "host/headless/param_block.h"
#include "host/sdk/object_wrapper.h"
#include "scene_fixture.h"
#include "support/tolerance.h"

namespace {

constexpr float kHalfPi = std::numbers::pi_v<float> / 2;

// Adds `offset` to every vertex and records the order in which modifiers ran.
class OffsetModifier : public Modifier {
public:
  OffsetModifier(Point3 offset, std::vector<int>* order, int id) : offset_(offset), order_(order), id_(id) {}
  Class_ID ClassID() override { return Class_ID(0x1234, static_cast<ULONG>(id_)); }
  ChannelMask ChannelsUsed() override { return GEOM_CHANNEL; }
  ChannelMask ChannelsChanged() override { return GEOM_CHANNEL; }
  Class_ID InputType() override { return defObjectClassID; }
  Interval LocalValidity(TimeValue t) override { return Interval(t, t); }
  void ModifyObject(TimeValue t, ModContext&, ObjectState* os, INode*) override {
    ObjectWrapper w;
    ASSERT_TRUE(w.Init(t, *os));
    for (int i = 0; i < w.NumVerts(); ++i) w.SetVert(i, (*w.GetVert(i) + offset_) * scale_);
    if (order_) order_->push_back(id_);
    ++calls;
  }
  float scale_ = 1.0f;
  int calls = 0;

private:
  Point3 offset_;
  std::vector<int>* order_;
  int id_;
};

// Remembers every message it receives.
class Listener : public ReferenceMaker {
public:
  ~Listener() override { DeleteAllRefs(); }
  SClass_ID SuperClassID() override { return 0x9999; }
  int NumRefs() override { return 1; }
  RefTargetHandle GetReference(int) override { return target; }
  std::vector<RefMessage> messages;
  ReferenceTarget* target = nullptr;

protected:
  void SetReference(int, RefTargetHandle r) override { target = r; }
  RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage m, BOOL) override {
    messages.push_back(m);
    return REF_SUCCEED;
  }
};

}  // namespace

using HostScene = SceneTest;

TEST_F(HostScene, AnimatedNodeTransformsInterpolateAndCompose) {
  SceneNode* parent = host().CreateNode(L"parent");
  SceneNode* child = host().CreateNode(L"child", nullptr, parent);
  parent->Track().positionKeys = {{Frame(0), Point3(0, 0, 0)}, {Frame(10), Point3(10, 0, 0)}};
  parent->Track().rotationKeys = {{Frame(0), Quat()}, {Frame(10), QFromAngAxis(kHalfPi, Point3(0, 0, 1))}};
  child->Track().position = Point3(0, 5, 0);
  child->TransformChanged();

  struct Case {
    const char* name;
    int frame;
    Point3 parentPos;
    Point3 childPos;
  };
  const Case cases[] = {
      {"start", 0, {0, 0, 0}, {0, 5, 0}},
      // Halfway: 45° about Z; the child's offset (0, 5, 0) turns to (−5/√2, 5/√2, 0).
      {"half", 5, {5, 0, 0}, {5 - 5 / std::sqrt(2.0f), 5 / std::sqrt(2.0f), 0}},
      {"end", 10, {10, 0, 0}, {5, 0, 0}},
      {"after last key holds", 20, {10, 0, 0}, {5, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(ExpectPoint3Near(parent->GetNodeTM(Frame(c.frame)).GetTrans(), c.parentPos, 1e-4f));
    EXPECT_TRUE(ExpectPoint3Near(child->GetNodeTM(Frame(c.frame)).GetTrans(), c.childPos, 1e-4f));
  }
  Interval valid = FOREVER;
  parent->GetNodeTM(Frame(5), &valid);
  EXPECT_EQ(valid, Interval(Frame(5), Frame(5)));
}

TEST_F(HostScene, ObjectOffsetComesBeforeTheNodeTransform) {
  SceneNode* node = host().CreateNode(L"n");
  node->Track().position = Point3(1, 2, 3);
  node->Track().scale = Point3(2, 2, 2);
  node->SetObjOffsetPos(Point3(1, 0, 0));
  // Offset first (x + 1), then the node's scale and translation.
  EXPECT_TRUE(ExpectPoint3Near(Point3(0, 0, 0) * node->GetObjectTM(0), Point3(3, 2, 3), 1e-5f));
  EXPECT_TRUE(ExpectPoint3Near(Point3(0, 0, 0) * node->GetNodeTM(0), Point3(1, 2, 3), 1e-5f));
}

TEST_F(HostScene, SetNodeTMKeepsTheWorldTransformUnderAParent) {
  SceneNode* parent = host().CreateNode(L"parent");
  parent->Track().position = Point3(10, 0, 0);
  parent->TransformChanged();
  SceneNode* child = host().CreateNode(L"child", nullptr, parent);
  child->SetNodeTM(0, TransMatrix(Point3(3, 4, 5)));
  EXPECT_TRUE(ExpectPoint3Near(child->GetNodeTM(0).GetTrans(), Point3(3, 4, 5), 1e-5f));
  EXPECT_TRUE(ExpectPoint3Near(child->Track().position, Point3(-7, 4, 5), 1e-5f));
}

TEST_F(HostScene, TwoModifierStackRunsBottomUpOnACopy) {
  TriObject* base = MeshOf({{1, 0, 0}, {0, 1, 0}});
  IDerivedObject* stack = CreateDerivedObject(base);
  std::vector<int> order;
  auto* lower = new OffsetModifier(Point3(1, 0, 0), &order, 1);
  auto* upper = new OffsetModifier(Point3(0, 0, 0), &order, 2);
  upper->scale_ = 2.0f;
  stack->AddModifier(lower);  // index 0
  stack->AddModifier(upper);  // on top: index 0, lower moves to 1
  ASSERT_EQ(stack->GetModifier(0), upper);
  SceneNode* node = host().CreateNode(L"mesh", stack);

  const ObjectState& os = node->EvalWorldState(0);
  ASSERT_NE(os.obj, nullptr);
  EXPECT_EQ(order, (std::vector<int>{1, 2}));
  // (p + (1,0,0)) · 2, computed on a copy: the base mesh is untouched.
  EXPECT_TRUE(ExpectPoint3Near(os.obj->GetPoint(0), Point3(4, 0, 0), 1e-6f));
  EXPECT_TRUE(ExpectPoint3Near(os.obj->GetPoint(1), Point3(2, 2, 0), 1e-6f));
  EXPECT_TRUE(ExpectPoint3Near(base->mesh.verts[0], Point3(1, 0, 0), 1e-6f));
  EXPECT_EQ(os.Validity(0), Interval(0, 0));

  // Valid only at 0: the same time hits the cache, another time evaluates again.
  node->EvalWorldState(0);
  EXPECT_EQ(lower->calls, 1);
  node->EvalWorldState(Frame(1));
  EXPECT_EQ(lower->calls, 2);

  // Switching the top modifier off leaves only the lower offset.
  upper->DisableMod();
  upper->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
  EXPECT_TRUE(ExpectPoint3Near(node->EvalWorldState(Frame(1)).obj->GetPoint(0), Point3(2, 0, 0), 1e-6f));
}

// A world-space stack works in world space: before its first modifier that is on, the points
// are carried by the node's object transform (offset, then node), and the node then reports an
// identity transform after its world-space modifiers, its world state none. Objects whose points
// cannot move, and stacks whose modifiers are all off, keep the object transform.
// A world-space modifier that leaves whatever it is given as it is.
class PassModifier : public Modifier {
public:
  Class_ID ClassID() override { return Class_ID(0x1235, 0); }
  SClass_ID SuperClassID() override { return WSM_CLASS_ID; }
  ChannelMask ChannelsUsed() override { return GEOM_CHANNEL; }
  ChannelMask ChannelsChanged() override { return 0; }
  Class_ID InputType() override { return defObjectClassID; }
  void ModifyObject(TimeValue, ModContext&, ObjectState*, INode*) override {}
};

struct WorldStackCase {
  const char* name;
  bool mesh;        // a triangle mesh; otherwise a legacy bone joint (no points)
  bool modifierOn;
  bool placed;
};

class WorldStackTest : public SceneTest, public ::testing::WithParamInterface<WorldStackCase> {};

TEST_P(WorldStackTest, PointsAndTransformsAfterWorldSpaceModifiers) {
  const WorldStackCase& c = GetParam();
  Object* base = c.mesh ? static_cast<Object*>(MeshOf({{1, 0, 0}, {0, 2, 0}})) : new LegacyBoneObject();
  IDerivedObject* ws = CreateWSDerivedObject(base);
  Modifier* mod = c.mesh ? static_cast<Modifier*>(new OffsetModifier(Point3(0, 0, 1), nullptr, 1)) : new PassModifier();
  ws->AddModifier(mod);
  if (!c.modifierOn) mod->DisableMod();
  SceneNode* node = host().CreateNode(L"placed", ws);
  node->Track().position = Point3(10, 0, 0);
  node->Track().rotation = QFromAngAxis(kHalfPi, Point3(0, 0, 1));
  node->Track().scale = Point3(2, 2, 2);
  node->SetObjOffsetPos(Point3(1, 0, 0));  // calls TransformChanged
  // Offset x + 1, scale 2, a quarter turn about z (x to y), then x + 10.
  const Matrix3 before = node->GetObjTMBeforeWSM(0);
  EXPECT_TRUE(ExpectPoint3Near(Point3(1, 0, 0) * before, Point3(10, 4, 0), 1e-5f));
  const ObjectState& os = node->EvalWorldState(0);
  ASSERT_NE(os.obj, nullptr);
  if (c.placed) {
    EXPECT_TRUE(node->GetObjTMAfterWSM(0).IsIdentity());
    EXPECT_TRUE(node->GetObjectTM(0).IsIdentity());
    EXPECT_EQ(os.GetTM(), nullptr);
    // World positions, then the modifier's z + 1.
    EXPECT_TRUE(ExpectPoint3Near(os.obj->GetPoint(0), Point3(10, 4, 1), 1e-5f));
    EXPECT_TRUE(ExpectPoint3Near(os.obj->GetPoint(1), Point3(6, 2, 1), 1e-5f));
    // Moving the node places the points anew; the base mesh keeps its own.
    node->Track().position = Point3(0, 0, 5);
    node->TransformChanged();
    EXPECT_TRUE(ExpectPoint3Near(node->EvalWorldState(0).obj->GetPoint(0), Point3(0, 4, 6), 1e-5f));
    EXPECT_TRUE(ExpectPoint3Near(base->GetPoint(0), Point3(1, 0, 0), 0));
  } else {
    EXPECT_TRUE(ExpectMatrix3Near(node->GetObjTMAfterWSM(0), before, 0));
    EXPECT_TRUE(ExpectMatrix3Near(node->GetObjectTM(0), before, 0));
    ASSERT_NE(os.GetTM(), nullptr);
    EXPECT_TRUE(ExpectMatrix3Near(*os.GetTM(), before, 0));
    if (c.mesh) {
      EXPECT_TRUE(ExpectPoint3Near(os.obj->GetPoint(0), Point3(1, 0, 0), 0));  // the modifier is off
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Stacks, WorldStackTest,
                         ::testing::Values(WorldStackCase{"MeshIsPlaced", true, true, true},
                                           WorldStackCase{"ModifierOffKeepsObjectSpace", true, false, false},
                                           WorldStackCase{"JointHasNoPointsToPlace", false, true, false}),
                         [](const ::testing::TestParamInfo<WorldStackCase>& info) { return info.param.name; });

// An animated node: the placed points follow the transform from one time to the next, also
// under a modifier whose own result holds for all time.
TEST_F(HostScene, PlacedPointsFollowAnAnimatedNode) {
  IDerivedObject* ws = CreateWSDerivedObject(MeshOf({{1, 0, 0}}));
  ws->AddModifier(new PassModifier());
  SceneNode* node = host().CreateNode(L"moving", ws);
  node->Track().SetLocal(0, TransMatrix(Point3(0, 0, 0)), true);
  node->Track().SetLocal(Frame(10), TransMatrix(Point3(0, 10, 0)), true);
  node->TransformChanged();
  EXPECT_TRUE(ExpectPoint3Near(node->EvalWorldState(0).obj->GetPoint(0), Point3(1, 0, 0), 1e-5f));
  EXPECT_TRUE(ExpectPoint3Near(node->EvalWorldState(Frame(10)).obj->GetPoint(0), Point3(1, 10, 0), 1e-5f));
}

// Frame after frame the stack copies into the object of its last result; the copy must still be
// the input's state each time, whatever the modifiers did to it, follow a topology change, share
// the input's faces, and answer ray casts for its new points.
TEST_F(HostScene, StackReusesItsCopyAndStartsFromTheInputEveryTime) {
  TriObject* base = MeshOf({{1, 0, 0}, {0, 1, 0}, {0, 0, 1}});
  base->mesh.faces.resize(1);
  base->mesh.faces[0].setVerts(0, 1, 2);
  IDerivedObject* stack = CreateDerivedObject(base);
  auto* offset = new OffsetModifier(Point3(1, 0, 0), nullptr, 1);
  stack->AddModifier(offset);
  SceneNode* node = host().CreateNode(L"mesh", stack);
  Object* first = node->EvalWorldState(0).obj;
  ASSERT_NE(first, nullptr);
  ASSERT_NE(first, base);

  // Straight down onto the first triangle as the offset leaves it at scale 1, beside it at 3.
  const Ray down{Point3(1.3f, 0.3f, 5), Point3(0, 0, -1)};
  struct Case {
    const char* name;
    int frame;
    float scale;
    bool addFace;  // the input gains a vertex and a face before the evaluation
  };
  const Case cases[] = {{"same points", 1, 1.0f, false},
                        {"moved away", 2, 3.0f, false},
                        {"topology changed", 3, 1.0f, true},
                        {"moved after the change", 4, 3.0f, false}};
  float at = 0;
  Point3 normal;
  EXPECT_TRUE(first->IntersectRay(0, down, at, normal));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.addFace) {
      base->mesh.verts.push_back(Point3(5, 5, 5));
      base->mesh.faces.resize(2);
      base->mesh.faces[1].setVerts(0, 1, 3);
      base->mesh.InvalidateGeomCache();
      base->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
    }
    offset->scale_ = c.scale;
    Object* obj = node->EvalWorldState(Frame(c.frame)).obj;
    ASSERT_NE(obj, nullptr);
    EXPECT_EQ(obj, first);  // the same object, refilled
    const Mesh& mesh = static_cast<TriObject*>(obj)->mesh;
    ASSERT_EQ(mesh.verts.size(), base->mesh.verts.size());
    ASSERT_EQ(mesh.faces.size(), base->mesh.faces.size());
    // The modifier moved points only: the copy keeps the input's faces instead of its own.
    EXPECT_TRUE(mesh.faces.SharesWith(base->mesh.faces));
    for (std::size_t i = 0; i < mesh.verts.size(); ++i)
      EXPECT_TRUE(ExpectPoint3Near(mesh.verts[i], (base->mesh.verts[i] + Point3(1, 0, 0)) * c.scale, 0.0f)) << i;
    EXPECT_EQ(obj->IntersectRay(0, down, at, normal) != 0, c.scale == 1.0f);
  }
}

TEST_F(HostScene, ParameterChangeReachesTheStackAndTheNode) {
  ParamDef amount;
  amount.ID = 0;
  amount.int_name = L"amount";
  amount.type = TYPE_FLOAT;
  amount.flags = P_ANIMATABLE;
  static ParamBlockDesc2 desc(0, L"testParameters", 0, nullptr, P_AUTO_CONSTRUCT, 0, 0, {}, {amount});
  IParamBlock2* block = CreateParameterBlock2(&desc, nullptr);
  Listener listener;
  listener.ReplaceReference(0, block);
  EXPECT_TRUE(block->SetValue(0, 0, 2.5f));
  EXPECT_FLOAT_EQ(block->GetFloat(0, 0), 2.5f);
  EXPECT_EQ(listener.messages, (std::vector<RefMessage>{REFMSG_CHANGE}));
  // A type mismatch or an unknown id is refused.
  EXPECT_FALSE(block->SetValue(0, 0, Point3(1, 2, 3)));
  EXPECT_FALSE(block->SetValue(7, 0, 1.0f));

  // In animate mode an animatable parameter gets keys, interpolated between them.
  SetHostAnimateMode(true);
  block->SetValue(0, Frame(10), 12.5f);
  block->SetValue(0, 0, 2.5f);
  SetHostAnimateMode(false);
  EXPECT_FLOAT_EQ(block->GetFloat(0, Frame(5)), 7.5f);
  // Releasing the only reference deletes the block (nothing else owns it).
  listener.DeleteReference(0);
  EXPECT_EQ(listener.target, nullptr);
}

TEST_F(HostScene, DeletedNodeReachesItsDependentsAndIsReleased) {
  SceneNode* bone = host().CreateNode(L"bone");
  Listener listener;
  listener.ReplaceReference(0, bone);
  ASSERT_EQ(bone->Dependents().size(), 1u);
  host().DeleteNode(bone);
  EXPECT_EQ(listener.messages, (std::vector<RefMessage>{REFMSG_TARGET_DELETED}));
  // The dependent did not release the node itself; the host cleared its reference.
  EXPECT_EQ(listener.target, nullptr);
  EXPECT_EQ(host().GetINodeByName(L"bone"), nullptr);
}

TEST_F(HostScene, DeletingANodeKeepsItsChildrenWhereTheyAre) {
  SceneNode* parent = host().CreateNode(L"parent");
  parent->Track().position = Point3(5, 0, 0);
  SceneNode* child = host().CreateNode(L"child", nullptr, parent);
  child->Track().position = Point3(0, 1, 0);
  host().DeleteNode(parent);
  EXPECT_EQ(child->GetParentNode(), host().GetRootNode());
  EXPECT_TRUE(ExpectPoint3Near(child->GetNodeTM(0).GetTrans(), Point3(5, 1, 0), 1e-5f));
}

TEST_F(HostScene, DependentEnumerationWalksThroughTargetsOnce) {
  TriObject* base = MeshOf({{0, 0, 0}});
  IDerivedObject* stack = CreateDerivedObject(base);
  auto* mod = new OffsetModifier({}, nullptr, 1);
  stack->AddModifier(mod);
  SceneNode* node = host().CreateNode(L"n", stack);

  struct Collect : DependentEnumProc {
    std::vector<ReferenceMaker*> seen;
    int proc(ReferenceMaker* m) override {
      seen.push_back(m);
      return DEP_ENUM_CONTINUE;
    }
  } collect;
  mod->DoEnumDependents(&collect);
  EXPECT_EQ(collect.seen, (std::vector<ReferenceMaker*>{mod, stack, node}));

  DependentIterator it(mod);
  EXPECT_EQ(it.Next(), stack);
  EXPECT_EQ(it.Next(), nullptr);
}

TEST_F(HostScene, NamesHandlesSelectionAndTreeOrder) {
  SceneNode* a = host().CreateNode(L"a");
  SceneNode* b = host().CreateNode(L"b", nullptr, a);
  SceneNode* c = host().CreateNode(L"c");
  EXPECT_EQ(host().GetINodeByName(L"b"), b);
  EXPECT_EQ(host().GetINodeByHandle(c->GetHandle()), c);
  EXPECT_NE(a->GetHandle(), b->GetHandle());
  host().SelectNode(b);
  host().SelectNode(c, 0);
  EXPECT_EQ(host().GetSelNodeCount(), 2);
  EXPECT_EQ(host().GetSelNode(0), b);

  struct Names : ITreeEnumProc {
    std::wstring order;
    int callback(INode* n) override {
      order += n->GetName();
      return TREE_CONTINUE;
    }
  } names;
  host().GetScene()->EnumTree(&names);
  EXPECT_EQ(names.order, L"abc");
}

TEST_F(HostScene, CloneThroughARemapTableSharesInstancedTargets) {
  TriObject* base = MeshOf({{1, 2, 3}});
  IDerivedObject* stack = CreateDerivedObject(base);
  auto* mod = new OffsetModifier({}, nullptr, 1);
  stack->AddModifier(mod);
  Listener holder;
  holder.ReplaceReference(0, stack);

  RemapDir* remap = NewRemapDir();
  auto* copy = static_cast<IDerivedObject*>(remap->CloneRef(stack));
  EXPECT_EQ(remap->CloneRef(stack), copy);  // cloned once
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy->GetObjRef(), base);
  EXPECT_EQ(copy->NumModifiers(), 0);  // the test modifier has no Clone: it is left out
  remap->DeleteThis();
  Listener copyHolder;
  copyHolder.ReplaceReference(0, copy);
}

TEST_F(HostScene, MessageBoxesGoToTheLog) {
  int pressed = MessageBoxW(host().GetMAXHWnd(), L"body", L"caption", MB_OK | MB_ICONERROR);
  EXPECT_EQ(pressed, IDOK);
  ASSERT_EQ(host().Messages().Records().size(), 1u);
  EXPECT_EQ(host().Messages().Records()[0].caption, L"caption");
  EXPECT_EQ(host().Messages().Records()[0].type, MB_OK | MB_ICONERROR);
  EXPECT_EQ(host().Messages().Records()[0].owner, host().GetMAXHWnd());
}
