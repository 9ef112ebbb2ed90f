#pragma once
// Queries of the scene graph shared by the plug-in's subsystems. They only read the scene.

#include <cstdint>
#include <functional>
#include <vector>

#include "host/sdk/interface.h"

// A modifier found in the scene and the node whose stack holds it.
struct ModifierMatch {
  INode* node = nullptr;
  Modifier* modifier = nullptr;
};

// Dependent enumeration that finds the one node carrying a modifier: the first node met is
// remembered; a later node whose outermost stack lists the modifier too means the modifier is
// instanced, and the result is none.
class TS_Sdk_ModApp21NodeEnumProc : public DependentEnumProc {
public:
  explicit TS_Sdk_ModApp21NodeEnumProc(ReferenceTarget* modifier) : modifier_(modifier) {}
  int proc(ReferenceMaker* rmaker) override;
  INode* Node() const { return node_; }

private:
  ReferenceTarget* modifier_;
  INode* node_ = nullptr;
};

// Scene-tree callback that appends (node, modifier) for every modifier of a class in a node's
// object-space stack, walking down through nested stacks, each stack from its highest index.
class ModifierCollectorCallback : public ITreeEnumProc {
public:
  explicit ModifierCollectorCallback(Class_ID wanted) : wanted_(wanted) {}
  int callback(INode* node) override;
  std::vector<ModifierMatch>& Matches() { return matches_; }

private:
  Class_ID wanted_;
  std::vector<ModifierMatch> matches_;
};

// 1. The node that carries modifier; none for null, for a modifier in no scene, or for one that
//    is instanced on two nodes.
INode* FindCarrierNode(ReferenceTarget* modifier);

// 2. The first node behind maker: maker itself when it is a node, else the first node among its
//    dependents, searched depth first in the host's order. None when there is none.
INode* FindFirstNode(ReferenceMaker* maker);

// 3. Every modifier of class id in the scene's object-space stacks, in the order found.
std::vector<ModifierMatch> CollectModifiers(Class_ID id);

// 4. The node of the first modifier of class skinClass whose identity (read by stampOf) equals
//    stamp; none when there is none.
using ModifierStamp = std::function<std::uint64_t(Modifier*)>;
INode* FindCarrierByStamp(std::uint64_t stamp, Class_ID skinClass, const ModifierStamp& stampOf);

// 5. The first modifier of class id (or a subclass) in node's outermost stack; nested stacks are
//    not searched. None for a null node.
Modifier* FindModifierOnNode(INode* node, Class_ID id);
