// Running out of pixel memory in the middle of an open or an edit: the document and its
// history stay as they were, and the user reads why.
#include <gtest/gtest.h>

#include <cstring>

#include "editor/VxEditorStrings.h"
#include "editor/VxEditorTestSupport.h"
#include "support/VxPageFailures.h"

namespace {

// An undoable change that, like a turn, builds its result in a second full-picture buffer
// before it replaces the picture.
class TInvertAsideState : public TVxCommandState {
public:
    explicit TInvertAsideState(TVxGraphicsDocument& document) : FDocument(document) { Apply(); }
    void Undo() override { Apply(); }
    void Redo() override { Apply(); }

private:
    void Apply()
    {
        TVxPixels& picture = *FDocument.ImagePixels();
        TVxPixelBuffer aside;
        aside.Assign(picture);
        for (int y = 0; y < aside.Height(); ++y)
            for (int x = 0; x < aside.Width() * 3; ++x)
                aside.Row(y)[x] = static_cast<std::uint8_t>(255 - aside.Row(y)[x]);
        picture.CopyFrom(aside);
    }
    TVxGraphicsDocument& FDocument;
};

std::vector<std::uint8_t> Bytes(const TVxPixels& pixels)
{
    std::vector<std::uint8_t> bytes;
    for (int y = pixels.Top(); y < pixels.Top() + pixels.Height(); ++y)
        bytes.insert(bytes.end(), pixels.Row(y), pixels.Row(y) + pixels.Width() * 3);
    return bytes;
}

// A picture with a different value in every byte, so a turn or a flip shows.
void Number(TVxPixels& pixels)
{
    for (int y = 0; y < pixels.Height(); ++y)
        for (int x = 0; x < pixels.Width() * 3; ++x)
            pixels.Row(y)[x] = static_cast<std::uint8_t>(y * 40 + x + 1);
}

class VxOutOfMemoryTest : public ::testing::Test {
protected:
    TVxGraphicsDocument& OpenNew()
    {
        TVxDocument* document = nullptr;
        EXPECT_TRUE(Editor.Open(Folder.File(L"a.jpg"), document, true));
        auto& graphics = static_cast<TVxGraphicsDocument&>(*document);
        Number(*graphics.ImagePixels());
        Number(*graphics.OriginalPixels());
        graphics.ResetBackup();
        return graphics;
    }

    TTempFolder Folder;
    TScriptedUI UI;
    TTestEditor Editor{UI};
};

// The stub format takes the picture (allocation 1), its original copy (2) and the backup
// (3); any of them failing must leave no document behind.
TEST_F(VxOutOfMemoryTest, OpenThatRunsOutOfMemoryLeavesNoDocumentAndSaysSo)
{
    for (const int failing : {2, 3}) {
        SCOPED_TRACE(failing);
        UI.Messages.clear();
        const std::filesystem::path file = Folder.File(L"big.jpg");
        TVxDocument* document = reinterpret_cast<TVxDocument*>(1);
        {
            const TVxPageFailures failures(failing);
            EXPECT_FALSE(Editor.Open(file, document, true));
        }
        EXPECT_EQ(document, nullptr);
        EXPECT_EQ(Editor.DocumentCount(), 0);
        EXPECT_TRUE(Editor.RecentFiles().empty());
        EXPECT_EQ(UI.Messages, std::vector<std::wstring>{FormatVxString(VxStrings::OpenOutOfMemory, file.wstring())});
        EXPECT_EQ(UI.Kinds.back(), TVxMessageKind::Error);
    }
    TVxDocument* document = nullptr;
    EXPECT_TRUE(Editor.Open(Folder.File(L"big.jpg"), document, true)) << "memory back: the same file opens";
}

struct THistoryStepCase {
    const char* Name;
    void (TVxEditor::*Command)();
    bool UndoneFirst; // the step is a redo: undo once before memory runs out
};

TEST_F(VxOutOfMemoryTest, HistoryStepThatRunsOutOfMemoryKeepsPictureAndCursor)
{
    const THistoryStepCase cases[] = {
        {"undo", &TVxEditor::UndoCommand, false},
        {"undo all", &TVxEditor::UndoAllCommand, false},
        {"redo", &TVxEditor::RedoCommand, true},
        {"redo all", &TVxEditor::RedoAllCommand, true},
    };
    for (const THistoryStepCase& c : cases) {
        SCOPED_TRACE(c.Name);
        UI.Messages.clear();
        TVxGraphicsDocument& document = OpenNew();
        document.History().Add(std::make_unique<TInvertAsideState>(document));
        document.Modified();
        if (c.UndoneFirst)
            Editor.UndoCommand();
        const std::vector<std::uint8_t> before = Bytes(*document.ImagePixels());
        const std::int32_t cursor = document.History().Cursor();
        const bool clean = document.Clean();
        {
            const TVxPageFailures failures(1);
            (Editor.*c.Command)();
        }
        EXPECT_EQ(Bytes(*document.ImagePixels()), before);
        EXPECT_EQ(document.History().Cursor(), cursor);
        EXPECT_EQ(document.History().Count(), 1);
        EXPECT_EQ(document.Clean(), clean);
        EXPECT_EQ(UI.Messages, std::vector<std::wstring>{LoadVxString(VxStrings::EditOutOfMemory)});

        (Editor.*c.Command)(); // with memory the same step goes through
        EXPECT_NE(Bytes(*document.ImagePixels()), before);
        EXPECT_EQ(document.History().Cursor(), c.UndoneFirst ? 1 : 0);
        ASSERT_TRUE(Editor.CloseActive());
    }
}

struct TTurnCase {
    const char* Name;
    bool (TVxGraphicsDocument::*Turn)();
    int Allocations; // a flip keeps the size, so the backup is rewritten in place
};

// A turn takes the original's new buffer (allocation 1), the picture's (2) and, when the
// size changes, the backup's (3); whichever fails, picture, original and backup stay as
// they were.
TEST_F(VxOutOfMemoryTest, TurnThatRunsOutOfMemoryLeavesDocumentAsItWas)
{
    const TTurnCase cases[] = {
        {"rotate left", &TVxGraphicsDocument::RotateLeft, 3},
        {"rotate right", &TVxGraphicsDocument::RotateRight, 3},
        {"flip horizontal", &TVxGraphicsDocument::FlipHorizontal, 2},
        {"flip vertical", &TVxGraphicsDocument::FlipVertical, 2},
    };
    TVxGraphicsDocument& document = OpenNew();
    const std::vector<std::uint8_t> picture = Bytes(*document.ImagePixels());
    const std::vector<std::uint8_t> original = Bytes(*document.OriginalPixels());
    for (const TTurnCase& c : cases)
        for (int failing = 1; failing <= c.Allocations; ++failing) {
            SCOPED_TRACE(std::string(c.Name) + ", allocation " + std::to_string(failing));
            bool done = true;
            {
                const TVxPageFailures failures(failing, failing);
                done = (document.*c.Turn)();
            }
            EXPECT_FALSE(done);
            EXPECT_EQ(document.ImagePixels()->GetBounds(), (TRect{0, 0, 4, 3}));
            EXPECT_EQ(Bytes(*document.ImagePixels()), picture);
            EXPECT_EQ(Bytes(*document.OriginalPixels()), original);
            EXPECT_EQ(Bytes(document.Backup()), picture);
        }
}

} // namespace
