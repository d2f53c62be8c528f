#include <gtest/gtest.h>

#include "editor/VxEditorStrings.h"
#include "editor/VxEditorTestSupport.h"
#include "support/VxPageFailures.h"
#include "support/VxPixelCompare.h"
#include "support/VxTestPictures.h"
#include "tools/VxCropCommandState.h"

namespace {

class TCropTestTool : public TVxGraphicsToolBase {
public:
    TCropTestTool() { SetExclusive(true); }
    // A crop records its own step; the framework's change step would add a second one.
    void CommitChange() override {}
};

class VxCropCommandStateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Document.Image().Allocate(40, 30, fmtBGR24));
        ASSERT_TRUE(Document.OriginalImage().Allocate(40, 30, fmtBGR24));
        FillRandom(*Document.ImagePixels(), 1);
        FillRandom(*Document.OriginalPixels(), 2);
        Document.ResetBackup();
        Document.SetClean(true);
        Image.Assign(*Document.ImagePixels());
        Original.Assign(*Document.OriginalPixels());
    }

    TScriptedUI UI;
    TTestEditor Editor{UI};
    TVxGraphicsDocument Document{Editor};
    TCropTestTool Tool;
    TVxPixelBuffer Image;
    TVxPixelBuffer Original;
};

} // namespace

TEST_F(VxCropCommandStateTest, UndoRestoresBothPicturesAndTheWorkingAreaRedoCropsAgain)
{
    Document.SetWorkArea({2, 3, 30, 25});
    const TRect crop{5, 6, 25, 20};
    ASSERT_TRUE(PerformCrop(Tool, Document, nullptr, crop));
    ASSERT_EQ(Document.History().Count(), 1);
    EXPECT_FALSE(Document.Clean());
    EXPECT_FALSE(Document.EditInProgress());
    EXPECT_EQ(Document.ImagePixels()->GetBounds(), (TRect{0, 0, 20, 14}));
    EXPECT_EQ(Document.OriginalPixels()->GetBounds(), (TRect{0, 0, 20, 14}));
    EXPECT_FALSE(Document.HasWorkArea());
    TVxPixelBuffer cropped(fmtBGR24, {0, 0, 20, 14});
    cropped.CopyRect(0, 0, Image, crop);
    EXPECT_TRUE(SamePixels(*Document.ImagePixels(), cropped));
    EXPECT_TRUE(SamePixels(Document.Backup(), cropped));

    Document.History().Undo();
    EXPECT_TRUE(SamePixels(*Document.ImagePixels(), Image));
    EXPECT_TRUE(SamePixels(*Document.OriginalPixels(), Original));
    EXPECT_TRUE(SamePixels(Document.Backup(), Image));
    EXPECT_EQ(Document.WorkArea(), (TRect{2, 3, 30, 25}));

    Document.SetClean(true);
    Document.History().Redo();
    EXPECT_TRUE(SamePixels(*Document.ImagePixels(), cropped));
    EXPECT_EQ(Document.OriginalPixels()->GetBounds(), (TRect{0, 0, 20, 14}));
    EXPECT_FALSE(Document.Clean());
}

TEST_F(VxCropCommandStateTest, ARectangleOutsideThePictureRecordsNothing)
{
    // A step to redo, which an empty crop must not throw away.
    ASSERT_TRUE(PerformCrop(Tool, Document, nullptr, {0, 0, 30, 30}));
    Document.History().Undo();
    Document.SetClean(true);
    for (const TRect rect : {TRect{}, TRect{10, 10, 10, 20}, TRect{40, 0, 60, 30}, TRect{-20, -20, 0, 0}}) {
        EXPECT_FALSE(PerformCrop(Tool, Document, nullptr, rect));
        EXPECT_EQ(Document.History().Count(), 1);
        EXPECT_TRUE(Document.History().CanRedo());
        EXPECT_TRUE(Document.Clean());
        EXPECT_FALSE(Document.EditInProgress());
        EXPECT_TRUE(SamePixels(*Document.ImagePixels(), Image));
    }
}

TEST_F(VxCropCommandStateTest, OutOfMemoryLeavesTheDocumentAsItWasAndSaysSo)
{
    // Each allocation of the crop in turn fails, until the crop needs no more.
    for (int failing = 1;; ++failing) {
        SCOPED_TRACE(failing);
        ASSERT_LT(failing, 50);
        bool cropped = false;
        {
            const TVxPageFailures failures(failing, failing);
            cropped = PerformCrop(Tool, Document, nullptr, {5, 5, 20, 20});
        }
        if (cropped)
            break;
        EXPECT_EQ(Document.History().Count(), 0);
        EXPECT_TRUE(Document.Clean());
        EXPECT_FALSE(Document.EditInProgress());
        EXPECT_TRUE(SamePixels(*Document.ImagePixels(), Image));
        EXPECT_TRUE(SamePixels(*Document.OriginalPixels(), Original));
        ASSERT_EQ(UI.Messages.size(), static_cast<std::size_t>(failing));
        EXPECT_EQ(UI.Messages.back(), LoadVxString(VxStrings::EditOutOfMemory));
    }
    EXPECT_EQ(Document.History().Count(), 1);
    EXPECT_EQ(Document.ImagePixels()->GetBounds(), (TRect{0, 0, 15, 15}));
}
