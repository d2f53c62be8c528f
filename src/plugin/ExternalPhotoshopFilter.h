#pragma once
// A filter that hands the host's pixels to another program: the rectangle goes into an
// exchange file, the program runs on it, and what it wrote back (exit code 0) replaces
// the rectangle. All of it happens inside Start.
#include <windows.h>

#include <string>

#include "plugin/PhotoshopFilter.h"

class TExternalPhotoshopFilter : public TPhotoshopFilter {
public:
    TExternalPhotoshopFilter(const std::wstring& applicationPath, const std::wstring& aboutText,
                             const std::wstring& aboutCaption);

    // The program's folder (no trailing backslash) is its working folder; it follows the
    // path unless it was set before.
    const std::wstring& ApplicationDir() const { return FApplicationDir; }
    const std::wstring& ApplicationPath() const { return FApplicationPath; }
    void SetApplicationPath(const std::wstring& value);

    PI::OSErr Start(PI::FilterRecord* record) override;

private:
    PI::OSErr RunOnFile(PI::FilterRecord& record, HWND owner, const TExchangeHostImage& input);
    // The started program's process, or nothing (the reason in error).
    HANDLE StartApplication(const std::wstring& file, DWORD& error) const;
    PI::OSErr TakeResult(PI::FilterRecord& record, HWND owner, const std::wstring& file);

    std::wstring FApplicationDir;
    std::wstring FApplicationPath;
    bool FRunning = false;
};

// The command line that starts program on file: both quoted; nothing when program is
// not an absolute path a quote cannot break out of.
std::wstring ApplicationCommandLine(const std::wstring& program, const std::wstring& file);

// Waits for the process to end, dispatching the calling thread's messages meanwhile
// (the host's windows keep painting), with owner's top-level window disabled so the
// user cannot close the picture or start the filter again; returns the exit code.
DWORD WaitForProcess(HANDLE process, HWND owner);
