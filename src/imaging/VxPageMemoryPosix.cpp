#include <sys/mman.h>

#include <cstddef>

namespace VxPageMemory {

void* AllocatePages(std::size_t size) noexcept
{
    void* memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return memory == MAP_FAILED ? nullptr : memory;
}

void ReleasePages(void* memory, std::size_t size) noexcept
{
    munmap(memory, size);
}

}  // namespace VxPageMemory
