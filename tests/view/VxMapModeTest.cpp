#include <gtest/gtest.h>

#include "view/VxMapMode.h"

namespace {

TVxMapMode Scaled(std::int32_t n, std::int32_t d, std::int32_t originX = 0, std::int32_t originY = 0)
{
    TVxMapMode mapping;
    mapping.SetScale(n, d);
    mapping.ViewportOrgX = originX;
    mapping.ViewportOrgY = originY;
    return mapping;
}

struct TMapCase {
    std::int32_t N, D, OriginX;
    std::int32_t Logical, Device;
};

TEST(VxMapModeTest, LogicalToDeviceFloorsTheRealQuotient)
{
    const TMapCase cases[] = {
        {1, 3, 0, 2, 0},   {1, 3, 0, 3, 1},    {1, 3, 0, -1, -1}, {1, 3, 0, -3, -1}, {1, 3, 0, -4, -2},
        {3, 1, 0, 5, 15},  {3, 2, 10, 3, 14},  {1, 1, -7, 7, 0},  {3, 4, 0, 5, 3},   {1, 16, 0, 15, 0},
        {1, 16, 0, 16, 1}, {16, 1, -5, 1, 11},
    };
    for (const TMapCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.N << "/" << c.D << " origin " << c.OriginX << " x " << c.Logical);
        const TVxMapMode mapping = Scaled(c.N, c.D, c.OriginX, c.OriginX);
        EXPECT_EQ(mapping.LogicalToDevice({c.Logical, c.Logical}), (TPoint{c.Device, c.Device}));
    }
}

TEST(VxMapModeTest, DeviceToLogicalFloorsTheRealQuotient)
{
    const TMapCase cases[] = {
        {3, 1, 0, 0, 0}, {3, 1, 0, 0, 2}, {3, 1, 0, 1, 3}, {3, 1, 0, -1, -1}, {1, 3, 0, 3, 1}, {3, 2, 10, 0, 11}, {3, 2, 10, 2, 13},
    };
    for (const TMapCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.N << "/" << c.D << " device " << c.Device);
        const TVxMapMode mapping = Scaled(c.N, c.D, c.OriginX, c.OriginX);
        EXPECT_EQ(mapping.DeviceToLogical({c.Device, c.Device}), (TPoint{c.Logical, c.Logical}));
    }
}

TEST(VxMapModeTest, RectangleEdgesMapSeparatelySoOnePixelAtThreeToOneIsThreeWide)
{
    const TVxMapMode mapping = Scaled(3, 1, 4, -2);
    const TRect onScreen = mapping.LogicalToDeviceRect(TRect{5, 6, 6, 7});
    EXPECT_EQ(onScreen, (TRect{19, 16, 22, 19}));
    EXPECT_EQ(onScreen.Width(), 3);
    EXPECT_EQ(onScreen.Height(), 3);
}

TEST(VxMapModeTest, RoundTripAtWholeScalesReturnsThePoint)
{
    for (std::int32_t n : {1, 2, 3, 8, 16}) {
        const TVxMapMode mapping = Scaled(n, 1, 37, -11);
        for (std::int32_t x : {-9, 0, 1, 250}) {
            SCOPED_TRACE(testing::Message() << n << " " << x);
            EXPECT_EQ(mapping.DeviceToLogical(mapping.LogicalToDevice({x, x})), (TPoint{x, x}));
        }
    }
}

TEST(VxMapModeTest, CreatedAsIdentity)
{
    const TVxMapMode mapping;
    EXPECT_EQ(mapping.LogicalToDevice({17, -3}), (TPoint{17, -3}));
    EXPECT_EQ(mapping.DeviceToLogical({17, -3}), (TPoint{17, -3}));
}

TEST(VxMapModeTest, HiMetricUsesHundredthsOfAMillimetreOnThePrintablePage)
{
    TVxHiMetric mapping;
    // A 600-dpi page, 4800 x 6600 printable pixels on 203.2 x 279.4 mm, offset 100, 120.
    mapping.SetupForDevice(TVxDeviceMetrics{4800, 6600, 203, 279, 100, 120});
    EXPECT_EQ(mapping.ViewportExtX, 4800);
    EXPECT_EQ(mapping.WindowExtX, 20300);
    EXPECT_EQ(mapping.WindowExtY, 27900);
    EXPECT_EQ(mapping.LogicalToDevice({0, 0}), (TPoint{-100, -120}));
    EXPECT_EQ(mapping.LogicalToDevice({20300, 27900}), (TPoint{4700, 6480}));
}

TEST(VxMapModeTest, HiMetricConversions)
{
    EXPECT_EQ(TVxHiMetric::FromCentimetres(2.5), 2500);
    EXPECT_EQ(TVxHiMetric::FromInches(1.0), 2540);
    EXPECT_EQ(TVxHiMetric::FromMillimetres(12.34), 1234);
    EXPECT_EQ(TVxHiMetric::FromPoints(72.0), 2540);
    EXPECT_EQ(TVxHiMetric::FromPoints(1.0), 35);
    EXPECT_EQ(TVxHiMetric::FromPoints(10.0), 353);
    EXPECT_DOUBLE_EQ(TVxHiMetric::ToInches(2540), 1.0);
    EXPECT_DOUBLE_EQ(TVxHiMetric::ToCentimetres(2500), 2.5);
    EXPECT_DOUBLE_EQ(TVxHiMetric::ToMillimetres(150), 1.5);
    EXPECT_DOUBLE_EQ(TVxHiMetric::ToPoints(2540), 72.0);
    // Ties go to the even neighbour.
    EXPECT_EQ(TVxHiMetric::FromMillimetres(0.125 * 4), 50);
    EXPECT_EQ(TVxHiMetric::FromCentimetres(0.0005), 0);
    EXPECT_EQ(TVxHiMetric::FromCentimetres(0.0015), 2);
}

} // namespace

namespace {

struct TZoomAboutCase {
    std::int32_t FromN, FromD, ToN, ToD;
    std::int32_t Origin, Point;
};

// Every step of the zoom table, from fitted and odd origins, at points on both sides of
// the origin.
const TZoomAboutCase ZoomAboutCases[] = {
    {1, 1, 3, 2, 0, 101},     {3, 2, 2, 1, -37, 250},   {2, 1, 3, 1, -911, 5},     {1, 1, 16, 1, -3, 333},
    {700, 3000, 1, 4, 17, 200}, {1, 4, 1, 3, -250, 301}, {12, 1, 16, 1, -40000, 777}, {1, 3, 3, 4, 40, -20},
    {3, 2, 1, 1, -100, 250},  {1, 1, 3, 4, -37, 411},   {2, 1, 1, 16, -2000, 640}, {16, 1, 12, 1, -5001, 3},
    {3, 4, 1, 2, 12, 13},     {1, 1, 1, 1, -77, 300},
};

} // namespace

TEST(VxMapModeTest, ZoomAboutKeepsTheLogicalPixelUnderThePoint)
{
    for (const TZoomAboutCase& c : ZoomAboutCases) {
        SCOPED_TRACE(testing::Message() << c.FromN << "/" << c.FromD << " to " << c.ToN << "/" << c.ToD << " origin " << c.Origin
                                        << " point " << c.Point);
        TVxMapMode mapping = Scaled(c.FromN, c.FromD, c.Origin, c.Origin + 11);
        const TPoint point{c.Point, c.Point - 7};
        const TPoint before = mapping.DeviceToLogical(point);
        mapping.ZoomAbout(point, c.ToN, c.ToD);
        EXPECT_EQ(mapping.ViewportExtX, c.ToN);
        EXPECT_EQ(mapping.WindowExtY, c.ToD);
        if (c.ToN >= c.ToD) {
            // A logical pixel covers whole device pixels: the point finds the same one.
            EXPECT_EQ(mapping.DeviceToLogical(point), before);
        } else {
            // A device pixel shows several logical ones; the one that was there is drawn
            // over the point, between its own edge and the next one's.
            const TPoint start = mapping.LogicalToDevice(before);
            const TPoint end = mapping.LogicalToDevice(TPoint{before.X + 1, before.Y + 1});
            EXPECT_LE(start.X, point.X);
            EXPECT_GE(end.X, point.X);
            EXPECT_LE(start.Y, point.Y);
            EXPECT_GE(end.Y, point.Y);
        }
    }
}

TEST(VxMapModeTest, ZoomAboutMovesTheOriginByTheScaledOffsetOnly)
{
    // From 1/1 at origin -100, the point 300 lies over logical 400: at 2/1 logical 400
    // starts at device 800 from the origin, so the origin goes to 300 - 800.
    TVxMapMode mapping = Scaled(1, 1, -100, -100);
    mapping.ZoomAbout(TPoint{300, 300}, 2, 1);
    EXPECT_EQ(mapping.ViewportOrgX, -500);
    // And back: 1/1 brings the origin where it was.
    mapping.ZoomAbout(TPoint{300, 300}, 1, 1);
    EXPECT_EQ(mapping.ViewportOrgX, -100);
    EXPECT_EQ(mapping.ViewportOrgY, -100);
}
