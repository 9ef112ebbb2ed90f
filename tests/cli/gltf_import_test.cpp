// Reading glTF characters: with the file's own weights and linear blending, every frame's
// deformed world positions are those of standard glTF skinning of the file; the file's nodes,
// names, joints, animation length and unskinned meshes come through; weights from bone volumes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "cli/scene/gltf_import.h"
#include "cli/scene/mesh_snapshot.h"
#include "cli/scene/plugin_session.h"
#include "cli/scene/scene_builder.h"
#include "cli/scene/skin_access.h"
#include "cli_support.h"
#include "host/headless/headless_host.h"
#include "host/headless/utf8_text.h"
#include "support/gltf_character.h"
#include "support/gltf_reference_skinning.h"

namespace {

using gltf_character::Form;

class GltfImport : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    std::string why;
    session_ = PluginSession::Open(messages_, &why).release();
    ASSERT_TRUE(session_) << why;
  }
  static void TearDownTestSuite() {
    delete session_;
    session_ = nullptr;
  }
  void SetUp() override {
    if (!session_) GTEST_SKIP() << "the plug-in module did not load";
  }
  void TearDown() override { TheHost().ResetScene(); }

  // Writes model, reads it with options and builds it; the failure's text otherwise.
  std::string Load(const tinygltf::Model& model, Form form, const GltfImportOptions& options, SceneDescription& scene) {
    const char* ext = form == Form::Glb ? "character.glb" : "character.gltf";
    const auto path = dir_.Path() / ext;
    std::string why;
    if (!gltf_character::Write(model, path, form, &why)) return why;
    SceneError error;
    if (!ReadGltfScene(path, options, scene, error)) return "read: " + error.Text();
    if (!BuildScene(scene, error)) return "build: " + error.Text();
    return {};
  }

  static inline PluginSession* session_ = nullptr;
  static inline std::ostringstream messages_;
  cli_test::TempDir dir_;
};

INode* NodeNamed(const std::string& name) { return TheHost().GetINodeByName(Utf8TextToWide(name)->c_str()); }

// The largest distance between the two point lists, over the bind pose's bounding-box diagonal.
double RelativeError(const std::vector<Point3>& got, const std::vector<gltf_math::Vec3>& want, double diagonal) {
  double worst = 0.0;
  for (std::size_t v = 0; v < got.size(); ++v) {
    const double dx = got[v].x - want[v][0], dy = got[v].y - want[v][1], dz = got[v].z - want[v][2];
    worst = std::max(worst, std::sqrt(dx * dx + dy * dy + dz * dz));
  }
  return worst / diagonal;
}

double BindDiagonal(const tinygltf::Model& model) {
  const auto& a = model.accessors[model.meshes[0].primitives[0].attributes.at("POSITION")];
  double s = 0.0;
  for (int c = 0; c < 3; ++c) s += (a.maxValues[c] - a.minValues[c]) * (a.maxValues[c] - a.minValues[c]);
  return std::sqrt(s);
}

struct SkinningCase {
  const char* name;
  gltf_character::Options options;
  Form form;
  int fps;
  const char* animation;  // empty: the first
  int animationIndex;
  int lastFrame;
};

void PrintTo(const SkinningCase& c, std::ostream* os) { *os << c.name; }

gltf_character::Options With(void (*change)(gltf_character::Options&)) {
  gltf_character::Options o;
  change(o);
  return o;
}

const SkinningCase kSkinningCases[] = {
    {"Binary", {}, Form::Glb, 30, "", 0, 30},
    {"EmbeddedBuffer", {}, Form::Embedded, 30, "", 0, 30},
    {"ExternalBuffer", {}, Form::External, 30, "", 0, 30},
    {"SparsePositions", With([](auto& o) { o.sparsePositions = true; }), Form::Glb, 30, "", 0, 30},
    {"QuantizedWeightsShortJoints", With([](auto& o) { o.quantizedWeights = o.shortJoints = true; }), Form::Glb, 30, "",
     0, 30},
    {"EightInfluences", With([](auto& o) { o.eightInfluences = true; }), Form::Glb, 30, "", 0, 30},
    {"SecondAnimationByNameAt24Fps", {}, Form::Glb, 24, "Wave", 1, 48},
    {"SecondAnimationByIndexAt7Fps", {}, Form::Glb, 7, "1", 1, 14},
};

class GltfSkinning : public GltfImport, public ::testing::WithParamInterface<SkinningCase> {};

TEST_P(GltfSkinning, EveryFrameMatchesStandardSkinningOfTheFile) {
  const SkinningCase& c = GetParam();
  const tinygltf::Model model = gltf_character::Make(c.options);
  GltfImportOptions options;
  options.weights = GltfWeights::File;
  options.framesPerSecond = c.fps;
  options.animation = c.animation;
  SceneDescription scene;
  ASSERT_EQ(Load(model, c.form, options, scene), "");
  ASSERT_TRUE(scene.frames);
  EXPECT_EQ(scene.frames->first, 0);
  EXPECT_EQ(scene.frames->second, c.lastFrame) << "the animation's length sets the frames";

  INode* body = NodeNamed("Body");
  ASSERT_TRUE(body);
  const double diagonal = BindDiagonal(model);
  for (int f = 0; f <= c.lastFrame + 2; ++f) {  // two frames past the end hold the last key
    const TimeValue t = FrameToTicks(f, c.fps);
    TheHost().SetTime(t);
    MeshSnapshot snap;
    std::string why;
    ASSERT_TRUE(TakeSnapshot(body, t, snap, &why)) << why;
    const auto want = gltf_reference::SkinnedPositions(model, gltf_character::kBodyNode, c.animationIndex, double(f) / c.fps);
    ASSERT_EQ(snap.positions.size(), want.size()) << "vertices stay one-to-one with the file's";
    EXPECT_LT(RelativeError(snap.positions, want, diagonal), 1e-4) << "frame " << f;
  }
}

INSTANTIATE_TEST_SUITE_P(Files, GltfSkinning, ::testing::ValuesIn(kSkinningCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(GltfImport, NodesJointsAndUnskinnedMeshesComeThrough) {
  const tinygltf::Model model = gltf_character::Make();
  SceneDescription scene;
  ASSERT_EQ(Load(model, Form::Glb, {}, scene), "");
  for (const auto& node : model.nodes) EXPECT_TRUE(NodeNamed(node.name)) << node.name;
  EXPECT_EQ(NodeNamed("Forearm.L")->GetParentNode(), NodeNamed("UpperArm.L")) << "parents are kept";

  const std::vector<SkinRef> skins = FindSkins();
  ASSERT_EQ(skins.size(), 1u);
  const BoneTable& table = skins[0].editor->Table();
  ASSERT_EQ(table.boneCount, gltf_character::kJointCount);
  for (int j = 0; j < table.boneCount; ++j) {
    EXPECT_EQ(WideToUtf8Text(table.bones[j]->node->GetName()), model.nodes[gltf_character::kJointNodes[j]].name)
        << "bones in the skin's joint order";
    EXPECT_EQ(table.bones[j]->kind, 1) << "joints are measured as box bones";
  }

  // The hat has no skin: it follows the head as an ordinary mesh, its vertices as in the file.
  INode* hat = NodeNamed("Hat");
  MeshSnapshot snap;
  std::string why;
  const int frame = 20;
  const TimeValue t = FrameToTicks(frame, 30);
  TheHost().SetTime(t);
  ASSERT_TRUE(TakeSnapshot(hat, t, snap, &why)) << why;
  const auto world = gltf_reference::WorldMatrices(model, 0, frame / 30.0);
  const auto local = gltf_reference::Values(model, model.meshes[1].primitives[0].attributes.at("POSITION"));
  ASSERT_EQ(snap.positions.size(), local.size() / 3);
  for (std::size_t v = 0; v < snap.positions.size(); ++v) {
    const auto p = gltf_math::TransformPoint(world[gltf_character::kHatNode], {local[v * 3], local[v * 3 + 1], local[v * 3 + 2]});
    EXPECT_NEAR(snap.positions[v].x, p[0], 1e-5);
    EXPECT_NEAR(snap.positions[v].y, -p[2], 1e-5);
    EXPECT_NEAR(snap.positions[v].z, p[1], 1e-5);
  }
}

TEST_F(GltfImport, NamesAreGivenAndMadeUnique) {
  tinygltf::Model model = gltf_character::Make();
  model.nodes[gltf_character::kHatNode].name = "";  // unnamed: node<index>
  model.nodes[7].name = "UpperArm.L";               // a second "UpperArm.L"
  model.nodes[9].name = "UpperArm.L.1";             // a name the first suffix would take
  SceneDescription scene;
  ASSERT_EQ(Load(model, Form::Glb, {}, scene), "");
  EXPECT_TRUE(NodeNamed("node10"));
  EXPECT_EQ(NodeNamed("UpperArm.L.2")->GetParentNode(), NodeNamed("UpperArm.L")) << "the later duplicate is renamed";
  EXPECT_TRUE(NodeNamed("UpperArm.L.1"));
}

TEST_F(GltfImport, VolumeWeightsBindEveryVertexAndFollowTheNearestBone) {
  const tinygltf::Model model = gltf_character::Make();
  SceneDescription scene;
  ASSERT_EQ(Load(model, Form::Glb, {}, scene), "");
  ISkinEditor* editor = FindSkins()[0].editor;
  const BoneTable& table = editor->Table();
  const auto file = gltf_reference::Values(model, model.meshes[0].primitives[0].attributes.at("WEIGHTS_0"));
  const auto joints = gltf_reference::Values(model, model.meshes[0].primitives[0].attributes.at("JOINTS_0"));
  int agree = 0;
  for (int v = 0; v < table.vertexCount; ++v) {
    float sum = 0.0f;
    int best = 0;
    for (int b = 0; b < table.boneCount; ++b) {
      sum += editor->WeightOf(b, v);
      if (editor->WeightOf(b, v) > editor->WeightOf(best, v)) best = b;
    }
    EXPECT_NEAR(sum, 1.0f, 1e-5f) << "vertex " << v << " is influenced";
    const int fileBest = int(joints[v * 4 + (file[v * 4 + 1] > file[v * 4] ? 1 : 0)]);
    agree += best == fileBest;
  }
  // The volumes do not reproduce the artist's weights, but they choose the same strongest bone
  // for most vertices of this simple character.
  EXPECT_GT(agree, table.vertexCount * 3 / 4) << agree << " of " << table.vertexCount;

  // With the default falloff the bent character stays close to the artist's deformation: on
  // average within half a percent of its size (a falloff of 1 strays twice as far).
  const int frame = 15;
  const TimeValue t = FrameToTicks(frame, 30);
  TheHost().SetTime(t);
  MeshSnapshot snap;
  std::string why;
  ASSERT_TRUE(TakeSnapshot(NodeNamed("Body"), t, snap, &why)) << why;
  const auto want = gltf_reference::SkinnedPositions(model, gltf_character::kBodyNode, 0, frame / 30.0);
  double sum = 0.0;
  for (std::size_t v = 0; v < want.size(); ++v)
    sum += std::sqrt(std::pow(snap.positions[v].x - want[v][0], 2) + std::pow(snap.positions[v].y - want[v][1], 2) +
                     std::pow(snap.positions[v].z - want[v][2], 2));
  EXPECT_LT(sum / double(want.size()), 0.005 * BindDiagonal(model));
}

}  // namespace
