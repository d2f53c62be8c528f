#pragma once
// Tiny pictures and marks made in code for the separation tests.
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

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

// The labels as text lines, the notation of LabelRows.
inline std::vector<std::string> LabelLines(const TMarkedRegion& region, bool saved = false)
{
    std::vector<std::string> lines;
    const std::string text = LabelRows(region, saved);
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// Label grids as text lines; a failure names the first pixel (row by row) that differs.
inline testing::AssertionResult SameLabelRows(const std::vector<std::string>& actual,
                                              const std::vector<std::string>& expected)
{
    if (actual.size() != expected.size())
        return testing::AssertionFailure() << actual.size() << " rows instead of " << expected.size();
    for (std::size_t y = 0; y < actual.size(); ++y) {
        if (actual[y].size() != expected[y].size())
            return testing::AssertionFailure() << "row " << y << " is " << actual[y].size() << " long instead of "
                                               << expected[y].size();
        for (std::size_t x = 0; x < actual[y].size(); ++x)
            if (actual[y][x] != expected[y][x])
                return testing::AssertionFailure() << "first differing label at (" << x << ", " << y << "): '"
                                                   << actual[y][x] << "' instead of '" << expected[y][x]
                                                   << "'\n  row " << y << ": " << actual[y] << "\n  expected: "
                                                   << expected[y];
    }
    return testing::AssertionSuccess();
}
