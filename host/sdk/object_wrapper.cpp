#include "host/sdk/object_wrapper.h"

bool ObjectWrapper::Init(TimeValue t, ObjectState& os, bool copy, int extraFlags, int nativeType) {
  (void)copy;
  (void)extraFlags;
  Release();
  Object* obj = os.obj;
  if (!obj) return false;
  Class_ID id = obj->ClassID();
  if (id != triObjectClassID && id != polyObjectClassID && id != patchObjectClassID) {
    Class_ID target = nativeType == triObject ? triObjectClassID : polyObjectClassID;
    if (!obj->IsDeformable() || !obj->CanConvertToType(target)) return false;
    Object* converted = obj->ConvertToType(t, target);
    if (!converted) return false;
    // The pipeline owns the converted object from here on.
    os.obj = converted;
    obj = converted;
    id = target;
  }
  object_ = obj;
  if (id == triObjectClassID) {
    type_ = triObject;
    tri_ = static_cast<TriObject*>(obj);
    verts_ = tri_->mesh.verts;
  } else if (id == polyObjectClassID) {
    type_ = polyObject;
    poly_ = static_cast<PolyObject*>(obj);
    verts_.resize(poly_->mm.v.size());
    for (std::size_t i = 0; i < verts_.size(); ++i) verts_[i] = poly_->mm.v[i].p;
  } else {
    type_ = patchObject;
    patch_ = static_cast<PatchObject*>(obj);
    verts_.resize(patch_->patch.verts.size());
    for (std::size_t i = 0; i < verts_.size(); ++i) verts_[i] = patch_->patch.verts[i].p;
  }
  return true;
}

void ObjectWrapper::Release() {
  type_ = empty;
  object_ = nullptr;
  tri_ = nullptr;
  poly_ = nullptr;
  patch_ = nullptr;
  // Emptied, its capacity kept: the next Init of a mesh of the same size then allocates nothing.
  verts_.clear();
}

void ObjectWrapper::SetVert(int i, const Point3& p) {
  verts_[i] = p;
  if (tri_) tri_->mesh.verts[i] = p;
  if (poly_) poly_->mm.v[i].p = p;
  if (patch_) patch_->patch.verts[i].p = p;
}

void ObjectWrapper::Invalidate(int channel) {
  if (channel == GEOM_CHAN_NUM && tri_) tri_->mesh.InvalidateGeomCache();
  if (object_) object_->PointsWereChanged();
}

void ObjectWrapper::SetupVertexColors() {
  if (tri_) {
    Mesh& m = tri_->mesh;
    m.vertCol.assign(m.verts.size(), Point3(1.0f, 1.0f, 1.0f));
    const SharedArray<Face>& faces = m.faces;  // read only: the faces stay shared with the input
    m.vcFace.resize(faces.size());
    for (std::size_t f = 0; f < faces.size(); ++f)
      m.vcFace[f].setTVerts(int(faces[f].v[0]), int(faces[f].v[1]), int(faces[f].v[2]));
  } else if (poly_) {
    poly_->mm.InitMap(0);
  } else if (patch_) {
    patch_->patch.setMapSupport(0, true);
  }
}

void ObjectWrapper::SetVertexColor(int vertex, const VertColor& c) {
  if (tri_) tri_->mesh.vertCol[vertex] = c;
  else if (poly_) poly_->mm.vertexColors.v[vertex] = c;
  else if (patch_) patch_->patch.vertexColors[vertex] = c;
}
