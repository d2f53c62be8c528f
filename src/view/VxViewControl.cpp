#include "view/VxViewControl.h"

#include <windowsx.h>

#include <algorithm>

namespace {

constexpr const wchar_t* ViewClassName = L"VxViewControl";

class TVxRegionClip : public TVxSavedClip {
public:
    explicit TVxRegionClip(HRGN region) : Region(region) {}
    TVxRegionHandle Region;
};

TVxRegionHandle EmptyRegion() { return TVxRegionHandle(CreateRectRgn(0, 0, 0, 0)); }

COLORREF ToColorRef(std::uint32_t rgb)
{
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

} // namespace

// ---------------------------------------------------------------- TVxWin32ViewCanvas

TVxWin32ViewCanvas::TVxWin32ViewCanvas() : FUpdateRegion(EmptyRegion()) {}

TVxWin32ViewCanvas::~TVxWin32ViewCanvas()
{
    if (FPaintDC)
        EndPaint();
}

bool TVxWin32ViewCanvas::BeginPaint(HWND window)
{
    if (!FUpdateRegion)
        FUpdateRegion = EmptyRegion();
    const int kind = GetUpdateRgn(window, FUpdateRegion.Get(), FALSE);
    if (kind == NULLREGION || kind == ERROR)
        return false;
    FWindow = window;
    FPaintDC = ::BeginPaint(window, &FPaint);
    RECT box{};
    GetRgnBox(FUpdateRegion.Get(), &box);
    FUpdateBox = FromRECT(box);
    if (!FPaintDC || !CreateOffscreen()) {
        EndPaint();
        return false;
    }
    SelectClipRgn(FMemoryDC.Get(), FUpdateRegion.Get());
    return true;
}

bool TVxWin32ViewCanvas::CreateOffscreen()
{
    const std::int32_t width = FUpdateBox.Right;
    const std::int32_t height = FUpdateBox.Bottom;
    if (width <= 0 || height <= 0)
        return false;
    // The bitmap of the previous paint is kept while it is large enough: a scroll step
    // repaints a strip at the far edge, which would otherwise allocate and clear a bitmap
    // the size of the whole window every time.
    if (!FBitmap || width > FBitmapSize.Width || height > FBitmapSize.Height) {
        FBitmap.Reset();
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height; // top-down, as the pixel views expect
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        info.bmiHeader.biCompression = BI_RGB;
        FBitmap.Reset(CreateDIBSection(FPaintDC, &info, DIB_RGB_COLORS, &FBits, nullptr, 0));
        if (!FBitmap || !FBits)
            return false;
        FBitmapSize = TSize{width, height};
    }
    FMemoryDC.Reset(CreateCompatibleDC(FPaintDC));
    if (!FMemoryDC)
        return false;
    FReplacedBitmap = SelectObject(FMemoryDC.Get(), FBitmap.Get());
    Pixels().Init(TRect{0, 0, width, height}, static_cast<std::uint8_t*>(FBits), fmtBGR24, DibStride(24, FBitmapSize.Width));
    SetDC(FMemoryDC.Get());
    return true;
}

void TVxWin32ViewCanvas::EndPaint()
{
    if (FMemoryDC && FBitmap) {
        SelectClipRgn(FMemoryDC.Get(), nullptr);
        BitBlt(FPaintDC, FUpdateBox.Left, FUpdateBox.Top, FUpdateBox.Width(), FUpdateBox.Height(), FMemoryDC.Get(),
               FUpdateBox.Left, FUpdateBox.Top, SRCCOPY);
    }
    if (FMemoryDC && FReplacedBitmap)
        SelectObject(FMemoryDC.Get(), FReplacedBitmap);
    FReplacedBitmap = nullptr;
    FMemoryDC.Reset();
    Pixels().InitCanvas(TRect{}, nullptr);
    if (FPaintDC)
        ::EndPaint(FWindow, &FPaint);
    FPaintDC = nullptr;
    SetRectRgn(FUpdateRegion.Get(), 0, 0, 0, 0);
    SetDC(nullptr);
}

bool TVxWin32ViewCanvas::ClipIntersects(const TRect& windowRect) const
{
    const RECT r = ToRECT(windowRect);
    return !windowRect.IsEmpty() && RectVisible(FMemoryDC.Get(), &r);
}

void TVxWin32ViewCanvas::ExcludeClip(const TRect& windowRect)
{
    ExcludeClipRect(FMemoryDC.Get(), windowRect.Left, windowRect.Top, windowRect.Right, windowRect.Bottom);
}

void TVxWin32ViewCanvas::FillClip(std::uint32_t colour)
{
    RECT box{};
    if (GetClipBox(FMemoryDC.Get(), &box) == NULLREGION)
        return;
    TVxBrushHandle brush(CreateSolidBrush(ToColorRef(colour)));
    FillRect(FMemoryDC.Get(), &box, brush.Get());
}

TRect TVxWin32ViewCanvas::ClipBox() const
{
    RECT box{};
    GetClipBox(FMemoryDC.Get(), &box);
    return FromRECT(box);
}

std::unique_ptr<TVxSavedClip> TVxWin32ViewCanvas::SaveClip() const
{
    auto clip = std::make_unique<TVxRegionClip>(CreateRectRgn(0, 0, 0, 0));
    // 0: the DC has no clip region at all; selecting null brings that back.
    if (GetClipRgn(FMemoryDC.Get(), clip->Region.Get()) != 1)
        clip->Region.Reset();
    return clip;
}

void TVxWin32ViewCanvas::RestoreClip(const TVxSavedClip& clip)
{
    SelectClipRgn(FMemoryDC.Get(), static_cast<const TVxRegionClip&>(clip).Region.Get());
}

// ---------------------------------------------------------------- TVxViewControl

TVxViewControl::TVxViewControl() = default;

TVxViewControl::~TVxViewControl()
{
    if (HandleAllocated())
        DestroyWindow(Handle());
}

bool TVxViewControl::CreateControl(HWND parent, const RECT& bounds, DWORD extraStyle)
{
    // No redraw on resize: a resize repaints only what it uncovers.
    RegisterWindowClass(ViewClassName, CS_DBLCLKS, nullptr, LoadCursorW(nullptr, IDC_ARROW));
    return CreateHandle(0, ViewClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | extraStyle,
                        bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, parent);
}

TSize TVxViewControl::ClientSize() const
{
    const RECT r = ClientRect();
    return TSize{r.right - r.left, r.bottom - r.top};
}

void TVxViewControl::InvalidateWindowRect(const TRect& rect)
{
    if (!HandleAllocated() || rect.IsEmpty())
        return;
    const RECT r = ToRECT(rect);
    InvalidateRect(Handle(), &r, FALSE);
}

void TVxViewControl::InvalidateAll()
{
    if (HandleAllocated())
        InvalidateRect(Handle(), nullptr, FALSE);
}

bool TVxViewControl::PaintContent()
{
    if (!FCanvas.BeginPaint(Handle()))
        return false;
    PaintViewObjects(FObjects, FCanvas);
    FCanvas.EndPaint();
    return true;
}

void TVxViewControl::Resized(std::int32_t, std::int32_t) {}

LRESULT TVxViewControl::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
        if (PaintContent())
            return 0;
        break;
    case WM_SIZE: Resized(LOWORD(lParam), HIWORD(lParam)); return 0;
    }
    return TVxWindow::WndProc(message, wParam, lParam);
}

// ---------------------------------------------------------------- TVxScrollViewControl

bool TVxScrollViewControl::CreateControl(HWND parent, const RECT& bounds, DWORD extraStyle)
{
    if (!TVxViewControl::CreateControl(parent, bounds, extraStyle | WS_HSCROLL | WS_VSCROLL))
        return false;
    // The bars show until a range is set; an empty view has none, so the first fit sees
    // the whole client area.
    Relayout();
    return true;
}

TSize TVxScrollViewControl::ControlSize() const
{
    RECT r{};
    GetWindowRect(Handle(), &r);
    return TSize{r.right - r.left, r.bottom - r.top};
}

void TVxScrollViewControl::GetContentRect(TRect& rect)
{
    rect = ContentRect(Objects(), Mapping());
}

TVxScrollState TVxScrollViewControl::ScrollState()
{
    TVxScrollState state;
    GetScrollState(state.Dx, state.Dy, state.ExcessHeight, state.ExcessWidth);
    return state;
}

void TVxScrollViewControl::GetScrollState(std::int32_t& dx, std::int32_t& dy, std::int32_t& excessHeight,
                                          std::int32_t& excessWidth)
{
    TRect content;
    GetContentRect(content);
    const TVxScrollBarMetrics bars{GetSystemMetrics(SM_CXVSCROLL), GetSystemMetrics(SM_CYHSCROLL)};
    const TPoint origin{Mapping().ViewportOrgX, Mapping().ViewportOrgY};
    const TVxScrollState state = ::GetScrollState(content, ControlSize(), origin, bars);
    dx = state.Dx;
    dy = state.Dy;
    excessHeight = state.ExcessHeight;
    excessWidth = state.ExcessWidth;
}

void TVxScrollViewControl::Relayout()
{
    if (!HandleAllocated())
        return;
    const TVxScrollState state = ScrollState();
    if (state.Dx != 0 || state.Dy != 0)
        MoveOrigin(state.Dx, state.Dy);
    UpdateScrollBars(state.ExcessWidth, state.ExcessHeight);
    InvalidateAll();
}

void TVxScrollViewControl::Resized(std::int32_t width, std::int32_t height)
{
    TVxViewControl::Resized(width, height);
    const TVxScrollState state = ScrollState();
    if (state.Dx != 0 || state.Dy != 0)
        ScrollContent(state.Dx, state.Dy);
    UpdateScrollBars(state.ExcessWidth, state.ExcessHeight);
}

void TVxScrollViewControl::MoveOrigin(std::int32_t dx, std::int32_t dy)
{
    Mapping().MoveViewportOrigin(dx, dy);
}

void TVxScrollViewControl::ScrollContent(std::int32_t dx, std::int32_t dy)
{
    MoveOrigin(dx, dy);
    if (!HandleAllocated())
        return;
    ScrollWindowEx(Handle(), dx, dy, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE);
    UpdateWindow(Handle());
}

void TVxScrollViewControl::UpdateScrollBars(std::int32_t excessWidth, std::int32_t excessHeight)
{
    if (!HandleAllocated())
        return;
    const TSize size = ControlSize();
    if (size.Width < 1 || size.Height < 1)
        return;
    const TVxScrollBarRange horizontal = ScrollBarRange(size.Width, excessWidth, Mapping().ViewportOrgX);
    const TVxScrollBarRange vertical = ScrollBarRange(size.Height, excessHeight, Mapping().ViewportOrgY);
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, horizontal.Max,
                    static_cast<UINT>(horizontal.Page), horizontal.Position, 0};
    SetScrollInfo(Handle(), SB_HORZ, &info, TRUE);
    info.nMax = vertical.Max;
    info.nPage = static_cast<UINT>(vertical.Page);
    info.nPos = vertical.Position;
    SetScrollInfo(Handle(), SB_VERT, &info, TRUE);
}

void TVxScrollViewControl::CenterOn(const TPoint& logicalPoint)
{
    const TPoint p = Mapping().LogicalToDevice(logicalPoint);
    const TSize client = ClientSize();
    MoveOrigin(client.Width / 2 - p.X, client.Height / 2 - p.Y);
    const TVxScrollState state = ScrollState();
    if (state.Dx != 0 || state.Dy != 0)
        MoveOrigin(state.Dx, state.Dy);
    UpdateScrollBars(state.ExcessWidth, state.ExcessHeight);
    InvalidateAll();
}

void TVxScrollViewControl::ScrollBy(std::int32_t dx, std::int32_t dy)
{
    const TVxScrollState state = ScrollState();
    ScrollContent(dx, dy);
    UpdateScrollBars(state.ExcessWidth, state.ExcessHeight);
}

void TVxScrollViewControl::ClampScroll(std::int32_t& dx, std::int32_t& dy)
{
    const TVxScrollState state = ScrollState();
    ::ClampScroll(dx, dy, TPoint{Mapping().ViewportOrgX, Mapping().ViewportOrgY}, state);
}

namespace {

TVxScrollRequest ToRequest(WORD request)
{
    switch (request) {
    case SB_LINEUP: return TVxScrollRequest::LineUp;
    case SB_LINEDOWN: return TVxScrollRequest::LineDown;
    case SB_PAGEUP: return TVxScrollRequest::PageUp;
    case SB_PAGEDOWN: return TVxScrollRequest::PageDown;
    case SB_THUMBTRACK: return TVxScrollRequest::ThumbTrack;
    default: return TVxScrollRequest::Other;
    }
}

} // namespace

void TVxScrollViewControl::ScrollBarMessage(int bar, WORD request)
{
    Scrolling = true;
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(Handle(), bar, &info);
    const TVxScrollBarInfo state{info.nMin, info.nMax, static_cast<std::int32_t>(info.nPage), info.nPos, info.nTrackPos};
    const std::int32_t delta = ScrollBarDelta(ToRequest(request), state, LineStep);
    if (delta != 0) {
        // While the thumb is dragged the bar draws itself; redrawing it would flicker.
        SetScrollPos(Handle(), bar, info.nPos + delta, request != SB_THUMBTRACK);
        if (bar == SB_HORZ)
            ScrollContent(-delta, 0);
        else
            ScrollContent(0, -delta);
    }
    Scrolling = false;
}

LRESULT TVxScrollViewControl::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_HSCROLL: ScrollBarMessage(SB_HORZ, LOWORD(wParam)); return 0;
    case WM_VSCROLL: ScrollBarMessage(SB_VERT, LOWORD(wParam)); return 0;
    }
    return TVxViewControl::WndProc(message, wParam, lParam);
}
