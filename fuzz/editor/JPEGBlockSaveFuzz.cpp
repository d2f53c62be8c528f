// The block-keeping save over outside data: a file is loaded and decoded, a few pixels
// are changed, and the save keeps every other MCU's coefficients. Whatever the file, the
// save either fails cleanly or writes a JPEG of the picture's size that decodes again.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "editor/VxJPEG.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TVxJPEG::SetMaxPixels(1 << 18);
    TVxJPEG jpeg;
    if (!jpeg.LoadFromMemory(std::vector<std::uint8_t>(data, data + size)))
        return 0;
    const std::int32_t width = jpeg.Width(), height = jpeg.Height();
    const std::int32_t stride = (width * 3 + 3) & ~3;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(stride) * height);
    if (!jpeg.Decode(pixels.data(), stride))
        return 0;
    // A small edit where the file's last byte says, so some MCUs change and others not.
    const std::int32_t x = data[size - 1] % width, y = (data[size - 1] * 7) % height;
    pixels[static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x) * 3] ^= 0x5A;
    const std::uint8_t* first = pixels.data();
    jpeg.SetRect(0, 0, width, height);
    jpeg.SetPixels(&first, stride, 0, 0);
    const auto saved = jpeg.SaveToMemory(TVxJPEGSaveParameters{});
    if (!saved)
        return 0;
    TVxJPEG again;
    if (!again.LoadFromMemory(*saved) || again.Width() != width || again.Height() != height)
        __builtin_trap();
    std::vector<std::uint8_t> decoded(static_cast<std::size_t>(stride) * height);
    if (!again.Decode(decoded.data(), stride))
        __builtin_trap();
    return 0;
}
