#include "view/VxGraphicDocumentView.h"

#include "view/VxViewCanvas.h"

TVxGraphicDocumentView::TVxGraphicDocumentView(TVxGraphicsDocument& document) : FDocument(document)
{
    Flags = vofVisible | vofFill | vofPainted;
    PictureChanged();
}

void TVxGraphicDocumentView::PictureChanged()
{
    SetBounds(FDocument.Image().GetBounds());
}

void TVxGraphicDocumentView::DrawFill(TVxViewCanvas& canvas)
{
    TRect area;
    FDocument.GetWorkArea(area);
    if (area.IsEmpty())
        return;
    const TRect window = canvas.Mapping().LogicalToDeviceRect(area);
    FDocument.Image().Paint(canvas.DC(), window, area, canvas.ClipBox());
    canvas.ExcludeClip(window);
}
