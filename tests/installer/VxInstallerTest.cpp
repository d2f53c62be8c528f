// The installer of this build, run silently as a user's deployment tool would: what it
// puts where, the registry value the filter plug-in reads, the installed program
// starting, and a silent uninstall that leaves nothing behind.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "app/VxProgramDriver.h"
#include "plugin/FilterHost.h"

namespace {

namespace fs = std::filesystem;

constexpr wchar_t PluginKey[] = L"SOFTWARE\\Orvik\\Kestrel\\Velloria";
constexpr wchar_t UninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velloria";

// The registry view of this build.
constexpr DWORD View = sizeof(void*) == 8 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;

DWORD RunProcess(const std::wstring& commandLine, DWORD timeoutMs, HANDLE* keep = nullptr)
{
    std::wstring line = commandLine;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return static_cast<DWORD>(-1);
    CloseHandle(info.hThread);
    if (keep) {
        *keep = info.hProcess;
        return info.dwProcessId;
    }
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(info.hProcess, timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hProcess);
    return code;
}

std::wstring PluginValue()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, PluginKey, 0, KEY_READ | View, &key) != ERROR_SUCCESS)
        return {};
    wchar_t value[MAX_PATH * 2] = {};
    DWORD size = sizeof value - sizeof(wchar_t);
    DWORD type = 0;
    const LSTATUS status = RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_SZ ? std::wstring(value) : std::wstring();
}

bool KeyExists(const wchar_t* key)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_READ | View, &handle) != ERROR_SUCCESS)
        return false;
    RegCloseKey(handle);
    return true;
}

fs::path StartMenuFolder()
{
    wchar_t folder[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_COMMON_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, folder);
    return fs::path(folder) / L"Velloria";
}

struct TSearch {
    DWORD ProcessId;
    HWND Found;
};

BOOL CALLBACK VisitWindow(HWND window, LPARAM data)
{
    auto& s = *reinterpret_cast<TSearch*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (pid == s.ProcessId && std::wstring(name) == L"TMainForm" && IsWindowVisible(window))
        s.Found = window;
    return TRUE;
}

struct TInstalledSearch {
    std::wstring Program;
    HWND Found;
    DWORD ProcessId;
};

BOOL CALLBACK VisitInstalledWindow(HWND window, LPARAM data)
{
    auto& s = *reinterpret_cast<TInstalledSearch*>(data);
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (std::wstring(name) != L"TMainForm" || !IsWindowVisible(window))
        return TRUE;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process)
        return TRUE;
    wchar_t path[MAX_PATH * 2] = {};
    DWORD size = MAX_PATH * 2;
    if (QueryFullProcessImageNameW(process, 0, path, &size) && _wcsicmp(path, s.Program.c_str()) == 0) {
        s.Found = window;
        s.ProcessId = pid;
    }
    CloseHandle(process);
    return TRUE;
}

// The main window of whichever process runs the program file, once it is up.
TInstalledSearch WaitForProgramWindow(const fs::path& program, int timeoutMs)
{
    TInstalledSearch search{program.wstring(), nullptr, 0};
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    do {
        EnumWindows(&VisitInstalledWindow, reinterpret_cast<LPARAM>(&search));
        if (search.Found)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    } while (std::chrono::steady_clock::now() < end);
    return search;
}

// The main window of the process, once it is up.
HWND WaitForMainWindow(DWORD processId, HANDLE process, int timeoutMs)
{
    TSearch search{processId, nullptr};
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    do {
        EnumWindows(&VisitWindow, reinterpret_cast<LPARAM>(&search));
        if (search.Found || WaitForSingleObject(process, 0) == WAIT_OBJECT_0)
            return search.Found;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    } while (std::chrono::steady_clock::now() < end);
    return nullptr;
}

TEST(VxInstallerTest, SilentInstallRunsAndSilentUninstallLeavesNothing)
{
    const fs::path setup = vxtest::HostPath(VELLORIA_SETUP);
    ASSERT_TRUE(fs::exists(setup)) << setup;
    const fs::path root = fs::temp_directory_path() / (L"VxInstall" + std::to_wstring(GetCurrentProcessId()));
    const fs::path folder = root / L"Velloria";
    fs::remove_all(root);
    fs::create_directories(root);

    // /D= must come last and unquoted.
    ASSERT_EQ(RunProcess(L"\"" + setup.wstring() + L"\" /S /D=" + folder.wstring(), 120000), 0u);
    for (const wchar_t* file : {L"Velloria.exe", L"VelloriaPlugin.8bf", L"Velloria.chm", L"Velloria.Russian.chm", L"Languages\\English.ini",
                                L"Languages\\Russian.ini", L"Demo\\Tour.dsc", L"Uninstall.exe"})
        EXPECT_TRUE(fs::exists(folder / file)) << "not installed: " << fs::path(file).string();
    EXPECT_EQ(PluginValue(), (folder / L"Velloria.exe").wstring()) << "the value the plug-in reads";
    EXPECT_TRUE(KeyExists(UninstallKey));
    for (const wchar_t* shortcut : {L"Velloria.lnk", L"Velloria Help.lnk", L"Uninstall Velloria.lnk"})
        EXPECT_TRUE(fs::exists(StartMenuFolder() / shortcut)) << "no shortcut " << fs::path(shortcut).string();

    // A host loads the installed plug-in, which finds the installed program through the
    // value: the program comes up on the host's rectangle, and closing it is the user's
    // Cancel, so the host's picture stays as it was.
    {
        vxhost::TFilterHost host(folder / L"VelloriaPlugin.8bf");
        ASSERT_TRUE(host.Loaded()) << "the installed plug-in does not load";
        vxhost::THostImage image(64, 48, 3, 0, 7);
        const std::vector<std::uint8_t> before = image.Bytes;
        std::int16_t result = 1;
        vxhost::TBoxWatcher watcher;
        std::thread filter([&] {
            HWND owner = CreateWindowExW(0, L"STATIC", L"Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200,
                                         nullptr, nullptr, nullptr, nullptr);
            result = host.RunFilter(image, 8, 8, 40, 40, owner);
            DestroyWindow(owner);
        });
        const TInstalledSearch started = WaitForProgramWindow(folder / L"Velloria.exe", 30000);
        EXPECT_NE(started.Found, nullptr) << "the plug-in did not start the installed program";
        if (started.Found) {
            PostMessageW(started.Found, WM_CLOSE, 0, 0);
        } else if (HANDLE stray = OpenProcess(PROCESS_TERMINATE, FALSE, started.ProcessId)) {
            TerminateProcess(stray, 1);
            CloseHandle(stray);
        }
        filter.join();
        EXPECT_EQ(result, vxhost::hrCanceled);
        EXPECT_TRUE(image.Bytes == before) << "the host's picture changed on a cancelled run";
        for (const vxhost::TSeenBox& box : watcher.Boxes())
            ADD_FAILURE() << "a box was shown: " << std::string(box.Text.begin(), box.Text.end());
    }

    // The installed program starts from its folder, with its language files.
    HANDLE process = nullptr;
    const DWORD processId = RunProcess(L"\"" + (folder / L"Velloria.exe").wstring() + L"\"", 0, &process);
    ASSERT_NE(process, nullptr);
    const HWND window = WaitForMainWindow(processId, process, 30000);
    EXPECT_NE(window, nullptr) << "the installed program showed no main window";
    if (window)
        PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(process, 20000), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(process);

    // The uninstaller copies itself away and ends at once; its copy removes the folder.
    RunProcess(L"\"" + (folder / L"Uninstall.exe").wstring() + L"\" /S", 60000);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (fs::exists(folder) && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(fs::exists(folder)) << "the program folder is still there";
    EXPECT_FALSE(fs::exists(StartMenuFolder())) << "the Start-menu folder is still there";
    EXPECT_FALSE(KeyExists(PluginKey)) << "the plug-in's key is still there";
    EXPECT_FALSE(KeyExists(UninstallKey));
    std::error_code error;
    fs::remove_all(root, error);
}

}  // namespace
