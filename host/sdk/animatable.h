#pragma once
// Root of the host's object model: identity (class and super-class ids), sub-animatables,
// parameter blocks, published interfaces and the command-panel edit hooks.

#include <cstddef>
#include <new>

#include "host/sdk/maxtypes.h"
#include "host/sdk/strclass.h"

class IParamBlock2;
class IObjParam;
class FPInterface;

using BlockID = short;

// Every published interface derives from this; GetInterface(Interface_ID) answers with it.
class BaseInterface {
public:
  virtual ~BaseInterface() = default;
  virtual Interface_ID GetID() = 0;
};

// Memory of every plug-in object comes from the host's heap through these operators.
class MaxHeapOperators {
public:
  static void* operator new(std::size_t size);
  static void* operator new(std::size_t size, const std::nothrow_t&) noexcept;
  static void operator delete(void* p) noexcept;
  static void operator delete(void* p, const std::nothrow_t&) noexcept;
};

// Flags for BeginEditParams / EndEditParams.
inline constexpr ULONG BEGIN_EDIT_CREATE = 1 << 0;
inline constexpr ULONG BEGIN_EDIT_MOTION = 1 << 1;
inline constexpr ULONG END_EDIT_REMOVEUI = 1 << 0;

class Animatable : public MaxHeapOperators {
public:
  Animatable() = default;
  Animatable(const Animatable&) = delete;
  Animatable& operator=(const Animatable&) = delete;
  virtual ~Animatable() = default;

  // Destroys the object (the host calls it; the default deletes through the host's heap).
  virtual void DeleteThis() { delete this; }

  virtual Class_ID ClassID() { return Class_ID(0, 0); }
  virtual SClass_ID SuperClassID() = 0;
  virtual void GetClassName(MSTR& s, bool localized = true) const {
    (void)localized;
    s = L"";
  }
  // True when this object is of class id or of a class that derives from it.
  virtual BOOL IsSubClassOf(Class_ID classID) { return classID == ClassID(); }

  virtual int NumSubs() { return 0; }
  virtual Animatable* SubAnim(int i) { (void)i; return nullptr; }
  virtual MSTR SubAnimName(int i, bool localized = true) { (void)i; (void)localized; return MSTR(); }

  virtual int NumParamBlocks() { return 0; }
  virtual IParamBlock2* GetParamBlock(int i) { (void)i; return nullptr; }
  virtual IParamBlock2* GetParamBlockByID(BlockID id) { (void)id; return nullptr; }

  // Published interfaces by identifier; the default looks in the class descriptor's list.
  virtual BaseInterface* GetInterface(Interface_ID id);

  virtual void BeginEditParams(IObjParam* ip, ULONG flags, Animatable* prev) { (void)ip; (void)flags; (void)prev; }
  virtual void EndEditParams(IObjParam* ip, ULONG flags, Animatable* next) { (void)ip; (void)flags; (void)next; }

  // The host-kept flag word of the object: bits the host and the object's class set on it. It
  // is neither stored nor copied by clones.
  void SetAFlag(DWORD mask) { aflag_ |= mask; }
  void ClearAFlag(DWORD mask) { aflag_ &= ~mask; }
  BOOL TestAFlag(DWORD mask) const { return (aflag_ & mask) != 0 ? TRUE : FALSE; }

private:
  DWORD aflag_ = 0;
};
