#include "view/VxGraphicsEditor.h"

#include <algorithm>
#include <cwctype>

#include "editor/VxEditorStrings.h"
#include "i18n/VxLocalizer.h"
#include "imaging/VxLTBitmap.h"
#include "view/VxFileDialogs.h"
#include "view/VxScrollTool.h"
#include "view/VxZoomSteps.h"

TVxGraphicsEditor* GraphicsEditor = nullptr;

namespace {

// The pictures of the editor's items: indices into the shared image list.
enum : int {
    imgOpen = 1,
    imgSave = 2,
    imgUndo = 8,
    imgRedo = 9,
    imgZoomIn = 10,
    imgZoomOut = 11,
    imgActualSize = 12,
    imgBestFit = 13,
    imgPrevImage = 14,
    imgNextImage = 15,
};

// Status-bar captions, in panel order.
constexpr const wchar_t* StatusCaptions[] = {L"X:", L"Y:", L"W:", L"H:", L"R:", L"G:", L"B:"};

std::wstring UpperCase(std::wstring text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towupper(c));
    return text;
}

// The formats object's list, as the file dialogs of the view layer take it.
class TListFormats : public TVxFileFormats {
public:
    TListFormats(TVxDocumentFormats& formats, const TVxFileFormatArray& list) : FFormats(formats), FList(list) {}
    std::int32_t Count() const override { return FFormats.Count(); }
    const TVxFileFormatInfo* Item(std::int32_t index) const override { return FFormats.Item(index); }
    bool GetFileInfo(const std::filesystem::path& fileName, std::unique_ptr<TVxFileInfo>& info) override
    {
        return FFormats.GetFileInfo(fileName, info);
    }
    bool GetThumbnail(const std::filesystem::path& fileName, std::int32_t width, std::unique_ptr<TVxThumbnail>& thumbnail,
                      std::int32_t height) override
    {
        return FFormats.GetThumbnail(fileName, width, thumbnail, height);
    }
    void OpenList(TVxFileFormatArray& formats) const override { formats = FList; }
    void SaveList(TVxFileFormatArray& formats) const override { formats = FList; }

private:
    TVxDocumentFormats& FFormats;
    const TVxFileFormatArray& FList;
};

}  // namespace

// The user-interface side of the editor.

TVxEditorModuleUI::TVxEditorModuleUI(TVxEditorModule& module, TMainForm& form)
    : TVxEditorWin32UI(form.Handle(), Application->Title()), FModule(module)
{
}

std::wstring TVxEditorModuleUI::ApplicationTitle() const { return Application->Title(); }

// The application's box: titled as the application is now (" Plug-in" included), the
// other windows disabled while it shows.
TVxButton TVxEditorModuleUI::ShowMessage(const std::wstring& text, TVxMessageKind kind)
{
    return ButtonOf(Application->ShowMessageBox(text, MessageFlags(kind)));
}

std::optional<std::filesystem::path> TVxEditorModuleUI::RunOpenDialog(const TVxFileFormatArray& formats)
{
    TListFormats list(FModule.Formats(), formats);
    TVxOpenDialog dialog(MainForm->Handle(), list);
    if (!dialog.Execute())
        return std::nullopt;
    return dialog.FileName();
}

std::optional<TVxSaveChoice> TVxEditorModuleUI::RunSaveDialog(const TVxFileFormatArray& formats, const std::filesystem::path& fileName,
                                                              std::int32_t filterIndex)
{
    TListFormats list(FModule.Formats(), formats);
    TVxSaveDialog dialog(MainForm->Handle(), list);
    dialog.SetFileName(fileName);
    dialog.SetFilterIndex(std::max(filterIndex, 1));
    if (!dialog.Execute())
        return std::nullopt;
    return TVxSaveChoice{dialog.FileName(), dialog.FilterIndex()};
}

void TVxEditorModuleUI::RecentFilesChanged(const std::vector<std::filesystem::path>&) { FModule.RecentFilesChanged(); }

void TVxEditorModuleUI::AttachView(TVxDocumentView& view) { FModule.AttachViewWindow(view); }

void TVxEditorModuleUI::PluginModeEntered() { FModule.PluginModeEntered(); }

void TVxEditorModuleUI::SetExitCode(std::int32_t code)
{
    TVxEditorWin32UI::SetExitCode(code);
    Application->SetExitCode(code);
}

// The editor module: File and Edit menus, the standard toolbar, recent files.

TVxEditorModule::TVxEditorModule(TVxComponent* owner, TMainForm& form)
    : TVxModuleWithControls(owner), TVxEditorModuleUIBase(*this, form), TVxEditor(FModuleUI)
{
    CreateCommands(form.Commands);
    const TVxMenuItem* fileEnd = form.FileMenuSeparator;
    OpenMenuItem = &form.AddMenuItem(*FOpen, fileEnd, form.FileMenuItem);
    SaveMenuItem = &form.AddMenuItem(*FSave, fileEnd, form.FileMenuItem);
    SaveAsMenuItem = &form.AddMenuItem(*FSaveAs, fileEnd, form.FileMenuItem);
    CloseMenuItem = &form.AddMenuItem(*FClose, fileEnd, form.FileMenuItem);
    RecentFilesMenuSeparator = &form.AddSeparator(form.FileMenuItem, form.ExitMenuItem);

    StandardToolbar = &form.AddToolbar(L"Standard");
    OpenToolButton = &form.AddToolbarItem(*FOpen, *StandardToolbar);
    SaveToolButton = &form.AddToolbarItem(*FSaveAs, *StandardToolbar);

    EditMenuItem = &form.AddSubmenu(L"&Edit", &form.Menu, form.ViewMenuItem);
    UndoMenuItem = &form.AddMenuItem(*FUndo, nullptr, EditMenuItem);
    UndoAllMenuItem = &form.AddMenuItem(*FUndoAll, nullptr, EditMenuItem);
    RedoMenuItem = &form.AddMenuItem(*FRedo, nullptr, EditMenuItem);
    RedoAllMenuItem = &form.AddMenuItem(*FRedoAll, nullptr, EditMenuItem);
    EditToolbarSeparator = &AppendToolbarSeparator();
    UndoToolButton = &form.AddToolbarItem(*FUndo, *StandardToolbar);
    RedoToolButton = &form.AddToolbarItem(*FRedo, *StandardToolbar);

    Application->OnTitleChanged = TVxMethod<TVxApplication*>::Bind<&TVxEditorModule::TitleChanged>(this);
    form.OnCloseQuery = TMainForm::TCloseQueryEvent::Bind<&TVxEditorModule::MainFormCloseQuery>(this);
}

TVxEditorModule::~TVxEditorModule()
{
    if (Application)
        Application->OnTitleChanged = {};
    if (MainForm)
        MainForm->OnCloseQuery = {};
}

void TVxEditorModule::CreateCommands(TVxCommandList& commands)
{
    auto add = [&](const wchar_t* name, const TVxStringRef& caption, int image, const TVxShortCut& shortCut, const TVxMethod<>& execute) {
        return &commands.Add(name, {caption.Id, caption.Fallback}, image, shortCut, execute);
    };
    FOpen = add(L"OPEN", VxStrings::Open, imgOpen, {'O', FCONTROL}, TVxMethod<>::Bind<&TVxEditorModule::OpenCommand>(this));
    FOpen->OpensDialog = true;
    // Every save goes through the Save As dialog; the Save item stays hidden.
    FSave = add(L"SAVE", VxStrings::Save, imgSave, {}, TVxMethod<>::Bind<&TVxEditorModule::SaveAsCommand>(this));
    FSave->SetVisible(false);
    FSaveAs = add(L"SAVEAS", VxStrings::SaveAs, imgSave, {'S', FCONTROL}, TVxMethod<>::Bind<&TVxEditorModule::SaveAsCommand>(this));
    FSaveAs->OpensDialog = true;
    FClose = add(L"CLOSE", VxStrings::Close, -1, {}, TVxMethod<>::Bind<&TVxEditorModule::CloseCommand>(this));
    FUndo = add(L"UNDO", VxStrings::Undo, imgUndo, {'Z', FCONTROL}, TVxMethod<>::Bind<&TVxEditorModule::UndoCommand>(this));
    FUndoAll = add(L"UNDOALL", VxStrings::UndoAll, -1, {}, TVxMethod<>::Bind<&TVxEditorModule::UndoAllCommand>(this));
    FRedo = add(L"REDO", VxStrings::Redo, imgRedo, {'Y', FCONTROL}, TVxMethod<>::Bind<&TVxEditorModule::RedoCommand>(this));
    FRedoAll = add(L"REDOALL", VxStrings::RedoAll, -1, {}, TVxMethod<>::Bind<&TVxEditorModule::RedoAllCommand>(this));
}

TVxToolbarSeparator& TVxEditorModule::AppendToolbarSeparator(const TVxToolbarItem* before)
{
    return static_cast<TVxToolbarSeparator&>(StandardToolbar->Insert(std::make_unique<TVxToolbarSeparator>(StandardToolbar), before));
}

void TVxEditorModule::Initialize()
{
    TVxModuleWithControls::Initialize();
    UpdateCaption();
}

// The commands' items take their captions from the commands (the main form's Localize).
void TVxEditorModule::Localize()
{
    StandardToolbar->SetCaption(LoadVxString(VxStrings::StandardToolbar));
    EditMenuItem->SetCaption(LoadVxString(VxStrings::Edit));
    UpdateCaption();
}

void TVxEditorModule::UpdateControls()
{
    const TControlStates states = ControlStates();
    FSave->SetEnabled(states.Save);
    FSaveAs->SetEnabled(states.SaveAs);
    FClose->SetEnabled(states.Close);
    FUndo->SetEnabled(states.Undo);
    FUndoAll->SetEnabled(states.UndoAll);
    FRedo->SetEnabled(states.Redo);
    FRedoAll->SetEnabled(states.RedoAll);
}

void TVxEditorModule::LoadState(TVxSDFReader& reader) { TVxEditor::LoadState(reader); }

void TVxEditorModule::SaveState(TVxSDFWriter& writer) { TVxEditor::SaveState(writer); }

void TVxEditorModule::Started()
{
    if (const auto file = Application->CommandLineFile()) {
        TVxDocument* document = nullptr;
        Open(*file, document, true);
    }
}

// Items are added as the list grows and never removed: the list never shrinks.
void TVxEditorModule::RecentFilesChanged()
{
    const std::vector<std::wstring> captions = RecentFileCaptions();
    while (FRecentItems.size() < captions.size()) {
        // Each new item goes after the ones already there, right before the separator.
        TVxMenuItem& item = MainForm->AddMenuItem(L"", {}, RecentFilesMenuSeparator, MainForm->FileMenuItem, -1,
                                                  TVxMenuItem::TClick::Bind<&TVxEditorModule::RecentItemClick>(this));
        item.Tag = static_cast<std::intptr_t>(FRecentItems.size());
        FRecentItems.push_back(&item);
    }
    for (std::size_t i = 0; i < captions.size(); ++i)
        FRecentItems[i]->SetCaption(captions[i]);
}

void TVxEditorModule::RecentItemClick(TVxMenuItem* item)
{
    // The path is the caption after its first space.
    const std::wstring& caption = item->Caption();
    const std::size_t space = caption.find(L' ');
    if (space == std::wstring::npos)
        return;
    TVxDocument* document = nullptr;
    Open(std::filesystem::path(caption.substr(space + 1)), document, true);
}

// The view fills the window's document area.
void TVxEditorModule::AttachViewWindow(TVxDocumentView&) {}

void TVxEditorModule::PluginModeEntered()
{
    OpenToolButton->SetVisible(false);
    SaveToolButton->SetVisible(false);
    EditToolbarSeparator->SetVisible(false);
}

// The graphics editor.

namespace {

std::unique_ptr<TVxGraphicsDocumentView> CreateGraphicsView(TVxGraphicsDocument& document)
{
    auto view = std::make_unique<TVxGraphicsView>(document, *GraphicsEditor);
    RECT area{};
    GetClientRect(MainForm->ClientArea(), &area);
    view->CreateControl(MainForm->ClientArea(), area);
    return view;
}

}  // namespace

TVxGraphicsEditor::TVxGraphicsEditor(TVxComponent* owner, TMainForm& form)
    : TVxEditorModule(owner, form), FJPEGPrompt(form.Handle()), FFormats(FCodec, FJPEGPrompt)
{
    FJPEGPrompt.ShowMessageBox = [](const std::wstring& text, const std::wstring& caption, UINT flags) {
        return Application->ShowMessageBox(text, caption, flags);
    };
    SetBitmapDevice(&FBitmapDevice);
    form.OnDropFile = TMainForm::TDropFileEvent::Bind<&TVxGraphicsEditor::DropFile>(this);
    form.OnMouseWheel = TMainForm::TMouseWheelEvent::Bind<&TVxGraphicsEditor::MainFormMouseWheel>(this);

    CreateCommands(form.Commands);
    // Previous and next picture of the folder, before the undo buttons.
    PrevImageSeparator = &AppendToolbarSeparator(EditToolbarSeparator);
    PrevImageButton = &form.AddToolbarItem(*FPrevImage, *StandardToolbar, EditToolbarSeparator);
    NextImageButton = &form.AddToolbarItem(*FNextImage, *StandardToolbar, EditToolbarSeparator);
    CreateZoomItems(form);
    CloseMenuSeperator = &form.AddSeparator(form.FileMenuItem, form.FileMenuSeparator);
    CreateStatusPanels(*form.StatusBar);

    Application->CreateModule(HandTool, static_cast<IVxGraphicsToolHost&>(*this));
    HCURSOR hand = LoadCursorW(GetModuleHandleW(nullptr), L"Hand");
    SetViewCursor(HandCursorIndex, hand ? hand : LoadCursorW(nullptr, IDC_HAND));
    UpdateCaption();
}

TVxGraphicsEditor::~TVxGraphicsEditor()
{
    // The views paint through the device and call back into the editor.
    FreeDocuments();
    if (MainForm) {
        MainForm->OnDropFile = {};
        MainForm->OnMouseWheel = {};
    }
    SetBitmapDevice(nullptr);
    GraphicsEditor = nullptr;
}

void TVxGraphicsEditor::CreateZoomItems(TMainForm& form)
{
    ZoomMenuSeparator = &form.AddSeparator(form.ViewMenuItem, form.ToolbarsMenuItem);
    ZoomToolbarSeparator = &AppendToolbarSeparator();
    ZoomInMenuItem = &form.AddMenuItem(*FZoomIn, ZoomMenuSeparator, form.ViewMenuItem);
    ZoomInButton = &form.AddToolbarItem(*FZoomIn, *StandardToolbar);
    ZoomOutMenuItem = &form.AddMenuItem(*FZoomOut, ZoomMenuSeparator, form.ViewMenuItem);
    ZoomOutButton = &form.AddToolbarItem(*FZoomOut, *StandardToolbar);
    ActualSizeMenuItem = &form.AddMenuItem(*FActualSize, ZoomMenuSeparator, form.ViewMenuItem);
    ActualSizeButton = &form.AddToolbarItem(*FActualSize, *StandardToolbar);
    ScaleToBestFitMenuItem = &form.AddMenuItem(*FBestFit, ZoomMenuSeparator, form.ViewMenuItem);
    ScaleToBestFitButton = &form.AddToolbarItem(*FBestFit, *StandardToolbar);
}

void TVxGraphicsEditor::CreateCommands(TVxCommandList& commands)
{
    auto add = [&](const wchar_t* name, const TVxCaption& caption, int image, const TVxShortCut& shortCut, const TVxMethod<>& execute) {
        return &commands.Add(name, caption, image, shortCut, execute);
    };
    FZoomIn = add(L"ZOOMIN", {98, L"Zoom In"}, imgZoomIn, {VK_ADD, FCONTROL}, TVxMethod<>::Bind<&TVxGraphicsEditor::ZoomInCommand>(this));
    FZoomOut = add(L"ZOOMOUT", {99, L"Zoom Out"}, imgZoomOut, {VK_SUBTRACT, FCONTROL},
                   TVxMethod<>::Bind<&TVxGraphicsEditor::ZoomOutCommand>(this));
    FActualSize = add(L"ACTUALSIZE", {166, L"Actual Size"}, imgActualSize, {'0', FCONTROL | FALT},
                      TVxMethod<>::Bind<&TVxGraphicsEditor::ActualSizeCommand>(this));
    FBestFit = add(L"BESTFIT", {178, L"Best Fit"}, imgBestFit, {}, TVxMethod<>::Bind<&TVxGraphicsEditor::BestFitCommand>(this));
    FPrevImage = add(L"PREVIMAGE", {2104, L"Previous Image"}, imgPrevImage, {},
                     TVxMethod<>::Bind<&TVxGraphicsEditor::PrevImageCommand>(this));
    FNextImage = add(L"NEXTIMAGE", {2105, L"Next Image"}, imgNextImage, {}, TVxMethod<>::Bind<&TVxGraphicsEditor::NextImageCommand>(this));
    FPluginOk = add(L"PLUGINOK", {3001, L"OK"}, -1, {}, TVxMethod<>::Bind<&TVxGraphicsEditor::PluginOkCommand>(this));
    FPluginCancel = add(L"PLUGINCANCEL", {3002, L"Cancel"}, -1, {}, TVxMethod<>::Bind<&TVxGraphicsEditor::PluginCancelCommand>(this));
}

void TVxGraphicsEditor::CreateStatusPanels(TVxStatusBar& bar)
{
    const int h = ScaleForDpi(14);
    const int halfAgain = (3 * h + 1) / 2;
    const int sizes[spCount][2] = {{2 * h, 4 * h}, {halfAgain, 5 * h}, {2 * h, 4 * h}, {halfAgain, 5 * h},
                                   {halfAgain, 4 * h}, {halfAgain, 4 * h}, {halfAgain, 5 * h}};
    FFirstStatusPanel = bar.PanelCount();
    for (int pair = 0; pair < spCount; ++pair) {
        const int caption = bar.AddPanel(sizes[pair][0]);
        bar.SetPanelText(caption, StatusCaptions[pair]);
        bar.AddPanel(sizes[pair][1]);
    }
}

void TVxGraphicsEditor::SetStatusValue(int pair, const std::wstring& text)
{
    if (FStatusTexts[pair] == text)
        return;
    FStatusTexts[pair] = text;
    MainForm->StatusBar->SetPanelText(FFirstStatusPanel + 2 * pair + 1, text);
}

std::wstring TVxGraphicsEditor::StatusPanelText(int pair) const
{
    return pair >= 0 && pair < spCount ? FStatusTexts[pair] : std::wstring();
}

void TVxGraphicsEditor::ShowImageWidth(const std::wstring& text) { SetStatusValue(spW, text); }

void TVxGraphicsEditor::ShowImageHeight(const std::wstring& text) { SetStatusValue(spH, text); }

void TVxGraphicsEditor::ShowImageSize()
{
    const TVxGraphicsDocument* document = ActiveGraphicsDocument();
    const TVxPixels* pixels = document ? document->ImagePixels() : nullptr;
    ShowImageWidth(pixels ? std::to_wstring(pixels->Width()) : std::wstring());
    ShowImageHeight(pixels ? std::to_wstring(pixels->Height()) : std::wstring());
}

void TVxGraphicsEditor::ShowPointer(const TPoint& imagePoint, std::uint32_t colour)
{
    SetStatusValue(spX, std::to_wstring(imagePoint.X));
    SetStatusValue(spY, std::to_wstring(imagePoint.Y));
    SetStatusValue(spR, std::to_wstring((colour >> 16) & 0xFF));
    SetStatusValue(spG, std::to_wstring((colour >> 8) & 0xFF));
    SetStatusValue(spB, std::to_wstring(colour & 0xFF));
}

void TVxGraphicsEditor::UpdateControls()
{
    TVxEditorModule::UpdateControls();
    const bool open = ActiveDocument() != nullptr;
    for (TVxCommand* command : {FZoomIn, FZoomOut, FActualSize, FBestFit})
        command->SetEnabled(open);
    const auto count = static_cast<std::int32_t>(FFolderImages.Paths.size());
    FPrevImage->SetEnabled(count > 0 && FFolderImages.Index > 0);
    FNextImage->SetEnabled(count > 0 && FFolderImages.Index < count - 1);
}

void TVxGraphicsEditor::LoadState(TVxSDFReader& reader)
{
    TVxEditorModule::LoadState(reader);
    if (!reader.EnterNode(1, GraphicsStateIdentifier))
        return;
    std::int32_t quality = 0;
    if (reader.ReadInteger(1, quality))
        FFormats.SetJPEGQuality(quality);
    bool kept = false;
    if (reader.ReadBoolean(2, kept))
        FKeptFlag = kept;
    reader.LeaveNode();
}

void TVxGraphicsEditor::SaveState(TVxSDFWriter& writer)
{
    TVxEditorModule::SaveState(writer);
    writer.BeginNode(1, GraphicsStateIdentifier);
    writer.WriteInteger(1, FFormats.JPEGQuality());
    writer.WriteBoolean(2, FKeptFlag);
    writer.EndNode();
}

std::unique_ptr<TVxDocument> TVxGraphicsEditor::CreateDocument()
{
    auto document = std::make_unique<TVxGraphicsDocument>(*this);
    document->SetViewFactory(&CreateGraphicsView);
    document->SetTools(this);
    return document;
}

TVxGraphicsView* TVxGraphicsEditor::ActiveView() const
{
    TVxDocument* document = ActiveDocument();
    return document ? dynamic_cast<TVxGraphicsView*>(document->View()) : nullptr;
}

TVxGraphicsDocument* TVxGraphicsEditor::ActiveGraphicsDocument() const { return dynamic_cast<TVxGraphicsDocument*>(ActiveDocument()); }

bool TVxGraphicsEditor::AttachView(TVxDocument& document)
{
    if (!TVxEditorModule::AttachView(document))
        return false;
    auto* view = dynamic_cast<TVxGraphicsView*>(document.View());
    if (!view)
        return false;
    ForEachTool([&](TVxGraphicsTool& tool) { tool.CreateControl(*view); });
    ::AutoFit(*view);
    if (TVxGraphicsTool* tool = ActiveTool())
        tool->Activate();
    view->Picture().SetVisible(true);
    return true;
}

void TVxGraphicsEditor::DocumentActivated(TVxDocument& document)
{
    if (document.FormatIndex() == gfExchange)
        SetPluginMode(true);
    TVxEditorModule::DocumentActivated(document);
    ShowImageSize();
}

void TVxGraphicsEditor::UpdateCaption()
{
    if (PluginMode()) {
        UI().SetCaption(Application->Title());
        return;
    }
    TVxEditorModule::UpdateCaption();
}

bool TVxGraphicsEditor::SaveAsWithDialog(TVxDocument* document)
{
    if (!PluginMode())
        return TVxEditorModule::SaveAsWithDialog(document);
    if (!document || !document->CanSave())
        return true;
    // A failed write has been reported; the window stays open so the host still gets a
    // result once the user has made room or cancels.
    if (!document->Save())
        return false;
    Application->SetExitCode(0);
    return true;
}

TVxButton TVxGraphicsEditor::AskSaveChanges(const std::wstring& name)
{
    return TVxEditorModule::AskSaveChanges(PluginMode() ? LoadVxString(VxStrings::PluginDocument) : name);
}

void TVxGraphicsEditor::DocumentOpened(TVxDocument& document)
{
    if (!PluginMode())
        TVxEditorModule::DocumentOpened(document);
}

void TVxGraphicsEditor::SetPluginMode(bool value)
{
    if (PluginMode() || !value)
        return;
    Application->SetTitle(Application->Title() + L" Plug-in");
    PrevImageSeparator->SetVisible(false);
    FPrevImage->SetVisible(false);
    FNextImage->SetVisible(false);
    MainForm->FileMenuItem->SetVisible(false);
    AppendToolbarSeparator();
    TMainForm& form = *MainForm;
    OkButton = &form.AddToolbarItem(*FPluginOk, *StandardToolbar);
    CancelButton = &form.AddToolbarItem(*FPluginCancel, *StandardToolbar);
    for (TVxToolbarItem* button : {OkButton, CancelButton})
        button->SetShowCaption(true);
    TVxEditorModule::SetPluginMode(true);
    UpdateCaption();
}

void TVxGraphicsEditor::PluginModeEntered() { TVxEditorModule::PluginModeEntered(); }

bool TVxGraphicsEditor::Open(const std::filesystem::path& fileName, TVxDocument*& document, bool addToRecent)
{
    if (!TVxEditorModule::Open(fileName, document, addToRecent) || !document || !document->View())
        return false;
    if (fileName.has_parent_path())
        ListFolderImages(fileName, FFolderImages);
    AutoFit();
    return true;
}

void TVxGraphicsEditor::DropFile(TMainForm*, const std::wstring& fileName)
{
    TVxDocument* document = nullptr;
    Open(std::filesystem::path(fileName), document, true);
}

void TVxGraphicsEditor::MainFormMouseWheel(std::uint32_t keys, int delta, POINT screenPoint, bool horizontal, bool& handled)
{
    TVxGraphicsView* view = ActiveView();
    if (!view)
        return;
    const TPoint point{screenPoint.x, screenPoint.y};
    handled = horizontal ? view->MouseTilt(delta, point) : view->MouseWheel(keys, delta, point);
}

template <typename F>
void TVxGraphicsEditor::ForEachTool(F&& visit) const
{
    for (int i = 0; i < Application->ComponentCount(); ++i)
        if (auto* tool = dynamic_cast<TVxGraphicsTool*>(Application->Component(i)))
            visit(*tool);
}

bool TVxGraphicsEditor::CanUndo()
{
    const TVxGraphicsDocument* document = ActiveGraphicsDocument();
    return !(document && document->EditInProgress()) && TVxEditorModule::CanUndo();
}

bool TVxGraphicsEditor::CanRedo()
{
    const TVxGraphicsDocument* document = ActiveGraphicsDocument();
    return !(document && document->EditInProgress()) && TVxEditorModule::CanRedo();
}

// One user step: the active tool is put aside, every tool hears of the step before and
// after, and a state that chains itself to its neighbour sets the repeat flag.
template <typename TStep>
void TVxGraphicsEditor::StepHistory(TStep step)
{
    TVxCommandHistoryList* history = History();
    if (!history)
        return;
    do {
        FRepeatStep = false;
        TVxGraphicsTool* active = ActiveTool();
        if (active)
            active->Deactivate();
        step(*history);
        if (active)
            active->Activate();
    } while (FRepeatStep);
}

void TVxGraphicsEditor::Undo()
{
    StepHistory([this](TVxCommandHistoryList& history) {
        if (!CanUndo())
            return;
        ForEachTool([&](TVxGraphicsTool& tool) { tool.BeforeUndo(history.NextUndo()); });
        history.Undo();
        ForEachTool([&](TVxGraphicsTool& tool) { tool.AfterUndo(history.NextUndo()); });
        if (!CanUndo())
            FRepeatStep = false;
    });
}

void TVxGraphicsEditor::Redo()
{
    StepHistory([this](TVxCommandHistoryList& history) {
        if (!CanRedo())
            return;
        ForEachTool([&](TVxGraphicsTool& tool) { tool.BeforeRedo(history.NextRedo()); });
        history.Redo();
        ForEachTool([&](TVxGraphicsTool& tool) { tool.AfterRedo(history.NextRedo()); });
        if (!CanRedo())
            FRepeatStep = false;
    });
}

void TVxGraphicsEditor::ExecuteCommand(const std::wstring& name, bool& handled)
{
    const std::wstring upper = UpperCase(name);
    handled = true;
    if (upper == L"ZOOMIN")
        ZoomInCommand();
    else if (upper == L"ZOOMOUT")
        ZoomOutCommand();
    else if (upper == L"ACTUALSIZE")
        ActualSizeCommand();
    else if (upper == L"BESTFIT")
        BestFitCommand();
    else {
        handled = false;
        TVxEditorModule::ExecuteCommand(name, handled);
    }
}

void TVxGraphicsEditor::SetActiveTool(TVxGraphicsTool* tool) { FToolSwitch.SetActiveTool(tool); }

TVxGraphicsTool* TVxGraphicsEditor::ActiveTool() const { return dynamic_cast<TVxGraphicsTool*>(FToolSwitch.ActiveTool()); }

TVxGraphicsTool* TVxGraphicsEditor::PreviousTool() const { return dynamic_cast<TVxGraphicsTool*>(FToolSwitch.PreviousTool()); }

bool TVxGraphicsEditor::CanStartEdit(const TVxGraphicsTool& tool) const
{
    return FToolSwitch.CanStartEdit(&tool, ActiveGraphicsDocument());
}

void TVxGraphicsEditor::ZoomInCommand()
{
    if (TVxGraphicsView* view = ActiveView())
        ZoomIn(*view);
}

void TVxGraphicsEditor::ZoomOutCommand()
{
    if (TVxGraphicsView* view = ActiveView())
        ZoomOut(*view);
}

void TVxGraphicsEditor::ActualSizeCommand()
{
    if (TVxGraphicsView* view = ActiveView())
        SetZoom(*view, 1, 1);
}

void TVxGraphicsEditor::BestFitCommand()
{
    if (TVxGraphicsView* view = ActiveView())
        FitToWindow(*view);
}

void TVxGraphicsEditor::AutoFit()
{
    if (TVxGraphicsView* view = ActiveView())
        ::AutoFit(*view);
}

void TVxGraphicsEditor::PrevImageCommand()
{
    if (FFolderImages.Paths.empty() || FFolderImages.Index <= 0)
        return;
    OpenFolderImage(FFolderImages.Index - 1);
}

void TVxGraphicsEditor::NextImageCommand()
{
    if (FFolderImages.Index + 1 >= static_cast<std::int32_t>(FFolderImages.Paths.size()))
        return;
    OpenFolderImage(FFolderImages.Index + 1);
}

// The index moves first: when the picture there cannot be read, the next step goes on
// past it instead of trying it again. Only a refused close (the user kept the current
// picture) puts it back.
void TVxGraphicsEditor::OpenFolderImage(std::int32_t index)
{
    const std::int32_t previous = FFolderImages.Index;
    const TVxDocument* current = ActiveDocument();
    FFolderImages.Index = index;
    const std::filesystem::path path = FFolderImages.Paths[static_cast<std::size_t>(index)];
    TVxDocument* document = nullptr;
    if (!Open(path, document, true) && current && ActiveDocument() == current)
        FFolderImages.Index = previous;
}

void TVxGraphicsEditor::PluginOkCommand()
{
    if (TVxGraphicsDocument* document = ActiveGraphicsDocument()) {
        document->EndChange(this);
        if (document->CanSave()) {
            // The failure has been reported; stay open rather than ask to save again.
            if (!document->Save())
                return;
            Application->SetExitCode(0);
        }
    }
    MainForm->Close();
}

void TVxGraphicsEditor::PluginCancelCommand()
{
    if (TVxGraphicsDocument* document = ActiveGraphicsDocument()) {
        document->EndChange(this);
        document->SetClean(true);
    }
    MainForm->Close();
}

void TVxGraphicsEditor::DocumentOpened(TVxGraphicsDocument& document)
{
    ForEachTool([&](TVxGraphicsTool& tool) { tool.DocumentOpened(document, PluginMode()); });
}

void TVxGraphicsEditor::DocumentSaving(TVxGraphicsDocument& document)
{
    ForEachTool([&](TVxGraphicsTool& tool) { tool.DocumentSaving(document); });
}

void TVxGraphicsEditor::DocumentClosing(TVxGraphicsDocument& document)
{
    ForEachTool([&](TVxGraphicsTool& tool) { tool.DocumentClosing(document); });
    ShowImageWidth(L"");
    ShowImageHeight(L"");
}

void TVxGraphicsEditor::StateRestored(TVxGraphicsDocument& document, IVxEditingTool* tool, const TRect& rect)
{
    ForEachTool([&](TVxGraphicsTool& each) { each.StateRestored(document, tool, rect); });
    ShowImageSize();
}

void TVxGraphicsEditor::ImageBufferMoved(TVxGraphicsDocument&) {}
