#include "help/VxHelp.h"

#include <shellapi.h>

#include "help/VxHelpFile.h"
#include "i18n/VxCodePage.h"
#include "i18n/VxLocalizer.h"

TVxHelp* Help = nullptr;

namespace {

std::wstring LanguageFileStem()
{
    const TVxLocalizer& localizer = Localizer();
    for (const TVxLanguage& language : localizer.Languages())
        if (language.LanguageId == localizer.CurrentLanguageId())
            return language.FileName.stem().wstring();
    return {};
}

}  // namespace

TVxHelp::TVxHelp(TVxComponent* owner, TMainForm& form) : TVxModuleWithControls(owner)
{
    TVxCommandList& commands = form.Commands;
    FContents = &commands.Add(L"HELPCONTENTS", {128, L"Contents"}, -1, {VK_F1, 0}, TVxMethod<>::Bind<&TVxHelp::ContentsCommand>(this));
    FGettingStarted = &commands.Add(L"GETTINGSTARTED", {165, L"Getting Started"}, -1, {},
                                    TVxMethod<>::Bind<&TVxHelp::GettingStartedCommand>(this));
    FTechnicalSupport = &commands.Add(L"TECHNICALSUPPORT", {131, L"Technical Support"}, -1, {},
                                      TVxMethod<>::Bind<&TVxHelp::TechnicalSupportCommand>(this));
    FUpdate = &commands.Add(L"CHECKFORUPDATES", {3020, L"Check for Updates"}, -1, {}, TVxMethod<>::Bind<&TVxHelp::CheckForUpdates>(this));
    FUpdate->OpensDialog = true;

    TVxMenuItem* menu = form.HelpMenuItem;
    ContentsMenuItem = &form.AddMenuItem(*FContents, nullptr, menu);
    form.AddSeparator(menu, nullptr);
    GettingStartedMenuItem = &form.AddMenuItem(*FGettingStarted, nullptr, menu);
    TechnicalSupportMenuItem = &form.AddMenuItem(*FTechnicalSupport, nullptr, menu);
    form.AddSeparator(menu, nullptr);
    UpdateMenuItem = &form.AddMenuItem(*FUpdate, nullptr, menu);
    form.AddSeparator(menu, nullptr);
}

TVxHelp::~TVxHelp()
{
    // The check ends by itself within its limits; the program waits for it at exit.
    if (FCheck.joinable())
        FCheck.join();
}


void TVxHelp::FindHelpFileNow()
{
    const TVxHelpFileChoice choice = FindHelpFile(FHelpFileSetting, Application->ExeName(), LanguageFileStem(), [](const std::filesystem::path& path) {
        std::error_code error;
        return std::filesystem::is_regular_file(path, error);
    });
    FHelpFile = choice.Path;
    FHtmlHelp = choice.HtmlHelp;
}

void TVxHelp::Localize()
{
    // The language may have its own help file.
    if (Application)
        FindHelpFileNow();
}

void TVxHelp::UpdateControls()
{
    FUpdate->SetEnabled(!FChecking);
    if (FChecking && FCheckDone)
        UpdateFinished();
}

void TVxHelp::ShowTopic(int context)
{
    if (FHelpFile.empty())
        return;  // nothing to open, and nothing to say: the user installed no help file
    HWND owner = Application->MainWindow();
    if (FHtmlHelp) {
        if (!FHtmlHelpControl.Load()) {
            Application->ShowMessageBox(
                Localizer().GetString(1300, L"The help cannot be shown: the HTML Help component of Windows is missing."),
                MB_ICONERROR | MB_OK);
            return;
        }
        FHtmlHelpControl.Show(owner, FHelpFile.wstring(), context);
        return;
    }
    WinHelpW(owner, FHelpFile.c_str(), context == 0 ? HELP_CONTENTS : HELP_CONTEXT, static_cast<ULONG_PTR>(context));
}

void TVxHelp::CheckForUpdates()
{
    if (FChecking)
        return;
    FChecking = true;
    FCheckDone = false;
    FUpdate->SetEnabled(false);
    HWND window = Application->MainWindow();
    // The download runs beside the message loop, so the window stays responsive; the
    // posted message wakes the idle pass that shows the answer.
    FCheck = std::thread([this, window, product = Product, address = UpdateAddress, limits = UpdateLimits] {
        const TVxInetUpdater updater(product, address, limits);
        FFoundVersion = updater.Version();
        FCheckDone = true;
        PostMessageW(window, WM_NULL, 0, 0);
    });
}

void TVxHelp::UpdateFinished()
{
    FCheck.join();
    FChecking = false;
    FUpdate->SetEnabled(true);
    const TVxLocalizer& localizer = Localizer();
    if (IsNewerVersion(Product.Version, FFoundVersion)) {
        const std::wstring text = localizer.GetString(3022, L"A newer version") + L" (" + Utf8ToWide(FFoundVersion) + L") " +
                                  localizer.GetString(3023, L"is available. Open the download page?");
        if (Application->ShowMessageBox(text, MB_ICONINFORMATION | MB_OKCANCEL) == IDOK)
            ShellExecuteW(Application->MainWindow(), L"open", ProductPage.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        return;
    }
    Application->ShowMessageBox(localizer.GetString(3021, L"You have the latest version."),
                                localizer.GetString(107, L"Check for Updates"), MB_ICONINFORMATION | MB_OK);
}

// The node's elements: 1 update address, 2 product page, 3 help file, 4 and 5 the update
// check's step and whole limits in milliseconds.
void TVxHelp::LoadState(TVxSDFReader& reader)
{
    if (!reader.EnterNode(1, StateIdentifier))
        return;
    std::wstring text;
    if (reader.ReadString(1, text) && !text.empty())
        UpdateAddress = text;
    if (reader.ReadString(2, text) && !text.empty())
        ProductPage = text;
    if (reader.ReadString(3, text))
        FHelpFileSetting = text;
    std::int32_t limit = 0;
    if (reader.ReadInteger(4, limit) && limit > 0)
        UpdateLimits.StepTimeoutMs = static_cast<DWORD>(limit);
    if (reader.ReadInteger(5, limit) && limit > 0)
        UpdateLimits.TotalTimeoutMs = static_cast<DWORD>(limit);
    reader.LeaveNode();
}

void TVxHelp::SaveState(TVxSDFWriter& writer)
{
    writer.BeginNode(1, StateIdentifier);
    writer.WriteString(1, UpdateAddress);
    writer.WriteString(2, ProductPage);
    writer.WriteString(3, FHelpFileSetting.wstring());
    writer.WriteInteger(4, static_cast<std::int32_t>(UpdateLimits.StepTimeoutMs));
    writer.WriteInteger(5, static_cast<std::int32_t>(UpdateLimits.TotalTimeoutMs));
    writer.EndNode();
}
