#include <windows.h>

#include <cstddef>

namespace VxPageMemory {

void* AllocatePages(std::size_t size) noexcept
{
    return VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

void ReleasePages(void* memory, std::size_t) noexcept
{
    VirtualFree(memory, 0, MEM_RELEASE);
}

}  // namespace VxPageMemory
