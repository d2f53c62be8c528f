#pragma once
// A draw tool whose brush is a round mask of weights; strokes may collect their stamps
// into a stroke mask (the larger weight wins, so going over a pixel twice does not
// darken it twice).
#include "tools/VxDrawTool.h"

class TVxMaskDrawTool : public TVxDrawTool {
public:
    TVxMaskDrawTool(TVxComponent* owner, IVxGraphicsToolHost& host);

    // Rebuilds the brush mask from the tool's numbers; called at construction and after
    // the size or the opacity changed.
    virtual void RebuildBrush();
    // BrushMask lies at rect's top-left while the effect runs.
    void PaintRect(const TRect& rect) override;
    void EndStroke() override;

    static void BuildLinearBrush(TVxPixelMask& mask, std::int32_t size, std::int32_t hardness, std::int32_t strength);
    static void BuildPowerBrush(TVxPixelMask& mask, std::int32_t size, std::int32_t hardness, std::int32_t strength);
    static void PaintThroughMask(const TVxPixelMask& mask, const TVxPixels& source, std::uint32_t color,
                                 const TRect& rect, TVxPixels& destination);

    // A preview control (a static window) showing the brush; drawn on its WM_PAINT by
    // PaintBrushPreview.
    void SetBrushPreview(HWND control) { FBrushPreview = control; }
    void PaintBrushPreview(HDC dc, const RECT& client, bool enabled) const;

    TVxPixelMask& BrushMask() { return FBrushMask; }
    TVxPixelMask& StrokeMask() { return FStrokeMask; }
    bool AccumulateStroke = false;

protected:
    void BrushSizeChanged() override;
    void OpacityChanged() override;

    TVxPixelMask FBrushMask;
    TVxPixelMask FStrokeMask;
    HWND FBrushPreview = nullptr;
};

class TVxMaskDrawToolControl : public TVxDrawToolControl {
public:
    bool GetCursor(TVxShiftState shift, const TPoint& point, std::int32_t& cursor) override;
    bool MouseDown(TVxMouseButton button, TVxShiftState shift, const TPoint& point) override;
    bool MouseMove(TVxShiftState shift, const TPoint& point) override;
    bool MouseUp(TVxMouseButton button, TVxShiftState shift, const TPoint& point) override;
    bool MouseWheel(TVxShiftState shift, std::int32_t step, const TPoint& point) override;
    bool KeyDown(WORD key, TVxShiftState shift) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void Activate() override;
    void Deactivate() override;

    TVxMaskDrawTool& MaskTool() const { return static_cast<TVxMaskDrawTool&>(Tool()); }

protected:
    friend class TVxGraphicsToolControl;
    using TVxDrawToolControl::TVxDrawToolControl;
};

// The cursor-table entry of the invisible cursor that lets the brush outline stand alone.
constexpr std::int32_t NoCursorIndex = 102;
