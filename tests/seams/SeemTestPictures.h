#pragma once
// Tiny pictures for the seam tests, generated in code.
#include <cstdint>
#include <functional>
#include <random>
#include <vector>

#include "imaging/VxBitmap.h"
#include "seams/SeemWayRatio.h"

using TPixelFunction = std::function<std::uint32_t(std::int32_t x, std::int32_t y)>; // 0x00RRGGBB

inline void FillPicture(TVxPixels& picture, const TPixelFunction& color)
{
    for (std::int32_t y = 0; y < picture.Height(); ++y)
        for (std::int32_t x = 0; x < picture.Width(); ++x)
            ColorToBytes(color(x, y), picture.PixelAddress(x, y));
}

inline void FillRandom(TVxPixels& picture, std::uint32_t seed)
{
    std::mt19937 random(seed);
    FillPicture(picture, [&](std::int32_t, std::int32_t) { return static_cast<std::uint32_t>(random() & 0xFFFFFF); });
}

inline std::uint32_t Gray(std::int32_t value)
{
    const auto v = static_cast<std::uint32_t>(value & 255);
    return v << 16 | v << 8 | v;
}

// Marks laid over the picture, one byte a pixel, rows top-down.
struct TMarkPlane {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::vector<std::uint8_t> Marks;

    TMarkPlane(std::int32_t width, std::int32_t height)
        : Width(width), Height(height), Marks(static_cast<std::size_t>(width) * height, 0)
    {
    }
    void Set(const TRect& rect, std::uint8_t mark)
    {
        for (std::int32_t y = rect.Top; y < rect.Bottom; ++y)
            for (std::int32_t x = rect.Left; x < rect.Right; ++x)
                Marks[static_cast<std::size_t>(y) * Width + x] = mark;
    }
    std::uint8_t At(std::int32_t x, std::int32_t y) const { return Marks[static_cast<std::size_t>(y) * Width + x]; }
};

// A finder fed pixel by pixel through AddPixel, gradient and energy computed.
inline void FeedFinder(TSeemWayRatio& finder, const TVxPixels& picture, std::int32_t width, std::int32_t height,
                       const TMarkPlane* marks = nullptr)
{
    finder.SetImageSize(width, height);
    for (std::int32_t x = 0; x < width; ++x)
        for (std::int32_t y = 0; y < height; ++y) {
            const std::uint8_t* p = picture.PixelAddress(x, y);
            finder.AddPixel(x, y, marks ? marks->At(x, y) : 0, p[0], p[1], p[2]);
        }
    finder.ComputeGradient();
    finder.ComputeEnergy();
}
