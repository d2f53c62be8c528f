// A collection matte as it lies on disk: a zlib stream of the matte text. Decompression
// and parsing must refuse damaged input without crashing or allocating without bound.
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
    std::istringstream packed(std::string(reinterpret_cast<const char*>(data), size));
    std::ostringstream text;
    // The loader's own cap is the text of the largest matte; a fuzzer needs a smaller one
    // to stay within its memory limit.
    if (!DecompressStream(packed, text, std::uint64_t{16} << 20))
        return 0;
    std::istringstream stream(text.str());
    TAlphaChanal matte;
    if (matte.LoadFromStream(stream, FuzzMaxArea) && (matte.Width() > MaxAlphaSide || matte.Height() > MaxAlphaSide))
        __builtin_trap();
    return 0;
}
