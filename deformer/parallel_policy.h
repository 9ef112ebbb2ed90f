#pragma once
// When a per-vertex loop is worth running on several threads. Waking the runtime's workers costs
// tens of microseconds, and on a busy machine a worker may wait for a core much longer; small
// loops therefore run on the calling thread, so that two threads are never slower than one.

#include <cstdint>

// Work below this many per-vertex steps (about a nanosecond each) runs serially.
inline constexpr std::int64_t kMinParallelSteps = 200'000;

// items: vertices of the loop; stepsPerItem: the loop's rough cost per vertex (bones or
// influences weighed, points carried).
inline bool ParallelWorthIt(std::int64_t items, std::int64_t stepsPerItem) {
  return items * (stepsPerItem > 0 ? stepsPerItem : 1) >= kMinParallelSteps;
}
