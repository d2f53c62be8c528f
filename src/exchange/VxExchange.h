#pragma once
// The exchange file the filter plug-in and the main program hand one picture through:
//
//   "PSPF", then eight little-endian int32: HeaderSize (32), ImageMode (3 = RGB, 8 bits),
//   Left, Top, Width, Height, RowBytes, Planes; Height rows of RowBytes from offset
//   4 + HeaderSize, each Width pixels of Planes bytes (red, green, blue, then the host's
//   further planes); optionally "EXIF", a length L and L bytes of TIFF-structured EXIF.
//
// Everything here works over bytes already in memory (a mapped view); the header is
// checked against the bytes it describes before a single row is read.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "imaging/VxBitmap.h"

constexpr std::int32_t ExchangeHeaderSize = 32;
constexpr std::int32_t ExchangeModeRGB = 3;
constexpr std::size_t ExchangeRowsOffset = 4 + ExchangeHeaderSize;
// A trailer is looked for only when more than this many bytes follow the rows.
constexpr std::size_t ExchangeTrailerThreshold = 496;

struct TExchangeHeader {
    std::int32_t HeaderSize = ExchangeHeaderSize;
    std::int32_t ImageMode = ExchangeModeRGB;
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::int32_t RowBytes = 0;
    std::int32_t Planes = 0;
};

// Magic and header only; nothing when the bytes are too short or the magic differs.
std::optional<TExchangeHeader> ReadExchangeHeader(std::span<const std::uint8_t> file);
void WriteExchangeHeader(std::span<std::uint8_t> file, const TExchangeHeader& header);

// What the main program accepts: the magic, mode 3, at least three planes, a positive
// size whose rows (RowBytes >= Width x Planes) lie inside the file from rowsOffset on.
std::optional<TExchangeHeader> ParseExchange(std::span<const std::uint8_t> file);

// The rows of a parsed file into a fmtBGR24 buffer of Width x Height.
bool ReadExchangePixels(std::span<const std::uint8_t> file, const TExchangeHeader& header, TVxPixels& target);

// The EXIF trailer's payload, when more than 496 bytes follow the rows, they start with
// "EXIF" and the payload fits in the file.
std::optional<std::span<const std::uint8_t>> ExchangeExifPayload(std::span<const std::uint8_t> file,
                                                                  const TExchangeHeader& header);

// The main program's write-back: 36 + Stride x Height bytes.
std::optional<std::size_t> ExchangeFileSize(const TVxPixels& image);
// False (nothing written) when the file is not exactly ExchangeFileSize bytes.
bool WriteExchangeImage(std::span<std::uint8_t> file, const TVxPixels& image);

// ---------------------------------------------------------------- the plug-in's side

struct TExchangeHostImage {
    std::int32_t ImageMode = 0;
    std::int32_t Left = 0, Top = 0, Right = 0, Bottom = 0; // the filter rectangle
    std::int32_t Planes = 0;
    std::int32_t RowBytes = 0; // the host buffer's row stride
    std::int32_t Width() const { return Right - Left; }
    std::int32_t Height() const { return Bottom - Top; }
};

// 4 + 32 + RowBytes x Height; nothing for a rectangle or stride that makes no sense.
std::optional<std::size_t> PluginExchangeSize(const TExchangeHostImage& host);
// Magic, header and the host's rows unchanged; false when file is not that size.
bool PluginWriteExchange(std::span<std::uint8_t> file, const TExchangeHostImage& host, const std::uint8_t* input);

enum class TExchangeReadBack {
    Copied,
    NotExchange, // magic differs: nothing copied, nothing said
    Mismatch,    // size, mode or layout differs: "Transfer image data error."
};

// Copies the result's pixels into the host's output buffer (Height rows host.RowBytes
// apart, Width x Planes bytes of each written), only after the whole header has been
// checked against the host's rectangle and the file's size; otherwise not a byte.
TExchangeReadBack PluginReadBack(std::span<const std::uint8_t> file, const TExchangeHostImage& host,
                                 std::uint8_t* output);
