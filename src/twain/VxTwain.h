#pragma once
// The TWAIN component: the platform's data source manager, its sources, the user's choice
// of source and the acquisition of one picture into a BMP file.
//
//   TVxTwain twain;
//   std::vector<std::wstring> names = twain.SourceNames(window);
//   if (twain.Acquire(window, names[0], file)) editor.OpenUntitled(file);
#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "twain/VxTwainProtocol.h"

class TVxTwain {
public:
    TVxTwain();
    ~TVxTwain();
    TVxTwain(const TVxTwain&) = delete;
    TVxTwain& operator=(const TVxTwain&) = delete;

    // The data source manager could be loaded.
    bool Available() const { return FEntry != nullptr; }
    std::vector<std::wstring> SourceNames(HWND parent);
    // The manager's own dialog; the chosen source becomes the one Acquire uses by default.
    bool SelectSource(HWND parent);
    // The source's own dialog, then one picture transferred into file (a BMP). An empty
    // name uses the selected (or the manager's default) source. False on cancel or failure.
    bool Acquire(HWND parent, const std::wstring& sourceName, const std::filesystem::path& file);
    bool Busy() const { return FBusy; }

private:
    bool OpenManager(HWND parent);
    void CloseManager();
    TW_UINT16 Call(TW_IDENTITY* destination, TW_UINT32 group, TW_UINT16 argument, TW_UINT16 message, void* data);
    bool FindSource(const std::wstring& name, TW_IDENTITY& source);
    bool TransferLoop(TW_IDENTITY& source, const std::filesystem::path& file);

    HMODULE FLibrary = nullptr;
    TDSMEntry FEntry = nullptr;
    TW_IDENTITY FApp{};
    TW_IDENTITY FSelected{};
    HWND FParent = nullptr;
    bool FOpen = false;
    bool FBusy = false;
};
