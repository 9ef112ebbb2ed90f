#pragma once
// Loading a glTF 2.0 file (.gltf with embedded or external buffers, or .glb) into a tinygltf
// model, telling glTF apart from other files by content, and refusing files that need an
// extension this reader does not support.

#include <filesystem>
#include <string>

namespace tinygltf {
class Model;
}

// A binary glTF (its "glTF" mark) or a JSON document with a top-level "asset" object.
bool LooksLikeGltf(const std::string& bytes);
// LooksLikeGltf on the file's content; false when it cannot be read.
bool IsGltfFile(const std::filesystem::path& path);

// Parses bytes (the whole file) named fileName in messages. External buffers are read relative to
// directory when allowExternal is set, and refused otherwise. Images are not decoded. False with
// why set (naming neither the file: the caller adds it).
bool LoadGltfModel(const std::string& bytes, const std::filesystem::path& directory, bool allowExternal,
                   tinygltf::Model& model, std::string& why);
