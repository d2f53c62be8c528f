#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "seams/SeemTestPictures.h"
#include "seams/SeamSums.h"
#include "seams/SeemWayRatio.h"

namespace {

TVxPixelBuffer Picture(std::int32_t width, std::int32_t height)
{
    return TVxPixelBuffer(fmtBGR24, Bounds(0, 0, width, height));
}

// Block (1, 1) is the only bright one in a 4 x 4 picture of 1-pixel blocks.
std::unique_ptr<TVxPixelBuffer> BrightDot()
{
    auto picture = std::make_unique<TVxPixelBuffer>(fmtBGR24, Bounds(0, 0, 4, 4));
    FillPicture(*picture, [](std::int32_t x, std::int32_t y) { return x == 1 && y == 1 ? 0x102030FFu : 0u; });
    return picture;
}

// ---------------------------------------------------------------------------------------
// Block size rule

struct TBlockSizeCase {
    std::int32_t Pixels;
    std::int32_t Block;
};

TEST(SeemWayRatioTest, BlockSizeRoundsToNearestWithTiesToEven)
{
    const TBlockSizeCase cases[] = {
        {0, 1},    {1, 1},    {599, 1},  {1799, 1}, {1800, 2}, {2400, 2}, {3000, 2}, {3001, 3},
        {4199, 3}, {4200, 4}, {5400, 4}, {5401, 5}, {6600, 6}, {7800, 6}, {7801, 7},
    };
    for (const TBlockSizeCase& c : cases) {
        SCOPED_TRACE(c.Pixels);
        EXPECT_EQ(SeemBlockSize(c.Pixels), c.Block);
    }
}

TEST(SeemWayRatioTest, GridCapacityIsCeilingOfSizeOverBlock)
{
    TSeemWayRatio finder(2401, 599, SeemBlockSize(2401), SeemBlockSize(599));
    EXPECT_EQ(finder.BlockWidth(), 2);
    EXPECT_EQ(finder.BlockHeight(), 1);
    EXPECT_EQ(finder.CapacityX(), 1201);
    EXPECT_EQ(finder.CapacityY(), 599);
    finder.SetImageSize(7, 5);
    EXPECT_EQ(finder.Nx(), 4);
    EXPECT_EQ(finder.Ny(), 5);
}

TEST(SeemWayRatioTest, RefusesImpossibleGrids)
{
    EXPECT_THROW(TSeemWayRatio(0, 10, 1, 1), std::invalid_argument);
    EXPECT_THROW(TSeemWayRatio(10, 10, 0, 1), std::invalid_argument);
    EXPECT_THROW(TDifferenceFilter(10, 10, 5, 1, 1), std::invalid_argument);
    EXPECT_THROW(TSeemWayRatio(1 << 20, 10, 1 << 10, 1 << 10), std::invalid_argument);
}

// ---------------------------------------------------------------------------------------
// Block grid columns

// Entries taken out of columns and duplicated in them, with whole columns rotated and the
// columns put back in their slots now and then, against plain vectors doing the same.
TEST(SeemWayRatioTest, GridColumnsKeepTheirEntriesWhicheverSideMoves)
{
    constexpr std::int32_t columns = 5;
    constexpr std::int32_t capacity = 21; // slots of 24 entries of 8 bytes: room to drift
    TBlockGrid<std::int64_t> grid;
    grid.Allocate(columns, capacity);
    std::vector<std::vector<std::int64_t>> model(columns);
    std::int32_t count = capacity;
    for (std::int32_t i = 0; i < columns; ++i)
        for (std::int32_t j = 0; j < count; ++j) {
            grid.At(i, j) = i * 1000 + j;
            model[i].push_back(i * 1000 + j);
        }
    std::mt19937 random(11);
    for (std::int32_t step = 0; step < 400; ++step) {
        const std::uint32_t operation = random() % 8;
        if (operation < 3 && count > 1) {
            for (std::int32_t i = 0; i < columns; ++i) {
                const auto at = static_cast<std::int32_t>(random() % count);
                grid.RemoveAt(i, at, count);
                model[i].erase(model[i].begin() + at);
            }
            --count;
        } else if (operation < 6 && count < capacity) {
            for (std::int32_t i = 0; i < columns; ++i) {
                const auto at = static_cast<std::int32_t>(random() % count);
                grid.DuplicateAt(i, at, count);
                model[i].insert(model[i].begin() + at + 1, model[i][at]);
            }
            ++count;
        } else if (operation == 6) {
            grid.RotateLeft(1, columns - 1);
            std::rotate(model.begin() + 1, model.begin() + 2, model.end());
        } else {
            grid.Realign(count);
        }
        for (std::int32_t i = 0; i < columns; ++i)
            for (std::int32_t j = 0; j < count; ++j)
                ASSERT_EQ(grid.At(i, j), model[i][j]) << "step " << step << ", column " << i << ", entry " << j;
    }
}

// A column rotated out of use keeps the drift it had; while it is out, the columns in use
// may grow to the full slot. Brought back in, it must start at its slot again, or its
// entries run into the next column's slot.
TEST(SeemWayRatioTest, SpareColumnComesBackAtTheStartOfItsSlot)
{
    constexpr std::int32_t columns = 3;
    constexpr std::int32_t capacity = 8; // slots of exactly 8 entries of 8 bytes: no slack
    TBlockGrid<std::int64_t> grid;
    grid.Allocate(columns, capacity);
    std::int32_t count = capacity;
    grid.RemoveAt(1, 0, count); // moves the column's start one entry into its slot
    --count;
    grid.RotateLeft(1, 2);      // out of use: the drifted array is now the spare, column 2
    for (std::int32_t i = 0; i < 2; ++i)
        grid.DuplicateAt(i, 0, count);
    ++count;
    grid.RotateRight(1, 2);     // the spare back in at 1, the former column 1 now column 2
    for (std::int32_t i = 0; i < columns; ++i)
        for (std::int32_t j = 0; j < count; ++j)
            grid.At(i, j) = i * 100 + j;
    for (std::int32_t i = 0; i < columns; ++i)
        for (std::int32_t j = 0; j < count; ++j)
            ASSERT_EQ(grid.At(i, j), i * 100 + j) << "column " << i << ", entry " << j;
}

// ---------------------------------------------------------------------------------------
// Intensity and gradient

TEST(SeemWayRatioTest, IntensitySumsTheLargestChannelOfEveryPixelOfABlock)
{
    TSeemWayRatio finder(5, 3, 2, 2);
    finder.AddPixel(0, 0, 0, 10, 20, 30);
    finder.AddPixel(1, 1, 0, 200, 20, 30);
    finder.AddPixel(4, 2, 0, 1, 255, 3);
    EXPECT_EQ(finder.Intensity(0, 0), 230);
    EXPECT_EQ(finder.Intensity(2, 1), 255);
    EXPECT_EQ(finder.Intensity(1, 0), 0);
}

struct TRowFeedCase {
    const char* Name;
    std::int32_t BlockWidth;
    std::int32_t BlockHeight;
    bool WithMarks;
    bool Shuffled; // rows arrive out of order, some far apart
};

// Rows handed over whole are gathered in bands before they reach the grid; whatever the
// order they come in, the grid must hold what pixel-by-pixel feeding gives.
TEST(SeemWayRatioTest, RowsGatherWhatPixelsGather)
{
    const TRowFeedCase cases[] = {
        {"one-pixel blocks", 1, 1, false, false},
        {"one-pixel blocks, marks", 1, 1, true, false},
        {"3 x 2 blocks, marks", 3, 2, true, false},
        {"rows out of order", 1, 1, true, true},
        {"3 x 2 blocks out of order", 3, 2, false, true},
    };
    constexpr std::int32_t width = 41;
    constexpr std::int32_t height = 53; // more block rows than one band holds
    for (const TRowFeedCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TVxPixelBuffer picture = Picture(width, height);
        FillRandom(picture, 5);
        TMarkPlane marks(width, height);
        if (c.WithMarks) {
            marks.Set(Rect(4, 30, 9, 40), smRemove);
            marks.Set(Rect(20, 2, 26, 7), smProtect);
        }
        TSeemWayRatio byPixel(width, height, c.BlockWidth, c.BlockHeight);
        FeedFinder(byPixel, picture, width, height, c.WithMarks ? &marks : nullptr);

        TSeemWayRatio byRow(width, height, c.BlockWidth, c.BlockHeight);
        byRow.SetImageSize(width, height);
        std::vector<std::int32_t> order(height);
        for (std::int32_t y = 0; y < height; ++y)
            order[y] = y;
        if (c.Shuffled)
            std::shuffle(order.begin(), order.end(), std::mt19937(9));
        for (const std::int32_t y : order)
            byRow.AddRow(y, picture.PixelAddress(0, y), c.WithMarks ? &marks.Marks[y * width] : nullptr, width);
        byRow.ComputeGradient();
        byRow.ComputeEnergy();

        for (std::int32_t i = 0; i < byPixel.Nx(); ++i)
            for (std::int32_t j = 0; j < byPixel.Ny(); ++j) {
                ASSERT_EQ(byRow.Intensity(i, j), byPixel.Intensity(i, j)) << i << "," << j;
                ASSERT_EQ(byRow.Mark(i, j), byPixel.Mark(i, j)) << i << "," << j;
                ASSERT_EQ(byRow.Energy(i, j), byPixel.Energy(i, j)) << i << "," << j;
            }
        EXPECT_EQ(byRow.CompactEnergy(), !c.WithMarks);
    }
}

TEST(SeemWayRatioTest, IntensityOfLargeBlocksDoesNotWrap)
{
    // 12 x 12 = 144 white pixels sum to 36 720, more than 16 bits hold.
    TSeemWayRatio finder(24, 24, 12, 12);
    for (std::int32_t y = 0; y < 12; ++y)
        for (std::int32_t x = 0; x < 12; ++x)
            finder.AddPixel(x, y, 0, 255, 255, 255);
    EXPECT_EQ(finder.Intensity(0, 0), 144 * 255);
}

struct TFilterCase {
    std::uint8_t Type;
    std::int32_t Side;
    std::int32_t Centre;
};

TEST(SeemWayRatioTest, GradientWeightsByFilterType)
{
    const TFilterCase cases[] = {{0, 0, 1}, {1, 1, 1}, {2, 1, 2}, {3, 1, 3}, {4, 3, 10}};
    const auto picture = BrightDot();
    for (const TFilterCase& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.Type));
        TDifferenceFilter filter(4, 4, c.Type, 1, 1);
        for (std::int32_t y = 0; y < 4; ++y)
            for (std::int32_t x = 0; x < 4; ++x) {
                const std::uint8_t* p = picture->PixelAddress(x, y);
                filter.AddPixel(x, y, p[0], p[1], p[2]);
            }
        filter.ComputeGradient();
        EXPECT_EQ(filter.Gradient(1, 1), (TGradient{0, 0}));
        EXPECT_EQ(filter.Gradient(2, 1), (TGradient{c.Centre * 255, 0}));
        EXPECT_EQ(filter.Gradient(1, 2), (TGradient{0, c.Centre * 255}));
        EXPECT_EQ(filter.Gradient(2, 2), (TGradient{c.Side * 255, c.Side * 255}));
        // Borders repeat their inner neighbour; corners the diagonal one.
        EXPECT_EQ(filter.Gradient(0, 2), filter.Gradient(1, 2));
        EXPECT_EQ(filter.Gradient(3, 1), filter.Gradient(2, 1));
        EXPECT_EQ(filter.Gradient(2, 0), filter.Gradient(2, 1));
        EXPECT_EQ(filter.Gradient(3, 3), filter.Gradient(2, 2));
        EXPECT_EQ(filter.Gradient(0, 0), filter.Gradient(1, 1));
    }
}

// ---------------------------------------------------------------------------------------
// Energy

TEST(SeemWayRatioTest, EnergyBonusesPenaltyAndThreshold)
{
    TSeemWayRatio finder(4, 4, 1, 1);
    FeedFinder(finder, *BrightDot(), 4, 4);
    // Energies by column: 0 0 255 255 | 0 0 255 255 | 255 255 510 510 | 255 255 510 510.
    const std::int64_t expected[4][4] = {
        {0, 0, 255, 255}, {0, 0, 255, 255}, {255, 255, 510, 510}, {255, 255, 510, 510}};
    for (std::int32_t i = 0; i < 4; ++i)
        for (std::int32_t j = 0; j < 4; ++j)
            EXPECT_EQ(finder.Energy(i, j), expected[i][j]) << i << "," << j;
    EXPECT_EQ(finder.ProtectBonus(), 2305843009213693951); // (2^63 - 1) / 4
    EXPECT_EQ(finder.InsertionPenalty(), 128);             // 4080 / 16 / 2 = 127.5
    EXPECT_EQ(finder.ProtectionThreshold(), 3061);         // 510 * 4 * 1.5 + 1
    EXPECT_EQ(finder.RemovalBonus(), 768614336404563630);  // (P - T) / 3
}

TEST(SeemWayRatioTest, MarksShiftTheEnergyOfTheirBlocks)
{
    TMarkPlane marks(4, 4);
    marks.Set(Bounds(3, 0, 1, 1), smRemove);
    marks.Set(Bounds(0, 3, 1, 1), smProtect);
    TSeemWayRatio finder(4, 4, 1, 1);
    FeedFinder(finder, *BrightDot(), 4, 4, &marks);
    EXPECT_EQ(finder.Energy(3, 0), 255 - finder.RemovalBonus());
    EXPECT_EQ(finder.Energy(0, 3), 255 + finder.ProtectBonus());
    EXPECT_EQ(finder.Energy(1, 1), 0);
}

TEST(SeemWayRatioTest, SingleBlockGridHasNoDivisionByZero)
{
    TVxPixelBuffer picture = Picture(1, 1);
    FillPicture(picture, [](std::int32_t, std::int32_t) { return 0x808080u; });
    TMarkPlane marks(1, 1);
    marks.Set(Bounds(0, 0, 1, 1), smRemove);
    TSeemWayRatio finder(1, 1, 1, 1);
    FeedFinder(finder, picture, 1, 1, &marks);
    EXPECT_EQ(finder.ProtectBonus(), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(finder.ProtectionThreshold(), 1);
    EXPECT_EQ(finder.RemovalBonus(), finder.ProtectBonus() - 1);
    EXPECT_TRUE(finder.HorizontalThroughRemoval());
    EXPECT_TRUE(finder.VerticalThroughRemoval());
    EXPECT_EQ(finder.HorizontalSeamAt(0), 0);
}

// ---------------------------------------------------------------------------------------
// Seams

TEST(SeemWayRatioTest, FlatImageSeamsRunAlongRowAndColumnZero)
{
    TVxPixelBuffer picture = Picture(9, 7);
    FillPicture(picture, [](std::int32_t, std::int32_t) { return 0x404040u; });
    TSeemWayRatio finder(9, 7, 1, 1);
    FeedFinder(finder, picture, 9, 7);
    for (std::int32_t row : finder.HorizontalSeam())
        EXPECT_EQ(row, 0);
    for (std::int32_t column : finder.VerticalSeam())
        EXPECT_EQ(column, 0);
    EXPECT_EQ(finder.HorizontalSeamCost(), 0);
    EXPECT_FALSE(finder.HorizontalPreferred());
}

struct TPredecessorCase {
    std::vector<std::int64_t> Previous;
    std::int32_t J;
    std::int32_t Expected;
};

TEST(SeemWayRatioTest, ForwardPassPrefersTheNextIndexOnTies)
{
    const TPredecessorCase cases[] = {
        {{5, 5, 5}, 1, 2}, // three-way tie: j + 1
        {{4, 5, 5}, 1, 0}, // j - 1 strictly smaller
        {{5, 5, 6}, 1, 1}, // j and j - 1 tie: j stays
        {{5, 4, 4}, 1, 2}, // j and j + 1 tie: j + 1
        {{3, 3}, 0, 1},    // first line: only j and j + 1
        {{3, 3}, 1, 1},    // last line: j - 1 only when strictly smaller
        {{2, 3}, 1, 0},    {{7}, 0, 0},
    };
    for (const TPredecessorCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.Previous) + " j=" + std::to_string(c.J));
        EXPECT_EQ(CheapestPredecessor(c.Previous.data(), c.J, static_cast<std::int32_t>(c.Previous.size())),
                  c.Expected);
    }
}

TEST(SeemWayRatioTest, ProtectedBlockOnEveryPathPushesTheCostToThreshold)
{
    TVxPixelBuffer picture = Picture(12, 8);
    FillRandom(picture, 7);
    TMarkPlane marks(12, 8);
    marks.Set(Bounds(5, 0, 1, 8), smProtect); // a whole column: every horizontal seam crosses it
    TSeemWayRatio finder(12, 8, 1, 1);
    FeedFinder(finder, picture, 12, 8, &marks);
    EXPECT_TRUE(finder.HorizontalThroughProtected());
    EXPECT_GE(finder.HorizontalSeamCost(), finder.ProtectionThreshold());
    EXPECT_FALSE(finder.VerticalThroughProtected());
    for (std::int32_t column : finder.VerticalSeam())
        EXPECT_NE(column, 5);
}

TEST(SeemWayRatioTest, RemovalBlocksPullTheSeamIn)
{
    TVxPixelBuffer picture = Picture(12, 8);
    FillRandom(picture, 11);
    TMarkPlane marks(12, 8);
    marks.Set(Bounds(7, 3, 1, 1), smRemove);
    TSeemWayRatio finder(12, 8, 1, 1);
    FeedFinder(finder, picture, 12, 8, &marks);
    EXPECT_TRUE(finder.HorizontalThroughRemoval());
    EXPECT_TRUE(finder.VerticalThroughRemoval());
    EXPECT_EQ(finder.HorizontalSeam()[7], 3);
    EXPECT_EQ(finder.VerticalSeam()[3], 7);
}

// A whole line of protected blocks sums past the 64-bit range; the sum must stay at
// the top of the range so the seam still reads as protected and not as removal.
TEST(SeemWayRatioTest, LineOfProtectedBlocksStaysProtected)
{
    TVxPixelBuffer picture = Picture(60, 40);
    FillRandom(picture, 3);
    TMarkPlane marks(60, 40);
    marks.Set(Bounds(0, 0, 60, 40), smProtect);
    TSeemWayRatio finder(60, 40, 1, 1);
    FeedFinder(finder, picture, 60, 40, &marks);
    EXPECT_FALSE(finder.HorizontalThroughRemoval());
    EXPECT_TRUE(finder.HorizontalThroughProtected());
    EXPECT_TRUE(finder.VerticalThroughProtected());
    EXPECT_GT(finder.HorizontalSeamCost(), 0);
}

// Every connected path by exhaustive search, summed left to right the way the forward
// pass sums (saturating).
std::int64_t CheapestByBruteForce(const std::function<std::int64_t(std::int32_t, std::int32_t)>& energy,
                                  std::int32_t length, std::int32_t breadth)
{
    std::int64_t best = std::numeric_limits<std::int64_t>::max();
    std::function<void(std::int32_t, std::int32_t, std::int64_t)> walk = [&](std::int32_t k, std::int32_t p,
                                                                             std::int64_t sum) {
        sum = k == 0 ? energy(0, p) : SaturatingAdd(energy(k, p), sum);
        if (k == length - 1) {
            best = std::min(best, sum);
            return;
        }
        for (std::int32_t next = std::max(p - 1, 0); next <= std::min(p + 1, breadth - 1); ++next)
            walk(k + 1, next, sum);
    };
    for (std::int32_t p = 0; p < breadth; ++p)
        walk(0, p, 0);
    return best;
}

std::int64_t SumAlong(const std::function<std::int64_t(std::int32_t, std::int32_t)>& energy,
                      std::span<const std::int32_t> seam)
{
    std::int64_t sum = energy(0, seam[0]);
    for (std::size_t k = 1; k < seam.size(); ++k) {
        EXPECT_LE(std::abs(seam[k] - seam[k - 1]), 1) << "seam breaks at " << k;
        sum = SaturatingAdd(energy(static_cast<std::int32_t>(k), seam[k]), sum);
    }
    return sum;
}

TEST(SeemWayRatioTest, FoundSeamsAreCheapestOnRandomGrids)
{
    std::mt19937 random(2024);
    for (std::int32_t round = 0; round < 60; ++round) {
        const std::int32_t width = 1 + static_cast<std::int32_t>(random() % 7);
        const std::int32_t height = 1 + static_cast<std::int32_t>(random() % 6);
        SCOPED_TRACE(testing::Message() << "round " << round << ", " << width << " x " << height);
        TVxPixelBuffer picture = Picture(width, height);
        FillRandom(picture, static_cast<std::uint32_t>(random()));
        TMarkPlane marks(width, height);
        for (std::uint8_t& mark : marks.Marks)
            mark = random() % 8 == 0 ? static_cast<std::uint8_t>(1 + random() % 2) : 0;
        TSeemWayRatio finder(width, height, 1, 1);
        FeedFinder(finder, picture, width, height, &marks);

        const auto byColumn = [&](std::int32_t i, std::int32_t j) { return finder.Energy(i, j); };
        const auto byRow = [&](std::int32_t j, std::int32_t i) { return finder.Energy(i, j); };
        const std::int64_t horizontal = CheapestByBruteForce(byColumn, width, height);
        const std::int64_t vertical = CheapestByBruteForce(byRow, height, width);
        EXPECT_EQ(SumAlong(byColumn, finder.HorizontalSeam()), horizontal);
        EXPECT_EQ(SumAlong(byRow, finder.VerticalSeam()), vertical);
        EXPECT_EQ(finder.HorizontalSeamCost(), static_cast<long double>(horizontal) / width);
        EXPECT_EQ(finder.VerticalSeamCost(), static_cast<long double>(vertical) / height);
    }
}

struct TPositionCase {
    std::int32_t I;
    std::int32_t J;
    std::int32_t Position;
};

TEST(SeemWayRatioTest, BlockPositionClassifiesBlocks)
{
    TSeemWayRatio finder(4, 3, 1, 1);
    const TPositionCase cases[] = {
        {-1, 0, 3}, {4, 1, 3}, {0, 3, 3}, {0, 0, 2}, {3, 2, 2}, {3, 0, 2},
        {0, 1, 1},  {2, 0, 1}, {1, 2, 1}, {1, 1, 0}, {2, 1, 0},
    };
    for (const TPositionCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.I << "," << c.J);
        EXPECT_EQ(finder.BlockPosition(c.I, c.J), c.Position);
    }
}

// ---------------------------------------------------------------------------------------
// Grid updates

TEST(SeemWayRatioTest, RemovingAHorizontalSeamShiftsEnergiesUp)
{
    TVxPixelBuffer picture = Picture(10, 8);
    FillRandom(picture, 5);
    TSeemWayRatio finder(10, 8, 1, 1);
    FeedFinder(finder, picture, 10, 8);
    std::vector<std::vector<std::int64_t>> before(10, std::vector<std::int64_t>(8));
    for (std::int32_t i = 0; i < 10; ++i)
        for (std::int32_t j = 0; j < 8; ++j)
            before[i][j] = finder.Energy(i, j);
    const std::vector<std::int32_t> seam(finder.HorizontalSeam().begin(), finder.HorizontalSeam().end());
    finder.RemoveHorizontalSeam();
    ASSERT_EQ(finder.Ny(), 7);
    for (std::int32_t i = 0; i < 10; ++i) {
        before[i].erase(before[i].begin() + seam[i]);
        for (std::int32_t j = 0; j < 7; ++j)
            EXPECT_EQ(finder.Energy(i, j), before[i][j]);
    }
}

TEST(SeemWayRatioTest, InsertingAVerticalSeamDuplicatesItWithPenalty)
{
    TVxPixelBuffer picture = Picture(10, 8);
    FillRandom(picture, 9);
    TSeemWayRatio finder(12, 8, 1, 1);
    FeedFinder(finder, picture, 10, 8);
    std::vector<std::vector<std::int64_t>> before(8, std::vector<std::int64_t>(10));
    for (std::int32_t i = 0; i < 10; ++i)
        for (std::int32_t j = 0; j < 8; ++j)
            before[j][i] = finder.Energy(i, j);
    const std::vector<std::int32_t> seam(finder.VerticalSeam().begin(), finder.VerticalSeam().end());
    const std::int64_t q = finder.InsertionPenalty();
    ASSERT_TRUE(finder.InsertVerticalSeam());
    ASSERT_EQ(finder.Nx(), 11);
    for (std::int32_t j = 0; j < 8; ++j) {
        std::vector<std::int64_t> row = before[j];
        row.insert(row.begin() + seam[j], row[seam[j]]);
        row[seam[j]] += q;
        row[seam[j] + 1] += q;
        for (std::int32_t i = 0; i < 11; ++i)
            EXPECT_EQ(finder.Energy(i, j), row[i]) << i << "," << j;
    }
}

TEST(SeemWayRatioTest, InsertionBeyondCapacityIsRefused)
{
    TVxPixelBuffer picture = Picture(6, 5);
    FillRandom(picture, 1);
    TSeemWayRatio finder(6, 5, 1, 1);
    FeedFinder(finder, picture, 6, 5);
    EXPECT_FALSE(finder.InsertVerticalSeam());
    EXPECT_FALSE(finder.InsertHorizontalSeam());
    EXPECT_EQ(finder.Nx(), 6);
    EXPECT_EQ(finder.Ny(), 5);
}

// The search after a seam repairs the previous sums near the seam; a finder that sums
// the whole grid every time must find the same seams at the same costs, whatever the
// order of removals and insertions.
TEST(SeemWayRatioTest, RepairedSumsEqualSumsComputedAfresh)
{
    std::mt19937 random(77);
    for (std::int32_t round = 0; round < 40; ++round) {
        const std::int32_t width = 3 + static_cast<std::int32_t>(random() % 40);
        const std::int32_t height = 3 + static_cast<std::int32_t>(random() % 30);
        SCOPED_TRACE(testing::Message() << "round " << round << ", " << width << " x " << height);
        TVxPixelBuffer picture = Picture(width, height);
        const std::uint32_t seed = static_cast<std::uint32_t>(random());
        if (round % 3 == 0)
            FillPicture(picture, [](std::int32_t x, std::int32_t y) { return Gray((x * 7 + y * 3) % 5 * 20); });
        else
            FillRandom(picture, seed);
        TMarkPlane marks(width, height);
        for (std::uint8_t& mark : marks.Marks)
            mark = random() % 16 == 0 ? static_cast<std::uint8_t>(1 + random() % 2) : 0;
        TSeemWayRatio repaired(width + 6, height + 6, 1, 1);
        TSeemWayRatio reference(width + 6, height + 6, 1, 1);
        reference.SetIncrementalSums(false);
        FeedFinder(repaired, picture, width, height, &marks);
        FeedFinder(reference, picture, width, height, &marks);
        for (std::int32_t step = 0; step < 12; ++step) {
            const std::uint32_t operation = round % 2 == 0 ? random() % 4 : (step < 6 ? 2 : random() % 4);
            switch (operation) {
            case 0:
                repaired.RemoveHorizontalSeam();
                reference.RemoveHorizontalSeam();
                break;
            case 1:
                repaired.InsertHorizontalSeam();
                reference.InsertHorizontalSeam();
                break;
            case 2:
                repaired.RemoveVerticalSeam();
                reference.RemoveVerticalSeam();
                break;
            default:
                repaired.InsertVerticalSeam();
                reference.InsertVerticalSeam();
                break;
            }
            ASSERT_EQ(repaired.Nx(), reference.Nx());
            ASSERT_EQ(repaired.Ny(), reference.Ny());
            const auto a = repaired.VerticalSeam();
            const auto b = reference.VerticalSeam();
            ASSERT_TRUE(std::equal(a.begin(), a.end(), b.begin(), b.end())) << "vertical, step " << step;
            ASSERT_EQ(repaired.VerticalSeamCost(), reference.VerticalSeamCost());
            const auto c = repaired.HorizontalSeam();
            const auto d = reference.HorizontalSeam();
            ASSERT_TRUE(std::equal(c.begin(), c.end(), d.begin(), d.end())) << "horizontal, step " << step;
            ASSERT_EQ(repaired.HorizontalSeamCost(), reference.HorizontalSeamCost());
        }
    }
}

// What a sequence of seams does to the grid, with the seam taken before every step:
// 'h'/'H' remove/insert a horizontal seam, 'v'/'V' a vertical one.
void ApplySeam(TSeemWayRatio& finder, char operation)
{
    switch (operation) {
    case 'h':
        finder.RemoveHorizontalSeam();
        break;
    case 'H':
        finder.InsertHorizontalSeam();
        break;
    case 'v':
        finder.RemoveVerticalSeam();
        break;
    default:
        finder.InsertVerticalSeam();
        break;
    }
}

// The intensities of the grid as plain columns, following the same seams.
using TIntensityModel = std::vector<std::vector<std::int32_t>>;

void ApplySeam(TIntensityModel& model, char operation, std::span<const std::int32_t> seam, std::int32_t nx)
{
    if (operation == 'h' || operation == 'H') {
        for (std::int32_t i = 0; i < nx; ++i) {
            std::vector<std::int32_t>& column = model[i];
            if (operation == 'h')
                column.erase(column.begin() + seam[i]);
            else
                column.insert(column.begin() + seam[i] + 1, column[seam[i]]);
        }
        return;
    }
    if (operation == 'V')
        model.insert(model.begin() + nx, model[nx - 1]);
    for (std::size_t j = 0; j < seam.size(); ++j) {
        if (operation == 'v')
            for (std::int32_t i = seam[j]; i + 1 < nx; ++i)
                model[i][j] = model[i + 1][j];
        else
            for (std::int32_t i = nx; i > seam[j]; --i)
                model[i][j] = model[i - 1][j];
    }
    if (operation == 'v')
        model.erase(model.begin() + nx - 1);
}

// Found by the fuzzer: horizontal seams move the start of some columns of the sums into
// their slots; columns a vertical removal put out of use kept that drift while horizontal
// insertions lengthened the columns in use, and came back overlapping their neighbours.
// The same held for the intensity columns. 8 x 6 pixels in 1-pixel blocks with room for
// two more each way; grey levels (0 marks a block for removal, 17 protects it).
TEST(SeemWayRatioTest, ColumnsBackInUseAfterLengthChangesFollowTheSeams)
{
    constexpr std::int32_t width = 8;
    constexpr std::int32_t height = 6;
    const std::uint8_t grey[height][width] = {
        {100, 100, 0, 0, 100, 100, 41, 245}, {4, 5, 0, 253, 37, 77, 117, 77},  {22, 66, 17, 17, 0, 110, 88, 0},
        {0, 121, 66, 165, 11, 33, 132, 55},  {33, 110, 17, 17, 121, 0, 0, 55}, {165, 99, 0, 0, 44, 55, 22, 99},
    };
    const std::string operations = "hhhhHVHHHHHhhhHHHhHhHhvHVhvHVVh";
    TSeemWayRatio repaired(width + 2, height + 2, 1, 1);
    TSeemWayRatio reference(width + 2, height + 2, 1, 1);
    reference.SetIncrementalSums(false);
    TIntensityModel model(width, std::vector<std::int32_t>(height));
    for (TSeemWayRatio* finder : {&repaired, &reference}) {
        finder->SetImageSize(width, height);
        for (std::int32_t y = 0; y < height; ++y)
            for (std::int32_t x = 0; x < width; ++x) {
                const std::uint8_t value = grey[y][x];
                const std::uint8_t mark = value == 0 ? smRemove : value == 17 ? smProtect : smNone;
                finder->AddPixel(x, y, mark, value, static_cast<std::uint8_t>(value / 2), 0);
                model[x][y] = value;
            }
        finder->ComputeGradient();
        finder->ComputeEnergy();
    }
    for (std::size_t step = 0; step < operations.size(); ++step) {
        const char operation = operations[step];
        SCOPED_TRACE(testing::Message() << "step " << step << " '" << operation << "'");
        const bool horizontal = operation == 'h' || operation == 'H';
        const auto taken = horizontal ? repaired.HorizontalSeam() : repaired.VerticalSeam();
        const std::vector<std::int32_t> seam(taken.begin(), taken.end());
        const std::int32_t nx = repaired.Nx();
        const std::int32_t ny = repaired.Ny();
        ApplySeam(repaired, operation);
        ApplySeam(reference, operation);
        if (repaired.Nx() != nx || repaired.Ny() != ny)
            ApplySeam(model, operation, seam, nx);
        ASSERT_EQ(repaired.Nx(), reference.Nx());
        ASSERT_EQ(repaired.Ny(), reference.Ny());
        const auto a = repaired.VerticalSeam();
        const auto b = reference.VerticalSeam();
        ASSERT_EQ(std::vector<std::int32_t>(a.begin(), a.end()), std::vector<std::int32_t>(b.begin(), b.end()));
        const auto c = repaired.HorizontalSeam();
        const auto d = reference.HorizontalSeam();
        ASSERT_EQ(std::vector<std::int32_t>(c.begin(), c.end()), std::vector<std::int32_t>(d.begin(), d.end()));
        ASSERT_EQ(repaired.HorizontalSeamCost(), reference.HorizontalSeamCost());
        for (std::int32_t i = 0; i < repaired.Nx(); ++i)
            for (std::int32_t j = 0; j < repaired.Ny(); ++j)
                ASSERT_EQ(repaired.Intensity(i, j), model[i][j]) << "block " << i << ", " << j;
    }
}

// Runs of seams of one direction, the way the tools carve, against the whole-grid sums.
TEST(SeemWayRatioTest, RepairedSumsFollowLongRunsOfOneDirection)
{
    for (const bool vertical : {true, false}) {
        SCOPED_TRACE(vertical ? "vertical" : "horizontal");
        TVxPixelBuffer picture = Picture(90, 70);
        FillPicture(picture, [](std::int32_t x, std::int32_t y) {
            return Gray(static_cast<std::int32_t>(128 + 60 * std::sin(x * 0.21) * std::cos(y * 0.17) + (x * y) % 7));
        });
        TSeemWayRatio repaired(90, 70, 1, 1);
        TSeemWayRatio reference(90, 70, 1, 1);
        reference.SetIncrementalSums(false);
        FeedFinder(repaired, picture, 60, 50);
        FeedFinder(reference, picture, 60, 50);
        for (std::int32_t step = 0; step < 40; ++step) {
            if (step < 25) {
                vertical ? repaired.RemoveVerticalSeam() : repaired.RemoveHorizontalSeam();
                vertical ? reference.RemoveVerticalSeam() : reference.RemoveHorizontalSeam();
            } else {
                ASSERT_TRUE(vertical ? repaired.InsertVerticalSeam() : repaired.InsertHorizontalSeam());
                ASSERT_TRUE(vertical ? reference.InsertVerticalSeam() : reference.InsertHorizontalSeam());
            }
            const auto a = vertical ? repaired.VerticalSeam() : repaired.HorizontalSeam();
            const auto b = vertical ? reference.VerticalSeam() : reference.HorizontalSeam();
            ASSERT_TRUE(std::equal(a.begin(), a.end(), b.begin(), b.end())) << step;
            ASSERT_EQ(vertical ? repaired.VerticalSeamCost() : repaired.HorizontalSeamCost(),
                      vertical ? reference.VerticalSeamCost() : reference.HorizontalSeamCost());
        }
    }
}

// Energies of unmarked pictures are kept in 32-bit cells. Insertions raise them by the
// penalty each time; before they could outgrow those cells they move to 64-bit ones,
// and nothing in the search may notice.
TEST(SeemWayRatioTest, InsertionsMoveEnergiesToWideCellsBeforeTheyOverflow)
{
    for (const bool vertical : {true, false}) {
        SCOPED_TRACE(vertical ? "vertical" : "horizontal");
        // 3 x 3 blocks of 512 x 512 pixels, room for 8 blocks each way: a brightness step
        // across the seams' direction gives every block an energy near 100 million, close
        // to what 32-bit sums of 8 blocks hold.
        constexpr std::int32_t block = 512;
        TVxPixelBuffer picture = Picture(3 * block, 3 * block);
        FillPicture(picture, [vertical](std::int32_t x, std::int32_t y) {
            const std::int32_t step = (vertical ? x : y) / block;
            return Gray(step == 0 ? 255 : step == 1 ? 190 : 128);
        });
        TSeemWayRatio widened(8 * block, 8 * block, block, block);
        TSeemWayRatio reference(8 * block, 8 * block, block, block);
        reference.SetIncrementalSums(false);
        FeedFinder(widened, picture, 3 * block, 3 * block);
        FeedFinder(reference, picture, 3 * block, 3 * block);
        ASSERT_TRUE(widened.CompactEnergy());
        const std::int64_t penalty = widened.InsertionPenalty();
        ASSERT_GT(penalty, 0);

        std::int32_t compactInsertions = 0;
        for (std::int32_t step = 0; step < 5; ++step) {
            std::int64_t before = 0;
            for (std::int32_t i = 0; i < widened.Nx(); ++i)
                for (std::int32_t j = 0; j < widened.Ny(); ++j)
                    before += widened.Energy(i, j);
            const std::int32_t across = vertical ? widened.Ny() : widened.Nx();
            ASSERT_TRUE(vertical ? widened.InsertVerticalSeam() : widened.InsertHorizontalSeam());
            ASSERT_TRUE(vertical ? reference.InsertVerticalSeam() : reference.InsertHorizontalSeam());

            // The seam's blocks are duplicated and both copies carry the penalty.
            std::int64_t after = 0;
            for (std::int32_t i = 0; i < widened.Nx(); ++i)
                for (std::int32_t j = 0; j < widened.Ny(); ++j) {
                    ASSERT_EQ(widened.Energy(i, j), reference.Energy(i, j)) << step << ": " << i << "," << j;
                    after += widened.Energy(i, j);
                }
            EXPECT_GT(after, before);
            EXPECT_GE(after - before, 2 * penalty * across);

            const auto byColumn = [&](std::int32_t i, std::int32_t j) { return widened.Energy(i, j); };
            const auto byRow = [&](std::int32_t j, std::int32_t i) { return widened.Energy(i, j); };
            const std::int64_t cheapest = vertical ? CheapestByBruteForce(byRow, widened.Ny(), widened.Nx())
                                                   : CheapestByBruteForce(byColumn, widened.Nx(), widened.Ny());
            EXPECT_EQ(vertical ? SumAlong(byRow, widened.VerticalSeam()) : SumAlong(byColumn, widened.HorizontalSeam()),
                      cheapest);
            EXPECT_EQ(vertical ? widened.VerticalSeamCost() : widened.HorizontalSeamCost(),
                      vertical ? reference.VerticalSeamCost() : reference.HorizontalSeamCost());
            const auto a = vertical ? widened.VerticalSeam() : widened.HorizontalSeam();
            const auto b = vertical ? reference.VerticalSeam() : reference.HorizontalSeam();
            ASSERT_TRUE(std::equal(a.begin(), a.end(), b.begin(), b.end())) << step;
            if (widened.CompactEnergy())
                ++compactInsertions;
        }
        EXPECT_GE(compactInsertions, 1); // some insertions fit the narrow cells
        EXPECT_FALSE(widened.CompactEnergy());
    }
}

TEST(SeemWayRatioTest, TinyGridsSurviveEveryUpdate)
{
    for (const TSize size : {TSize{1, 1}, TSize{1, 5}, TSize{5, 1}, TSize{2, 2}, TSize{2, 3}}) {
        SCOPED_TRACE(testing::Message() << size.Width << " x " << size.Height);
        TVxPixelBuffer picture = Picture(size.Width, size.Height);
        FillRandom(picture, 17);
        TSeemWayRatio finder(size.Width + 2, size.Height + 2, 1, 1);
        FeedFinder(finder, picture, size.Width, size.Height);
        EXPECT_TRUE(finder.InsertVerticalSeam());
        EXPECT_TRUE(finder.InsertHorizontalSeam());
        finder.RemoveVerticalSeam();
        finder.RemoveHorizontalSeam();
        EXPECT_EQ(finder.Nx(), size.Width);
        EXPECT_EQ(finder.Ny(), size.Height);
        for (std::int32_t k = 0; k < 6; ++k) {
            finder.RemoveVerticalSeam();
            finder.RemoveHorizontalSeam();
        }
        EXPECT_EQ(finder.Nx(), 1);
        EXPECT_EQ(finder.Ny(), 1);
        EXPECT_EQ(finder.HorizontalSeam().size(), 1u);
        EXPECT_EQ(finder.VerticalSeam()[0], 0);
    }
}

} // namespace

// One block per pixel of the largest picture the sides allow: its grids cannot be held in
// any address space, and their byte counts overflow a 32-bit size_t. The finder is
// refused, not built over a wrapped, small store.
TEST(SeemWayRatioTest, GridsTooLargeForTheAddressSpaceAreRefused)
{
    constexpr std::int32_t Side = std::numeric_limits<std::int32_t>::max();
    EXPECT_THROW(TSeemWayRatio(Side, Side, 1, 1), std::bad_alloc);
}
