// The filter plug-in's library: its one filter object, made when the host loads it, and
// the entry point the host calls (named in the property list of VelloriaPlugin.rc).
#include <windows.h>

#include <cstdint>
#include <memory>
#include <new>

#include "plugin/ExternalPhotoshopFilter.h"
#include "plugin/PluginStrings.h"
#include "plugin/RegUtils.h"

namespace {

// Written by the installer; the plug-in only reads it.
constexpr wchar_t ApplicationKey[] = L"SOFTWARE\\Orvik\\Kestrel\\Velloria";

std::unique_ptr<TExternalPhotoshopFilter> MakeFilter()
{
    const std::wstring aboutText = PluginString(PluginStrings::AboutName) + L"\n" +
                                   PluginString(PluginStrings::AboutVersion) + L"\n" +
                                   PluginString(PluginStrings::AboutMaker);
    auto filter = std::make_unique<TExternalPhotoshopFilter>(ReadRegistryString(HKEY_LOCAL_MACHINE, ApplicationKey, nullptr),
                                                             aboutText, PluginString(PluginStrings::AboutCaption));
    filter->Initialize();
    return filter;
}

// Made while the host loads the library, gone when it unloads it.
const std::unique_ptr<TExternalPhotoshopFilter> Filter = MakeFilter();

} // namespace

// cdecl and undecorated on both targets, as hosts call it and as the property list names it.
extern "C" __declspec(dllexport) void __cdecl ENTRYPOINT(std::int16_t selector, void* record, std::intptr_t* data,
                                                        std::int16_t* result)
{
    (void)data;
    if (!result)
        return;
    *result = PI::filterBadParameters;
    TPhotoshopFilter* filter = TPhotoshopFilter::Instance();
    if (!filter)
        return;
    // Nothing may unwind into the host, which is not C++ and not ours.
    try {
        *result = filter->Dispatch(selector, record);
    } catch (const std::bad_alloc&) {
        *result = PI::memFullErr;
    } catch (...) {
        *result = PI::filterBadParameters;
    }
}
