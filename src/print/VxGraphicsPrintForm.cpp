#include "print/VxGraphicsPrintForm.h"

#include <commctrl.h>

#include <vector>

#include "app/VxForms.h"
#include "app/VxMainForm.h"
#include "i18n/VxLocalizer.h"
#include "print/VxPrinter.h"

namespace {

constexpr int ClientWidth = 372;
constexpr int ClientHeight = 292;

std::vector<WORD> EmptyDialogTemplate()
{
    std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD) + 3, 0);
    auto* t = reinterpret_cast<DLGTEMPLATE*>(words.data());
    t->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    t->cx = 200;
    t->cy = 100;
    return words;
}

std::wstring WindowText(HWND window)
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring String(std::int32_t id, const wchar_t* fallback)
{
    return Localizer().GetString(id, fallback);
}

wchar_t LocaleDecimalSeparator()
{
    wchar_t text[8] = {};
    return GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, text, 8) > 1 ? text[0] : L'.';
}

constexpr int UnitCombos[] = {TVxGraphicsPrintForm::idLeftUnitsComboBox, TVxGraphicsPrintForm::idTopUnitsComboBox,
                              TVxGraphicsPrintForm::idWidthUnitsComboBox, TVxGraphicsPrintForm::idHeightUnitsComboBox};
constexpr int LengthEdits[] = {TVxGraphicsPrintForm::idLeftEdit, TVxGraphicsPrintForm::idTopEdit, TVxGraphicsPrintForm::idWidthEdit,
                               TVxGraphicsPrintForm::idHeightEdit};

TVxPrintEdit EditKind(int id)
{
    switch (id) {
    case TVxGraphicsPrintForm::idLeftEdit: return TVxPrintEdit::peLeft;
    case TVxGraphicsPrintForm::idTopEdit: return TVxPrintEdit::peTop;
    case TVxGraphicsPrintForm::idScaleEdit: return TVxPrintEdit::peScale;
    case TVxGraphicsPrintForm::idWidthEdit: return TVxPrintEdit::peWidth;
    default: return TVxPrintEdit::peHeight;
    }
}

}  // namespace

TVxPrintUnit RegionalPrintUnit()
{
    wchar_t value[8] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\International", L"iMeasure", RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS)
        return puCentimetres;
    if (value[0] == L'0' && value[1] == 0)
        return puCentimetres;
    if (value[0] == L'1' && value[1] == 0)
        return puInches;
    return puCentimetres;
}

TVxGraphicsPrintForm::TVxGraphicsPrintForm(HWND owner, TVxGraphicsDocument& document, const TVxPageGeometry& page)
    : FOwner(owner), FDocument(document), FPage(page), FLayout(PaperHiMetric(page), PrintableHiMetric(page))
{
}

INT_PTR TVxGraphicsPrintForm::ShowModal()
{
    INITCOMMONCONTROLSEX init{sizeof init, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&init);
    std::vector<WORD> dialogTemplate = EmptyDialogTemplate();
    const INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<DLGTEMPLATE*>(dialogTemplate.data()),
                                                   FOwner, &TVxGraphicsPrintForm::DialogProc, reinterpret_cast<LPARAM>(this));
    FDialog = nullptr;
    return result;
}

INT_PTR CALLBACK TVxGraphicsPrintForm::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        reinterpret_cast<TVxGraphicsPrintForm*>(lParam)->FDialog = dialog;
    }
    auto* form = reinterpret_cast<TVxGraphicsPrintForm*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!form)
        return FALSE;
    try {
        return form->HandleMessage(message, wParam, lParam);
    } catch (...) {
        return FALSE;
    }
}

INT_PTR TVxGraphicsPrintForm::HandleMessage(UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG: CreateControls(); Localize(); FormShow(); return TRUE;
    case WM_COMMAND: Command(LOWORD(wParam), HIWORD(wParam)); return TRUE;
    }
    return FALSE;
}

void TVxGraphicsPrintForm::Command(int id, int code)
{
    switch (id) {
    case IDOK: PrintButtonClick(); return;
    case IDCANCEL: EndDialog(FDialog, IDCANCEL); return;
    case idPrinterButton: PrinterButtonClick(); return;
    case idCenterImageCheckBox:
    case idScaleToFitMediaCheckBox:
        if (code == BN_CLICKED)
            ApplyOptions();
        return;
    case idLeftUnitsComboBox: if (code == CBN_SELCHANGE) RefreshEdit(idLeftEdit); return;
    case idTopUnitsComboBox: if (code == CBN_SELCHANGE) RefreshEdit(idTopEdit); return;
    case idWidthUnitsComboBox: if (code == CBN_SELCHANGE) RefreshEdit(idWidthEdit); return;
    case idHeightUnitsComboBox: if (code == CBN_SELCHANGE) RefreshEdit(idHeightEdit); return;
    case idLeftEdit:
    case idTopEdit:
    case idScaleEdit:
    case idWidthEdit:
    case idHeightEdit:
        if (code == EN_CHANGE)
            EditChanged(id);
        else if (code == EN_KILLFOCUS)
            EditLeft(id);
        return;
    }
}

void TVxGraphicsPrintForm::CreateControls()
{
    const int width = ScaleForDpi(ClientWidth);
    const int height = ScaleForDpi(ClientHeight);
    RECT frame{0, 0, width, height};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(FDialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongW(FDialog, GWL_EXSTYLE)));
    RECT owner{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (FOwner)
        GetWindowRect(FOwner, &owner);
    const int frameWidth = frame.right - frame.left;
    const int frameHeight = frame.bottom - frame.top;
    SetWindowPos(FDialog, nullptr, (owner.left + owner.right - frameWidth) / 2, (owner.top + owner.bottom - frameHeight) / 2,
                 frameWidth, frameHeight, SWP_NOZORDER);
    FFont.Reset(CreateFontW(-ScaleForDpi(11), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Tahoma"));
    const auto make = [&](const wchar_t* cls, DWORD style, int x, int y, int w, int h, int id, DWORD exStyle = 0) {
        HWND control = CreateWindowExW(exStyle, cls, L"", WS_CHILD | WS_VISIBLE | style, ScaleForDpi(x), ScaleForDpi(y), ScaleForDpi(w),
                                       ScaleForDpi(h), FDialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                       GetModuleHandleW(nullptr), nullptr);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(FFont.Get()), FALSE);
        return control;
    };
    make(L"BUTTON", BS_GROUPBOX, 8, 6, 356, 188, idPositionAndSizeGroupBox);
    struct TRow {
        int Label, Edit, Units;
    };
    const TRow rows[] = {{idLeftLabel, idLeftEdit, idLeftUnitsComboBox},
                         {idTopLabel, idTopEdit, idTopUnitsComboBox},
                         {idScaleLabel, idScaleEdit, 0},
                         {idWidthLabel, idWidthEdit, idWidthUnitsComboBox},
                         {idHeightLabel, idHeightEdit, idHeightUnitsComboBox}};
    int y = 30;
    for (const TRow& row : rows) {
        make(L"STATIC", SS_RIGHT, 20, y + 3, 90, 18, row.Label);
        HWND edit = make(L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, 118, y, 110, 22, row.Edit, WS_EX_CLIENTEDGE);
        SetWindowSubclass(edit, &TVxGraphicsPrintForm::EditProc, 1, reinterpret_cast<DWORD_PTR>(this));
        if (row.Units)
            make(L"COMBOBOX", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 236, y, 116, 200, row.Units);
        y += 32;
    }
    make(L"BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX, 14, 202, 170, 20, idCenterImageCheckBox);
    make(L"BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX, 190, 202, 174, 20, idScaleToFitMediaCheckBox);
    make(L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 8, 258, 100, 26, idPrinterButton);
    make(L"BUTTON", WS_TABSTOP | BS_DEFPUSHBUTTON, 180, 258, 88, 26, IDOK);
    make(L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 276, 258, 88, 26, IDCANCEL);
}

void TVxGraphicsPrintForm::Localize()
{
    SetWindowTextW(FDialog, String(21, L"Print").c_str());
    SetDlgItemTextW(FDialog, idPrinterButton, (String(524, L"Printer") + L"...").c_str());
    SetDlgItemTextW(FDialog, IDOK, String(21, L"Print").c_str());
    SetDlgItemTextW(FDialog, IDCANCEL, String(2, L"Cancel").c_str());
    SetDlgItemTextW(FDialog, idPositionAndSizeGroupBox, (L" " + String(746, L"Position and Size") + L":" + L" ").c_str());
    SetDlgItemTextW(FDialog, idLeftLabel, (String(149, L"Left") + L":").c_str());
    SetDlgItemTextW(FDialog, idTopLabel, (String(148, L"Top") + L":").c_str());
    SetDlgItemTextW(FDialog, idScaleLabel, (String(35, L"Scale") + L":").c_str());
    SetDlgItemTextW(FDialog, idWidthLabel, (String(505, L"Width") + L":").c_str());
    SetDlgItemTextW(FDialog, idHeightLabel, (String(506, L"Height") + L":").c_str());
    SetDlgItemTextW(FDialog, idCenterImageCheckBox, String(757, L"Center Image").c_str());
    SetDlgItemTextW(FDialog, idScaleToFitMediaCheckBox, String(758, L"Scale To Fit Media").c_str());
    const std::wstring units[] = {String(509, L"mm") + L".", String(510, L"cm") + L".", String(759, L"in") + L".",
                                  String(760, L"pt") + L"."};
    for (int combo : UnitCombos) {
        SendDlgItemMessageW(FDialog, combo, CB_RESETCONTENT, 0, 0);
        for (const std::wstring& unit : units)
            SendDlgItemMessageW(FDialog, combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(unit.c_str()));
    }
}

void TVxGraphicsPrintForm::FormShow()
{
    FDecimal = LocaleDecimalSeparator();
    const TVxPrintUnit unit = RegionalPrintUnit();
    for (int combo : UnitCombos)
        SendDlgItemMessageW(FDialog, combo, CB_SETCURSEL, static_cast<WPARAM>(unit), 0);
    const TVxGraphicsDocumentProperties& properties = FDocument.Properties();
    FLayout.Open(FDocument.Image().GetWidth(), FDocument.Image().GetHeight(), properties.HorizontalResolution,
                 properties.VerticalResolution);
    CheckDlgButton(FDialog, idCenterImageCheckBox, BST_CHECKED);
    ApplyOptions();
}

bool TVxGraphicsPrintForm::Checked(int id) const
{
    return IsDlgButtonChecked(FDialog, id) == BST_CHECKED;
}

TVxPrintUnit TVxGraphicsPrintForm::UnitOf(int editId) const
{
    const int combo = editId == idLeftEdit ? idLeftUnitsComboBox
                      : editId == idTopEdit ? idTopUnitsComboBox
                      : editId == idWidthEdit ? idWidthUnitsComboBox
                                              : idHeightUnitsComboBox;
    const LRESULT index = SendDlgItemMessageW(FDialog, combo, CB_GETCURSEL, 0, 0);
    return index >= 0 && index <= puPoints ? static_cast<TVxPrintUnit>(index) : puCentimetres;
}

void TVxGraphicsPrintForm::ApplyOptions()
{
    if (FUpdating)
        return;
    const bool fit = Checked(idScaleToFitMediaCheckBox);
    if (fit) {
        CheckDlgButton(FDialog, idCenterImageCheckBox, BST_CHECKED);
        FLayout.ScaleToPrintable();
    } else if (Checked(idCenterImageCheckBox)) {
        FLayout.Center();
    }
    const bool center = Checked(idCenterImageCheckBox);
    EnableWindow(Control(idCenterImageCheckBox), !fit);
    for (int id : {idLeftEdit, idTopEdit, idLeftUnitsComboBox, idTopUnitsComboBox})
        EnableWindow(Control(id), !fit && !center);
    for (int id : {idScaleEdit, idWidthEdit, idHeightEdit, idWidthUnitsComboBox, idHeightUnitsComboBox})
        EnableWindow(Control(id), !fit);
    RefreshEdits();
}

void TVxGraphicsPrintForm::RefreshEdit(int id)
{
    FUpdating = true;
    std::wstring text;
    switch (id) {
    case idLeftEdit: text = FormatLength(FLayout.Left(), UnitOf(id), FDecimal); break;
    case idTopEdit: text = FormatLength(FLayout.Top(), UnitOf(id), FDecimal); break;
    case idWidthEdit: text = FormatLength(FLayout.PrintWidth(), UnitOf(id), FDecimal); break;
    case idHeightEdit: text = FormatLength(FLayout.PrintHeight(), UnitOf(id), FDecimal); break;
    case idScaleEdit: text = FormatScale(FLayout.Scale(), FDecimal); break;
    }
    SetDlgItemTextW(FDialog, id, text.c_str());
    FUpdating = false;
}

void TVxGraphicsPrintForm::RefreshEdits()
{
    for (int id : {idLeftEdit, idTopEdit, idScaleEdit, idWidthEdit, idHeightEdit})
        RefreshEdit(id);
}

void TVxGraphicsPrintForm::EditChanged(int id)
{
    if (FUpdating)
        return;
    const std::wstring text = WindowText(Control(id));
    const bool center = Checked(idCenterImageCheckBox);
    if (id == idScaleEdit) {
        if (FLayout.SetScaleText(text, FDecimal, center)) {
            RefreshEdit(idWidthEdit);
            RefreshEdit(idHeightEdit);
        }
    } else if (const std::optional<double> number = ParseNumber(text, FDecimal)) {
        const std::int32_t value = UnitToHiMetric(*number, UnitOf(id));
        switch (id) {
        case idLeftEdit: FLayout.SetLeft(value); break;
        case idTopEdit: FLayout.SetTop(value); break;
        case idWidthEdit: FLayout.SetPrintWidth(value, center); RefreshEdit(idHeightEdit); RefreshEdit(idScaleEdit); break;
        case idHeightEdit: FLayout.SetPrintHeight(value, center); RefreshEdit(idWidthEdit); RefreshEdit(idScaleEdit); break;
        }
    } else {
        return;  // unreadable: the stored value stays until the next readable change
    }
    if (center && id != idLeftEdit && id != idTopEdit) {
        RefreshEdit(idLeftEdit);
        RefreshEdit(idTopEdit);
    }
}

void TVxGraphicsPrintForm::EditLeft(int id)
{
    if (FUpdating)
        return;
    FUpdating = true;
    SetDlgItemTextW(FDialog, id, NormalizeEditText(WindowText(Control(id)), id == idScaleEdit, FDecimal).c_str());
    FUpdating = false;
}

bool TVxGraphicsPrintForm::FilterKey(HWND edit, wchar_t& key) const
{
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    const std::optional<wchar_t> result = FilterPrintKey(EditKind(GetDlgCtrlID(edit)), WindowText(edit), start, end, key, FDecimal);
    if (!result)
        return false;
    key = *result;
    return true;
}

LRESULT CALLBACK TVxGraphicsPrintForm::EditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
{
    if (message == WM_CHAR && wParam >= 8 && wParam != 0x16 && wParam != 0x03 && wParam != 0x18 && wParam != 0x01) {
        auto key = static_cast<wchar_t>(wParam);
        if (!reinterpret_cast<TVxGraphicsPrintForm*>(data)->FilterKey(edit, key))
            return 0;
        wParam = key;
    }
    return DefSubclassProc(edit, message, wParam, lParam);
}

void TVxGraphicsPrintForm::PrinterButtonClick()
{
    if (!Printer().SetupDialog(FDialog))
        return;
    if (const std::optional<TVxPageGeometry> page = Printer().Geometry()) {
        FPage = *page;
        FLayout.SetPaper(PaperHiMetric(FPage), PrintableHiMetric(FPage));
    }
    ApplyOptions();
}

void TVxGraphicsPrintForm::PrintButtonClick()
{
    if (!FLayout.InsidePrintable()) {
        const int answer = Application->ShowMessageBox(
            String(761, L"The picture does not fit into the printable area of the page. Print it as it is?"), WindowText(FDialog),
            MB_YESNO | MB_ICONQUESTION);
        if (answer != IDYES) {
            FLayout.FitAfterRefusal();
            RefreshEdits();
            return;
        }
    }
    if (PrintNow())
        EndDialog(FDialog, IDOK);
}

bool TVxGraphicsPrintForm::PrintNow()
{
    const TVxHiMetricRect device = HiMetricToDevice(FLayout.PrintRect(), FPage);
    const RECT rect{device.Left, device.Top, device.Right, device.Bottom};
    HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    if (ProgressMeter)
        ProgressMeter->Reset(2);
    if (ProgressMeter)
        ProgressMeter->Step();
    const bool printed = Printer().PrintPage(FDocument.DisplayName(), rect, [this](HDC dc, const RECT& r) {
        return FDocument.Image().Print(dc, TRect{r.left, r.top, r.right, r.bottom});
    });
    if (ProgressMeter)
        ProgressMeter->Reset(ProgressMeter->DefaultMaximum);
    SetCursor(previous);
    if (!printed)
        Application->ShowMessageBox(String(1301, L"The picture could not be printed."), WindowText(FDialog), MB_OK | MB_ICONERROR);
    return printed;
}
