#pragma once
// The about box: one tab whose page is the logo picture with the label table on it.
//
//   TVxAboutForm form(mainWindow, {L"Velloria", L"2.2.12", site, support});
//   form.ShowModal();
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/VxHandles.h"
#include "app/VxWindow.h"
#include "help/VxAboutLayout.h"

struct TVxAboutInfo {
    std::wstring ProductName;
    std::wstring Version;
    std::wstring WebSite;
    std::wstring SupportPage;
};

// A child window that paints the "ABOUT" picture stretched over its client area and the
// labels of the table, transparent, over it; a click on a link opens its address.
class TVxLogoBackground {
public:
    TVxLogoBackground(HWND parent, const RECT& bounds, const TVxAboutInfo& info);
    ~TVxLogoBackground();
    TVxLogoBackground(const TVxLogoBackground&) = delete;
    TVxLogoBackground& operator=(const TVxLogoBackground&) = delete;

    HWND Handle() const { return FWindow; }
    // Shows the labels of the tab (and those of every tab).
    void SetTab(int tab);
    // The captions as laid out, for tests and the probe.
    const std::vector<std::wstring>& Captions() const { return FCaptions; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void LoadPicture();
    void Layout();
    void Paint(HDC dc);
    int LinkAt(POINT point) const;
    std::wstring RowText(const TVxAboutRow& row) const;

    HWND FWindow = nullptr;
    TVxAboutInfo FInfo;
    std::vector<TVxAboutRow> FRows;
    std::vector<std::wstring> FCaptions;
    std::vector<TVxLabelBox> FBoxes;
    TVxBitmapHandle FPicture;
    SIZE FPictureSize{};
    TVxFontHandle FFont;
    TVxFontHandle FBoldFont;
    TVxFontHandle FLinkFont;
    int FTab = 0;
};

class TVxAboutForm {
public:
    TVxAboutForm(HWND owner, TVxAboutInfo info) : FOwner(owner), FInfo(std::move(info)) {}
    void ShowModal();

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();

    HWND FOwner;
    HWND FDialog = nullptr;
    TVxAboutInfo FInfo;
    HWND FTabs = nullptr;
    std::unique_ptr<TVxLogoBackground> FLogo;
    TVxFontHandle FFont;
};
