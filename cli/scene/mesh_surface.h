#pragma once
// What a mesh brings besides its shape, carried from the input to the glTF outputs: texture
// coordinates and a material. Vertices are the mesh's own, one to one.

#include <array>
#include <optional>
#include <string>
#include <vector>

struct SurfaceMaterial {
  std::string name;
  std::array<float, 4> baseColor = {1.0f, 1.0f, 1.0f, 1.0f};  // linear r, g, b, a
  float metallic = 0.0f;
  float roughness = 1.0f;
};

struct MeshSurface {
  std::vector<std::array<float, 2>> uvs;    // empty, or one (u, v) per vertex, v up as in OBJ
  std::optional<SurfaceMaterial> material;  // none: the viewer's default material

  bool Empty() const { return uvs.empty() && !material; }
};
