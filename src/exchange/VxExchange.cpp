#include "exchange/VxExchange.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint8_t Magic[4] = {'P', 'S', 'P', 'F'};
constexpr std::uint8_t TrailerMagic[4] = {'E', 'X', 'I', 'F'};

std::int32_t GetInt(std::span<const std::uint8_t> file, std::size_t at)
{
    return static_cast<std::int32_t>(std::uint32_t{file[at]} | std::uint32_t{file[at + 1]} << 8
                                     | std::uint32_t{file[at + 2]} << 16 | std::uint32_t{file[at + 3]} << 24);
}

void PutInt(std::span<std::uint8_t> file, std::size_t at, std::int32_t value)
{
    const auto v = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        file[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Height rows of rowBytes from rowsAt, each holding at least width x planes bytes,
// inside a file of fileSize bytes. All in 64 bits: the header's values are untrusted.
bool RowsFit(std::uint64_t fileSize, std::uint64_t rowsAt, std::int32_t width, std::int32_t height,
             std::int32_t rowBytes, std::int32_t planes)
{
    if (width <= 0 || height <= 0 || planes <= 0 || rowBytes <= 0)
        return false;
    if (std::uint64_t(rowBytes) < std::uint64_t(width) * std::uint64_t(planes))
        return false;
    return rowsAt <= fileSize && std::uint64_t(rowBytes) * std::uint64_t(height) <= fileSize - rowsAt;
}

} // namespace

std::optional<TExchangeHeader> ReadExchangeHeader(std::span<const std::uint8_t> file)
{
    if (file.size() < ExchangeRowsOffset || std::memcmp(file.data(), Magic, 4) != 0)
        return std::nullopt;
    TExchangeHeader h;
    h.HeaderSize = GetInt(file, 4);
    h.ImageMode = GetInt(file, 8);
    h.Left = GetInt(file, 12);
    h.Top = GetInt(file, 16);
    h.Width = GetInt(file, 20);
    h.Height = GetInt(file, 24);
    h.RowBytes = GetInt(file, 28);
    h.Planes = GetInt(file, 32);
    return h;
}

void WriteExchangeHeader(std::span<std::uint8_t> file, const TExchangeHeader& h)
{
    std::memcpy(file.data(), Magic, 4);
    PutInt(file, 4, h.HeaderSize);
    PutInt(file, 8, h.ImageMode);
    PutInt(file, 12, h.Left);
    PutInt(file, 16, h.Top);
    PutInt(file, 20, h.Width);
    PutInt(file, 24, h.Height);
    PutInt(file, 28, h.RowBytes);
    PutInt(file, 32, h.Planes);
}

std::optional<TExchangeHeader> ParseExchange(std::span<const std::uint8_t> file)
{
    std::optional<TExchangeHeader> h = ReadExchangeHeader(file);
    if (!h || h->ImageMode != ExchangeModeRGB || h->Planes < 3)
        return std::nullopt;
    if (!RowsFit(file.size(), ExchangeRowsOffset, h->Width, h->Height, h->RowBytes, h->Planes))
        return std::nullopt;
    if (!CheckedImageSize(static_cast<std::uint32_t>(h->Width), static_cast<std::uint32_t>(h->Height), 3))
        return std::nullopt;
    return h;
}

bool ReadExchangePixels(std::span<const std::uint8_t> file, const TExchangeHeader& h, TVxPixels& target)
{
    if (target.Format() != fmtBGR24 || target.Width() != h.Width || target.Height() != h.Height
        || !RowsFit(file.size(), ExchangeRowsOffset, h.Width, h.Height, h.RowBytes, h.Planes) || h.Planes < 3)
        return false;
    const std::size_t planes = static_cast<std::size_t>(h.Planes);
    for (std::int32_t y = 0; y < h.Height; ++y) {
        const std::uint8_t* s = file.data() + ExchangeRowsOffset + std::size_t(y) * std::size_t(h.RowBytes);
        std::uint8_t* d = target.Row(target.Top() + y);
        for (std::int32_t x = 0; x < h.Width; ++x, s += planes, d += 3) {
            d[0] = s[2];
            d[1] = s[1];
            d[2] = s[0];
        }
    }
    return true;
}

std::optional<std::span<const std::uint8_t>> ExchangeExifPayload(std::span<const std::uint8_t> file,
                                                                  const TExchangeHeader& h)
{
    const std::uint64_t at = ExchangeRowsOffset + std::uint64_t(h.RowBytes) * std::uint64_t(h.Height);
    if (at > file.size() || file.size() - at <= ExchangeTrailerThreshold)
        return std::nullopt;
    if (std::memcmp(file.data() + at, TrailerMagic, 4) != 0)
        return std::nullopt;
    const std::int32_t length = GetInt(file, static_cast<std::size_t>(at + 4));
    if (length <= 0 || std::uint64_t(length) > file.size() - at - 8)
        return std::nullopt;
    return file.subspan(static_cast<std::size_t>(at + 8), static_cast<std::size_t>(length));
}

std::optional<std::size_t> ExchangeFileSize(const TVxPixels& image)
{
    if (image.Format() != fmtBGR24 || image.Width() <= 0 || image.Height() <= 0)
        return std::nullopt;
    return ExchangeRowsOffset + std::size_t(image.Stride()) * std::size_t(image.Height());
}

bool WriteExchangeImage(std::span<std::uint8_t> file, const TVxPixels& image)
{
    const std::optional<std::size_t> size = ExchangeFileSize(image);
    if (!size || file.size() != *size)
        return false;
    TExchangeHeader h;
    h.Width = image.Width();
    h.Height = image.Height();
    h.RowBytes = image.Stride();
    h.Planes = image.BytesPerPixel();
    WriteExchangeHeader(file, h);
    for (std::int32_t y = 0; y < h.Height; ++y) {
        const std::uint8_t* s = image.Row(image.Top() + y);
        std::uint8_t* d = file.data() + ExchangeRowsOffset + std::size_t(y) * std::size_t(h.RowBytes);
        for (std::int32_t x = 0; x < h.Width; ++x, s += 3, d += 3) {
            d[0] = s[2];
            d[1] = s[1];
            d[2] = s[0];
        }
        // The row's padding is the stride's, not the picture's: keep it defined.
        std::fill(d, file.data() + ExchangeRowsOffset + std::size_t(y + 1) * std::size_t(h.RowBytes), std::uint8_t{0});
    }
    return true;
}

std::optional<std::size_t> PluginExchangeSize(const TExchangeHostImage& host)
{
    if (host.Width() <= 0 || host.Height() <= 0 || host.Planes <= 0 || host.RowBytes <= 0
        || std::int64_t(host.RowBytes) < std::int64_t(host.Width()) * host.Planes)
        return std::nullopt;
    const std::uint64_t size = ExchangeRowsOffset + std::uint64_t(host.RowBytes) * std::uint64_t(host.Height());
    if (size > 0xFFFFFFFFu) // the main program queries the low 32 bits of the size
        return std::nullopt;
    return static_cast<std::size_t>(size);
}

bool PluginWriteExchange(std::span<std::uint8_t> file, const TExchangeHostImage& host, const std::uint8_t* input)
{
    const std::optional<std::size_t> size = PluginExchangeSize(host);
    if (!size || file.size() != *size || !input)
        return false;
    TExchangeHeader h;
    h.ImageMode = host.ImageMode;
    h.Left = host.Left;
    h.Top = host.Top;
    h.Width = host.Width();
    h.Height = host.Height();
    h.RowBytes = host.RowBytes;
    h.Planes = host.Planes;
    WriteExchangeHeader(file, h);
    std::memcpy(file.data() + ExchangeRowsOffset, input, *size - ExchangeRowsOffset);
    return true;
}

TExchangeReadBack PluginReadBack(std::span<const std::uint8_t> file, const TExchangeHostImage& host, std::uint8_t* output)
{
    const std::optional<TExchangeHeader> h = ReadExchangeHeader(file);
    if (!h)
        return TExchangeReadBack::NotExchange;
    if (h->Width != host.Width() || h->Height != host.Height() || h->ImageMode != host.ImageMode || !output)
        return TExchangeReadBack::Mismatch;
    // Every row the header promises lies inside the file, and the host's rows hold the
    // pixels, before a single byte reaches the host: its picture is replaced whole or not
    // at all.
    const std::uint64_t rowsAt = 4 + std::uint64_t(std::uint32_t(h->HeaderSize));
    if (h->HeaderSize < ExchangeHeaderSize || h->Planes < 3 || host.Planes < 3
        || !RowsFit(file.size(), rowsAt, h->Width, h->Height, h->RowBytes, h->Planes)
        || host.RowBytes < std::int64_t(host.Width()) * host.Planes)
        return TExchangeReadBack::Mismatch;
    const std::uint8_t* rows = file.data() + rowsAt;
    const std::size_t fileRow = std::size_t(h->RowBytes);
    const std::size_t hostRow = std::size_t(host.RowBytes);
    if (h->Planes == host.Planes) {
        // Only the rectangle's own pixels: the host's row bytes are often its whole
        // image's, and the bytes after the rectangle's last pixel are pixels outside it.
        const std::size_t count = std::size_t(h->Width) * std::size_t(h->Planes);
        for (std::int32_t y = 0; y < h->Height; ++y)
            std::memcpy(output + std::size_t(y) * hostRow, rows + std::size_t(y) * fileRow, count);
        return TExchangeReadBack::Copied;
    }
    for (std::int32_t y = 0; y < h->Height; ++y) {
        const std::uint8_t* s = rows + std::size_t(y) * fileRow;
        std::uint8_t* d = output + std::size_t(y) * hostRow;
        for (std::int32_t x = 0; x < h->Width; ++x, s += h->Planes, d += host.Planes)
            std::memcpy(d, s, 3);
    }
    return TExchangeReadBack::Copied;
}
