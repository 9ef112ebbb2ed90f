// Numbers in descriptions that a double holds but a float does not (1e39), or that not even a
// double holds (1e400): each is refused with the file and its place, never passed on as an
// infinity that makes every vertex not-a-number.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "cli/scene/scene_reader.h"

namespace {

struct NumberCase {
  const char* name;
  const char* node;  // the one node of the description
  const char* place;
  const char* fragment;
};

class DescriptionNumber : public ::testing::TestWithParam<NumberCase> {};

TEST_P(DescriptionNumber, RefusedWithFileAndPlace) {
  const NumberCase& c = GetParam();
  SceneDescription scene;
  SceneError error;
  ASSERT_FALSE(ReadSceneText(std::string(R"({"nodes": [)") + c.node + "]}", "numbers.json", ".", scene, error));
  EXPECT_EQ(error.file, "numbers.json");
  EXPECT_EQ(error.place, c.place) << error.Text();
  EXPECT_NE(error.what.find(c.fragment), std::string::npos) << error.Text();
}

INSTANTIATE_TEST_SUITE_P(
    Table, DescriptionNumber,
    ::testing::Values(
        NumberCase{"BeyondADouble", R"({"name": "a", "position": [1e400, 0, 0]})", "line 1, column 43",
                   "number overflow"},
        NumberCase{"BeyondADoubleOnALaterLine", "{\"name\": \"a\",\n \"scale\": -1e999}", "line 2, column 16",
                   "number overflow"},
        NumberCase{"PositionBeyondAFloat", R"({"name": "a", "position": [0, 1e39, 0]})", "/nodes/0/position/1",
                   "float"},
        NumberCase{"ScaleBeyondAFloat", R"({"name": "a", "scale": 1e300})", "/nodes/0/scale", "float"},
        NumberCase{"EulerRotationBeyondAFloat", R"({"name": "a", "rotation": [0, 0, -1e39]})",
                   "/nodes/0/rotation/2", "float"},
        NumberCase{"QuaternionBeyondAFloat", R"({"name": "a", "rotation": {"quaternion": [1e39, 0, 0, 1]}})",
                   "/nodes/0/rotation/quaternion/0", "float"},
        NumberCase{"KeyPositionBeyondAFloat", R"({"name": "a", "keys": [{"frame": 0, "position": [1e300, 0, 0]}]})",
                   "/nodes/0/keys/0/position/0", "float"},
        NumberCase{"MeshVertexBeyondAFloat",
                   R"({"name": "a", "object": {"type": "mesh", "vertices": [[0, 0, 0], [1, 0, 1e39], [0, 1, 0]]}})",
                   "/nodes/0/object/vertices/1/2", "float"}),
    [](const auto& info) { return info.param.name; });

TEST(DescriptionNumber, LargestFloatsStillMakeUnitRotations) {
  SceneDescription scene;
  SceneError error;
  ASSERT_TRUE(ReadSceneText(R"({"nodes": [{"name": "a", "position": [3e38, 0, 0],
                                            "rotation": {"quaternion": [3e38, 3e38, 0, 0]}},
                                           {"name": "b", "rotation": {"axis": [0, 3e38, 3e38], "angle": 90}}]})",
                            "big.json", ".", scene, error))
      << error.Text();
  for (const NodeSpec& node : scene.nodes) {
    const Quat& q = node.rotation;
    EXPECT_NEAR(double(q.x) * q.x + double(q.y) * q.y + double(q.z) * q.z + double(q.w) * q.w, 1.0, 1e-6) << node.name;
  }
  EXPECT_EQ(scene.nodes[0].position.x, 3e38f);
}

}  // namespace
