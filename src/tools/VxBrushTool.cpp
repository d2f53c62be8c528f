#include "tools/VxBrushTool.h"

#include <commctrl.h>

#include <algorithm>
#include <cwctype>

#include "view/VxViewCanvas.h"

TVxBrushTool::TVxBrushTool(TVxComponent* owner, IVxGraphicsToolHost& host) : TVxMaskDrawTool(owner, host)
{
    SetControlClass([](TVxGraphicsTool& tool, TVxGraphicsView& view) -> TVxGraphicsToolControl& {
        return TVxGraphicsToolControl::Create<TVxBrushToolControl>(tool, view);
    });
    TVxBrushTool::RebuildBrush();
}

void TVxBrushTool::SetHardness(std::int32_t value)
{
    if (!FBrush.SetHardness(value))
        return;
    RebuildBrush();
    if (FHardnessTrackBar)
        SendMessageW(FHardnessTrackBar, TBM_SETPOS, TRUE, Hardness());
}

void TVxBrushTool::RebuildBrush()
{
    BuildLinearBrush(FBrushMask, BrushSize(), Hardness(), Opacity());
    TVxMaskDrawTool::RebuildBrush();
}

void TVxBrushTool::AttachHardnessTrackBar(HWND bar)
{
    FHardnessTrackBar = bar;
    SendMessageW(bar, TBM_SETRANGEMIN, FALSE, 0);
    SendMessageW(bar, TBM_SETRANGEMAX, FALSE, 255);
    SendMessageW(bar, TBM_SETPOS, TRUE, Hardness());
}

void TVxBrushTool::TrackBarScrolled(HWND bar)
{
    if (bar == FHardnessTrackBar)
        SetHardness(static_cast<std::int32_t>(SendMessageW(bar, TBM_GETPOS, 0, 0)));
    else
        TVxMaskDrawTool::TrackBarScrolled(bar);
}

void TVxBrushTool::ExecuteCommand(const std::wstring& name, bool& handled)
{
    std::wstring prefix = CommandName() + L"HARDNESS";
    std::transform(prefix.begin(), prefix.end(), prefix.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(towupper(c)); });
    if (name.rfind(prefix, 0) == 0 && (name.size() == prefix.size() || name[prefix.size()] == L' ')) {
        if (name.size() > prefix.size())
            SetHardness(static_cast<std::int32_t>(std::wcstol(name.c_str() + prefix.size() + 1, nullptr, 10)));
        handled = true;
        return;
    }
    TVxMaskDrawTool::ExecuteCommand(name, handled);
}

TRect BrushOutlineRect(const TVxMapMode& mapping, const TPoint& brushPoint, std::int32_t size)
{
    const TRect pixel =
        mapping.LogicalToDeviceRect(TRect{brushPoint.X, brushPoint.Y, brushPoint.X + 1, brushPoint.Y + 1});
    const TRect square = mapping.LogicalToDeviceRect(TRect{0, 0, size, size});
    const std::int32_t w = std::max(1, square.Width());
    const std::int32_t h = std::max(1, square.Height());
    const std::int32_t cx = (pixel.Left + pixel.Right) / 2;
    const std::int32_t cy = (pixel.Top + pixel.Bottom) / 2;
    const std::int32_t left = cx - w / 2;
    const std::int32_t top = cy - h / 2;
    return TRect{left - 1, top - 1, left + w + 1, top + h + 1};
}

TRect TVxBrushToolControl::ComputeBrushScreenRect() const
{
    return BrushOutlineRect(View().Mapping(), BrushPoint(), DrawTool().BrushSize());
}

void TVxBrushToolControl::DrawOutline(TVxViewCanvas& canvas)
{
    if (!Active() || !BrushShown() || BrushScreenRect().IsEmpty())
        return;
    HDC dc = static_cast<HDC>(canvas.DC());
    const TRect r = BrushScreenRect();
    const int mode = SetROP2(dc, R2_NOTXORPEN);
    HGDIOBJ pen = SelectObject(dc, GetStockObject(BLACK_PEN));
    HGDIOBJ brush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Ellipse(dc, r.Left, r.Top, r.Right, r.Bottom);
    SelectObject(dc, brush);
    SelectObject(dc, pen);
    SetROP2(dc, mode);
}
