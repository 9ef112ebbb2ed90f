// Building descriptions into the headless host: transforms and animation, object offsets, mesh
// kinds and their world snapshots; with the plug-in module loaded, skins whose bones are
// assigned and attached as described, and what the plug-in refuses.

#include <gtest/gtest.h>

#include <sstream>

#include "cli/scene/mesh_snapshot.h"
#include "cli/scene/plugin_session.h"
#include "cli/scene/scene_builder.h"
#include "cli/scene/scene_reader.h"
#include "cli/scene/skin_access.h"
#include "hand_rig.h"
#include "host/headless/headless_host.h"
#include "support/tolerance.h"

namespace {

// Reads and builds text; the failure's text otherwise.
std::string Build(const std::string& text) {
  SceneDescription scene;
  SceneError error;
  if (!ReadSceneText(text, "scene.json", ".", scene, error)) return "read: " + error.Text();
  if (!BuildScene(scene, error)) return error.Text();
  return {};
}

INode* NodeNamed(const wchar_t* name) { return TheHost().GetINodeByName(name); }

class SceneBuild : public ::testing::Test {
protected:
  void TearDown() override { TheHost().ResetScene(); }
};

TEST_F(SceneBuild, KeysInterpolateAndChildrenFollowTheirParent) {
  ASSERT_EQ(Build(R"({"frameRate": 10, "time": 4, "nodes": [
      {"name": "Hand", "parent": "Arm", "position": [2, 0, 0]},
      {"name": "Arm", "keys": [{"frame": 0, "position": [0, 0, 0], "rotation": [0, 0, 0]},
                               {"frame": 10, "position": [0, 0, 10],
                                "rotation": {"axis": [0, 0, 1], "angle": 90}}]}]})"),
            "");
  EXPECT_EQ(TheHost().GetFrameRate(), 10);
  EXPECT_EQ(TheHost().GetTime(), 4 * GetTicksPerFrame()) << "the current time is the description's";
  INode* hand = NodeNamed(L"Hand");
  ASSERT_TRUE(hand);
  const int tpf = GetTicksPerFrame();
  // Halfway: the arm is at z = 5 and has turned by 45 degrees; the hand sits 2 along its x.
  const float h = std::sqrt(2.0f);
  EXPECT_TRUE(ExpectPoint3Near(hand->GetNodeTM(5 * tpf).GetTrans(), Point3(h, h, 5.0f), 1e-5f));
  EXPECT_TRUE(ExpectPoint3Near(hand->GetNodeTM(20 * tpf).GetTrans(), Point3(0, 2, 10), 1e-5f)) << "held after the last key";
}

struct Kind {
  const char* name;
  const char* as;
  Class_ID classId;
};

class MeshKinds : public SceneBuild, public ::testing::WithParamInterface<Kind> {};

TEST_P(MeshKinds, SnapshotIsInWorldSpaceWithTheObjectOffset) {
  const Kind& k = GetParam();
  ASSERT_EQ(Build(std::string(R"({"nodes": [{"name": "M", "position": [10, 0, 0], "objectOffset": {"position": [0, 0, 1]},
      "wireColor": [255, 0, 0], "object": {"type": "box", "size": 2, "as": ")") + k.as + R"("}}]})"),
            "");
  INode* node = NodeNamed(L"M");
  ASSERT_TRUE(node);
  EXPECT_EQ(node->GetWireColor(), 0x000000FFu);
  EXPECT_EQ(node->EvalWorldState(0).obj->ClassID(), k.classId);
  MeshSnapshot snap;
  std::string why;
  ASSERT_TRUE(TakeSnapshot(node, 0, snap, &why)) << why;
  ASSERT_EQ(snap.VertexCount(), 8);
  Point3 lo(1e9f, 1e9f, 1e9f);
  for (const Point3& p : snap.positions)
    for (int c = 0; c < 3; ++c) lo[c] = std::min(lo[c], p[c]);
  EXPECT_TRUE(ExpectPoint3Near(lo, Point3(9, -1, 1), 1e-6f)) << "node position plus object offset";
  EXPECT_EQ(snap.FaceCount(), std::string(k.as) == "tri" ? 12 : 6);
}

INSTANTIATE_TEST_SUITE_P(Table, MeshKinds,
                         ::testing::Values(Kind{"Tri", "tri", triObjectClassID}, Kind{"Poly", "poly", polyObjectClassID},
                                           Kind{"Patch", "patch", patchObjectClassID}),
                         [](const ::testing::TestParamInfo<Kind>& info) { return info.param.name; });

TEST_F(SceneBuild, SkinWithoutTheModuleIsAClearError) {
  std::string error = Build(cli_test::kHandRig);
  EXPECT_NE(error.find("/nodes/2/modifiers/0"), std::string::npos) << error;
  EXPECT_NE(error.find("not available"), std::string::npos) << error;
  EXPECT_TRUE(TheHost().AllNodes().empty()) << "a failed build leaves no scene";
}

// With the plug-in module loaded, once for the suite.
class SkinBuild : public SceneBuild {
protected:
  static void SetUpTestSuite() {
    std::string why;
    session_ = PluginSession::Open(messages_, &why).release();
    // No assertion here: a failure while setting up the suite turns its tests into skips.
    if (!session_) messages_ << why;
  }
  static void TearDownTestSuite() {
    delete session_;
    session_ = nullptr;
  }
  void SetUp() override {
    // A module that does not load is a failure of every test here, never a skip.
    if (!session_) FAIL() << "the plug-in module did not load: " << messages_.str();
    messages_.str("");
  }

  static PluginSession* session_;
  static std::ostringstream messages_;
};

PluginSession* SkinBuild::session_ = nullptr;
std::ostringstream SkinBuild::messages_;

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  std::size_t at = text.find(from);
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

TEST_F(SkinBuild, PatchMeshDeformsAsTheWeightsSay) {
  ASSERT_EQ(Build(Replace(cli_test::kHandRig, R"("faces": [[0, 1, 2]])", R"("faces": [[0, 1, 2]], "as": "patch")")), "");
  std::vector<SkinRef> skins = FindSkins();
  ASSERT_EQ(skins.size(), 1u);
  EXPECT_EQ(skins[0].editor->Table().boneCount, 2);
  MeshSnapshot snap;
  std::string why;
  ASSERT_TRUE(TakeSnapshot(skins[0].node, 10 * GetTicksPerFrame(), snap, &why)) << why;
  ASSERT_EQ(snap.VertexCount(), cli_test::kHandRigVertices);
  for (int v = 0; v < cli_test::kHandRigVertices; ++v)
    EXPECT_TRUE(ExpectPoint3Near(snap.positions[v],
                                 cli_test::kHandRigRest[v] + Point3(0.0f, cli_test::kHandRigWeightB[v], 0.0f), 1e-5f))
        << "vertex " << v;
}

TEST_F(SkinBuild, ShowWeightsWritesVertexColours) {
  ASSERT_EQ(Build(Replace(cli_test::kHandRig, R"("type": "Tessarin",)", R"("type": "Tessarin", "settings": {"showWeights": true},)")),
            "");
  std::vector<SkinRef> skins = FindSkins();
  ASSERT_EQ(skins.size(), 1u);
  MeshSnapshot snap;
  std::string why;
  ASSERT_TRUE(TakeSnapshot(skins[0].node, 0, snap, &why)) << why;
  EXPECT_EQ(snap.colors.size(), std::size_t(cli_test::kHandRigVertices));
}

TEST_F(SkinBuild, BoneThePluginRefusesIsNamedByItsPlace) {
  // A legacy bone joint under the scene root is no link bone.
  std::string text = Replace(cli_test::kHandRig, R"({"name": "BoneB", "position": [4, 0, 0], "object": {"type": "dummy", "size": 2},)",
                             R"({"name": "BoneB", "position": [4, 0, 0], "object": {"type": "legacyBone"},)");
  std::string error = Build(text);
  EXPECT_NE(error.find("/nodes/2/modifiers/0/bones/1/node"), std::string::npos) << error;
  EXPECT_NE(error.find("cannot serve as a bone"), std::string::npos) << error;
}

TEST_F(SkinBuild, FailedAttachmentShowsTheSkinsMessage) {
  // Two vertices are too few to attach to.
  std::string text = Replace(cli_test::kHandRig, R"([[1.5, 0, 0], [2, 0, 0], [4, 0.5, 0], [2, 0, 0.5], [1, 1, 0]])",
                             R"([[1.5, 0, 0], [2, 0, 0]])");
  text = Replace(text, R"(, "forced": {"3": 30})", "");
  text = Replace(text, R"(, "exclude": [4])", "");
  text = Replace(text, R"("faces": [[0, 1, 2]])", R"("faces": [])");
  std::string error = Build(text);
  EXPECT_NE(error.find("could not be attached"), std::string::npos) << error;
  EXPECT_NE(messages_.str().find("Can't get mesh from node Skin"), std::string::npos) << messages_.str();
}

}  // namespace
