// A tiny picture and its marks from the fuzzer's bytes, segmented the way the tool does
// it: every label, colour and size must end in a clean run.
#include <cstddef>
#include <cstdint>

#include "imaging/VxBitmap.h"
#include "separation/GrowCut.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const std::int32_t width = 1 + data[0] % 24;
    const std::int32_t height = 1 + data[1] % 24;
    data += 2;
    size -= 2;
    TVxPixelBuffer image(fmtBGR24, TRect{0, 0, width, height});
    TMarkedRegion region;
    if (!region.Attach(image))
        __builtin_trap();
    region.SetKind(7, 26);
    region.SetKind(8, 25);
    region.SetKind(6, 12);
    std::size_t next = 0;
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x) {
            std::uint8_t* p = image.PixelAddress(x, y);
            for (int c = 0; c < 3; ++c)
                p[c] = next < size ? data[next++] : 0;
        }
    for (std::int32_t x = 0; x < width; ++x)
        for (std::int32_t y = 0; y < height; ++y)
            region.SetLabel(x, y, next < size ? data[next++] % 10 : 0);
    const TSegmentationResult result = RunSegmentation(region);
    if (result.Outcome == TSegmentationOutcome::soCompleted && (region.HasLabel(7) || region.HasLabel(8)))
        __builtin_trap();
    return 0;
}
