#pragma once
// Tiny pictures for the seam tests, generated in code.
#include <cstdint>
#include <vector>

#include "imaging/VxBitmap.h"
#include "seams/SeemWayRatio.h"
#include "support/VxTestPictures.h"

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
