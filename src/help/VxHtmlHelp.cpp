#include "help/VxHtmlHelp.h"

#include <filesystem>

#include "help/VxHelpFile.h"

namespace {

// HH_DISPLAY_TOPIC and HH_HELP_CONTEXT of htmlhelp.h, which MinGW ships without its library.
constexpr UINT HhDisplayTopic = 0x0000;
constexpr UINT HhHelpContext = 0x000F;

std::wstring SystemFolder(UINT(WINAPI* query)(LPWSTR, UINT))
{
    wchar_t folder[MAX_PATH] = {};
    const UINT length = query(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(folder, length) : std::wstring();
}

std::wstring RegisteredControl()
{
    wchar_t value[MAX_PATH * 2] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CLASSES_ROOT, L"CLSID\\{adb880a6-d8ff-11cf-9377-00aa003b7a11}\\InprocServer32", nullptr,
                     RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, value, &size) != ERROR_SUCCESS)
        return {};
    return ExpandSystemRoot(value, SystemFolder(&GetWindowsDirectoryW));
}

// Only an absolute path: a bare name would be looked for in the current folder too.
HMODULE LoadFrom(const std::wstring& path)
{
    std::error_code error;
    if (path.empty() || !std::filesystem::path(path).is_absolute() || !std::filesystem::is_regular_file(path, error))
        return nullptr;
    return LoadLibraryW(path.c_str());
}

HMODULE LoadControl()
{
    // By name, but from the system folder only, so a file planted beside the program or in
    // the current folder is never taken for it.
    if (HMODULE library = LoadLibraryExW(L"hhctrl.ocx", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32))
        return library;
    if (HMODULE library = LoadFrom(RegisteredControl()))
        return library;
    return LoadFrom(SystemFolder(&GetSystemDirectoryW) + L"\\hhctrl.ocx");
}

}  // namespace

TVxHtmlHelp::~TVxHtmlHelp()
{
    if (FLibrary)
        FreeLibrary(FLibrary);
}

bool TVxHtmlHelp::Load()
{
    if (!FTried) {
        FTried = true;
        FLibrary = FLoader ? FLoader() : LoadControl();
        if (FLibrary)
            FHtmlHelpW = reinterpret_cast<THtmlHelpW>(reinterpret_cast<void*>(GetProcAddress(FLibrary, "HtmlHelpW")));
    }
    return FHtmlHelpW != nullptr;
}

HWND TVxHtmlHelp::Show(HWND owner, const std::wstring& file, int context)
{
    if (!Load())
        return nullptr;
    if (context == 0)
        return FHtmlHelpW(owner, file.c_str(), HhDisplayTopic, 0);
    return FHtmlHelpW(owner, file.c_str(), HhHelpContext, static_cast<DWORD_PTR>(context));
}
