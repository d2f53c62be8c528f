#pragma once
// The picture layer of a graphics view: the bottom view object, opaque, as large as the
// picture. It paints the working area (or the whole picture) and cuts what it painted
// out of the clip region, so the background never paints under the picture.
#include "editor/VxGraphicsDocument.h"
#include "view/VxViewObject.h"

class TVxGraphicDocumentView : public TVxViewObject {
public:
    explicit TVxGraphicDocumentView(TVxGraphicsDocument& document);

    void DrawFill(TVxViewCanvas& canvas) override;
    // Bounds follow the picture's size.
    void PictureChanged();

    TVxGraphicsDocument& Document() const { return FDocument; }

private:
    TVxGraphicsDocument& FDocument;
};
