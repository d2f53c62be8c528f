#include "twain/VxTwainModule.h"

#include "i18n/VxLocalizer.h"
#include "view/VxGraphicsEditor.h"

TVxTwainModule* TwainModule = nullptr;

TVxTwainModule::TVxTwainModule(TVxComponent* owner, TMainForm& form) : TVxModuleWithControls(owner)
{
    FSelectSource = &form.Commands.Add(L"TWAINSELECT", {102, L"Select Source..."}, -1, {},
                                       TVxMethod<>::Bind<&TVxTwainModule::SelectSourceCommand>(this));
    FAcquire = &form.Commands.Add(L"TWAINACQUIRE", {101, L"Acquire..."}, -1, {}, TVxMethod<>::Bind<&TVxTwainModule::AcquireCommand>(this));
    SelectTwainSourceMenuItem = &form.AddMenuItem(*FSelectSource, form.FileMenuSeparator, form.FileMenuItem);
    AcquireMenuItem = &form.AddMenuItem(*FAcquire, form.FileMenuSeparator, form.FileMenuItem);
    ImportSubmenu = &form.AddSubmenu(L"Import", form.FileMenuItem, form.FileMenuSeparator);
}

void TVxTwainModule::Localize()
{
    ImportSubmenu->SetCaption(Localizer().GetString(17, L"Import"));
}

void TVxTwainModule::Started()
{
    RefreshSources();
}

void TVxTwainModule::UpdateControls()
{
    // While a picture is acquired both ways in are closed.
    const bool ready = FTwain.Available() && !FTwain.Busy() && GraphicsEditor && !GraphicsEditor->PluginMode();
    FSelectSource->SetEnabled(ready);
    FAcquire->SetEnabled(ready);
    FSelectSource->SetVisible(TwainMenus);
    FAcquire->SetVisible(TwainMenus);
    ImportSubmenu->SetVisible(!TwainMenus);
    ImportSubmenu->SetEnabled(ready && !FSourceNames.empty());
}

void TVxTwainModule::RefreshSources()
{
    FSourceNames = FTwain.Available() ? FTwain.SourceNames(Application->MainWindow()) : std::vector<std::wstring>{};
    while (FSourceItems.size() < FSourceNames.size()) {
        TVxMenuItem& item = MainForm->AddMenuItem(L"", {}, nullptr, ImportSubmenu, -1,
                                                  TVxMenuItem::TClick::Bind<&TVxTwainModule::SourceItemClick>(this));
        item.Tag = static_cast<std::intptr_t>(FSourceItems.size());
        FSourceItems.push_back(&item);
    }
    for (std::size_t i = 0; i < FSourceItems.size(); ++i) {
        const bool used = i < FSourceNames.size();
        FSourceItems[i]->SetVisible(used);
        if (used)
            FSourceItems[i]->SetCaption(FSourceNames[i]);
    }
}

void TVxTwainModule::SelectSourceCommand()
{
    FTwain.SelectSource(Application->MainWindow());
}

void TVxTwainModule::AcquireCommand()
{
    AcquireFrom(L"");
}

void TVxTwainModule::SourceItemClick(TVxMenuItem* item)
{
    const auto index = static_cast<std::size_t>(item->Tag);
    if (index < FSourceNames.size())
        AcquireFrom(FSourceNames[index]);
}

// The source writes a temporary BMP, which opens as a new untitled document and goes.
void TVxTwainModule::AcquireFrom(const std::wstring& sourceName)
{
    wchar_t folder[MAX_PATH + 1] = {};
    wchar_t name[MAX_PATH + 1] = {};
    if (!GetTempPathW(MAX_PATH + 1, folder) || !GetTempFileNameW(folder, L"~vx", 0, name))
        return;
    std::filesystem::path file = std::filesystem::path(name).replace_extension(L".bmp");
    DeleteFileW(name);
    if (FTwain.Acquire(Application->MainWindow(), sourceName, file) && GraphicsEditor) {
        TVxDocument* document = nullptr;
        if (GraphicsEditor->Open(file, document, false) && document) {
            document->SetFileName({});
            document->Modified();
        }
    }
    DeleteFileW(file.c_str());
}
