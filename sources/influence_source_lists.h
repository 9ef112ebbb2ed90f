#pragma once
// Which influence sources act on a skin modifier, and which skins a source acts on. Lists are
// rebuilt on every call; nothing about them is cached.

#include <vector>

#include "host/queries/scene_queries.h"
#include "host/sdk/maxtypes.h"

class INode;
class ReferenceTarget;
class Tessarin;

enum class SourceKind { orbicle, fluxel };

// The skin's sources of one kind at t, without duplicates, in this order: the qualifying items
// of the skin's source container by index, then (while `use_linked` is on at t) the qualifying
// direct children of the skin's bone nodes, bone by bone, each node's children in order.
// An orbicle node qualifies when its object reference is an Orbicle; a fluxel node when a
// Fluxel is on its stack.
std::vector<INode*> CollectInfluenceSources(Tessarin& skin, TimeValue t, SourceKind kind);

// The (node, skin modifier) pairs of every Tessarin in the scene whose sources of source's kind,
// at the current scene time, include source's node; in scene order, without duplicates. Empty
// when source is neither an Orbicle nor a Fluxel or has no node.
std::vector<ModifierMatch> SkinsUsingSource(ReferenceTarget* source);
