#include "tools/VxCropOverlay.h"

namespace {

void DarkenRect(TVxPixels& surface, const TRect& rect)
{
    for (std::int32_t y = rect.Top; y < rect.Bottom; ++y) {
        std::uint8_t* p = surface.PixelAddress(rect.Left, y);
        for (std::int32_t i = 0; i < rect.Width() * 3; ++i)
            p[i] = static_cast<std::uint8_t>(p[i] - (p[i] * 92) / 256);
    }
}

void InvertRect(TVxPixels& surface, const TRect& rect)
{
    for (std::int32_t y = rect.Top; y < rect.Bottom; ++y) {
        std::uint8_t* p = surface.PixelAddress(rect.Left, y);
        for (std::int32_t i = 0; i < rect.Width() * 3; ++i)
            p[i] = static_cast<std::uint8_t>(255 - p[i]);
    }
}

void InvertPixel(TVxPixels& surface, std::int32_t x, std::int32_t y, const TRect& clip)
{
    if (clip.Contains(x, y))
        InvertRect(surface, TRect{x, y, x + 1, y + 1});
}

} // namespace

void DarkenOutside(TVxPixels& surface, const TRect& picture, const TRect& crop, const TRect& clip)
{
    const TRect area = IntersectRect(IntersectRect(picture, clip), surface.GetBounds());
    if (area.IsEmpty())
        return;
    const TRect inner = IntersectRect(crop, area);
    if (inner.IsEmpty()) {
        DarkenRect(surface, area);
        return;
    }
    DarkenRect(surface, TRect{area.Left, area.Top, area.Right, inner.Top});       // above
    DarkenRect(surface, TRect{area.Left, inner.Top, inner.Left, inner.Bottom});   // left
    DarkenRect(surface, TRect{inner.Right, inner.Top, area.Right, inner.Bottom}); // right
    DarkenRect(surface, TRect{area.Left, inner.Bottom, area.Right, area.Bottom}); // below
}

void InvertHandle(TVxPixels& surface, const TPoint& c, const TRect& clip)
{
    const TRect area = IntersectRect(clip, surface.GetBounds());
    const TRect outer = CropHandleSquare(c);
    const TRect inner{c.X - 3, c.Y - 3, c.X + 4, c.Y + 4};
    // Inverting both squares leaves only the ring between them changed.
    for (std::int32_t y = outer.Top; y < outer.Bottom; ++y)
        for (std::int32_t x = outer.Left; x < outer.Right; ++x)
            if (!inner.Contains(x, y))
                InvertPixel(surface, x, y, area);
}

void DottedFrame(TVxPixels& surface, const TRect& r, const TRect& clip)
{
    if (r.IsEmpty())
        return;
    const TRect area = IntersectRect(clip, surface.GetBounds());
    for (std::int32_t x = r.Left; x < r.Right; x += 2) {
        InvertPixel(surface, x, r.Top, area);
        if (r.Bottom - 1 > r.Top)
            InvertPixel(surface, x, r.Bottom - 1, area);
    }
    for (std::int32_t y = r.Top + 2; y < r.Bottom - 1; y += 2) {
        InvertPixel(surface, r.Left, y, area);
        if (r.Right - 1 > r.Left)
            InvertPixel(surface, r.Right - 1, y, area);
    }
}

void DrawCropHandles(TVxPixels& surface, const TRect& crop, const TRect& clip)
{
    static constexpr TVxCropPart order[] = {cpTop,    cpTopLeft,    cpRight, cpTopRight,
                                            cpBottom, cpBottomLeft, cpLeft,  cpBottomRight};
    for (TVxCropPart part : order)
        InvertHandle(surface, CropHandlePoint(crop, part), clip);
}
