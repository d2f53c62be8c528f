#include "tools/VxOriginalImageTool.h"

#include <commctrl.h>

#include "app/VxMainForm.h"
#include "view/VxGraphicsEditor.h"
#include "view/VxViewCanvas.h"

TVxOriginalImageTool* OriginalImageTool = nullptr;

TVxOriginalImageTool::TVxOriginalImageTool(TVxComponent* owner, IVxGraphicsToolHost& host)
    : TVxGraphicsTool(owner, host)
{
    SetCommandName(L"OriginalImage");
    SetAvailableInPluginMode(true);
    SetControlClass([](TVxGraphicsTool& tool, TVxGraphicsView& view) -> TVxGraphicsToolControl& {
        return TVxGraphicsToolControl::Create<TVxOriginalImageToolControl>(tool, view);
    });
    // The button acts while it is held, which the idle pass watches; its click does nothing
    // more.
    Command = &MainForm->Commands.Add(L"ORIGINALIMAGE", {2100, L"Original"}, -1, {},
                                      TVxMethod<>::Bind<&TVxOriginalImageTool::ButtonClick>(this));
    if (GraphicsEditor && GraphicsEditor->StandardToolbar) {
        OriginalImageToolButton = &MainForm->AddToolbarItem(*Command, *GraphicsEditor->StandardToolbar);
        OriginalImageToolButton->SetShowCaption(true);
    }
}

TVxOriginalImageTool::~TVxOriginalImageTool()
{
    if (OriginalImageTool == this)
        OriginalImageTool = nullptr;
}

bool TVxOriginalImageTool::ButtonPushed() const
{
    if (!OriginalImageToolButton || !GraphicsEditor)
        return false;
    HWND toolbar = GraphicsEditor->StandardToolbar->Handle();
    return SendMessageW(toolbar, TB_ISBUTTONPRESSED, OriginalImageToolButton->Command(), 0) != 0 &&
           GetKeyState(VK_LBUTTON) < 0;
}

void TVxOriginalImageTool::UpdateControls()
{
    const bool document = GraphicsEditor && GraphicsEditor->ActiveGraphicsDocument();
    Command->SetEnabled(document);
    Command->SetChecked(Held());
    const bool pushed = document && ButtonPushed();
    if (pushed && !Held()) {
        Hold();
        FHeldByButton = true;
    } else if (!pushed && FHeldByButton) {
        FHeldByButton = false;
        Release();
    }
}

void TVxOriginalImageTool::Hold()
{
    if (Held())
        return;
    FPreviousTool = Host().ActiveTool();
    Host().SetActiveTool(this);
}

void TVxOriginalImageTool::Release()
{
    if (!Held())
        return;
    TVxGraphicsTool* previous = FPreviousTool;
    FPreviousTool = nullptr;
    Host().SetActiveTool(previous);
}

// ---------------------------------------------------------------- TVxOriginalImageToolControl

void TVxOriginalImageToolControl::DrawFill(TVxViewCanvas& canvas)
{
    TVxGraphicsDocument& document = View().Document();
    TVxLTBitmap& original = document.OriginalImage();
    if (original.IsEmpty())
        return;
    // The original copy follows turns and crops, but a resize of the picture alone leaves
    // it at its own size: it is shown over the picture's place.
    const TRect window = canvas.Mapping().LogicalToDeviceRect(document.Image().GetBounds());
    original.Paint(canvas.DC(), window, original.GetBounds(), canvas.ClipBox());
    canvas.ExcludeClip(window);
}

bool TVxOriginalImageToolControl::KeyDown(WORD key, TVxShiftState)
{
    if (key != OriginalImageKey || !View().Document().ImagePixels())
        return false;
    static_cast<TVxOriginalImageTool&>(Tool()).Hold();
    return true;
}

bool TVxOriginalImageToolControl::KeyUp(WORD key, TVxShiftState)
{
    if (key != OriginalImageKey || !Active())
        return false;
    static_cast<TVxOriginalImageTool&>(Tool()).Release();
    return true;
}

void TVxOriginalImageToolControl::Activate()
{
    Bounds = View().Document().Image().GetBounds();
    Flags = vofVisible | vofFill | vofNoExtent;
    TVxGraphicsToolControl::Activate();
}

void TVxOriginalImageToolControl::Deactivate()
{
    TVxGraphicsToolControl::Deactivate();
    Flags = vofNoExtent;
}
