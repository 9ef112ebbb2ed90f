#include "host/sdk/ref.h"

#include <algorithm>
#include <cassert>
#include <map>
#include <memory>

namespace {

void EraseOne(std::vector<ReferenceTarget*>& v, ReferenceTarget* t) {
  auto it = std::find(v.begin(), v.end(), t);
  if (it != v.end()) v.erase(it);
}

}  // namespace

ReferenceMaker::~ReferenceMaker() {
  // A maker destroyed while still holding references lets go of them so that no target keeps
  // a dangling dependent. Derived classes normally release them in their own destructor.
  std::vector<ReferenceTarget*> held;
  held.swap(held_);
  for (ReferenceTarget* t : held) {
    t->RemoveDependent(this);
    t->MaybeAutoDelete();
  }
}

RefResult ReferenceMaker::ReplaceReference(int which, RefTargetHandle newtarg, BOOL delOld) {
  if (which < 0 || which >= NumRefs()) return REF_FAIL;
  ReferenceTarget* old = GetReference(which);
  if (old == newtarg) return REF_SUCCEED;
  if (newtarg) {
    newtarg->AddDependent(this);
    held_.push_back(newtarg);
  }
  SetReference(which, newtarg);
  if (old) {
    EraseOne(held_, old);
    old->RemoveDependent(this);
    if (delOld) old->MaybeAutoDelete();
  }
  return REF_SUCCEED;
}

RefResult ReferenceMaker::DeleteReference(int which) {
  if (which < 0 || which >= NumRefs()) return REF_FAIL;
  if (GetReference(which) == nullptr) return REF_SUCCEED;
  return ReplaceReference(which, nullptr, TRUE);
}

RefResult ReferenceMaker::DeleteAllRefs() {
  for (int i = NumRefs() - 1; i >= 0; --i) DeleteReference(i);
  return REF_SUCCEED;
}

int ReferenceMaker::FindRef(RefTargetHandle rtarg) {
  for (int i = 0; i < NumRefs(); ++i)
    if (GetReference(i) == rtarg) return i;
  return -1;
}

ReferenceTarget::~ReferenceTarget() {
  // Dependents still pointing here would dangle: clear their references first.
  deleting_ = true;
  while (!dependents_.empty()) {
    ReferenceMaker* maker = dependents_.back();
    int index = maker->FindRef(this);
    if (index >= 0) {
      maker->SetReference(index, nullptr);
    }
    EraseOne(maker->held_, this);
    auto it = std::find(dependents_.rbegin(), dependents_.rend(), maker);
    if (it != dependents_.rend()) dependents_.erase(std::next(it).base());
  }
}

void ReferenceTarget::AddDependent(ReferenceMaker* maker) { dependents_.push_back(maker); }

void ReferenceTarget::RemoveDependent(ReferenceMaker* maker) {
  auto it = std::find(dependents_.begin(), dependents_.end(), maker);
  if (it != dependents_.end()) dependents_.erase(it);
}

void ReferenceTarget::MaybeAutoDelete() {
  if (autoDelete_ && !deleting_ && dependents_.empty()) {
    deleting_ = true;
    DeleteThis();
  }
}

RefResult ReferenceTarget::NotifyDependents(const Interval& changeInt, PartID partID, RefMessage message,
                                            SClass_ID sclass, BOOL propagate, RefTargetHandle hTarg) {
  if (notifying_) return REF_SUCCEED;
  notifying_ = true;
  // A copy: dependents may add or drop references while they are told.
  std::vector<ReferenceMaker*> targets;
  for (ReferenceMaker* m : dependents_)
    if (std::find(targets.begin(), targets.end(), m) == targets.end()) targets.push_back(m);
  for (ReferenceMaker* maker : targets) {
    if (std::find(dependents_.begin(), dependents_.end(), maker) == dependents_.end()) continue;
    if (sclass != NOTIFY_ALL && maker->SuperClassID() != sclass) continue;
    PartID part = partID;
    RefResult r = maker->NotifyRefChanged(changeInt, hTarg ? hTarg : this, part, message, propagate);
    if (r == REF_STOP) continue;
    if (propagate && message != REFMSG_TARGET_DELETED && r != REF_FAIL && maker->IsRefTarget()) {
      static_cast<ReferenceTarget*>(maker)->NotifyDependents(changeInt, part, message, sclass, propagate, nullptr);
    }
  }
  notifying_ = false;
  return REF_SUCCEED;
}

void ReferenceTarget::BaseClone(ReferenceTarget* from, ReferenceTarget* to, RemapDir& remap) {
  (void)from;
  (void)to;
  (void)remap;
}

bool ReferenceTarget::EnumDependents(DependentEnumProc* proc, std::vector<ReferenceMaker*>& visited) {
  for (std::size_t i = 0; i < dependents_.size(); ++i) {
    ReferenceMaker* maker = dependents_[i];
    if (std::find(visited.begin(), visited.end(), maker) != visited.end()) continue;
    visited.push_back(maker);
    int r = proc->proc(maker);
    if (r == DEP_ENUM_HALT) return true;
    if (r == DEP_ENUM_SKIP || !maker->IsRefTarget()) continue;
    if (static_cast<ReferenceTarget*>(maker)->EnumDependents(proc, visited)) return true;
  }
  return false;
}

int ReferenceTarget::DoEnumDependents(DependentEnumProc* dep) {
  std::vector<ReferenceMaker*> visited{this};
  int r = dep->proc(this);
  if (r == DEP_ENUM_HALT) return 1;
  if (r == DEP_ENUM_SKIP) return 0;
  return EnumDependents(dep, visited) ? 1 : 0;
}

void ReferenceTarget::DeleteMe() {
  if (deleting_) return;
  deleting_ = true;
  NotifyDependents(FOREVER, PART_ALL, REFMSG_TARGET_DELETED, NOTIFY_ALL, FALSE);
  // What the dependents did not release themselves is cleared by the destructor.
  DeleteThis();
}

DependentIterator::DependentIterator(ReferenceTarget* target) {
  if (!target) return;
  for (ReferenceMaker* m : target->Dependents())
    if (std::find(dependents_.begin(), dependents_.end(), m) == dependents_.end()) dependents_.push_back(m);
}

ReferenceMaker* DependentIterator::Next() {
  return index_ < dependents_.size() ? dependents_[index_++] : nullptr;
}

RefTargetHandle RemapDir::CloneRef(RefTargetHandle oldTarg) {
  if (!oldTarg) return nullptr;
  if (RefTargetHandle existing = FindMapping(oldTarg)) return existing;
  RefTargetHandle copy = oldTarg->Clone(*this);
  if (copy) AddEntry(oldTarg, copy);
  return copy;
}

namespace {

class HostRemapDir : public RemapDir {
public:
  ~HostRemapDir() override {
    for (Entry& e : procs_)
      if (e.owned) delete e.proc;
  }
  RefTargetHandle FindMapping(RefTargetHandle from) override {
    auto it = map_.find(from);
    return it == map_.end() ? nullptr : it->second;
  }
  void AddEntry(RefTargetHandle hfrom, RefTargetHandle hto) override { map_[hfrom] = hto; }
  void AddPostPatchProc(PostPatchProc* proc, bool toDelete) override {
    procs_.push_back({proc, toDelete});
  }
  void Backpatch() override {
    std::vector<Entry> procs;
    procs.swap(procs_);
    for (Entry& e : procs) {
      e.proc->Proc(*this);
      if (e.owned) delete e.proc;
    }
  }

private:
  struct Entry {
    PostPatchProc* proc;
    bool owned;
  };
  std::map<RefTargetHandle, RefTargetHandle> map_;
  std::vector<Entry> procs_;
};

}  // namespace

RemapDir* NewRemapDir(bool useA) {
  (void)useA;
  return new HostRemapDir();
}
