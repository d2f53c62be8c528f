#pragma once
// The hand inpainting tool's panel page: the size, the result preview (the loupe), Cancel,
// the colour adjustment, the eight orientation buttons with Auto, and the options.
// Orientation button k shows an arrow turned and mirrored the way orientation k lays the
// patch, drawn in code so it follows the system's colours.
#include "app/VxForms.h"

class TVxHandInpaintingTool;

class TVxHandInpaintingFrame : public TVxFrame {
public:
    enum : int {
        idTitle = 101,
        idSizeLabel,
        idSizeTrackBar,
        idTargetImage,
        idCancelButton,
        idAdjustment,
        idAutoReflection,
        idLongDefect,
        idLoupe,
        idOrientation0 // ... idOrientation0 + 7
    };

    TVxHandInpaintingFrame(TVxComponent* owner, HWND parent, TVxHandInpaintingTool& tool);
    void Localize() override;
    HWND Control(int id) const { return GetDlgItem(Handle(), id); }
    // The controls follow the tool: which state, which options, which orientation.
    void ShowState();

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void ButtonClicked(int id);
    void DrawItem(const DRAWITEMSTRUCT& item);
    void DrawOrientationButton(const DRAWITEMSTRUCT& item, int orientation) const;

    TVxHandInpaintingTool& FTool;
};

// Point (x, y) of a glyph in a side x side square as orientation k lays it.
POINT OrientedGlyphPoint(int orientation, int x, int y, int side);
