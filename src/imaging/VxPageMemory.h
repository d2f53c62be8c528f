#pragma once
// Pixel memory comes straight from the operating system's page allocator: large image
// buffers are created and freed often (every undo snapshot), and keeping them off the
// general heap avoids fragmenting it. Fresh pages read as zero.
#include <cstddef>
#include <functional>

namespace VxPageMemory {

// Returns zero-filled, read-write memory, or nullptr when the system has none to give.
void* Allocate(std::size_t size) noexcept;
void Release(void* memory, std::size_t size) noexcept;

// Test seam: while set, the hook is asked before each allocation and a false answer
// makes that allocation fail as if the system were out of memory.
void SetFailureHook(std::function<bool(std::size_t)> hook);

}  // namespace VxPageMemory
