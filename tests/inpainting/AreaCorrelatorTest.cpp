#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "inpainting/AreaCorrelator.h"
#include "inpainting/InpaintingTestImages.h"

namespace {

// The picture before the command (read) and the document being written.
struct TScene {
    TScene(std::int32_t width, std::int32_t height) : Read(fmtBGR24, Bounds(0, 0, width, height)) {}
    void StartWrite() { Write.Assign(Read); }

    TVxPixelBuffer Read;
    TVxPixelBuffer Write;
};

void MarkAll(TAreaCorrelator& engine)
{
    const TRect& t = engine.Target();
    for (std::int32_t y = t.Top; y < t.Bottom; ++y)
        for (std::int32_t x = t.Left; x < t.Right; ++x)
            engine.SetMarked(x, y, true);
}

void MarkDisc(TAreaCorrelator& engine, double centre, double radius)
{
    const TRect& t = engine.Target();
    for (std::int32_t b = 0; b < t.Height(); ++b)
        for (std::int32_t a = 0; a < t.Width(); ++a)
            engine.SetMarked(t.Left + a, t.Top + b, InDisc(a, b, centre, radius));
}

// Every pixel that is not an interior cell still shows the read image.
testing::AssertionResult OnlyInteriorWritten(const TScene& scene, const TAreaCorrelator& engine)
{
    for (std::int32_t y = 0; y < scene.Read.Height(); ++y)
        for (std::int32_t x = 0; x < scene.Read.Width(); ++x)
            if (engine.Interior().IndexOf(x, y) < 0 && PixelAt(scene.Write, x, y) != PixelAt(scene.Read, x, y))
                return testing::AssertionFailure() << "pixel (" << x << ", " << y << ") outside the interior was written";
    return testing::AssertionSuccess();
}

int ChannelError(const TBgr& a, const TBgr& b)
{
    int error = 0;
    for (int c = 0; c < 3; ++c)
        error = std::max(error, std::abs(int{a[c]} - int{b[c]}));
    return error;
}

TBgr Grey(std::uint8_t value)
{
    return {value, value, value};
}

} // namespace

// ---------------------------------------------------------------- split

TEST(AreaCorrelatorTest, SplitOfAFullSquareByRadius)
{
    struct TCase {
        std::int32_t Radius2, Ring, Interior;
    };
    // r^2 = 0 sees no neighbour; 1 and 2 give a one-cell ring; 4 reaches two cells in.
    const TCase cases[] = {{0, 0, 64}, {1, 28, 36}, {2, 28, 36}, {4, 48, 16}, {-5, 0, 64}};
    TScene scene(40, 40);
    for (const TCase& test : cases) {
        SCOPED_TRACE(test.Radius2);
        TAreaCorrelator engine(Bounds(10, 10, 8, 8), test.Radius2, scene.Read, scene.Write);
        MarkAll(engine);
        engine.Split();
        EXPECT_EQ(engine.Ring().Count(), test.Ring);
        EXPECT_EQ(engine.Interior().Count(), test.Interior);
    }
}

TEST(AreaCorrelatorTest, SplitScansColumnByColumn)
{
    TScene scene(40, 40);
    TAreaCorrelator engine(Bounds(3, 4, 6, 5), 2, scene.Read, scene.Write);
    MarkAll(engine);
    engine.Split();
    ASSERT_EQ(engine.Ring().Count(), 18);
    ASSERT_EQ(engine.Interior().Count(), 12);
    const TPoint ringStart[] = {{0, 0}, {0, 1}, {0, 2}, {0, 3}, {0, 4}, {1, 0}, {1, 4}, {2, 0}};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(engine.Ring().Cell(i).Places[0].LocalX, ringStart[i].X) << i;
        EXPECT_EQ(engine.Ring().Cell(i).Places[0].LocalY, ringStart[i].Y) << i;
    }
    EXPECT_EQ(engine.Interior().Cell(0).Places[0].ImageX, 4);
    EXPECT_EQ(engine.Interior().Cell(0).Places[0].ImageY, 5);
    EXPECT_EQ(engine.Interior().Cell(1).Places[0].ImageY, 6);
}

TEST(AreaCorrelatorTest, UnmarkedHoleRingsItsNeighbours)
{
    TScene scene(40, 40);
    TAreaCorrelator engine(Bounds(10, 10, 7, 7), 2, scene.Read, scene.Write);
    MarkAll(engine);
    engine.SetMarked(13, 13, false);
    engine.Split();
    EXPECT_EQ(engine.Ring().Count(), 24 + 8);
    EXPECT_EQ(engine.Interior().Count(), 49 - 1 - 32);
    EXPECT_GE(engine.Ring().IndexOf(12, 12), 0);
    EXPECT_EQ(engine.Interior().IndexOf(13, 13), -1);
    EXPECT_EQ(engine.Ring().IndexOf(13, 13), -1);
}

TEST(AreaCorrelatorTest, PictureEdgeDoesNotMakeARing)
{
    // A full 5 x 5 square over the top-left corner: only the cells next to the picture
    // beyond the square's right and bottom sides are ring (4 + 4 - 1 shared).
    TScene scene(40, 40);
    TAreaCorrelator engine(Bounds(-2, -2, 5, 5), 2, scene.Read, scene.Write);
    MarkAll(engine);
    engine.Split();
    EXPECT_EQ(engine.Ring().Count(), 7);
    EXPECT_EQ(engine.Interior().Count(), 18);
    EXPECT_GE(engine.Ring().IndexOf(2, -1), 0);
    EXPECT_GE(engine.Interior().IndexOf(-2, 2), 0);
}

TEST(AreaCorrelatorTest, MarksOutsideTheSquareAreIgnored)
{
    TScene scene(20, 20);
    TAreaCorrelator engine(Bounds(5, 5, 4, 4), 2, scene.Read, scene.Write);
    for (auto [x, y] : {TPoint{4, 5}, TPoint{9, 5}, TPoint{5, 4}, TPoint{5, 9}, TPoint{-100, 3}}) {
        engine.SetMarked(x, y, true);
        EXPECT_FALSE(engine.Marked(x, y));
    }
    engine.Split();
    EXPECT_EQ(engine.Ring().Count() + engine.Interior().Count(), 0);
}

// ---------------------------------------------------------------- image borders

TEST(AreaCorrelatorTest, SquarePartlyOutsideTheImage)
{
    // Flat target (100) and flat source (130). Ring cells inside the picture measure a
    // difference of -30, those outside contribute 0, which weakens the correction.
    TScene scene(40, 40);
    FillImage(scene.Read, [](std::int32_t x, std::int32_t y) { return Grey(x >= 20 && y >= 20 ? 130 : 100); });
    struct TCase {
        const char* Name;
        TRect Target;
        bool Outside;
    };
    const TCase cases[] = {{"Inside", Bounds(0, 0, 20, 20), false}, {"Outside", Bounds(-6, -4, 20, 20), true}};
    for (const TCase& test : cases) {
        SCOPED_TRACE(test.Name);
        scene.StartWrite();
        TAreaCorrelator engine(test.Target, 2, scene.Read, scene.Write);
        MarkDisc(engine, 9.5, 9.5);
        engine.Split();
        engine.PrepareBlend();
        const auto outsideCount = [&](const TBorderArea8& area) {
            return std::count_if(area.Cells().begin(), area.Cells().end(), [&](const TBorderCell& cell) {
                return !scene.Read.GetBounds().Contains(cell.Places[0].ImageX, cell.Places[0].ImageY);
            });
        };
        EXPECT_EQ(outsideCount(engine.Ring()) > 0, test.Outside);
        EXPECT_EQ(outsideCount(engine.Interior()) > 0, test.Outside);

        EXPECT_EQ(engine.BestOrientation({20, 20}), 0);
        engine.Apply({20, 20}, 0, false, amPerChannel, 2);
        EXPECT_TRUE(OnlyInteriorWritten(scene, engine));
        // A bilinear fit through a step may overshoot a little, so the check is on the
        // mean: the zeros from outside pull the correction towards none.
        int lowest = 255, highest = 0, sum = 0, count = 0;
        for (const TBorderCell& cell : engine.Interior().Cells()) {
            if (!scene.Read.GetBounds().Contains(cell.Places[0].ImageX, cell.Places[0].ImageY))
                continue;
            const int result = PixelAt(scene.Write, cell.Places[0].ImageX, cell.Places[0].ImageY)[0];
            lowest = std::min(lowest, result);
            highest = std::max(highest, result);
            sum += result;
            ++count;
        }
        ASSERT_GT(count, 0);
        if (test.Outside) {
            EXPECT_GT(static_cast<double>(sum) / count, 105.0);
            EXPECT_LT(highest, 130);
        } else {
            EXPECT_EQ(lowest, 100);
            EXPECT_EQ(highest, 100);
        }
    }
}

TEST(AreaCorrelatorTest, SourcePartlyOutsideLeavesThoseCellsAlone)
{
    TScene scene(40, 40);
    FillImage(scene.Read, Noise);
    for (int mode : {amNone, amBrightness, amPerChannel}) {
        SCOPED_TRACE(mode);
        scene.StartWrite();
        TAreaCorrelator engine(Bounds(5, 5, 10, 10), 2, scene.Read, scene.Write);
        MarkAll(engine);
        engine.Split();
        engine.PrepareBlend();
        EXPECT_GE(engine.BestOrientation({35, 33}), 0);
        engine.Apply({35, 33}, 0, true, mode, 2);
        EXPECT_TRUE(OnlyInteriorWritten(scene, engine));
        for (const TBorderCell& cell : engine.Interior().Cells()) {
            const TCellPlace& own = cell.Places[0];
            const bool sourceInside = 35 + own.LocalX < 40 && 33 + own.LocalY < 40;
            if (!sourceInside) {
                EXPECT_EQ(PixelAt(scene.Write, own.ImageX, own.ImageY), PixelAt(scene.Read, own.ImageX, own.ImageY));
            } else if (mode == amNone && cell.RingWeight == 0) {
                EXPECT_EQ(PixelAt(scene.Write, own.ImageX, own.ImageY),
                          PixelAt(scene.Read, 35 + own.LocalX, 33 + own.LocalY));
            }
        }
    }
}

// ---------------------------------------------------------------- long-defect filter

namespace {

constexpr std::int32_t WireSide = 26; // a ring of exactly 100 cells
const TRect WireTarget = Bounds(10, 10, WireSide, WireSide);
const TPoint WireSource = {50, 10};
const TBgr WireDark[2] = {{20, 20, 30}, {25, 25, 25}};

// A slanted wire 7 cells wide at the top edge and 8 at the bottom: 15 of 100 ring cells.
bool OnWire(std::int32_t a, std::int32_t b)
{
    return a >= 5 + 9 * b / 25 && a <= 11 + 10 * b / 25;
}

// A calm texture, so that the ring's colours form one tight cluster besides the wire.
TBgr Calm(std::int32_t x, std::int32_t y)
{
    return {static_cast<std::uint8_t>(150 + x % 7), static_cast<std::uint8_t>(160 + y % 5),
            static_cast<std::uint8_t>(170 + (x + y) % 3)};
}

TBgr Brighter(const TBgr& colour, int amount)
{
    return {static_cast<std::uint8_t>(colour[0] + amount), static_cast<std::uint8_t>(colour[1] + amount),
            static_cast<std::uint8_t>(colour[2] + amount)};
}

// The target square is the source patch 20 levels brighter, with a dark wire across it.
void PaintWireScene(TScene& scene)
{
    FillImage(scene.Read, Calm);
    for (std::int32_t b = 0; b < WireSide; ++b) {
        for (std::int32_t a = 0; a < WireSide; ++a) {
            const TBgr colour =
                OnWire(a, b) ? WireDark[(a + b) % 2] : Brighter(Calm(WireSource.X + a, WireSource.Y + b), 20);
            SetPixel(scene.Read, WireTarget.Left + a, WireTarget.Top + b, colour);
        }
    }
    scene.StartWrite();
}

bool IsWireColour(const TBgr& colour)
{
    return colour == WireDark[0] || colour == WireDark[1];
}

} // namespace

TEST(AreaCorrelatorTest, WireCrossingTheRingIsDropped)
{
    TScene scene(90, 50);
    PaintWireScene(scene);
    struct TCase {
        double Fraction;
        std::int32_t Ring;
    };
    // The wire's 15 cells weigh below a fifth of the ring, but not below a tenth.
    for (const TCase& test : {TCase{0.2, 85}, TCase{0.15, 85}, TCase{0.1, 100}}) {
        SCOPED_TRACE(test.Fraction);
        TAreaCorrelator engine(WireTarget, 2, scene.Read, scene.Write);
        MarkAll(engine);
        engine.Split();
        ASSERT_EQ(engine.Ring().Count(), 100);
        engine.DropMinorityColours(test.Fraction);
        EXPECT_EQ(engine.Ring().Count(), test.Ring);
        const bool wireLeft =
            std::any_of(engine.Ring().Cells().begin(), engine.Ring().Cells().end(), [&](const TBorderCell& cell) {
                const TCellPlace& own = cell.Places[0];
                return IsWireColour(PixelAt(scene.Read, own.ImageX, own.ImageY));
            });
        EXPECT_EQ(wireLeft, test.Ring == 100);
        for (int i = 0; i < engine.Ring().Count(); ++i) {
            const TCellPlace& own = engine.Ring().Cell(i).Places[0];
            EXPECT_EQ(engine.Ring().IndexOf(own.ImageX, own.ImageY), i);
        }
    }
}

TEST(AreaCorrelatorTest, DroppedWireDoesNotBendTheCorrection)
{
    TScene scene(90, 50);
    PaintWireScene(scene);
    int worst[2] = {0, 0};
    for (bool dropWire : {false, true}) {
        scene.StartWrite();
        TAreaCorrelator engine(WireTarget, 2, scene.Read, scene.Write);
        MarkAll(engine);
        engine.Split();
        if (dropWire)
            engine.DropMinorityColours(0.2);
        engine.Apply(WireSource, 0, false, amPerChannel, 2);
        for (const TBorderCell& cell : engine.Interior().Cells()) {
            const TCellPlace& own = cell.Places[0];
            const TBgr truth = Brighter(Calm(WireSource.X + own.LocalX, WireSource.Y + own.LocalY), 20);
            worst[dropWire] =
                std::max(worst[dropWire], ChannelError(PixelAt(scene.Write, own.ImageX, own.ImageY), truth));
        }
    }
    EXPECT_GT(worst[0], 10);
    EXPECT_LE(worst[1], 1);
}

TEST(AreaCorrelatorTest, MinorityColoursOnlyWhenSmallEnough)
{
    struct TCase {
        const char* Name;
        TRect Target;
        std::function<TBgr(std::int32_t, std::int32_t)> Colour;
        std::int32_t Ring, Kept;
    };
    // The corner square reaches 13 cells beyond the picture's top-left: its ring is the
    // 25 cells next to the rest of the picture plus 2 just outside it.
    const TCase cases[] = {
        {"Uniform", Bounds(10, 10, 26, 26), [](std::int32_t, std::int32_t) { return Grey(90); }, 100, 100},
        {"HalfAndHalf", Bounds(10, 10, 26, 26), [](std::int32_t x, std::int32_t) { return Grey(x < 23 ? 20 : 220); },
         100, 100},
        {"OneOddCellInACornerSquare", Bounds(-13, -13, 26, 26),
         [](std::int32_t x, std::int32_t y) { return Grey(x == 12 && y == 5 ? 0 : 90); }, 27, 26},
    };
    for (const TCase& test : cases) {
        SCOPED_TRACE(test.Name);
        TScene scene(60, 60);
        FillImage(scene.Read, test.Colour);
        scene.StartWrite();
        TAreaCorrelator engine(test.Target, 2, scene.Read, scene.Write);
        MarkAll(engine);
        engine.Split();
        EXPECT_EQ(engine.Ring().Count(), test.Ring);
        const bool oddCellOnRing = engine.Ring().IndexOf(12, 5) >= 0;
        engine.DropMinorityColours(0.2);
        EXPECT_EQ(engine.Ring().Count(), test.Kept);
        if (oddCellOnRing) {
            EXPECT_EQ(engine.Ring().IndexOf(12, 5), -1);
        }
    }
}

// ---------------------------------------------------------------- correction

TEST(AreaCorrelatorTest, TooFewRingCellsGiveNoCorrection)
{
    // A 3 x 3 square: 8 ring cells around one interior cell. Target 100, source 150.
    struct TCase {
        int Level;
        int Mode;
        std::uint8_t Expected;
    };
    const TCase cases[] = {
        {0, amPerChannel, 100}, {2, amPerChannel, 100}, {5, amPerChannel, 150},
        {2, amBrightness, 100}, {5, amBrightness, 150},
    };
    TScene scene(30, 30);
    FillImage(scene.Read, [](std::int32_t x, std::int32_t) { return Grey(x >= 15 ? 150 : 100); });
    for (const TCase& test : cases) {
        SCOPED_TRACE(testing::Message() << "level " << test.Level << " mode " << test.Mode);
        scene.StartWrite();
        TAreaCorrelator engine(Bounds(5, 5, 3, 3), 2, scene.Read, scene.Write);
        MarkAll(engine);
        engine.Split();
        ASSERT_EQ(engine.Ring().Count(), 8);
        engine.Apply({20, 5}, 0, false, test.Mode, test.Level);
        EXPECT_EQ(PixelAt(scene.Write, 6, 6), Grey(test.Expected));
    }
}

TEST(AreaCorrelatorTest, BrightnessModeSharesTheChannelSum)
{
    // The ring is the source +30 in blue only: brightness mode spreads +10 over all
    // three channels, per-channel mode puts +30 into blue.
    TScene scene(40, 20);
    FillImage(scene.Read, [](std::int32_t x, std::int32_t) -> TBgr {
        return x >= 20 ? TBgr{100, 110, 120} : TBgr{130, 110, 120};
    });
    struct TCase {
        int Mode;
        TBgr Expected;
    };
    for (const TCase& test : {TCase{amBrightness, {110, 120, 130}}, TCase{amPerChannel, {130, 110, 120}}}) {
        SCOPED_TRACE(test.Mode);
        scene.StartWrite();
        TAreaCorrelator engine(Bounds(2, 2, 8, 8), 2, scene.Read, scene.Write);
        MarkAll(engine);
        engine.Split();
        engine.Apply({25, 2}, 0, false, test.Mode, 2);
        for (const TBorderCell& cell : engine.Interior().Cells())
            EXPECT_EQ(PixelAt(scene.Write, cell.Places[0].ImageX, cell.Places[0].ImageY), test.Expected);
    }
}

TEST(AreaCorrelatorTest, CorrectionIsClampedToBytes)
{
    // Target ring 250, source 10 plus a spot of 60: the spot would reach 300.
    TScene scene(40, 20);
    FillImage(scene.Read, [](std::int32_t x, std::int32_t) { return Grey(x >= 20 ? 10 : 250); });
    SetPixel(scene.Read, 25, 5, Grey(60));
    scene.StartWrite();
    TAreaCorrelator engine(Bounds(2, 2, 8, 8), 2, scene.Read, scene.Write);
    MarkAll(engine);
    engine.Split();
    for (int mode : {amBrightness, amPerChannel}) {
        engine.Apply({22, 2}, 0, false, mode, 2);
        EXPECT_EQ(PixelAt(scene.Write, 5, 5), Grey(255)) << mode;
        EXPECT_EQ(PixelAt(scene.Write, 4, 4), Grey(250)) << mode;
    }
}

// ---------------------------------------------------------------- orientation

TEST(AreaCorrelatorTest, EqualOrientationsChooseTheFirst)
{
    struct TCase {
        const char* Name;
        std::function<TBgr(std::int32_t, std::int32_t)> Colour;
    };
    // A flat picture correlates nowhere; a pattern symmetric under every turn and
    // reflection of the square, used as its own source, correlates perfectly everywhere.
    const TCase cases[] = {
        {"Flat", [](std::int32_t, std::int32_t) { return Grey(77); }},
        {"Symmetric",
         [](std::int32_t x, std::int32_t y) {
             const int dx = 2 * (x - 10) - 11, dy = 2 * (y - 10) - 11; // centre of the 12-square at 10
             return Grey(static_cast<std::uint8_t>((dx * dx + dy * dy) % 251));
         }},
    };
    for (const TCase& test : cases) {
        SCOPED_TRACE(test.Name);
        TScene scene(40, 40);
        FillImage(scene.Read, test.Colour);
        scene.StartWrite();
        TAreaCorrelator engine(Bounds(10, 10, 12, 12), 2, scene.Read, scene.Write);
        MarkDisc(engine, 5.5, 5.5);
        engine.Split();
        EXPECT_EQ(engine.BestOrientation({10, 10}), 0);
    }
}

// ---------------------------------------------------------------- blending

TEST(AreaCorrelatorTest, CellSurroundedByRingKeepsTheTarget)
{
    TScene scene(30, 30);
    FillImage(scene.Read, [](std::int32_t x, std::int32_t) { return Grey(x >= 15 ? 180 : 100); });
    struct TCase {
        int Mode;
        bool Blend;
        std::uint8_t Expected;
    };
    const TCase cases[] = {{amNone, true, 100}, {amNone, false, 180}, {amPerChannel, true, 100}};
    for (const TCase& test : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << test.Mode << " blend " << test.Blend);
        scene.StartWrite();
        TAreaCorrelator engine(Bounds(5, 5, 3, 3), 2, scene.Read, scene.Write);
        MarkAll(engine);
        engine.Split();
        engine.PrepareBlend();
        engine.Apply({20, 5}, 0, test.Blend, test.Mode, 5); // level 5: no correction
        EXPECT_EQ(PixelAt(scene.Write, 6, 6), Grey(test.Expected));
    }
}

TEST(AreaCorrelatorTest, BlendWeightsAndRounding)
{
    // 5 x 5 square: interior corners weigh ring 7 : inner 1, interior sides 4 : 2, the
    // centre takes the source. Halves round to even: (7 * 100 + 176) / 8 = 109.5 -> 110,
    // (7 * 100 + 184) / 8 = 110.5 -> 110.
    struct TCase {
        std::uint8_t Source;
        TPoint Cell;
        std::uint8_t Expected;
    };
    const TCase cases[] = {
        {180, {1, 1}, 110}, {180, {2, 1}, 127}, {180, {2, 2}, 180}, {176, {3, 3}, 110}, {184, {1, 3}, 110},
    };
    for (const TCase& test : cases) {
        SCOPED_TRACE(testing::Message() << int{test.Source} << " at " << test.Cell.X << "," << test.Cell.Y);
        TScene scene(30, 30);
        FillImage(scene.Read, [&](std::int32_t x, std::int32_t) { return Grey(x >= 15 ? test.Source : 100); });
        scene.StartWrite();
        TAreaCorrelator engine(Bounds(5, 5, 5, 5), 2, scene.Read, scene.Write);
        MarkAll(engine);
        engine.Split();
        engine.PrepareBlend();
        engine.Apply({20, 5}, 0, true, amNone, 2);
        EXPECT_EQ(PixelAt(scene.Write, 5 + test.Cell.X, 5 + test.Cell.Y), Grey(test.Expected));
    }
}

// ---------------------------------------------------------------- guards

TEST(AreaCorrelatorTest, UnusableRequestsWriteNothing)
{
    TScene scene(40, 40);
    FillImage(scene.Read, Noise);
    scene.StartWrite();
    TAreaCorrelator engine(Bounds(5, 5, 10, 10), 2, scene.Read, scene.Write);
    MarkAll(engine);
    engine.Split();
    engine.PrepareBlend();
    engine.Apply({20, 20}, 8, true, amPerChannel, 2);
    engine.Apply({20, 20}, -1, true, amNone, 2);
    engine.Apply({20, 20}, 0, true, 3, 2);
    engine.Apply({20, 20}, 0, true, -1, 2);
    EXPECT_TRUE(OnlyInteriorWritten(scene, engine));
    for (const TBorderCell& cell : engine.Interior().Cells())
        EXPECT_EQ(PixelAt(scene.Write, cell.Places[0].ImageX, cell.Places[0].ImageY),
                  PixelAt(scene.Read, cell.Places[0].ImageX, cell.Places[0].ImageY));
}

TEST(AreaCorrelatorTest, OddLevelsAreClamped)
{
    TScene scene(40, 20);
    FillImage(scene.Read, [](std::int32_t x, std::int32_t) { return Grey(x >= 20 ? 100 : 140); });
    for (int level : {-4, 99}) {
        SCOPED_TRACE(level);
        scene.StartWrite();
        TAreaCorrelator engine(Bounds(2, 2, 8, 8), 2, scene.Read, scene.Write);
        MarkAll(engine);
        engine.Split();
        engine.Apply({25, 2}, 0, false, amPerChannel, level);
        EXPECT_EQ(PixelAt(scene.Write, 5, 5), Grey(140));
    }
}

TEST(AreaCorrelatorTest, PicturesOfAnotherFormatAreLeftAlone)
{
    TVxPixelBuffer read(fmtBGRA32, Bounds(0, 0, 20, 20));
    TVxPixelBuffer write(fmtBGRA32, Bounds(0, 0, 20, 20));
    std::fill_n(read.Data(), read.Stride() * read.Height(), std::uint8_t{200});
    TAreaCorrelator engine(Bounds(2, 2, 6, 6), 2, read, write);
    MarkAll(engine);
    engine.Split();
    engine.DropMinorityColours(0.2);
    engine.PrepareBlend();
    EXPECT_EQ(engine.BestOrientation({10, 10}), 0);
    engine.Apply({10, 10}, 0, true, amPerChannel, 2);
    EXPECT_TRUE(std::all_of(write.Data(), write.Data() + write.Stride() * write.Height(),
                            [](std::uint8_t v) { return v == 0; }));
}

TEST(AreaCorrelatorTest, SmallerWriteImageIsWrittenOnlyWhereItExists)
{
    TScene scene(40, 40);
    FillImage(scene.Read, Noise);
    TVxPixelBuffer write(fmtBGR24, Bounds(0, 0, 8, 8));
    TAreaCorrelator engine(Bounds(2, 2, 12, 12), 2, scene.Read, write);
    MarkAll(engine);
    engine.Split();
    engine.Apply({20, 20}, 3, false, amNone, 2);
    for (std::int32_t y = 3; y < 8; ++y)
        for (std::int32_t x = 3; x < 8; ++x)
            EXPECT_EQ(PixelAt(write, x, y), PixelAt(scene.Read, 20 + y - 2, 20 + x - 2));
}

// ---------------------------------------------------------------- reconstruction

namespace {

constexpr std::int32_t PatchSide = 24;
const TPoint PatchSource = {70, 60};
const TRect PatchTarget = Bounds(10, 20, PatchSide, PatchSide);

// Where orientation k puts the cell (a, b) of a side x side square, written out
// independently of the engine's table.
TPoint Turned(int k, std::int32_t a, std::int32_t b, std::int32_t side)
{
    const std::int32_t m = side - 1;
    switch (k) {
    case 0:
        return {a, b};
    case 1:
        return {m - a, b};
    case 2:
        return {b, m - a};
    case 3:
        return {b, a};
    case 4:
        return {m - a, m - b};
    case 5:
        return {a, m - b};
    case 6:
        return {m - b, m - a};
    default:
        return {m - b, a};
    }
}

enum TShading { shNone, shConstant, shGradient };

// How the target copy differs from the source: nothing, a flat per-channel offset, or
// a per-channel gentle slope across the square.
double Shade(TShading shading, int channel, std::int32_t a, std::int32_t b)
{
    switch (shading) {
    case shNone:
        return 0;
    case shConstant:
        return (channel == 0 ? 25 : (channel == 1 ? -15 : 10));
    default:
        return 12 + (channel + 1) * 0.5 * a - 0.3 * b;
    }
}

struct TReconstruction {
    int Orientation;
    TShading Shading;
    int Mode;
    bool Blend;
    int MaxError;
};

std::string ReconstructionName(const testing::TestParamInfo<TReconstruction>& info)
{
    static const char* const shadings[] = {"Plain", "Brighter", "Sloped"};
    static const char* const modes[] = {"NoAdjustment", "Brightness", "PerChannel"};
    return "K" + std::to_string(info.param.Orientation) + shadings[info.param.Shading] + modes[info.param.Mode] +
           (info.param.Blend ? "Blended" : "Hard");
}

class AreaCorrelatorReconstructionTest : public testing::TestWithParam<TReconstruction> {};

} // namespace

TEST_P(AreaCorrelatorReconstructionTest, RestoresTheTargetFromAnOrientedShadedCopy)
{
    const TReconstruction& p = GetParam();
    TScene scene(128, 128);
    FillImage(scene.Read, Noise);

    // The undamaged target: the source patch turned by k and shaded.
    std::vector<TBgr> truth(PatchSide * PatchSide);
    for (std::int32_t b = 0; b < PatchSide; ++b) {
        for (std::int32_t a = 0; a < PatchSide; ++a) {
            const TPoint from = Turned(p.Orientation, a, b, PatchSide);
            const TBgr source = PixelAt(scene.Read, PatchSource.X + from.X, PatchSource.Y + from.Y);
            TBgr& colour = truth[b * PatchSide + a];
            for (int c = 0; c < 3; ++c)
                colour[c] = static_cast<std::uint8_t>(std::nearbyint(source[c] + Shade(p.Shading, c, a, b)));
            SetPixel(scene.Read, PatchTarget.Left + a, PatchTarget.Top + b,
                     InDisc(a, b, 11.5, 5) ? TBgr{0, 0, 255} : colour); // a red blot in the middle
        }
    }
    scene.StartWrite();

    TAreaCorrelator engine(PatchTarget, 2, scene.Read, scene.Write);
    MarkDisc(engine, 11.5, 11.5);
    engine.Split();
    engine.DropMinorityColours(0.2);
    engine.PrepareBlend();
    ASSERT_GT(engine.Interior().Count(), 300);

    EXPECT_EQ(engine.BestOrientation(PatchSource), p.Orientation);
    engine.Apply(PatchSource, p.Orientation, p.Blend, p.Mode, 2);

    int worst = 0;
    for (const TBorderCell& cell : engine.Interior().Cells()) {
        const TCellPlace& own = cell.Places[0];
        worst = std::max(worst, ChannelError(PixelAt(scene.Write, own.ImageX, own.ImageY),
                                             truth[own.LocalY * PatchSide + own.LocalX]));
    }
    EXPECT_LE(worst, p.MaxError);
    EXPECT_TRUE(OnlyInteriorWritten(scene, engine));
}

namespace {

std::vector<TReconstruction> ReconstructionCases()
{
    std::vector<TReconstruction> cases;
    for (int k = 0; k < OrientationCount; ++k) {
        cases.push_back({k, shNone, amNone, false, 0});
        cases.push_back({k, shConstant, amPerChannel, true, 1});
        cases.push_back({k, shGradient, amPerChannel, true, 2});
    }
    cases.push_back({2, shGradient, amPerChannel, false, 1});
    cases.push_back({5, shNone, amBrightness, false, 1});
    return cases;
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Orientations, AreaCorrelatorReconstructionTest, testing::ValuesIn(ReconstructionCases()),
                         ReconstructionName);
