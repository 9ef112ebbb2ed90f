#pragma once
// An internal interface of the skin modifier for programs that build and inspect skins without
// the modifier's page: the headless command line assigns bones, attaches and reads the state
// back. It is not published (no descriptor, invisible to scripts) and its identifier is private
// to this code base; it may change between versions. Programs that load the module by path reach
// it through Animatable::GetInterface(SKIN_EDITOR_INTERFACE_ID) and call only its virtual
// functions, so they need no link to the deformer.

#include <cstdint>
#include <vector>

#include "deformer/bone_table.h"
#include "deformer/skin_settings.h"
#include "host/sdk/animatable.h"

class INode;

// Internal, unpublished.
inline constexpr Interface_ID SKIN_EDITOR_INTERFACE_ID{0x2D61A7F3, 0x7C1B0E58};

// One bone as a user assigns it before attaching: its node, influence settings and optional
// per-vertex data.
struct SkinBoneAssignment {
  INode* node = nullptr;
  float falloff = 1.0f;
  float strength = 1.0f;
  std::vector<std::uint8_t> codes;   // empty (all 0x80), or one influence code per vertex
  std::vector<float> forcedWeights;  // empty (all 0), or one forced weight per vertex, percent
};

class ISkinEditor : public BaseInterface {
public:
  // Replaces the bones by these, in order, as an import does: the old bone references are
  // released, the weight cache emptied, each bone gets its node as reference 2 + i, its kind from
  // the node, its colour from the node's wire colour, and its codes and forced weights. The table
  // is left detached. Returns -1 on success, or the index of the first assignment whose node is
  // missing or cannot serve as a bone (the modifier is then left without bones).
  virtual int AssignBones(const std::vector<SkinBoneAssignment>& bones) = 0;
  // Attaches the bones to the mesh of the node that carries the skin at the host's current time,
  // as callers of an attachment do (detach first, force a re-evaluation afterwards). The node is
  // the carrying node when the modifier cannot find one itself. False when the attachment failed
  // (the skin then shows its message).
  virtual bool Attach(INode* node) = 0;
  // The per-vertex dual-quaternion shares, one per attached vertex; false (nothing changed) for
  // any other length.
  virtual bool SetBlendMix(const std::vector<float>& blendMix) = 0;
  // Sets or clears every bone's selection flag (bit 31 of its flags), one entry per bone, and
  // recomputes the weight colours, which show the selected bones' weights. False (nothing
  // changed) when the count is not the bone count.
  virtual bool SelectBones(const std::vector<bool>& selected) = 0;
  // Settings apply to the next attachment and evaluation.
  virtual void SetSettings(const SkinSettings& settings) = 0;
  // Imports an exchange file as the skin's "Import TSM File" button does: the file comes from the
  // host's open-file dialog (headless: its open-file provider). False when the dialog was
  // cancelled (nothing shown), the file was not applied (the skin showed its message), or the
  // module installed no import.
  virtual bool ImportExchangeFile() = 0;

  // Read-only views of the modifier's state.
  virtual const SkinSettings& Settings() = 0;
  virtual const BoneTable& Table() = 0;
  virtual const WeightCache& Weights() = 0;
  // The weight of bone on vertex: the cache entry, computed first when the cache is out of date;
  // 0 outside the table.
  virtual float WeightOf(int bone, int vertex) = 0;
  // Whether the skin's last evaluation failed part way (it ran out of memory) and let the mesh
  // through as far as it got: the host sees no error, so callers that write frames ask here.
  virtual bool LastEvaluationFailed() = 0;
};
