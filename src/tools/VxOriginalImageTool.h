#pragma once
// Press-and-hold comparison: while the toolbar button is held down or the O key is held
// in the view, the view shows the picture as it was opened; letting go returns to the
// tool that was active, with its state (a crop rectangle, a brush) as it was.
#include "app/VxCommand.h"
#include "view/VxGraphicsView.h"

class TVxOriginalImageTool : public TVxGraphicsTool {
public:
    TVxOriginalImageTool(TVxComponent* owner, IVxGraphicsToolHost& host);
    ~TVxOriginalImageTool() override;

    void UpdateControls() override;
    // Takes over and remembers the tool it replaces, unless it is already current: a
    // held key repeats, and a second take-over would remember itself.
    void Hold();
    void Release();
    bool Held() const { return Host().ActiveTool() == this; }
    TVxGraphicsTool* PreviousTool() const { return FPreviousTool; }

    TVxToolbarItem* OriginalImageToolButton = nullptr;
    TVxCommand* Command = nullptr;

private:
    bool ButtonPushed() const;
    void ButtonClick() {}

    TVxGraphicsTool* FPreviousTool = nullptr;
    bool FHeldByButton = false;
};

class TVxOriginalImageToolControl : public TVxGraphicsToolControl {
public:
    void InitFlags() override { Flags = vofNoExtent; }
    void DrawFill(TVxViewCanvas& canvas) override;
    bool KeyDown(WORD key, TVxShiftState shift) override;
    bool KeyUp(WORD key, TVxShiftState shift) override;
    void Activate() override;
    void Deactivate() override;

protected:
    friend class TVxGraphicsToolControl;
    using TVxGraphicsToolControl::TVxGraphicsToolControl;
};

constexpr WORD OriginalImageKey = 79; // O

extern TVxOriginalImageTool* OriginalImageTool;
