#include "cli/scene/gltf_buffers.h"

#include <cmath>
#include <limits>

#include "host/headless/atomic_file.h"

tinygltf::Model NewGlbModel(const std::string& generator) {
  tinygltf::Model model;
  model.asset.version = "2.0";
  model.asset.generator = generator;
  model.buffers.resize(1);
  model.scenes.resize(1);
  model.defaultScene = 0;
  return model;
}

int AddBufferView(tinygltf::Model& model, const void* data, std::size_t bytes, int target) {
  auto& buffer = model.buffers[0].data;
  buffer.resize((buffer.size() + 3) & ~std::size_t(3));
  tinygltf::BufferView view;
  view.buffer = 0;
  view.byteOffset = buffer.size();
  view.byteLength = bytes;
  view.target = target;
  const auto* begin = static_cast<const unsigned char*>(data);
  buffer.insert(buffer.end(), begin, begin + bytes);
  model.bufferViews.push_back(view);
  return static_cast<int>(model.bufferViews.size()) - 1;
}

int AddAccessor(tinygltf::Model& model, int view, int componentType, int type, std::size_t count,
                std::vector<double> min, std::vector<double> max) {
  tinygltf::Accessor a;
  a.bufferView = view;
  a.componentType = componentType;
  a.type = type;
  a.count = count;
  a.minValues = std::move(min);
  a.maxValues = std::move(max);
  model.accessors.push_back(a);
  return static_cast<int>(model.accessors.size()) - 1;
}

int AddVec3Attribute(tinygltf::Model& model, const std::vector<Point3>& values, bool withBounds) {
  std::vector<double> lo, hi;
  if (withBounds) {
    lo.assign(3, std::numeric_limits<double>::max());
    hi.assign(3, std::numeric_limits<double>::lowest());
    for (const Point3& p : values) {
      for (int c = 0; c < 3; ++c) {
        lo[c] = std::min(lo[c], double(p[c]));
        hi[c] = std::max(hi[c], double(p[c]));
      }
    }
    if (values.empty()) lo = hi = {0.0, 0.0, 0.0};
  }
  static_assert(sizeof(Point3) == 3 * sizeof(float), "Point3 is three packed floats");
  int view = AddBufferView(model, values.data(), values.size() * sizeof(Point3), TINYGLTF_TARGET_ARRAY_BUFFER);
  return AddAccessor(model, view, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3, values.size(), lo, hi);
}

int AddVec2Attribute(tinygltf::Model& model, const std::vector<std::array<float, 2>>& values) {
  int view = AddBufferView(model, values.data(), values.size() * sizeof(values[0]), TINYGLTF_TARGET_ARRAY_BUFFER);
  return AddAccessor(model, view, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC2, values.size());
}

int AddIndices(tinygltf::Model& model, const std::vector<std::uint32_t>& triangles) {
  int view = AddBufferView(model, triangles.data(), triangles.size() * sizeof(std::uint32_t),
                           TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
  return AddAccessor(model, view, TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT, TINYGLTF_TYPE_SCALAR, triangles.size());
}

int AddTimes(tinygltf::Model& model, const std::vector<float>& seconds) {
  int view = AddBufferView(model, seconds.data(), seconds.size() * sizeof(float), 0);
  return AddAccessor(model, view, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_SCALAR, seconds.size(),
                     {double(seconds.front())}, {double(seconds.back())});
}

namespace {

// The texture's image in the file's one buffer, with a sampler of its own; the texture's index.
int AddSurfaceTexture(tinygltf::Model& model, const SurfaceTexture& from) {
  tinygltf::Image image;
  image.mimeType = from.mimeType;
  image.bufferView = AddBufferView(model, from.bytes.data(), from.bytes.size(), 0);
  model.images.push_back(std::move(image));
  tinygltf::Sampler sampler;
  sampler.magFilter = from.magFilter;
  sampler.minFilter = from.minFilter;
  sampler.wrapS = from.wrapS;
  sampler.wrapT = from.wrapT;
  model.samplers.push_back(sampler);
  tinygltf::Texture texture;
  texture.source = static_cast<int>(model.images.size()) - 1;
  texture.sampler = static_cast<int>(model.samplers.size()) - 1;
  model.textures.push_back(texture);
  return static_cast<int>(model.textures.size()) - 1;
}

}  // namespace

int AddSurfaceMaterial(tinygltf::Model& model, const MeshSurface& surface) {
  if (!surface.material) return -1;
  const SurfaceMaterial& from = *surface.material;
  tinygltf::Material m;
  m.name = from.name;
  m.pbrMetallicRoughness.baseColorFactor.assign(from.baseColor.begin(), from.baseColor.end());
  m.pbrMetallicRoughness.metallicFactor = from.metallic;
  m.pbrMetallicRoughness.roughnessFactor = from.roughness;
  m.emissiveFactor.assign(from.emissive.begin(), from.emissive.end());
  m.alphaMode = !from.alphaMode.empty() ? from.alphaMode : from.baseColor[3] < 1.0f ? "BLEND" : "OPAQUE";
  if (m.alphaMode == "MASK") m.alphaCutoff = from.alphaCutoff;
  m.doubleSided = from.doubleSided;
  // Only a mesh that carries texture coordinates can show a texture.
  if (from.baseColorTexture && !surface.uvs.empty())
    m.pbrMetallicRoughness.baseColorTexture.index = AddSurfaceTexture(model, *from.baseColorTexture);
  model.materials.push_back(m);
  return static_cast<int>(model.materials.size()) - 1;
}

std::vector<std::array<float, 2>> GltfTexCoords(const MeshSurface& surface, std::size_t vertexCount) {
  if (surface.uvs.size() != vertexCount || vertexCount == 0) return {};
  std::vector<std::array<float, 2>> out(surface.uvs.size());
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = {surface.uvs[i][0], 1.0f - surface.uvs[i][1]};
  return out;
}

std::vector<Point3> VertexNormals(const std::vector<Point3>& positions, const std::vector<std::uint32_t>& triangles) {
  std::vector<double> sum(positions.size() * 3, 0.0);
  for (std::size_t t = 0; t + 2 < triangles.size(); t += 3) {
    const std::uint32_t a = triangles[t], b = triangles[t + 1], c = triangles[t + 2];
    if (a >= positions.size() || b >= positions.size() || c >= positions.size()) continue;
    const Point3 u = positions[b] - positions[a], v = positions[c] - positions[a];
    // The cross product's length is twice the triangle's area: larger faces count more.
    const double n[3] = {double(u.y) * v.z - double(u.z) * v.y, double(u.z) * v.x - double(u.x) * v.z,
                         double(u.x) * v.y - double(u.y) * v.x};
    for (std::uint32_t i : {a, b, c})
      for (int k = 0; k < 3; ++k) sum[i * 3 + k] += n[k];
  }
  std::vector<Point3> out(positions.size(), Point3(0.0f, 1.0f, 0.0f));
  for (std::size_t i = 0; i < positions.size(); ++i) {
    const double* n = &sum[i * 3];
    const double len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (len > 0.0 && std::isfinite(len)) out[i] = Point3(n[0] / len, n[1] / len, n[2] / len);
  }
  return out;
}

bool WriteGlbModel(const tinygltf::Model& model, const std::filesystem::path& path, std::string* error) {
  // Written whole or not at all: an older file stays until the new one is complete.
  std::string why;
  const bool written = WriteStreamAtomically(
      path.string(),
      [&](std::ostream& out, std::string& failure) {
        tinygltf::TinyGLTF gltf;
        if (gltf.WriteGltfSceneToStream(&model, out, false, true)) return true;
        failure = "the glTF model could not be serialised";
        return false;
      },
      why);
  if (!written && error) *error = why;  // names the file and the system's reason
  return written;
}
