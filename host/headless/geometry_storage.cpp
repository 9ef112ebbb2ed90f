// Scene storage of the editable meshes. Every index a loaded mesh holds is checked against the
// array it indexes, so that no later evaluation reads past one.

#include <string>

#include "host/headless/chunk_load.h"
#include "host/headless/scene_file_format.h"
#include "host/headless/stream_values.h"
#include "host/sdk/triobj.h"

static_assert(sizeof(Face) == 20 && sizeof(TVFace) == 12 && sizeof(PatchVert) == 12 && sizeof(Patch) == 68,
              "mesh records are stored as they lie in memory");

namespace {

IOResult Refuse(ILoad* iload, const std::string& why) {
  NoteLoadProblem(iload, why);
  return IO_ERROR;
}

// Polygons as a u32 count, then per polygon a u32 degree and that many i32 indices.
bool PutPolygons(ISave* isave, const std::vector<std::vector<int>>& polygons) {
  if (!Put(isave, std::uint32_t(polygons.size()))) return false;
  for (const std::vector<int>& p : polygons)
    if (!PutArray(isave, p)) return false;
  return true;
}

bool GetPolygons(ILoad* iload, std::vector<std::vector<int>>& polygons) {
  std::uint32_t n = 0;
  if (!GetCount(iload, n, 4)) return false;
  polygons.assign(n, {});
  for (std::vector<int>& p : polygons)
    if (!GetArray(iload, p)) return false;
  return true;
}

bool IndicesBelow(const std::vector<std::vector<int>>& polygons, std::size_t limit) {
  for (const std::vector<int>& p : polygons)
    for (int i : p)
      if (i < 0 || static_cast<std::size_t>(i) >= limit) return false;
  return true;
}

}  // namespace

// --- Triangle mesh ----------------------------------------------------------------------------

IOResult TriObject::Save(ISave* isave) {
  bool ok = PutChunk(isave, scenefile::kMeshVertsChunk, [&] { return PutArray(isave, mesh.verts); }) &&
            PutChunk(isave, scenefile::kMeshFacesChunk, [&] { return PutArray(isave, mesh.faces.View()); }) &&
            PutChunk(isave, scenefile::kMeshVertColorsChunk, [&] { return PutArray(isave, mesh.vertCol); }) &&
            PutChunk(isave, scenefile::kMeshVertColorFacesChunk, [&] { return PutArray(isave, mesh.vcFace); });
  return ok ? IO_OK : IO_ERROR;
}

IOResult TriObject::Load(ILoad* iload) {
  IOResult r = ForEachChunk(iload, [&](USHORT id) {
    switch (id) {
      case scenefile::kMeshVertsChunk: return GetArray(iload, mesh.verts);
      case scenefile::kMeshFacesChunk: return GetArray(iload, mesh.faces.Edit());
      case scenefile::kMeshVertColorsChunk: return GetArray(iload, mesh.vertCol);
      case scenefile::kMeshVertColorFacesChunk: return GetArray(iload, mesh.vcFace);
      default: return true;
    }
  });
  if (r != IO_OK) return r;
  for (const Face& f : mesh.faces)
    for (DWORD v : f.v)
      if (v >= mesh.verts.size()) return Refuse(iload, "a triangle uses a vertex the mesh does not have");
  for (const TVFace& f : mesh.vcFace)
    for (DWORD t : f.t)
      if (t >= mesh.vertCol.size()) return Refuse(iload, "a colour face uses a colour the mesh does not have");
  mesh.InvalidateGeomCache();
  return IO_OK;
}

// --- Polygon mesh -----------------------------------------------------------------------------

IOResult PolyObject::Save(ISave* isave) {
  std::vector<Point3> points(mm.v.size());
  for (std::size_t i = 0; i < points.size(); ++i) points[i] = mm.v[i].p;
  std::vector<std::vector<int>> faces(mm.f.size());
  for (std::size_t i = 0; i < faces.size(); ++i) faces[i] = mm.f[i].vtx;
  bool ok = PutChunk(isave, scenefile::kPolyVertsChunk, [&] { return PutArray(isave, points); }) &&
            PutChunk(isave, scenefile::kPolyFacesChunk, [&] { return PutPolygons(isave, faces); }) &&
            PutChunk(isave, scenefile::kPolyVertColorsChunk, [&] {
              return Put(isave, std::uint8_t(mm.hasVertexColors ? 1 : 0)) && PutArray(isave, mm.vertexColors.v) &&
                     PutPolygons(isave, mm.vertexColors.f);
            });
  return ok ? IO_OK : IO_ERROR;
}

IOResult PolyObject::Load(ILoad* iload) {
  IOResult r = ForEachChunk(iload, [&](USHORT id) {
    switch (id) {
      case scenefile::kPolyVertsChunk: {
        std::vector<Point3> points;
        if (!GetArray(iload, points)) return false;
        mm.setNumVerts(static_cast<int>(points.size()));
        for (std::size_t i = 0; i < points.size(); ++i) mm.v[i].p = points[i];
        return true;
      }
      case scenefile::kPolyFacesChunk: {
        std::vector<std::vector<int>> faces;
        if (!GetPolygons(iload, faces)) return false;
        mm.f.assign(faces.size(), MNFace());
        for (std::size_t i = 0; i < faces.size(); ++i) mm.f[i].vtx = std::move(faces[i]);
        return true;
      }
      case scenefile::kPolyVertColorsChunk: {
        std::uint8_t has = 0;
        if (!Get(iload, has) || !GetArray(iload, mm.vertexColors.v) || !GetPolygons(iload, mm.vertexColors.f))
          return false;
        mm.hasVertexColors = has != 0;
        return true;
      }
      default:
        return true;
    }
  });
  if (r != IO_OK) return r;
  for (const MNFace& f : mm.f)
    for (int v : f.vtx)
      if (v < 0 || v >= mm.VNum()) return Refuse(iload, "a polygon uses a vertex the mesh does not have");
  if (!IndicesBelow(mm.vertexColors.f, mm.vertexColors.v.size()))
    return Refuse(iload, "a colour polygon uses a colour the mesh does not have");
  return IO_OK;
}

// --- Patch mesh -------------------------------------------------------------------------------

IOResult PatchObject::Save(ISave* isave) {
  bool ok = PutChunk(isave, scenefile::kPatchVertsChunk, [&] { return PutArray(isave, patch.verts); }) &&
            PutChunk(isave, scenefile::kPatchVecsChunk, [&] { return PutArray(isave, patch.vecs); }) &&
            PutChunk(isave, scenefile::kPatchPatchesChunk, [&] { return PutArray(isave, patch.patches); }) &&
            PutChunk(isave, scenefile::kPatchVertColorsChunk, [&] {
              return Put(isave, std::uint8_t(patch.hasVertexColors ? 1 : 0)) && PutArray(isave, patch.vertexColors);
            });
  return ok ? IO_OK : IO_ERROR;
}

IOResult PatchObject::Load(ILoad* iload) {
  IOResult r = ForEachChunk(iload, [&](USHORT id) {
    switch (id) {
      case scenefile::kPatchVertsChunk: return GetArray(iload, patch.verts);
      case scenefile::kPatchVecsChunk: return GetArray(iload, patch.vecs);
      case scenefile::kPatchPatchesChunk: return GetArray(iload, patch.patches);
      case scenefile::kPatchVertColorsChunk: {
        std::uint8_t has = 0;
        if (!Get(iload, has) || !GetArray(iload, patch.vertexColors)) return false;
        patch.hasVertexColors = has != 0;
        return true;
      }
      default:
        return true;
    }
  });
  if (r != IO_OK) return r;
  for (const Patch& p : patch.patches) {
    if (p.type != 3 && p.type != 4) return Refuse(iload, "a patch with neither 3 nor 4 corners");
    for (int k = 0; k < p.type; ++k)
      if (p.v[k] < 0 || p.v[k] >= patch.getNumVerts())
        return Refuse(iload, "a patch uses a vertex the mesh does not have");
  }
  // Patch corners index the colours too.
  if (patch.hasVertexColors && patch.vertexColors.size() < patch.verts.size())
    return Refuse(iload, "fewer vertex colours than patch vertices");
  return IO_OK;
}
