#include "tools/VxDrawTool.h"

#include <commctrl.h>

#include <algorithm>
#include <cwctype>

#include "tools/VxBrushShapes.h"

// ---------------------------------------------------------------- TVxDrawTool

TVxDrawTool::TVxDrawTool(TVxComponent* owner, IVxGraphicsToolHost& host) : TVxGraphicsTool(owner, host)
{
    // Painting keeps the picture's size, so every brush tool works for a plug-in's host.
    SetAvailableInPluginMode(true);
}

bool TVxDrawTool::BeginStroke(TVxDrawToolControl& control, TVxMouseButton button, TVxShiftState shift)
{
    StrokeControl = &control;
    StrokeButton = button;
    StrokeShift = shift;
    BeginChange(control.View().Document(), &control.View());
    return true;
}

void TVxDrawTool::PaintRect(const TRect& rect)
{
    TVxGraphicsDocument* document = ChangeDocument();
    if (!document)
        return;
    const TRect r = IntersectRect(rect, document->Backup().GetBounds());
    if (r.IsEmpty())
        return;
    PaintEffect(r);
    document->AddChangedRect(r, false);
}

void TVxDrawTool::EndStroke()
{
    EndChange();
    StrokeControl = nullptr;
}

void TVxDrawTool::InvalidateBrushes()
{
    for (TVxGraphicsToolControl* control : Controls())
        static_cast<TVxDrawToolControl*>(control)->RefreshBrush();
}

void TVxDrawTool::SetBrushSize(std::int32_t value)
{
    if (!FBrush.SetBrushSize(value))
        return;
    BrushSizeChanged();
    InvalidateBrushes();
    if (FSizeTrackBar)
        SendMessageW(FSizeTrackBar, TBM_SETPOS, TRUE, BrushSize());
}

void TVxDrawTool::SetOpacity(std::int32_t value)
{
    if (!FBrush.SetOpacity(value))
        return;
    OpacityChanged();
    if (FOpacityTrackBar)
        SendMessageW(FOpacityTrackBar, TBM_SETPOS, TRUE, Opacity());
}

void TVxDrawTool::AttachSizeTrackBar(HWND bar)
{
    FSizeTrackBar = bar;
    SendMessageW(bar, TBM_SETRANGEMIN, FALSE, MinBrushSize());
    SendMessageW(bar, TBM_SETRANGEMAX, FALSE, MaxBrushSize());
    SendMessageW(bar, TBM_SETTICFREQ, std::max(1, MaxBrushSize() / 10), 0);
    SendMessageW(bar, TBM_SETPOS, TRUE, BrushSize());
}

void TVxDrawTool::AttachOpacityTrackBar(HWND bar)
{
    FOpacityTrackBar = bar;
    SendMessageW(bar, TBM_SETRANGEMIN, FALSE, 0);
    SendMessageW(bar, TBM_SETRANGEMAX, FALSE, 255);
    SendMessageW(bar, TBM_SETPOS, TRUE, Opacity());
}

void TVxDrawTool::TrackBarScrolled(HWND bar)
{
    const auto position = static_cast<std::int32_t>(SendMessageW(bar, TBM_GETPOS, 0, 0));
    if (bar == FSizeTrackBar)
        SetBrushSize(position);
    else if (bar == FOpacityTrackBar)
        SetOpacity(position);
}

// "<NAME>SIZE <n>" and "<NAME>OPACITY <n>" set the numbers; the name alone chooses the tool.
void TVxDrawTool::ExecuteCommand(const std::wstring& name, bool& handled)
{
    std::wstring upper = CommandName();
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(towupper(c)); });
    for (const auto& [suffix, setter] : {std::pair{std::wstring(L"SIZE"), &TVxDrawTool::SetBrushSize},
                                         std::pair{std::wstring(L"OPACITY"), &TVxDrawTool::SetOpacity}}) {
        const std::wstring prefix = upper + suffix;
        if (!upper.empty() && name.rfind(prefix, 0) == 0 &&
            (name.size() == prefix.size() || name[prefix.size()] == L' ')) {
            if (name.size() > prefix.size())
                (this->*setter)(static_cast<std::int32_t>(std::wcstol(name.c_str() + prefix.size() + 1, nullptr, 10)));
            handled = true;
            return;
        }
    }
    TVxGraphicsTool::ExecuteCommand(name, handled);
}

// ---------------------------------------------------------------- TVxDrawToolControl

void TVxDrawToolControl::GetOutlineRect(const TVxMapMode&, TRect& rect) const
{
    const std::int32_t m = BrushRepaintMargin();
    rect = FBrushScreenRect.IsEmpty() ? TRect{}
                                      : TRect{FBrushScreenRect.Left - m, FBrushScreenRect.Top - m,
                                              FBrushScreenRect.Right + m, FBrushScreenRect.Bottom + m};
}

void TVxDrawToolControl::BeginStroke(TVxMouseButton button, TVxShiftState shift)
{
    if (FDrawing)
        return;
    FDrawing = DrawTool().BeginStroke(*this, button, shift);
}

void TVxDrawToolControl::Paint()
{
    if (FDrawing)
        DrawTool().PaintRect(BrushRect(FBrushPoint, DrawTool().BrushSize()));
}

void TVxDrawToolControl::End()
{
    if (!FDrawing)
        return;
    FDrawing = false;
    DrawTool().EndStroke();
}

TRect TVxDrawToolControl::ComputeBrushScreenRect() const
{
    return View().Mapping().LogicalToDeviceRect(BrushRect(FBrushPoint, DrawTool().BrushSize()));
}

void TVxDrawToolControl::InvalidateBrush()
{
    TRect rect;
    GetOutlineRect(View().Mapping(), rect);
    if (!rect.IsEmpty())
        View().InvalidateWindowRect(rect);
}

void TVxDrawToolControl::MoveBrush(const TPoint& imagePoint)
{
    if (imagePoint == FBrushPoint && FBrushShown)
        return;
    InvalidateBrush();
    FBrushPoint = imagePoint;
    RefreshBrush();
}

void TVxDrawToolControl::RefreshBrush()
{
    InvalidateBrush();
    FBrushScreenRect = FBrushShown ? ComputeBrushScreenRect() : TRect{};
    InvalidateBrush();
}

void TVxDrawToolControl::ShowBrush(bool value)
{
    if (value == FBrushShown)
        return;
    FBrushShown = value;
    RefreshBrush();
}
