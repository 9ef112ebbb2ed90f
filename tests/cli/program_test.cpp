// The tessarin program end to end: the demo's glTF file, the hand-checkable rig through
// dump --json --weights --time, OBJ frames from run, and the exit codes of bad input.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <tiny_gltf.h>

#include "cli/scene/obj_file.h"
#include "cli_support.h"
#include "hand_rig.h"
#include "support/tolerance.h"

namespace {

using cli_test::RunProgram;
using cli_test::TempDir;

Point3 AsPoint(const nlohmann::json& v) { return Point3(v[0].get<float>(), v[1].get<float>(), v[2].get<float>()); }

TEST(Program, VersionAndHelp) {
  TempDir dir;
  auto version = RunProgram("--version", dir.Path());
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out, "4.85.0\n");
  for (const char* command : {"demo", "run", "dump"}) {
    auto help = RunProgram(std::string(command) + " --help", dir.Path());
    EXPECT_EQ(help.exitCode, 0) << command;
    EXPECT_NE(help.out.find("--"), std::string::npos) << command << " lists its options";
  }
}

TEST(Program, DemoWritesAGlbThatLoadsBack) {
  TempDir dir;
  constexpr int kFrames = 6;
  auto r = RunProgram("demo --frames " + std::to_string(kFrames) + " --out out", dir.Path());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(r.err.empty()) << "quiet when stderr is not a terminal: " << r.err;
  EXPECT_NE(r.out.find("out/demo.glb"), std::string::npos) << r.out;

  tinygltf::Model model;
  tinygltf::TinyGLTF loader;
  std::string err, warn;
  ASSERT_TRUE(loader.LoadBinaryFromFile(&model, &err, &warn, (dir.Path() / "out/demo.glb").string())) << err;
  ASSERT_EQ(model.meshes.size(), 1u);
  const tinygltf::Primitive& prim = model.meshes[0].primitives[0];
  const std::size_t vertices = model.accessors[prim.attributes.at("POSITION")].count;
  EXPECT_GE(vertices, 20000u);
  EXPECT_NE(r.out.find(std::to_string(vertices)), std::string::npos) << "the summary gives the vertex count";
  EXPECT_EQ(prim.targets.size(), std::size_t(kFrames));
  ASSERT_EQ(model.animations.size(), 1u);
  EXPECT_EQ(model.accessors[model.animations[0].samplers[0].input].count, std::size_t(kFrames));
  // The limb bends: some frame moves vertices well away from the first frame.
  double largest = 0.0;
  for (const auto& target : prim.targets) {
    const tinygltf::Accessor& a = model.accessors[target.at("POSITION")];
    for (int c = 0; c < 3; ++c) largest = std::max({largest, std::fabs(a.minValues[c]), std::fabs(a.maxValues[c])});
  }
  EXPECT_GT(largest, 1.0);
}

TEST(Program, HandRigDumpGivesTheWeightsAndPositionsOfTheFormulas) {
  TempDir dir;
  dir.Write("rig.json", cli_test::kHandRig);
  auto r = RunProgram("dump rig.json --json --weights --time 10", dir.Path());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  nlohmann::json doc = nlohmann::json::parse(r.out);
  EXPECT_EQ(doc["format"], "tessarin-dump");
  ASSERT_EQ(doc["skins"].size(), 1u);
  const nlohmann::json& skin = doc["skins"][0];
  EXPECT_EQ(skin["node"], "Skin");
  EXPECT_TRUE(skin["attached"].get<bool>());
  ASSERT_EQ(skin["bones"].size(), 2u);
  EXPECT_EQ(skin["bones"][0]["kind"], "box");
  EXPECT_FLOAT_EQ(skin["bones"][0]["falloffDistance"].get<float>(), 2.0f);
  EXPECT_FLOAT_EQ(skin["bones"][1]["falloffDistance"].get<float>(), 4.0f);
  EXPECT_TRUE(ExpectPoint3Near(AsPoint(skin["bones"][1]["bindShape"]["center"]), Point3(4, 0, 0), 1e-6f));
  EXPECT_TRUE(ExpectPoint3Near(AsPoint(skin["bones"][1]["bindShape"]["radii"]), Point3(1, 1, 1), 1e-6f));

  const nlohmann::json& weights = skin["weights"];
  ASSERT_EQ(weights.size(), std::size_t(cli_test::kHandRigVertices));
  const nlohmann::json& positions = doc["deformed"]["meshes"][0]["positions"];
  ASSERT_EQ(positions.size(), std::size_t(cli_test::kHandRigVertices));
  for (int v = 0; v < cli_test::kHandRigVertices; ++v) {
    const float wB = cli_test::kHandRigWeightB[v];
    EXPECT_NEAR(weights[v][0].get<float>(), 1.0f - wB, 2e-6f) << "vertex " << v;
    EXPECT_NEAR(weights[v][1].get<float>(), wB, 2e-6f) << "vertex " << v;
    EXPECT_TRUE(ExpectPoint3Near(AsPoint(positions[v]), cli_test::kHandRigRest[v] + Point3(0.0f, wB, 0.0f), 2e-6f))
        << "vertex " << v;
  }
}

TEST(Program, RunWritesOneObjPerFrame) {
  TempDir dir;
  dir.Write("rig.json", cli_test::kHandRig);
  auto r = RunProgram("run rig.json --frames 0:10 --out frames --format obj", dir.Path());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  for (int f = 0; f <= 10; ++f) {
    char name[32];
    std::snprintf(name, sizeof name, "frames/Skin_%04d.obj", f);
    ASSERT_TRUE(std::filesystem::exists(dir.Path() / name)) << name;
  }
  // Halfway, bone B has moved by half as much.
  PolyMesh mid = ReadObjFile(dir.Path() / "frames/Skin_0005.obj");
  ASSERT_EQ(mid.VertexCount(), cli_test::kHandRigVertices);
  EXPECT_EQ(mid.FaceCount(), 1);
  for (int v = 0; v < cli_test::kHandRigVertices; ++v)
    EXPECT_TRUE(ExpectPoint3Near(mid.vertices[v],
                                 cli_test::kHandRigRest[v] + Point3(0.0f, 0.5f * cli_test::kHandRigWeightB[v], 0.0f),
                                 1e-5f));
}

struct BadInput {
  const char* name;
  std::string scene;  // written to scene.json
  std::string fragment;
};

class ProgramBadInput : public ::testing::TestWithParam<BadInput> {};

TEST_P(ProgramBadInput, ClearErrorAndExitCodeOne) {
  const BadInput& c = GetParam();
  TempDir dir;
  dir.Write("scene.json", c.scene);
  for (const char* command : {"run scene.json --frames 0:1", "dump scene.json"}) {
    auto r = RunProgram(command, dir.Path());
    EXPECT_EQ(r.exitCode, 1) << command;
    EXPECT_NE(r.err.find("scene.json: "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(c.fragment), std::string::npos) << r.err;
  }
}

const std::string kTri = R"({"type": "mesh", "vertices": [[0,0,0],[1,0,0],[0,1,0]]})";

INSTANTIATE_TEST_SUITE_P(
    Table, ProgramBadInput,
    ::testing::Values(
        BadInput{"BadJson", "{\"nodes\": [}", "syntax error"},
        BadInput{"UnknownNode", R"({"nodes": [{"name": "A", "parent": "Nobody"}]})", "/nodes/0/parent: unknown node"},
        BadInput{"UnknownObjectType", R"({"nodes": [{"name": "A", "object": {"type": "nurbs"}}]})",
                 "/nodes/0/object/type: unknown object type \"nurbs\""},
        BadInput{"BoneNamingNoNode",
                 R"({"nodes": [{"name": "A", "object": )" + kTri +
                     R"(, "modifiers": [{"type": "Tessarin", "bones": [{"node": "Nobody"}]}]}]})",
                 "/nodes/0/modifiers/0/bones/0/node: unknown node \"Nobody\""},
        BadInput{"NegativeSegmentCount", R"({"nodes": [{"name": "A", "object": {"type": "cylinder", "segments": -2}}]})",
                 "/nodes/0/object/segments: must be at least 1, got -2"}),
    [](const ::testing::TestParamInfo<BadInput>& info) { return info.param.name; });

TEST(Program, UsageErrorsExitWithTwo) {
  TempDir dir;
  dir.Write("rig.json", cli_test::kHandRig);
  for (const char* args : {"run", "run rig.json --frames 5:2", "run rig.json --format fbx", "dump missing.json",
                           "frobnicate"}) {
    auto r = RunProgram(args, dir.Path());
    EXPECT_EQ(r.exitCode, 2) << args << ": " << r.err;
    EXPECT_FALSE(r.err.empty()) << args;
  }
}

}  // namespace

namespace {

// Width and height from a PNG file's header chunk; {0, 0} when the file is no PNG.
std::pair<unsigned, unsigned> PngSize(const std::filesystem::path& path) {
  const std::string bytes = cli_test::ReadText(path);
  if (bytes.size() < 24 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 || bytes.compare(12, 4, "IHDR") != 0)
    return {0, 0};
  auto word = [&](std::size_t at) {
    unsigned v = 0;
    for (std::size_t i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
    return v;
  };
  return {word(16), word(20)};
}

TEST(Program, AboutWritesWhatTheBoxShows) {
  cli_test::TempDir dir;
  auto r = cli_test::RunProgram("about --png about.png", dir.Path());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  // The box's client area: 450 × 207 dialog units at the headless dialog font's 6 × 13 base units.
  EXPECT_EQ(PngSize(dir.Path() / "about.png"), (std::pair<unsigned, unsigned>{675, 336}));
  EXPECT_NE(r.out.find("written to about.png"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("open "), std::string::npos) << "nothing clicked, nothing opened";
}

TEST(Program, AboutClicksOpenTheLinkUnderThePoint) {
  cli_test::TempDir dir;
  auto hit = cli_test::RunProgram("about --png a.png --click 329,50", dir.Path());
  ASSERT_EQ(hit.exitCode, 0) << hit.err;
  EXPECT_NE(hit.out.find("open https://tessarin.example.org/\n"), std::string::npos) << hit.out;
  auto miss = cli_test::RunProgram("about --png b.png --click 330,50", dir.Path());
  ASSERT_EQ(miss.exitCode, 0) << miss.err;
  EXPECT_EQ(miss.out.find("open "), std::string::npos) << miss.out;
  auto bad = cli_test::RunProgram("about --png c.png --click 330", dir.Path());
  EXPECT_EQ(bad.exitCode, 2) << "a usage error";
  auto unwritable = cli_test::RunProgram("about --png no-such-folder/d.png", dir.Path());
  EXPECT_EQ(unwritable.exitCode, 1);
  EXPECT_NE(unwritable.err.find("no-such-folder/d.png"), std::string::npos) << unwritable.err;
}

}  // namespace
