#pragma once
// What the plug-in's Wine tests share: the registry value the installer would write (set
// here with reg.exe, as a test's own set-up), environment variables set for one test,
// and paths of the build as Windows sees them.
#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>

namespace vxhost {

namespace fs = std::filesystem;

inline const wchar_t* const ApplicationKey = L"SOFTWARE\\Orvik\\Kestrel\\Velloria";

// Paths of the build are Linux paths when the test runs under Wine (drive Z:).
fs::path BuildPath(const char* path);

// One argument quoted for a command line so that the program's argv gets it unchanged.
std::wstring QuotedArgument(const std::wstring& argument);

// Runs a program with arguments and waits for it; its exit code.
DWORD RunAndWait(const std::wstring& commandLine);

// reg.exe add of the key's default value (type such as L"REG_SZ"); true when it worked.
bool RegAdd(const std::wstring& type, const std::wstring& data);
// Raw data of any type, for values reg.exe cannot write (no terminator, zero length).
bool RegSetRaw(DWORD type, const void* data, DWORD size);
void RegRemoveKey();

// Sets an environment variable until the object goes, then restores the old value.
class TScopedEnvironment {
public:
    TScopedEnvironment(const wchar_t* name, const std::wstring& value);
    ~TScopedEnvironment();
    TScopedEnvironment(const TScopedEnvironment&) = delete;
    TScopedEnvironment& operator=(const TScopedEnvironment&) = delete;

private:
    std::wstring FName;
    std::optional<std::wstring> FOld;
};

} // namespace vxhost
