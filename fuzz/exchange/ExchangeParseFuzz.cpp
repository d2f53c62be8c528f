// Arbitrary bytes as an exchange file: whatever the header claims, the parser reads only
// inside the bytes, and so do the pixel copy, the EXIF trailer and the plug-in's read-back.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "editor/VxExif.h"
#include "exchange/VxExchange.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> file(data, size);
    if (const std::optional<TExchangeHeader> header = ParseExchange(file)) {
        // The rows fit in the file, so the picture is never larger than the input.
        TVxPixelBuffer pixels(fmtBGR24, Bounds(0, 0, header->Width, header->Height));
        ReadExchangePixels(file, *header, pixels);
        if (const auto payload = ExchangeExifPayload(file, *header)) {
            TVxCustomProperties properties;
            ParseExifBlock(*payload, properties);
            BuildExifBlock(properties);
        }
    }
    if (const std::optional<TExchangeHeader> header = ReadExchangeHeader(file)) {
        // A host that agrees on size and mode but keeps its own layout.
        const std::int64_t width = header->Width;
        const std::int64_t height = header->Height;
        if (width > 0 && height > 0 && width <= 4096 && height <= 4096) {
            for (const std::int32_t planes : {3, 4}) {
                const TExchangeHostImage host{header->ImageMode, 0, 0, header->Width, header->Height, planes,
                                              static_cast<std::int32_t>(width * planes + 1)};
                std::vector<std::uint8_t> output(static_cast<std::size_t>(host.RowBytes) * static_cast<std::size_t>(height));
                PluginReadBack(file, host, output.data());
            }
        }
    }
    return 0;
}
