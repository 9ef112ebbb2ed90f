#pragma once
// Wavefront OBJ meshes: reading the vertices and faces of a file a description names, and
// writing one evaluated mesh per frame.

#include <filesystem>
#include <functional>
#include <span>
#include <string>

#include "cli/scene/mesh_snapshot.h"
#include "cli/scene/mesh_surface.h"
#include "cli/scene/poly_mesh.h"

// A mesh read from an OBJ file with what it brings for the glTF outputs.
struct ObjMesh {
  PolyMesh mesh;
  MeshSurface surface;  // texture coordinates (one per vertex) and the first face's material
};

// Reads the file with tinyobjloader: "v" and "f" records (face corners "i", "i/t", "i//n",
// "i/t/n"; negative indices count back), texture coordinates ("vt": each vertex takes those of
// its first corner that names one) and the material of the first face (from the file's "mtllib"
// beside it, when it can be read). Vertices and faces stay in the file's order. Throws
// SceneParseError naming the file and, for a bad record, its line.
ObjMesh ReadObjMesh(const std::filesystem::path& path);
// The same without the surface.
PolyMesh ReadObjFile(const std::filesystem::path& path);

// Writes the snapshot's positions (with "r g b" after each vertex when it has colours) and faces.
// False with *error set when the file cannot be written.
bool WriteObjFile(const std::filesystem::path& path, const MeshSnapshot& mesh, std::string* error);
// The same with the faces from eachFace instead of the snapshot's: it calls its argument once per
// face with the face's vertex indices, and returns false when it has none to give (the file is
// then not written).
using ObjFaceVisitor = std::function<void(std::span<const int>)>;
bool WriteObjFile(const std::filesystem::path& path, const MeshSnapshot& mesh,
                  const std::function<bool(const ObjFaceVisitor&)>& eachFace, std::string* error);
