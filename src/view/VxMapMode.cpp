#include "view/VxMapMode.h"

#include <algorithm>
#include <cmath>

namespace {

// Real division then floor: at 1/3 logical 2 lands on device 0 and 3 on 1, and negative
// coordinates round away from zero instead of towards it.
std::int32_t Map(std::int32_t value, std::int32_t fromOrigin, std::int32_t toExtent, std::int32_t fromExtent,
                 std::int32_t toOrigin)
{
    const double scaled = (static_cast<double>(value) - fromOrigin) * toExtent / fromExtent;
    return static_cast<std::int32_t>(std::floor(scaled)) + toOrigin;
}

// Ties go to the even neighbour (the default rounding mode), as the unit conversions of
// the printing page have always rounded.
std::int32_t RoundToInt(double value) { return static_cast<std::int32_t>(std::nearbyint(value)); }

std::int64_t FloorDiv(std::int64_t a, std::int64_t b)
{
    const std::int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

std::int64_t CeilDiv(std::int64_t a, std::int64_t b) { return -FloorDiv(-a, b); }

// The new viewport origin of one axis: the device offset of the point from the origin is
// scaled by the change of ratio, then moved, when zooming in, just far enough that the
// logical pixel it lay in is the one found there again.
std::int32_t ZoomedOrigin(std::int32_t point, std::int32_t origin, std::int32_t viewportExt, std::int32_t windowExt,
                          std::int32_t newViewportExt, std::int32_t newWindowExt)
{
    const std::int64_t offset = static_cast<std::int64_t>(point) - origin;
    const std::int64_t logical = FloorDiv(offset * windowExt, viewportExt);
    std::int64_t scaled = FloorDiv(offset * windowExt * newViewportExt, static_cast<std::int64_t>(viewportExt) * newWindowExt);
    if (newViewportExt >= newWindowExt)
        scaled = std::max(scaled, CeilDiv(logical * newViewportExt, newWindowExt));
    return static_cast<std::int32_t>(point - scaled);
}

constexpr double HundredthsPerCentimetre = 1000.0;
constexpr double HundredthsPerInch = 2540.0;
constexpr double HundredthsPerMillimetre = 100.0;
constexpr double HundredthsPerPoint = 2540.0 / 72.0;

} // namespace

TPoint TVxMapMode::DeviceToLogical(const TPoint& point) const
{
    return TPoint{Map(point.X, ViewportOrgX, WindowExtX, ViewportExtX, WindowOrgX),
                  Map(point.Y, ViewportOrgY, WindowExtY, ViewportExtY, WindowOrgY)};
}

TPoint TVxMapMode::LogicalToDevice(const TPoint& point) const
{
    return TPoint{Map(point.X, WindowOrgX, ViewportExtX, WindowExtX, ViewportOrgX),
                  Map(point.Y, WindowOrgY, ViewportExtY, WindowExtY, ViewportOrgY)};
}

TRect TVxMapMode::LogicalToDeviceRect(const TRect& rect) const
{
    const TPoint topLeft = LogicalToDevice(TPoint{rect.Left, rect.Top});
    const TPoint bottomRight = LogicalToDevice(TPoint{rect.Right, rect.Bottom});
    return TRect{topLeft.X, topLeft.Y, bottomRight.X, bottomRight.Y};
}

TRect TVxMapMode::DeviceToLogicalRect(const TRect& rect) const
{
    const TPoint topLeft = DeviceToLogical(TPoint{rect.Left, rect.Top});
    const TPoint bottomRight = DeviceToLogical(TPoint{rect.Right, rect.Bottom});
    return TRect{topLeft.X, topLeft.Y, bottomRight.X, bottomRight.Y};
}

void TVxMapMode::SetScale(std::int32_t numerator, std::int32_t denominator)
{
    ViewportExtX = ViewportExtY = numerator;
    WindowExtX = WindowExtY = denominator;
}

void TVxMapMode::ZoomAbout(const TPoint& devicePoint, std::int32_t numerator, std::int32_t denominator)
{
    ViewportOrgX = ZoomedOrigin(devicePoint.X, ViewportOrgX, ViewportExtX, WindowExtX, numerator, denominator);
    ViewportOrgY = ZoomedOrigin(devicePoint.Y, ViewportOrgY, ViewportExtY, WindowExtY, numerator, denominator);
    SetScale(numerator, denominator);
}

void TVxMapMode::MoveViewportOrigin(std::int32_t dx, std::int32_t dy)
{
    ViewportOrgX += dx;
    ViewportOrgY += dy;
}

void TVxHiMetric::SetupForDevice(const TVxDeviceMetrics& metrics)
{
    ViewportExtX = metrics.PrintableWidthPixels;
    ViewportExtY = metrics.PrintableHeightPixels;
    ViewportOrgX = -metrics.PhysicalOffsetX;
    ViewportOrgY = -metrics.PhysicalOffsetY;
    WindowExtX = metrics.PrintableWidthMillimetres * 100;
    WindowExtY = metrics.PrintableHeightMillimetres * 100;
    WindowOrgX = WindowOrgY = 0;
}

std::int32_t TVxHiMetric::FromCentimetres(double value) { return RoundToInt(value * HundredthsPerCentimetre); }
std::int32_t TVxHiMetric::FromInches(double value) { return RoundToInt(value * HundredthsPerInch); }
std::int32_t TVxHiMetric::FromMillimetres(double value) { return RoundToInt(value * HundredthsPerMillimetre); }
std::int32_t TVxHiMetric::FromPoints(double value) { return RoundToInt(value * HundredthsPerPoint); }
double TVxHiMetric::ToCentimetres(std::int32_t value) { return value / HundredthsPerCentimetre; }
double TVxHiMetric::ToInches(std::int32_t value) { return value / HundredthsPerInch; }
double TVxHiMetric::ToMillimetres(std::int32_t value) { return value / HundredthsPerMillimetre; }
double TVxHiMetric::ToPoints(std::int32_t value) { return value / HundredthsPerPoint; }
