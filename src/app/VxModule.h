#pragma once
// Non-visual modules owned by the application: the editor, the tools, services.
//
//   class TVxAbout : public TVxModuleWithControls {
//       void Localize() override { FMenuItem->SetCaption(Localizer().GetString(47, L"About")); }
//       void UpdateControls() override { FMenuItem->SetEnabled(true); }
//   };
#include "app/VxForms.h"

class TVxModule : public TVxComponent, public IVxModule {
public:
    explicit TVxModule(TVxComponent* owner) : TVxComponent(owner) {}
    ~TVxModule() override;

    virtual void Localize() {}
    void LoadState(TVxSDFReader&) override {}
    void SaveState(TVxSDFWriter&) override {}
    // Registers Localize with the localizer, which calls it once at once.
    void Initialize() override;
    void Started() override {}
};

class TVxModuleWithControls : public TVxModule {
public:
    using TVxModule::TVxModule;
    ~TVxModuleWithControls() override;

    virtual void UpdateControls() {}
    // Also adds UpdateControls to the idle handlers.
    void Initialize() override;
};
