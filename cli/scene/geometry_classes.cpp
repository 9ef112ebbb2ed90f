// Object classes with geometry: meshes given inline or by an OBJ file, the primitives, splines.

#include <cassert>
#include <limits>
#include <new>

#include "cli/scene/obj_file.h"
#include "cli/scene/primitives.h"
#include "cli/scene/scene_classes.h"
#include "host/headless/builtin_objects.h"

namespace {

constexpr long long kMaxSegments = 100000;
constexpr long long kMaxVertices = 50'000'000;

class MeshObjectSpec : public ObjectSpec {
public:
  MeshObjectSpec(PolyMesh mesh, MeshKind kind, MeshSurface surface = {})
      : mesh_(std::move(mesh)), vertexCount_(mesh_.VertexCount()), kind_(kind), surface_(std::move(surface)) {}
  Object* Create(BuildContext& ctx) const override {
    (void)ctx;
    assert(!released_ && "the mesh was released after the object was made");
    return CreateMeshObject(mesh_, kind_);
  }
  std::optional<int> VertexCount() const override { return vertexCount_; }
  const MeshSurface* Surface() const override { return surface_.Empty() ? nullptr : &surface_; }
  void ReleaseGeometry() override {
    mesh_ = PolyMesh();
    released_ = true;
  }

private:
  PolyMesh mesh_;
  int vertexCount_;
  bool released_ = false;
  MeshKind kind_;
  MeshSurface surface_;
};

class SplineObjectSpec : public ObjectSpec {
public:
  explicit SplineObjectSpec(std::vector<SplineCurve> curves) : curves_(std::move(curves)) {}
  Object* Create(BuildContext& ctx) const override {
    (void)ctx;
    auto* shape = new SplineShapeObject();
    shape->curves = curves_;
    return shape;
  }

private:
  std::vector<SplineCurve> curves_;
};

MeshKind ReadKind(const JsonView& json) {
  MeshKind kind = MeshKind::Tri;
  if (json.Has("as")) {
    JsonView as = json["as"];
    if (!ParseMeshKind(as.AsString(), kind)) as.Fail("must be \"tri\", \"poly\" or \"patch\"");
  }
  return kind;
}

Axis ReadAxis(const JsonView& json) {
  if (!json.Has("axis")) return Axis::Z;
  JsonView axis = json["axis"];
  std::string a = axis.AsString();
  if (a == "x") return Axis::X;
  if (a == "y") return Axis::Y;
  if (a != "z") axis.Fail("must be \"x\", \"y\" or \"z\"");
  return Axis::Z;
}

int Segments(const JsonView& json, const char* key, int fallback, int min) {
  return static_cast<int>(json.Integer(key, fallback, min, kMaxSegments));
}

float Positive(const JsonView& json, const char* key, double fallback) {
  return float(json.Number(key, fallback, std::numeric_limits<float>::min(), std::numeric_limits<float>::max()));
}

void CheckVertexBudget(const JsonView& json, long long count) {
  if (count > kMaxVertices)
    json.Fail("would have " + std::to_string(count) + " vertices, more than the limit of " +
              std::to_string(kMaxVertices));
}

std::unique_ptr<ObjectSpec> Finish(PolyMesh mesh, const JsonView& json, MeshSurface surface = {}) {
  return MakeMeshObject(std::move(mesh), ReadKind(json), std::move(surface));
}

std::unique_ptr<ObjectSpec> ReadMesh(const JsonView& json, const ClassReadContext& ctx) {
  json.AllowOnly({"type", "vertices", "faces", "file", "as"});
  PolyMesh mesh;
  if (json.Has("file")) {
    if (json.Has("vertices") || json.Has("faces")) json.Fail("give either \"file\" or \"vertices\" and \"faces\", not both");
    JsonView fileName = json["file"];
    std::filesystem::path file = fileName.AsString();
    if (file.is_relative()) file = ctx.scene.directory / file;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) fileName.Fail("cannot open the OBJ file " + file.string());
    // Problems inside the OBJ file are reported with its own name and line.
    ObjMesh obj;
    try {
      obj = ReadObjMesh(file);
    } catch (const std::bad_alloc&) {
      fileName.Fail("out of memory while reading the OBJ file " + file.string());
    }
    return Finish(std::move(obj.mesh), json, std::move(obj.surface));
  } else {
    JsonView vertices = json["vertices"];
    vertices.RequireArray();
    if (vertices.Size() == 0) vertices.Fail("a mesh needs at least one vertex");
    for (std::size_t i = 0; i < vertices.Size(); ++i) mesh.vertices.push_back(vertices[i].AsPoint3());
    if (json.Has("faces")) {
      JsonView faces = json["faces"];
      faces.RequireArray();
      for (std::size_t f = 0; f < faces.Size(); ++f) {
        JsonView face = faces[f];
        face.RequireArray();
        if (face.Size() < 3) face.Fail("a face needs at least three vertex indices");
        std::vector<int> corners;
        for (std::size_t k = 0; k < face.Size(); ++k)
          corners.push_back(static_cast<int>(face[k].AsInteger(0, mesh.VertexCount() - 1)));
        mesh.AddFace(corners);
      }
    }
  }
  return Finish(std::move(mesh), json);
}

std::unique_ptr<ObjectSpec> ReadBox(const JsonView& json, const ClassReadContext&) {
  json.AllowOnly({"type", "size", "segments", "as"});
  Point3 size(10.0f, 10.0f, 10.0f);
  if (json.Has("size")) {
    JsonView s = json["size"];
    size = s.Value().is_number() ? Point3(s.AsFloat(), s.AsFloat(), s.AsFloat()) : s.AsPoint3();
    if (size.x <= 0.0f || size.y <= 0.0f || size.z <= 0.0f) s.Fail("every size must be above 0");
  }
  int segs[3] = {1, 1, 1};
  if (json.Has("segments")) {
    JsonView s = json["segments"];
    if (s.Value().is_array()) {
      if (s.Size() != 3) s.Fail("must be one count or [x, y, z] counts");
      for (int a = 0; a < 3; ++a) segs[a] = static_cast<int>(s[a].AsInteger(1, kMaxSegments));
    } else {
      segs[0] = segs[1] = segs[2] = static_cast<int>(s.AsInteger(1, kMaxSegments));
    }
  }
  CheckVertexBudget(json, BoxVertexCount(segs));
  return Finish(MakeBox(size, segs), json);
}

std::unique_ptr<ObjectSpec> ReadSphere(const JsonView& json, const ClassReadContext&) {
  json.AllowOnly({"type", "radius", "segments", "as"});
  float radius = Positive(json, "radius", 5.0);
  int segments = Segments(json, "segments", 16, 4);
  CheckVertexBudget(json, SphereVertexCount(segments));
  return Finish(MakeSphere(radius, segments), json);
}

std::unique_ptr<ObjectSpec> ReadCylinder(const JsonView& json, const ClassReadContext&) {
  json.AllowOnly({"type", "radius", "height", "sides", "segments", "capped", "axis", "as"});
  float radius = Positive(json, "radius", 5.0), height = Positive(json, "height", 10.0);
  int sides = Segments(json, "sides", 16, 3), segments = Segments(json, "segments", 1, 1);
  bool capped = json.Bool("capped", true);
  CheckVertexBudget(json, CylinderVertexCount(sides, segments, capped));
  return Finish(MakeCylinder(radius, height, sides, segments, capped, ReadAxis(json)), json);
}

std::unique_ptr<ObjectSpec> ReadTube(const JsonView& json, const ClassReadContext&) {
  json.AllowOnly({"type", "radius", "innerRadius", "height", "sides", "segments", "axis", "as"});
  float radius = Positive(json, "radius", 5.0), height = Positive(json, "height", 10.0);
  float inner = Positive(json, "innerRadius", radius * 0.5);
  if (inner >= radius) json["innerRadius"].Fail("must be below the radius");
  int sides = Segments(json, "sides", 16, 3), segments = Segments(json, "segments", 1, 1);
  CheckVertexBudget(json, TubeVertexCount(sides, segments));
  return Finish(MakeTube(radius, inner, height, sides, segments, ReadAxis(json)), json);
}

std::unique_ptr<ObjectSpec> ReadSpline(const JsonView& json, const ClassReadContext&) {
  json.AllowOnly({"type", "curves"});
  JsonView curves = json["curves"];
  curves.RequireArray();
  if (curves.Size() == 0) curves.Fail("a spline needs at least one curve");
  std::vector<SplineCurve> out;
  for (std::size_t c = 0; c < curves.Size(); ++c) {
    JsonView curve = curves[c];
    curve.AllowOnly({"knots", "closed", "smooth"});
    JsonView knots = curve["knots"];
    knots.RequireArray();
    if (knots.Size() < 2) knots.Fail("a curve needs at least two knots");
    SplineCurve sc;
    for (std::size_t k = 0; k < knots.Size(); ++k) sc.knots.push_back(knots[k].AsPoint3());
    sc.closed = curve.Bool("closed", false);
    sc.smooth = curve.Bool("smooth", true);
    out.push_back(std::move(sc));
  }
  return std::make_unique<SplineObjectSpec>(std::move(out));
}

}  // namespace

std::unique_ptr<ObjectSpec> MakeMeshObject(PolyMesh mesh, MeshKind kind, MeshSurface surface) {
  return std::make_unique<MeshObjectSpec>(std::move(mesh), kind, std::move(surface));
}

void RegisterGeometryClasses(SceneClassRegistry& registry) {
  registry.AddObject("mesh", ReadMesh);
  registry.AddObject("box", ReadBox);
  registry.AddObject("sphere", ReadSphere);
  registry.AddObject("cylinder", ReadCylinder);
  registry.AddObject("tube", ReadTube);
  registry.AddObject("spline", ReadSpline);
}
