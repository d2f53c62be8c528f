#pragma once
// The open dialog's thumbnail maker: one background thread, one pending file name that a
// newer request simply overwrites, and a finished thumbnail handed to the user-interface
// thread under a lock. A thumbnail whose request was overtaken is thrown away.
//
//   TVxDialogPreviewThread preview(makeThumbnail, [&] { PostMessageW(box, WM_APP, 0, 0); });
//   preview.Request(selectedPath);                 // on every selection change
//   ... on WM_APP: if (auto t = preview.TakeThumbnail()) Show(std::move(t));
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "editor/VxFileFormats.h"

class TVxDialogPreviewThread {
public:
    using TMaker = std::function<std::unique_ptr<TVxThumbnail>(const std::filesystem::path&)>;
    // Runs on the preview thread after a thumbnail was stored; it must only post.
    using TReady = std::function<void()>;

    TVxDialogPreviewThread(TMaker maker, TReady ready);
    ~TVxDialogPreviewThread();
    TVxDialogPreviewThread(const TVxDialogPreviewThread&) = delete;
    TVxDialogPreviewThread& operator=(const TVxDialogPreviewThread&) = delete;

    // Also drops a finished thumbnail that has not been taken yet.
    void Request(const std::filesystem::path& fileName);
    void Cancel();
    std::unique_ptr<TVxThumbnail> TakeThumbnail();
    void Terminate();

private:
    void Execute();

    TMaker FMaker;
    TReady FReady;
    std::mutex FLock;
    std::condition_variable FWake;
    std::filesystem::path FPending;
    std::uint64_t FGeneration = 0;
    std::unique_ptr<TVxThumbnail> FFinished;
    bool FTerminated = false;
    std::thread FThread;
};
