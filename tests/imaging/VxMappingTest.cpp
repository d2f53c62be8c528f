#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "imaging/VxMapping.h"

TEST(VxMappingTest, WideSourceIntoSquareKeepsProportions)
{
    const TRectToRect map(Bounds(0, 0, 200, 100), Bounds(0, 0, 100, 100), true);
    // ScaleX 199/99 ~ 2.01 wins; 50 rows of margin, 25 above and 25 below.
    EXPECT_EQ(map.Dest(), Rect(0, 25, 100, 75));
    EXPECT_DOUBLE_EQ(map.ScaleX(), 199.0 / 99.0);
    EXPECT_DOUBLE_EQ(map.ScaleY(), 99.0 / 49.0);
}

TEST(VxMappingTest, MarginsAndScales)
{
    struct TCase {
        const char* Name;
        TRect Source, Dest;
        bool Keep;
        TRect ExpectedDest;
    };
    const TCase cases[] = {
        {"free", Bounds(0, 0, 200, 100), Bounds(0, 0, 100, 100), false, Rect(0, 0, 100, 100)},
        {"tall", Bounds(0, 0, 100, 200), Bounds(0, 0, 100, 100), true, Rect(25, 0, 75, 100)},
        // r = Round(99 - 100 / (199 / 99)) = 49: the odd row goes to the far side.
        {"oddMargin", Bounds(0, 0, 200, 101), Bounds(0, 0, 100, 100), true, Rect(0, 24, 100, 75)},
        {"placed", Bounds(10, 20, 50, 50), Bounds(100, 100, 72, 72), true, Rect(100, 100, 172, 172)},
        {"onePixelColumn", Bounds(0, 0, 1, 50), Bounds(0, 0, 72, 72), true, Rect(35, 0, 36, 72)},
        {"onePixelSource", Bounds(0, 0, 1, 1), Bounds(0, 0, 72, 72), true, Rect(0, 0, 72, 72)},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const TRectToRect map(c.Source, c.Dest, c.Keep);
        EXPECT_EQ(map.Dest(), c.ExpectedDest);
        EXPECT_FALSE(std::isnan(map.ScaleX()));
        EXPECT_FALSE(std::isnan(map.ScaleY()));
        // Corner pixel centres land on corner pixel centres.
        const TPoint topLeft = map.MapPointRounded(map.Dest().Left, map.Dest().Top);
        EXPECT_EQ(topLeft, (TPoint{c.Source.Left, c.Source.Top}));
        const TPoint bottomRight = map.MapPointRounded(map.Dest().Right - 1, map.Dest().Bottom - 1);
        if (!c.Keep || c.Source.Width() > 1) {
            EXPECT_EQ(bottomRight.X, c.Source.Right - 1);
        }
        if (!c.Keep || c.Source.Height() > 1) {
            EXPECT_EQ(bottomRight.Y, c.Source.Bottom - 1);
        }
    }
}

TEST(VxMappingTest, OnePixelDestinationHasScaleZero)
{
    const TRectToRect map(Bounds(3, 4, 10, 10), Bounds(0, 0, 1, 1), false);
    EXPECT_EQ(map.ScaleX(), 0.0);
    EXPECT_EQ(map.ScaleY(), 0.0);
    EXPECT_EQ(map.MapPoint(0, 0), (TPointD{3.0, 4.0}));
}

TEST(VxMappingTest, MapPointRoundsTiesToEven)
{
    // Scale 0.5: destination pixels 1 and 3 fall exactly between two source pixels.
    const TRectToRect map(Bounds(0, 0, 3, 3), Bounds(0, 0, 5, 5), false);
    EXPECT_EQ(map.MapPoint(1, 3), (TPointD{0.5, 1.5}));
    EXPECT_EQ(map.MapPointRounded(1, 3), (TPoint{0, 2}));
}

TEST(VxMappingTest, RotatedMappingAtZeroDegreesMapsLikeThePlainOne)
{
    const TRect source = Bounds(0, 0, 123, 77);
    const TRect dest = Bounds(5, 9, 64, 48);
    for (const bool keep : {false, true}) {
        const TRectToRect plain(source, dest, keep);
        const TRectToRotatedRect rotated(source, dest, keep, 0.0);
        EXPECT_EQ(rotated.Dest(), plain.Dest());
        EXPECT_EQ(rotated.Angle(), 0.0);
        for (std::int32_t y = plain.Dest().Top; y < plain.Dest().Bottom; ++y)
            for (std::int32_t x = plain.Dest().Left; x < plain.Dest().Right; ++x) {
                ASSERT_EQ(rotated.MapPointRounded(x, y), plain.MapPointRounded(x, y)) << x << "," << y;
                ASSERT_NEAR(rotated.MapPoint(x, y).X, plain.MapPoint(x, y).X, 1e-12);
                ASSERT_NEAR(rotated.MapPoint(x, y).Y, plain.MapPoint(x, y).Y, 1e-12);
            }
    }
}

TEST(VxMappingTest, RotatedMappingTurnsAboutTheSourceCentre)
{
    const TRectToRotatedRect map(Bounds(0, 0, 3, 3), Bounds(0, 0, 3, 3), false, 90.0);
    EXPECT_DOUBLE_EQ(map.Angle(), std::numbers::pi / 2.0);
    EXPECT_EQ(map.Center(), (TPointD{1.0, 1.0}));
    EXPECT_EQ(map.MapPointRounded(1, 1), (TPoint{1, 1}));
    // The picture appears turned by +90 degrees, so destination (2, 1) reads (1, 0).
    EXPECT_EQ(map.MapPointRounded(2, 1), (TPoint{1, 0}));
    EXPECT_EQ(map.MapPointRounded(1, 2), (TPoint{2, 1}));
    const TRectToRotatedRect half(Bounds(0, 0, 4, 2), Bounds(0, 0, 4, 2), false, 180.0);
    EXPECT_EQ(half.MapPointRounded(0, 0), (TPoint{3, 1}));
}

TEST(VxMappingTest, LineThroughTheDiagonal)
{
    const TLine line = TLine::FromPoints({0, 0}, {255, 255});
    EXPECT_EQ(line.A, 1.0);
    EXPECT_EQ(line.B, -1.0);
    EXPECT_EQ(line.C, 0.0);
    for (int i = 0; i <= 255; ++i)
        ASSERT_EQ(line.YAt(i), static_cast<double>(i)) << i;
}

TEST(VxMappingTest, LineIsNormalisedToLargestOne)
{
    const TLine line = TLine::FromPoints({-25.5, 0}, {229.5, 255});
    EXPECT_DOUBLE_EQ(std::max({std::fabs(line.A), std::fabs(line.B), std::fabs(line.C)}), 1.0);
    EXPECT_DOUBLE_EQ(line.YAt(0.0), 25.5);
    EXPECT_DOUBLE_EQ(line.YAt(100.0), 125.5);
}

TEST(VxMappingTest, DegenerateLinesGiveNumbers)
{
    const TLine point = TLine::FromPoints({3, 3}, {3, 3});
    EXPECT_EQ(point.A, 0.0);
    EXPECT_EQ(point.YAt(10.0), 0.0);
    const TLine vertical = TLine::FromPoints({4, 0}, {4, 9});
    EXPECT_EQ(vertical.B, 0.0);
    EXPECT_EQ(vertical.YAt(4.0), 0.0);
}

TEST(VxMappingTest, GeometryHelpers)
{
    const TPointD turned = RotatePoint({2, 1}, {1, 1}, std::numbers::pi / 2.0);
    EXPECT_NEAR(turned.X, 1.0, 1e-15);
    EXPECT_NEAR(turned.Y, 2.0, 1e-15);
    EXPECT_EQ(Distance(TPointD{0, 0}, TPointD{3, 4}), 5.0);
    EXPECT_EQ(Distance(TPoint{-1, -1}, TPoint{2, 3}), 5.0);
    EXPECT_EQ(Distance(TPoint{INT32_MIN, 0}, TPoint{INT32_MAX, 0}), 4294967295.0);

    EXPECT_TRUE(InRange(0, 0, 5, 5));
    EXPECT_TRUE(InRange(5, 5, 5, 5));
    EXPECT_FALSE(InRange(-1, 0, 5, 5));
    EXPECT_FALSE(InRange(0, 6, 5, 5));
    EXPECT_TRUE(InRange(4.5, 0.0, 5.0, 5.0));
    EXPECT_FALSE(InRange(5.01, 0.0, 5.0, 5.0));

    EXPECT_TRUE(SameValue(1.0, 1.0005, 0.001));
    EXPECT_FALSE(SameValue(1.0, 1.002, 0.001));
    EXPECT_TRUE(IsZero(-0.0001, 0.001));
    EXPECT_FALSE(IsZero(0.1, 0.001));

    EXPECT_EQ(ClampDouble(-2.0, 0.0, 1.0), 0.0);
    EXPECT_EQ(ClampDouble(0.25, 0.0, 1.0), 0.25);
    EXPECT_EQ(ClampExtended(7.0L, 0.0L, 5.0L), 5.0L);
    EXPECT_EQ(ClampInt64(-5'000'000'000LL, 0, 10), 0);
    EXPECT_EQ(ClampInt64(5'000'000'000LL, 0, 10), 10);
}

TEST(VxMappingTest, ClampToByteClampsThenRoundsToEven)
{
    const struct {
        double In;
        int Out;
    } cases[] = {{-5.0, 0},
                 {-0.4, 0},
                 {0.5, 0},
                 {1.5, 2},
                 {2.5, 2},
                 {127.49, 127},
                 {254.5, 254},
                 {254.6, 255},
                 {255.4, 255},
                 {300.0, 255},
                 {std::numeric_limits<double>::infinity(), 255},
                 {std::numeric_limits<double>::quiet_NaN(), 0}};
    for (const auto& c : cases)
        EXPECT_EQ(ClampToByte(c.In), c.Out) << c.In;
}

TEST(VxMappingTest, RoundToIntSaturates)
{
    EXPECT_EQ(RoundToInt(2.5), 2);
    EXPECT_EQ(RoundToInt(-2.5), -2);
    EXPECT_EQ(RoundToInt(3.5), 4);
    EXPECT_EQ(RoundToInt(1e300), INT32_MAX);
    EXPECT_EQ(RoundToInt(-1e300), INT32_MIN);
    EXPECT_EQ(RoundToInt(std::numeric_limits<double>::quiet_NaN()), 0);
}
