#pragma once
// Standard glTF skinning, written for the tests from the glTF rules alone: node transforms
// (matrix or translation · rotation · scale), animation channels sampled at a time (STEP,
// LINEAR with slerp for rotations; times outside the keys hold the end keys), world transforms
// down the hierarchy, and each skinned vertex as Σ weight · world(joint) · inverseBind · p.
// Results are in glTF space.

#include <tiny_gltf.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace cli_test {

using Mat4 = std::array<double, 16>;  // column-major, as glTF stores it

inline Mat4 Identity4() { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; }

inline Mat4 Mul(const Mat4& a, const Mat4& b) {
  Mat4 out{};
  for (int c = 0; c < 4; ++c)
    for (int r = 0; r < 4; ++r) {
      double s = 0;
      for (int k = 0; k < 4; ++k) s += a[k * 4 + r] * b[c * 4 + k];
      out[c * 4 + r] = s;
    }
  return out;
}

inline std::array<double, 3> Apply(const Mat4& m, const std::array<double, 3>& p) {
  std::array<double, 3> out{};
  for (int r = 0; r < 3; ++r) out[r] = m[r] * p[0] + m[4 + r] * p[1] + m[8 + r] * p[2] + m[12 + r];
  return out;
}

struct Pose {
  std::array<double, 3> t{0, 0, 0};
  std::array<double, 4> r{0, 0, 0, 1};
  std::array<double, 3> s{1, 1, 1};
};

inline Mat4 FromPose(const Pose& p) {
  const double x = p.r[0], y = p.r[1], z = p.r[2], w = p.r[3];
  const double rot[3][3] = {{1 - 2 * (y * y + z * z), 2 * (x * y - z * w), 2 * (x * z + y * w)},
                            {2 * (x * y + z * w), 1 - 2 * (x * x + z * z), 2 * (y * z - x * w)},
                            {2 * (x * z - y * w), 2 * (y * z + x * w), 1 - 2 * (x * x + y * y)}};
  Mat4 m = Identity4();
  for (int c = 0; c < 3; ++c)
    for (int r = 0; r < 3; ++r) m[c * 4 + r] = rot[r][c] * p.s[c];
  for (int r = 0; r < 3; ++r) m[12 + r] = p.t[r];
  return m;
}

// The accessor's elements as doubles (normalised integers scaled to [0, 1]), `components` each.
inline std::vector<double> ReadAccessor(const tinygltf::Model& model, int index) {
  const tinygltf::Accessor& a = model.accessors.at(index);
  const int components = tinygltf::GetNumComponentsInType(a.type);
  const int size = tinygltf::GetComponentSizeInBytes(a.componentType);
  std::vector<double> out(a.count * components, 0.0);
  if (a.bufferView < 0) return out;
  const tinygltf::BufferView& view = model.bufferViews.at(a.bufferView);
  const std::size_t stride = view.byteStride ? view.byteStride : std::size_t(size) * components;
  const unsigned char* base = model.buffers.at(view.buffer).data.data() + view.byteOffset + a.byteOffset;
  for (std::size_t i = 0; i < a.count; ++i) {
    for (int c = 0; c < components; ++c) {
      const unsigned char* p = base + i * stride + std::size_t(c) * size;
      double v = 0;
      switch (a.componentType) {
        case TINYGLTF_COMPONENT_TYPE_FLOAT: { float f; std::memcpy(&f, p, 4); v = f; break; }
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: v = *p; if (a.normalized) v /= 255.0; break;
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: { std::uint16_t s; std::memcpy(&s, p, 2); v = s; if (a.normalized) v /= 65535.0; break; }
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT: { std::uint32_t u; std::memcpy(&u, p, 4); v = u; break; }
        default: break;
      }
      out[i * components + c] = v;
    }
  }
  return out;
}

// The value of a sampler at time t: n components per key.
inline std::vector<double> Sample(const tinygltf::Model& model, const tinygltf::AnimationSampler& s, double t, int n,
                                  bool rotation) {
  const std::vector<double> times = ReadAccessor(model, s.input);
  const std::vector<double> values = ReadAccessor(model, s.output);
  auto key = [&](std::size_t k) { return std::vector<double>(values.begin() + k * n, values.begin() + (k + 1) * n); };
  if (t <= times.front()) return key(0);
  if (t >= times.back()) return key(times.size() - 1);
  std::size_t k = 0;
  while (k + 1 < times.size() && times[k + 1] <= t) ++k;
  if (k + 1 >= times.size()) return key(k);
  if (s.interpolation == "STEP") return key(k);
  const double u = (t - times[k]) / (times[k + 1] - times[k]);
  std::vector<double> a = key(k), b = key(k + 1), out(n);
  if (!rotation) {
    for (int c = 0; c < n; ++c) out[c] = a[c] + u * (b[c] - a[c]);
    return out;
  }
  double dot = 0;
  for (int c = 0; c < 4; ++c) dot += a[c] * b[c];
  if (dot < 0) {
    for (double& c : b) c = -c;
    dot = -dot;
  }
  double wa = 1 - u, wb = u;
  if (dot < 0.9999) {
    const double angle = std::acos(std::min(dot, 1.0));
    wa = std::sin((1 - u) * angle) / std::sin(angle);
    wb = std::sin(u * angle) / std::sin(angle);
  }
  double len = 0;
  for (int c = 0; c < 4; ++c) {
    out[c] = wa * a[c] + wb * b[c];
    len += out[c] * out[c];
  }
  for (double& c : out) c /= std::sqrt(len);
  return out;
}

// Every node's world matrix at time t of the animation (none: the nodes' own transforms).
inline std::vector<Mat4> WorldMatrices(const tinygltf::Model& model, int animation, double t) {
  const std::size_t n = model.nodes.size();
  std::vector<Pose> poses(n);
  std::vector<bool> hasMatrix(n, false);
  for (std::size_t i = 0; i < n; ++i) {
    const tinygltf::Node& node = model.nodes[i];
    hasMatrix[i] = node.matrix.size() == 16;
    if (node.translation.size() == 3) std::copy(node.translation.begin(), node.translation.end(), poses[i].t.begin());
    if (node.rotation.size() == 4) std::copy(node.rotation.begin(), node.rotation.end(), poses[i].r.begin());
    if (node.scale.size() == 3) std::copy(node.scale.begin(), node.scale.end(), poses[i].s.begin());
  }
  if (animation >= 0) {
    const tinygltf::Animation& anim = model.animations.at(animation);
    for (const tinygltf::AnimationChannel& ch : anim.channels) {
      const tinygltf::AnimationSampler& s = anim.samplers.at(ch.sampler);
      Pose& p = poses.at(ch.target_node);
      if (ch.target_path == "translation") {
        auto v = Sample(model, s, t, 3, false);
        std::copy(v.begin(), v.end(), p.t.begin());
      } else if (ch.target_path == "rotation") {
        auto v = Sample(model, s, t, 4, true);
        std::copy(v.begin(), v.end(), p.r.begin());
      } else if (ch.target_path == "scale") {
        auto v = Sample(model, s, t, 3, false);
        std::copy(v.begin(), v.end(), p.s.begin());
      }
    }
  }
  std::vector<int> parent(n, -1);
  for (std::size_t i = 0; i < n; ++i)
    for (int c : model.nodes[i].children) parent.at(c) = static_cast<int>(i);
  std::vector<Mat4> world(n);
  std::vector<bool> done(n, false);
  auto compute = [&](auto& self, int i) -> const Mat4& {
    if (done[i]) return world[i];
    Mat4 local = Identity4();
    if (hasMatrix[i]) std::copy(model.nodes[i].matrix.begin(), model.nodes[i].matrix.end(), local.begin());
    else local = FromPose(poses[i]);
    world[i] = parent[i] < 0 ? local : Mul(self(self, parent[i]), local);
    done[i] = true;
    return world[i];
  };
  for (std::size_t i = 0; i < n; ++i) compute(compute, static_cast<int>(i));
  return world;
}

// The skinned positions of every node that has a mesh and a skin, by node name.
inline std::map<std::string, std::vector<std::array<double, 3>>> SkinnedPositions(const tinygltf::Model& model,
                                                                                  int animation, double t) {
  const std::vector<Mat4> world = WorldMatrices(model, animation, t);
  std::map<std::string, std::vector<std::array<double, 3>>> out;
  for (const tinygltf::Node& node : model.nodes) {
    if (node.mesh < 0 || node.skin < 0) continue;
    const tinygltf::Skin& skin = model.skins.at(node.skin);
    const std::vector<double> ibm = ReadAccessor(model, skin.inverseBindMatrices);
    std::vector<Mat4> joint(skin.joints.size());
    for (std::size_t j = 0; j < joint.size(); ++j) {
      Mat4 inv;
      std::copy(ibm.begin() + j * 16, ibm.begin() + (j + 1) * 16, inv.begin());
      joint[j] = Mul(world.at(skin.joints[j]), inv);
    }
    const tinygltf::Primitive& prim = model.meshes.at(node.mesh).primitives.at(0);
    const std::vector<double> pos = ReadAccessor(model, prim.attributes.at("POSITION"));
    std::vector<std::array<double, 3>> result(pos.size() / 3, {0, 0, 0});
    for (int set = 0; prim.attributes.count("JOINTS_" + std::to_string(set)); ++set) {
      const std::vector<double> js = ReadAccessor(model, prim.attributes.at("JOINTS_" + std::to_string(set)));
      const std::vector<double> ws = ReadAccessor(model, prim.attributes.at("WEIGHTS_" + std::to_string(set)));
      for (std::size_t v = 0; v < result.size(); ++v) {
        for (int k = 0; k < 4; ++k) {
          const double w = ws[v * 4 + k];
          if (w == 0.0) continue;
          const auto p = Apply(joint.at(std::size_t(js[v * 4 + k])), {pos[v * 3], pos[v * 3 + 1], pos[v * 3 + 2]});
          for (int c = 0; c < 3; ++c) result[v][c] += w * p[c];
        }
      }
    }
    out[node.name] = result;
  }
  return out;
}

}  // namespace cli_test
