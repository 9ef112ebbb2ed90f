#pragma once
// A skinned mesh in the headless scene: a mesh node whose stack carries a Tessarin modifier, bone
// nodes, and the steps of an assignment (bones set, then re-attached).

#include <cmath>
#include <initializer_list>
#include <vector>

#include "deformer/attachment.h"
#include "deformer/bone_shapes.h"
#include "deformer/tessarin.h"
#include "host/headless/builtin_objects.h"
#include "host/scene_fixture.h"

class SkinSceneTest : public SceneTest {
protected:
  // A tube along +X: `rings` rings from x = 0 to x = length, `sides` vertices each, radius r.
  static TriObject* Tube(int rings, int sides, float length, float r) {
    TriObject* tri = CreateNewTriObject();
    for (int k = 0; k < rings; ++k)
      for (int s = 0; s < sides; ++s) {
        const float a = 6.2831853f * static_cast<float>(s) / static_cast<float>(sides);
        tri->mesh.verts.emplace_back(length * static_cast<float>(k) / static_cast<float>(rings - 1),
                                     r * std::cos(a), r * std::sin(a));
      }
    return tri;
  }

  // A node carrying mesh under a stack with a new skin modifier on top.
  SceneNode* SkinnedNode(TriObject* mesh, const wchar_t* name = L"skin") {
    stack_ = CreateDerivedObject(mesh);
    skin_ = new Tessarin();
    stack_->AddModifier(skin_);
    return host().CreateNode(name, stack_);
  }

  // A dummy whose box spans [min, max] in its own space, placed at pos under parent.
  SceneNode* BoxBone(const wchar_t* name, const Point3& min, const Point3& max, const Point3& pos,
                     INode* parent = nullptr) {
    auto* dummy = new DummyObject();
    dummy->box = Box3(min, max);
    SceneNode* node = host().CreateNode(name, dummy, parent);
    node->SetNodeTM(0, TransMatrix(pos));
    return node;
  }

  // Makes nodes the skin's bones, classified at time 0.
  static void AssignBones(Tessarin& skin, std::initializer_list<INode*> nodes) {
    skin.table.ResizeBones(static_cast<int>(nodes.size()));
    int i = 0;
    for (INode* n : nodes) {
      skin.SetBoneNode(i, n);
      skin.table.bones[i]->kind = Classify(n, 0);
      ++i;
    }
  }

  // The points of the node's evaluated object at t.
  static std::vector<Point3> Evaluate(INode* node, TimeValue t) {
    Object* obj = node->EvalWorldState(t).obj;
    std::vector<Point3> out;
    if (!obj) return out;
    for (int i = 0; i < obj->NumPoints(); ++i) out.push_back(obj->GetPoint(i));
    return out;
  }

  Tessarin& skin() { return *skin_; }
  IDerivedObject* stack() { return stack_; }

  Tessarin* skin_ = nullptr;
  IDerivedObject* stack_ = nullptr;
};
