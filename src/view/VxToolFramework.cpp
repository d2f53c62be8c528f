#include "view/VxToolFramework.h"

#include <new>

namespace {

// Copies the overlap of source and rect into target, both placed in image coordinates.
void CopyInside(TVxPixels& target, const TVxPixels& source, const TRect& rect)
{
    const TRect overlap = IntersectRect(IntersectRect(rect, source.GetBounds()), target.GetBounds());
    if (!overlap.IsEmpty())
        target.CopyRect(overlap.Left, overlap.Top, source, overlap);
}

} // namespace

void TVxGraphicsToolBase::BeginChange(TVxGraphicsDocument& document, TVxGraphicsDocumentView* view)
{
    // The document first lets the tool that began the previous change commit it.
    document.BeginChange(this);
    FDocument = &document;
    FView = view;
}

void TVxGraphicsToolBase::CommitChange()
{
    if (!FDocument || FDocument->ChangedRect().IsEmpty() || !FDocument->ImagePixels())
        return;
    TVxGraphicsDocument& document = *FDocument;
    try {
        document.History().Add(std::make_unique<TVxGraphicsCommandState>(this, document.ChangedRect(), document));
    } catch (const std::bad_alloc&) {
        // A change that cannot be undone is not kept: the picture goes back to the backup,
        // which still holds it as it was before the change.
        TakeBackChange(document);
        document.Editor().ReportOutOfMemory();
        return;
    }
    BringBackupUpToDate(document);
}

void TVxGraphicsToolBase::TakeBackChange(TVxGraphicsDocument& document)
{
    const TRect changed = document.ChangedRect();
    CopyInside(*document.ImagePixels(), document.Backup(), changed);
    if (FView)
        FView->InvalidateImageRect(changed);
}

void TVxGraphicsToolBase::BringBackupUpToDate(TVxGraphicsDocument& document)
{
    const TVxPixels& image = *document.ImagePixels();
    TVxPixelBuffer& backup = document.Backup();
    if (backup.GetBounds() == image.GetBounds() && backup.Format() == image.Format())
        CopyInside(backup, image, document.ChangedRect());
    else
        backup.Assign(image);
}

void TVxGraphicsToolBase::EndChange()
{
    if (FDocument) {
        TVxGraphicsDocument& document = *FDocument;
        CommitChange();
        // When another tool began a change, the document is the caller and has already
        // closed the edit.
        if (document.EditInProgress())
            document.EndChange(this);
    }
    ForgetChange();
}

void TVxGraphicsToolBase::CancelChange()
{
    if (!FDocument || !FDocument->EditInProgress())
        return;
    TVxGraphicsDocument& document = *FDocument;
    if (TVxPixels* image = document.ImagePixels()) {
        CopyInside(*image, document.Backup(), image->GetBounds());
        if (FView)
            FView->InvalidateImageRect(image->GetBounds());
    }
    document.ResetChange();
    ForgetChange();
}

void TVxGraphicsToolBase::ForgetChange()
{
    FDocument = nullptr;
    FView = nullptr;
}

void TVxGraphicsToolBase::DocumentOpened(TVxGraphicsDocument&, bool pluginMode)
{
    if (pluginMode)
        SetAvailable(FAvailableInPluginMode);
}

TVxCustomGraphicsCommandState::TVxCustomGraphicsCommandState(IVxEditingTool* tool, const TRect& rect,
                                                             TVxGraphicsDocument& document)
    : FTool(tool), FDocument(document), FRect(rect)
{
    BroadcastStateRestored();
}

void TVxCustomGraphicsCommandState::Undo() { BroadcastStateRestored(); }
void TVxCustomGraphicsCommandState::Redo() { BroadcastStateRestored(); }

TVxGraphicsCommandState::TVxGraphicsCommandState(IVxEditingTool* tool, const TRect& rect, TVxGraphicsDocument& document)
    : TVxCustomGraphicsCommandState(tool, rect, document)
{
    const TVxPixels& image = *document.ImagePixels();
    FBefore.SetFormatAndBounds(document.Backup().Format() ? document.Backup().Format() : image.Format(), rect);
    CopyInside(FBefore, document.Backup(), rect);
    FAfter.SetFormatAndBounds(image.Format(), rect);
    CopyInside(FAfter, image, rect);
    document.SetClean(false);
}

void TVxGraphicsCommandState::Restore(const TVxPixelBuffer& pixels)
{
    TVxGraphicsDocument& document = Document();
    TVxPixels* image = document.ImagePixels();
    if (!image)
        return;
    CopyInside(*image, pixels, pixels.GetBounds());
    document.InvalidateImageRect(pixels.GetBounds());
    CopyInside(document.Backup(), *image, image->GetBounds());
    BroadcastStateRestored();
}

void TVxGraphicsCommandState::Undo() { Restore(FBefore); }

void TVxGraphicsCommandState::Redo()
{
    Restore(FAfter);
    Document().SetClean(false);
}

void TVxToolSwitch::SetActiveTool(TVxGraphicsToolBase* tool)
{
    if (FActiveTool)
        FActiveTool->Deactivate();
    FPreviousTool = FActiveTool;
    if (tool)
        tool->Activate();
    FActiveTool = tool;
}

bool TVxToolSwitch::CanStartEdit(const TVxGraphicsToolBase* tool, const TVxGraphicsDocument* document) const
{
    if (!document)
        return false;
    if (FToolsLocked && tool != FActiveTool)
        return false;
    if (document->EditInProgress() && document->EditingTool() != tool) {
        const auto* editing = dynamic_cast<const TVxGraphicsToolBase*>(document->EditingTool());
        if (editing && editing->Exclusive())
            return false;
    }
    return true;
}
