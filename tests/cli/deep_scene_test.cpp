// Deep descriptions end to end: a chain of 100,000 dummies (deeper than the call stack could
// ever walk) is read, built, saved, loaded and dumped; a description whose parents loop is
// refused at the first node that reaches the loop.

#include <gtest/gtest.h>

#include <string>

#include "cli/scene/scene_reader.h"
#include "cli_support.h"

namespace {

using cli_test::RunProgram;
using cli_test::TempDir;

// n dummies, each the child of the one before, each one unit along x from its parent.
std::string Chain(int n) {
  std::string text = R"({"format": "tessarin-scene", "version": 1, "nodes": [)";
  for (int i = 0; i < n; ++i) {
    text += i ? ",\n" : "\n";
    text += R"({"name": "n)" + std::to_string(i) + R"(", "position": [1, 0, 0])";
    if (i > 0) text += R"(, "parent": "n)" + std::to_string(i - 1) + "\"";
    text += "}";
  }
  return text + "]}";
}

TEST(DeepScene, HundredThousandDeepChainSavesLoadsAndDumps) {
  TempDir dir;
  dir.Write("chain.json", Chain(100'000));
  auto saved = RunProgram("save chain.json -o chain.tscene", dir.Path());
  ASSERT_EQ(saved.exitCode, 0) << saved.err;
  auto dumped = RunProgram("dump chain.tscene --json", dir.Path());
  EXPECT_EQ(dumped.exitCode, 0) << dumped.err;
  auto described = RunProgram("dump chain.json --json", dir.Path());
  EXPECT_EQ(described.exitCode, 0) << described.err;
}

struct LoopCase {
  const char* name;
  const char* nodes;
  const char* pointer;  // where the loop is reported
};

class ParentLoop : public ::testing::TestWithParam<LoopCase> {};

TEST_P(ParentLoop, NamedAtTheFirstNodeThatReachesIt) {
  const LoopCase& c = GetParam();
  SceneDescription scene;
  SceneError error;
  ASSERT_FALSE(ReadSceneText(std::string(R"({"nodes": )") + c.nodes + "}", "loop.json", ".", scene, error));
  EXPECT_EQ(error.place, c.pointer) << error.Text();
  EXPECT_NE(error.what.find("loops"), std::string::npos) << error.Text();
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParentLoop,
    ::testing::Values(
        LoopCase{"TwoNodes", R"([{"name": "a", "parent": "b"}, {"name": "b", "parent": "a"}])", "/nodes/0/parent"},
        LoopCase{"LoopBelowAChainThatReachesTheRoot",
                 R"([{"name": "r"}, {"name": "s", "parent": "r"}, {"name": "x", "parent": "z"},
                     {"name": "y", "parent": "x"}, {"name": "z", "parent": "y"}])",
                 "/nodes/2/parent"},
        LoopCase{"TailHangingOffALoop",
                 R"([{"name": "tail", "parent": "a"}, {"name": "a", "parent": "b"}, {"name": "b", "parent": "a"}])",
                 "/nodes/0/parent"}),
    [](const auto& info) { return info.param.name; });

TEST(DeepScene, ParentsNamedAfterTheirChildrenStillBuildAChain) {
  // Described deepest first: every parent is met after its child.
  std::string text = R"({"nodes": [)";
  for (int i = 999; i >= 0; --i) {
    text += R"({"name": "n)" + std::to_string(i) + "\"";
    if (i > 0) text += R"(, "parent": "n)" + std::to_string(i - 1) + "\"";
    text += i ? "}," : "}";
  }
  SceneDescription scene;
  SceneError error;
  ASSERT_TRUE(ReadSceneText(text + "]}", "reversed.json", ".", scene, error)) << error.Text();
  ASSERT_EQ(scene.nodes.size(), 1000u);
  EXPECT_EQ(scene.nodes[0].parentIndex, 1);
  EXPECT_EQ(scene.nodes[999].parentIndex, -1);
}

}  // namespace
