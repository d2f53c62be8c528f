#pragma once
// The lesson's balloon tip: a borderless, topmost hint window shaped as a rounded box with
// a tail whose tip lands on the anchor point. It never takes the focus.
#include <windows.h>

#include <string>

#include "app/VxHandles.h"
#include "app/VxWindow.h"
#include "demo/VxDemoMotion.h"

class TVxBalloon : public TVxWindow {
public:
    ~TVxBalloon() override;
    // position 0 chooses by the anchor's quarter of the screen.
    void ShowAt(TVxDemoPoint anchor, const std::wstring& text, int position);
    void Hide();
    const TVxBalloonLayout& Layout() const { return FLayout; }

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Recreate();
    SIZE MeasureText(const std::wstring& text) const;
    TVxRegionHandle MakeRegion() const;
    void Paint(HDC dc);

    std::wstring FText;
    TVxBalloonLayout FLayout;
    RECT FTextRect{};
};
