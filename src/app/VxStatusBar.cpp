#include "app/VxStatusBar.h"

#include "app/VxHandles.h"
#include "app/VxWindow.h"

TVxStatusBar::TVxStatusBar(HWND parent)
{
    FHandle = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SBARS_SIZEGRIP | CCS_NOPARENTALIGN | CCS_NORESIZE,
                              0, 0, 0, 0, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
}

TVxStatusBar::~TVxStatusBar()
{
    if (IsWindow(FHandle))
        DestroyWindow(FHandle);
}

int TVxStatusBar::AddPanel(int width)
{
    FWidths.push_back(width);
    return static_cast<int>(FWidths.size()) - 1;
}

void TVxStatusBar::SetPanelWidth(int index, int width)
{
    if (index >= 0 && index < PanelCount())
        FWidths[static_cast<std::size_t>(index)] = width;
}

void TVxStatusBar::SetPanelText(int index, const std::wstring& text)
{
    if (index < 0)
        return;
    if (FTexts.size() <= static_cast<std::size_t>(index))
        FTexts.resize(static_cast<std::size_t>(index) + 1);
    FTexts[static_cast<std::size_t>(index)] = text;
    SendMessageW(FHandle, SB_SETTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.c_str()));
}

RECT TVxStatusBar::PanelRect(int index) const
{
    RECT rect{};
    SendMessageW(FHandle, SB_GETRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
    return rect;
}

int TVxStatusBar::Height() const
{
    RECT rect{};
    // The status bar's natural height follows its font.
    const HFONT font = reinterpret_cast<HFONT>(SendMessageW(FHandle, WM_GETFONT, 0, 0));
    HDC dc = GetDC(FHandle);
    TEXTMETRICW metrics{};
    {
        TVxSelectObject select(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
        GetTextMetricsW(dc, &metrics);
    }
    ReleaseDC(FHandle, dc);
    (void)rect;
    return metrics.tmHeight + ScaleForDpi(8);
}

// The first panel stretches; the others keep their widths from the right edge.
void TVxStatusBar::Arrange(const RECT& parentClient)
{
    const int height = Height();
    SetWindowPos(FHandle, nullptr, 0, parentClient.bottom - height, parentClient.right, height, SWP_NOZORDER | SWP_NOACTIVATE);
    if (FWidths.empty())
        return;
    std::vector<int> edges(FWidths.size());
    int right = parentClient.right - GetSystemMetrics(SM_CXVSCROLL);
    for (std::size_t i = FWidths.size(); i-- > 1;) {
        edges[i] = right;
        right -= FWidths[i];
    }
    edges[0] = right;
    // Too narrow for the fixed panels: they keep their widths from the left edge and
    // the last ones are cut off, rather than collapsing onto each other.
    if (right < 0) {
        edges[0] = 0;
        for (std::size_t i = 1; i < FWidths.size(); ++i)
            edges[i] = edges[i - 1] + FWidths[i];
    }
    edges.back() = -1;
    SendMessageW(FHandle, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
    // Texts set before the parts existed are given again.
    for (std::size_t i = 0; i < FTexts.size() && i < FWidths.size(); ++i)
        SendMessageW(FHandle, SB_SETTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(FTexts[i].c_str()));
}
