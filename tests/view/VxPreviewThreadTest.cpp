#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "view/VxPreviewThread.h"

namespace {

class TNamedThumbnail : public TVxThumbnail {
public:
    explicit TNamedThumbnail(std::wstring name) : Name(std::move(name)) {}
    bool Draw(TVxDeviceContext, const TRect& destRect, TRect& drawnRect) override
    {
        drawnRect = destRect;
        return true;
    }
    std::wstring Name;
};

// Waits for the ready signal the way the dialog waits for its posted message.
class TReadySignal {
public:
    void Notify()
    {
        std::lock_guard lock(FLock);
        ++FCount;
        FChanged.notify_all();
    }
    bool WaitFor(int count)
    {
        std::unique_lock lock(FLock);
        return FChanged.wait_for(lock, std::chrono::seconds(20), [&] { return FCount >= count; });
    }
    int Count()
    {
        std::lock_guard lock(FLock);
        return FCount;
    }

private:
    std::mutex FLock;
    std::condition_variable FChanged;
    int FCount = 0;
};

TEST(VxPreviewThreadTest, OnlyTheLastOfManyQuickRequestsIsShown)
{
    // The maker for "a" blocks until the test has moved on through many files.
    std::atomic<bool> release{false};
    std::atomic<int> made{0};
    TReadySignal ready;
    TVxDialogPreviewThread preview(
        [&](const std::filesystem::path& name) {
            ++made;
            if (name == L"a")
                while (!release)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return std::make_unique<TNamedThumbnail>(name.wstring());
        },
        [&] { ready.Notify(); });
    preview.Request(L"a");
    while (made == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    for (int i = 0; i < 50; ++i)
        preview.Request(L"file" + std::to_wstring(i));
    release = true;
    ASSERT_TRUE(ready.WaitFor(1));
    auto thumbnail = preview.TakeThumbnail();
    ASSERT_TRUE(thumbnail);
    EXPECT_EQ(static_cast<TNamedThumbnail&>(*thumbnail).Name, L"file49");
    // "a" was overtaken and thrown away; of the fifty only the last was ever made.
    EXPECT_EQ(made.load(), 2);
    EXPECT_EQ(ready.Count(), 1);
}

TEST(VxPreviewThreadTest, AFailedThumbnailShowsNothing)
{
    TReadySignal ready;
    std::atomic<int> made{0};
    {
        TVxDialogPreviewThread preview(
            [&](const std::filesystem::path&) {
                ++made;
                return std::unique_ptr<TVxThumbnail>();
            },
            [&] { ready.Notify(); });
        preview.Request(L"unknown.xyz");
        while (made == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        preview.Terminate();
        EXPECT_FALSE(preview.TakeThumbnail());
    }
    EXPECT_EQ(ready.Count(), 0);
}

TEST(VxPreviewThreadTest, ANewSelectionDropsAnUntakenThumbnail)
{
    TReadySignal ready;
    TVxDialogPreviewThread preview([&](const std::filesystem::path& name) { return std::make_unique<TNamedThumbnail>(name.wstring()); },
                                   [&] { ready.Notify(); });
    preview.Request(L"first");
    ASSERT_TRUE(ready.WaitFor(1));
    preview.Cancel(); // the user moved to a file the registry does not know
    EXPECT_FALSE(preview.TakeThumbnail());
    preview.Request(L"second");
    ASSERT_TRUE(ready.WaitFor(2));
    auto thumbnail = preview.TakeThumbnail();
    ASSERT_TRUE(thumbnail);
    EXPECT_EQ(static_cast<TNamedThumbnail&>(*thumbnail).Name, L"second");
}

TEST(VxPreviewThreadTest, TerminateEndsAnIdleThread)
{
    TVxDialogPreviewThread preview([](const std::filesystem::path&) { return std::unique_ptr<TVxThumbnail>(); }, [] {});
    preview.Terminate();
    preview.Terminate(); // twice is harmless
    EXPECT_FALSE(preview.TakeThumbnail());
}

} // namespace
