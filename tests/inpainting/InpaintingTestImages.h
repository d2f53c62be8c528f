#pragma once
// Small synthetic pictures for the inpainting tests.
#include <array>
#include <cstdint>
#include <functional>

#include "imaging/VxBitmap.h"
#include "support/VxTestPictures.h"

using TBgr = std::array<std::uint8_t, 3>;

inline TBgr PixelAt(const TVxPixels& image, std::int32_t x, std::int32_t y)
{
    const std::uint8_t* p = image.PixelAddress(x, y);
    return {p[0], p[1], p[2]};
}

inline void SetPixel(TVxPixels& image, std::int32_t x, std::int32_t y, const TBgr& colour)
{
    std::uint8_t* p = image.PixelAddress(x, y);
    p[0] = colour[0];
    p[1] = colour[1];
    p[2] = colour[2];
}

inline void FillImage(TVxPixels& image, const std::function<TBgr(std::int32_t, std::int32_t)>& colourAt)
{
    FillPicture(image, [&](std::int32_t x, std::int32_t y) {
        const TBgr c = colourAt(image.Left() + x, image.Top() + y);
        return static_cast<std::uint32_t>(c[2]) << 16 | static_cast<std::uint32_t>(c[1]) << 8 | c[0];
    });
}

inline void FillRect(TVxPixels& image, const TRect& rect, const TBgr& colour)
{
    for (std::int32_t y = rect.Top; y < rect.Bottom; ++y)
        for (std::int32_t x = rect.Left; x < rect.Right; ++x)
            SetPixel(image, x, y, colour);
}

// Deterministic per-pixel noise in 40..200, different in every channel, so that no two
// orientations of a patch look alike.
inline std::uint8_t NoiseChannel(std::int32_t x, std::int32_t y, int channel)
{
    std::uint32_t h = static_cast<std::uint32_t>(x) * 73856093u ^ static_cast<std::uint32_t>(y) * 19349663u ^
                      static_cast<std::uint32_t>(channel + 1) * 83492791u;
    h ^= h >> 13;
    h *= 0x5BD1E995u;
    h ^= h >> 15;
    return static_cast<std::uint8_t>(40 + h % 161);
}

inline TBgr Noise(std::int32_t x, std::int32_t y)
{
    return {NoiseChannel(x, y, 0), NoiseChannel(x, y, 1), NoiseChannel(x, y, 2)};
}

inline bool InDisc(std::int32_t a, std::int32_t b, double centre, double radius)
{
    return (a - centre) * (a - centre) + (b - centre) * (b - centre) <= radius * radius;
}
