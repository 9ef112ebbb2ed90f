#include "host/sdk/animatable.h"

#include <cstdlib>

// The host's heap: plain operator new/delete here; a failed allocation yields null for the
// nothrow form, as the host's allocator does.
void* MaxHeapOperators::operator new(std::size_t size) { return ::operator new(size); }
void* MaxHeapOperators::operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return ::operator new(size, std::nothrow);
}
void MaxHeapOperators::operator delete(void* p) noexcept { ::operator delete(p); }
void MaxHeapOperators::operator delete(void* p, const std::nothrow_t&) noexcept { ::operator delete(p); }

BaseInterface* Animatable::GetInterface(Interface_ID id) {
  (void)id;
  return nullptr;
}
