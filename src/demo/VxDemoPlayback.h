#pragma once
// Runs a lesson against the live user interface, one tick (about every 10 ms, on the
// user-interface thread) at a time: each tick takes the next line or directive, builds its
// action and steps it. The platform behind IVxDemoPlatform moves the real pointer.
//
//   TVxDemoPlayback playback(platform);
//   playback.SetScript(script);
//   playback.Play(0);            // then the platform calls Tick() until it returns false
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "demo/VxDemoLanguage.h"
#include "demo/VxDemoMotion.h"
#include "demo/VxDemoPlatform.h"
#include "demo/VxDemoScript.h"
#include "demo/VxDemoScriptParams.h"

class TVxDemoScriptAction;
class TVxDemoScriptMacroAction;
class TVxDemoPlayback;

using TVxDemoNotifyEvent = std::function<void(TVxDemoPlayback&)>;
using TVxDemoErrorEvent = std::function<void(TVxDemoPlayback&, const std::string& message, bool& stop,
                                             const std::string& line)>;
using TVxDemoFlagEvent = std::function<void(TVxDemoPlayback&, bool& flag)>;
using TVxDemoResolveTargetEvent =
    std::function<bool(TVxDemoPlayback&, const TVxDemoScriptParams& params, TVxDemoPoint& point)>;
using TVxDemoUserCommandEvent = std::function<void(TVxDemoPlayback&, const std::string& command, bool& handled,
                                                   TVxDemoScriptMacroAction& action, const TVxDemoScriptParams& params)>;
using TVxDemoLineRecordedEvent = std::function<void(TVxDemoPlayback&, int index, const std::string& text)>;

class TVxDemoPlayback {
public:
    explicit TVxDemoPlayback(IVxDemoPlatform& platform);
    ~TVxDemoPlayback();
    TVxDemoPlayback(const TVxDemoPlayback&) = delete;
    TVxDemoPlayback& operator=(const TVxDemoPlayback&) = delete;

    void SetScript(const TVxDemoScript& script) { FScript.Assign(script); }
    const TVxDemoScript& Script() const { return FScript; }

    bool Play(std::uint32_t startLine);
    bool Stop();
    void Pause();
    void Resume();
    void Error(const std::string& message);
    // False once the lesson has left playing and paused: the ticker then ends.
    bool Tick();

    bool IsActive() const { return FState.IsActive(); }
    bool IsRecording() const { return FState.State() == TVxDemoState::dsRecording; }
    TVxDemoState State() const { return FState.State(); }
    int PauseDepth() const { return FState.Depth(); }
    std::uint32_t Line() const { return FLine; }

    bool StartRecording(int position);
    void StopRecording();
    void RecordLine(const std::string& text);

    // The application's events while a lesson plays.
    void ApplicationActivated() { Resume(); }
    void ApplicationDeactivated() { Pause(); }
    // A key that stops the lesson asks to stop on its key-down; true when the key is taken.
    bool KeyDown(std::uint32_t virtualKey);
    bool KeyUp(std::uint32_t virtualKey) const;

    TVxDemoPoint PointerPos() const { return FPointer; }
    void SetPointerPos(TVxDemoPoint point);
    std::uint16_t MouseSpeed() const { return FMouseSpeed; }
    void SetMouseSpeed(std::uint16_t speed) { FMouseSpeed = speed; }
    void SetLeftButtonHeld(bool held) { FLeftButtonHeld = held; }
    bool LeftButtonHeld() const { return FLeftButtonHeld; }

    IVxDemoPlatform& Platform() { return FPlatform; }
    TVxDemoLanguage& Language() { return FLanguage; }
    // Resolution by two numbers, then by OnResolveTarget; nothing when neither works.
    bool ResolveTarget(const TVxDemoScriptParams& params, TVxDemoPoint& point);

    TVxDemoNotifyEvent OnResume, OnPause, OnFinish, OnStartRecording, OnStopRecording;
    TVxDemoErrorEvent OnError;
    TVxDemoFlagEvent OnBeforePlay;   // flag: cancel
    TVxDemoFlagEvent OnQueryStop;    // flag: allow
    TVxDemoResolveTargetEvent OnResolveTarget;
    TVxDemoUserCommandEvent OnUserCommand;
    TVxDemoLineRecordedEvent OnLineRecorded;
    bool ShowMessages = true;

private:
    void TakeNextAction();
    void ParseIntoAction(const std::string& line);
    void ReportDirectiveError();
    void ReleaseHeldButton();
    std::string CurrentLineText() const;

    IVxDemoPlatform& FPlatform;
    TVxDemoScript FScript;
    TVxDemoLanguage FLanguage;
    std::uint32_t FLine = 0;
    std::int32_t FInsertPosition = 0;
    TVxDemoPauseState FState;
    std::unique_ptr<TVxDemoScriptAction> FAction;
    std::uint16_t FMouseSpeed = DefaultDemoMouseSpeed;
    TVxDemoPoint FPointer;
    bool FLeftButtonHeld = false;
    bool FTicking = false;
};

// Tab, enter, the modifiers, escape, space, the arrows, the digits and letters, the
// function keys and the like; not backspace or the page keys.
bool IsDemoStopKey(std::uint32_t virtualKey);
