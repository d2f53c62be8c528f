#include "imaging/VxMapping.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// A width or height less one as a double: the distance between the outer pixel centres.
double Span(std::int32_t low, std::int32_t high)
{
    return static_cast<double>(static_cast<std::int64_t>(high) - low - 1);
}

double SafeQuotient(double numerator, double divisor)
{
    return divisor == 0.0 ? 0.0 : numerator / divisor;
}

} // namespace

std::int32_t RoundToInt(double x)
{
    if (std::isnan(x))
        return 0;
    const double rounded = std::nearbyint(x);
    if (rounded <= -2147483648.0)
        return INT32_MIN;
    if (rounded >= 2147483647.0)
        return INT32_MAX;
    return static_cast<std::int32_t>(rounded);
}

// ---------------------------------------------------------------- TRectToRect

TRectToRect::TRectToRect(const TRect& sourceRect, const TRect& destRect, bool keepProportions)
    : FDest(destRect), FOrigin{static_cast<double>(sourceRect.Left), static_cast<double>(sourceRect.Top)}
{
    ComputeScales(sourceRect);
    if (keepProportions) {
        KeepProportions(sourceRect);
        ComputeScales(sourceRect);
    }
}

void TRectToRect::ComputeScales(const TRect& sourceRect)
{
    FScaleX = SafeQuotient(Span(sourceRect.Left, sourceRect.Right), Span(FDest.Left, FDest.Right));
    FScaleY = SafeQuotient(Span(sourceRect.Top, sourceRect.Bottom), Span(FDest.Top, FDest.Bottom));
}

// Shrinks Dest along the axis with the smaller scale so that both axes use the larger
// one; the odd row or column of the margin goes to the far side.
void TRectToRect::KeepProportions(const TRect& sourceRect)
{
    if (FScaleX > FScaleY) {
        const std::int32_t r =
            RoundToInt(Span(FDest.Top, FDest.Bottom) - Span(sourceRect.Top, sourceRect.Bottom) / FScaleX);
        FDest.Top += r / 2;
        FDest.Bottom -= r - r / 2;
    } else if (FScaleY != 0.0) {
        // Both scales 0 (a one-pixel source on a one-pixel destination axis) leaves
        // nothing to fit; dividing would only make a NaN margin.
        const std::int32_t r =
            RoundToInt(Span(FDest.Left, FDest.Right) - Span(sourceRect.Left, sourceRect.Right) / FScaleY);
        FDest.Left += r / 2;
        FDest.Right -= r - r / 2;
    }
}

TPointD TRectToRect::MapPoint(std::int32_t x, std::int32_t y) const
{
    return TPointD{(static_cast<double>(x) - FDest.Left) * FScaleX + FOrigin.X,
                   (static_cast<double>(y) - FDest.Top) * FScaleY + FOrigin.Y};
}

TPoint TRectToRect::MapPointRounded(std::int32_t x, std::int32_t y) const
{
    const TPointD p = MapPoint(x, y);
    return TPoint{RoundToInt(p.X), RoundToInt(p.Y)};
}

// ---------------------------------------------------------------- TRectToRotatedRect

TRectToRotatedRect::TRectToRotatedRect(const TRect& sourceRect, const TRect& destRect, bool keepProportions,
                                       double angleDegrees)
    : TRectToRect(sourceRect, destRect, keepProportions),
      FAngle(static_cast<double>(static_cast<long double>(angleDegrees) / 180.0L * std::numbers::pi_v<long double>)),
      FCenter{Span(sourceRect.Left, sourceRect.Right) / 2.0, Span(sourceRect.Top, sourceRect.Bottom) / 2.0}
{
}

TPointD TRectToRotatedRect::MapPoint(std::int32_t x, std::int32_t y) const
{
    return RotatePoint(TRectToRect::MapPoint(x, y), FCenter, -FAngle);
}

// ---------------------------------------------------------------- TLine

TLine TLine::FromPoints(const TPointD& p, const TPointD& q)
{
    TLine line;
    line.A = q.Y - p.Y;
    line.B = p.X - q.X;
    line.C = -(p.X * line.A + p.Y * line.B);
    const double largest = std::max({std::fabs(line.A), std::fabs(line.B), std::fabs(line.C)});
    // Two equal points give no line; leave it all zeros rather than NaN.
    if (largest != 0.0) {
        line.A /= largest;
        line.B /= largest;
        line.C /= largest;
    }
    return line;
}

double TLine::YAt(double x) const
{
    if (B == 0.0)
        return 0.0;
    return -(A * x + C) / B;
}

// ---------------------------------------------------------------- helpers

TPointD RotatePoint(const TPointD& p, const TPointD& center, double angle)
{
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    const double dx = p.X - center.X;
    const double dy = p.Y - center.Y;
    return TPointD{center.X + c * dx - s * dy, center.Y + s * dx + c * dy};
}

double Distance(const TPointD& p, const TPointD& q)
{
    const double dx = p.X - q.X;
    const double dy = p.Y - q.Y;
    return std::sqrt(dx * dx + dy * dy);
}

double Distance(const TPoint& p, const TPoint& q)
{
    const double dx = static_cast<double>(static_cast<std::int64_t>(p.X) - q.X);
    const double dy = static_cast<double>(static_cast<std::int64_t>(p.Y) - q.Y);
    return std::sqrt(dx * dx + dy * dy);
}

bool InRange(std::int32_t x, std::int32_t y, std::int32_t maxX, std::int32_t maxY)
{
    return x >= 0 && x <= maxX && y >= 0 && y <= maxY;
}

bool InRange(double x, double y, double maxX, double maxY)
{
    return x >= 0.0 && x <= maxX && y >= 0.0 && y <= maxY;
}

bool SameValue(double a, double b, double epsilon)
{
    return std::fabs(a - b) <= epsilon;
}

bool IsZero(double a, double epsilon)
{
    return std::fabs(a) <= epsilon;
}

double ClampDouble(double value, double low, double high)
{
    return value < low ? low : (value > high ? high : value);
}

long double ClampExtended(long double value, long double low, long double high)
{
    return value < low ? low : (value > high ? high : value);
}

std::int64_t ClampInt64(std::int64_t value, std::int64_t low, std::int64_t high)
{
    return value < low ? low : (value > high ? high : value);
}

std::uint8_t ClampToByte(double x)
{
    // NaN fails both comparisons of ClampDouble; treat it as 0 explicitly.
    if (std::isnan(x))
        return 0;
    return static_cast<std::uint8_t>(std::nearbyint(ClampDouble(x, 0.0, 255.0)));
}
