#pragma once
// The painting tools' base: strokes of a brush of a size and an opacity, each stroke one
// change and so one undo step. A painting tool supplies PaintEffect; its control turns
// the pointer into strokes.
//
//   class TMyBrush : public TVxBrushTool {
//       void PaintEffect(const TRect& rect) override;   // BrushMask lies over rect
//   };
//
// Stroke protocol: BeginStroke (BeginChange) -> PaintRect per stamp (the effect, then
// AddChangedRect) -> EndStroke (EndChange: one TVxGraphicsCommandState).
#include <cstdint>

#include "tools/VxBrushParameters.h"
#include "view/VxGraphicsView.h"

class TVxDrawToolControl;

// When a stroke paints: 0 press begins, every move paints, release ends; 1 one stamp on
// press; 2 one stamp on release.
enum TVxDrawMode : std::uint8_t { dmContinuous = 0, dmStampOnPress = 1, dmStampOnRelease = 2 };

class TVxDrawTool : public TVxGraphicsTool {
public:
    TVxDrawTool(TVxComponent* owner, IVxGraphicsToolHost& host);

    virtual bool BeginStroke(TVxDrawToolControl& control, TVxMouseButton button, TVxShiftState shift);
    // The stamp's rectangle cut to the picture; the effect, then the change is recorded.
    virtual void PaintRect(const TRect& rect);
    virtual void PaintEffect(const TRect&) {}
    virtual void EndStroke();

    virtual void SetBrushSize(std::int32_t value);
    virtual void SetOpacity(std::int32_t value);
    void SetSizeLimits(std::int32_t minimum, std::int32_t maximum) { FBrush.SetSizeLimits(minimum, maximum); }
    // A track bar (the platform's) that shows and sets the size or the opacity; its owner
    // forwards the bar's WM_HSCROLL to TrackBarScrolled.
    void AttachSizeTrackBar(HWND bar);
    void AttachOpacityTrackBar(HWND bar);
    virtual void TrackBarScrolled(HWND bar);
    void ExecuteCommand(const std::wstring& name, bool& handled) override;

    std::int32_t BrushSize() const { return FBrush.BrushSize(); }
    std::int32_t MinBrushSize() const { return FBrush.MinBrushSize(); }
    std::int32_t MaxBrushSize() const { return FBrush.MaxBrushSize(); }
    std::int32_t Opacity() const { return FBrush.Opacity(); }

    TVxDrawToolControl* StrokeControl = nullptr;
    TVxMouseButton StrokeButton = TVxMouseButton::Left;
    TVxShiftState StrokeShift = 0;
    TVxShiftState ShiftState = 0;
    TVxDrawMode DrawMode = dmContinuous;

protected:
    virtual void BrushSizeChanged() {}
    virtual void OpacityChanged() {}
    // Every control's brush rectangle is redrawn (after a size change).
    void InvalidateBrushes();

    TVxBrushParameters FBrush;
    HWND FSizeTrackBar = nullptr;
    HWND FOpacityTrackBar = nullptr;
};

class TVxDrawToolControl : public TVxGraphicsToolControl {
public:
    void InitFlags() override { Flags = vofOutline | vofNoExtent; }
    void GetOutlineRect(const TVxMapMode& mapping, TRect& rect) const override;

    // Begins a stroke unless one runs.
    void BeginStroke(TVxMouseButton button, TVxShiftState shift);
    // One stamp at the brush point.
    void Paint();
    void End();
    // Moves the brush to an image point; its old and new screen places are repainted.
    void MoveBrush(const TPoint& imagePoint);
    // The brush's place on screen after a change of size or zoom.
    void RefreshBrush();

    TVxDrawTool& DrawTool() const { return static_cast<TVxDrawTool&>(Tool()); }
    bool Drawing() const { return FDrawing; }
    const TPoint& BrushPoint() const { return FBrushPoint; }
    const TRect& BrushScreenRect() const { return FBrushScreenRect; }
    bool BrushShown() const { return FBrushShown; }

protected:
    friend class TVxGraphicsToolControl;
    using TVxGraphicsToolControl::TVxGraphicsToolControl;
    // The brush outline's screen rectangle for the brush point; empty draws none.
    virtual TRect ComputeBrushScreenRect() const;
    // What the outline repaints around the rectangle.
    virtual std::int32_t BrushRepaintMargin() const { return 0; }
    void ShowBrush(bool value);
    void InvalidateBrush();

private:
    bool FDrawing = false;
    bool FBrushShown = false;
    TPoint FBrushPoint;
    TRect FBrushScreenRect;
};
