#pragma once
// A skin modifier whose bone table and weight cache are filled by hand, without an attachment:
// bones get their shapes directly, vertices their positions and weights.

#include <vector>

#include "deformer/tessarin.h"
#include "host/scene_fixture.h"

// An ellipsoid with the rotation's axes (rows of `rotation`), centre and radii.
inline BoneShape MakeShape(const Matrix3& rotation, const Point3& centre, const Point3& radii) {
  BoneShape s;
  s.frame = FrameFromMatrix(rotation);
  SetOrigin(s.frame, centre);
  for (int c = 0; c < 3; ++c) s.radius[c] = radii[c];
  return s;
}

class HandBuiltSkinTest : public SceneTest {
protected:
  void SetUp() override {
    SceneTest::SetUp();
    skin_ = new Tessarin();
  }
  void TearDown() override {
    skin_->DeleteMe();
    SceneTest::TearDown();
  }

  Tessarin& skin() { return *skin_; }

  // `bones` bones at rest (unit shapes at the origin, current = attachment), the vertices'
  // attachment and current positions, all weights 0, attached at time 0.
  void Build(int bones, const std::vector<Point3>& positions) {
    BoneTable& t = skin_->table;
    const int n = static_cast<int>(positions.size());
    t.ResizeBones(bones);
    t.ResizeVertexArrays(n);
    t.ResizeFrames();
    t.attachPositions = positions;
    t.currentPositions = positions;
    t.attachTime = 0;
    for (auto& b : t.bones) {
      b->bindShape = MakeShape(Matrix3(), Point3(), Point3(1, 1, 1));
      b->shape = b->bindShape;
    }
    skin_->cache.weights.assign(static_cast<std::size_t>(n) * bones, 0.0f);
    skin_->cache.weightsKey = {bones, n};
    skin_->cache.vertexColors.assign(n, 0u);
    Refresh();
  }

  BoneEntry& Bone(int i) { return *skin_->table.bones[i]; }
  float& Weight(int vertex, int bone) {
    return skin_->cache.weights[static_cast<std::size_t>(vertex) * skin_->table.boneCount + bone];
  }
  // Rebuilds both frame arrays from the bones' shapes.
  void Refresh() {
    skin_->table.RebuildBindFrames();
    skin_->table.RebuildCurrentFrames();
  }

private:
  Tessarin* skin_ = nullptr;
};
