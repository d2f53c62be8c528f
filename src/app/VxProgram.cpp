// The program root of Velloria.exe: the application, the main window and every module,
// created in the order of start-up. The application owns the modules in this order, so
// every later pass over its components (state loading, initialization, broadcasts to the
// tools) visits them in it. Adding a module means one line here; the shell and the
// other modules do not know it.
#include <windows.h>

#include <exception>
#include <filesystem>
#include <string>

#include "app/VxDemonstrationModule.h"
#include "app/VxForms.h"
#include "app/VxMainForm.h"
#include "app/VxTestHook.h"
#include "help/VxAbout.h"
#include "print/VxGraphicsPrintModule.h"
#include "twain/VxTwainModule.h"
#include "help/VxHelp.h"
#include "i18n/VxCodePage.h"
#include "i18n/VxLocale.h"
#include "i18n/VxLocalizer.h"
#include "view/VxGraphicsEditor.h"
#include "tools/VxCrop2PlusTool.h"
#include "tools/VxCropTool.h"
#include "tools/VxHandInpaintingTool.h"
#include "tools/VxOriginalImageTool.h"
#include "view/VxToolPanel.h"

namespace {

// Creates the modules when the application creates it.
class TModule : public TVxComponent {
public:
    explicit TModule(TVxComponent* owner) : TVxComponent(owner) { DataModuleCreate(); }

private:
    void DataModuleCreate();
};

TModule* Module = nullptr;

// Every module gets the main window to put its menu items, toolbars and panels into.
// Modules not built yet keep their places in comments; each joins here at its step.
void TModule::DataModuleCreate()
{
    // 1a. The shared image list.
    SharedImages = &CommonDataModule->New24TBXImageList;
    // 1b. The main window; the graphics editor with its menus, toolbars and the hand tool.
    Application->CreateForm(MainForm);
    TMainForm& form = *MainForm;
    Application->CreateModule(GraphicsEditor, form);
    // 1c. The demonstration folder.
    GraphicsEditor->SetDemoFolder((Application->ExeName().parent_path() / L"Demo").wstring() + L"\\");
    // 1d. The editor's items carry their fixed image indices from the start.
    // 1e. Service modules: system information, printing, help, demonstrations, the
    //     lesson editor and about join here. Then the tool panel.
    Application->CreateModule(TwainModule, form);
    Application->CreateModule(GraphicsPrintModule, form);
    Application->CreateModule(Help, form);
    Application->CreateModule(DemonstrationModule);
    Application->CreateModule(About, form);
    Application->CreateModule(ToolPanel, form);
    ToolPanel->SetWrap();
    // 1f. A separator closes the standard toolbar.
    GraphicsEditor->AppendToolbarSeparator();
    // 1g. The original-image tool; the rotate tools join here.
    Application->CreateModule(OriginalImageTool, static_cast<IVxGraphicsToolHost&>(*GraphicsEditor));
    // 1h. The progress meter in the status bar.
    form.CreateProgressMeter();
    // 2. The tools, in tool-panel order; the others join here.
    IVxGraphicsToolHost& host = *GraphicsEditor;
    Application->CreateModule(Crop2PlusTool, host);
    // The second row of the tool panel.
    Application->CreateModule(CropTool, host);
    Application->CreateModule(HandInpaintingTool, host);
    // The test build of the program adds its test probe last.
    RunTestProbeHook();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    try {
        TVxApplication application;
        Localizer().Load(FindLanguagesFolder(application.ExeName().parent_path()), UserDefaultLanguageId());
        application.Initialize();
        application.SetTitle(L"Velloria");
        application.CreateForm(CommonDataModule);
        application.CreateForm(Module);
        application.Run();
        return application.ExitCode();
    } catch (const std::exception& error) {
        // A module that cannot be built ends the program at start-up.
        MessageBoxW(nullptr, Utf8ToWide(error.what()).c_str(), L"Velloria", MB_ICONERROR | MB_OK);
        return 1;
    }
}
