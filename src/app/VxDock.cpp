#include "app/VxDock.h"

#include "app/VxToolbar.h"

TVxDock::TVxDock(HWND parent, TAlign align) : FAlign(align)
{
    RegisterWindowClass(L"TVxDock", CS_DBLCLKS, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    CreateHandle(0, L"TVxDock", L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 0, 0, parent);
}

void TVxDock::AddToolbar(TVxToolbar& toolbar)
{
    toolbar.SetParent(Handle());
    FToolbars.push_back(&toolbar);
}

int TVxDock::Thickness(int length)
{
    int thickness = 0;
    const bool horizontal = FAlign == TAlign::Top || FAlign == TAlign::Bottom;
    for (TVxToolbar* toolbar : FToolbars) {
        if (!toolbar->Visible())
            continue;
        if (horizontal)
            thickness += toolbar->HeightFor(length);
        else
            thickness += toolbar->HeightFor(ScaleForDpi(36)) > 0 ? ScaleForDpi(36) : 0;
    }
    return thickness;
}

void TVxDock::Arrange()
{
    const RECT client = ClientRect();
    const bool horizontal = FAlign == TAlign::Top || FAlign == TAlign::Bottom;
    int offset = 0;
    for (TVxToolbar* toolbar : FToolbars) {
        if (!toolbar->Visible())
            continue;
        if (horizontal) {
            const int height = toolbar->HeightFor(client.right);
            SetWindowPos(toolbar->Handle(), nullptr, 0, offset, client.right, height, SWP_NOZORDER | SWP_NOACTIVATE);
            offset += height;
        } else {
            const int width = ScaleForDpi(36);
            SetWindowPos(toolbar->Handle(), nullptr, offset, 0, width, client.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
            offset += width;
        }
    }
}

LRESULT TVxDock::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (TVxToolbar::ForwardMessage(message, wParam, lParam, result))
        return result;
    return TVxWindow::WndProc(message, wParam, lParam);
}
