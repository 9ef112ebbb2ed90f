#include "sources/influence_source_lists.h"

#include <algorithm>

#include "deformer/tessarin.h"
#include "host/sdk/inode.h"
#include "host/sdk/interface.h"
#include "host/sdk/ref_container.h"
#include "module/registry/class_ids.h"
#include "module/registry/tessarin_parameters.h"

namespace {

bool Qualifies(INode* node, SourceKind kind) {
  if (!node) return false;
  if (kind == SourceKind::orbicle) {
    Object* obj = node->GetObjectRef();
    return obj && obj->IsSubClassOf(ORBICLE_CLASS_ID);
  }
  return FindModifierOnNode(node, FLUXEL_CLASS_ID) != nullptr;
}

void AddOnce(std::vector<INode*>& list, INode* node) {
  if (std::find(list.begin(), list.end(), node) == list.end()) list.push_back(node);
}

}  // namespace

std::vector<INode*> CollectInfluenceSources(Tessarin& skin, TimeValue t, SourceKind kind) {
  std::vector<INode*> sources;
  if (IRefTargContainer* container = skin.sourceContainer) {
    for (int i = 0; i < container->GetNumItems(); ++i) {
      ReferenceTarget* item = container->GetItem(i);
      if (!item || item->SuperClassID() != BASENODE_CLASS_ID) continue;
      auto* node = static_cast<INode*>(item);
      if (Qualifies(node, kind)) AddOnce(sources, node);
    }
  }
  if (skin.ReadSwitch(use_linked, t, 1) == 0) return sources;
  std::vector<INode*> linked;
  for (const auto& bone : skin.table.bones) {
    INode* boneNode = bone->node;
    if (!boneNode) continue;
    for (int c = 0; c < boneNode->NumberOfChildren(); ++c) {
      INode* child = boneNode->GetChildNode(c);
      if (Qualifies(child, kind)) AddOnce(linked, child);
    }
  }
  for (INode* node : linked) AddOnce(sources, node);
  return sources;
}

std::vector<ModifierMatch> SkinsUsingSource(ReferenceTarget* source) {
  std::vector<ModifierMatch> result;
  if (!source) return result;
  SourceKind kind;
  if (source->ClassID() == ORBICLE_CLASS_ID) kind = SourceKind::orbicle;
  else if (source->ClassID() == FLUXEL_CLASS_ID) kind = SourceKind::fluxel;
  else return result;
  INode* sourceNode = FindFirstNode(source);
  Interface* ip = GetCOREInterface();
  if (!sourceNode || !ip) return result;
  const TimeValue now = ip->GetTime();
  for (const ModifierMatch& match : CollectModifiers(TESSARIN_CLASS_ID)) {
    auto* skin = static_cast<Tessarin*>(match.modifier);
    const std::vector<INode*> sources = CollectInfluenceSources(*skin, now, kind);
    if (std::find(sources.begin(), sources.end(), sourceNode) == sources.end()) continue;
    const bool present = std::any_of(result.begin(), result.end(), [&](const ModifierMatch& m) {
      return m.node == match.node && m.modifier == match.modifier;
    });
    if (!present) result.push_back(match);
  }
  return result;
}
