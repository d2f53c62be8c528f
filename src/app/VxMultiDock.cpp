#include "app/VxMultiDock.h"

#include <windowsx.h>

#include <algorithm>

#include "app/VxDockablePanel.h"

TVxMultiDock::TVxMultiDock(HWND parent, TVxDockSide side) : FSide(side)
{
    RegisterWindowClass(L"TVxMultiDock", CS_DBLCLKS, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), LoadCursorW(nullptr, IDC_SIZEWE));
    CreateHandle(WS_EX_CONTROLPARENT, L"TVxMultiDock", L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 0, 0, parent);
}

void TVxMultiDock::AddPanel(TVxDockablePanel& panel)
{
    ::SetParent(panel.Handle(), Handle());
    FPanels.push_back(&panel);
}

void TVxMultiDock::RemovePanel(TVxDockablePanel& panel)
{
    FPanels.erase(std::remove(FPanels.begin(), FPanels.end(), &panel), FPanels.end());
}

int TVxMultiDock::Thickness() const
{
    int width = 0;
    for (const TVxDockablePanel* panel : FPanels) {
        if (panel->Visible())
            width = std::max(width, panel->PanelWidth());
    }
    return width > 0 ? width + ScaleForDpi(SplitterWidth) : 0;
}

RECT TVxMultiDock::SplitterRect() const
{
    RECT rect = ClientRect();
    const int splitter = ScaleForDpi(SplitterWidth);
    if (FSide == TVxDockSide::Left)
        rect.left = rect.right - splitter;
    else
        rect.right = rect.left + splitter;
    return rect;
}

void TVxMultiDock::Arrange()
{
    RECT area = ClientRect();
    const int splitter = ScaleForDpi(SplitterWidth);
    if (FSide == TVxDockSide::Left)
        area.right -= splitter;
    else
        area.left += splitter;
    int visibleCount = 0;
    for (const TVxDockablePanel* panel : FPanels)
        visibleCount += panel->Visible() ? 1 : 0;
    if (visibleCount == 0)
        return;
    const int height = (area.bottom - area.top) / visibleCount;
    int top = area.top;
    for (TVxDockablePanel* panel : FPanels) {
        if (!panel->Visible())
            continue;
        panel->SetBounds(area.left, top, area.right - area.left, height);
        top += height;
    }
}

void TVxMultiDock::BeginDrag(int x)
{
    FDragging = true;
    FDragStartX = x;
    FDragStartWidth = Thickness() - ScaleForDpi(SplitterWidth);
    SetCapture(Handle());
}

void TVxMultiDock::Drag(int x)
{
    // x is in client coordinates of a window that itself moves while dragging: use the screen.
    const int delta = (FSide == TVxDockSide::Left) ? x - FDragStartX : FDragStartX - x;
    for (TVxDockablePanel* panel : FPanels)
        panel->SetPanelWidth(FDragStartWidth + delta);
    OnResized(this);
}

LRESULT TVxMultiDock::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_LBUTTONDOWN: {
        POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        const RECT splitter = SplitterRect();
        if (PtInRect(&splitter, point)) {
            ClientToScreen(Handle(), &point);
            BeginDrag(point.x);
        }
        return 0;
    }
    case WM_MOUSEMOVE:
        if (FDragging) {
            POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            ClientToScreen(Handle(), &point);
            Drag(point.x);
        }
        return 0;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
        if (FDragging) {
            FDragging = false;
            if (message == WM_LBUTTONUP)
                ReleaseCapture();
        }
        return 0;
    case WM_SIZE: Arrange(); return 0;
    }
    return TVxWindow::WndProc(message, wParam, lParam);
}
