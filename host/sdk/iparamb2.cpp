#include "host/sdk/iparamb2.h"

ParamBlockDesc2::ParamBlockDesc2(BlockID id, const MCHAR* name, StringResID localName, ClassDesc2* classDesc,
                                 int blockFlags, int blockVersion, int refNo, ParamBlockAutoUI autoUI,
                                 std::vector<ParamDef> defs)
    : ID(id),
      int_name(name),
      local_name(localName),
      cd(classDesc),
      flags(blockFlags),
      version(blockVersion),
      ref_no(refNo),
      ui(autoUI),
      paramdefs(std::move(defs)) {
  if (cd) cd->AddParamBlockDesc(this);
}

int ParamBlockDesc2::IDtoIndex(ParamID id) const {
  for (int i = 0; i < Count(); ++i)
    if (paramdefs[i].ID == id) return i;
  return -1;
}

const ParamDef* ParamBlockDesc2::GetParamDefByID(ParamID id) const {
  int i = IDtoIndex(id);
  return i < 0 ? nullptr : &paramdefs[i];
}

const ParamDef* ParamBlockDesc2::GetParamDefByName(const std::wstring& name) const {
  for (const ParamDef& d : paramdefs)
    if (name == d.int_name) return &d;
  return nullptr;
}

float IParamBlock2::GetFloat(ParamID id, TimeValue t, int tabIndex) {
  float v = 0.0f;
  Interval valid = FOREVER;
  GetValue(id, t, v, valid, tabIndex);
  return v;
}

int IParamBlock2::GetInt(ParamID id, TimeValue t, int tabIndex) {
  int v = 0;
  Interval valid = FOREVER;
  GetValue(id, t, v, valid, tabIndex);
  return v;
}

Point3 IParamBlock2::GetPoint3(ParamID id, TimeValue t, int tabIndex) {
  Point3 v;
  Interval valid = FOREVER;
  GetValue(id, t, v, valid, tabIndex);
  return v;
}

void ClassDesc2::MakeAutoParamBlocks(ReferenceMaker* owner) {
  for (ParamBlockDesc2* desc : pbDescs_) {
    if (!(desc->flags & P_AUTO_CONSTRUCT)) continue;
    IParamBlock2* block = CreateParameterBlock2(desc, owner);
    owner->ReplaceReference(desc->ref_no, block);
  }
}

ParamBlockDesc2* ClassDesc2::GetParamBlockDescByID(BlockID id) {
  for (ParamBlockDesc2* d : pbDescs_)
    if (d->ID == id) return d;
  return nullptr;
}

void ClassDesc2::SetUserDlgProc(ParamBlockDesc2* pbd, ParamMap2UserDlgProc* proc) {
  if (pbd) pbd->SetUserDlgProc(proc);
}

#include "host/sdk/ifnpub.h"

FPInterface* ClassDesc::GetInterface(Interface_ID id) {
  for (FPInterface* fpi : interfaces_)
    if (fpi->GetID() == id) return fpi;
  return nullptr;
}
