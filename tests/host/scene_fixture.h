#pragma once
// A clean headless scene for every test, and small builders of meshes and nodes.

#include <gtest/gtest.h>

#include "host/headless/headless_host.h"
#include "host/sdk/triobj.h"

class SceneTest : public ::testing::Test {
protected:
  void SetUp() override { TheHost().ResetScene(); }
  void TearDown() override { TheHost().ResetScene(); }

  HeadlessHost& host() { return TheHost(); }
  static TimeValue Frame(int f) { return f * GetTicksPerFrame(); }

  // A triangle mesh object with the given vertices and no faces.
  static TriObject* MeshOf(std::initializer_list<Point3> points) {
    TriObject* tri = CreateNewTriObject();
    tri->mesh.verts.assign(points.begin(), points.end());
    return tri;
  }
};
