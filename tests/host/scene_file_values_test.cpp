// Stored node transforms that are not finite numbers: a scene file holding one is refused when
// it loads, with the node and the value named, instead of loading a scene whose every point the
// node carries becomes not-a-number.

#include <limits>
#include <string>

#include "host/headless/scene_file.h"
#include "scene_fixture.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

struct ValueCase {
  const char* name;
  void (*spoil)(SceneNode& node);
  const char* fragment;
};

class StoredNodeValue : public SceneTest, public ::testing::WithParamInterface<ValueCase> {};

TEST_P(StoredNodeValue, RefusedOnLoad) {
  const ValueCase& c = GetParam();
  SceneNode* fine = host().CreateNode(L"fine");
  fine->Track().position = Point3(1, 2, 3);
  SceneNode* spoilt = host().CreateNode(L"spoilt", nullptr, fine);
  spoilt->Track().positionKeys = {{0, Point3(0, 0, 0)}, {4800, Point3(1, 0, 0)}};
  c.spoil(*spoilt);
  std::vector<std::uint8_t> bytes;
  std::string error;
  ASSERT_TRUE(SaveSceneToBytes(bytes, &error)) << error;
  EXPECT_FALSE(LoadSceneFromBytes(bytes, &error));
  EXPECT_NE(error.find("spoilt"), std::string::npos) << error;
  EXPECT_NE(error.find(c.fragment), std::string::npos) << error;
  EXPECT_NE(error.find("not"), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Table, StoredNodeValue,
    ::testing::Values(
        ValueCase{"PositionNotANumber", [](SceneNode& n) { n.Track().position = Point3(0, kNaN, 0); }, "position"},
        ValueCase{"RotationInfinite", [](SceneNode& n) { n.Track().rotation = Quat(0, 0, kInf, 1); }, "rotation"},
        ValueCase{"ScaleNotANumber", [](SceneNode& n) { n.Track().scale = Point3(kNaN, 1, 1); }, "scale"},
        ValueCase{"PositionKeyInfinite", [](SceneNode& n) { n.Track().positionKeys[4800] = Point3(-kInf, 0, 0); },
                  "position key at tick 4800"},
        ValueCase{"RotationKeyNotANumber",
                  [](SceneNode& n) { n.Track().rotationKeys[160] = Quat(kNaN, 0, 0, 1); }, "rotation key at tick 160"},
        ValueCase{"ScaleKeyNotANumber", [](SceneNode& n) { n.Track().scaleKeys[-320] = Point3(1, 1, kNaN); },
                  "scale key at tick -320"},
        ValueCase{"ObjectOffsetNotANumber", [](SceneNode& n) { n.SetObjOffsetPos(Point3(kNaN, 0, 0)); },
                  "object offset"}),
    [](const auto& info) { return info.param.name; });

}  // namespace
