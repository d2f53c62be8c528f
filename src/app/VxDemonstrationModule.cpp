#include "app/VxDemonstrationModule.h"

#include <cmath>

#include "app/VxMainForm.h"
#include "i18n/VxCodePage.h"
#include "i18n/VxLocalizer.h"

TVxDemonstrationModule* DemonstrationModule = nullptr;

namespace {

constexpr std::int32_t LessonsCaption = 37;
constexpr std::int32_t StopQuestion = 172;
constexpr std::int32_t LessonOver = 725;

std::wstring Caption()
{
    return Localizer().GetString(LessonsCaption, L"Lessons");
}

}  // namespace

TVxDemonstrationModule::TVxDemonstrationModule(TVxComponent* owner)
    : TVxModule(owner), FPlatform(std::make_unique<TVxDemoWin32Platform>(&Localizer())),
      FPlayback(std::make_unique<TVxDemoPlayback>(*FPlatform)),
      FLessonsFolder(Application->ExeName().parent_path() / L"Demo")
{
    TVxDemoPlayback& playback = *FPlayback;
    FPlatform->SetTick([&playback] { return playback.Tick(); });
    playback.OnUserCommand = [this](TVxDemoPlayback&, const std::string& name, bool& handled,
                                    TVxDemoScriptMacroAction&, const TVxDemoScriptParams& params) {
        ExecuteCommand(name, handled, params);
    };
    playback.OnResolveTarget = [this](TVxDemoPlayback&, const TVxDemoScriptParams& params, TVxDemoPoint& point) {
        return ResolveTarget(params, point);
    };
    playback.OnBeforePlay = [this](TVxDemoPlayback&, bool& cancel) { BeforePlay(cancel); };
    playback.OnQueryStop = [this](TVxDemoPlayback&, bool& allow) { QueryStop(allow); };
    playback.OnFinish = [this](TVxDemoPlayback&) { Finish(); };
    playback.OnError = [this](TVxDemoPlayback&, const std::string& message, bool& stop, const std::string& line) {
        ShowError(message, line);
        stop = true;
    };
    FKeyboardHook = SetWindowsHookExW(WH_KEYBOARD, &KeyboardHook, nullptr, GetCurrentThreadId());
    FActivationHook = SetWindowsHookExW(WH_CALLWNDPROC, &ActivationHook, nullptr, GetCurrentThreadId());
}

// The playback goes first: it ends its ticker while the platform still exists.
TVxDemonstrationModule::~TVxDemonstrationModule()
{
    if (FKeyboardHook)
        UnhookWindowsHookEx(FKeyboardHook);
    if (FActivationHook)
        UnhookWindowsHookEx(FActivationHook);
    FPlayback.reset();
    FPlatform.reset();
    DemonstrationModule = nullptr;
}

bool TVxDemonstrationModule::PlayLesson(const std::wstring& name)
{
    const std::filesystem::path file = FLessonsFolder / (name + L".dsc");
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error) || FPlayback->IsActive())
        return false;
    TVxDemoScript script;
    try {
        script.LoadFromFile(file);
    } catch (const std::exception&) {
        return false;
    }
    FPlayback->SetScript(script);
    return FPlayback->Play(0);
}

// A key that stops lessons asks whether to stop; its key-up is swallowed too.
LRESULT CALLBACK TVxDemonstrationModule::KeyboardHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && DemonstrationModule) {
        const bool up = (lParam & 0x80000000) != 0;
        TVxDemoPlayback& playback = DemonstrationModule->Playback();
        if (up ? playback.KeyUp(static_cast<std::uint32_t>(wParam)) : playback.KeyDown(static_cast<std::uint32_t>(wParam)))
            return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Another program taking the foreground pauses a running lesson; coming back resumes it
// where it was (a move does not jump ahead by the time spent away).
LRESULT CALLBACK TVxDemonstrationModule::ActivationHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && DemonstrationModule && DemonstrationModule->Playback().IsActive()) {
        const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (message->message == WM_ACTIVATEAPP && MainForm && message->hwnd == MainForm->Handle()) {
            if (message->wParam)
                DemonstrationModule->Playback().ApplicationActivated();
            else
                DemonstrationModule->Playback().ApplicationDeactivated();
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void TVxDemonstrationModule::ExecuteCommand(const std::string& name, bool& handled, const TVxDemoScriptParams&)
{
    TVxCommand* command = MainForm ? MainForm->Commands.Find(Utf8ToWide(name)) : nullptr;
    if (!command)
        return;
    handled = true;
    Application->Idle();  // as after the user's own pointer movement: enabled states are fresh
    if (command->Enabled())
        command->Execute();
}

bool TVxDemonstrationModule::ResolveTarget(const TVxDemoScriptParams& params, TVxDemoPoint& point)
{
    TVxCommand* command = MainForm ? MainForm->Commands.Find(Utf8ToWide(params.Text(0))) : nullptr;
    if (!command)
        return false;
    for (const TVxToolbarItem* button : command->Buttons()) {
        RECT rect{};
        if (button->Visible() && button->ScreenRect(rect)) {
            point = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
            return true;
        }
    }
    return false;
}

void TVxDemonstrationModule::BeforePlay(bool&)
{
    FSavedTitle = Application->Title();
    const std::string title = FPlayback->Script().Title(FPlatform->Language());
    Application->SetTitle(FSavedTitle + L" - " + Utf8ToWide(title));
}

void TVxDemonstrationModule::RestoreTitle()
{
    if (!FSavedTitle.empty())
        Application->SetTitle(FSavedTitle);
    FSavedTitle.clear();
}

void TVxDemonstrationModule::QueryStop(bool& allow)
{
    allow = Application->ShowMessageBox(Localizer().GetString(StopQuestion, L"Do you want to stop the lesson?"),
                                        Caption(), MB_YESNO | MB_ICONQUESTION) == IDYES;
    if (allow)
        RestoreTitle();
}

void TVxDemonstrationModule::Finish()
{
    RestoreTitle();
    Application->ShowMessageBox(Localizer().GetString(LessonOver, L"The lesson is over."), Caption(),
                                MB_OK | MB_ICONINFORMATION);
}

void TVxDemonstrationModule::ShowError(const std::string& message, const std::string& line)
{
    RestoreTitle();
    Application->ShowMessageBox(Utf8ToWide(message + "\n" + line), Caption(), MB_OK | MB_ICONERROR);
}
