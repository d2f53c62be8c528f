#include "app/VxModule.h"

#include "i18n/VxLocalizer.h"

TVxModule::~TVxModule()
{
    Localizer().UnregisterListener(TVxMethod<>::Bind<&TVxModule::Localize>(this));
}

void TVxModule::Initialize()
{
    Localizer().RegisterListener(TVxMethod<>::Bind<&TVxModule::Localize>(this));
}

TVxModuleWithControls::~TVxModuleWithControls()
{
    if (Application)
        Application->RemoveIdleHandler(TVxMethod<>::Bind<&TVxModuleWithControls::UpdateControls>(this));
}

void TVxModuleWithControls::Initialize()
{
    TVxModule::Initialize();
    Application->AddIdleHandler(TVxMethod<>::Bind<&TVxModuleWithControls::UpdateControls>(this));
}
