// The documents' examples, run: the complete scene example with its commands, the fragments
// inside it, the error messages it lists, and the JSON documents the program prints have the
// keys, in the order, that the documents show.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/scene/obj_file.h"
#include "cli_support.h"

namespace {

using cli_test::RunProgram;
using cli_test::RunShell;
using cli_test::TempDir;
using nlohmann::ordered_json;

struct Block {
  std::string language;  // after the opening fence, "" for none
  std::string text;
};

// The fenced blocks of a document in the source tree, in order.
std::vector<Block> Blocks(const std::string& document) {
  std::istringstream in(cli_test::ReadText(std::filesystem::path(TESSARIN_SOURCE_DIR) / document));
  std::vector<Block> blocks;
  std::string line;
  bool inside = false;
  while (std::getline(in, line)) {
    if (line.rfind("```", 0) == 0) {
      if (!inside) blocks.push_back({line.substr(3), ""});
      inside = !inside;
    } else if (inside) {
      blocks.back().text += line + "\n";
    }
  }
  return blocks;
}

std::vector<Block> BlocksOf(const std::string& document, const std::string& language) {
  std::vector<Block> all = Blocks(document), some;
  std::copy_if(all.begin(), all.end(), std::back_inserter(some), [&](const Block& b) { return b.language == language; });
  return some;
}

std::vector<std::string> Keys(const ordered_json& object) {
  std::vector<std::string> keys;
  for (const auto& [key, value] : object.items()) keys.push_back(key);
  return keys;
}

// The arm of the complete example: the first JSON block of the scene format.
std::string ArmExample() { return BlocksOf("docs/scene-format.md", "json").at(0).text; }

// Edge length ratios between two frames of one mesh (deformed over rest): the largest, or with
// `change` the largest departure from 1 either way.
double WorstStretch(const PolyMesh& rest, const PolyMesh& moved, bool change = false) {
  double worst = 0.0;
  for (int f = 0; f < rest.FaceCount(); ++f) {
    const std::span<const int> face = rest.Face(f);
    for (std::size_t i = 0; i < face.size(); ++i) {
      const int a = face[i], b = face[(i + 1) % face.size()];
      const double before = Length(rest.vertices[a] - rest.vertices[b]);
      if (before <= 0.0) continue;
      const double ratio = Length(moved.vertices[a] - moved.vertices[b]) / before;
      worst = std::max(worst, change ? std::abs(ratio - 1.0) : ratio);
    }
  }
  return worst;
}

TEST(DocsExamples, TheCompleteSceneExampleRunsAsItsCommandsSay) {
  TempDir dir;
  dir.Write("arm.json", ArmExample());
  const std::vector<Block> shells = BlocksOf("docs/scene-format.md", "sh");
  ASSERT_FALSE(shells.empty());
  std::istringstream lines(shells[0].text);
  std::string line;
  int commands = 0;
  while (std::getline(lines, line)) {
    line = line.substr(0, line.find('#'));
    if (line.rfind("tessarin ", 0) != 0) continue;
    SCOPED_TRACE(line);
    auto r = RunProgram(line.substr(9), dir.Path());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "") << "no warning either";
    ++commands;
  }
  EXPECT_EQ(commands, 2);

  // Frame 30, fully bent: the arm stretches smoothly (no vertex pulled away from its
  // neighbours), and the pad, excluded from the forearm bone, keeps its shape.
  const std::filesystem::path frames = dir.Path() / "arm-frames";
  const PolyMesh armRest = ReadObjFile(frames / "Arm_0000.obj"), armBent = ReadObjFile(frames / "Arm_0030.obj");
  EXPECT_LT(WorstStretch(armRest, armBent), 2.0);
  const PolyMesh padRest = ReadObjFile(frames / "Pad_0000.obj"), padBent = ReadObjFile(frames / "Pad_0030.obj");
  EXPECT_LT(WorstStretch(padRest, padBent, true), 1e-4);
  PolyMesh padSquashed = padRest;
  for (Point3& p : padSquashed.vertices) p.x *= 0.5f;
  EXPECT_GT(WorstStretch(padRest, padSquashed, true), 0.1) << "the measure sees a change of shape";
}

TEST(DocsExamples, TheGltfWorkedExampleRunsAsWritten) {
  const std::vector<Block> shells = BlocksOf("docs/gltf.md", "sh");
  ASSERT_FALSE(shells.empty());
  TempDir dir;
  std::istringstream lines(shells[0].text);
  std::string line;
  int commands = 0;
  while (std::getline(lines, line)) {
    line = line.substr(0, line.find('#'));
    line = line.substr(0, line.find('|'));  // what the program prints, without the pipe's filter
    if (line.rfind("build/bin/", 0) != 0) continue;
    SCOPED_TRACE(line);
    auto r = RunShell("'" TESSARIN_BIN_DIR "/'" + line.substr(10), dir.Path());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    ++commands;
  }
  EXPECT_GE(commands, 2);
}

TEST(DocsExamples, NodeFragmentsFitTheCompleteExample) {
  const std::vector<Block> json = BlocksOf("docs/scene-format.md", "json");
  ASSERT_GT(json.size(), 1u);
  for (std::size_t i = 1; i < json.size(); ++i) {
    SCOPED_TRACE(json[i].text);
    ordered_json scene = ordered_json::parse(ArmExample());
    scene["nodes"].push_back(ordered_json::parse(json[i].text));
    TempDir dir;
    dir.Write("arm.json", scene.dump(2));
    auto r = RunProgram("dump arm.json --json", dir.Path());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
  }
}

TEST(DocsExamples, TheListedErrorsAreWhatTheProgramSays) {
  const std::vector<Block> plain = BlocksOf("docs/scene-format.md", "");
  ASSERT_FALSE(plain.empty());
  const std::string listed = plain.back().text;
  const std::string arm = ArmExample();
  auto changed = [&](const std::string& from, const std::string& to) {
    std::string text = arm;
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
  };
  struct Case {
    const char* name;
    std::string scene;  // written to arm.json, or limb.json beside limb.obj
    bool obj;
  };
  std::string limb;
  for (int i = 0; i < 8; ++i) limb += "v " + std::to_string(i) + " 0 0\n";
  limb += "f 1 2 9\n";
  const Case cases[] = {
      {"segments", changed("\"segments\": 80", "\"segments\": -3"), false},
      {"bone node", changed("{\"node\": \"Upper\", \"falloff\": 1}", "{\"node\": \"Forearm\", \"falloff\": 1}"), false},
      {"syntax", changed("\"blendMix\": 1\n", "\"blendMix\": 1,\n"), false},
      {"obj face", R"({"nodes": [{"name": "Limb", "object": {"type": "mesh", "file": "limb.obj"}}]})", true},
  };
  int found = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    dir.Write("limb.obj", limb);
    dir.Write(c.obj ? "limb.json" : "arm.json", c.scene);
    auto r = RunProgram(c.obj ? "dump limb.json" : "dump arm.json", dir.Path());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(listed.find(r.err), std::string::npos) << "not in the document: " << r.err;
    found += listed.find(r.err) != std::string::npos;
  }
  EXPECT_EQ(std::count(listed.begin(), listed.end(), '\n'), found) << "every listed error is made";
}

TEST(DocsExamples, DumpJsonHasTheDocumentedKeysInOrder) {
  const std::vector<Block> json = BlocksOf("docs/dump-json.md", "json");
  ASSERT_EQ(json.size(), 2u);
  const ordered_json documented = ordered_json::parse(json[0].text);
  const ordered_json source = ordered_json::parse(json[1].text);
  // The complete example with the orbicle fragment: a skin, bones and a source.
  ordered_json scene = ordered_json::parse(ArmExample());
  scene["nodes"].push_back(ordered_json::parse(BlocksOf("docs/scene-format.md", "json").at(1).text));
  TempDir dir;
  dir.Write("arm.json", scene.dump(2));
  auto r = RunProgram("dump arm.json --json --weights --time 15", dir.Path());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const ordered_json dump = ordered_json::parse(r.out);
  EXPECT_EQ(Keys(dump), Keys(documented));
  EXPECT_EQ(Keys(dump["skins"][0]), Keys(documented["skins"][0]));
  EXPECT_EQ(Keys(dump["skins"][0]["switches"]), Keys(documented["skins"][0]["switches"]));
  EXPECT_EQ(Keys(dump["skins"][0]["settings"]), Keys(documented["skins"][0]["settings"]));
  EXPECT_EQ(Keys(dump["skins"][0]["bones"][0]), Keys(documented["skins"][0]["bones"][0]));
  EXPECT_EQ(Keys(dump["deformed"]), Keys(documented["deformed"]));
  ASSERT_FALSE(dump["sources"].empty());
  EXPECT_EQ(Keys(dump["sources"][0]), Keys(source));
  EXPECT_EQ(Keys(dump["sources"][0]["parameters"]), Keys(source["parameters"]));
}

TEST(DocsExamples, RunJsonHasTheDocumentedKeysInOrder) {
  const ordered_json documented = ordered_json::parse(BlocksOf("docs/run-json.md", "json").at(0).text);
  TempDir dir;
  dir.Write("arm.json", ArmExample());
  auto r = RunProgram("run arm.json --frames 3:5 --format obj --out f --json", dir.Path());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const ordered_json run = ordered_json::parse(r.out);
  EXPECT_EQ(Keys(run), Keys(documented));
  EXPECT_EQ(Keys(run["secondsPerFrame"]), Keys(documented["secondsPerFrame"]));
}

}  // namespace
