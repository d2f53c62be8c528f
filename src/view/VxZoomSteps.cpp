#include "view/VxZoomSteps.h"

#include "imaging/VxBitmap.h"

std::int32_t ZoomThousandths(const TVxZoom& zoom)
{
    return VxMulDiv(1000, zoom.Numerator, zoom.Denominator);
}

TVxZoom ZoomInStep(const TVxZoom& current)
{
    const std::int32_t now = ZoomThousandths(current);
    for (const TVxZoom& step : ZoomSteps)
        if (ZoomThousandths(step) > now)
            return step;
    return ZoomSteps.back();
}

TVxZoom ZoomOutStep(const TVxZoom& current)
{
    const std::int32_t now = ZoomThousandths(current);
    for (auto step = ZoomSteps.rbegin(); step != ZoomSteps.rend(); ++step)
        if (ZoomThousandths(*step) < now)
            return *step;
    return ZoomSteps.front();
}

TVxZoom FitZoom(const TSize& view, const TSize& picture)
{
    if (view.Width <= 0 || view.Height <= 0 || picture.Width <= 0 || picture.Height <= 0)
        return TVxZoom{};
    const double heightRatio = static_cast<double>(picture.Height) / view.Height;
    const double widthRatio = static_cast<double>(picture.Width) / view.Width;
    if (heightRatio >= widthRatio)
        return TVxZoom{view.Height, picture.Height};
    return TVxZoom{view.Width, picture.Width};
}

TVxZoom AutoFitZoom(const TSize& view, const TSize& picture)
{
    if (view.Width >= picture.Width && view.Height >= picture.Height)
        return TVxZoom{1, 1};
    return FitZoom(view, picture);
}
