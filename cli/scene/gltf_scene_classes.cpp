#include "cli/scene/gltf_scene_classes.h"

#include <algorithm>

#include "cli/scene/scene_builder.h"
#include "cli/scene/scene_classes.h"
#include "cli/scene/skin_access.h"
#include "host/headless/builtin_objects.h"
#include "host/headless/headless_host.h"
#include "host/headless/scene_node.h"
#include "module/registry/class_ids.h"

namespace {

class JointSpec : public ObjectSpec {
public:
  explicit JointSpec(const Box3& box) : box_(box) {}
  Object* Create(BuildContext&) const override {
    auto* dummy = new DummyObject();
    dummy->box = box_;
    return dummy;
  }

private:
  Box3 box_;
};

int Depth(INode* node) {
  int d = 0;
  for (INode* p = node->GetParentNode(); p && !p->IsRootNode(); p = p->GetParentNode()) ++d;
  return d;
}

// Holds nodes at given world transforms for the moment of attachment and gives them their own
// tracks back afterwards, whatever happens in between.
class PoseHold {
public:
  explicit PoseHold(TimeValue t) : t_(t) {}
  PoseHold(const PoseHold&) = delete;
  PoseHold& operator=(const PoseHold&) = delete;
  ~PoseHold() {
    for (auto& [node, track] : saved_) {
      node->Track() = track;
      node->TransformChanged();
    }
  }

  // Parents first, so that each node's local transform is found from its parent's held pose.
  void Hold(std::vector<std::pair<SceneNode*, Matrix3>> poses) {
    std::stable_sort(poses.begin(), poses.end(),
                     [](const auto& a, const auto& b) { return Depth(a.first) < Depth(b.first); });
    for (auto& [node, world] : poses) {
      if (std::none_of(saved_.begin(), saved_.end(), [&](const auto& s) { return s.first == node; }))
        saved_.emplace_back(node, node->Track());
      INode* parent = node->GetParentNode();
      const Matrix3 parentWorld = parent ? parent->GetNodeTM(t_) : Matrix3();
      TransformTrack held;
      held.SetLocal(t_, world * Inverse(parentWorld), false);
      node->Track() = held;
      node->TransformChanged();
    }
  }

private:
  TimeValue t_;
  std::vector<std::pair<SceneNode*, TransformTrack>> saved_;
};

class SkinSpec : public ModifierSpec {
public:
  SkinSpec(std::string place, std::vector<GltfSkinBone> bones, float falloff, float strength)
      : ModifierSpec(std::move(place)), bones_(std::move(bones)), falloff_(falloff), strength_(strength) {}

  Modifier* Create(BuildContext& ctx) const override {
    auto* mod = static_cast<Modifier*>(TheHost().CreateInstance(OSM_CLASS_ID, TESSARIN_CLASS_ID));
    if (!mod) ctx.Fail(Pointer(), "the Tessarin class is not available: the plug-in module is not loaded");
    return mod;
  }

  void Finish(BuildContext& ctx, INode& node, Modifier& mod) const override {
    ISkinEditor* editor = SkinEditorOf(&mod);
    if (!editor) ctx.Fail(Pointer(), "the loaded Tessarin class offers no editing interface");
    std::vector<SkinBoneAssignment> assignments;
    std::vector<std::pair<SceneNode*, Matrix3>> poses;
    for (const GltfSkinBone& b : bones_) {
      SkinBoneAssignment a;
      a.node = ctx.Node(b.node);
      a.falloff = falloff_;
      a.strength = strength_;
      a.codes = b.codes;
      a.forcedWeights = b.forcedWeights;
      assignments.push_back(std::move(a));
      poses.emplace_back(ctx.nodes.at(b.node), b.bindWorld);
    }
    const int refused = editor->AssignBones(assignments);
    if (refused >= 0) ctx.Fail(Pointer(), "joint \"" + bones_[refused].node + "\" cannot serve as a bone");
    // glTF skinning ignores the transform of the node that carries the mesh: the mesh's
    // vertices are already where the bind pose puts them.
    auto* carrier = dynamic_cast<SceneNode*>(&node);
    if (!carrier) ctx.Fail(Pointer(), "the skin's node is not a scene node");
    poses.emplace_back(carrier, Matrix3());
    const TimeValue t = TheHost().GetTime();
    bool attached = false;
    {
      PoseHold hold(t);
      hold.Hold(std::move(poses));
      attached = editor->Attach(&node);
    }
    if (!attached) ctx.Fail(Pointer(), "the skin could not be attached (the skin's message says why)");
  }

private:
  std::vector<GltfSkinBone> bones_;
  float falloff_;
  float strength_;
};

}  // namespace

std::unique_ptr<ObjectSpec> MakeGltfMesh(PolyMesh mesh, MeshSurface surface) {
  return MakeMeshObject(std::move(mesh), MeshKind::Tri, std::move(surface));
}
std::unique_ptr<ObjectSpec> MakeGltfJoint(const Box3& box) { return std::make_unique<JointSpec>(box); }
std::unique_ptr<ModifierSpec> MakeGltfSkin(std::string place, std::vector<GltfSkinBone> bones, float falloff,
                                           float strength) {
  return std::make_unique<SkinSpec>(std::move(place), std::move(bones), falloff, strength);
}
