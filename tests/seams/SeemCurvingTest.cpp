#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <cstring>
#include <vector>

#include "seams/SeemCurving.h"
#include "seams/SeemTestPictures.h"

namespace {

using TPixel = std::array<std::uint8_t, 3>;
using TLine = std::vector<TPixel>;

TPixel PixelAt(const TVxPixels& picture, std::int32_t x, std::int32_t y)
{
    const std::uint8_t* p = picture.PixelAddress(x, y);
    return {p[0], p[1], p[2]};
}

TLine RowOf(const TVxPixels& picture, std::int32_t y, std::int32_t width)
{
    TLine line;
    for (std::int32_t x = 0; x < width; ++x)
        line.push_back(PixelAt(picture, x, y));
    return line;
}

TLine ColumnOf(const TVxPixels& picture, std::int32_t x, std::int32_t height)
{
    TLine line;
    for (std::int32_t y = 0; y < height; ++y)
        line.push_back(PixelAt(picture, x, y));
    return line;
}

bool IsSubsequence(const TLine& part, const TLine& whole)
{
    std::size_t k = 0;
    for (const TPixel& pixel : whole)
        if (k < part.size() && part[k] == pixel)
            ++k;
    return k == part.size();
}

TSeemMarkReader ReaderOf(const TMarkPlane& marks)
{
    return [&marks](std::int32_t y, std::span<std::uint8_t> row) {
        std::memcpy(row.data(), &marks.Marks[static_cast<std::size_t>(y) * marks.Width], row.size());
    };
}

// A finder built from scratch over the carved picture, for comparison with the one the
// carving kept in step.
std::unique_ptr<TSeemWayRatio> FreshFinder(const TVxPixels& picture, TSize size)
{
    auto finder = std::make_unique<TSeemWayRatio>(picture.Width(), picture.Height(), SeemBlockSize(picture.Width()),
                                                  SeemBlockSize(picture.Height()));
    FeedFinder(*finder, picture, size.Width, size.Height);
    return finder;
}

void ExpectSameIntensities(TSeemWayRatio& kept, TSeemWayRatio& fresh)
{
    ASSERT_EQ(kept.Nx(), fresh.Nx());
    ASSERT_EQ(kept.Ny(), fresh.Ny());
    for (std::int32_t i = 0; i < kept.Nx(); ++i)
        for (std::int32_t j = 0; j < kept.Ny(); ++j)
            ASSERT_EQ(kept.Intensity(i, j), fresh.Intensity(i, j)) << i << "," << j;
}

void ExpectSameGradients(TSeemWayRatio& kept, TSeemWayRatio& fresh)
{
    ASSERT_EQ(kept.Nx(), fresh.Nx());
    ASSERT_EQ(kept.Ny(), fresh.Ny());
    for (std::int32_t i = 0; i < kept.Nx(); ++i)
        for (std::int32_t j = 0; j < kept.Ny(); ++j)
            ASSERT_EQ(kept.Gradient(i, j), fresh.Gradient(i, j)) << i << "," << j;
}

bool IsWhite(const TPixel& pixel)
{
    return pixel == TPixel{255, 255, 255};
}

// ---------------------------------------------------------------------------------------

struct TBlockCase {
    std::int32_t Width;
    std::int32_t BlockWidth;
};

TEST(SeemCurvingTest, BlocksFollowThePictureSize)
{
    for (const TBlockCase c : {TBlockCase{599, 1}, TBlockCase{1800, 2}, TBlockCase{2400, 2}, TBlockCase{3000, 2}}) {
        SCOPED_TRACE(c.Width);
        TVxPixelBuffer picture(fmtBGR24, Bounds(0, 0, c.Width, 4));
        FillRandom(picture, 1);
        TSeemCurving wide(picture, {c.Width, 4});
        EXPECT_EQ(wide.BlockWidth(), c.BlockWidth);
        EXPECT_EQ(wide.BlockHeight(), 1);
        TVxPixelBuffer tall(fmtBGR24, Bounds(0, 0, 4, c.Width));
        FillRandom(tall, 2);
        TSeemCurving high(tall, {4, c.Width});
        EXPECT_EQ(high.BlockHeight(), c.BlockWidth);
    }
}

enum TOperation { opRemoveHorizontal, opInsertHorizontal, opRemoveVertical, opInsertVertical };

bool Apply(TSeemCurving& carving, TOperation operation)
{
    switch (operation) {
    case opRemoveHorizontal:
        return carving.RemoveHorizontalSeam();
    case opInsertHorizontal:
        return carving.InsertHorizontalSeam();
    case opRemoveVertical:
        return carving.RemoveVerticalSeam();
    case opInsertVertical:
        return carving.InsertVerticalSeam();
    }
    return false;
}

TEST(SeemCurvingTest, IntensitiesStayEqualToARecomputedGrid)
{
    for (TOperation operation : {opRemoveHorizontal, opInsertHorizontal, opRemoveVertical, opInsertVertical}) {
        SCOPED_TRACE(static_cast<int>(operation));
        TVxPixelBuffer picture(fmtBGR24, Bounds(0, 0, 30, 24));
        FillRandom(picture, 100 + operation);
        TSeemCurving carving(picture, {25, 20});
        for (std::int32_t step = 0; step < 3; ++step)
            ASSERT_TRUE(Apply(carving, operation));
        auto fresh = FreshFinder(picture, carving.Size());
        ExpectSameIntensities(carving.Finder(), *fresh);
    }
}

// Rows of one grey each, with a single row of no vertical change (row 5): the cheapest
// horizontal seam runs straight along it, and there the updated gradients must equal
// gradients computed afresh. Transposed for vertical seams.
std::uint32_t Banded(std::int32_t k)
{
    static const std::int32_t levels[] = {0, 40, 90, 150, 200, 200, 200, 120, 60, 10, 250, 30};
    return Gray(levels[k]);
}

TEST(SeemCurvingTest, GradientsAlongAStraightSeamEqualARecomputedGrid)
{
    for (TOperation operation : {opRemoveHorizontal, opInsertHorizontal, opRemoveVertical, opInsertVertical}) {
        SCOPED_TRACE(static_cast<int>(operation));
        const bool horizontal = operation == opRemoveHorizontal || operation == opInsertHorizontal;
        TVxPixelBuffer picture(fmtBGR24, Bounds(0, 0, 13, 13));
        FillPicture(picture, [&](std::int32_t x, std::int32_t y) { return Banded(std::min(horizontal ? y : x, 11)); });
        TSeemCurving carving(picture, {12, 12});
        const auto seam = horizontal ? carving.Finder().HorizontalSeam() : carving.Finder().VerticalSeam();
        for (std::int32_t position : seam)
            ASSERT_EQ(position, 5);
        ASSERT_TRUE(Apply(carving, operation));
        auto fresh = FreshFinder(picture, carving.Size());
        ExpectSameIntensities(carving.Finder(), *fresh);
        ExpectSameGradients(carving.Finder(), *fresh);
    }
}

TEST(SeemCurvingTest, ReducingTheWidthTakesOnePixelOutOfEveryRow)
{
    TVxPixelBuffer picture(fmtBGR24, Bounds(0, 0, 80, 50));
    FillRandom(picture, 21);
    TVxPixelBuffer original;
    original.Assign(picture);
    TSeemCurving carving(picture, {80, 50});
    EXPECT_EQ(carving.RemoveVerticalSeams(16), 16);
    ASSERT_EQ(carving.Size(), (TSize{64, 50}));
    for (std::int32_t y = 0; y < 50; ++y) {
        EXPECT_TRUE(IsSubsequence(RowOf(picture, y, 64), RowOf(original, y, 80))) << y;
        for (std::int32_t x = 64; x < 80; ++x)
            EXPECT_TRUE(IsWhite(PixelAt(picture, x, y)));
    }
}

TEST(SeemCurvingTest, ReducingTheHeightTakesOnePixelOutOfEveryColumn)
{
    TVxPixelBuffer picture(fmtBGR24, Bounds(0, 0, 45, 60));
    FillRandom(picture, 22);
    TVxPixelBuffer original;
    original.Assign(picture);
    TSeemCurving carving(picture, {45, 60});
    EXPECT_EQ(carving.RemoveHorizontalSeams(12), 12);
    ASSERT_EQ(carving.Size(), (TSize{45, 48}));
    for (std::int32_t x = 0; x < 45; ++x) {
        EXPECT_TRUE(IsSubsequence(ColumnOf(picture, x, 48), ColumnOf(original, x, 60))) << x;
        for (std::int32_t y = 48; y < 60; ++y)
            EXPECT_TRUE(IsWhite(PixelAt(picture, x, y)));
    }
}

TEST(SeemCurvingTest, WideBlocksTakeOutWholeBlocks)
{
    TVxPixelBuffer picture(fmtBGR24, Bounds(0, 0, 1800, 6));
    FillRandom(picture, 23);
    TSeemCurving carving(picture, {1800, 6});
    ASSERT_EQ(carving.BlockWidth(), 2);
    EXPECT_EQ(carving.RemoveVerticalSeams(5), 5);
    EXPECT_EQ(carving.Size(), (TSize{1790, 6}));
    EXPECT_EQ(carving.Finder().Nx(), 895);
}

// The protected square carries a pattern no other pixel has (red 7): after carving it
// must still be there, whole and in one piece.
void ExpectSquareIntact(const TVxPixels& picture, TSize size, std::int32_t side)
{
    std::int32_t left = -1;
    std::int32_t top = -1;
    std::int32_t count = 0;
    for (std::int32_t y = 0; y < size.Height; ++y)
        for (std::int32_t x = 0; x < size.Width; ++x)
            if (PixelAt(picture, x, y)[2] == 7) {
                if (count++ == 0) {
                    left = x;
                    top = y;
                }
            }
    ASSERT_EQ(count, side * side);
    for (std::int32_t y = 0; y < side; ++y)
        for (std::int32_t x = 0; x < side; ++x)
            ASSERT_EQ(PixelAt(picture, left + x, top + y),
                      (TPixel{static_cast<std::uint8_t>(100 + y), static_cast<std::uint8_t>(100 + x), 7}));
}

TEST(SeemCurvingTest, ProtectedAreaSurvivesAReduction)
{
    const TRect square = Bounds(30, 20, 20, 20);
    TVxPixelBuffer picture(fmtBGR24, Bounds(0, 0, 80, 60));
    std::mt19937 random(31);
    FillPicture(picture, [&](std::int32_t x, std::int32_t y) -> std::uint32_t {
        if (square.Contains(x, y))
            return 7u << 16 | static_cast<std::uint32_t>(100 + x - square.Left) << 8 | (100 + y - square.Top);
        return (8 + random() % 248) << 16 | (random() & 0xFFFF);
    });
    TMarkPlane marks(80, 60);
    marks.Set(square, smProtect);
    TSeemCurving carving(picture, {80, 60}, ReaderOf(marks));
    carving.ResizeTo(50, 45);
    EXPECT_EQ(carving.Size(), (TSize{50, 45}));
    ExpectSquareIntact(picture, carving.Size(), 20);
}

TEST(SeemCurvingTest, ReductionStopsAtAProtectedLine)
{
    TVxPixelBuffer picture(fmtBGR24, Bounds(0, 0, 40, 30));
    FillRandom(picture, 41);
    TMarkPlane marks(40, 30);
    marks.Set(Bounds(0, 12, 40, 1), smProtect); // every vertical seam crosses this row
    TSeemCurving carving(picture, {40, 30}, ReaderOf(marks));
    EXPECT_EQ(carving.RemoveVerticalSeams(10), 0);
    EXPECT_EQ(carving.RemoveHorizontalSeams(10), 10);
    EXPECT_EQ(carving.Size(), (TSize{40, 20}));
}

// With every block protected, a horizontal seam sums 60 protected energies and more than
// 64 bits hold; it must read as protected, so nothing is cut.
TEST(SeemCurvingTest, FullyProtectedPictureKeepsItsSize)
{
    TVxPixelBuffer picture(fmtBGR24, Bounds(0, 0, 60, 40));
    FillRandom(picture, 42);
    TVxPixelBuffer original;
    original.Assign(picture);
    TMarkPlane marks(60, 40);
    marks.Set(Bounds(0, 0, 60, 40), smProtect);
    TSeemCurving carving(picture, {60, 40}, ReaderOf(marks));
    carving.ResizeTo(60, 30);
    EXPECT_EQ(carving.Size(), (TSize{60, 40}));
    carving.ResizeTo(50, 40);
    EXPECT_EQ(carving.Size(), (TSize{60, 40}));
    for (std::int32_t y = 0; y < 40; ++y)
        EXPECT_EQ(RowOf(picture, y, 60), RowOf(original, y, 60));
}

TEST(SeemCurvingTest, EnlargingDuplicatesSeamsAndKeepsEveryPixel)
{
    TVxPixelBuffer picture(fmtBGR24, Bounds(0, 0, 50, 40));
    FillRandom(picture, 51);
    TVxPixelBuffer original;
    original.Assign(picture);
    TSeemCurving carving(picture, {40, 32});
    carving.ResizeTo(50, 32);
    ASSERT_EQ(carving.Size(), (TSize{50, 32}));
    for (std::int32_t y = 0; y < 32; ++y)
        EXPECT_TRUE(IsSubsequence(RowOf(original, y, 40), RowOf(picture, y, 50))) << y;

    TVxPixelBuffer wider;
    wider.Assign(picture);
    carving.ResizeTo(50, 40);
    ASSERT_EQ(carving.Size(), (TSize{50, 40}));
    for (std::int32_t x = 0; x < 50; ++x)
        EXPECT_TRUE(IsSubsequence(ColumnOf(wider, x, 32), ColumnOf(picture, x, 40))) << x;
}

class TRecordingObserver : public ISeemCurvingObserver {
public:
    explicit TRecordingObserver(bool show, std::int32_t stopAfter = 1 << 30) : FShow(show), FStopAfter(stopAfter) {}
    void SeamChosen(TSeemKind, std::span<const std::int32_t>) override { ++Chosen; }
    bool ShowsSeams() override { return FShow; }
    void SeamShown(TSeemKind) override { ++Shown; }
    void SeamApplied(TSeemKind, std::span<const std::int32_t>, std::int32_t) override { ++Applied; }
    bool StopRequested() override { return Applied >= FStopAfter; }
    std::int32_t Chosen = 0;
    std::int32_t Shown = 0;
    std::int32_t Applied = 0;

private:
    bool FShow;
    std::int32_t FStopAfter;
};

TEST(SeemCurvingTest, ShowingSeamsLeavesNoTrace)
{
    for (TOperation operation : {opRemoveHorizontal, opInsertHorizontal, opRemoveVertical, opInsertVertical}) {
        SCOPED_TRACE(static_cast<int>(operation));
        TVxPixelBuffer quiet(fmtBGR24, Bounds(0, 0, 36, 30));
        FillRandom(quiet, 61);
        TVxPixelBuffer shown;
        shown.Assign(quiet);
        TSeemCurving plain(quiet, {32, 26});
        TRecordingObserver observer(true);
        TSeemCurving watched(shown, {32, 26}, {}, &observer);
        for (std::int32_t step = 0; step < 3; ++step) {
            ASSERT_TRUE(Apply(plain, operation));
            ASSERT_TRUE(Apply(watched, operation));
        }
        EXPECT_EQ(observer.Chosen, 3);
        EXPECT_EQ(observer.Shown, 3);
        EXPECT_EQ(observer.Applied, 3);
        for (std::int32_t y = 0; y < 30; ++y)
            ASSERT_EQ(RowOf(quiet, y, 36), RowOf(shown, y, 36)) << y;
    }
}

TEST(SeemCurvingTest, StopEndsTheLoop)
{
    TVxPixelBuffer picture(fmtBGR24, Bounds(0, 0, 40, 40));
    FillRandom(picture, 71);
    TRecordingObserver observer(false, 4);
    TSeemCurving carving(picture, {40, 40}, {}, &observer);
    EXPECT_EQ(carving.RemoveVerticalSeams(20), 4);
    EXPECT_EQ(carving.Size(), (TSize{36, 40}));
}

TEST(SeemCurvingTest, SmartRemoveStopsAtTheMinimumSide)
{
    TVxPixelBuffer picture(fmtBGR24, Bounds(0, 0, 40, 33));
    FillRandom(picture, 81);
    TMarkPlane marks(40, 33);
    marks.Set(Bounds(0, 0, 40, 33), smRemove);
    TSeemCurving carving(picture, {40, 33}, ReaderOf(marks));
    carving.RemoveMarkedArea(true, false);
    EXPECT_EQ(carving.Size(), (TSize{40, 32}));
}

TEST(SeemCurvingTest, SmartRemoveTakesOutTheMarkedStripe)
{
    const TRect stripe = Bounds(17, 0, 3, 40);
    TVxPixelBuffer picture(fmtBGR24, Bounds(0, 0, 50, 40));
    std::mt19937 random(91);
    FillPicture(picture, [&](std::int32_t x, std::int32_t y) -> std::uint32_t {
        return stripe.Contains(x, y) ? 0x070000u : (8 + random() % 248) << 16 | (random() & 0xFFFF);
    });
    TMarkPlane marks(50, 40);
    marks.Set(stripe, smRemove);
    TSeemCurving carving(picture, {50, 40}, ReaderOf(marks));
    carving.RemoveMarkedArea(true, true);
    EXPECT_EQ(carving.Size(), (TSize{47, 40}));
    for (std::int32_t y = 0; y < 40; ++y)
        for (std::int32_t x = 0; x < 47; ++x)
            ASSERT_NE(PixelAt(picture, x, y)[2], 7) << x << "," << y;
    carving.StretchToBuffer();
    EXPECT_EQ(carving.Size(), (TSize{50, 40}));
}

TEST(SeemCurvingTest, RefusesPicturesItCannotCarve)
{
    TVxPixelBuffer picture(fmtBGR24, Bounds(0, 0, 10, 10));
    EXPECT_THROW(TSeemCurving(picture, {11, 10}), std::invalid_argument);
    EXPECT_THROW(TSeemCurving(picture, {0, 10}), std::invalid_argument);
    TVxPixelBuffer wide(fmtBGRA32, Bounds(0, 0, 10, 10));
    EXPECT_THROW(TSeemCurving(wide, {10, 10}), std::invalid_argument);
}

TEST(SeemCurvingTest, OnePixelPicturesDoNotBreak)
{
    TVxPixelBuffer picture(fmtBGR24, Bounds(0, 0, 3, 3));
    FillRandom(picture, 5);
    TSeemCurving carving(picture, {1, 1});
    EXPECT_FALSE(carving.RemoveVerticalSeam());
    EXPECT_FALSE(carving.RemoveHorizontalSeam());
    EXPECT_TRUE(carving.InsertVerticalSeam());
    EXPECT_TRUE(carving.InsertHorizontalSeam());
    EXPECT_EQ(carving.Size(), (TSize{2, 2}));
}

} // namespace
