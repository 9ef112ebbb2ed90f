#pragma once
// A skin modifier's bones and their attachment data. Field order matches the stored layout.

#include <cstdint>
#include <memory>
#include <vector>

#include "deformer/affine_frame.h"
#include "host/sdk/maxtypes.h"

class INode;

// Bone kinds: how a bone's shape is measured and how it deforms.
enum BoneKind : std::int32_t {
  kUnclassifiedBone = 0,  // measured like a box bone
  kBoxBone = 1,           // a geometric or helper object
  kLinkBone = 2,          // the link from the parent joint (legacy bone objects)
  kBoneObjectBone = 3,    // the host's bone geometry object
  kSplineBone = 4,        // a shape: vertices follow its curves
};

// Vertex influence codes: one byte per bone and vertex.
inline constexpr std::uint8_t kCodeIncluded = 0x80;  // bit 7: the bone may influence the vertex
inline constexpr std::uint8_t kCodeForced = 0xFE;    // included, weight forced (forcedWeights %)
inline constexpr std::uint8_t kCodeDefault = 0x80;   // included, weight computed

inline constexpr std::uint32_t kBoneSelectedFlag = 0x80000000u;
inline constexpr TimeValue kNotAttached = TIME_NegInfinity;

struct BoneEntry {
  std::int32_t kind = kUnclassifiedBone;
  std::uint32_t color = 0x00FF0000;
  BoneShape bindShape;
  Matrix3 bindNodeTM;
  BoneShape shape;  // at the current evaluation; neither stored nor cloned
  std::uint32_t flags = 0;
  std::int32_t vertexCount = 0;
  std::vector<std::uint8_t> vertexCodes;  // one per vertex
  float falloff = 1.0f;
  float falloffDistance = 1.0f;
  float strength = 1.0f;
  INode* node = nullptr;  // held by the modifier as reference 2 + bone index
  std::vector<float> forcedWeights;  // one per vertex, percent
  std::int32_t splineCount = 0;
  std::vector<float> splineParam;         // one per bound vertex
  std::vector<std::int32_t> splineCurve;  // one per bound vertex
  std::vector<Point3> splineOffset;       // one per bound vertex, shape object space
  std::vector<Point3> splineTangent;      // one per bound vertex

  // The code of vertex v; past the array's end a vertex is included with a computed weight.
  std::uint8_t CodeOf(int v) const {
    return v >= 0 && v < static_cast<int>(vertexCodes.size()) ? vertexCodes[v] : kCodeDefault;
  }
  // Sets or clears bit 7 of vertex v's code, keeping the other bits; grows the per-vertex arrays
  // to v + 1 first when needed (new codes 0x80, new forced weights 0).
  void SetIncluded(int v, bool included);
  // Resizes the per-vertex arrays to n (new codes 0x80, forced weights 0); a spline bone not yet
  // bound also gets n zero-filled spline entries. Updates vertexCount as the model requires.
  void ResizeVertexArrays(int n);
  // Makes the spline arrays hold at least n entries (zero-filled), raising splineCount.
  void EnsureSplineCapacity(int n);
  // A copy of every member but the current shape (left at its default) and the node (none): what
  // a clone or a de-duplicating import carries over before it sets the node as a reference.
  BoneEntry CopyData() const;
};

struct BoneTable {
  TimeValue attachTime = kNotAttached;
  std::int32_t boneCount = 0;
  std::vector<std::unique_ptr<BoneEntry>> bones;  // boneCount entries, never null
  std::int32_t frameCount = 0;
  std::vector<AffineFrame> currentFrames;  // frameCount entries: unit sphere → current ellipsoid
  std::vector<AffineFrame> bindFrames;     // frameCount entries: world → unit sphere at attachment
  Matrix3 attachNodeTM;
  Matrix3 attachObjectTM;
  std::int32_t vertexCount = 0;
  std::vector<Point3> currentPositions;  // vertexCount entries, world space
  std::vector<Point3> attachPositions;   // vertexCount entries, world space
  std::vector<float> blendMix;           // vertexCount entries, default 1.0

  // Valid for b bones and v vertices (b ≤ 0 / v ≤ 0: any count).
  bool IsValidFor(int b, int v) const;
  bool IsAttached() const { return attachTime != kNotAttached; }

  // n default entries replace the table when shrinking; growing keeps the existing entries.
  void ResizeBones(int n);
  // Table arrays take n entries (blendMix new entries 1.0), then every bone's per-vertex arrays.
  void ResizeVertexArrays(int n);
  void Detach() { attachTime = kNotAttached; }
  // bindFrames[i] = rigid inverse of bindShape's frame, rows divided by the radii.
  void RebuildBindFrames();
  // currentFrames[i] = shape's frame with each axis scaled by its radius.
  void RebuildCurrentFrames();
  // Removes the first bone whose node is `node`; later bones move down; frames rebuilt. Returns
  // the removed index or -1. The caller invalidates the weight cache and its references.
  int RemoveBoneOfNode(INode* node);
  // Removes bone index; later bones move down; frames resized and bind frames rebuilt.
  void RemoveBone(int index);
  // Frame arrays take boneCount entries.
  void ResizeFrames();
};
