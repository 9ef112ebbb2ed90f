#pragma once
// A modifier stack: the input object (reference 0) and the modifiers (references 1..n, index 0
// the top of the stack). Evaluation runs the input, copies its result once, and hands the copy
// to each enabled modifier from the bottom up. The result is cached while valid; once dropped,
// its object receives the next copy when it is a mesh of the same kind, so that a stack
// evaluated frame after frame with unchanged topology allocates nothing for it.
//
// A world-space stack works in world space: evaluated for a node, it carries the object's points
// by the node's object transform before its first modifier that is on, and the node then reports
// an identity object transform after its world-space modifiers.

#include <memory>
#include <vector>

#include "host/sdk/object.h"

class DerivedObject : public IDerivedObject {
public:
  explicit DerivedObject(bool worldSpace);
  ~DerivedObject() override;

  SClass_ID SuperClassID() override { return worldSpace_ ? WSM_DERIVOB_CLASS_ID : GEN_DERIVOB_CLASS_ID; }
  Class_ID ClassID() override { return worldSpace_ ? WSMDERIVOB_CLASS_ID : DERIVOB_CLASS_ID; }
  void GetClassName(MSTR& s, bool localized = true) const override { (void)localized; s = L"Derived Object"; }
  bool IsWorldSpace() const { return worldSpace_; }

  int NumModifiers() override { return static_cast<int>(modifiers_.size()); }
  Modifier* GetModifier(int index) override;
  ModContext* GetModContext(int index) override;
  void AddModifier(Modifier* mod, ModContext* mc = nullptr, int before = 0) override;
  void DeleteModifier(int index = 0) override;
  Object* GetObjRef() override { return input_; }
  RefResult ReferenceObject(Object* obj) override;

  ObjectState Eval(TimeValue t) override;
  // Evaluates the stack for the node that carries it.
  ObjectState EvalForNode(TimeValue t, INode* node);
  void InvalidateCache();
  // True when an evaluation for a node carries the points into world space: a world-space stack
  // with a modifier that is on, over an object whose points can move (deformable, or convertible
  // to a triangle mesh).
  bool PlacesInWorld();
  // Changes whenever the cached result is dropped; holders of the result compare it.
  unsigned Generation() const { return generation_; }

  int NumRefs() override { return 1 + NumModifiers(); }
  RefTargetHandle GetReference(int i) override;
  ReferenceTarget* Clone(RemapDir& remap) override;
  // The stack's slots with their mod contexts and each modifier's on/off switch; the input and
  // the modifiers themselves are references (derived_object_storage.cpp).
  IOResult Save(ISave* isave) override;
  IOResult Load(ILoad* iload) override;

  Object* FindBaseObject() override;

protected:
  void SetReference(int i, RefTargetHandle rtarg) override;
  RefResult NotifyRefChanged(const Interval& changeInt, RefTargetHandle hTarget, PartID& partID,
                             RefMessage message, BOOL propagate) override;

private:
  // Carries os's points (the stack's own copy in work) into world space by node's object
  // transform at t; a non-deformable object is converted to a triangle mesh first.
  void PlaceInWorld(TimeValue t, ObjectState& os, std::unique_ptr<Object>& work, INode* node);

  struct Entry {
    Modifier* mod = nullptr;
    std::unique_ptr<ModContext> mc;
  };
  bool worldSpace_;
  Object* input_ = nullptr;
  std::vector<Entry> modifiers_;

  // The evaluated result: owned copy, the state handed out, and for which time range and node.
  std::unique_ptr<Object> result_;
  // The last result once dropped: the next evaluation copies into it, reusing its buffers.
  std::unique_ptr<Object> spare_;
  ObjectState resultState_;
  Interval resultValid_;
  INode* resultNode_ = nullptr;
  bool evaluating_ = false;
  unsigned generation_ = 0;
};
