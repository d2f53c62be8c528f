#include "help/VxAbout.h"

#include "help/VxProductInfo.h"

TVxAbout* About = nullptr;

TVxAbout::TVxAbout(TVxComponent* owner, TMainForm& form) : TVxModuleWithControls(owner)
{
    Info.Version = VxProductVersion;
    FAbout = &form.Commands.Add(L"ABOUT", {47, L"About"}, -1, {}, TVxMethod<>::Bind<&TVxAbout::ShowAboutBox>(this));
    FAbout->OpensDialog = true;
    form.AddSeparator(form.HelpMenuItem, nullptr);
    AboutMenuItem = &form.AddMenuItem(*FAbout, nullptr, form.HelpMenuItem);
}

void TVxAbout::ShowAboutBox()
{
    TVxAboutForm form(Application->MainWindow(), Info);
    form.ShowModal();
}
