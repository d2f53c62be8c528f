#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "app/VxCaptioned.h"
#include "app/VxDockState.h"
#include "app/VxWindow.h"
#include "settings/VxMethodList.h"

// A panel with a caption strip that lives in a multi-dock (or floats later) and holds
// one frame or more.
class TVxDockablePanel : public TVxWindow, public IVxCaptioned {
public:
    explicit TVxDockablePanel(HWND parent);

    std::wstring Caption() const override { return FCaption; }
    void SetCaption(const std::wstring& caption);
    bool Visible() const override { return FState.Visible; }
    void SetVisible(bool visible) override;
    int PanelWidth() const { return FState.Width; }
    void SetPanelWidth(int width);
    int BorderSize() const { return FBorderSize; }
    void SetBorderSize(int size) { FBorderSize = size; }
    TVxDockSide Side() const { return FState.Side; }
    void SetSide(TVxDockSide side);
    const TVxDockPanelState& State() const { return FState; }
    void SetState(const TVxDockPanelState& state);
    // Where children go: below the caption strip, inside the border.
    RECT ContentRect() const;

    TVxMethod<TVxDockablePanel*> OnLayoutChanged;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint(HDC dc);
    int CaptionHeight() const;

    std::wstring FCaption;
    TVxDockPanelState FState;
    int FBorderSize = 2;
};
