#include "tools/VxMaskDrawTool.h"

#include <algorithm>

#include "tools/VxBrushShapes.h"

namespace {

HCURSOR BlankCursor()
{
    static HCURSOR cursor = [] {
        const int w = GetSystemMetrics(SM_CXCURSOR);
        const int h = GetSystemMetrics(SM_CYCURSOR);
        std::vector<BYTE> andMask(static_cast<std::size_t>(w * h / 8), 0xFF);
        std::vector<BYTE> xorMask(andMask.size(), 0x00);
        return CreateCursor(GetModuleHandleW(nullptr), 0, 0, w, h, andMask.data(), xorMask.data());
    }();
    return cursor;
}

} // namespace

// ---------------------------------------------------------------- TVxMaskDrawTool

TVxMaskDrawTool::TVxMaskDrawTool(TVxComponent* owner, IVxGraphicsToolHost& host) : TVxDrawTool(owner, host)
{
    SetViewCursor(NoCursorIndex, BlankCursor());
    // The virtual call reaches this class's body only; derived tools rebuild their own in
    // their constructors.
    RebuildBrush();
}

void TVxMaskDrawTool::RebuildBrush()
{
    if (FBrushPreview && IsWindowVisible(FBrushPreview))
        InvalidateRect(FBrushPreview, nullptr, FALSE);
}

void TVxMaskDrawTool::PaintRect(const TRect& rect)
{
    FBrushMask.SetPosition(rect.Left, rect.Top);
    if (AccumulateStroke)
        MergeBrushMax(FStrokeMask, FBrushMask, rect.Left, rect.Top);
    TVxDrawTool::PaintRect(rect);
    FBrushMask.SetPosition(0, 0);
}

void TVxMaskDrawTool::EndStroke()
{
    FStrokeMask.Clear();
    TVxDrawTool::EndStroke();
}

void TVxMaskDrawTool::BuildLinearBrush(TVxPixelMask& mask, std::int32_t size, std::int32_t hardness,
                                       std::int32_t strength)
{
    ::BuildLinearBrush(mask, size, hardness, strength);
}

void TVxMaskDrawTool::BuildPowerBrush(TVxPixelMask& mask, std::int32_t size, std::int32_t hardness,
                                      std::int32_t strength)
{
    ::BuildPowerBrush(mask, size, hardness, strength);
}

void TVxMaskDrawTool::PaintThroughMask(const TVxPixelMask& mask, const TVxPixels& source, std::uint32_t color,
                                       const TRect& rect, TVxPixels& destination)
{
    ::PaintThroughMask(mask, source, color, rect, destination);
}

void TVxMaskDrawTool::BrushSizeChanged()
{
    RebuildBrush();
    InvalidateBrushes();
}

void TVxMaskDrawTool::OpacityChanged()
{
    RebuildBrush();
    InvalidateBrushes();
}

void TVxMaskDrawTool::PaintBrushPreview(HDC dc, const RECT& client, bool enabled) const
{
    const TRect bounds{0, 0, client.right - client.left, client.bottom - client.top};
    if (bounds.IsEmpty())
        return;
    TVxPixelBuffer image(fmtBGR24, bounds);
    std::fill(image.Data(), image.Data() + static_cast<std::size_t>(image.Stride()) * image.Height(),
              std::uint8_t{255});
    TVxPixelMask brush;
    MergeBrushMax(brush, FBrushMask, (bounds.Width() - FBrushMask.Width()) / 2,
                  (bounds.Height() - FBrushMask.Height()) / 2);
    ::PaintThroughMask(brush, image, enabled ? 0x000000 : 0xC0C0C0, bounds, image);
    for (std::int32_t x = 0; x < bounds.Width(); ++x) {
        ColorToBytes(0x808080, image.PixelAddress(x, 0));
        ColorToBytes(0x808080, image.PixelAddress(x, bounds.Bottom - 1));
    }
    for (std::int32_t y = 0; y < bounds.Height(); ++y) {
        ColorToBytes(0x808080, image.PixelAddress(0, y));
        ColorToBytes(0x808080, image.PixelAddress(bounds.Right - 1, y));
    }
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), bounds.Width(), -bounds.Height(), 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    SetDIBitsToDevice(dc, client.left, client.top, static_cast<DWORD>(bounds.Width()),
                      static_cast<DWORD>(bounds.Height()), 0, 0, 0, static_cast<UINT>(bounds.Height()), image.Data(),
                      &info, DIB_RGB_COLORS);
}

// ---------------------------------------------------------------- TVxMaskDrawToolControl

bool TVxMaskDrawToolControl::GetCursor(TVxShiftState, const TPoint&, std::int32_t& cursor)
{
    if (!Active())
        return false;
    cursor = NoCursorIndex;
    return true;
}

bool TVxMaskDrawToolControl::MouseDown(TVxMouseButton button, TVxShiftState shift, const TPoint& point)
{
    if (!Active())
        return false;
    DrawTool().ShiftState = shift;
    MoveBrush(View().Mapping().DeviceToLogical(point));
    if (!Tool().Host().CanStartEdit(Tool()))
        return true;
    if (DrawTool().DrawMode == dmStampOnPress) {
        BeginStroke(button, shift);
        Paint();
        End();
    } else if (DrawTool().DrawMode == dmContinuous) {
        BeginStroke(button, shift);
        Paint();
    }
    return true;
}

bool TVxMaskDrawToolControl::MouseMove(TVxShiftState shift, const TPoint& point)
{
    if (!Active())
        return false;
    DrawTool().ShiftState = shift;
    ShowBrush(true);
    MoveBrush(View().Mapping().DeviceToLogical(point));
    if (Drawing())
        Paint();
    return true;
}

bool TVxMaskDrawToolControl::MouseUp(TVxMouseButton button, TVxShiftState shift, const TPoint&)
{
    if (!Active())
        return false;
    if (DrawTool().DrawMode == dmStampOnRelease && Tool().Host().CanStartEdit(Tool())) {
        BeginStroke(button, shift);
        Paint();
        End();
    } else if (DrawTool().DrawMode == dmContinuous) {
        End();
    }
    return true;
}

bool TVxMaskDrawToolControl::MouseWheel(TVxShiftState shift, std::int32_t step, const TPoint&)
{
    // Ctrl with the wheel stays the view's zoom.
    if (!Active() || Drawing() || (shift & MK_CONTROL))
        return false;
    DrawTool().SetBrushSize(DrawTool().BrushSize() + step);
    return true;
}

bool TVxMaskDrawToolControl::KeyDown(WORD key, TVxShiftState)
{
    if (!Active())
        return false;
    switch (key) {
    case VK_PRIOR:
    case VK_UP:
    case VK_RIGHT:
        DrawTool().SetBrushSize(DrawTool().BrushSize() + 1);
        return true;
    case VK_NEXT:
    case VK_LEFT:
    case VK_DOWN:
        DrawTool().SetBrushSize(DrawTool().BrushSize() - 1);
        return true;
    default:
        return false;
    }
}

void TVxMaskDrawToolControl::MouseEnter()
{
    if (Active())
        ShowBrush(true);
}

void TVxMaskDrawToolControl::MouseLeave()
{
    ShowBrush(false);
}

void TVxMaskDrawToolControl::Activate()
{
    SetVisible(true);
    TPoint point;
    MousePoint(point);
    MoveBrush(View().Mapping().DeviceToLogical(point));
    TVxDrawToolControl::Activate();
}

void TVxMaskDrawToolControl::Deactivate()
{
    End();
    ShowBrush(false);
    TVxDrawToolControl::Deactivate();
}
