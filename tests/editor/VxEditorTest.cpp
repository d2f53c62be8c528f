#include <gtest/gtest.h>

#include "editor/VxEditorTestSupport.h"

namespace {

class VxEditorTest : public ::testing::Test {
protected:
    TVxGraphicsDocument& OpenNew(const std::wstring& name = L"a.jpg")
    {
        TVxDocument* document = nullptr;
        EXPECT_TRUE(Editor.Open(Folder.File(name), document, true));
        return static_cast<TVxGraphicsDocument&>(*document);
    }

    TTempFolder Folder;
    TScriptedUI UI;
    TTestEditor Editor{UI};
};

class TCountingState : public TVxCommandState {
public:
    explicit TCountingState(std::vector<std::string>& log, std::string name) : FLog(log), FName(std::move(name)) {}
    void Undo() override { FLog.push_back("undo " + FName); }
    void Redo() override { FLog.push_back("redo " + FName); }

private:
    std::vector<std::string>& FLog;
    std::string FName;
};

TEST(VxCommandHistoryListTest, CursorCountsAppliedStates)
{
    std::vector<std::string> log;
    TVxCommandHistoryList history;
    EXPECT_FALSE(history.CanUndo());
    EXPECT_FALSE(history.CanRedo());
    EXPECT_EQ(history.NextUndo(), nullptr);
    history.Add(std::make_unique<TCountingState>(log, "a"));
    history.Add(std::make_unique<TCountingState>(log, "b"));
    TVxCommandState* b = history.NextUndo();
    history.Undo();
    EXPECT_EQ(history.Cursor(), 1);
    EXPECT_EQ(history.NextRedo(), b);
    history.Undo();
    history.Undo(); // nothing left: no call
    history.Redo();
    EXPECT_EQ(log, (std::vector<std::string>{"undo b", "undo a", "redo a"}));
    EXPECT_TRUE(history.CanRedo());
    history.Add(std::make_unique<TCountingState>(log, "c"));
    EXPECT_EQ(history.Count(), 2);
    EXPECT_FALSE(history.CanRedo());
}

TEST_F(VxEditorTest, UndoToStartThenRedoMakesCloseAskAgain)
{
    TVxGraphicsDocument& document = OpenNew();
    Edit(Editor, 1);
    Edit(Editor, 2);
    Editor.UndoCommand();
    EXPECT_FALSE(document.Clean()); // an intermediate undo leaves the flag alone
    Editor.UndoCommand();
    EXPECT_TRUE(document.Clean());
    EXPECT_EQ(document.ImagePixels()->Row(0)[0], 0);
    Editor.RedoCommand();
    EXPECT_FALSE(document.Clean());
    UI.Answers = {TVxButton::Cancel};
    EXPECT_FALSE(document.Close());
    ASSERT_EQ(UI.Messages.size(), 1u);
    EXPECT_EQ(UI.Kinds[0], TVxMessageKind::YesNoCancelWarning);
    EXPECT_NE(UI.Messages[0].find(L"a.jpg"), std::wstring::npos);
    EXPECT_EQ(Editor.ActiveDocument(), &document);
    UI.Answers = {TVxButton::No};
    EXPECT_TRUE(document.Close());
    EXPECT_EQ(Editor.DocumentCount(), 0);
}

TEST_F(VxEditorTest, UndoAllAfterSaveReportsClean)
{
    TVxGraphicsDocument& document = OpenNew();
    Edit(Editor, 1);
    Edit(Editor, 2);
    ASSERT_TRUE(document.Save());
    EXPECT_TRUE(document.Clean());
    Edit(Editor, 3);
    EXPECT_FALSE(document.Clean());
    Editor.UndoAllCommand();
    EXPECT_FALSE(Editor.CanUndo());
    EXPECT_TRUE(document.Clean());
    EXPECT_EQ(document.ImagePixels()->Row(0)[0], 0);
}

TEST_F(VxEditorTest, NewEditDropsRedoStates)
{
    TVxGraphicsDocument& document = OpenNew();
    Edit(Editor, 1);
    Edit(Editor, 2);
    Edit(Editor, 4);
    Editor.UndoCommand();
    Editor.UndoCommand();
    EXPECT_TRUE(Editor.CanRedo());
    Edit(Editor, 8);
    EXPECT_FALSE(Editor.CanRedo());
    EXPECT_FALSE(Editor.ControlStates().Redo);
    EXPECT_EQ(document.History().Count(), 2);
    Editor.RedoAllCommand();
    EXPECT_EQ(document.ImagePixels()->Row(0)[0], 9);
}

TEST_F(VxEditorTest, UndoDisabledDisablesEveryEditCommand)
{
    OpenNew();
    Edit(Editor, 1);
    Editor.SetUndoEnabled(false);
    const TVxEditor::TControlStates states = Editor.ControlStates();
    EXPECT_FALSE(states.Undo || states.UndoAll || states.Redo || states.RedoAll);
    EXPECT_TRUE(states.Save && states.SaveAs && states.Close);
    Editor.UndoCommand();
    Editor.SetUndoEnabled(true);
    EXPECT_TRUE(Editor.CanUndo());
}

TEST_F(VxEditorTest, SixthRecentFileDropsOldestAndReopeningMovesToTop)
{
    std::vector<std::filesystem::path> files;
    for (int i = 1; i <= 6; ++i)
        files.push_back(Folder.File(L"f" + std::to_wstring(i) + L".jpg"));
    TVxDocument* document = nullptr;
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(Editor.Open(files[i], document, true));
    EXPECT_EQ(Editor.RecentFiles().size(), 5u);
    ASSERT_TRUE(Editor.Open(files[5], document, true));
    EXPECT_EQ(Editor.RecentFiles(), (std::vector<std::filesystem::path>{files[5], files[4], files[3], files[2], files[1]}));
    ASSERT_TRUE(Editor.Open(files[2], document, true));
    EXPECT_EQ(Editor.RecentFiles(), (std::vector<std::filesystem::path>{files[2], files[5], files[4], files[3], files[1]}));
    EXPECT_EQ(Editor.RecentFileCaptions()[0], L"&1 " + files[2].wstring());
    EXPECT_EQ(Editor.RecentFileCaptions()[4], L"&5 " + files[1].wstring());
}

TEST_F(VxEditorTest, RecentFilesSurviveStateFile)
{
    for (const wchar_t* name : {L"old.jpg", L"mid.jpg", L"new.jpg"})
        Editor.AddRecentFile(Folder.Path() / name);
    TVxMemoryStream stream;
    {
        TVxSDFWriter writer(&stream);
        Editor.SaveState(writer);
    }
    stream.Seek(0);
    TScriptedUI otherUI;
    TTestEditor restored(otherUI);
    TVxSDFReader reader(&stream);
    restored.LoadState(reader);
    EXPECT_EQ(restored.RecentFiles(), Editor.RecentFiles());
    EXPECT_EQ(restored.RecentFiles().front(), Folder.Path() / L"new.jpg");
}

TEST_F(VxEditorTest, DeletedRecentFileShowsErrorAndStaysListed)
{
    TVxGraphicsDocument& document = OpenNew(L"gone.jpg");
    ASSERT_TRUE(document.Close());
    std::filesystem::remove(Folder.Path() / L"gone.jpg");
    Editor.RecentFileClick(0);
    ASSERT_EQ(UI.Messages.size(), 1u);
    EXPECT_EQ(UI.Kinds[0], TVxMessageKind::Error);
    EXPECT_NE(UI.Messages[0].find(L"gone.jpg"), std::wstring::npos);
    EXPECT_EQ(Editor.RecentFiles().size(), 1u);
    EXPECT_EQ(Editor.DocumentCount(), 0);
}

TEST_F(VxEditorTest, CaptionShowsDocumentName)
{
    Editor.UpdateCaption();
    EXPECT_EQ(UI.Caption, L"Velloria");
    OpenNew(L"beach.png");
    EXPECT_EQ(UI.Caption, L"beach.png - Velloria");
}

struct TSaveNameCase {
    const wchar_t* Typed;
    std::int32_t FilterIndex;
    const wchar_t* Saved;
};

TEST_F(VxEditorTest, SaveDialogAppendsChosenExtension)
{
    const TSaveNameCase cases[] = {
        {L"photo", 1, L"photo.jpg"},
        {L"upper.JPG", 1, L"upper.JPG"},
        {L"other.png", 1, L"other.png.jpg"},
        {L"third.jpg", 2, L"third.jpg.png"},
    };
    TVxGraphicsDocument& document = OpenNew(L"start.png");
    for (const TSaveNameCase& c : cases) {
        SCOPED_TRACE(std::filesystem::path(c.Typed).string());
        UI.SaveChoice = TVxSaveChoice{Folder.Path() / c.Typed, c.FilterIndex};
        ASSERT_TRUE(Editor.SaveAsWithDialog(&document));
        EXPECT_EQ(document.FileName(), Folder.Path() / c.Saved);
        EXPECT_TRUE(std::filesystem::exists(Folder.Path() / c.Saved));
    }
}

TEST_F(VxEditorTest, SaveDialogPreselectsDocumentFormat)
{
    TVxGraphicsDocument& document = OpenNew(L"start.png");
    UI.SaveChoice.reset();
    EXPECT_FALSE(Editor.SaveAsWithDialog(&document));
    EXPECT_EQ(UI.SaveDialogFilterIndex, 2);
    EXPECT_EQ(UI.SaveDialogName, Folder.Path() / L"start");
    document.SetFormatIndex(5);
    Editor.SaveAsWithDialog(&document);
    EXPECT_EQ(UI.SaveDialogFilterIndex, 0);
}

TEST_F(VxEditorTest, RefusedOverwriteWritesNothing)
{
    TVxGraphicsDocument& document = OpenNew(L"start.png");
    Folder.File(L"taken.jpg", "old");
    UI.SaveChoice = TVxSaveChoice{Folder.Path() / L"taken", 1};
    UI.Answers = {TVxButton::No};
    EXPECT_FALSE(Editor.SaveAsWithDialog(&document));
    EXPECT_EQ(Editor.Stub().SaveCount, 0);
    EXPECT_EQ(UI.Kinds.back(), TVxMessageKind::YesNoWarning);
}

TEST_F(VxEditorTest, FailedSaveKeepsNameAndModifiedState)
{
    TVxGraphicsDocument& document = OpenNew(L"start.png");
    Edit(Editor, 1);
    Editor.Stub().FailSaves = true;
    UI.SaveChoice = TVxSaveChoice{Folder.Path() / L"other", 1};
    UI.Answers = {TVxButton::Yes};
    EXPECT_FALSE(document.Close()); // Yes, but the save failed: stays open
    EXPECT_EQ(Editor.DocumentCount(), 1);
    EXPECT_EQ(document.FileName(), Folder.Path() / L"start.png");
    EXPECT_FALSE(document.Clean());
}

TEST_F(VxEditorTest, FailedSaveNamesTheFileAndTheReason)
{
    struct TCase {
        TVxSaveError Error;
        const wchar_t* Reason;
    };
    const TCase cases[] = {
        {TVxSaveError::ReadOnly, L"The file is read-only."},
        {TVxSaveError::InUse, L"The file is in use by another program."},
        {TVxSaveError::DiskFull, L"There is not enough space on the disk."},
        {TVxSaveError::AccessDenied, L"Access to the file or its folder is denied."},
        {TVxSaveError::Other, L"The picture could not be written."},
    };
    TVxGraphicsDocument& document = OpenNew(L"start.png");
    Edit(Editor, 1);
    Editor.Stub().FailSaves = true;
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(c.Error));
        Editor.Stub().Error = c.Error;
        UI.SaveChoice = TVxSaveChoice{Folder.Path() / L"other", 2};
        UI.Messages.clear();
        EXPECT_FALSE(Editor.SaveAsWithDialog(&document));
        ASSERT_EQ(UI.Messages.size(), 1u);
        EXPECT_EQ(UI.Messages.back(), L"Cannot save the file \"" + (Folder.Path() / L"other.png").wstring() + L"\".\n\n" + c.Reason);
        EXPECT_EQ(UI.Kinds.back(), TVxMessageKind::Error);
        EXPECT_EQ(document.FileName(), Folder.Path() / L"start.png");
        EXPECT_FALSE(document.Clean());
    }
}

TEST_F(VxEditorTest, CancelledSaveSaysNothing)
{
    TVxGraphicsDocument& document = OpenNew(L"start.png");
    Edit(Editor, 1);
    Editor.Stub().FailSaves = true;
    Editor.Stub().Error = TVxSaveError::Cancelled;
    UI.SaveChoice = TVxSaveChoice{Folder.Path() / L"other", 1};
    EXPECT_FALSE(Editor.SaveAsWithDialog(&document));
    EXPECT_TRUE(UI.Messages.empty());
    EXPECT_FALSE(document.Clean());
}

TEST_F(VxEditorTest, LoadingAndSavingShowTheHourglass)
{
    Editor.Stub().WaitDepth = &UI.WaitDepth;
    TVxGraphicsDocument& document = OpenNew(L"start.png");
    UI.SaveChoice = TVxSaveChoice{Folder.Path() / L"copy", 1};
    EXPECT_TRUE(Editor.SaveAsWithDialog(&document));
    Editor.Stub().FailSaves = true;
    EXPECT_FALSE(document.Save());
    // On during the load, the save and the failed save, and ended each time.
    EXPECT_EQ(Editor.Stub().WaitDepthSeen, (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(UI.WaitDepth, 0);
}

TEST_F(VxEditorTest, QuittingAsksOnlyForModifiedDocument)
{
    OpenNew();
    bool canClose = false;
    Editor.CloseQuery(canClose);
    EXPECT_TRUE(canClose);
    EXPECT_TRUE(UI.Messages.empty());

    OpenNew(L"b.jpg");
    Edit(Editor, 1);
    UI.Answers = {TVxButton::Cancel};
    Editor.CloseQuery(canClose);
    EXPECT_FALSE(canClose);
    EXPECT_EQ(UI.Messages.size(), 1u);
    EXPECT_EQ(Editor.DocumentCount(), 1);
}

TEST_F(VxEditorTest, OpeningAnotherFileIsAbandonedWhenSavePromptIsCancelled)
{
    TVxGraphicsDocument& first = OpenNew(L"one.jpg");
    Edit(Editor, 1);
    UI.Answers = {TVxButton::Cancel};
    TVxDocument* document = nullptr;
    EXPECT_FALSE(Editor.Open(Folder.File(L"two.jpg"), document, true));
    EXPECT_EQ(Editor.ActiveDocument(), &first);
}

TEST_F(VxEditorTest, LessonCommandsAndPluginMode)
{
    TVxGraphicsDocument& document = OpenNew();
    Edit(Editor, 5);
    bool handled = false;
    Editor.ExecuteCommand(L"UNDO", handled);
    EXPECT_TRUE(handled);
    EXPECT_EQ(document.ImagePixels()->Row(0)[0], 0);
    Editor.ExecuteCommand(L"ZOOMIN", handled);
    EXPECT_FALSE(handled);
    Editor.SetPluginMode(true);
    EXPECT_TRUE(Editor.PluginMode());
    EXPECT_EQ(UI.ExitCode, -1);
    UI.ExitCode = 7;
    Editor.SetPluginMode(true); // once only
    EXPECT_EQ(UI.ExitCode, 7);
}

} // namespace
