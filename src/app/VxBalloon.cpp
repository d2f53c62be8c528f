#include "app/VxBalloon.h"

namespace {

constexpr wchar_t BalloonClass[] = L"VxBalloon";
constexpr int MaxTextWidth = 350;

HFONT HintFont()
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    static HFONT font = CreateFontIndirectW(&metrics.lfStatusFont);  // lives as long as the program
    return font;
}

}  // namespace

TVxBalloon::~TVxBalloon()
{
    if (HandleAllocated())
        DestroyWindow(Handle());
}

void TVxBalloon::Recreate()
{
    if (HandleAllocated())
        DestroyWindow(Handle());
    // No cursor of its own: the lesson hides the system's while the balloon shows.
    RegisterWindowClass(BalloonClass, CS_SAVEBITS, nullptr, nullptr);
    CreateHandle(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, BalloonClass, L"", WS_POPUP, 0, 0, 1, 1, nullptr);
}

SIZE TVxBalloon::MeasureText(const std::wstring& text) const
{
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, HintFont());
    RECT rect{0, 0, MaxTextWidth, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

TVxRegionHandle TVxBalloon::MakeRegion() const
{
    const int shift = FLayout.RegionShiftY;
    TVxRegionHandle body(CreateRoundRectRgn(0, shift, FLayout.BodyWidth, FLayout.BodyHeight + shift, 16, 16));
    POINT tail[3];
    for (int i = 0; i < 3; ++i)
        tail[i] = {FLayout.Tail[static_cast<std::size_t>(i)].X, FLayout.Tail[static_cast<std::size_t>(i)].Y};
    TVxRegionHandle triangle(CreatePolygonRgn(tail, 3, WINDING));
    CombineRgn(body.Get(), body.Get(), triangle.Get(), RGN_OR);
    return body;
}

void TVxBalloon::ShowAt(TVxDemoPoint anchor, const std::wstring& text, int position)
{
    Recreate();
    if (!HandleAllocated())
        return;
    FText = text;
    SetWindowTextW(Handle(), text.c_str());  // for screen readers, and tests, to read
    const SIZE size = MeasureText(text);
    FLayout = LayoutBalloon(anchor, size.cx, size.cy, position, GetSystemMetrics(SM_CXSCREEN),
                            GetSystemMetrics(SM_CYSCREEN));
    FTextRect = {FLayout.TextOffset.X, FLayout.TextOffset.Y, FLayout.TextOffset.X + size.cx,
                 FLayout.TextOffset.Y + size.cy};
    SetWindowPos(Handle(), HWND_TOPMOST, FLayout.WindowOrigin.X, FLayout.WindowOrigin.Y, FLayout.BodyWidth,
                 FLayout.WindowHeight, SWP_NOACTIVATE);
    SetWindowRgn(Handle(), MakeRegion().Release(), FALSE);  // the window owns the region now
    ShowWindow(Handle(), SW_SHOWNOACTIVATE);
    UpdateWindow(Handle());
}

void TVxBalloon::Hide()
{
    if (HandleAllocated())
        ShowWindow(Handle(), SW_HIDE);
}

void TVxBalloon::Paint(HDC dc)
{
    RECT client{};
    GetClientRect(Handle(), &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_INFOBK));
    // The outline: the region minus its copies moved one pixel each way.
    TVxRegionHandle region = MakeRegion();
    TVxRegionHandle inner = MakeRegion();
    for (const POINT offset : {POINT{1, 0}, POINT{-1, 0}, POINT{0, 1}, POINT{0, -1}}) {
        TVxRegionHandle moved = MakeRegion();
        OffsetRgn(moved.Get(), offset.x, offset.y);
        CombineRgn(inner.Get(), inner.Get(), moved.Get(), RGN_AND);
    }
    CombineRgn(region.Get(), region.Get(), inner.Get(), RGN_DIFF);
    FillRgn(dc, region.Get(), GetSysColorBrush(COLOR_INFOTEXT));
    HGDIOBJ old = SelectObject(dc, HintFont());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
    RECT text = FTextRect;
    DrawTextW(dc, FText.c_str(), static_cast<int>(FText.size()), &text, DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
}

LRESULT TVxBalloon::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: { TVxPaintDC paint(Handle()); Paint(paint.DC()); return 0; }
    case WM_ERASEBKGND: return 1;
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_NCHITTEST: return HTTRANSPARENT;
    case WM_SETCURSOR: SetCursor(nullptr); return TRUE;
    }
    return TVxWindow::WndProc(message, wParam, lParam);
}
