#include <gtest/gtest.h>

#include "separation/MarkedRegion.h"
#include "separation/SeparationFixtures.h"

namespace {

struct TRegionFixture {
    TRegionFixture(std::int32_t w, std::int32_t h) : Image(fmtBGR24, TRect{0, 0, w, h})
    {
        EXPECT_TRUE(Region.Attach(Image));
    }
    TVxPixelBuffer Image;
    TMarkedRegion Region;
};

} // namespace

struct TKindCase {
    const char* Name;
    std::uint8_t Kind;
    std::int32_t X, Y;
    std::uint8_t Blue, Green, Red; // the true colour
    std::uint8_t WantBlue, WantGreen, WantRed;
};

const TKindCase KindCases[] = {
    {"Fill", dkFill, 0, 0, 10, 20, 30, 0x33, 0x22, 0x11},
    {"Shadow", dkShadow, 0, 0, 255, 100, 3, 127, 50, 1},
    {"Monochrome", dkMonochrome, 0, 0, 10, 200, 30, 0, 100, 200},
    {"None", dkNone, 0, 0, 10, 200, 30, 10, 200, 30},
    {"Inverted", dkInverted, 0, 0, 10, 200, 30, 245, 55, 225},
    {"Threshold", dkThreshold, 0, 0, 127, 128, 0, 255, 0, 255},
    {"HatchGrey", dkHatchGrey, 1, 0, 10, 200, 30, 200, 200, 200},
    {"HatchGreyOnHatchLine", dkHatchGrey, 0, 0, 10, 200, 30, 55, 55, 55},
    {"HatchGreyOnHatchLineBelow", dkHatchGrey, 1, 1, 10, 200, 30, 55, 55, 55},
    {"HatchRed", dkHatchRed, 1, 0, 10, 200, 30, 0, 0, 200},
    {"HatchGreen", dkHatchGreen, 1, 0, 10, 200, 30, 0, 200, 0},
    {"HatchBlue", dkHatchBlue, 1, 0, 10, 200, 30, 200, 0, 0},
    {"HatchYellow", dkHatchYellow, 1, 0, 10, 200, 30, 0, 200, 200},
    {"HatchMagenta", dkHatchMagenta, 1, 0, 10, 200, 30, 200, 0, 200},
    {"HatchCyan", dkHatchCyan, 1, 0, 10, 200, 30, 200, 200, 0},
    {"SolidRed", dkSolidRed, 0, 0, 10, 200, 30, 0, 0, 255},
    {"SolidGreen", dkSolidGreen, 0, 0, 10, 200, 30, 0, 255, 0},
    {"SolidYellow", dkSolidYellow, 0, 0, 10, 200, 30, 0, 255, 255},
    {"UnknownKindPaintsNothing", 99, 0, 0, 10, 200, 30, 10, 200, 30},
};

class MarkedRegionKindTest : public testing::TestWithParam<TKindCase> {};

TEST_P(MarkedRegionKindTest, PaintsAndRestores)
{
    const TKindCase& c = GetParam();
    TRegionFixture f(7, 7);
    SetPixel(f.Image, c.X, c.Y, c.Blue, c.Green, c.Red);
    f.Region.SetFillColour(0x332211);       // Windows colour: red 0x11, green 0x22, blue 0x33
    f.Region.SetShadowLevel(2);             // factor 2 (a hair above)
    f.Region.SetMonochromeColour(0x0080FF); // red 255, green 128, blue 0 -> factors b 0, g .502, r 1
    f.Region.SetKind(1, c.Kind);
    EXPECT_TRUE(f.Region.SetLabel(c.X, c.Y, 1));
    const std::uint8_t* p = f.Image.PixelAddress(c.X, c.Y);
    EXPECT_EQ(p[0], c.WantBlue);
    EXPECT_EQ(p[1], c.WantGreen);
    EXPECT_EQ(p[2], c.WantRed);
    const std::uint32_t truth = c.Blue | (c.Green << 8) | (c.Red << 16);
    EXPECT_EQ(f.Region.CellColour(c.X, c.Y), truth);
    EXPECT_TRUE(f.Region.SetLabel(c.X, c.Y, 0));
    EXPECT_EQ(PixelColour(f.Image, c.X, c.Y), truth);
}

INSTANTIATE_TEST_SUITE_P(Kinds, MarkedRegionKindTest, testing::ValuesIn(KindCases),
                         [](const testing::TestParamInfo<TKindCase>& info) { return std::string(info.param.Name); });

TEST(MarkedRegionTest, ShadowFactorsAreRepeatedRootTwo)
{
    TMarkedRegion region;
    const double expected[] = {1.0, 1.414, 2.0, 2.828, 4.0, 5.657};
    for (int level = 0; level <= 5; ++level) {
        region.SetShadowLevel(level);
        EXPECT_NEAR(region.ShadowFactor(), expected[level], 0.001) << level;
    }
    region.SetShadowLevel(2);
    EXPECT_GT(region.ShadowFactor(), 2.0); // so 255 darkens to 127, not 128
    TRegionFixture f(1, 1);
    FillImage(f.Image, 255, 255, 255);
    f.Region.SetShadowLevel(2);
    f.Region.SetKind(1, dkShadow);
    f.Region.SetLabel(0, 0, 1);
    EXPECT_EQ(PixelColour(f.Image, 0, 0), 0x7F7F7Fu);
}

TEST(MarkedRegionTest, BlurLevelsArePowersOfThree)
{
    TMarkedRegion region;
    const std::int32_t expected[] = {1, 3, 9, 27, 81, 243};
    for (int level = 0; level <= 5; ++level) {
        region.SetBlurLevel(level);
        EXPECT_EQ(region.BlurRadius(), expected[level]);
    }
}

TEST(MarkedRegionTest, SetLabelWithThePresentLabelIsANoOp)
{
    TRegionFixture f(3, 3);
    FillImage(f.Image, 1, 2, 3);
    f.Region.SetKind(1, dkSolidRed);
    EXPECT_TRUE(f.Region.SetLabel(1, 1, 1));
    SetPixel(f.Image, 1, 1, 9, 9, 9); // what a second paint would overwrite
    EXPECT_FALSE(f.Region.SetLabel(1, 1, 1));
    EXPECT_EQ(PixelColour(f.Image, 1, 1), 0x090909u);
    EXPECT_EQ(f.Region.Count(1), 1u);
    EXPECT_EQ(f.Region.Count(0), 8u);
    EXPECT_FALSE(f.Region.SetLabel(0, 0, 0));
}

TEST(MarkedRegionTest, CountersFollowLabels)
{
    TRegionFixture f(2, 2);
    EXPECT_TRUE(f.Region.AllUnmarked());
    EXPECT_TRUE(f.Region.IsAll(0));
    for (std::int32_t x = 0; x < 2; ++x)
        f.Region.SetColumn(x, 3);
    EXPECT_TRUE(f.Region.IsAll(3));
    EXPECT_FALSE(f.Region.HasLabel(0));
    f.Region.SetLabel(0, 1, 2);
    EXPECT_EQ(f.Region.Count(3), 3u);
    EXPECT_TRUE(f.Region.HasLabel(2));
    f.Region.ClearCurrent();
    EXPECT_TRUE(f.Region.AllUnmarked());
}

TEST(MarkedRegionTest, ClearingKeepsPaintedPixels)
{
    TRegionFixture f(2, 1);
    FillImage(f.Image, 50, 60, 70);
    f.Region.SetKind(5, dkFill);
    f.Region.SetFillColour(0xFFFFFF);
    f.Region.SetLabel(0, 0, 5);
    f.Region.ClearCurrent();
    EXPECT_EQ(PixelColour(f.Image, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(f.Region.LabelAt(0, 0), 0);
    EXPECT_EQ(f.Region.CellColour(0, 0), 0xFFFFFFu); // the effect is now the picture
}

TEST(MarkedRegionTest, AttachRefusesPicturesBeyondPackedPositions)
{
    struct TCase {
        std::int32_t W, H;
        bool Accepted;
    };
    for (const TCase& c :
         {TCase{32767, 1, true}, TCase{1, 32767, true}, TCase{32768, 1, false}, TCase{1, 32768, false}}) {
        SCOPED_TRACE(std::to_string(c.W) + "x" + std::to_string(c.H));
        TVxPixelBuffer image(fmtBGR24, TRect{0, 0, c.W, c.H});
        TVxPixelBuffer small(fmtBGR24, TRect{0, 0, 2, 2});
        TMarkedRegion region;
        ASSERT_TRUE(region.Attach(small));
        region.SetLabel(0, 0, 1);
        EXPECT_EQ(region.Attach(image), c.Accepted);
        EXPECT_EQ(region.IsAttached(), c.Accepted);
        EXPECT_EQ(region.Total(), c.Accepted ? c.W * c.H : 0);
        EXPECT_EQ(TMarkedRegion::CanMark(image), c.Accepted);
    }
}

TEST(MarkedRegionTest, AttachRefusesOtherFormats)
{
    TVxPixelBuffer image(fmtBGRA32, TRect{0, 0, 4, 4});
    TMarkedRegion region;
    EXPECT_FALSE(region.Attach(image));
    EXPECT_FALSE(region.IsAttached());
}

TEST(MarkedRegionTest, AttachKeepsMarksOnlyForTheSameSize)
{
    TVxPixelBuffer a(fmtBGR24, TRect{0, 0, 4, 3}), b(fmtBGR24, TRect{0, 0, 4, 3}), c(fmtBGR24, TRect{0, 0, 3, 4});
    TMarkedRegion region;
    region.Attach(a);
    region.SetLabel(2, 1, 1);
    region.Attach(b);
    EXPECT_EQ(region.LabelAt(2, 1), 1);
    region.Attach(c);
    EXPECT_TRUE(region.AllUnmarked());
    EXPECT_EQ(region.Width(), 3);
    EXPECT_EQ(region.Height(), 4);
}

TEST(MarkedRegionTest, FloodRelabelInsideARingFillsOnlyTheInside)
{
    TRegionFixture f(7, 6);
    PaintLabels(f.Region, {"1111111", "1.....1", "1.111.1", "1.1.1.1", "1.111.1", "1111111"});
    TRect dirty;
    f.Region.FloodRelabel(1, 1, 2, dirty);
    EXPECT_EQ(LabelRows(f.Region), "1111111\n"
                                   "1222221\n"
                                   "1211121\n"
                                   "121.121\n"
                                   "1211121\n"
                                   "1111111\n");
    EXPECT_EQ(dirty, (TRect{1, 1, 6, 5}));
    f.Region.FloodRelabel(3, 3, 3, dirty);
    EXPECT_EQ(dirty, (TRect{3, 3, 4, 4}));
    EXPECT_EQ(f.Region.LabelAt(3, 3), 3);
    f.Region.FloodRelabel(3, 3, 3, dirty); // already that label
    EXPECT_TRUE(dirty.IsEmpty());
}

TEST(MarkedRegionTest, RelabelFirstComponentTakesTheFirstInColumnOrder)
{
    TRegionFixture f(5, 3);
    PaintLabels(f.Region, {"..3.3", "3.3.3", "....."});
    EXPECT_TRUE(f.Region.RelabelFirstComponent(3, 2));
    EXPECT_TRUE(f.Region.RelabelFirstComponent(3, 1));
    TRect dirty;
    EXPECT_TRUE(f.Region.RelabelFirstComponent(3, 2, &dirty));
    EXPECT_EQ(dirty, (TRect{4, 0, 5, 2}));
    EXPECT_FALSE(f.Region.RelabelFirstComponent(3, 2));
    EXPECT_EQ(LabelRows(f.Region), "..1.2\n2.1.2\n.....\n");
}

TEST(MarkedRegionTest, ColumnOperations)
{
    TRegionFixture f(2, 4);
    PaintLabels(f.Region, {"1.", "2.", "3.", "0."});
    EXPECT_EQ(f.Region.ReplaceInColumn(0, 1, 2, 3), (TRect{0, 0, 1, 4}));
    EXPECT_EQ(LabelRows(f.Region), "3.\n3.\n3.\n..\n");
    f.Region.SetLabel(0, 0, 4);
    f.Region.SetLabel(0, 1, 5);
    f.Region.SwapInColumn(0, 4, 5);
    EXPECT_EQ(f.Region.LabelAt(0, 0), 5);
    EXPECT_EQ(f.Region.LabelAt(0, 1), 4);
    EXPECT_EQ(f.Region.SetColumn(1, 7), (TRect{1, 0, 2, 4}));
    EXPECT_EQ(f.Region.Count(7), 4u);
}

TEST(MarkedRegionTest, ShiftToEffectAndBack)
{
    TRegionFixture f(1, 3);
    FillImage(f.Image, 10, 20, 30);
    f.Region.SetKind(1, dkHatchGreen);
    f.Region.SetKind(5, dkFill);
    f.Region.SetFillColour(0xFFFFFF);
    PaintLabels(f.Region, {"1", ".", "6"});
    f.Region.SetSavedLabel(0, 0, 1);
    f.Region.SetSavedLabel(0, 1, 2);
    f.Region.SetSavedLabel(0, 2, 2);
    f.Region.ShiftToEffect(0, 3);
    EXPECT_EQ(LabelRows(f.Region), "4\n5\n5\n");
    EXPECT_EQ(f.Region.SavedLabelAt(0, 0), 1);
    EXPECT_EQ(f.Region.SavedLabelAt(0, 1), 0);
    EXPECT_EQ(f.Region.SavedLabelAt(0, 2), 6);
    EXPECT_EQ(PixelColour(f.Image, 0, 0), 0x1E140Au); // object shows its true colour
    EXPECT_EQ(PixelColour(f.Image, 0, 1), 0xFFFFFFu); // background shows the effect
    f.Region.ShiftFromEffect(0, 3);
    EXPECT_EQ(LabelRows(f.Region), "1\n.\n6\n");
    EXPECT_EQ(f.Region.SavedLabelAt(0, 0), 1);
    EXPECT_EQ(f.Region.SavedLabelAt(0, 1), 2);
    EXPECT_EQ(PixelColour(f.Image, 0, 1), 0x1E140Au);
}

TEST(MarkedRegionTest, RepaintColumnFollowsNewEffectParameters)
{
    TRegionFixture f(1, 2);
    FillImage(f.Image, 10, 20, 30);
    f.Region.SetKind(5, dkFill);
    f.Region.SetFillColour(0x0000FF);
    f.Region.SetLabel(0, 0, 5);
    EXPECT_EQ(PixelColour(f.Image, 0, 0), 0xFF0000u);
    f.Region.SetFillColour(0x00FF00);
    f.Region.RepaintColumn(0, 5);
    EXPECT_EQ(PixelColour(f.Image, 0, 0), 0x00FF00u);
    EXPECT_EQ(PixelColour(f.Image, 0, 1), 0x1E140Au);
    f.Region.SetLabel(0, 0, 0);
    EXPECT_EQ(PixelColour(f.Image, 0, 0), 0x1E140Au);
}

TEST(MarkedRegionTest, BlurKindPaintsTheBlurredCopy)
{
    TRegionFixture f(3, 1);
    SetPixel(f.Image, 0, 0, 0, 0, 0);
    SetPixel(f.Image, 1, 0, 30, 60, 90);
    SetPixel(f.Image, 2, 0, 60, 120, 180);
    f.Region.SetBlurLevel(1); // radius 3: the whole row
    f.Region.SetKind(5, dkBlur);
    f.Region.SetLabel(0, 0, 5);
    EXPECT_EQ(PixelColour(f.Image, 0, 0), 0x5A3C1Eu); // the row's mean
    EXPECT_EQ(f.Region.CellColour(0, 0), 0u);
}

TEST(MarkedRegionTest, BoundsOfLabelAndSet)
{
    TRegionFixture f(6, 5);
    PaintLabels(f.Region, {"......", ".1....", "....2.", "...1..", "......"});
    EXPECT_EQ(f.Region.BoundsOfLabel(1), (TRect{1, 1, 4, 4}));
    EXPECT_EQ(f.Region.BoundsOfSet(MakeLabelSet({1, 2})), (TRect{1, 1, 5, 4}));
    EXPECT_TRUE(f.Region.BoundsOfLabel(7).IsEmpty());
    EXPECT_EQ(f.Region.BoundsOfSet(MakeLabelSet({0})), (TRect{0, 0, 6, 5}));
}

TEST(MarkedRegionTest, LayerCopiesRoundTrip)
{
    TRegionFixture f(4, 4);
    PaintLabels(f.Region, {"11..", "1...", "..2.", "...."});
    f.Region.CopyCurrentToPrevious(f.Region.Bounds());
    TMarkSnapshot before;
    f.Region.CopyLayerOut(TMarkLayer::mlPrevious, TRect{0, 0, 3, 3}, before);
    EXPECT_EQ(before.Rect, (TRect{0, 0, 3, 3}));
    EXPECT_EQ(before.Cells.size(), 9u);
    EXPECT_EQ(before.Counters[1], 3u);
    f.Region.SetLabel(0, 0, 2);
    f.Region.SetLabel(1, 1, 2);
    f.Region.CopyIntoCurrent(before);
    EXPECT_EQ(LabelRows(f.Region), "11..\n1...\n..2.\n....\n");
    EXPECT_EQ(f.Region.Count(1), 3u);
    EXPECT_EQ(f.Region.Count(2), 1u);
    TMarkSnapshot clipped;
    f.Region.CopyLayerOut(TMarkLayer::mlCurrent, TRect{2, 2, 10, 10}, clipped);
    EXPECT_EQ(clipped.Rect, (TRect{2, 2, 4, 4}));
    EXPECT_EQ(clipped.Cells[0].Label, 2);
}
