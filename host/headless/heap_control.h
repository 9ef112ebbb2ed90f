#pragma once
// Test control of the headless host's heap: the next `count` MAX_malloc calls yield null, as a
// host that has run out of memory would.

void FailNextHeapAllocations(int count);
