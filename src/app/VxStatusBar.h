#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

class TVxStatusBar {
public:
    explicit TVxStatusBar(HWND parent);
    ~TVxStatusBar();
    HWND Handle() const { return FHandle; }
    // A panel of the given width; the first panel takes what the fixed ones leave.
    int AddPanel(int width);
    int PanelCount() const { return static_cast<int>(FWidths.size()); }
    void SetPanelWidth(int index, int width);
    void SetPanelText(int index, const std::wstring& text);
    RECT PanelRect(int index) const;
    int Height() const;
    void Arrange(const RECT& parentClient);

private:
    HWND FHandle;
    std::vector<int> FWidths;
    std::vector<std::wstring> FTexts;
};
