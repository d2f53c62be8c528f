// A JPEG file as the document's JPEG library object reads it: the header's facts, the
// decoded pixels, a lossless turn of the held source, and the in-place EXIF edits of
// whatever APP1 block it carries. Outside data: it must be refused or decoded without
// reading past it, and libjpeg's error exits must come back as plain failures.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "editor/VxExif.h"
#include "editor/VxJPEG.h"

namespace {

void EditExif(const std::uint8_t* data, std::size_t size)
{
    for (std::size_t at = 2; at + 10 <= size; ++at) {
        if (data[at] != 0xFF || data[at + 1] != 0xE1 || std::memcmp(data + at + 4, "Exif\0\0", 6) != 0)
            continue;
        const std::size_t length = static_cast<std::size_t>(data[at + 2] << 8 | data[at + 3]);
        if (length < 8 || at + 2 + length > size)
            return;
        std::vector<std::uint8_t> tiff(data + at + 10, data + at + 2 + length);
        SetExifOrientation(tiff, 1);
        UnlinkExifThumbnail(tiff);
        return;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Large enough for every corpus file, small enough that a lying header cannot make
    // the fuzzer allocate gigabytes.
    TVxJPEG::SetMaxPixels(1 << 20);
    EditExif(data, size);
    TVxJPEG jpeg;
    if (!jpeg.LoadFromMemory(std::vector<std::uint8_t>(data, data + size)))
        return 0;
    if (jpeg.Width() <= 0 || jpeg.Height() <= 0 || static_cast<std::int64_t>(jpeg.Width()) * jpeg.Height() > (1 << 20))
        __builtin_trap();
    const std::int32_t stride = (jpeg.Width() * 3 + 3) & ~3;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(stride) * jpeg.Height());
    jpeg.Decode(pixels.data(), stride);
    const std::int32_t width = jpeg.Width(), height = jpeg.Height();
    if (jpeg.Rotate90Clockwise(0) && (jpeg.Width() != height || jpeg.Height() != width))
        __builtin_trap();
    return 0;
}
