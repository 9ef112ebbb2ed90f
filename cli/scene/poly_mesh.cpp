#include "cli/scene/poly_mesh.h"

#include "host/sdk/triobj.h"

namespace {

// Triangles of a polygon as a fan from its first corner: (0, i, i + 1).
template <class Emit>
void Fan(std::span<const int> face, Emit emit) {
  for (std::size_t i = 1; i + 1 < face.size(); ++i) emit(face[0], face[i], face[i + 1]);
}

// The number of triangles the faces fan into.
std::size_t FanCount(const PolyMesh& mesh) {
  std::size_t n = 0;
  for (int f = 0; f < mesh.FaceCount(); ++f) n += mesh.Face(f).size() - 2;
  return n;
}

TriObject* MakeTri(const PolyMesh& mesh) {
  TriObject* tri = CreateNewTriObject();
  tri->mesh.verts = mesh.vertices;
  std::vector<Face>& faces = tri->mesh.faces.Edit();
  faces.reserve(FanCount(mesh));  // exactly: a big mesh should not carry spare capacity
  for (int f = 0; f < mesh.FaceCount(); ++f) {
    Fan(mesh.Face(f), [&](int a, int b, int c) {
      Face face;
      face.setVerts(a, b, c);
      face.setEdgeVisFlags(1, 1, 1);
      faces.push_back(face);
    });
  }
  return tri;
}

PolyObject* MakePoly(const PolyMesh& mesh) {
  PolyObject* poly = CreateEditablePolyObject();
  poly->mm.setNumVerts(mesh.VertexCount());
  for (int i = 0; i < mesh.VertexCount(); ++i) poly->mm.P(i) = mesh.vertices[i];
  poly->mm.f.reserve(std::size_t(mesh.FaceCount()));
  for (int f = 0; f < mesh.FaceCount(); ++f) {
    const std::span<const int> face = mesh.Face(f);
    poly->mm.f.push_back(MNFace{std::vector<int>(face.begin(), face.end())});
  }
  return poly;
}

// Patch corners only: the headless host deforms patch meshes by their corner vertices, so the
// tangent handles are left out.
PatchObject* MakePatch(const PolyMesh& mesh) {
  PatchObject* patch = CreatePatchObject();
  patch->patch.setNumVerts(mesh.VertexCount());
  for (int i = 0; i < mesh.VertexCount(); ++i) patch->patch.setVert(i, mesh.vertices[i]);
  auto add = [&](std::initializer_list<int> corners) {
    Patch p;
    p.type = static_cast<int>(corners.size());
    int k = 0;
    for (int v : corners) p.v[k++] = v;
    patch->patch.patches.push_back(p);
  };
  for (int f = 0; f < mesh.FaceCount(); ++f) {
    const std::span<const int> face = mesh.Face(f);
    if (face.size() == 4) add({face[0], face[1], face[2], face[3]});
    else Fan(face, [&](int a, int b, int c) { add({a, b, c}); });
  }
  return patch;
}

}  // namespace

void PolyMesh::AddFace(std::span<const int> corners) {
  if (faceStarts.empty()) faceStarts.push_back(0);
  faceVertices.insert(faceVertices.end(), corners.begin(), corners.end());
  faceStarts.push_back(static_cast<int>(faceVertices.size()));
}

void PolyMesh::ReserveFaces(std::size_t faces, std::size_t corners) {
  faceStarts.reserve(faceStarts.size() + faces + (faceStarts.empty() ? 1 : 0));
  faceVertices.reserve(faceVertices.size() + corners);
}

bool ParseMeshKind(const std::string& text, MeshKind& kind) {
  if (text == "tri") kind = MeshKind::Tri;
  else if (text == "poly") kind = MeshKind::Poly;
  else if (text == "patch") kind = MeshKind::Patch;
  else return false;
  return true;
}

const char* MeshKindName(MeshKind kind) {
  switch (kind) {
    case MeshKind::Tri: return "tri";
    case MeshKind::Poly: return "poly";
    case MeshKind::Patch: return "patch";
  }
  return "tri";
}

Object* CreateMeshObject(const PolyMesh& mesh, MeshKind kind) {
  switch (kind) {
    case MeshKind::Poly: return MakePoly(mesh);
    case MeshKind::Patch: return MakePatch(mesh);
    case MeshKind::Tri: break;
  }
  return MakeTri(mesh);
}
