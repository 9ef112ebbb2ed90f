#include "host/sdk/mesh_ray.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "host/sdk/mesh.h"

namespace {

constexpr int kLeafSize = 4;

bool FaceUsable(const Mesh& mesh, const Face& f) {
  const auto n = static_cast<DWORD>(mesh.verts.size());
  return f.v[0] < n && f.v[1] < n && f.v[2] < n;
}

// The hit test of both casts: distance d ≥ 0 along the ray to triangle (a, b, c), either face.
inline bool HitTriangle(const Ray& ray, const Point3& a, const Point3& b, const Point3& c, float& d) {
  const Point3 e1 = b - a, e2 = c - a;
  const Point3 pv = ray.dir ^ e2;
  const float det = DotProd(e1, pv);
  if (det == 0.0f) return false;
  const float inv = 1.0f / det;
  const Point3 tv = ray.p - a;
  const float u = DotProd(tv, pv) * inv;
  if (u < 0.0f || u > 1.0f) return false;
  const Point3 qv = tv ^ e1;
  const float v = DotProd(ray.dir, qv) * inv;
  if (v < 0.0f || u + v > 1.0f) return false;
  d = DotProd(e2, qv) * inv;
  return d >= 0.0f;
}

inline Point3 FaceNormal(const Point3& a, const Point3& b, const Point3& c) { return ((b - a) ^ (c - a)).Normalize(); }

// Entry distance of the ray into box, or false when it misses the box or enters beyond limit.
inline bool CrossesBox(const Ray& ray, const Point3& invDir, const Box3& box, float limit) {
  float tmin = 0.0f, tmax = std::numeric_limits<float>::infinity();
  for (int j = 0; j < 3; ++j) {
    if (ray.dir[j] == 0.0f) {
      if (ray.p[j] < box.pmin[j] || ray.p[j] > box.pmax[j]) return false;
      continue;
    }
    float t0 = (box.pmin[j] - ray.p[j]) * invDir[j];
    float t1 = (box.pmax[j] - ray.p[j]) * invDir[j];
    if (t0 > t1) std::swap(t0, t1);
    tmin = std::max(tmin, t0);
    tmax = std::min(tmax, t1);
    if (!(tmin <= tmax)) return false;
  }
  return tmin <= limit;
}

}  // namespace

bool IntersectMeshBruteForce(const Mesh& mesh, const Ray& ray, float& at, Point3& norm) {
  bool hit = false;
  float best = 0.0f;
  for (const Face& f : mesh.faces) {
    if (!FaceUsable(mesh, f)) continue;
    const Point3& a = mesh.verts[f.v[0]];
    const Point3& b = mesh.verts[f.v[1]];
    const Point3& c = mesh.verts[f.v[2]];
    float d;
    if (!HitTriangle(ray, a, b, c, d)) continue;
    if (!hit || d < best) {
      hit = true;
      best = d;
      norm = FaceNormal(a, b, c);
    }
  }
  if (hit) at = best;
  return hit;
}

TriangleBvh::TriangleBvh(const Mesh& mesh) {
  const int faceCount = mesh.getNumFaces();
  corners_.resize(std::size_t(faceCount) * 3);
  std::vector<Point3> centroids;
  for (int i = 0; i < faceCount; ++i) {
    const Face& f = mesh.faces[i];
    if (!FaceUsable(mesh, f)) continue;
    for (int k = 0; k < 3; ++k) corners_[3 * i + k] = mesh.verts[f.v[k]];
    order_.push_back(i);
  }
  centroids.resize(faceCount);
  for (int i : order_) centroids[i] = (corners_[3 * i] + corners_[3 * i + 1] + corners_[3 * i + 2]) * (1.0f / 3.0f);
  nodes_.reserve(order_.empty() ? 1 : 2 * order_.size() / kLeafSize + 2);
  Build(0, static_cast<int>(order_.size()), centroids);
}

int TriangleBvh::Build(int begin, int end, std::vector<Point3>& centroids) {
  const int index = static_cast<int>(nodes_.size());
  nodes_.push_back({});
  Box3 box, centres;
  for (int s = begin; s < end; ++s) {
    const int f = order_[s];
    for (int k = 0; k < 3; ++k) box += corners_[3 * f + k];
    centres += centroids[f];
  }
  // Padding keeps every hit the exact test accepts inside its boxes despite rounding.
  const Point3 size = box.IsEmpty() ? Point3() : box.pmax - box.pmin;
  const float pad = 1e-5f * std::max({size.x, size.y, size.z, std::fabs(box.pmin.x), std::fabs(box.pmin.y),
                                      std::fabs(box.pmin.z), std::fabs(box.pmax.x), std::fabs(box.pmax.y),
                                      std::fabs(box.pmax.z)}) + 1e-30f;
  if (!box.IsEmpty()) {
    box.pmin = box.pmin - Point3(pad, pad, pad);
    box.pmax = box.pmax + Point3(pad, pad, pad);
  }
  nodes_[index].box = box;
  if (end - begin <= kLeafSize) {
    nodes_[index].first = begin;
    nodes_[index].count = end - begin;
    return index;
  }
  const Point3 spread = centres.pmax - centres.pmin;
  const int axis = spread.x >= spread.y && spread.x >= spread.z ? 0 : (spread.y >= spread.z ? 1 : 2);
  const int mid = begin + (end - begin) / 2;
  std::nth_element(order_.begin() + begin, order_.begin() + mid, order_.begin() + end, [&](int a, int b) {
    return centroids[a][axis] < centroids[b][axis] || (centroids[a][axis] == centroids[b][axis] && a < b);
  });
  Build(begin, mid, centroids);
  const int right = Build(mid, end, centroids);
  nodes_[index].first = right;
  nodes_[index].count = 0;
  return index;
}

bool TriangleBvh::Intersect(const Ray& ray, float& at, Point3& norm) const {
  if (order_.empty()) return false;
  const Point3 invDir{1.0f / ray.dir.x, 1.0f / ray.dir.y, 1.0f / ray.dir.z};
  bool hit = false;
  float best = std::numeric_limits<float>::infinity();
  int bestFace = -1;
  int stack[64];
  int top = 0;
  stack[top++] = 0;
  while (top > 0) {
    const int index = stack[--top];
    const Node& node = nodes_[index];
    // A little beyond best: a box entered just past it may still hold an equal-distance hit.
    if (!CrossesBox(ray, invDir, node.box, hit ? best * (1.0f + 1e-5f) + 1e-30f : best)) continue;
    if (node.count == 0) {
      stack[top++] = node.first;
      stack[top++] = index + 1;
      continue;
    }
    for (int s = node.first; s < node.first + node.count; ++s) {
      const int f = order_[s];
      float d;
      if (!HitTriangle(ray, corners_[3 * f], corners_[3 * f + 1], corners_[3 * f + 2], d)) continue;
      // The brute-force cast keeps the first face at the smallest distance.
      if (!hit || d < best || (d == best && f < bestFace)) {
        hit = true;
        best = d;
        bestFace = f;
      }
    }
  }
  if (!hit) return false;
  at = best;
  norm = FaceNormal(corners_[3 * bestFace], corners_[3 * bestFace + 1], corners_[3 * bestFace + 2]);
  return true;
}

const TriangleBvh& MeshRayCache::For(const Mesh& mesh) {
  const Key key{mesh.geomVersion(), mesh.verts.data(), mesh.faces.data(), mesh.verts.size(), mesh.faces.size()};
  if (!bvh_ || !(key == key_)) {
    bvh_ = std::make_unique<TriangleBvh>(mesh);
    key_ = key;
    ++builds_;
  }
  return *bvh_;
}
