#pragma once
// The graphics view's zoom: 21 fixed ratios, the step chosen from the current ratio, and
// the fitting of a picture into the view.
//
//   TVxZoom next = ZoomInStep({1, 1});      // 3/2
//   TVxZoom fit  = FitZoom(view, picture);  // exact: 600/1080, not a step
#include <array>
#include <cstdint>
#include <string_view>

#include "imaging/VxGeometry.h"

struct TVxZoom {
    std::int32_t Numerator = 1;
    std::int32_t Denominator = 1;
    friend bool operator==(const TVxZoom&, const TVxZoom&) = default;
};

inline constexpr std::array<TVxZoom, 21> ZoomSteps{{{1, 16}, {1, 12}, {1, 8}, {1, 7}, {1, 6}, {1, 5}, {1, 4},
                                                    {1, 3},  {1, 2},  {3, 4}, {1, 1}, {3, 2}, {2, 1}, {3, 1},
                                                    {4, 1},  {5, 1},  {6, 1}, {7, 1}, {8, 1}, {12, 1}, {16, 1}}};

// The ratio in thousandths with the platform's multiply-divide rounding, so 1/3 and
// 333/1000 count as the same ratio.
std::int32_t ZoomThousandths(const TVxZoom& zoom);

// The first step greater than current, from the smallest; none: the largest.
TVxZoom ZoomInStep(const TVxZoom& current);
// The first step smaller than current, from the largest; none: the smallest.
TVxZoom ZoomOutStep(const TVxZoom& current);

// Fits the picture exactly, so a small picture is enlarged.
TVxZoom FitZoom(const TSize& view, const TSize& picture);
// Actual size when the view is at least as wide and as high as the picture, else the fit.
TVxZoom AutoFitZoom(const TSize& view, const TSize& picture);
