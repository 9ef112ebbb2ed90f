#pragma once
// A scene description read from JSON, before anything exists in the host: nodes with their
// transforms and animation, and for each node an object and a modifier stack given by class
// parsed entries. A parsed entry is checked completely when it is read, so building cannot fail on bad input;
// only the plug-in itself can still refuse (a bone, an attachment).

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "cli/scene/mesh_surface.h"
#include "host/sdk/matrix3.h"

class BuildContext;
class INode;
class Modifier;
class Object;

// A base object of a node: a mesh, primitive, spline, helper or bone object.
class ObjectSpec {
public:
  virtual ~ObjectSpec() = default;
  // A new host object; the node that receives it owns it.
  virtual Object* Create(BuildContext& ctx) const = 0;
  // The number of vertices the object's mesh has, for checking per-vertex data; none when the
  // object is not a mesh.
  virtual std::optional<int> VertexCount() const { return std::nullopt; }
  // Texture coordinates and material the mesh brings from its file, for the glTF outputs; none
  // when it brings neither.
  virtual const MeshSurface* Surface() const { return nullptr; }
  // Frees what only Create needs (a mesh's vertices and faces), keeping VertexCount() and
  // Surface(), once the host object exists: a big mesh should not stay beside the host's copy.
  // Create must not be called again.
  virtual void ReleaseGeometry() {}
  // Called once every node, object and modifier of the scene exists, at the scene's current
  // time, before the node's modifiers finish: what refers to other nodes' objects or modifiers.
  virtual void Finish(BuildContext& ctx, INode& node, Object& object) const {
    (void)ctx; (void)node; (void)object;
  }
};

// One modifier of a node's stack.
class ModifierSpec {
public:
  explicit ModifierSpec(std::string pointer) : pointer_(std::move(pointer)) {}
  virtual ~ModifierSpec() = default;
  // A new modifier, put on top of the node's stack by the builder; ctx.Fail when the class is
  // not available.
  virtual Modifier* Create(BuildContext& ctx) const = 0;
  // Called once every node, object and modifier of the scene exists, at the scene's current
  // time, bottom of each stack first: what refers to other nodes (bones) and attachment.
  virtual void Finish(BuildContext& ctx, INode& node, Modifier& modifier) const {
    (void)ctx; (void)node; (void)modifier;
  }
  // Where the modifier is described (a JSON pointer), for errors found while building.
  const std::string& Pointer() const { return pointer_; }
  // A world-space modifier: it goes on the node's world-space stack, above the object space.
  virtual bool WorldSpace() const { return false; }

private:
  std::string pointer_;
};

struct TransformKey {
  double frame = 0.0;
  std::optional<Point3> position;
  std::optional<Quat> rotation;
  std::optional<Point3> scale;
};

struct ObjectOffset {
  Point3 position;
  Quat rotation;
  Point3 scale{1.0f, 1.0f, 1.0f};
};

struct NodeSpec {
  std::string name;
  std::string parent;   // empty: the scene root
  int parentIndex = -1;  // of the parent in SceneDescription::nodes; -1 for the scene root
  std::string pointer;  // "/nodes/3"
  Point3 position;
  Quat rotation;
  Point3 scale{1.0f, 1.0f, 1.0f};
  std::vector<TransformKey> keys;  // in frame order
  std::optional<ObjectOffset> offset;
  std::optional<unsigned> wireColor;  // 0x00BBGGRR
  std::unique_ptr<ObjectSpec> object;
  std::vector<std::unique_ptr<ModifierSpec>> modifiers;  // bottom of the stack first
};

struct SceneDescription {
  std::string file;                // as given, for messages
  std::filesystem::path directory; // relative paths inside the description start here
  int frameRate = 30;
  double time = 0.0;  // the current frame: bones are attached here
  std::optional<std::pair<int, int>> frames;  // the range `run` evaluates when none is given
  std::vector<NodeSpec> nodes;
  // Node name to index into nodes, so that looking a name up does not search every node
  // (descriptions hold tens of thousands); kept by the reader, made by IndexNodes.
  std::unordered_map<std::string, int> nodeIndex;

  // The index of the node named name, or -1 (a search when nodeIndex does not cover nodes).
  int NodeIndex(const std::string& name) const;
  // Fills nodeIndex and every node's parentIndex from the names (the first of equal names wins).
  void IndexNodes();
};
