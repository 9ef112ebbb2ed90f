#include "cli/scene/obj_file.h"

#include <charconv>
#include <fstream>
#include <sstream>

#include "cli/scene/scene_error.h"
#include "host/headless/atomic_file.h"

namespace {

[[noreturn]] void Fail(const std::filesystem::path& path, int line, const std::string& what) {
  throw SceneParseError({path.string(), "line " + std::to_string(line), what});
}

// The vertex index of a face corner "i", "i/t", "i//n" or "i/t/n", zero based.
bool CornerIndex(const std::string& token, int vertexCount, int& index) {
  std::string head = token.substr(0, token.find('/'));
  long long value = 0;
  auto [end, ec] = std::from_chars(head.data(), head.data() + head.size(), value);
  if (ec != std::errc() || end != head.data() + head.size() || value == 0) return false;
  long long zeroBased = value > 0 ? value - 1 : vertexCount + value;
  if (zeroBased < 0 || zeroBased >= vertexCount) return false;
  index = static_cast<int>(zeroBased);
  return true;
}

}  // namespace

PolyMesh ReadObjFile(const std::filesystem::path& path) {
  std::ifstream in(path);
  if (!in) throw SceneParseError({path.string(), "", "cannot open the OBJ file"});
  PolyMesh mesh;
  std::string text;
  int line = 0;
  while (std::getline(in, text)) {
    ++line;
    std::istringstream fields(text);
    std::string kind;
    if (!(fields >> kind) || kind[0] == '#') continue;
    if (kind == "v") {
      float x = 0, y = 0, z = 0;
      if (!(fields >> x >> y >> z)) Fail(path, line, "a vertex needs three numbers");
      mesh.vertices.emplace_back(x, y, z);
    } else if (kind == "f") {
      std::vector<int> face;
      std::string corner;
      while (fields >> corner) {
        int index = 0;
        if (!CornerIndex(corner, mesh.VertexCount(), index))
          Fail(path, line, "face corner \"" + corner + "\" names no vertex read so far (" +
                               std::to_string(mesh.VertexCount()) + " vertices)");
        face.push_back(index);
      }
      if (face.size() < 3) Fail(path, line, "a face needs at least three corners");
      mesh.faces.push_back(std::move(face));
    }
  }
  if (in.bad()) throw SceneParseError({path.string(), "", "read error"});
  if (mesh.vertices.empty()) throw SceneParseError({path.string(), "", "the OBJ file has no vertices"});
  return mesh;
}

bool WriteObjFile(const std::filesystem::path& path, const MeshSnapshot& mesh, std::string* error) {
  // Written whole or not at all: an older file stays until the new one is complete.
  std::string why;
  const bool written = WriteStreamAtomically(
      path.string(),
      [&](std::ostream& out, std::string&) {
        const bool colors = mesh.colors.size() == mesh.positions.size();
        char buffer[160];
        for (int i = 0; i < mesh.VertexCount() && out; ++i) {
          const Point3& p = mesh.positions[i];
          int n = colors ? std::snprintf(buffer, sizeof buffer, "v %.7g %.7g %.7g %.4g %.4g %.4g\n", p.x, p.y, p.z,
                                         mesh.colors[i].x, mesh.colors[i].y, mesh.colors[i].z)
                         : std::snprintf(buffer, sizeof buffer, "v %.7g %.7g %.7g\n", p.x, p.y, p.z);
          out.write(buffer, n);
        }
        for (int f = 0; f < mesh.FaceCount() && out; ++f) {
          out << 'f';
          for (int v : mesh.Face(f)) out << ' ' << (v + 1);
          out << '\n';
        }
        return true;
      },
      why);
  if (!written && error) *error = why;  // names the file and the system's reason
  return written;
}
