// Plays small lessons against the real desktop: the pointer moves, a window gets the
// click, the balloon sits where the tail points, and a playback destroyed mid-lesson
// leaves no thread behind.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/VxDemoWin32Platform.h"
#include "demo/VxDemoPlayback.h"

namespace {

TVxDemoScript Lesson(const std::string& lines)
{
    TVxDemoScript script;
    script.LoadFromBytes("[Script]\n" + lines);
    return script;
}

// Runs the message loop until done() or the time is up; each pass may look around.
template <typename TDone, typename TLook>
bool PumpUntil(TDone done, TLook look, DWORD limitMs = 15000)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > limitMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        look();
    }
    return true;
}

struct TClickTarget {
    HWND Window = nullptr;
    int Downs = 0;
    int Ups = 0;
};
TClickTarget* CurrentTarget = nullptr;

LRESULT CALLBACK TargetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_LBUTTONDOWN && CurrentTarget)
        ++CurrentTarget->Downs;
    if (message == WM_LBUTTONUP && CurrentTarget)
        ++CurrentTarget->Ups;
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST(VxDemoPlaybackWin32Test, MovesThePointerAndClicksARealWindow)
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = TargetProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"VxDemoClickTarget";
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    RegisterClassW(&windowClass);
    TClickTarget target;
    CurrentTarget = &target;
    target.Window = CreateWindowExW(WS_EX_TOPMOST, L"VxDemoClickTarget", L"target", WS_POPUP | WS_VISIBLE, 200, 150, 200,
                                    100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(target.Window, nullptr);
    SetForegroundWindow(target.Window);

    TVxDemoWin32Platform platform;
    TVxDemoPlayback playback(platform);
    platform.SetTick([&] { return playback.Tick(); });
    bool finished = false;
    std::vector<std::string> errors;
    playback.OnFinish = [&](TVxDemoPlayback&) { finished = true; };
    playback.OnError = [&](TVxDemoPlayback&, const std::string& message, bool&, const std::string&) {
        errors.push_back(message);
    };
    playback.SetScript(Lesson("MouseTo 10, 10\nMouseSpeed 100\nMouseCurvedMove 250, 170\nMouseClick 300, 200\n"));
    std::vector<POINT> path;
    ASSERT_TRUE(playback.Play(0));
    ASSERT_TRUE(PumpUntil([&] { return finished || !errors.empty(); }, [&] {
        POINT point{};
        GetCursorPos(&point);
        path.push_back(point);
    }));
    EXPECT_TRUE(errors.empty()) << errors.front();
    POINT end{};
    GetCursorPos(&end);
    EXPECT_EQ(end.x, 300);
    EXPECT_EQ(end.y, 200);
    EXPECT_EQ(target.Downs, 1);
    EXPECT_EQ(target.Ups, 1);
    EXPECT_GT(path.size(), 3u) << "the pointer should pass through points between";
    DestroyWindow(target.Window);
    CurrentTarget = nullptr;
}

TEST(VxDemoPlaybackWin32Test, BalloonInTheLowerRightOpensUpAndLeft)
{
    TVxDemoWin32Platform platform;
    TVxDemoPlayback playback(platform);
    platform.SetTick([&] { return playback.Tick(); });
    bool finished = false;
    playback.OnFinish = [&](TVxDemoPlayback&) { finished = true; };
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    const int x = width * 3 / 4;
    const int y = height * 3 / 4;
    playback.SetScript(Lesson("MouseTo " + std::to_string(x) + ", " + std::to_string(y) +
                              "\nMessage \"Lower right\\nsecond line\", 0.5\n"));
    RECT seen{};
    bool shown = false;
    ASSERT_TRUE(playback.Play(0));
    ASSERT_TRUE(PumpUntil([&] { return finished; }, [&] {
        const HWND balloon = platform.Balloon().Handle();
        if (balloon && IsWindowVisible(balloon)) {
            GetWindowRect(balloon, &seen);
            shown = true;
        }
    }));
    ASSERT_TRUE(shown);
    EXPECT_EQ(platform.Balloon().Layout().Position, 4);
    EXPECT_EQ(seen.bottom, y + 1) << "the tail's tip is the window's last row";
    EXPECT_LE(seen.right, x + 17);
    EXPECT_LT(seen.left, x - 16);
    EXPECT_FALSE(platform.Balloon().HandleAllocated()) << "the balloon goes with its message";
}

TEST(VxDemoPlaybackWin32Test, DestroyedWhilePlayingEndsItsThread)
{
    int ticks = 0;
    {
        TVxDemoWin32Platform platform;
        TVxDemoPlayback playback(platform);
        platform.SetTick([&] {
            ++ticks;
            return playback.Tick();
        });
        playback.SetScript(Lesson("Pause 30\n"));
        ASSERT_TRUE(playback.Play(0));
        PumpUntil([&] { return ticks >= 5; }, [] {});
        EXPECT_TRUE(platform.IsTicking());
    }
    const int after = ticks;
    PumpUntil([] { return false; }, [] {}, 100);
    EXPECT_EQ(ticks, after);
}

}  // namespace
