#pragma once
// Makes the page allocator refuse chosen allocations, counted from the fixture's birth
// (1 is the first), as if the system had run out of memory just then.
//
//   const TVxPageFailures failures(3, 3);   // only the third allocation fails
//   const TVxPageFailures failures(1);      // every allocation fails
#include <climits>
#include <cstddef>

#include "imaging/VxPageMemory.h"

class TVxPageFailures {
public:
    explicit TVxPageFailures(int first, int last = INT_MAX)
    {
        VxPageMemory::SetFailureHook([this, first, last](std::size_t) {
            ++FCount;
            return FCount < first || FCount > last;
        });
    }
    ~TVxPageFailures() { VxPageMemory::SetFailureHook(nullptr); }
    TVxPageFailures(const TVxPageFailures&) = delete;
    TVxPageFailures& operator=(const TVxPageFailures&) = delete;

    // Allocations asked for so far, refused or not.
    int Count() const { return FCount; }

private:
    int FCount = 0;
};
