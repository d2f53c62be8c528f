#include "tools/VxHandInpaintingTool.h"

#include <algorithm>
#include <cwctype>

#include "app/VxMainForm.h"
#include "tools/VxBrushShapes.h"
#include "tools/VxHandInpaintingFrame.h"
#include "view/VxToolPanel.h"

TVxHandInpaintingTool* HandInpaintingTool = nullptr;

std::int32_t HandInpaintingPreviewZoom(std::int32_t previewWidth, std::int32_t brushSize)
{
    if (brushSize <= 0)
        return 6;
    // trunc(w / s / 1.1) in integers: w * 10 / (s * 11).
    const std::int64_t zoom = std::int64_t{previewWidth} * 10 / (std::int64_t{brushSize} * 11);
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(zoom, 1, 6));
}

namespace {

constexpr int HandInpaintingImageIndex = 43;

TPoint CentreOf(const TRect& rect)
{
    return TPoint{(rect.Left + rect.Right) / 2, (rect.Top + rect.Bottom) / 2};
}

} // namespace

// ---------------------------------------------------------------- TVxHandInpaintingTool

TVxHandInpaintingTool::TVxHandInpaintingTool(TVxComponent* owner, IVxGraphicsToolHost& host) : TVxBrushTool(owner, host)
{
    SetCommandName(L"HandInpainting");
    // A click is the whole action; strokes are not painted.
    DrawMode = dmStampOnPress;
    SetControlClass([](TVxGraphicsTool& tool, TVxGraphicsView& view) -> TVxGraphicsToolControl& {
        return TVxGraphicsToolControl::Create<TVxHandInpaintingToolControl>(tool, view);
    });
    SetSizeLimits(10, 100);
    SetBrushSize(25);
    if (MainForm)
        InstallPanel();
}

TVxHandInpaintingTool::~TVxHandInpaintingTool()
{
    if (HandInpaintingTool == this)
        HandInpaintingTool = nullptr;
}

void TVxHandInpaintingTool::InstallPanel()
{
    Command = &MainForm->Commands.Add(L"HANDINPAINTING", {2450, L"Hand Inpainting"}, HandInpaintingImageIndex, {},
                                      TVxMethod<>::Bind<&TVxHandInpaintingTool::ActivateCommand>(this));
    if (!ToolPanel)
        return;
    Button = &MainForm->AddToolbarItem(*Command, *ToolPanel->Toolbar);
    Frame = &ToolPanel->CreateToolPage<TVxHandInpaintingFrame>(Frame, *this);
    ShowWindow(Frame->Handle(), SW_HIDE);
}

void TVxHandInpaintingTool::Activate()
{
    TVxBrushTool::Activate();
    if (Frame) {
        SetWindowPos(Frame->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        ShowWindow(Frame->Handle(), SW_SHOW);
        Frame->ShowState();
    }
}

void TVxHandInpaintingTool::UpdateControls()
{
    if (!Command)
        return;
    const bool active = Host().ActiveTool() == this;
    Command->SetChecked(active);
    Command->SetEnabled(Available() && Host().CanStartEdit(*this));
    if (Frame && !active && IsWindowVisible(Frame->Handle()))
        ShowWindow(Frame->Handle(), SW_HIDE);
}

void TVxHandInpaintingTool::Click(TVxHandInpaintingToolControl& control)
{
    FPointer = control.BrushPoint();
    if (FSourceMode)
        KeepResult();
    else
        FixTarget(control);
}

void TVxHandInpaintingTool::FixTarget(TVxHandInpaintingToolControl& control)
{
    TVxGraphicsDocument& document = control.View().Document();
    TVxPixels* image = document.ImagePixels();
    // The engine repairs 24-bit pictures only; a square wholly outside the picture has
    // nothing to repair.
    if (!image || image->Format() != fmtBGR24 || document.Backup().GetBounds() != image->GetBounds())
        return;
    const TRect target = BrushRect(FPointer, BrushSize());
    if (IntersectRect(target, image->GetBounds()).IsEmpty() || !Host().CanStartEdit(*this))
        return;
    if (ChangeDocument() != &document || !document.EditInProgress())
        BeginChange(document, &control.View());
    FCorrelator.reset();
    FCorrelator = std::make_unique<TAreaCorrelator>(target, 2, document.Backup(), *image);
    FBrushMask.SetPosition(target.Left, target.Top);
    for (std::int32_t y = target.Top; y < target.Bottom; ++y)
        for (std::int32_t x = target.Left; x < target.Right; ++x)
            if (const std::uint8_t* weight = FBrushMask.ValueAt(x, y); weight && *weight)
                FCorrelator->SetMarked(x, y, true);
    FBrushMask.SetPosition(0, 0);
    FTarget = target;
    FSource = TPoint{target.Left, target.Top};
    FSplitNeeded = true;
    FSourceMode = true;
    FHold = false;
    RefreshPreview(CentreOf(FTarget));
    StateChanged();
}

void TVxHandInpaintingTool::KeepResult()
{
    if (TVxGraphicsDocument* document = ChangeDocument(); document && document->EditInProgress())
        EndChange();
    FHold = true;
    FHeld = FPointer;
    FSourceMode = false;
    FCorrelator.reset();
    StateChanged();
}

void TVxHandInpaintingTool::Cancel()
{
    if (!FSourceMode)
        return;
    FSourceMode = false;
    // The patch is taken back from the backup and nothing reaches the history: undoing
    // here would take back the user's previous edit when nothing was recorded yet.
    CancelChange();
    FCorrelator.reset();
    RefreshPreview(CentreOf(FTarget));
    StateChanged();
}

void TVxHandInpaintingTool::PointerMoved(TVxHandInpaintingToolControl& control)
{
    FPointer = control.BrushPoint();
    if (FSourceMode) {
        ComputeResult();
        return;
    }
    if (!FLoupe)
        return;
    const std::int64_t dx = FPointer.X - FHeld.X;
    const std::int64_t dy = FPointer.Y - FHeld.Y;
    if (FHold && dx * dx + dy * dy <= 9)
        return;
    RefreshPreview(FPointer);
}

void TVxHandInpaintingTool::PrepareTarget()
{
    if (!FSplitNeeded)
        return;
    FCorrelator->Split();
    if (FLongDefect)
        FCorrelator->DropMinorityColours(0.2);
    if (FAntiAliasing)
        FCorrelator->PrepareBlend();
    FSplitNeeded = false;
}

void TVxHandInpaintingTool::ComputeResult()
{
    if (!FSourceMode || !FCorrelator)
        return;
    TVxGraphicsDocument* document = ChangeDocument();
    if (!document || !document->EditInProgress() || !document->ImagePixels()) {
        // Someone else closed the change (a save, another tool's edit): what was shown is
        // kept, and further moves must not write outside any undo step.
        FSourceMode = false;
        FCorrelator.reset();
        StateChanged();
        return;
    }
    TVxPixels& image = *document->ImagePixels();
    {
        const TRect square = BrushRect(FPointer, BrushSize());
        FSource = TPoint{square.Left, square.Top};
    }
    // The ring the best orientation is measured on exists only after the split.
    PrepareTarget();
    if (FAutoOrientation)
        FOrientation = FCorrelator->BestOrientation(FSource);
    // Cells the patch cannot reach keep the picture as it was, not the previous move's patch.
    const TRect changed = IntersectRect(FTarget, image.GetBounds());
    image.CopyRect(changed.Left, changed.Top, document->Backup(), changed);
    FCorrelator->Apply(FSource, FOrientation, FAntiAliasing, FAdjustment, 2);
    document->AddChangedRect(changed, false);
    RefreshPreview(CentreOf(FTarget));
    StateChanged();
}

void TVxHandInpaintingTool::RefreshPreview(const TPoint& centre)
{
    const std::int32_t side = PreviewWidth / PreviewZoom();
    const TRect area{centre.X - side / 2, centre.Y - side / 2, centre.X - side / 2 + side, centre.Y - side / 2 + side};
    if (FPreview.Width() != side || FPreview.Format() != fmtBGR24)
        FPreview.SetFormatAndBounds(fmtBGR24, TRect{0, 0, side, side});
    for (std::int32_t y = 0; y < side; ++y) {
        std::uint8_t* row = FPreview.Row(y);
        for (std::int32_t x = 0; x < side; ++x)
            ColorToBytes(HandInpaintingOutsideColour, row + 3 * x);
    }
    TVxGraphicsDocument* document = ChangeDocument();
    if (!document && !Controls().empty())
        document = &Controls().front()->View().Document();
    if (const TVxPixels* image = document ? document->ImagePixels() : nullptr; image && image->Format() == fmtBGR24) {
        const TRect inside = IntersectRect(area, image->GetBounds());
        if (!inside.IsEmpty())
            FPreview.CopyRect(inside.Left - area.Left, inside.Top - area.Top, *image, inside);
    }
    ++FPreviewRefreshes;
    if (FPreviewWindow)
        InvalidateRect(FPreviewWindow, nullptr, FALSE);
}

void TVxHandInpaintingTool::PaintPreview(HDC dc, const RECT& client) const
{
    if (FPreview.Width() == 0) {
        FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH)));
        return;
    }
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), FPreview.Width(), -FPreview.Height(), 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchDIBits(dc, client.left, client.top, client.right - client.left, client.bottom - client.top, 0, 0,
                  FPreview.Width(), FPreview.Height(), FPreview.Data(), &info, DIB_RGB_COLORS, SRCCOPY);
}

void TVxHandInpaintingTool::SetOrientation(std::int32_t value)
{
    FOrientation = std::clamp(value, 0, 7);
    ComputeResult();
    StateChanged();
}

bool TVxHandInpaintingTool::StepOrientation(std::int32_t step)
{
    if (!FSourceMode || FAutoOrientation)
        return false;
    const std::int32_t value = std::clamp(FOrientation + step, 0, 7);
    if (value == FOrientation)
        return false;
    SetOrientation(value);
    return true;
}

void TVxHandInpaintingTool::SetAdjustment(std::int32_t mode)
{
    FAdjustment = mode == amNone ? amNone : amPerChannel;
    ComputeResult();
    StateChanged();
}

void TVxHandInpaintingTool::SetAutoOrientation(bool value)
{
    FAutoOrientation = value;
    ComputeResult();
    StateChanged();
}

void TVxHandInpaintingTool::SetLongDefect(bool value)
{
    FLongDefect = value;
    FSplitNeeded = true;
    ComputeResult();
    StateChanged();
}

void TVxHandInpaintingTool::SetAntiAliasing(bool value)
{
    FAntiAliasing = value;
    FSplitNeeded = true;
    ComputeResult();
    StateChanged();
}

void TVxHandInpaintingTool::StateChanged()
{
    if (Frame)
        Frame->ShowState();
    if (FOnStateChanged)
        FOnStateChanged();
}

void TVxHandInpaintingTool::Deactivate()
{
    Cancel();
    TVxBrushTool::Deactivate();
}

void TVxHandInpaintingTool::DocumentOpened(TVxGraphicsDocument& document, bool pluginMode)
{
    FSourceMode = false;
    FHold = false;
    FCorrelator.reset();
    FPreview.Clear();
    TVxBrushTool::DocumentOpened(document, pluginMode);
    StateChanged();
}

void TVxHandInpaintingTool::DocumentSaving(TVxGraphicsDocument& document)
{
    if (FSourceMode)
        KeepResult();
    TVxBrushTool::DocumentSaving(document);
}

void TVxHandInpaintingTool::DocumentClosing(TVxGraphicsDocument& document)
{
    Cancel();
    FCorrelator.reset();
    TVxBrushTool::DocumentClosing(document);
}

// "HANDINPAINTINGORIENTATION <0..7>", "...ADJUSTMENT <0|2>", "...AUTO <0|1>",
// "...LONGDEFECT <0|1>", "...ANTIALIASING <0|1>" and "...CANCEL"; the brush numbers and
// the name alone as for every brush tool.
void TVxHandInpaintingTool::ExecuteCommand(const std::wstring& name, bool& handled)
{
    std::wstring upper = CommandName();
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(towupper(c)); });
    const auto argument = [&](const wchar_t* suffix, std::int32_t& value) {
        const std::wstring prefix = upper + suffix;
        if (name.rfind(prefix, 0) != 0 || name.size() <= prefix.size() + 1 || name[prefix.size()] != L' ')
            return false;
        value = static_cast<std::int32_t>(std::wcstol(name.c_str() + prefix.size() + 1, nullptr, 10));
        return true;
    };
    std::int32_t value = 0;
    handled = true;
    if (argument(L"ORIENTATION", value))
        SetOrientation(value);
    else if (argument(L"ADJUSTMENT", value))
        SetAdjustment(value);
    else if (argument(L"AUTO", value))
        SetAutoOrientation(value != 0);
    else if (argument(L"LONGDEFECT", value))
        SetLongDefect(value != 0);
    else if (argument(L"ANTIALIASING", value))
        SetAntiAliasing(value != 0);
    else if (name == upper + L"CANCEL")
        Cancel();
    else {
        handled = false;
        TVxBrushTool::ExecuteCommand(name, handled);
    }
}

// ---------------------------------------------------------------- TVxHandInpaintingToolControl

bool TVxHandInpaintingToolControl::MouseDown(TVxMouseButton button, TVxShiftState shift, const TPoint& point)
{
    if (!Active())
        return false;
    InpaintingTool().ShiftState = shift;
    MoveBrush(View().Mapping().DeviceToLogical(point));
    if (button == TVxMouseButton::Left)
        InpaintingTool().Click(*this);
    return true;
}

bool TVxHandInpaintingToolControl::MouseMove(TVxShiftState shift, const TPoint& point)
{
    if (!Active())
        return false;
    InpaintingTool().ShiftState = shift;
    ShowBrush(true);
    MoveBrush(View().Mapping().DeviceToLogical(point));
    InpaintingTool().PointerMoved(*this);
    return true;
}

bool TVxHandInpaintingToolControl::MouseUp(TVxMouseButton, TVxShiftState, const TPoint&)
{
    return Active();
}

bool TVxHandInpaintingToolControl::MouseWheel(TVxShiftState shift, std::int32_t step, const TPoint& point)
{
    if (!Active())
        return false;
    if (!InpaintingTool().SourceMode())
        return TVxBrushToolControl::MouseWheel(shift, step, point);
    // Ctrl with the wheel stays the view's zoom; the source square keeps the target's size.
    if (shift & MK_CONTROL)
        return false;
    InpaintingTool().StepOrientation(step > 0 ? 1 : -1);
    return true;
}

bool TVxHandInpaintingToolControl::OptionKey(WORD key)
{
    TVxHandInpaintingTool& tool = InpaintingTool();
    switch (key) {
    case 'A':
        tool.SetAdjustment(tool.Adjustment() == amNone ? amPerChannel : amNone);
        return true;
    case 'N':
        tool.SetAntiAliasing(!tool.AntiAliasing());
        return true;
    case 'R':
        tool.SetAutoOrientation(!tool.AutoOrientation());
        return true;
    case 'Z':
        if (!tool.CanCancel())
            return false; // the editor's own undo
        tool.Cancel();
        return true;
    case VK_LEFT:
    case VK_DOWN:
    case VK_UP:
    case VK_RIGHT:
        if (!tool.SourceMode())
            return TVxBrushToolControl::KeyDown(key, MK_CONTROL);
        tool.StepOrientation(key == VK_LEFT || key == VK_DOWN ? -1 : 1);
        return true;
    default:
        return false;
    }
}

void TVxHandInpaintingToolControl::MovePointerBy(std::int32_t dx, std::int32_t dy)
{
    POINT p{};
    if (GetCursorPos(&p))
        SetCursorPos(p.x + dx, p.y + dy);
}

bool TVxHandInpaintingToolControl::KeyDown(WORD key, TVxShiftState shift)
{
    if (!Active())
        return false;
    if (shift & MK_CONTROL)
        return OptionKey(key);
    const std::int32_t step = (shift & MK_SHIFT) ? 5 : 1;
    switch (key) {
    case VK_ESCAPE:
        if (!InpaintingTool().CanCancel())
            return false;
        InpaintingTool().Cancel();
        return true;
    case VK_RETURN:
        InpaintingTool().Click(*this);
        return true;
    case VK_LEFT:
        MovePointerBy(-step, 0);
        return true;
    case VK_UP:
        MovePointerBy(0, -step);
        return true;
    case VK_RIGHT:
        MovePointerBy(step, 0);
        return true;
    case VK_DOWN:
        MovePointerBy(0, step);
        return true;
    case VK_HOME:
        MovePointerBy(-step, -step);
        return true;
    case VK_PRIOR:
        MovePointerBy(step, -step);
        return true;
    case VK_END:
        MovePointerBy(-step, step);
        return true;
    case VK_NEXT:
        MovePointerBy(step, step);
        return true;
    default:
        return false;
    }
}
