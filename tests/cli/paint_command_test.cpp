// tessarin paint and the push-out on the command line: strokes on an influence source's tables through the source's Paint button and
// the host's painter, one undo step per stroke, saved with the scene; and the errors of a source
// that cannot be painted.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "cli/scene/obj_file.h"
#include "cli_support.h"
#include "support/tolerance.h"

namespace {

using cli_test::RunProgram;
using cli_test::TempDir;

// A skin of three vertices on one bone; under the bone an orbicle (found through use_linked),
// beside the scene a fluxel the skin lists, and an orbicle no skin uses.
const std::string kScene = R"({"nodes": [
  {"name": "Body", "object": {"type": "mesh", "vertices": [[0,0,0],[1,0,0],[0,1,0]], "faces": [[0,1,2]]},
   "modifiers": [{"type": "Tessarin", "bones": [{"node": "Upper"}], "sources": ["Wall"],
                  "switches": {"use_fluxels": true}}]},
  {"name": "Upper", "object": {"type": "bone", "length": 10}},
  {"name": "Bulge", "parent": "Upper", "position": [5, 0, 0],
   "object": {"type": "Orbicle", "length": 1, "width": 1, "height": 1,
              "influence": [{"skin": "Body", "values": [1, 0.5, 0]}]}},
  {"name": "Wall", "position": [20, 0, 0], "object": {"type": "box"}, "modifiers": [{"type": "Fluxel"}]},
  {"name": "Far", "position": [50, 0, 0], "object": {"type": "Orbicle"}}]})";

std::vector<float> TableOf(const nlohmann::json& sources, const std::string& node) {
  for (const auto& s : sources)
    if (s["node"] == node) return s["tables"][0]["values"].get<std::vector<float>>();
  return {};
}

TEST(PaintCommand, StrokesChangeTheTablesAndTheSceneKeepsThem) {
  TempDir dir;
  dir.Write("scene.json", kScene);
  // Two strokes with Alt: the first takes 0.1 from vertex 0, the second 0.1 from vertices 1 and 0.
  auto r = RunProgram(
      "paint scene.json --source Bulge --alt --stroke 0,0,0,1,0.1 --stroke '1,0,0,1,0.1;0,0,0,1,0.1' -o painted.scene "
      "--json",
      dir.Path());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const auto doc = nlohmann::json::parse(r.out);
  EXPECT_EQ(doc["strokes"], 2);
  EXPECT_EQ(doc["undoSteps"], 2);
  std::vector<float> painted = TableOf(doc["sources"], "Bulge");
  ASSERT_EQ(painted.size(), 3u);
  EXPECT_NEAR(painted[0], 0.8f, 1e-6f);
  EXPECT_NEAR(painted[1], 0.4f, 1e-6f);
  EXPECT_NEAR(painted[2], 0.0f, 1e-6f);

  // The saved scene carries the painted table; the plain brush adds, clamped at 1.
  auto dump = RunProgram("dump painted.scene --json", dir.Path());
  ASSERT_EQ(dump.exitCode, 0) << dump.err;
  EXPECT_EQ(TableOf(nlohmann::json::parse(dump.out)["sources"], "Bulge"), painted);
  auto again = RunProgram("paint painted.scene --source Wall --stroke 0,1,0,1,1 -o wall.scene --json", dir.Path());
  ASSERT_EQ(again.exitCode, 0) << again.err;
  // A skin without a table starts from 1 everywhere: the plain brush keeps it there.
  EXPECT_EQ(TableOf(nlohmann::json::parse(again.out)["sources"], "Wall"), (std::vector<float>{1, 1, 1}));
}

TEST(PaintCommand, SourcesThatCannotBePaintedFailClearly) {
  TempDir dir;
  dir.Write("scene.json", kScene);
  struct Case {
    const char* args;
    const char* message;
    int exitCode;  // 2: the command line itself is wrong
  };
  const Case cases[] = {
      {"--source Nobody --stroke 0,0,0", "no node named \"Nobody\"", 1},
      {"--source Body --stroke 0,0,0", "\"Body\" is no influence source", 1},
      {"--source Far --stroke 0,0,0", "\"Far\" acts on no skin", 1},
      {"--source Bulge --stroke 0,0", "sample \"0,0\" has 2 numbers", 2},
      {"--source Bulge --stroke 0,x,0", "\"x\" in sample \"0,x,0\" is not a number", 2},
      {"--source Bulge --stroke 0,0,0,0,1", "radius that is not above 0", 2},
  };
  for (const Case& c : cases) {
    auto r = RunProgram(std::string("paint scene.json ") + c.args + " -o out.scene", dir.Path());
    EXPECT_EQ(r.exitCode, c.exitCode) << c.args;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << ": " << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "out.scene")) << c.args;
  }
  EXPECT_EQ(RunProgram("paint scene.json --source Bulge --stroke 0,0,0 --alt --shift -o out.scene", dir.Path()).exitCode,
            2);
}

}  // namespace

namespace {

// Two vertices inside an orbicle of semi-axes 1 at (5, 0, 0), one far outside it.
std::string PushScene(bool pushOut) {
  return std::string(R"({"nodes": [
  {"name": "Body", "object": {"type": "mesh", "vertices": [[5,0,0.2],[0,0,0],[5.1,0,0]], "faces": [[0,1,2]]},
   "modifiers": [{"type": "Tessarin", "bones": [{"node": "Upper"}], "switches": {"use_fluxels": )") +
         (pushOut ? "true" : "false") + R"(}}]},
  {"name": "Upper", "object": {"type": "bone", "length": 10}},
  {"name": "Bulge", "parent": "Upper", "position": [5, 0, 0],
   "object": {"type": "Orbicle", "length": 2, "width": 2, "height": 2, "blend": 0}}]})";
}

TEST(PushOutOnTheCommandLine, DumpAndRunShowTheVerticesPushedOut) {
  TempDir dir;
  dir.Write("push.json", PushScene(true));
  dir.Write("still.json", PushScene(false));
  const Point3 pushed[] = {{5, 0, 1}, {0, 0, 0}, {6, 0, 0}};
  const Point3 still[] = {{5, 0, 0.2f}, {0, 0, 0}, {5.1f, 0, 0}};

  auto dump = RunProgram("dump push.json --json --time 0", dir.Path());
  ASSERT_EQ(dump.exitCode, 0) << dump.err;
  const auto doc = nlohmann::json::parse(dump.out);
  EXPECT_EQ(doc["sources"][0]["actsOn"], nlohmann::json::parse(R"([{"node": "Body", "stackIndex": 0}])"));
  const auto& positions = doc["deformed"]["meshes"][0]["positions"];
  ASSERT_EQ(positions.size(), 3u);
  for (int v = 0; v < 3; ++v) {
    const Point3 p(positions[v][0].get<float>(), positions[v][1].get<float>(), positions[v][2].get<float>());
    EXPECT_TRUE(ExpectPoint3Near(p, pushed[v], 1e-5f)) << "vertex " << v;
  }

  for (const char* scene : {"push.json", "still.json"}) {
    auto run = RunProgram(std::string("run ") + scene + " --frames 0 --format obj --out " + scene + ".out", dir.Path());
    ASSERT_EQ(run.exitCode, 0) << run.err;
    PolyMesh mesh = ReadObjFile(dir.Path() / (std::string(scene) + ".out") / "Body_0000.obj");
    ASSERT_EQ(mesh.VertexCount(), 3);
    const Point3* expected = std::string(scene) == "push.json" ? pushed : still;
    for (int v = 0; v < 3; ++v) EXPECT_TRUE(ExpectPoint3Near(mesh.vertices[v], expected[v], 1e-5f)) << scene << v;
  }
}

}  // namespace
