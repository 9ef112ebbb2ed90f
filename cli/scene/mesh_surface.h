#pragma once
// What a mesh brings besides its shape, carried from the input to the glTF outputs: texture
// coordinates and a material. Vertices are the mesh's own, one to one.

#include <array>
#include <optional>
#include <string>
#include <vector>

// An image kept as the file held it (never decoded), with how it is sampled.
struct SurfaceTexture {
  std::string mimeType;              // "image/png" or "image/jpeg"
  std::vector<unsigned char> bytes;  // the encoded image
  int magFilter = -1;                // glTF sampler values; -1: the viewer's default
  int minFilter = -1;
  int wrapS = 10497;  // REPEAT
  int wrapT = 10497;
};

struct SurfaceMaterial {
  std::string name;
  std::array<float, 4> baseColor = {1.0f, 1.0f, 1.0f, 1.0f};  // linear r, g, b, a
  float metallic = 0.0f;
  float roughness = 1.0f;
  std::array<float, 3> emissive = {0.0f, 0.0f, 0.0f};
  std::string alphaMode;     // "OPAQUE", "MASK" or "BLEND"; empty: BLEND when baseColor's alpha is below 1
  float alphaCutoff = 0.5f;  // for MASK
  bool doubleSided = false;
  std::optional<SurfaceTexture> baseColorTexture;  // read through the texture coordinates
};

struct MeshSurface {
  std::vector<std::array<float, 2>> uvs;    // empty, or one (u, v) per vertex, v up as in OBJ
  std::optional<SurfaceMaterial> material;  // none: the viewer's default material

  bool Empty() const { return uvs.empty() && !material; }
};
