#pragma once
// Tiny pictures and marks made in code for the separation tests.
#include <cstdint>
#include <string>

#include "imaging/VxBitmap.h"
#include "separation/MarkedRegion.h"

inline void SetPixel(TVxPixels& image, std::int32_t x, std::int32_t y, std::uint8_t blue, std::uint8_t green,
                     std::uint8_t red)
{
    std::uint8_t* p = image.PixelAddress(x, y);
    p[0] = blue;
    p[1] = green;
    p[2] = red;
}

inline std::uint32_t PixelColour(const TVxPixels& image, std::int32_t x, std::int32_t y)
{
    const std::uint8_t* p = image.PixelAddress(x, y);
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16);
}

inline void FillImage(TVxPixels& image, std::uint8_t blue, std::uint8_t green, std::uint8_t red)
{
    for (std::int32_t y = 0; y < image.Height(); ++y)
        for (std::int32_t x = 0; x < image.Width(); ++x)
            SetPixel(image, x, y, blue, green, red);
}

// Labels drawn as text, one string per row: '.' unmarked, digits are labels.
inline void PaintLabels(TMarkedRegion& region, std::initializer_list<const char*> rows)
{
    std::int32_t y = 0;
    for (const char* row : rows) {
        for (std::int32_t x = 0; row[x]; ++x)
            if (row[x] != '.')
                region.SetLabel(x, y, static_cast<std::uint8_t>(row[x] - '0'));
        ++y;
    }
}

// The current labels as text rows, the same notation.
inline std::string LabelRows(const TMarkedRegion& region, bool saved = false)
{
    std::string text;
    for (std::int32_t y = 0; y < region.Height(); ++y) {
        for (std::int32_t x = 0; x < region.Width(); ++x) {
            const std::uint8_t label = saved ? region.SavedLabelAt(x, y) : region.LabelAt(x, y);
            text += label == 0 && !saved ? '.' : static_cast<char>('0' + label);
        }
        text += '\n';
    }
    return text;
}

// FNV-1a, to pin a whole label grid in one number.
inline std::uint64_t Fnv1a(std::uint64_t hash, std::uint8_t byte)
{
    return (hash ^ byte) * 0x100000001b3ull;
}
