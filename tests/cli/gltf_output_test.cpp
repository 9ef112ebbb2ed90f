// The glTF outputs end to end. run --format skinned-glb: the written skin, posed by standard glTF skinning at every
// frame, lands where the skin itself deforms the mesh (dump --time), for rigs whose bones follow
// their nodes, link bones and secondary motion (joints of their own), vertices no bone holds,
// and more than four bones per vertex; the file passes the glTF validator.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <tiny_gltf.h>

#include <cmath>

#include "cli_support.h"
#include "gltf_pose.h"
#include "gltf_validation.h"
#include "hand_rig.h"
#include "support/gltf_character.h"
#include "support/gltf_reference_skinning.h"

namespace {

using cli_test::RunProgram;
using cli_test::TempDir;

// Bone objects in a chain: the parent turns and grows, the child bends; the skin's node is
// moved and turned, which a glTF skin must not apply twice.
const char* kBoneChain = R"({
  "frameRate": 30, "time": 0,
  "nodes": [
    {"name": "Arm", "position": [0, 0, 1], "rotation": [0, 0, 5],
     "object": {"type": "cylinder", "radius": 1, "height": 20, "sides": 8, "segments": 10, "axis": "x"},
     "modifiers": [{"type": "Tessarin", "bones": [{"node": "Upper"}, {"node": "Lower"}]}]},
    {"name": "Rig", "position": [0, 0, 1], "rotation": [0, 0, 5]},
    {"name": "Upper", "parent": "Rig", "object": {"type": "bone", "length": 10},
     "keys": [{"frame": 0, "rotation": [0, 0, 0], "scale": 1}, {"frame": 8, "rotation": [0, 20, 30], "scale": 1.2}]},
    {"name": "Lower", "parent": "Upper", "position": [10, 0, 0], "object": {"type": "bone", "length": 10},
     "keys": [{"frame": 0, "rotation": [0, 0, 0]}, {"frame": 4, "rotation": [10, 0, 45]}, {"frame": 8, "rotation": [0, 0, 90]}]}
  ]
})";

// Legacy bone joints: each bone is the link from its parent joint, measured anew every frame.
const char* kLinkChain = R"({
  "frameRate": 30, "time": 0,
  "nodes": [
    {"name": "Tail", "object": {"type": "cylinder", "radius": 1, "height": 20, "sides": 8, "segments": 10, "axis": "x"},
     "modifiers": [{"type": "Tessarin", "bones": [{"node": "J1"}, {"node": "J2"}]}]},
    {"name": "J0", "object": {"type": "legacyBone"},
     "keys": [{"frame": 0, "rotation": [0, 0, 0]}, {"frame": 8, "rotation": [0, 0, 25]}]},
    {"name": "J1", "parent": "J0", "position": [10, 0, 0], "object": {"type": "legacyBone"},
     "keys": [{"frame": 0, "position": [10, 0, 0], "rotation": [0, 0, 0]}, {"frame": 8, "position": [12, 0, 0], "rotation": [0, 30, 40]}]},
    {"name": "J2", "parent": "J1", "position": [10, 0, 0], "object": {"type": "legacyBone"}}
  ]
})";

// The hand rig's bone B lags behind its node.
const char* kWobble = R"({
  "frameRate": 30, "time": 0,
  "nodes": [
    {"name": "BoneA", "object": {"type": "dummy", "size": 2}},
    {"name": "BoneB", "position": [4, 0, 0], "object": {"type": "dummy", "size": 2},
     "keys": [{"frame": 0, "position": [4, 0, 0]}, {"frame": 10, "position": [4, 3, 0]}],
     "modifiers": [{"type": "Wobblex", "delay": 3, "amplitude_y": 20, "period_y": 5}]},
    {"name": "Skin", "object": {"type": "box", "size": [8, 2, 2], "segments": [8, 1, 1]}, "position": [2, 0, -1],
     "modifiers": [{"type": "Tessarin", "switches": {"use_inertia": true, "use_oscillation": true},
                    "bones": [{"node": "BoneA"}, {"node": "BoneB", "falloff": 2}]}]}
  ]
})";

// Vertex 3 is far from both bones (no weight at all) and follows the skin's moving node.
const char* kUnbound = R"({
  "frameRate": 30, "time": 0,
  "nodes": [
    {"name": "BoneA", "object": {"type": "dummy", "size": 2}},
    {"name": "BoneB", "position": [4, 0, 0], "object": {"type": "dummy", "size": 2},
     "keys": [{"frame": 0, "rotation": [0, 0, 0]}, {"frame": 6, "rotation": [40, 0, 0]}]},
    {"name": "Skin", "object": {"type": "mesh", "vertices": [[1, 0, 0], [3, 0, 0], [4, 0.5, 0], [400, 0, 0]],
                                "faces": [[0, 1, 2], [1, 3, 2]]},
     "keys": [{"frame": 0, "position": [0, 0, 0]}, {"frame": 6, "position": [0, 0, 5]}],
     "modifiers": [{"type": "Tessarin", "switches": {"use_stack": false},
                    "bones": [{"node": "BoneA", "falloff": 0.5}, {"node": "BoneB", "falloff": 0.5}]}]}
  ]
})";

// Six bones close together with long falloffs: every vertex has six weights.
const char* kSixBones = R"({
  "frameRate": 24, "time": 0,
  "nodes": [
    {"name": "Bar", "object": {"type": "box", "size": [12, 1, 1], "segments": [12, 1, 1]}, "position": [6, 0, -0.5],
     "modifiers": [{"type": "Tessarin", "bones": [
       {"node": "B0", "falloff": 4}, {"node": "B1", "falloff": 4}, {"node": "B2", "falloff": 4},
       {"node": "B3", "falloff": 4}, {"node": "B4", "falloff": 4}, {"node": "B5", "falloff": 4}]}]},
    {"name": "B0", "position": [1, 0, 0], "object": {"type": "dummy", "size": 1}},
    {"name": "B1", "position": [3, 0, 0], "object": {"type": "dummy", "size": 1},
     "keys": [{"frame": 0, "position": [3, 0, 0]}, {"frame": 6, "position": [3, 2, 0]}]},
    {"name": "B2", "position": [5, 0, 0], "object": {"type": "dummy", "size": 1}},
    {"name": "B3", "position": [7, 0, 0], "object": {"type": "dummy", "size": 1},
     "keys": [{"frame": 0, "rotation": [0, 0, 0]}, {"frame": 6, "rotation": [0, 0, 60]}]},
    {"name": "B4", "position": [9, 0, 0], "object": {"type": "dummy", "size": 1}},
    {"name": "B5", "position": [11, 0, 0], "object": {"type": "dummy", "size": 1},
     "keys": [{"frame": 0, "position": [11, 0, 0]}, {"frame": 6, "position": [11, 0, -2]}]}
  ]
})";

struct SkinnedCase {
  const char* name;
  const char* scene;
  int first, last;
  int influences;
  bool ownJoints;  // some bone needs a joint of its own ("<bone> shape")
};

const SkinnedCase kCases[] = {
    {"HandRig", cli_test::kHandRig, 0, 10, 4, false},
    {"BoneChain", kBoneChain, 0, 8, 4, false},
    {"LinkChain", kLinkChain, 0, 8, 4, true},
    {"SecondaryMotion", kWobble, 0, 10, 4, true},
    {"UnboundVertex", kUnbound, 0, 6, 4, false},
    {"SixBonesEightInfluences", kSixBones, 0, 6, 8, false},
    {"OffsetRange", kBoneChain, 3, 7, 4, false},
};

void PrintTo(const SkinnedCase& c, std::ostream* os) { *os << c.name; }

class SkinnedGlb : public ::testing::TestWithParam<SkinnedCase> {};

double BoxDiagonal(const std::vector<std::array<double, 3>>& points) {
  std::array<double, 3> lo = points.at(0), hi = lo;
  for (const auto& p : points)
    for (int c = 0; c < 3; ++c) lo[c] = std::min(lo[c], p[c]), hi[c] = std::max(hi[c], p[c]);
  return std::sqrt((hi[0] - lo[0]) * (hi[0] - lo[0]) + (hi[1] - lo[1]) * (hi[1] - lo[1]) +
                   (hi[2] - lo[2]) * (hi[2] - lo[2]));
}

TEST_P(SkinnedGlb, PosedByGltfSkinningMatchesTheSkinAtEveryFrame) {
  const SkinnedCase& c = GetParam();
  TempDir dir;
  dir.Write("scene.json", c.scene);
  const std::string range = std::to_string(c.first) + ":" + std::to_string(c.last);
  auto run = RunProgram("run scene.json --format skinned-glb --out out --frames " + range + " --influences " +
                            std::to_string(c.influences),
                        dir.Path());
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const auto file = dir.Path() / "out/scene.glb";
  ASSERT_TRUE(std::filesystem::exists(file)) << run.out;

  tinygltf::Model model;
  tinygltf::TinyGLTF loader;
  std::string err, warn;
  ASSERT_TRUE(loader.LoadBinaryFromFile(&model, &err, &warn, file.string())) << err;
  ASSERT_EQ(model.skins.size(), 1u);
  ASSERT_EQ(model.animations.size(), 1u);
  const double fps = nlohmann::json::parse(c.scene).value("frameRate", 30);
  // Frame f plays at time f / fps.
  const tinygltf::Accessor& times = model.accessors[model.animations[0].samplers[0].input];
  EXPECT_NEAR(times.minValues[0], c.first / fps, 1e-6);
  EXPECT_NEAR(times.maxValues[0], c.last / fps, 1e-6);
  bool ownJoint = false;
  for (int j : model.skins[0].joints) ownJoint = ownJoint || model.nodes[j].name.ends_with(" shape");
  EXPECT_EQ(ownJoint, c.ownJoints);
  const tinygltf::Primitive& prim = model.meshes[0].primitives[0];
  EXPECT_EQ(prim.attributes.count("JOINTS_1"), c.influences == 8 ? 1u : 0u);
  EXPECT_EQ(prim.attributes.count("NORMAL"), 1u);

  for (int f = c.first; f <= c.last; ++f) {
    auto dump = RunProgram("dump scene.json --json --time " + std::to_string(f), dir.Path());
    ASSERT_EQ(dump.exitCode, 0) << dump.err;
    const nlohmann::json mesh = nlohmann::json::parse(dump.out)["deformed"]["meshes"][0];
    std::vector<std::array<double, 3>> expected;
    for (const auto& p : mesh["positions"]) expected.push_back({p[0].get<double>(), p[1].get<double>(), p[2].get<double>()});
    const auto posed = cli_test::SkinnedPositions(model, 0, f / fps);
    ASSERT_EQ(posed.count(mesh["node"].get<std::string>()), 1u);
    const auto& got = posed.at(mesh["node"].get<std::string>());
    ASSERT_EQ(got.size(), expected.size());
    const double tolerance = 1e-4 * BoxDiagonal(expected);
    for (std::size_t v = 0; v < got.size(); ++v) {
      // glTF (x, y, z) is the host's (x, -z, y).
      const std::array<double, 3> host = {got[v][0], -got[v][2], got[v][1]};
      for (int k = 0; k < 3; ++k)
        ASSERT_NEAR(host[k], expected[v][k], tolerance) << "frame " << f << " vertex " << v << " axis " << k;
    }
  }
}

TEST_P(SkinnedGlb, PassesTheGltfValidator) {
  const SkinnedCase& c = GetParam();
  TempDir dir;
  dir.Write("scene.json", c.scene);
  auto run = RunProgram("run scene.json --format skinned-glb --out out --frames " + std::to_string(c.first) + ":" +
                            std::to_string(c.last) + " --influences " + std::to_string(c.influences),
                        dir.Path());
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_GLTF_VALID(dir.Path() / "out/scene.glb");
}

INSTANTIATE_TEST_SUITE_P(Rigs, SkinnedGlb, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SkinnedGlbRun, FourInfluencesOfSixBonesAreRenormalisedToSumOne) {
  TempDir dir;
  dir.Write("scene.json", kSixBones);
  auto run = RunProgram("run scene.json --format skinned-glb --out out --frames 0:1", dir.Path());
  ASSERT_EQ(run.exitCode, 0) << run.err;
  tinygltf::Model model;
  tinygltf::TinyGLTF loader;
  std::string err, warn;
  ASSERT_TRUE(loader.LoadBinaryFromFile(&model, &err, &warn, (dir.Path() / "out/scene.glb").string())) << err;
  const auto& prim = model.meshes[0].primitives[0];
  EXPECT_EQ(prim.attributes.count("JOINTS_1"), 0u);
  const std::vector<double> w = cli_test::ReadAccessor(model, prim.attributes.at("WEIGHTS_0"));
  const std::vector<double> j = cli_test::ReadAccessor(model, prim.attributes.at("JOINTS_0"));
  auto dump = RunProgram("dump scene.json --json --weights", dir.Path());
  ASSERT_EQ(dump.exitCode, 0) << dump.err;
  const nlohmann::json dense = nlohmann::json::parse(dump.out)["skins"][0]["weights"];
  ASSERT_EQ(dense.size() * 4, w.size());
  for (std::size_t v = 0; v < dense.size(); ++v) {
    // The four strongest of the six, in proportion to each other.
    std::vector<std::pair<double, int>> row;
    for (int b = 0; b < 6; ++b) row.push_back({dense[v][b].get<double>(), b});
    std::stable_sort(row.begin(), row.end(), [](auto& a, auto& b) { return a.first > b.first; });
    const double top = row[0].first + row[1].first + row[2].first + row[3].first;
    EXPECT_NEAR(w[v * 4] + w[v * 4 + 1] + w[v * 4 + 2] + w[v * 4 + 3], 1.0, 1e-6) << "vertex " << v;
    for (int k = 0; k < 4; ++k) {
      EXPECT_EQ(int(j[v * 4 + k]), row[k].second) << "vertex " << v << " slot " << k;
      EXPECT_NEAR(w[v * 4 + k], row[k].first / top, 1e-6) << "vertex " << v << " slot " << k;
    }
  }
}

TEST(SkinnedGlbRun, SaysWhatTheSkinCannotPlay) {
  TempDir dir;
  nlohmann::json scene = nlohmann::json::parse(kBoneChain);
  scene["nodes"][0]["modifiers"][0]["switches"] = {{"use_dual_quaternion", true}};
  dir.Write("scene.json", scene.dump());
  auto run = RunProgram("run scene.json --format skinned-glb --out out --frames 0:2", dir.Path());
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.err.find("dual-quaternion"), std::string::npos) << run.err;
}

}  // namespace

namespace {

// --format glb: the base mesh and every morph target carry normals, and the file is valid.
TEST(MorphTargetGlb, CarriesNormalsInTheBaseAndEveryTargetAndPassesTheValidator) {
  TempDir dir;
  dir.Write("scene.json", kBoneChain);
  auto run = RunProgram("run scene.json --format glb --out out --frames 0:4", dir.Path());
  ASSERT_EQ(run.exitCode, 0) << run.err;
  tinygltf::Model model;
  tinygltf::TinyGLTF loader;
  std::string err, warn;
  ASSERT_TRUE(loader.LoadBinaryFromFile(&model, &err, &warn, (dir.Path() / "out/scene.glb").string())) << err;
  const tinygltf::Primitive& prim = model.meshes.at(0).primitives.at(0);
  ASSERT_EQ(prim.attributes.count("NORMAL"), 1u);
  const std::vector<double> base = cli_test::ReadAccessor(model, prim.attributes.at("NORMAL"));
  for (std::size_t v = 0; v * 3 < base.size(); ++v)
    EXPECT_NEAR(std::hypot(base[v * 3], base[v * 3 + 1], base[v * 3 + 2]), 1.0, 1e-5) << "unit normal " << v;
  ASSERT_EQ(prim.targets.size(), 5u);
  double turned = 0.0;
  for (const auto& target : prim.targets) {
    ASSERT_EQ(target.count("NORMAL"), 1u);
    for (double d : cli_test::ReadAccessor(model, target.at("NORMAL"))) turned = std::max(turned, std::fabs(d));
  }
  EXPECT_GT(turned, 0.1) << "the bent frames' normals differ from the base";
  EXPECT_GLTF_VALID(dir.Path() / "out/scene.glb");
}

}  // namespace

namespace {

// Weight colours of selected bones as COLOR_0, in both glTF forms, selected by a description's
// "selected" or by --show-weights. Expected colours are the weight gradient's bytes worked out
// by hand for the hand rig's weights (bytes × 0.00392 as the host writes them).
struct ColourCase {
  const char* name;
  bool selectInDescription;  // "selected": true and showWeights in the description, else --show-weights
  const char* bone;
  const char* format;
  int vertex;
  std::array<int, 3> rgb;
};

const ColourCase kColourCases[] = {
    // BoneA holds vertex 4 alone: full weight is the gradient's last colour, red.
    {"DescriptionFullWeightIsRed", true, "BoneA", "glb", 4, {255, 0, 0}},
    // 0.3 on BoneA: step 19 of 64, 3/16 from cyan towards green.
    {"DescriptionForcedThirtyPercent", true, "BoneA", "skinned-glb", 3, {0, 255, 207}},
    // BoneB never influences vertex 4: the no-influence colour, white.
    {"FlagExcludedVertexIsWhite", false, "BoneB", "skinned-glb", 4, {255, 255, 255}},
    // 0.4288 on BoneB: step 27, 11/16 from cyan towards green.
    {"FlagPartialWeight", false, "BoneB", "glb", 0, {0, 255, 79}},
};

void PrintTo(const ColourCase& c, std::ostream* os) { *os << c.name; }

class WeightColours : public ::testing::TestWithParam<ColourCase> {};

TEST_P(WeightColours, SelectedBonesWeightsAreWrittenAsColor0) {
  const ColourCase& c = GetParam();
  TempDir dir;
  nlohmann::json scene = nlohmann::json::parse(cli_test::kHandRig);
  // Every vertex on a face, so that each has a colour of its own.
  scene["nodes"][2]["object"]["faces"] = {{0, 1, 2}, {2, 3, 4}};
  std::string flag;
  if (c.selectInDescription) {
    auto& skin = scene["nodes"][2]["modifiers"][0];
    for (auto& bone : skin["bones"])
      if (bone["node"] == c.bone) bone["selected"] = true;
    skin["settings"] = {{"showWeights", true}};
  } else {
    flag = std::string(" --show-weights ") + c.bone;
  }
  dir.Write("scene.json", scene.dump());
  auto run = RunProgram(std::string("run scene.json --frames 0:2 --out out --format ") + c.format + flag, dir.Path());
  ASSERT_EQ(run.exitCode, 0) << run.err;
  tinygltf::Model model;
  tinygltf::TinyGLTF loader;
  std::string err, warn;
  ASSERT_TRUE(loader.LoadBinaryFromFile(&model, &err, &warn, (dir.Path() / "out/scene.glb").string())) << err;
  const auto& prim = model.meshes.at(0).primitives.at(0);
  ASSERT_EQ(prim.attributes.count("COLOR_0"), 1u);
  const std::vector<double> colours = cli_test::ReadAccessor(model, prim.attributes.at("COLOR_0"));
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(colours.at(c.vertex * 3 + k), c.rgb[k] * 0.00392, 1e-5) << "channel " << k;

  auto dump = RunProgram("dump scene.json --json" + flag, dir.Path());
  ASSERT_EQ(dump.exitCode, 0) << dump.err;
  // Kept in a variable: a range-for over a member of a temporary would read freed memory.
  const nlohmann::json parsed = nlohmann::json::parse(dump.out);
  for (const auto& bone : parsed["skins"][0]["bones"])
    EXPECT_EQ(bone["selected"].get<bool>(), bone["node"] == c.bone) << bone["node"];
}

INSTANTIATE_TEST_SUITE_P(HandRig, WeightColours, ::testing::ValuesIn(kColourCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WeightColoursRun, WithoutASelectionTheFilesCarryNoColours) {
  TempDir dir;
  dir.Write("scene.json", cli_test::kHandRig);
  for (const char* format : {"glb", "skinned-glb"}) {
    auto run = RunProgram(std::string("run scene.json --frames 0:1 --out out --format ") + format, dir.Path());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    tinygltf::Model model;
    tinygltf::TinyGLTF loader;
    std::string err, warn;
    ASSERT_TRUE(loader.LoadBinaryFromFile(&model, &err, &warn, (dir.Path() / "out/scene.glb").string())) << err;
    EXPECT_EQ(model.meshes.at(0).primitives.at(0).attributes.count("COLOR_0"), 0u) << format;
  }
}

TEST(WeightColoursRun, AnUnknownBoneNameIsRefusedWithTheBonesListed) {
  TempDir dir;
  dir.Write("scene.json", cli_test::kHandRig);
  auto run = RunProgram("run scene.json --frames 0:1 --out out --show-weights BoneA,Elbow", dir.Path());
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("\"Elbow\""), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("BoneA, BoneB"), std::string::npos) << run.err;
  EXPECT_FALSE(std::filesystem::exists(dir.Path() / "out/scene.glb"));
}

// dump --top N: each vertex's N strongest weights with bone names, as the dense matrix has them.
TEST(DumpTop, ListsEachVertexsStrongestWeightsWithBoneNames) {
  TempDir dir;
  dir.Write("scene.json", cli_test::kHandRig);
  auto dump = RunProgram("dump scene.json --json --weights --top 1", dir.Path());
  ASSERT_EQ(dump.exitCode, 0) << dump.err;
  const nlohmann::json skin = nlohmann::json::parse(dump.out)["skins"][0];
  ASSERT_EQ(skin["topWeights"].size(), std::size_t(cli_test::kHandRigVertices));
  ASSERT_EQ(skin["weights"].size(), std::size_t(cli_test::kHandRigVertices)) << "the dense matrix stays";
  for (int v = 0; v < cli_test::kHandRigVertices; ++v) {
    const float b = cli_test::kHandRigWeightB[v];
    const nlohmann::json& top = skin["topWeights"][v];
    ASSERT_EQ(top.size(), 1u);
    EXPECT_EQ(top[0]["bone"], b > 0.5f ? "BoneB" : "BoneA") << "vertex " << v;
    EXPECT_EQ(top[0]["index"], b > 0.5f ? 1 : 0) << "vertex " << v;
    EXPECT_NEAR(top[0]["weight"].get<double>(), b > 0.5f ? b : 1.0f - b, 1e-5) << "vertex " << v;
  }
  // Vertex 4 has one bone only: asking for two lists one, no zero weight.
  auto two = RunProgram("dump scene.json --json --top 2", dir.Path());
  ASSERT_EQ(two.exitCode, 0) << two.err;
  const nlohmann::json rows = nlohmann::json::parse(two.out)["skins"][0]["topWeights"];
  EXPECT_EQ(rows[4].size(), 1u);
  ASSERT_EQ(rows[0].size(), 2u);
  EXPECT_EQ(rows[0][0]["bone"], "BoneA");
  EXPECT_EQ(rows[0][1]["bone"], "BoneB");
}

}  // namespace

namespace {

// A glTF character read with --weights-from file and written as a skinned glTF plays the input's
// motion: both posed by standard glTF skinning agree at every frame within 1e-4 of the size.
struct RoundTripCase {
  const char* name;
  gltf_character::Options options;
  const char* extra;  // further arguments of run
  int animation;      // the input's animation played
  double fps;
  int lastFrame;
};

gltf_character::Options EightInfluences() {
  gltf_character::Options o;
  o.eightInfluences = true;
  return o;
}

const RoundTripCase kRoundTrips[] = {
    {"Walk", {}, "", 0, 30, 30},
    {"EightInfluences", EightInfluences(), "--influences 8", 0, 30, 30},
    {"WaveAt24Fps", {}, "--animation Wave --fps 24", 1, 24, 48},
};

void PrintTo(const RoundTripCase& c, std::ostream* os) { *os << c.name; }

class SkinnedRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(SkinnedRoundTrip, TheWrittenSkinPlaysTheInputsMotion) {
  const RoundTripCase& c = GetParam();
  TempDir dir;
  const tinygltf::Model input = gltf_character::Make(c.options);
  std::string why;
  ASSERT_TRUE(gltf_character::Write(input, dir.Path() / "character.glb", gltf_character::Form::Glb, &why)) << why;
  auto run = RunProgram(std::string("run character.glb --weights-from file --format skinned-glb --out out ") + c.extra,
                        dir.Path());
  ASSERT_EQ(run.exitCode, 0) << run.err;
  tinygltf::Model output;
  tinygltf::TinyGLTF loader;
  std::string err, warn;
  ASSERT_TRUE(loader.LoadBinaryFromFile(&output, &err, &warn, (dir.Path() / "out/character.glb").string())) << err;
  int body = -1;
  for (std::size_t n = 0; n < output.nodes.size(); ++n)
    if (output.nodes[n].skin >= 0 && output.nodes[n].name == "Body") body = static_cast<int>(n);
  ASSERT_GE(body, 0) << "the skinned mesh keeps its name";
  ASSERT_EQ(output.animations.size(), 1u);

  const auto& bounds = input.accessors[input.meshes[0].primitives[0].attributes.at("POSITION")];
  double diagonal = 0.0;
  for (int k = 0; k < 3; ++k) diagonal += std::pow(bounds.maxValues[k] - bounds.minValues[k], 2);
  diagonal = std::sqrt(diagonal);
  // The unskinned hat rides along on a node of its own under the head.
  int hat = -1;
  for (std::size_t n = 0; n < output.nodes.size(); ++n)
    if (output.nodes[n].name == "Hat") hat = static_cast<int>(n);
  ASSERT_GE(hat, 0) << "the unskinned mesh is carried";
  EXPECT_LT(output.nodes[hat].skin, 0);
  ASSERT_GE(output.nodes[hat].mesh, 0);
  auto rigidPositions = [](const tinygltf::Model& model, int node, int animation, double t) {
    const auto world = gltf_reference::WorldMatrices(model, animation, t)[node];
    const auto local =
        cli_test::ReadAccessor(model, model.meshes[model.nodes[node].mesh].primitives[0].attributes.at("POSITION"));
    std::vector<gltf_math::Vec3> out;
    for (std::size_t v = 0; v + 2 < local.size(); v += 3)
      out.push_back(gltf_math::TransformPoint(world, {local[v], local[v + 1], local[v + 2]}));
    return out;
  };
  auto worstDistance = [](const auto& a, const auto& b) {
    double worst = 0.0;
    for (std::size_t v = 0; v < a.size(); ++v)
      for (int k = 0; k < 3; ++k) worst = std::max(worst, std::fabs(a[v][k] - b[v][k]));
    return worst;
  };
  for (int f = 0; f <= c.lastFrame; ++f) {
    const auto want = gltf_reference::SkinnedPositions(input, gltf_character::kBodyNode, c.animation, f / c.fps);
    const auto got = gltf_reference::SkinnedPositions(output, body, 0, f / c.fps);
    ASSERT_EQ(got.size(), want.size()) << "vertices stay one to one";
    EXPECT_LT(worstDistance(got, want), 1e-4 * diagonal) << "frame " << f;
    const auto hatWant = rigidPositions(input, gltf_character::kHatNode, c.animation, f / c.fps);
    const auto hatGot = rigidPositions(output, hat, 0, f / c.fps);
    ASSERT_EQ(hatGot.size(), hatWant.size()) << "the hat's vertices stay one to one";
    EXPECT_LT(worstDistance(hatGot, hatWant), 1e-4 * diagonal) << "the hat at frame " << f;
  }
  EXPECT_GLTF_VALID(dir.Path() / "out/character.glb");
}

INSTANTIATE_TEST_SUITE_P(Character, SkinnedRoundTrip, ::testing::ValuesIn(kRoundTrips),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

namespace {

// An OBJ mesh's texture coordinates and material reach both glTF forms (v flipped to glTF's
// downward v), and the files stay valid.
TEST(ObjSurfaceToGltf, TexCoordsAndMaterialComeThrough) {
  TempDir dir;
  dir.Write("m.mtl", "newmtl Cloth\nKd 0.2 0.4 0.6\n");
  dir.Write("strip.obj",
            "mtllib m.mtl\nv 0 0 0\nv 2 0 0\nv 4 0 0\nv 0 1 0\nv 2 1 0\nv 4 1 0\n"
            "vt 0 0\nvt 0.5 0\nvt 1 0\nvt 0 0.25\nvt 0.5 0.25\nvt 1 0.25\n"
            "usemtl Cloth\nf 1/1 2/2 5/5 4/4\nf 2/2 3/3 6/6 5/5\n");
  dir.Write("scene.json", R"({"nodes": [
    {"name": "Strip", "object": {"type": "mesh", "file": "strip.obj"},
     "modifiers": [{"type": "Tessarin", "bones": [{"node": "B", "falloff": 4}]}]},
    {"name": "B", "position": [2, 0.5, 0], "object": {"type": "dummy", "size": 1},
     "keys": [{"frame": 0, "position": [2, 0.5, 0]}, {"frame": 3, "position": [2, 0.5, 1]}]}]})");
  for (const char* format : {"glb", "skinned-glb"}) {
    auto run = RunProgram(std::string("run scene.json --frames 0:3 --out out --format ") + format, dir.Path());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    tinygltf::Model model;
    tinygltf::TinyGLTF loader;
    std::string err, warn;
    ASSERT_TRUE(loader.LoadBinaryFromFile(&model, &err, &warn, (dir.Path() / "out/scene.glb").string())) << err;
    const auto& prim = model.meshes.at(0).primitives.at(0);
    ASSERT_EQ(prim.attributes.count("TEXCOORD_0"), 1u) << format;
    const std::vector<double> uv = cli_test::ReadAccessor(model, prim.attributes.at("TEXCOORD_0"));
    ASSERT_EQ(uv.size(), 12u);
    EXPECT_NEAR(uv[2 * 4], 0.5, 1e-6) << format << ": vertex 4's u";
    EXPECT_NEAR(uv[2 * 4 + 1], 0.75, 1e-6) << format << ": vertex 4's v, flipped";
    ASSERT_GE(prim.material, 0) << format;
    EXPECT_EQ(model.materials[prim.material].name, "Cloth");
    EXPECT_NEAR(model.materials[prim.material].pbrMetallicRoughness.baseColorFactor[2], 0.6, 1e-6);
    EXPECT_GLTF_VALID(dir.Path() / "out/scene.glb");
  }
}

}  // namespace

namespace {

// A 2 × 2 PNG (red, green, blue, white), as a file would hold it.
const std::vector<unsigned char> kTexturePng = {
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00, 0x00,
    0x02, 0x00, 0x00, 0x00, 0x02, 0x08, 0x02, 0x00, 0x00, 0x00, 0xfd, 0xd4, 0x9a, 0x73, 0x00, 0x00, 0x00, 0x12, 0x49,
    0x44, 0x41, 0x54, 0x78, 0x9c, 0x63, 0xf8, 0xcf, 0xc0, 0xc0, 0x00, 0xc2, 0x0c, 0xff, 0x81, 0x00, 0x00, 0x1f, 0xee,
    0x05, 0xfb, 0x0b, 0xd9, 0x68, 0x8b, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};

// The test character's body with texture coordinates and a textured, double-sided, masked
// material whose texture is sampled nearest and clamped. The image sits in the buffer.
tinygltf::Model TexturedCharacter() {
  tinygltf::Model model = gltf_character::Make();
  tinygltf::Primitive& body = model.meshes.at(model.nodes.at(gltf_character::kBodyNode).mesh).primitives.at(0);
  const std::size_t n = model.accessors.at(body.attributes.at("POSITION")).count;
  std::vector<float> uv;
  for (std::size_t i = 0; i < n; ++i) {
    uv.push_back(float(i % 7) / 8.0f);
    uv.push_back(float(i % 5) / 4.0f);
  }
  auto view = [&](const void* data, std::size_t bytes) {
    auto& buffer = model.buffers.at(0).data;
    buffer.resize((buffer.size() + 3) & ~std::size_t(3));
    tinygltf::BufferView v;
    v.buffer = 0;
    v.byteOffset = buffer.size();
    v.byteLength = bytes;
    const auto* begin = static_cast<const unsigned char*>(data);
    buffer.insert(buffer.end(), begin, begin + bytes);
    model.bufferViews.push_back(v);
    return int(model.bufferViews.size()) - 1;
  };
  tinygltf::Accessor coords;
  coords.bufferView = view(uv.data(), uv.size() * sizeof(float));
  coords.componentType = TINYGLTF_COMPONENT_TYPE_FLOAT;
  coords.type = TINYGLTF_TYPE_VEC2;
  coords.count = n;
  model.accessors.push_back(coords);
  body.attributes["TEXCOORD_0"] = int(model.accessors.size()) - 1;

  tinygltf::Image image;
  image.mimeType = "image/png";
  image.bufferView = view(kTexturePng.data(), kTexturePng.size());
  model.images.push_back(image);
  tinygltf::Sampler sampler;
  sampler.magFilter = TINYGLTF_TEXTURE_FILTER_NEAREST;
  sampler.minFilter = TINYGLTF_TEXTURE_FILTER_NEAREST;
  sampler.wrapS = TINYGLTF_TEXTURE_WRAP_CLAMP_TO_EDGE;
  sampler.wrapT = TINYGLTF_TEXTURE_WRAP_MIRRORED_REPEAT;
  model.samplers.push_back(sampler);
  tinygltf::Texture texture;
  texture.source = 0;
  texture.sampler = 0;
  model.textures.push_back(texture);
  tinygltf::Material m;
  m.name = "Skin";
  m.pbrMetallicRoughness.baseColorFactor = {0.8, 0.6, 0.5, 1.0};
  m.pbrMetallicRoughness.metallicFactor = 0.25;
  m.pbrMetallicRoughness.roughnessFactor = 0.75;
  m.pbrMetallicRoughness.baseColorTexture.index = 0;
  m.emissiveFactor = {0.125, 0.0, 0.0};
  m.alphaMode = "MASK";
  m.alphaCutoff = 0.25;
  m.doubleSided = true;
  model.materials.push_back(m);
  body.material = 0;
  return model;
}

struct SurfaceCase {
  const char* name;
  gltf_character::Form form;
  bool imageBeside;  // the image a file of its own, named by URI without a type
  const char* format;
};

const SurfaceCase kSurfaceCases[] = {
    {"GlbToSkinnedGlb", gltf_character::Form::Glb, false, "skinned-glb"},
    {"GlbToMorphGlb", gltf_character::Form::Glb, false, "glb"},
    {"ImageFileBesideToSkinnedGlb", gltf_character::Form::External, true, "skinned-glb"},
};

class GltfSurface : public ::testing::TestWithParam<SurfaceCase> {};

// A glTF character's texture coordinates, material and base colour texture reach the written
// file as they were, and the file stays valid.
TEST_P(GltfSurface, TexCoordsMaterialAndTextureComeThrough) {
  const SurfaceCase& c = GetParam();
  TempDir dir;
  const tinygltf::Model input = TexturedCharacter();
  const std::string file = c.form == gltf_character::Form::Glb ? "char.glb" : "char.gltf";
  std::string error;
  ASSERT_TRUE(gltf_character::Write(input, dir.Path() / file, c.form, &error)) << error;
  if (c.imageBeside) {
    std::ofstream(dir.Path() / "skin.png", std::ios::binary)
        .write(reinterpret_cast<const char*>(kTexturePng.data()), std::streamsize(kTexturePng.size()));
    nlohmann::json json = nlohmann::json::parse(cli_test::ReadText(dir.Path() / file));
    json["images"] = nlohmann::json::array({{{"uri", "skin.png"}}});
    dir.Write(file, json.dump());
  }
  auto run = RunProgram("run " + file + " --weights-from file --frames 0:2 --format " + c.format + " -o out.glb",
                        dir.Path());
  ASSERT_EQ(run.exitCode, 0) << run.err;

  tinygltf::Model out;
  tinygltf::TinyGLTF loader;
  loader.SetImageLoader(
      [](tinygltf::Image* image, const int, std::string*, std::string*, int, int, const unsigned char* bytes, int size,
         void*) {
        image->image.assign(bytes, bytes + size);
        return true;
      },
      nullptr);
  std::string err, warn;
  ASSERT_TRUE(loader.LoadBinaryFromFile(&out, &err, &warn, (dir.Path() / "out.glb").string())) << err;
  const tinygltf::Mesh* body = nullptr;
  for (const auto& mesh : out.meshes)
    for (const auto& prim : mesh.primitives)
      if (prim.attributes.count("TEXCOORD_0")) body = &mesh;
  ASSERT_NE(body, nullptr) << "no mesh carries TEXCOORD_0";
  const tinygltf::Primitive& prim = body->primitives.at(0);
  const tinygltf::Primitive& original = input.meshes.at(input.nodes.at(gltf_character::kBodyNode).mesh).primitives.at(0);
  const std::vector<double> uvIn = cli_test::ReadAccessor(input, original.attributes.at("TEXCOORD_0"));
  const std::vector<double> uvOut = cli_test::ReadAccessor(out, prim.attributes.at("TEXCOORD_0"));
  ASSERT_EQ(uvOut.size(), uvIn.size());
  for (std::size_t i = 0; i < uvIn.size(); ++i) ASSERT_NEAR(uvOut[i], uvIn[i], 1e-6) << "coordinate " << i;

  ASSERT_GE(prim.material, 0);
  const tinygltf::Material& m = out.materials.at(prim.material);
  EXPECT_EQ(m.name, "Skin");
  const double baseColor[4] = {0.8, 0.6, 0.5, 1.0};
  ASSERT_EQ(m.pbrMetallicRoughness.baseColorFactor.size(), 4u);
  for (int c = 0; c < 4; ++c) EXPECT_NEAR(m.pbrMetallicRoughness.baseColorFactor[c], baseColor[c], 1e-6) << c;
  EXPECT_NEAR(m.pbrMetallicRoughness.metallicFactor, 0.25, 1e-6);
  EXPECT_NEAR(m.pbrMetallicRoughness.roughnessFactor, 0.75, 1e-6);
  EXPECT_EQ(m.emissiveFactor, (std::vector<double>{0.125, 0.0, 0.0}));
  EXPECT_EQ(m.alphaMode, "MASK");
  EXPECT_NEAR(m.alphaCutoff, 0.25, 1e-6);
  EXPECT_TRUE(m.doubleSided);
  const int texture = m.pbrMetallicRoughness.baseColorTexture.index;
  ASSERT_GE(texture, 0);
  const tinygltf::Texture& t = out.textures.at(texture);
  EXPECT_EQ(out.images.at(t.source).mimeType, "image/png");
  EXPECT_EQ(out.images.at(t.source).image, kTexturePng);
  ASSERT_GE(t.sampler, 0);
  EXPECT_EQ(out.samplers.at(t.sampler).magFilter, TINYGLTF_TEXTURE_FILTER_NEAREST);
  EXPECT_EQ(out.samplers.at(t.sampler).wrapS, TINYGLTF_TEXTURE_WRAP_CLAMP_TO_EDGE);
  EXPECT_EQ(out.samplers.at(t.sampler).wrapT, TINYGLTF_TEXTURE_WRAP_MIRRORED_REPEAT);
  EXPECT_GLTF_VALID(dir.Path() / "out.glb");
}

INSTANTIATE_TEST_SUITE_P(Character, GltfSurface, ::testing::ValuesIn(kSurfaceCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
