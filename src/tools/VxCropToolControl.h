#pragma once
// What the two crop tools share: the tool module with Perform and Cancel, and the control
// on the view that draws, adjusts and shows the crop rectangle. The plain and the
// proportional tool differ only in how a drag makes the rectangle, in their panels, and
// in what a release outside it or a key does.
#include "tools/VxCropCommandState.h"
#include "tools/VxCropGeometry.h"
#include "view/VxGraphicsView.h"

class TVxCropToolControl;

class TVxCustomCropTool : public TVxGraphicsTool {
public:
    TVxCustomCropTool(TVxComponent* owner, IVxGraphicsToolHost& host);

    // The crop as one undo step; true when the picture was cropped.
    virtual bool PerformCrop(const TRect& rect, TVxGraphicsView* view) = 0;
    // Crops to the control's rectangle, or cancels when that would cut nothing.
    void Perform(TVxCropToolControl& control);
    void Cancel(TVxCropToolControl& control);
    // The control on the active view, if any.
    TVxCropToolControl* ActiveControl() const;

    void CommitChange() override {}
    void DocumentClosing(TVxGraphicsDocument& document) override;
    virtual TVxSideRatio Ratio() const { return {}; }
    // The rectangle changed while drawing or adjusting.
    virtual void RectChanged(TVxCropToolControl&) {}
};

class TVxCropToolControl : public TVxGraphicsToolControl {
public:
    TVxCropState State = csNone;
    TRect CropRect;

    void InitFlags() override { Flags = vofOutline | vofNoExtent; }
    void GetOutlineRect(const TVxMapMode& mapping, TRect& rect) const override;
    void DrawOutline(TVxViewCanvas& canvas) override;
    bool GetCursor(TVxShiftState shift, const TPoint& point, std::int32_t& cursor) override;
    bool MouseDown(TVxMouseButton button, TVxShiftState shift, const TPoint& point) override;
    bool MouseMove(TVxShiftState shift, const TPoint& point) override;
    bool MouseUp(TVxMouseButton button, TVxShiftState shift, const TPoint& point) override;
    void Activate() override;

    // Redrawn, state 0, the status bar shows the picture's size again.
    void Reset();
    // A new rectangle (from the panel's boxes): repainted and shown.
    void SetCropRect(const TRect& rect);
    TVxCustomCropTool& CropTool() const { return static_cast<TVxCustomCropTool&>(Tool()); }
    TRect WorkArea() const;
    TRect ScreenRect() const;

protected:
    using TVxGraphicsToolControl::TVxGraphicsToolControl;
    // The rectangle of a new drag from Anchor to the pointer.
    virtual TRect DrawRect(const TPoint& pointer) const = 0;
    // A release in state 2; true when taken.
    virtual bool ReleaseReady(TVxMouseButton, const TPoint&) { return false; }

    void ChangeRect(const TRect& rect);
    TPoint ImagePoint(const TPoint& windowPoint) const;

    TPoint Anchor;
    TRect StartRect;
    TVxCropPart Part = cpOutside;
};
