// What the program says when a command line or its input is not what it should be: usage errors
// exit with 2 and say what was meant, warnings go to stderr, files that cannot be read are named
// with the system's reason on one line.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "cli_support.h"
#include "hand_rig.h"

namespace {

using cli_test::RunProgram;
using cli_test::TempDir;

const std::string kSourceScene = R"({"nodes": [
  {"name": "Body", "object": {"type": "mesh", "vertices": [[0,0,0],[1,0,0],[0,1,0]], "faces": [[0,1,2]]},
   "modifiers": [{"type": "Tessarin", "bones": [{"node": "Upper"}]}]},
  {"name": "Upper", "object": {"type": "bone", "length": 10}},
  {"name": "Bulge", "parent": "Upper", "position": [5, 0, 0], "object": {"type": "Orbicle"}}]})";

TEST(Conventions, UsageErrorsExitWithTwoAndSayWhatWasMeant) {
  struct Case {
    const char* name;
    std::string args;
    std::string says;  // in stderr
  };
  const Case cases[] = {
      {"misspelt command", "rnu rig.json", "unknown command 'rnu'; did you mean 'run'?"},
      {"unknown command", "frobnicate", "unknown command 'frobnicate'"},
      {"misspelt option", "run rig.json --frmaes 0:2", "did you mean '--frames'?"},
      {"misspelt option after --module", "--module rig.json run rig.json --frmaes 0:2", "did you mean '--frames'?"},
      {"option of another command", "dump rig.json --source X", "tessarin dump --help"},
      {"click that is no point", "about --png a.png --click abc", "X,Y"},
      {"click outside the box", "about --png a.png --click 700,10", "outside the About box"},
      {"click above the box", "about --png a.png --click 10,-1", "outside the About box"},
      {"picture not named .png", "about --png x.jpg", ".png"},
      {"stroke of two numbers", "paint scene.json --source Bulge --stroke 10,0 -o p.scene", "10,0"},
      {"-o with OBJ frames", "run rig.json --format obj -o a.glb", "--out DIR"},
      {"-o not a .glb", "run rig.json -o a.obj", ".glb"},
      {"-o and --out together", "run rig.json -o a.glb --out d", "excludes"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    dir.Write("rig.json", cli_test::kHandRig);
    dir.Write("scene.json", kSourceScene);
    auto r = RunProgram(c.args, dir.Path());
    EXPECT_EQ(r.exitCode, 2) << r.err;
    EXPECT_EQ(r.err.rfind("tessarin: ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty()) << r.out;
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "a.png")) << "refused before anything is written";
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "p.scene"));
  }
}

TEST(Conventions, ScenesWithoutSkinsOrBonesAreWarnedAbout) {
  struct Case {
    const char* name;
    std::string scene;
    std::string warning;
  };
  const Case cases[] = {
      {"no skin", R"({"nodes": [{"name": "A", "object": {"type": "box"}}]})",
       "tessarin: warning: scene.json: no node carries a Tessarin skin"},
      {"skin without bones",
       R"({"nodes": [{"name": "A", "object": {"type": "box"}, "modifiers": [{"type": "Tessarin"}]}]})",
       "tessarin: warning: scene.json: the Tessarin skin on node \"A\" has no bones"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    dir.Write("scene.json", c.scene);
    auto r = RunProgram("dump scene.json", dir.Path());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find(c.warning), std::string::npos) << r.err;
    EXPECT_EQ(r.out.find("warning"), std::string::npos) << "warnings stay out of the output";
  }
  TempDir dir;
  dir.Write("rig.json", cli_test::kHandRig);
  auto quiet = RunProgram("dump rig.json", dir.Path());
  EXPECT_EQ(quiet.exitCode, 0) << quiet.err;
  EXPECT_EQ(quiet.err, "") << "a rigged scene draws no warning";
}

TEST(Conventions, ExchangeFilesThatCannotBeOpenedAreNamedWithTheReasonOnOneLine) {
  struct Case {
    const char* name;
    std::string file;
    std::string reason;
  };
  const Case cases[] = {
      {"missing file", "missing.tsm", "No such file or directory"},
      {"folder", "folder.tsm", "Is a directory"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    dir.Write("rig.json", cli_test::kHandRig);
    std::filesystem::create_directory(dir.Path() / "folder.tsm");
    for (const std::string& args :
         {"tsm-info " + c.file, "import-tsm rig.json --node Skin --file " + c.file + " -o out.scene"}) {
      SCOPED_TRACE(args);
      auto r = RunProgram(args, dir.Path());
      EXPECT_EQ(r.exitCode, 1);
      EXPECT_EQ(r.err.rfind("tessarin: ", 0), 0u) << r.err;
      EXPECT_NE(r.err.find(c.file), std::string::npos) << r.err;
      EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
      EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
      EXPECT_FALSE(std::filesystem::exists(dir.Path() / "out.scene"));
    }
  }
}

TEST(Conventions, DemoHelpShowsFramesAsACount) {
  TempDir dir;
  auto r = RunProgram("demo --help", dir.Path());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("--frames COUNT"), std::string::npos) << r.out;
  auto run = RunProgram("run --help", dir.Path());
  EXPECT_NE(run.out.find("-o,--output FILE.glb"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("--out"), std::string::npos) << run.out;
}

TEST(Conventions, OneStrokeIsOneUndoStep) {
  TempDir dir;
  dir.Write("scene.json", kSourceScene);
  auto r = RunProgram("paint scene.json --source Bulge --stroke 0,0,0 -o p.scene", dir.Path());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("(1 undo step)"), std::string::npos) << r.out;
}

}  // namespace
