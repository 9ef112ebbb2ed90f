#pragma once
// Geometry of the host: triangle meshes, polygon meshes and patch meshes, each with an optional
// vertex-colour map (channel 0) whose faces mirror the geometry faces.

#include <array>
#include <vector>

#include "host/sdk/box3.h"
#include "host/sdk/matrix3.h"
#include "host/sdk/shared_array.h"

using VertColor = Point3;  // r, g, b in [0, 1]

// Edge-visibility flags of a triangle.
inline constexpr DWORD EDGE_A = 1;
inline constexpr DWORD EDGE_B = 2;
inline constexpr DWORD EDGE_C = 4;
inline constexpr DWORD EDGE_ALL = EDGE_A | EDGE_B | EDGE_C;

// A face's material id sits in the high 16 bits of its flags.
using MtlID = WORD;
inline constexpr DWORD FACE_MATID_SHIFT = 16;

class Face {
public:
  DWORD v[3] = {0, 0, 0};
  DWORD smGroup = 0;
  DWORD flags = 0;  // edge visibility in the low bits, the material id in the high 16
  void setVerts(int a, int b, int c) { v[0] = DWORD(a); v[1] = DWORD(b); v[2] = DWORD(c); }
  void setEdgeVisFlags(int va, int vb, int vc) {
    flags = (flags & ~EDGE_ALL) | (va ? EDGE_A : 0) | (vb ? EDGE_B : 0) | (vc ? EDGE_C : 0);
  }
  void setMatID(MtlID id) { flags = (flags & 0xFFFFu) | (DWORD(id) << FACE_MATID_SHIFT); }
  MtlID getMatID() const { return MtlID(flags >> FACE_MATID_SHIFT); }
  int getEdgeVis(int edge) const { return (flags >> edge) & 1; }
  void setSmGroup(DWORD g) { smGroup = g; }
  DWORD getVert(int i) const { return v[i]; }
};

class TVFace {
public:
  DWORD t[3] = {0, 0, 0};
  void setTVerts(int a, int b, int c) { t[0] = DWORD(a); t[1] = DWORD(b); t[2] = DWORD(c); }
};

class Mesh {
public:
  std::vector<Point3> verts;
  // Shared by copies of the mesh until changed: the stack's working copies keep the input's faces.
  SharedArray<Face> faces;
  // Map channel 0: vertex colours and their faces (one per geometry face).
  std::vector<VertColor> vertCol;
  std::vector<TVFace> vcFace;

  int getNumVerts() const { return static_cast<int>(verts.size()); }
  int getNumFaces() const { return static_cast<int>(faces.size()); }
  void setNumVerts(int n) { verts.resize(n > 0 ? n : 0); }
  void setNumFaces(int n) { faces.resize(n > 0 ? n : 0); }
  const Point3& getVert(int i) const { return verts[i]; }
  Point3& getVert(int i) { return verts[i]; }
  void setVert(int i, const Point3& p) { verts[i] = p; }
  void setVert(int i, float x, float y, float z) { verts[i] = Point3(x, y, z); }

  // Vertex colours (map channel 0).
  bool mapSupport(int channel) const { return channel == 0 && !vcFace.empty(); }
  void setMapSupport(int channel, bool on = true);
  int getNumVertCol() const { return static_cast<int>(vertCol.size()); }
  void setNumVertCol(int n) { vertCol.resize(n > 0 ? n : 0); }

  Box3 getBoundingBox(const Matrix3* tm = nullptr) const;
  void InvalidateGeomCache() { ++geomVersion_; }
  void InvalidateTopologyCache() { ++geomVersion_; }
  // Changes with every geometry change; caches keyed on a mesh state compare it.
  unsigned geomVersion() const { return geomVersion_; }

private:
  unsigned geomVersion_ = 0;
};

class MNVert {
public:
  Point3 p;
};

class MNFace {
public:
  std::vector<int> vtx;
  int deg() const { return static_cast<int>(vtx.size()); }
};

class MNMap {
public:
  std::vector<Point3> v;
  std::vector<std::vector<int>> f;  // one per polygon, same degree
};

class MNMesh {
public:
  std::vector<MNVert> v;
  std::vector<MNFace> f;
  MNMap vertexColors;  // map channel 0
  bool hasVertexColors = false;

  int numv = 0;  // kept equal to v.size() by the setters
  int VNum() const { return static_cast<int>(v.size()); }
  int FNum() const { return static_cast<int>(f.size()); }
  MNVert* V(int i) { return &v[i]; }
  const MNVert* V(int i) const { return &v[i]; }
  Point3& P(int i) { return v[i].p; }
  const Point3& P(int i) const { return v[i].p; }
  void setNumVerts(int n) { v.resize(n > 0 ? n : 0); numv = VNum(); }
  void InitMap(int channel);
  Box3 getBoundingBox(const Matrix3* tm = nullptr) const;
  void InvalidateGeomCache() {}
};

class PatchVert {
public:
  Point3 p;
};

// A triangular (3 corners) or quadrilateral (4 corners) Bézier patch.
class Patch {
public:
  int type = 4;  // 3 or 4
  int v[4] = {0, 0, 0, 0};
  int vec[8] = {0, 0, 0, 0, 0, 0, 0, 0};
  int interior[4] = {0, 0, 0, 0};
};

class PatchMesh {
public:
  std::vector<PatchVert> verts;  // corner vertices
  std::vector<Point3> vecs;      // tangent handles and interior vectors
  std::vector<Patch> patches;
  // Map channel 0: one colour per corner vertex, patch corners index it.
  std::vector<VertColor> vertexColors;
  bool hasVertexColors = false;

  int getNumVerts() const { return static_cast<int>(verts.size()); }
  int getNumVecs() const { return static_cast<int>(vecs.size()); }
  int getNumPatches() const { return static_cast<int>(patches.size()); }
  const Point3& getVert(int i) const { return verts[i].p; }
  void setVert(int i, const Point3& p) { verts[i].p = p; }
  void setNumVerts(int n) { verts.resize(n > 0 ? n : 0); }
  void setMapSupport(int channel, bool on = true);
  Box3 getBoundingBox(const Matrix3* tm = nullptr) const;
  void InvalidateGeomCache() {}
};
