#include "tools/VxCropTool.h"

#include "app/VxMainForm.h"
#include "i18n/VxLocalizer.h"
#include "settings/VxSDF.h"
#include "tools/VxPanelControls.h"
#include "view/VxGraphicsEditor.h"
#include "view/VxToolPanel.h"

TVxCropTool* CropTool = nullptr;

namespace {

constexpr int CropImageIndex = 24;

} // namespace

// ---------------------------------------------------------------- TVxCropFrame

TVxCropFrame::TVxCropFrame(TVxComponent* owner, HWND parent, TVxCropTool& tool) : TVxFrame(owner, parent), FTool(tool)
{
    const int w = ScaleForDpi(180);
    const int line = ScaleForDpi(20);
    HWND title = AddPanelControl(Handle(), L"STATIC", SS_LEFT, 4, 4, w, line, idTitle);
    SendMessageW(title, WM_SETFONT, reinterpret_cast<WPARAM>(BoldPanelFont()), FALSE);
    AddPanelControl(Handle(), L"STATIC", SS_LEFT, 4, 4 + line, w, 3 * line, idDescription);
    const int top = 8 + 4 * line;
    const int button = ScaleForDpi(80);
    AddPanelControl(Handle(), L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 4, top, button, ScaleForDpi(24), idCropButton);
    AddPanelControl(Handle(), L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 8 + button, top, button, ScaleForDpi(24),
                    idCancelButton);
}

void TVxCropFrame::Localize()
{
    SetControlText(Control(idTitle), Localizer().GetString(135, L"Crop"));
    SetControlText(Control(idDescription),
                   Localizer().GetString(2029, L"Drag a frame over the picture, then press OK to crop."));
    SetControlText(Control(idCropButton), Localizer().GetString(1, L"Ok"));
    SetControlText(Control(idCancelButton), Localizer().GetString(2, L"Cancel"));
}

LRESULT TVxCropFrame::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        switch (LOWORD(wParam)) {
        case idCropButton:
            FTool.CropButtonClick();
            return 0;
        case idCancelButton:
            FTool.CancelButtonClick();
            return 0;
        }
    }
    return TVxFrame::WndProc(message, wParam, lParam);
}

// ---------------------------------------------------------------- TVxCropTool

TVxCropTool::TVxCropTool(TVxComponent* owner, IVxGraphicsToolHost& host) : TVxCustomCropTool(owner, host)
{
    SetCommandName(L"Crop");
    SetControlClass([](TVxGraphicsTool& tool, TVxGraphicsView& view) -> TVxGraphicsToolControl& {
        return TVxGraphicsToolControl::Create<TVxPlainCropControl>(tool, view);
    });
    // The proportional tool answers to CROP; this one has a name of its own in the table.
    Command = &MainForm->Commands.Add(L"PLAINCROP", {135, L"Crop"}, CropImageIndex, {},
                                      TVxMethod<>::Bind<&TVxCropTool::ActivateCommand>(this));
    if (ToolPanel) {
        Button = &MainForm->AddToolbarItem(*Command, *ToolPanel->Toolbar);
        Frame = &ToolPanel->CreateToolPage<TVxCropFrame>(Frame, *this);
        ShowWindow(Frame->Handle(), SW_HIDE);
    }
}

TVxCropTool::~TVxCropTool()
{
    if (CropTool == this)
        CropTool = nullptr;
}

bool TVxCropTool::PerformCrop(const TRect& rect, TVxGraphicsView* view)
{
    TVxGraphicsDocument* document =
        view ? &view->Document() : (GraphicsEditor ? GraphicsEditor->ActiveGraphicsDocument() : nullptr);
    if (!document)
        return false;
    return ::PerformCrop<TVxCropCommandState>(*this, *document, view, rect);
}

void TVxCropTool::Activate()
{
    TVxCustomCropTool::Activate();
    if (Frame) {
        SetWindowPos(Frame->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        ShowWindow(Frame->Handle(), SW_SHOW);
    }
}

void TVxCropTool::SetAvailable(bool value)
{
    TVxCustomCropTool::SetAvailable(value);
    Command->SetVisible(value);
    if (Frame && !value)
        ShowWindow(Frame->Handle(), SW_HIDE);
}

void TVxCropTool::UpdateControls()
{
    const bool active = Host().ActiveTool() == this;
    Command->SetChecked(active);
    Command->SetEnabled(Available() && Host().CanStartEdit(*this));
    if (!Frame)
        return;
    if (!active && IsWindowVisible(Frame->Handle()))
        ShowWindow(Frame->Handle(), SW_HIDE);
    Frame->SetControlsEnabled(Command->Enabled() && active);
    const TVxCropToolControl* control = ActiveControl();
    const bool ready = Frame->ControlsEnabled() && control && control->State == csReady;
    EnableWindow(Frame->Control(TVxCropFrame::idCropButton), ready);
    EnableWindow(Frame->Control(TVxCropFrame::idCancelButton), ready);
}

void TVxCropTool::CropButtonClick()
{
    if (TVxCropToolControl* control = ActiveControl(); control && control->State == csReady)
        Perform(*control);
}

void TVxCropTool::CancelButtonClick()
{
    if (TVxCropToolControl* control = ActiveControl(); control && control->State != csNone)
        Cancel(*control);
}

void TVxCropTool::LoadState(TVxSDFReader& reader)
{
    if (!reader.EnterNode(1, StateIdentifier))
        return;
    std::int32_t value = 0;
    if (reader.ReadInteger(1, value))
        ShowOptions = value != 0;
    reader.LeaveNode();
}

void TVxCropTool::SaveState(TVxSDFWriter& writer)
{
    writer.BeginNode(1, StateIdentifier);
    writer.WriteInteger(1, ShowOptions ? 1 : 0);
    writer.EndNode();
}
