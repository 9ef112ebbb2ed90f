#include "cli/scene/skinned_glb_model.h"

#include "cli/scene/gltf_buffers.h"

namespace {

bool SameKeys(const std::vector<Trs>& keys, auto member) {
  for (const Trs& k : keys)
    if (k.*member != keys[0].*member) return false;
  return true;
}

void SetRest(tinygltf::Node& node, const Trs& rest) {
  if (rest.translation != std::array<float, 3>{0, 0, 0}) node.translation.assign(rest.translation.begin(), rest.translation.end());
  if (rest.rotation != std::array<float, 4>{0, 0, 0, 1}) node.rotation.assign(rest.rotation.begin(), rest.rotation.end());
  if (rest.scale != std::array<float, 3>{1, 1, 1}) node.scale.assign(rest.scale.begin(), rest.scale.end());
}

// One channel of a node: the member of every key, flattened.
template <std::size_t N>
void AddChannel(tinygltf::Model& model, int times, int node, const char* path, const std::vector<std::array<float, N>>& values) {
  std::vector<float> flat;
  flat.reserve(values.size() * N);
  for (const auto& v : values) flat.insert(flat.end(), v.begin(), v.end());
  const int view = AddBufferView(model, flat.data(), flat.size() * sizeof(float), 0);
  tinygltf::AnimationSampler sampler;
  sampler.input = times;
  sampler.output = AddAccessor(model, view, TINYGLTF_COMPONENT_TYPE_FLOAT, N == 4 ? TINYGLTF_TYPE_VEC4 : TINYGLTF_TYPE_VEC3,
                               values.size());
  sampler.interpolation = "LINEAR";
  tinygltf::Animation& animation = model.animations[0];
  animation.samplers.push_back(sampler);
  tinygltf::AnimationChannel channel;
  channel.sampler = static_cast<int>(animation.samplers.size()) - 1;
  channel.target_node = node;
  channel.target_path = path;
  animation.channels.push_back(channel);
}

void AddNodeChannels(tinygltf::Model& model, int times, int node, const std::vector<Trs>& keys) {
  if (keys.size() < 2) return;
  if (!SameKeys(keys, &Trs::translation)) {
    std::vector<std::array<float, 3>> v;
    for (const Trs& k : keys) v.push_back(k.translation);
    AddChannel(model, times, node, "translation", v);
  }
  if (!SameKeys(keys, &Trs::rotation)) {
    // Neighbouring keys on the same side of the quaternion sphere: the short way round.
    std::vector<std::array<float, 4>> v;
    for (const Trs& k : keys) {
      std::array<float, 4> q = k.rotation;
      if (!v.empty()) {
        const auto& p = v.back();
        if (p[0] * q[0] + p[1] * q[1] + p[2] * q[2] + p[3] * q[3] < 0.0f)
          for (float& c : q) c = -c;
      }
      v.push_back(q);
    }
    AddChannel(model, times, node, "rotation", v);
  }
  if (!SameKeys(keys, &Trs::scale)) {
    std::vector<std::array<float, 3>> v;
    for (const Trs& k : keys) v.push_back(k.scale);
    AddChannel(model, times, node, "scale", v);
  }
}

// JOINTS_n as bytes when every joint number fits, else as shorts; slots [4n, 4n + 4) of each vertex.
int AddJoints(tinygltf::Model& model, const SkinInfluences& inf, int set, std::size_t jointCount) {
  const std::size_t vertices = inf.width ? inf.joints.size() / inf.width : 0;
  if (jointCount <= 256) {
    std::vector<std::uint8_t> out(vertices * 4);
    for (std::size_t v = 0; v < vertices; ++v)
      for (int k = 0; k < 4; ++k) out[v * 4 + k] = static_cast<std::uint8_t>(inf.joints[v * inf.width + set * 4 + k]);
    const int view = AddBufferView(model, out.data(), out.size(), TINYGLTF_TARGET_ARRAY_BUFFER);
    return AddAccessor(model, view, TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE, TINYGLTF_TYPE_VEC4, vertices);
  }
  std::vector<std::uint16_t> out(vertices * 4);
  for (std::size_t v = 0; v < vertices; ++v)
    for (int k = 0; k < 4; ++k) out[v * 4 + k] = inf.joints[v * inf.width + set * 4 + k];
  const int view = AddBufferView(model, out.data(), out.size() * sizeof(std::uint16_t), TINYGLTF_TARGET_ARRAY_BUFFER);
  return AddAccessor(model, view, TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT, TINYGLTF_TYPE_VEC4, vertices);
}

int AddWeights(tinygltf::Model& model, const SkinInfluences& inf, int set) {
  const std::size_t vertices = inf.width ? inf.weights.size() / inf.width : 0;
  std::vector<float> out(vertices * 4);
  for (std::size_t v = 0; v < vertices; ++v)
    for (int k = 0; k < 4; ++k) out[v * 4 + k] = inf.weights[v * inf.width + set * 4 + k];
  const int view = AddBufferView(model, out.data(), out.size() * sizeof(float), TINYGLTF_TARGET_ARRAY_BUFFER);
  return AddAccessor(model, view, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC4, vertices);
}

void AddMesh(tinygltf::Model& model, const SkinnedGlbMesh& mesh) {
  tinygltf::Primitive prim;
  prim.mode = TINYGLTF_MODE_TRIANGLES;
  prim.attributes["POSITION"] = AddVec3Attribute(model, mesh.positions, true);
  prim.attributes["NORMAL"] = AddVec3Attribute(model, VertexNormals(mesh.positions, mesh.triangles), false);
  if (auto uvs = GltfTexCoords(mesh.surface, mesh.positions.size()); !uvs.empty())
    prim.attributes["TEXCOORD_0"] = AddVec2Attribute(model, uvs);
  if (mesh.colors.size() == mesh.positions.size()) prim.attributes["COLOR_0"] = AddVec3Attribute(model, mesh.colors, false);
  for (int set = 0; !mesh.joints.empty() && set * 4 < mesh.influences.width; ++set) {
    prim.attributes["JOINTS_" + std::to_string(set)] = AddJoints(model, mesh.influences, set, mesh.joints.size());
    prim.attributes["WEIGHTS_" + std::to_string(set)] = AddWeights(model, mesh.influences, set);
  }
  prim.indices = AddIndices(model, mesh.triangles);
  prim.material = AddSurfaceMaterial(model, mesh.surface);

  tinygltf::Mesh m;
  m.name = mesh.name;
  m.primitives.push_back(prim);
  model.meshes.push_back(m);
  if (mesh.joints.empty()) {
    model.nodes.at(mesh.node).mesh = static_cast<int>(model.meshes.size()) - 1;
    return;
  }

  std::vector<float> matrices;
  for (const Affine& ibm : mesh.inverseBind) {
    const auto cm = ibm.ColumnMajor();
    matrices.insert(matrices.end(), cm.begin(), cm.end());
  }
  const int view = AddBufferView(model, matrices.data(), matrices.size() * sizeof(float), 0);
  tinygltf::Skin skin;
  skin.name = mesh.name;
  skin.joints = mesh.joints;
  skin.skeleton = mesh.skeleton;
  skin.inverseBindMatrices =
      AddAccessor(model, view, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_MAT4, mesh.inverseBind.size());
  model.skins.push_back(skin);

  tinygltf::Node node;
  node.name = mesh.name;
  node.mesh = static_cast<int>(model.meshes.size()) - 1;
  node.skin = static_cast<int>(model.skins.size()) - 1;
  model.nodes.push_back(node);
  model.scenes[0].nodes.push_back(static_cast<int>(model.nodes.size()) - 1);
}

}  // namespace

tinygltf::Model BuildSkinnedGlbModel(const SkinnedGlbScene& scene, const std::string& generator) {
  tinygltf::Model model = NewGlbModel(generator);
  for (std::size_t i = 0; i < scene.nodes.size(); ++i) {
    const SkinnedGlbNode& from = scene.nodes[i];
    tinygltf::Node node;
    node.name = from.name;
    if (!from.keys.empty()) SetRest(node, from.keys[0]);
    model.nodes.push_back(node);
    if (from.parent < 0) model.scenes[0].nodes.push_back(static_cast<int>(i));
    else model.nodes[from.parent].children.push_back(static_cast<int>(i));
  }
  model.animations.resize(1);
  model.animations[0].name = scene.animationName;
  if (scene.times.size() > 1) {
    const std::size_t bufferBefore = model.buffers[0].data.size();
    const int times = AddTimes(model, scene.times);
    for (std::size_t i = 0; i < scene.nodes.size(); ++i)
      AddNodeChannels(model, times, static_cast<int>(i), scene.nodes[i].keys);
    // Nothing moves: the time accessor would be left unused.
    if (model.animations[0].channels.empty()) {
      model.accessors.pop_back();
      model.bufferViews.pop_back();
      model.buffers[0].data.resize(bufferBefore);
    }
  }
  if (model.animations[0].channels.empty()) model.animations.clear();
  for (const SkinnedGlbMesh& mesh : scene.meshes) AddMesh(model, mesh);
  return model;
}

bool WriteSkinnedGlb(const std::filesystem::path& path, const SkinnedGlbScene& scene, const std::string& generator,
                     std::string* error) {
  return WriteGlbModel(BuildSkinnedGlbModel(scene, generator), path, error);
}
