#pragma once
// Ray casts against a triangle mesh: the nearest hit in front of the ray's origin, both faces of
// every triangle, distance in ray-direction units. The brute-force cast tests every triangle; the
// bounding-volume hierarchy gives the same answer (same hit test, ties to the lowest face index)
// while visiting only the triangles whose boxes the ray crosses. Faces with a vertex index outside
// the mesh are never hit.

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
  int TriangleCount() const { return static_cast<int>(corners_.size() / 3); }

private:
  struct Node {
    Box3 box;
    std::int32_t first = 0;  // leaf: first slot in order_; inner: the right child (left: next node)
    std::int32_t count = 0;  // leaf: slots; inner: 0
  };
  int Build(int begin, int end, std::vector<Point3>& centroids);

  std::vector<Node> nodes_;       // nodes_[0] is the root
  std::vector<std::int32_t> order_;  // face indices, leaves own contiguous runs
  std::vector<Point3> corners_;   // three corners per face, face-major (unusable faces empty)
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
