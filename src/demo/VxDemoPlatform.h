#pragma once
// What lesson playback needs from the system: the pointer, the buttons, the tick counter,
// the balloon and the program's texts. The Win32 side moves the real pointer; tests give
// a recording fake.
#include <cstdint>
#include <string>

#include "demo/VxDemoMotion.h"
#include "demo/VxDemoScript.h"

enum class TVxDemoButton : std::uint8_t { dbLeft, dbRight };  // physical buttons

class IVxDemoPlatform {
public:
    virtual std::uint32_t TickCount() = 0;
    virtual TVxDemoPoint CursorPos() = 0;
    virtual void SetCursorPos(TVxDemoPoint point) = 0;
    virtual bool ButtonsSwapped() = 0;
    virtual void SendButton(TVxDemoButton button, bool down) = 0;

    // Texts are UTF-8; position 0 lets the balloon choose by the anchor's quarter.
    virtual void ShowBalloon(TVxDemoPoint anchor, const std::string& text, int position) = 0;
    virtual void HideBalloon() = 0;
    virtual void DestroyBalloon() = 0;
    virtual void ShowCursor(bool show) = 0;
    virtual void EnableHints(bool enable) = 0;

    virtual TVxDemoLanguageContext Language() = 0;
    virtual std::string LocalString(std::int32_t id) = 0;
    virtual std::string AnsiToUtf8(const std::string& text) = 0;

    // The ticker starts with a lesson and ends on the first tick after it stopped or ended.
    virtual void StartTicking() = 0;
    virtual void PlaybackEnded() = 0;

protected:
    ~IVxDemoPlatform() = default;
};
