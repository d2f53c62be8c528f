#pragma once
// The editor as the program's module: the portable editor's rules (VxEditor) joined to
// the main window. TVxEditorModule creates the main window, the File and Edit menus, the
// standard toolbar and the recent-files items; TVxGraphicsEditor adds the graphics view,
// the zoom commands, folder browsing, the status-bar panels, the hand tool and the
// plug-in mode with OK and Cancel.
//
//   Application->CreateModule(GraphicsEditor, *MainForm);   // menus, toolbar, hand tool
//   GraphicsEditor->Open(path, document, true);
#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "imaging/VxBitmapDeviceWin32.h"
#include "app/VxMainForm.h"
#include "app/VxModule.h"
#include "editor/VxEditorWin32UI.h"
#include "editor/VxGdiplusCodec.h"
#include "editor/VxGraphicsFormats.h"
#include "editor/VxJPEGOptionsForm.h"
#include "view/VxFolderImages.h"
#include "view/VxGraphicsView.h"
#include "view/VxToolFramework.h"

class TVxEditorModule;
class TVxScrollTool;

// The editor's questions answered with the main window's dialogs; the rest goes back to
// the module, which owns the menus.
class TVxEditorModuleUI : public TVxEditorWin32UI {
public:
    TVxEditorModuleUI(TVxEditorModule& module, TMainForm& form);

    std::wstring ApplicationTitle() const override;
    TVxButton ShowMessage(const std::wstring& text, TVxMessageKind kind) override;
    std::optional<std::filesystem::path> RunOpenDialog(const TVxFileFormatArray& formats) override;
    std::optional<TVxSaveChoice> RunSaveDialog(const TVxFileFormatArray& formats, const std::filesystem::path& fileName,
                                               std::int32_t filterIndex) override;
    void RecentFilesChanged(const std::vector<std::filesystem::path>& files) override;
    void AttachView(TVxDocumentView& view) override;
    void PluginModeEntered() override;
    void SetExitCode(std::int32_t code) override;

private:
    TVxEditorModule& FModule;
};

// The portable editor keeps a reference to its dialogs, so they must be built first; a
// base is constructed before the bases after it, a member only after all of them.
class TVxEditorModuleUIBase {
protected:
    TVxEditorModuleUIBase(TVxEditorModule& module, TMainForm& form) : FModuleUI(module, form) {}
    TVxEditorModuleUI FModuleUI;
};

class TVxEditorModule : public TVxModuleWithControls, protected TVxEditorModuleUIBase, public TVxEditor {
public:
    static constexpr TVxGuid ModuleStateIdentifier{0xC0F4C248, 0x34D7, 0x4014, {0x81, 0x16, 0x24, 0xBE, 0xE9, 0xAB, 0x5C, 0x30}};

    TVxEditorModule(TVxComponent* owner, TMainForm& form);
    ~TVxEditorModule() override;

    void Localize() override;
    void UpdateControls() override;
    void LoadState(TVxSDFReader& reader) override;
    void SaveState(TVxSDFWriter& writer) override;
    void Initialize() override;
    void Started() override;

    virtual void RecentFilesChanged();
    virtual void AttachViewWindow(TVxDocumentView& view);
    virtual void PluginModeEntered();

    TVxMenuItem* OpenMenuItem = nullptr;
    TVxMenuItem* SaveMenuItem = nullptr;
    TVxMenuItem* SaveAsMenuItem = nullptr;
    TVxMenuItem* CloseMenuItem = nullptr;
    TVxMenuItem* EditMenuItem = nullptr;
    TVxMenuItem* UndoMenuItem = nullptr;
    TVxMenuItem* RedoMenuItem = nullptr;
    TVxMenuItem* UndoAllMenuItem = nullptr;
    TVxMenuItem* RedoAllMenuItem = nullptr;
    TVxMenuItem* RecentFilesMenuSeparator = nullptr;
    TVxToolbar* StandardToolbar = nullptr;
    TVxToolbarItem* OpenToolButton = nullptr;
    TVxToolbarItem* SaveToolButton = nullptr;
    TVxToolbarItem* UndoToolButton = nullptr;
    TVxToolbarItem* RedoToolButton = nullptr;
    TVxToolbarSeparator* EditToolbarSeparator = nullptr;
    const std::vector<TVxMenuItem*>& RecentFileItems() const { return FRecentItems; }
    // A separator on the standard toolbar, at its end or before an item.
    TVxToolbarSeparator& AppendToolbarSeparator(const TVxToolbarItem* before = nullptr);

private:
    void CreateCommands(TVxCommandList& commands);
    void RecentItemClick(TVxMenuItem* item);
    void TitleChanged(TVxApplication*) { UpdateCaption(); }
    void MainFormCloseQuery(bool& canClose) { CloseQuery(canClose); }

    std::vector<TVxMenuItem*> FRecentItems;
    TVxCommand* FOpen = nullptr;
    TVxCommand* FSave = nullptr;
    TVxCommand* FSaveAs = nullptr;
    TVxCommand* FClose = nullptr;
    TVxCommand* FUndo = nullptr;
    TVxCommand* FUndoAll = nullptr;
    TVxCommand* FRedo = nullptr;
    TVxCommand* FRedoAll = nullptr;
};

class TVxGraphicsEditor : public TVxEditorModule, public IVxGraphicsToolHost, public IVxGraphicsToolBroadcast {
public:
    static constexpr TVxGuid GraphicsStateIdentifier{0xE1195915, 0xFFAE, 0x4A56, {0xB3, 0x31, 0xF4, 0x56, 0x73, 0x36, 0xFF, 0x25}};

    TVxGraphicsEditor(TVxComponent* owner, TMainForm& form);
    ~TVxGraphicsEditor() override;

    // The editor.
    TVxDocumentFormats& Formats() override { return FFormats; }
    std::unique_ptr<TVxDocument> CreateDocument() override;
    bool AttachView(TVxDocument& document) override;
    void DocumentActivated(TVxDocument& document) override;
    void UpdateCaption() override;
    bool SaveAsWithDialog(TVxDocument* document) override;
    TVxButton AskSaveChanges(const std::wstring& name) override;
    void DocumentOpened(TVxDocument& document) override;
    void SetPluginMode(bool value) override;
    bool Open(const std::filesystem::path& fileName, TVxDocument*& document, bool addToRecent) override;
    bool CanUndo() override;
    bool CanRedo() override;
    void Undo() override;
    void Redo() override;
    void ExecuteCommand(const std::wstring& name, bool& handled) override;

    // The module.
    void UpdateControls() override;
    void LoadState(TVxSDFReader& reader) override;
    void SaveState(TVxSDFWriter& writer) override;
    void PluginModeEntered() override;

    // The tools' host.
    void SetActiveTool(TVxGraphicsTool* tool) override;
    TVxGraphicsTool* ActiveTool() const override;
    TVxGraphicsTool* PreviousTool() const;
    bool CanStartEdit(const TVxGraphicsTool& tool) const override;
    void ZoomInCommand() override;
    void ZoomOutCommand() override;
    void ShowPointer(const TPoint& imagePoint, std::uint32_t colour) override;
    void LockTools() { FToolSwitch.LockTools(); }
    void UnlockTools() { FToolSwitch.UnlockTools(); }

    // Every graphics tool, in component order.
    void DocumentOpened(TVxGraphicsDocument& document) override;
    void DocumentSaving(TVxGraphicsDocument& document) override;
    void DocumentClosing(TVxGraphicsDocument& document) override;
    void StateRestored(TVxGraphicsDocument& document, IVxEditingTool* tool, const TRect& rect) override;
    void ImageBufferMoved(TVxGraphicsDocument& document) override;

    void ActualSizeCommand();
    void BestFitCommand();
    void PrevImageCommand();
    void NextImageCommand();
    void PluginOkCommand();
    void PluginCancelCommand();
    void AutoFit();
    void ShowImageWidth(const std::wstring& text);
    void ShowImageHeight(const std::wstring& text);

    TVxGraphicsView* ActiveView() const;
    TVxGraphicsDocument* ActiveGraphicsDocument() const;
    const TVxFolderImages& FolderImages() const { return FFolderImages; }
    const std::wstring& DemoFolder() const { return FDemoFolder; }
    void SetDemoFolder(std::wstring folder) { FDemoFolder = std::move(folder); }
    TVxGraphicsFormats& GraphicsFormats() { return FFormats; }
    std::wstring StatusPanelText(int pair) const;
    // The status-bar panel showing the value of pair 0 (X) ... 6 (B).
    int StatusValuePanel(int pair) const { return FFirstStatusPanel + 2 * pair + 1; }

    TVxMenuItem* ZoomInMenuItem = nullptr;
    TVxMenuItem* ZoomOutMenuItem = nullptr;
    TVxMenuItem* ActualSizeMenuItem = nullptr;
    TVxMenuItem* ScaleToBestFitMenuItem = nullptr;
    TVxMenuItem* ZoomMenuSeparator = nullptr;
    TVxMenuItem* CloseMenuSeperator = nullptr;
    TVxToolbarSeparator* ZoomToolbarSeparator = nullptr;
    TVxToolbarItem* ZoomInButton = nullptr;
    TVxToolbarItem* ZoomOutButton = nullptr;
    TVxToolbarItem* ActualSizeButton = nullptr;
    TVxToolbarItem* ScaleToBestFitButton = nullptr;
    TVxToolbarSeparator* PrevImageSeparator = nullptr;
    TVxToolbarItem* PrevImageButton = nullptr;
    TVxToolbarItem* NextImageButton = nullptr;
    TVxToolbarItem* OkButton = nullptr;
    TVxToolbarItem* CancelButton = nullptr;
    TVxScrollTool* HandTool = nullptr;

private:
    enum TStatusPair { spX, spY, spW, spH, spR, spG, spB, spCount };

    template <typename F>
    void ForEachTool(F&& visit) const;
    void CreateZoomItems(TMainForm& form);
    void OpenFolderImage(std::int32_t index);
    void CreateStatusPanels(TVxStatusBar& bar);
    void SetStatusValue(int pair, const std::wstring& text);
    void ShowImageSize();
    template <typename TStep>
    void StepHistory(TStep step);

    void CreateCommands(TVxCommandList& commands);
    void DropFile(TMainForm*, const std::wstring& fileName);
    void MainFormMouseWheel(std::uint32_t keys, int delta, POINT screenPoint, bool horizontal, bool& handled);

    TGdiplusSession FGdiplus;
    TVxBitmapDeviceWin32 FBitmapDevice;
    TVxGdiplusCodec FCodec;
    TVxJPEGOptionsForm FJPEGPrompt;
    TVxGraphicsFormats FFormats;
    TVxToolSwitch FToolSwitch;
    TVxFolderImages FFolderImages;
    std::wstring FDemoFolder;
    bool FKeptFlag = false;
    bool FRepeatStep = false;
    int FFirstStatusPanel = 0;
    std::wstring FStatusTexts[spCount];
    TVxCommand* FZoomIn = nullptr;
    TVxCommand* FZoomOut = nullptr;
    TVxCommand* FActualSize = nullptr;
    TVxCommand* FBestFit = nullptr;
    TVxCommand* FPrevImage = nullptr;
    TVxCommand* FNextImage = nullptr;
    TVxCommand* FPluginOk = nullptr;
    TVxCommand* FPluginCancel = nullptr;
};

extern TVxGraphicsEditor* GraphicsEditor;
