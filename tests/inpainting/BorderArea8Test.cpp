#include <gtest/gtest.h>

#include <new>
#include <set>
#include <utility>

#include "inpainting/BorderArea8.h"

TEST(BorderArea8Test, PlacesOfEveryOrientation)
{
    // A 5 x 3 square at (10, 20); the cell at local (1, 0).
    TBorderArea8 area(10, 20, 5, 3);
    ASSERT_TRUE(area.AddCell(1, 0));
    const TPoint expected[OrientationCount] = {{1, 0}, {3, 0}, {0, 3}, {0, 1}, {3, 2}, {1, 2}, {2, 3}, {2, 1}};
    const TBorderCell& cell = area.Cell(0);
    for (int k = 0; k < OrientationCount; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(cell.Places[k].LocalX, expected[k].X);
        EXPECT_EQ(cell.Places[k].LocalY, expected[k].Y);
        EXPECT_EQ(cell.Places[k].ImageX, expected[k].X + 10);
        EXPECT_EQ(cell.Places[k].ImageY, expected[k].Y + 20);
    }
    EXPECT_EQ(cell.Dropped, 0);
    EXPECT_EQ(cell.InnerWeight, 0);
    EXPECT_EQ(cell.RingWeight, 0);
}

TEST(BorderArea8Test, EveryOrientationPermutesASquare)
{
    const int side = 6;
    TBorderArea8 area(-3, 7, side, side);
    for (int a = 0; a < side; ++a)
        for (int b = 0; b < side; ++b)
            area.AddCell(a, b);
    for (int k = 0; k < OrientationCount; ++k) {
        SCOPED_TRACE(k);
        std::set<std::pair<int, int>> seen;
        for (const TBorderCell& cell : area.Cells()) {
            const TCellPlace& place = cell.Places[k];
            EXPECT_TRUE(place.LocalX >= 0 && place.LocalX < side && place.LocalY >= 0 && place.LocalY < side);
            seen.insert({place.LocalX, place.LocalY});
        }
        EXPECT_EQ(seen.size(), static_cast<std::size_t>(side * side));
    }
}

TEST(BorderArea8Test, CellsOutsideTheSquareAreRefused)
{
    TBorderArea8 area(0, 0, 4, 4);
    for (auto [a, b] : {std::pair{-1, 0}, {0, -1}, {4, 0}, {0, 4}}) {
        SCOPED_TRACE(testing::Message() << a << "," << b);
        EXPECT_FALSE(area.AddCell(a, b));
    }
    EXPECT_EQ(area.Count(), 0);
    EXPECT_EQ(area.IndexOf(-1, 0), -1);
    EXPECT_EQ(area.IndexOf(4, 4), -1);
}

TEST(BorderArea8Test, IndexOfFindsCellsBeyondOneCapacityStep)
{
    const int side = 40; // 1600 cells, more than three growth steps
    TBorderArea8 area(100, 200, side, side);
    for (int b = 0; b < side; ++b)
        for (int a = 0; a < side; ++a)
            area.AddCell(a, b);
    ASSERT_EQ(area.Count(), side * side);
    for (int i = 0; i < area.Count(); ++i) {
        const TCellPlace& own = area.Cell(i).Places[0];
        ASSERT_EQ(area.IndexOf(own.ImageX, own.ImageY), i);
    }
    area.Clear();
    EXPECT_EQ(area.Count(), 0);
    EXPECT_EQ(area.IndexOf(100, 200), -1);
}

TEST(BorderArea8Test, CompactKeepsOrderAndIndex)
{
    TBorderArea8 area(0, 0, 10, 1);
    for (int a = 0; a < 10; ++a)
        area.AddCell(a, 0);
    for (int index : {0, 3, 4, 9})
        area.Drop(index);
    area.Drop(-1);
    area.Drop(10);
    area.Compact();
    const int kept[] = {1, 2, 5, 6, 7, 8};
    ASSERT_EQ(area.Count(), 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(area.Cell(i).Places[0].LocalX, kept[i]);
        EXPECT_EQ(area.IndexOf(kept[i], 0), i);
    }
    EXPECT_EQ(area.IndexOf(3, 0), -1);
}

namespace {

// A fully marked side x side square split by hand: the border is the ring.
void SplitSquare(int side, TBorderArea8& ring, TBorderArea8& interior)
{
    for (int a = 0; a < side; ++a) {
        for (int b = 0; b < side; ++b) {
            const bool border = a == 0 || b == 0 || a == side - 1 || b == side - 1;
            (border ? ring : interior).AddCell(a, b);
        }
    }
}

} // namespace

TEST(BorderArea8Test, BlendWeightsOfAFiveSquare)
{
    TBorderArea8 ring(5, 5, 5, 5);
    TBorderArea8 interior(5, 5, 5, 5);
    SplitSquare(5, ring, interior);
    interior.ComputeBlendWeights(ring);
    struct TWeights {
        int A, B, Ring, Inner;
    };
    // Corner of the interior: 2 + 2 + 1 + 1 + 1 from the ring, the centre diagonal inside.
    // Side of the interior: 2 + 1 + 1 from the ring, the centre beside it.
    const TWeights expected[] = {{1, 1, 7, 1}, {2, 1, 4, 2}, {3, 1, 7, 1}, {1, 2, 4, 2}, {2, 2, 0, 0},
                                 {3, 2, 4, 2}, {1, 3, 7, 1}, {2, 3, 4, 2}, {3, 3, 7, 1}};
    for (const TWeights& w : expected) {
        SCOPED_TRACE(testing::Message() << w.A << "," << w.B);
        const int index = interior.IndexOf(5 + w.A, 5 + w.B);
        ASSERT_GE(index, 0);
        EXPECT_EQ(interior.Cell(index).RingWeight, w.Ring);
        EXPECT_EQ(interior.Cell(index).InnerWeight, w.Inner);
    }
}

TEST(BorderArea8Test, CellSurroundedByRingHasNoInnerWeight)
{
    TBorderArea8 ring(0, 0, 3, 3);
    TBorderArea8 interior(0, 0, 3, 3);
    SplitSquare(3, ring, interior);
    interior.ComputeBlendWeights(ring);
    interior.ComputeBlendWeights(ring); // recomputing gives the same weights
    ASSERT_EQ(interior.Count(), 1);
    EXPECT_EQ(interior.Cell(0).RingWeight, 4 * 2 + 4 * 1);
    EXPECT_EQ(interior.Cell(0).InnerWeight, 0);
}

// 2^20 x (2^20 + 1) cells: the index's count would wrap a 32-bit size_t to 2^20 and
// leave a small index behind the large square it claims to cover.
TEST(BorderArea8Test, SquareTooLargeForTheAddressSpaceIsRefused)
{
    EXPECT_THROW(TBorderArea8(0, 0, 1 << 20, (1 << 20) + 1), std::bad_alloc);
}
