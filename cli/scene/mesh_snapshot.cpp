#include "cli/scene/mesh_snapshot.h"

#include "host/sdk/inode.h"
#include "host/sdk/triobj.h"

namespace {

const Point3 kWhite(1.0f, 1.0f, 1.0f);

// Whether a face is taken: three corners or more, every one naming one of `vertices` vertices.
template <class Corners>
bool ValidFace(const Corners& corners, int count, int vertices) {
  if (count < 3) return false;
  for (int k = 0; k < count; ++k) {
    const auto corner = static_cast<long long>(corners[k]);
    if (corner < 0 || corner >= vertices) return false;
  }
  return true;
}

// Appends the face when it is taken.
template <class Corners>
void AddValidFace(MeshSnapshot& out, const Corners& corners, int count) {
  if (!ValidFace(corners, count, out.VertexCount())) return;
  for (int k = 0; k < count; ++k) out.faceVertices.push_back(static_cast<int>(corners[k]));
  out.faceStarts.push_back(static_cast<int>(out.faceVertices.size()));
}

// Calls visit with the face's corners when it is taken; corners is scratch space.
template <class Corners, class Visit>
void VisitValidFace(const Corners& face, int count, int vertices, std::vector<int>& corners, Visit& visit) {
  if (!ValidFace(face, count, vertices)) return;
  corners.clear();
  for (int k = 0; k < count; ++k) corners.push_back(static_cast<int>(face[k]));
  visit(std::span<const int>(corners));
}

// Room for faces faces of corners corners in all: the arrays of a big mesh grown face by face
// would reach up to twice their size.
void ReserveFaces(MeshSnapshot& out, std::size_t faces, std::size_t corners) {
  out.faceStarts.reserve(faces + 1);
  out.faceVertices.reserve(corners);
}

// Colour of vertex v from colour c of a per-corner map; corners outside either array are skipped.
void SpreadColor(MeshSnapshot& out, const std::vector<Point3>& colours, long long v, long long c) {
  if (v >= 0 && v < out.VertexCount() && c >= 0 && c < static_cast<long long>(colours.size())) out.colors[v] = colours[c];
}

void FromTri(const Mesh& mesh, MeshSnapshot& out, bool faces) {
  out.positions.assign(mesh.verts.begin(), mesh.verts.end());
  if (faces) ReserveFaces(out, mesh.faces.size(), 3 * mesh.faces.size());
  if (faces)
    for (const Face& f : mesh.faces) AddValidFace(out, f.v, 3);
  if (!mesh.mapSupport(0)) return;
  out.colors.assign(out.positions.size(), kWhite);
  for (std::size_t f = 0; f < mesh.faces.size() && f < mesh.vcFace.size(); ++f)
    for (int k = 0; k < 3; ++k) SpreadColor(out, mesh.vertCol, mesh.faces[f].v[k], mesh.vcFace[f].t[k]);
}

void FromPoly(const MNMesh& mesh, MeshSnapshot& out, bool faces) {
  out.positions.resize(mesh.v.size());
  for (std::size_t i = 0; i < mesh.v.size(); ++i) out.positions[i] = mesh.v[i].p;
  if (faces) {
    std::size_t corners = 0;
    for (const MNFace& f : mesh.f) corners += f.vtx.size();
    ReserveFaces(out, mesh.f.size(), corners);
    for (const MNFace& f : mesh.f) AddValidFace(out, f.vtx, f.deg());
  }
  if (!mesh.hasVertexColors) return;
  const MNMap& map = mesh.vertexColors;
  out.colors.assign(out.positions.size(), kWhite);
  for (std::size_t f = 0; f < mesh.f.size() && f < map.f.size(); ++f) {
    const std::vector<int>& geom = mesh.f[f].vtx;
    for (std::size_t k = 0; k < geom.size() && k < map.f[f].size(); ++k) SpreadColor(out, map.v, geom[k], map.f[f][k]);
  }
}

void FromPatch(const PatchMesh& patch, MeshSnapshot& out, bool faces) {
  out.positions.resize(patch.verts.size());
  for (std::size_t i = 0; i < patch.verts.size(); ++i) out.positions[i] = patch.verts[i].p;
  if (faces) ReserveFaces(out, patch.patches.size(), 4 * patch.patches.size());
  if (faces)
    for (const Patch& p : patch.patches) AddValidFace(out, p.v, p.type == 3 ? 3 : 4);
  if (patch.hasVertexColors && patch.vertexColors.size() == patch.verts.size()) out.colors = patch.vertexColors;
}

// p · a (a point as a row vector), the host's arithmetic inlined for the per-vertex loop.
inline Point3 CarryPoint(const Point3& p, const Matrix3& a) {
  return {p.x * a.m[0][0] + p.y * a.m[1][0] + p.z * a.m[2][0] + a.m[3][0],
          p.x * a.m[0][1] + p.y * a.m[1][1] + p.z * a.m[2][1] + a.m[3][1],
          p.x * a.m[0][2] + p.y * a.m[1][2] + p.z * a.m[2][2] + a.m[3][2]};
}

}  // namespace

void MeshSnapshot::AddFace(std::span<const int> corners) {
  if (faceStarts.empty()) faceStarts.push_back(0);
  faceVertices.insert(faceVertices.end(), corners.begin(), corners.end());
  faceStarts.push_back(static_cast<int>(faceVertices.size()));
}

void MeshSnapshot::Clear() {
  positions.clear();
  faceVertices.clear();
  faceStarts.clear();
  colors.clear();
}

bool TakeSnapshot(INode* node, TimeValue t, MeshSnapshot& out, std::string* error, SnapshotParts parts) {
  out.Clear();
  const bool faces = parts == SnapshotParts::Everything;
  if (faces) out.faceStarts.push_back(0);
  const ObjectState& os = node->EvalWorldState(t);
  Object* obj = os.obj;
  if (!obj) {
    if (error) *error = "the node has no object";
    return false;
  }
  Class_ID id = obj->ClassID();
  if (id == triObjectClassID) FromTri(static_cast<TriObject*>(obj)->mesh, out, faces);
  else if (id == polyObjectClassID) FromPoly(static_cast<PolyObject*>(obj)->mm, out, faces);
  else if (id == patchObjectClassID) FromPatch(static_cast<PatchObject*>(obj)->patch, out, faces);
  else {
    if (error) *error = "the node's result is not a mesh";
    return false;
  }
  const Matrix3 toWorld = node->GetObjTMAfterWSM(t);
  for (Point3& p : out.positions) p = CarryPoint(p, toWorld);
  return true;
}

bool IsSnapshotMesh(INode* node, TimeValue t) {
  Object* obj = node->EvalWorldState(t).obj;
  if (!obj) return false;
  const Class_ID id = obj->ClassID();
  return id == triObjectClassID || id == polyObjectClassID || id == patchObjectClassID;
}

bool VisitEvaluatedFaces(INode* node, TimeValue t, const std::function<void(std::span<const int>)>& visit) {
  const ObjectState& os = node->EvalWorldState(t);
  Object* obj = os.obj;
  if (!obj) return false;
  const Class_ID id = obj->ClassID();
  std::vector<int> corners;
  if (id == triObjectClassID) {
    const Mesh& mesh = static_cast<TriObject*>(obj)->mesh;
    for (const Face& f : mesh.faces) VisitValidFace(f.v, 3, mesh.getNumVerts(), corners, visit);
  } else if (id == polyObjectClassID) {
    const MNMesh& mesh = static_cast<PolyObject*>(obj)->mm;
    for (const MNFace& f : mesh.f) VisitValidFace(f.vtx, f.deg(), static_cast<int>(mesh.v.size()), corners, visit);
  } else if (id == patchObjectClassID) {
    const PatchMesh& patch = static_cast<PatchObject*>(obj)->patch;
    for (const Patch& p : patch.patches)
      VisitValidFace(p.v, p.type == 3 ? 3 : 4, static_cast<int>(patch.verts.size()), corners, visit);
  } else {
    return false;
  }
  return true;
}

std::vector<std::uint32_t> SnapshotTriangles(const MeshSnapshot& mesh) {
  std::vector<std::uint32_t> out;
  out.reserve(3 * (mesh.faceVertices.size() - 2 * std::size_t(mesh.FaceCount())));  // a fan of n corners: n - 2 triangles
  for (int f = 0; f < mesh.FaceCount(); ++f) {
    const std::span<const int> face = mesh.Face(f);
    for (std::size_t i = 1; i + 1 < face.size(); ++i)
      out.insert(out.end(), {std::uint32_t(face[0]), std::uint32_t(face[i]), std::uint32_t(face[i + 1])});
  }
  return out;
}
