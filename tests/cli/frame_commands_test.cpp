// The commands' frame and time options end to end: impossible frames are usage errors (exit 2)
// with a reason, a range ending at the last tick a TimeValue holds runs and ends, and a .glb of
// frames 10 to 12 plays them at their own times.

#include <gtest/gtest.h>
#include <tiny_gltf.h>

#include <regex>

#include "cli_support.h"
#include "hand_rig.h"

namespace {

using cli_test::RunProgram;
using cli_test::TempDir;

struct UsageCase {
  const char* name;
  const char* args;  // after the program name; rig.json is the hand rig at 30 fps
  const char* fragment;
};

class FrameUsage : public ::testing::TestWithParam<UsageCase> {};

TEST_P(FrameUsage, RefusedWithReasonAndExitTwo) {
  const UsageCase& c = GetParam();
  TempDir dir;
  dir.Write("rig.json", cli_test::kHandRig);
  auto r = RunProgram(c.args, dir.Path());
  EXPECT_EQ(r.exitCode, 2) << r.err;
  EXPECT_NE(r.err.find(c.fragment), std::string::npos) << r.err;
  EXPECT_FALSE(std::filesystem::exists(dir.Path() / "out")) << "nothing is written";
}

INSTANTIATE_TEST_SUITE_P(
    Table, FrameUsage,
    ::testing::Values(
        UsageCase{"RangeEndsBeforeItStarts", "run rig.json --frames 20:10 --out out", "ends before it starts"},
        UsageCase{"WholeIntSpan", "run rig.json --frames 0:2147483647 --out out", "beyond the frames"},
        UsageCase{"NearIntMax", "run rig.json --frames 2147483640:2147483647 --out out", "beyond the frames"},
        UsageCase{"FirstFrameThatWrapsAt30", "run rig.json --frames 13421773 --out out", "13421772"},
        UsageCase{"TooManyFrames", "run rig.json --frames 0:200000 --out out --format obj", "at most 100000"},
        UsageCase{"BeyondInt", "run rig.json --frames 0:9999999999 --out out", "out of range"},
        UsageCase{"DumpAtNotANumber", "dump rig.json --time nan", "finite"},
        UsageCase{"DumpAtInfinity", "dump rig.json --time -inf", "finite"},
        UsageCase{"DumpBeyondTicks", "dump rig.json --time 1e9", "beyond the frames"}),
    [](const auto& info) { return info.param.name; });

TEST(FrameCommands, RangeEndingAtTheLastTickEnds) {
  TempDir dir;
  // At 4800 fps a frame is one tick: the range ends one tick below the host's positive infinity.
  dir.Write("rig.json", std::regex_replace(cli_test::kHandRig, std::regex("\"frameRate\": 30"), "\"frameRate\": 4800"));
  auto r = RunProgram("run rig.json --frames 2147483642:2147483646 --out frames --format obj", dir.Path());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path() / "frames")) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(files, 5);
  for (int f = 2147483642; f <= 2147483646 && f > 0; ++f)
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "frames" / ("Skin_" + std::to_string(f) + ".obj"))) << f;
}

TEST(FrameCommands, GlbKeepsTheFirstFramesTime) {
  TempDir dir;
  dir.Write("rig.json", cli_test::kHandRig);
  auto r = RunProgram("run rig.json --frames 10:12 --out out", dir.Path());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  tinygltf::Model model;
  tinygltf::TinyGLTF loader;
  std::string err, warn;
  ASSERT_TRUE(loader.LoadBinaryFromFile(&model, &err, &warn, (dir.Path() / "out/rig.glb").string())) << err;
  ASSERT_EQ(model.animations.size(), 1u);
  const tinygltf::Accessor& times = model.accessors[model.animations[0].samplers[0].input];
  ASSERT_EQ(times.count, 3u);
  const tinygltf::BufferView& view = model.bufferViews[times.bufferView];
  const auto* t = reinterpret_cast<const float*>(model.buffers[view.buffer].data.data() + view.byteOffset +
                                                 times.byteOffset);
  for (int k = 0; k < 3; ++k) EXPECT_FLOAT_EQ(t[k], float((10.0 + k) / 30.0)) << "key " << k;
  EXPECT_FLOAT_EQ(float(times.minValues[0]), float(10.0 / 30.0));
}

}  // namespace
