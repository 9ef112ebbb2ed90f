#pragma once
// An internal interface of the Orbicle and Fluxel for programs that build and inspect influence
// sources without their rollouts: the headless command line writes tables from a scene
// description and reads them back. It is not published (no descriptor, invisible to scripts) and
// its identifier is private to this code base. Programs that load the module by path reach it
// through Animatable::GetInterface(INFLUENCE_TABLE_EDITOR_INTERFACE_ID) and call only its virtual
// functions, so they need no link to the sources library.

#include <cstdint>
#include <map>
#include <vector>

#include "host/queries/scene_queries.h"
#include "host/sdk/ref.h"

// Internal, unpublished.
inline constexpr Interface_ID INFLUENCE_TABLE_EDITOR_INTERFACE_ID{0x5C3A19E4, 0x26D7B08F};

class IInfluenceTableEditor : public BaseInterface {
public:
  Interface_ID GetID() override { return INFLUENCE_TABLE_EDITOR_INTERFACE_ID; }
  // The source's tables: skin instanceStamp → one value per vertex of that skin, keys ascending.
  virtual const std::map<std::uint64_t, std::vector<float>>& Tables() = 0;
  // The instanceStamp of skin; false when skin is not a Tessarin modifier.
  virtual bool StampOf(ReferenceTarget* skin, std::uint64_t& stamp) = 0;
  // Replaces the table of skin by values (each clamped to 0 .. 1); false, nothing changed, when
  // skin is not a Tessarin modifier.
  virtual bool SetTable(ReferenceTarget* skin, std::vector<float> values) = 0;
  // The skins the source pushes out at the current scene time (the ones painting works on):
  // (node, Tessarin modifier) pairs in scene order.
  virtual std::vector<ModifierMatch> SkinsActedOn() = 0;
};
