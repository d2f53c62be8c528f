#pragma once
// The platform half of the tool framework and the graphics view: the tool module every
// editing tool derives from, the per-view tool control through which it receives input
// and draws its overlay, and the zoomable view of one document that offers input to
// those controls from the top down.
//
//   class TMyTool : public TVxGraphicsTool {
//   public:
//       TMyTool(TVxComponent* owner, IVxGraphicsToolHost& host) : TVxGraphicsTool(owner, host)
//       {
//           SetCommandName(L"MyTool");
//           SetControlClass([](TVxGraphicsTool& t, TVxGraphicsView& v) -> TVxGraphicsToolControl& {
//               return TVxGraphicsToolControl::Create<TMyControl>(t, v); });
//       }
//   };
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/VxModule.h"
#include "editor/VxGraphicsDocument.h"
#include "view/VxGraphicDocumentView.h"
#include "view/VxToolFramework.h"
#include "view/VxViewControl.h"
#include "view/VxZoomSteps.h"

class TVxGraphicsTool;
class TVxGraphicsToolControl;
class TVxGraphicsView;

enum class TVxMouseButton { Left, Right, Middle };
using TVxShiftState = std::uint32_t; // MK_SHIFT, MK_CONTROL, MK_LBUTTON ... as the platform reports them

// What tools and views need of the graphics editor.
class IVxGraphicsToolHost {
public:
    virtual void SetActiveTool(TVxGraphicsTool* tool) = 0;
    virtual TVxGraphicsTool* ActiveTool() const = 0;
    virtual bool CanStartEdit(const TVxGraphicsTool& tool) const = 0;
    virtual void ZoomInCommand() = 0;
    virtual void ZoomOutCommand() = 0;
    // The status bar's X, Y, R, G, B panels; colour is 0x00RRGGBB.
    virtual void ShowPointer(const TPoint& imagePoint, std::uint32_t colour) = 0;

protected:
    ~IVxGraphicsToolHost() = default;
};

// The application's cursor table: index 0 is the arrow, 100 the hand.
void SetViewCursor(std::int32_t index, HCURSOR cursor);
HCURSOR ViewCursor(std::int32_t index);

class TVxGraphicsToolControl : public TVxViewObject {
public:
    // Creates the control, registers it with its tool and gives it to the view's object
    // list, which owns it.
    template <typename T>
    static T& Create(TVxGraphicsTool& tool, TVxGraphicsView& view);
    ~TVxGraphicsToolControl() override;

    void SetVisible(bool value) override;
    void InitFlags() override { Flags = vofOutline | vofNoExtent; }

    virtual void AfterCreate() {}
    virtual void Activate();
    virtual void Deactivate();
    virtual bool GetCursor(TVxShiftState, const TPoint&, std::int32_t&) { return false; }
    virtual void MouseEnter() {}
    virtual void MouseLeave() {}
    virtual bool MouseDown(TVxMouseButton, TVxShiftState, const TPoint&) { return false; }
    virtual bool MouseMove(TVxShiftState, const TPoint&) { return false; }
    virtual bool MouseUp(TVxMouseButton, TVxShiftState, const TPoint&) { return false; }
    virtual bool MouseWheel(TVxShiftState, std::int32_t, const TPoint&) { return false; }
    virtual bool KeyDown(WORD, TVxShiftState) { return false; }
    virtual bool KeyUp(WORD, TVxShiftState) { return false; }

    void Invalidate();
    void MousePoint(TPoint& point) const;
    void RefreshCursor();

    TVxGraphicsView& View() const { return FView; }
    TVxGraphicsTool& Tool() const { return FTool; }
    bool Active() const { return FActive; }

protected:
    TVxGraphicsToolControl(TVxGraphicsTool& tool, TVxGraphicsView& view);

private:
    TVxGraphicsTool& FTool;
    TVxGraphicsView& FView;
    bool FActive = false;
};

class TVxGraphicsTool : public TVxModuleWithControls, public TVxGraphicsToolBase {
public:
    using TControlClass = std::function<TVxGraphicsToolControl&(TVxGraphicsTool&, TVxGraphicsView&)>;

    TVxGraphicsTool(TVxComponent* owner, IVxGraphicsToolHost& host);
    ~TVxGraphicsTool() override;

    virtual void ExecuteCommand(const std::wstring& name, bool& handled);
    virtual void AddControl(TVxGraphicsToolControl& control);
    virtual void RemoveControl(TVxGraphicsToolControl& control);
    virtual void CreateControl(TVxGraphicsView& view);
    virtual void RegisterDemoTargets() {}
    virtual void ActivateCommand();
    void Activate() override;
    void Deactivate() override;

    IVxGraphicsToolHost& Host() const { return FHost; }
    const std::vector<TVxGraphicsToolControl*>& Controls() const { return FControls; }

protected:
    void SetControlClass(TControlClass controlClass) { FControlClass = std::move(controlClass); }

private:
    IVxGraphicsToolHost& FHost;
    TControlClass FControlClass;
    std::vector<TVxGraphicsToolControl*> FControls;
};

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
