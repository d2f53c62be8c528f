#include "plugin/ExternalPhotoshopFilter.h"

#include "plugin/FileUtils.h"
#include "plugin/PluginStrings.h"

namespace {

void ReportError(HWND owner, const std::wstring& text)
{
    MessageBoxW(owner, text.c_str(), PluginString(PluginStrings::ErrorCaption).c_str(), MB_OK | MB_ICONERROR);
}

TExchangeHostImage HostImageOf(const TExchangeHeader& header)
{
    TExchangeHostImage host;
    host.ImageMode = header.ImageMode;
    host.Left = header.Left;
    host.Top = header.Top;
    host.Right = header.Left + header.Width;
    host.Bottom = header.Top + header.Height;
    host.Planes = header.Planes;
    host.RowBytes = header.RowBytes;
    return host;
}

// The host's rectangles are cleared on every way out of Start, so it calls no Continue.
class TClearRequestsAtEnd {
public:
    explicit TClearRequestsAtEnd(PI::FilterRecord& record) : FRecord(record) {}
    TClearRequestsAtEnd(const TClearRequestsAtEnd&) = delete;
    TClearRequestsAtEnd& operator=(const TClearRequestsAtEnd&) = delete;
    ~TClearRequestsAtEnd() { TPhotoshopFilter::ClearRequests(FRecord); }

private:
    PI::FilterRecord& FRecord;
};

// The host's window takes no input while our program runs: the messages we dispatch
// for it could otherwise close its picture (freeing the buffers we write into later) or
// run the filter again. Enabled again only if it was enabled before.
class TDisabledWindow {
public:
    explicit TDisabledWindow(HWND window) : FWindow(window ? GetAncestor(window, GA_ROOT) : nullptr)
    {
        if (FWindow && EnableWindow(FWindow, FALSE))
            FWindow = nullptr; // it was disabled already: leave it as it is
    }
    TDisabledWindow(const TDisabledWindow&) = delete;
    TDisabledWindow& operator=(const TDisabledWindow&) = delete;
    ~TDisabledWindow()
    {
        if (FWindow && IsWindow(FWindow)) {
            EnableWindow(FWindow, TRUE);
            SetForegroundWindow(FWindow);
        }
    }

private:
    HWND FWindow;
};

// Set while a round trip runs, cleared however it ends (an allocation may throw).
class TRunningFlag {
public:
    explicit TRunningFlag(bool& flag) : FFlag(flag) { FFlag = true; }
    TRunningFlag(const TRunningFlag&) = delete;
    TRunningFlag& operator=(const TRunningFlag&) = delete;
    ~TRunningFlag() { FFlag = false; }

private:
    bool& FFlag;
};

class TProcessHandle {
public:
    explicit TProcessHandle(HANDLE handle) : FHandle(handle) {}
    TProcessHandle(const TProcessHandle&) = delete;
    TProcessHandle& operator=(const TProcessHandle&) = delete;
    ~TProcessHandle()
    {
        if (FHandle)
            CloseHandle(FHandle);
    }
    HANDLE Get() const { return FHandle; }

private:
    HANDLE FHandle;
};

bool IsAbsolutePath(const std::wstring& path)
{
    const bool drive = path.size() >= 3 && iswalpha(path[0]) && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/');
    const bool unc = path.size() >= 3 && path[0] == L'\\' && path[1] == L'\\';
    return drive || unc;
}

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

} // namespace

std::wstring ApplicationCommandLine(const std::wstring& program, const std::wstring& file)
{
    // No file name holds a double quote, so a quote in either path can only be an
    // attempt to end the quoted part early and pass something else; a relative program
    // path would be looked for in the host's current folder.
    if (!IsAbsolutePath(program) || program.find(L'"') != std::wstring::npos || file.empty()
        || file.find(L'"') != std::wstring::npos || file.back() == L'\\')
        return {};
    return Quoted(program) + L" " + Quoted(file);
}

DWORD WaitForProcess(HANDLE process, HWND owner)
{
    TDisabledWindow disabled(owner);
    bool quit = false;
    WPARAM quitCode = 0;
    // Waiting on the handle rather than polling the exit code: a program may well end
    // with the code 259 that also means "still running".
    while (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                quit = true;
                quitCode = message.wParam;
                continue;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        MsgWaitForMultipleObjects(1, &process, FALSE, 100, QS_ALLINPUT);
    }
    // The host's own loop still has to see a quit request we took from its queue.
    if (quit)
        PostQuitMessage(static_cast<int>(quitCode));
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(process, &exitCode))
        exitCode = static_cast<DWORD>(-1);
    return exitCode;
}

TExternalPhotoshopFilter::TExternalPhotoshopFilter(const std::wstring& applicationPath, const std::wstring& aboutText,
                                                   const std::wstring& aboutCaption)
{
    SetApplicationPath(applicationPath);
    SetAboutCaption(aboutCaption);
    SetAboutText(aboutText);
}

void TExternalPhotoshopFilter::SetApplicationPath(const std::wstring& value)
{
    FApplicationPath = value;
    if (FApplicationDir.empty()) {
        const std::size_t slash = value.rfind(L'\\');
        if (slash != std::wstring::npos)
            FApplicationDir = value.substr(0, slash);
    }
}

PI::OSErr TExternalPhotoshopFilter::Start(PI::FilterRecord* record)
{
    if (!record)
        return PI::filterBadParameters;
    // A host that ignores the disabled window and calls again while our program runs
    // gets nothing done, rather than a second round trip over the same buffers.
    if (FRunning)
        return PI::userCanceledErr;
    TClearRequestsAtEnd clear(*record);
    // The exchange file carries 8-bit RGB only; any other picture would reach the main
    // program only to be refused there.
    if (record->imageMode != PI::plugInModeRGBColor || record->planes < 3)
        return PI::filterBadMode;
    const HWND owner = HostWindow(record->platformData);
    void* input = nullptr;
    TExchangeHeader header;
    if (!RequestInput(record->filterRect, *record, input, header)) {
        ReportError(owner, PluginString(PluginStrings::GetImageDataError));
        return PI::openErr;
    }
    const TRunningFlag running(FRunning);
    return RunOnFile(*record, owner, HostImageOf(header));
}

PI::OSErr TExternalPhotoshopFilter::RunOnFile(PI::FilterRecord& record, HWND owner, const TExchangeHostImage& input)
{
    const TTempFile file(L"PSPF");
    if (!file || !WriteExchangeFile(file.Path(), input, static_cast<const std::uint8_t*>(record.inData))) {
        ReportError(owner, PluginString(PluginStrings::CreateTempFileError));
        return PI::openErr;
    }
    DWORD error = ERROR_SUCCESS;
    const TProcessHandle process(StartApplication(file.Path(), error));
    if (!process.Get()) {
        ReportError(owner, PluginString(PluginStrings::ExecuteApplication) + L" " + Quoted(FApplicationPath) +
                               PluginString(PluginStrings::ExecuteError) + std::to_wstring(error));
        return PI::openErr;
    }
    // From here on a program ran: anything short of its result is the user's cancel.
    if (WaitForProcess(process.Get(), owner) != 0)
        return PI::userCanceledErr;
    return TakeResult(record, owner, file.Path());
}

HANDLE TExternalPhotoshopFilter::StartApplication(const std::wstring& file, DWORD& error) const
{
    std::wstring commandLine = ApplicationCommandLine(FApplicationPath, file);
    if (commandLine.empty()) {
        error = FApplicationPath.empty() ? ERROR_FILE_NOT_FOUND : ERROR_BAD_PATHNAME;
        return nullptr;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWMAXIMIZED;
    PROCESS_INFORMATION info{};
    // The program is named on its own as well, so it is that file that runs and no other
    // reading of the command line.
    if (!CreateProcessW(FApplicationPath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        FApplicationDir.empty() ? nullptr : FApplicationDir.c_str(), &startup, &info)) {
        error = GetLastError();
        return nullptr;
    }
    CloseHandle(info.hThread);
    return info.hProcess;
}

PI::OSErr TExternalPhotoshopFilter::TakeResult(PI::FilterRecord& record, HWND owner, const std::wstring& file)
{
    void* output = nullptr;
    TExchangeHeader header;
    if (!RequestOutput(record.filterRect, record, output, header)) {
        ReportError(owner, PluginString(PluginStrings::GetOutImageDataError));
        return PI::userCanceledErr;
    }
    switch (ReadExchangeFile(file, HostImageOf(header), static_cast<std::uint8_t*>(output))) {
    case TExchangeReadBack::Copied: return PI::noErr;
    case TExchangeReadBack::NotExchange: return PI::userCanceledErr;
    case TExchangeReadBack::Mismatch: break;
    }
    ReportError(owner, PluginString(PluginStrings::TransferImageDataError));
    return PI::userCanceledErr;
}
