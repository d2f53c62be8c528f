#include "tools/VxCropCommandState.h"

#include <new>

#include "tools/VxCropGeometry.h"

TVxCropCommandState::TVxCropCommandState(IVxEditingTool* tool, const TRect& rect, TVxGraphicsDocument& document)
    : TVxCustomGraphicsCommandState(tool, rect, document)
{
    document.GetWorkArea(FWorkArea);
    if (!document.HasWorkArea())
        FWorkArea = TRect{};
    FHasOriginal = !document.OriginalImage().IsEmpty();
    if (!document.GetPictures(FImage, FHasOriginal ? &FOriginal : nullptr))
        throw std::bad_alloc();
}

void TVxCropCommandState::Undo()
{
    TVxGraphicsDocument& document = Document();
    if (!document.SetPictures(FImage, FHasOriginal ? &FOriginal : nullptr)) {
        document.Editor().ReportOutOfMemory();
        return;
    }
    if (FWorkArea.IsEmpty())
        document.ClearWorkArea();
    else
        document.SetWorkArea(FWorkArea);
    BroadcastStateRestored();
}

void TVxCropCommandState::Redo()
{
    TVxGraphicsDocument& document = Document();
    if (!document.Crop(Rect())) {
        document.Editor().ReportOutOfMemory();
        return;
    }
    document.SetClean(false);
    BroadcastStateRestored();
}

bool PerformCropWith(TVxGraphicsToolBase& tool, TVxGraphicsDocument& document, TVxGraphicsDocumentView* view,
                     const TRect& rect,
                     std::unique_ptr<TVxCropCommandState> (*makeState)(TVxGraphicsToolBase&, const TRect&,
                                                                       TVxGraphicsDocument&))
{
    const TVxPixels* image = document.ImagePixels();
    if (!image || !CropMeetsPicture(rect, image->GetBounds()))
        return false;
    tool.BeginChange(document, view);
    std::unique_ptr<TVxCropCommandState> state;
    try {
        state = makeState(tool, rect, document);
    } catch (const std::bad_alloc&) {
        tool.CancelChange();
        document.Editor().ReportOutOfMemory();
        return false;
    }
    if (!document.Crop(rect)) {
        tool.CancelChange();
        document.Editor().ReportOutOfMemory();
        return false;
    }
    document.History().Add(std::move(state));
    document.SetClean(false);
    tool.EndChange();
    return true;
}
