#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "tools/VxBrushShapes.h"

namespace {

double Distance(const TVxPixelMask& mask, int x, int y)
{
    const int d = mask.Width() / 2;
    return std::sqrt(double((x - d) * (x - d) + (y - d) * (y - d)));
}

int At(const TVxPixelMask& mask, int x, int y)
{
    return *mask.ValueAt(x, y);
}

} // namespace

TEST(VxBrushShapesTest, SizeOneIsOneFullPixel)
{
    TVxPixelMask mask;
    BuildLinearBrush(mask, 1, 0, 100);
    ASSERT_EQ(mask.GetBounds(), (TRect{0, 0, 1, 1}));
    EXPECT_EQ(At(mask, 0, 0), 255); // the linear brush's single pixel is always full
    BuildPowerBrush(mask, 1, 160, 100);
    ASSERT_EQ(mask.GetBounds(), (TRect{0, 0, 1, 1}));
    EXPECT_EQ(At(mask, 0, 0), 100); // the power brush's is the strength
}

TEST(VxBrushShapesTest, SquareSideIsOddAndMirrored)
{
    struct TCase {
        int Size;
        int Side;
    };
    for (const TCase c : {TCase{2, 3}, TCase{3, 3}, TCase{10, 11}, TCase{11, 11}, TCase{50, 51}}) {
        for (int kind = 0; kind < 2; ++kind) {
            SCOPED_TRACE("size " + std::to_string(c.Size) + (kind ? " power" : " linear"));
            TVxPixelMask mask;
            if (kind)
                BuildPowerBrush(mask, c.Size, 160, 255);
            else
                BuildLinearBrush(mask, c.Size, 128, 255);
            ASSERT_EQ(mask.GetBounds(), (TRect{0, 0, c.Side, c.Side}));
            for (int y = 0; y < c.Side; ++y)
                for (int x = 0; x < c.Side; ++x) {
                    ASSERT_EQ(At(mask, x, y), At(mask, c.Side - 1 - x, y)) << "pixel " << x << "," << y;
                    ASSERT_EQ(At(mask, x, y), At(mask, y, x)) << "pixel " << x << "," << y;
                }
        }
    }
}

TEST(VxBrushShapesTest, HardnessFullIsSolidThenFallsWithinOnePixel)
{
    for (int size : {4, 9, 21, 50}) {
        SCOPED_TRACE(size);
        TVxPixelMask mask;
        BuildLinearBrush(mask, size, 255, 200);
        const double inner = size / 2.0 - 0.5;
        for (int y = 0; y < mask.Height(); ++y)
            for (int x = 0; x < mask.Width(); ++x) {
                const double m = Distance(mask, x, y);
                if (m <= inner)
                    ASSERT_EQ(At(mask, x, y), 200) << "pixel " << x << "," << y << " at " << m;
                else if (m > inner + 1.0)
                    ASSERT_EQ(At(mask, x, y), 0) << "pixel " << x << "," << y << " at " << m;
                else
                    ASSERT_LT(At(mask, x, y), 200) << "pixel " << x << "," << y << " at " << m;
            }
    }
}

TEST(VxBrushShapesTest, HardnessZeroFallsLinearlyFromTheCentre)
{
    const int size = 21;
    TVxPixelMask mask;
    BuildLinearBrush(mask, size, 0, 255);
    const double outer = size / 2.0 + 0.5;
    const double inner = -0.5;
    const int d = size / 2;
    for (int f = 0; f <= d; ++f) {
        SCOPED_TRACE(f);
        const double expected = (outer - f) / (outer - inner) * 255.0;
        EXPECT_NEAR(At(mask, d + f, d), expected, 0.5);
        if (f > 0) {
            EXPECT_LT(At(mask, d + f, d), At(mask, d + f - 1, d));
        }
    }
    EXPECT_LT(At(mask, d, d), 255); // no plateau at all
}

TEST(VxBrushShapesTest, PowerBrushIsFullAtTheCentreAndEmptyAtTheRim)
{
    TVxPixelMask mask;
    BuildPowerBrush(mask, 20, 160, 255);
    const int d = 10;
    EXPECT_EQ(At(mask, d, d), 255);
    EXPECT_EQ(At(mask, 0, d), 0); // g = 1
    EXPECT_EQ(At(mask, 0, 0), 0); // the corner lies outside
    // g = 0.5: (1 - 0.5^10) * 255 = 254.75 -> 255; g = 0.9: (1 - 0.9^10) * 255 = 166.09 -> 166.
    EXPECT_EQ(At(mask, d + 5, d), 255);
    EXPECT_EQ(At(mask, d + 9, d), 166);
    for (int f = 1; f <= d; ++f)
        EXPECT_LE(At(mask, d + f, d), At(mask, d + f - 1, d)) << "offset " << f;
}

TEST(VxBrushShapesTest, BrushRectIsCentredOnThePixel)
{
    EXPECT_EQ(BrushRect({10, 20}, 1), (TRect{10, 20, 11, 21}));
    EXPECT_EQ(BrushRect({10, 20}, 5), (TRect{8, 18, 13, 23}));
    EXPECT_EQ(BrushRect({10, 20}, 4), (TRect{8, 18, 13, 23}));
}

TEST(VxBrushShapesTest, PaintThroughMaskBlendsByWeight)
{
    struct TCase {
        int Weight;
        int Source;
        int Paint;
        int Expected;
    };
    const TCase cases[] = {
        {255, 10, 200, 200}, // full weight takes the colour
        {0, 10, 200, 10},    // no weight leaves the pixel
        {128, 0, 255, 127},  // floor(128 * 255 / 256)
        {128, 255, 0, 127},  // 255 + floor(-32640 / 256) = 255 - 128
        {1, 100, 0, 99},     // the floor of a small negative step is -1
        {254, 0, 10, 9},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE("weight " + std::to_string(c.Weight) + " source " + std::to_string(c.Source));
        TVxPixelMask mask;
        mask.SetBounds(0, 0, 1, 1);
        *mask.ValueAt(0, 0) = static_cast<std::uint8_t>(c.Weight);
        TVxPixelBuffer source(fmtBGR24, {0, 0, 1, 1});
        TVxPixelBuffer target(fmtBGR24, {0, 0, 1, 1});
        std::fill(source.Data(), source.Data() + 3, static_cast<std::uint8_t>(c.Source));
        std::fill(target.Data(), target.Data() + 3, static_cast<std::uint8_t>(c.Source));
        const std::uint32_t colour = 0x010101u * static_cast<std::uint32_t>(c.Paint);
        PaintThroughMask(mask, source, colour, {0, 0, 1, 1}, target);
        for (int channel = 0; channel < 3; ++channel)
            EXPECT_EQ(target.Data()[channel], c.Expected) << "channel " << channel;
    }
}

TEST(VxBrushShapesTest, PaintThroughMaskStaysInsideEveryRectangle)
{
    TVxPixelMask mask;
    BuildLinearBrush(mask, 5, 255, 255);
    TVxPixelBuffer source(fmtBGR24, {0, 0, 4, 4});
    TVxPixelBuffer target(fmtBGR24, {0, 0, 4, 4});
    PaintThroughMask(mask, source, 0xFFFFFF, {-10, -10, 20, 20}, target);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            const int w = *mask.ValueAt(x, y);
            EXPECT_EQ(target.PixelAddress(x, y)[0], w == 255 ? 255 : (w * 255) >> 8) << "pixel " << x << "," << y;
        }
}

TEST(VxBrushShapesTest, AccumulatingTwiceKeepsTheLargerWeight)
{
    TVxPixelMask brush;
    BuildLinearBrush(brush, 9, 0, 255);
    TVxPixelMask stroke;
    MergeBrushMax(stroke, brush, 10, 10);
    MergeBrushMax(stroke, brush, 10, 10);
    for (int y = 0; y < brush.Height(); ++y)
        for (int x = 0; x < brush.Width(); ++x)
            ASSERT_EQ(*stroke.ValueAt(10 + x, 10 + y), *brush.ValueAt(x, y)) << "pixel " << x << "," << y;

    // Two stamps two pixels apart: every pixel holds the larger of the two weights.
    MergeBrushMax(stroke, brush, 12, 10);
    EXPECT_EQ(stroke.GetBounds(), (TRect{10, 10, 21, 19}));
    for (int y = 10; y < 19; ++y)
        for (int x = 10; x < 21; ++x) {
            const std::uint8_t* a = brush.ValueAt(x - 10, y - 10);
            const std::uint8_t* b = brush.ValueAt(x - 12, y - 10);
            const int expected = std::max(a ? *a : 0, b ? *b : 0);
            ASSERT_EQ(*stroke.ValueAt(x, y), expected) << "pixel " << x << "," << y;
        }
}
