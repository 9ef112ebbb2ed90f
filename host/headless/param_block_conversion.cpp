// The post-load conversion of old-style parameter blocks into blocks of the current descriptor.

#include <string>

#include "host/headless/chunk_load.h"
#include "host/headless/param_value_io.h"
#include "host/sdk/iparamb2_plcb.h"

ParamBlock2PLCB::ParamBlock2PLCB(ParamVersionDesc* versions, int cnt, ParamBlockDesc2* pd, ReferenceTarget* targ,
                                 int refNum)
    : desc_(pd), targ_(targ), refNum_(refNum) {
  for (int v = 0; versions && v < cnt; ++v) {
    Layout layout;
    layout.version = versions[v].version;
    if (versions[v].desc && versions[v].count > 0)
      layout.entries.assign(versions[v].desc, versions[v].desc + versions[v].count);
    layouts_.push_back(std::move(layout));
  }
}

namespace {

// Copies entry i of the old block to parameter id of the new one. Keys go along when the
// parameter is animatable; otherwise the value at time 0 becomes the constant.
void CopyEntry(IParamBlock* from, int i, IParamBlock2* to, const ParamDef& def) {
  PB2Value constant = from->GetConstant(i);
  constant.type = from->GetParameterType(i);
  std::optional<PB2Value> converted = ConvertParamValue(constant, def.type);
  if (!converted) return;
  const int keys = from->NumKeys(i);
  if (keys > 0 && (def.flags & P_ANIMATABLE)) {
    to->SetConstant(def.ID, *converted);
    for (int k = 0; k < keys; ++k) {
      TimeValue t = 0;
      PB2Value v;
      from->GetKey(i, k, t, v);
      v.type = constant.type;
      if (std::optional<PB2Value> key = ConvertParamValue(v, def.type)) to->SetKey(def.ID, t, *key);
    }
    return;
  }
  if (keys > 0) {
    Interval valid = FOREVER;
    switch (KindOf(constant.type)) {
      case ParamKind::Integer: from->GetValue(i, 0, constant.i, valid); break;
      case ParamKind::Real: from->GetValue(i, 0, constant.f, valid); break;
      case ParamKind::Point: from->GetValue(i, 0, constant.p, valid); break;
      default: break;
    }
    converted = ConvertParamValue(constant, def.type);
  }
  if (converted) to->SetConstant(def.ID, *converted);
}

}  // namespace

void ParamBlock2PLCB::proc(ILoad* iload) {
  if (!targ_ || !desc_ || refNum_ < 0 || refNum_ >= targ_->NumRefs()) return;
  ReferenceTarget* ref = targ_->GetReference(refNum_);
  if (!ref || ref->SuperClassID() != PARAMETER_BLOCK_CLASS_ID || ref->ClassID() != paramBlockClassID) return;
  auto* old = static_cast<IParamBlock*>(ref);

  IParamBlock2* block = CreateParameterBlock2(desc_, targ_);
  if (!block) return;
  const Layout* layout = nullptr;
  for (const Layout& l : layouts_)
    if (l.version == old->GetVersion()) layout = &l;
  if (!layout) {
    // Nothing says what the entries mean: the owner still gets a current block, of defaults.
    NoteLoadWarning(iload, "an old-style parameter block of version " + std::to_string(old->GetVersion()) +
                               " matches none of its owner's layouts; its values are replaced by defaults");
  } else {
    const int n = std::min<int>(static_cast<int>(layout->entries.size()), old->NumParams());
    for (int i = 0; i < n; ++i) {
      const ParamDef* def = desc_->GetParamDefByID(static_cast<ParamID>(layout->entries[i].id));
      if (def) CopyEntry(old, i, block, *def);
    }
  }
  targ_->ReplaceReference(refNum_, block);
}
