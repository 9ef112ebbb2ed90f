#pragma once
// The Tessarin skin modifier: deforms the mesh it is applied to by a table of bone nodes.
// References: 0 the parameter block, 1 the container of chosen influence-source nodes,
// 2 + i the node of bone i (reference count = bone count + 2).

#include <cstdint>

#include "deformer/blend_workspace.h"
#include "deformer/bone_table.h"
#include "deformer/skin_settings.h"
#include "deformer/tessarin_editor.h"
#include "host/sdk/iparamb2.h"
#include "host/sdk/object.h"
#include "module/registry/tessarin_interface.h"

class IRefTargContainer;
class ObjectWrapper;

class Tessarin : public Modifier, public TS_Public_Interface {
public:
  Tessarin();
  ~Tessarin() override;

  // --- Identity ---
  Class_ID ClassID() override;
  SClass_ID SuperClassID() override { return OSM_CLASS_ID; }
  void GetClassName(MSTR& s, bool localized = true) const override;
  const MCHAR* GetObjectName(bool localized = true) const override;
  BaseInterface* GetInterface(Interface_ID id) override;
  // The published mixin identity (TS_Public_Interface).
  Interface_ID GetID() override { return TS_Public_Interface::GetID(); }

  // --- Evaluation (the pipeline of ModifyObject) ---
  ChannelMask ChannelsUsed() override;
  ChannelMask ChannelsChanged() override;
  Class_ID InputType() override;
  Interval LocalValidity(TimeValue t) override;
  void ModifyObject(TimeValue t, ModContext& mc, ObjectState* os, INode* node) override;

  // --- Parameter block ---
  int NumParamBlocks() override { return 1; }
  IParamBlock2* GetParamBlock(int i) override { return i == 0 ? pblock : nullptr; }
  IParamBlock2* GetParamBlockByID(BlockID id) override;
  int NumSubs() override { return 1; }
  Animatable* SubAnim(int i) override;
  MSTR SubAnimName(int i, bool localized = true) override;

  // --- References ---
  int NumRefs() override { return table.boneCount + 2; }
  RefTargetHandle GetReference(int i) override;
  ReferenceTarget* Clone(RemapDir& remap) override;

  // --- Scene storage ---
  IOResult Save(ISave* isave) override;
  IOResult Load(ILoad* iload) override;
  int RemapRefOnLoad(int iref) override;

  // --- Command-panel page (the user-interface shell installs it through the skin services) ---
  void BeginEditParams(IObjParam* ip, ULONG flags, Animatable* prev) override;
  void EndEditParams(IObjParam* ip, ULONG flags, Animatable* next) override;

  // --- Sub-object levels and selection (defined in tessarin_subobjects.cpp) ---
  // The modifier announces "Bone" and "Vertex" but stays at object level: activating a level
  // is ignored and every selection operation does nothing.
  int NumSubObjTypes() override;
  ISubObjType* GetSubObjType(int i) override;
  int GetSubObjectLevel() override;
  void ActivateSubobjSel(int level, XFormModes& modes) override;
  int HitTest(TimeValue t, INode* inode, int type, int crossing, int flags, IPoint2* p, ViewExp* vpt,
              ModContext* mc) override;
  void SelectSubComponent(HitRecord* hitRec, BOOL selected, BOOL all, BOOL invert = FALSE) override;
  void ClearSelection(int selLevel) override;
  void SelectAll(int selLevel) override;
  void InvertSelection(int selLevel) override;
  int SubObjectIndex(HitRecord* hitRec) override;
  void GetWorldBoundBox(TimeValue t, INode* inode, ViewExp* vp, Box3& box, ModContext* mc) override;
  void GetSubObjectCenters(SubObjAxisCallback* cb, TimeValue t, INode* node, ModContext* mc) override;
  void GetSubObjectTMs(SubObjAxisCallback* cb, TimeValue t, INode* node, ModContext* mc) override;
  BOOL SupportsNamedSubSels() override;
  void ActivateSubSelSet(MSTR& setName) override;
  void NewSetFromCurSel(MSTR& setName) override;
  void RemoveSubSelSet(MSTR& setName) override;
  void SetupNamedSelDropDown() override;
  int NumNamedSelSets() override;
  MSTR GetNamedSelSetName(int i) override;
  void SetNamedSelSetName(int i, MSTR& newName) override;
  void NewSetByOperator(MSTR& newName, Tab<int>& sets, int op) override;
  // --- end of sub-object levels and selection ---

  // --- State (Tessarin's own data; the subsystems read and fill it) ---
  IParamBlock2* pblock = nullptr;
  IRefTargContainer* sourceContainer = nullptr;
  BoneTable table;
  WeightCache cache;
  SkinSettings settings;
  // The evaluation's prepared bones and scratch, kept between evaluations (not stored, not cloned).
  BlendWorkspace blendWork;
  // The last evaluation threw (ran out of memory) and let the mesh through as far as it got.
  // Neither stored nor cloned.
  bool lastEvaluationFailed = false;
  INode* nodeCache = nullptr;
  std::uint64_t instanceStamp = 0;
  // The internal editing interface (GetInterface(SKIN_EDITOR_INTERFACE_ID)).
  TessarinEditor editor{*this};
  // The window of the command-panel page while the modifier is edited, else none.
  HWND pagePanel = nullptr;

  // The scene node that carries the modifier: nodeCache, filled on first use from the
  // modifier's dependents.
  INode* CachedNode();
  // Sets bone i's node as reference 2 + i (null releases it).
  void SetBoneNode(int i, INode* node);
  // Removes the bone whose node is `node` (a deleted node): the weight cache is invalidated and
  // the later bones with their references move down one place.
  void RemoveBoneOfNode(INode* node);
  // Reads a switch of the parameter block at t, fallback when the read fails.
  int ReadSwitch(ParamID id, TimeValue t, int fallback);

protected:
  void SetReference(int i, RefTargetHandle rtarg) override;
  RefResult NotifyRefChanged(const Interval& changeInt, RefTargetHandle hTarget, PartID& partID,
                             RefMessage message, BOOL propagate) override;

private:
  // Moving bones down while references follow: guards NotifyRefChanged re-entry.
  bool removingBone_ = false;
  // References 0 and 1 as they were set (pblock and sourceContainer are their typed views).
  ReferenceTarget* pblockRef_ = nullptr;
  ReferenceTarget* containerRef_ = nullptr;
};

// A new stamp from the system clock (100-ns units), never equal to the last one handed out.
std::uint64_t NextInstanceStamp();
