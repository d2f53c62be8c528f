// The plug-in's read-back of a result file that may be anything the main program (or
// something else) left: whatever the file says, the host's buffer is either untouched or
// has exactly the rectangle's colour bytes replaced - never its row padding, its further
// planes or a byte outside its rows.
//
// Input: one byte of host layout (bit 0: four planes instead of three; bits 1-3: row
// padding; bit 4: the host's mode is not RGB), then the file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "exchange/VxExchange.h"

namespace {

constexpr std::size_t Guard = 64;
constexpr std::uint8_t GuardByte = 0xA5;

std::uint8_t Initial(std::size_t i) { return static_cast<std::uint8_t>(i * 31 + 7); }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const std::uint8_t layout = data[0];
    const std::span<const std::uint8_t> file(data + 1, size - 1);
    // The host's rectangle agrees with the file's header where there is one, so that the
    // checks past the size comparison are reached; small, so the buffer stays small.
    std::int32_t width = 5, height = 4;
    if (const std::optional<TExchangeHeader> header = ReadExchangeHeader(file)) {
        if (header->Width > 0 && header->Width <= 256 && header->Height > 0 && header->Height <= 256) {
            width = header->Width;
            height = header->Height;
        }
    }
    TExchangeHostImage host;
    host.ImageMode = (layout & 0x10) ? 1 : ExchangeModeRGB;
    host.Left = 3;
    host.Top = 2;
    host.Right = host.Left + width;
    host.Bottom = host.Top + height;
    host.Planes = (layout & 1) ? 4 : 3;
    host.RowBytes = width * host.Planes + ((layout >> 1) & 7);

    const std::size_t rows = std::size_t(host.RowBytes) * std::size_t(height);
    std::vector<std::uint8_t> buffer(Guard + rows + Guard, GuardByte);
    for (std::size_t i = 0; i < rows; ++i)
        buffer[Guard + i] = Initial(i);
    const TExchangeReadBack result = PluginReadBack(file, host, buffer.data() + Guard);

    for (std::size_t i = 0; i < Guard; ++i)
        if (buffer[i] != GuardByte || buffer[Guard + rows + i] != GuardByte)
            std::abort(); // written outside the host's rows
    const std::size_t colourBytes = result == TExchangeReadBack::Copied ? 3 : 0;
    // With as many planes as the host, a copied pixel may carry all of them.
    const std::optional<TExchangeHeader> header = ReadExchangeHeader(file);
    const std::size_t pixelBytes =
        result == TExchangeReadBack::Copied && header && header->Planes == host.Planes ? std::size_t(host.Planes) : colourBytes;
    for (std::size_t i = 0; i < rows; ++i) {
        const std::size_t column = i % std::size_t(host.RowBytes);
        const bool pixel = column < std::size_t(width) * std::size_t(host.Planes);
        const bool mayChange = pixel && column % std::size_t(host.Planes) < pixelBytes;
        if (!mayChange && buffer[Guard + i] != Initial(i))
            std::abort(); // padding, a further plane, or anything after a refusal
    }
    return 0;
}
