#include "plugin/PluginStrings.h"

#include <windows.h>

namespace {

const wchar_t* Fallback(PluginStrings id)
{
    switch (id) {
    case PluginStrings::GetImageDataError: return L"Get image data error.";
    case PluginStrings::CreateTempFileError: return L"Create temp file error.";
    case PluginStrings::ExecuteApplication: return L"Execute application";
    case PluginStrings::ExecuteError: return L" error: ";
    case PluginStrings::GetOutImageDataError: return L"Get out image data error.";
    case PluginStrings::TransferImageDataError: return L"Transfer image data error.";
    case PluginStrings::ErrorCaption: return L"Error";
    case PluginStrings::AboutWord: return L"About";
    case PluginStrings::AboutCaption: return L"About Velloria Plug-in";
    case PluginStrings::AboutName: return L"Velloria Plug-in";
    case PluginStrings::AboutVersion: return L"Version: 2.2.12";
    case PluginStrings::AboutMaker: return L"Copyright (c) Orvik Kestrel";
    }
    return L"";
}

// The module this code is linked into: the .8bf, not the host that loaded it.
HMODULE ThisModule()
{
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

} // namespace

std::wstring PluginString(PluginStrings id)
{
    // With a zero length LoadString hands out a pointer into the resource itself, so a
    // text of any length comes back whole; the resource strings carry no terminator.
    const wchar_t* text = nullptr;
    const int length = LoadStringW(ThisModule(), static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&text), 0);
    if (length > 0 && text)
        return std::wstring(text, static_cast<std::size_t>(length));
    return Fallback(id);
}
