#pragma once
// File > Print: the print dialog for the current picture, or, without a printer, the
// offer to add one.
#include "app/VxCommand.h"
#include "app/VxMainForm.h"
#include "app/VxModule.h"

class TVxGraphicsPrintModule : public TVxModuleWithControls {
public:
    TVxGraphicsPrintModule(TVxComponent* owner, TMainForm& form);

    TVxMenuItem* PrintMenuItem = nullptr;

    void UpdateControls() override;
    void PrintCommand();

private:
    void OfferToAddPrinter();

    TVxCommand* FPrint;
};

extern TVxGraphicsPrintModule* GraphicsPrintModule;
