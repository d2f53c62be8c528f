#include <gtest/gtest.h>

#include "editor/VxEditorTestSupport.h"

namespace {

class TRecordingView : public TVxGraphicsDocumentView {
public:
    void InvalidateImageRect(const TRect& rect) override { Invalidated.push_back(rect); }
    void ImageChanged(std::int32_t width, std::int32_t height) override { LastSize = TSize{width, height}; }
    std::vector<TRect> Invalidated;
    TSize LastSize;
};

class TRecordingTool : public IVxEditingTool {
public:
    void EndChange() override { ++Ends; }
    int Ends = 0;
};

class VxGraphicsDocumentTest : public ::testing::Test {
protected:
    void SetUp() override { Fill(7, 5); }

    // Every pixel a different colour, so any misplaced pixel shows.
    void Fill(int width, int height)
    {
        ASSERT_TRUE(Document.Image().Allocate(width, height, fmtBGR24));
        TVxPixels& p = *Document.ImagePixels();
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                std::uint8_t* px = p.PixelAddress(x, y);
                px[0] = static_cast<std::uint8_t>(x * 16 + y);
                px[1] = static_cast<std::uint8_t>(y * 31 + 1);
                px[2] = static_cast<std::uint8_t>(x ^ (y << 3));
            }
        ASSERT_TRUE(Document.OriginalImage().LoadFromBuffer(p));
        Document.ResetBackup();
    }

    static std::vector<std::uint8_t> Bytes(const TVxPixels& p)
    {
        std::vector<std::uint8_t> bytes;
        for (int y = 0; y < p.Height(); ++y)
            bytes.insert(bytes.end(), p.Row(p.Top() + y), p.Row(p.Top() + y) + p.Width() * 3);
        return bytes;
    }

    bool BackupMatchesImage() const { return Bytes(Document.Backup()) == Bytes(*Document.ImagePixels()); }

    TScriptedUI UI;
    TTestEditor Editor{UI};
    TVxGraphicsDocument Document{Editor};
};

struct TInverseCase {
    const char* Name;
    bool (TVxGraphicsDocument::*First)();
    bool (TVxGraphicsDocument::*Second)();
};

TEST_F(VxGraphicsDocumentTest, OperationThenInverseGivesPictureAndWorkAreaBack)
{
    const TInverseCase cases[] = {
        {"left-right", &TVxGraphicsDocument::RotateLeft, &TVxGraphicsDocument::RotateRight},
        {"right-left", &TVxGraphicsDocument::RotateRight, &TVxGraphicsDocument::RotateLeft},
        {"flip-h", &TVxGraphicsDocument::FlipHorizontal, &TVxGraphicsDocument::FlipHorizontal},
        {"flip-v", &TVxGraphicsDocument::FlipVertical, &TVxGraphicsDocument::FlipVertical},
    };
    for (const TInverseCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Fill(7, 5);
        Document.SetWorkArea(Rect(1, 2, 5, 4));
        const std::vector<std::uint8_t> before = Bytes(*Document.ImagePixels());
        ASSERT_TRUE((Document.*c.First)());
        EXPECT_TRUE(BackupMatchesImage());
        ASSERT_TRUE((Document.*c.Second)());
        EXPECT_EQ(Bytes(*Document.ImagePixels()), before);
        EXPECT_EQ(Bytes(*Document.OriginalPixels()), before);
        EXPECT_EQ(Document.WorkArea(), Rect(1, 2, 5, 4));
        EXPECT_TRUE(BackupMatchesImage());
    }
}

TEST_F(VxGraphicsDocumentTest, WorkAreaFollowsPicture)
{
    // W = 7, H = 5; the area's pixels must still be the same pixels afterwards.
    struct TCase {
        const char* Name;
        bool (TVxGraphicsDocument::*Operation)();
        TRect Expected;
    } const cases[] = {
        {"left", &TVxGraphicsDocument::RotateLeft, Rect(2, 2, 4, 6)},   // (T, W-R, B, W-L)
        {"right", &TVxGraphicsDocument::RotateRight, Rect(1, 1, 3, 5)}, // (H-B, L, H-T, R)
        {"flip-h", &TVxGraphicsDocument::FlipHorizontal, Rect(2, 2, 6, 4)},
        {"flip-v", &TVxGraphicsDocument::FlipVertical, Rect(1, 1, 5, 3)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Fill(7, 5);
        Document.SetWorkArea(Rect(1, 2, 5, 4));
        const TVxPixels& before = *Document.ImagePixels();
        const std::uint32_t cornerSum = before.PixelAddress(1, 2)[0] + before.PixelAddress(4, 2)[0] + before.PixelAddress(1, 3)[0]
                                        + before.PixelAddress(4, 3)[0];
        ASSERT_TRUE((Document.*c.Operation)());
        const TRect a = Document.WorkArea();
        EXPECT_EQ(a, c.Expected);
        const TVxPixels& after = *Document.ImagePixels();
        EXPECT_EQ(after.PixelAddress(a.Left, a.Top)[0] + after.PixelAddress(a.Right - 1, a.Top)[0]
                      + after.PixelAddress(a.Left, a.Bottom - 1)[0] + after.PixelAddress(a.Right - 1, a.Bottom - 1)[0],
                  cornerSum);
    }
}

TEST_F(VxGraphicsDocumentTest, CropPartlyOutsideKeepsOverlap)
{
    Document.SetWorkArea(Rect(1, 1, 3, 3));
    const std::uint8_t corner = Document.ImagePixels()->PixelAddress(4, 3)[0];
    ASSERT_TRUE(Document.Crop(Rect(4, 3, 20, 20)));
    EXPECT_EQ(Document.Image().GetBounds(), Rect(0, 0, 3, 2));
    EXPECT_EQ(Document.OriginalImage().GetBounds(), Rect(0, 0, 3, 2));
    EXPECT_EQ(Document.ImagePixels()->PixelAddress(0, 0)[0], corner);
    EXPECT_FALSE(Document.HasWorkArea());
    EXPECT_TRUE(BackupMatchesImage());
}

TEST_F(VxGraphicsDocumentTest, CropOutsideDoesNothing)
{
    EXPECT_FALSE(Document.Crop(Rect(10, 10, 20, 20)));
    EXPECT_EQ(Document.Image().GetBounds(), Rect(0, 0, 7, 5));
}

TEST_F(VxGraphicsDocumentTest, SetWorkAreaClipsAndWholePictureClears)
{
    Document.SetWorkArea(Rect(-3, 1, 4, 9));
    EXPECT_EQ(Document.WorkArea(), Rect(0, 1, 4, 5));
    TRect area;
    Document.GetWorkArea(area);
    EXPECT_EQ(area, Rect(0, 1, 4, 5));
    Document.SetWorkArea(Rect(0, 0, 7, 5));
    EXPECT_FALSE(Document.HasWorkArea());
    Document.GetWorkArea(area);
    EXPECT_EQ(area, Rect(0, 0, 7, 5));
    Document.SetWorkArea(Rect(-1, -1, 70, 50));
    EXPECT_FALSE(Document.HasWorkArea());
}

TEST_F(VxGraphicsDocumentTest, ChangedRectIsUnionUnlessReplaced)
{
    auto view = std::make_unique<TRecordingView>();
    TRecordingView* spy = view.get();
    Document.SetViewFactory([](TVxGraphicsDocument&) -> std::unique_ptr<TVxGraphicsDocumentView> { return std::make_unique<TRecordingView>(); });
    Document.GetView();
    spy = static_cast<TRecordingView*>(Document.View());
    TRecordingTool tool;
    Document.BeginChange(&tool);
    Document.AddChangedRect(Rect(1, 1, 3, 2), false);
    Document.AddChangedRect(Rect(4, 0, 5, 4), false);
    EXPECT_EQ(Document.ChangedRect(), Rect(1, 0, 5, 4));
    Document.AddChangedRect(Rect(2, 2, 3, 3), true);
    EXPECT_EQ(Document.ChangedRect(), Rect(2, 2, 3, 3));
    EXPECT_EQ(spy->Invalidated.size(), 3u);
    EXPECT_EQ(spy->Invalidated[1], Rect(4, 0, 5, 4));
}

TEST_F(VxGraphicsDocumentTest, BeginChangeCommitsPendingEdit)
{
    TRecordingTool first, second;
    Document.BeginChange(&first);
    Document.AddChangedRect(Rect(0, 0, 1, 1), false);
    Document.BeginChange(&second);
    EXPECT_EQ(first.Ends, 1);
    EXPECT_TRUE(Document.EditInProgress());
    EXPECT_EQ(Document.EditingTool(), &second);
    EXPECT_TRUE(Document.ChangedRect().IsEmpty());
    Document.EndChange(&second); // the tool's own end: no call back
    EXPECT_EQ(second.Ends, 0);
    EXPECT_FALSE(Document.EditInProgress());
    Document.ResetChange();
    EXPECT_EQ(Document.EditingTool(), nullptr);
}

TEST_F(VxGraphicsDocumentTest, ResizeScalesWorkAreaInward)
{
    Fill(10, 10);
    Document.SetWorkArea(Rect(1, 3, 7, 9));
    ASSERT_TRUE(Document.Resize(4, 4, true, true));
    // (ceil(1*4/10), ceil(3*4/10), floor(7*4/10), floor(9*4/10))
    EXPECT_EQ(Document.WorkArea(), Rect(1, 2, 2, 3));
    EXPECT_EQ(Document.Image().GetBounds(), Rect(0, 0, 4, 4));
    EXPECT_EQ(Document.OriginalImage().GetBounds(), Rect(0, 0, 4, 4));
    EXPECT_TRUE(BackupMatchesImage());
}

TEST_F(VxGraphicsDocumentTest, ResizeCanvasClearsWorkAreaAndKeepsPixels)
{
    Document.SetWorkArea(Rect(1, 1, 2, 2));
    const std::uint8_t pixel = Document.ImagePixels()->PixelAddress(2, 3)[1];
    ASSERT_TRUE(Document.ResizeCanvas(9, 4, true));
    EXPECT_FALSE(Document.HasWorkArea());
    EXPECT_EQ(Document.Image().GetBounds(), Rect(0, 0, 9, 4));
    EXPECT_EQ(Document.ImagePixels()->PixelAddress(2, 3)[1], pixel);
    EXPECT_EQ(Document.ImagePixels()->PixelAddress(8, 0)[1], 0);
}

TEST_F(VxGraphicsDocumentTest, ScaledCopyFitsBox)
{
    std::unique_ptr<TVxLTBitmap> copy = Document.ScaledCopy(TSize{14, 14});
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetBounds(), Rect(0, 0, 14, 10));
}

} // namespace

// In a 32-bit program no pixel buffer may take more than half the address space (2 GB):
// a 28000 x 26000 picture (2.18 GB at 84000 bytes a row) is refused before the page
// allocator is asked, and the document keeps its picture. With 64-bit addresses the same
// picture is an ordinary allocation, so there is nothing to show there.
TEST_F(VxGraphicsDocumentTest, PictureBeyondA32BitAddressSpaceIsRefusedAndDocumentKept)
{
    if (sizeof(void*) != 4)
        GTEST_SKIP() << "only a 32-bit address space refuses this size";
    const std::vector<std::uint8_t> before = Bytes(*Document.ImagePixels());
    EXPECT_FALSE(Document.Resize(28000, 26000, true, false));
    EXPECT_EQ(Document.Image().GetBounds(), Rect(0, 0, 7, 5));
    EXPECT_EQ(Document.OriginalImage().GetBounds(), Rect(0, 0, 7, 5));
    EXPECT_EQ(Bytes(*Document.ImagePixels()), before);
    EXPECT_TRUE(BackupMatchesImage());
}
