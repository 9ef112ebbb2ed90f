// The skin modifier's state: construction, references to its bones, removal of a bone whose
// node is deleted, the bone table's resizing and inclusion codes, and the blend threshold.

#include <set>

#include "deformer/weights.h"
#include "module/registry/class_ids.h"
#include "module/registry/tessarin_parameters.h"
#include "skin_scene.h"
#include "support/tolerance.h"

namespace {

using SkinState = SkinSceneTest;

TEST_F(SkinState, NewModifierHasDefaultsContainerAndBlock) {
  auto* skin = new Tessarin();
  EXPECT_EQ(skin->table.attachTime, kNotAttached);
  EXPECT_EQ(skin->table.boneCount, 0);
  EXPECT_EQ(skin->NumRefs(), 2);
  ASSERT_NE(skin->pblock, nullptr);
  ASSERT_NE(skin->sourceContainer, nullptr);
  EXPECT_EQ(skin->GetReference(0), skin->pblock);
  EXPECT_EQ(skin->GetReference(1), skin->sourceContainer);
  EXPECT_EQ(skin->sourceContainer->ClassID(), refTargContainerClassID);
  EXPECT_EQ(skin->sourceContainer->GetNumItems(), 0);
  EXPECT_EQ(skin->GetReference(2), nullptr);

  struct Switch {
    ParamID id;
    int value;
  };
  for (Switch s : {Switch{use_inertia, 0}, {use_oscillation, 0}, {use_stack, 1}, {use_orbicles, 0},
                   {use_fluxels, 0}, {use_dual_quaternion, 0}, {use_linked, 1}}) {
    SCOPED_TRACE(s.id);
    EXPECT_EQ(skin->ReadSwitch(s.id, 0, -1), s.value);
  }
  EXPECT_EQ(skin->ReadSwitch(99, 0, -1), -1);  // unknown switch: the fallback

  EXPECT_EQ(skin->GetInterface(TESSARIN_INTERFACE_ID), static_cast<BaseInterface*>(static_cast<TS_Public_Interface*>(skin)));
  EXPECT_EQ(skin->GetInterface(ORBICLE_INTERFACE_ID), nullptr);
  EXPECT_EQ(skin->ChannelsUsed(), 243u);
  EXPECT_EQ(skin->ChannelsChanged(), 130u);
  EXPECT_EQ(skin->InputType(), defObjectClassID);
  EXPECT_EQ(skin->LocalValidity(77), Interval(77, 77));
  skin->DeleteMe();
}

TEST_F(SkinState, StampsDifferBetweenModifiers) {
  std::set<std::uint64_t> stamps;
  for (int i = 0; i < 200; ++i) stamps.insert(NextInstanceStamp());
  EXPECT_EQ(stamps.size(), 200u);
  auto* a = new Tessarin();
  auto* b = new Tessarin();
  EXPECT_NE(a->instanceStamp, b->instanceStamp);
  a->DeleteMe();
  b->DeleteMe();
}

TEST_F(SkinState, BoneReferencesFollowTheTable) {
  auto* skin = new Tessarin();
  SceneNode* a = host().CreateNode(L"a", new DummyObject());
  SceneNode* b = host().CreateNode(L"b", new DummyObject());
  AssignBones(*skin, {a, b});
  EXPECT_EQ(skin->NumRefs(), 4);
  EXPECT_EQ(skin->GetReference(2), a);
  EXPECT_EQ(skin->GetReference(3), b);
  EXPECT_EQ(skin->GetReference(4), nullptr);  // past the table
  // A set past the table is refused and changes nothing.
  EXPECT_EQ(skin->ReplaceReference(4, a), REF_FAIL);
  EXPECT_EQ(skin->table.boneCount, 2);

  // Destruction lets go of every node.
  ASSERT_EQ(a->Dependents().size(), 1u);
  skin->DeleteMe();
  EXPECT_TRUE(a->Dependents().empty());
  EXPECT_TRUE(b->Dependents().empty());
}

TEST_F(SkinState, ResizingBonesThreeToFiveKeepsTheThree) {
  BoneTable t;
  t.ResizeBones(3);
  for (int i = 0; i < 3; ++i) t.bones[i]->falloff = 2.0f + i;
  BoneEntry* kept[3] = {t.bones[0].get(), t.bones[1].get(), t.bones[2].get()};
  t.ResizeBones(5);
  ASSERT_EQ(t.boneCount, 5);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(t.bones[i].get(), kept[i]);
    EXPECT_FLOAT_EQ(t.bones[i]->falloff, 2.0f + i);
  }
  for (int i = 3; i < 5; ++i) {
    EXPECT_FLOAT_EQ(t.bones[i]->falloff, 1.0f);
    EXPECT_EQ(t.bones[i]->color, 0x00FF0000u);
    EXPECT_FLOAT_EQ(t.bones[i]->bindShape.radius[0], 0.001f);
  }
  // Shrinking replaces every entry by a default one.
  t.ResizeBones(2);
  EXPECT_FLOAT_EQ(t.bones[0]->falloff, 1.0f);
}

TEST_F(SkinState, RemovingTheSecondOfFourBonesMovesTheLaterOnesDown) {
  auto* skin = new Tessarin();
  std::vector<SceneNode*> nodes;
  for (const wchar_t* name : {L"b0", L"b1", L"b2", L"b3"}) nodes.push_back(host().CreateNode(name, new DummyObject()));
  AssignBones(*skin, {nodes[0], nodes[1], nodes[2], nodes[3]});
  for (int i = 0; i < 4; ++i) {
    BoneEntry& b = *skin->table.bones[i];
    b.ResizeVertexArrays(2);
    b.vertexCodes[1] = static_cast<std::uint8_t>(0x80 + i);
    b.forcedWeights[0] = 10.0f * i;
    b.bindShape.radius[0] = 1.0f + i;
    b.bindShape.radius[1] = b.bindShape.radius[2] = 1.0f;
  }
  skin->table.RebuildBindFrames();
  skin->cache.weights.assign(8, 0.25f);
  skin->cache.weightsKey = {4, 2};

  skin->RemoveBoneOfNode(nodes[1]);
  ASSERT_EQ(skin->table.boneCount, 3);
  EXPECT_EQ(skin->NumRefs(), 5);
  EXPECT_TRUE(skin->cache.weights.empty());
  EXPECT_TRUE(skin->cache.weightsKey.empty());
  const int formerIndex[3] = {0, 2, 3};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const BoneEntry& b = *skin->table.bones[i];
    const int k = formerIndex[i];
    EXPECT_EQ(b.node, nodes[k]);
    EXPECT_EQ(skin->GetReference(2 + i), nodes[k]);
    EXPECT_EQ(b.vertexCodes[1], 0x80 + k);
    EXPECT_FLOAT_EQ(b.forcedWeights[0], 10.0f * k);
    // Bind frames rebuilt for the remaining bones: row 0 scaled by 1 / x radius.
    EXPECT_FLOAT_EQ(skin->table.bindFrames[i].m[0][0], 1.0f / (1.0f + k));
  }
  EXPECT_EQ(skin->table.frameCount, 3);
  EXPECT_TRUE(nodes[1]->Dependents().empty());
  EXPECT_EQ(nodes[2]->Dependents().size(), 1u);
  skin->DeleteMe();
  for (SceneNode* n : nodes) EXPECT_TRUE(n->Dependents().empty());
}

TEST_F(SkinState, DeletedBoneNodeIsRemovedAndWeightsFollowAtTheNextEvaluation) {
  SceneNode* mesh = SkinnedNode(Tube(5, 4, 20, 1));
  SceneNode* a = BoxBone(L"a", {-5, -1, -1}, {5, 1, 1}, {5, 0, 0});
  SceneNode* b = BoxBone(L"b", {-5, -1, -1}, {5, 1, 1}, {15, 0, 0});
  AssignBones(skin(), {a, b});
  ASSERT_TRUE(ReattachSkin(skin(), nullptr));
  ASSERT_TRUE(skin().cache.Matches(2, 20));

  host().DeleteNode(b);
  EXPECT_EQ(skin().table.boneCount, 1);
  EXPECT_EQ(skin().table.bones[0]->node, a);
  EXPECT_EQ(skin().table.frameCount, 1);
  EXPECT_TRUE(skin().cache.weights.empty());

  Evaluate(mesh, 0);
  EXPECT_TRUE(skin().cache.Matches(1, 20));
  EXPECT_FLOAT_EQ(WeightOf(skin(), 0, 19), 1.0f);  // the only bone left holds everything
}

TEST_F(SkinState, InclusionKeepsTheOtherBitsOfTheCode) {
  struct Case {
    const char* name;
    std::uint8_t code;
    bool include;
    std::uint8_t expected;
  };
  const Case cases[] = {
      {"excluding a forced vertex", 254, false, 126},
      {"including it again forces again", 126, true, 254},
      {"including an excluded vertex computes", 0, true, 128},
      {"excluding a computed vertex", 128, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BoneEntry b;
    b.ResizeVertexArrays(1);
    b.vertexCodes[0] = c.code;
    b.SetIncluded(0, c.include);
    EXPECT_EQ(b.vertexCodes[0], c.expected);
  }
  // Past the arrays: they grow first (codes 0x80, forced 0).
  BoneEntry b;
  b.SetIncluded(3, false);
  ASSERT_EQ(b.vertexCodes.size(), 4u);
  ASSERT_EQ(b.forcedWeights.size(), 4u);
  EXPECT_EQ(b.vertexCodes[2], 0x80);
  EXPECT_EQ(b.vertexCodes[3], 0x00);
  EXPECT_EQ(b.CodeOf(10), 0x80);  // reading past the end: included, computed
}

TEST_F(SkinState, ThresholdIgnoresWeightsOnlyStrictlyBetweenZeroAndHundred) {
  struct Case {
    float percent;
    float threshold;
  };
  for (Case c : {Case{0, 0}, {100, 0}, {150, 0}, {-5, 0}, {25, 0.25f}}) {
    SCOPED_TRACE(c.percent);
    SkinSettings s;
    s.weightThreshold = c.percent;
    EXPECT_FLOAT_EQ(s.BlendThreshold(), c.threshold);
  }
}

TEST_F(SkinState, SplineCapacityCoversArraysThatDisagreeWithTheirCount) {
  BoneEntry b;
  b.kind = kSplineBone;
  b.splineCount = 4;
  b.splineParam.assign(2, 0.5f);  // a file's arrays shorter than its count
  b.EnsureSplineCapacity(3);
  EXPECT_EQ(b.splineCount, 4);
  EXPECT_EQ(b.splineParam.size(), 4u);
  EXPECT_EQ(b.splineTangent.size(), 4u);
  EXPECT_FLOAT_EQ(b.splineParam[1], 0.5f);
  EXPECT_FLOAT_EQ(b.splineParam[3], 0.0f);
}

}  // namespace
