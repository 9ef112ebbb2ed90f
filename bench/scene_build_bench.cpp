// Reading and building scene descriptions, loading scene files and evaluating world transforms,
// for chains (each node the child of the one before) and flat scenes (every node under the
// root) of growing size. Each step should grow linearly with the node count: compare the
// per-node times across the sizes (Google Benchmark's complexity fit reports the order).

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "cli/scene/scene_builder.h"
#include "cli/scene/scene_reader.h"
#include "host/headless/headless_host.h"
#include "host/headless/scene_file.h"

namespace {

// A description of n dummies; chained: each the child of the one before.
std::string Description(int n, bool chained) {
  std::string text = R"({"format": "tessarin-scene", "version": 1, "nodes": [)";
  for (int i = 0; i < n; ++i) {
    text += i ? ",\n" : "\n";
    text += R"({"name": "n)" + std::to_string(i) + R"(", "position": [1, 0, 0])";
    if (chained && i > 0) text += R"(, "parent": "n)" + std::to_string(i - 1) + "\"";
    text += "}";
  }
  return text + "]}";
}

void ReadDescription(benchmark::State& state, bool chained) {
  const std::string text = Description(static_cast<int>(state.range(0)), chained);
  for (auto _ : state) {
    SceneDescription scene;
    SceneError error;
    if (!ReadSceneText(text, "bench.json", ".", scene, error)) state.SkipWithError(error.Text().c_str());
    benchmark::DoNotOptimize(scene.nodes.data());
  }
  state.SetComplexityN(state.range(0));
}

void BuildDescription(benchmark::State& state, bool chained) {
  SceneDescription scene;
  SceneError error;
  if (!ReadSceneText(Description(static_cast<int>(state.range(0)), chained), "bench.json", ".", scene, error)) {
    state.SkipWithError(error.Text().c_str());
    return;
  }
  for (auto _ : state) {
    if (!BuildScene(scene, error)) state.SkipWithError(error.Text().c_str());
  }
  TheHost().ResetScene();
  state.SetComplexityN(state.range(0));
}

void BM_ReadChain(benchmark::State& state) { ReadDescription(state, true); }
void BM_ReadFlat(benchmark::State& state) { ReadDescription(state, false); }
void BM_BuildChain(benchmark::State& state) { BuildDescription(state, true); }
void BM_BuildFlat(benchmark::State& state) { BuildDescription(state, false); }

// Loading a saved chain: the file's frame is checked, every node made, loaded and linked.
void BM_LoadChainFile(benchmark::State& state) {
  SceneDescription scene;
  SceneError error;
  std::vector<std::uint8_t> bytes;
  std::string why;
  if (!ReadSceneText(Description(static_cast<int>(state.range(0)), true), "bench.json", ".", scene, error) ||
      !BuildScene(scene, error) || !SaveSceneToBytes(bytes, &why)) {
    state.SkipWithError("the chain could not be built and saved");
    return;
  }
  for (auto _ : state) {
    if (!LoadSceneFromBytes(bytes, &why)) state.SkipWithError(why.c_str());
  }
  TheHost().ResetScene();
  state.SetComplexityN(state.range(0));
}

// Every node's world transform at a new time per iteration, the chain's root animated so that
// no cached transform serves the next time.
void BM_WorldTransformsOfChain(benchmark::State& state) {
  TheHost().ResetScene();
  std::vector<SceneNode*> chain;
  SceneNode* parent = nullptr;
  for (int i = 0; i < state.range(0); ++i) {
    parent = TheHost().CreateNode(L"n", nullptr, parent);
    parent->Track().position = Point3(1, 0, 0);
    chain.push_back(parent);
  }
  chain.front()->Track().positionKeys = {{0, Point3(0, 0, 0)}, {4800, Point3(0, 0, 10)}};
  TimeValue t = 0;
  for (auto _ : state) {
    t = (t + 1) % 4800;
    for (SceneNode* n : chain) benchmark::DoNotOptimize(n->GetNodeTM(t));
  }
  TheHost().ResetScene();
  state.SetComplexityN(state.range(0));
}

BENCHMARK(BM_ReadChain)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_ReadFlat)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_BuildChain)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_BuildFlat)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_LoadChainFile)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_WorldTransformsOfChain)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

}  // namespace

BENCHMARK_MAIN();
