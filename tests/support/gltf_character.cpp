#include "support/gltf_character.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <limits>
#include <vector>

#include "support/gltf_math.h"

namespace gltf_character {
namespace {

using namespace gltf_math;

constexpr double kPi = 3.14159265358979323846;

struct Builder {
  tinygltf::Model model;

  Builder() {
    model.asset.version = "2.0";
    model.asset.generator = "tessarin test character";
    model.buffers.resize(1);
  }

  int View(const void* data, std::size_t bytes, int target = 0) {
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
    return int(model.bufferViews.size()) - 1;
  }

  template <class T>
  int Accessor(const std::vector<T>& values, int componentType, int type, std::size_t count, int target = 0,
               bool normalized = false) {
    tinygltf::Accessor a;
    a.bufferView = View(values.data(), values.size() * sizeof(T), target);
    a.componentType = componentType;
    a.type = type;
    a.count = count;
    a.normalized = normalized;
    model.accessors.push_back(a);
    return int(model.accessors.size()) - 1;
  }

  int Floats(const std::vector<float>& values, int type, int components) {
    int a = Accessor(values, TINYGLTF_COMPONENT_TYPE_FLOAT, type, values.size() / components);
    if (type == TINYGLTF_TYPE_SCALAR) {
      auto [lo, hi] = std::minmax_element(values.begin(), values.end());
      model.accessors[a].minValues = {*lo};
      model.accessors[a].maxValues = {*hi};
    }
    return a;
  }
};

// The chain in the bind pose (a T-pose), armature space: each joint's translation from its parent.
struct JointDef {
  const char* name;
  int node;
  int parentNode;  // -1: the armature
  Vec3 bindTranslation;
  Vec4 restRotation;  // the node's own rotation in the file (not the bind pose)
};

Vec4 NoRotation() { return {0, 0, 0, 1}; }

std::vector<JointDef> Joints() {
  return {
      {"Hips", 2, -1, {0, 1.0, 0}, NoRotation()},
      {"Spine", 3, 2, {0, 0.35, 0}, NoRotation()},
      {"Chest", 4, 3, {0, 0.35, 0}, NoRotation()},
      {"Head", 5, 4, {0, 0.3, 0}, NoRotation()},
      {"UpperArm.L", 6, 4, {0.15, 0.2, 0}, AxisAngle({0, 0, 1}, -40)},
      {"Forearm.L", 7, 6, {0.3, 0, 0}, NoRotation()},
      {"UpperArm.R", 8, 4, {-0.15, 0.2, 0}, AxisAngle({0, 0, 1}, 40)},
      {"Forearm.R", 9, 8, {-0.3, 0, 0}, NoRotation()},
  };
}

const Vec3 kArmatureTranslation{0.5, 0.0, -0.25};
const double kArmatureDegrees = 25.0;  // about +Y
const double kArmatureScale = 0.8;

Mat4 ArmatureRest() {
  return Compose(kArmatureTranslation, AxisAngle({0, 1, 0}, kArmatureDegrees),
                 {kArmatureScale, kArmatureScale, kArmatureScale});
}

// A tube's vertex: where, and which joints (node indices) weigh it how much.
struct SkinVertex {
  Vec3 position;
  std::vector<std::pair<int, double>> weights;
};

// Owner of a point at parameter s along a chain of boundaries: between joints[i] and
// joints[i + 1] lies boundaries[i]; inside a band of half-width band around a boundary the two
// joints blend linearly.
std::vector<std::pair<int, double>> ChainWeights(double s, const std::vector<int>& joints,
                                                 const std::vector<double>& boundaries, double band) {
  for (std::size_t i = 0; i < boundaries.size(); ++i) {
    const double b = boundaries[i];
    if (s < b - band) return {{joints[i], 1.0}};
    if (s <= b + band) {
      const double t = (s - (b - band)) / (2 * band);
      return {{joints[i], 1.0 - t}, {joints[i + 1], t}};
    }
  }
  return {{joints.back(), 1.0}};
}

struct Tube {
  Vec3 from, to;
  double radius;
  Vec3 side1, side2;  // unit vectors across the tube
  std::vector<int> joints;
  std::vector<double> boundaries;  // along the axis, measured from `from`
};

void AddTube(const Tube& tube, const Options& o, std::vector<SkinVertex>& vertices, std::vector<std::uint32_t>& tris) {
  Vec3 axis{tube.to[0] - tube.from[0], tube.to[1] - tube.from[1], tube.to[2] - tube.from[2]};
  const double length = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
  const int rings = std::max(2, int(std::lround(length / o.ringSpacing)) + 1);
  const int segs = std::max(3, o.ringSegments);
  const std::uint32_t first = std::uint32_t(vertices.size());
  for (int r = 0; r < rings; ++r) {
    const double s = length * r / (rings - 1);
    for (int k = 0; k < segs; ++k) {
      const double a = 2 * kPi * k / segs;
      SkinVertex v;
      for (int c = 0; c < 3; ++c)
        v.position[c] = tube.from[c] + axis[c] * (s / length) +
                        tube.radius * (std::cos(a) * tube.side1[c] + std::sin(a) * tube.side2[c]);
      v.weights = ChainWeights(s, tube.joints, tube.boundaries, 0.07);
      vertices.push_back(v);
    }
  }
  for (int r = 0; r + 1 < rings; ++r)
    for (int k = 0; k < segs; ++k) {
      const std::uint32_t a = first + r * segs + k, b = first + r * segs + (k + 1) % segs;
      const std::uint32_t c = a + segs, d = b + segs;
      tris.insert(tris.end(), {a, b, d, a, d, c});
    }
}

std::vector<Tube> Tubes() {
  // Armature space, bind pose. Node indices of the joints as in Joints().
  return {
      {{0, 0.9, 0}, {0, 2.15, 0}, 0.16, {1, 0, 0}, {0, 0, 1}, {2, 3, 4, 5}, {0.45, 0.8, 1.1}},
      {{0.08, 1.9, 0}, {0.8, 1.9, 0}, 0.06, {0, 1, 0}, {0, 0, 1}, {4, 6, 7}, {0.07, 0.37}},
      {{-0.08, 1.9, 0}, {-0.8, 1.9, 0}, 0.06, {0, 0, 1}, {0, 1, 0}, {4, 8, 9}, {0.07, 0.37}},
  };
}

// Every vertex's influences spread over 6 joints (2 real ones and 4 light ones).
void SpreadWeights(std::vector<SkinVertex>& vertices) {
  for (SkinVertex& v : vertices) {
    std::vector<std::pair<int, double>> w;
    for (auto& [joint, weight] : v.weights) w.emplace_back(joint, weight * 0.92);
    for (int node = 2; node <= 9 && w.size() < 6; ++node) {
      bool used = false;
      for (auto& e : w) used = used || e.first == node;
      if (!used) w.emplace_back(node, 0.0);
    }
    const double spare = 1.0 - 0.92 * [&] {
      double s = 0;
      for (auto& e : v.weights) s += e.second;
      return s;
    }();
    const std::size_t light = w.size() - v.weights.size();
    for (std::size_t i = v.weights.size(); i < w.size(); ++i) w[i].second = spare / double(light);
    v.weights = w;
  }
}

// Slot s of every vertex's joint list (0 to 7), as joint indices of the skin and weights.
void Influences(const std::vector<SkinVertex>& vertices, int set, std::vector<int>& joints, std::vector<double>& weights) {
  std::vector<int> skinIndex(11, -1);
  for (int j = 0; j < kJointCount; ++j) skinIndex[kJointNodes[j]] = j;
  joints.assign(vertices.size() * 4, 0);
  weights.assign(vertices.size() * 4, 0.0);
  for (std::size_t v = 0; v < vertices.size(); ++v)
    for (int k = 0; k < 4; ++k) {
      const std::size_t slot = std::size_t(set * 4 + k);
      if (slot >= vertices[v].weights.size()) continue;
      joints[v * 4 + k] = skinIndex[vertices[v].weights[slot].first];
      weights[v * 4 + k] = vertices[v].weights[slot].second;
    }
}

// Normalised unsigned bytes whose row (across both sets) sums to exactly 255.
void Quantize(std::vector<double>& w0, std::vector<double>& w1, bool two) {
  const std::size_t n = w0.size() / 4;
  for (std::size_t v = 0; v < n; ++v) {
    double* slots[8];
    for (int k = 0; k < 4; ++k) {
      slots[k] = &w0[v * 4 + k];
      slots[4 + k] = two ? &w1[v * 4 + k] : nullptr;
    }
    int sum = 0, largest = 0;
    for (int k = 0; k < 8; ++k) {
      if (!slots[k]) continue;
      *slots[k] = std::round(*slots[k] * 255.0);
      sum += int(*slots[k]);
      if (*slots[k] > *slots[largest]) largest = k;
    }
    *slots[largest] += 255 - sum;
    for (int k = 0; k < 8; ++k)
      if (slots[k]) *slots[k] /= 255.0;
  }
}

void AddInfluenceSet(Builder& b, tinygltf::Primitive& prim, const std::vector<int>& joints,
                     const std::vector<double>& weights, int set, const Options& o) {
  const std::size_t n = joints.size() / 4;
  const std::string suffix = "_" + std::to_string(set);
  if (o.shortJoints) {
    std::vector<std::uint16_t> j(joints.begin(), joints.end());
    prim.attributes["JOINTS" + suffix] =
        b.Accessor(j, TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT, TINYGLTF_TYPE_VEC4, n, TINYGLTF_TARGET_ARRAY_BUFFER);
  } else {
    std::vector<std::uint8_t> j(joints.begin(), joints.end());
    prim.attributes["JOINTS" + suffix] =
        b.Accessor(j, TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE, TINYGLTF_TYPE_VEC4, n, TINYGLTF_TARGET_ARRAY_BUFFER);
  }
  if (o.quantizedWeights) {
    std::vector<std::uint8_t> w(weights.size());
    for (std::size_t i = 0; i < w.size(); ++i) w[i] = std::uint8_t(std::lround(weights[i] * 255.0));
    prim.attributes["WEIGHTS" + suffix] = b.Accessor(w, TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE, TINYGLTF_TYPE_VEC4, n,
                                                     TINYGLTF_TARGET_ARRAY_BUFFER, true);
  } else {
    std::vector<float> w(weights.begin(), weights.end());
    prim.attributes["WEIGHTS" + suffix] =
        b.Accessor(w, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC4, n, TINYGLTF_TARGET_ARRAY_BUFFER);
  }
}

int AddPositions(Builder& b, const std::vector<Vec3>& points, const Options& o) {
  std::vector<float> flat;
  std::vector<double> lo(3, std::numeric_limits<double>::max()), hi(3, std::numeric_limits<double>::lowest());
  for (const Vec3& p : points)
    for (int c = 0; c < 3; ++c) {
      flat.push_back(float(p[c]));
      lo[c] = std::min(lo[c], double(float(p[c])));
      hi[c] = std::max(hi[c], double(float(p[c])));
    }
  const std::size_t substituted = o.sparsePositions ? std::min<std::size_t>(5, points.size()) : 0;
  std::vector<float> base = flat;
  // The base data is wrong for the substituted vertices: only a reader that applies the sparse
  // part gets them right.
  std::fill(base.begin(), base.begin() + substituted * 3, 0.0f);
  int a = b.Accessor(base, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3, points.size(), TINYGLTF_TARGET_ARRAY_BUFFER);
  b.model.accessors[a].minValues = lo;
  b.model.accessors[a].maxValues = hi;
  if (substituted > 0) {
    std::vector<std::uint16_t> indices;
    for (std::size_t i = 0; i < substituted; ++i) indices.push_back(std::uint16_t(i));
    std::vector<float> values(flat.begin(), flat.begin() + substituted * 3);
    auto& sparse = b.model.accessors[a].sparse;
    sparse.isSparse = true;
    sparse.count = int(substituted);
    sparse.indices.bufferView = b.View(indices.data(), indices.size() * sizeof(std::uint16_t));
    sparse.indices.byteOffset = 0;
    sparse.indices.componentType = TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT;
    sparse.values.bufferView = b.View(values.data(), values.size() * sizeof(float));
    sparse.values.byteOffset = 0;
  }
  return a;
}

void AddBody(Builder& b, const Options& o) {
  std::vector<SkinVertex> vertices;
  std::vector<std::uint32_t> tris;
  for (const Tube& t : Tubes()) AddTube(t, o, vertices, tris);
  if (o.eightInfluences) SpreadWeights(vertices);

  // The mesh is given where the bind pose puts it: armature space carried by the armature.
  const Mat4 armature = ArmatureRest();
  std::vector<Vec3> points;
  for (const SkinVertex& v : vertices) points.push_back(TransformPoint(armature, v.position));

  tinygltf::Primitive prim;
  prim.mode = TINYGLTF_MODE_TRIANGLES;
  prim.attributes["POSITION"] = AddPositions(b, points, o);
  if (vertices.size() < 65536) {
    std::vector<std::uint16_t> idx(tris.begin(), tris.end());
    prim.indices = b.Accessor(idx, TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT, TINYGLTF_TYPE_SCALAR, idx.size(),
                              TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
  } else {
    prim.indices = b.Accessor(tris, TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT, TINYGLTF_TYPE_SCALAR, tris.size(),
                              TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
  }
  std::vector<int> j0, j1;
  std::vector<double> w0, w1;
  Influences(vertices, 0, j0, w0);
  Influences(vertices, 1, j1, w1);
  if (o.quantizedWeights) Quantize(w0, w1, o.eightInfluences);
  AddInfluenceSet(b, prim, j0, w0, 0, o);
  if (o.eightInfluences) AddInfluenceSet(b, prim, j1, w1, 1, o);

  tinygltf::Mesh mesh;
  mesh.name = "BodyMesh";
  mesh.primitives.push_back(prim);
  b.model.meshes.push_back(mesh);
}

void AddHat(Builder& b) {
  std::vector<float> p;
  for (int i = 0; i < 8; ++i) p.insert(p.end(), {i & 1 ? 0.1f : -0.1f, i & 2 ? 0.1f : 0.0f, i & 4 ? 0.1f : -0.1f});
  std::vector<std::uint8_t> idx = {0, 2, 1, 1, 2, 3, 4, 5, 6, 5, 7, 6, 0, 1, 4, 1, 5, 4,
                                   2, 6, 3, 3, 6, 7, 0, 4, 2, 2, 4, 6, 1, 3, 5, 3, 7, 5};
  tinygltf::Primitive prim;
  prim.mode = TINYGLTF_MODE_TRIANGLES;
  int pos = b.Accessor(p, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3, 8, TINYGLTF_TARGET_ARRAY_BUFFER);
  b.model.accessors[pos].minValues = {-0.1, 0.0, -0.1};
  b.model.accessors[pos].maxValues = {0.1, 0.1, 0.1};
  prim.attributes["POSITION"] = pos;
  prim.indices = b.Accessor(idx, TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE, TINYGLTF_TYPE_SCALAR, idx.size(),
                            TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
  tinygltf::Mesh mesh;
  mesh.name = "HatMesh";
  mesh.primitives.push_back(prim);
  b.model.meshes.push_back(mesh);
}

void AddNodes(Builder& b) {
  auto& nodes = b.model.nodes;
  nodes.resize(11);
  nodes[0].name = "Armature";
  nodes[0].translation = {kArmatureTranslation[0], kArmatureTranslation[1], kArmatureTranslation[2]};
  Vec4 ar = AxisAngle({0, 1, 0}, kArmatureDegrees);
  nodes[0].rotation = {ar[0], ar[1], ar[2], ar[3]};
  nodes[0].scale = {kArmatureScale, kArmatureScale, kArmatureScale};
  nodes[0].children = {1, 2};

  nodes[1].name = "Body";
  nodes[1].mesh = 0;
  nodes[1].skin = 0;
  // Ignored by skinning: a reader that applies it puts the body in the wrong place.
  nodes[1].translation = {2.0, 0.0, 0.0};
  Vec4 br = AxisAngle({1, 0, 0}, 90);
  nodes[1].rotation = {br[0], br[1], br[2], br[3]};

  for (const JointDef& j : Joints()) {
    tinygltf::Node& n = nodes[j.node];
    n.name = j.name;
    n.translation = {j.bindTranslation[0], j.bindTranslation[1], j.bindTranslation[2]};
    if (j.restRotation != NoRotation()) n.rotation = {j.restRotation[0], j.restRotation[1], j.restRotation[2], j.restRotation[3]};
    if (j.parentNode >= 0) nodes[j.parentNode].children.push_back(j.node);
  }
  nodes[5].children.push_back(kHatNode);
  nodes[kHatNode].name = "Hat";
  nodes[kHatNode].mesh = 1;
  nodes[kHatNode].translation = {0.0, 0.25, 0.0};

  b.model.scenes.resize(1);
  b.model.scenes[0].nodes = {0};
  b.model.defaultScene = 0;
}

void AddSkin(Builder& b) {
  // Bind world of each joint: the armature at rest times the T-pose chain.
  std::vector<Mat4> world(11, Identity());
  const Mat4 armature = ArmatureRest();
  for (const JointDef& j : Joints()) {
    const Mat4 parent = j.parentNode < 0 ? armature : world[j.parentNode];
    world[j.node] = Multiply(parent, Compose(j.bindTranslation, NoRotation(), {1, 1, 1}));
  }
  std::vector<float> ibm;
  tinygltf::Skin skin;
  skin.name = "BodySkin";
  for (int node : kJointNodes) {
    skin.joints.push_back(node);
    const Mat4 inv = InverseAffine(world[node]);
    ibm.insert(ibm.end(), inv.begin(), inv.end());
  }
  skin.inverseBindMatrices = b.Accessor(ibm, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_MAT4, kJointCount);
  skin.skeleton = 2;
  b.model.skins.push_back(skin);
}

struct Channel {
  int node;
  const char* path;
  const char* interpolation;
  std::vector<float> times;
  std::vector<float> values;  // per key: 3 or 4 floats; CUBICSPLINE: in-tangent, value, out-tangent
};

void AddAnimation(Builder& b, const char* name, const std::vector<Channel>& channels) {
  tinygltf::Animation anim;
  anim.name = name;
  for (const Channel& c : channels) {
    const bool rotation = std::strcmp(c.path, "rotation") == 0;
    tinygltf::AnimationSampler s;
    s.input = b.Floats(c.times, TINYGLTF_TYPE_SCALAR, 1);
    s.output = b.Floats(c.values, rotation ? TINYGLTF_TYPE_VEC4 : TINYGLTF_TYPE_VEC3, rotation ? 4 : 3);
    s.interpolation = c.interpolation;
    anim.samplers.push_back(s);
    tinygltf::AnimationChannel ch;
    ch.sampler = int(anim.samplers.size()) - 1;
    ch.target_node = c.node;
    ch.target_path = c.path;
    anim.channels.push_back(ch);
  }
  b.model.animations.push_back(anim);
}

std::vector<float> Quats(std::initializer_list<Vec4> qs) {
  std::vector<float> out;
  for (const Vec4& q : qs) out.insert(out.end(), {float(q[0]), float(q[1]), float(q[2]), float(q[3])});
  return out;
}

void AddAnimations(Builder& b) {
  const Vec4 id = NoRotation();
  const Vec4 armL = AxisAngle({0, 0, 1}, -40);
  const Vec4 twist = QuatMultiply(AxisAngle({1, 0, 0}, 25), AxisAngle({0, 1, 0}, 35));
  const Vec4 tangentA{0.1, -0.05, 0.2, 0.0}, tangentB{-0.2, 0.1, 0.05, 0.1}, zero{0, 0, 0, 0};
  AddAnimation(b, "Walk",
               {
                   {2, "translation", "LINEAR", {0.0f, 0.5f, 1.0f}, {0, 1, 0, 0.05f, 1.04f, 0.1f, 0, 1, 0.2f}},
                   {3, "rotation", "LINEAR", {0.0f, 0.5f, 1.0f}, Quats({id, twist, AxisAngle({0, 1, 0}, -20)})},
                   {6, "rotation", "CUBICSPLINE", {0.0f, 0.4f, 1.0f},
                    Quats({zero, armL, tangentA, tangentB,
                           QuatMultiply(AxisAngle({0, 0, 1}, -10), AxisAngle({1, 0, 0}, 30)), tangentA, tangentB,
                           AxisAngle({0, 0, 1}, -60), zero})},
                   {7, "rotation", "STEP", {0.0f, 0.3f, 0.7f},
                    Quats({id, AxisAngle({0, 0, 1}, 45), AxisAngle({0, 0, 1}, 90)})},
                   {5, "rotation", "LINEAR", {0.2f, 0.8f}, Quats({id, AxisAngle({0, 1, 0}, 30)})},
                   {8, "scale", "LINEAR", {0.0f, 1.0f}, {1, 1, 1, 1.25f, 1, 1}},
                   {0, "rotation", "LINEAR", {0.0f, 1.0f},
                    Quats({AxisAngle({0, 1, 0}, kArmatureDegrees), AxisAngle({0, 1, 0}, 40)})},
               });
  AddAnimation(b, "Wave",
               {
                   {9, "rotation", "LINEAR", {0.0f, 1.0f, 2.0f},
                    Quats({id, AxisAngle({0, 0, 1}, -60), id})},
                   {8, "rotation", "LINEAR", {0.0f, 2.0f},
                    Quats({AxisAngle({0, 0, 1}, 40), AxisAngle({0, 0, 1}, 80)})},
               });
}

}  // namespace

tinygltf::Model Make(const Options& options) {
  Builder b;
  AddBody(b, options);
  AddHat(b);
  AddNodes(b);
  AddSkin(b);
  if (options.animations) AddAnimations(b);
  b.model.buffers[0].uri.clear();
  return b.model;
}

int VertexCount(const Options& options) {
  std::vector<SkinVertex> vertices;
  std::vector<std::uint32_t> tris;
  for (const Tube& t : Tubes()) AddTube(t, options, vertices, tris);
  return int(vertices.size());
}

bool Write(const tinygltf::Model& model, const std::filesystem::path& path, Form form, std::string* error) {
  tinygltf::Model copy = model;
  if (form == Form::External) copy.buffers[0].uri = path.stem().string() + ".bin";
  tinygltf::TinyGLTF gltf;
  const bool ok = gltf.WriteGltfSceneToFile(&copy, path.string(), false, form != Form::External, true,
                                            form == Form::Glb);
  if (!ok && error) *error = path.string() + ": cannot be written";
  return ok;
}

}  // namespace gltf_character
