#pragma once
// A cut-out object: colour pixels plus a soft alpha matte, shown mirrored on request and
// sampled at real positions by the paste tool.
//
//   TBGRWithAlpha object;
//   object.Load(CollectionFolder(), L"000042", ObjectKindMatte);   // never fails: a bad
//   object.SetMirrorX(true);                                         // object is blank
//   std::uint32_t color = object.Sample(2, 10.25, 7.5, documentPixel);
//
// Both grids are column-major (outer index x), like the matte files they come from.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "imaging/VxGeometry.h"
#include "imaging/VxLTBitmap.h"
#include "separation/AlphaChanal.h"

constexpr std::int32_t ObjectKindMatte = 1; // ".alp" matte plus the ".jpg" colour picture
constexpr std::int32_t ObjectKindPng = 2;   // one ".png" with its own alpha
// A failed load leaves a fully transparent object of this side, so that a placement can
// still start with it and its commit changes nothing.
constexpr std::int32_t BlankObjectSide = 512;

// Decodes the colour picture of a matte object into a fmtBGR24 bitmap; false when the
// file cannot be read. The platform supplies the image codec (GDI+ on Windows).
using TObjectPictureDecoder = std::function<bool(const std::filesystem::path& file, TVxLTBitmap& picture)>;

// Process-wide default for objects that have no decoder of their own. Without any, the
// colour pixels of a matte object stay black, as with an unreadable colour file.
void SetObjectPictureDecoder(TObjectPictureDecoder decoder);
const TObjectPictureDecoder& ObjectPictureDecoder();

struct TAlphaColor {
    std::uint8_t Alpha = 0;
    std::uint32_t Color = 0; // 0x00BBGGRR, as the platform's colour values
};

// A PNG decoded to 8-bit blue, green, red, alpha rows, top-down.
struct TPngPicture {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    // An alpha channel or a transparency chunk; without either every alpha is 255.
    bool HasAlpha = false;
    std::vector<std::uint8_t> Bgra;
};

// Largest PNG file read whole into memory, and largest decoded area (as the matte's).
constexpr std::uintmax_t MaxPngFileBytes = std::uintmax_t{1} << 30;
constexpr std::uint64_t MaxPngArea = MaxAlphaArea;

// Nothing for a damaged or oversized PNG; maxArea bounds width x height before any
// pixel memory is taken.
std::optional<TPngPicture> ReadPng(std::span<const std::uint8_t> bytes, std::uint64_t maxArea = MaxPngArea);
std::optional<TPngPicture> ReadPngFile(const std::filesystem::path& file, std::uint64_t maxArea = MaxPngArea);

class TBGRWithAlpha {
public:
    TBGRWithAlpha() = default;
    TBGRWithAlpha(const TBGRWithAlpha&) = delete;
    TBGRWithAlpha& operator=(const TBGRWithAlpha&) = delete;

    std::int32_t Width() const { return FWidth; }
    std::int32_t Height() const { return FHeight; }
    bool Loaded() const { return FLoaded; }
    bool MirrorX() const { return FMirrorX; }
    bool MirrorY() const { return FMirrorY; }
    void SetMirrorX(bool value) { FMirrorX = value; }
    void SetMirrorY(bool value) { FMirrorY = value; }
    void SetLoaded(bool value) { FLoaded = value; }

    // Sizes the colour grid only (black pixels); the matte keeps its own size. Negative
    // sides count as 0. Throws std::bad_alloc when the grid is too large.
    void SetSize(std::int32_t width, std::int32_t height);
    TRect GetBounds() const { return TRect{0, 0, FWidth, FHeight}; }
    bool IsEmpty() const { return FWidth == 0 && FHeight == 0; }

    // Loads object name of the given kind from folder. An empty name only clears the
    // matte. Any other kind, and any failure while reading, leaves the blank object;
    // false then. An unreadable colour picture of a matte object is no failure: the
    // matte stays and the colours stay black.
    bool Load(const std::filesystem::path& folder, const std::wstring& name, std::int32_t kind);
    // Kind 2 from bytes already in memory; the same fallback.
    bool LoadPng(std::span<const std::uint8_t> bytes, std::uint64_t maxArea = MaxPngArea);
    void MakeBlank();

    // Overrides the process-wide decoder for this object (tests, other codecs).
    void SetPictureDecoder(TObjectPictureDecoder decoder) { FDecoder = std::move(decoder); }

    // Alpha 0 and black outside the object.
    TAlphaColor PixelAt(std::int32_t x, std::int32_t y) const;
    // The object's colour at (x, y) over background (three bytes blue, green, red), as
    // 0x00RRGGBB. Filter 0 takes the nearest pixel where its alpha is at least 128;
    // other filters weigh colours and alphas of the radial filter's window.
    std::uint32_t Sample(std::int32_t filter, double x, double y, const std::uint8_t* background) const;

    // Blue, green, red of pixel (x, y); no range check.
    std::uint8_t* Pixel(std::int32_t x, std::int32_t y) { return FPixels.data() + Offset(x, y); }
    const std::uint8_t* Pixel(std::int32_t x, std::int32_t y) const { return FPixels.data() + Offset(x, y); }
    TAlphaChanal& Alpha() { return FAlpha; }
    const TAlphaChanal& Alpha() const { return FAlpha; }

private:
    std::size_t Offset(std::int32_t x, std::int32_t y) const
    {
        return (static_cast<std::size_t>(x) * static_cast<std::size_t>(FHeight) + static_cast<std::size_t>(y)) * 3;
    }
    bool Contains(std::int32_t x, std::int32_t y) const;
    bool LoadMatteObject(const std::filesystem::path& folder, const std::wstring& name);
    void PlacePicture(const TVxPixels& picture, std::int32_t offsetX, std::int32_t offsetY);
    void TakePng(const TPngPicture& png);
    std::uint32_t SampleNearest(double x, double y, std::uint32_t background) const;
    std::uint32_t SampleFiltered(std::int32_t filter, double x, double y, std::uint32_t background) const;

    std::int32_t FWidth = 0;
    std::int32_t FHeight = 0;
    bool FLoaded = false;
    bool FMirrorX = false;
    bool FMirrorY = false;
    std::vector<std::uint8_t> FPixels; // [x][y], blue, green, red
    TAlphaChanal FAlpha;
    TObjectPictureDecoder FDecoder;
};
