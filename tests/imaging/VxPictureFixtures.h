#pragma once
// Small pictures made in code for the resampling, bitmap and thumbnail tests.
#include <cstdint>

#include "imaging/VxBitmap.h"
#include "support/VxPixelCompare.h"
#include "support/VxTestPictures.h"

namespace VxFixtures {

// The shared ones, under the names these tests have always used.
using ::FillRandom;
using ::SamePixels;

inline void FillUniform(TVxPixels& picture, std::uint8_t blue, std::uint8_t green, std::uint8_t red)
{
    for (std::int32_t y = picture.Top(); y < picture.Top() + picture.Height(); ++y)
        for (std::int32_t x = picture.Left(); x < picture.Left() + picture.Width(); ++x) {
            std::uint8_t* p = picture.PixelAddress(x, y);
            p[0] = blue;
            p[1] = green;
            p[2] = red;
        }
}

// Blue = x, green = y, red = a constant: every pixel names where it came from.
inline void FillWithCoordinates(TVxPixels& picture, std::uint8_t red = 0x5A)
{
    for (std::int32_t y = picture.Top(); y < picture.Top() + picture.Height(); ++y)
        for (std::int32_t x = picture.Left(); x < picture.Left() + picture.Width(); ++x) {
            std::uint8_t* p = picture.PixelAddress(x, y);
            p[0] = static_cast<std::uint8_t>(x);
            p[1] = static_cast<std::uint8_t>(y);
            p[2] = red;
        }
}

inline bool PixelIs(const TVxPixels& picture, std::int32_t x, std::int32_t y, std::uint8_t blue, std::uint8_t green,
                    std::uint8_t red)
{
    const std::uint8_t* p = picture.PixelAddress(x, y);
    return p[0] == blue && p[1] == green && p[2] == red;
}

} // namespace VxFixtures
