#include "separation/CollectionFolder.h"

#include <shlobj.h>
#include <windows.h>

namespace {

std::filesystem::path ProgramBaseName()
{
    wchar_t name[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, name, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return L"Velloria";
    return std::filesystem::path(name).stem();
}

} // namespace

std::filesystem::path CollectionFolder()
{
    wchar_t appData[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData)))
        return {};
    return std::filesystem::path(appData) / ProgramBaseName() / L"";
}
