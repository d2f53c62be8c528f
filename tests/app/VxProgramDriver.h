#pragma once
// Starts a copy of the real program (the test build, VelloriaTest.exe, unless told
// otherwise) under a name of its own and drives it through
// its test probe (VELLORIA_TEST_PROBE names the probe's log; commands arrive as
// WM_COPYDATA). Each copy has its own folder and so its own state file
// (%APPDATA%\<name>\<name>.cfg); both go when the driver does.
#include <windows.h>
#include <shlobj.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace vxtest {

namespace fs = std::filesystem;

// Paths of the build are Linux paths when the test runs under Wine.
inline fs::path HostPath(const char* path)
{
    std::string text = path;
    if (!text.empty() && text.front() == '/')
        text = "Z:" + text;
    for (char& c : text)
        if (c == '/')
            c = '\\';
    return fs::path(text);
}

inline fs::path AppDataFolder()
{
    wchar_t folder[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
    return folder;
}

inline std::string ReadAll(const fs::path& path)
{
    std::ifstream stream(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

class TProgramDriver {
public:
    // prefix and name make the copy's base name; sendTimeoutMs bounds each probe command.
    // The program is the test build with its probe unless exe names another.
    TProgramDriver(const std::wstring& prefix, const std::string& name, UINT sendTimeoutMs, const char* exe = VELLORIA_EXE)
        : FSendTimeoutMs(sendTimeoutMs)
    {
        static std::atomic<int> counter{0};
        FBaseName = prefix + std::wstring(name.begin(), name.end()) + std::to_wstring(GetCurrentProcessId()) + L"_" +
                    std::to_wstring(++counter);
        FFolder = fs::temp_directory_path() / FBaseName;
        fs::remove_all(FFolder);
        fs::create_directories(FFolder / L"Languages");
        fs::copy_file(HostPath(exe), FFolder / (FBaseName + L".exe"));
        for (const char* file : {"English.ini", "Russian.ini"})
            fs::copy_file(HostPath(VELLORIA_LANGUAGES) / file, FFolder / L"Languages" / file);
        fs::remove_all(AppDataFolder() / FBaseName);
    }
    // A program still running is ended without ceremony.
    ~TProgramDriver()
    {
        if (FProcess) {
            TerminateProcess(FProcess, 99);
            WaitForSingleObject(FProcess, 10000);
            CloseHandle(FProcess);
        }
        std::error_code error;
        fs::remove_all(FFolder, error);
        fs::remove_all(AppDataFolder() / FBaseName, error);
    }
    TProgramDriver(const TProgramDriver&) = delete;
    TProgramDriver& operator=(const TProgramDriver&) = delete;

    fs::path StateFile() const { return AppDataFolder() / FBaseName / (FBaseName + L".cfg"); }
    fs::path Folder() const { return FFolder; }
    HWND Window() const { return FWindow; }

    // Starts the program (with one argument, if any) and waits for its first idle moment.
    bool Start(const std::wstring& argument = L"")
    {
        return Launch(argument) && WaitForLog("idle") && (FWindow = FindMainWindow()) != nullptr;
    }

    // Starts the program and waits, without its probe's help, until its main window is up
    // and it waits for input.
    bool StartUnprobed()
    {
        if (!Launch(L""))
            return false;
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!(FWindow = FindMainWindow()) && std::chrono::steady_clock::now() < end) {
            if (WaitForSingleObject(FProcess, 0) == WAIT_OBJECT_0)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return FWindow && WaitForInputIdle(FProcess, 30000) == 0;
    }

    bool Send(ULONG_PTR command, const void* data = nullptr, std::size_t size = 0)
    {
        COPYDATASTRUCT copy{command, static_cast<DWORD>(size), const_cast<void*>(data)};
        DWORD_PTR result = 0;
        return SendMessageTimeoutW(FWindow, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy), SMTO_ABORTIFHUNG,
                                   FSendTimeoutMs, &result) &&
               result;
    }

    // Closes the main window the way the user does and waits for the exit code.
    DWORD Stop()
    {
        if (!FProcess)
            return FExitCode;
        if (FWindow && IsWindow(FWindow))
            PostMessageW(FWindow, WM_CLOSE, 0, 0);
        if (WaitForEnd(20000) == STILL_ACTIVE) {
            TerminateProcess(FProcess, 99);
            WaitForEnd(10000);
        }
        FWindow = nullptr;
        return FExitCode;
    }

    std::string Log() const { return ReadAll(FLog); }

    bool WaitForLog(const std::string& needle, int timeoutMs = 30000) const
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < end) {
            if (Log().find(needle) != std::string::npos)
                return true;
            if (FProcess && WaitForSingleObject(FProcess, 0) == WAIT_OBJECT_0)
                return Log().find(needle) != std::string::npos;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

protected:
    // Waits up to timeoutMs for the process to end and keeps its exit code; STILL_ACTIVE
    // when it does not.
    DWORD WaitForEnd(DWORD timeoutMs)
    {
        if (!FProcess)
            return FExitCode;
        if (WaitForSingleObject(FProcess, timeoutMs) != WAIT_OBJECT_0)
            return STILL_ACTIVE;
        GetExitCodeProcess(FProcess, &FExitCode);
        CloseHandle(FProcess);
        FProcess = nullptr;
        return FExitCode;
    }

    HANDLE FProcess = nullptr;
    DWORD FProcessId = 0;
    DWORD FExitCode = 0;
    HWND FWindow = nullptr;

    // The program's top-level windows for which keep(window, class name) holds.
    template <typename TKeep> std::vector<HWND> Windows(const TKeep& keep) const
    {
        struct TSearch {
            DWORD ProcessId;
            const TKeep& Keep;
            std::vector<HWND> Found;
        } search{FProcessId, keep, {}};
        struct TCallback {
            static BOOL CALLBACK Visit(HWND window, LPARAM data)
            {
                auto& s = *reinterpret_cast<TSearch*>(data);
                DWORD pid = 0;
                GetWindowThreadProcessId(window, &pid);
                wchar_t className[64] = {};
                GetClassNameW(window, className, 64);
                if (pid == s.ProcessId && s.Keep(window, std::wstring(className)))
                    s.Found.push_back(window);
                return TRUE;
            }
        };
        EnumWindows(TCallback::Visit, reinterpret_cast<LPARAM>(&search));
        return search.Found;
    }

private:
    // Starts the program with VELLORIA_TEST_PROBE naming a fresh log file.
    bool Launch(const std::wstring& argument)
    {
        FLog = FFolder / (L"run" + std::to_wstring(++FRuns) + L".log");
        SetEnvironmentVariableW(L"VELLORIA_TEST_PROBE", FLog.c_str());
        std::wstring commandLine = L"\"" + (FFolder / (FBaseName + L".exe")).wstring() + L"\"";
        if (!argument.empty())
            commandLine += L" \"" + argument + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        const BOOL created = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                            FFolder.c_str(), &startup, &info);
        SetEnvironmentVariableW(L"VELLORIA_TEST_PROBE", nullptr);
        if (!created)
            return false;
        CloseHandle(info.hThread);
        FProcess = info.hProcess;
        FProcessId = info.dwProcessId;
        return true;
    }

    HWND FindMainWindow() const
    {
        const auto found = Windows([](HWND, const std::wstring& className) { return className == L"TMainForm"; });
        return found.empty() ? nullptr : found.front();
    }

    UINT FSendTimeoutMs;
    std::wstring FBaseName;
    fs::path FFolder;
    fs::path FLog;
    int FRuns = 0;
};

} // namespace vxtest
