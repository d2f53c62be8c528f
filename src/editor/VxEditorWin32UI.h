#pragma once
// The editor's dialogs and message boxes on Windows. The main window's menus and
// toolbar call the editor's commands; this side only answers the editor's questions.
#include <windows.h>

#include <cstdint>
#include <string>

#include "editor/VxEditor.h"

class TVxEditorWin32UI : public IVxEditorUI {
public:
    TVxEditorWin32UI(HWND mainWindow, std::wstring applicationTitle)
        : FMainWindow(mainWindow), FTitle(std::move(applicationTitle))
    {
    }

    std::wstring ApplicationTitle() const override { return FTitle; }
    TVxButton ShowMessage(const std::wstring& text, TVxMessageKind kind) override;
    std::optional<std::filesystem::path> RunOpenDialog(const TVxFileFormatArray& formats) override;
    std::optional<TVxSaveChoice> RunSaveDialog(const TVxFileFormatArray& formats, const std::filesystem::path& fileName,
                                               std::int32_t filterIndex) override;
    void ProcessMessages() override;
    void BeginWait() override;
    void EndWait() override;
    void SetCaption(const std::wstring& caption) override;
    // The process's exit code in plug-in mode; the application returns it from WinMain.
    void SetExitCode(std::int32_t code) override { FExitCode = code; }
    std::int32_t ExitCode() const { return FExitCode; }

    // The platform's box flags of a message kind, and the answer of its button code.
    static UINT MessageFlags(TVxMessageKind kind);
    static TVxButton ButtonOf(int code);

private:
    HWND FMainWindow;
    std::wstring FTitle;
    std::int32_t FExitCode = 0;
    int FWaitDepth = 0;
    HCURSOR FCursorBeforeWait = nullptr;
};

// The dialogs' filter: the "|"-separated text with NULs, ending in two.
std::wstring DialogFilter(const TVxFileFormatArray& formats);
