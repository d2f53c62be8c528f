#include <gtest/gtest.h>

#include <string>

#include "tools/VxCropGeometry.h"

namespace {

const TRect Picture{0, 0, 400, 300};

std::string Text(const TRect& r)
{
    return std::to_string(r.Left) + "," + std::to_string(r.Top) + "," + std::to_string(r.Right) + "," +
           std::to_string(r.Bottom);
}

} // namespace

TEST(VxCropGeometryTest, RatioThreeToTwoDragToHeight101Gives150By100)
{
    const TVxSideRatio ratio{3, 2};
    for (int dx : {5, 150, 300}) {
        SCOPED_TRACE(dx);
        const TRect r = DrawRatioRect({10, 20}, {10 + dx, 20 + 101}, Picture, ratio, TRect{});
        EXPECT_EQ(r, (TRect{10, 20, 160, 120})) << Text(r);
    }
}

TEST(VxCropGeometryTest, EveryCornerKeepsTheAnchor)
{
    const TVxSideRatio ratio{3, 2};
    const TPoint anchor{200, 150};
    struct TCase {
        TPoint Pointer;
        TRect Expected;
    };
    const TCase cases[] = {
        {{260, 191}, {200, 150, 260, 190}}, // 7: 41 div 2 = 20 units
        {{260, 109}, {200, 110, 260, 150}}, // 5
        {{140, 191}, {140, 150, 200, 190}}, // 9
        {{140, 109}, {140, 110, 200, 150}}, // 11
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(Text(c.Expected));
        EXPECT_EQ(DrawRatioRect(anchor, c.Pointer, Picture, ratio, TRect{}), c.Expected);
    }
}

TEST(VxCropGeometryTest, RatioDragThatWouldLeaveThePictureKeepsThePreviousRectangle)
{
    // 16 : 9 from near the right edge: the width the height asks for does not fit.
    const TRect previous{380, 10, 396, 19};
    EXPECT_EQ(DrawRatioRect({380, 10}, {399, 200}, Picture, {16, 9}, previous), previous);
    // A pointer level with the anchor empties the rectangle.
    EXPECT_TRUE(DrawRatioRect({50, 50}, {80, 50}, Picture, {16, 9}, previous).IsEmpty());
    EXPECT_TRUE(DrawRatioRect({50, 50}, {50, 80}, Picture, {}, previous).IsEmpty());
}

TEST(VxCropGeometryTest, FreeDragIsCutToTheWorkingArea)
{
    EXPECT_EQ(DrawFreeRect({100, 100}, {50, 500}, Picture), (TRect{50, 100, 100, 300}));
    EXPECT_EQ(DrawFreeRect({100, 100}, {-20, -30}, {10, 10, 200, 200}), (TRect{10, 10, 100, 100}));
    // Free proportions on the proportional tool: the pointer is held inside the picture.
    EXPECT_EQ(DrawRatioRect({100, 100}, {900, 900}, Picture, {}, TRect{}), (TRect{100, 100, 400, 300}));
}

TEST(VxCropGeometryTest, SideHandleWithSixteenToNineMovesTheTopEdge)
{
    const TRect start{100, 100, 260, 190}; // 160 x 90
    const TVxSideRatio ratio{16, 9};
    // The right edge 32 pixels further: width 192 = 12 units, so the height becomes 108
    // and the top edge rises, the bottom stays.
    const TRect r = AdjustCropRect(start, start, cpRight, {32, 5}, Picture, ratio);
    EXPECT_EQ(r, (TRect{100, 82, 292, 190})) << Text(r);
    const TRect l = AdjustCropRect(start, start, cpLeft, {-16, 0}, Picture, ratio);
    EXPECT_EQ(l, (TRect{84, 91, 260, 190})) << Text(l);
}

TEST(VxCropGeometryTest, AdjustmentsThatLeaveOrCollapseKeepTheCurrentRectangle)
{
    const TRect start{100, 100, 200, 200};
    const TRect current{101, 101, 200, 200};
    // The top edge dragged below the bottom one: empty, refused.
    EXPECT_EQ(AdjustCropRect(start, current, cpTop, {0, 150}, Picture, {}), current);
    // Free proportions: cut to the picture.
    EXPECT_EQ(AdjustCropRect(start, current, cpBottomRight, {500, 500}, Picture, {}), (TRect{100, 100, 400, 300}));
    // With a ratio a result outside the picture is refused.
    EXPECT_EQ(AdjustCropRect(start, current, cpTopLeft, {-300, -300}, Picture, {1, 1}), current);
    // The body keeps its size and stays inside.
    EXPECT_EQ(MoveCropRect(start, {1000, -1000}, Picture), (TRect{300, 0, 400, 100}));
    EXPECT_EQ(MoveCropRect(start, {-7, 3}, Picture), (TRect{93, 103, 193, 203}));
}

TEST(VxCropGeometryTest, HitTestFindsHandlesInOrderThenTheInside)
{
    const TRect r{100, 100, 110, 108}; // small: the handle squares overlap
    EXPECT_EQ(CropHitTest(r, {100, 100}), cpTopLeft);
    EXPECT_EQ(CropHitTest(r, {104, 100}), cpTopLeft); // 11 is tried before 4
    EXPECT_EQ(CropHitTest(r, {105, 100}), cpTop);
    EXPECT_EQ(CropHitTest(r, {114, 112}), cpBottomRight);
    EXPECT_EQ(CropHitTest(r, {115, 112}), cpOutside); // x + 5 is outside the square

    const TRect big{100, 100, 300, 200};
    EXPECT_EQ(CropHitTest(big, {200, 96}), cpTop);
    EXPECT_EQ(CropHitTest(big, {300, 150}), cpRight);
    EXPECT_EQ(CropHitTest(big, {200, 204}), cpBottom);
    EXPECT_EQ(CropHitTest(big, {200, 205}), cpOutside);
    EXPECT_EQ(CropHitTest(big, {96, 150}), cpLeft);
    EXPECT_EQ(CropHitTest(big, {300, 100}), cpTopRight);
    EXPECT_EQ(CropHitTest(big, {100, 200}), cpBottomLeft);
    EXPECT_EQ(CropHitTest(big, {150, 150}), cpInside);
    EXPECT_EQ(CropHitTest(big, {50, 50}), cpOutside);
}

TEST(VxCropGeometryTest, RatioTextsParseAndReduce)
{
    struct TCase {
        const wchar_t* Text;
        std::optional<TVxSideRatio> Expected;
    };
    const TCase cases[] = {
        {L"16x10 (1280x800 1440x900 1920x1200)", TVxSideRatio{8, 5}},
        {L"1x1 ", TVxSideRatio{1, 1}},
        {L"2x3 (4x6 6x9 10x15 20x30 30x45)", TVxSideRatio{2, 3}},
        {L"12x7 (1024x600)", TVxSideRatio{12, 7}},
        {L"4x3 (1024x768 1152x864 1280x960)", TVxSideRatio{4, 3}},
        {L"", std::nullopt},
        {L"x", std::nullopt},
        {L"axb", std::nullopt},
        {L"0x5", std::nullopt},
        {L"5x0", std::nullopt},
        {L"99999999999x1", std::nullopt},
        {L"16", std::nullopt},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::wstring(c.Text).size());
        EXPECT_EQ(ParseSideRatio(c.Text), c.Expected);
    }
}

TEST(VxCropGeometryTest, SideBoxesApplyWhatFitsAndShowIt)
{
    const TRect r{100, 50, 200, 150};
    struct TCase {
        const wchar_t* Text;
        TRect Expected;
        int Shown;
    };
    const TCase width[] = {
        {L"120", {100, 50, 220, 150}, 120}, {L"350", {50, 50, 400, 150}, 350}, // pushed back from the right edge
        {L"400", {0, 50, 400, 150}, 400},   {L"401", r, 100},                  // larger than the picture: refused
        {L"99999999999", r, 100},           {L"0", {100, 50, 101, 150}, 1},
        {L"-20", {100, 50, 101, 150}, 1},   {L"abc", {100, 50, 101, 150}, 1},
        {L"", {100, 50, 101, 150}, 1},
    };
    for (const TCase& c : width) {
        SCOPED_TRACE(std::wstring(L"width ") + c.Text);
        const TVxSideBoxResult result = ApplyWidthBox(r, c.Text, 400);
        EXPECT_EQ(result.Rect, c.Expected) << Text(result.Rect);
        EXPECT_EQ(result.Shown, c.Shown);
        EXPECT_FALSE(result.Rect.IsEmpty());
    }
    const TVxSideBoxResult tall = ApplyHeightBox(r, L"280", 300);
    EXPECT_EQ(tall.Rect, (TRect{100, 20, 200, 300}));
    const TVxSideBoxResult zero = ApplyHeightBox(r, L"0", 300);
    EXPECT_EQ(zero.Rect, (TRect{100, 50, 200, 51})); // never an empty rectangle
}

TEST(VxCropGeometryTest, OnlyARectangleMeetingThePictureCrops)
{
    EXPECT_TRUE(CropMeetsPicture({399, 299, 500, 500}, Picture));
    EXPECT_FALSE(CropMeetsPicture({400, 0, 500, 300}, Picture));
    EXPECT_FALSE(CropMeetsPicture({10, 10, 10, 50}, Picture));
    EXPECT_FALSE(CropMeetsPicture({}, Picture));
}

TEST(VxCropGeometryTest, HandlePointsUseTruncatingMidpoints)
{
    const TRect r{-5, 0, 0, 9};
    EXPECT_EQ(CropHandlePoint(r, cpTop), (TPoint{-2, 0})); // -5 div 2 truncates toward zero
    EXPECT_EQ(CropHandlePoint(r, cpRight), (TPoint{0, 4}));
    EXPECT_EQ(CropHandleSquare({10, 10}), (TRect{6, 6, 15, 15}));
}
