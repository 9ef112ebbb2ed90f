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

// The ray as the hit test of both casts uses it: the coordinate axes permuted so that z is the
// ray's dominant axis, and the shear that maps the ray onto the +z axis through the origin.
struct ShearedRay {
  Point3 origin;
  int kx = 0, ky = 1, kz = 2;
  float sx = 0.0f, sy = 0.0f, sz = 0.0f;
  bool usable = false;  // false for a zero or non-finite direction
};

ShearedRay Shear(const Ray& ray) {
  ShearedRay r;
  r.origin = ray.p;
  const float ax = std::fabs(ray.dir.x), ay = std::fabs(ray.dir.y), az = std::fabs(ray.dir.z);
  r.kz = ax >= ay && ax >= az ? 0 : (ay >= az ? 1 : 2);
  r.kx = (r.kz + 1) % 3;
  r.ky = (r.kx + 1) % 3;
  const float dz = ray.dir[r.kz];
  if (!(dz != 0.0f) || !std::isfinite(dz)) return r;
  // Keeps the winding of the projected triangles; both faces count, so this is for symmetry.
  if (dz < 0.0f) std::swap(r.kx, r.ky);
  r.sx = ray.dir[r.kx] / dz;
  r.sy = ray.dir[r.ky] / dz;
  r.sz = 1.0f / dz;
  r.usable = std::isfinite(r.sx) && std::isfinite(r.sy) && std::isfinite(r.sz);
  return r;
}

// The hit test of both casts: distance d >= 0 along the ray to triangle (a, b, c), either face.
// Watertight: each corner is sheared into the ray's frame on its own, so two triangles that share
// an edge see the same two projected corners, and the edge functions are exact products of those
// floats (taken in double), so they have opposite signs across the edge and are both zero on it.
// A ray through a shared edge or vertex therefore hits at least one of the triangles that meet
// there; both casts then keep the lowest face index among equal distances.
[[gnu::always_inline]] inline bool HitTriangle(const ShearedRay& r, const Point3& a, const Point3& b, const Point3& c, float& d) {
  const Point3 pa = a - r.origin, pb = b - r.origin, pc = c - r.origin;
  const float ax = pa[r.kx] - r.sx * pa[r.kz], ay = pa[r.ky] - r.sy * pa[r.kz];
  const float bx = pb[r.kx] - r.sx * pb[r.kz], by = pb[r.ky] - r.sy * pb[r.kz];
  const float cx = pc[r.kx] - r.sx * pc[r.kz], cy = pc[r.ky] - r.sy * pc[r.kz];
  const double u = double(cx) * double(by) - double(cy) * double(bx);
  const double v = double(ax) * double(cy) - double(ay) * double(cx);
  const double w = double(bx) * double(ay) - double(by) * double(ax);
  if ((u < 0.0 || v < 0.0 || w < 0.0) && (u > 0.0 || v > 0.0 || w > 0.0)) return false;
  const double det = u + v + w;
  if (det == 0.0) return false;  // seen edge-on
  const double az = double(r.sz) * pa[r.kz], bz = double(r.sz) * pb[r.kz], cz = double(r.sz) * pc[r.kz];
  const double t = (u * az + v * bz + w * cz) / det;
  if (!(t >= 0.0)) return false;
  d = float(t);
  return true;
}

inline Point3 FaceNormal(const Point3& a, const Point3& b, const Point3& c) { return ((b - a) ^ (c - a)).Normalize(); }

// The ray as the box test reads it: origin, reciprocal direction, and which bound of each axis
// the ray meets first.
struct BoxRay {
  float p[3], inv[3];
  int nearMax[3];  // 1 where the direction is negative: the ray meets pmax first
  bool flat[3];    // direction 0 on this axis
};

BoxRay PrepareBoxRay(const Ray& ray) {
  BoxRay r;
  for (int j = 0; j < 3; ++j) {
    r.p[j] = ray.p[j];
    r.flat[j] = ray.dir[j] == 0.0f;
    r.inv[j] = r.flat[j] ? 0.0f : 1.0f / ray.dir[j];
    r.nearMax[j] = ray.dir[j] < 0.0f;
  }
  return r;
}

// Whether the ray crosses box no farther than limit; entry receives the distance where it enters.
[[gnu::always_inline]] inline bool CrossesBox(const BoxRay& r, const Box3& box, float limit, float& entry) {
  const Point3* bounds[2] = {&box.pmin, &box.pmax};
  float tmin = 0.0f, tmax = limit;
  for (int j = 0; j < 3; ++j) {
    const float lo = (*bounds[r.nearMax[j]])[j], hi = (*bounds[1 - r.nearMax[j]])[j];
    if (r.flat[j]) {
      if (r.p[j] < std::min(lo, hi) || r.p[j] > std::max(lo, hi)) return false;
      continue;
    }
    const float t0 = (lo - r.p[j]) * r.inv[j];
    const float t1 = (hi - r.p[j]) * r.inv[j];
    tmin = t0 > tmin ? t0 : tmin;
    tmax = t1 < tmax ? t1 : tmax;
  }
  entry = tmin;
  return tmin <= tmax;
}

}  // namespace

bool IntersectMeshBruteForce(const Mesh& mesh, const Ray& ray, float& at, Point3& norm) {
  const ShearedRay sheared = Shear(ray);
  if (!sheared.usable) return false;
  bool hit = false;
  float best = 0.0f;
  for (const Face& f : mesh.faces) {
    if (!FaceUsable(mesh, f)) continue;
    const Point3& a = mesh.verts[f.v[0]];
    const Point3& b = mesh.verts[f.v[1]];
    const Point3& c = mesh.verts[f.v[2]];
    float d;
    if (!HitTriangle(sheared, a, b, c, d)) continue;
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
  const ShearedRay sheared = Shear(ray);
  if (!sheared.usable) return false;
  const BoxRay boxRay = PrepareBoxRay(ray);
  bool hit = false;
  float best = std::numeric_limits<float>::infinity();
  int bestFace = -1;
  // A little beyond best: a box entered just past it may still hold an equal-distance hit.
  auto limit = [&] { return hit ? best * (1.0f + 1e-5f) + 1e-30f : best; };
  // Pending nodes with the distance where the ray enters their boxes.
  struct Pending {
    int index;
    float entry;
  };
  Pending stack[64];
  int top = 0;
  float entry = 0.0f;
  if (!CrossesBox(boxRay, nodes_[0].box, limit(), entry)) return false;
  stack[top++] = {0, entry};
  while (top > 0) {
    const Pending pending = stack[--top];
    // Entered beyond a hit found since it was pushed.
    if (pending.entry > limit()) continue;
    const int index = pending.index;
    const Node& node = nodes_[index];
    if (node.count == 0) {
      // The nearer child is searched first, so that the farther one is mostly pruned by best.
      const int left = index + 1, right = node.first;
      float enterLeft = 0.0f, enterRight = 0.0f;
      const bool crossLeft = CrossesBox(boxRay, nodes_[left].box, limit(), enterLeft);
      const bool crossRight = CrossesBox(boxRay, nodes_[right].box, limit(), enterRight);
      if (crossLeft && crossRight) {
        const bool leftFirst = enterLeft <= enterRight;
        stack[top++] = leftFirst ? Pending{right, enterRight} : Pending{left, enterLeft};
        stack[top++] = leftFirst ? Pending{left, enterLeft} : Pending{right, enterRight};
      } else if (crossLeft) {
        stack[top++] = {left, enterLeft};
      } else if (crossRight) {
        stack[top++] = {right, enterRight};
      }
      continue;
    }
    for (int s = node.first; s < node.first + node.count; ++s) {
      const int f = order_[s];
      float d;
      if (!HitTriangle(sheared, corners_[3 * f], corners_[3 * f + 1], corners_[3 * f + 2], d)) continue;
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
