#pragma once
// References between host objects: a reference maker holds numbered references to targets; a
// target knows its dependents (the makers that reference it) and notifies them of changes.
// Ownership: a target that loses its last dependent deletes itself (auto-delete), unless the
// scene owns it (nodes). Notifications reach every dependent before NotifyDependents returns.

#include <vector>

#include "host/sdk/animatable.h"
#include "host/sdk/interval.h"

class ReferenceTarget;
class ReferenceMaker;
class ISave;
class ILoad;
class RemapDir;
using RefTargetHandle = ReferenceTarget*;
using RefMakerHandle = ReferenceMaker*;

inline constexpr SClass_ID NOTIFY_ALL = 0xFFFFFFF0;

class ReferenceMaker : public Animatable {
public:
  ~ReferenceMaker() override;

  virtual int NumRefs() { return 0; }
  virtual RefTargetHandle GetReference(int i) { (void)i; return nullptr; }

  // Makes reference `which` point to newtarg (or nothing). The old target loses this dependent
  // and, if it has no dependents left and delOld is set, deletes itself.
  RefResult ReplaceReference(int which, RefTargetHandle newtarg, BOOL delOld = TRUE);
  RefResult DeleteReference(int which);
  // Releases every reference this maker holds.
  RefResult DeleteAllRefs();
  // The index of the first reference to rtarg, or -1.
  int FindRef(RefTargetHandle rtarg);

  virtual IOResult Save(ISave* isave) { (void)isave; return IO_OK; }
  virtual IOResult Load(ILoad* iload) { (void)iload; return IO_OK; }
  // Where the stored reference iref goes after loading (the default keeps it).
  virtual int RemapRefOnLoad(int iref) { return iref; }

  virtual BOOL IsRefTarget() { return FALSE; }

  // Delivers a message to this maker as the host does (the target calls it).
  RefResult SendRefMessage(const Interval& changeInt, RefTargetHandle hTarget, PartID& partID,
                           RefMessage message, BOOL propagate) {
    return NotifyRefChanged(changeInt, hTarget, partID, message, propagate);
  }

protected:
  virtual void SetReference(int i, RefTargetHandle rtarg) { (void)i; (void)rtarg; }
  virtual RefResult NotifyRefChanged(const Interval& changeInt, RefTargetHandle hTarget, PartID& partID,
                                     RefMessage message, BOOL propagate) {
    (void)changeInt; (void)hTarget; (void)partID; (void)message; (void)propagate;
    return REF_SUCCEED;
  }

private:
  friend class ReferenceTarget;
  friend class HostReferenceAccess;
  // One entry per reference this maker holds (a target may appear more than once).
  std::vector<ReferenceTarget*> held_;
};

// Visits makers that depend on a target. proc returns one of the DEP_ENUM_ codes.
inline constexpr int DEP_ENUM_CONTINUE = 0;
inline constexpr int DEP_ENUM_HALT = 1;
inline constexpr int DEP_ENUM_SKIP = 2;

class DependentEnumProc {
public:
  virtual ~DependentEnumProc() = default;
  virtual int proc(ReferenceMaker* rmaker) = 0;
};

class ReferenceTarget : public ReferenceMaker {
public:
  ~ReferenceTarget() override;

  BOOL IsRefTarget() override { return TRUE; }

  // Sends message to every dependent (of super class sclass, or all), and, when propagate is
  // set and the dependent accepted it, on to the dependents' dependents. Re-entry through a
  // cycle is cut: a target already notifying ignores the nested call.
  RefResult NotifyDependents(const Interval& changeInt, PartID partID, RefMessage message,
                             SClass_ID sclass = NOTIFY_ALL, BOOL propagate = TRUE,
                             RefTargetHandle hTarg = nullptr);

  virtual ReferenceTarget* Clone(RemapDir& remap) { (void)remap; return nullptr; }
  // Copies the host-level data of a clone; every Clone calls it.
  virtual void BaseClone(ReferenceTarget* from, ReferenceTarget* to, RemapDir& remap);

  // Calls dep->proc on this target and then on every maker that depends on it, directly or
  // through other targets, depth first, each once. Returns 1 if the enumeration was halted.
  int DoEnumDependents(DependentEnumProc* dep);

  const std::vector<ReferenceMaker*>& Dependents() const { return dependents_; }
  bool HasDependents() const { return !dependents_.empty(); }

  // Deletes this target: dependents receive REFMSG_TARGET_DELETED, the references they still
  // hold to it are cleared, then the object is destroyed.
  void DeleteMe();

  // Whether the target deletes itself when its last dependent lets go (objects: yes; nodes,
  // which the scene owns: no).
  bool AutoDeletes() const { return autoDelete_; }
  void SetAutoDelete(bool on) { autoDelete_ = on; }
  void MaybeAutoDelete();

private:
  friend class ReferenceMaker;
  void AddDependent(ReferenceMaker* maker);
  void RemoveDependent(ReferenceMaker* maker);
  bool EnumDependents(DependentEnumProc* proc, std::vector<ReferenceMaker*>& visited);

  std::vector<ReferenceMaker*> dependents_;  // one entry per reference held on this target
  bool notifying_ = false;
  bool autoDelete_ = true;
  bool deleting_ = false;
};

// Walks the direct dependents of a target in the host's order.
class DependentIterator {
public:
  explicit DependentIterator(ReferenceTarget* target);
  // The next distinct dependent, or null at the end.
  ReferenceMaker* Next();
  void Reset() { index_ = 0; }

private:
  std::vector<ReferenceMaker*> dependents_;
  std::size_t index_ = 0;
};

// Called once a clone operation has copied everything, so that clones can finish wiring.
class PostPatchProc {
public:
  virtual ~PostPatchProc() = default;
  virtual int Proc(RemapDir& remap) = 0;
};

// The table of a clone operation: maps every original target to its copy.
class RemapDir {
public:
  virtual ~RemapDir() = default;
  virtual RefTargetHandle FindMapping(RefTargetHandle from) = 0;
  virtual void AddEntry(RefTargetHandle hfrom, RefTargetHandle hto) = 0;
  // Registers a callback run by Backpatch; with toDelete the table deletes it afterwards.
  virtual void AddPostPatchProc(PostPatchProc* proc, bool toDelete) = 0;
  // Runs the post-patch callbacks.
  virtual void Backpatch() = 0;
  virtual void DeleteThis() { delete this; }

  // The copy of oldTarg: the existing mapping, or a new clone that is recorded.
  RefTargetHandle CloneRef(RefTargetHandle oldTarg);
  template <class T>
  T* CloneRef(T* oldTarg) {
    return static_cast<T*>(CloneRef(static_cast<RefTargetHandle>(oldTarg)));
  }
};

// A new, empty remap table owned by the caller (DeleteThis releases it).
RemapDir* NewRemapDir(bool useA = false);
