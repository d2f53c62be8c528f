#pragma once
// The print dialog: place and size the picture on the paper, centre it or fit it to the
// printable area, choose the printer, print.
//
//   TVxGraphicsPrintForm form(mainWindow, *document);
//   form.ShowModal();        // IDOK when the page was printed
#include <windows.h>

#include <memory>
#include <string>

#include "app/VxHandles.h"
#include "editor/VxGraphicsDocument.h"
#include "print/VxPrintLayout.h"

class TVxGraphicsPrintForm {
public:
    enum : int {
        idPrinterButton = 101,
        idPositionAndSizeGroupBox,
        idLeftEdit, idTopEdit, idScaleEdit, idWidthEdit, idHeightEdit,
        idLeftLabel, idTopLabel, idScaleLabel, idWidthLabel, idHeightLabel,
        idLeftUnitsComboBox, idTopUnitsComboBox, idWidthUnitsComboBox, idHeightUnitsComboBox,
        idCenterImageCheckBox, idScaleToFitMediaCheckBox,
    };

    TVxGraphicsPrintForm(HWND owner, TVxGraphicsDocument& document, const TVxPageGeometry& page);
    INT_PTR ShowModal();

    const TVxPrintLayout& Layout() const { return FLayout; }

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK EditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Command(int id, int code);
    void CreateControls();
    void Localize();
    void FormShow();
    void ApplyOptions();
    void RefreshEdits();
    void RefreshEdit(int id);
    void EditChanged(int id);
    void EditLeft(int id);
    bool FilterKey(HWND edit, wchar_t& key) const;
    void PrinterButtonClick();
    void PrintButtonClick();
    bool PrintNow();
    TVxPrintUnit UnitOf(int editId) const;
    bool Checked(int id) const;
    HWND Control(int id) const { return GetDlgItem(FDialog, id); }

    HWND FOwner;
    HWND FDialog = nullptr;
    TVxGraphicsDocument& FDocument;
    TVxPageGeometry FPage;
    TVxPrintLayout FLayout;
    wchar_t FDecimal = L'.';
    bool FUpdating = false;
    TVxFontHandle FFont;
};

// The unit the user's regional setting measures in: centimetres (metric) or inches.
TVxPrintUnit RegionalPrintUnit();
