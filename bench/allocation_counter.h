#pragma once
// Counts the heap allocations of the whole process (Qt's included: it allocates with malloc, not
// with operator new) while counting is on, so that a benchmark can report how many allocations,
// and how many bytes, one operation made: every allocation of a buffer is a copy to come.

#include <cstddef>

namespace bench {

struct Allocations {
    std::size_t count = 0;
    std::size_t bytes = 0;
};

// Starts counting from zero.
void startCountingAllocations();
// Stops counting and returns what was counted since the start.
Allocations stopCountingAllocations();

}  // namespace bench
