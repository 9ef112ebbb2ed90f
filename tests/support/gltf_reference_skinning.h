#pragma once
// Standard glTF skinning of a tinygltf model at a time, evaluated straight from the formula and
// written apart from the importer: sample every channel, compose every node's T * R * S down the
// tree, and move each vertex by sum_k weight_k * world(joint_k) * inverseBind(joint_k). The
// result is converted to the host's z-up axes, (x, y, z) -> (x, -z, y).

#include <tiny_gltf.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "support/gltf_math.h"

namespace gltf_reference {

using namespace gltf_math;

// The accessor's numbers, element-major (normalised integers mapped to [0, 1]), sparse applied.
inline std::vector<double> Values(const tinygltf::Model& m, int index) {
  const tinygltf::Accessor& a = m.accessors[index];
  const int comps = tinygltf::GetNumComponentsInType(a.type);
  const int size = tinygltf::GetComponentSizeInBytes(a.componentType);
  auto decode = [&](const unsigned char* p, int type) -> double {
    switch (type) {
      case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: return a.normalized ? p[0] / 255.0 : p[0];
      case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: {
        std::uint16_t v;
        std::memcpy(&v, p, 2);
        return a.normalized ? v / 65535.0 : v;
      }
      case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT: {
        std::uint32_t v;
        std::memcpy(&v, p, 4);
        return v;
      }
      default: {
        float f;
        std::memcpy(&f, p, 4);
        return f;
      }
    }
  };
  std::vector<double> out(a.count * comps, 0.0);
  if (a.bufferView >= 0) {
    const tinygltf::BufferView& v = m.bufferViews[a.bufferView];
    const unsigned char* base = m.buffers[v.buffer].data.data() + v.byteOffset + a.byteOffset;
    const std::size_t stride = v.byteStride ? v.byteStride : std::size_t(comps * size);
    for (std::size_t e = 0; e < a.count; ++e)
      for (int c = 0; c < comps; ++c) out[e * comps + c] = decode(base + e * stride + c * size, a.componentType);
  }
  if (a.sparse.isSparse) {
    const auto& iv = m.bufferViews[a.sparse.indices.bufferView];
    const auto& vv = m.bufferViews[a.sparse.values.bufferView];
    const unsigned char* ib = m.buffers[iv.buffer].data.data() + iv.byteOffset + a.sparse.indices.byteOffset;
    const unsigned char* vb = m.buffers[vv.buffer].data.data() + vv.byteOffset + a.sparse.values.byteOffset;
    const int isize = tinygltf::GetComponentSizeInBytes(a.sparse.indices.componentType);
    for (int s = 0; s < a.sparse.count; ++s) {
      const std::size_t at = std::size_t(decode(ib + s * isize, a.sparse.indices.componentType));
      for (int c = 0; c < comps; ++c) out[at * comps + c] = decode(vb + (s * comps + c) * size, a.componentType);
    }
  }
  return out;
}

// One channel's value at time t.
inline std::vector<double> Sample(const tinygltf::Model& m, const tinygltf::AnimationSampler& s, int comps, bool rotation,
                                  double t) {
  const std::vector<double> times = Values(m, s.input), values = Values(m, s.output);
  const bool cubic = s.interpolation == "CUBICSPLINE";
  const std::size_t keys = times.size();
  auto key = [&](std::size_t k, int part) {  // part: 0 in-tangent, 1 value, 2 out-tangent
    const std::size_t at = cubic ? (3 * k + part) * comps : k * comps;
    return std::vector<double>(values.begin() + at, values.begin() + at + comps);
  };
  auto normal = [&](std::vector<double> v) {
    if (!rotation) return v;
    Vec4 q = Normalized({v[0], v[1], v[2], v[3]});
    return std::vector<double>(q.begin(), q.end());
  };
  if (t <= times[0]) return normal(key(0, 1));
  if (t >= times[keys - 1]) return normal(key(keys - 1, 1));
  std::size_t k = 0;
  while (!(t >= times[k] && t < times[k + 1])) ++k;
  const double dt = times[k + 1] - times[k], u = (t - times[k]) / dt;
  if (s.interpolation == "STEP") return normal(key(k, 1));
  if (cubic) {
    const auto p0 = key(k, 1), m0 = key(k, 2), p1 = key(k + 1, 1), m1 = key(k + 1, 0);
    std::vector<double> r(comps);
    for (int c = 0; c < comps; ++c)
      r[c] = (2 * u * u * u - 3 * u * u + 1) * p0[c] + (u * u * u - 2 * u * u + u) * dt * m0[c] +
             (-2 * u * u * u + 3 * u * u) * p1[c] + (u * u * u - u * u) * dt * m1[c];
    return normal(r);
  }
  const auto a = key(k, 1), b = key(k + 1, 1);
  if (rotation) {
    Vec4 q = Slerp({a[0], a[1], a[2], a[3]}, {b[0], b[1], b[2], b[3]}, u);
    return {q[0], q[1], q[2], q[3]};
  }
  std::vector<double> r(comps);
  for (int c = 0; c < comps; ++c) r[c] = a[c] + (b[c] - a[c]) * u;
  return r;
}

// World matrices of every node at time t of animation (-1: none).
inline std::vector<Mat4> WorldMatrices(const tinygltf::Model& m, int animation, double t) {
  const std::size_t n = m.nodes.size();
  std::vector<Vec3> T(n), S(n);
  std::vector<Vec4> R(n);
  for (std::size_t i = 0; i < n; ++i) {
    const auto& node = m.nodes[i];
    T[i] = node.translation.empty() ? Vec3{0, 0, 0} : Vec3{node.translation[0], node.translation[1], node.translation[2]};
    R[i] = node.rotation.empty() ? Vec4{0, 0, 0, 1} : Vec4{node.rotation[0], node.rotation[1], node.rotation[2], node.rotation[3]};
    S[i] = node.scale.empty() ? Vec3{1, 1, 1} : Vec3{node.scale[0], node.scale[1], node.scale[2]};
  }
  if (animation >= 0) {
    const auto& anim = m.animations[animation];
    for (const auto& ch : anim.channels) {
      const auto& s = anim.samplers[ch.sampler];
      if (ch.target_path == "translation") {
        auto v = Sample(m, s, 3, false, t);
        T[ch.target_node] = {v[0], v[1], v[2]};
      } else if (ch.target_path == "rotation") {
        auto v = Sample(m, s, 4, true, t);
        R[ch.target_node] = {v[0], v[1], v[2], v[3]};
      } else if (ch.target_path == "scale") {
        auto v = Sample(m, s, 3, false, t);
        S[ch.target_node] = {v[0], v[1], v[2]};
      }
    }
  }
  std::vector<int> parent(n, -1);
  for (std::size_t i = 0; i < n; ++i)
    for (int c : m.nodes[i].children) parent[c] = int(i);
  std::vector<Mat4> world(n);
  std::vector<bool> done(n, false);
  for (std::size_t i = 0; i < n; ++i) {
    std::vector<int> chain;
    for (int k = int(i); k >= 0 && !done[k]; k = parent[k]) chain.push_back(k);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
      const Mat4 local = Compose(T[*it], R[*it], S[*it]);
      world[*it] = parent[*it] >= 0 ? Multiply(world[parent[*it]], local) : local;
      done[*it] = true;
    }
  }
  return world;
}

// The skinned positions of the first primitive of node's mesh at time t, z-up.
inline std::vector<Vec3> SkinnedPositions(const tinygltf::Model& m, int node, int animation, double t) {
  const auto& prim = m.meshes[m.nodes[node].mesh].primitives[0];
  const auto& skin = m.skins[m.nodes[node].skin];
  const std::vector<Mat4> world = WorldMatrices(m, animation, t);
  const std::vector<double> ibm = Values(m, skin.inverseBindMatrices);
  std::vector<Mat4> jointMatrix(skin.joints.size());
  for (std::size_t j = 0; j < skin.joints.size(); ++j) {
    Mat4 inv{};
    std::copy(ibm.begin() + j * 16, ibm.begin() + j * 16 + 16, inv.begin());
    jointMatrix[j] = Multiply(world[skin.joints[j]], inv);
  }
  const std::vector<double> pos = Values(m, prim.attributes.at("POSITION"));
  std::vector<std::vector<double>> joints, weights;
  for (const char* set : {"_0", "_1"}) {
    auto j = prim.attributes.find(std::string("JOINTS") + set);
    if (j == prim.attributes.end()) continue;
    joints.push_back(Values(m, j->second));
    weights.push_back(Values(m, prim.attributes.at(std::string("WEIGHTS") + set)));
  }
  std::vector<Vec3> out(pos.size() / 3);
  for (std::size_t v = 0; v < out.size(); ++v) {
    const Vec3 p{pos[v * 3], pos[v * 3 + 1], pos[v * 3 + 2]};
    Vec3 sum{0, 0, 0};
    for (std::size_t s = 0; s < joints.size(); ++s)
      for (int k = 0; k < 4; ++k) {
        const double w = weights[s][v * 4 + k];
        const Vec3 q = TransformPoint(jointMatrix[std::size_t(joints[s][v * 4 + k])], p);
        for (int c = 0; c < 3; ++c) sum[c] += w * q[c];
      }
    out[v] = {sum[0], -sum[2], sum[1]};
  }
  return out;
}

}  // namespace gltf_reference
