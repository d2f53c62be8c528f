#include "view/VxPreviewThread.h"

#include <chrono>
#include <utility>

TVxDialogPreviewThread::TVxDialogPreviewThread(TMaker maker, TReady ready)
    : FMaker(std::move(maker)), FReady(std::move(ready)), FThread([this] { Execute(); })
{
}

TVxDialogPreviewThread::~TVxDialogPreviewThread() { Terminate(); }

void TVxDialogPreviewThread::Request(const std::filesystem::path& fileName)
{
    {
        std::lock_guard lock(FLock);
        FPending = fileName;
        ++FGeneration;
        FFinished.reset();
    }
    FWake.notify_one();
}

void TVxDialogPreviewThread::Cancel()
{
    std::lock_guard lock(FLock);
    FPending.clear();
    ++FGeneration;
    FFinished.reset();
}

std::unique_ptr<TVxThumbnail> TVxDialogPreviewThread::TakeThumbnail()
{
    std::lock_guard lock(FLock);
    return std::move(FFinished);
}

void TVxDialogPreviewThread::Terminate()
{
    {
        std::lock_guard lock(FLock);
        FTerminated = true;
    }
    FWake.notify_one();
    if (FThread.joinable())
        FThread.join();
}

void TVxDialogPreviewThread::Execute()
{
    std::unique_lock lock(FLock);
    while (!FTerminated) {
        // Woken by a request; the 10 ms period only bounds how long a missed wake-up waits.
        if (FPending.empty()) {
            FWake.wait_for(lock, std::chrono::milliseconds(10));
            continue;
        }
        const std::filesystem::path fileName = std::exchange(FPending, {});
        const std::uint64_t generation = FGeneration;
        lock.unlock();
        std::unique_ptr<TVxThumbnail> thumbnail = FMaker(fileName);
        lock.lock();
        if (!thumbnail || FTerminated || generation != FGeneration)
            continue;
        FFinished = std::move(thumbnail);
        lock.unlock();
        FReady();
        lock.lock();
    }
}
