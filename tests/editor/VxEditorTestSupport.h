#pragma once
// An editor with scripted dialogs and message boxes, over graphics documents whose
// "files" are made by the test: enough to run the editor's rules without windows.
#include <deque>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "editor/VxEditor.h"
#include "editor/VxGraphicsDocument.h"
#include "support/VxTempFolder.h"

class TScriptedUI : public IVxEditorUI {
public:
    std::wstring ApplicationTitle() const override { return L"Velloria"; }
    TVxButton ShowMessage(const std::wstring& text, TVxMessageKind kind) override
    {
        Messages.push_back(text);
        Kinds.push_back(kind);
        if (Answers.empty())
            return kind == TVxMessageKind::Error ? TVxButton::Ok : TVxButton::No;
        const TVxButton answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
    std::optional<std::filesystem::path> RunOpenDialog(const TVxFileFormatArray&) override { return OpenChoice; }
    std::optional<TVxSaveChoice> RunSaveDialog(const TVxFileFormatArray& formats, const std::filesystem::path& fileName,
                                               std::int32_t filterIndex) override
    {
        SaveDialogFormats = formats;
        SaveDialogName = fileName;
        SaveDialogFilterIndex = filterIndex;
        return SaveChoice;
    }
    void SetCaption(const std::wstring& caption) override { Caption = caption; }
    void BeginWait() override { ++WaitDepth; }
    void EndWait() override { --WaitDepth; }
    void SetExitCode(std::int32_t code) override { ExitCode = code; }

    std::vector<std::wstring> Messages;
    std::vector<TVxMessageKind> Kinds;
    std::deque<TVxButton> Answers;
    std::optional<std::filesystem::path> OpenChoice;
    std::optional<TVxSaveChoice> SaveChoice;
    TVxFileFormatArray SaveDialogFormats;
    std::filesystem::path SaveDialogName;
    std::int32_t SaveDialogFilterIndex = -99;
    std::wstring Caption;
    std::int32_t ExitCode = 1234;
    int WaitDepth = 0; // hourglass requests not yet ended
};

// Loads any existing file as a 4 x 3 picture; the format is taken from the extension.
// Saves by writing the format number into the file.
class TStubFormats : public TVxDocumentFormats {
public:
    std::int32_t Count() const override { return 2; }
    const TVxFileFormatInfo* Item(std::int32_t index) const override
    {
        static const TVxFileFormatInfo table[2] = {{0, L"JPEG", L"*.jpg;*.jpeg", L".jpg"}, {2, L"PNG", L"*.png", L".png"}};
        return index >= 0 && index < 2 ? &table[index] : nullptr;
    }
    bool Load(TVxDocument& document, const std::filesystem::path& fileName, std::int32_t& formatIndex) override
    {
        if (WaitDepth)
            WaitDepthSeen.push_back(*WaitDepth);
        std::error_code error;
        if (!std::filesystem::exists(fileName, error))
            return false;
        auto& graphics = static_cast<TVxGraphicsDocument&>(document);
        graphics.Image().Allocate(4, 3, fmtBGR24);
        graphics.OriginalImage().Allocate(4, 3, fmtBGR24);
        graphics.ResetBackup();
        formatIndex = fileName.extension() == L".png" ? 2 : 0;
        return true;
    }
    bool Save(TVxDocument&, const std::filesystem::path& fileName, std::int32_t formatIndex) override
    {
        ++SaveCount;
        if (WaitDepth)
            WaitDepthSeen.push_back(*WaitDepth);
        if (FailSaves)
            return false;
        std::ofstream(fileName) << formatIndex;
        return true;
    }
    bool CanWrite(std::int32_t) const override { return true; }
    TVxSaveError LastSaveError() const override { return FailSaves ? Error : TVxSaveError::None; }

    int SaveCount = 0;
    bool FailSaves = false;
    TVxSaveError Error = TVxSaveError::Other; // the reason a failed save gives
    const int* WaitDepth = nullptr;           // the UI's hourglass depth, seen at each load and save
    std::vector<int> WaitDepthSeen;
};

class TTestEditor : public TVxEditor {
public:
    explicit TTestEditor(IVxEditorUI& ui) : TVxEditor(ui) {}
    ~TTestEditor() override { FreeDocuments(); }
    TVxDocumentFormats& Formats() override { return FFormats; }
    std::unique_ptr<TVxDocument> CreateDocument() override { return std::make_unique<TVxGraphicsDocument>(*this); }
    TStubFormats& Stub() { return FFormats; }

private:
    TStubFormats FFormats;
};

// A change that adds delta to every byte of the picture; redo marks the document
// modified, as the tools' states do.
class TAddState : public TVxCommandState {
public:
    TAddState(TVxGraphicsDocument& document, int delta) : FDocument(document), FDelta(delta) { Apply(FDelta); }
    void Undo() override { Apply(-FDelta); }
    void Redo() override
    {
        Apply(FDelta);
        FDocument.Modified();
    }

private:
    void Apply(int delta)
    {
        TVxPixels& p = *FDocument.ImagePixels();
        for (int y = 0; y < p.Height(); ++y)
            for (int x = 0; x < p.Width() * 3; ++x)
                p.Row(y)[x] = static_cast<std::uint8_t>(p.Row(y)[x] + delta);
    }
    TVxGraphicsDocument& FDocument;
    int FDelta;
};

inline void Edit(TVxEditor& editor, int delta)
{
    auto& document = static_cast<TVxGraphicsDocument&>(*editor.ActiveDocument());
    document.History().Add(std::make_unique<TAddState>(document, delta));
    document.Modified();
}

