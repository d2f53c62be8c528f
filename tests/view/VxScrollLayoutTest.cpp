#include <gtest/gtest.h>

#include "view/VxScrollLayout.h"
#include "view/VxTestCanvas.h"
#include "view/VxViewObject.h"

namespace {

constexpr TVxScrollBarMetrics Bars{17, 15};

struct TScrollCase {
    const char* Name;
    TRect Content;
    TSize Client;
    TPoint Origin;
    TVxScrollState Expected;
};

TEST(VxScrollLayoutTest, ScrollState)
{
    const TScrollCase cases[] = {
        // A small picture is centred in both directions and needs no bar.
        {"small centred", {0, 0, 400, 300}, {1000, 700}, {0, 0}, {300, 200, -600, -400}},
        {"small already centred", {300, 200, 700, 500}, {1000, 700}, {300, 200}, {0, 0, -600, -400}},
        // Odd remainders: div 2 truncates.
        {"odd excess", {0, 0, 401, 300}, {1000, 701}, {0, 0}, {299, 200, -599, -401}},
        // Slightly wider: the horizontal bar's height makes the picture too high as well.
        {"wider then both bars", {0, 0, 1010, 690}, {1000, 700}, {0, 0}, {0, 0, 27, 5}},
        // Slightly wider, low enough to stay without a vertical bar; centred vertically.
        {"wider only", {0, 0, 1010, 600}, {1000, 700}, {0, 0}, {0, 42, 10, -85}},
        // Taller: the vertical bar's width makes it too wide as well.
        {"taller then both bars", {0, 0, 990, 710}, {1000, 700}, {0, 0}, {0, 0, 7, 25}},
        {"taller only", {0, 0, 900, 710}, {1000, 700}, {0, 0}, {41, 0, -83, 10}},
        // Within range the origin stays; outside it is pulled back to the nearest end.
        {"origin kept", {-300, -100, 2700, 1900}, {1000, 700}, {-300, -100}, {0, 0, 2017, 1315}},
        {"origin past the end", {-2500, -1500, 500, 500}, {1000, 700}, {-2500, -1500}, {483, 185, 2017, 1315}},
        {"origin before the start", {50, 60, 3050, 2060}, {1000, 700}, {50, 60}, {-50, -60, 2017, 1315}},
    };
    for (const TScrollCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const TVxScrollState state = GetScrollState(c.Content, c.Client, c.Origin, Bars);
        EXPECT_EQ(state.Dx, c.Expected.Dx);
        EXPECT_EQ(state.Dy, c.Expected.Dy);
        EXPECT_EQ(state.ExcessWidth, c.Expected.ExcessWidth);
        EXPECT_EQ(state.ExcessHeight, c.Expected.ExcessHeight);
    }
}

TEST(VxScrollLayoutTest, GrowingTheWindowKeepsASmallPictureCentred)
{
    TPoint origin{0, 0};
    for (TSize client : {TSize{500, 400}, TSize{800, 600}, TSize{1201, 999}}) {
        const TRect content = OffsetRect(TRect{0, 0, 400, 300}, origin.X, origin.Y);
        const TVxScrollState state = GetScrollState(content, client, origin, Bars);
        origin.X += state.Dx;
        origin.Y += state.Dy;
        EXPECT_EQ(origin.X, (client.Width - 400) / 2);
        EXPECT_EQ(origin.Y, (client.Height - 300) / 2);
    }
}

struct TClampCase {
    TPoint Origin;
    TVxScrollState State;
    std::int32_t Dx, Dy;
    std::int32_t ExpectedDx, ExpectedDy;
};

TEST(VxScrollLayoutTest, ClampScrollStopsAtThePictureEdge)
{
    const TClampCase cases[] = {
        {{-10, -10}, {0, 0, 100, 50}, -30, 30, -30, 10},   // right room 90; top edge after 10
        {{-95, -40}, {0, 0, 100, 50}, -30, -30, -5, -10},  // both stop at the far end
        {{0, 0}, {0, 0, 100, 50}, 25, 25, 0, 0},           // already at the start
        {{200, 100}, {0, 0, -400, -200}, -30, 40, 0, 0},   // smaller than the view: no room
        {{-50, -25}, {0, 0, 100, 50}, 0, 0, 0, 0},
    };
    for (const TClampCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Dx << "," << c.Dy << " at " << c.Origin.X << "," << c.Origin.Y);
        std::int32_t dx = c.Dx, dy = c.Dy;
        ClampScroll(dx, dy, c.Origin, c.State);
        EXPECT_EQ(dx, c.ExpectedDx);
        EXPECT_EQ(dy, c.ExpectedDy);
    }
}

struct TDeltaCase {
    TVxScrollRequest Request;
    std::int32_t Position, Track;
    std::int32_t Expected;
};

TEST(VxScrollLayoutTest, ScrollBarRequests)
{
    // Client 400 wide, excess 600: range 0..999, page 400, positions 0..600.
    const TDeltaCase cases[] = {
        {TVxScrollRequest::LineDown, 100, 0, 10},   {TVxScrollRequest::LineUp, 100, 0, -10},
        {TVxScrollRequest::LineUp, 4, 0, -4},       {TVxScrollRequest::LineDown, 595, 0, 5},
        {TVxScrollRequest::PageDown, 100, 0, 300},  {TVxScrollRequest::PageUp, 100, 0, -100},
        {TVxScrollRequest::PageDown, 500, 0, 100},  {TVxScrollRequest::ThumbTrack, 100, 350, 250},
        {TVxScrollRequest::ThumbTrack, 100, 900, 500}, {TVxScrollRequest::Other, 100, 350, 0},
    };
    for (const TDeltaCase& c : cases) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(c.Request) << " at " << c.Position);
        const TVxScrollBarRange range = ScrollBarRange(400, 600, -c.Position);
        EXPECT_EQ(range.Max, 999);
        EXPECT_EQ(range.Page, 400);
        EXPECT_EQ(range.Position, c.Position);
        const TVxScrollBarInfo bar{0, range.Max, range.Page, range.Position, c.Track};
        EXPECT_EQ(ScrollBarDelta(c.Request, bar, 10), c.Expected);
    }
}

TEST(VxScrollLayoutTest, PageStepRoundsThreeQuarters)
{
    const TVxScrollBarInfo bar{0, 10000, 401, 5000, 0};
    EXPECT_EQ(ScrollBarDelta(TVxScrollRequest::PageDown, bar, 10), 301); // 300.75
    const TVxScrollBarInfo odd{0, 10000, 402, 5000, 0};
    EXPECT_EQ(ScrollBarDelta(TVxScrollRequest::PageUp, odd, 10), -302); // 301.5 rounds up
}

TEST(VxScrollLayoutTest, FittingContentHidesTheBarByAMaximumBelowThePage)
{
    const TVxScrollBarRange range = ScrollBarRange(1000, -600, -300);
    EXPECT_LT(range.Max, range.Page);
}

// The painting order: fills from the top down, opaque layers excluding themselves,
// background in the rest, then outlines from the bottom up.
class TLayer : public TVxViewObject {
public:
    TLayer(char letter, const TRect& bounds, std::uint8_t flags, bool opaque, std::string& log)
        : FLetter(letter), FOpaque(opaque), FLog(log)
    {
        Bounds = bounds;
        Flags = flags;
    }
    void DrawFill(TVxViewCanvas& canvas) override
    {
        FLog += std::string("F") + FLetter;
        TRect r;
        GetFillRect(canvas.Mapping(), r);
        static_cast<TTestCanvas&>(canvas).Draw(r, FLetter);
        if (FOpaque)
            canvas.ExcludeClip(r);
    }
    void DrawOutline(TVxViewCanvas& canvas) override
    {
        FLog += std::string("O") + FLetter;
        TRect r;
        GetOutlineRect(canvas.Mapping(), r);
        static_cast<TTestCanvas&>(canvas).Draw(TRect{r.Left, r.Top, r.Right, r.Top + 1}, static_cast<char>(FLetter - 32));
    }
    void AfterDraw() override { FLog += std::string("A") + FLetter; }

private:
    char FLetter;
    bool FOpaque;
    std::string& FLog;
};

TEST(VxViewCanvasTest, PaintsFillsTopDownThenBackgroundThenOutlinesBottomUp)
{
    std::string log;
    TVxViewObjectList objects;
    objects.Add(std::make_unique<TLayer>('p', TRect{1, 1, 5, 4}, 15, true, log));                              // picture
    objects.Add(std::make_unique<TLayer>('o', TRect{0, 0, 8, 5}, vofVisible | vofOutline | vofNoExtent, false, log)); // overlay
    objects.Add(std::make_unique<TLayer>('x', TRect{6, 0, 8, 2}, vofVisible | vofOutline, false, log));          // a second overlay
    objects.Add(std::make_unique<TLayer>('h', TRect{0, 0, 8, 5}, vofOutline, false, log));                       // invisible
    TTestCanvas canvas(8, 5);
    PaintViewObjects(objects, canvas);
    EXPECT_EQ(log, "FpOpApOoAoOxAx");
    EXPECT_EQ(canvas.ClipDepth(), 0);
    // Background left the picture alone; the outlines drew over both.
    EXPECT_EQ(canvas.Row(0), "OOOOOOXX");
    EXPECT_EQ(canvas.Row(1), "bPPPPbbb");
    EXPECT_EQ(canvas.Row(2), "bppppbbb");
    EXPECT_EQ(canvas.Row(4), "bbbbbbbb");
}

TEST(VxViewCanvasTest, ObjectsOutsideTheClipAreNotAsked)
{
    std::string log;
    TVxViewObjectList objects;
    objects.Add(std::make_unique<TLayer>('p', TRect{20, 20, 30, 30}, 15, true, log));
    TTestCanvas canvas(8, 5);
    PaintViewObjects(objects, canvas);
    EXPECT_EQ(log, "");
    EXPECT_EQ(canvas.Row(0), "bbbbbbbb");
}

} // namespace

namespace {

// A 1000 x 700 client over a picture 1000 wider and 2000 higher, scrolled to (-300, -900).
const TSize KeyClient{1000, 700};
const TVxScrollState KeyRoom{0, 0, 1000, 2000}; // Dx, Dy, ExcessWidth, ExcessHeight
const TPoint KeyOrigin{-300, -900};

struct TKeyCase {
    const char* Name;
    TVxViewKey Key;
    bool Shift, Control;
    TPoint Origin;
    TPoint Delta;
};

} // namespace

TEST(VxScrollLayoutTest, KeysScrollByLinesPagesAndToTheEdges)
{
    const TKeyCase cases[] = {
        {"down a line", TVxViewKey::Down, false, false, KeyOrigin, {0, -35}},
        {"up a line", TVxViewKey::Up, false, false, KeyOrigin, {0, 35}},
        {"left a line", TVxViewKey::Left, false, false, KeyOrigin, {50, 0}},
        {"right a line", TVxViewKey::Right, false, false, KeyOrigin, {-50, 0}},
        {"page down", TVxViewKey::PageDown, false, false, KeyOrigin, {0, -525}},
        {"page up", TVxViewKey::PageUp, false, false, KeyOrigin, {0, 525}},
        {"page right with shift", TVxViewKey::PageDown, true, false, KeyOrigin, {-700, 0}},
        {"page left with shift, stops at the edge", TVxViewKey::PageUp, true, false, KeyOrigin, {300, 0}},
        {"home: the top", TVxViewKey::Home, false, false, KeyOrigin, {0, 900}},
        {"end: the bottom", TVxViewKey::End, false, false, KeyOrigin, {0, -1100}},
        {"ctrl+home: top-left", TVxViewKey::Home, false, true, KeyOrigin, {300, 900}},
        {"ctrl+end: bottom-right", TVxViewKey::End, false, true, KeyOrigin, {-700, -1100}},
        {"up at the top", TVxViewKey::Up, false, false, {-300, 0}, {0, 0}},
        {"page down near the bottom", TVxViewKey::PageDown, false, false, {-300, -1800}, {0, -200}},
    };
    for (const TKeyCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(KeyScrollDelta(c.Key, c.Shift, c.Control, KeyClient, c.Origin, KeyRoom), c.Delta);
    }
}

TEST(VxScrollLayoutTest, KeysDoNotMoveAPictureThatFits)
{
    const TVxScrollState fits{0, 0, -100, -200};
    for (TVxViewKey key : {TVxViewKey::Down, TVxViewKey::PageDown, TVxViewKey::End, TVxViewKey::Home, TVxViewKey::Left})
        EXPECT_EQ(KeyScrollDelta(key, false, true, KeyClient, TPoint{100, 50}, fits), (TPoint{0, 0}));
}

TEST(VxScrollLayoutTest, WheelScrollsLinesPerNotchOrPages)
{
    struct TWheelCase {
        const char* Name;
        std::int32_t Notches, Lines;
        bool Horizontal;
        TPoint Delta;
    };
    const TWheelCase cases[] = {
        {"one notch away: up three lines", 1, 3, false, {0, 105}},
        {"two notches towards: down six lines", -2, 3, false, {0, -210}},
        {"sideways", -1, 3, true, {-150, 0}},
        {"page per notch", -1, -1, false, {0, -525}},
        {"stops at the top", 10, 3, false, {0, 900}},
        {"no lines set", 1, 0, false, {0, 0}},
    };
    for (const TWheelCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(WheelScrollDelta(c.Notches, c.Lines, c.Horizontal, KeyClient, KeyOrigin, KeyRoom), c.Delta);
    }
}
