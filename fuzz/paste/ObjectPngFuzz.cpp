// A ".png" object of the collection, or any PNG the user imports. A damaged file must
// give the blank object; a read one must have its matte and pixels the same size.
#include <cstddef>
#include <cstdint>
#include <span>

#include "paste/BGRWithAlpha.h"

// Large enough for every seed, small enough for the fuzzer's memory limit.
constexpr std::uint64_t FuzzMaxArea = std::uint64_t{1} << 20;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TBGRWithAlpha object;
    const bool loaded = object.LoadPng(std::span(data, size), FuzzMaxArea);
    if (!loaded && (object.Width() != BlankObjectSide || object.Height() != BlankObjectSide))
        __builtin_trap();
    if (object.Alpha().Width() != object.Width() || object.Alpha().Height() != object.Height())
        __builtin_trap();
    const std::uint8_t background[3] = {1, 2, 3};
    const double w = object.Width();
    const double h = object.Height();
    for (std::int32_t filter : {0, 2, 6})
        for (double x : {-0.5, 0.0, w / 2.0, w - 1.0, w + 0.5})
            static_cast<void>(object.Sample(filter, x, h / 2.0, background));
    return 0;
}
