#pragma once
#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "app/VxDockState.h"
#include "app/VxWindow.h"
#include "settings/VxMethodList.h"

class TVxDockablePanel;

// A column of dockable panels along the left or right edge, with a splitter on its
// inner side that resizes them.
class TVxMultiDock : public TVxWindow {
public:
    TVxMultiDock(HWND parent, TVxDockSide side);

    TVxDockSide Side() const { return FSide; }
    void AddPanel(TVxDockablePanel& panel);
    void RemovePanel(TVxDockablePanel& panel);
    int Thickness() const;
    void Arrange();

    TVxMethod<TVxMultiDock*> OnResized;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    static constexpr int SplitterWidth = 5;
    RECT SplitterRect() const;
    void BeginDrag(int x);
    void Drag(int x);

    TVxDockSide FSide;
    std::vector<TVxDockablePanel*> FPanels;
    bool FDragging = false;
    int FDragStartX = 0;
    int FDragStartWidth = 0;
};
