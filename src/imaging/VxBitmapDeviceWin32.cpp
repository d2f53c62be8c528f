#include "imaging/VxBitmapDeviceWin32.h"

#include <windows.h>

#include "imaging/VxResample.h"

namespace {

// Restores the context's clip region, stretch mode and brush origin.
class TVxSavedDC {
public:
    explicit TVxSavedDC(HDC dc) : FDC(dc), FSaved(SaveDC(dc)) {}
    ~TVxSavedDC()
    {
        if (FSaved)
            RestoreDC(FDC, FSaved);
    }
    TVxSavedDC(const TVxSavedDC&) = delete;
    TVxSavedDC& operator=(const TVxSavedDC&) = delete;
    bool Saved() const { return FSaved != 0; }

private:
    HDC FDC;
    int FSaved;
};

// A top-down 24-bit header for rows rows of width pixels; the stride rule matches ours.
BITMAPINFO TopDownInfo(std::int32_t width, std::int32_t rows)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -rows;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// Stretches sourceRect (inside pixels) onto destRect. The header describes only the
// source rows from sourceRect.Top on, so the source y is 0: how StretchDIBits counts
// the source y of a top-down DIB has differed between GDI implementations.
bool StretchRows(HDC dc, const TVxPixels& pixels, const TRect& destRect, const TRect& sourceRect)
{
    const BITMAPINFO info = TopDownInfo(pixels.Width(), sourceRect.Height());
    const std::uint8_t* firstRow = pixels.Row(pixels.Top() + sourceRect.Top);
    return StretchDIBits(dc, destRect.Left, destRect.Top, destRect.Width(), destRect.Height(), sourceRect.Left, 0,
                         sourceRect.Width(), sourceRect.Height(), firstRow, &info, DIB_RGB_COLORS, SRCCOPY) != 0;
}

bool IsReduction(const TRect& destRect, const TRect& sourceRect)
{
    return destRect.Width() < sourceRect.Width() || destRect.Height() < sourceRect.Height();
}

// The part of destRect that can change: inside clipRect and the context's clip box.
TRect VisiblePart(HDC dc, const TRect& destRect, const TRect& clipRect)
{
    TRect visible = IntersectRect(destRect, clipRect);
    RECT box;
    const int kind = GetClipBox(dc, &box);
    if (kind == SIMPLEREGION || kind == COMPLEXREGION)
        visible = IntersectRect(visible, TRect{box.left, box.top, box.right, box.bottom});
    return visible;
}

bool PaintReduced(HDC dc, const TVxPixels& pixels, const TRect& destRect, const TRect& sourceRect, const TRect& visible)
{
    TVxPixelBuffer reduced(fmtBGR24, visible);
    static const TLanczosResampler lanczos;
    TResampleOptions options;
    options.Threads = ResampleThreadCount();
    // Resample takes the source in the buffer's own coordinates.
    const TRect placed = OffsetRect(sourceRect, pixels.Left(), pixels.Top());
    Resample(reduced, destRect, visible, lanczos, placed, pixels, options);
    return StretchRows(dc, reduced, visible, TRect{0, 0, visible.Width(), visible.Height()});
}

bool PaintStretched(HDC dc, const TVxPixels& pixels, const TRect& destRect, const TRect& sourceRect,
                    const TRect& clipRect)
{
    TVxSavedDC saved(dc);
    if (!saved.Saved())
        return false;
    if (IntersectClipRect(dc, clipRect.Left, clipRect.Top, clipRect.Right, clipRect.Bottom) == ERROR)
        return false;
    // Enlarging: every source pixel becomes a block; the mode only matters for the odd
    // axis that is reduced while the other is not (handled by PaintReduced instead).
    SetStretchBltMode(dc, COLORONCOLOR);
    return StretchRows(dc, pixels, destRect, sourceRect);
}

} // namespace

bool TVxBitmapDeviceWin32::Paint(TVxDeviceContext context, const TVxPixels& pixels, const TRect& destRect,
                                 const TRect& sourceRect, const TRect& clipRect)
{
    HDC dc = static_cast<HDC>(context);
    if (!dc || pixels.Format() != fmtBGR24 || !pixels.Data())
        return false;
    const TRect source = IntersectRect(sourceRect, TRect{0, 0, pixels.Width(), pixels.Height()});
    if (source.IsEmpty() || destRect.IsEmpty())
        return false;
    const TRect visible = VisiblePart(dc, destRect, clipRect);
    if (visible.IsEmpty())
        return true;
    try {
        if (IsReduction(destRect, source))
            return PaintReduced(dc, pixels, destRect, source, visible);
        return PaintStretched(dc, pixels, destRect, source, visible);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool TVxBitmapDeviceWin32::Print(TVxDeviceContext dc, const TVxPixels& pixels, const TRect& rect)
{
    return Paint(dc, pixels, rect, TRect{0, 0, pixels.Width(), pixels.Height()}, rect);
}
