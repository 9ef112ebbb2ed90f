// OBJ input through tinyobjloader. The library parses; the checks it does not make (three
// numbers per vertex, three corners per face, corners that name a vertex) are made here, with
// the line of the record at fault.

#include <tiny_obj_loader.h>

#include <array>
#include <cstdlib>
#include <limits>
#include <cstring>
#include <fstream>

#include "cli/scene/obj_file.h"
#include "cli/scene/scene_error.h"

namespace {

[[noreturn]] void Fail(const std::filesystem::path& path, long line, const std::string& what) {
  throw SceneParseError({path.string(), line > 0 ? "line " + std::to_string(line) : "", what});
}

// The record kind of a line: its first word ("" for blank lines and comments), and where the
// rest starts.
std::string_view Kind(const std::string& text, const char*& rest) {
  const char* p = text.c_str();
  while (*p == ' ' || *p == '\t') ++p;
  const char* start = p;
  while (*p && *p != ' ' && *p != '\t' && *p != '\r') ++p;
  rest = p;
  if (start == p || *start == '#') return {};
  return std::string_view(start, std::size_t(p - start));
}

int CountWords(const char* p) {
  int n = 0;
  while (*p) {
    while (*p == ' ' || *p == '\t' || *p == '\r') ++p;
    if (!*p || *p == '#') break;
    ++n;
    while (*p && *p != ' ' && *p != '\t' && *p != '\r') ++p;
  }
  return n;
}

// The k-th word (0-based) after the record kind.
std::string Word(const char* p, std::size_t k) {
  for (std::size_t i = 0;; ++i) {
    while (*p == ' ' || *p == '\t' || *p == '\r') ++p;
    const char* start = p;
    while (*p && *p != ' ' && *p != '\t' && *p != '\r') ++p;
    if (i == k || start == p) return std::string(start, p);
  }
}

// One pass over the lines, streaming: vertices need three numbers, faces three corners. With
// faceWanted ≥ 0 it returns the line of that face record (0-based, file order) instead, and
// its corner `corner` in *cornerText.
long CheckLines(const std::filesystem::path& path, long faceWanted = -1, std::size_t corner = 0,
                std::string* cornerText = nullptr) {
  std::ifstream in(path);
  std::string text;
  long line = 0, faces = 0;
  while (std::getline(in, text)) {
    ++line;
    const char* rest = nullptr;
    const std::string_view kind = Kind(text, rest);
    if (kind == "v") {
      if (faceWanted >= 0) continue;
      char* end = nullptr;
      const char* p = rest;
      for (int k = 0; k < 3; ++k) {
        std::strtod(p, &end);
        if (end == p) Fail(path, line, "a vertex needs three numbers");
        p = end;
      }
    } else if (kind == "f") {
      if (faces++ == faceWanted) {
        if (cornerText) *cornerText = Word(rest, corner);
        return line;
      }
      if (faceWanted < 0 && CountWords(rest) < 3) Fail(path, line, "a face needs at least three corners");
    }
  }
  if (in.bad()) throw SceneParseError({path.string(), "", "read error"});
  return 0;
}

}  // namespace

ObjMesh ReadObjMesh(const std::filesystem::path& path) {
  {
    std::ifstream probe(path);
    if (!probe) throw SceneParseError({path.string(), "", "cannot open the OBJ file"});
  }
  CheckLines(path);
  ObjMesh out;
  {
    tinyobj::ObjReaderConfig config;
    config.triangulate = false;   // polygons stay as they are; the host objects fan them
    config.vertex_color = false;  // colours after "v" are not read
    tinyobj::ObjReader reader;
    if (!reader.ParseFromFile(path.string(), config)) {
      std::string why = reader.Error();
      while (!why.empty() && (why.back() == '\n' || why.back() == '.')) why.pop_back();
      throw SceneParseError({path.string(), "", why.empty() ? "cannot be read as OBJ" : why});
    }
    const tinyobj::attrib_t& attrib = reader.GetAttrib();
    const std::size_t vertexCount = attrib.vertices.size() / 3;
    if (vertexCount == 0) throw SceneParseError({path.string(), "", "the OBJ file has no vertices"});
    if (vertexCount > std::size_t(std::numeric_limits<int>::max()))
      throw SceneParseError({path.string(), "", "too many vertices"});
    PolyMesh& mesh = out.mesh;
    mesh.vertices.resize(vertexCount);
    for (std::size_t v = 0; v < vertexCount; ++v)
      mesh.vertices[v] = Point3(attrib.vertices[v * 3], attrib.vertices[v * 3 + 1], attrib.vertices[v * 3 + 2]);
    const std::size_t uvCount = attrib.texcoords.size() / 2;
    std::vector<std::array<float, 2>> uvs;
    std::vector<bool> hasUv;
    if (uvCount > 0) {
      uvs.assign(vertexCount, {0.0f, 0.0f});
      hasUv.assign(vertexCount, false);
    }
    int material = -1;
    long face = 0;  // in file order: shapes follow each other as their records do
    for (const tinyobj::shape_t& shape : reader.GetShapes()) {
      std::size_t corner = 0;
      for (std::size_t f = 0; f < shape.mesh.num_face_vertices.size(); ++f, ++face) {
        const std::size_t n = shape.mesh.num_face_vertices[f];
        std::vector<int> polygon(n);
        for (std::size_t k = 0; k < n; ++k) {
          const tinyobj::index_t& index = shape.mesh.indices[corner + k];
          if (index.vertex_index < 0 || std::size_t(index.vertex_index) >= vertexCount) {
            std::string text;
            const long line = CheckLines(path, face, k, &text);
            Fail(path, line, "face corner \"" + text + "\" names no vertex of the file (" + std::to_string(vertexCount) +
                                 " vertices)");
          }
          polygon[k] = index.vertex_index;
          if (!hasUv.empty() && index.texcoord_index >= 0 && std::size_t(index.texcoord_index) < uvCount &&
              !hasUv[index.vertex_index]) {
            uvs[index.vertex_index] = {attrib.texcoords[index.texcoord_index * 2],
                                       attrib.texcoords[index.texcoord_index * 2 + 1]};
            hasUv[index.vertex_index] = true;
          }
        }
        if (material < 0 && f < shape.mesh.material_ids.size()) material = shape.mesh.material_ids[f];
        corner += n;
        mesh.faces.push_back(std::move(polygon));
      }
    }
    if (!uvs.empty()) out.surface.uvs = std::move(uvs);
    const auto& materials = reader.GetMaterials();
    if (material >= 0 && std::size_t(material) < materials.size()) {
      const tinyobj::material_t& m = materials[material];
      SurfaceMaterial s;
      s.name = m.name;
      s.baseColor = {float(m.diffuse[0]), float(m.diffuse[1]), float(m.diffuse[2]), float(m.dissolve)};
      out.surface.material = s;
    }
  }  // the reader's arrays are released here, before the mesh is used
  return out;
}

PolyMesh ReadObjFile(const std::filesystem::path& path) { return ReadObjMesh(path).mesh; }
