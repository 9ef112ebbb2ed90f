#include "cli/scene/mesh_snapshot.h"

#include "host/sdk/inode.h"
#include "host/sdk/triobj.h"

namespace {

// Colour of each vertex from a per-corner colour map: mapFaces[f][k] indexes colours for corner
// k of face f. Corners that index outside the map are skipped.
template <class Faces, class Corner>
std::vector<Point3> SpreadColors(int vertexCount, const std::vector<Point3>& colours, const Faces& geomFaces,
                                 const Faces& mapFaces, Corner corner) {
  std::vector<Point3> out(vertexCount, Point3(1.0f, 1.0f, 1.0f));
  for (std::size_t f = 0; f < geomFaces.size() && f < mapFaces.size(); ++f) {
    for (int k = 0;; ++k) {
      int v = -1, c = -1;
      if (!corner(geomFaces[f], mapFaces[f], k, v, c)) break;
      if (v >= 0 && v < vertexCount && c >= 0 && c < static_cast<int>(colours.size())) out[v] = colours[c];
    }
  }
  return out;
}

void FromTri(const Mesh& mesh, MeshSnapshot& out) {
  out.positions = mesh.verts;
  for (const Face& f : mesh.faces) out.faces.push_back({int(f.v[0]), int(f.v[1]), int(f.v[2])});
  if (!mesh.mapSupport(0)) return;
  std::vector<std::vector<int>> geom, map;
  for (const Face& f : mesh.faces) geom.push_back({int(f.v[0]), int(f.v[1]), int(f.v[2])});
  for (const TVFace& f : mesh.vcFace) map.push_back({int(f.t[0]), int(f.t[1]), int(f.t[2])});
  out.colors = SpreadColors(out.VertexCount(), mesh.vertCol, geom, map,
                            [](const std::vector<int>& g, const std::vector<int>& m, int k, int& v, int& c) {
                              if (k >= 3) return false;
                              v = g[k];
                              c = m[k];
                              return true;
                            });
}

void FromPoly(const MNMesh& mesh, MeshSnapshot& out) {
  for (const MNVert& v : mesh.v) out.positions.push_back(v.p);
  for (const MNFace& f : mesh.f) out.faces.push_back(f.vtx);
  if (!mesh.hasVertexColors) return;
  out.colors = SpreadColors(out.VertexCount(), mesh.vertexColors.v, out.faces, mesh.vertexColors.f,
                            [](const std::vector<int>& g, const std::vector<int>& m, int k, int& v, int& c) {
                              if (k >= static_cast<int>(g.size()) || k >= static_cast<int>(m.size())) return false;
                              v = g[k];
                              c = m[k];
                              return true;
                            });
}

void FromPatch(const PatchMesh& patch, MeshSnapshot& out) {
  for (const PatchVert& v : patch.verts) out.positions.push_back(v.p);
  for (const Patch& p : patch.patches) {
    int corners = p.type == 3 ? 3 : 4;
    out.faces.emplace_back(p.v, p.v + corners);
  }
  if (patch.hasVertexColors && patch.vertexColors.size() == patch.verts.size()) out.colors = patch.vertexColors;
}

}  // namespace

bool TakeSnapshot(INode* node, TimeValue t, MeshSnapshot& out, std::string* error) {
  out = MeshSnapshot();
  const ObjectState& os = node->EvalWorldState(t);
  Object* obj = os.obj;
  if (!obj) {
    if (error) *error = "the node has no object";
    return false;
  }
  Class_ID id = obj->ClassID();
  if (id == triObjectClassID) FromTri(static_cast<TriObject*>(obj)->mesh, out);
  else if (id == polyObjectClassID) FromPoly(static_cast<PolyObject*>(obj)->mm, out);
  else if (id == patchObjectClassID) FromPatch(static_cast<PatchObject*>(obj)->patch, out);
  else {
    if (error) *error = "the node's result is not a mesh";
    return false;
  }
  // Faces that name vertices outside the mesh are left out rather than written.
  std::erase_if(out.faces, [&](const std::vector<int>& f) {
    for (int v : f)
      if (v < 0 || v >= out.VertexCount()) return true;
    return f.size() < 3;
  });
  Matrix3 toWorld = node->GetObjTMAfterWSM(t);
  for (Point3& p : out.positions) p = p * toWorld;
  return true;
}
