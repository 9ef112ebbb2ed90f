#pragma once
// The classes a description can name in "type": each object and modifier class registers a
// reader that turns its JSON into a parsed entry. New classes add a registration function to
// RegisterSceneClasses (scene_classes.cpp) and need no change to the description reader.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "cli/scene/json_view.h"
#include "cli/scene/mesh_surface.h"
#include "cli/scene/poly_mesh.h"
#include "cli/scene/scene_description.h"

// What a class reader may look at besides its own JSON: the scene read so far (every node's
// name is known, earlier nodes are complete) and the node the class belongs to (for a modifier,
// its object has been read).
struct ClassReadContext {
  const SceneDescription& scene;
  const NodeSpec& node;
};

using ObjectReader = std::function<std::unique_ptr<ObjectSpec>(const JsonView& json, const ClassReadContext& ctx)>;
using ModifierReader =
    std::function<std::unique_ptr<ModifierSpec>(const JsonView& json, const ClassReadContext& ctx)>;

class SceneClassRegistry {
public:
  void AddObject(const std::string& type, ObjectReader reader) { objects_[type] = std::move(reader); }
  void AddModifier(const std::string& type, ModifierReader reader) { modifiers_[type] = std::move(reader); }
  const ObjectReader* FindObject(const std::string& type) const;
  const ModifierReader* FindModifier(const std::string& type) const;
  // "box, cylinder, ..." for messages.
  std::string ObjectTypes() const;
  std::string ModifierTypes() const;

private:
  std::map<std::string, ObjectReader> objects_;
  std::map<std::string, ModifierReader> modifiers_;
};

// The registry with every class of the program, filled on first use.
const SceneClassRegistry& SceneClasses();

// A mesh object of the given kind from a plain mesh, with what its surface brings: what the
// inline, OBJ and primitive readers give, and what the glTF import gives for every primitive.
std::unique_ptr<ObjectSpec> MakeMeshObject(PolyMesh mesh, MeshKind kind, MeshSurface surface = {});

// Registration functions, one per family of classes.
void RegisterGeometryClasses(SceneClassRegistry& registry);
void RegisterHelperClasses(SceneClassRegistry& registry);
void RegisterTessarinModifier(SceneClassRegistry& registry);
void RegisterInfluenceSources(SceneClassRegistry& registry);
void RegisterWobblexModifier(SceneClassRegistry& registry);
