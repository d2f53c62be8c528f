// The matte text after decompression, where most of the parser's decisions lie (the
// zlib checksum keeps mutated streams from reaching it often).
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "separation/AlphaChanal.h"

// Mattes up to the loader's full limit only make the fuzzer slow; every check but the
// final area comparison is the same below it.
constexpr std::uint64_t FuzzMaxArea = std::uint64_t{1} << 16;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::istringstream stream(std::string(reinterpret_cast<const char*>(data), size));
    TAlphaChanal matte;
    matte.SetSize(3, 2);
    if (!matte.LoadFromStream(stream, FuzzMaxArea))
        return 0;
    if (static_cast<std::uint64_t>(matte.Width()) * static_cast<std::uint64_t>(matte.Height()) > FuzzMaxArea ||
        matte.MarginX() < 0 || matte.MarginY() < 0)
        __builtin_trap();
    // A loaded matte saves and loads again (small ones: padding twice stays in the limits).
    if (matte.Width() > 256 || matte.Height() > 256)
        return 0;
    std::stringstream saved;
    matte.SaveToStream(saved);
    TAlphaChanal again;
    if (!again.LoadFromStream(saved))
        __builtin_trap();
    return 0;
}
