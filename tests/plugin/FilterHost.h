#pragma once
// A small filter host of our own: loads a .8bf, finds its property list and entry point
// by the resource, and runs the About selector or a whole filter call (Parameters,
// Prepare, Start, Continue while the filter asks for data, Finish) on a picture in
// memory, handing out pointers into that picture itself for input and output.
#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "plugin/FilterHostRecord.h"

namespace vxhost {

// Interleaved planes, rows RowBytes apart: byte c of pixel (x, y) at y x RowBytes + x x Planes + c.
struct THostImage {
    std::int32_t Width = 0, Height = 0, Planes = 3, RowBytes = 0;
    std::vector<std::uint8_t> Bytes;

    THostImage() = default;
    // Every byte distinct enough that a misplaced one shows; padding bytes too.
    THostImage(std::int32_t width, std::int32_t height, std::int32_t planes, std::int32_t padding, std::uint32_t seed);
    std::uint8_t* At(std::int32_t x, std::int32_t y) { return Bytes.data() + std::size_t(y) * RowBytes + std::size_t(x) * Planes; }
    const std::uint8_t* At(std::int32_t x, std::int32_t y) const
    {
        return Bytes.data() + std::size_t(y) * RowBytes + std::size_t(x) * Planes;
    }
};

struct TPiPLProperty {
    std::uint32_t Vendor = 0;
    std::uint32_t Key = 0;
    std::int32_t Id = 0;
    std::int32_t Length = 0;
    std::vector<std::uint8_t> Data;
};

struct TPiPL {
    std::int16_t Reserved = 0;
    std::int32_t Version = 0;
    std::vector<TPiPLProperty> Properties;
    bool EndsExactly = false; // the last property's padded length ends the resource
    const TPiPLProperty* Find(std::uint32_t key) const;
};

// The big-endian reading of four letters, as the interface writes keys: FourCC("kind").
constexpr std::uint32_t FourCC(const char* text)
{
    return std::uint32_t(std::uint8_t(text[0])) << 24 | std::uint32_t(std::uint8_t(text[1])) << 16
         | std::uint32_t(std::uint8_t(text[2])) << 8 | std::uint32_t(std::uint8_t(text[3]));
}

// Parses the Windows form of a property list (a reserved word, the version, the count,
// then 16-byte property headers, data padded to 4); nothing when it runs past the end.
std::optional<TPiPL> ParsePiPL(const std::uint8_t* bytes, std::size_t size);

// What the host does when the filter asks for data: gives it, refuses the input or the
// output, or gives the input with row bytes that would make an exchange file beyond 4 GB.
enum class THostRefusal { None, Input, Output, HugeRows };

class TFilterHost {
public:
    explicit TFilterHost(const std::filesystem::path& plugin);
    ~TFilterHost();
    TFilterHost(const TFilterHost&) = delete;
    TFilterHost& operator=(const TFilterHost&) = delete;

    bool Loaded() const { return FModule != nullptr; }
    HMODULE Module() const { return FModule; }
    // The property list with id 16000 of type "PIPL".
    std::optional<TPiPL> PropertyList() const;
    // Named by the list's entry key for this host's own target ('8664' or 'wx86').
    THostEntryPoint EntryPoint() const;

    std::int16_t Call(std::int16_t selector, void* record);
    std::int16_t About(HWND owner);
    // The whole protocol on the rectangle (left, top, right, bottom) of image.
    std::int16_t RunFilter(THostImage& image, std::int32_t left, std::int32_t top, std::int32_t right,
                           std::int32_t bottom, HWND owner, THostRefusal refusal = THostRefusal::None,
                           std::int16_t imageMode = hmRGB);

    int AdvanceCalls() const { return FAdvanceCalls; }
    int ContinueCalls() const { return FContinueCalls; }
    bool FinishCalled() const { return FFinishCalled; }
    // What the last Start left in the record's request rectangles.
    bool RequestsClearedAfterStart() const { return FRequestsCleared; }

private:
    static std::int16_t __cdecl AdvanceState();
    std::int16_t Advance();

    HMODULE FModule = nullptr;
    std::intptr_t FData = 0;
    THostFilterRecord FRecord{};
    THostPlatform FPlatform{};
    THostImage* FImage = nullptr;
    THostRefusal FRefusal = THostRefusal::None;
    int FAdvanceCalls = 0;
    int FContinueCalls = 0;
    bool FFinishCalled = false;
    bool FRequestsCleared = false;
};

// A message box this process showed: what it said and which buttons it had.
struct TSeenBox {
    std::wstring Caption;
    std::wstring Text;
    std::vector<int> Buttons; // control ids, e.g. IDOK
};

// Watches for message boxes of this process while it lives, notes each and presses its
// first button, so that a filter call that shows one returns.
class TBoxWatcher {
public:
    TBoxWatcher();
    ~TBoxWatcher();
    TBoxWatcher(const TBoxWatcher&) = delete;
    TBoxWatcher& operator=(const TBoxWatcher&) = delete;
    std::vector<TSeenBox> Boxes() const;

private:
    void Run();
    static BOOL CALLBACK Visit(HWND window, LPARAM self);

    mutable std::mutex FLock;
    std::vector<TSeenBox> FBoxes;
    std::vector<HWND> FPressed;
    bool FStop = false;
    std::thread FThread;
};

} // namespace vxhost
