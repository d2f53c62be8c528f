#pragma once
// A module that lets a test program on the same desktop drive and observe the running
// program. It exists only when the environment variable VELLORIA_TEST_PROBE names a log
// file: it then writes what happens there, one line per event, and takes commands as
// WM_COPYDATA messages to the main window (cross-process drops cannot carry an HDROP,
// so a drop arrives as a DROPFILES block that the probe turns into a real WM_DROPFILES).
// With VELLORIA_TEST_PROBE_QUIT=1 it closes the program after the first idle (timing runs),
// with VELLORIA_TEST_PROBE_MENU=1 it opens the View menu then (screenshots).
// It works on the editor's standard toolbar and the tool panel; only where those are
// missing does it put a sample toolbar and a dockable panel into the window, so the
// docking code is still exercised. prbCommand drives the editor (zoom, browsing, menu and
// button clicks, keys and pointer moves on the view, an undoable edit) and prbQuery logs
// its state (zoom, origin, scroll bars, status bar, modified flag, undo cursor, caption).
// With VELLORIA_TEST_PROBE_SCRIPT naming a file of prbCommand texts, one a line, it plays
// them after the first idle and closes the program (memory measurements).
#include <filesystem>
#include <memory>
#include <string>

#include "app/VxDockablePanel.h"
#include "app/VxMenuItem.h"
#include "app/VxToolbar.h"
#include "app/VxMainForm.h"
#include "app/VxModule.h"

// dwData of the WM_COPYDATA commands.
enum TVxProbeCommand : ULONG_PTR {
    prbDrop = 0x50524F44,      // payload: a DROPFILES block with wide names
    prbLanguage = 0x474E414C,  // payload: the 16-bit language id
    prbPostChain = 0x54534F50, // a posted call that posts another
    prbCaptions = 0x53504143,  // log the current captions
    prbCommand = 0x444E4D43,   // payload: a wide command text for the editor (see RunCommand)
    prbQuery = 0x59524551,     // log the editor's state as one "state" line
};

class TMainForm;

class TVxTestProbe : public TVxModuleWithControls {
public:
    TVxTestProbe(TVxComponent* owner, std::filesystem::path logFile);

    void Localize() override;
    void UpdateControls() override;
    void Initialize() override;
    void Started() override;

private:
    void Log(const std::wstring& line) const;
    void CopyData(const COPYDATASTRUCT* data);
    void DropFile(TMainForm* form, const std::wstring& fileName);
    void Drop(const void* block, std::size_t size);
    void SwitchLanguage(std::uint16_t languageId);
    void LogCaptions(const std::wstring& when);
    void LogCaptionsLater(void* data);
    void FirstPostedCall(void* data);
    void SecondPostedCall(void* data);
    void RunCommand(const std::wstring& command);
    void RunScript(void* data);
    void LogState();
    void CreateSampleToolbar();
    void CreateSamplePanel();

    std::filesystem::path FLogFile;
    bool FIdleSeen = false;
    TVxToolbar* FToolbar = nullptr;
    TVxDockablePanel* FPanel = nullptr;
    std::unique_ptr<TVxToolbar> FOwnedPanelToolbar;
    TVxToolbar* FPanelToolbar = nullptr;
    TVxMenuItem* FPanelMenuItem = nullptr;
    TMainForm::TDropFileEvent FPreviousDrop;
};
