// Scene storage of the headless parameter block. The descriptor is static program data, so the
// file names it (the owning class and the block id) instead of storing it; values and keys are
// stored by parameter id, so a descriptor that gained, lost or reordered parameters still loads.

#include <string>

#include "host/headless/chunk_load.h"
#include "host/headless/headless_host.h"
#include "host/headless/param_block.h"
#include "host/headless/param_value_io.h"
#include "host/headless/scene_classes.h"
#include "host/headless/scene_file_format.h"
#include "host/headless/stream_values.h"

IOResult ParamBlock2::Save(ISave* isave) {
  if (!desc_ || !desc_->cd) return IO_ERROR;
  bool ok = PutChunk(isave, scenefile::kParamBlockOwnerChunk, [&] {
    ClassDesc2* cd = desc_->cd;
    std::int32_t owner = owner_ && owner_->IsRefTarget() ? isave->GetRefID(static_cast<ReferenceTarget*>(owner_)) : -1;
    return Put(isave, std::uint32_t(cd->SuperClassID())) && Put(isave, std::uint32_t(cd->ClassID().PartA())) &&
           Put(isave, std::uint32_t(cd->ClassID().PartB())) && Put(isave, std::int16_t(desc_->ID)) &&
           Put(isave, owner);
  });
  ok = ok && PutChunk(isave, scenefile::kParamBlockValuesChunk, [&] {
    if (!Put(isave, std::uint32_t(slots_.size()))) return false;
    for (std::size_t i = 0; i < slots_.size(); ++i) {
      const ParamDef& def = desc_->paramdefs[i];
      if (!IsStorableParamType(def.type)) return false;
      if (!Put(isave, std::int16_t(def.ID)) || !Put(isave, std::uint8_t(def.type)) ||
          !PutParamValue(isave, def.type, slots_[i].constant) || !Put(isave, std::uint32_t(slots_[i].keys.size())))
        return false;
      for (const auto& [t, v] : slots_[i].keys)
        if (!Put(isave, std::int32_t(t)) || !PutParamValue(isave, def.type, v)) return false;
    }
    return true;
  });
  return ok ? IO_OK : IO_ERROR;
}

IOResult ParamBlock2::Load(ILoad* iload) {
  IOResult result = ForEachChunk(iload, [&](USHORT id) {
    if (id == scenefile::kParamBlockOwnerChunk) {
      std::uint32_t super = 0, a = 0, b = 0;
      std::int16_t block = 0;
      std::int32_t owner = -1;
      if (!Get(iload, super) || !Get(iload, a) || !Get(iload, b) || !Get(iload, block) || !Get(iload, owner))
        return false;
      auto* cd = dynamic_cast<ClassDesc2*>(TheHost().FindClass(super, Class_ID(a, b)));
      ParamBlockDesc2* desc = cd ? cd->GetParamBlockDescByID(block) : nullptr;
      if (!desc) {
        NoteLoadProblem(iload, "no parameter block " + std::to_string(block) + " is registered with class " +
                                   DescribeClassIds(super, Class_ID(a, b)));
        return false;
      }
      desc_ = desc;
      slots_.assign(desc_->paramdefs.size(), Slot());
      for (std::size_t i = 0; i < slots_.size(); ++i) {
        slots_[i].constant = desc_->paramdefs[i].def;
        slots_[i].constant.type = desc_->paramdefs[i].type;
      }
      owner_ = static_cast<ReferenceTarget*>(iload->GetAddr(owner));
      return true;
    }
    if (id != scenefile::kParamBlockValuesChunk) return true;
    if (!desc_) {
      NoteLoadProblem(iload, "parameter values come before the block's owner");
      return false;
    }
    std::uint32_t count = 0;
    if (!GetCount(iload, count, 2 + 1 + 4 + 4)) return false;
    for (std::uint32_t n = 0; n < count; ++n) {
      std::int16_t pid = 0;
      std::uint8_t type = 0;
      if (!Get(iload, pid) || !Get(iload, type)) return false;
      if (!IsStorableParamType(type)) {
        NoteLoadProblem(iload, "parameter " + std::to_string(pid) + " has unknown type " + std::to_string(type));
        return false;
      }
      const auto stored = static_cast<ParamType2>(type);
      PB2Value constant;
      std::uint32_t keyCount = 0;
      if (!GetParamValue(iload, stored, constant) || !GetCount(iload, keyCount, 4 + MinStoredValueBytes(stored)))
        return false;
      // A parameter the descriptor no longer has, or one of another kind now, keeps its default.
      int index = desc_->IDtoIndex(pid);
      ParamType2 declared = index >= 0 ? desc_->paramdefs[index].type : stored;
      bool fits = index >= 0 && ConvertParamValue(constant, declared).has_value();
      if (fits) {
        slots_[index].constant = *ConvertParamValue(constant, declared);
        slots_[index].keys.clear();
      }
      for (std::uint32_t k = 0; k < keyCount; ++k) {
        std::int32_t t = 0;
        PB2Value v;
        if (!Get(iload, t) || !GetParamValue(iload, stored, v)) return false;
        if (fits) slots_[index].keys[t] = *ConvertParamValue(v, declared);
      }
    }
    return true;
  });
  if (result == IO_OK && !desc_) {
    NoteLoadProblem(iload, "the block does not name its owner");
    return IO_ERROR;
  }
  return result;
}
