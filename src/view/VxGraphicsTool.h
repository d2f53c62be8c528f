#pragma once
// The platform half of the tool framework: the tool module every editing tool derives
// from, and the per-view tool control through which it receives input and draws its
// overlay. The view that offers input to these controls is in VxGraphicsView.
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

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/VxModule.h"
#include "view/VxToolFramework.h"
#include "view/VxViewObject.h"


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
    virtual bool DoubleClick(TVxShiftState, const TPoint&) { return false; }
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
