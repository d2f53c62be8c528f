#include "tools/VxCropToolControl.h"

#include "tools/VxCropOverlay.h"
#include "view/VxGraphicsEditor.h"
#include "view/VxViewCanvas.h"

namespace {

// Cursor-table entries of the crop rectangle (the view's table holds arrow and hand).
enum : std::int32_t { crCross = 200, crSizeAll, crSizeNESW, crSizeNWSE, crSizeWE, crSizeNS };

void RegisterCropCursors()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    SetViewCursor(crCross, LoadCursorW(nullptr, IDC_CROSS));
    SetViewCursor(crSizeAll, LoadCursorW(nullptr, IDC_SIZEALL));
    SetViewCursor(crSizeNESW, LoadCursorW(nullptr, IDC_SIZENESW));
    SetViewCursor(crSizeNWSE, LoadCursorW(nullptr, IDC_SIZENWSE));
    SetViewCursor(crSizeWE, LoadCursorW(nullptr, IDC_SIZEWE));
    SetViewCursor(crSizeNS, LoadCursorW(nullptr, IDC_SIZENS));
}

std::int32_t PartCursor(TVxCropPart part)
{
    switch (part) {
    case cpInside:
        return crSizeAll;
    case cpTopRight:
    case cpBottomLeft:
        return crSizeNESW;
    case cpBottomRight:
    case cpTopLeft:
        return crSizeNWSE;
    case cpRight:
    case cpLeft:
        return crSizeWE;
    case cpTop:
    case cpBottom:
        return crSizeNS;
    default:
        return 0;
    }
}

} // namespace

// ---------------------------------------------------------------- TVxCustomCropTool

TVxCustomCropTool::TVxCustomCropTool(TVxComponent* owner, IVxGraphicsToolHost& host) : TVxGraphicsTool(owner, host)
{
    // A crop changes the picture's size, which the plug-in's host cannot take back.
    SetExclusive(true);
    SetAvailableInPluginMode(false);
    RegisterCropCursors();
}

TVxCropToolControl* TVxCustomCropTool::ActiveControl() const
{
    TVxGraphicsView* view = GraphicsEditor ? GraphicsEditor->ActiveView() : nullptr;
    for (TVxGraphicsToolControl* control : Controls())
        if (&control->View() == view)
            return static_cast<TVxCropToolControl*>(control);
    return nullptr;
}

void TVxCustomCropTool::Perform(TVxCropToolControl& control)
{
    const TRect rect = control.CropRect;
    TVxGraphicsView& view = control.View();
    const TVxPixels* image = view.Document().ImagePixels();
    // A rectangle that collapsed or lies outside the picture would crop nothing; recording
    // it would drop the redo steps and mark the picture changed for no change at all.
    if (!image || !CropMeetsPicture(rect, image->GetBounds())) {
        Cancel(control);
        return;
    }
    control.Reset();
    PerformCrop(rect, &view);
}

void TVxCustomCropTool::Cancel(TVxCropToolControl& control)
{
    control.Reset();
    // A crop changes no pixel before it is performed, so its open change is closed as it
    // is: cancelling would copy the whole picture back from the backup and make the view
    // rebuild its reduced copy, for nothing.
    EndChange();
}

void TVxCustomCropTool::DocumentClosing(TVxGraphicsDocument&)
{
    for (TVxGraphicsToolControl* control : std::vector<TVxGraphicsToolControl*>(Controls()))
        if (auto* crop = static_cast<TVxCropToolControl*>(control); crop->State != csNone)
            Cancel(*crop);
}

// ---------------------------------------------------------------- TVxCropToolControl

TRect TVxCropToolControl::WorkArea() const
{
    TRect area;
    View().Document().GetWorkArea(area);
    return area;
}

TRect TVxCropToolControl::ScreenRect() const
{
    return View().Mapping().LogicalToDeviceRect(CropRect);
}

TPoint TVxCropToolControl::ImagePoint(const TPoint& windowPoint) const
{
    return View().Mapping().DeviceToLogical(windowPoint);
}

void TVxCropToolControl::GetOutlineRect(const TVxMapMode& mapping, TRect& rect) const
{
    rect = mapping.LogicalToDeviceRect(View().Document().Image().GetBounds());
    if (State == csReady)
        rect = TRect{rect.Left - 5, rect.Top - 5, rect.Right + 5, rect.Bottom + 5};
}

void TVxCropToolControl::DrawOutline(TVxViewCanvas& canvas)
{
    // Another tool borrowing the view (the hand, the original image) shows the picture
    // without the rectangle; it comes back with this tool.
    if (State == csNone || !Active())
        return;
    // The picture was painted through GDI; its batch must be done before the pixels are
    // touched directly.
    GdiFlush();
    const TVxMapMode& mapping = canvas.Mapping();
    const TRect picture = mapping.LogicalToDeviceRect(View().Document().Image().GetBounds());
    const TRect crop = mapping.LogicalToDeviceRect(CropRect);
    const TRect clip = canvas.ClipBox();
    TVxPixels& surface = canvas.Pixels();
    if (State == csReady || State == csAdjusting)
        DarkenOutside(surface, picture, crop, clip);
    if (State == csReady)
        DrawCropHandles(surface, crop, clip);
    DottedFrame(surface, crop, clip);
}

bool TVxCropToolControl::GetCursor(TVxShiftState, const TPoint& point, std::int32_t& cursor)
{
    if (!Active())
        return false;
    if (State == csNone || State == csDrawing)
        cursor = crCross;
    else
        cursor = PartCursor(State == csAdjusting ? Part : CropHitTest(ScreenRect(), point));
    return true;
}

bool TVxCropToolControl::MouseDown(TVxMouseButton button, TVxShiftState, const TPoint& point)
{
    if (!Active() || button == TVxMouseButton::Middle)
        return false;
    const TPoint image = ImagePoint(point);
    if (State == csNone) {
        const TRect area = WorkArea();
        if (button != TVxMouseButton::Left || !area.Contains(image.X, image.Y))
            return true; // outside the picture nothing starts
        if (!Tool().Host().CanStartEdit(Tool()))
            return true;
        Tool().BeginChange(View().Document(), &View());
        Anchor = image;
        ChangeRect(TRect{image.X, image.Y, image.X + 1, image.Y + 1});
        State = csDrawing;
        return true;
    }
    if (State == csReady) {
        Part = CropHitTest(ScreenRect(), point);
        if (Part > 2 && button == TVxMouseButton::Left) {
            Anchor = image;
            StartRect = CropRect;
            State = csAdjusting;
            Invalidate();
        }
    }
    return true;
}

bool TVxCropToolControl::MouseMove(TVxShiftState, const TPoint& point)
{
    if (!Active())
        return false;
    const TPoint image = ImagePoint(point);
    const TPoint delta{image.X - Anchor.X, image.Y - Anchor.Y};
    if (State == csDrawing)
        ChangeRect(DrawRect(image));
    else if (State == csAdjusting && Part == cpInside)
        ChangeRect(MoveCropRect(StartRect, delta, WorkArea()));
    else if (State == csAdjusting)
        ChangeRect(AdjustCropRect(StartRect, CropRect, Part, delta, WorkArea(), CropTool().Ratio()));
    return State != csNone;
}

bool TVxCropToolControl::MouseUp(TVxMouseButton button, TVxShiftState, const TPoint& point)
{
    if (!Active())
        return false;
    if (State == csReady)
        return ReleaseReady(button, point);
    if (State == csDrawing || State == csAdjusting) {
        State = csReady;
        Invalidate();
        RefreshCursor();
    }
    return true;
}

void TVxCropToolControl::Activate()
{
    SetVisible(true);
    TVxGraphicsToolControl::Activate();
}

void TVxCropToolControl::ChangeRect(const TRect& rect)
{
    const TRect before = ScreenRect();
    CropRect = rect;
    const TRect after = ScreenRect();
    if (!(before == after)) {
        // Only what lies inside one of the two rectangles changes its darkening; the
        // handles reach 5 pixels beyond them.
        const TRect both = UnionRect(before, after);
        View().InvalidateWindowRect(TRect{both.Left - 6, both.Top - 6, both.Right + 6, both.Bottom + 6});
    }
    if (!rect.IsEmpty() && GraphicsEditor) {
        GraphicsEditor->ShowImageWidth(std::to_wstring(rect.Width()));
        GraphicsEditor->ShowImageHeight(std::to_wstring(rect.Height()));
    }
    CropTool().RectChanged(*this);
}

void TVxCropToolControl::SetCropRect(const TRect& rect)
{
    ChangeRect(rect);
}

void TVxCropToolControl::Reset()
{
    Invalidate();
    State = csNone;
    CropRect = TRect{};
    Part = cpOutside;
    if (GraphicsEditor) {
        const TVxPixels* image = View().Document().ImagePixels();
        GraphicsEditor->ShowImageWidth(image ? std::to_wstring(image->Width()) : std::wstring());
        GraphicsEditor->ShowImageHeight(image ? std::to_wstring(image->Height()) : std::wstring());
    }
    RefreshCursor();
}
