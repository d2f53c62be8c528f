#include "editor/VxEditor.h"

#include <algorithm>
#include <cwctype>
#include <new>

#include "editor/VxEditorStrings.h"

std::wstring FormatVxString(const TVxStringRef& ref, const std::wstring& argument)
{
    std::wstring text = LoadVxString(ref);
    const std::size_t at = text.find(L"%s");
    if (at == std::wstring::npos)
        return text;
    return text.replace(at, 2, argument);
}

namespace {

// The hourglass for as long as the object lives.
class TWaitCursor {
public:
    explicit TWaitCursor(IVxEditorUI& ui) : FUI(ui) { FUI.BeginWait(); }
    ~TWaitCursor() { FUI.EndWait(); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;

private:
    IVxEditorUI& FUI;
};

TVxStringRef SaveErrorReason(TVxSaveError error)
{
    switch (error) {
    case TVxSaveError::ReadOnly: return VxStrings::SaveReadOnly;
    case TVxSaveError::InUse: return VxStrings::SaveInUse;
    case TVxSaveError::DiskFull: return VxStrings::SaveDiskFull;
    case TVxSaveError::AccessDenied: return VxStrings::SaveAccessDenied;
    default: return VxStrings::SaveFailed;
    }
}

} // namespace

std::wstring SaveErrorText(const std::filesystem::path& fileName, TVxSaveError error)
{
    return FormatVxString(VxStrings::CannotSave, fileName.wstring()) + L"\n\n" + LoadVxString(SaveErrorReason(error));
}

// ---------------------------------------------------------------------------------------
// Formats

std::wstring FormatFilterText(const TVxFileFormatArray& formats)
{
    std::wstring text;
    for (const TVxFileFormatInfo& format : formats) {
        if (!text.empty())
            text += L"|";
        text += format.Description + L" (" + format.Mask + L")|" + format.Mask;
    }
    return text;
}

void TVxFileFormats::SaveList(TVxFileFormatArray& formats) const
{
    formats.clear();
    for (std::int32_t i = 0; i < Count(); ++i)
        formats.push_back(*Item(i));
}

void TVxFileFormats::OpenList(TVxFileFormatArray& formats) const
{
    formats.clear();
    std::wstring allMasks;
    for (std::int32_t i = 0; i < Count(); ++i) {
        formats.push_back(*Item(i));
        allMasks += (allMasks.empty() ? L"" : L";") + Item(i)->Mask;
    }
    formats.push_back({0, LoadVxString(VxStrings::AllSupported), allMasks, L""});
    formats.push_back({0, LoadVxString(VxStrings::AllFiles), L"*.*", L""});
}

std::int32_t TVxFileFormats::IndexOf(std::int32_t identifier) const
{
    for (std::int32_t i = 0; i < Count(); ++i)
        if (Item(i)->Identifier == identifier)
            return i;
    return -1;
}

// ---------------------------------------------------------------------------------------
// History

void TVxCommandHistoryList::Add(std::unique_ptr<TVxCommandState> state)
{
    TruncateRedo();
    FItems.push_back(std::move(state));
    ++FCursor;
}

void TVxCommandHistoryList::Undo()
{
    if (!CanUndo())
        return;
    // The cursor moves only once the state is restored: a state that runs out of memory
    // leaves the picture as it was, and the history must still say so.
    FItems[static_cast<std::size_t>(FCursor - 1)]->Undo();
    --FCursor;
}

void TVxCommandHistoryList::Redo()
{
    if (!CanRedo())
        return;
    FItems[static_cast<std::size_t>(FCursor)]->Redo();
    ++FCursor;
}

TVxCommandState* TVxCommandHistoryList::NextUndo() const
{
    return CanUndo() ? FItems[static_cast<std::size_t>(FCursor - 1)].get() : nullptr;
}

TVxCommandState* TVxCommandHistoryList::NextRedo() const
{
    return CanRedo() ? FItems[static_cast<std::size_t>(FCursor)].get() : nullptr;
}

void TVxCommandHistoryList::TruncateRedo()
{
    while (Count() > FCursor)
        FItems.pop_back();
}

// ---------------------------------------------------------------------------------------
// Document

TVxDocument::TVxDocument(TVxEditor& editor) : FEditor(editor) {}

TVxDocument::~TVxDocument() = default;

TVxDocumentView* TVxDocument::GetView()
{
    if (!FView)
        CreateView(FView);
    return FView.get();
}

void TVxDocument::AddObserver(IVxDocumentObserver* observer)
{
    if (std::find(FObservers.begin(), FObservers.end(), observer) == FObservers.end())
        FObservers.push_back(observer);
}

void TVxDocument::RemoveObserver(IVxDocumentObserver* observer)
{
    std::erase(FObservers, observer);
}

bool TVxDocument::Load(const std::filesystem::path& fileName)
{
    std::int32_t formatIndex = 0;
    bool loaded = false;
    {
        const TWaitCursor wait(FEditor.UI());
        loaded = FEditor.Formats().Load(*this, fileName, formatIndex);
    }
    if (!loaded)
        return false;
    FFormatIndex = formatIndex;
    FFileName = fileName;
    Modified();
    FClean = true;
    return true;
}

bool TVxDocument::SaveAs(const std::filesystem::path& fileName, std::int32_t formatIndex)
{
    bool saved = false;
    {
        const TWaitCursor wait(FEditor.UI());
        saved = FEditor.Formats().Save(*this, fileName, formatIndex);
    }
    if (!saved) {
        FEditor.ReportSaveError(fileName);
        return false;
    }
    FClean = true;
    FFileName = fileName;
    FFormatIndex = formatIndex;
    FEditor.UpdateCaption();
    return true;
}

bool TVxDocument::CanSave() const { return FEditor.Formats().CanWrite(FFormatIndex); }

bool TVxDocument::Save()
{
    return !FFileName.empty() && SaveAs(FFileName, FFormatIndex);
}

bool TVxDocument::Close()
{
    BeforeClose();
    bool mayClose = true;
    if (!FCloseWithoutPrompt && !FClean && FEditor.AskToSave()) {
        switch (FEditor.AskSaveChanges(DisplayName())) {
        case TVxButton::Yes: mayClose = FEditor.SaveAsWithDialog(this); break;
        case TVxButton::No: mayClose = true; break;
        default: mayClose = false; break;
        }
    }
    if (!mayClose)
        return false;
    // Observers may unregister themselves while they are told.
    const std::vector<IVxDocumentObserver*> observers = FObservers;
    for (auto it = observers.rbegin(); it != observers.rend(); ++it)
        (*it)->DocumentClosing(*this);
    TVxEditor& editor = FEditor;
    editor.RemoveDocument(*this); // frees this document
    editor.UpdateCaption();
    return true;
}

void TVxDocument::Modified()
{
    const std::vector<IVxDocumentObserver*> observers = FObservers;
    for (auto it = observers.rbegin(); it != observers.rend(); ++it)
        (*it)->DocumentChanged(*this);
    FClean = false;
}

std::wstring TVxDocument::DisplayName() const
{
    if (FFileName.empty())
        return LoadVxString(VxStrings::Untitled);
    return FFileName.filename().wstring();
}

// ---------------------------------------------------------------------------------------
// Editor

TVxEditor::TVxEditor(IVxEditorUI& ui) : FUI(ui) {}

TVxEditor::~TVxEditor() = default;

void TVxEditor::FreeDocuments() { FDocuments.clear(); }

void TVxEditor::DocumentActivated(TVxDocument& document)
{
    auto it = std::find_if(FDocuments.begin(), FDocuments.end(), [&](const auto& d) { return d.get() == &document; });
    if (it != FDocuments.end())
        std::rotate(it, it + 1, FDocuments.end());
    UpdateCaption();
}

void TVxEditor::UpdateCaption()
{
    TVxDocument* document = ActiveDocument();
    if (FMultipleDocuments || !document)
        FUI.SetCaption(FUI.ApplicationTitle());
    else
        FUI.SetCaption(document->DisplayName() + L" - " + FUI.ApplicationTitle());
}

void TVxEditor::RemoveDocument(TVxDocument& document)
{
    auto it = std::find_if(FDocuments.begin(), FDocuments.end(), [&](const auto& d) { return d.get() == &document; });
    if (it == FDocuments.end())
        return;
    // Taken out of the list before it is freed, so the list never shows a dying document.
    std::unique_ptr<TVxDocument> dying = std::move(*it);
    FDocuments.erase(it);
}

TVxCommandHistoryList* TVxEditor::History()
{
    TVxDocument* document = ActiveDocument();
    return FUndoEnabled && document ? &document->History() : nullptr;
}

bool TVxEditor::AttachView(TVxDocument& document)
{
    if (TVxDocumentView* view = document.GetView())
        FUI.AttachView(*view);
    return true;
}

bool TVxEditor::OpenWithDialog()
{
    TVxFileFormatArray formats;
    Formats().OpenList(formats);
    const std::optional<std::filesystem::path> fileName = FUI.RunOpenDialog(formats);
    if (!fileName)
        return false;
    FUI.ProcessMessages();
    TVxDocument* document = nullptr;
    return Open(*fileName, document, true);
}

namespace {

std::wstring LowerCase(std::wstring text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

} // namespace

bool TVxEditor::SaveAsWithDialog(TVxDocument* document)
{
    if (!document || !document->CanSave())
        return false;
    TVxFileFormatArray formats;
    Formats().SaveList(formats);
    std::int32_t filterIndex = 0;
    for (std::size_t i = 0; i < formats.size(); ++i)
        if (formats[i].Identifier == document->FormatIndex()) {
            filterIndex = static_cast<std::int32_t>(i) + 1;
            break;
        }
    std::filesystem::path initialName = document->FileName();
    initialName.replace_extension();
    const std::optional<TVxSaveChoice> choice = FUI.RunSaveDialog(formats, initialName, filterIndex);
    FUI.ProcessMessages();
    if (!choice || choice->FilterIndex < 1 || choice->FilterIndex > static_cast<std::int32_t>(formats.size()))
        return false;
    const TVxFileFormatInfo& chosen = formats[static_cast<std::size_t>(choice->FilterIndex - 1)];
    std::filesystem::path fileName = choice->FileName;
    const std::wstring ext = LowerCase(chosen.Extension);
    if (LowerCase(fileName.extension().wstring()) != ext)
        fileName += ext;
    std::error_code error;
    if (std::filesystem::exists(fileName, error) && AskOverwrite(fileName) != TVxButton::Yes)
        return false;
    return document->SaveAs(fileName, chosen.Identifier);
}

TVxButton TVxEditor::AskSaveChanges(const std::wstring& name)
{
    return FUI.ShowMessage(FormatVxString(VxStrings::SaveChanges, name), TVxMessageKind::YesNoCancelWarning);
}

TVxButton TVxEditor::AskOverwrite(const std::filesystem::path& fileName)
{
    return FUI.ShowMessage(FormatVxString(VxStrings::Overwrite, fileName.wstring()), TVxMessageKind::YesNoWarning);
}

void TVxEditor::ReportSaveError(const std::filesystem::path& fileName)
{
    const TVxSaveError error = Formats().LastSaveError();
    if (error != TVxSaveError::Cancelled)
        FUI.ShowMessage(SaveErrorText(fileName, error), TVxMessageKind::Error);
}

void TVxEditor::CloseQuery(bool& canClose)
{
    canClose = true;
    while (canClose && !FDocuments.empty())
        canClose = FDocuments.back()->Close();
}

void TVxEditor::ExecuteCommand(const std::wstring& name, bool& handled)
{
    handled = true;
    if (name == L"UNDO")
        UndoCommand();
    else if (name == L"REDO")
        RedoCommand();
    else
        handled = false;
}

void TVxEditor::DocumentOpened(TVxDocument& document)
{
    if (!document.FileName().empty())
        AddRecentFile(document.FileName());
}

void TVxEditor::SetPluginMode(bool value)
{
    if (FPluginMode || !value)
        return;
    FPluginMode = true;
    FUI.PluginModeEntered();
    FUI.SetExitCode(-1);
}

bool TVxEditor::NewDocument(TVxDocument*& document)
{
    document = nullptr;
    if (!CloseActive())
        return false;
    std::unique_ptr<TVxDocument> created = CreateDocument();
    if (!AttachView(*created))
        return false;
    document = created.get();
    FDocuments.push_back(std::move(created));
    DocumentActivated(*document);
    return true;
}

bool TVxEditor::Open(const std::filesystem::path& fileName, TVxDocument*& document, bool addToRecent)
{
    document = nullptr;
    if (!CloseActive())
        return false;
    std::unique_ptr<TVxDocument> created = CreateDocument();
    bool loaded = false;
    try {
        loaded = created->Load(fileName) && AttachView(*created);
    } catch (const std::bad_alloc&) {
        // The half-built document goes before the message, so its memory is back first.
        created.reset();
        FUI.ShowMessage(FormatVxString(VxStrings::OpenOutOfMemory, fileName.wstring()), TVxMessageKind::Error);
        return false;
    }
    if (loaded) {
        document = created.get();
        FDocuments.push_back(std::move(created));
        DocumentActivated(*document);
        document->AfterOpen();
        if (addToRecent)
            DocumentOpened(*document);
        return true;
    }
    created.reset();
    FUI.ShowMessage(FormatVxString(VxStrings::CannotOpen, fileName.wstring()), TVxMessageKind::Error);
    return false;
}

bool TVxEditor::CanUndo()
{
    TVxCommandHistoryList* history = History();
    return history && history->CanUndo();
}

bool TVxEditor::CanRedo()
{
    TVxCommandHistoryList* history = History();
    return history && history->CanRedo();
}

void TVxEditor::Undo()
{
    if (TVxCommandHistoryList* history = History())
        history->Undo();
}

void TVxEditor::Redo()
{
    if (TVxCommandHistoryList* history = History())
        history->Redo();
}

void TVxEditor::OpenCommand()
{
    if (!FPluginMode)
        OpenWithDialog();
}

void TVxEditor::CloseCommand()
{
    if (TVxDocument* document = ActiveDocument())
        document->Close();
}

void TVxEditor::SaveCommand() { SaveAsCommand(); }

void TVxEditor::SaveAsCommand()
{
    if (!FPluginMode && ActiveDocument())
        SaveAsWithDialog(ActiveDocument());
}

void TVxEditor::RecordStep(const wchar_t* target)
{
    if (!FRecorder)
        return;
    FRecorder->RecordLine(std::wstring(L"MouseCurvedMove ") + target);
    if (FRecorder->RecordMessages())
        FRecorder->RecordLine(std::wstring(L"Message \"") + target + L"\"");
    FRecorder->RecordLine(target);
}

void TVxEditor::ReportOutOfMemory()
{
    FUI.ShowMessage(LoadVxString(VxStrings::EditOutOfMemory), TVxMessageKind::Error);
}

bool TVxEditor::RunWithMemory(const std::function<void()>& step)
{
    try {
        step();
        return true;
    } catch (const std::bad_alloc&) {
        ReportOutOfMemory();
        return false;
    }
}

void TVxEditor::UndoCommand()
{
    if (!CanUndo())
        return;
    if (!RunWithMemory([this] { Undo(); }))
        return;
    if (!CanUndo() && ActiveDocument())
        ActiveDocument()->SetClean(true);
    RecordStep(L"Undo");
}

void TVxEditor::UndoAllCommand()
{
    if (!CanUndo())
        return;
    // A step that fails stops the walk where the history still describes the picture.
    if (!RunWithMemory([this] {
            while (CanUndo())
                Undo();
        }))
        return;
    if (ActiveDocument())
        ActiveDocument()->SetClean(true);
}

void TVxEditor::RedoCommand()
{
    if (!CanRedo())
        return;
    if (RunWithMemory([this] { Redo(); }))
        RecordStep(L"Redo");
}

void TVxEditor::RedoAllCommand()
{
    RunWithMemory([this] {
        while (CanRedo())
            Redo();
    });
}

bool TVxEditor::CloseActive()
{
    if (FMultipleDocuments || !ActiveDocument())
        return true;
    return ActiveDocument()->Close();
}

void TVxEditor::AddRecentFile(const std::filesystem::path& path)
{
    auto it = std::find(FRecentFiles.begin(), FRecentFiles.end(), path);
    if (it != FRecentFiles.end())
        std::rotate(FRecentFiles.begin(), it, it + 1);
    else {
        FRecentFiles.insert(FRecentFiles.begin(), path);
        if (static_cast<std::int32_t>(FRecentFiles.size()) > FMaxRecentFiles)
            FRecentFiles.pop_back();
    }
    FUI.RecentFilesChanged(FRecentFiles);
}

std::vector<std::wstring> TVxEditor::RecentFileCaptions() const
{
    std::vector<std::wstring> captions;
    for (std::size_t n = 0; n < FRecentFiles.size(); ++n)
        captions.push_back(L"&" + std::to_wstring(n + 1) + L" " + FRecentFiles[n].wstring());
    return captions;
}

void TVxEditor::RecentFileClick(std::int32_t index)
{
    if (index < 0 || index >= static_cast<std::int32_t>(FRecentFiles.size()))
        return;
    const std::filesystem::path path = FRecentFiles[static_cast<std::size_t>(index)];
    TVxDocument* document = nullptr;
    Open(path, document, true);
}

TVxEditor::TControlStates TVxEditor::ControlStates()
{
    TControlStates states;
    TVxDocument* document = ActiveDocument();
    states.Save = document && !document->Clean();
    states.SaveAs = states.Close = document != nullptr;
    if (FUndoEnabled) {
        states.Undo = states.UndoAll = CanUndo();
        states.Redo = states.RedoAll = CanRedo();
    }
    return states;
}

// {C0F4C248-34D7-4014-8116-24BEE9AB5C30}
const TVxGuid TVxEditor::StateIdentifier{0xC0F4C248, 0x34D7, 0x4014, {0x81, 0x16, 0x24, 0xBE, 0xE9, 0xAB, 0x5C, 0x30}};

void TVxEditor::LoadState(TVxSDFReader& reader)
{
    if (!reader.EnterNode(1, StateIdentifier))
        return;
    if (reader.EnterNode(1)) {
        std::int32_t count = 0;
        reader.ReadInteger(0, count);
        // Oldest first, so the most recent ends at the top.
        for (std::int32_t n = std::min(count, 1000); n >= 1; --n) {
            std::wstring path;
            if (reader.ReadString(static_cast<std::uint32_t>(n), path))
                AddRecentFile(path);
        }
        reader.LeaveNode();
    }
    reader.LeaveNode();
}

void TVxEditor::SaveState(TVxSDFWriter& writer)
{
    writer.BeginNode(1, StateIdentifier);
    writer.BeginIntegerNode(1, static_cast<std::int32_t>(FRecentFiles.size()));
    for (std::size_t n = 0; n < FRecentFiles.size(); ++n)
        writer.WriteString(static_cast<std::uint32_t>(n + 1), FRecentFiles[n].wstring());
    writer.EndNode();
    writer.EndNode();
}
