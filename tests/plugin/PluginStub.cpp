// Stands in for the main program when the plug-in's tests run it: logs how it was
// started, then does with the exchange file what VELLORIA_STUB says -
//   invert            the main program's OK after inverting every colour byte
//   cancel            exit code -1, file untouched
//   crash             writes an inverted result, then dies with an access-violation code
//   exit259           writes an inverted result, exits with 259 (the "still active" code)
//   delete            deletes the file, exit code 0
//   crop              writes back one column less, exit code 0
//   set:<offset>:<n>  writes the inverted result, then the int32 n at offset, exit code 0
//   truncate          writes the inverted result one byte short, exit code 0
//   lowercase         writes the inverted result with the magic "pspf", exit code 0
//   poke              posts WM_APP + 1 to the host's window and WM_QUIT to its thread,
//                     then does what invert does
#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <span>
#include <string>

#include "exchange/FileMapping.h"
#include "exchange/VxExchange.h"

namespace {

std::wstring Environment(const wchar_t* name)
{
    wchar_t value[1024] = {};
    const DWORD length = GetEnvironmentVariableW(name, value, 1024);
    return length > 0 && length < 1024 ? std::wstring(value, length) : std::wstring();
}

std::string Utf8(const std::wstring& text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), result.data(), size, nullptr, nullptr);
    return result;
}

void Log(int argc, wchar_t** argv)
{
    const std::wstring log = Environment(L"VELLORIA_STUB_LOG");
    if (log.empty())
        return;
    std::ofstream out(log.c_str(), std::ios::binary | std::ios::app);
    out << "argc=" << argc << "\n";
    for (int i = 0; i < argc; ++i)
        out << "arg" << i << "=" << Utf8(argv[i]) << "\n";
    wchar_t folder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, folder);
    out << "cwd=" << Utf8(folder) << "\n";
    const std::wstring host = Environment(L"VELLORIA_STUB_HOST");
    if (!host.empty()) {
        HWND window = reinterpret_cast<HWND>(static_cast<std::intptr_t>(_wcstoi64(host.c_str(), nullptr, 10)));
        out << "host-enabled=" << (IsWindowEnabled(window) ? 1 : 0) << "\n";
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    out << "show=" << ((startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1) << "\n";
}

// Loads the picture as the main program does, inverts it and writes it back in the main
// program's layout, the last column left off when crop is set.
bool WriteInverted(const std::wstring& path, bool crop)
{
    TFileMapping mapping(path);
    const std::uint32_t size = mapping.Size();
    auto* view = static_cast<std::uint8_t*>(mapping.MapView(0, 0, FILE_MAP_WRITE));
    if (!view)
        return false;
    const std::optional<TExchangeHeader> header = ParseExchange(std::span<const std::uint8_t>(view, size));
    TVxPixelBuffer pixels;
    bool read = false;
    if (header) {
        pixels.SetFormatAndBounds(fmtBGR24, TRect{0, 0, header->Width, header->Height});
        read = ReadExchangePixels(std::span<const std::uint8_t>(view, size), *header, pixels);
    }
    mapping.UnmapView(view);
    if (!read)
        return false;
    for (std::int32_t y = 0; y < pixels.Height(); ++y)
        for (std::int32_t i = 0; i < pixels.Width() * 3; ++i)
            pixels.Row(y)[i] = static_cast<std::uint8_t>(255 - pixels.Row(y)[i]);
    TVxPixelBuffer result;
    result.SetFormatAndBounds(fmtBGR24, TRect{0, 0, pixels.Width() - (crop ? 1 : 0), pixels.Height()});
    for (std::int32_t y = 0; y < result.Height(); ++y)
        std::memcpy(result.Row(y), pixels.Row(y), std::size_t(result.Width()) * 3);
    const std::size_t resultSize = *ExchangeFileSize(result);
    mapping.SetSize(static_cast<std::uint32_t>(resultSize));
    view = static_cast<std::uint8_t*>(mapping.MapView(0, 0, FILE_MAP_WRITE));
    if (!view)
        return false;
    const bool written = WriteExchangeImage(std::span<std::uint8_t>(view, resultSize), result);
    mapping.UnmapView(view);
    return written;
}

void Patch(const std::wstring& path, std::uint32_t offset, const void* bytes, std::size_t count)
{
    TFileMapping mapping(path);
    if (auto* view = static_cast<std::uint8_t*>(mapping.MapView(0, 0, FILE_MAP_WRITE))) {
        std::memcpy(view + offset, bytes, count);
        mapping.UnmapView(view);
    }
}

} // namespace

int main()
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    Log(argc, argv);
    if (argc != 2)
        return 3;
    const std::wstring file = argv[1];
    const std::wstring mode = Environment(L"VELLORIA_STUB");
    if (mode == L"cancel")
        return -1;
    if (mode == L"delete")
        return DeleteFileW(file.c_str()) ? 0 : 4;
    if (mode == L"poke") {
        const std::wstring host = Environment(L"VELLORIA_STUB_HOST");
        HWND window = reinterpret_cast<HWND>(static_cast<std::intptr_t>(_wcstoi64(host.c_str(), nullptr, 10)));
        PostMessageW(window, WM_APP + 1, 0, 0);
        PostThreadMessageW(GetWindowThreadProcessId(window, nullptr), WM_QUIT, 7, 0);
        Sleep(500); // the host's wait sees both before the program ends
    }
    if (!WriteInverted(file, mode == L"crop"))
        return 5;
    if (mode == L"crash")
        TerminateProcess(GetCurrentProcess(), 0xC0000005u);
    if (mode == L"exit259")
        return 259;
    if (mode.rfind(L"set:", 0) == 0) {
        wchar_t* end = nullptr;
        const auto offset = static_cast<std::uint32_t>(wcstoul(mode.c_str() + 4, &end, 10));
        const auto value = static_cast<std::int32_t>(wcstol(end + 1, nullptr, 10));
        Patch(file, offset, &value, 4);
    } else if (mode == L"lowercase") {
        Patch(file, 0, "pspf", 4);
    } else if (mode == L"truncate") {
        TFileMapping mapping(file);
        mapping.SetSize(mapping.Size() - 1);
    }
    return 0;
}
