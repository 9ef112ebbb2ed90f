#pragma once
// The meshes and skins of a glTF file as objects and modifiers of the description's nodes.
// Problems are thrown as SceneParseError naming the file and a JSON pointer into the glTF.

#include <map>
#include <set>
#include <string>
#include <vector>

#include "cli/scene/gltf_import.h"
#include "cli/scene/mesh_surface.h"
#include "cli/scene/poly_mesh.h"
#include "cli/scene/scene_description.h"
#include "host/sdk/box3.h"
#include "host/sdk/matrix3.h"

namespace tinygltf {
class Model;
}

class GltfMeshImport {
public:
  GltfMeshImport(const tinygltf::Model& model, const std::string& file, const GltfImportOptions& options);

  // The object (and, when skinned, the skin) of glTF node index, whose description is
  // nodes[index]. A mesh of several primitives puts primitive 0 on the node and each further
  // primitive on a child node of its own (see TakeExtraNodes).
  void AddNode(int index, std::vector<NodeSpec>& nodes);
  // Gives every joint of the skins used so far a joint helper, unless its node carries a mesh.
  void AddJoints(std::vector<NodeSpec>& nodes);
  // The child nodes made for further primitives, named "<node>.primitive<k>".
  std::vector<NodeSpec> TakeExtraNodes() { return std::move(extra_); }

private:
  struct Skin {
    std::vector<int> joints;          // node indices, in the skin's order
    std::vector<Matrix3> bindWorld;   // one per joint, host axes
  };
  struct Primitive {
    PolyMesh mesh;
    MeshSurface surface;  // TEXCOORD_0 and the material, carried to the glTF outputs
    // File weights per joint of the skin: empty unless taken from the file.
    std::vector<std::vector<std::uint8_t>> codes;   // joints x vertices
    std::vector<std::vector<float>> forcedWeights;  // joints x vertices, percent
  };

  [[noreturn]] void Fail(const std::string& place, const std::string& what) const;
  const Skin& ReadSkin(int index, int node);
  Primitive ReadPrimitive(int mesh, int primitive, const Skin* skin, int skinIndex);
  void ReadInfluences(const tinygltf::Model& model, int mesh, int primitive, const Skin& skin, int skinIndex,
                      std::size_t vertexCount, Primitive& out) const;
  void ReadSurface(int mesh, int primitive, std::size_t vertexCount, MeshSurface& out) const;
  Box3 JointBox(const Skin& skin, std::size_t joint) const;
  std::string UniqueName(const std::string& base, const std::vector<NodeSpec>& nodes) const;

  const tinygltf::Model& model_;
  std::string file_;
  const GltfImportOptions& options_;
  std::map<int, Skin> skins_;
  std::vector<int> usedSkins_;  // in the order of first use
  std::vector<int> parent_;     // of every glTF node, -1 at the top
  Box3 bounds_;                 // of every skinned vertex, host axes
  std::vector<NodeSpec> extra_;
};
