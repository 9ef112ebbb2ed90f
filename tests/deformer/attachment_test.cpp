// Attachment: what nodes serve as bones, the bones' measured ellipsoids, the attachment with its
// failures, and the spline bindings.

#include <numbers>

#include "deformer/message_routine.h"
#include "deformer/spline_binding.h"
#include "deformer/weights.h"
#include "host/sdk/cursors.h"
#include "module/registry/class_ids.h"
#include "module/resources/module_handles.h"
#include "skin_scene.h"
#include "support/tolerance.h"

namespace {

constexpr float kHalfPi = std::numbers::pi_v<float> / 2;

// Stands in for an Orbicle: geometry of the Orbicle class.
class FakeOrbicle : public GeomObject {
public:
  Class_ID ClassID() override { return ORBICLE_CLASS_ID; }
  ObjectState Eval(TimeValue) override { return ObjectState(this); }
};

SplineShapeObject* Line(std::initializer_list<std::vector<Point3>> curves) {
  auto* shape = new SplineShapeObject();
  for (const auto& knots : curves) shape->curves.push_back({knots, false, false});
  return shape;
}

using Attachment = SkinSceneTest;

TEST_F(Attachment, ClassifiesNodesByTheirObjects) {
  SceneNode* legacyRoot = host().CreateNode(L"legacyRoot", new LegacyBoneObject());
  SceneNode* legacyChild = host().CreateNode(L"legacyChild", new LegacyBoneObject(), legacyRoot);
  SceneNode* dummy = host().CreateNode(L"dummy", new DummyObject());
  SceneNode* legacyUnderDummy = host().CreateNode(L"legacyUnderDummy", new LegacyBoneObject(), dummy);
  struct Case {
    const char* name;
    INode* node;
    int kind;
  };
  const Case cases[] = {
      {"no node", nullptr, 0},
      {"node without object", host().CreateNode(L"empty"), 0},
      {"orbicle", host().CreateNode(L"orbicle", new FakeOrbicle()), 0},
      {"bone geometry", host().CreateNode(L"bone", new BoneGeometryObject()), kBoneObjectBone},
      {"helper", dummy, kBoxBone},
      {"mesh", host().CreateNode(L"mesh", MeshOf({{0, 0, 0}})), kBoxBone},
      {"spline", host().CreateNode(L"spline", Line({{{0, 0, 0}, {1, 0, 0}}})), kSplineBone},
      {"legacy bone under the root", legacyRoot, 0},
      {"legacy bone under a legacy bone", legacyChild, kLinkBone},
      {"legacy bone under a helper", legacyUnderDummy, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Classify(c.node, 0), c.kind);
  }
}

TEST_F(Attachment, BoxBoneIsItsDeformationBoxInTheNodesFrame) {
  SceneNode* node = BoxBone(L"box", {0, -1, -2}, {10, 1, 2}, {0, 0, 0});
  Matrix3 tm = ScaleMatrix(Point3(2, 2, 2)) * RotateZMatrix(kHalfPi);
  tm.SetTrans(Point3(1, 2, 3));
  node->SetNodeTM(0, tm);
  BoneEntry bone;
  bone.node = node;
  bone.kind = kBoxBone;
  MeasureShape(bone, 0, 0.001f, bone.bindShape);
  const BoneShape& s = bone.bindShape;
  EXPECT_NEAR(s.radius[0], 10.0f, 1e-4f);  // half of 10, scaled by 2
  EXPECT_NEAR(s.radius[1], 2.0f, 1e-4f);
  EXPECT_NEAR(s.radius[2], 4.0f, 1e-4f);
  // Centre: the box's midpoint (5, 0, 0) carried by the transform.
  EXPECT_TRUE(ExpectPoint3Near(GetOrigin(s.frame), Point3(5, 0, 0) * tm, 1e-4f));
  EXPECT_TRUE(ExpectPoint3Near(GetAxis(s.frame, 0), Point3(0, 1, 0), 1e-5f));  // unit axes of the node
  EXPECT_TRUE(ExpectPoint3Near(GetAxis(s.frame, 1), Point3(-1, 0, 0), 1e-5f));

  // A point helper has no extent: every radius is the minimum.
  SceneNode* point = host().CreateNode(L"point", new PointHelperObject());
  bone.node = point;
  MeasureShape(bone, 0, 0.25f, bone.shape);
  for (float r : bone.shape.radius) EXPECT_FLOAT_EQ(r, 0.25f);
}

TEST_F(Attachment, LinkBoneSpansFromItsParentJoint) {
  SceneNode* parent = host().CreateNode(L"parent", new LegacyBoneObject());
  parent->SetNodeTM(0, TransMatrix(Point3(1, 1, 1)));
  SceneNode* joint = host().CreateNode(L"joint", new LegacyBoneObject(), parent);
  struct Case {
    const char* name;
    Point3 at;
    Point3 x, y, z;
  };
  const Case cases[] = {
      {"along x", {5, 1, 1}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
      {"along z", {1, 1, 5}, {0, 0, 1}, {0, 1, 0}, {-1, 0, 0}},
      {"on the parent", {1, 1, 1}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    joint->SetNodeTM(0, TransMatrix(c.at));
    BoneEntry bone;
    bone.node = joint;
    bone.kind = kLinkBone;
    MeasureShape(bone, 0, 0.01f, bone.shape);
    const Point3 m = (c.at + Point3(1, 1, 1)) * 0.5f;
    EXPECT_TRUE(ExpectPoint3Near(GetOrigin(bone.shape.frame), m, 1e-5f));
    EXPECT_NEAR(bone.shape.radius[0], std::max((c.at - m).Length(), 0.01f), 1e-5f);
    EXPECT_FLOAT_EQ(bone.shape.radius[1], 0.01f);
    EXPECT_TRUE(ExpectPoint3Near(GetAxis(bone.shape.frame, 0), c.x, 1e-5f));
    EXPECT_TRUE(ExpectPoint3Near(GetAxis(bone.shape.frame, 1), c.y, 1e-5f));
    EXPECT_TRUE(ExpectPoint3Near(GetAxis(bone.shape.frame, 2), c.z, 1e-5f));
  }
}

TEST_F(Attachment, BonesWithoutWhatTheyNeedKeepTheirShape) {
  BoneShape before;
  SetOrigin(before.frame, Point3(7, 7, 7));
  struct Case {
    const char* name;
    INode* node;
    int kind;
  };
  const Case cases[] = {
      {"no node", nullptr, kBoxBone},
      {"no object", host().CreateNode(L"empty"), kBoxBone},
      {"spline without object", host().CreateNode(L"empty2"), kSplineBone},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BoneEntry bone;
    bone.node = c.node;
    bone.kind = c.kind;
    bone.shape = before;
    MeasureShape(bone, 0, 0.001f, bone.shape);
    EXPECT_TRUE(ExpectPoint3Near(GetOrigin(bone.shape.frame), Point3(7, 7, 7), 0.0f));
  }
}

TEST_F(Attachment, FailuresShowOneMessageAndDetach) {
  SceneNode* bone = BoxBone(L"bone", {-1, -1, -1}, {1, 1, 1}, {0, 0, 0});
  struct Case {
    const char* name;
    bool inScene;
    bool withBones;
    int vertices;
    const wchar_t* text;
    UINT type;
  };
  const Case cases[] = {
      {"no bones", true, false, 8, L"No bones found\n\rAssign bones first", MB_ICONEXCLAMATION},
      {"no carrying node", false, true, 8, L"Can't get mesh from node ", MB_ICONEXCLAMATION},
      {"two vertices", true, true, 2, L"Can't get mesh from node Two", MB_ICONEXCLAMATION},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    host().Messages().Clear();
    TriObject* mesh = MeshOf({{0, 0, 0}, {1, 0, 0}});
    for (int i = 2; i < c.vertices; ++i) mesh->mesh.verts.emplace_back(0.0f, float(i), 0.0f);
    Tessarin* loose = nullptr;
    if (c.inScene) {
      SkinnedNode(mesh, L"Two");
    } else {
      loose = skin_ = new Tessarin();
      mesh->DeleteMe();
    }
    if (c.withBones) AssignBones(skin(), {bone});
    skin().table.attachTime = 0;  // attached before: a failure detaches
    EXPECT_FALSE(Attach(skin(), nullptr));
    EXPECT_FALSE(skin().table.IsAttached());
    ASSERT_EQ(host().Messages().Records().size(), 1u);
    EXPECT_EQ(host().Messages().Records()[0].caption, L"Tessarin");
    EXPECT_EQ(host().Messages().Records()[0].text, c.text);
    EXPECT_EQ(host().Messages().Records()[0].type, c.type);
    if (loose) loose->DeleteMe();
  }
}

TEST_F(Attachment, BusyCursorIsShownWhileAttachingAndRestoredAfter) {
  auto busy = reinterpret_cast<HCURSOR>(static_cast<UINT_PTR>(0xB05E));
  auto before = reinterpret_cast<HCURSOR>(static_cast<UINT_PTR>(0xA770));
  SetModuleCursor(1260, busy);
  SetCursor(before);
  SkinnedNode(MeshOf({{0, 0, 0}}));
  HCURSOR during = nullptr;
  host().Messages().SetResponder([&](const MessageRecord&) {
    during = GetCursor();
    return IDOK;
  });
  EXPECT_FALSE(Attach(skin(), nullptr));  // no bones: a message while the cursor is shown
  host().Messages().SetResponder(nullptr);
  EXPECT_EQ(during, busy);
  EXPECT_EQ(GetCursor(), before);
  SetModuleCursor(1260, nullptr);
}

TEST_F(Attachment, AttachStoresWorldPositionsShapesAndWeights) {
  SceneNode* mesh = SkinnedNode(Tube(3, 4, 10, 1));
  mesh->SetNodeTM(0, TransMatrix(Point3(0, 0, 5)));
  SceneNode* a = BoxBone(L"a", {-2, -1, -1}, {2, 1, 1}, {2, 0, 5});
  SceneNode* b = BoxBone(L"b", {-2, -1, -1}, {2, 1, 1}, {8, 0, 5});
  AssignBones(skin(), {a, b});
  skin().table.bones[1]->falloff = 0.0f;  // below 1e-6: 1e-6 is used
  host().SetTime(40);
  host().ClearCommands();
  ASSERT_TRUE(ReattachSkin(skin(), nullptr));

  const BoneTable& t = skin().table;
  EXPECT_EQ(t.attachTime, 40);
  EXPECT_EQ(t.vertexCount, 12);
  EXPECT_EQ(skin().settings.vertexSelection.size(), 12u);
  EXPECT_TRUE(ExpectPoint3Near(t.attachPositions[0], Point3(0, 1, 5), 1e-5f));
  EXPECT_TRUE(ExpectMatrix3Near(t.attachObjectTM, TransMatrix(Point3(0, 0, 5)), 0.0f));
  EXPECT_TRUE(ExpectPoint3Near(GetOrigin(t.bones[0]->bindShape.frame), Point3(2, 0, 5), 1e-5f));
  EXPECT_FLOAT_EQ(t.bones[0]->falloffDistance, 2 * 2.0f);
  EXPECT_FLOAT_EQ(t.bones[1]->falloffDistance, 2 * 2.0f * 1e-6f);
  EXPECT_TRUE(ExpectMatrix3Near(t.bones[1]->bindNodeTM, TransMatrix(Point3(8, 0, 5)), 0.0f));
  EXPECT_EQ(t.frameCount, 2);
  EXPECT_TRUE(skin().cache.Matches(2, 12));
  EXPECT_EQ(host().Commands(), (std::vector<int>{71}));
  EXPECT_EQ(skin().nodeCache, mesh);
}

TEST_F(Attachment, RefinementFindsTheMinimumOfASampledDistance) {
  for (float target : {0.3217f, 0.02f, 0.98f, 0.5f}) {
    SCOPED_TRACE(target);
    auto d = [&](float u) { return (u - target) * (u - target); };
    float u = 0.5f;
    float best = d(u);
    RefineNearest(d, 0.0f, 1.0f, kSplineSearchLevels, kSplineSearchHalfCount, u, best);
    EXPECT_NEAR(u, target, 1e-6f);
  }
}

TEST_F(Attachment, SplineBonesBindEveryVertexToTheNearestCurve) {
  // Two straight curves in the spline's space: y = 0 and y = 10, both from x = 0 to x = 10; the
  // spline node is moved by (0, 0, 5).
  SceneNode* spline = host().CreateNode(L"spline", Line({{{0, 0, 0}, {10, 0, 0}}, {{0, 10, 0}, {10, 10, 0}}}));
  spline->SetNodeTM(0, TransMatrix(Point3(0, 0, 5)));
  TriObject* base = MeshOf({{3, 1, 5}, {7, 9, 6}, {-2, 0, 5}});
  SceneNode* mesh = SkinnedNode(base);
  AssignBones(skin(), {spline});
  BoneEntry& bone = *skin().table.bones[0];
  ASSERT_EQ(bone.kind, kSplineBone);
  bone.splineCount = 1;  // a shorter table from a file: extended, never written past
  bone.splineParam = {0.9f};
  bone.splineCurve = {1};
  bone.splineOffset = {Point3()};
  bone.splineTangent = {Point3()};
  ASSERT_TRUE(ReattachSkin(skin(), nullptr));

  ASSERT_EQ(bone.splineCount, 3);
  ASSERT_EQ(bone.splineParam.size(), 3u);
  struct Expect {
    float param;
    int curve;
    Point3 offset;
  };
  const Expect expected[] = {{0.3f, 0, {0, 1, 0}}, {0.7f, 1, {0, -1, 1}}, {0.0f, 0, {-2, 0, 0}}};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_NEAR(bone.splineParam[i], expected[i].param, 2e-3f);
    EXPECT_EQ(bone.splineCurve[i], expected[i].curve);
    EXPECT_TRUE(ExpectPoint3Near(bone.splineOffset[i], expected[i].offset, 2e-2f));
    EXPECT_TRUE(ExpectPoint3Near(bone.splineTangent[i], Point3(1, 0, 0), 1e-5f));
  }
  // The spline's ellipsoid: half its box's extents, in the node's frame at the node's pivot (not
  // at the box's centre).
  EXPECT_TRUE(ExpectPoint3Near(GetOrigin(bone.bindShape.frame), Point3(0, 0, 5), 1e-5f));
  EXPECT_TRUE(ExpectPoint3Near(Point3(bone.bindShape.radius[0], bone.bindShape.radius[1], bone.bindShape.radius[2]),
                               Point3(5, 5, skin().settings.minRadius), 1e-5f));

  // A vertex added: the old ones keep their bindings (marked here so that a new binding would
  // show), the new one is bound to its nearest curve.
  bone.splineParam[1] = 0.123f;
  bone.splineOffset[1] = Point3(0.5f, 0.5f, 0.5f);
  bone.splineTangent[1] = Point3(0, 1, 0);
  base->mesh.verts.push_back({4, 8, 5});
  base->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
  Evaluate(mesh, 0);
  ASSERT_EQ(bone.splineCount, 4);
  ASSERT_EQ(skin().table.blendMix.size(), 4u);
  EXPECT_EQ(skin().table.blendMix[3], 1.0f);
  EXPECT_FLOAT_EQ(bone.splineParam[1], 0.123f);
  EXPECT_EQ(bone.splineCurve[1], 1);
  EXPECT_TRUE(ExpectPoint3Near(bone.splineOffset[1], Point3(0.5f, 0.5f, 0.5f), 0.0f));
  EXPECT_TRUE(ExpectPoint3Near(bone.splineTangent[1], Point3(0, 1, 0), 0.0f));
  EXPECT_NEAR(bone.splineParam[0], 0.3f, 2e-3f);
  EXPECT_NEAR(bone.splineParam[3], 0.4f, 2e-3f);
  EXPECT_EQ(bone.splineCurve[3], 1);
  EXPECT_TRUE(ExpectPoint3Near(bone.splineOffset[3], Point3(0, -2, 0), 2e-2f));
  EXPECT_TRUE(ExpectPoint3Near(bone.splineTangent[3], Point3(1, 0, 0), 1e-5f));
}

TEST_F(Attachment, WeldedMeshTakesOverTheDataOfMatchingVertices) {
  // Eight vertices on a node away from the origin; bone 0 forces vertices 1, 3 and 7 and excludes
  // vertex 4, bone 1 forces vertex 5.
  std::vector<Point3> before = {{0, 0, 0}, {1, 0, 0},     {2.004f, 0, 0}, {1.995f, 0, 0},
                                {4, 0, 0}, {5, 0, 0}, {6.995f, 0, 0}, {7.004f, 0, 0}};
  const Point3 at(100, 0, 0);
  TriObject* base = CreateNewTriObject();
  base->mesh.verts = before;
  SceneNode* mesh = SkinnedNode(base);
  mesh->SetNodeTM(0, TransMatrix(at));
  SceneNode* a = BoxBone(L"a", {-2, -1, -1}, {2, 1, 1}, at + Point3(1, 0, 0));
  SceneNode* b = BoxBone(L"b", {-2, -1, -1}, {2, 1, 1}, at + Point3(4, 0, 0));
  AssignBones(skin(), {a, b});
  ASSERT_TRUE(ReattachSkin(skin(), nullptr));
  BoneEntry& ba = *skin().table.bones[0];
  BoneEntry& bb = *skin().table.bones[1];
  ba.vertexCodes[1] = kCodeForced;
  ba.forcedWeights[1] = 40.0f;
  ba.vertexCodes[3] = kCodeForced;
  ba.forcedWeights[3] = 55.0f;
  ba.vertexCodes[7] = kCodeForced;
  ba.forcedWeights[7] = 65.0f;
  ba.vertexCodes[4] = 0x00;
  bb.vertexCodes[5] = kCodeForced;
  bb.forcedWeights[5] = 70.0f;
  skin().table.blendMix[1] = 0.25f;

  // Old vertices 2 and 3, and 6 and 7, welded into one each that lies within 0.01 of both: it
  // takes over the lower index (the two pairs lie the other way round). The others move by less
  // than 0.01, except new vertex 4, which moved by 0.012 from old vertex 5 and so matches nothing.
  base->mesh.verts = {{0.004f, 0, 0}, {1, 0.005f, 0}, {2, 0, 0}, {4, 0, 0.009f}, {5.012f, 0, 0}, {7, 0, 0}};
  base->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
  Evaluate(mesh, 0);

  ASSERT_EQ(skin().table.vertexCount, 6);
  EXPECT_EQ(ba.vertexCodes, (std::vector<std::uint8_t>{0x80, kCodeForced, 0x80, 0x00, 0x80, 0x80}));
  EXPECT_FLOAT_EQ(ba.forcedWeights[1], 40.0f);
  EXPECT_FLOAT_EQ(ba.forcedWeights[2], 0.0f);
  EXPECT_EQ(bb.vertexCodes, (std::vector<std::uint8_t>(6, 0x80)));
  EXPECT_FLOAT_EQ(bb.forcedWeights[4], 0.0f);  // old vertex 5 had no successor
  EXPECT_EQ(ba.vertexCount, 6);
  EXPECT_FLOAT_EQ(skin().table.blendMix[1], 0.25f);
  // New vertices are stored in world space.
  EXPECT_TRUE(ExpectPoint3Near(skin().table.attachPositions[4], at + Point3(5.012f, 0, 0), 1e-5f));
  EXPECT_TRUE(skin().cache.Matches(2, 6));
  EXPECT_EQ(skin().table.frameCount, 2);
  // The same count again, vertices moved: no re-attachment.
  base->mesh.verts[4] = Point3(20, 0, 0);
  base->NotifyDependents(FOREVER, PART_ALL, REFMSG_CHANGE);
  Evaluate(mesh, 0);
  EXPECT_TRUE(ExpectPoint3Near(skin().table.attachPositions[4], at + Point3(5.012f, 0, 0), 1e-5f));
}

}  // namespace
