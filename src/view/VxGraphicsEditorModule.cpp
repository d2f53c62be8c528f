#include "view/VxGraphicsEditorModule.h"

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

std::wstring Text(std::int32_t id, const wchar_t* fallback) { return Localizer().GetString(id, fallback); }

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
    const TVxMenuItem* fileEnd = form.FileMenuSeparator;
    OpenMenuItem = &form.AddMenuItem(L"Open...", {'O', FCONTROL}, fileEnd, form.FileMenuItem, imgOpen,
                                     TVxMenuItem::TClick::Bind<&TVxEditorModule::OpenClick>(this));
    SaveMenuItem = &form.AddMenuItem(L"Save", {}, fileEnd, form.FileMenuItem, imgSave,
                                     TVxMenuItem::TClick::Bind<&TVxEditorModule::SaveAsClick>(this));
    // Every save goes through the Save As dialog.
    SaveMenuItem->SetVisible(false);
    SaveAsMenuItem = &form.AddMenuItem(L"Save As...", {'S', FCONTROL}, fileEnd, form.FileMenuItem, imgSave,
                                       TVxMenuItem::TClick::Bind<&TVxEditorModule::SaveAsClick>(this));
    CloseMenuItem = &form.AddMenuItem(L"Close", {}, fileEnd, form.FileMenuItem, -1,
                                      TVxMenuItem::TClick::Bind<&TVxEditorModule::CloseClick>(this));
    RecentFilesMenuSeparator = &form.AddSeparator(form.FileMenuItem, form.ExitMenuItem);

    StandardToolbar = &form.AddToolbar(L"Standard");
    form.AddToolbarItem(*StandardToolbar, nullptr, nullptr, L"Open", imgOpen,
                        TVxToolbarItem::TClick::Bind<&TVxEditorModule::OpenButtonClick>(this), OpenToolButton);
    form.AddToolbarItem(*StandardToolbar, nullptr, nullptr, L"Save As", imgSave,
                        TVxToolbarItem::TClick::Bind<&TVxEditorModule::SaveButtonClick>(this), SaveToolButton);

    EditMenuItem = &form.AddSubmenu(L"&Edit", &form.Menu, form.ViewMenuItem);
    UndoMenuItem = &form.AddMenuItem(L"Undo", {'Z', FCONTROL}, nullptr, EditMenuItem, imgUndo,
                                     TVxMenuItem::TClick::Bind<&TVxEditorModule::UndoClick>(this));
    UndoAllMenuItem = &form.AddMenuItem(L"Undo All", {}, nullptr, EditMenuItem, -1,
                                        TVxMenuItem::TClick::Bind<&TVxEditorModule::UndoAllClick>(this));
    RedoMenuItem = &form.AddMenuItem(L"Redo", {'Y', FCONTROL}, nullptr, EditMenuItem, imgRedo,
                                     TVxMenuItem::TClick::Bind<&TVxEditorModule::RedoClick>(this));
    RedoAllMenuItem = &form.AddMenuItem(L"Redo All", {}, nullptr, EditMenuItem, -1,
                                        TVxMenuItem::TClick::Bind<&TVxEditorModule::RedoAllClick>(this));
    EditToolbarSeparator = &AppendToolbarSeparator();
    form.AddToolbarItem(*StandardToolbar, nullptr, nullptr, L"Undo", imgUndo,
                        TVxToolbarItem::TClick::Bind<&TVxEditorModule::UndoButtonClick>(this), UndoToolButton);
    form.AddToolbarItem(*StandardToolbar, nullptr, nullptr, L"Redo", imgRedo,
                        TVxToolbarItem::TClick::Bind<&TVxEditorModule::RedoButtonClick>(this), RedoToolButton);

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

TVxToolbarSeparator& TVxEditorModule::AppendToolbarSeparator(const TVxToolbarItem* before)
{
    return static_cast<TVxToolbarSeparator&>(StandardToolbar->Insert(std::make_unique<TVxToolbarSeparator>(StandardToolbar), before));
}

void TVxEditorModule::Initialize()
{
    TVxModuleWithControls::Initialize();
    UpdateCaption();
}

void TVxEditorModule::Localize()
{
    OpenMenuItem->SetCaption(LoadVxString(VxStrings::Open) + L"...");
    SaveMenuItem->SetCaption(LoadVxString(VxStrings::Save));
    SaveAsMenuItem->SetCaption(LoadVxString(VxStrings::SaveAs) + L"...");
    CloseMenuItem->SetCaption(LoadVxString(VxStrings::Close));
    StandardToolbar->SetCaption(LoadVxString(VxStrings::StandardToolbar));
    auto hint = [](TVxToolbarItem* item, const std::wstring& text) {
        item->SetCaption(text);
        item->SetHint(text);
    };
    hint(OpenToolButton, LoadVxString(VxStrings::Open));
    hint(SaveToolButton, LoadVxString(VxStrings::SaveAs));
    EditMenuItem->SetCaption(LoadVxString(VxStrings::Edit));
    UndoMenuItem->SetCaption(LoadVxString(VxStrings::Undo));
    UndoAllMenuItem->SetCaption(LoadVxString(VxStrings::UndoAll));
    RedoMenuItem->SetCaption(LoadVxString(VxStrings::Redo));
    RedoAllMenuItem->SetCaption(LoadVxString(VxStrings::RedoAll));
    hint(UndoToolButton, LoadVxString(VxStrings::Undo));
    hint(RedoToolButton, LoadVxString(VxStrings::Redo));
    UpdateCaption();
}

void TVxEditorModule::UpdateControls()
{
    const TControlStates states = ControlStates();
    SaveMenuItem->SetEnabled(states.Save);
    SaveAsMenuItem->SetEnabled(states.SaveAs);
    SaveToolButton->SetEnabled(states.SaveAs);
    CloseMenuItem->SetEnabled(states.Close);
    UndoMenuItem->SetEnabled(states.Undo);
    UndoAllMenuItem->SetEnabled(states.UndoAll);
    RedoMenuItem->SetEnabled(states.Redo);
    RedoAllMenuItem->SetEnabled(states.RedoAll);
    UndoToolButton->SetEnabled(states.Undo);
    RedoToolButton->SetEnabled(states.Redo);
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

    // Previous and next picture of the folder, before the undo buttons.
    PrevImageSeparator = &AppendToolbarSeparator(EditToolbarSeparator);
    form.AddToolbarItem(*StandardToolbar, nullptr, EditToolbarSeparator, L"Previous Image", imgPrevImage,
                        TVxToolbarItem::TClick::Bind<&TVxGraphicsEditor::PrevButtonClick>(this), PrevImageButton);
    form.AddToolbarItem(*StandardToolbar, nullptr, EditToolbarSeparator, L"Next Image", imgNextImage,
                        TVxToolbarItem::TClick::Bind<&TVxGraphicsEditor::NextButtonClick>(this), NextImageButton);
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
    ZoomInMenuItem = &form.AddMenuItem(L"Zoom In", {VK_ADD, FCONTROL}, ZoomMenuSeparator, form.ViewMenuItem, imgZoomIn,
                                       TVxMenuItem::TClick::Bind<&TVxGraphicsEditor::ZoomInClick>(this));
    form.AddToolbarItem(*StandardToolbar, nullptr, nullptr, L"Zoom In", imgZoomIn,
                        TVxToolbarItem::TClick::Bind<&TVxGraphicsEditor::ZoomInButtonClick>(this), ZoomInButton);
    ZoomOutMenuItem = &form.AddMenuItem(L"Zoom Out", {VK_SUBTRACT, FCONTROL}, ZoomMenuSeparator, form.ViewMenuItem, imgZoomOut,
                                        TVxMenuItem::TClick::Bind<&TVxGraphicsEditor::ZoomOutClick>(this));
    form.AddToolbarItem(*StandardToolbar, nullptr, nullptr, L"Zoom Out", imgZoomOut,
                        TVxToolbarItem::TClick::Bind<&TVxGraphicsEditor::ZoomOutButtonClick>(this), ZoomOutButton);
    ActualSizeMenuItem = &form.AddMenuItem(L"Actual Size", {'0', FCONTROL | FALT}, ZoomMenuSeparator, form.ViewMenuItem, imgActualSize,
                                           TVxMenuItem::TClick::Bind<&TVxGraphicsEditor::ActualSizeClick>(this));
    form.AddToolbarItem(*StandardToolbar, nullptr, nullptr, L"Actual Size", imgActualSize,
                        TVxToolbarItem::TClick::Bind<&TVxGraphicsEditor::ActualSizeButtonClick>(this), ActualSizeButton);
    ScaleToBestFitMenuItem = &form.AddMenuItem(L"Best Fit", {}, ZoomMenuSeparator, form.ViewMenuItem, imgBestFit,
                                               TVxMenuItem::TClick::Bind<&TVxGraphicsEditor::BestFitClick>(this));
    form.AddToolbarItem(*StandardToolbar, nullptr, nullptr, L"Best Fit", imgBestFit,
                        TVxToolbarItem::TClick::Bind<&TVxGraphicsEditor::BestFitButtonClick>(this), ScaleToBestFitButton);
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

void TVxGraphicsEditor::Localize()
{
    TVxEditorModule::Localize();
    auto both = [](TVxMenuItem* item, TVxToolbarItem* button, const std::wstring& text) {
        if (item)
            item->SetCaption(text);
        button->SetCaption(text);
        button->SetHint(text);
    };
    both(ZoomInMenuItem, ZoomInButton, Text(98, L"Zoom In"));
    both(ZoomOutMenuItem, ZoomOutButton, Text(99, L"Zoom Out"));
    both(ActualSizeMenuItem, ActualSizeButton, Text(166, L"Actual Size"));
    both(ScaleToBestFitMenuItem, ScaleToBestFitButton, Text(178, L"Best Fit"));
    both(nullptr, PrevImageButton, Text(2104, L"Previous Image"));
    both(nullptr, NextImageButton, Text(2105, L"Next Image"));
    if (OkButton)
        both(nullptr, OkButton, Text(3001, L"OK"));
    if (CancelButton)
        both(nullptr, CancelButton, Text(3002, L"Cancel"));
}

void TVxGraphicsEditor::UpdateControls()
{
    TVxEditorModule::UpdateControls();
    const bool open = ActiveDocument() != nullptr;
    for (TVxMenuItem* item : {ZoomInMenuItem, ZoomOutMenuItem, ActualSizeMenuItem, ScaleToBestFitMenuItem})
        item->SetEnabled(open);
    for (TVxToolbarItem* button : {ZoomInButton, ZoomOutButton, ActualSizeButton, ScaleToBestFitButton})
        button->SetEnabled(open);
    const auto count = static_cast<std::int32_t>(FFolderImages.Paths.size());
    PrevImageButton->SetEnabled(count > 0 && FFolderImages.Index > 0);
    NextImageButton->SetEnabled(count > 0 && FFolderImages.Index < count - 1);
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
    return TVxEditorModule::AskSaveChanges(PluginMode() ? Text(500, L"the picture") : name);
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
    PrevImageButton->SetVisible(false);
    NextImageButton->SetVisible(false);
    MainForm->FileMenuItem->SetVisible(false);
    AppendToolbarSeparator();
    TMainForm& form = *MainForm;
    form.AddToolbarItem(*StandardToolbar, nullptr, nullptr, Text(3001, L"OK"), -1,
                        TVxToolbarItem::TClick::Bind<&TVxGraphicsEditor::OkButtonClick>(this), OkButton);
    form.AddToolbarItem(*StandardToolbar, nullptr, nullptr, Text(3002, L"Cancel"), -1,
                        TVxToolbarItem::TClick::Bind<&TVxGraphicsEditor::CancelButtonClick>(this), CancelButton);
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
