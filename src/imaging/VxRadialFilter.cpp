#include "imaging/VxRadialFilter.h"

#include <numbers>

#include "imaging/VxMapping.h"

namespace {

constexpr long double PiExtended = std::numbers::pi_v<long double>;

double NoFilter(double)
{
    return 1.0;
}

double Triangle(double d)
{
    return d < 1.0 ? 1.0 - d : 0.0;
}

double Hermite(double d)
{
    return d < 1.0 ? d * d * (2.0 * d - 3.0) + 1.0 : 0.0;
}

double Bell(double d)
{
    if (d < 0.5)
        return 0.75 - d * d;
    if (d < 1.5)
        return 0.5 * (d - 1.5) * (d - 1.5);
    return 0.0;
}

double BSpline(double d)
{
    if (d < 1.0)
        return d * d * d / 2.0 - d * d + 2.0 / 3.0;
    if (d < 2.0) {
        const double e = 2.0 - d;
        return e * e * e / 6.0;
    }
    return 0.0;
}

double Mitchell(double d)
{
    if (d < 1.0)
        return (7.0 / 6.0) * d * d * d - 2.0 * d * d + 8.0 / 9.0;
    if (d < 2.0)
        return -(7.0 / 18.0) * d * d * d + 2.0 * d * d - (10.0 / 3.0) * d + 16.0 / 9.0;
    return 0.0;
}

double Lanczos3(double d)
{
    if (d == 0.0)
        return 1.0;
    if (d >= 3.0)
        return 0.0;
    const long double pd = PiExtended * d;
    return static_cast<double>(std::sin(pd) * std::sin(pd / 3.0L) / (pd * pd / 3.0L));
}

std::int32_t WindowLow(double value)
{
    return static_cast<std::int32_t>(ClampDouble(std::floor(value), 0.0, 2147483647.0));
}

std::int32_t WindowHigh(double value, std::int32_t size)
{
    return static_cast<std::int32_t>(ClampDouble(std::ceil(value), -1.0, static_cast<double>(size) - 1.0));
}

} // namespace

const std::array<TRadialFilter, RadialFilterCount> RadialFilters = {{
    {"No (quickest)", 0.0, NoFilter},
    {"Triangle (quick)", 1.0, Triangle},
    {"Hermite", 1.0, Hermite},
    {"Bell", 1.5, Bell},
    {"B-Spline", 2.0, BSpline},
    {"Mitchell", 2.0, Mitchell},
    {"Lanczos3 (slow)", 3.0, Lanczos3},
}};

const TRadialFilter& RadialFilter(std::int32_t index)
{
    return RadialFilters[index >= 0 && index < RadialFilterCount ? static_cast<std::size_t>(index) : 0];
}

TRadialWindow RadialWindow(double radius, double x, double y, std::int32_t width, std::int32_t height)
{
    TRadialWindow window;
    if (!std::isfinite(x) || !std::isfinite(y) || width <= 0 || height <= 0)
        return window;
    window.Left = WindowLow(x - radius);
    window.Right = WindowHigh(x + radius, width);
    window.Top = WindowLow(y - radius);
    window.Bottom = WindowHigh(y + radius, height);
    return window;
}

std::uint32_t SampleRadial(const TVxPixels& picture, std::int32_t filter, double x, double y)
{
    if (picture.Format() != fmtBGR24 || !picture.Data())
        return 0;
    float sum[3] = {};
    float total = 0.0f;
    ForEachRadialTap(RadialFilter(filter), x, y, picture.Width(), picture.Height(),
                     [&](std::int32_t i, std::int32_t j, double w) {
                         const std::uint8_t* pixel = picture.PixelAddress(picture.Left() + i, picture.Top() + j);
                         for (int c = 0; c < 3; ++c)
                             sum[c] = static_cast<float>(static_cast<double>(sum[c]) + w * pixel[c]);
                         total = static_cast<float>(static_cast<double>(total) + w);
                     });
    if (total == 0.0f)
        return 0;
    std::uint32_t color = 0;
    for (int c = 0; c < 3; ++c)
        color |= static_cast<std::uint32_t>(ClampToByte(static_cast<double>(sum[c]) / total)) << (8 * c);
    return color;
}
