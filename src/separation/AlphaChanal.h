#pragma once
// The alpha matte of a cut-out object (0 transparent .. 255 opaque), and the per-user
// object collection in which objects are stored as numbered file groups:
// id.tmb (thumbnail), id.jpg (pixels), id.alp (matte, zlib-packed text), id.png.
//
//   TAlphaChanal matte;                       // store
//   matte.SetSize(bounds.Width(), bounds.Height());
//   ... SetValue 255 for object pixels ...
//   matte.Soften();
//   matte.SaveToFile(ScratchFileName(folder)) && CompressFile(ScratchFileName(folder), folder / (id + L".alp"));
//
//   DecompressFile(folder / (id + L".alp"), ScratchFileName(folder)) && matte.LoadFromFile(ScratchFileName(folder));
//   // matte is now padded by MarginX()/MarginY() on each side, so the object can turn
//   // about its centre without being clipped.
#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

#include "separation/CollectionFolder.h"

// An object comes from a marked picture, so its sides fit MaxMarkedSide; padding can at
// most double them. Mattes above MaxAlphaArea could not live next to their pixels in
// the 32-bit program anyway, so files claiming more are refused before any allocation.
constexpr std::int32_t MaxAlphaObjectSide = 32767;
constexpr std::int32_t MaxAlphaSide = 65535;
constexpr std::uint64_t MaxAlphaArea = std::uint64_t{1} << 28;
// The longest text a matte within those limits can have ("255 " per value).
constexpr std::uint64_t MaxMatteTextBytes = 4 * MaxAlphaArea + 4 * static_cast<std::uint64_t>(MaxAlphaSide) + 256;

class TAlphaChanal {
public:
    std::int32_t Width() const { return FWidth; }
    std::int32_t Height() const { return FHeight; }
    std::int32_t MarginX() const { return FMarginX; }
    std::int32_t MarginY() const { return FMarginY; }

    // A zeroed (transparent) grid; negative sides count as 0.
    void SetSize(std::int32_t width, std::int32_t height);
    void Erase();

    // No range check: callers stay inside the grid.
    std::uint8_t Value(std::int32_t x, std::int32_t y) const { return FValues[Index(x, y)]; }
    void SetValue(std::int32_t x, std::int32_t y, std::uint8_t alpha) { FValues[Index(x, y)] = alpha; }
    // Column x, Height() values from the top.
    const std::uint8_t* Column(std::int32_t x) const { return FValues.data() + Index(x, 0); }
    std::uint8_t* Column(std::int32_t x) { return FValues.data() + Index(x, 0); }

    // One pass of the 5-point average; the divisor stays 5 at the border.
    void Soften();
    // Padding on each side that keeps every opaque cell inside the grid when the grid
    // turns about its centre.
    void ComputeMargins();

    // Version 2 text, uncompressed. False when the file cannot be written.
    bool SaveToFile(const std::filesystem::path& name);
    void SaveToStream(std::ostream& stream);
    // Versions 1, 2 and other, uncompressed. False for a missing, damaged or oversized
    // matte; the matte is then left as it was.
    bool LoadFromFile(const std::filesystem::path& name);
    // maxArea bounds the padded grid (cells); a smaller one suits fuzzing.
    bool LoadFromStream(std::istream& stream, std::uint64_t maxArea = MaxAlphaArea);

private:
    std::size_t Index(std::int32_t x, std::int32_t y) const
    {
        return static_cast<std::size_t>(x) * static_cast<std::size_t>(FHeight) + static_cast<std::size_t>(y);
    }
    void PlaceInto(TAlphaChanal& padded, std::int32_t marginX, std::int32_t marginY) const;

    std::int32_t FWidth = 0;
    std::int32_t FHeight = 0;
    std::int32_t FMarginX = 0;
    std::int32_t FMarginY = 0;
    std::vector<std::uint8_t> FValues; // column-major
};

// Object identifiers are six decimal digits, zero-padded.
std::filesystem::path ScratchFileName(const std::filesystem::path& folder = CollectionFolder());
// The greatest six-digit thumbnail name, "000000" when there is none.
std::wstring NewestObjectId(const std::filesystem::path& folder = CollectionFolder());
std::wstring NextObjectId(const std::filesystem::path& folder = CollectionFolder());
// Deletes id.tmb, .alp, .jpg and .png, ignoring failures.
void DeleteObject(const std::wstring& id, const std::filesystem::path& folder = CollectionFolder());
// The first six characters of every "??????.tmb" in the folder, in the file system's order.
std::vector<std::wstring> ObjectIds(const std::filesystem::path& folder = CollectionFolder());

// TList is the thumbnail list: anything with Add(const std::wstring& name).
template <typename TList> void ListObjects(TList& list, const std::filesystem::path& folder = CollectionFolder())
{
    for (const std::wstring& id : ObjectIds(folder))
        list.Add(id);
}

template <typename TList> void AddNewestObject(TList& list, const std::filesystem::path& folder = CollectionFolder())
{
    list.Add(NewestObjectId(folder));
}

// zlib streams (RFC 1950) at level 9. False on a read, write or stream error; a failed
// decompression removes its partial destination.
bool CompressFile(const std::filesystem::path& source, const std::filesystem::path& destination);
bool DecompressFile(const std::filesystem::path& source, const std::filesystem::path& destination);
bool CompressStream(std::istream& source, std::ostream& destination);
// Fails on damaged or truncated data and once more than maxBytes would come out.
bool DecompressStream(std::istream& source, std::ostream& destination, std::uint64_t maxBytes = MaxMatteTextBytes);
