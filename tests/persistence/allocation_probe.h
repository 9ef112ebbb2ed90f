#pragma once
// Records the largest single request made of the global operator new in this test program, so a
// test can tell that a reader never sized a table by a count it had not checked.

#include <cstddef>

void ResetLargestAllocation();
std::size_t LargestAllocation();
