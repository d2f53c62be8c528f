#pragma once
// The crop tool of the main tool row: the rectangle optionally held to a print or screen
// side ratio, with width and height boxes while the proportions are free. A click or a
// double-click outside the rectangle or Enter crops; a right click outside or Escape
// cancels.
#include "app/VxCommand.h"
#include "app/VxForms.h"
#include "tools/VxCropToolControl.h"

class TVxCrop2PlusTool;

class TVxCrop2PlusFrame : public TVxFrame {
public:
    enum : int {
        idTitle = 101,
        idDescription,
        idSidesRatioGroupBox,
        idFree,
        idFoto,
        idScreen,
        idWidthLabel,
        idWidthEdit,
        idWidthSpin,
        idHeightLabel,
        idHeightEdit,
        idHeightSpin,
        idFotoCombo,
        idScreenCombo,
        idCurrentResolution,
    };

    TVxCrop2PlusFrame(TVxComponent* owner, HWND parent, TVxCrop2PlusTool& tool);
    void Localize() override;
    HWND Control(int id) const { return GetDlgItem(Handle(), id); }
    // 0 free, 1 print formats, 2 screen formats.
    int Mode() const;
    // The panels of the checked radio button, and the screen's size.
    void ShowModePanels();
    // The boxes show the rectangle's size without calling their handlers.
    void ShowSize(std::int32_t width, std::int32_t height);

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Command(int id, int code);

    TVxCrop2PlusTool& FTool;
    bool FShowing = false;
};

class TVxCrop2PlusTool : public TVxCustomCropTool {
public:
    TVxCrop2PlusTool(TVxComponent* owner, IVxGraphicsToolHost& host);
    ~TVxCrop2PlusTool() override;

    bool PerformCrop(const TRect& rect, TVxGraphicsView* view) override;
    void Activate() override;
    void SetAvailable(bool value) override;
    void UpdateControls() override;
    void SaveState(TVxSDFWriter& writer) override;
    TVxSideRatio Ratio() const override { return FRatio; }
    void RectChanged(TVxCropToolControl& control) override;

    // 0: free; 1 and 2: the selected print or screen format's ratio.
    void SetRatio(int mode);
    void WidthEditChange();
    void HeightEditChange();

    TVxCrop2PlusFrame* Frame = nullptr;
    TVxToolbarItem* Button = nullptr;
    TVxCommand* Command = nullptr;

private:
    void ApplySideBox(bool width);

    TVxSideRatio FRatio;
};

class TVxCrop2PlusToolControl : public TVxCropToolControl {
public:
    bool KeyDown(WORD key, TVxShiftState shift) override;
    bool DoubleClick(TVxShiftState shift, const TPoint& point) override;

protected:
    friend class TVxGraphicsToolControl;
    using TVxCropToolControl::TVxCropToolControl;
    TRect DrawRect(const TPoint& pointer) const override;
    bool ReleaseReady(TVxMouseButton button, const TPoint& point) override;
};

extern TVxCrop2PlusTool* Crop2PlusTool;
