#pragma once
// A glTF 2.0 character as a scene description: nodes with their names, parents, transforms and
// the chosen animation sampled at the frame rate; meshes as triangle meshes with their vertices
// one-to-one and in order; each skinned mesh primitive with a Tessarin modifier whose bones are
// the skin's joints, attached in the file's bind pose. Axes: glTF (x, y, z) is host (x, -z, y).

#include <filesystem>
#include <string>

#include "cli/scene/scene_description.h"
#include "cli/scene/scene_error.h"

enum class GltfWeights { Volumes, File };

// Defaults for every joint bone when weights come from bone volumes (see docs/gltf.md).
inline constexpr float kGltfDefaultFalloff = 0.25f;
inline constexpr float kGltfDefaultStrength = 1.0f;

struct GltfImportOptions {
  int framesPerSecond = 30;
  std::string animation;  // a name or an index; empty: the first animation
  GltfWeights weights = GltfWeights::Volumes;
  float falloff = kGltfDefaultFalloff;
  float strength = kGltfDefaultStrength;
};

// Reads the file at path (a .gltf with embedded or external buffers, or a .glb). False with error
// set (the file, the place as a JSON pointer into the glTF document, the problem).
bool ReadGltfScene(const std::filesystem::path& path, const GltfImportOptions& options, SceneDescription& out,
                   SceneError& error);
// The same from the file's bytes, named fileName in messages; external buffers are read from
// directory only when allowExternal is set.
bool ReadGltfBytes(const std::string& bytes, const std::string& fileName, const std::filesystem::path& directory,
                   bool allowExternal, const GltfImportOptions& options, SceneDescription& out, SceneError& error);
