#include "host/sdk/mesh_ray.h"

#include <emmintrin.h>

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>

#include "host/sdk/mesh.h"

namespace {

constexpr int kLeafSize = 4;
// Binary levels split by surface-area cost; deeper ones are halved, at most 29 more levels for
// 2^31 faces.
constexpr int kCostLevels = 24;
// Pending entries of a traversal: each level pops one node and pushes at most four (all four
// lanes are written, the uncrossed ones above the top); the four-wide tree has no more levels
// than the binary one.
constexpr int kStackSize = 3 * (kCostLevels + 30) + 4;

bool FaceUsable(const Mesh& mesh, const Face& f) {
  const auto n = static_cast<DWORD>(mesh.verts.size());
  return f.v[0] < n && f.v[1] < n && f.v[2] < n;
}

// The ray as the hit test of both casts uses it: the coordinate axes permuted so that z is the
// ray's dominant axis, and the shear that maps the ray onto the +z axis through the origin.
struct ShearedRay {
  float ox = 0.0f, oy = 0.0f, oz = 0.0f;  // the origin's coordinates on axes kx, ky, kz
  int kx = 0, ky = 1, kz = 2;
  float sx = 0.0f, sy = 0.0f, sz = 0.0f;
  bool usable = false;  // false for a zero or non-finite direction
};

ShearedRay Shear(const Ray& ray) {
  ShearedRay r;
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
  r.ox = ray.p[r.kx];
  r.oy = ray.p[r.ky];
  r.oz = ray.p[r.kz];
  r.usable = std::isfinite(r.sx) && std::isfinite(r.sy) && std::isfinite(r.sz);
  return r;
}

// The hit test of both casts: distance d >= 0 along the ray to the triangle of corners t (a, b, c,
// 9 floats), either face.
// Watertight: each corner is sheared into the ray's frame on its own, so two triangles that share
// an edge see the same two projected corners, and the edge functions are exact products of those
// floats (taken in double), so they have opposite signs across the edge and are both zero on it.
// A ray through a shared edge or vertex therefore hits at least one of the triangles that meet
// there; both casts then keep the lowest face index among equal distances.
[[gnu::always_inline]] inline bool HitTriangle(const ShearedRay& r, const float* t, float& d) {
  const float* a = t;
  const float* b = t + 3;
  const float* c = t + 6;
  const float paz = a[r.kz] - r.oz, pbz = b[r.kz] - r.oz, pcz = c[r.kz] - r.oz;
  const float ax = (a[r.kx] - r.ox) - r.sx * paz, ay = (a[r.ky] - r.oy) - r.sy * paz;
  const float bx = (b[r.kx] - r.ox) - r.sx * pbz, by = (b[r.ky] - r.oy) - r.sy * pbz;
  const float cx = (c[r.kx] - r.ox) - r.sx * pcz, cy = (c[r.ky] - r.oy) - r.sy * pcz;
  const double u = double(cx) * double(by) - double(cy) * double(bx);
  const double v = double(ax) * double(cy) - double(ay) * double(cx);
  const double w = double(bx) * double(ay) - double(by) * double(ax);
  if ((u < 0.0 || v < 0.0 || w < 0.0) && (u > 0.0 || v > 0.0 || w > 0.0)) return false;
  const double det = u + v + w;
  if (det == 0.0) return false;  // seen edge-on
  const double az = double(r.sz) * paz, bz = double(r.sz) * pbz, cz = double(r.sz) * pcz;
  const double dist = (u * az + v * bz + w * cz) / det;
  if (!(dist >= 0.0)) return false;
  d = float(dist);
  return true;
}

// The hit test of HitTriangle on the four triangles of a pack at once, with the same arithmetic
// in every lane: pack holds 9 rows of four floats (a.x, a.y, a.z, b.x, ..., c.z), one lane per
// triangle. lanes has a bit for each triangle to test. Returns the bits of the triangles hit,
// with their distances in d.
[[gnu::always_inline]] inline int HitPack(const ShearedRay& r, const float* pack, int lanes, float (&d)[4]) {
  const __m128 ox = _mm_set1_ps(r.ox), oy = _mm_set1_ps(r.oy), oz = _mm_set1_ps(r.oz);
  const __m128 sx = _mm_set1_ps(r.sx), sy = _mm_set1_ps(r.sy);
  auto row = [&](int corner, int axis) { return _mm_loadu_ps(pack + 4 * (3 * corner + axis)); };
  const __m128 paz = _mm_sub_ps(row(0, r.kz), oz), pbz = _mm_sub_ps(row(1, r.kz), oz), pcz = _mm_sub_ps(row(2, r.kz), oz);
  const __m128 ax = _mm_sub_ps(_mm_sub_ps(row(0, r.kx), ox), _mm_mul_ps(sx, paz));
  const __m128 ay = _mm_sub_ps(_mm_sub_ps(row(0, r.ky), oy), _mm_mul_ps(sy, paz));
  const __m128 bx = _mm_sub_ps(_mm_sub_ps(row(1, r.kx), ox), _mm_mul_ps(sx, pbz));
  const __m128 by = _mm_sub_ps(_mm_sub_ps(row(1, r.ky), oy), _mm_mul_ps(sy, pbz));
  const __m128 cx = _mm_sub_ps(_mm_sub_ps(row(2, r.kx), ox), _mm_mul_ps(sx, pcz));
  const __m128 cy = _mm_sub_ps(_mm_sub_ps(row(2, r.ky), oy), _mm_mul_ps(sy, pcz));
  alignas(16) double u[4], v[4], w[4];
  int inside = 0;
  for (int half = 0; half < 2; ++half) {
    // Lanes 0, 1 then 2, 3 in double.
    auto wide = [half](__m128 f) { return _mm_cvtps_pd(half ? _mm_movehl_ps(f, f) : f); };
    const __m128d dax = wide(ax), day = wide(ay), dbx = wide(bx), dby = wide(by), dcx = wide(cx), dcy = wide(cy);
    const __m128d hu = _mm_sub_pd(_mm_mul_pd(dcx, dby), _mm_mul_pd(dcy, dbx));
    const __m128d hv = _mm_sub_pd(_mm_mul_pd(dax, dcy), _mm_mul_pd(day, dcx));
    const __m128d hw = _mm_sub_pd(_mm_mul_pd(dbx, day), _mm_mul_pd(dby, dax));
    const __m128d zero = _mm_setzero_pd();
    const __m128d below = _mm_or_pd(_mm_or_pd(_mm_cmplt_pd(hu, zero), _mm_cmplt_pd(hv, zero)), _mm_cmplt_pd(hw, zero));
    const __m128d above = _mm_or_pd(_mm_or_pd(_mm_cmpgt_pd(hu, zero), _mm_cmpgt_pd(hv, zero)), _mm_cmpgt_pd(hw, zero));
    inside |= (~_mm_movemask_pd(_mm_and_pd(below, above)) & 3) << (2 * half);
    _mm_store_pd(u + 2 * half, hu);
    _mm_store_pd(v + 2 * half, hv);
    _mm_store_pd(w + 2 * half, hw);
  }
  inside &= lanes;
  if (inside == 0) return 0;
  alignas(16) float za[4], zb[4], zc[4];
  _mm_store_ps(za, paz);
  _mm_store_ps(zb, pbz);
  _mm_store_ps(zc, pcz);
  int hits = 0;
  for (int k = 0; k < 4; ++k) {
    if (!(inside >> k & 1)) continue;
    const double det = u[k] + v[k] + w[k];
    if (det == 0.0) continue;  // seen edge-on
    const double az = double(r.sz) * za[k], bz = double(r.sz) * zb[k], cz = double(r.sz) * zc[k];
    const double dist = (u[k] * az + v[k] * bz + w[k] * cz) / det;
    if (!(dist >= 0.0)) continue;
    d[k] = float(dist);
    hits |= 1 << k;
  }
  return hits;
}

inline Point3 FaceNormal(const Point3& a, const Point3& b, const Point3& c) { return ((b - a) ^ (c - a)).Normalize(); }

// The ray as the box test reads it: origin and reciprocal direction in all four lanes, and for
// each axis the row of a node's bounds the ray meets first and the one it leaves by.
struct BoxRay {
  __m128 p[3], inv[3];
  int nearRow[3], farRow[3];  // 0..2 the min rows, 3..5 the max rows
  bool flat[3];               // direction 0 on this axis
};

BoxRay PrepareBoxRay(const Ray& ray) {
  BoxRay r;
  for (int j = 0; j < 3; ++j) {
    r.p[j] = _mm_set1_ps(ray.p[j]);
    r.flat[j] = ray.dir[j] == 0.0f;
    r.inv[j] = _mm_set1_ps(r.flat[j] ? 0.0f : 1.0f / ray.dir[j]);
    const bool nearMax = ray.dir[j] < 0.0f;
    r.nearRow[j] = nearMax ? 3 + j : j;
    r.farRow[j] = nearMax ? j : 3 + j;
  }
  return r;
}

// The lanes of node whose boxes the ray crosses no farther than limit, as a bit mask; entry
// receives, per lane, the distance where the ray enters. Per lane the same slab arithmetic as one
// box at a time: max and min keep the running bound when a slab distance is not a number.
// kAnyFlat: whether some axis of the ray's direction is 0 (tests the flat axes as slabs of zero
// width instead).
template <bool kAnyFlat>
[[gnu::always_inline]] inline int CrossesBoxes(const BoxRay& r, const float (&bounds)[6][4], float limit,
                                               __m128& entry) {
  __m128 tmin = _mm_setzero_ps(), tmax = _mm_set1_ps(limit);
  __m128 inside = _mm_castsi128_ps(_mm_set1_epi32(-1));
  for (int j = 0; j < 3; ++j) {
    const __m128 lo = _mm_load_ps(bounds[r.nearRow[j]]), hi = _mm_load_ps(bounds[r.farRow[j]]);
    if (kAnyFlat && r.flat[j]) {
      inside = _mm_and_ps(inside, _mm_and_ps(_mm_cmpge_ps(r.p[j], lo), _mm_cmple_ps(r.p[j], hi)));
      continue;
    }
    const __m128 t0 = _mm_mul_ps(_mm_sub_ps(lo, r.p[j]), r.inv[j]);
    const __m128 t1 = _mm_mul_ps(_mm_sub_ps(hi, r.p[j]), r.inv[j]);
    tmin = _mm_max_ps(t0, tmin);
    tmax = _mm_min_ps(t1, tmax);
  }
  entry = tmin;
  return _mm_movemask_ps(_mm_and_ps(inside, _mm_cmple_ps(tmin, tmax)));
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
    const float corners[9] = {a.x, a.y, a.z, b.x, b.y, b.z, c.x, c.y, c.z};
    float d;
    if (!HitTriangle(sheared, corners, d)) continue;
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
  faceCount_ = mesh.getNumFaces();
  std::vector<Point3> corners(std::size_t(faceCount_) * 3);  // three per face, face-major
  std::vector<std::int32_t> order;                            // usable faces
  for (int i = 0; i < faceCount_; ++i) {
    const Face& f = mesh.faces[i];
    if (!FaceUsable(mesh, f)) continue;
    for (int k = 0; k < 3; ++k) corners[3 * i + k] = mesh.verts[f.v[k]];
    order.push_back(i);
  }
  if (order.empty()) return;
  std::vector<Point3> centroids(faceCount_);  // one per face
  for (int i : order) centroids[i] = (corners[3 * i] + corners[3 * i + 1] + corners[3 * i + 2]) * (1.0f / 3.0f);
  std::vector<BinaryNode> binary;
  binary.reserve(2 * order.size() / kLeafSize + 2);
  Build(0, static_cast<int>(order.size()), 0, order, corners, centroids, binary);

  // Leaves begin at multiples of four slots (Build), so each fills one pack; only the last pack
  // may have unused lanes, which keep face -1 and zero corners.
  faces_.assign((order.size() + 3) / 4 * 4, -1);
  std::copy(order.begin(), order.end(), faces_.begin());
  corners_.assign(faces_.size() * 9, 0.0f);
  for (std::size_t s = 0; s < order.size(); ++s)
    for (int k = 0; k < 3; ++k)
      for (int j = 0; j < 3; ++j) corners_[36 * (s / 4) + 4 * (3 * k + j) + s % 4] = corners[3 * std::size_t(order[s]) + k][j];
  nodes_.reserve(binary.size() / 3 + 1);
  depth_ = Gather(binary, 0);
  assert(3 * depth_ + 4 <= kStackSize);
}

namespace {

// Half the surface area of box.
float HalfArea(const Box3& box) {
  const Point3 e = box.pmax - box.pmin;
  return e.x * e.y + e.y * e.z + e.z * e.x;
}

// How many of the faces order[begin, end) (more than kLeafSize) go to the left child, those with
// the smallest centroids along axis: a multiple of four, so that every node and leaf begins at a
// multiple of four slots, chosen among bins of the centroids by the surface-area cost of the two
// children counted in packs of four; the rounded half when the centroids do not spread.
int SplitCount(int begin, int end, const std::vector<std::int32_t>& order, const std::vector<Point3>& corners,
               const std::vector<Point3>& centroids, const Box3& centres, int axis) {
  const int n = end - begin;
  const int half = (n / 2 + 3) / 4 * 4;
  const float low = centres.pmin[axis], extent = centres.pmax[axis] - low;
  if (!(extent > 0.0f)) return half;
  constexpr int kBins = 16;
  int counts[kBins] = {};
  Box3 boxes[kBins];
  const float scale = float(kBins) / extent;
  for (int s = begin; s < end; ++s) {
    const int f = order[s];
    // Compared before converting, so that no value out of range (or not a number) is converted.
    const float x = (centroids[f][axis] - low) * scale;
    const int b = x < float(kBins - 1) ? (x >= 1.0f ? int(x) : 0) : kBins - 1;
    ++counts[b];
    for (int k = 0; k < 3; ++k) boxes[b] += corners[3 * f + k];
  }
  float rightArea[kBins];
  int rightCount[kBins];
  Box3 right;
  int inRight = 0;
  for (int b = kBins - 1; b > 0; --b) {
    right += boxes[b];
    inRight += counts[b];
    rightArea[b] = HalfArea(right);
    rightCount[b] = inRight;
  }
  Box3 left;
  int inLeft = 0, bestLeft = -1;
  float bestCost = std::numeric_limits<float>::infinity();
  for (int b = 1; b < kBins; ++b) {
    left += boxes[b - 1];
    inLeft += counts[b - 1];
    if (inLeft == 0 || rightCount[b] == 0) continue;
    const float cost = HalfArea(left) * float((inLeft + 3) / 4) + rightArea[b] * float((rightCount[b] + 3) / 4);
    if (cost < bestCost) {
      bestCost = cost;
      bestLeft = inLeft;
    }
  }
  if (bestLeft < 0) return half;
  return 4 * std::clamp((bestLeft + 2) / 4, 1, (n - 1) / 4);
}

}  // namespace

int TriangleBvh::Build(int begin, int end, int level, std::vector<std::int32_t>& order,
                       const std::vector<Point3>& corners, const std::vector<Point3>& centroids,
                       std::vector<BinaryNode>& binary) const {
  const int index = static_cast<int>(binary.size());
  binary.push_back({});
  Box3 box, centres;
  for (int s = begin; s < end; ++s) {
    const int f = order[s];
    for (int k = 0; k < 3; ++k) box += corners[3 * f + k];
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
  binary[index].box = box;
  if (end - begin <= kLeafSize) {
    binary[index].first = begin;
    binary[index].count = end - begin;
    return index;
  }
  const Point3 spread = centres.pmax - centres.pmin;
  const int axis = spread.x >= spread.y && spread.x >= spread.z ? 0 : (spread.y >= spread.z ? 1 : 2);
  // Below kCostLevels the halves, whose depth is bounded whatever the mesh, so that the traversal
  // stack suffices.
  const int mid = begin + (level < kCostLevels ? SplitCount(begin, end, order, corners, centroids, centres, axis)
                                               : ((end - begin) / 2 + 3) / 4 * 4);
  std::nth_element(order.begin() + begin, order.begin() + mid, order.begin() + end, [&](int a, int b) {
    return centroids[a][axis] < centroids[b][axis] || (centroids[a][axis] == centroids[b][axis] && a < b);
  });
  Build(begin, mid, level + 1, order, corners, centroids, binary);
  const int right = Build(mid, end, level + 1, order, corners, centroids, binary);
  binary[index].first = right;
  binary[index].count = 0;
  binary[index].axis = axis;
  return index;
}

// Gathers binary node root and up to three levels of its descendants into one four-wide node:
// the inner lane with the largest box is opened until there are four lanes or only leaves.
// Returns the levels of the four-wide tree from the new node down.
int TriangleBvh::Gather(const std::vector<BinaryNode>& binary, int root) {
  const int index = static_cast<int>(nodes_.size());
  nodes_.emplace_back();
  int lanes[4] = {root, -1, -1, -1};
  int used = 1;
  auto area = [&](int b) {
    const Point3 e = binary[b].box.pmax - binary[b].box.pmin;
    return e.x * e.y + e.y * e.z + e.z * e.x;
  };
  while (used < 4) {
    int open = -1;
    for (int k = 0; k < used; ++k)
      if (binary[lanes[k]].count == 0 && (open < 0 || area(lanes[k]) > area(lanes[open]))) open = k;
    if (open < 0) break;
    const int b = lanes[open];
    lanes[open] = b + 1;
    lanes[used++] = binary[b].first;
  }
  int depth = 1;
  for (int k = 0; k < 4; ++k) {
    Box3 box;  // empty lanes keep an empty box, which no ray crosses
    std::int32_t child = kEmpty;
    if (k < used) {
      const BinaryNode& b = binary[lanes[k]];
      box = b.box;
      if (b.count > 0) {
        assert(b.first % 4 == 0 && b.count <= 4);
        child = ~(b.first + b.count - 1);
      } else {
        child = static_cast<std::int32_t>(nodes_.size());
        depth = std::max(depth, 1 + Gather(binary, lanes[k]));  // may move nodes_
      }
    } else {
      box.pmin = Point3(std::numeric_limits<float>::infinity(), std::numeric_limits<float>::infinity(),
                        std::numeric_limits<float>::infinity());
      box.pmax = -box.pmin;
    }
    Node& node = nodes_[index];
    for (int j = 0; j < 3; ++j) {
      node.bounds[j][k] = box.pmin[j];
      node.bounds[3 + j][k] = box.pmax[j];
    }
    node.child[k] = child;
  }
  // The lanes front to back for each octant: down the opened binary nodes, the child on the side
  // the ray comes from first. Empty lanes go first in the push order.
  for (int octant = 0; octant < 8; ++octant) {
    int nearToFar[4], n = 0;
    auto visit = [&](auto& self, int b) -> void {
      for (int k = 0; k < used; ++k)
        if (lanes[k] == b) {
          nearToFar[n++] = k;
          return;
        }
      const bool rightFirst = octant >> binary[b].axis & 1;
      self(self, rightFirst ? binary[b].first : b + 1);
      self(self, rightFirst ? b + 1 : binary[b].first);
    };
    visit(visit, root);
    unsigned order = 0;
    int slot = 0;
    for (int k = used; k < 4; ++k) order |= unsigned(k) << (2 * slot++);
    for (int i = n - 1; i >= 0; --i) order |= unsigned(nearToFar[i]) << (2 * slot++);
    nodes_[index].order[octant] = std::uint8_t(order);
  }
  return depth;
}

bool TriangleBvh::Intersect(const Ray& ray, float& at, Point3& norm) const {
  if (nodes_.empty()) return false;
  const ShearedRay sheared = Shear(ray);
  if (!sheared.usable) return false;
  const BoxRay boxRay = PrepareBoxRay(ray);
  bool hit = false;
  float best = std::numeric_limits<float>::infinity();
  int bestSlot = -1;
  // A little beyond best: a box entered just past it may still hold an equal-distance hit.
  float limit = best;
  // Pending nodes and leaves with the distance where the ray enters their boxes; the nearest on
  // top, so that the farther ones are mostly pruned by best.
  struct Pending {
    std::int32_t child;  // as in Node
    float entry;
  };
  Pending stack[kStackSize];
  const int octant = (ray.dir.x < 0.0f) | (ray.dir.y < 0.0f) << 1 | (ray.dir.z < 0.0f) << 2;
  auto traverse = [&](auto anyFlat) {
    int top = 0;
    stack[top++] = {0, 0.0f};
    while (top > 0) {
      const Pending pending = stack[--top];
      // Entered beyond a hit found since it was pushed.
      if (pending.entry > limit) continue;
      if (pending.child < 0) {
        const int first = ~pending.child & ~3, lanes = (2 << (~pending.child & 3)) - 1;
        float d[4];
        int hits = HitPack(sheared, &corners_[9 * std::size_t(first)], lanes, d);
        while (hits) {
          const int k = __builtin_ctz(hits);
          hits &= hits - 1;
          const int s = first + k;
          // The brute-force cast keeps the first face at the smallest distance.
          if (!hit || d[k] < best || (d[k] == best && faces_[s] < faces_[bestSlot])) {
            hit = true;
            best = d[k];
            bestSlot = s;
            limit = best * (1.0f + 1e-5f) + 1e-30f;
          }
        }
        continue;
      }
      const Node& node = nodes_[pending.child];
      __m128 entries;
      int crossed = CrossesBoxes<decltype(anyFlat)::value>(boxRay, node.bounds, limit, entries);
      // Empty lanes are never pushed, should a degenerate ray cross their empty boxes.
      const __m128i children = _mm_load_si128(reinterpret_cast<const __m128i*>(node.child));
      crossed &= ~_mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(children, _mm_set1_epi32(kEmpty))));
      if (crossed == 0) continue;
      alignas(16) float entry[4];
      _mm_store_ps(entry, entries);
      // The crossed lanes onto the stack, farthest lowest, so that the nearest is popped next.
      // The order only saves work: any order finds the same hit.
      const unsigned order = node.order[octant];
      for (int i = 0; i < 4; ++i) {
        const int k = order >> (2 * i) & 3;
        stack[top] = {node.child[k], entry[k]};
        top += crossed >> k & 1;
      }
    }
  };
  if (boxRay.flat[0] || boxRay.flat[1] || boxRay.flat[2])
    traverse(std::true_type());
  else
    traverse(std::false_type());
  if (!hit) return false;
  at = best;
  const float* pack = &corners_[36 * std::size_t(bestSlot / 4) + bestSlot % 4];
  auto corner = [pack](int k) { return Point3(pack[4 * (3 * k)], pack[4 * (3 * k + 1)], pack[4 * (3 * k + 2)]); };
  norm = FaceNormal(corner(0), corner(1), corner(2));
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
