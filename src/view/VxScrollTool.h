#pragma once
// The hand: while the space bar is held over the view, dragging moves the picture, and
// releasing the bar gives control back to the tool that was active before. It also
// carries the "+" and "-" zoom keys.
#include "view/VxGraphicsView.h"

class TVxScrollTool : public TVxGraphicsTool {
public:
    TVxScrollTool(TVxComponent* owner, IVxGraphicsToolHost& host);
};

class TVxScrollToolControl : public TVxGraphicsToolControl {
public:
    bool KeyDown(WORD key, TVxShiftState shift) override;
    bool KeyUp(WORD key, TVxShiftState shift) override;
    bool GetCursor(TVxShiftState shift, const TPoint& point, std::int32_t& cursor) override;
    bool MouseDown(TVxMouseButton button, TVxShiftState shift, const TPoint& point) override;
    bool MouseMove(TVxShiftState shift, const TPoint& point) override;
    bool MouseUp(TVxMouseButton button, TVxShiftState shift, const TPoint& point) override;
    void Deactivate() override;

    bool Dragging() const { return FDragging; }

private:
    friend class TVxGraphicsToolControl;
    using TVxGraphicsToolControl::TVxGraphicsToolControl;

    bool FDragging = false;
    TPoint FLastPoint;
    TVxGraphicsTool* FPreviousTool = nullptr;
};

// The hand cursor's place in the cursor table.
constexpr std::int32_t HandCursorIndex = 100;
