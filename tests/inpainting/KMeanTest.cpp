#include <gtest/gtest.h>

#include "inpainting/KMean.h"

namespace {

void AddTimes(TKMean& kmean, std::uint32_t colour, int count)
{
    for (int i = 0; i < count; ++i)
        kmean.AddColour(colour);
}

int IterateToRest(TKMean& kmean)
{
    int rounds = 0;
    while (kmean.Iterate() > 0 && rounds < 100)
        ++rounds;
    return rounds;
}

} // namespace

TEST(KMeanTest, CountsDistinctColoursInOrderOfArrival)
{
    TKMean kmean;
    AddTimes(kmean, 0x102030, 3);
    AddTimes(kmean, 0x000000, 2);
    AddTimes(kmean, 0x102030, 1);
    AddTimes(kmean, 0xFFFFFF, 1);
    ASSERT_EQ(kmean.DistinctCount(), 3);
    EXPECT_EQ(kmean.Distinct(0).Colour, 0x102030u);
    EXPECT_EQ(kmean.Distinct(0).Count, 4);
    EXPECT_EQ(kmean.Distinct(1).Colour, 0x000000u);
    EXPECT_EQ(kmean.Distinct(1).Count, 2);
    EXPECT_EQ(kmean.Distinct(2).Count, 1);
    EXPECT_EQ(kmean.ClusterOf(0x123456), -1);
}

TEST(KMeanTest, TwoGroupsSeparateFromNeighbouringStartCentres)
{
    // Both start centres lie in the dark group; the bright group must win one of them.
    TKMean kmean;
    AddTimes(kmean, 0x0A0A0A, 5);
    AddTimes(kmean, 0x0C0C0C, 3);
    AddTimes(kmean, 0xC8C8C8, 10);
    AddTimes(kmean, 0xCDCDCD, 2);
    kmean.AddCentre(kmean.Distinct(0).Colour, true);
    kmean.AddCentre(kmean.Distinct(1).Colour, true);
    IterateToRest(kmean);
    EXPECT_EQ(kmean.Iterate(), 0);

    const int dark = kmean.ClusterOf(0x0A0A0A);
    const int bright = kmean.ClusterOf(0xC8C8C8);
    EXPECT_NE(dark, bright);
    EXPECT_EQ(kmean.ClusterOf(0x0C0C0C), dark);
    EXPECT_EQ(kmean.ClusterOf(0xCDCDCD), bright);
    EXPECT_EQ(kmean.Cluster(dark).Weight, 8);
    EXPECT_EQ(kmean.Cluster(bright).Weight, 12);
    for (int c = 0; c < 3; ++c) {
        EXPECT_FLOAT_EQ(kmean.Cluster(dark).Centre[c], (10.0f * 5 + 12.0f * 3) / 8);
        EXPECT_FLOAT_EQ(kmean.Cluster(bright).Centre[c], (200.0f * 10 + 205.0f * 2) / 12);
    }
}

TEST(KMeanTest, FixedCentreDoesNotMove)
{
    TKMean kmean;
    AddTimes(kmean, 0x000010, 4);
    AddTimes(kmean, 0x000030, 4);
    kmean.AddCentre(0x000000, false);
    kmean.AddCentre(0x0000FF, true);
    IterateToRest(kmean);
    EXPECT_EQ(kmean.Cluster(0).Centre[0], 0.0f);
    EXPECT_EQ(kmean.Cluster(0).Weight, 8);
    EXPECT_EQ(kmean.Cluster(1).Weight, 0);
    EXPECT_EQ(kmean.Cluster(1).Centre[0], 255.0f); // no members: the centre stays
}

TEST(KMeanTest, WeightsArePixelCounts)
{
    TKMean kmean;
    AddTimes(kmean, 0x404040, 50);
    AddTimes(kmean, 0x000000, 1);
    kmean.AddCentre(kmean.Distinct(0).Colour, true);
    kmean.AddCentre(kmean.Distinct(1).Colour, true);
    IterateToRest(kmean);
    EXPECT_EQ(kmean.Cluster(0).Weight, 50);
    EXPECT_EQ(kmean.Cluster(1).Weight, 1);
}
