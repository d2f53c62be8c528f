#pragma once
// Small pictures made in code for the resampling, bitmap and thumbnail tests.
#include <cstdint>
#include <cstring>
#include <random>

#include "imaging/VxBitmap.h"

namespace VxFixtures {

inline void FillRandom(TVxPixels& picture, std::uint32_t seed)
{
    std::mt19937 random(seed);
    for (std::int32_t y = picture.Top(); y < picture.Top() + picture.Height(); ++y) {
        std::uint8_t* row = picture.Row(y);
        for (std::int32_t i = 0; i < picture.Width() * 3; ++i)
            row[i] = static_cast<std::uint8_t>(random() >> 24);
    }
}

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

// Same bounds and the same bytes in every pixel (row padding ignored).
inline bool SamePixels(const TVxPixels& a, const TVxPixels& b)
{
    if (a.GetBounds() != b.GetBounds() || a.Format() != b.Format())
        return false;
    const std::size_t rowBytes = static_cast<std::size_t>(a.Width()) * a.BytesPerPixel();
    for (std::int32_t y = a.Top(); y < a.Top() + a.Height(); ++y)
        if (std::memcmp(a.Row(y), b.Row(y), rowBytes) != 0)
            return false;
    return true;
}

} // namespace VxFixtures
