#pragma once
// Small previews of the objects in the object library and their ".tmb" files.
//
// A ".tmb" file is: kind (1 byte: 1 matte and JPEG, 2 PNG with alpha), width, height
// (1 byte each), then width x height pixels column by column (x outer, y inner), each
// red, green, blue. No magic, no checksum; a file with another kind holds that byte only.
//
//   TThumbnail thumb(ThumbnailSize, ThumbnailSize, ThumbnailKindMatte);
//   MakeThumbnail(thumb, objectRect, [&](std::int32_t x, std::int32_t y) -> std::optional<std::uint32_t> {
//       return IsObject(x, y) ? std::optional(ColorAt(x, y)) : std::nullopt; });
//   thumb.Save(libraryFolder, L"000042");
//
// Colours are Windows colour values, 0x00BBGGRR, as the library grid draws them.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "imaging/VxBitmap.h"
#include "imaging/VxGeometry.h"
#include "imaging/VxMapping.h"

constexpr std::uint8_t ThumbnailKindMatte = 1; // ".alp" matte plus ".jpg" colours
constexpr std::uint8_t ThumbnailKindPng = 2;   // one ".png" with its own alpha
constexpr std::int32_t ThumbnailSize = 72;

// The transparency checkerboard: 4 x 4 squares, grey 0xA9A9A9 where the square's column
// and row parity agree, near-white 0xFFFFFE (red 254) elsewhere.
std::uint32_t CheckerColor(std::int32_t x, std::int32_t y);

class TThumbnail {
public:
    TThumbnail(std::uint8_t width, std::uint8_t height, std::uint8_t kind);

    // Reads name + ".tmb" from folder. A missing or short file or a kind other than 1
    // or 2 leaves the thumbnail invalid, and its pixels read as black.
    bool Load(const std::filesystem::path& folder, const std::wstring& name);
    bool Save(const std::filesystem::path& folder, const std::wstring& name);
    // The file contents as bytes; never reads outside them.
    bool ReadFrom(std::span<const std::uint8_t> bytes);
    std::vector<std::uint8_t> WriteTo() const;

    void FillChecker();
    // Positions outside the thumbnail are ignored (set) or black (get).
    void SetPixel(std::int32_t x, std::int32_t y, std::uint32_t color);
    std::uint32_t GetPixel(std::int32_t x, std::int32_t y) const;

    bool Valid() const { return FValid; }
    const std::wstring& Name() const { return FName; }
    std::uint8_t Width() const { return FWidth; }
    std::uint8_t Height() const { return FHeight; }
    std::uint8_t Kind() const { return FKind; }

    static std::filesystem::path FileName(const std::filesystem::path& folder, const std::wstring& name);

private:
    void SetSize(std::uint8_t width, std::uint8_t height);
    std::size_t Offset(std::int32_t x, std::int32_t y) const
    {
        return (static_cast<std::size_t>(x) * FHeight + static_cast<std::size_t>(y)) * 3;
    }

    bool FValid = true;
    std::wstring FName;
    std::uint8_t FWidth = 0;
    std::uint8_t FHeight = 0;
    std::uint8_t FKind = 0;
    std::vector<std::uint8_t> FPixels; // [x][y], blue, green, red
};

// Fills the thumbnail with the checkerboard, fits sourceRect into it (proportions kept,
// centred) and gives every thumbnail pixel whose source pixel belongs to the object that
// pixel's colour, unblended. colorAt(x, y) answers the colour (0x00BBGGRR) of source
// pixel (x, y), or nothing when it is not part of the object.
template <typename TColorAt> void MakeThumbnail(TThumbnail& thumbnail, const TRect& sourceRect, TColorAt&& colorAt)
{
    thumbnail.FillChecker();
    if (sourceRect.IsEmpty())
        return;
    const TRectToRect map(sourceRect, TRect{0, 0, thumbnail.Width(), thumbnail.Height()}, true);
    const TRect dest = map.Dest();
    for (std::int32_t y = dest.Top; y < dest.Bottom; ++y)
        for (std::int32_t x = dest.Left; x < dest.Right; ++x) {
            const TPoint from = map.MapPointRounded(x, y);
            if (!sourceRect.Contains(from.X, from.Y))
                continue;
            if (const std::optional<std::uint32_t> color = colorAt(from.X, from.Y))
                thumbnail.SetPixel(x, y, *color);
        }
}

// The colour of a fmtBGR24 pixel as a Windows colour value.
std::uint32_t PixelColorRef(const std::uint8_t* pixel);

// The collection's previews while the library is shown; files are read from one folder.
class TThumbnailList {
public:
    explicit TThumbnailList(std::filesystem::path folder);
    ~TThumbnailList();
    TThumbnailList(const TThumbnailList&) = delete;
    TThumbnailList& operator=(const TThumbnailList&) = delete;

    // Loads name's thumbnail (an unreadable one is kept, invalid) and selects it.
    void Add(const std::wstring& name);
    void Delete(std::int32_t index);
    void Clear();

    std::int32_t Count() const { return static_cast<std::int32_t>(FItems.size()); }
    std::int32_t Capacity() const { return static_cast<std::int32_t>(FItems.capacity()); }
    std::int32_t Current() const { return FCurrent; }
    // -1 selects nothing; other indexes outside the list are ignored.
    void SetCurrent(std::int32_t index);
    bool HasNoCurrent() const { return FCurrent < 0; }

    // Empty, 0 or black outside the list.
    std::wstring GetName(std::int32_t index) const;
    std::uint8_t GetKind(std::int32_t index) const;
    std::uint32_t GetPixel(std::int32_t index, std::int32_t x, std::int32_t y) const;
    const TThumbnail* Item(std::int32_t index) const;
    std::wstring CurrentName() const { return GetName(FCurrent); }
    std::uint8_t CurrentKind() const { return GetKind(FCurrent); }

    const std::filesystem::path& Folder() const { return FFolder; }

private:
    std::filesystem::path FFolder;
    std::vector<std::unique_ptr<TThumbnail>> FItems;
    std::int32_t FCurrent = -1;
};
