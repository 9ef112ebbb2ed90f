#pragma once
// Skins, orbicles and fluxel meshes for the push-out tests: a skin on a mesh node, orbicle
// sources with chosen sizes, blend and direction, and fluxel nodes on box or plane meshes.

#include <vector>

#include "host/sdk/ref_container.h"
#include "module/registry/fluxel_parameters.h"
#include "module/registry/orbicle_parameters.h"
#include "module/registry/tessarin_parameters.h"
#include "sources/influence_passes.h"
#include "sources/influence_source_fixture.h"
#include "tests/support/tolerance.h"

class PushOutTest : public InfluenceSourceTest {
protected:
  // An orbicle node of full extents (2a, 2b, 2c) at translation at, under parent.
  SceneNode* OrbicleNode(const wchar_t* name, Point3 semiAxes, int blend = 0, int direction = 0,
                         Point3 at = {}, INode* parent = nullptr) {
    auto* ob = new Orbicle();
    IParamBlock2* pb = ob->GetParamBlock(0);
    pb->SetValue(orbicle_param::length, 0, semiAxes.x * 2.0f);
    pb->SetValue(orbicle_param::width, 0, semiAxes.y * 2.0f);
    pb->SetValue(orbicle_param::height, 0, semiAxes.z * 2.0f);
    pb->SetValue(orbicle_param::blend, 0, blend);
    pb->SetValue(orbicle_param::direction, 0, direction);
    SceneNode* node = NodeWith(name, ob, {}, parent);
    Matrix3 tm(true);
    tm.SetTrans(at);
    node->SetNodeTM(0, tm);
    return node;
  }

  static Orbicle* OrbicleOf(INode* node) { return static_cast<Orbicle*>(node->GetObjectRef()); }

  // A triangle mesh of the axis-aligned box from lo to hi (12 triangles).
  static TriObject* BoxMesh(Point3 lo, Point3 hi) {
    TriObject* tri = CreateNewTriObject();
    Mesh& m = tri->mesh;
    for (int k = 0; k < 8; ++k)
      m.verts.push_back({(k & 1) ? hi.x : lo.x, (k & 2) ? hi.y : lo.y, (k & 4) ? hi.z : lo.z});
    const int quads[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    for (const auto& q : quads) {
      Face a, b;
      a.setVerts(q[0], q[1], q[2]);
      b.setVerts(q[0], q[2], q[3]);
      m.faces.push_back(a);
      m.faces.push_back(b);
    }
    m.InvalidateGeomCache();
    return tri;
  }

  // The square of half-size s in the plane z = 0 (2 triangles).
  static TriObject* PlaneMesh(float s) {
    TriObject* tri = CreateNewTriObject();
    Mesh& m = tri->mesh;
    m.verts = {{-s, -s, 0}, {s, -s, 0}, {s, s, 0}, {-s, s, 0}};
    Face a, b;
    a.setVerts(0, 1, 2);
    b.setVerts(0, 2, 3);
    m.faces = {a, b};
    m.InvalidateGeomCache();
    return tri;
  }

  // A node carrying mesh with a Fluxel of the given settings; the fluxel is returned in fluxel.
  SceneNode* FluxelNode(const wchar_t* name, TriObject* mesh, int blend, Fluxel** fluxel = nullptr,
                        int direction = 0) {
    auto* fx = new Fluxel();
    fx->pblock->SetValue(fluxel_param::blend, 0, blend);
    fx->pblock->SetValue(fluxel_param::direction, 0, direction);
    if (fluxel) *fluxel = fx;
    return NodeWith(name, mesh, {fx});
  }

  static void AddSource(Tessarin* skin, INode* node) { skin->sourceContainer->AppendItem(node); }

  // Runs pass over points; touched comes back in moved.
  static std::vector<Point3> Run(void (*pass)(Tessarin&, TimeValue, int, Point3*, std::uint8_t*), Tessarin* skin,
                                 std::vector<Point3> points, std::vector<std::uint8_t>* moved = nullptr) {
    std::vector<std::uint8_t> touched(points.size(), 0);
    pass(*skin, 0, int(points.size()), points.data(), touched.data());
    if (moved) *moved = touched;
    return points;
  }
};
