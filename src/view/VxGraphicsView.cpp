#include "view/VxGraphicsView.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdlib>
#include <optional>

namespace {

TVxShiftState ShiftNow()
{
    TVxShiftState shift = 0;
    if (GetKeyState(VK_SHIFT) < 0)
        shift |= MK_SHIFT;
    if (GetKeyState(VK_CONTROL) < 0)
        shift |= MK_CONTROL;
    if (GetKeyState(VK_LBUTTON) < 0)
        shift |= MK_LBUTTON;
    if (GetKeyState(VK_RBUTTON) < 0)
        shift |= MK_RBUTTON;
    return shift;
}

TPoint PointOf(LPARAM lParam) { return TPoint{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

bool IsViewKey(WPARAM key)
{
    return key == 3 || key == VK_RETURN || key == VK_ESCAPE || (key >= VK_LEFT && key <= VK_DOWN) || key == 43;
}

std::optional<TVxViewKey> ViewKeyOf(WORD key)
{
    switch (key) {
    case VK_LEFT: return TVxViewKey::Left;
    case VK_RIGHT: return TVxViewKey::Right;
    case VK_UP: return TVxViewKey::Up;
    case VK_DOWN: return TVxViewKey::Down;
    case VK_PRIOR: return TVxViewKey::PageUp;
    case VK_NEXT: return TVxViewKey::PageDown;
    case VK_HOME: return TVxViewKey::Home;
    case VK_END: return TVxViewKey::End;
    default: return std::nullopt;
    }
}

// The user's lines per wheel notch; a page per notch comes back as -1.
std::int32_t WheelScrollLines()
{
    UINT lines = 3;
    if (!SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0))
        lines = 3;
    return lines == WHEEL_PAGESCROLL ? -1 : static_cast<std::int32_t>(std::min<UINT>(lines, 100));
}

} // namespace

// ---------------------------------------------------------------- TVxGraphicsView

TVxGraphicsView::TVxGraphicsView(TVxGraphicsDocument& document, IVxGraphicsToolHost& host) : FDocument(document), FHost(host)
{
    FPicture = &Objects().Add(std::make_unique<TVxGraphicDocumentView>(document));
}

TVxGraphicsView::~TVxGraphicsView()
{
    // The tool controls unregister from their tools while the view still exists.
    Objects().Clear();
}

bool TVxGraphicsView::CreateControl(HWND parent, const RECT& bounds)
{
    return TVxScrollViewControl::CreateControl(parent, bounds, WS_TABSTOP);
}

void TVxGraphicsView::InvalidateImageRect(const TRect& rect)
{
    FPicture->PixelsChanged(rect);
    // One device pixel more on every side: the floor mapping can reach a pixel further.
    const TRect window = Mapping().LogicalToDeviceRect(rect);
    InvalidateWindowRect(TRect{window.Left - 1, window.Top - 1, window.Right + 1, window.Bottom + 1});
}

void TVxGraphicsView::ImageChanged(std::int32_t, std::int32_t)
{
    FPicture->PictureChanged();
    Relayout();
}

template <typename F>
bool TVxGraphicsView::OfferToControls(F&& offer)
{
    for (std::int32_t i = Objects().Count() - 1; i >= 0; --i) {
        if (auto* control = dynamic_cast<TVxGraphicsToolControl*>(&Objects().Item(i)))
            if (offer(*control))
                return true;
    }
    return false;
}

void TVxGraphicsView::MouseDown(TVxMouseButton button, TVxShiftState shift, const TPoint& point)
{
    SetCapture(Handle());
    OfferToControls([&](TVxGraphicsToolControl& c) { return c.MouseDown(button, shift, point); });
}

void TVxGraphicsView::MouseMove(TVxShiftState shift, const TPoint& point)
{
    if (!FHovering)
        EnterHover();
    ShowPointer(point);
    OfferToControls([&](TVxGraphicsToolControl& c) { return c.MouseMove(shift, point); });
}

void TVxGraphicsView::MouseUp(TVxMouseButton button, TVxShiftState shift, const TPoint& point)
{
    if (GetCapture() == Handle() && (shift & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0)
        ReleaseCapture();
    OfferToControls([&](TVxGraphicsToolControl& c) { return c.MouseUp(button, shift, point); });
}

void TVxGraphicsView::EnterHover()
{
    FHovering = true;
    OfferToControls([](TVxGraphicsToolControl& c) {
        c.MouseEnter();
        return false;
    });
    TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, Handle(), 100};
    TrackMouseEvent(&track);
    TakeFocus();
}

void TVxGraphicsView::LeaveHover()
{
    if (!FHovering)
        return;
    FHovering = false;
    OfferToControls([](TVxGraphicsToolControl& c) {
        c.MouseLeave();
        return false;
    });
}

void TVxGraphicsView::ShowPointer(const TPoint& windowPoint)
{
    const TPoint image = Mapping().DeviceToLogical(windowPoint);
    std::uint32_t colour = 0;
    if (const TVxPixels* pixels = FDocument.ImagePixels(); pixels && pixels->GetBounds().Contains(image.X, image.Y)) {
        const std::uint8_t* p = pixels->PixelAddress(image.X, image.Y);
        colour = (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
    }
    FHost.ShowPointer(image, colour);
}

bool TVxGraphicsView::SetCursorFromTools()
{
    POINT p{};
    GetCursorPos(&p);
    ScreenToClient(Handle(), &p);
    std::int32_t cursor = 0;
    const TPoint point{p.x, p.y};
    const TVxShiftState shift = ShiftNow();
    OfferToControls([&](TVxGraphicsToolControl& c) { return c.GetCursor(shift, point, cursor); });
    SetCursor(ViewCursor(cursor));
    return true;
}

void TVxGraphicsView::RefreshCursor()
{
    if (!HandleAllocated())
        return;
    POINT p{};
    GetCursorPos(&p);
    if (WindowFromPoint(p) == Handle())
        SetCursorFromTools();
}

void TVxGraphicsView::TakeFocus()
{
    HWND root = GetAncestor(Handle(), GA_ROOT);
    if (GetForegroundWindow() == root && GetFocus() != Handle())
        SetFocus(Handle());
}

bool TVxGraphicsView::MouseWheel(TVxShiftState shift, std::int32_t delta, const TPoint& screenPoint)
{
    if (!FHovering)
        return false;
    POINT p{screenPoint.X, screenPoint.Y};
    ScreenToClient(Handle(), &p);
    const TPoint point{p.x, p.y};
    const std::int32_t step = delta > 0 ? 1 : -1;
    if (OfferToControls([&](TVxGraphicsToolControl& c) { return c.MouseWheel(shift, step, point); }))
        return true;
    if (const std::int32_t notches = WholeNotches(FWheelRest, delta))
        WheelNotches(shift, notches, point);
    return true;
}

bool TVxGraphicsView::MouseTilt(std::int32_t delta, const TPoint&)
{
    if (!FHovering)
        return false;
    // Tilted right, the view moves on to what lies right: as the wheel turned towards the
    // user with Shift.
    if (const std::int32_t notches = WholeNotches(FTiltRest, delta))
        WheelNotches(MK_SHIFT, -notches, TPoint{});
    return true;
}

// Fine-grained wheels send parts of a notch; they count once they add up to one, and a
// change of direction starts again.
std::int32_t TVxGraphicsView::WholeNotches(std::int32_t& rest, std::int32_t delta)
{
    if ((rest > 0) != (delta > 0))
        rest = 0;
    rest += delta;
    const std::int32_t notches = rest / WHEEL_DELTA;
    rest %= WHEEL_DELTA;
    return notches;
}

void TVxGraphicsView::WheelNotches(TVxShiftState shift, std::int32_t notches, const TPoint& point)
{
    if (shift & MK_CONTROL) {
        TVxZoom zoom{Mapping().ViewportExtX, Mapping().WindowExtX};
        for (std::int32_t i = 0; i < std::abs(notches); ++i)
            zoom = notches > 0 ? ZoomInStep(zoom) : ZoomOutStep(zoom);
        ZoomAbout(*this, point, zoom);
        return;
    }
    ScrollOrigin(WheelScrollDelta(notches, WheelScrollLines(), (shift & MK_SHIFT) != 0, ClientSize(),
                                  TPoint{Mapping().ViewportOrgX, Mapping().ViewportOrgY}, ScrollLimits()));
}

void TVxGraphicsView::KeyDown(WORD key)
{
    const TVxShiftState shift = ShiftNow();
    if (OfferToControls([&](TVxGraphicsToolControl& c) { return c.KeyDown(key, shift); }))
        return;
    if (const std::optional<TVxViewKey> viewKey = ViewKeyOf(key))
        ScrollOrigin(KeyScrollDelta(*viewKey, (shift & MK_SHIFT) != 0, (shift & MK_CONTROL) != 0, ClientSize(),
                                    TPoint{Mapping().ViewportOrgX, Mapping().ViewportOrgY}, ScrollLimits()));
}

void TVxGraphicsView::ScrollOrigin(const TPoint& delta)
{
    if (delta.X == 0 && delta.Y == 0)
        return;
    ScrollBy(delta.X, delta.Y);
    // The picture moved under a pointer that did not: the status bar follows.
    POINT pointer{};
    if (FHovering && GetCursorPos(&pointer) && ScreenToClient(Handle(), &pointer))
        ShowPointer(TPoint{pointer.x, pointer.y});
}

LRESULT TVxGraphicsView::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_LBUTTONDOWN: MouseDown(TVxMouseButton::Left, static_cast<TVxShiftState>(wParam), PointOf(lParam)); return 0;
    case WM_RBUTTONDOWN: MouseDown(TVxMouseButton::Right, static_cast<TVxShiftState>(wParam), PointOf(lParam)); return 0;
    case WM_MBUTTONDOWN: MouseDown(TVxMouseButton::Middle, static_cast<TVxShiftState>(wParam), PointOf(lParam)); return 0;
    case WM_LBUTTONUP: MouseUp(TVxMouseButton::Left, static_cast<TVxShiftState>(wParam), PointOf(lParam)); return 0;
    case WM_RBUTTONUP: MouseUp(TVxMouseButton::Right, static_cast<TVxShiftState>(wParam), PointOf(lParam)); return 0;
    case WM_MBUTTONUP: MouseUp(TVxMouseButton::Middle, static_cast<TVxShiftState>(wParam), PointOf(lParam)); return 0;
    case WM_LBUTTONDBLCLK:
        OfferToControls([&](TVxGraphicsToolControl& c) { return c.DoubleClick(static_cast<TVxShiftState>(wParam), PointOf(lParam)); });
        return 0;
    case WM_MOUSEMOVE: MouseMove(static_cast<TVxShiftState>(wParam), PointOf(lParam)); return 0;
    case WM_MOUSELEAVE: LeaveHover(); return 0;
    // The default handling passes a turn on to the parent windows but, under Wine, not a
    // tilt: that one is sent on here, so both reach the main window's handler.
    case WM_MOUSEHWHEEL: return SendMessageW(GetAncestor(Handle(), GA_ROOT), message, wParam, lParam);
    case WM_KEYDOWN: KeyDown(static_cast<WORD>(wParam)); return 0;
    case WM_KEYUP:
        OfferToControls([&](TVxGraphicsToolControl& c) { return c.KeyUp(static_cast<WORD>(wParam), ShiftNow()); });
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTCHARS | (lParam && IsViewKey(reinterpret_cast<const MSG*>(lParam)->wParam) ? DLGC_WANTMESSAGE : 0) |
               DLGC_WANTARROWS;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT)
            return SetCursorFromTools();
        LeaveHover();
        break;
    }
    return TVxScrollViewControl::WndProc(message, wParam, lParam);
}

// ---------------------------------------------------------------- zoom

namespace {

TSize PictureSize(const TVxGraphicsView& view)
{
    const TVxLTBitmap& image = view.Document().Image();
    return TSize{image.GetWidth(), image.GetHeight()};
}

} // namespace

void SetZoom(TVxGraphicsView& view, std::int32_t numerator, std::int32_t denominator)
{
    const TSize client = view.ClientSize();
    const TPoint centre = view.Mapping().DeviceToLogical(TPoint{client.Width / 2, client.Height / 2});
    view.Mapping().SetScale(numerator, denominator);
    view.Picture().PictureChanged();
    view.CenterOn(centre);
    // Moving the pointer onto itself refreshes hover and the status bar.
    POINT pointer{};
    if (GetCursorPos(&pointer))
        SetCursorPos(pointer.x, pointer.y);
    view.RefreshCursor();
}

void ZoomAbout(TVxGraphicsView& view, const TPoint& clientPoint, const TVxZoom& zoom)
{
    view.Mapping().ZoomAbout(clientPoint, zoom.Numerator, zoom.Denominator);
    view.Picture().PictureChanged();
    // The new origin is kept within the picture's range (a picture smaller than the view
    // is centred), which only moves it where the picture ends.
    view.Relayout();
    POINT pointer{};
    if (GetCursorPos(&pointer))
        SetCursorPos(pointer.x, pointer.y);
    view.RefreshCursor();
}

void FitToWindow(TVxGraphicsView& view)
{
    const TVxZoom zoom = FitZoom(view.ControlSize(), PictureSize(view));
    SetZoom(view, zoom.Numerator, zoom.Denominator);
}

void AutoFit(TVxGraphicsView& view)
{
    const TVxZoom zoom = AutoFitZoom(view.ControlSize(), PictureSize(view));
    SetZoom(view, zoom.Numerator, zoom.Denominator);
}

void ZoomIn(TVxGraphicsView& view)
{
    const TVxZoom zoom = ZoomInStep(TVxZoom{view.Mapping().ViewportExtX, view.Mapping().WindowExtX});
    SetZoom(view, zoom.Numerator, zoom.Denominator);
}

void ZoomOut(TVxGraphicsView& view)
{
    const TVxZoom zoom = ZoomOutStep(TVxZoom{view.Mapping().ViewportExtX, view.Mapping().WindowExtX});
    SetZoom(view, zoom.Numerator, zoom.Denominator);
}
