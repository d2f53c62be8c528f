#pragma once
// The plain crop tool of the tool panel's second row: a rectangle with eight handles and
// no proportions, confirmed and cancelled with the buttons of its page. The separation
// tool crops through its PerformCrop with a rectangle of its own.
#include "app/VxCommand.h"
#include "app/VxForms.h"
#include "tools/VxCropToolControl.h"

class TVxCropTool;

class TVxCropFrame : public TVxFrame {
public:
    enum : int { idTitle = 101, idDescription, idCropButton, idCancelButton };

    TVxCropFrame(TVxComponent* owner, HWND parent, TVxCropTool& tool);
    void Localize() override;
    HWND Control(int id) const { return GetDlgItem(Handle(), id); }

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    TVxCropTool& FTool;
};

class TVxCropTool : public TVxCustomCropTool {
public:
    static constexpr TVxGuid StateIdentifier{
        0xFA533C1A, 0xB74B, 0x486B, {0xBB, 0x5E, 0x7A, 0xEA, 0x47, 0x60, 0x8D, 0x79}};

    TVxCropTool(TVxComponent* owner, IVxGraphicsToolHost& host);
    ~TVxCropTool() override;

    bool PerformCrop(const TRect& rect, TVxGraphicsView* view) override;
    void Activate() override;
    void SetAvailable(bool value) override;
    void UpdateControls() override;
    void LoadState(TVxSDFReader& reader) override;
    void SaveState(TVxSDFWriter& writer) override;

    void CropButtonClick();
    void CancelButtonClick();

    bool ShowOptions = false;
    TVxCropFrame* Frame = nullptr;
    TVxToolbarItem* Button = nullptr;
    TVxCommand* Command = nullptr;
};

class TVxPlainCropControl : public TVxCropToolControl {
protected:
    friend class TVxGraphicsToolControl;
    using TVxCropToolControl::TVxCropToolControl;
    TRect DrawRect(const TPoint& pointer) const override { return DrawFreeRect(Anchor, pointer, WorkArea()); }
};

extern TVxCropTool* CropTool;
