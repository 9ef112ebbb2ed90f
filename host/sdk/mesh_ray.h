#pragma once
// Ray casts against a triangle mesh: the nearest hit in front of the ray's origin, both faces of
// every triangle, distance in ray-direction units. The brute-force cast tests every triangle; the
// bounding-volume hierarchy gives the same answer (same hit test, ties to the lowest face index)
// while visiting only the triangles whose boxes the ray crosses. Faces with a vertex index outside
// the mesh are never hit.

#include <climits>
#include <cstdint>
#include <memory>
#include <vector>

#include "host/sdk/box3.h"
#include "host/sdk/ray.h"

class Mesh;

// The nearest hit over every face of mesh: true with its distance and the face's unit normal.
bool IntersectMeshBruteForce(const Mesh& mesh, const Ray& ray, float& at, Point3& norm);

class TriangleBvh {
public:
  // Built over mesh's faces as they are now; the mesh is not kept.
  explicit TriangleBvh(const Mesh& mesh);
  bool Intersect(const Ray& ray, float& at, Point3& norm) const;
  int TriangleCount() const { return faceCount_; }

private:
  // Four children per node, their boxes side by side so that a ray meets all four at once; two
  // cache lines.
  struct alignas(64) Node {
    float bounds[6][4];     // per axis min x, y, z then max x, y, z; one lane per child
    // Inner child: its node (>= 0). Leaf: ~(first slot + triangles − 1), the first slot a
    // multiple of 4 and 1 to 4 triangles. Empty lane: kEmpty.
    std::int32_t child[4];
    // Per octant of the ray's direction (bit j: negative on axis j), the lanes in the order they
    // are pushed, farthest first along the splits that made them, 2 bits each from the low bits.
    std::uint8_t order[8];
  };
  static constexpr std::int32_t kEmpty = INT32_MIN;
  // The binary tree the four-wide one is gathered from.
  struct BinaryNode {
    Box3 box;
    std::int32_t first = 0;  // leaf: first slot in order; inner: the right child (left: next node)
    std::int32_t count = 0;  // leaf: slots; inner: 0
    std::int32_t axis = 0;   // inner: the axis along which the right child's centroids are larger
  };
  // level: of the new node in the binary tree, the root 0.
  int Build(int begin, int end, int level, std::vector<std::int32_t>& order, const std::vector<Point3>& corners,
            const std::vector<Point3>& centroids, std::vector<BinaryNode>& binary) const;
  int Gather(const std::vector<BinaryNode>& binary, int root);

  std::vector<Node> nodes_;          // nodes_[0] is the root
  std::vector<std::int32_t> faces_;  // face index per slot, -1 for unused; each leaf owns one pack of 4 slots
  std::vector<float> corners_;       // per pack 9 rows (a.x, a.y, a.z, b.x, ..., c.z) of 4 lanes, one per slot
  int faceCount_ = 0;
  int depth_ = 0;                    // levels of nodes_, for the traversal stack
};

// A mesh's hierarchy, rebuilt when the mesh's geometry version, counts or storage change and
// reused otherwise. A copy starts empty. Not for concurrent use.
class MeshRayCache {
public:
  MeshRayCache() = default;
  MeshRayCache(const MeshRayCache&) {}
  MeshRayCache& operator=(const MeshRayCache&) { bvh_.reset(); return *this; }
  const TriangleBvh& For(const Mesh& mesh);
  int Builds() const { return builds_; }

private:
  struct Key {
    unsigned version = 0;
    const void* verts = nullptr;
    const void* faces = nullptr;
    std::size_t vertCount = 0, faceCount = 0;
    bool operator==(const Key&) const = default;
  };
  std::unique_ptr<TriangleBvh> bvh_;
  Key key_;
  int builds_ = 0;
};
