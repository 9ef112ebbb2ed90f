#include "deformer/bone_table.h"

#include <algorithm>

void BoneEntry::SetIncluded(int v, bool included) {
  if (v < 0) return;
  if (v >= static_cast<int>(vertexCodes.size())) {
    vertexCodes.resize(v + 1, kCodeDefault);
    forcedWeights.resize(std::max<std::size_t>(forcedWeights.size(), v + 1), 0.0f);
  }
  if (included)
    vertexCodes[v] |= kCodeIncluded;
  else
    vertexCodes[v] &= static_cast<std::uint8_t>(~kCodeIncluded);
}

void BoneEntry::EnsureSplineCapacity(int n) {
  // Arrays read from a file may disagree with splineCount: all four end up with at least
  // splineCount entries, so that no writer indexing below splineCount runs past one.
  const std::size_t target = static_cast<std::size_t>(std::max({n, splineCount, 0}));
  if (splineParam.size() < target) splineParam.resize(target, 0.0f);
  if (splineCurve.size() < target) splineCurve.resize(target, 0);
  if (splineOffset.size() < target) splineOffset.resize(target, Point3());
  if (splineTangent.size() < target) splineTangent.resize(target, Point3());
  splineCount = static_cast<std::int32_t>(target);
}

BoneEntry BoneEntry::CopyData() const {
  BoneEntry copy = *this;
  copy.shape = BoneShape();
  copy.node = nullptr;
  return copy;
}

void BoneEntry::ResizeVertexArrays(int n) {
  if (n <= 0) {
    vertexCodes.clear();
    forcedWeights.clear();
  } else {
    vertexCodes.resize(n, kCodeDefault);
    forcedWeights.resize(n, 0.0f);
  }
  if (kind == kSplineBone && splineCount == 0 && n > 0) EnsureSplineCapacity(n);
  bool splineArraysPresent = !splineParam.empty() && !splineCurve.empty() && !splineOffset.empty() &&
                             !splineTangent.empty();
  bool present = !vertexCodes.empty() && !forcedWeights.empty() && (kind != kSplineBone || splineArraysPresent);
  vertexCount = present ? n : 0;
}

bool BoneTable::IsValidFor(int b, int v) const {
  return boneCount > 0 && vertexCount > 0 && !bones.empty() && !attachPositions.empty() &&
         !currentPositions.empty() && (b <= 0 || b == boneCount) && (v <= 0 || v == vertexCount) && IsAttached();
}

void BoneTable::ResizeBones(int n) {
  if (n <= 0) {
    bones.clear();
    boneCount = 0;
    return;
  }
  if (n < boneCount) bones.clear();
  bones.resize(n);
  for (auto& b : bones)
    if (!b) b = std::make_unique<BoneEntry>();
  boneCount = n;
}

void BoneTable::ResizeVertexArrays(int n) {
  if (n <= 0) {
    attachPositions.clear();
    currentPositions.clear();
    blendMix.clear();
    vertexCount = 0;
  } else {
    attachPositions.resize(n);
    currentPositions.resize(n);
    blendMix.resize(n, 1.0f);
    vertexCount = n;
  }
  for (auto& b : bones) b->ResizeVertexArrays(n);
}

void BoneTable::ResizeFrames() {
  frameCount = boneCount;
  currentFrames.resize(frameCount);
  bindFrames.resize(frameCount);
}

void BoneTable::RebuildBindFrames() {
  ResizeFrames();
  for (int i = 0; i < boneCount; ++i) {
    const BoneShape& s = bones[i]->bindShape;
    AffineFrame f = RigidInverse(s.frame);
    for (int row = 0; row < 3; ++row)
      for (int c = 0; c < 4; ++c) f.m[row][c] /= s.radius[row];
    bindFrames[i] = f;
  }
}

void BoneTable::RebuildCurrentFrames() {
  if (frameCount != boneCount) ResizeFrames();
  for (int i = 0; i < boneCount; ++i) {
    const BoneShape& s = bones[i]->shape;
    currentFrames[i] = ScaleAxes(s.frame, Point3(s.radius[0], s.radius[1], s.radius[2]));
  }
}

int BoneTable::RemoveBoneOfNode(INode* node) {
  for (int i = 0; i < boneCount; ++i) {
    if (bones[i]->node != node) continue;
    RemoveBone(i);
    return i;
  }
  return -1;
}

void BoneTable::RemoveBone(int index) {
  if (index < 0 || index >= boneCount) return;
  bones.erase(bones.begin() + index);
  boneCount = static_cast<int>(bones.size());
  RebuildBindFrames();
}
