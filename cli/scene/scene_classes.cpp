#include "cli/scene/scene_classes.h"

namespace {

// Every class a description can name. Later classes add their line here.
void RegisterSceneClasses(SceneClassRegistry& registry) {
  RegisterGeometryClasses(registry);
  RegisterHelperClasses(registry);
  RegisterTessarinModifier(registry);
  RegisterInfluenceSources(registry);
  RegisterWobblexModifier(registry);
}

template <class Map>
std::string Keys(const Map& map) {
  std::string out;
  for (const auto& [key, value] : map) {
    (void)value;
    out += (out.empty() ? "" : ", ") + key;
  }
  return out;
}

}  // namespace

const ObjectReader* SceneClassRegistry::FindObject(const std::string& type) const {
  auto it = objects_.find(type);
  return it == objects_.end() ? nullptr : &it->second;
}

const ModifierReader* SceneClassRegistry::FindModifier(const std::string& type) const {
  auto it = modifiers_.find(type);
  return it == modifiers_.end() ? nullptr : &it->second;
}

std::string SceneClassRegistry::ObjectTypes() const { return Keys(objects_); }
std::string SceneClassRegistry::ModifierTypes() const { return Keys(modifiers_); }

const SceneClassRegistry& SceneClasses() {
  static const SceneClassRegistry registry = [] {
    SceneClassRegistry r;
    RegisterSceneClasses(r);
    return r;
  }();
  return registry;
}
