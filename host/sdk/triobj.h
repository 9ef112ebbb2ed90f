#pragma once
// The host's editable geometry objects: triangle, polygon and patch meshes.

#include "host/sdk/mesh.h"
#include "host/sdk/mesh_ray.h"
#include "host/sdk/object.h"

class TriObject : public GeomObject {
public:
  Mesh mesh;

  Class_ID ClassID() override { return triObjectClassID; }
  void GetClassName(MSTR& s, bool localized = true) const override { (void)localized; s = L"Editable Mesh"; }
  ObjectState Eval(TimeValue t) override;
  BOOL IsDeformable() override { return TRUE; }
  int NumPoints() override { return mesh.getNumVerts(); }
  Point3 GetPoint(int i) override { return mesh.getVert(i); }
  void SetPoint(int i, const Point3& p) override { mesh.setVert(i, p); }
  void PointsWereChanged() override { mesh.InvalidateGeomCache(); }
  void GetDeformBBox(TimeValue t, Box3& box, Matrix3* tm = nullptr, BOOL useSel = FALSE) override;
  int CanConvertToType(Class_ID obtype) override;
  Object* ConvertToType(TimeValue t, Class_ID obtype) override;
  Object* MakeShallowCopy(ChannelMask channels) override;
  ReferenceTarget* Clone(RemapDir& remap) override;
  IOResult Save(ISave* isave) override;
  IOResult Load(ILoad* iload) override;
  // Nearest hit in front of the origin, both faces of every triangle, through rayCache.
  int IntersectRay(TimeValue t, const Ray& ray, float& at, Point3& norm) override;

  // The mesh's ray-cast hierarchy, rebuilt after a geometry change (writers of mesh.verts call
  // mesh.InvalidateGeomCache or PointsWereChanged). Ray casts on one object are not concurrent.
  MeshRayCache rayCache;
};

// Ray casts over polygons or patches through a triangulation of them: fans of the polygons, the
// corner polygons of the patches. Rebuilt when the owner's points were changed (PointsWereChanged)
// or its counts or storage changed; a cast that finds it current only reads it.
class TriangulatedRays {
public:
  TriangulatedRays() = default;
  TriangulatedRays(const TriangulatedRays&) {}
  TriangulatedRays& operator=(const TriangulatedRays&) {
    key_ = Key();
    return *this;
  }
  void PointsChanged() { ++version_; }
  bool Intersect(const MNMesh& polygons, const Ray& ray, float& at, Point3& norm);
  bool Intersect(const PatchMesh& patches, const Ray& ray, float& at, Point3& norm);

private:
  struct Key {
    unsigned version = ~0u;
    const void* verts = nullptr;
    const void* faces = nullptr;
    std::size_t vertCount = 0, faceCount = 0;
    bool operator==(const Key&) const = default;
  };
  Mesh triangles_;
  MeshRayCache cache_;
  Key key_;
  unsigned version_ = 0;
};

class PolyObject : public GeomObject {
public:
  MNMesh mm;

  Class_ID ClassID() override { return polyObjectClassID; }
  void GetClassName(MSTR& s, bool localized = true) const override { (void)localized; s = L"Editable Poly"; }
  ObjectState Eval(TimeValue t) override;
  BOOL IsDeformable() override { return TRUE; }
  int NumPoints() override { return mm.VNum(); }
  Point3 GetPoint(int i) override { return mm.P(i); }
  void SetPoint(int i, const Point3& p) override { mm.P(i) = p; }
  void PointsWereChanged() override { rays.PointsChanged(); }
  // Nearest hit in front of the origin over the polygons' fan triangles, both faces.
  int IntersectRay(TimeValue t, const Ray& ray, float& at, Point3& norm) override;
  TriangulatedRays rays;
  void GetDeformBBox(TimeValue t, Box3& box, Matrix3* tm = nullptr, BOOL useSel = FALSE) override;
  int CanConvertToType(Class_ID obtype) override;
  Object* ConvertToType(TimeValue t, Class_ID obtype) override;
  Object* MakeShallowCopy(ChannelMask channels) override;
  ReferenceTarget* Clone(RemapDir& remap) override;
  IOResult Save(ISave* isave) override;
  IOResult Load(ILoad* iload) override;
};

class PatchObject : public GeomObject {
public:
  PatchMesh patch;

  Class_ID ClassID() override { return patchObjectClassID; }
  void GetClassName(MSTR& s, bool localized = true) const override { (void)localized; s = L"Editable Patch"; }
  ObjectState Eval(TimeValue t) override;
  BOOL IsDeformable() override { return TRUE; }
  int NumPoints() override { return patch.getNumVerts(); }
  Point3 GetPoint(int i) override { return patch.getVert(i); }
  void SetPoint(int i, const Point3& p) override { patch.setVert(i, p); }
  void PointsWereChanged() override { rays.PointsChanged(); }
  // Nearest hit in front of the origin over the patches' corner polygons, both faces.
  int IntersectRay(TimeValue t, const Ray& ray, float& at, Point3& norm) override;
  TriangulatedRays rays;
  void GetDeformBBox(TimeValue t, Box3& box, Matrix3* tm = nullptr, BOOL useSel = FALSE) override;
  int CanConvertToType(Class_ID obtype) override;
  Object* ConvertToType(TimeValue t, Class_ID obtype) override;
  Object* MakeShallowCopy(ChannelMask channels) override;
  ReferenceTarget* Clone(RemapDir& remap) override;
  IOResult Save(ISave* isave) override;
  IOResult Load(ILoad* iload) override;
};

TriObject* CreateNewTriObject();
PolyObject* CreateEditablePolyObject();
PatchObject* CreatePatchObject();

// Triangulates polygons as fans and patches as their corner polygons.
void ConvertPolyToTriMesh(const MNMesh& from, Mesh& to);
void ConvertTriToPolyMesh(const Mesh& from, MNMesh& to);
void ConvertPatchToPolyMesh(const PatchMesh& from, MNMesh& to);
