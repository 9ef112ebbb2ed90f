// OBJ input through tinyobjloader's streaming interface: the library parses each record and hands
// it over, and the mesh is built here directly, flat, without the library's per-corner, per-face
// and per-shape arrays (a big file would hold them all at once beside the mesh). The checks the
// library does not make (three numbers per vertex, three corners per face, corners that name a
// vertex, no index 0) are made here, with the line of the record at fault.

#include <tiny_obj_loader.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <map>

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

// The words after the record kind, each given to visit (start, length); their count.
template <class Visit>
std::size_t EachWord(const char* p, Visit visit) {
  std::size_t n = 0;
  while (*p) {
    while (*p == ' ' || *p == '\t' || *p == '\r') ++p;
    if (!*p || *p == '#') break;
    const char* start = p;
    while (*p && *p != ' ' && *p != '\t' && *p != '\r') ++p;
    visit(start, std::size_t(p - start));
    ++n;
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

// Whether a corner ("i", "i/t", "i//n", "i/t/n") gives an index of 0, which counts nothing in
// OBJ (indices start at 1, negative ones count back); read as the library reads it.
bool HasZeroIndex(const char* p) {
  auto field = [&]() {
    const bool zero = std::atoi(p) == 0;
    p += std::strcspn(p, "/ \t\r");
    return zero;
  };
  if (field()) return true;
  if (*p != '/') return false;
  ++p;
  if (*p == '/') {
    ++p;
    return field();
  }
  if (field()) return true;
  if (*p != '/') return false;
  ++p;
  return field();
}

// How many records of each kind the file has, for sizing the mesh before it is read.
struct RecordCounts {
  std::size_t vertices = 0, texcoords = 0, faces = 0, corners = 0;
};

// One pass over the lines, streaming: vertices need three numbers, faces three corners, and no
// corner an index of 0; counts the records into *counts. With faceWanted ≥ 0 it returns the
// line of that face record (0-based, file order) instead, and its corner `corner` in
// *cornerText.
long CheckLines(const std::filesystem::path& path, RecordCounts* counts, long faceWanted = -1, std::size_t corner = 0,
                std::string* cornerText = nullptr) {
  std::ifstream in(path);
  std::string text;
  long line = 0, faces = 0;
  while (std::getline(in, text)) {
    ++line;
    const char* rest = nullptr;
    const std::string_view kind = Kind(text, rest);
    if (kind.empty()) continue;
    if (kind == "v") {
      if (faceWanted >= 0) continue;
      char* end = nullptr;
      const char* p = rest;
      for (int k = 0; k < 3; ++k) {
        std::strtod(p, &end);
        if (end == p) Fail(path, line, "a vertex needs three numbers");
        p = end;
      }
      ++counts->vertices;
    } else if (kind == "vt") {
      if (counts) ++counts->texcoords;
    } else if (kind == "f" || kind == "l" || kind == "p") {
      const bool face = kind == "f";
      if (face && faces++ == faceWanted) {
        if (cornerText) *cornerText = Word(rest, corner);
        return line;
      }
      if (faceWanted >= 0) continue;
      std::string zero;
      const std::size_t n = EachWord(rest, [&](const char* start, std::size_t length) {
        if (zero.empty() && HasZeroIndex(start)) zero.assign(start, length);
      });
      if (!zero.empty()) {
        std::string what = face ? "face corner \"" : "corner \"";
        what += zero;
        what += '"';
        if (!face) {
          what += " of an \"";
          what += kind;
          what += "\" record";
        }
        what += " has an index of 0 (OBJ indices start at 1)";
        Fail(path, line, what);
      }
      if (face) {
        if (n < 3) Fail(path, line, "a face needs at least three corners");
        ++counts->faces;
        counts->corners += n;
      }
    }
  }
  if (in.bad()) throw SceneParseError({path.string(), "", "read error"});
  return 0;
}

// What the library's records build: the mesh, and what the surface needs once every record is in.
struct ObjBuild {
  PolyMesh* mesh = nullptr;
  std::vector<std::array<float, 2>> texcoords;  // every "vt", file order
  std::vector<int> cornerTexcoords;  // empty when the file has no "vt"; else one per face corner: 0-based, or -1
  std::map<std::string, int> materialIds;  // name to index, the first of equal names
  std::vector<tinyobj::material_t> materials;
  int material = -1;       // the current "usemtl", an index into materials or -1
  int firstMaterial = -1;  // the first face's that has one
  bool withTexcoords = false;
  bool tooManyCorners = false;  // more than an int counts: the faces stop there
};


// A record's index made 0-based: positive ones count from 1, negative ones back from the count
// read so far; -1 for none (0) or before the first.
int ZeroBased(int raw, std::size_t countSoFar) {
  if (raw > 0) return raw - 1;
  if (raw == 0) return -1;
  const long long index = static_cast<long long>(countSoFar) + raw;
  return index < 0 ? -1 : static_cast<int>(index);
}

void OnVertex(void* data, tinyobj::real_t x, tinyobj::real_t y, tinyobj::real_t z, tinyobj::real_t) {
  static_cast<ObjBuild*>(data)->mesh->vertices.emplace_back(float(x), float(y), float(z));
}

void OnTexcoord(void* data, tinyobj::real_t u, tinyobj::real_t v, tinyobj::real_t) {
  static_cast<ObjBuild*>(data)->texcoords.push_back({float(u), float(v)});
}

// One face record: corners with raw indices.
void OnFace(void* data, tinyobj::index_t* corners, int count) {
  ObjBuild& b = *static_cast<ObjBuild*>(data);
  PolyMesh& mesh = *b.mesh;
  if (b.tooManyCorners || mesh.faceVertices.size() + std::size_t(count) > std::size_t(std::numeric_limits<int>::max())) {
    b.tooManyCorners = true;
    return;
  }
  if (mesh.faceStarts.empty()) mesh.faceStarts.push_back(0);
  for (int k = 0; k < count; ++k) {
    mesh.faceVertices.push_back(ZeroBased(corners[k].vertex_index, mesh.vertices.size()));
    if (b.withTexcoords) b.cornerTexcoords.push_back(ZeroBased(corners[k].texcoord_index, b.texcoords.size()));
  }
  mesh.faceStarts.push_back(static_cast<int>(mesh.faceVertices.size()));
  if (b.firstMaterial < 0) b.firstMaterial = b.material;
}

void OnMaterialLibrary(void* data, const tinyobj::material_t* materials, int count) {
  ObjBuild& b = *static_cast<ObjBuild*>(data);
  b.materials.assign(materials, materials + count);  // every library read so far
  b.materialIds.clear();
  for (int i = 0; i < count; ++i) b.materialIds.emplace(materials[i].name, i);
}

void OnUseMaterial(void* data, const char* name, int) {
  ObjBuild& b = *static_cast<ObjBuild*>(data);
  // The name is the record's first word.
  const char* start = name + std::strspn(name, " \t");
  const std::string first(start, std::strcspn(start, " \t\r"));
  auto it = b.materialIds.find(first);
  b.material = it == b.materialIds.end() ? -1 : it->second;
}

}  // namespace

ObjMesh ReadObjMesh(const std::filesystem::path& path) {
  {
    std::ifstream probe(path);
    if (!probe) throw SceneParseError({path.string(), "", "cannot open the OBJ file"});
  }
  RecordCounts counts;
  CheckLines(path, &counts);
  if (counts.vertices == 0) throw SceneParseError({path.string(), "", "the OBJ file has no vertices"});
  if (counts.vertices > std::size_t(std::numeric_limits<int>::max()))
    throw SceneParseError({path.string(), "", "too many vertices"});
  if (counts.corners > std::size_t(std::numeric_limits<int>::max()))
    throw SceneParseError({path.string(), "", "too many face corners"});
  ObjMesh out;
  PolyMesh& mesh = out.mesh;
  // The counts come from the records the file holds, so they are bounded by its size.
  mesh.vertices.reserve(counts.vertices);
  mesh.ReserveFaces(counts.faces, counts.corners);
  ObjBuild build;
  build.mesh = &mesh;
  if (counts.texcoords > 0) {
    build.withTexcoords = true;
    build.texcoords.reserve(counts.texcoords);
    build.cornerTexcoords.reserve(counts.corners);
  }
  {
    std::ifstream in(path);
    const std::string file = path.string();
    const std::size_t slash = file.find_last_of("/\\");
    // Material files beside the OBJ file, as LoadObj looks for them.
    tinyobj::MaterialFileReader materials(slash == std::string::npos ? std::string() : file.substr(0, slash + 1));
    tinyobj::callback_t callbacks;
    callbacks.vertex_cb = OnVertex;
    callbacks.texcoord_cb = OnTexcoord;
    callbacks.index_cb = OnFace;
    callbacks.mtllib_cb = OnMaterialLibrary;
    callbacks.usemtl_cb = OnUseMaterial;
    std::string warnings, errors;  // only about material files, which are optional
    tinyobj::LoadObjWithCallback(in, callbacks, &build, &materials, &warnings, &errors);
    if (in.bad()) throw SceneParseError({path.string(), "", "read error"});
  }
  if (build.tooManyCorners) throw SceneParseError({path.string(), "", "too many face corners"});
  const std::size_t vertexCount = mesh.vertices.size();
  for (int f = 0; f < mesh.FaceCount(); ++f) {
    const std::span<const int> face = mesh.Face(f);
    for (std::size_t k = 0; k < face.size(); ++k) {
      if (face[k] < 0 || std::size_t(face[k]) >= vertexCount) {
        std::string text;
        const long line = CheckLines(path, nullptr, f, k, &text);
        Fail(path, line, "face corner \"" + text + "\" names no vertex of the file (" + std::to_string(vertexCount) +
                             " vertices)");
      }
    }
  }
  if (!build.texcoords.empty()) {
    // Each vertex takes the texture coordinates of its first corner that names some.
    std::vector<std::array<float, 2>> uvs(vertexCount, {0.0f, 0.0f});
    std::vector<bool> hasUv(vertexCount, false);
    for (std::size_t c = 0; c < build.cornerTexcoords.size(); ++c) {
      const int v = mesh.faceVertices[c], t = build.cornerTexcoords[c];
      if (t >= 0 && std::size_t(t) < build.texcoords.size() && !hasUv[v]) {
        uvs[v] = build.texcoords[t];
        hasUv[v] = true;
      }
    }
    out.surface.uvs = std::move(uvs);
  }
  if (build.firstMaterial >= 0 && std::size_t(build.firstMaterial) < build.materials.size()) {
    const tinyobj::material_t& m = build.materials[build.firstMaterial];
    SurfaceMaterial s;
    s.name = m.name;
    s.baseColor = {float(m.diffuse[0]), float(m.diffuse[1]), float(m.diffuse[2]), float(m.dissolve)};
    out.surface.material = s;
  }
  return out;
}

PolyMesh ReadObjFile(const std::filesystem::path& path) { return ReadObjMesh(path).mesh; }
