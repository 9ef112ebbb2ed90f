// Scene storage of a modifier stack. Load only makes the slots (so that the stack reports one
// reference per stored modifier); the loader fills them in afterwards, and the modifiers' on/off
// switches are set once they are there.

#include <vector>

#include "host/headless/derived_object.h"
#include "host/headless/scene_file_format.h"
#include "host/headless/stream_values.h"

namespace {

constexpr std::uint8_t kHasTM = 1;
constexpr std::uint8_t kHasBox = 2;
constexpr std::uint8_t kDisabled = 4;

class RestoreModifierSwitches : public PostLoadCallback {
public:
  RestoreModifierSwitches(DerivedObject* stack, std::vector<bool> disabled)
      : stack_(stack), disabled_(std::move(disabled)) {}
  int Priority() override { return 0; }
  void proc(ILoad*) override {
    for (int i = 0; i < stack_->NumModifiers() && i < static_cast<int>(disabled_.size()); ++i)
      if (Modifier* mod = stack_->GetModifier(i)) disabled_[i] ? mod->DisableMod() : mod->EnableMod();
  }

private:
  DerivedObject* stack_;
  std::vector<bool> disabled_;  // one per slot, top of the stack first
};

}  // namespace

IOResult DerivedObject::Save(ISave* isave) {
  bool ok = PutChunk(isave, scenefile::kDerivedStackChunk, [&] {
    if (!Put(isave, std::uint32_t(modifiers_.size()))) return false;
    for (const Entry& e : modifiers_) {
      std::uint8_t flags = (e.mc->tm ? kHasTM : 0) | (e.mc->box ? kHasBox : 0) |
                           (e.mod && !e.mod->IsEnabled() ? kDisabled : 0);
      if (!Put(isave, flags)) return false;
      if (e.mc->tm && !PutMatrix(isave, *e.mc->tm)) return false;
      if (e.mc->box && !PutBox(isave, *e.mc->box)) return false;
    }
    return true;
  });
  return ok ? IO_OK : IO_ERROR;
}

IOResult DerivedObject::Load(ILoad* iload) {
  return ForEachChunk(iload, [&](USHORT id) {
    if (id != scenefile::kDerivedStackChunk) return true;
    std::uint32_t count = 0;
    if (!GetCount(iload, count, 1)) return false;
    DeleteAllRefs();
    modifiers_.clear();
    modifiers_.resize(count);
    std::vector<bool> disabled(count, false);
    for (std::uint32_t i = 0; i < count; ++i) {
      modifiers_[i].mc = std::make_unique<ModContext>();
      std::uint8_t flags = 0;
      if (!Get(iload, flags)) return false;
      if (flags & kHasTM) {
        modifiers_[i].mc->tm = new Matrix3();
        if (!GetMatrix(iload, *modifiers_[i].mc->tm)) return false;
      }
      if (flags & kHasBox) {
        modifiers_[i].mc->box = new Box3();
        if (!GetBox(iload, *modifiers_[i].mc->box)) return false;
      }
      disabled[i] = (flags & kDisabled) != 0;
    }
    InvalidateCache();
    iload->RegisterPostLoadCallback(new RestoreModifierSwitches(this, std::move(disabled)));
    return true;
  });
}
