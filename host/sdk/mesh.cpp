#include "host/sdk/mesh.h"

#include "host/sdk/triobj.h"

namespace {

template <class Points, class Get>
Box3 BoundsOf(const Points& points, const Matrix3* tm, Get get) {
  Box3 b;
  for (const auto& p : points) b += tm ? get(p) * *tm : get(p);
  return b;
}

}  // namespace

void Mesh::setMapSupport(int channel, bool on) {
  if (channel != 0) return;
  if (!on) {
    vertCol.clear();
    vcFace.clear();
    return;
  }
  vcFace.resize(faces.size());
}

Box3 Mesh::getBoundingBox(const Matrix3* tm) const {
  return BoundsOf(verts, tm, [](const Point3& p) { return p; });
}

void MNMesh::InitMap(int channel) {
  if (channel != 0) return;
  hasVertexColors = true;
  vertexColors.v.assign(v.size(), Point3(1.0f, 1.0f, 1.0f));
  vertexColors.f.clear();
  for (const MNFace& face : f) vertexColors.f.push_back(face.vtx);
}

Box3 MNMesh::getBoundingBox(const Matrix3* tm) const {
  return BoundsOf(v, tm, [](const MNVert& p) { return p.p; });
}

void PatchMesh::setMapSupport(int channel, bool on) {
  if (channel != 0) return;
  hasVertexColors = on;
  if (on)
    vertexColors.resize(verts.size(), Point3(1.0f, 1.0f, 1.0f));
  else
    vertexColors.clear();
}

Box3 PatchMesh::getBoundingBox(const Matrix3* tm) const {
  return BoundsOf(verts, tm, [](const PatchVert& p) { return p.p; });
}

void ConvertPolyToTriMesh(const MNMesh& from, Mesh& to) {
  to.verts.clear();
  for (const MNVert& v : from.v) to.verts.push_back(v.p);
  to.faces.clear();
  for (const MNFace& f : from.f) {
    // A fan; only the polygon's outline edges are visible.
    for (int k = 1; k + 1 < f.deg(); ++k) {
      Face face;
      face.setVerts(f.vtx[0], f.vtx[k], f.vtx[k + 1]);
      face.setEdgeVisFlags(k == 1, 1, k + 2 == f.deg());
      to.faces.push_back(face);
    }
  }
  to.vertCol.clear();
  to.vcFace.clear();
  to.InvalidateGeomCache();
}

void ConvertTriToPolyMesh(const Mesh& from, MNMesh& to) {
  to.v.clear();
  for (const Point3& p : from.verts) to.v.push_back(MNVert{p});
  to.numv = to.VNum();
  to.f.clear();
  for (const Face& face : from.faces) to.f.push_back(MNFace{{int(face.v[0]), int(face.v[1]), int(face.v[2])}});
  to.hasVertexColors = false;
  to.vertexColors = MNMap();
}

void ConvertPatchToPolyMesh(const PatchMesh& from, MNMesh& to) {
  to.v.clear();
  for (const PatchVert& p : from.verts) to.v.push_back(MNVert{p.p});
  to.numv = to.VNum();
  to.f.clear();
  for (const Patch& p : from.patches) {
    MNFace f;
    for (int k = 0; k < p.type; ++k) f.vtx.push_back(p.v[k]);
    to.f.push_back(f);
  }
  to.hasVertexColors = false;
  to.vertexColors = MNMap();
}

// --- Triangle mesh object -------------------------------------------------------------------

ObjectState TriObject::Eval(TimeValue t) {
  (void)t;
  return ObjectState(this);
}

void TriObject::GetDeformBBox(TimeValue t, Box3& box, Matrix3* tm, BOOL useSel) {
  (void)t;
  (void)useSel;
  box = mesh.getBoundingBox(tm);
}

int TriObject::CanConvertToType(Class_ID obtype) {
  return obtype == triObjectClassID || obtype == polyObjectClassID || obtype == defObjectClassID;
}

Object* TriObject::ConvertToType(TimeValue t, Class_ID obtype) {
  (void)t;
  if (obtype == triObjectClassID || obtype == defObjectClassID) return this;
  if (obtype == polyObjectClassID) {
    PolyObject* p = CreateEditablePolyObject();
    ConvertTriToPolyMesh(mesh, p->mm);
    return p;
  }
  return nullptr;
}

Object* TriObject::MakeShallowCopy(ChannelMask channels) {
  (void)channels;
  TriObject* copy = CreateNewTriObject();
  copy->mesh = mesh;
  copy->CopyValidity(*this);
  return copy;
}

ReferenceTarget* TriObject::Clone(RemapDir& remap) {
  TriObject* copy = CreateNewTriObject();
  copy->mesh = mesh;
  BaseClone(this, copy, remap);
  return copy;
}

int TriObject::IntersectRay(TimeValue t, const Ray& ray, float& at, Point3& norm) {
  (void)t;
  return rayCache.For(mesh).Intersect(ray, at, norm) ? TRUE : FALSE;
}

TriObject* CreateNewTriObject() { return new TriObject(); }

// --- Ray casts over polygons and patches --------------------------------------------------------

bool TriangulatedRays::Intersect(const MNMesh& polygons, const Ray& ray, float& at, Point3& norm) {
  const Key key{version_, polygons.v.data(), polygons.f.data(), polygons.v.size(), polygons.f.size()};
  if (!(key == key_)) {
    ConvertPolyToTriMesh(polygons, triangles_);
    key_ = key;
  }
  return cache_.For(triangles_).Intersect(ray, at, norm);
}

bool TriangulatedRays::Intersect(const PatchMesh& patches, const Ray& ray, float& at, Point3& norm) {
  const Key key{version_, patches.verts.data(), patches.patches.data(), patches.verts.size(), patches.patches.size()};
  if (!(key == key_)) {
    MNMesh corners;
    ConvertPatchToPolyMesh(patches, corners);
    ConvertPolyToTriMesh(corners, triangles_);
    key_ = key;
  }
  return cache_.For(triangles_).Intersect(ray, at, norm);
}

// --- Polygon mesh object --------------------------------------------------------------------

ObjectState PolyObject::Eval(TimeValue t) {
  (void)t;
  return ObjectState(this);
}

int PolyObject::IntersectRay(TimeValue t, const Ray& ray, float& at, Point3& norm) {
  (void)t;
  return rays.Intersect(mm, ray, at, norm) ? TRUE : FALSE;
}

void PolyObject::GetDeformBBox(TimeValue t, Box3& box, Matrix3* tm, BOOL useSel) {
  (void)t;
  (void)useSel;
  box = mm.getBoundingBox(tm);
}

int PolyObject::CanConvertToType(Class_ID obtype) {
  return obtype == triObjectClassID || obtype == polyObjectClassID || obtype == defObjectClassID;
}

Object* PolyObject::ConvertToType(TimeValue t, Class_ID obtype) {
  (void)t;
  if (obtype == polyObjectClassID || obtype == defObjectClassID) return this;
  if (obtype == triObjectClassID) {
    TriObject* tri = CreateNewTriObject();
    ConvertPolyToTriMesh(mm, tri->mesh);
    return tri;
  }
  return nullptr;
}

Object* PolyObject::MakeShallowCopy(ChannelMask channels) {
  (void)channels;
  PolyObject* copy = CreateEditablePolyObject();
  copy->mm = mm;
  copy->CopyValidity(*this);
  return copy;
}

ReferenceTarget* PolyObject::Clone(RemapDir& remap) {
  PolyObject* copy = CreateEditablePolyObject();
  copy->mm = mm;
  BaseClone(this, copy, remap);
  return copy;
}

PolyObject* CreateEditablePolyObject() { return new PolyObject(); }

// --- Patch mesh object ----------------------------------------------------------------------

ObjectState PatchObject::Eval(TimeValue t) {
  (void)t;
  return ObjectState(this);
}

int PatchObject::IntersectRay(TimeValue t, const Ray& ray, float& at, Point3& norm) {
  (void)t;
  return rays.Intersect(patch, ray, at, norm) ? TRUE : FALSE;
}

void PatchObject::GetDeformBBox(TimeValue t, Box3& box, Matrix3* tm, BOOL useSel) {
  (void)t;
  (void)useSel;
  box = patch.getBoundingBox(tm);
}

int PatchObject::CanConvertToType(Class_ID obtype) {
  return obtype == patchObjectClassID || obtype == polyObjectClassID || obtype == triObjectClassID ||
         obtype == defObjectClassID;
}

Object* PatchObject::ConvertToType(TimeValue t, Class_ID obtype) {
  (void)t;
  if (obtype == patchObjectClassID || obtype == defObjectClassID) return this;
  MNMesh poly;
  ConvertPatchToPolyMesh(patch, poly);
  if (obtype == polyObjectClassID) {
    PolyObject* p = CreateEditablePolyObject();
    p->mm = poly;
    return p;
  }
  if (obtype == triObjectClassID) {
    TriObject* tri = CreateNewTriObject();
    ConvertPolyToTriMesh(poly, tri->mesh);
    return tri;
  }
  return nullptr;
}

Object* PatchObject::MakeShallowCopy(ChannelMask channels) {
  (void)channels;
  PatchObject* copy = CreatePatchObject();
  copy->patch = patch;
  copy->CopyValidity(*this);
  return copy;
}

ReferenceTarget* PatchObject::Clone(RemapDir& remap) {
  PatchObject* copy = CreatePatchObject();
  copy->patch = patch;
  BaseClone(this, copy, remap);
  return copy;
}

PatchObject* CreatePatchObject() { return new PatchObject(); }
