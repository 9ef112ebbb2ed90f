#pragma once
// A skinned character as glTF holds it, built from plain data: a node hierarchy whose nodes
// carry one local transform per frame, and skinned meshes whose joints are some of those nodes.
// Everything is already in glTF space (y-up); the skinned meshes sit at the scene's root without
// a transform, as glTF skinning expects.

#include <tiny_gltf.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/scene/gltf_space.h"
#include "cli/scene/mesh_surface.h"
#include "cli/scene/skin_influences.h"

struct SkinnedGlbNode {
  std::string name;
  int parent = -1;         // an earlier node's index, or -1 at the root
  std::vector<Trs> keys;   // the local transform, one per frame (or one for all)
};

// A skinned mesh (joints given) sits on a node of its own at the root; a mesh no skin deforms
// (no joints) sits on its hierarchy node `node`, its positions in that node's axes.
struct SkinnedGlbMesh {
  std::string name;
  int node = -1;                          // the carrying node of an unskinned mesh, else -1
  std::vector<Point3> positions;          // one per vertex, the bind pose
  std::vector<std::uint32_t> triangles;   // three vertex indices each
  std::vector<Point3> colors;             // empty, or one r, g, b per vertex
  MeshSurface surface;                    // texture coordinates and material, if any
  std::vector<int> joints;                // node indices
  int skeleton = -1;                      // the node above all joints, or -1
  std::vector<Affine> inverseBind;        // one per joint
  SkinInfluences influences;              // width 4 or 8, joint numbers index `joints`
};

struct SkinnedGlbScene {
  std::vector<SkinnedGlbNode> nodes;
  std::vector<SkinnedGlbMesh> meshes;
  std::vector<float> times;  // seconds, one per frame, increasing
  std::string animationName = "frames";
};

// The model: nodes (hierarchy first, then one node per skinned mesh), meshes with POSITION, NORMAL
// (computed from the bind pose), TEXCOORD_0, COLOR_0, JOINTS_n / WEIGHTS_n, skins and one
// animation with LINEAR translation, rotation and scale channels for the transforms that change.
tinygltf::Model BuildSkinnedGlbModel(const SkinnedGlbScene& scene, const std::string& generator);

// Builds and writes the model in one piece. False with *error naming the file.
bool WriteSkinnedGlb(const std::filesystem::path& path, const SkinnedGlbScene& scene, const std::string& generator,
                     std::string* error);
