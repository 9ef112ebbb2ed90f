// Influence sources in scene descriptions: Orbicle objects and Fluxel modifiers built through
// the loaded module with their settings and tables, shown by the dump, and the errors of bad
// descriptions named by their place.

#include <gtest/gtest.h>

#include <sstream>

#include "cli/scene/plugin_session.h"
#include "cli/scene/scene_builder.h"
#include "cli/scene/scene_reader.h"
#include "cli/scene/source_dump.h"
#include "cli_support.h"
#include "host/headless/headless_host.h"
#include "host/queries/scene_queries.h"
#include "module/registry/class_ids.h"

namespace {

// A skin of three vertices on one bone, an orbicle under the bone and a fluxel box beside it.
const std::string kSources = R"({"nodes": [
  {"name": "Body", "object": {"type": "mesh", "vertices": [[0,0,0],[1,0,0],[0,1,0]], "faces": [[0,1,2]]},
   "modifiers": [{"type": "Tessarin", "bones": [{"node": "Upper"}]}]},
  {"name": "Upper", "object": {"type": "bone", "length": 10}},
  {"name": "Bulge", "parent": "Upper", "position": [5, 0, 0],
   "object": {"type": "Orbicle", "length": 4, "width": 3, "height": 2, "segments": 8, "blend": 20,
              "direction": "up", "renderable": true,
              "influence": [{"skin": "Body", "values": [1, 0.5, 0]}]}},
  {"name": "Muscle", "parent": "Upper", "object": {"type": "box"},
   "modifiers": [{"type": "Fluxel", "origin": false, "blend": 30, "direction": 2, "disabled": true,
                  "influence": [{"skin": "Body", "values": {"1": 0.25}}]}]}]})";

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

class SourceBuild : public ::testing::Test {
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

  // Reads and builds text; the failure's text otherwise.
  static std::string Build(const std::string& text) {
    SceneDescription scene;
    SceneError error;
    if (!ReadSceneText(text, "scene.json", ".", scene, error)) return "read: " + error.Text();
    if (!BuildScene(scene, error)) return error.Text();
    return {};
  }

  static PluginSession* session_;
  static std::ostringstream messages_;
};

PluginSession* SourceBuild::session_ = nullptr;
std::ostringstream SourceBuild::messages_;

TEST_F(SourceBuild, SourcesCarryTheirSettingsAndTables) {
  ASSERT_EQ(Build(kSources), "");
  INode* muscle = TheHost().GetINodeByName(L"Muscle");
  ASSERT_NE(FindModifierOnNode(muscle, FLUXEL_CLASS_ID), nullptr) << "on the world-space stack";
  EXPECT_EQ(TheHost().GetINodeByName(L"Bulge")->GetObjectRef()->ClassID(), ORBICLE_CLASS_ID);

  const nlohmann::ordered_json sources = DumpSources(0);
  ASSERT_EQ(sources.size(), 2u);
  const auto& orbicle = sources[0];
  EXPECT_EQ(orbicle["node"], "Bulge");
  EXPECT_EQ(orbicle["type"], "Orbicle");
  EXPECT_EQ(orbicle["parameters"],
            nlohmann::ordered_json::parse(R"({"length": 4, "width": 3, "height": 2, "segments": 8, "blend": 20,
              "direction": 5, "disabled": false, "renderable": true, "realtime": false})"));
  ASSERT_EQ(orbicle["tables"].size(), 1u);
  EXPECT_EQ(orbicle["tables"][0]["skin"]["node"], "Body");
  EXPECT_EQ(orbicle["tables"][0]["values"], nlohmann::ordered_json::parse("[1, 0.5, 0]"));

  const auto& fluxel = sources[1];
  EXPECT_EQ(fluxel["node"], "Muscle");
  EXPECT_EQ(fluxel["type"], "Fluxel");
  EXPECT_EQ(fluxel["parameters"], nlohmann::ordered_json::parse(
                                      R"({"origin": false, "blend": 30, "direction": 2, "disabled": true, "real-time": true})"));
  ASSERT_EQ(fluxel["tables"].size(), 1u);
  EXPECT_EQ(fluxel["tables"][0]["values"], nlohmann::ordered_json::parse("[1, 0.25, 1]")) << "unnamed vertices are 1";
  EXPECT_EQ(fluxel["tables"][0]["stamp"], orbicle["tables"][0]["stamp"]) << "both keyed by the same skin";
}

TEST_F(SourceBuild, DefaultsWithoutSettings) {
  ASSERT_EQ(Build(R"({"nodes": [{"name": "Orb", "object": {"type": "Orbicle"}},
                                {"name": "Box", "object": {"type": "box"}, "modifiers": [{"type": "Fluxel"}]}]})"),
            "");
  const nlohmann::ordered_json sources = DumpSources(0);
  ASSERT_EQ(sources.size(), 2u);
  EXPECT_EQ(sources[0]["parameters"]["length"], 10);
  EXPECT_EQ(sources[0]["parameters"]["segments"], 16);
  EXPECT_EQ(sources[1]["parameters"]["origin"], true);
  EXPECT_TRUE(sources[0]["tables"].empty());
}

TEST_F(SourceBuild, BadDescriptionsAreNamedByTheirPlace) {
  struct Case {
    const char* name;
    std::string text;
    const char* place;
    const char* what;
  };
  const Case cases[] = {
      {"short table", Replace(kSources, "[1, 0.5, 0]", "[1, 0.5]"), "/nodes/2/object/influence/0/values",
       "has 2 values"},
      {"vertex beyond the mesh", Replace(kSources, R"({"1": 0.25})", R"({"3": 0.25})"),
       "/nodes/3/modifiers/0/influence/0/values/3", "not a vertex index"},
      {"value above one", Replace(kSources, "[1, 0.5, 0]", "[1, 1.5, 0]"), "/nodes/2/object/influence/0/values/1",
       "at most 1"},
      {"skin without a skin modifier", Replace(kSources, R"("skin": "Body", "values": [1)", R"("skin": "Upper", "values": [1)"),
       "/nodes/2/object/influence/0/skin", "carries no Tessarin"},
      {"unknown skin node", Replace(kSources, R"("skin": "Body", "values": [1)", R"("skin": "Leg", "values": [1)"),
       "/nodes/2/object/influence/0/skin", "unknown node"},
      {"unknown direction", Replace(kSources, R"("up")", R"("above")"), "/nodes/2/object/direction",
       "unknown direction"},
      {"too few segments", Replace(kSources, R"("segments": 8)", R"("segments": 3)"), "/nodes/2/object/segments",
       "at least 4"},
      {"fluxel without a mesh", Replace(kSources, R"({"type": "box"})", R"({"type": "dummy"})"),
       "/nodes/3/modifiers/0", "needs a mesh"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string error = Build(c.text);
    EXPECT_NE(error.find(c.place), std::string::npos) << error;
    EXPECT_NE(error.find(c.what), std::string::npos) << error;
  }
}

TEST(SourceProgram, DumpShowsEachSourcesTables) {
  cli_test::TempDir dir;
  dir.Write("sources.json", kSources);
  cli_test::ProgramResult json = cli_test::RunProgram("dump sources.json --json", dir.Path());
  ASSERT_EQ(json.exitCode, 0) << json.err;
  const auto doc = nlohmann::json::parse(json.out);
  ASSERT_EQ(doc["sources"].size(), 2u);
  EXPECT_EQ(doc["sources"][1]["tables"][0]["values"], nlohmann::json::parse("[1, 0.25, 1]"));
  cli_test::ProgramResult text = cli_test::RunProgram("dump sources.json", dir.Path());
  ASSERT_EQ(text.exitCode, 0) << text.err;
  EXPECT_NE(text.out.find("Orbicle on \"Bulge\""), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("for the skin on \"Body\" (stack index 0), 3 values: 1.0 0.5 0.0"), std::string::npos)
      << text.out;
}

}  // namespace
