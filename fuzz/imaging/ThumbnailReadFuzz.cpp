// A ".tmb" thumbnail as it lies in the object library: a kind byte, a size and raw
// pixels, no checksum. Reading must refuse short or unknown files without reading past
// them, and a file read as valid must write back to the same bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "imaging/VxThumbnail.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TThumbnail thumb(0, 0, 0);
    const bool valid = thumb.ReadFrom(std::span(data, size));
    if (valid != thumb.Valid())
        __builtin_trap();
    if (!valid) {
        if (thumb.GetPixel(0, 0) != 0)
            __builtin_trap();
        return 0;
    }
    const std::vector<std::uint8_t> written = thumb.WriteTo();
    if (written.size() > size || !std::equal(written.begin(), written.end(), data))
        __builtin_trap();
    // Positions around and outside the thumbnail read black or a pixel, never past it.
    for (std::int32_t x : {-1, 0, thumb.Width() - 1, static_cast<std::int32_t>(thumb.Width())})
        for (std::int32_t y : {-1, 0, thumb.Height() - 1, static_cast<std::int32_t>(thumb.Height())})
            static_cast<void>(thumb.GetPixel(x, y));
    return 0;
}
