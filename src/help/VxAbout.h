#pragma once
// The Help menu's About item and the box it opens.
#include "app/VxCommand.h"
#include "app/VxMainForm.h"
#include "app/VxModule.h"
#include "help/VxAboutForm.h"

class TVxAbout : public TVxModuleWithControls {
public:
    TVxAbout(TVxComponent* owner, TMainForm& form);

    // Set by the program root at start-up.
    TVxAboutInfo Info{L"Velloria", L"", L"https://velloria.example/", L"https://velloria.example/support/"};
    TVxMenuItem* AboutMenuItem = nullptr;

    void ShowAboutBox();

private:
    TVxCommand* FAbout;
};

extern TVxAbout* About;
