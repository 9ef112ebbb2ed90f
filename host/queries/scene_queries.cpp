#include "host/queries/scene_queries.h"

#include <algorithm>

namespace {

// The headless host gives world-space stacks their own super-class; both kinds are stacks.
bool IsDerivedObject(Object* obj) {
  if (!obj) return false;
  SClass_ID sc = obj->SuperClassID();
  return sc == GEN_DERIVOB_CLASS_ID || sc == WSM_DERIVOB_CLASS_ID;
}

bool StackLists(IDerivedObject* stack, ReferenceTarget* modifier) {
  for (int i = 0; i < stack->NumModifiers(); ++i)
    if (stack->GetModifier(i) == modifier) return true;
  return false;
}

// Depth first through dependents that are targets; `visited` guards against a reference cycle.
INode* FirstNodeAmongDependents(ReferenceTarget* target, std::vector<ReferenceTarget*>& visited) {
  if (std::find(visited.begin(), visited.end(), target) != visited.end()) return nullptr;
  visited.push_back(target);
  DependentIterator it(target);
  while (ReferenceMaker* dep = it.Next()) {
    if (dep->SuperClassID() == BASENODE_CLASS_ID) return static_cast<INode*>(dep);
    if (!dep->IsRefTarget()) continue;
    if (INode* node = FirstNodeAmongDependents(static_cast<ReferenceTarget*>(dep), visited)) return node;
  }
  return nullptr;
}

}  // namespace

int TS_Sdk_ModApp21NodeEnumProc::proc(ReferenceMaker* rmaker) {
  if (rmaker->ClassID() != NODE_CLASS_ID) return DEP_ENUM_CONTINUE;
  auto* node = static_cast<INode*>(rmaker);
  if (!node_) {
    node_ = node;
    // What depends on a node references the node itself, never the stack that carries it.
    return DEP_ENUM_SKIP;
  }
  Object* obj = node->GetObjOrWSMRef();
  if (IsDerivedObject(obj) && StackLists(static_cast<IDerivedObject*>(obj), modifier_)) {
    node_ = nullptr;
    return DEP_ENUM_HALT;
  }
  return DEP_ENUM_SKIP;
}

int ModifierCollectorCallback::callback(INode* node) {
  Object* obj = node->GetObjectRef();
  while (obj && obj->SuperClassID() == GEN_DERIVOB_CLASS_ID) {
    auto* stack = static_cast<IDerivedObject*>(obj);
    for (int i = stack->NumModifiers() - 1; i >= 0; --i) {
      Modifier* mod = stack->GetModifier(i);
      if (mod && mod->ClassID() == wanted_) matches_.push_back({node, mod});
    }
    obj = stack->GetObjRef();
  }
  return TREE_CONTINUE;
}

INode* FindCarrierNode(ReferenceTarget* modifier) {
  if (!modifier) return nullptr;
  TS_Sdk_ModApp21NodeEnumProc proc(modifier);
  modifier->DoEnumDependents(&proc);
  return proc.Node();
}

INode* FindFirstNode(ReferenceMaker* maker) {
  if (!maker) return nullptr;
  if (maker->SuperClassID() == BASENODE_CLASS_ID) return static_cast<INode*>(maker);
  if (!maker->IsRefTarget()) return nullptr;
  std::vector<ReferenceTarget*> visited;
  return FirstNodeAmongDependents(static_cast<ReferenceTarget*>(maker), visited);
}

std::vector<ModifierMatch> CollectModifiers(Class_ID id) {
  ModifierCollectorCallback collector(id);
  if (Interface7* ip = GetCOREInterface7())
    if (IScene* scene = ip->GetScene()) scene->EnumTree(&collector);
  return std::move(collector.Matches());
}

INode* FindCarrierByStamp(std::uint64_t stamp, Class_ID skinClass, const ModifierStamp& stampOf) {
  if (!stampOf) return nullptr;
  for (const ModifierMatch& m : CollectModifiers(skinClass))
    if (stampOf(m.modifier) == stamp) return m.node;
  return nullptr;
}

Modifier* FindModifierOnNode(INode* node, Class_ID id) {
  if (!node) return nullptr;
  Object* obj = node->GetObjOrWSMRef();
  if (!IsDerivedObject(obj)) return nullptr;
  auto* stack = static_cast<IDerivedObject*>(obj);
  for (int i = 0; i < stack->NumModifiers(); ++i) {
    Modifier* mod = stack->GetModifier(i);
    if (mod && mod->IsSubClassOf(id)) return mod;
  }
  return nullptr;
}
