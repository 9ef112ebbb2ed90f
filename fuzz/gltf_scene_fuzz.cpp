// Feeds arbitrary bytes to the glTF scene import (as a .glb or a .gltf, told by content; external
// files are refused), with the file's own weights. Beyond the sanitizers' own findings, a result
// that breaks the import's promises aborts: a refused file leaves an empty description and says
// why; an accepted one has unique node names, parents that exist, keys inside its frames, and
// per-vertex data as long as its meshes.

#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

#include "cli/scene/gltf_import.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  GltfImportOptions options;
  options.weights = GltfWeights::File;
  SceneDescription scene;
  SceneError error;
  if (!ReadGltfBytes(bytes, "fuzz.glb", {}, false, options, scene, error)) {
    Require(!error.what.empty());
    Require(scene.nodes.empty());
    return 0;
  }
  Require(scene.frames.has_value() && scene.frames->first == 0 && scene.frames->second >= 0);
  std::set<std::string> names;
  for (const NodeSpec& node : scene.nodes) Require(!node.name.empty() && names.insert(node.name).second);
  for (const NodeSpec& node : scene.nodes) {
    Require(node.parent.empty() || names.count(node.parent) == 1);
    for (const TransformKey& key : node.keys) Require(key.frame >= 0 && key.frame <= scene.frames->second);
    if (!node.modifiers.empty()) Require(node.object && node.object->VertexCount().value_or(0) > 0);
  }
  return 0;
}
