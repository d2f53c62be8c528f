#include "demo/VxDemoScriptAction.h"

#include <algorithm>
#include <cmath>

#include "demo/VxDemoPlayback.h"

namespace {

constexpr double CurvedMoveFactor = 3;

const TVxDemoScriptParams& NoParams()
{
    static const TVxDemoScriptParams none;
    return none;
}

// The physical button of the primary ("left") or secondary one.
TVxDemoButton PhysicalButton(IVxDemoPlatform& platform, bool primary)
{
    const bool swapped = platform.ButtonsSwapped();
    return primary != swapped ? TVxDemoButton::dbLeft : TVxDemoButton::dbRight;
}

}  // namespace

TVxDemoScriptAction::TVxDemoScriptAction(TVxDemoPlayback& playback, const TVxDemoScriptParams& params)
    : FPlayback(playback)
{
    FParams.Assign(params);
}

void TVxDemoScriptAction::Step()
{
    if (FPerformed)
        return;
    FPerformed = true;
    Perform();
}

void TVxDemoScriptMacroAction::Step()
{
    TVxDemoScriptAction::Step();
    if (FIndex >= FActions.size())
        return;
    TVxDemoScriptAction& current = *FActions[FIndex];
    current.Step();
    if (current.IsFinished())
        ++FIndex;
}

void TVxDemoScriptMacroAction::Resume()
{
    if (FIndex < FActions.size())
        FActions[FIndex]->Resume();
}

TVxDemoScriptUserAction::TVxDemoScriptUserAction(TVxDemoPlayback& playback, const TVxDemoScriptParams& params,
                                                 std::string name)
    : TVxDemoScriptMacroAction(playback, params), FName(std::move(name))
{
}

void TVxDemoScriptUserAction::Perform()
{
    bool handled = false;
    if (FPlayback.OnUserCommand)
        FPlayback.OnUserCommand(FPlayback, FName, handled, *this, FParams);
    if (!handled)
        FPlayback.Error("Unknown command: \"" + FName + "\"");
}

void TVxDemoScriptMouseMoveAction::Perform()
{
    TVxDemoPoint target = FPlayback.PointerPos();
    if (FParams.Count() > 0 && !FPlayback.ResolveTarget(FParams, target))
        target = FPlayback.PointerPos();
    FMotion.Begin(FPlayback.PointerPos(), target, FPlayback.MouseSpeed(), FCurveFactor,
                  FPlayback.Platform().TickCount());
}

void TVxDemoScriptMouseMoveAction::Step()
{
    TVxDemoScriptAction::Step();
    if (FPerformed)
        FPlayback.SetPointerPos(FMotion.Step(FPlayback.Platform().TickCount()));
}

void TVxDemoScriptMouseMoveAction::Resume()
{
    FMotion.Resume(FPlayback.Platform().TickCount());
}

TVxDemoScriptMouseCurvedMoveAction::TVxDemoScriptMouseCurvedMoveAction(TVxDemoPlayback& playback,
                                                                       const TVxDemoScriptParams& params)
    : TVxDemoScriptMouseMoveAction(playback, params)
{
    FCurveFactor = CurvedMoveFactor;
}

void TVxDemoScriptMouseToAction::Perform()
{
    FTarget = FPlayback.PointerPos();
    if (FParams.Count() > 0 && !FPlayback.ResolveTarget(FParams, FTarget))
        FTarget = FPlayback.PointerPos();
}

void TVxDemoScriptMouseToAction::Step()
{
    TVxDemoScriptAction::Step();
    FPlayback.SetPointerPos(FTarget);
}

void TVxDemoScriptPauseAction::Perform()
{
    FTimer.Begin(DemoPauseDurationMs(FParams.Number(0), 1000), FPlayback.Platform().TickCount());
}

void TVxDemoScriptPauseAction::Step()
{
    const bool first = !FPerformed;
    TVxDemoScriptAction::Step();
    if (first || FTimer.IsFinished())
        return;
    FTimer.Step(FPlayback.Platform().TickCount());
    // A user who moved the mouse meanwhile sees it come back.
    FPlayback.Platform().SetCursorPos(FPlayback.PointerPos());
}

void TVxDemoScriptPauseAction::Resume()
{
    FTimer.Resume(FPlayback.Platform().TickCount());
}

TVxDemoScriptBalloonAction::~TVxDemoScriptBalloonAction()
{
    IVxDemoPlatform& platform = FPlayback.Platform();
    platform.EnableHints(true);
    platform.DestroyBalloon();
    if (FShown)
        platform.ShowCursor(true);
}

std::string TVxDemoScriptBalloonAction::ResolveText() const
{
    const std::string text = FParams.Text(0);
    if (text.size() > 1 && text[0] == '%')
        return FPlayback.Script().LocalizedValue(std::string_view(text).substr(1), FPlayback.Platform().Language());
    if (text.size() > 1 && text[0] == '&') {
        if (const std::optional<std::int32_t> id = ParseDemoInteger(std::string_view(text).substr(1)))
            return FPlayback.Platform().LocalString(*id);
    }
    return FPlayback.Platform().AnsiToUtf8(text);
}

void TVxDemoScriptBalloonAction::Perform()
{
    IVxDemoPlatform& platform = FPlayback.Platform();
    FTimer.Begin(DemoPauseDurationMs(FParams.Number(1), 3000), platform.TickCount());
    if (const std::optional<double> position = FParams.Number(2); position && *position > 0 && *position <= 4)
        FPosition = static_cast<int>(std::max(1.0, std::nearbyint(*position)));
    FText = ResolveText();
    FAnchor = FPlayback.PointerPos();
    if (FText.empty()) {
        FTimer.Finish();
        return;
    }
    Show(true);
}

void TVxDemoScriptBalloonAction::Show(bool show)
{
    IVxDemoPlatform& platform = FPlayback.Platform();
    platform.EnableHints(!show);
    if (show)
        platform.ShowBalloon(FAnchor, FText, FPosition);
    else
        platform.HideBalloon();
    if (show != FShown)
        platform.ShowCursor(!show);
    FShown = show;
}

void TVxDemoScriptBalloonAction::Pause()
{
    if (!FText.empty())
        Show(false);
}

void TVxDemoScriptBalloonAction::Resume()
{
    TVxDemoScriptPauseAction::Resume();
    if (!FText.empty() && !FTimer.IsFinished())
        Show(true);
}

TVxDemoScriptMouseButtonAction::TVxDemoScriptMouseButtonAction(TVxDemoPlayback& playback,
                                                               const TVxDemoScriptParams& params, bool primary,
                                                               bool down)
    : TVxDemoScriptAction(playback, params), FPrimary(primary), FDown(down)
{
}

void TVxDemoScriptMouseButtonAction::Perform()
{
    IVxDemoPlatform& platform = FPlayback.Platform();
    platform.SetCursorPos(FPlayback.PointerPos());
    platform.SendButton(PhysicalButton(platform, FPrimary), FDown);
    if (FPrimary)
        FPlayback.SetLeftButtonHeld(FDown);
}

void TVxDemoScriptMouseSpeedAction::Perform()
{
    if (const std::optional<std::uint16_t> speed = AcceptDemoMouseSpeed(FParams.Number(0)))
        FPlayback.SetMouseSpeed(*speed);
}

namespace {

template <typename TAction>
std::unique_ptr<TVxDemoScriptAction> Make(TVxDemoPlayback& playback, const TVxDemoScriptParams& params)
{
    return std::make_unique<TAction>(playback, params);
}

std::unique_ptr<TVxDemoScriptAction> Button(TVxDemoPlayback& playback, bool primary, bool down)
{
    return std::make_unique<TVxDemoScriptMouseButtonAction>(playback, NoParams(), primary, down);
}

// Only the move gets the line's arguments; the buttons get none.
std::unique_ptr<TVxDemoScriptAction> Macro(TVxDemoPlayback& playback, const TVxDemoScriptParams& params,
                                           std::string_view command)
{
    auto macro = std::make_unique<TVxDemoScriptMacroAction>(playback, NoParams());
    if (command == "MOUSECLICK" || command == "MOUSELEFTCLICK") {
        macro->Add(Make<TVxDemoScriptMouseMoveAction>(playback, params));
        macro->Add(Button(playback, true, true));
        macro->Add(Button(playback, true, false));
    } else if (command == "MOUSEDRAG" || command == "MOUSEDRAGANDDROP") {
        macro->Add(Button(playback, true, true));
        macro->Add(Make<TVxDemoScriptMouseCurvedMoveAction>(playback, params));
        macro->Add(Button(playback, true, false));
    } else if (command == "MOUSEDBLCLICK" || command == "MOUSELEFTDBLCLICK") {
        macro->Add(Make<TVxDemoScriptMouseCurvedMoveAction>(playback, params));
        for (int i = 0; i < 2; ++i) {
            macro->Add(Button(playback, true, true));
            macro->Add(Button(playback, true, false));
        }
    } else {  // MOUSERIGHTCLICK
        macro->Add(Make<TVxDemoScriptMouseCurvedMoveAction>(playback, params));
        macro->Add(Button(playback, false, true));
        macro->Add(Button(playback, false, false));
    }
    return macro;
}

}  // namespace

std::unique_ptr<TVxDemoScriptAction> CreateDemoAction(TVxDemoPlayback& playback, std::string_view text)
{
    const TVxDemoScriptLine line = ParseDemoScriptLine(text);
    if (line.IsComment())
        return nullptr;
    TVxDemoScriptParams params;
    params.Parse(line.Arguments);
    const std::string& c = line.Command;
    if (c == "PAUSE")
        return Make<TVxDemoScriptPauseAction>(playback, params);
    if (c == "MESSAGE")
        return Make<TVxDemoScriptBalloonAction>(playback, params);
    if (c == "MOUSETO")
        return Make<TVxDemoScriptMouseToAction>(playback, params);
    if (c == "MOUSEMOVE")
        return Make<TVxDemoScriptMouseMoveAction>(playback, params);
    if (c == "MOUSECURVEDMOVE")
        return Make<TVxDemoScriptMouseCurvedMoveAction>(playback, params);
    if (c == "MOUSECLICK" || c == "MOUSELEFTCLICK" || c == "MOUSEDRAG" || c == "MOUSEDRAGANDDROP" ||
        c == "MOUSEDBLCLICK" || c == "MOUSELEFTDBLCLICK" || c == "MOUSERIGHTCLICK")
        return Macro(playback, params, c);
    if (c == "MOUSEDOWN" || c == "MOUSELEFTDOWN")
        return Button(playback, true, true);
    if (c == "MOUSEUP" || c == "MOUSELEFTUP")
        return Button(playback, true, false);
    if (c == "MOUSERIGHTDOWN")
        return Button(playback, false, true);
    if (c == "MOUSERIGHTUP")
        return Button(playback, false, false);
    if (c == "MOUSESPEED")
        return Make<TVxDemoScriptMouseSpeedAction>(playback, params);
    return std::make_unique<TVxDemoScriptUserAction>(playback, params, c);
}
