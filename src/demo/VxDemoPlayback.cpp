#include "demo/VxDemoPlayback.h"

#include <algorithm>

#include "demo/VxDemoScriptAction.h"

TVxDemoPlayback::TVxDemoPlayback(IVxDemoPlatform& platform) : FPlatform(platform) {}

// The platform's ticker must not outlive the playback it calls.
TVxDemoPlayback::~TVxDemoPlayback()
{
    FAction.reset();
    if (FTicking)
        FPlatform.PlaybackEnded();
}

bool TVxDemoPlayback::Play(std::uint32_t startLine)
{
    if (IsActive() || IsRecording())
        return false;
    FLanguage.Clear();
    bool cancel = false;
    if (OnBeforePlay)
        OnBeforePlay(*this, cancel);
    if (cancel)
        return true;
    FState.Play();
    FLine = startLine;
    FPointer = FPlatform.CursorPos();
    FAction.reset();
    FLeftButtonHeld = false;
    FTicking = true;
    FPlatform.StartTicking();
    return true;
}

void TVxDemoPlayback::ReleaseHeldButton()
{
    if (!FLeftButtonHeld)
        return;
    FPlatform.SetCursorPos(FPointer);
    FPlatform.SendButton(FPlatform.ButtonsSwapped() ? TVxDemoButton::dbRight : TVxDemoButton::dbLeft, false);
    FLeftButtonHeld = false;
}

bool TVxDemoPlayback::Stop()
{
    if (!IsActive())
        return false;
    Pause();
    bool allow = true;
    if (OnQueryStop)
        OnQueryStop(*this, allow);
    if (!allow) {
        Resume();
        return true;
    }
    if (FAction)
        FAction->Stop();
    ReleaseHeldButton();
    FState.Stop();
    return true;
}

void TVxDemoPlayback::Pause()
{
    const TVxDemoState before = FState.State();
    if (!FState.Pause() || before != TVxDemoState::dsPlaying)
        return;
    if (FAction)
        FAction->Pause();
    if (OnPause)
        OnPause(*this);
}

void TVxDemoPlayback::Resume()
{
    if (!FState.Resume())
        return;
    if (OnResume)
        OnResume(*this);
    if (FAction)
        FAction->Resume();
}

std::string TVxDemoPlayback::CurrentLineText() const
{
    const std::vector<std::string>& lines = FScript.ScriptLines();
    return FLine < lines.size() ? lines[FLine] : std::string();
}

void TVxDemoPlayback::Error(const std::string& message)
{
    Pause();
    bool stop = true;
    if (OnError)
        OnError(*this, message, stop, CurrentLineText());
    if (stop) {
        ReleaseHeldButton();
        FState.Stop();
    } else {
        Resume();
    }
}

void TVxDemoPlayback::ParseIntoAction(const std::string& line)
{
    FAction = CreateDemoAction(*this, line);
}

void TVxDemoPlayback::ReportDirectiveError()
{
    switch (FLanguage.LastError()) {
    case TVxDemoDirectiveError::ddeNone: return;
    case TVxDemoDirectiveError::ddeTooManyLines:
        Error("The line generates more than " + std::to_string(TVxDemoLanguage::MaxGeneratedLines) + " lines.");
        return;
    default: Error("Invalid arguments."); return;
    }
}

void TVxDemoPlayback::TakeNextAction()
{
    const std::vector<std::string>& lines = FScript.ScriptLines();
    if (FLanguage.IsEmpty()) {
        if (FLanguage.Process(lines, FLine)) {
            const std::uint32_t directive = FLine;
            FLine = static_cast<std::uint32_t>(FLanguage.DirectiveLine());
            if (FLanguage.LastError() != TVxDemoDirectiveError::ddeNone) {
                const std::uint32_t reached = FLine;
                FLine = directive;  // the error names the directive's own line
                ReportDirectiveError();
                FLine = reached;
                return;
            }
            if (!FLanguage.IsEmpty())
                ParseIntoAction(FLanguage.TakeFirst());
        } else {
            ParseIntoAction(lines[FLine]);
        }
        return;
    }
    ParseIntoAction(FLanguage.TakeFirst());
    FLine = static_cast<std::uint32_t>(FLanguage.DirectiveLine());
}

bool TVxDemoPlayback::Tick()
{
    if (FState.State() == TVxDemoState::dsPlaying) {
        if (!FAction) {
            if (FLine >= FScript.ScriptLines().size() && FLanguage.IsEmpty()) {
                FState.Finish();
                FTicking = false;
                FPlatform.PlaybackEnded();
                if (OnFinish)
                    OnFinish(*this);
                return false;
            }
            TakeNextAction();
        }
        if (FAction && FState.State() == TVxDemoState::dsPlaying) {
            FAction->Step();
            if (FAction->IsFinished())
                FAction.reset();
        }
        if (!FAction && FState.State() != TVxDemoState::dsStopped)
            ++FLine;
    }
    if (FState.State() == TVxDemoState::dsStopped) {
        FAction.reset();
        if (FTicking) {
            FTicking = false;
            FPlatform.PlaybackEnded();
        }
    }
    return FState.IsActive();
}

bool TVxDemoPlayback::ResolveTarget(const TVxDemoScriptParams& params, TVxDemoPoint& point)
{
    const std::optional<double> x = params.Number(0);
    const std::optional<double> y = params.Number(1);
    if (x && y) {
        const auto clamp = [](double v) {
            return static_cast<std::int32_t>(v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : v);
        };
        point = {clamp(*x), clamp(*y)};
        return true;
    }
    if (OnResolveTarget && OnResolveTarget(*this, params, point))
        return true;
    Error("Invalid arguments.");
    return false;
}

void TVxDemoPlayback::SetPointerPos(TVxDemoPoint point)
{
    FPointer = point;
    FPlatform.SetCursorPos(point);
}

bool TVxDemoPlayback::StartRecording(int position)
{
    if (IsActive() || IsRecording())
        return false;
    const int count = static_cast<int>(FScript.ScriptLines().size());
    FInsertPosition = position >= 0 && position < count ? position : count;
    if (OnStartRecording)
        OnStartRecording(*this);
    FState.StartRecording();
    return true;
}

void TVxDemoPlayback::RecordLine(const std::string& text)
{
    std::vector<std::string>& lines = FScript.ScriptLines();
    const auto at = static_cast<std::size_t>(std::clamp<std::int32_t>(FInsertPosition, 0, static_cast<std::int32_t>(lines.size())));
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), text);
    if (OnLineRecorded)
        OnLineRecorded(*this, static_cast<int>(at), text);
    FInsertPosition = static_cast<std::int32_t>(at) + 1;
}

void TVxDemoPlayback::StopRecording()
{
    if (!IsRecording())
        return;
    if (OnStopRecording)
        OnStopRecording(*this);
    FState.Stop();
}

bool IsDemoStopKey(std::uint32_t k)
{
    return k == 9 || k == 13 || (k >= 14 && k <= 20) || k == 27 || k == 32 || (k >= 35 && k <= 40) ||
           (k >= 44 && k <= 57) || (k >= 65 && k <= 92) || (k >= 95 && k <= 145);
}

bool TVxDemoPlayback::KeyDown(std::uint32_t virtualKey)
{
    if (FState.State() != TVxDemoState::dsPlaying || !IsDemoStopKey(virtualKey))
        return false;
    Stop();
    return true;
}

bool TVxDemoPlayback::KeyUp(std::uint32_t virtualKey) const
{
    return FState.State() == TVxDemoState::dsPlaying && IsDemoStopKey(virtualKey);
}
