#pragma once
// Raw blocks from the host's heap, for plug-in buffers that the host's allocator should own.

#include <cstddef>

// A block of size bytes, or null when the heap cannot give one.
void* MAX_malloc(std::size_t size);
void MAX_free(void* block);
