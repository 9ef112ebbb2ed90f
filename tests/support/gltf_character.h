#pragma once
// A small skinned glTF character made by code, for tests, fuzz seeds, benchmarks and examples:
// a torso tube and two arm tubes on eight joints under an "Armature" node, an unskinned "Hat" on
// the head, and two animations ("Walk", 1 s, every interpolation and path; "Wave", 2 s).
//
// Nodes: 0 Armature, 1 Body (the skinned mesh; its own transform is not the identity and glTF
// ignores it), 2 Hips, 3 Spine, 4 Chest, 5 Head, 6 UpperArm.L, 7 Forearm.L, 8 UpperArm.R,
// 9 Forearm.R, 10 Hat. The skin lists the joints in the order of kJointNodes, which is not node
// order. The bind pose (inverseBindMatrices) is a T-pose; the nodes' own transforms hold the
// arms lower, so a reader that attaches in the nodes' pose instead of the bind pose is caught.

#include <tiny_gltf.h>

#include <filesystem>
#include <string>

namespace gltf_character {

// Node index of each skin joint, in the skin's joint order.
inline constexpr int kJointNodes[] = {3, 2, 4, 5, 6, 7, 8, 9};
inline constexpr int kJointCount = 8;
inline constexpr int kBodyNode = 1;
inline constexpr int kHatNode = 10;

struct Options {
  int ringSegments = 8;        // vertices around each tube
  double ringSpacing = 0.1;    // distance between rings along a tube (glTF units, before the armature's scale)
  bool sparsePositions = false;   // the first vertices' positions come from a sparse substitution
  bool quantizedWeights = false;  // WEIGHTS_0 (and _1) as normalised unsigned bytes, summing to 255
  bool shortJoints = false;       // JOINTS_0 (and _1) as unsigned shorts instead of bytes
  bool eightInfluences = false;   // every vertex weighted by 6 joints: JOINTS_1 and WEIGHTS_1 too
  bool animations = true;         // false: no animation at all
};

enum class Form { Glb, Embedded, External };  // .glb; .gltf with base64 buffer; .gltf with a .bin beside

tinygltf::Model Make(const Options& options = {});
// The number of vertices Make gives for these options.
int VertexCount(const Options& options);

// Writes the model; External writes <stem>.bin beside path. False with *error set on failure.
bool Write(const tinygltf::Model& model, const std::filesystem::path& path, Form form, std::string* error = nullptr);

}  // namespace gltf_character
