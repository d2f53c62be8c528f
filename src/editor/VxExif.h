#pragma once
// Image property items (the platform codec's EXIF items: identifier, type, count bytes)
// to and from a TIFF-structured EXIF block, and the block spliced into encoded files.
//
//   std::vector<std::uint8_t> block = BuildExifBlock(document.Properties());
//   std::vector<std::uint8_t> jpeg = SpliceJpegExif(encoded, block);   // APP1 "Exif\0\0"
//
// Identifiers follow the codec's numbering: EXIF and TIFF tags keep their numbers, the
// GPS tags are 0x0000 ... 0x001F, and the embedded thumbnail's tags are 0x5000 ... 0x50FF
// (the thumbnail data itself is 0x501B). Values are little-endian, as the codec gives
// them. Blocks are written little-endian ("II") without a thumbnail IFD.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "settings/VxProperties.h"

// Property types, the TIFF field types.
enum : std::uint32_t {
    exifByte = 1,
    exifAscii = 2,
    exifShort = 3,
    exifLong = 4,
    exifRational = 5,
    exifUndefined = 7,
    exifSLong = 9,
    exifSRational = 10,
};

constexpr std::uint32_t ExifTagMake = 271;
constexpr std::uint32_t ExifTagModel = 272;
constexpr std::uint32_t ExifTagDateTime = 306;
constexpr std::uint32_t ExifTagThumbnailData = 0x501B;

// The embedded thumbnail's items, which a saved file must not carry (its own picture
// has changed): 0x5012 ... 0x5019 and 0x501B ... 0x503B; 0x501A stays.
bool IsThumbnailProperty(std::uint32_t identifier);
void RemoveThumbnailProperties(TVxCustomProperties& properties);

// Empty when no item belongs in a block (for example only codec-internal items).
std::vector<std::uint8_t> BuildExifBlock(const TVxCustomProperties& properties);
// Adds every item of the block (main, EXIF and GPS IFDs, the thumbnail IFD as 0x50xx
// items); never reads outside it. False when the block is not TIFF-structured.
bool ParseExifBlock(std::span<const std::uint8_t> block, TVxCustomProperties& properties);

// The EXIF block of an encoded file, or nothing.
std::optional<std::span<const std::uint8_t>> FindJpegExif(std::span<const std::uint8_t> jpeg);
std::optional<std::span<const std::uint8_t>> FindPngExif(std::span<const std::uint8_t> png);

// The file with its own EXIF removed and block put in its place (nothing inserted when
// block is empty). Nothing when the file is not of its kind or the block is too large.
std::optional<std::vector<std::uint8_t>> SpliceJpegExif(std::span<const std::uint8_t> jpeg,
                                                        std::span<const std::uint8_t> block);
std::optional<std::vector<std::uint8_t>> SplicePngExif(std::span<const std::uint8_t> png,
                                                       std::span<const std::uint8_t> block);

// Edits of an EXIF (TIFF-structured) block in place, so nothing else in it moves: maker
// notes whose offsets count from the block's start keep pointing at their data.
// Sets IFD0's orientation tag when it has one; false when it has none or the block is bad.
bool SetExifOrientation(std::span<std::uint8_t> tiff, std::uint16_t orientation);
// Unlinks the thumbnail directory (IFD1) from IFD0; its bytes stay, unreferenced.
bool UnlinkExifThumbnail(std::span<std::uint8_t> tiff);
