#pragma once
// The picture layer of a graphics view: the bottom view object, opaque, as large as the
// picture. It paints the working area (or the whole picture) and cuts what it painted
// out of the clip region, so the background never paints under the picture. Below 1/1 it
// paints from a reduced copy of the whole picture, kept up to date through PixelsChanged.
#include "editor/VxGraphicsDocument.h"
#include "view/VxReducedCopy.h"
#include "view/VxViewObject.h"

class TVxGraphicDocumentView : public TVxViewObject {
public:
    explicit TVxGraphicDocumentView(TVxGraphicsDocument& document);

    void DrawFill(TVxViewCanvas& canvas) override;
    // Bounds follow the picture's size; the zoom may have changed too.
    void PictureChanged();
    // Pixels of the picture changed inside rect (picture coordinates).
    void PixelsChanged(const TRect& rect) { FReduced.Invalidate(rect); }
    const TVxReducedCopy& ReducedCopy() const { return FReduced; }

    TVxGraphicsDocument& Document() const { return FDocument; }

private:
    // Paints the whole picture from the reduced copy; false when there is none to use.
    bool PaintReduced(TVxViewCanvas& canvas, const TRect& window);

    TVxGraphicsDocument& FDocument;
    TVxReducedCopy FReduced;
};
