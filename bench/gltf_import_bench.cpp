// Importing a glTF character of about 100k vertices (the test character with fine tubes, eight
// joints, one second of animation): reading the .glb into a scene description, and reading and
// building it into the headless host with the plug-in (bind pose, attachment and the weight
// computation), with weights from the bone volumes and from the file. Wall clock per import.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <iostream>
#include <memory>
#include <sstream>
#include <unistd.h>

#include "cli/scene/gltf_import.h"
#include "cli/scene/plugin_session.h"
#include "cli/scene/scene_builder.h"
#include "host/headless/headless_host.h"
#include "support/gltf_character.h"

namespace {

// The character written once per process; removed at exit.
class CharacterFile {
public:
  CharacterFile() {
    options_.ringSegments = 64;
    options_.ringSpacing = 0.0017;
    path_ = std::filesystem::temp_directory_path() / ("tessarin-gltf-bench-" + std::to_string(getpid()) + ".glb");
    std::string why;
    if (!gltf_character::Write(gltf_character::Make(options_), path_, gltf_character::Form::Glb, &why))
      std::cerr << why << '\n';
  }
  ~CharacterFile() {
    std::error_code ec;
    std::filesystem::remove(path_, ec);
  }
  const std::filesystem::path& Path() const { return path_; }
  int Vertices() const { return gltf_character::VertexCount(options_); }

private:
  gltf_character::Options options_;
  std::filesystem::path path_;
};

const CharacterFile& Character() {
  static CharacterFile file;
  return file;
}

void BM_ReadGltf(benchmark::State& state) {
  const CharacterFile& file = Character();
  for (auto _ : state) {
    SceneDescription scene;
    SceneError error;
    if (!ReadGltfScene(file.Path(), {}, scene, error)) {
      state.SkipWithError(error.Text().c_str());
      return;
    }
    benchmark::DoNotOptimize(scene.nodes.data());
  }
  state.counters["vertices"] = file.Vertices();
}

void BM_ReadAndBuildGltf(benchmark::State& state) {
  static std::ostringstream messages;
  std::string why;
  static std::unique_ptr<PluginSession> session = PluginSession::Open(messages, &why);
  if (!session) {
    state.SkipWithError(("the plug-in module did not load: " + why).c_str());
    return;
  }
  const CharacterFile& file = Character();
  GltfImportOptions options;
  options.weights = state.range(0) ? GltfWeights::File : GltfWeights::Volumes;
  for (auto _ : state) {
    SceneDescription scene;
    SceneError error;
    if (!ReadGltfScene(file.Path(), options, scene, error) || !BuildScene(scene, error)) {
      state.SkipWithError(error.Text().c_str());
      return;
    }
    state.PauseTiming();
    TheHost().ResetScene();
    state.ResumeTiming();
  }
  state.SetLabel(state.range(0) ? "weights from the file" : "weights from volumes");
  state.counters["vertices"] = file.Vertices();
}

}  // namespace

BENCHMARK(BM_ReadGltf)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadAndBuildGltf)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
