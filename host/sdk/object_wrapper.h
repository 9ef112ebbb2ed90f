#pragma once
// Uniform vertex access over a triangle, polygon or patch mesh object. The wrapper keeps its own
// array of the positions (read at Init); SetVert writes both that array and the object.

#include <vector>

#include "host/sdk/triobj.h"

class ObjectWrapper {
public:
  enum { empty = -1, triObject = 0, polyObject = 1, patchObject = 2 };

  // Wraps os->obj at t: triangle, polygon and patch meshes as they are; any other deformable
  // object is converted to nativeType (the converted object replaces os->obj). False if the
  // object cannot be wrapped.
  bool Init(TimeValue t, ObjectState& os, bool copy = false, int extraFlags = 0, int nativeType = polyObject);
  // Lets go of the object; the position array keeps its capacity for the next Init.
  void Release();

  int Type() const { return type_; }
  int NumVerts() const { return static_cast<int>(verts_.size()); }
  // The wrapper's own array of positions (object space), one per vertex.
  Point3* Verts() { return verts_.data(); }
  Point3* GetVert(int i) { return &verts_[i]; }
  void SetVert(int i, const Point3& p);
  // Marks a channel of the wrapped object changed (GEOM_CHAN_NUM, VERT_COLOR_CHAN_NUM, ...).
  void Invalidate(int channel);

  Mesh* GetTriMesh() { return tri_ ? &tri_->mesh : nullptr; }
  MNMesh* GetPolyMesh() { return poly_ ? &poly_->mm : nullptr; }
  PatchMesh* GetPatchMesh() { return patch_ ? &patch_->patch : nullptr; }
  Object* GetObject() { return object_; }

  // Vertex colours (map channel 0): enables the channel with one colour per vertex, faces
  // mirroring the geometry faces; then SetVertexColor writes colour i of vertex i.
  void SetupVertexColors();
  void SetVertexColor(int vertex, const VertColor& c);

private:
  int type_ = empty;
  Object* object_ = nullptr;
  TriObject* tri_ = nullptr;
  PolyObject* poly_ = nullptr;
  PatchObject* patch_ = nullptr;
  std::vector<Point3> verts_;
};
