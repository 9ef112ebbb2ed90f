#pragma once
// The Fluxel modifier: a world-space modifier that marks a mesh node as a collision surface for
// skins, leaving the node's geometry as it is. It keeps one influence table per skin modifier it
// acts on. Reference 0, the only one, is the parameter block (fluxelParameters).

#include <cstdint>

#include "host/sdk/iparamb2.h"
#include "host/sdk/ioapi.h"
#include "host/sdk/object.h"
#include "module/registry/influence_interfaces.h"
#include "sources/influence_table.h"
#include "sources/influence_table_editor_impl.h"

// The chunk of a fluxel's influence tables.
inline constexpr USHORT kFluxelTablesChunk = 0x4000;

class Fluxel : public WSModifier, public FxPublicInterface {
public:
  // The automatic parameter block with the creation values at time 0 (origin on, blend 0,
  // direction 0, disabled off, real-time on); empty tables.
  Fluxel();
  ~Fluxel() override;

  // --- Identity ---
  void GetClassName(MSTR& s, bool localized = true) const override;
  const MCHAR* GetObjectName(bool localized = true) const override;
  SClass_ID SuperClassID() override { return WSM_CLASS_ID; }
  Class_ID ClassID() override;
  BaseInterface* GetInterface(Interface_ID id) override;

  // --- Evaluation: the geometry stays as it is ---
  ChannelMask ChannelsUsed() override { return GEOM_CHANNEL; }
  ChannelMask ChannelsChanged() override { return GEOM_CHANNEL; }
  Class_ID InputType() override;
  // On the first call after construction or loading turns the node's vertex-colour display off;
  // then narrows the geometry validity of the object to [t, t].
  void ModifyObject(TimeValue t, ModContext& mc, ObjectState* os, INode* node) override;

  // --- Command panel: the rollout of the block ---
  void BeginEditParams(IObjParam* ip, ULONG flags, Animatable* prev) override;
  void EndEditParams(IObjParam* ip, ULONG flags, Animatable* next) override;

  // --- Sub-animatables, parameter blocks and references (all index 0: the block) ---
  int NumSubs() override { return 1; }
  Animatable* SubAnim(int i) override;
  MSTR SubAnimName(int i, bool localized = true) override;
  int NumParamBlocks() override { return 1; }
  IParamBlock2* GetParamBlock(int i) override;
  IParamBlock2* GetParamBlockByID(BlockID id) override;
  int NumRefs() override { return 1; }
  RefTargetHandle GetReference(int i) override;
  ReferenceTarget* Clone(RemapDir& remap) override;

  // --- Scene storage: chunk 0x4000 with the tables; an older block layout is converted ---
  IOResult Save(ISave* isave) override;
  IOResult Load(ILoad* iload) override;

  // --- Published functions (the influence tables) ---
  float get_influence(ReferenceTarget* tessarin, int vertex) override;
  BOOL set_influence(ReferenceTarget* tessarin, int vertex, float value) override;

  // The block, while reference 0 holds a current one (an old-style block waiting for its
  // post-load conversion is not one).
  IParamBlock2* pblock = nullptr;
  InfluenceTables tables;
  bool firstEvaluationDone = false;  // not stored
  std::uint64_t spare = 0;           // kept from construction, unused

protected:
  void SetReference(int i, RefTargetHandle rtarg) override;
  // After message 0x108 refreshes the skins under the fluxel's parent; always REF_SUCCEED.
  RefResult NotifyRefChanged(const Interval& changeInt, RefTargetHandle hTarget, PartID& partID,
                             RefMessage message, BOOL propagate) override;

private:
  ReferenceTarget* ref0_ = nullptr;  // what reference 0 holds, current block or not
  InfluenceTableEditor tableEditor_{*this, tables};  // the internal editing interface over tables
};

// The edit interface of the Fluxel rollout that is open, or null.
IObjParam* FluxelEditInterface();
