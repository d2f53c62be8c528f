#pragma once
// The real system behind lesson playback: the pointer, synthetic button presses, the
// millisecond tick counter, the balloon, and the ticker thread that hands the lesson one
// tick about every 10 ms on the user-interface thread.
//
//   TVxDemoWin32Platform platform;
//   TVxDemoPlayback playback(platform);
//   platform.SetTick([&] { return playback.Tick(); });
//   playback.Play(0);
//
// The thread only sends a message to a hidden window and sleeps; all lesson work runs in
// that window's procedure on the main thread, so nothing needs a lock. Destroying the
// platform while a lesson runs ends the thread and waits for it, answering its last
// message meanwhile, so that it never calls into a freed object.
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>

#include "app/VxBalloon.h"
#include "app/VxWindow.h"
#include "demo/VxDemoPlatform.h"
#include "i18n/VxLocalizer.h"

class TVxDemoWin32Platform : public IVxDemoPlatform, private TVxWindow {
public:
    explicit TVxDemoWin32Platform(const TVxLocalizer* localizer = nullptr);
    ~TVxDemoWin32Platform() override;

    void SetTick(std::function<bool()> tick) { FTick = std::move(tick); }
    const TVxBalloon& Balloon() const { return FBalloon; }
    bool IsTicking() const { return FThread != nullptr && !FEnd; }

    std::uint32_t TickCount() override { return GetTickCount(); }
    TVxDemoPoint CursorPos() override;
    void SetCursorPos(TVxDemoPoint point) override;
    bool ButtonsSwapped() override { return GetSystemMetrics(SM_SWAPBUTTON) != 0; }
    void SendButton(TVxDemoButton button, bool down) override;
    void ShowBalloon(TVxDemoPoint anchor, const std::string& text, int position) override;
    void HideBalloon() override { FBalloon.Hide(); }
    void DestroyBalloon() override;
    void ShowCursor(bool show) override;
    void EnableHints(bool) override {}
    TVxDemoLanguageContext Language() override;
    std::string LocalString(std::int32_t id) override;
    std::string AnsiToUtf8(const std::string& text) override;
    void StartTicking() override;
    void PlaybackEnded() override { FEnd = true; }

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    static DWORD WINAPI ThreadProc(void* parameter);
    void RunThread();
    void JoinThread();

    const TVxLocalizer* FLocalizer;
    std::function<bool()> FTick;
    TVxBalloon FBalloon;
    HANDLE FThread = nullptr;
    std::atomic<bool> FEnd{true};
    int FCursorHidden = 0;
};
