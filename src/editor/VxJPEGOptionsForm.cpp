#include "editor/VxJPEGOptionsForm.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "editor/VxEditorStrings.h"

namespace {

constexpr int ClientWidth = 352;
constexpr int ClientHeight = 163;

// An empty in-memory dialog template; the controls are made at pixel positions in
// WM_INITDIALOG so the layout does not depend on dialog units.
std::vector<WORD> EmptyDialogTemplate()
{
    std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD) + 3, 0);
    auto* t = reinterpret_cast<DLGTEMPLATE*>(words.data());
    t->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER;
    t->cx = 200;
    t->cy = 100;
    return words; // no menu, default class, empty title
}

std::wstring WindowText(HWND window)
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

} // namespace

std::optional<std::int32_t> TVxJPEGOptionsForm::AskQuality(std::int32_t current)
{
    INITCOMMONCONTROLSEX init{sizeof init, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&init);
    FModel.SetQuality(current);
    std::vector<WORD> dialogTemplate = EmptyDialogTemplate();
    const INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<DLGTEMPLATE*>(dialogTemplate.data()),
                                                   FOwner, &TVxJPEGOptionsForm::DialogProc, reinterpret_cast<LPARAM>(this));
    FDialog = nullptr;
    if (result != IDOK)
        return std::nullopt;
    return FModel.Quality();
}

void TVxJPEGOptionsForm::SetQuality(std::int32_t value)
{
    FModel.SetQuality(value);
    if (FDialog)
        SyncControls();
}

INT_PTR CALLBACK TVxJPEGOptionsForm::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        reinterpret_cast<TVxJPEGOptionsForm*>(lParam)->FDialog = dialog;
    }
    auto* form = reinterpret_cast<TVxJPEGOptionsForm*>(GetWindowLongPtrW(dialog, DWLP_USER));
    return form ? form->HandleMessage(message, wParam, lParam) : FALSE;
}

INT_PTR TVxJPEGOptionsForm::HandleMessage(UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG: CreateControls(); Localize(); return TRUE;
    case WM_HSCROLL: QualityChange(idQualityTrackBar); return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK: OkButtonClick(); return TRUE;
        case IDCANCEL: EndDialog(FDialog, IDCANCEL); return TRUE;
        case idQualityEdit:
            if (HIWORD(wParam) == EN_CHANGE)
                QualityChange(idQualityEdit);
            return TRUE;
        case idQualityComboBox:
            if (HIWORD(wParam) == CBN_SELCHANGE)
                QualityChange(idQualityComboBox);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

void TVxJPEGOptionsForm::CreateControls()
{
    RECT frame{0, 0, ClientWidth, ClientHeight};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(FDialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongW(FDialog, GWL_EXSTYLE)));
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    SetWindowPos(FDialog, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2, (GetSystemMetrics(SM_CYSCREEN) - height) / 2,
                 width, height, SWP_NOZORDER);
    const HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    const auto make = [&](const wchar_t* cls, DWORD style, int x, int y, int w, int h, int id, DWORD exStyle = 0) {
        HWND control = CreateWindowExW(exStyle, cls, L"", WS_CHILD | style, x, y, w, h, FDialog,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        return control;
    };
    make(L"BUTTON", WS_VISIBLE | BS_GROUPBOX, 8, 4, 336, 116, idQualityGroupBox);
    make(L"STATIC", WS_VISIBLE, 20, 28, 60, 18, idQualityLabel);
    make(L"EDIT", WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 84, 25, 50, 22, idQualityEdit, WS_EX_CLIENTEDGE);
    make(L"COMBOBOX", WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 148, 25, 130, 200, idQualityComboBox);
    HWND track = make(TRACKBAR_CLASSW, WS_VISIBLE | WS_TABSTOP | TBS_AUTOTICKS, 16, 56, 320, 30, idQualityTrackBar);
    SendMessageW(track, TBM_SETRANGE, FALSE, MAKELPARAM(0, 100));
    SendMessageW(track, TBM_SETTICFREQ, 5, 0);
    make(L"STATIC", WS_VISIBLE, 20, 92, 120, 18, idSmallFileLabel);
    make(L"STATIC", WS_VISIBLE | SS_RIGHT, 212, 92, 120, 18, idLargeFileLabel);
    make(L"BUTTON", BS_AUTOCHECKBOX, 12, 132, 100, 20, idDisplayCheckbox); // never shown
    make(L"BUTTON", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 184, 130, 75, 25, IDOK);
    make(L"BUTTON", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 268, 130, 75, 25, IDCANCEL);
}

void TVxJPEGOptionsForm::Localize()
{
    SetWindowTextW(FDialog, LoadVxString(VxStrings::JPEGOptions).c_str());
    SetDlgItemTextW(FDialog, idQualityLabel, (LoadVxString(VxStrings::Quality) + L":").c_str());
    SetDlgItemTextW(FDialog, idDisplayCheckbox, LoadVxString(VxStrings::Display).c_str());
    SetDlgItemTextW(FDialog, idSmallFileLabel, LoadVxString(VxStrings::SmallFile).c_str());
    SetDlgItemTextW(FDialog, idLargeFileLabel, LoadVxString(VxStrings::LargeFile).c_str());
    SetDlgItemTextW(FDialog, IDOK, LoadVxString(VxStrings::Ok).c_str());
    SetDlgItemTextW(FDialog, IDCANCEL, LoadVxString(VxStrings::Cancel).c_str());
    HWND combo = Control(idQualityComboBox);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (const TVxStringRef& item : {VxStrings::QualityLow, VxStrings::QualityMedium, VxStrings::QualityHigh,
                                     VxStrings::QualityVeryHigh, VxStrings::QualityMaximum})
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(LoadVxString(item).c_str()));
    FModel.TrackBarChanged(FModel.TrackBarPosition());
    SyncControls();
}

void TVxJPEGOptionsForm::SyncControls()
{
    FChanging = true;
    if (WindowText(Control(idQualityEdit)) != FModel.EditText())
        SetDlgItemTextW(FDialog, idQualityEdit, FModel.EditText().c_str());
    SendDlgItemMessageW(FDialog, idQualityComboBox, CB_SETCURSEL, static_cast<WPARAM>(FModel.ComboIndex()), 0);
    SendDlgItemMessageW(FDialog, idQualityTrackBar, TBM_SETPOS, TRUE, FModel.TrackBarPosition());
    FChanging = false;
}

void TVxJPEGOptionsForm::QualityChange(int controlId)
{
    if (FChanging)
        return;
    switch (controlId) {
    case idQualityEdit: FModel.EditChanged(WindowText(Control(idQualityEdit))); break;
    case idQualityTrackBar:
        FModel.TrackBarChanged(static_cast<std::int32_t>(SendDlgItemMessageW(FDialog, idQualityTrackBar, TBM_GETPOS, 0, 0)));
        break;
    case idQualityComboBox:
        FModel.ComboChanged(static_cast<std::int32_t>(SendDlgItemMessageW(FDialog, idQualityComboBox, CB_GETCURSEL, 0, 0)));
        break;
    }
    SyncControls();
}

void TVxJPEGOptionsForm::OkButtonClick()
{
    FModel.EditChanged(WindowText(Control(idQualityEdit)));
    if (FModel.OkClicked()) {
        EndDialog(FDialog, IDOK);
        return;
    }
    const std::wstring text = LoadVxString(VxStrings::BadQuality);
    const std::wstring caption = WindowText(FDialog);
    if (ShowMessageBox)
        ShowMessageBox(text, caption, MB_OK | MB_ICONERROR);
    else
        MessageBoxW(FDialog, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
    SyncControls();
}
