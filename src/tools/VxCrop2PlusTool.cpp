#include "tools/VxCrop2PlusTool.h"

#include <commctrl.h>

#include "app/VxMainForm.h"
#include "i18n/VxLocalizer.h"
#include "settings/VxSDF.h"
#include "tools/VxCropTool.h"
#include "tools/VxPanelControls.h"
#include "view/VxGraphicsEditor.h"
#include "view/VxToolPanel.h"

TVxCrop2PlusTool* Crop2PlusTool = nullptr;

namespace {

constexpr int CropImageIndex = 24;

// Format names are the same in every language.
const wchar_t* const FotoItems[] = {L"1x1 ",
                                    L"1x2 (15x30)",
                                    L"2x1 (30x15)",
                                    L"1x3 (30x90)",
                                    L"3x1 (90x30)",
                                    L"2x3 (4x6 6x9 10x15 20x30 30x45)",
                                    L"3x2 (6x9 9x6 15x10 30x20 45x30)",
                                    L"3x4 (9x12 15x20 30x40)",
                                    L"4x3 (12x9 20x15 40x30)",
                                    L"4x5 (20x25)",
                                    L"5x4 (25x20)",
                                    L"5x7 (9x13 13x18)",
                                    L"7x5 (13x9 18x13)"};
const wchar_t* const ScreenItems[] = {L"4x3 (1024x768 1152x864 1280x960)",
                                      L"5x3 (1280x768)",
                                      L"5x4 (1240x1024)",
                                      L"12x7 (1024x600)",
                                      L"16x9 (1366x768 1600x900 1920x1080)",
                                      L"16x10 (1280x800 1440x900 1920x1200)"};

void FillCombo(HWND combo, const wchar_t* const* items, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(items[i]));
    SendMessageW(combo, CB_SETCURSEL, 0, 0);
}

std::wstring SelectedText(HWND combo)
{
    const LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (index < 0)
        return {};
    std::wstring text(static_cast<std::size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, index, 0)) + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(wcslen(text.c_str()));
    return text;
}

void ShowControl(HWND control, bool shown)
{
    ShowWindow(control, shown ? SW_SHOWNA : SW_HIDE);
}

} // namespace

// ---------------------------------------------------------------- TVxCrop2PlusFrame

TVxCrop2PlusFrame::TVxCrop2PlusFrame(TVxComponent* owner, HWND parent, TVxCrop2PlusTool& tool)
    : TVxFrame(owner, parent), FTool(tool)
{
    const int w = ScaleForDpi(180);
    const int line = ScaleForDpi(20);
    HWND h = Handle();
    SendMessageW(AddPanelControl(h, L"STATIC", SS_LEFT, 4, 4, w, line, idTitle), WM_SETFONT,
                 reinterpret_cast<WPARAM>(BoldPanelFont()), FALSE);
    AddPanelControl(h, L"STATIC", SS_LEFT, 4, 4 + line, w, 3 * line, idDescription);
    int top = 8 + 4 * line;
    AddPanelControl(h, L"BUTTON", BS_GROUPBOX, 4, top, w, 4 * line + 4, idSidesRatioGroupBox);
    AddPanelControl(h, L"BUTTON", BS_AUTORADIOBUTTON | WS_TABSTOP | WS_GROUP, 12, top + line, w - 16, line, idFree);
    AddPanelControl(h, L"BUTTON", BS_AUTORADIOBUTTON, 12, top + 2 * line, w - 16, line, idFoto);
    AddPanelControl(h, L"BUTTON", BS_AUTORADIOBUTTON, 12, top + 3 * line, w - 16, line, idScreen);
    CheckRadioButton(h, idFree, idScreen, idFree);
    top += 5 * line;
    // The size boxes, the print formats and the screen formats share one place.
    const int label = ScaleForDpi(60);
    const int edit = ScaleForDpi(70);
    AddPanelControl(h, L"STATIC", SS_LEFT, 4, top + 3, label, line, idWidthLabel);
    AddPanelControl(h, L"EDIT", ES_NUMBER | ES_AUTOHSCROLL | WS_TABSTOP, 8 + label, top, edit, line + 2, idWidthEdit,
                    WS_EX_CLIENTEDGE);
    AddPanelControl(h, L"STATIC", SS_LEFT, 4, top + line + 9, label, line, idHeightLabel);
    AddPanelControl(h, L"EDIT", ES_NUMBER | ES_AUTOHSCROLL | WS_TABSTOP, 8 + label, top + line + 6, edit, line + 2,
                    idHeightEdit, WS_EX_CLIENTEDGE);
    for (const auto& [spin, buddy] : {std::pair{idWidthSpin, idWidthEdit}, std::pair{idHeightSpin, idHeightEdit}}) {
        HWND updown = AddPanelControl(
            h, UPDOWN_CLASSW, UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS, 0, 0, 0, 0, spin);
        SendMessageW(updown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(Control(buddy)), 0);
        SendMessageW(updown, UDM_SETRANGE32, 1, 65535);
        SendMessageW(updown, UDM_SETPOS32, 0, 1);
    }
    FillCombo(
        AddPanelControl(h, L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 4, top, w, 12 * line, idFotoCombo),
        FotoItems, std::size(FotoItems));
    FillCombo(AddPanelControl(h, L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 4, top, w, 12 * line,
                              idScreenCombo),
              ScreenItems, std::size(ScreenItems));
    AddPanelControl(h, L"STATIC", SS_LEFT, 4, top + line + 8, w, line, idCurrentResolution);
    ShowModePanels();
}

void TVxCrop2PlusFrame::Localize()
{
    TVxLocalizer& l = Localizer();
    SetControlText(Control(idTitle), l.GetString(135, L"Crop"));
    SetControlText(Control(idDescription),
                   l.GetString(2900, L"Choose the proportions, then drag a frame over the picture."));
    SetControlText(Control(idSidesRatioGroupBox), l.GetString(2901, L"Sides Ratio"));
    SetControlText(Control(idFree), l.GetString(2902, L"Loose"));
    SetControlText(Control(idFoto), l.GetString(2903, L"Print formats"));
    SetControlText(Control(idScreen), l.GetString(2904, L"Screen formats"));
    SetControlText(Control(idWidthLabel), l.GetString(505, L"Width") + L":");
    SetControlText(Control(idHeightLabel), l.GetString(506, L"Height") + L":");
    ShowModePanels();
}

int TVxCrop2PlusFrame::Mode() const
{
    if (IsDlgButtonChecked(Handle(), idFoto) == BST_CHECKED)
        return 1;
    return IsDlgButtonChecked(Handle(), idScreen) == BST_CHECKED ? 2 : 0;
}

void TVxCrop2PlusFrame::ShowModePanels()
{
    const int mode = Mode();
    for (int id : {idWidthLabel, idWidthEdit, idWidthSpin, idHeightLabel, idHeightEdit, idHeightSpin})
        ShowControl(Control(id), mode == 0);
    ShowControl(Control(idFotoCombo), mode == 1);
    ShowControl(Control(idScreenCombo), mode == 2);
    ShowControl(Control(idCurrentResolution), mode == 2);
    const std::wstring resolution = Localizer().GetString(2890, L"Current resolution") + L": " +
                                    std::to_wstring(GetSystemMetrics(SM_CXSCREEN)) + L"x" +
                                    std::to_wstring(GetSystemMetrics(SM_CYSCREEN));
    SetControlText(Control(idCurrentResolution), resolution);
}

void TVxCrop2PlusFrame::ShowSize(std::int32_t width, std::int32_t height)
{
    FShowing = true;
    SetControlText(Control(idWidthEdit), std::to_wstring(width));
    SetControlText(Control(idHeightEdit), std::to_wstring(height));
    FShowing = false;
}

void TVxCrop2PlusFrame::Command(int id, int code)
{
    if ((id == idFree || id == idFoto || id == idScreen) && code == BN_CLICKED) {
        FTool.SetRatio(Mode());
        ShowModePanels();
    } else if (id == idFotoCombo && code == CBN_SELCHANGE) {
        FTool.SetRatio(1);
    } else if (id == idScreenCombo && code == CBN_SELCHANGE) {
        FTool.SetRatio(2);
    } else if (id == idWidthEdit && code == EN_CHANGE && !FShowing) {
        FTool.WidthEditChange();
    } else if (id == idHeightEdit && code == EN_CHANGE && !FShowing) {
        FTool.HeightEditChange();
    }
}

LRESULT TVxCrop2PlusFrame::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && lParam) {
        Command(LOWORD(wParam), HIWORD(wParam));
        return 0;
    }
    return TVxFrame::WndProc(message, wParam, lParam);
}

// ---------------------------------------------------------------- TVxCrop2PlusTool

TVxCrop2PlusTool::TVxCrop2PlusTool(TVxComponent* owner, IVxGraphicsToolHost& host) : TVxCustomCropTool(owner, host)
{
    SetCommandName(L"Crop");
    SetControlClass([](TVxGraphicsTool& tool, TVxGraphicsView& view) -> TVxGraphicsToolControl& {
        return TVxGraphicsToolControl::Create<TVxCrop2PlusToolControl>(tool, view);
    });
    Command = &MainForm->Commands.Add(L"CROP", {135, L"Crop"}, CropImageIndex, {},
                                      TVxMethod<>::Bind<&TVxCrop2PlusTool::ActivateCommand>(this));
    if (ToolPanel) {
        Button = &MainForm->AddToolbarItem(*Command, *ToolPanel->Toolbar);
        Frame = &ToolPanel->CreateToolPage<TVxCrop2PlusFrame>(Frame, *this);
        ShowWindow(Frame->Handle(), SW_HIDE);
    }
}

TVxCrop2PlusTool::~TVxCrop2PlusTool()
{
    if (Crop2PlusTool == this)
        Crop2PlusTool = nullptr;
}

bool TVxCrop2PlusTool::PerformCrop(const TRect& rect, TVxGraphicsView* view)
{
    TVxGraphicsDocument* document =
        view ? &view->Document() : (GraphicsEditor ? GraphicsEditor->ActiveGraphicsDocument() : nullptr);
    if (!document)
        return false;
    return ::PerformCrop<TVxCrop2PlusCommandState>(*this, *document, view, rect);
}

void TVxCrop2PlusTool::Activate()
{
    TVxCustomCropTool::Activate();
    if (Frame) {
        SetWindowPos(Frame->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        ShowWindow(Frame->Handle(), SW_SHOW);
        Frame->ShowModePanels();
    }
}

void TVxCrop2PlusTool::SetAvailable(bool value)
{
    TVxCustomCropTool::SetAvailable(value);
    Command->SetVisible(value);
    if (Frame && !value)
        ShowWindow(Frame->Handle(), SW_HIDE);
}

void TVxCrop2PlusTool::UpdateControls()
{
    const bool active = Host().ActiveTool() == this;
    Command->SetChecked(active);
    Command->SetEnabled(Available() && Host().CanStartEdit(*this));
    // While a rectangle exists the tool has a change open, and the editor holds Undo and
    // Redo back: a step under the rectangle would leave it over another picture.
    if (!Frame)
        return;
    if (!active && IsWindowVisible(Frame->Handle()))
        ShowWindow(Frame->Handle(), SW_HIDE);
    Frame->SetControlsEnabled(Command->Enabled() && active);
}

void TVxCrop2PlusTool::SaveState(TVxSDFWriter& writer)
{
    writer.BeginNode(1, TVxCropTool::StateIdentifier);
    writer.EndNode();
}

void TVxCrop2PlusTool::RectChanged(TVxCropToolControl& control)
{
    if (Frame && !control.CropRect.IsEmpty())
        Frame->ShowSize(control.CropRect.Width(), control.CropRect.Height());
}

void TVxCrop2PlusTool::SetRatio(int mode)
{
    FRatio = TVxSideRatio{};
    if (!Frame || mode == 0)
        return;
    const std::wstring text =
        SelectedText(Frame->Control(mode == 1 ? TVxCrop2PlusFrame::idFotoCombo : TVxCrop2PlusFrame::idScreenCombo));
    // An item that does not parse leaves the proportions free rather than dividing by 0.
    if (const std::optional<TVxSideRatio> ratio = ParseSideRatio(text))
        FRatio = *ratio;
}

void TVxCrop2PlusTool::WidthEditChange()
{
    ApplySideBox(true);
}

void TVxCrop2PlusTool::HeightEditChange()
{
    ApplySideBox(false);
}

void TVxCrop2PlusTool::ApplySideBox(bool width)
{
    TVxCropToolControl* control = ActiveControl();
    if (!Frame || !control || control->State != csReady)
        return;
    HWND box = Frame->Control(width ? TVxCrop2PlusFrame::idWidthEdit : TVxCrop2PlusFrame::idHeightEdit);
    const std::wstring text = ControlText(box);
    // An empty box is the user on the way to another number.
    if (text.empty())
        return;
    const TVxPixels* image = control->View().Document().ImagePixels();
    if (!image)
        return;
    const TVxSideBoxResult result = width ? ApplyWidthBox(control->CropRect, text, image->Width())
                                          : ApplyHeightBox(control->CropRect, text, image->Height());
    control->SetCropRect(result.Rect);
    Frame->ShowSize(result.Rect.Width(), result.Rect.Height());
}

// ---------------------------------------------------------------- TVxCrop2PlusToolControl

TRect TVxCrop2PlusToolControl::DrawRect(const TPoint& pointer) const
{
    return DrawRatioRect(Anchor, pointer, WorkArea(), CropTool().Ratio(), CropRect);
}

bool TVxCrop2PlusToolControl::ReleaseReady(TVxMouseButton button, const TPoint& point)
{
    if (CropHitTest(ScreenRect(), point) != cpOutside)
        return true;
    if (button == TVxMouseButton::Left)
        CropTool().Perform(*this);
    else if (button == TVxMouseButton::Right)
        CropTool().Cancel(*this);
    return true;
}

bool TVxCrop2PlusToolControl::KeyDown(WORD key, TVxShiftState)
{
    if (!Active() || State == csNone)
        return false;
    if (key == VK_ESCAPE) {
        CropTool().Cancel(*this);
        return true;
    }
    if (key == VK_RETURN && State == csReady) {
        CropTool().Perform(*this);
        return true;
    }
    return false;
}

bool TVxCrop2PlusToolControl::DoubleClick(TVxShiftState, const TPoint& point)
{
    if (!Active())
        return false;
    MessageBeep(MB_OK);
    if (State == csReady && CropHitTest(ScreenRect(), point) == cpOutside)
        CropTool().Perform(*this);
    return true;
}
