// Saved scene files on the command line: save and demo --save write them; run, dump and
// import-tsm take them wherever they take a description, and a saved scene evaluates exactly as
// the description it was built from.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>

#include "cli_support.h"
#include "hand_rig.h"

namespace {

using cli_test::ReadText;
using cli_test::RunProgram;
using cli_test::TempDir;

// The skins of a dump --json, without the line that names the scene's file.
nlohmann::json Skins(const std::string& dumpOutput) {
  nlohmann::json doc = nlohmann::json::parse(dumpOutput);
  return {doc["skins"], doc.value("sources", nlohmann::json()), doc["deformed"]};
}

TEST(SceneFileCommands, ASavedSceneDumpsAsItsDescription) {
  TempDir dir;
  dir.Write("rig.json", cli_test::kHandRig);
  auto saved = RunProgram("save rig.json -o rig.scene", dir.Path());
  ASSERT_EQ(saved.exitCode, 0) << saved.err;
  EXPECT_NE(saved.out.find("rig.scene"), std::string::npos) << saved.out;

  auto fromJson = RunProgram("dump rig.json --json --weights --time 7", dir.Path());
  auto fromFile = RunProgram("dump rig.scene --json --weights --time 7", dir.Path());
  ASSERT_EQ(fromJson.exitCode, 0) << fromJson.err;
  ASSERT_EQ(fromFile.exitCode, 0) << fromFile.err;
  EXPECT_EQ(Skins(fromFile.out), Skins(fromJson.out));

  // Saving the loaded file again gives the same bytes.
  auto again = RunProgram("save rig.scene -o again.scene", dir.Path());
  ASSERT_EQ(again.exitCode, 0) << again.err;
  EXPECT_EQ(ReadText(dir.Path() / "again.scene"), ReadText(dir.Path() / "rig.scene"));
}

TEST(SceneFileCommands, TheSavedDemoRunsFrameForFrameAsTheDemo) {
  TempDir dir;
  auto demo = RunProgram("demo --frames 4 --format obj --out demo --save demo.scene", dir.Path());
  ASSERT_EQ(demo.exitCode, 0) << demo.err;
  EXPECT_NE(demo.out.find("demo.scene"), std::string::npos) << demo.out;
  // No --frames: the saved scene keeps the demo's frames 0..3.
  auto run = RunProgram("run demo.scene --format obj --out again", dir.Path());
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find("frames      4 (0..3)"), std::string::npos) << run.out;
  int compared = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path() / "demo")) {
    const auto twin = dir.Path() / "again" / entry.path().filename();
    ASSERT_TRUE(std::filesystem::exists(twin)) << twin;
    EXPECT_EQ(ReadText(twin), ReadText(entry.path())) << entry.path().filename();
    ++compared;
  }
  EXPECT_EQ(compared, 4);
}

TEST(SceneFileCommands, DamagedOrUnwritableFilesFailClearly) {
  TempDir dir;
  dir.Write("rig.json", cli_test::kHandRig);
  ASSERT_EQ(RunProgram("save rig.json -o rig.scene", dir.Path()).exitCode, 0);
  std::string bytes = ReadText(dir.Path() / "rig.scene");
  std::ofstream(dir.Path() / "cut.scene", std::ios::binary) << bytes.substr(0, bytes.size() / 2);

  for (const char* command : {"run cut.scene --frames 0:1", "dump cut.scene", "save cut.scene -o x.scene"}) {
    auto r = RunProgram(command, dir.Path());
    EXPECT_EQ(r.exitCode, 1) << command;
    EXPECT_NE(r.err.find("cut.scene"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("the scene file is refused"), std::string::npos) << r.err;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.Path() / "x.scene"));

  // A save into a folder that does not exist fails and names the file.
  auto r = RunProgram("save rig.json -o missing/rig.scene", dir.Path());
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("missing/rig.scene"), std::string::npos) << r.err;
}

}  // namespace
