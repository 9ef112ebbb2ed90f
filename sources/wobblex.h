#pragma once
// The Wobblex modifier: a world-space modifier placed on a bone node that carries the bone's
// secondary-motion settings (inertia and per-axis oscillation) in its one parameter block. It
// never changes the geometry; skin modifiers read its settings (motion_settings_lookup.h).
// Reference 0, the only one, is the parameter block.

#include "host/sdk/iparamb2.h"
#include "host/sdk/object.h"

class Wobblex : public Modifier {
public:
  // Builds the parameter block and writes the creation values at time 0 (the periods ten
  // frames at the frame rate of the moment). Without a block the object exists with none.
  Wobblex();
  ~Wobblex() override;

  // --- Identity ---
  void GetClassName(MSTR& s, bool localized = true) const override;
  const MCHAR* GetObjectName(bool localized = true) const override;
  SClass_ID SuperClassID() override { return WSM_CLASS_ID; }
  Class_ID ClassID() override;

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

  // --- Scene storage: nothing of its own; Load converts blocks of older layouts afterwards ---
  IOResult Save(ISave* isave) override;
  IOResult Load(ILoad* iload) override;

  // --- Evaluation: no vertex moves ---
  ChannelMask ChannelsUsed() override { return GEOM_CHANNEL; }
  ChannelMask ChannelsChanged() override { return GEOM_CHANNEL; }
  Class_ID InputType() override;
  // Narrows the geometry validity to [t, t], so the bone's pipeline, and what depends on it,
  // is evaluated again at every time change.
  void ModifyObject(TimeValue t, ModContext& mc, ObjectState* os, INode* node) override;

  // The block, while reference 0 holds a current one (an old-style block waiting for its
  // post-load conversion is not one).
  IParamBlock2* pblock = nullptr;
  int reserved = 0;  // kept from construction, unused

protected:
  void SetReference(int i, RefTargetHandle rtarg) override;

private:
  ReferenceTarget* ref0_ = nullptr;  // what reference 0 holds, current block or not
};

// The edit interface of the Wobblex rollout that is open, or null.
IObjParam* WobblexEditInterface();
