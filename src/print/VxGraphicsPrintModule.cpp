#include "print/VxGraphicsPrintModule.h"

#include <shellapi.h>

#include "i18n/VxLocalizer.h"
#include "print/VxGraphicsPrintForm.h"
#include "print/VxPrinter.h"
#include "view/VxGraphicsEditor.h"

TVxGraphicsPrintModule* GraphicsPrintModule = nullptr;

TVxGraphicsPrintModule::TVxGraphicsPrintModule(TVxComponent* owner, TMainForm& form) : TVxModuleWithControls(owner)
{
    FPrint = &form.Commands.Add(L"PRINT", {21, L"Print"}, 3, {'P', FCONTROL}, TVxMethod<>::Bind<&TVxGraphicsPrintModule::PrintCommand>(this));
    FPrint->OpensDialog = true;
    form.AddSeparator(form.FileMenuItem, form.FileMenuSeparator);
    PrintMenuItem = &form.AddMenuItem(*FPrint, form.FileMenuSeparator, form.FileMenuItem);
}

void TVxGraphicsPrintModule::UpdateControls()
{
    const TVxCommand* saveAs = MainForm->Commands.Find(L"SAVEAS");
    FPrint->SetEnabled(saveAs && saveAs->Enabled() && GraphicsEditor && !GraphicsEditor->PluginMode() &&
                       GraphicsEditor->ActiveGraphicsDocument() != nullptr);
}

void TVxGraphicsPrintModule::PrintCommand()
{
    TVxGraphicsDocument* document = GraphicsEditor ? GraphicsEditor->ActiveGraphicsDocument() : nullptr;
    if (!document)
        return;
    if (!Printer().HasPrinters()) {
        OfferToAddPrinter();
        return;
    }
    const std::optional<TVxPageGeometry> page = Printer().Geometry();
    if (!page) {
        OfferToAddPrinter();
        return;
    }
    TVxGraphicsPrintForm form(Application->MainWindow(), *document, *page);
    form.ShowModal();
}

// Windows before 2000 are not supported by this program, so the wizard is always offered.
// It is started by its full path in the system folder: a bare "rundll32" would be looked
// for in the current folder first, where anyone could have put a file of that name.
void TVxGraphicsPrintModule::OfferToAddPrinter()
{
    const TVxLocalizer& localizer = Localizer();
    const std::wstring text = localizer.GetString(170, L"No printer is installed.") + L" " +
                              localizer.GetString(171, L"Do you want to add a printer now?");
    if (Application->ShowMessageBox(text, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    wchar_t system[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    const std::wstring program = std::wstring(system) + L"\\rundll32.exe";
    ShellExecuteW(Application->MainWindow(), L"open", program.c_str(), L"printui.dll,PrintUIEntry /il", system, SW_SHOWNORMAL);
}
