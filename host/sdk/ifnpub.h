#pragma once
// Function publishing: interfaces of script-callable functions. A static FPInterfaceDesc names an
// interface (identifier, name, flags, function list) and registers with its class descriptor; an
// FPInterface dispatches calls by function id. A mixin interface (FP_MIXIN) is carried by each
// object as a base class, and the object answers GetInterface(id) with it; other interfaces are
// found through the class descriptor (the standard lookup).

#include <stdexcept>
#include <string>
#include <vector>

#include "host/sdk/iparamb2.h"

using FunctionID = short;
inline constexpr FunctionID FP_NO_FUNCTION = -1;

// Interface descriptor flags.
inline constexpr ULONG FP_ACTIONS = 1;
inline constexpr ULONG FP_MIXIN = 2;
inline constexpr ULONG FP_CORE = 4;
inline constexpr ULONG FP_STATIC_METHODS = 8;

// Function arguments and results carry the parameter block's value type.
using FPValue = PB2Value;

// The arguments of one call. Indexing past the end throws, as the host's argument array does.
class FPParams {
public:
  FPParams() = default;
  explicit FPParams(std::vector<FPValue> values) : params_(std::move(values)) {}

  int Count() const { return static_cast<int>(params_.size()); }
  FPValue& operator[](int i) {
    if (i < 0 || i >= Count())
      throw std::out_of_range("Argument index out of bounds, passed into a MaxSDK::Array::operator[]");
    return params_[i];
  }

private:
  std::vector<FPValue> params_;
};

struct FPParamDef {
  std::wstring internal_name;
  ParamType2 type = TYPE_INT;
};

struct FPFunctionDef {
  FunctionID ID = FP_NO_FUNCTION;
  std::wstring internal_name;
  ParamType2 result_type = TYPE_VOID;
  std::vector<FPParamDef> params;
};

class FPInterfaceDesc;

class FPInterface : public BaseInterface {
public:
  // The interface's descriptor (its identifier, name, flags and functions).
  virtual FPInterfaceDesc* GetDesc() = 0;
  Interface_ID GetID() override;
  ULONG GetFlags();

  // Calls function fid with the arguments p (may be null for none); the result goes to result.
  // FPS_NO_SUCH_FUNCTION when the interface has no function fid.
  FPStatus Invoke(FunctionID fid, TimeValue t, FPValue& result, FPParams* p = nullptr) {
    return _dispatch_fn(fid, t, result, p);
  }
  FPStatus Invoke(FunctionID fid, FPValue& result, FPParams* p = nullptr) { return Invoke(fid, 0, result, p); }

  // The function id of the published function named name, or FP_NO_FUNCTION.
  FunctionID FindFn(const std::wstring& name);

protected:
  // Each interface maps function ids to its functions here.
  virtual FPStatus _dispatch_fn(FunctionID fid, TimeValue t, FPValue& result, FPParams* p) {
    (void)fid; (void)t; (void)result; (void)p;
    return FPS_NO_SUCH_FUNCTION;
  }
};

// Describes one published interface; built with the module's static data, it registers itself
// with its class descriptor. A descriptor without FP_MIXIN is itself the callable interface.
class FPInterfaceDesc : public FPInterface {
public:
  Interface_ID ID;
  std::wstring internal_name;
  StringResID description = 0;
  ClassDesc* cd = nullptr;
  ULONG flags = 0;
  std::vector<FPFunctionDef> functions;

  FPInterfaceDesc(Interface_ID id, const MCHAR* name, StringResID descr, ClassDesc* classDesc, ULONG descFlags,
                  std::vector<FPFunctionDef> fns);

  FPInterfaceDesc* GetDesc() override { return this; }
  Interface_ID GetID() override { return ID; }
  int NumFunctions() const { return static_cast<int>(functions.size()); }
  // The definition of function fid, or null.
  const FPFunctionDef* GetFnDef(FunctionID fid) const;
};

// An interface that an object carries as a base class (FP_MIXIN): asked for its id, the object
// answers with itself.
class FPMixinInterface : public FPInterface {};
