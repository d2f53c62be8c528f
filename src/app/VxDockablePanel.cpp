#include "app/VxDockablePanel.h"

#include <algorithm>

#include "app/VxHandles.h"
#include "app/VxToolbar.h"

TVxDockablePanel::TVxDockablePanel(HWND parent)
{
    RegisterWindowClass(L"TVxDockablePanel", CS_DBLCLKS, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    CreateHandle(WS_EX_CONTROLPARENT, L"TVxDockablePanel", L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 0, 0, parent);
}

void TVxDockablePanel::SetCaption(const std::wstring& caption)
{
    FCaption = caption;
    SetWindowTextW(Handle(), caption.c_str());
    InvalidateRect(Handle(), nullptr, TRUE);
}

void TVxDockablePanel::SetVisible(bool visible)
{
    if (visible == FState.Visible)
        return;
    FState.Visible = visible;
    TVxWindow::SetVisible(visible);
    OnLayoutChanged(this);
}

void TVxDockablePanel::SetPanelWidth(int width)
{
    width = std::clamp(width, ScaleForDpi(60), ScaleForDpi(1200));
    if (width == FState.Width)
        return;
    FState.Width = width;
    OnLayoutChanged(this);
}

void TVxDockablePanel::SetSide(TVxDockSide side)
{
    FState.Side = side;
    OnLayoutChanged(this);
}

void TVxDockablePanel::SetState(const TVxDockPanelState& state)
{
    FState = state;
    TVxWindow::SetVisible(state.Visible);
    OnLayoutChanged(this);
}

int TVxDockablePanel::CaptionHeight() const
{
    return ScaleForDpi(22);
}

RECT TVxDockablePanel::ContentRect() const
{
    RECT rect = ClientRect();
    rect.top += CaptionHeight();
    InflateRect(&rect, -FBorderSize, -FBorderSize);
    rect.top = std::min(rect.top, rect.bottom);
    return rect;
}

void TVxDockablePanel::Paint(HDC dc)
{
    RECT strip = ClientRect();
    strip.bottom = strip.top + CaptionHeight();
    FillRect(dc, &strip, GetSysColorBrush(COLOR_BTNSHADOW));
    const HFONT font = reinterpret_cast<HFONT>(SendMessageW(GetAncestor(Handle(), GA_ROOT), WM_GETFONT, 0, 0));
    TVxSelectObject selectFont(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    RECT text = strip;
    text.left += ScaleForDpi(6);
    DrawTextW(dc, FCaption.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
}

LRESULT TVxDockablePanel::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: { TVxPaintDC paint(Handle()); Paint(paint.DC()); return 0; }
    case WM_SIZE: InvalidateRect(Handle(), nullptr, TRUE); break;
    }
    LRESULT result = 0;
    if (TVxToolbar::ForwardMessage(message, wParam, lParam, result))
        return result;
    return TVxWindow::WndProc(message, wParam, lParam);
}
