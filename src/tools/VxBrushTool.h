#pragma once
// The brush tool base: a mask-draw tool with hardness, whose controls draw the brush's
// outline in place of the cursor. The separation, inpainting and seam tools derive from
// it and replace RebuildBrush (a power brush) and PaintEffect.
#include "tools/VxMaskDrawTool.h"

class TVxBrushTool : public TVxMaskDrawTool {
public:
    TVxBrushTool(TVxComponent* owner, IVxGraphicsToolHost& host);

    virtual void SetHardness(std::int32_t value);
    void RebuildBrush() override;
    void AttachHardnessTrackBar(HWND bar);
    void TrackBarScrolled(HWND bar) override;
    void ExecuteCommand(const std::wstring& name, bool& handled) override;

    std::int32_t Hardness() const { return FBrush.Hardness(); }

private:
    HWND FHardnessTrackBar = nullptr;
};

class TVxBrushToolControl : public TVxMaskDrawToolControl {
public:
    // The outline: an ellipse drawn with NOTXORPEN, so it shows on any picture.
    void DrawOutline(TVxViewCanvas& canvas) override;

protected:
    friend class TVxGraphicsToolControl;
    using TVxMaskDrawToolControl::TVxMaskDrawToolControl;
    TRect ComputeBrushScreenRect() const override;
    std::int32_t BrushRepaintMargin() const override { return 2; }
};

// The outline's screen rectangle: centred on the screen centre of the brush pixel, the
// on-screen size of a size x size image square (at least 1 x 1), one pixel larger on
// every side.
TRect BrushOutlineRect(const TVxMapMode& mapping, const TPoint& brushPoint, std::int32_t size);
