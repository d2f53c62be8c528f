#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include "separation/GrowCut.h"
#include "separation/SeparationFixtures.h"
#include "support/VxPixelCompare.h"

namespace {

struct TRegionFixture {
    TRegionFixture(std::int32_t w, std::int32_t h) : Image(fmtBGR24, TRect{0, 0, w, h})
    {
        EXPECT_TRUE(Region.Attach(Image));
    }
    TVxPixelBuffer Image;
    TMarkedRegion Region;
};

// The tool's display kinds, so runs also paint the overlay as they do in the program.
void UseToolKinds(TMarkedRegion& region)
{
    region.SetKind(lbObject, dkHatchGreen);
    region.SetKind(lbBackground, dkHatchRed);
    region.SetKind(lbUnknown, dkHatchYellow);
    region.SetKind(lbContour, dkThreshold);
    region.SetKind(lbGrownObject, dkHatchCyan);
    region.SetKind(lbGrownBackground, dkHatchMagenta);
}

// A photograph-like picture: a lit backdrop with a gradient, a round object with its
// own shading and a darker rim, a stripe of texture and a little deterministic noise.
void PaintPhotograph(TVxPixels& image)
{
    std::uint32_t seed = 12345;
    const double cx = image.Width() * 0.45, cy = image.Height() * 0.55, radius = image.Height() * 0.3;
    for (std::int32_t y = 0; y < image.Height(); ++y)
        for (std::int32_t x = 0; x < image.Width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int noise = static_cast<int>((seed >> 24) % 9) - 4;
            const double dx = x - cx, dy = y - cy, d = std::sqrt(dx * dx + dy * dy);
            int b = 160 + x / 3 - y / 4, g = 170 + y / 5, r = 120 + x / 4;
            if (d < radius) {
                b = 40 + static_cast<int>(d);
                g = 90 - static_cast<int>(d / 2);
                r = 200 - static_cast<int>(d);
            } else if (d < radius + 2) {
                b = g = r = 30;
            }
            if ((x / 7) % 5 == 0 && y > image.Height() * 3 / 4)
                g -= 40;
            SetPixel(image, x, y, static_cast<std::uint8_t>(ClampInt(b + noise, 0, 255)),
                     static_cast<std::uint8_t>(ClampInt(g + noise, 0, 255)),
                     static_cast<std::uint8_t>(ClampInt(r + noise, 0, 255)));
        }
}

void DrawStroke(TMarkedRegion& region, std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1,
                std::uint8_t label)
{
    const std::int32_t steps = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
    for (std::int32_t i = 0; i <= steps; ++i) {
        const std::int32_t x = x0 + (steps ? (x1 - x0) * i / steps : 0);
        const std::int32_t y = y0 + (steps ? (y1 - y0) * i / steps : 0);
        for (std::int32_t dy = -1; dy <= 1; ++dy)
            for (std::int32_t dx = -1; dx <= 1; ++dx)
                if (region.Bounds().Contains(x + dx, y + dy))
                    region.SetLabel(x + dx, y + dy, label);
    }
}

} // namespace

TEST(GrowCutTest, NoSeedsMeansNothingActive)
{
    TRegionFixture f(5, 4);
    PaintLabels(f.Region, {"6....", ".7...", "..8..", "....."});
    TGrowCut growCut;
    ASSERT_TRUE(growCut.Build(f.Region));
    EXPECT_EQ(growCut.ActiveCount(), 0);
    EXPECT_EQ(growCut.Iterate(3), 0);
}

TEST(GrowCutTest, OnlyBorderSeedsStartActive)
{
    TRegionFixture f(4, 3);
    PaintLabels(f.Region, {"111.", "111.", "111."});
    TGrowCut growCut;
    ASSERT_TRUE(growCut.Build(f.Region));
    EXPECT_EQ(growCut.ActiveCount(), 3); // the column next to the unmarked one
    for (std::int32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(growCut.Entry(i).X, 2);
        EXPECT_EQ(growCut.Entry(i).Y, i);
        EXPECT_EQ(growCut.Entry(i).Label, 1);
    }
}

TEST(GrowCutTest, WeightsAreTheLargestChannelDifference)
{
    TRegionFixture f(2, 2);
    SetPixel(f.Image, 0, 0, 10, 20, 30);
    SetPixel(f.Image, 1, 0, 15, 0, 33);   // |dG| = 20
    SetPixel(f.Image, 0, 1, 10, 20, 130); // |dR| = 100
    f.Region.SetKind(1, dkSolidGreen);    // weights come from the true colour
    f.Region.SetLabel(0, 0, 1);
    TGrowCut growCut;
    ASSERT_TRUE(growCut.Build(f.Region));
    EXPECT_EQ(growCut.RightWeightAt(0, 0), 235);
    EXPECT_EQ(growCut.LowerWeightAt(0, 0), 155);
    EXPECT_EQ(growCut.RightWeightAt(1, 0), 0); // no right neighbour
    EXPECT_EQ(growCut.LowerWeightAt(0, 1), 0); // no lower neighbour
}

TEST(GrowCutTest, IdenticalColoursPassFullStrengthButNeverTakeASeed)
{
    TRegionFixture f(3, 1);
    FillImage(f.Image, 80, 80, 80);
    PaintLabels(f.Region, {"1.2"});
    TGrowCut growCut;
    ASSERT_TRUE(growCut.Build(f.Region));
    const std::int32_t active = growCut.Iterate(1);
    EXPECT_EQ(growCut.StrengthAt(1, 0), 1.0f);
    // Both seeds reach the middle with force 1; the first to arrive keeps it.
    EXPECT_NE(growCut.PendingLabelAt(1, 0), 0);
    EXPECT_EQ(growCut.PendingLabelAt(0, 0), 1);
    EXPECT_EQ(growCut.PendingLabelAt(2, 0), 2);
    EXPECT_EQ(growCut.StrengthAt(0, 0), 1.0f);
    EXPECT_EQ(active, 1);
    EXPECT_TRUE(growCut.Commit(0));
    EXPECT_FALSE(growCut.Commit(0));
    EXPECT_EQ(growCut.Entry(0).Label, growCut.LabelAt(1, 0));
}

TEST(GrowCutTest, OnePixelWideImageGrowsVertically)
{
    TRegionFixture f(1, 9);
    FillImage(f.Image, 100, 100, 100);
    PaintLabels(f.Region, {"1", ".", ".", ".", ".", ".", ".", ".", "2"});
    {
        TGrowCut growCut;
        ASSERT_TRUE(growCut.Build(f.Region));
        for (std::int32_t y = 0; y < 9; ++y)
            EXPECT_EQ(growCut.RightWeightAt(0, y), 0);
    }
    const TSegmentationResult result = RunSegmentation(f.Region);
    EXPECT_EQ(result.Outcome, TSegmentationOutcome::soCompleted);
    EXPECT_EQ(LabelRows(f.Region, true), "1\n1\n1\n1\n2\n2\n2\n2\n2\n");
    EXPECT_EQ(LabelRows(f.Region), "1\n.\n.\n6\n6\n.\n.\n.\n2\n");
}

// Both marks spread with undiminished strength; the fronts advance one ring per commit
// round and stop where they collide.
TEST(GrowCutTest, StrokesInAFlatAreaMeetWithTheContourOnTheMeetingLine)
{
    TRegionFixture f(10, 5);
    FillImage(f.Image, 120, 130, 140);
    for (std::int32_t y = 0; y < 5; ++y) {
        f.Region.SetLabel(0, y, 1);
        f.Region.SetLabel(9, y, 2);
    }
    const TSegmentationResult result = RunSegmentation(f.Region);
    ASSERT_EQ(result.Outcome, TSegmentationOutcome::soCompleted);
    EXPECT_EQ(LabelRows(f.Region, true), "1111122222\n1111122222\n1111122222\n1111122222\n1111122222\n");
    EXPECT_EQ(LabelRows(f.Region), "1...66...2\n1...66...2\n1...66...2\n1...66...2\n1...66...2\n");
    EXPECT_EQ(f.Region.Count(lbContour), 10u);
}

TEST(GrowCutTest, StrongEdgeStopsTheForeignLabel)
{
    TRegionFixture f(8, 3);
    FillImage(f.Image, 20, 20, 20);
    for (std::int32_t x = 4; x < 8; ++x)
        for (std::int32_t y = 0; y < 3; ++y)
            SetPixel(f.Image, x, y, 240, 240, 240);
    PaintLabels(f.Region, {"1.......", ".......2", "........"});
    ASSERT_EQ(RunSegmentation(f.Region).Outcome, TSegmentationOutcome::soCompleted);
    EXPECT_EQ(LabelRows(f.Region, true), "11112222\n11112222\n11112222\n");
}

TEST(GrowCutTest, DestructionWritesTheGridIntoSavedLabels)
{
    TRegionFixture f(3, 1);
    PaintLabels(f.Region, {"1.2"});
    for (std::int32_t x = 0; x < 3; ++x)
        f.Region.SetSavedLabel(x, 0, 9);
    {
        TGrowCut growCut;
        ASSERT_TRUE(growCut.Build(f.Region));
        EXPECT_EQ(f.Region.SavedLabelAt(1, 0), 9);
    }
    EXPECT_EQ(LabelRows(f.Region, true), "102\n");
}

TEST(GrowCutTest, IsBorderLooksAtTheFourNeighboursInside)
{
    TRegionFixture f(3, 3);
    PaintLabels(f.Region, {"111", "111", "112"});
    TGrowCut growCut;
    ASSERT_TRUE(growCut.Build(f.Region));
    EXPECT_FALSE(growCut.IsBorder(0, 0));
    EXPECT_FALSE(growCut.IsBorder(1, 1));
    EXPECT_TRUE(growCut.IsBorder(2, 1));
    EXPECT_TRUE(growCut.IsBorder(1, 2));
    EXPECT_TRUE(growCut.IsBorder(2, 2));
    EXPECT_FALSE(growCut.IsBorder(0, 2));
}

TEST(GrowCutTest, BuildRefusesARegionWithoutPicture)
{
    TVxPixelBuffer wide(fmtBGR24, TRect{0, 0, MaxMarkedSide + 1, 1});
    TMarkedRegion region;
    EXPECT_FALSE(region.Attach(wide));
    TGrowCut growCut;
    EXPECT_FALSE(growCut.Build(region));
    TSegmentationResult result = RunSegmentation(region);
    EXPECT_EQ(result.Outcome, TSegmentationOutcome::soTooLarge);
    EXPECT_EQ(result.Rounds, 0);
}

TEST(GrowCutTest, PackedPositionsRoundTripAtTheLimits)
{
    for (auto [x, y] : {std::pair{0, 0}, std::pair{MaxMarkedSide - 1, 0}, std::pair{0, MaxMarkedSide - 1},
                        std::pair{MaxMarkedSide - 1, MaxMarkedSide - 1}}) {
        const std::uint32_t p = PackPosition(x, y);
        EXPECT_EQ(PackedX(p), x);
        EXPECT_EQ(PackedY(p), y);
    }
}

TEST(GrowCutTest, RunWithoutBothMarksDoesNothing)
{
    for (const char* row : {"1...", "...2", "...."}) {
        SCOPED_TRACE(row);
        TRegionFixture f(4, 1);
        PaintLabels(f.Region, {row});
        const std::string before = LabelRows(f.Region);
        EXPECT_EQ(RunSegmentation(f.Region).Outcome, TSegmentationOutcome::soNoMarks);
        EXPECT_EQ(LabelRows(f.Region), before);
    }
}

TEST(GrowCutTest, AbortKeepsTheGrownLabelsWithoutContour)
{
    TRegionFixture f(12, 2);
    FillImage(f.Image, 50, 50, 50);
    PaintLabels(f.Region, {"1..........2", "1..........2"});
    TSegmentationHooks hooks;
    int polls = 0;
    hooks.OnPollAbort = [&polls] { return ++polls == 2; };
    const TSegmentationResult result = RunSegmentation(f.Region, hooks);
    EXPECT_EQ(result.Outcome, TSegmentationOutcome::soAborted);
    EXPECT_EQ(result.Rounds, 2);
    EXPECT_EQ(LabelRows(f.Region), "177......882\n177......882\n");
    EXPECT_EQ(LabelRows(f.Region, true), "111000000222\n111000000222\n");
}

TEST(GrowCutTest, HooksSeeRefreshesColumnsAndProgress)
{
    TRegionFixture f(40, 3);
    FillImage(f.Image, 50, 50, 50);
    for (std::int32_t y = 0; y < 3; ++y) {
        f.Region.SetLabel(0, y, 1);
        f.Region.SetLabel(39, y, 2);
    }
    TSegmentationHooks hooks;
    std::uint64_t now = 0;
    int refreshes = 0, pumps = 0, columns = 0;
    std::int64_t lastDecided = -1, lastTotal = -1;
    hooks.TickCount = [&now] { return now; }; // time stands still: refresh every 8 rounds
    hooks.OnRefresh = [&refreshes] { ++refreshes; };
    hooks.OnColumnDone = [&](const TRect& column, bool pump) {
        EXPECT_EQ(column, (TRect{columns, 0, columns + 1, 3}));
        ++columns;
        pumps += pump;
    };
    hooks.OnProgress = [&](std::int64_t decided, std::int64_t total) {
        EXPECT_GE(decided, lastDecided);
        lastDecided = decided;
        lastTotal = total;
    };
    const TSegmentationResult result = RunSegmentation(f.Region, hooks);
    EXPECT_EQ(result.Outcome, TSegmentationOutcome::soCompleted);
    EXPECT_EQ(refreshes, static_cast<int>(result.Rounds / 8));
    EXPECT_EQ(columns, 40);
    EXPECT_EQ(pumps, 3); // columns 15, 31 and the last
    EXPECT_EQ(lastTotal, 38 * 3);
    EXPECT_EQ(lastDecided, 38 * 3);
}

// The decision on a photograph-like picture, kept as text: '1' object, '2' background.
// Any change to the order of the algorithm (list order, attack order, float arithmetic)
// shows here as the first pixel whose side changed.
const char* const GoldenDecision[] = {
        "222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222",
        "222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222",
        "222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222",
        "222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222",
        "222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222",
        "222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222",
        "222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222",
        "222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222",
        "222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222",
        "222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222",
        "222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222",
        "222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222",
        "222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222",
        "222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222",
        "222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222",
        "222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222",
        "222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222",
        "222222222222222222222222222222222222221111111111112222222222222222222222222222222222222222222222",
        "222222222222222222222222222222222221111111111111111122222222222222222222222222222222222222222222",
        "222222222222222222222222222222222111111111111111111111222222222222222222222222222222222222222222",
        "222222222222222222222222222222221111111111111111111111122222222222222222222222222222222222222222",
        "222222222222222222222222222222211111111111111111111111111222222222222222222222222222222222222222",
        "222222222222222222222222222222111111111111111111111111111122222222222222222222222222222222222222",
        "222222222222222222222222222221111111111111111111111111111112222222222222222222222222222222222222",
        "222222222222222222222222222211111111111111111111111111111112222222222222222222222222222222222222",
        "222222222222222222222222222111111111111111111111111111111111222222222222222222222222222222222222",
        "222222222222222222222222222111111111111111111111111111111111122222222222222222222222222222222222",
        "222222222222222222222222221111111111111111111111111111111111122222222222222222222222222222222222",
        "222222222222222222222222111111111111111111111111111111111111122222222222222222222222222222222222",
        "222222222222222222222221111111111111111111111111111111111111112222222222222222222222222222222222",
        "222222222222222222222221111111111111111111111111111111111111112222222222222222222222222222222222",
        "222222222222222222222221111111111111111111111111111111111111112222222222222222222222222222222222",
        "222222222222222222222221111111111111111111111111111111111111111222222222222222222222222222222222",
        "222222222222222222222221111111111111111111111111111111111111111222222222222222222222222222222222",
        "222222222222222222222221111111111111111111111111111111111111111222222222222222222222222222222222",
        "222222222222222222222222111111111111111111111111111111111111111222222222222222222222222222222222",
        "222222222222222222222222211111111111111111111111111111111111111222222222222222222222222222222222",
        "222222222222222222222222211111111111111111111111111111111111111222222222222222222222222222222222",
        "222222222222222222222222211111111111111111111111111111111111111222222222222222222222222222222222",
        "222222222222222222222222211111111111111111111111111111111111111112222222222222222222222222222222",
        "222222222222222222222222211111111111111111111111111111111111111122222222222222222222222222222222",
        "222222222222222222222222211111111111111111111111111111111111112222222222222222222222222222222222",
        "222222222222222222222222221111111111111111111111111111111111112222222222222222222222222222222222",
        "222222222222222222222222221111111111111111111111111111111111122222222222222222222222222222222222",
        "222222222222222222222222222111111111111111111111111111111111122222222222222222222222222222222222",
        "222222222222222222222222222111111111111111111111111111111111222222222222222222222222222222222222",
        "222222222222222222222222222211111111111111111111111111111111222222222222222222222222222222222222",
        "222222222222222222222222222221111111111111111111111111111112222222222222222222222222222222222222",
        "222222222222222222222222222221111111111111111111111111111122222222222222222222222222222222222222",
        "222222222222222222222222222222111111111111111111111111111222222222222222222222222222222222222222",
        "222222222222222222222222222222211111111111111111111111112222222222222222222222222222222222222222",
        "222222222222222222222222222222222111111111111111111111122222222222222222222222222222222222222222",
        "222222222222222222222222222222222211111111111111111112222222222222222222222222222222222222222222",
        "222222222222222222222222222222222222211111111111111222222222222222222222222222222222222222222222",
        "222222222222222222222222222222222222222211111111222222222222222222222222222222222222222222222222",
        "222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222",
        "222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222",
        "222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222",
        "222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222",
        "222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222",
        "222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222",
        "222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222",
        "222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222",
        "222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222222",
};

// The strokes the golden run starts from.
void DrawGoldenStrokes(TMarkedRegion& region)
{
    DrawStroke(region, 36, 30, 50, 40, lbObject);
    DrawStroke(region, 40, 44, 46, 26, lbObject);
    DrawStroke(region, 3, 3, 90, 5, lbBackground);
    DrawStroke(region, 88, 10, 85, 60, lbBackground);
    DrawStroke(region, 10, 58, 70, 61, lbBackground);
}

// What the labels must be after a completed run, from the decision alone: the strokes
// stay, every other pixel is the contour where its side differs from a neighbour's and
// unmarked elsewhere.
std::vector<std::string> LabelsAfterRun(const TMarkedRegion& strokes, const std::vector<std::string>& decision)
{
    const auto height = static_cast<std::int32_t>(decision.size());
    const auto width = static_cast<std::int32_t>(decision[0].size());
    std::vector<std::string> labels(decision.size(), std::string(decision[0].size(), '.'));
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x) {
            const char side = decision[y][x];
            const bool border = (x > 0 && decision[y][x - 1] != side) || (x + 1 < width && decision[y][x + 1] != side) ||
                                (y > 0 && decision[y - 1][x] != side) || (y + 1 < height && decision[y + 1][x] != side);
            if (strokes.LabelAt(x, y) != lbUnmarked)
                labels[y][x] = static_cast<char>('0' + strokes.LabelAt(x, y));
            else if (border)
                labels[y][x] = static_cast<char>('0' + lbContour);
        }
    return labels;
}

TEST(GrowCutTest, GoldenPhotograph)
{
    TRegionFixture f(96, 64);
    PaintPhotograph(f.Image);
    UseToolKinds(f.Region);
    DrawGoldenStrokes(f.Region);
    const TSegmentationResult result = RunSegmentation(f.Region);
    ASSERT_EQ(result.Outcome, TSegmentationOutcome::soCompleted);
    EXPECT_EQ(result.Rounds, 33);
    EXPECT_EQ(result.Commits, 5744);

    const std::vector<std::string> decision(std::begin(GoldenDecision), std::end(GoldenDecision));
    EXPECT_TRUE(SameLabelRows(LabelLines(f.Region, true), decision));

    // The labels, and the overlay they paint, as a region that is given the final labels
    // directly has them.
    TRegionFixture strokes(96, 64);
    DrawGoldenStrokes(strokes.Region);
    const std::vector<std::string> labels = LabelsAfterRun(strokes.Region, decision);
    EXPECT_TRUE(SameLabelRows(LabelLines(f.Region), labels));
    TRegionFixture painted(96, 64);
    PaintPhotograph(painted.Image);
    UseToolKinds(painted.Region);
    for (std::int32_t y = 0; y < 64; ++y)
        for (std::int32_t x = 0; x < 96; ++x)
            if (labels[y][x] != '.')
                painted.Region.SetLabel(x, y, static_cast<std::uint8_t>(labels[y][x] - '0'));
    EXPECT_TRUE(SamePixels(f.Image, painted.Image));
    EXPECT_EQ(f.Region.Count(lbContour), 224u);
}

TEST(GrowCutTest, EmptyPictureHasNothingToGrow)
{
    for (auto [w, h] : {std::pair{5, 0}, std::pair{0, 5}, std::pair{0, 0}}) {
        TVxPixelBuffer image(fmtBGR24, TRect{0, 0, w, h});
        TMarkedRegion region;
        EXPECT_TRUE(region.Attach(image));
        TGrowCut growCut;
        EXPECT_TRUE(growCut.Build(region));
        EXPECT_EQ(growCut.Iterate(3), 0);
        EXPECT_EQ(RunSegmentation(region).Outcome, TSegmentationOutcome::soNoMarks);
        EXPECT_TRUE(region.BoundsOfLabel(0).IsEmpty());
    }
}
