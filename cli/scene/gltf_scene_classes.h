#pragma once
// The parsed entries a glTF file becomes: triangle meshes as they are in the file, joint helpers
// whose box spans the bone, and a skin that attaches its joints in the file's bind pose.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "cli/scene/mesh_surface.h"
#include "cli/scene/poly_mesh.h"
#include "cli/scene/scene_description.h"
#include "host/sdk/box3.h"
#include "host/sdk/matrix3.h"

struct GltfSkinBone {
  std::string node;                  // the joint's node
  Matrix3 bindWorld;                 // the joint's world transform in the bind pose (host axes)
  std::vector<std::uint8_t> codes;   // empty (every vertex computed) or one per vertex
  std::vector<float> forcedWeights;  // empty or one per vertex, percent
};

// A triangle mesh object; vertices and triangles exactly as given, with what its surface brings.
std::unique_ptr<ObjectSpec> MakeGltfMesh(PolyMesh mesh, MeshSurface surface = {});
// A helper object whose deformation box, in the joint's own axes, is box.
std::unique_ptr<ObjectSpec> MakeGltfJoint(const Box3& box);
// A Tessarin modifier with these bones (in order), each given falloff and strength. Building
// poses every joint at its bindWorld and the carrying node at the identity, attaches, and puts
// the nodes' own animation back. place names the skin in messages.
std::unique_ptr<ModifierSpec> MakeGltfSkin(std::string place, std::vector<GltfSkinBone> bones, float falloff,
                                           float strength);
