#include "imaging/VxPageMemory.h"

#include <utility>

namespace VxPageMemory {

void* AllocatePages(std::size_t size) noexcept;  // VxPageMemoryWin32.cpp / VxPageMemoryPosix.cpp
void ReleasePages(void* memory, std::size_t size) noexcept;

namespace {
std::function<bool(std::size_t)>& FailureHook()
{
    static std::function<bool(std::size_t)> hook;
    return hook;
}
}  // namespace

void* Allocate(std::size_t size) noexcept
{
    if (size == 0)
        return nullptr;
    if (const auto& hook = FailureHook(); hook && !hook(size))
        return nullptr;
    return AllocatePages(size);
}

void Release(void* memory, std::size_t size) noexcept
{
    if (memory)
        ReleasePages(memory, size);
}

void SetFailureHook(std::function<bool(std::size_t)> hook)
{
    FailureHook() = std::move(hook);
}

}  // namespace VxPageMemory
