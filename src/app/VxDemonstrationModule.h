#pragma once
// The program's one lesson player: it owns the playback, reaches the program's named
// commands and their toolbar buttons for the lesson lines, asks before a lesson is
// stopped, and reports errors and the end of a lesson.
//
//   DemonstrationModule->PlayLesson(L"Tour");   // Demo\Tour.dsc next to the program
#include <windows.h>

#include <filesystem>
#include <memory>
#include <string>

#include "app/VxDemoWin32Platform.h"
#include "app/VxModule.h"
#include "demo/VxDemoPlayback.h"

class TVxDemonstrationModule : public TVxModule {
public:
    explicit TVxDemonstrationModule(TVxComponent* owner);
    ~TVxDemonstrationModule() override;

    // Starts lessons folder + name + ".dsc"; false when there is no such lesson, it cannot
    // be read or a lesson is already running.
    bool PlayLesson(const std::wstring& name);
    TVxDemoPlayback& Playback() { return *FPlayback; }
    const std::filesystem::path& LessonsFolder() const { return FLessonsFolder; }

private:
    void ExecuteCommand(const std::string& name, bool& handled, const TVxDemoScriptParams& params);
    bool ResolveTarget(const TVxDemoScriptParams& params, TVxDemoPoint& point);
    void BeforePlay(bool& cancel);
    void QueryStop(bool& allow);
    void Finish();
    void ShowError(const std::string& message, const std::string& line);
    void RestoreTitle();
    static LRESULT CALLBACK KeyboardHook(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ActivationHook(int code, WPARAM wParam, LPARAM lParam);

    std::unique_ptr<TVxDemoWin32Platform> FPlatform;
    std::unique_ptr<TVxDemoPlayback> FPlayback;
    std::filesystem::path FLessonsFolder;
    std::wstring FSavedTitle;
    HHOOK FKeyboardHook = nullptr;
    HHOOK FActivationHook = nullptr;
};

extern TVxDemonstrationModule* DemonstrationModule;
