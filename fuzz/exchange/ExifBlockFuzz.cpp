// Arbitrary bytes as the EXIF block of an exchange trailer or a JPEG/PNG file: the
// reader stays inside them, and what it found writes and reads back again.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "editor/VxExif.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    TVxCustomProperties properties;
    if (ParseExifBlock(bytes, properties)) {
        const std::vector<std::uint8_t> block = BuildExifBlock(properties);
        TVxCustomProperties again;
        if (!block.empty() && !ParseExifBlock(block, again))
            __builtin_trap();
    }
    FindJpegExif(bytes);
    FindPngExif(bytes);
    const std::uint8_t tiny[] = {'I', 'I', 42, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    SpliceJpegExif(bytes, tiny);
    SplicePngExif(bytes, tiny);
    return 0;
}
