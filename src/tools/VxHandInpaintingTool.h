#pragma once
// Repairs a small defect in two clicks: the first click fixes the defect under the brush,
// moving the pointer shows the defect covered by a patch from under the pointer (live,
// in the picture and in the magnified preview), the second click keeps it as one undo
// step. Cancel (Escape) puts the picture back as it was before the first click and
// records nothing.
//
//   choosing the defect --click--> choosing the source --click--> choosing the defect (kept)
//                                                      --Cancel-> choosing the defect (nothing kept)
#include <cstdint>
#include <functional>
#include <memory>

#include "app/VxCommand.h"
#include "inpainting/AreaCorrelator.h"
#include "tools/VxBrushTool.h"

// The preview's magnification for a brush size: as large as fits 1.1 brush squares into
// the preview, at most 6 and at least 1 (a brush wider than the preview still shows).
std::int32_t HandInpaintingPreviewZoom(std::int32_t previewWidth, std::int32_t brushSize);

// The colour shown for preview pixels that fall outside the picture.
constexpr std::uint32_t HandInpaintingOutsideColour = 0x404040;

class TVxHandInpaintingToolControl;
class TVxHandInpaintingFrame;
class TVxToolbarItem;

class TVxHandInpaintingTool : public TVxBrushTool {
public:
    static constexpr std::int32_t PreviewWidth = 240;

    TVxHandInpaintingTool(TVxComponent* owner, IVxGraphicsToolHost& host);
    ~TVxHandInpaintingTool() override;

    // A click at the control's brush point: fixes the defect, or keeps the result.
    void Click(TVxHandInpaintingToolControl& control);
    // The pointer moved to the control's brush point.
    void PointerMoved(TVxHandInpaintingToolControl& control);
    // Back to choosing the defect with the picture as before the first click.
    void Cancel();
    bool CanCancel() const { return FSourceMode; }

    // Each option change recomputes the result while the source is being chosen.
    void SetOrientation(std::int32_t value);
    // +1 or -1 within 0..7, only while choosing the source with auto orientation off.
    bool StepOrientation(std::int32_t step);
    void SetAdjustment(std::int32_t mode);
    void SetAutoOrientation(bool value);
    void SetLongDefect(bool value);
    void SetAntiAliasing(bool value);
    void SetLoupe(bool value) { FLoupe = value; }

    std::int32_t Orientation() const { return FOrientation; }
    std::int32_t Adjustment() const { return FAdjustment; }
    bool AutoOrientation() const { return FAutoOrientation; }
    bool LongDefect() const { return FLongDefect; }
    bool AntiAliasing() const { return FAntiAliasing; }
    bool Loupe() const { return FLoupe; }
    bool SourceMode() const { return FSourceMode; }
    const TRect& TargetSquare() const { return FTarget; }
    std::int32_t PreviewZoom() const { return HandInpaintingPreviewZoom(PreviewWidth, BrushSize()); }
    // The result preview (side = preview width div zoom) and how often it was redrawn.
    const TVxPixelBuffer& Preview() const { return FPreview; }
    std::int32_t PreviewRefreshes() const { return FPreviewRefreshes; }
    // A window that shows the preview stretched; it is invalidated on every redraw.
    void SetPreviewWindow(HWND window) { FPreviewWindow = window; }
    void PaintPreview(HDC dc, const RECT& client) const;
    // Called after every change of state, option or orientation (the panel follows it).
    void SetOnStateChanged(std::function<void()> handler) { FOnStateChanged = std::move(handler); }

    void Activate() override;
    void Deactivate() override;
    void UpdateControls() override;
    void DocumentOpened(TVxGraphicsDocument& document, bool pluginMode) override;
    void DocumentClosing(TVxGraphicsDocument& document) override;
    // A save while the source is chosen keeps the result shown, as one undo step.
    void DocumentSaving(TVxGraphicsDocument& document) override;
    void ExecuteCommand(const std::wstring& name, bool& handled) override;

    // The panel page, its tool-panel button and its command; all unset without a main window.
    TVxHandInpaintingFrame* Frame = nullptr;
    TVxToolbarItem* Button = nullptr;
    TVxCommand* Command = nullptr;

private:
    void InstallPanel();
    void FixTarget(TVxHandInpaintingToolControl& control);
    void KeepResult();
    void ComputeResult();
    void PrepareTarget();
    void RefreshPreview(const TPoint& centre);
    void StateChanged();

    std::unique_ptr<TAreaCorrelator> FCorrelator;
    std::int32_t FOrientation = 0;
    std::int32_t FAdjustment = amPerChannel;
    bool FAutoOrientation = true;
    bool FLongDefect = true;
    bool FAntiAliasing = true;
    bool FLoupe = true;
    bool FSourceMode = false;
    bool FSplitNeeded = false;
    bool FHold = false;
    TPoint FHeld;
    TPoint FPointer;
    TRect FTarget;
    TPoint FSource;
    TVxPixelBuffer FPreview;
    std::int32_t FPreviewRefreshes = 0;
    HWND FPreviewWindow = nullptr;
    std::function<void()> FOnStateChanged;
};

class TVxHandInpaintingToolControl : public TVxBrushToolControl {
public:
    bool MouseDown(TVxMouseButton button, TVxShiftState shift, const TPoint& point) override;
    bool MouseMove(TVxShiftState shift, const TPoint& point) override;
    bool MouseUp(TVxMouseButton button, TVxShiftState shift, const TPoint& point) override;
    bool MouseWheel(TVxShiftState shift, std::int32_t step, const TPoint& point) override;
    bool KeyDown(WORD key, TVxShiftState shift) override;

    TVxHandInpaintingTool& InpaintingTool() const { return static_cast<TVxHandInpaintingTool&>(Tool()); }

protected:
    friend class TVxGraphicsToolControl;
    using TVxBrushToolControl::TVxBrushToolControl;

private:
    bool OptionKey(WORD key);
    void MovePointerBy(std::int32_t dx, std::int32_t dy);
};

extern TVxHandInpaintingTool* HandInpaintingTool;
