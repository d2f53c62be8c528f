#include "tools/VxPanelControls.h"

HWND AddPanelControl(HWND parent, const wchar_t* windowClass, DWORD style, int x, int y, int width, int height, int id,
                     DWORD exStyle)
{
    HWND control =
        CreateWindowExW(exStyle, windowClass, L"", WS_CHILD | WS_VISIBLE | style, x, y, width, height, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return control;
}

std::wstring ControlText(HWND control)
{
    const int length = GetWindowTextLengthW(control);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

void SetControlText(HWND control, const std::wstring& text)
{
    if (ControlText(control) != text)
        SetWindowTextW(control, text.c_str());
}

HFONT BoldPanelFont()
{
    static HFONT font = [] {
        LOGFONTW log{};
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof log, &log);
        log.lfWeight = FW_BOLD;
        return CreateFontIndirectW(&log);
    }();
    return font;
}
