#include "host/sdk/maxheap.h"

#include <atomic>
#include <cstdlib>

#include "host/headless/heap_control.h"

namespace {

std::atomic<int> g_failures{0};

}  // namespace

void FailNextHeapAllocations(int count) { g_failures.store(count > 0 ? count : 0); }

void* MAX_malloc(std::size_t size) {
  int pending = g_failures.load();
  while (pending > 0) {
    if (g_failures.compare_exchange_weak(pending, pending - 1)) return nullptr;
  }
  return std::malloc(size);
}

void MAX_free(void* block) { std::free(block); }
