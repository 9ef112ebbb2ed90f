#include "deformer/tessarin.h"

#include <atomic>
#include <chrono>

#include "deformer/skin_services.h"
#include "host/sdk/interface.h"
#include "host/sdk/ref_container.h"
#include "module/registry/class_descs.h"
#include "module/registry/class_ids.h"
#include "module/registry/tessarin_parameters.h"

namespace {

constexpr int kSourceContainerRef = 1;
constexpr int kFirstBoneRef = 2;

// 100-ns intervals between 1601-01-01 (the system clock's epoch) and 1970-01-01.
constexpr std::uint64_t kEpochOffset = 116444736000000000ull;

std::uint64_t ReadSystemClock() {
  using Ticks = std::chrono::duration<std::int64_t, std::ratio<1, 10000000>>;
  auto since1970 = std::chrono::duration_cast<Ticks>(std::chrono::system_clock::now().time_since_epoch());
  return kEpochOffset + static_cast<std::uint64_t>(since1970.count());
}

std::atomic<std::uint64_t> g_lastStamp{0};

// Dependents of the modifier: the first scene node, and whether `wanted` is among them.
class NodeSearch : public DependentEnumProc {
public:
  explicit NodeSearch(INode* wanted) : wanted_(wanted) {}
  int proc(ReferenceMaker* rmaker) override {
    if (rmaker->SuperClassID() != BASENODE_CLASS_ID) return DEP_ENUM_CONTINUE;
    auto* node = static_cast<INode*>(rmaker);
    if (!first) first = node;
    if (node == wanted_) wantedFound = true;
    return DEP_ENUM_SKIP;
  }
  INode* first = nullptr;
  bool wantedFound = false;

private:
  INode* wanted_;
};

}  // namespace

std::uint64_t NextInstanceStamp() {
  for (;;) {
    std::uint64_t now = ReadSystemClock();
    std::uint64_t last = g_lastStamp.load();
    if (now != last && g_lastStamp.compare_exchange_strong(last, now)) return now;
  }
}

Tessarin::Tessarin() : instanceStamp(NextInstanceStamp()) {
  if (Interface* ip = GetCOREInterface()) {
    auto* container = static_cast<IRefTargContainer*>(ip->CreateInstance(REF_TARGET_CLASS_ID, refTargContainerClassID));
    if (container) ReplaceReference(kSourceContainerRef, container);
  }
  GetTessarinDesc()->MakeAutoParamBlocks(this);
  if (pblock) {
    pblock->SetValue(use_inertia, 0, 0);
    pblock->SetValue(use_oscillation, 0, 0);
    pblock->SetValue(use_stack, 0, 1);
    pblock->SetValue(use_fluxels, 0, 0);
    pblock->SetValue(use_dual_quaternion, 0, 0);
  }
}

Tessarin::~Tessarin() {
  // References first, while the bone entries that hold the node references still exist.
  DeleteAllRefs();
}

Class_ID Tessarin::ClassID() { return TESSARIN_CLASS_ID; }

void Tessarin::GetClassName(MSTR& s, bool localized) const {
  (void)localized;
  s = GetTessarinDesc()->ClassName();
}

const MCHAR* Tessarin::GetObjectName(bool localized) const {
  (void)localized;
  return GetTessarinDesc()->ClassName();
}

BaseInterface* Tessarin::GetInterface(Interface_ID id) {
  if (id == TESSARIN_INTERFACE_ID) return static_cast<TS_Public_Interface*>(this);
  if (id == SKIN_EDITOR_INTERFACE_ID) return &editor;
  return Modifier::GetInterface(id);
}

void Tessarin::BeginEditParams(IObjParam* ip, ULONG flags, Animatable* prev) {
  if (auto begin = GetSkinServices().beginEditParams) begin(*this, ip, flags, prev);
}

void Tessarin::EndEditParams(IObjParam* ip, ULONG flags, Animatable* next) {
  if (auto end = GetSkinServices().endEditParams) end(*this, ip, flags, next);
}

IParamBlock2* Tessarin::GetParamBlockByID(BlockID id) { return pblock && pblock->ID() == id ? pblock : nullptr; }

Animatable* Tessarin::SubAnim(int i) { return i == 0 ? pblock : nullptr; }

MSTR Tessarin::SubAnimName(int i, bool localized) {
  (void)localized;
  return i == 0 ? MSTR(L"Parameters") : MSTR();
}

RefTargetHandle Tessarin::GetReference(int i) {
  if (i == kTessarinParamsRef) return pblockRef_;
  if (i == kSourceContainerRef) return containerRef_;
  int bone = i - kFirstBoneRef;
  if (bone >= 0 && bone < table.boneCount) return table.bones[bone]->node;
  return nullptr;
}

// A loaded scene may put an old-style block in reference 0 until its conversion runs, and a
// damaged one anything anywhere: references are kept as they come, the typed views only when the
// class fits.
void Tessarin::SetReference(int i, RefTargetHandle rtarg) {
  if (i == kTessarinParamsRef) {
    pblockRef_ = rtarg;
    pblock = rtarg && rtarg->SuperClassID() == PARAMETER_BLOCK2_CLASS_ID ? static_cast<IParamBlock2*>(rtarg) : nullptr;
  } else if (i == kSourceContainerRef) {
    containerRef_ = rtarg;
    sourceContainer = rtarg && rtarg->SuperClassID() == REF_TARGET_CLASS_ID && rtarg->ClassID() == refTargContainerClassID
                          ? static_cast<IRefTargContainer*>(rtarg)
                          : nullptr;
  } else {
    int bone = i - kFirstBoneRef;
    if (bone >= 0 && bone < table.boneCount)
      table.bones[bone]->node =
          rtarg && rtarg->SuperClassID() == BASENODE_CLASS_ID ? static_cast<INode*>(rtarg) : nullptr;
  }
}

void Tessarin::SetBoneNode(int i, INode* node) {
  if (i < 0 || i >= table.boneCount) return;
  ReplaceReference(kFirstBoneRef + i, node);
}

RefResult Tessarin::NotifyRefChanged(const Interval& changeInt, RefTargetHandle hTarget, PartID& partID,
                                     RefMessage message, BOOL propagate) {
  (void)changeInt;
  (void)partID;
  (void)propagate;
  if (message == REFMSG_TARGET_DELETED && !removingBone_ && hTarget &&
      hTarget->SuperClassID() == BASENODE_CLASS_ID)
    RemoveBoneOfNode(static_cast<INode*>(hTarget));
  return REF_SUCCEED;
}

void Tessarin::RemoveBoneOfNode(INode* node) {
  int index = -1;
  for (int i = 0; i < table.boneCount; ++i) {
    if (table.bones[i]->node == node) {
      index = i;
      break;
    }
  }
  if (index < 0) return;
  cache.Invalidate();
  removingBone_ = true;
  // Let go of the node while the entry still answers for reference 2 + index; the later
  // entries then move down and their references with them.
  ReplaceReference(kFirstBoneRef + index, nullptr, FALSE);
  table.RemoveBone(index);
  removingBone_ = false;
}

INode* Tessarin::CachedNode() {
  // A cached node that no longer carries the modifier (deleted, or the modifier moved) is
  // replaced: the cache holds no reference, so it would dangle otherwise.
  NodeSearch search(nodeCache);
  DoEnumDependents(&search);
  if (!search.wantedFound) nodeCache = search.first;
  return nodeCache;
}

int Tessarin::ReadSwitch(ParamID id, TimeValue t, int fallback) {
  if (!pblock) return fallback;
  int value = 0;
  Interval valid = FOREVER;
  return pblock->GetValue(id, t, value, valid) ? value : fallback;
}

IOResult Tessarin::Save(ISave* isave) {
  const SkinServices& services = GetSkinServices();
  return services.save ? services.save(*this, isave) : IO_OK;
}

IOResult Tessarin::Load(ILoad* iload) {
  const SkinServices& services = GetSkinServices();
  return services.load ? services.load(*this, iload) : IO_OK;
}

int Tessarin::RemapRefOnLoad(int iref) {
  const SkinServices& services = GetSkinServices();
  return services.remapRefOnLoad ? services.remapRefOnLoad(*this, iref) : iref;
}
