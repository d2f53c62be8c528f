#include "plugin/PluginTestSupport.h"

#include <vector>

namespace vxhost {

fs::path BuildPath(const char* path)
{
    std::string text = path;
    if (!text.empty() && text.front() == '/')
        text = "Z:" + text;
    for (char& c : text)
        if (c == '/')
            c = '\\';
    return fs::path(text);
}

std::wstring QuotedArgument(const std::wstring& argument)
{
    // Backslashes are literal except before a quote, where each is doubled.
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

DWORD RunAndWait(const std::wstring& commandLine)
{
    std::wstring line = commandLine;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info))
        return static_cast<DWORD>(-1);
    WaitForSingleObject(info.hProcess, 60000);
    DWORD code = static_cast<DWORD>(-1);
    GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return code;
}

bool RegAdd(const std::wstring& type, const std::wstring& data)
{
    return RunAndWait(L"reg.exe add " + QuotedArgument(std::wstring(L"HKLM\\") + ApplicationKey) + L" /ve /t " + type +
                      L" /d " + QuotedArgument(data) + L" /f") == 0;
}

bool RegSetRaw(DWORD type, const void* data, DWORD size)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, ApplicationKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    const bool done = RegSetValueExW(key, nullptr, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return done;
}

void RegRemoveKey()
{
    RunAndWait(L"reg.exe delete " + QuotedArgument(std::wstring(L"HKLM\\") + ApplicationKey) + L" /f");
}

TScopedEnvironment::TScopedEnvironment(const wchar_t* name, const std::wstring& value) : FName(name)
{
    std::vector<wchar_t> old(32768);
    const DWORD length = GetEnvironmentVariableW(name, old.data(), static_cast<DWORD>(old.size()));
    if (length > 0 && length < old.size())
        FOld = std::wstring(old.data(), length);
    SetEnvironmentVariableW(name, value.c_str());
}

TScopedEnvironment::~TScopedEnvironment()
{
    SetEnvironmentVariableW(FName.c_str(), FOld ? FOld->c_str() : nullptr);
}

} // namespace vxhost
