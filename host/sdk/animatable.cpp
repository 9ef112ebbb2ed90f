#include "host/sdk/animatable.h"

#include <cstdlib>

#include "host/sdk/ifnpub.h"
#include "host/sdk/interface.h"

// The host's heap: plain operator new/delete here; a failed allocation yields null for the
// nothrow form, as the host's allocator does.
void* MaxHeapOperators::operator new(std::size_t size) { return ::operator new(size); }
void* MaxHeapOperators::operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return ::operator new(size, std::nothrow);
}
void MaxHeapOperators::operator delete(void* p) noexcept { ::operator delete(p); }
void MaxHeapOperators::operator delete(void* p, const std::nothrow_t&) noexcept { ::operator delete(p); }

// The standard lookup: the interfaces registered with the object's class descriptor. A mixin's
// descriptor only describes the interface that each object carries, so it is not an answer here.
BaseInterface* Animatable::GetInterface(Interface_ID id) {
  Interface* app = GetCOREInterface();
  ClassDesc* cd = app ? app->FindClass(SuperClassID(), ClassID()) : nullptr;
  if (!cd) return nullptr;
  FPInterface* fpi = cd->GetInterface(id);
  return fpi && !(fpi->GetFlags() & FP_MIXIN) ? fpi : nullptr;
}
