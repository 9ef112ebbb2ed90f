#include "host/sdk/ifnpub.h"

Interface_ID FPInterface::GetID() {
  FPInterfaceDesc* desc = GetDesc();
  return desc ? desc->ID : Interface_ID();
}

ULONG FPInterface::GetFlags() {
  FPInterfaceDesc* desc = GetDesc();
  return desc ? desc->flags : 0;
}

FunctionID FPInterface::FindFn(const std::wstring& name) {
  FPInterfaceDesc* desc = GetDesc();
  if (!desc) return FP_NO_FUNCTION;
  for (const FPFunctionDef& fn : desc->functions)
    if (fn.internal_name == name) return fn.ID;
  return FP_NO_FUNCTION;
}

FPInterfaceDesc::FPInterfaceDesc(Interface_ID id, const MCHAR* name, StringResID descr, ClassDesc* classDesc,
                                 ULONG descFlags, std::vector<FPFunctionDef> fns)
    : ID(id), internal_name(name), description(descr), cd(classDesc), flags(descFlags), functions(std::move(fns)) {
  if (cd) cd->AddInterface(this);
}

const FPFunctionDef* FPInterfaceDesc::GetFnDef(FunctionID fid) const {
  for (const FPFunctionDef& fn : functions)
    if (fn.ID == fid) return &fn;
  return nullptr;
}
