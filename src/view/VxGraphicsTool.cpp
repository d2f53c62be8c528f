#include "view/VxGraphicsTool.h"

#include <algorithm>
#include <cwctype>
#include <map>

#include "view/VxGraphicsView.h"

namespace {

std::map<std::int32_t, HCURSOR>& CursorTable()
{
    static std::map<std::int32_t, HCURSOR> table;
    return table;
}

} // namespace

void SetViewCursor(std::int32_t index, HCURSOR cursor) { CursorTable()[index] = cursor; }

HCURSOR ViewCursor(std::int32_t index)
{
    const auto found = CursorTable().find(index);
    if (found != CursorTable().end() && found->second)
        return found->second;
    return LoadCursorW(nullptr, IDC_ARROW);
}

// ---------------------------------------------------------------- TVxGraphicsToolControl

TVxGraphicsToolControl::TVxGraphicsToolControl(TVxGraphicsTool& tool, TVxGraphicsView& view) : FTool(tool), FView(view)
{
    Flags = vofOutline | vofNoExtent;
    FTool.AddControl(*this);
}

TVxGraphicsToolControl::~TVxGraphicsToolControl() { FTool.RemoveControl(*this); }

void TVxGraphicsToolControl::SetVisible(bool value)
{
    if (value == IsVisible())
        return;
    TVxViewObject::SetVisible(value);
    Invalidate();
}

void TVxGraphicsToolControl::Activate()
{
    FActive = true;
    if (FView.Hovering())
        MouseEnter();
    Invalidate();
    FView.RefreshCursor();
}

void TVxGraphicsToolControl::Deactivate()
{
    FActive = false;
    Invalidate();
}

void TVxGraphicsToolControl::Invalidate()
{
    TRect rect;
    GetWindowRect(FView.Mapping(), rect);
    FView.InvalidateWindowRect(rect);
}

void TVxGraphicsToolControl::MousePoint(TPoint& point) const
{
    POINT p{};
    GetCursorPos(&p);
    ScreenToClient(FView.Handle(), &p);
    point = TPoint{p.x, p.y};
}

void TVxGraphicsToolControl::RefreshCursor() { FView.RefreshCursor(); }

// ---------------------------------------------------------------- TVxGraphicsTool

TVxGraphicsTool::TVxGraphicsTool(TVxComponent* owner, IVxGraphicsToolHost& host) : TVxModuleWithControls(owner), FHost(host) {}

TVxGraphicsTool::~TVxGraphicsTool()
{
    // Views normally go first; a control left behind must not call back into a dead tool.
    FControls.clear();
}

void TVxGraphicsTool::ExecuteCommand(const std::wstring& name, bool& handled)
{
    std::wstring upper = CommandName();
    std::transform(upper.begin(), upper.end(), upper.begin(), [](wchar_t c) { return static_cast<wchar_t>(towupper(c)); });
    if (!upper.empty() && upper == name) {
        ActivateCommand();
        handled = true;
    }
}

void TVxGraphicsTool::AddControl(TVxGraphicsToolControl& control) { FControls.push_back(&control); }

void TVxGraphicsTool::RemoveControl(TVxGraphicsToolControl& control)
{
    FControls.erase(std::remove(FControls.begin(), FControls.end(), &control), FControls.end());
}

void TVxGraphicsTool::CreateControl(TVxGraphicsView& view)
{
    if (FControlClass)
        FControlClass(*this, view);
}

void TVxGraphicsTool::ActivateCommand() { FHost.SetActiveTool(this); }

void TVxGraphicsTool::Activate()
{
    for (TVxGraphicsToolControl* control : std::vector<TVxGraphicsToolControl*>(FControls))
        control->Activate();
    TVxGraphicsToolBase::Activate();
}

void TVxGraphicsTool::Deactivate()
{
    for (TVxGraphicsToolControl* control : std::vector<TVxGraphicsToolControl*>(FControls))
        control->Deactivate();
    TVxGraphicsToolBase::Deactivate();
}
