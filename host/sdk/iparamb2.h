#pragma once
// Parameter blocks: a static descriptor (ParamBlockDesc2) lists a block's parameters; each
// object owns blocks (IParamBlock2) holding their values, optionally keyed over time. Class
// descriptors (ClassDesc2) create objects and own the block descriptors of their class.

#include <string>
#include <vector>

#include "host/sdk/matrix3.h"
#include "host/sdk/ref.h"

class ActionTable;
class FPInterface;
class IParamMap2;
class ParamBlockDesc2;

using ParamID = short;
using StringResID = int;

enum ParamType2 {
  TYPE_FLOAT = 0,
  TYPE_INT = 1,
  TYPE_RGBA = 2,
  TYPE_POINT3 = 3,
  TYPE_BOOL = 4,
  TYPE_ANGLE = 5,
  TYPE_PCNT_FRAC = 6,
  TYPE_WORLD = 7,
  TYPE_STRING = 8,
  TYPE_INODE = 11,
  TYPE_TIMEVALUE = 13,
  TYPE_REFTARG = 18,
  TYPE_VOID = 29,  // a published function's "no result"
};

// Block descriptor flags.
inline constexpr int P_CLASS_PARAMS = 0x0001;
inline constexpr int P_AUTO_CONSTRUCT = 0x0002;
inline constexpr int P_AUTO_UI = 0x0004;
inline constexpr int P_USE_PARAMS = 0x0008;
inline constexpr int P_VERSION = 0x1000;

// Parameter flags.
inline constexpr int P_ANIMATABLE = 0x0001;
inline constexpr int P_TRANSIENT = 0x0002;
inline constexpr int P_NO_INIT = 0x0004;
inline constexpr int P_INVISIBLE = 0x0010;
inline constexpr int P_RESET_DEFAULT = 0x0020;
inline constexpr int P_READ_ONLY = 0x8000;

// A parameter value of any of the supported types.
struct PB2Value {
  ParamType2 type = TYPE_INT;
  int i = 0;
  float f = 0.0f;
  Point3 p;
  std::wstring s;
  ReferenceTarget* r = nullptr;

  static PB2Value Int(int v) { PB2Value x; x.type = TYPE_INT; x.i = v; return x; }
  static PB2Value Bool(bool v) { PB2Value x; x.type = TYPE_BOOL; x.i = v ? 1 : 0; return x; }
  static PB2Value Float(float v) { PB2Value x; x.type = TYPE_FLOAT; x.f = v; return x; }
  static PB2Value Pt(const Point3& v) { PB2Value x; x.type = TYPE_POINT3; x.p = v; return x; }
  static PB2Value Ref(ReferenceTarget* v) { PB2Value x; x.type = TYPE_REFTARG; x.r = v; return x; }
  static PB2Value Void() { PB2Value x; x.type = TYPE_VOID; return x; }
};

// Refuses or accepts values typed into a parameter map or assigned by a script.
class PBValidator {
public:
  virtual ~PBValidator() = default;
  virtual BOOL Validate(PB2Value& v) = 0;
  virtual BOOL Validate(PB2Value& v, ReferenceMaker* owner, ParamID id, int tabIndex) {
    (void)owner; (void)id; (void)tabIndex;
    return Validate(v);
  }
  virtual void DeleteThis() {}
};

// User-interface control kinds of a parameter (the automatic parameter map's controls).
enum ControlType2 { TYPE_NONE = 0, TYPE_SPINNER, TYPE_RADIO, TYPE_SINGLECHECKBOX, TYPE_CHECKBUTTON, TYPE_INT_COMBOBOX };

struct ParamDef {
  ParamID ID = 0;
  const MCHAR* int_name = L"";
  ParamType2 type = TYPE_INT;
  int flags = 0;
  StringResID local_name = 0;
  PB2Value def;
  bool has_range = false;
  PB2Value range_low;
  PB2Value range_high;
  PBValidator* validator = nullptr;
  ControlType2 ctrl_type = TYPE_NONE;
  std::vector<int> ctrl_IDs;  // dialog control ids (spinner edit + spinner, or radio buttons)
};

// Handles the messages of a parameter map's dialog.
class ParamMap2UserDlgProc {
public:
  virtual ~ParamMap2UserDlgProc() = default;
  virtual INT_PTR DlgProc(TimeValue t, IParamMap2* map, HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) = 0;
  virtual void DeleteThis() = 0;
  virtual void Update(TimeValue t) { (void)t; }
  virtual void SetThing(ReferenceTarget* m) { (void)m; }
};

// The automatic user interface of a block: one rollout.
struct ParamBlockAutoUI {
  int dlg_template = 0;
  StringResID title = 0;
  int rollup_flags = 0;
  ParamMap2UserDlgProc* dlgProc = nullptr;
};

class ClassDesc2;

class ParamBlockDesc2 {
public:
  BlockID ID = 0;
  const MCHAR* int_name = L"";
  StringResID local_name = 0;
  ClassDesc2* cd = nullptr;
  int flags = 0;
  int version = 0;
  int ref_no = 0;
  ParamBlockAutoUI ui;
  std::vector<ParamDef> paramdefs;

  // Builds the descriptor and registers it with its class descriptor cd (when given).
  ParamBlockDesc2(BlockID id, const MCHAR* name, StringResID localName, ClassDesc2* classDesc, int blockFlags,
                  int blockVersion, int refNo, ParamBlockAutoUI autoUI, std::vector<ParamDef> defs);

  int Count() const { return static_cast<int>(paramdefs.size()); }
  int IDtoIndex(ParamID id) const;
  ParamID IndextoID(int i) const { return paramdefs[i].ID; }
  // The definition of parameter id, or null.
  const ParamDef* GetParamDefByID(ParamID id) const;
  const ParamDef* GetParamDefByName(const std::wstring& name) const;
  void SetUserDlgProc(ParamMap2UserDlgProc* proc) { ui.dlgProc = proc; }
  ParamMap2UserDlgProc* GetUserDlgProc() const { return ui.dlgProc; }
};

class IParamBlock2 : public ReferenceTarget {
public:
  SClass_ID SuperClassID() override { return PARAMETER_BLOCK2_CLASS_ID; }
  Class_ID ClassID() override { return paramBlock2ClassID; }

  virtual ParamBlockDesc2* GetDesc() = 0;
  virtual BlockID ID() = 0;
  virtual ReferenceMaker* GetOwner() = 0;
  virtual void SetOwner(ReferenceMaker* owner) = 0;
  virtual int NumParams() = 0;

  // Sets the value at t: a key while the host animates and the parameter is animatable (or
  // already keyed), else the constant value. Dependents are told of the change. The program's
  // own sets are not validated. False for an unknown id or a type mismatch.
  virtual BOOL SetValue(ParamID id, TimeValue t, float v, int tabIndex = 0) = 0;
  virtual BOOL SetValue(ParamID id, TimeValue t, int v, int tabIndex = 0) = 0;
  virtual BOOL SetValue(ParamID id, TimeValue t, const Point3& v, int tabIndex = 0) = 0;
  virtual BOOL GetValue(ParamID id, TimeValue t, float& v, Interval& ivalid, int tabIndex = 0) = 0;
  virtual BOOL GetValue(ParamID id, TimeValue t, int& v, Interval& ivalid, int tabIndex = 0) = 0;
  virtual BOOL GetValue(ParamID id, TimeValue t, Point3& v, Interval& ivalid, int tabIndex = 0) = 0;

  float GetFloat(ParamID id, TimeValue t = 0, int tabIndex = 0);
  int GetInt(ParamID id, TimeValue t = 0, int tabIndex = 0);
  Point3 GetPoint3(ParamID id, TimeValue t = 0, int tabIndex = 0);

  // Keys of an animated parameter (time, value), in time order; empty when constant.
  virtual int NumKeys(ParamID id) = 0;
  virtual void GetKey(ParamID id, int index, TimeValue& t, PB2Value& v) = 0;
  virtual void SetKey(ParamID id, TimeValue t, const PB2Value& v) = 0;
  virtual void ClearKeys(ParamID id) = 0;
  // The constant value (the value without keys).
  virtual PB2Value GetConstant(ParamID id) = 0;
  virtual void SetConstant(ParamID id, const PB2Value& v) = 0;

  // The parameter map shown for this block (null when none is open).
  virtual IParamMap2* GetMap(int mapID = 0) = 0;
  virtual void SetMap(IParamMap2* map, int mapID = 0) = 0;
};

IParamBlock2* CreateParameterBlock2(ParamBlockDesc2* pdesc, ReferenceMaker* owner);

class ClassDesc : public MaxHeapOperators {
public:
  virtual ~ClassDesc() = default;
  virtual int IsPublic() = 0;
  virtual void* Create(BOOL loading = FALSE) = 0;
  virtual const MCHAR* ClassName() = 0;
  virtual const MCHAR* NonLocalizedClassName() { return ClassName(); }
  virtual SClass_ID SuperClassID() = 0;
  virtual Class_ID ClassID() = 0;
  virtual const MCHAR* Category() = 0;
  virtual const MCHAR* InternalName() { return nullptr; }
  virtual HINSTANCE HInstance() { return nullptr; }
  virtual void ResetClassParams(BOOL fileReset = FALSE) { (void)fileReset; }
  virtual DWORD InitialRollupPageState() { return 0x7FFFFFFF; }
  virtual int NumActionTables() { return 0; }
  virtual ActionTable* GetActionTable(int i) { (void)i; return nullptr; }

  // Published interfaces registered with this class.
  int NumInterfaces() const { return static_cast<int>(interfaces_.size()); }
  FPInterface* GetInterfaceAt(int i) const { return interfaces_[i]; }
  FPInterface* GetInterface(Interface_ID id);
  void AddInterface(FPInterface* fpi) { interfaces_.push_back(fpi); }

private:
  std::vector<FPInterface*> interfaces_;
};

class ClassDesc2 : public ClassDesc {
public:
  // Creates the object's auto-construct blocks and sets each as the owner's reference ref_no.
  void MakeAutoParamBlocks(ReferenceMaker* owner);
  int NumParamBlockDescs() const { return static_cast<int>(pbDescs_.size()); }
  ParamBlockDesc2* GetParamBlockDesc(int i) { return pbDescs_[i]; }
  ParamBlockDesc2* GetParamBlockDescByID(BlockID id);
  void AddParamBlockDesc(ParamBlockDesc2* pbd) { pbDescs_.push_back(pbd); }
  // Sets the user dialog procedure of the block's parameter map 0.
  virtual void SetUserDlgProc(ParamBlockDesc2* pbd, ParamMap2UserDlgProc* proc = nullptr);
  // Opens the automatic rollout of each of obj's P_AUTO_UI blocks (a parameter map, whose user
  // dialog procedure receives WM_INITDIALOG); a rollout already open for this class shows obj's
  // block instead. EndEditParams with END_EDIT_REMOVEUI closes them (WM_DESTROY first).
  virtual void BeginEditParams(IObjParam* ip, ReferenceMaker* obj, ULONG flags, Animatable* prev);
  virtual void EndEditParams(IObjParam* ip, ReferenceMaker* obj, ULONG flags, Animatable* next);

private:
  std::vector<ParamBlockDesc2*> pbDescs_;
};
