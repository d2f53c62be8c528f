#include "view/VxGraphicDocumentView.h"

#include <new>

#include "view/VxViewCanvas.h"

TVxGraphicDocumentView::TVxGraphicDocumentView(TVxGraphicsDocument& document) : FDocument(document)
{
    Flags = vofVisible | vofFill | vofPainted;
    PictureChanged();
}

void TVxGraphicDocumentView::PictureChanged()
{
    SetBounds(FDocument.Image().GetBounds());
    FReduced.Clear();
}

void TVxGraphicDocumentView::DrawFill(TVxViewCanvas& canvas)
{
    TRect area;
    FDocument.GetWorkArea(area);
    if (area.IsEmpty())
        return;
    const TRect window = canvas.Mapping().LogicalToDeviceRect(area);
    // A working area is shown stretched on its own; the copy holds the whole picture.
    if (FDocument.HasWorkArea() || !PaintReduced(canvas, window))
        FDocument.Image().Paint(canvas.DC(), window, area, canvas.ClipBox());
    canvas.ExcludeClip(window);
}

bool TVxGraphicDocumentView::PaintReduced(TVxViewCanvas& canvas, const TRect& window)
{
    const TVxPixels* picture = FDocument.ImagePixels();
    IVxBitmapDevice* device = BitmapDevice();
    if (!picture || !device)
        return false;
    const TVxPixels* copy = nullptr;
    try {
        copy = FReduced.Get(*picture, TSize{window.Width(), window.Height()});
    } catch (const std::bad_alloc&) {
        FReduced.Clear(); // painting from the picture itself needs no more memory
    }
    if (!copy)
        return false;
    // The copy's pixel (x, y) is the window's (window.Left + x, window.Top + y): shifting
    // the reduction by whole pixels changes none of its values.
    return device->Paint(canvas.DC(), *copy, window, TRect{0, 0, window.Width(), window.Height()}, canvas.ClipBox());
}
