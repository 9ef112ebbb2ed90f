// Object classes without a mesh: the dummy and point helpers and the two bone objects.

#include <limits>

#include "cli/scene/scene_classes.h"
#include "host/headless/builtin_objects.h"

namespace {

// Creates a new T and lets set fill it.
template <class T, class Set>
class HelperSpec : public ObjectSpec {
public:
  explicit HelperSpec(Set set) : set_(std::move(set)) {}
  Object* Create(BuildContext& ctx) const override {
    (void)ctx;
    T* obj = new T();
    set_(*obj);
    return obj;
  }

private:
  Set set_;
};

template <class T, class Set>
std::unique_ptr<ObjectSpec> MakeHelper(Set set) {
  return std::make_unique<HelperSpec<T, Set>>(std::move(set));
}

float Positive(const JsonView& json, const char* key, double fallback) {
  return float(json.Number(key, fallback, std::numeric_limits<float>::min(), std::numeric_limits<float>::max()));
}

std::unique_ptr<ObjectSpec> ReadDummy(const JsonView& json, const ClassReadContext&) {
  json.AllowOnly({"type", "size"});
  Point3 size(1.0f, 1.0f, 1.0f);
  if (json.Has("size")) {
    JsonView s = json["size"];
    size = s.Value().is_number() ? Point3(s.AsFloat(), s.AsFloat(), s.AsFloat()) : s.AsPoint3();
    if (size.x <= 0.0f || size.y <= 0.0f || size.z <= 0.0f) s.Fail("every size must be above 0");
  }
  return MakeHelper<DummyObject>([size](DummyObject& d) { d.box = Box3(size * -0.5f, size * 0.5f); });
}

std::unique_ptr<ObjectSpec> ReadPoint(const JsonView& json, const ClassReadContext&) {
  json.AllowOnly({"type"});
  return MakeHelper<PointHelperObject>([](PointHelperObject&) {});
}

std::unique_ptr<ObjectSpec> ReadBone(const JsonView& json, const ClassReadContext&) {
  json.AllowOnly({"type", "length", "width", "height"});
  float length = Positive(json, "length", 10.0), width = Positive(json, "width", 2.0),
        height = Positive(json, "height", 2.0);
  return MakeHelper<BoneGeometryObject>([=](BoneGeometryObject& b) {
    b.length = length;
    b.width = width;
    b.height = height;
  });
}

std::unique_ptr<ObjectSpec> ReadLegacyBone(const JsonView& json, const ClassReadContext&) {
  json.AllowOnly({"type"});
  return MakeHelper<LegacyBoneObject>([](LegacyBoneObject&) {});
}

}  // namespace

void RegisterHelperClasses(SceneClassRegistry& registry) {
  registry.AddObject("dummy", ReadDummy);
  registry.AddObject("point", ReadPoint);
  registry.AddObject("bone", ReadBone);
  registry.AddObject("legacyBone", ReadLegacyBone);
}
