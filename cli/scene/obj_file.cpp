#include "cli/scene/obj_file.h"

#include <fstream>
#include <sstream>

#include "host/headless/atomic_file.h"

bool WriteObjFile(const std::filesystem::path& path, const MeshSnapshot& mesh, std::string* error) {
  return WriteObjFile(
      path, mesh,
      [&](const ObjFaceVisitor& visit) {
        for (int f = 0; f < mesh.FaceCount(); ++f) visit(mesh.Face(f));
        return true;
      },
      error);
}

bool WriteObjFile(const std::filesystem::path& path, const MeshSnapshot& mesh,
                  const std::function<bool(const ObjFaceVisitor&)>& eachFace, std::string* error) {
  // Written whole or not at all: an older file stays until the new one is complete.
  std::string why;
  const bool written = WriteStreamAtomically(
      path.string(),
      [&](std::ostream& out, std::string& failure) {
        const bool colors = mesh.colors.size() == mesh.positions.size();
        char buffer[160];
        for (int i = 0; i < mesh.VertexCount() && out; ++i) {
          const Point3& p = mesh.positions[i];
          int n = colors ? std::snprintf(buffer, sizeof buffer, "v %.7g %.7g %.7g %.4g %.4g %.4g\n", p.x, p.y, p.z,
                                         mesh.colors[i].x, mesh.colors[i].y, mesh.colors[i].z)
                         : std::snprintf(buffer, sizeof buffer, "v %.7g %.7g %.7g\n", p.x, p.y, p.z);
          out.write(buffer, n);
        }
        const bool faces = eachFace([&](std::span<const int> face) {
          if (!out) return;
          out << 'f';
          for (int v : face) out << ' ' << (v + 1);
          out << '\n';
        });
        if (!faces) failure = "the mesh has no faces to write";
        return faces;
      },
      why);
  if (!written && error) *error = why;  // names the file and the system's reason
  return written;
}
