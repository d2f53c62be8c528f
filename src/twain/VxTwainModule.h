#pragma once
// File > Import: one item per TWAIN source, each acquiring a picture that opens as a new
// untitled document; Select Source and Acquire items for the TwainMenus layout.
#include <memory>
#include <vector>

#include "app/VxCommand.h"
#include "app/VxMainForm.h"
#include "app/VxModule.h"
#include "twain/VxTwain.h"

class TVxTwainModule : public TVxModuleWithControls {
public:
    TVxTwainModule(TVxComponent* owner, TMainForm& form);

    // Select Source and Acquire in the File menu instead of the Import submenu.
    bool TwainMenus = false;
    TVxMenuItem* ImportSubmenu = nullptr;
    TVxMenuItem* SelectTwainSourceMenuItem = nullptr;
    TVxMenuItem* AcquireMenuItem = nullptr;

    void Localize() override;
    void UpdateControls() override;
    void Started() override;
    void SelectSourceCommand();
    void AcquireCommand();
    // Fills the Import submenu with the sources the manager lists now.
    void RefreshSources();

private:
    void SourceItemClick(TVxMenuItem* item);
    void AcquireFrom(const std::wstring& sourceName);

    TVxTwain FTwain;
    TVxCommand* FSelectSource;
    TVxCommand* FAcquire;
    std::vector<std::wstring> FSourceNames;
    std::vector<TVxMenuItem*> FSourceItems;
};

extern TVxTwainModule* TwainModule;
