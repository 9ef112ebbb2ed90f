// Bad glTF input through the program: each damage of the test character is refused with one
// message that names the file and the problem, and exit code 1, never a crash. Also the command
// line's glTF path end to end: dump --json --time with the file's weights.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

#include "cli_support.h"
#include "support/gltf_character.h"
#include "support/gltf_reference_skinning.h"

namespace {

using cli_test::RunProgram;
using cli_test::TempDir;
using gltf_character::Form;

// Where accessor index's first element lives in the model's single buffer.
unsigned char* AccessorBytes(tinygltf::Model& m, int index) {
  const tinygltf::Accessor& a = m.accessors[index];
  const tinygltf::BufferView& v = m.bufferViews[a.bufferView];
  return m.buffers[v.buffer].data.data() + v.byteOffset + a.byteOffset;
}

tinygltf::Primitive& Body(tinygltf::Model& m) { return m.meshes[0].primitives[0]; }

struct BadInput {
  const char* name;
  std::function<void(tinygltf::Model&)> damage;  // applied to the character before writing
  Form form;
  std::function<void(const std::filesystem::path&)> afterWriting;  // may damage the written file
  const char* options;
  std::vector<const char*> expected;  // every one of these in the message
};

std::vector<BadInput> BadInputs() {
  const auto none = [](tinygltf::Model&) {};
  const auto untouched = [](const std::filesystem::path&) {};
  return {
      {"TruncatedGlb", none, Form::Glb,
       [](const std::filesystem::path& p) { std::filesystem::resize_file(p, std::filesystem::file_size(p) / 2); }, "",
       {"is truncated: its header declares"}},
      {"BufferShorterThanItsViews",
       [](tinygltf::Model& m) { m.buffers[0].data.resize(m.buffers[0].data.size() / 2); }, Form::Glb, untouched, "",
       {"/bufferViews/", "of buffer 0, which holds only"}},
      {"AccessorPastItsBuffer", [](tinygltf::Model& m) { m.accessors[Body(m).attributes["POSITION"]].count += 1000; },
       Form::Glb, untouched, "", {"/meshes/0/primitives/0/attributes/POSITION", "run past the end of buffer view"}},
      {"JointIndexPastTheSkin", [](tinygltf::Model& m) { AccessorBytes(m, Body(m).attributes["JOINTS_0"])[4 * 7] = 8; },
       Form::Glb, untouched, "", {"vertex 7 names joint 8, past the 8 joints of skin 0"}},
      {"NaNInAnInverseBindMatrix",
       [](tinygltf::Model& m) {
         const float nan = std::numeric_limits<float>::quiet_NaN();
         std::memcpy(AccessorBytes(m, m.skins[0].inverseBindMatrices) + 16 * 4 * 2 + 4 * 5, &nan, 4);
       },
       Form::Glb, untouched, "", {"/skins/0/inverseBindMatrices", "not a finite number"}},
      {"CycleInTheNodeTree", [](tinygltf::Model& m) { m.nodes[2].children.push_back(0); }, Form::Glb, untouched, "",
       {"cycle"}},
      {"NodeWithTwoParents", [](tinygltf::Model& m) { m.nodes[5].children.push_back(7); }, Form::Glb, untouched, "",
       {"\"Forearm.L\" is a child of both \"Head\" and \"UpperArm.L\""}},
      {"LinesInsteadOfTriangles", [](tinygltf::Model& m) { Body(m).mode = TINYGLTF_MODE_LINE; }, Form::Glb, untouched,
       "", {"mesh \"BodyMesh\" primitive 0 is lines, not triangles"}},
      {"IndexPastTheVertices",
       [](tinygltf::Model& m) {
         const std::uint16_t past = 60000;
         std::memcpy(AccessorBytes(m, Body(m).indices) + 2 * 5, &past, 2);
       },
       Form::Glb, untouched, "", {"index 60000 is past the 240 vertices"}},
      {"DracoRequired",
       [](tinygltf::Model& m) { m.extensionsUsed = m.extensionsRequired = {"KHR_draco_mesh_compression"}; }, Form::Glb,
       untouched, "", {"KHR_draco_mesh_compression", "Draco"}},
      {"MeshoptRequired", [](tinygltf::Model& m) { m.extensionsUsed = m.extensionsRequired = {"EXT_meshopt_compression"}; },
       Form::Glb, untouched, "", {"EXT_meshopt_compression", "meshopt"}},
      {"KtxRequired", [](tinygltf::Model& m) { m.extensionsUsed = m.extensionsRequired = {"KHR_texture_basisu"}; },
       Form::Glb, untouched, "", {"KHR_texture_basisu", "KTX2"}},
      {"MissingExternalBuffer", none, Form::External,
       [](const std::filesystem::path& p) { std::filesystem::remove(p.parent_path() / (p.stem().string() + ".bin")); },
       "", {"not a readable glTF file"}},
      {"UnknownAnimation", none, Form::Glb, untouched, "--animation Run",
       {"no animation \"Run\"", "0 \"Walk\", 1 \"Wave\""}},
      {"FileWeightsWithoutJoints",
       [](tinygltf::Model& m) {
         Body(m).attributes.erase("JOINTS_0");
         Body(m).attributes.erase("WEIGHTS_0");
       },
       Form::Glb, untouched, "--weights-from file", {"no JOINTS_0 and WEIGHTS_0"}},
      {"KeyTimesThatGoBack",
       [](tinygltf::Model& m) {
         const float back = 0.1f;
         std::memcpy(AccessorBytes(m, m.animations[0].samplers[0].input) + 4 * 2, &back, 4);
       },
       Form::Glb, untouched, "", {"/animations/0/samplers/0", "do not increase"}},
  };
}

void PrintTo(const BadInput& c, std::ostream* os) { *os << c.name; }

class GltfBadInput : public ::testing::TestWithParam<BadInput> {};

TEST_P(GltfBadInput, IsRefusedWithAClearMessage) {
  const BadInput& c = GetParam();
  TempDir dir;
  tinygltf::Model model = gltf_character::Make();
  c.damage(model);
  const std::string name = c.form == Form::Glb ? "hero.glb" : "hero.gltf";
  std::string why;
  ASSERT_TRUE(gltf_character::Write(model, dir.Path() / name, c.form, &why)) << why;
  c.afterWriting(dir.Path() / name);
  for (const char* command : {"dump", "run"}) {
    const auto r = RunProgram(std::string(command) + " " + name + " " + c.options, dir.Path());
    EXPECT_EQ(r.exitCode, 1) << command << ": " << r.err;
    EXPECT_EQ(r.err.rfind("tessarin: " + name + ": ", 0), 0u) << "names the file: " << r.err;
    for (const char* text : c.expected) EXPECT_NE(r.err.find(text), std::string::npos) << text << " in: " << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << "one message: " << r.err;
  }
}

INSTANTIATE_TEST_SUITE_P(Damage, GltfBadInput, ::testing::ValuesIn(BadInputs()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(GltfCommandLine, GltfOptionsAreRefusedForDescriptions) {
  TempDir dir;
  dir.Write("scene.json", R"({"nodes": [{"name": "A"}]})");
  const auto r = RunProgram("dump scene.json --fps 24 --weights-from file", dir.Path());
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("--fps, --weights-from apply to glTF files only"), std::string::npos) << r.err;
}

TEST(GltfCommandLine, DumpWithFileWeightsGivesStandardSkinning) {
  TempDir dir;
  const tinygltf::Model model = gltf_character::Make();
  ASSERT_TRUE(gltf_character::Write(model, dir.Path() / "hero.glb", Form::Glb));
  const int frame = 17;
  const auto r = RunProgram("dump hero.glb --json --weights-from file --time " + std::to_string(frame), dir.Path());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto doc = nlohmann::json::parse(r.out);
  EXPECT_EQ(doc["skins"][0]["node"], "Body");
  const auto& positions = doc["deformed"]["meshes"][0]["positions"];
  const auto want = gltf_reference::SkinnedPositions(model, gltf_character::kBodyNode, 0, frame / 30.0);
  ASSERT_EQ(positions.size(), want.size());
  double worst = 0.0;
  for (std::size_t v = 0; v < want.size(); ++v)
    for (int c = 0; c < 3; ++c) worst = std::max(worst, std::fabs(positions[v][c].get<double>() - want[v][c]));
  EXPECT_LT(worst, 1e-4 * 2.0) << "the character is about 2 units tall";
}

TEST(GltfCommandLine, ASavedGltfSceneDeformsAsTheFile) {
  TempDir dir;
  ASSERT_TRUE(gltf_character::Write(gltf_character::Make(), dir.Path() / "hero.glb", Form::Glb));
  const auto saved = RunProgram("save hero.glb --out hero.tsscene --weights-from file", dir.Path());
  ASSERT_EQ(saved.exitCode, 0) << saved.err;
  const auto fromFile = RunProgram("dump hero.glb --json --weights-from file --time 12", dir.Path());
  const auto fromSaved = RunProgram("dump hero.tsscene --json --time 12", dir.Path());
  ASSERT_EQ(fromFile.exitCode, 0) << fromFile.err;
  ASSERT_EQ(fromSaved.exitCode, 0) << fromSaved.err;
  const auto a = nlohmann::json::parse(fromFile.out)["deformed"]["meshes"][0]["positions"];
  const auto b = nlohmann::json::parse(fromSaved.out)["deformed"]["meshes"][0]["positions"];
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t v = 0; v < a.size(); ++v)
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(a[v][c].get<double>(), b[v][c].get<double>(), 1e-6) << v;
}

}  // namespace
