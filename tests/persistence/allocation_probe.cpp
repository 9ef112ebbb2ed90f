#include "persistence/allocation_probe.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<std::size_t> g_largest{0};
}

void ResetLargestAllocation() { g_largest = 0; }
std::size_t LargestAllocation() { return g_largest; }

namespace {
void* Allocate(std::size_t size) noexcept {
  std::size_t seen = g_largest.load(std::memory_order_relaxed);
  while (size > seen && !g_largest.compare_exchange_weak(seen, size, std::memory_order_relaxed)) {
  }
  return std::malloc(size == 0 ? 1 : size);
}
}  // namespace

// Every unaligned form, single and array, throwing and nothrow, with every matching delete: a
// form left to the library would pair its own allocator with this free (or the reverse) when an
// object made by one form is released by another, as the host's heap operators do.
void* operator new(std::size_t size) {
  if (void* p = Allocate(size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return ::operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
