#pragma once
// What every graphics tool shares apart from its windows: the change protocol that turns
// an edit of the picture into one undo step, the tool's availability, and the editor's
// choice of the active tool. The platform's tool module (TVxGraphicsTool) derives from
// TVxGraphicsToolBase, so these rules run and are tested without a window.
//
//   tool.BeginChange(document, view);          // another tool's open change is committed
//   DrawStroke(*document.ImagePixels());
//   document.AddChangedRect(strokeRect, false);
//   tool.EndChange();                          // one TVxGraphicsCommandState in History()
#include <cstdint>
#include <memory>
#include <string>

#include "editor/VxGraphicsDocument.h"
#include "imaging/VxBitmap.h"

class TVxGraphicsToolBase;

// Tells every tool of a state created, undone or redone.
class IVxToolNotifier {
public:
    virtual void StateRestored(TVxGraphicsDocument& document, IVxEditingTool* tool, const TRect& rect) = 0;

protected:
    ~IVxToolNotifier() = default;
};

class TVxGraphicsToolBase : public IVxEditingTool {
public:
    TVxGraphicsToolBase() = default;
    TVxGraphicsToolBase(const TVxGraphicsToolBase&) = delete;
    TVxGraphicsToolBase& operator=(const TVxGraphicsToolBase&) = delete;
    virtual ~TVxGraphicsToolBase() = default;

    // The change protocol.
    virtual void BeginChange(TVxGraphicsDocument& document, TVxGraphicsDocumentView* view);
    virtual void CommitChange();
    void EndChange() override;
    virtual void CancelChange();

    virtual void Activate() { FActive = true; }
    virtual void Deactivate() { FActive = false; }
    virtual void SetAvailable(bool value) { FAvailable = value; }
    // In plug-in mode every tool takes its plug-in availability.
    virtual void DocumentOpened(TVxGraphicsDocument&, bool pluginMode);
    virtual void DocumentClosing(TVxGraphicsDocument&) {}
    virtual void DocumentSaving(TVxGraphicsDocument&) {}
    virtual void BeforeUndo(TVxCommandState*) {}
    virtual void BeforeRedo(TVxCommandState*) {}
    virtual void AfterUndo(TVxCommandState*) {}
    virtual void AfterRedo(TVxCommandState*) {}
    virtual void StateRestored(TVxGraphicsDocument&, IVxEditingTool*, const TRect&) {}
    virtual void ResetInputs() {}
    virtual void AbortOperation() {}

    bool Active() const { return FActive; }
    bool Available() const { return FAvailable; }
    bool AvailableInPluginMode() const { return FAvailableInPluginMode; }
    bool Exclusive() const { return FExclusive; }
    const std::wstring& CommandName() const { return FCommandName; }
    TVxGraphicsDocument* ChangeDocument() const { return FDocument; }
    TVxGraphicsDocumentView* ChangeView() const { return FView; }

protected:
    void SetAvailableInPluginMode(bool value) { FAvailableInPluginMode = value; }
    void SetExclusive(bool value) { FExclusive = value; }
    void SetCommandName(std::wstring name) { FCommandName = std::move(name); }

private:
    void BringBackupUpToDate(TVxGraphicsDocument& document);
    void TakeBackChange(TVxGraphicsDocument& document);
    void ForgetChange();

    TVxGraphicsDocumentView* FView = nullptr;
    TVxGraphicsDocument* FDocument = nullptr;
    std::wstring FCommandName;
    bool FActive = false;
    bool FAvailable = true;
    bool FAvailableInPluginMode = false;
    bool FExclusive = false;
};

// A change made by a tool; whole-picture operations derive their own states from it.
class TVxCustomGraphicsCommandState : public TVxCommandState {
public:
    TVxCustomGraphicsCommandState(IVxEditingTool* tool, const TRect& rect, TVxGraphicsDocument& document);
    void Undo() override;
    void Redo() override;

    IVxEditingTool* Tool() const { return FTool; }
    TVxGraphicsDocument& Document() const { return FDocument; }
    const TRect& Rect() const { return FRect; }

protected:
    void BroadcastStateRestored() { FDocument.StateRestored(FTool, FRect); }

private:
    IVxEditingTool* FTool;
    TVxGraphicsDocument& FDocument;
    TRect FRect;
};

// The pixels of the changed rectangle before and after; memory is twice its area.
class TVxGraphicsCommandState : public TVxCustomGraphicsCommandState {
public:
    TVxGraphicsCommandState(IVxEditingTool* tool, const TRect& rect, TVxGraphicsDocument& document);
    void Undo() override;
    void Redo() override;

    const TVxPixelBuffer& Before() const { return FBefore; }
    const TVxPixelBuffer& After() const { return FAfter; }

private:
    void Restore(const TVxPixelBuffer& pixels);

    TVxPixelBuffer FBefore;
    TVxPixelBuffer FAfter;
};

// The editor's choice of the active tool and who may begin an edit.
class TVxToolSwitch {
public:
    // Deactivates the current tool, remembers it as PreviousTool and activates the new one.
    void SetActiveTool(TVxGraphicsToolBase* tool);
    TVxGraphicsToolBase* ActiveTool() const { return FActiveTool; }
    TVxGraphicsToolBase* PreviousTool() const { return FPreviousTool; }

    void LockTools() { FToolsLocked = true; }
    void UnlockTools() { FToolsLocked = false; }
    bool ToolsLocked() const { return FToolsLocked; }

    // False without a document, for any tool but the active one while the tools are
    // locked, and while another tool with the exclusive flag has an edit in progress.
    bool CanStartEdit(const TVxGraphicsToolBase* tool, const TVxGraphicsDocument* document) const;

private:
    TVxGraphicsToolBase* FActiveTool = nullptr;
    TVxGraphicsToolBase* FPreviousTool = nullptr;
    bool FToolsLocked = false;
};
