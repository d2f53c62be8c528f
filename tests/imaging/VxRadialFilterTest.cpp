#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <string>

#include "imaging/VxPictureFixtures.h"
#include "imaging/VxRadialFilter.h"

using namespace VxFixtures;

TEST(VxRadialFilterTest, TableOrderNamesAndRadii)
{
    const struct {
        const char* Name;
        double Radius;
    } expected[RadialFilterCount] = {{"No (quickest)", 0.0},  {"Triangle (quick)", 1.0}, {"Hermite", 1.0},
                                     {"Bell", 1.5},           {"B-Spline", 2.0},         {"Mitchell", 2.0},
                                     {"Lanczos3 (slow)", 3.0}};
    for (std::int32_t i = 0; i < RadialFilterCount; ++i) {
        EXPECT_EQ(std::string(RadialFilters[static_cast<std::size_t>(i)].Name), expected[i].Name);
        EXPECT_EQ(RadialFilters[static_cast<std::size_t>(i)].Radius, expected[i].Radius);
    }
    EXPECT_EQ(&RadialFilter(-1), &RadialFilters[0]);
    EXPECT_EQ(&RadialFilter(7), &RadialFilters[0]);
    EXPECT_EQ(&RadialFilter(6), &RadialFilters[6]);
}

TEST(VxRadialFilterTest, WeightsAtChosenDistances)
{
    const struct {
        std::int32_t Filter;
        double Distance;
        double Weight;
    } cases[] = {
        {0, 0.0, 1.0},
        {0, 5.0, 1.0},
        {1, 0.25, 0.75},
        {1, 1.0, 0.0},
        {2, 0.0, 1.0},
        {2, 0.5, 0.5},
        {2, 1.0, 0.0},
        {3, 0.0, 0.75},
        {3, 0.5, 0.5},
        {3, 1.0, 0.125},
        {3, 1.5, 0.0},
        {4, 0.0, 2.0 / 3.0},
        {4, 1.0, 1.0 / 6.0},
        {4, 2.0, 0.0},
        {5, 0.0, 8.0 / 9.0},
        {5, 1.0, 1.0 / 18.0},
        {5, 2.0, 0.0},
        {6, 0.0, 1.0},
        {6, 1.0, 0.0},
        {6, 3.0, 0.0},
        {6, 0.5,
         std::sin(std::numbers::pi / 2) * std::sin(std::numbers::pi / 6) /
             (std::numbers::pi * std::numbers::pi / 12.0)},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(RadialFilter(c.Filter).Weight(c.Distance), c.Weight, 1e-12) << c.Filter << " at " << c.Distance;
}

TEST(VxRadialFilterTest, WindowIsClippedToThePicture)
{
    const TRadialWindow inside = RadialWindow(2.0, 5.5, 5.0, 20, 20);
    EXPECT_EQ(inside.Left, 3);
    EXPECT_EQ(inside.Right, 8);
    EXPECT_EQ(inside.Top, 3);
    EXPECT_EQ(inside.Bottom, 7);
    const TRadialWindow corner = RadialWindow(3.0, 0.2, 19.9, 20, 20);
    EXPECT_EQ(corner.Left, 0);
    EXPECT_EQ(corner.Bottom, 19);
    for (const double far : {-1e300, 1e300, std::numeric_limits<double>::quiet_NaN(), -10.0, 30.0}) {
        const TRadialWindow outside = RadialWindow(3.0, far, 5.0, 20, 20);
        EXPECT_GT(outside.Left, outside.Right) << far;
    }
}

TEST(VxRadialFilterTest, FilterZeroAveragesTheBracketingPixels)
{
    TVxPixelBuffer picture(fmtBGR24, Bounds(0, 0, 4, 4));
    FillWithCoordinates(picture, 0);
    // Blue = x, green = y: the average of columns 1, 2 and rows 2, 3 is (1.5, 2.5), and
    // both round to even.
    EXPECT_EQ(SampleRadial(picture, 0, 1.5, 2.5), 0x000202u);
    // An integer position takes the pixel itself.
    EXPECT_EQ(SampleRadial(picture, 0, 3.0, 1.0), 0x000103u);
}

TEST(VxRadialFilterTest, UniformPictureSamplesUniformly)
{
    TVxPixelBuffer picture(fmtBGR24, Bounds(0, 0, 9, 7));
    FillUniform(picture, 10, 130, 250);
    for (std::int32_t filter = 0; filter < RadialFilterCount; ++filter)
        for (const double x : {0.0, 0.3, 4.5, 8.0, 8.9})
            for (const double y : {0.0, 2.75, 6.0}) {
                SCOPED_TRACE(std::to_string(filter) + " at " + std::to_string(x) + "," + std::to_string(y));
                EXPECT_EQ(SampleRadial(picture, filter, x, y), 0xFA820Au);
            }
}

TEST(VxRadialFilterTest, NoWeightGivesBlack)
{
    TVxPixelBuffer picture(fmtBGR24, Bounds(0, 0, 5, 5));
    FillUniform(picture, 255, 255, 255);
    EXPECT_EQ(SampleRadial(picture, 2, 100.0, 2.0), 0u);
    EXPECT_EQ(SampleRadial(picture, 6, std::numeric_limits<double>::quiet_NaN(), 2.0), 0u);
    // Inside the window but every distance beyond the triangle's reach: weight total 0.
    EXPECT_EQ(SampleRadial(picture, 1, 5.9, 2.0), 0u);
}

TEST(VxRadialFilterTest, PictureOriginIsItsTopLeftPixel)
{
    TVxPixelBuffer picture(fmtBGR24, Bounds(100, 50, 3, 3));
    FillWithCoordinates(picture, 7);
    EXPECT_EQ(SampleRadial(picture, 0, 1.0, 2.0), (7u << 16) | (52u << 8) | 101u);
}

TEST(VxRadialFilterTest, ForEachRadialTapVisitsTheWindowRowByRow)
{
    std::int32_t visits = 0;
    std::int32_t lastRow = -1;
    ForEachRadialTap(RadialFilter(1), 2.5, 2.5, 10, 10, [&](std::int32_t i, std::int32_t j, double w) {
        EXPECT_GE(j, lastRow);
        lastRow = j;
        EXPECT_GE(w, 0.0);
        EXPECT_TRUE(i >= 1 && i <= 4 && j >= 1 && j <= 4);
        ++visits;
    });
    EXPECT_EQ(visits, 16);
}
