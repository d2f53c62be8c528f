#include "demo/VxDemoMotion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <optional>

namespace {

TEST(VxDemoMotionTest, MoveDurationFollowsTheSpeed)
{
    struct TCase {
        double Distance;
        std::uint16_t Speed;
        std::int64_t Ms;
    };
    const TCase cases[] = {
        {500, DefaultDemoMouseSpeed, 2000}, {500, 10, 1000}, {1, 65535, 0},  {1, 1, 20},
        {0.125, 5, 0},                      {0.1, 1, 2},     {2.5, 20, 2},  // 2.5 ms: ties go to even
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Distance << " px at " << c.Speed);
        EXPECT_EQ(DemoMoveDurationMs(c.Distance, c.Speed), c.Ms);
    }
}

TEST(VxDemoMotionTest, OnlySpeedsFrom1To65535AreAccepted)
{
    struct TCase {
        std::optional<double> Value;
        std::optional<std::uint16_t> Speed;
    };
    const TCase cases[] = {
        {5.0, 5},    {65535.0, 65535}, {1.0, 1},   {10.2, 10}, {65536.0, std::nullopt}, {0.0, std::nullopt},
        {0.4, std::nullopt}, {-3.0, std::nullopt}, {1e300, std::nullopt}, {std::nullopt, std::nullopt},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Value ? *c.Value : -999);
        EXPECT_EQ(AcceptDemoMouseSpeed(c.Value), c.Speed);
    }
}

TEST(VxDemoMotionTest, PauseDurations)
{
    EXPECT_EQ(DemoPauseDurationMs(std::nullopt, 1000), 1000);
    EXPECT_EQ(DemoPauseDurationMs(0.25, 1000), 250);
    EXPECT_EQ(DemoPauseDurationMs(2.0, 3000), 2000);
    EXPECT_EQ(DemoPauseDurationMs(-1.0, 1000), -1000);
    EXPECT_GT(DemoPauseDurationMs(1e300, 1000), 0);
}

TEST(VxDemoMotionTest, FiveHundredPixelsTakeTwoSecondsAtTheDefaultSpeed)
{
    TVxDemoMoveMotion move;
    move.Begin({100, 100}, {600, 100}, DefaultDemoMouseSpeed, 0, 1000);
    EXPECT_EQ(move.DurationMs(), 2000);
    EXPECT_EQ(move.Step(2000), (TVxDemoPoint{350, 100}));  // half the time, half the way
    EXPECT_FALSE(move.IsFinished());
    EXPECT_EQ(move.Step(2999), (TVxDemoPoint{600, 100}));
    EXPECT_FALSE(move.IsFinished());
    EXPECT_EQ(move.Step(3000), (TVxDemoPoint{600, 100}));
    EXPECT_TRUE(move.IsFinished());
}

TEST(VxDemoMotionTest, EasedPathIsMonotonousAndSymmetric)
{
    TVxDemoMoveMotion move;
    move.Begin({0, 0}, {1000, 0}, 5, 0, 0);
    int last = 0;
    for (int i = 0; i <= 100; ++i) {
        const TVxDemoPoint point = move.PositionAt(i / 100.0);
        EXPECT_GE(point.X, last) << "at " << i << "%";
        last = point.X;
        EXPECT_EQ(point.X + move.PositionAt(1 - i / 100.0).X, 1000) << "at " << i << "%";
    }
    EXPECT_EQ(move.PositionAt(0.5).X, 500);
}

TEST(VxDemoMotionTest, CurvedMoveBulgesByAThirdOfTheShorterSide)
{
    TVxDemoMoveMotion move;
    move.Begin({0, 0}, {300, 300}, 5, 3, 0);
    const TVxDemoPoint middle = move.PositionAt(0.5);
    // At e = 0.5: offset = (100 × 300 / 424.26) in both coordinates.
    const double bulge = 100.0 * 300 / std::sqrt(2.0 * 300 * 300);
    EXPECT_EQ(middle.X, static_cast<int>(std::nearbyint(150 + bulge)));
    EXPECT_EQ(middle.Y, static_cast<int>(std::nearbyint(150 + bulge)));
    EXPECT_EQ(move.PositionAt(0), (TVxDemoPoint{0, 0}));
}

TEST(VxDemoMotionTest, CurvedMoveAlongAnAxisIsStraight)
{
    for (const TVxDemoPoint target : {TVxDemoPoint{400, 0}, TVxDemoPoint{0, -400}}) {
        SCOPED_TRACE(target.X + target.Y);
        TVxDemoMoveMotion curved;
        TVxDemoMoveMotion straight;
        curved.Begin({10, 10}, {10 + target.X, 10 + target.Y}, 5, 3, 0);
        straight.Begin({10, 10}, {10 + target.X, 10 + target.Y}, 5, 0, 0);
        for (int i = 0; i <= 20; ++i)
            EXPECT_EQ(curved.PositionAt(i / 20.0), straight.PositionAt(i / 20.0)) << "at " << i * 5 << "%";
    }
}

TEST(VxDemoMotionTest, ZeroMovesFinishAtOnce)
{
    TVxDemoMoveMotion same;
    same.Begin({50, 60}, {50, 60}, 5, 3, 0);
    EXPECT_TRUE(same.IsFinished());
    EXPECT_EQ(same.Step(0), (TVxDemoPoint{50, 60}));

    TVxDemoMoveMotion fast;  // 1 px at the top speed rounds to 0 ms: no division by it
    fast.Begin({0, 0}, {1, 0}, 65535, 0, 0);
    EXPECT_TRUE(fast.IsFinished());
    EXPECT_EQ(fast.Step(0), (TVxDemoPoint{1, 0}));
}

TEST(VxDemoMotionTest, AbsurdCoordinatesStayInRange)
{
    TVxDemoMoveMotion move;
    move.Begin({INT32_MIN, INT32_MAX}, {INT32_MAX, INT32_MIN}, 1, 3, 0);
    EXPECT_GT(move.DurationMs(), 0);
    const TVxDemoPoint middle = move.Step(static_cast<std::uint32_t>(move.DurationMs() / 3));
    EXPECT_FALSE(move.IsFinished());
    EXPECT_GE(middle.X, INT32_MIN);
    EXPECT_EQ(move.PositionAt(1), (TVxDemoPoint{INT32_MAX, INT32_MIN}));
}

TEST(VxDemoMotionTest, TimePausedDoesNotCountAndTheTickMayWrap)
{
    TVxDemoMoveMotion move;
    move.Begin({0, 0}, {500, 0}, 5, 0, 0xFFFFFF00u);  // 2000 ms, starting just before the wrap
    const TVxDemoPoint before = move.Step(0xFFFFFF00u + 500);
    move.Resume(0xFFFFFF00u + 500 + 60000);  // a minute in another program
    const TVxDemoPoint after = move.Step(0xFFFFFF00u + 500 + 60000);
    EXPECT_EQ(after, before);
    EXPECT_FALSE(move.IsFinished());
    move.Step(0xFFFFFF00u + 500 + 60000 + 1500);
    EXPECT_TRUE(move.IsFinished());
}

TEST(VxDemoMotionTest, PauseTimerCountsOnlyRunningTime)
{
    TVxDemoPauseTimer pause;
    pause.Begin(250, 100);
    pause.Step(300);
    EXPECT_FALSE(pause.IsFinished());
    pause.Resume(10000);
    pause.Step(10049);
    EXPECT_FALSE(pause.IsFinished());
    pause.Step(10050);
    EXPECT_TRUE(pause.IsFinished());

    TVxDemoPauseTimer empty;
    empty.Begin(3000, 0);
    empty.Finish();
    EXPECT_TRUE(empty.IsFinished());
    TVxDemoPauseTimer negative;
    negative.Begin(-5, 0);
    EXPECT_TRUE(negative.IsFinished());
}

TEST(VxDemoMotionTest, BalloonQuadrants)
{
    struct TCase {
        TVxDemoPoint Anchor;
        int Position;
    };
    const TCase cases[] = {
        {{100, 100}, 1}, {{900, 100}, 2}, {{100, 700}, 3}, {{900, 700}, 4}, {{512, 384}, 1}, {{513, 385}, 4},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Anchor.X << "," << c.Anchor.Y);
        EXPECT_EQ(ChooseBalloonPosition(c.Anchor, 1024, 768), c.Position);
    }
}

TEST(VxDemoMotionTest, BalloonInTheLowerRightOpensUpAndLeft)
{
    const TVxBalloonLayout layout = LayoutBalloon({900, 700}, 200, 40, 0, 1024, 768);
    EXPECT_EQ(layout.Position, 4);
    EXPECT_EQ(layout.BodyWidth, 216);
    EXPECT_EQ(layout.WindowHeight, 72);
    EXPECT_EQ(layout.Tip, (TVxDemoPoint{199, 71}));
    // The whole window lies above and left of the anchor, and the tip lands on it.
    EXPECT_EQ(layout.WindowOrigin.X + layout.Tip.X, 900);
    EXPECT_EQ(layout.WindowOrigin.Y + layout.Tip.Y, 700);
    EXPECT_LT(layout.WindowOrigin.X + layout.BodyWidth, 920);
    EXPECT_LT(layout.WindowOrigin.Y, 700 - layout.BodyHeight + 1);
    EXPECT_EQ(layout.TextOffset, (TVxDemoPoint{12, 8}));
}

TEST(VxDemoMotionTest, BalloonBelowTheAnchorMovesItsBodyDown)
{
    const TVxBalloonLayout layout = LayoutBalloon({100, 100}, 100, 20, 1, 1024, 768);
    EXPECT_EQ(layout.RegionShiftY, 16);
    EXPECT_EQ(layout.Tip, (TVxDemoPoint{16, 0}));
    EXPECT_EQ(layout.Tail[0], (TVxDemoPoint{16, 16}));
    EXPECT_EQ(layout.WindowOrigin, (TVxDemoPoint{84, 100}));
    EXPECT_EQ(layout.TextOffset, (TVxDemoPoint{12, 24}));
    const TVxBalloonLayout left = LayoutBalloon({500, 100}, 100, 20, 2, 1024, 768);
    EXPECT_EQ(left.Tip, (TVxDemoPoint{100, 0}));
    EXPECT_EQ(left.WindowOrigin.X + left.BodyWidth, 516);
}

TEST(VxDemoMotionTest, NestedPausesNeedAsManyResumes)
{
    TVxDemoPauseState state;
    state.Play();
    EXPECT_TRUE(state.Pause());
    EXPECT_FALSE(state.Pause());
    EXPECT_FALSE(state.Resume());
    EXPECT_EQ(state.State(), TVxDemoState::dsPaused);
    EXPECT_TRUE(state.Resume());
    EXPECT_EQ(state.State(), TVxDemoState::dsPlaying);
    EXPECT_FALSE(state.Resume());  // one too many: the depth stays at 0
    EXPECT_EQ(state.Depth(), 0);
    EXPECT_TRUE(state.Pause());
    EXPECT_TRUE(state.Resume());
}

TEST(VxDemoMotionTest, StopAndPlayResetThePauseDepth)
{
    TVxDemoPauseState state;
    state.Play();
    state.Pause();
    state.Pause();  // an error's pause, never matched
    state.Stop();
    EXPECT_EQ(state.Depth(), 0);
    EXPECT_FALSE(state.IsActive());
    state.Pause();  // the application was switched away while idle
    state.Play();
    EXPECT_EQ(state.Depth(), 0);
    EXPECT_EQ(state.State(), TVxDemoState::dsPlaying);
    EXPECT_TRUE(state.Pause());
    EXPECT_TRUE(state.Resume());
}

}  // namespace
