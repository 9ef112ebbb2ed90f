// tessarin paint and the push-out on the command line: strokes on an influence source's tables through the source's Paint button and
// the host's painter, one undo step per stroke, saved with the scene; and the errors of a source
// that cannot be painted.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>

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
  EXPECT_EQ(doc["changedVertices"], nlohmann::json::parse("[1, 2]"));
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

// The same skin with its bone moved by (0, 10, 0) at frame 10: the skin follows it.
std::string MovingScene() {
  std::string scene = kScene;
  const std::string bone = R"({"name": "Upper", "object": {"type": "bone", "length": 10}})";
  scene.replace(scene.find(bone), bone.size(),
                R"({"name": "Upper", "object": {"type": "bone", "length": 10},
                    "keys": [{"frame": 0, "position": [0, 0, 0]}, {"frame": 10, "position": [0, 10, 0]}]})");
  return scene;
}

// The brush meets the skin where it is at the painting frame; a stroke that changes nothing is
// told as a warning, and the text output is one line per stroke and per table.
TEST(PaintCommand, PaintsTheMeshWhereItIsAtTheFrame) {
  TempDir dir;
  dir.Write("moving.json", MovingScene());
  struct Case {
    const char* name;
    const char* args;
    int changed;
    float vertex1;
    const char* warning;  // on stderr; null for none
  };
  const Case cases[] = {
      {"at frame 10 the vertex is where the brush is", "--stroke 1,10,0,0.5,0.1 --time 10", 1, 0.4f, nullptr},
      {"at the scene's frame 0 nothing is there", "--stroke 1,10,0,0.5,0.1", 0, 0.5f,
       "stroke 1 changed nothing: no sample reaches a vertex of the skins \"Bulge\" acts on at frame 0"},
      {"its frame-0 place paints nothing at frame 10", "--stroke 1,0,0,0.5,0.1 --time 10", 0, 0.5f,
       "stroke 1 changed nothing: no sample reaches a vertex of the skins \"Bulge\" acts on at frame 10"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto r = RunProgram(std::string("paint moving.json --source Bulge --alt -o out.scene --json ") + c.args, dir.Path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto doc = nlohmann::json::parse(r.out);
    EXPECT_EQ(doc["changedVertices"], nlohmann::json::array({c.changed}));
    const std::vector<float> table = TableOf(doc["sources"], "Bulge");
    ASSERT_EQ(table.size(), 3u);
    EXPECT_NEAR(table[1], c.vertex1, 1e-6f);
    if (c.warning) EXPECT_NE(r.err.find(std::string("tessarin: warning: ") + c.warning), std::string::npos) << r.err;
    else EXPECT_EQ(r.err, "");
    // The saved scene keeps its own current frame.
    auto dump = RunProgram("dump out.scene --json", dir.Path());
    ASSERT_EQ(dump.exitCode, 0) << dump.err;
    EXPECT_EQ(nlohmann::json::parse(dump.out)["sceneFrame"], 0);
  }

  // A plain brush on values already at 1 reaches them but changes nothing.
  auto full = RunProgram("paint moving.json --source Bulge --stroke 0,0,0,0.5,0.1 -o out.scene", dir.Path());
  ASSERT_EQ(full.exitCode, 0) << full.err;
  EXPECT_NE(full.err.find("stroke 1 changed nothing: every value it reached was already at its limit"),
            std::string::npos)
      << full.err;

  auto text = RunProgram("paint moving.json --source Bulge --alt --stroke 1,10,0,0.5,0.1 --stroke 5,5,5 --time 10 "
                         "-o out.scene",
                         dir.Path());
  ASSERT_EQ(text.exitCode, 0) << text.err;
  std::vector<std::string> lines;
  std::istringstream out(text.out);
  for (std::string line; std::getline(out, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 5u) << text.out;
  EXPECT_EQ(lines[0], "painted 2 strokes on \"Bulge\" at frame 10 (2 undo steps)");
  EXPECT_EQ(lines[1], "stroke 1: 1 vertex changed");
  EXPECT_EQ(lines[2], "stroke 2: 0 vertices changed");
  EXPECT_EQ(lines[3].rfind("Orbicle \"Bulge\" on the skin on \"Body\" (stack index 0): 3 vertices, influence 0 to 1,", 0),
            0u)
      << lines[3];
  EXPECT_NE(lines[3].find(", 2 below 1"), std::string::npos) << lines[3];
  EXPECT_EQ(lines[4], "scene saved to out.scene");
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
      {"--source Bulge --stroke 0,0,0 --time 1e12", "--time: frame 1000000000000 is beyond the frames", 2},
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
