#include "cli/scene/skin_access.h"

#include <algorithm>

#include "host/queries/scene_queries.h"
#include "host/sdk/object.h"
#include "module/registry/class_ids.h"

ISkinEditor* SkinEditorOf(Animatable* modifier) {
  if (!modifier) return nullptr;
  BaseInterface* found = modifier->GetInterface(SKIN_EDITOR_INTERFACE_ID);
  // The identifier is answered only by the editing interface itself.
  return found && found->GetID() == SKIN_EDITOR_INTERFACE_ID ? static_cast<ISkinEditor*>(found) : nullptr;
}

namespace {

// Calls visit(modifier, index in its stack) for the node's modifiers, top first, until it returns
// true; whether one did.
template <class Visit>
bool FindModifier(INode* node, Visit visit) {
  Object* obj = node ? node->GetObjectRef() : nullptr;
  while (obj && obj->SuperClassID() == GEN_DERIVOB_CLASS_ID) {
    auto* derived = static_cast<IDerivedObject*>(obj);
    for (int i = 0; i < derived->NumModifiers(); ++i)
      if (visit(derived->GetModifier(i), i)) return true;
    obj = derived->GetObjRef();
  }
  return false;
}

int StackIndex(INode* node, Modifier* mod) {
  int index = 0;
  const bool found = FindModifier(node, [&](Modifier* m, int i) {
    index = i;
    return m == mod;
  });
  return found ? index : 0;
}

}  // namespace

std::vector<SkinRef> FindSkins() {
  std::vector<SkinRef> out;
  for (const ModifierMatch& m : CollectModifiers(TESSARIN_CLASS_ID)) {
    ISkinEditor* editor = SkinEditorOf(m.modifier);
    if (editor) out.push_back({m.node, m.modifier, editor, StackIndex(m.node, m.modifier)});
  }
  return out;
}

std::vector<INode*> SkinnedNodes(const std::vector<SkinRef>& skins) {
  std::vector<INode*> nodes;
  for (const SkinRef& s : skins)
    if (std::find(nodes.begin(), nodes.end(), s.node) == nodes.end()) nodes.push_back(s.node);
  return nodes;
}

std::string SkinFailureOn(INode* node) {
  const bool failed = FindModifier(node, [](Modifier* m, int) {
    ISkinEditor* editor = SkinEditorOf(m);
    return editor && editor->LastEvaluationFailed();
  });
  return failed ? "the skin ran out of memory while deforming the mesh" : std::string();
}
