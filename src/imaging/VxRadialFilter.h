#pragma once
// Filters of a distance for sampling a picture at a real position: every pixel centre
// within the radius weighs by its distance. The table index is what tools store and pass
// around (0 "No (quickest)" for quick feedback, 2 "Hermite" for final pastes).
//
//   std::uint32_t color = SampleRadial(picture, 2, 10.25, 7.5);   // 0x00RRGGBB
//
// Other holders of pixels (the cut-out object with its matte) walk the same window with
// ForEachRadialTap and weigh their own channels.
#include <array>
#include <cmath>
#include <cstdint>

#include "imaging/VxBitmap.h"

using TRadialWeight = double (*)(double distance);

struct TRadialFilter {
    const char* Name;
    double Radius;
    TRadialWeight Weight; // of a non-negative distance; 0 beyond its ranges
};

constexpr std::int32_t RadialFilterCount = 7;
extern const std::array<TRadialFilter, RadialFilterCount> RadialFilters;

// An index outside the table falls back to filter 0 instead of reading past it.
const TRadialFilter& RadialFilter(std::int32_t index);

// Inclusive pixel ranges of the window around (x, y); empty when Left > Right or
// Top > Bottom (a position far outside, or not a number).
struct TRadialWindow {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = -1;
    std::int32_t Bottom = -1;
};

TRadialWindow RadialWindow(double radius, double x, double y, std::int32_t width, std::int32_t height);

// Calls visit(i, j, weight) for every pixel (i, j) of the window, rows outer, with the
// filter's weight of the distance between (x, y) and (i, j).
template <typename TVisit>
void ForEachRadialTap(const TRadialFilter& filter, double x, double y, std::int32_t width, std::int32_t height,
                      TVisit&& visit)
{
    const TRadialWindow window = RadialWindow(filter.Radius, x, y, width, height);
    for (std::int32_t j = window.Top; j <= window.Bottom; ++j) {
        const double dy = y - j;
        for (std::int32_t i = window.Left; i <= window.Right; ++i) {
            const double dx = x - i;
            visit(i, j, filter.Weight(std::sqrt(dx * dx + dy * dy)));
        }
    }
}

// The colour (0x00RRGGBB) of a fmtBGR24 picture at (x, y), measured from the picture's
// top-left pixel: weighted sums in single precision, divided by the weight total,
// rounded and clamped; black when no weight falls on the picture.
std::uint32_t SampleRadial(const TVxPixels& picture, std::int32_t filter, double x, double y);
