#include "tools/VxBrushShapes.h"

#include <algorithm>
#include <cmath>

namespace {

// Round as the brushes have always rounded: to nearest, ties to even (the default
// rounding mode), so 127.5 and 128.5 both give 128.
std::uint8_t RoundWeight(double value)
{
    return static_cast<std::uint8_t>(std::clamp(std::nearbyint(value), 0.0, 255.0));
}

// pow() is not correctly rounded in every C library; the brushes in use have whole
// exponents (hardness a multiple of 16), which repeated multiplication gives the same on
// every platform.
double PowerOf(double base, double exponent)
{
    const double whole = std::floor(exponent);
    if (whole != exponent || whole < 0 || whole > 64)
        return std::pow(base, exponent);
    double result = 1.0;
    for (int i = 0; i < static_cast<int>(whole); ++i)
        result *= base;
    return result;
}

// Prepares the zero-filled square of a brush at (0, 0) and returns its half side d.
std::int32_t PrepareSquare(TVxPixelMask& mask, std::int32_t size)
{
    const std::int32_t d = std::max(0, size) / 2;
    mask.SetBounds(0, 0, 2 * d + 1, 2 * d + 1);
    return d;
}

void SetMirrored(TVxPixelMask& mask, std::int32_t d, std::int32_t e, std::int32_t f, std::uint8_t value)
{
    *mask.ValueAt(d + f, d + e) = value;
    *mask.ValueAt(d - f, d + e) = value;
    *mask.ValueAt(d + f, d - e) = value;
    *mask.ValueAt(d - f, d - e) = value;
}

} // namespace

TRect BrushRect(const TPoint& centre, std::int32_t size)
{
    const std::int32_t half = size / 2;
    return TRect{centre.X - half, centre.Y - half, centre.X + half + 1, centre.Y + half + 1};
}

void BuildLinearBrush(TVxPixelMask& mask, std::int32_t size, std::int32_t hardness, std::int32_t strength)
{
    const std::int32_t d = PrepareSquare(mask, size);
    if (d == 0) {
        *mask.ValueAt(0, 0) = 255;
        return;
    }
    const double half = size / 2.0;
    const double outer = half + 0.5;
    const double inner = half - half * (1.0 - hardness / 255.0) - 0.5;
    const double value = std::clamp(strength, 0, 255);
    for (std::int32_t e = 0; e <= d; ++e)
        for (std::int32_t f = 0; f <= d; ++f) {
            const double m = std::sqrt(static_cast<double>(e * e + f * f));
            if (m > outer)
                break; // further along this row only lies farther out
            SetMirrored(mask, d, e, f,
                        m <= inner ? static_cast<std::uint8_t>(value)
                                   : RoundWeight((outer - m) / (outer - inner) * value));
        }
}

void BuildPowerBrush(TVxPixelMask& mask, std::int32_t size, std::int32_t hardness, std::int32_t strength)
{
    const std::int32_t d = PrepareSquare(mask, size);
    const double value = std::clamp(strength, 0, 255);
    if (d == 0) {
        *mask.ValueAt(0, 0) = static_cast<std::uint8_t>(value);
        return;
    }
    const double exponent = hardness / 16.0;
    for (std::int32_t e = 0; e <= d; ++e)
        for (std::int32_t f = 0; f <= d; ++f) {
            const double g = std::sqrt(static_cast<double>(e * e + f * f)) * 2.0 / size;
            SetMirrored(mask, d, e, f, g >= 1.0 ? 0 : RoundWeight((1.0 - PowerOf(g, exponent)) * value));
        }
}

void PaintThroughMask(const TVxPixelMask& mask, const TVxPixels& source, std::uint32_t color, const TRect& rect,
                      TVxPixels& destination)
{
    if (source.Format() != fmtBGR24 || destination.Format() != fmtBGR24)
        return;
    const TRect area = IntersectRect(IntersectRect(rect, mask.GetBounds()),
                                     IntersectRect(source.GetBounds(), destination.GetBounds()));
    const std::int32_t paint[3] = {static_cast<std::int32_t>(color & 0xFF),
                                   static_cast<std::int32_t>((color >> 8) & 0xFF),
                                   static_cast<std::int32_t>((color >> 16) & 0xFF)};
    for (std::int32_t y = area.Top; y < area.Bottom; ++y) {
        const std::uint8_t* weights = mask.ValueAt(area.Left, y);
        const std::uint8_t* from = source.PixelAddress(area.Left, y);
        std::uint8_t* to = destination.PixelAddress(area.Left, y);
        for (std::int32_t x = 0; x < area.Width(); ++x, from += 3, to += 3) {
            const std::int32_t w = weights[x];
            if (w == 0)
                continue;
            for (int c = 0; c < 3; ++c)
                // An arithmetic shift floors a negative difference, as the division rule asks.
                to[c] = w == 255 ? static_cast<std::uint8_t>(paint[c])
                                 : static_cast<std::uint8_t>(from[c] + ((w * (paint[c] - from[c])) >> 8));
        }
    }
}

void MergeBrushMax(TVxPixelMask& stroke, const TVxPixelMask& brush, std::int32_t left, std::int32_t top)
{
    if (!brush.Data())
        return;
    stroke.Include(Bounds(left, top, brush.Width(), brush.Height()));
    for (std::int32_t y = 0; y < brush.Height(); ++y) {
        const std::uint8_t* from = brush.Data() + static_cast<std::size_t>(y) * brush.Width();
        std::uint8_t* to = stroke.ValueAt(left, top + y);
        for (std::int32_t x = 0; x < brush.Width(); ++x)
            to[x] = std::max(to[x], from[x]);
    }
}
