// Entry point of Velloria.exe: the start-up order of the program.
#include <windows.h>

#include <exception>
#include <string>

#include "app/VxForms.h"
#include "app/VxMainForm.h"
#include "i18n/VxCodePage.h"
#include "i18n/VxLocale.h"
#include "i18n/VxLocalizer.h"

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
