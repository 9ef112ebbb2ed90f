// cmake --install into a temporary prefix: the program, its module and the documentation land in
// the usual places, the installed program finds its module relative to itself, and --module
// names a module moved elsewhere.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "cli_support.h"

namespace {

using cli_test::RunShell;
using cli_test::TempDir;

TEST(Install, TheInstalledProgramRunsWithItsModule) {
  TempDir dir;
  const std::filesystem::path prefix = dir.Path() / "prefix";
  auto install = RunShell("'" TESSARIN_CMAKE_COMMAND "' --install '" TESSARIN_BUILD_DIR "' --prefix '" +
                              prefix.string() + "' > install.log",
                          dir.Path());
  ASSERT_EQ(install.exitCode, 0) << install.err << cli_test::ReadText(dir.Path() / "install.log");

  const std::filesystem::path program = prefix / TESSARIN_INSTALL_BINDIR / "tessarin";
  const std::filesystem::path module = prefix / TESSARIN_INSTALL_MODULE_DIR / "tessarin.dlm";
  for (const std::filesystem::path& file :
       {program, module, prefix / TESSARIN_INSTALL_DOCDIR / "README.md", prefix / TESSARIN_INSTALL_DOCDIR / "scene-format.md"})
    EXPECT_TRUE(std::filesystem::is_regular_file(file)) << file;

  // Run from a folder of its own: nothing of the build tree is near.
  std::filesystem::create_directory(dir.Path() / "work");
  auto demo = RunShell("cd work && '" + program.string() + "' demo --frames 2 -o d.glb", dir.Path());
  EXPECT_EQ(demo.exitCode, 0) << demo.err;
  EXPECT_TRUE(std::filesystem::exists(dir.Path() / "work/d.glb"));

  // A module elsewhere: not found by itself (the message says where it looked and how to name
  // it), found through --module before or after the command.
  const std::filesystem::path moved = dir.Path() / "modules" / "skinning.dlm";
  std::filesystem::create_directory(moved.parent_path());
  std::filesystem::rename(module, moved);
  auto missing = RunShell("cd work && '" + program.string() + "' demo --frames 1 -o m.glb", dir.Path());
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find("--module"), std::string::npos) << missing.err;
  for (const std::string& args : {"--module '" + moved.string() + "' demo --frames 1 -o m.glb",
                                  "demo --frames 1 -o m.glb --module '" + moved.string() + "'"}) {
    SCOPED_TRACE(args);
    std::filesystem::remove(dir.Path() / "work/m.glb");
    auto named = RunShell("cd work && '" + program.string() + "' " + args, dir.Path());
    EXPECT_EQ(named.exitCode, 0) << named.err;
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "work/m.glb"));
  }
}

}  // namespace
