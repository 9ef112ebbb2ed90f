// Every file the program writes appears whole or not at all: a full disk, a size limit or a
// target that cannot be written ends with exit 1, the file named with the system's reason, the
// older file as it was and no partial or temporary file. And what a run leaves in its folder.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <string>
#include <vector>

#include "cli_support.h"
#include "hand_rig.h"

namespace {

using cli_test::RunProgram;
using cli_test::RunShell;
using cli_test::TempDir;

// Names in dir, sorted.
std::vector<std::string> Entries(const std::filesystem::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

struct WriteCase {
  const char* name;
  std::string args;    // tessarin arguments, writing into out/
  const char* target;  // the file in out/ that must stay as it was ("" when no file is expected)
};

// Each output the program writes, each big enough to break the limits below.
const WriteCase kOutputs[] = {
    {"glb", "demo --frames 2 -o out/demo.glb", "demo.glb"},
    {"obj frames", "demo --frames 1 --format obj --out out", "Tube_0000.obj"},
    {"png", "about --png out/about.png", "about.png"},
    {"scene description", "demo --frames 1 --scene-out out/scene.json -o demo.glb", "scene.json"},
    {"scene file", "demo --frames 1 --save out/demo.tsscene -o demo.glb", "demo.tsscene"},
};

// Finds the demo's OBJ name once, so the table need not guess the node's name.
std::string DemoObjName() {
  TempDir dir;
  auto r = RunProgram("demo --frames 1 --format obj --out f", dir.Path());
  if (r.exitCode != 0) return "";
  auto names = Entries(dir.Path() / "f");
  return names.empty() ? "" : names[0];
}

void ExpectFailedWrite(const WriteCase& c, const cli_test::ProgramResult& r, const std::string& listing,
                       const std::string& oldText, const std::string& reason, const std::string& objName) {
  const std::string target = std::string(c.target) == "Tube_0000.obj" ? objName : c.target;
  EXPECT_EQ(r.exitCode, 1) << r.err;
  EXPECT_NE(r.err.find(reason), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(target), std::string::npos) << "names the file: " << r.err;
  EXPECT_EQ(listing, target + "\n") << "nothing but the older file";
  EXPECT_EQ(oldText, "old\n") << "the older file is as it was";
}

TEST(OutputFiles, ASizeLimitFailsEveryWriteAndKeepsTheOlderFile) {
  const std::string objName = DemoObjName();
  ASSERT_FALSE(objName.empty());
  for (const WriteCase& c : kOutputs) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    std::filesystem::create_directory(dir.Path() / "out");
    const std::string target = std::string(c.target) == "Tube_0000.obj" ? objName : c.target;
    // A size limit of 2 KiB: every output above is larger; what is written outside out/ is not
    // checked. The shell's limit is in blocks of 512 bytes.
    auto r = RunShell("echo old > out/" + target + " && ulimit -f 4 && \"$TESSARIN\" " + c.args +
                          "; echo \"exit=$?\" >&2; ls -A out > listing.txt",
                      dir.Path());
    r.exitCode = r.err.find("exit=1\n") != std::string::npos ? 1 : -1;
    ExpectFailedWrite(c, r, cli_test::ReadText(dir.Path() / "listing.txt"),
                      cli_test::ReadText(dir.Path() / "out" / target), "File too large", objName);
  }
}

TEST(OutputFiles, AFullFileSystemFailsEveryWriteAndKeepsTheOlderFile) {
  const std::string objName = DemoObjName();
  ASSERT_FALSE(objName.empty());
  for (const WriteCase& c : kOutputs) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    std::filesystem::create_directory(dir.Path() / "out");
    const std::string target = std::string(c.target) == "Tube_0000.obj" ? objName : c.target;
    // A file system of one 4 KiB page, filled by the older file, in a private mount namespace
    // (as an unprivileged user through a user namespace): gone when the script ends, so the
    // script reports what it holds.
    const std::string script = "mount -t tmpfs -o size=4k tmpfs out || exit 77; echo old > out/" + target +
                               // The leak checker stops the program's threads through ptrace, which a
                               // user namespace may refuse; every other run checks for leaks.
                               "; ASAN_OPTIONS=$ASAN_OPTIONS:detect_leaks=0 \"$TESSARIN\" " + c.args + "; echo \"exit=$?\" >&2; ls -A out; echo ---; cat out/" +
                               target;
    auto r = RunShell("unshare -rm sh -c '" + script + "'", dir.Path());
    if (r.exitCode == 77 || (r.exitCode != 0 && r.err.find("exit=") == std::string::npos)) {
      GTEST_SKIP() << "no small file system can be mounted here (unshare -rm and mount -t tmpfs refused): " << r.err;
    }
    const std::size_t split = r.out.find("---\n");
    ASSERT_NE(split, std::string::npos) << r.out;
    cli_test::ProgramResult program = r;
    program.exitCode = r.err.find("exit=1\n") != std::string::npos ? 1 : -1;
    ExpectFailedWrite(c, program, r.out.substr(0, split), r.out.substr(split + 4), "No space left on device",
                      objName);
  }
}

TEST(OutputFiles, TargetsThatCannotBeWrittenFailWithTheReason) {
  struct Case {
    const char* name;
    std::string args;
    const char* reason;
  };
  const Case cases[] = {
      {"glb onto a folder", "demo --frames 1 -o folder.glb", "Is a directory"},
      {"glb inside a file", "demo --frames 1 -o plain.txt/demo.glb", "plain.txt"},
      {"obj frames into a file", "demo --frames 1 --format obj --out plain.txt", "plain.txt"},
      {"png onto a folder", "about --png folder.png", "Is a directory"},
      {"png into a missing folder", "about --png missing/a.png", "No such file or directory"},
      {"scene description onto a folder", "demo --frames 1 --scene-out folder.glb", "Is a directory"},
      {"scene file onto a folder", "demo --frames 1 --save folder.glb", "Is a directory"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    std::filesystem::create_directories(dir.Path() / "folder.glb" / "inside");
    std::filesystem::create_directories(dir.Path() / "folder.png" / "inside");
    dir.Write("plain.txt", "plain");
    auto r = RunProgram(c.args, dir.Path());
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_EQ(r.err.rfind("tessarin: ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
    EXPECT_EQ(cli_test::ReadText(dir.Path() / "plain.txt"), "plain");
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "folder.glb" / "inside"));
  }
}

TEST(OutputFiles, ARunReplacesTheEarlierFramesOfItsMeshes) {
  TempDir dir;
  dir.Write("rig.json", cli_test::kHandRig);
  std::filesystem::create_directory(dir.Path() / "frames");
  dir.Write("frames/notes.txt", "mine");
  dir.Write("frames/Other_0001.obj", "another mesh's frame");
  auto first = RunProgram("run rig.json --frames 0:10 --format obj --out frames", dir.Path());
  ASSERT_EQ(first.exitCode, 0) << first.err;
  EXPECT_EQ(Entries(dir.Path() / "frames").size(), 13u);
  auto second = RunProgram("run rig.json --frames 2:4 --format obj --out frames", dir.Path());
  ASSERT_EQ(second.exitCode, 0) << second.err;
  EXPECT_EQ(Entries(dir.Path() / "frames"),
            (std::vector<std::string>{"Other_0001.obj", "Skin_0002.obj", "Skin_0003.obj", "Skin_0004.obj",
                                      "notes.txt"}));
  EXPECT_NE(second.out.find("removed     8 earlier frames"), std::string::npos) << second.out;
}

TEST(OutputFiles, DashONamesTheGlbFile) {
  TempDir dir;
  dir.Write("rig.json", cli_test::kHandRig);
  auto r = RunProgram("run rig.json --frames 0:3 -o my.glb", dir.Path());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(cli_test::ReadText(dir.Path() / "my.glb").substr(0, 4), "glTF");
  EXPECT_FALSE(std::filesystem::exists(dir.Path() / "tessarin-out"));
  auto nested = RunProgram("run rig.json --frames 0:3 -o sub/rig-anim.glb", dir.Path());
  ASSERT_EQ(nested.exitCode, 0) << nested.err;
  EXPECT_TRUE(std::filesystem::exists(dir.Path() / "sub/rig-anim.glb"));
  auto folder = RunProgram("run rig.json --frames 0:3 --out glbs", dir.Path());
  ASSERT_EQ(folder.exitCode, 0) << folder.err;
  EXPECT_TRUE(std::filesystem::exists(dir.Path() / "glbs/rig.glb"));
}

TEST(OutputFiles, RunJsonSummarisesTheRun) {
  TempDir dir;
  dir.Write("rig.json", cli_test::kHandRig);
  auto r = RunProgram("run rig.json --frames 3:5 --format obj --out f --json", dir.Path());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto doc = nlohmann::json::parse(r.out);
  EXPECT_EQ(doc["format"], "tessarin-run");
  EXPECT_EQ(doc["frames"], 3);
  EXPECT_EQ(doc["firstFrame"], 3);
  EXPECT_EQ(doc["lastFrame"], 5);
  EXPECT_EQ(doc["vertices"], cli_test::kHandRigVertices);
  EXPECT_EQ(doc["meshes"], nlohmann::json::array({"Skin"}));
  EXPECT_EQ(doc["files"], nlohmann::json::array({"f/Skin_0003.obj", "f/Skin_0004.obj", "f/Skin_0005.obj"}));
  for (const auto& f : doc["files"]) EXPECT_TRUE(std::filesystem::exists(dir.Path() / f.get<std::string>()));
  EXPECT_GE(doc["secondsPerFrame"]["withWriting"].get<double>(), doc["secondsPerFrame"]["evaluating"].get<double>());
  EXPECT_GT(doc["secondsPerFrame"]["withWriting"].get<double>(), 0.0);
}

}  // namespace
