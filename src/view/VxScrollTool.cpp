#include "view/VxScrollTool.h"

namespace {

constexpr WORD PlusKey = 187;  // "=" / "+" on the main keyboard
constexpr WORD MinusKey = 189; // "-"

} // namespace

TVxScrollTool::TVxScrollTool(TVxComponent* owner, IVxGraphicsToolHost& host) : TVxGraphicsTool(owner, host)
{
    SetControlClass([](TVxGraphicsTool& tool, TVxGraphicsView& view) -> TVxGraphicsToolControl& {
        return TVxGraphicsToolControl::Create<TVxScrollToolControl>(tool, view);
    });
}

bool TVxScrollToolControl::KeyDown(WORD key, TVxShiftState)
{
    bool handled = false;
    if (!Active() && key == VK_SPACE) {
        FPreviousTool = Tool().Host().ActiveTool();
        Tool().Host().SetActiveTool(&Tool());
        handled = true;
    }
    // The zoom keys stay unhandled so the other tool controls still see them.
    if (key == PlusKey)
        Tool().Host().ZoomInCommand();
    else if (key == MinusKey)
        Tool().Host().ZoomOutCommand();
    return handled;
}

bool TVxScrollToolControl::KeyUp(WORD key, TVxShiftState)
{
    if (!Active() || key != VK_SPACE)
        return false;
    Tool().Host().SetActiveTool(FPreviousTool);
    return true;
}

bool TVxScrollToolControl::GetCursor(TVxShiftState, const TPoint&, std::int32_t& cursor)
{
    if (!Active())
        return false;
    cursor = HandCursorIndex;
    return true;
}

bool TVxScrollToolControl::MouseDown(TVxMouseButton button, TVxShiftState, const TPoint& point)
{
    if (!Active() || button != TVxMouseButton::Left)
        return false;
    FDragging = true;
    FLastPoint = point;
    return true;
}

bool TVxScrollToolControl::MouseMove(TVxShiftState, const TPoint& point)
{
    if (!Active() || !FDragging)
        return false;
    std::int32_t dx = point.X - FLastPoint.X;
    std::int32_t dy = point.Y - FLastPoint.Y;
    View().ClampScroll(dx, dy);
    View().ScrollBy(dx, dy);
    FLastPoint.X += dx;
    FLastPoint.Y += dy;
    return true;
}

bool TVxScrollToolControl::MouseUp(TVxMouseButton button, TVxShiftState, const TPoint&)
{
    if (!Active() || button != TVxMouseButton::Left || !FDragging)
        return false;
    FDragging = false;
    return true;
}

void TVxScrollToolControl::Deactivate()
{
    FDragging = false;
    TVxGraphicsToolControl::Deactivate();
}
