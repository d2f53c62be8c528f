#include <gtest/gtest.h>

#include "editor/VxEditorStrings.h"
#include "editor/VxEditorTestSupport.h"
#include "support/VxPageFailures.h"
#include "view/VxToolFramework.h"

namespace {

class TRecordingView : public TVxGraphicsDocumentView {
public:
    void InvalidateImageRect(const TRect& rect) override { Invalidated.push_back(rect); }
    void ImageChanged(std::int32_t, std::int32_t) override {}
    std::vector<TRect> Invalidated;
};

// The tool the tests use until real tools exist: strokes fill a rectangle with a value.
class TStrokeTool : public TVxGraphicsToolBase {
public:
    explicit TStrokeTool(bool exclusive = false, bool inPluginMode = false)
    {
        SetExclusive(exclusive);
        SetAvailableInPluginMode(inPluginMode);
        SetCommandName(L"Stroke");
    }
    void Stroke(TVxGraphicsDocument& document, TVxGraphicsDocumentView* view, const TRect& rect, std::uint8_t value)
    {
        if (ChangeDocument() != &document)
            BeginChange(document, view);
        TVxPixels& image = *document.ImagePixels();
        for (int y = rect.Top; y < rect.Bottom; ++y)
            std::fill(image.PixelAddress(rect.Left, y), image.PixelAddress(rect.Right, y), value);
        document.AddChangedRect(rect, false);
    }
    void Activate() override
    {
        TVxGraphicsToolBase::Activate();
        ++Activations;
    }
    void Deactivate() override
    {
        TVxGraphicsToolBase::Deactivate();
        ++Deactivations;
    }
    int Activations = 0;
    int Deactivations = 0;
};

class TRestoredLog : public IVxGraphicsToolBroadcast {
public:
    void DocumentOpened(TVxGraphicsDocument&) override {}
    void DocumentSaving(TVxGraphicsDocument&) override {}
    void DocumentClosing(TVxGraphicsDocument&) override {}
    void StateRestored(TVxGraphicsDocument&, IVxEditingTool* tool, const TRect& rect) override
    {
        Tools.push_back(tool);
        Rects.push_back(rect);
    }
    void ImageBufferMoved(TVxGraphicsDocument&) override {}
    std::vector<IVxEditingTool*> Tools;
    std::vector<TRect> Rects;
};

class VxToolFrameworkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Document.Image().Allocate(8, 6, fmtBGR24));
        std::fill(Document.ImagePixels()->Data(), Document.ImagePixels()->Data() + Document.ImagePixels()->Stride() * 6, 10);
        Document.ResetBackup();
        Document.SetTools(&Restored);
    }

    std::uint8_t At(int x, int y) const { return *Document.ImagePixels()->PixelAddress(x, y); }
    std::uint8_t BackupAt(int x, int y) const { return *Document.Backup().PixelAddress(x, y); }

    TScriptedUI UI;
    TTestEditor Editor{UI};
    TVxGraphicsDocument Document{Editor};
    TRestoredLog Restored;
    TRecordingView View;
};

TEST_F(VxToolFrameworkTest, TwoStrokesUndoOneAtATime)
{
    TStrokeTool tool;
    tool.Stroke(Document, &View, {0, 0, 2, 2}, 50);
    tool.EndChange();
    tool.Stroke(Document, &View, {1, 1, 4, 3}, 90);
    tool.EndChange();
    ASSERT_EQ(Document.History().Count(), 2);
    EXPECT_FALSE(Document.Clean());
    EXPECT_EQ(At(1, 1), 90);
    EXPECT_EQ(BackupAt(1, 1), 90);

    Document.History().Undo();
    EXPECT_EQ(At(1, 1), 50); // the first stroke shows again under the second
    EXPECT_EQ(At(3, 2), 10);
    EXPECT_EQ(At(0, 0), 50);
    EXPECT_EQ(BackupAt(1, 1), 50);
    Document.History().Undo();
    EXPECT_EQ(At(0, 0), 10);
    EXPECT_EQ(At(1, 1), 10);

    Document.SetClean(true);
    Document.History().Redo();
    EXPECT_EQ(At(0, 0), 50);
    EXPECT_FALSE(Document.Clean());
}

TEST_F(VxToolFrameworkTest, StatesCoverExactlyTheChangedRectangle)
{
    TStrokeTool tool;
    tool.Stroke(Document, &View, {2, 1, 3, 2}, 70);
    tool.Stroke(Document, &View, {5, 4, 6, 5}, 80);
    tool.EndChange();
    ASSERT_EQ(Document.History().Count(), 1);
    const auto* state = dynamic_cast<TVxGraphicsCommandState*>(Document.History().NextUndo());
    ASSERT_NE(state, nullptr);
    EXPECT_EQ(state->Before().GetBounds(), (TRect{2, 1, 6, 5}));
    EXPECT_EQ(state->After().GetBounds(), (TRect{2, 1, 6, 5}));
    EXPECT_EQ(*state->Before().PixelAddress(2, 1), 10);
    EXPECT_EQ(*state->After().PixelAddress(2, 1), 70);
    EXPECT_EQ(*state->After().PixelAddress(5, 4), 80);
    EXPECT_EQ(state->Tool(), &tool);
    // The state's creation was announced once with its tool and rectangle.
    ASSERT_EQ(Restored.Rects.size(), 1u);
    EXPECT_EQ(Restored.Rects[0], (TRect{2, 1, 6, 5}));
    EXPECT_EQ(Restored.Tools[0], &tool);
    EXPECT_FALSE(Document.EditInProgress());
}

TEST_F(VxToolFrameworkTest, AChangeBegunByOneToolIsCommittedWhenAnotherBegins)
{
    TStrokeTool first, second;
    first.Stroke(Document, &View, {0, 0, 1, 1}, 40);
    second.Stroke(Document, &View, {7, 5, 8, 6}, 60);
    ASSERT_EQ(Document.History().Count(), 1);
    EXPECT_EQ(first.ChangeDocument(), nullptr);
    EXPECT_EQ(Document.EditingTool(), &second);
    second.EndChange();
    ASSERT_EQ(Document.History().Count(), 2);
    Document.History().Undo();
    EXPECT_EQ(At(7, 5), 10);
    EXPECT_EQ(At(0, 0), 40);
    Document.History().Undo();
    EXPECT_EQ(At(0, 0), 10);
}

TEST_F(VxToolFrameworkTest, CancelRestoresThePictureAndRecordsNothing)
{
    TStrokeTool tool;
    tool.Stroke(Document, &View, {0, 0, 8, 6}, 99);
    View.Invalidated.clear();
    tool.CancelChange();
    EXPECT_EQ(At(4, 3), 10);
    EXPECT_EQ(Document.History().Count(), 0);
    EXPECT_FALSE(Document.EditInProgress());
    EXPECT_EQ(View.Invalidated, (std::vector<TRect>{{0, 0, 8, 6}}));
    tool.CancelChange(); // nothing in progress: nothing happens
    EXPECT_EQ(View.Invalidated.size(), 1u);
}

// The state that would make the stroke undoable needs memory for the pixels before and
// after; without it the stroke is taken back rather than kept beyond undo's reach.
TEST_F(VxToolFrameworkTest, AStrokeWithoutMemoryForItsUndoIsTakenBackAndReported)
{
    TStrokeTool tool;
    tool.Stroke(Document, &View, {0, 0, 2, 2}, 50);
    tool.EndChange();
    tool.Stroke(Document, &View, {1, 1, 4, 3}, 90);
    View.Invalidated.clear();
    {
        const TVxPageFailures failures(1);
        tool.EndChange();
    }
    EXPECT_EQ(At(1, 1), 50) << "the first stroke shows again where the second was";
    EXPECT_EQ(At(3, 2), 10);
    EXPECT_EQ(BackupAt(3, 2), 10);
    EXPECT_EQ(Document.History().Count(), 1);
    EXPECT_EQ(Document.History().Cursor(), 1);
    EXPECT_FALSE(Document.EditInProgress());
    EXPECT_EQ(View.Invalidated, (std::vector<TRect>{{1, 1, 4, 3}}));
    EXPECT_EQ(UI.Messages, std::vector<std::wstring>{LoadVxString(VxStrings::EditOutOfMemory)});

    Document.History().Undo(); // the history still describes the picture
    EXPECT_EQ(At(0, 0), 10);
    EXPECT_EQ(At(1, 1), 10);
}

TEST_F(VxToolFrameworkTest, AnEmptyChangeRecordsNothing)
{
    TStrokeTool tool;
    tool.BeginChange(Document, &View);
    tool.EndChange();
    EXPECT_EQ(Document.History().Count(), 0);
    EXPECT_TRUE(Document.Clean());
    EXPECT_FALSE(Document.EditInProgress());
}

TEST_F(VxToolFrameworkTest, CommitAfterTheBoundsChangedRemakesTheBackup)
{
    TStrokeTool tool;
    tool.BeginChange(Document, &View);
    Document.Backup().SetFormatAndBounds(fmtBGR24, TRect{0, 0, 3, 3}); // stale, as after a resize
    tool.Stroke(Document, &View, {0, 0, 1, 1}, 33);
    tool.EndChange();
    EXPECT_EQ(Document.Backup().GetBounds(), (TRect{0, 0, 8, 6}));
    EXPECT_EQ(BackupAt(7, 5), 10);
    EXPECT_EQ(BackupAt(0, 0), 33);
}

TEST_F(VxToolFrameworkTest, RedoingEveryStepThenUndoingReturnsTheStart)
{
    TStrokeTool tool;
    const std::uint8_t values[] = {20, 30, 40, 50};
    for (int i = 0; i < 4; ++i) {
        tool.Stroke(Document, &View, {i, i, i + 3, i + 2}, values[i]);
        tool.EndChange();
    }
    std::vector<std::uint8_t> after(Document.ImagePixels()->Data(), Document.ImagePixels()->Data() + Document.ImagePixels()->Stride() * 6);
    while (Document.History().CanUndo())
        Document.History().Undo();
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x)
            ASSERT_EQ(At(x, y), 10);
    while (Document.History().CanRedo())
        Document.History().Redo();
    EXPECT_EQ(std::vector<std::uint8_t>(Document.ImagePixels()->Data(), Document.ImagePixels()->Data() + Document.ImagePixels()->Stride() * 6), after);
}

TEST_F(VxToolFrameworkTest, CanStartEditRules)
{
    TStrokeTool plain, exclusive(true), other;
    TVxToolSwitch tools;
    EXPECT_FALSE(tools.CanStartEdit(&plain, nullptr));
    EXPECT_TRUE(tools.CanStartEdit(&plain, &Document));

    tools.SetActiveTool(&plain);
    tools.LockTools();
    EXPECT_TRUE(tools.CanStartEdit(&plain, &Document));
    EXPECT_FALSE(tools.CanStartEdit(&other, &Document));
    tools.UnlockTools();
    EXPECT_TRUE(tools.CanStartEdit(&other, &Document));

    exclusive.BeginChange(Document, &View);
    EXPECT_TRUE(tools.CanStartEdit(&exclusive, &Document));
    EXPECT_FALSE(tools.CanStartEdit(&other, &Document));
    exclusive.EndChange();
    EXPECT_TRUE(tools.CanStartEdit(&other, &Document));

    plain.BeginChange(Document, &View);
    EXPECT_TRUE(tools.CanStartEdit(&other, &Document)); // a plain tool's change does not lock others out
    plain.CancelChange();
}

TEST_F(VxToolFrameworkTest, SetActiveToolRemembersThePreviousTool)
{
    TStrokeTool first, hand;
    TVxToolSwitch tools;
    tools.SetActiveTool(&first);
    EXPECT_TRUE(first.Active());
    tools.SetActiveTool(&hand);
    EXPECT_FALSE(first.Active());
    EXPECT_TRUE(hand.Active());
    EXPECT_EQ(tools.PreviousTool(), &first);
    tools.SetActiveTool(tools.PreviousTool());
    EXPECT_EQ(tools.ActiveTool(), &first);
    EXPECT_EQ(first.Activations, 2);
    EXPECT_EQ(hand.Deactivations, 1);
    tools.SetActiveTool(nullptr);
    EXPECT_FALSE(first.Active());
    EXPECT_EQ(tools.ActiveTool(), nullptr);
}

TEST_F(VxToolFrameworkTest, PluginModeTakesThePluginAvailability)
{
    TStrokeTool crop(true, false), brush(false, true);
    for (bool pluginMode : {false, true}) {
        SCOPED_TRACE(pluginMode);
        crop.SetAvailable(true);
        brush.SetAvailable(true);
        crop.DocumentOpened(Document, pluginMode);
        brush.DocumentOpened(Document, pluginMode);
        EXPECT_EQ(crop.Available(), !pluginMode);
        EXPECT_TRUE(brush.Available());
    }
}

} // namespace
