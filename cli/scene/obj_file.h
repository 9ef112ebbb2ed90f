#pragma once
// Wavefront OBJ meshes: reading the vertices and faces of a file a description names, and
// writing one evaluated mesh per frame.

#include <filesystem>
#include <string>

#include "cli/scene/mesh_snapshot.h"
#include "cli/scene/poly_mesh.h"

// Reads "v" and "f" records (face corners "i", "i/t", "i//n", "i/t/n"; negative indices count
// from the end); other records are ignored. Throws SceneParseError naming the file and line.
PolyMesh ReadObjFile(const std::filesystem::path& path);

// Writes the snapshot's positions (with "r g b" after each vertex when it has colours) and faces.
// False with *error set when the file cannot be written.
bool WriteObjFile(const std::filesystem::path& path, const MeshSnapshot& mesh, std::string* error);
