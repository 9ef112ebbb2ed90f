#include "cli/scene/gltf_mesh_import.h"

#include <tiny_gltf.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "cli/scene/gltf_accessor.h"
#include "cli/scene/gltf_axes.h"
#include "cli/scene/gltf_scene_classes.h"
#include "cli/scene/scene_error.h"

namespace {

constexpr std::size_t kMaxVertices = 50'000'000;
// A joint helper's box: its bone's thickness on every side, as a share of the bone's length.
constexpr float kJointThickness = 0.2f;
// A joint with neither child nor parent joint: a cube of this share of the skinned meshes' size.
constexpr float kLoneJointSize = 0.05f;

const char* ModeName(int mode) {
  switch (mode) {
    case TINYGLTF_MODE_POINTS: return "points";
    case TINYGLTF_MODE_LINE: return "lines";
    case TINYGLTF_MODE_LINE_LOOP: return "a line loop";
    case TINYGLTF_MODE_LINE_STRIP: return "a line strip";
    case TINYGLTF_MODE_TRIANGLE_STRIP: return "a triangle strip";
    case TINYGLTF_MODE_TRIANGLE_FAN: return "a triangle fan";
    default: return "an unknown mode";
  }
}

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

// The image's type from its first bytes (an image read from a URI may not say), or empty when it
// is neither of the two kinds a glTF file may hold.
std::string ImageMimeType(const tinygltf::Image& image) {
  const auto& b = image.image;
  if (b.size() >= 8 && b[0] == 0x89 && b[1] == 'P' && b[2] == 'N' && b[3] == 'G') return "image/png";
  if (b.size() >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF) return "image/jpeg";
  return {};
}

}  // namespace

GltfMeshImport::GltfMeshImport(const tinygltf::Model& model, const std::string& file, const GltfImportOptions& options)
    : model_(model), file_(file), options_(options), parent_(model.nodes.size(), -1) {
  for (std::size_t i = 0; i < model.nodes.size(); ++i)
    for (int child : model.nodes[i].children) parent_[child] = int(i);  // checked by the caller
}

void GltfMeshImport::Fail(const std::string& place, const std::string& what) const {
  throw SceneParseError({file_, place, what});
}

const GltfMeshImport::Skin& GltfMeshImport::ReadSkin(int index, int node) {
  if (auto it = skins_.find(index); it != skins_.end()) return it->second;
  const std::string place = "/skins/" + std::to_string(index);
  if (index < 0 || std::size_t(index) >= model_.skins.size())
    Fail("/nodes/" + std::to_string(node) + "/skin", "names skin " + std::to_string(index) + ", which the file does not have");
  const tinygltf::Skin& s = model_.skins[index];
  if (s.joints.empty()) Fail(place + "/joints", "a skin needs at least one joint");
  Skin skin;
  std::set<int> seen;
  for (int j : s.joints) {
    if (j < 0 || std::size_t(j) >= model_.nodes.size())
      Fail(place + "/joints", "names node " + std::to_string(j) + ", which the file does not have");
    if (!seen.insert(j).second) Fail(place + "/joints", "lists node " + std::to_string(j) + " twice");
    skin.joints.push_back(j);
  }
  std::vector<double> matrices(16 * s.joints.size(), 0.0);
  for (std::size_t j = 0; j < s.joints.size(); ++j)
    for (int d = 0; d < 4; ++d) matrices[j * 16 + d * 5] = 1.0;
  if (s.inverseBindMatrices >= 0) {
    AccessorData ibm;
    std::string why;
    if (!ReadAccessor(model_, s.inverseBindMatrices, ibm, why)) Fail(place + "/inverseBindMatrices", why);
    if (ibm.components != 16) Fail(place + "/inverseBindMatrices", "must be 4x4 matrices");
    if (ibm.count < s.joints.size())
      Fail(place + "/inverseBindMatrices", "holds " + std::to_string(ibm.count) + " matrices for " +
                                               std::to_string(s.joints.size()) + " joints");
    if (!AllFinite(ibm)) Fail(place + "/inverseBindMatrices", "has a value that is not a finite number");
    std::copy(ibm.values.begin(), ibm.values.begin() + matrices.size(), matrices.begin());
  }
  for (std::size_t j = 0; j < s.joints.size(); ++j) {
    const Matrix3 inverseBind = HostMatrix(&matrices[j * 16]);
    const float det = inverseBind.Determinant();
    if (!(std::fabs(det) > 1e-30f) || !std::isfinite(det))
      Fail(place + "/inverseBindMatrices", "the matrix of joint " + std::to_string(j) + " cannot be inverted");
    skin.bindWorld.push_back(Inverse(inverseBind));
  }
  usedSkins_.push_back(index);
  return skins_.emplace(index, std::move(skin)).first->second;
}

void GltfMeshImport::ReadInfluences(const tinygltf::Model& model, int mesh, int primitive, const Skin& skin,
                                    int skinIndex, std::size_t vertexCount, Primitive& out) const {
  const tinygltf::Primitive& p = model.meshes[mesh].primitives[primitive];
  const std::string place = "/meshes/" + std::to_string(mesh) + "/primitives/" + std::to_string(primitive) + "/attributes";
  const std::size_t jointCount = skin.joints.size();
  const bool fromFile = options_.weights == GltfWeights::File;
  if (fromFile) {
    out.codes.assign(jointCount, std::vector<std::uint8_t>(vertexCount, 0x00));
    out.forcedWeights.assign(jointCount, std::vector<float>(vertexCount, 0.0f));
  }
  int sets = 0;
  for (int set = 0; set < 2; ++set) {
    // Appended piece by piece: g++ 12 at -O3 misreads "_" + to_string as overlapping copies.
    std::string suffix = "_";
    suffix += std::to_string(set);
    auto j = p.attributes.find("JOINTS" + suffix);
    auto w = p.attributes.find("WEIGHTS" + suffix);
    if (j == p.attributes.end() && w == p.attributes.end()) continue;
    if (j == p.attributes.end() || w == p.attributes.end())
      Fail(place, std::string("has ") + (j == p.attributes.end() ? "WEIGHTS" : "JOINTS") + suffix + " without " +
                      (j == p.attributes.end() ? "JOINTS" : "WEIGHTS") + suffix);
    AccessorData joints, weights;
    std::string why;
    if (!ReadAccessor(model, j->second, joints, why)) Fail(place + "/JOINTS" + suffix, why);
    if (!ReadAccessor(model, w->second, weights, why)) Fail(place + "/WEIGHTS" + suffix, why);
    if (joints.components != 4 || weights.components != 4)
      Fail(place, "JOINTS" + suffix + " and WEIGHTS" + suffix + " must hold four values per vertex");
    if (joints.count != vertexCount || weights.count != vertexCount)
      Fail(place, "JOINTS" + suffix + " and WEIGHTS" + suffix + " must have one entry per vertex (" +
                      std::to_string(vertexCount) + ")");
    ++sets;
    for (std::size_t v = 0; v < vertexCount; ++v)
      for (int k = 0; k < 4; ++k) {
        const double joint = joints.values[v * 4 + k];
        const double weight = weights.values[v * 4 + k];
        if (joint >= double(jointCount) || joint < 0.0)
          Fail(place + "/JOINTS" + suffix, "vertex " + std::to_string(v) + " names joint " +
                                               std::to_string(std::int64_t(joint)) + ", past the " +
                                               std::to_string(jointCount) + " joints of skin " +
                                               std::to_string(skinIndex));
        if (!std::isfinite(weight) || weight < 0.0)
          Fail(place + "/WEIGHTS" + suffix, "vertex " + std::to_string(v) + " has a weight that is not a number of 0 or more");
        if (!fromFile || weight <= 0.0) continue;
        const std::size_t b = std::size_t(joint);
        out.codes[b][v] = 0xFE;  // a forced weight, so that the file's weights are used as they are
        out.forcedWeights[b][v] += float(weight * 100.0);
      }
  }
  if (fromFile && sets == 0)
    Fail(place, "has no JOINTS_0 and WEIGHTS_0, which --weights-from file needs");
}

GltfMeshImport::Primitive GltfMeshImport::ReadPrimitive(int mesh, int primitive, const Skin* skin, int skinIndex) {
  const tinygltf::Mesh& m = model_.meshes[mesh];
  const tinygltf::Primitive& p = m.primitives[primitive];
  const std::string place = "/meshes/" + std::to_string(mesh) + "/primitives/" + std::to_string(primitive);
  const std::string meshName = "mesh " + (m.name.empty() ? std::to_string(mesh) : Quoted(m.name));
  if (p.mode != TINYGLTF_MODE_TRIANGLES && p.mode != -1)
    Fail(place + "/mode", meshName + " primitive " + std::to_string(primitive) + " is " + ModeName(p.mode) +
                              ", not triangles; only triangle meshes can be read");
  auto position = p.attributes.find("POSITION");
  if (position == p.attributes.end()) Fail(place + "/attributes", meshName + " primitive " + std::to_string(primitive) + " has no POSITION");
  if (p.extensions.count("KHR_draco_mesh_compression") && position->second >= 0 &&
      std::size_t(position->second) < model_.accessors.size() && model_.accessors[position->second].bufferView < 0)
    Fail(place + "/extensions", meshName + " primitive " + std::to_string(primitive) +
                                    " is compressed with KHR_draco_mesh_compression: Draco-compressed meshes cannot be read");
  AccessorData positions;
  std::string why;
  if (!ReadAccessor(model_, position->second, positions, why)) Fail(place + "/attributes/POSITION", why);
  if (positions.components != 3) Fail(place + "/attributes/POSITION", "positions must have three components");
  if (positions.count == 0) Fail(place + "/attributes/POSITION", "a mesh needs at least one vertex");
  if (positions.count > kMaxVertices)
    Fail(place + "/attributes/POSITION", "has " + std::to_string(positions.count) + " vertices, more than the limit of " +
                                             std::to_string(kMaxVertices));
  if (!AllFinite(positions)) Fail(place + "/attributes/POSITION", "has a value that is not a finite number");

  Primitive out;
  const std::size_t n = positions.count;
  out.mesh.vertices.resize(n);
  for (std::size_t v = 0; v < n; ++v) {
    const double* q = &positions.values[v * 3];
    out.mesh.vertices[v] = HostPoint(q[0], q[1], q[2]);
    if (skin) bounds_ += out.mesh.vertices[v];
  }
  std::vector<double> corners;
  if (p.indices >= 0) {
    AccessorData indices;
    if (!ReadAccessor(model_, p.indices, indices, why)) Fail(place + "/indices", why);
    if (indices.components != 1) Fail(place + "/indices", "indices must be scalars");
    const int type = model_.accessors[p.indices].componentType;
    if (type != TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE && type != TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT &&
        type != TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT)
      Fail(place + "/indices", "indices must be unsigned integers");
    corners = std::move(indices.values);
  } else {
    corners.resize(n);
    for (std::size_t v = 0; v < n; ++v) corners[v] = double(v);
  }
  if (corners.size() % 3 != 0)
    Fail(place, meshName + " primitive " + std::to_string(primitive) + " has " + std::to_string(corners.size()) +
                    " corners, not a whole number of triangles");
  out.mesh.ReserveFaces(corners.size() / 3, corners.size());
  for (std::size_t c = 0; c < corners.size(); c += 3) {
    for (int k = 0; k < 3; ++k)
      if (corners[c + k] >= double(n))
        Fail(place + "/indices", "index " + std::to_string(std::uint64_t(corners[c + k])) + " is past the " +
                                     std::to_string(n) + " vertices");
    out.mesh.AddFace({int(corners[c]), int(corners[c + 1]), int(corners[c + 2])});
  }
  ReadSurface(mesh, primitive, n, out.surface);
  if (skin) ReadInfluences(model_, mesh, primitive, *skin, skinIndex, n, out);
  return out;
}

void GltfMeshImport::ReadSurface(int mesh, int primitive, std::size_t vertexCount, MeshSurface& out) const {
  const tinygltf::Primitive& p = model_.meshes[mesh].primitives[primitive];
  const std::string place = "/meshes/" + std::to_string(mesh) + "/primitives/" + std::to_string(primitive);
  if (auto uv = p.attributes.find("TEXCOORD_0"); uv != p.attributes.end()) {
    AccessorData coords;
    std::string why;
    if (!ReadAccessor(model_, uv->second, coords, why)) Fail(place + "/attributes/TEXCOORD_0", why);
    if (coords.components != 2) Fail(place + "/attributes/TEXCOORD_0", "texture coordinates must have two components");
    if (coords.count != vertexCount)
      Fail(place + "/attributes/TEXCOORD_0", "must have one entry per vertex (" + std::to_string(vertexCount) + ")");
    if (!AllFinite(coords)) Fail(place + "/attributes/TEXCOORD_0", "has a value that is not a finite number");
    out.uvs.resize(vertexCount);
    // Kept v up, as OBJ holds them; the writers turn them back to glTF's downward v.
    for (std::size_t v = 0; v < vertexCount; ++v)
      out.uvs[v] = {float(coords.values[v * 2]), float(1.0 - coords.values[v * 2 + 1])};
  }
  if (p.material < 0) return;
  if (std::size_t(p.material) >= model_.materials.size())
    Fail(place + "/material", "names material " + std::to_string(p.material) + ", which the file does not have");
  const tinygltf::Material& from = model_.materials[p.material];
  const std::string materialPlace = "/materials/" + std::to_string(p.material);
  SurfaceMaterial m;
  m.name = from.name;
  const auto& pbr = from.pbrMetallicRoughness;
  auto finite = [&](double x, const std::string& what) {
    if (!std::isfinite(x)) Fail(materialPlace + what, "is not a finite number");
    return float(x);
  };
  if (pbr.baseColorFactor.size() == 4)
    for (int c = 0; c < 4; ++c) m.baseColor[c] = finite(pbr.baseColorFactor[c], "/pbrMetallicRoughness/baseColorFactor");
  m.metallic = finite(pbr.metallicFactor, "/pbrMetallicRoughness/metallicFactor");
  m.roughness = finite(pbr.roughnessFactor, "/pbrMetallicRoughness/roughnessFactor");
  if (from.emissiveFactor.size() == 3)
    for (int c = 0; c < 3; ++c) m.emissive[c] = finite(from.emissiveFactor[c], "/emissiveFactor");
  m.alphaMode = from.alphaMode == "MASK" || from.alphaMode == "BLEND" ? from.alphaMode : "OPAQUE";
  m.alphaCutoff = finite(from.alphaCutoff, "/alphaCutoff");
  m.doubleSided = from.doubleSided;
  // The base colour texture comes along when it reads the coordinates that are carried, and its
  // image is one a glTF file may hold; other textures are left behind (docs/gltf.md).
  const int texture = pbr.baseColorTexture.index;
  if (texture >= 0 && pbr.baseColorTexture.texCoord == 0 && !out.uvs.empty() &&
      std::size_t(texture) < model_.textures.size()) {
    const tinygltf::Texture& t = model_.textures[texture];
    if (t.source >= 0 && std::size_t(t.source) < model_.images.size()) {
      const tinygltf::Image& image = model_.images[t.source];
      SurfaceTexture kept;
      kept.mimeType = ImageMimeType(image);
      kept.bytes = image.image;
      if (t.sampler >= 0 && std::size_t(t.sampler) < model_.samplers.size()) {
        const tinygltf::Sampler& s = model_.samplers[t.sampler];
        kept.magFilter = s.magFilter;
        kept.minFilter = s.minFilter;
        kept.wrapS = s.wrapS;
        kept.wrapT = s.wrapT;
      }
      if (!kept.mimeType.empty() && !kept.bytes.empty()) m.baseColorTexture = std::move(kept);
    }
  }
  out.material = std::move(m);
}

std::string GltfMeshImport::UniqueName(const std::string& base, const std::vector<NodeSpec>& nodes) const {
  auto taken = [&](const std::string& name) {
    return std::any_of(nodes.begin(), nodes.end(), [&](const NodeSpec& s) { return s.name == name; }) ||
           std::any_of(extra_.begin(), extra_.end(), [&](const NodeSpec& s) { return s.name == name; });
  };
  if (!taken(base)) return base;
  for (int k = 1;; ++k)
    if (!taken(base + "." + std::to_string(k))) return base + "." + std::to_string(k);
}

void GltfMeshImport::AddNode(int index, std::vector<NodeSpec>& nodes) {
  const tinygltf::Node& n = model_.nodes[index];
  if (n.mesh < 0) return;
  const std::string place = "/nodes/" + std::to_string(index);
  if (std::size_t(n.mesh) >= model_.meshes.size())
    Fail(place + "/mesh", "names mesh " + std::to_string(n.mesh) + ", which the file does not have");
  const tinygltf::Mesh& mesh = model_.meshes[n.mesh];
  if (mesh.primitives.empty()) Fail("/meshes/" + std::to_string(n.mesh), "a mesh needs at least one primitive");
  const Skin* skin = n.skin >= 0 ? &ReadSkin(n.skin, index) : nullptr;
  if (skin && std::find(skin->joints.begin(), skin->joints.end(), index) != skin->joints.end())
    Fail(place, "node \"" + nodes[index].name + "\" carries a mesh skinned by a skin of which it is a joint");
  for (std::size_t k = 0; k < mesh.primitives.size(); ++k) {
    Primitive prim = ReadPrimitive(n.mesh, int(k), skin, n.skin);
    NodeSpec* target = &nodes[index];
    if (k > 0) {
      NodeSpec extra;
      extra.name = UniqueName(nodes[index].name + ".primitive" + std::to_string(k), nodes);
      extra.parent = nodes[index].name;
      extra.pointer = "/meshes/" + std::to_string(n.mesh) + "/primitives/" + std::to_string(k);
      extra_.push_back(std::move(extra));
      target = &extra_.back();
    }
    const std::size_t vertices = prim.mesh.vertices.size();
    target->object = MakeGltfMesh(std::move(prim.mesh), std::move(prim.surface));
    if (!skin) continue;
    std::vector<GltfSkinBone> bones(skin->joints.size());
    for (std::size_t j = 0; j < bones.size(); ++j) {
      bones[j].node = nodes[skin->joints[j]].name;
      bones[j].bindWorld = skin->bindWorld[j];
      if (!prim.codes.empty()) {
        bones[j].codes = std::move(prim.codes[j]);
        bones[j].forcedWeights = std::move(prim.forcedWeights[j]);
      }
    }
    (void)vertices;
    target->modifiers.push_back(MakeGltfSkin("/skins/" + std::to_string(n.skin) + " on node \"" + target->name + "\"",
                                             std::move(bones), options_.falloff, options_.strength));
  }
}

Box3 GltfMeshImport::JointBox(const Skin& skin, std::size_t joint) const {
  const int node = skin.joints[joint];
  const Matrix3 toLocal = Inverse(skin.bindWorld[joint]);
  // Where another joint of the skin lies in this joint's own axes, in the bind pose.
  auto local = [&](std::size_t other) { return (skin.bindWorld[other] * toLocal).GetTrans(); };
  Box3 box;
  box += Point3(0.0f, 0.0f, 0.0f);
  float length = 0.0f;
  for (std::size_t k = 0; k < skin.joints.size(); ++k) {
    if (parent_[skin.joints[k]] != node) continue;
    const Point3 p = local(k);
    if (p.Length() <= 0.0f) continue;
    box += p;
    length = std::max(length, p.Length());
  }
  if (length <= 0.0f) {
    // A leaf: as long again as the bone that leads to it, straight on.
    auto parent = std::find(skin.joints.begin(), skin.joints.end(), parent_[node]);
    if (parent != skin.joints.end()) {
      const Point3 p = local(std::size_t(parent - skin.joints.begin()));
      length = p.Length();
      box += p * -1.0f;
    }
  }
  if (length <= 0.0f) {
    // Alone: a small cube the size of a share of the skinned meshes.
    const float size = bounds_.IsEmpty() ? 1.0f : Length(bounds_.Width());
    const float half = std::max(size * kLoneJointSize, 1e-3f) * 0.5f;
    const Point3 h(half, half, half);
    return Box3(h * -1.0f, h);
  }
  const float pad = length * kJointThickness;
  box.EnlargeBy(pad);
  return box;
}

void GltfMeshImport::AddJoints(std::vector<NodeSpec>& nodes) {
  for (int s : usedSkins_) {
    const Skin& skin = skins_.at(s);
    for (std::size_t j = 0; j < skin.joints.size(); ++j) {
      NodeSpec& jointNode = nodes[skin.joints[j]];
      if (jointNode.object) continue;  // a mesh, or the helper of an earlier skin
      jointNode.object = MakeGltfJoint(JointBox(skin, j));
    }
  }
}
