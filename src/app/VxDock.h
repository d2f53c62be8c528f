#pragma once
#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "app/VxWindow.h"

class TVxToolbar;

// A window along one edge of the main form that stacks its toolbars in rows.
class TVxDock : public TVxWindow {
public:
    enum class TAlign { Top, Bottom, Left, Right };
    TVxDock(HWND parent, TAlign align);

    TAlign Align() const { return FAlign; }
    void AddToolbar(TVxToolbar& toolbar);
    // Thickness needed for the given length (width of a top dock, height of a side dock).
    int Thickness(int length);
    void Arrange();

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    TAlign FAlign;
    std::vector<TVxToolbar*> FToolbars;
};
