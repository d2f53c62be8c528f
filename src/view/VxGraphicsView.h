#pragma once
// The zoomable view of one document, which offers input to the tools' controls on it from
// the top down and shows the pointer position and colour in the status bar; and the zoom
// commands on one view.
#include <windows.h>

#include <string>

#include "editor/VxGraphicsDocument.h"
#include "view/VxGraphicDocumentView.h"
#include "view/VxGraphicsTool.h"
#include "view/VxViewControl.h"
#include "view/VxZoomSteps.h"


class TVxGraphicsView : public TVxScrollViewControl, public TVxGraphicsDocumentView {
public:
    TVxGraphicsView(TVxGraphicsDocument& document, IVxGraphicsToolHost& host);
    ~TVxGraphicsView() override;

    bool CreateControl(HWND parent, const RECT& bounds);

    void InvalidateImageRect(const TRect& rect) override;
    void ImageChanged(std::int32_t width, std::int32_t height) override;
    // The main window's wheel handler forwards here; only a hovered view takes the turn.
    // The tool controls see it first; unhandled, it scrolls the picture (Shift: sideways)
    // or, with Ctrl, zooms about the pointer.
    bool MouseWheel(TVxShiftState shift, std::int32_t delta, const TPoint& screenPoint);
    // A wheel tilted sideways (positive: to the right) scrolls the hovered view sideways.
    bool MouseTilt(std::int32_t delta, const TPoint& screenPoint);

    TVxGraphicsDocument& Document() const { return FDocument; }
    TVxGraphicDocumentView& Picture() const { return *FPicture; }
    bool Hovering() const { return FHovering; }
    void RefreshCursor();

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    template <typename F>
    bool OfferToControls(F&& offer);
    void MouseDown(TVxMouseButton button, TVxShiftState shift, const TPoint& point);
    void MouseMove(TVxShiftState shift, const TPoint& point);
    void MouseUp(TVxMouseButton button, TVxShiftState shift, const TPoint& point);
    void EnterHover();
    void LeaveHover();
    void ShowPointer(const TPoint& windowPoint);
    bool SetCursorFromTools();
    void TakeFocus();
    void KeyDown(WORD key);
    void WheelNotches(TVxShiftState shift, std::int32_t notches, const TPoint& point);
    static std::int32_t WholeNotches(std::int32_t& rest, std::int32_t delta);
    void ScrollOrigin(const TPoint& delta);

    TVxGraphicsDocument& FDocument;
    IVxGraphicsToolHost& FHost;
    TVxGraphicDocumentView* FPicture = nullptr;
    bool FHovering = false;
    std::int32_t FWheelRest = 0; // the part of a notch a fine-grained wheel has turned so far
    std::int32_t FTiltRest = 0;  // the same for a sideways tilt
};

template <typename T>
T& TVxGraphicsToolControl::Create(TVxGraphicsTool& tool, TVxGraphicsView& view)
{
    auto control = std::unique_ptr<T>(new T(tool, view));
    T& result = view.Objects().Add(std::move(control));
    result.AfterCreate();
    return result;
}

// The editor's zoom commands on one view. Zooming keeps the image point under the client
// centre in place; the fits use the control's outer size, scroll bars included.
void SetZoom(TVxGraphicsView& view, std::int32_t numerator, std::int32_t denominator);
// The same about a client point: the image point under it stays there.
void ZoomAbout(TVxGraphicsView& view, const TPoint& clientPoint, const TVxZoom& zoom);
void FitToWindow(TVxGraphicsView& view);
void AutoFit(TVxGraphicsView& view);
void ZoomIn(TVxGraphicsView& view);
void ZoomOut(TVxGraphicsView& view);
