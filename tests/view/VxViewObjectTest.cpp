#include <gtest/gtest.h>

#include <string>

#include "view/VxViewObject.h"
#include "view/VxTestCanvas.h"

namespace {

TVxMapMode Scaled(std::int32_t n, std::int32_t d, std::int32_t originX, std::int32_t originY)
{
    TVxMapMode mapping;
    mapping.SetScale(n, d);
    mapping.ViewportOrgX = originX;
    mapping.ViewportOrgY = originY;
    return mapping;
}

TVxViewObject& AddObject(TVxViewObjectList& list, const TRect& bounds, std::uint8_t flags)
{
    auto& object = list.Add(std::make_unique<TVxViewObject>());
    object.Bounds = bounds;
    object.Flags = flags;
    return object;
}

struct THitPointCase {
    TPoint Point;
    std::int32_t Tolerance;
    std::int32_t Expected;
};

TEST(VxViewObjectTest, HitTestPointWithTolerance)
{
    TVxViewObject object;
    object.Bounds = TRect{10, 10, 20, 20};
    const TVxMapMode mapping = Scaled(2, 1, 5, 5); // window rectangle (25, 25, 45, 45)
    const THitPointCase cases[] = {
        {{25, 25}, 0, 3}, {{44, 44}, 4, 3}, {{47, 30}, 4, 2},  // 3 pixels right of the last column
        {{48, 30}, 4, 2}, {{49, 30}, 4, 0},                    // 5 pixels outside
        {{22, 30}, 4, 2}, {{20, 30}, 4, 0},  {{30, 21}, 4, 2}, {{30, 20}, 4, 0},
        {{47, 30}, 0, 0}, {{45, 45}, 1, 2},  {{46, 46}, 1, 0},
    };
    for (const THitPointCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Point.X << "," << c.Point.Y << " tolerance " << c.Tolerance);
        EXPECT_EQ(object.HitTestPoint(mapping, c.Point, c.Tolerance), c.Expected);
    }
}

struct THitRectCase {
    TRect Rect;
    std::int32_t Tolerance;
    std::int32_t Expected;
};

TEST(VxViewObjectTest, HitTestRectInsidePartlyNearAndOutside)
{
    TVxViewObject object;
    object.Bounds = TRect{0, 0, 10, 10};
    const TVxMapMode mapping = Scaled(1, 1, 0, 0);
    const THitRectCase cases[] = {
        {{2, 2, 5, 5}, 0, 3},   {{0, 0, 10, 10}, 0, 3}, {{5, 5, 15, 15}, 0, 1}, {{-5, -5, 15, 15}, 0, 1},
        {{12, 0, 14, 5}, 3, 2}, {{12, 0, 14, 5}, 2, 0}, {{12, 0, 14, 5}, 0, 0}, {{10, 0, 12, 5}, 1, 2},
    };
    for (const THitRectCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Rect.Left << "," << c.Rect.Top << " tolerance " << c.Tolerance);
        EXPECT_EQ(object.HitTestRect(mapping, c.Rect, c.Tolerance), c.Expected);
    }
}

TEST(VxViewObjectTest, WindowRectFollowsFillAndOutlineFlags)
{
    class TWideOutline : public TVxViewObject {
    public:
        void GetOutlineRect(const TVxMapMode& mapping, TRect& rect) const override
        {
            TVxViewObject::GetOutlineRect(mapping, rect);
            rect = TRect{rect.Left - 2, rect.Top - 2, rect.Right + 2, rect.Bottom + 2};
        }
    };
    TWideOutline object;
    object.Bounds = TRect{1, 1, 3, 3};
    const TVxMapMode mapping = Scaled(3, 1, 0, 0);
    struct {
        std::uint8_t Flags;
        TRect Expected;
    } const cases[] = {
        {vofFill, {3, 3, 9, 9}}, {vofOutline, {1, 1, 11, 11}}, {vofFill | vofOutline, {1, 1, 11, 11}}, {vofVisible, {}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.Flags));
        object.Flags = c.Flags;
        TRect rect{7, 7, 8, 8};
        object.GetWindowRect(mapping, rect);
        EXPECT_EQ(rect, c.Expected);
    }
}

TEST(VxViewObjectTest, PaintDrawsOnlyThePartsItHas)
{
    class TRecorder : public TVxViewObject {
    public:
        void DrawFill(TVxViewCanvas&) override { Calls += "F"; }
        void DrawOutline(TVxViewCanvas&) override { Calls += "O"; }
        void AfterDraw() override { Calls += "A"; }
        std::string Calls;
    };
    struct {
        std::uint8_t Flags;
        const char* Expected;
    } const cases[] = {{15, "FOA"}, {vofVisible | vofPainted | vofFill, "FA"}, {vofVisible | vofPainted | vofOutline, "OA"},
                       {vofVisible | vofFill | vofOutline, ""}, {vofPainted | vofFill | vofOutline, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.Flags));
        TRecorder object;
        object.Flags = c.Flags;
        TTestCanvas canvas(8, 8);
        object.Paint(canvas);
        EXPECT_EQ(object.Calls, c.Expected);
    }
}

TEST(VxViewObjectTest, CreatedVisibleFilledOutlinedAndPainted)
{
    TVxViewObject object;
    EXPECT_EQ(object.Flags, 15);
    object.SetVisible(false);
    EXPECT_EQ(object.Flags, 14);
    EXPECT_FALSE(object.IsVisible());
    object.SetVisible(true);
    EXPECT_EQ(object.Flags, 15);
}

TEST(VxViewObjectTest, ContentRectSkipsHiddenAndNoExtentObjects)
{
    TVxViewObjectList objects;
    const TVxMapMode mapping = Scaled(2, 1, 100, 50);
    EXPECT_EQ(ContentRect(objects, mapping), (TRect{100, 50, 100, 50}));
    AddObject(objects, {0, 0, 40, 30}, 15);
    AddObject(objects, {-100, -100, 500, 500}, vofFill | vofOutline | vofPainted);              // hidden
    AddObject(objects, {-100, -100, 500, 500}, vofVisible | vofOutline | vofNoExtent | vofPainted); // overlay
    EXPECT_EQ(ContentRect(objects, mapping), (TRect{100, 50, 180, 110}));
    AddObject(objects, {40, 30, 50, 35}, vofVisible | vofOutline);
    EXPECT_EQ(ContentRect(objects, mapping), (TRect{100, 50, 200, 120}));
}

TEST(VxViewObjectTest, ListExtractsAndOrdersBottomFirst)
{
    TVxViewObjectList objects;
    TVxViewObject& bottom = AddObject(objects, {}, 15);
    TVxViewObject& top = AddObject(objects, {}, 15);
    EXPECT_EQ(&objects.Item(0), &bottom);
    EXPECT_EQ(&objects.Item(1), &top);
    std::unique_ptr<TVxViewObject> taken = objects.Extract(bottom);
    EXPECT_EQ(taken.get(), &bottom);
    EXPECT_EQ(objects.Count(), 1);
    EXPECT_EQ(objects.Extract(*taken), nullptr);
}

} // namespace
