#pragma once
// The undo step of a crop: the pictures and the working area as they were before it.
//
//   PerformCrop(tool, document, view, rect);   // one step in document.History()
#include <memory>

#include "view/VxToolFramework.h"

class TVxCropCommandState : public TVxCustomGraphicsCommandState {
public:
    // Snapshots the picture and the original-image copy; throws std::bad_alloc when their
    // memory cannot be had.
    TVxCropCommandState(IVxEditingTool* tool, const TRect& rect, TVxGraphicsDocument& document);
    void Undo() override;
    void Redo() override;

    const TRect& WorkArea() const { return FWorkArea; }

private:
    TRect FWorkArea;
    TVxPixelBuffer FImage;
    TVxPixelBuffer FOriginal;
    bool FHasOriginal = false;
};

// The proportional crop tool's step; it behaves as the plain one's.
class TVxCrop2PlusCommandState : public TVxCropCommandState {
public:
    using TVxCropCommandState::TVxCropCommandState;
};

// Crops the document to rect as one change of tool and one undo step. A rectangle that
// does not meet the picture cuts nothing and records nothing (the redo steps and the
// clean state stay as they were). Out of memory, the editor says so and the document is
// left as it was. True when the picture was cropped.
template <typename TState = TVxCropCommandState>
bool PerformCrop(TVxGraphicsToolBase& tool, TVxGraphicsDocument& document, TVxGraphicsDocumentView* view,
                 const TRect& rect);

bool PerformCropWith(TVxGraphicsToolBase& tool, TVxGraphicsDocument& document, TVxGraphicsDocumentView* view,
                     const TRect& rect,
                     std::unique_ptr<TVxCropCommandState> (*makeState)(TVxGraphicsToolBase&, const TRect&,
                                                                       TVxGraphicsDocument&));

template <typename TState>
bool PerformCrop(TVxGraphicsToolBase& tool, TVxGraphicsDocument& document, TVxGraphicsDocumentView* view,
                 const TRect& rect)
{
    return PerformCropWith(
        tool, document, view, rect,
        [](TVxGraphicsToolBase& t, const TRect& r, TVxGraphicsDocument& d) -> std::unique_ptr<TVxCropCommandState> {
            return std::make_unique<TState>(&t, r, d);
        });
}
