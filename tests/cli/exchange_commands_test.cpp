// tsm-info and import-tsm through the program, on exchange files written for the hand rig.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>

#include "cli_support.h"
#include "hand_rig.h"
#include "persistence/exchange_file_writer.h"

namespace {

using cli_test::RunProgram;
using cli_test::TempDir;

ExchangeBone RigBone(const std::string& name, float falloff, float strength) {
  ExchangeBone bone;
  bone.name = name;
  bone.falloff = falloff;
  bone.strength = strength;
  bone.vertexCount = cli_test::kHandRigVertices;
  bone.vertexCodes.assign(cli_test::kHandRigVertices, 0x80);
  bone.forcedWeights.assign(cli_test::kHandRigVertices, 0.0f);
  return bone;
}

// BoneB listed first, then BoneA; handles 0 (unknown), so both are found by name.
void WriteRigFile(const TempDir& dir, const std::string& name, const std::string& secondBone = "BoneA") {
  ExchangeFixture file;
  file.version = ExchangeFile::kVersionBlend;
  file.bones = {RigBone("BoneB", 2.5f, 0.5f), RigBone(secondBone, 1.5f, 0.0f)};
  file.boneCount = 2;
  file.blendValues.assign(cli_test::kHandRigVertices, 0.5f);
  file.blendCount = cli_test::kHandRigVertices;
  std::vector<std::uint8_t> bytes = WriteExchangeFile(file);
  std::ofstream(dir.Path() / name, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

TEST(ExchangeCommands, TsmInfoListsTheBonesAndTheBlendTable) {
  TempDir dir;
  WriteRigFile(dir, "rig.tsm");
  auto r = RunProgram("tsm-info rig.tsm --json", dir.Path());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  nlohmann::json info = nlohmann::json::parse(r.out);
  EXPECT_EQ(info["version"], 20140929);
  EXPECT_EQ(info["boneCount"], 2);
  ASSERT_EQ(info["bones"].size(), 2u);
  EXPECT_EQ(info["bones"][0]["name"], "BoneB");
  EXPECT_EQ(info["bones"][0]["handle"], 0);
  EXPECT_EQ(info["bones"][0]["falloff"], 2.5);
  EXPECT_EQ(info["bones"][0]["strength"], 0.5);
  EXPECT_EQ(info["bones"][0]["vertexCount"], cli_test::kHandRigVertices);
  EXPECT_EQ(info["bones"][0]["splineCount"], 0);
  EXPECT_EQ(info["bones"][1]["name"], "BoneA");
  EXPECT_EQ(info["blendCount"], cli_test::kHandRigVertices);

  auto text = RunProgram("tsm-info rig.tsm", dir.Path());
  ASSERT_EQ(text.exitCode, 0) << text.err;
  EXPECT_NE(text.out.find("\"BoneB\""), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("20140929"), std::string::npos) << text.out;
}

TEST(ExchangeCommands, TsmInfoFailuresPrintTheMessageAndExitOne) {
  TempDir dir;
  std::ofstream(dir.Path() / "cut.tsm", std::ios::binary) << "ab";
  struct Case {
    const char* file;
    std::string err;
  };
  const Case cases[] = {
      // The plug-in's message on one line; the system's reason where the file does not open.
      {"missing%s.tsm", "tessarin: Tessarin: Can't open file for input missing%s.tsm: No such file or directory\n"},
      {"cut.tsm", "tessarin: Tessarin: Input Error Reading file cut.tsm\n"},
  };
  for (const Case& c : cases) {
    auto r = RunProgram(std::string("tsm-info '") + c.file + "' --json", dir.Path());
    EXPECT_EQ(r.exitCode, 1) << c.file;
    EXPECT_EQ(r.err, c.err);
    EXPECT_TRUE(r.out.empty()) << r.out;
  }
}

TEST(ExchangeCommands, ImportTsmReplacesTheSkinsBonesAndSavesTheScene) {
  TempDir dir;
  dir.Write("rig.json", cli_test::kHandRig);
  WriteRigFile(dir, "rig.tsm");
  auto r = RunProgram("import-tsm rig.json --node Skin --file rig.tsm -o rig.scene --json", dir.Path());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(r.err.empty()) << r.err;
  nlohmann::json doc = nlohmann::json::parse(r.out);
  ASSERT_EQ(doc["skins"].size(), 1u);
  const nlohmann::json& skin = doc["skins"][0];
  EXPECT_TRUE(skin["attached"].get<bool>());
  ASSERT_EQ(skin["bones"].size(), 2u);
  EXPECT_EQ(skin["bones"][0]["node"], "BoneB");
  EXPECT_EQ(skin["bones"][0]["falloff"], 2.5);
  EXPECT_EQ(skin["bones"][0]["strength"], 0.5);
  EXPECT_EQ(skin["bones"][1]["node"], "BoneA");
  EXPECT_EQ(skin["bones"][1]["falloff"], 1.5);
  // A unit-radius bone with falloff 1.5 reaches 2 · 1 · 1.5.
  EXPECT_FLOAT_EQ(skin["bones"][1]["falloffDistance"].get<float>(), 3.0f);
  EXPECT_GT(std::filesystem::file_size(dir.Path() / "rig.scene"), 0u);
}

TEST(ExchangeCommands, ImportTsmFailuresLeaveNoSceneFile) {
  TempDir dir;
  dir.Write("rig.json", cli_test::kHandRig);
  WriteRigFile(dir, "ghost.tsm", "Ghost");
  struct Case {
    const char* args;
    const char* fragment;
  };
  const Case cases[] = {
      {"--node Skin --file ghost.tsm", "tessarin: Tessarin: Wrong or missing bone Ghost\n"},
      {"--node Skin --file none.tsm", "tessarin: Tessarin: Can't open file for input none.tsm: No such file or directory\n"},
      {"--node BoneA --file ghost.tsm", "no Tessarin modifier on a node named \"BoneA\""},
  };
  for (const Case& c : cases) {
    auto r = RunProgram(std::string("import-tsm rig.json ") + c.args + " -o out.scene", dir.Path());
    EXPECT_EQ(r.exitCode, 1) << c.args;
    EXPECT_NE(r.err.find(c.fragment), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "out.scene")) << c.args;
  }
}

}  // namespace
