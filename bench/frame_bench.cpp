// Whole frames through the headless host and the plug-in module, as the command line evaluates
// them: the time set, every skinned node's stack evaluated and its mesh taken out as a snapshot.
//
// BM_DemoFrame: the built-in demo (20,608 vertices, three link bones, dual quaternions,
// secondary motion on the last link). BM_LimbFrame: a tube of about 1M (or 100k) vertices
// along a chain of 32 link bones, linear blending; its weights are computed once, at building.

#include <benchmark/benchmark.h>

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/scene/demo_scene.h"
#include "cli/scene/mesh_snapshot.h"
#include "cli/scene/plugin_session.h"
#include "cli/scene/scene_builder.h"
#include "cli/scene/scene_reader.h"
#include "cli/scene/skin_access.h"
#include "host/headless/headless_host.h"

namespace {

constexpr int kFrames = 48;

// A tube of 2 × sides × (segments + 1) vertices along x, skinned to `links` link bones.
// "J<i>", appended piece by piece: g++ 12 at -O3 misreads "J" + to_string as overlapping copies.
std::string JointName(int i) {
  std::string name = "J";
  name += std::to_string(i);
  return name;
}

nlohmann::json LimbScene(int sides, int segments, int links) {
  using nlohmann::json;
  const double length = 10.0 * links;
  json bones = json::array();
  json nodes = json::array();
  for (int i = 0; i <= links; ++i) {
    json joint = {{"name", JointName(i)},
                  {"object", {{"type", "legacyBone"}}},
                  {"keys", json::array({{{"frame", 0}, {"rotation", {{"axis", {0, 0, 1}}, {"angle", 0}}}},
                                        {{"frame", kFrames - 1}, {"rotation", {{"axis", {0, 0, 1}}, {"angle", 4}}}}})}};
    if (i > 0) {
      joint["parent"] = JointName(i - 1);
      joint["position"] = {10, 0, 0};
      bones.push_back({{"node", JointName(i)}, {"falloff", 0.6}});
    }
    nodes.push_back(joint);
  }
  nodes.insert(nodes.begin(), json{{"name", "Limb"},
                                   {"position", {length / 2, 0, 0}},
                                   {"object",
                                    {{"type", "tube"},
                                     {"radius", 2.0},
                                     {"innerRadius", 1.6},
                                     {"height", length},
                                     {"sides", sides},
                                     {"segments", segments},
                                     {"axis", "x"}}},
                                   {"modifiers", json::array({{{"type", "Tessarin"}, {"bones", bones}}})}});
  return {{"format", "tessarin-scene"}, {"version", 1}, {"frameRate", 30}, {"time", 0},
          {"frames", {0, kFrames - 1}}, {"nodes", nodes}};
}

// The plug-in module with one scene built into the host; the nodes that carry skins.
struct BuiltScene {
  std::unique_ptr<PluginSession> plugin;
  SceneDescription description;
  std::vector<INode*> nodes;
  int vertices = 0;
};

std::unique_ptr<BuiltScene> Build(const nlohmann::json& document, std::string& why) {
  auto scene = std::make_unique<BuiltScene>();
  scene->plugin = PluginSession::Open(std::cerr, &why);
  if (!scene->plugin) return nullptr;
  SceneError error;
  if (!ReadSceneJson(document, "bench scene", ".", scene->description, error) ||
      !BuildScene(scene->description, error)) {
    why = error.Text();
    return nullptr;
  }
  scene->nodes = SkinnedNodes(FindSkins());
  return scene;
}

void RunFrames(benchmark::State& state, const nlohmann::json& document) {
  std::string why;
  std::unique_ptr<BuiltScene> scene = Build(document, why);
  if (!scene || scene->nodes.empty()) {
    state.SkipWithError(("the scene could not be built: " + why).c_str());
    return;
  }
  MeshSnapshot snap;
  int frame = 0, vertices = 0;
  // As the program writes frames: the faces with the first frame, the points of every frame.
  SnapshotParts parts = SnapshotParts::Everything;
  for (auto _ : state) {
    const TimeValue t = FrameToTicks(frame, scene->description.frameRate);
    frame = (frame + 1) % kFrames;
    TheHost().SetTime(t);
    vertices = 0;
    for (INode* node : scene->nodes) {
      if (!TakeSnapshot(node, t, snap, &why, parts)) {
        state.SkipWithError(why.c_str());
        break;
      }
      vertices += snap.VertexCount();
      benchmark::DoNotOptimize(snap.positions.data());
    }
    parts = SnapshotParts::PositionsAndColors;
  }
  state.counters["vertices/s"] = benchmark::Counter(vertices, benchmark::Counter::kIsIterationInvariantRate);
  TheHost().ResetScene();  // before the module goes
}

void BM_DemoFrame(benchmark::State& state) { RunFrames(state, DemoScene(kFrames)); }

void BM_LimbFrame(benchmark::State& state) {
  RunFrames(state, LimbScene(static_cast<int>(state.range(1)), static_cast<int>(state.range(0)), 32));
}

}  // namespace

BENCHMARK(BM_DemoFrame)->UseRealTime()->Unit(benchmark::kMillisecond);
// segments × sides: 2 × 128 × 3906 ≈ 1M vertices, 2 × 128 × 391 ≈ 100k.
BENCHMARK(BM_LimbFrame)
    ->ArgNames({"segments", "sides"})
    ->Args({390, 128})
    ->Args({3905, 128})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
