// Wobblex modifiers in scene descriptions: built on the node's world-space stack with the given
// settings, times from frames to ticks, and every bad value named by its place.

#include <gtest/gtest.h>

#include <sstream>

#include "cli/scene/plugin_session.h"
#include "cli/scene/scene_builder.h"
#include "cli/scene/scene_reader.h"
#include "host/headless/headless_host.h"
#include "host/queries/scene_queries.h"
#include "module/registry/class_ids.h"

namespace {

std::string Build(const std::string& text) {
  SceneDescription scene;
  SceneError error;
  if (!ReadSceneText(text, "scene.json", ".", scene, error)) return "read: " + error.Text();
  if (!BuildScene(scene, error)) return error.Text();
  return {};
}

// A scene of one dummy node carrying a Wobblex with the given keys.
std::string BoneWith(const std::string& wobblexKeys) {
  return R"({"format": "tessarin-scene", "version": 1, "frameRate": 30, "time": 0, "nodes": [
    {"name": "Bone", "object": {"type": "dummy"}, "modifiers": [{"type": "Wobblex")" + wobblexKeys + "}]}]}";
}

class WobblexBuild : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    std::string why;
    session_ = PluginSession::Open(messages_, &why).release();
    // No assertion here: a failure while setting up the suite turns its tests into skips.
    if (!session_) messages_ << why;
  }
  static void TearDownTestSuite() {
    delete session_;
    session_ = nullptr;
  }
  void SetUp() override {
    // A module that does not load is a failure of every test here, never a skip.
    if (!session_) FAIL() << "the plug-in module did not load: " << messages_.str();
  }
  void TearDown() override { TheHost().ResetScene(); }

  static int Param(Modifier* mod, const wchar_t* name) {
    IParamBlock2* block = mod->GetParamBlock(0);
    const ParamDef* def = block->GetDesc()->GetParamDefByName(name);
    EXPECT_NE(def, nullptr) << name;
    return def ? block->GetInt(def->ID, 0) : -1;
  }

  static PluginSession* session_;
  static std::ostringstream messages_;
};

PluginSession* WobblexBuild::session_ = nullptr;
std::ostringstream WobblexBuild::messages_;

TEST_F(WobblexBuild, GoesOnTheWorldSpaceStackWithItsSettings) {
  ASSERT_EQ(Build(BoneWith(R"(, "delay": 2.5, "skid": 40, "amplitude_y": 250, "period_z": 0, "lock_x": -3)")), "");
  INode* bone = TheHost().GetINodeByName(L"Bone");
  ASSERT_NE(bone, nullptr);
  Object* top = bone->GetObjOrWSMRef();
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(top->SuperClassID(), WSM_DERIVOB_CLASS_ID);
  EXPECT_EQ(bone->GetObjectRef()->SuperClassID(), HELPER_CLASS_ID) << "no object-space stack was needed";
  Modifier* mod = FindModifierOnNode(bone, WOBBLEX_CLASS_ID);
  ASSERT_NE(mod, nullptr);
  EXPECT_EQ(Param(mod, L"delay"), 400);  // 2.5 frames of 160 ticks
  EXPECT_EQ(Param(mod, L"skid"), 40);
  EXPECT_EQ(Param(mod, L"amplitude_y"), 250);
  EXPECT_EQ(Param(mod, L"period_z"), 0);
  EXPECT_EQ(Param(mod, L"period_x"), 1600) << "a key not given keeps the new modifier's value";
  EXPECT_EQ(Param(mod, L"lock_x"), -3);
  EXPECT_EQ(Param(mod, L"lock_y"), 100);
}

struct BadWobblex {
  const char* name;
  std::string keys;
  const char* place;
  const char* says;
};

class WobblexRefused : public WobblexBuild, public ::testing::WithParamInterface<BadWobblex> {};

TEST_P(WobblexRefused, IsNamedByItsPlace) {
  const BadWobblex& c = GetParam();
  const std::string error = Build(BoneWith(c.keys));
  EXPECT_NE(error.find(c.place), std::string::npos) << error;
  EXPECT_NE(error.find(c.says), std::string::npos) << error;
  EXPECT_TRUE(TheHost().AllNodes().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WobblexRefused,
    ::testing::Values(BadWobblex{"SkidAboveRange", R"(, "skid": 101)", "/nodes/0/modifiers/0/skid", "101"},
                      BadWobblex{"FractionalShift", R"(, "shift_x": 1.5)", "/nodes/0/modifiers/0/shift_x", ""},
                      BadWobblex{"NegativeDelay", R"(, "delay": -1)", "/nodes/0/modifiers/0/delay", ""},
                      BadWobblex{"PeriodTooLong", R"(, "period_y": 7000)", "/nodes/0/modifiers/0/period_y", ""},
                      BadWobblex{"UnknownKey", R"(, "damping": 3)", "/nodes/0/modifiers/0", "damping"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
