#pragma once
// Documents, the editor that owns them, and the undo history every document keeps.
//
//   document.History().Add(std::make_unique<TMyState>(...));   // created already applied
//   editor.UndoCommand();                                      // Cursor - 1, state->Undo()
//
// The editor's decisions (what to ask, when a document closes, which extension a saved
// name gets) live here; the dialogs and message boxes are behind IVxEditorUI so that the
// rules run the same with the platform's windows and in tests.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "editor/VxFileFormats.h"
#include "settings/VxSDF.h"

class TVxEditor;
class TVxDocument;

class TVxCommandState {
public:
    virtual ~TVxCommandState() = default;
    virtual void Undo() = 0;
    virtual void Redo() = 0;
};

class TVxCommandHistoryList {
public:
    // Discards every redo state first.
    void Add(std::unique_ptr<TVxCommandState> state);
    bool CanUndo() const { return FCursor > 0; }
    bool CanRedo() const { return FCursor < Count(); }
    void Undo();
    void Redo();
    TVxCommandState* NextUndo() const;
    TVxCommandState* NextRedo() const;
    void TruncateRedo();

    std::int32_t Count() const { return static_cast<std::int32_t>(FItems.size()); }
    std::int32_t Cursor() const { return FCursor; }

private:
    std::vector<std::unique_ptr<TVxCommandState>> FItems;
    std::int32_t FCursor = 0; // states below it are applied
};

class IVxDocumentObserver {
public:
    virtual void DocumentChanged(TVxDocument& document) = 0;
    virtual void DocumentClosing(TVxDocument& document) = 0;

protected:
    ~IVxDocumentObserver() = default;
};

// A document's view; the platform's window classes derive from it.
class TVxDocumentView {
public:
    virtual ~TVxDocumentView() = default;
};

class TVxDocument {
public:
    explicit TVxDocument(TVxEditor& editor);
    TVxDocument(const TVxDocument&) = delete;
    TVxDocument& operator=(const TVxDocument&) = delete;
    virtual ~TVxDocument();

    virtual void CreateView(std::unique_ptr<TVxDocumentView>& view) = 0;
    virtual TVxDocumentView* GetView();
    virtual void BeforeClose() {}
    virtual void BeforeSave() {}
    virtual void AfterOpen() {}
    virtual void AddObserver(IVxDocumentObserver* observer);
    virtual void RemoveObserver(IVxDocumentObserver* observer);
    virtual bool Load(const std::filesystem::path& fileName);
    virtual bool SaveAs(const std::filesystem::path& fileName, std::int32_t formatIndex);
    virtual bool CanSave() const;
    virtual bool Save();
    virtual bool Close();

    void Modified();
    std::wstring DisplayName() const;

    TVxEditor& Editor() const { return FEditor; }
    TVxCommandHistoryList& History() { return FHistory; }
    TVxDocumentView* View() const { return FView.get(); }
    bool CloseWithoutPrompt() const { return FCloseWithoutPrompt; }
    void SetCloseWithoutPrompt(bool value) { FCloseWithoutPrompt = value; }
    bool Clean() const { return FClean; }
    void SetClean(bool value) { FClean = value; }
    const std::filesystem::path& FileName() const { return FFileName; }
    // An empty name makes the document untitled (a scanned picture has no file of its own).
    void SetFileName(const std::filesystem::path& value) { FFileName = value; }
    std::int32_t FormatIndex() const { return FFormatIndex; }
    void SetFormatIndex(std::int32_t value) { FFormatIndex = value; }

private:
    TVxEditor& FEditor;
    bool FCloseWithoutPrompt = false;
    bool FClean = true;
    std::filesystem::path FFileName;
    std::int32_t FFormatIndex = 0;
    std::vector<IVxDocumentObserver*> FObservers;
    TVxCommandHistoryList FHistory;
    // Last member: the view observes the document and must go before the rest of it.
    std::unique_ptr<TVxDocumentView> FView;
};

enum class TVxButton { Ok, Cancel, Yes, No };

// The error box of a failed save: the file and, on a line of its own, the reason.
std::wstring SaveErrorText(const std::filesystem::path& fileName, TVxSaveError error);
enum class TVxMessageKind { Error, YesNoCancelWarning, YesNoWarning };

struct TVxSaveChoice {
    std::filesystem::path FileName;
    std::int32_t FilterIndex = 0; // 1-based position in the list, as the dialog reports it
};

// What the editor needs of the platform: message boxes with the application title as
// caption, the open and save dialogs, the main window's caption and the recent-file
// menu items, and the lesson recorder.
class IVxEditorUI {
public:
    virtual ~IVxEditorUI() = default;
    virtual std::wstring ApplicationTitle() const = 0;
    virtual TVxButton ShowMessage(const std::wstring& text, TVxMessageKind kind) = 0;
    virtual std::optional<std::filesystem::path> RunOpenDialog(const TVxFileFormatArray& formats) = 0;
    virtual std::optional<TVxSaveChoice> RunSaveDialog(const TVxFileFormatArray& formats,
                                                       const std::filesystem::path& fileName,
                                                       std::int32_t filterIndex) = 0;
    // Lets the closed dialog disappear before a long load or save starts.
    virtual void ProcessMessages() {}
    // The hourglass while a file is read or written; calls nest.
    virtual void BeginWait() {}
    virtual void EndWait() {}
    virtual void SetCaption(const std::wstring& caption) = 0;
    virtual void RecentFilesChanged(const std::vector<std::filesystem::path>&) {}
    virtual void AttachView(TVxDocumentView&) {}
    virtual void PluginModeEntered() {}
    virtual void SetExitCode(std::int32_t) {}
};

// A lesson recorder attached while the user records (the lesson module implements it).
class IVxEditorRecorder {
public:
    virtual void RecordLine(const std::wstring& line) = 0;
    virtual bool RecordMessages() const = 0;

protected:
    ~IVxEditorRecorder() = default;
};

class TVxEditor {
public:
    explicit TVxEditor(IVxEditorUI& ui);
    TVxEditor(const TVxEditor&) = delete;
    TVxEditor& operator=(const TVxEditor&) = delete;
    virtual ~TVxEditor();

    virtual void DocumentActivated(TVxDocument& document);
    virtual void UpdateCaption();
    virtual void RemoveDocument(TVxDocument& document);
    virtual TVxCommandHistoryList* History();
    virtual TVxDocumentFormats& Formats() = 0;
    virtual std::unique_ptr<TVxDocument> CreateDocument() = 0;
    virtual bool AttachView(TVxDocument& document);
    virtual bool OpenWithDialog();
    virtual bool SaveAsWithDialog(TVxDocument* document);
    virtual TVxButton AskSaveChanges(const std::wstring& name);
    virtual TVxButton AskOverwrite(const std::filesystem::path& fileName);
    // Tells the user why the formats could not write fileName; a cancelled save says nothing.
    virtual void ReportSaveError(const std::filesystem::path& fileName);
    virtual void CloseQuery(bool& canClose);
    // Lesson commands "UNDO" and "REDO"; anything else stays unhandled.
    virtual void ExecuteCommand(const std::wstring& name, bool& handled);
    virtual void BeginRecording(IVxEditorRecorder* recorder) { FRecorder = recorder; }
    virtual void DocumentOpened(TVxDocument& document);
    virtual void SetPluginMode(bool value);
    virtual bool NewDocument(TVxDocument*& document);
    virtual bool Open(const std::filesystem::path& fileName, TVxDocument*& document, bool addToRecent);
    virtual bool CanUndo();
    virtual bool CanRedo();
    virtual void Undo();
    virtual void Redo();
    virtual void OpenCommand();
    virtual void CloseCommand();
    virtual void SaveCommand();
    virtual void SaveAsCommand();
    virtual void UndoCommand();
    virtual void UndoAllCommand();
    virtual void RedoCommand();
    virtual void RedoAllCommand();
    // Out of memory in the middle of a command: the command has put everything back, and
    // the user is told so.
    void ReportOutOfMemory();
    // Runs one command step; std::bad_alloc from it is reported and gives false.
    bool RunWithMemory(const std::function<void()>& step);

    TVxDocument* ActiveDocument() const { return FDocuments.empty() ? nullptr : FDocuments.back().get(); }
    std::int32_t DocumentCount() const { return static_cast<std::int32_t>(FDocuments.size()); }
    TVxDocument* Document(std::int32_t index) const { return FDocuments.at(static_cast<std::size_t>(index)).get(); }
    bool CloseActive();
    void AddRecentFile(const std::filesystem::path& path);
    void RecentFileClick(std::int32_t index);
    void EndRecording() { FRecorder = nullptr; }
    // The editor's node of the state file: the recent files, most recent first.
    void LoadState(TVxSDFReader& reader);
    void SaveState(TVxSDFWriter& writer);
    static const TVxGuid StateIdentifier;
    // The recent-files menu captions: "&" + n + " " + path.
    std::vector<std::wstring> RecentFileCaptions() const;

    const std::vector<std::filesystem::path>& RecentFiles() const { return FRecentFiles; }
    std::int32_t MaxRecentFiles() const { return FMaxRecentFiles; }
    bool AskToSave() const { return FAskToSave; }
    void SetAskToSave(bool value) { FAskToSave = value; }
    bool UndoEnabled() const { return FUndoEnabled; }
    void SetUndoEnabled(bool value) { FUndoEnabled = value; }
    bool PluginMode() const { return FPluginMode; }
    bool MultipleDocuments() const { return FMultipleDocuments; }
    IVxEditorUI& UI() const { return FUI; }

    // Enabled states recomputed on every idle.
    struct TControlStates {
        bool Save = false, SaveAs = false, Close = false;
        bool Undo = false, UndoAll = false, Redo = false, RedoAll = false;
    };
    TControlStates ControlStates();

protected:
    // Frees the documents while the derived editor still exists.
    void FreeDocuments();

private:
    void RecordStep(const wchar_t* target);

    IVxEditorUI& FUI;
    bool FAskToSave = true;
    bool FUndoEnabled = true;
    bool FPluginMode = false;
    bool FMultipleDocuments = false;
    IVxEditorRecorder* FRecorder = nullptr;
    std::vector<std::unique_ptr<TVxDocument>> FDocuments;
    std::vector<std::filesystem::path> FRecentFiles;
    std::int32_t FMaxRecentFiles = 5;
};
