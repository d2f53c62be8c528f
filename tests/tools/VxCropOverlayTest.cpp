#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tools/VxCropOverlay.h"

namespace {

void Fill(TVxPixelBuffer& surface, const TRect& bounds, std::uint8_t value)
{
    surface.SetFormatAndBounds(fmtBGR24, bounds);
    for (int y = bounds.Top; y < bounds.Bottom; ++y)
        std::fill(surface.Row(y), surface.Row(y) + bounds.Width() * 3, value);
}

int At(const TVxPixels& surface, int x, int y)
{
    return surface.PixelAddress(x, y)[0];
}

} // namespace

TEST(VxCropOverlayTest, OutsideTheRectangleEveryChannelLosesItsShare)
{
    for (int value : {0, 1, 3, 100, 200, 255}) {
        SCOPED_TRACE(value);
        TVxPixelBuffer surface;
        Fill(surface, {0, 0, 40, 30}, static_cast<std::uint8_t>(value));
        const TRect picture{2, 3, 38, 28};
        const TRect crop{10, 10, 20, 15};
        DarkenOutside(surface, picture, crop, surface.GetBounds());
        const int dark = value - value * 92 / 256;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) {
                const bool darkened = picture.Contains(x, y) && !crop.Contains(x, y);
                ASSERT_EQ(At(surface, x, y), darkened ? dark : value) << "pixel " << x << "," << y;
            }
    }
}

TEST(VxCropOverlayTest, DarkeningStaysInsideTheClip)
{
    TVxPixelBuffer surface;
    Fill(surface, {0, 0, 40, 30}, 200);
    const TRect clip{0, 0, 15, 30};
    DarkenOutside(surface, {0, 0, 40, 30}, {10, 10, 20, 20}, clip);
    EXPECT_EQ(At(surface, 5, 5), 200 - 200 * 92 / 256);
    EXPECT_EQ(At(surface, 30, 5), 200);  // outside the clip
    EXPECT_EQ(At(surface, 12, 12), 200); // inside the rectangle
}

TEST(VxCropOverlayTest, HandleIsAOnePixelInvertedRing)
{
    TVxPixelBuffer surface;
    Fill(surface, {0, 0, 20, 20}, 10);
    InvertHandle(surface, {10, 10}, surface.GetBounds());
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) {
            const bool ring = TRect{6, 6, 15, 15}.Contains(x, y) && !TRect{7, 7, 14, 14}.Contains(x, y);
            ASSERT_EQ(At(surface, x, y), ring ? 245 : 10) << "pixel " << x << "," << y;
        }
    // Drawn twice, it is gone: the overlay never leaves marks behind.
    InvertHandle(surface, {10, 10}, surface.GetBounds());
    EXPECT_EQ(At(surface, 6, 6), 10);
}

TEST(VxCropOverlayTest, HandlesAndFrameReachNoFurtherThanTheRepaintMargin)
{
    TVxPixelBuffer surface;
    Fill(surface, {0, 0, 60, 60}, 50);
    const TRect crop{20, 20, 40, 40};
    DrawCropHandles(surface, crop, surface.GetBounds());
    DottedFrame(surface, crop, surface.GetBounds());
    const TRect reach{crop.Left - 5, crop.Top - 5, crop.Right + 5, crop.Bottom + 5};
    int changed = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 60; ++x)
            if (At(surface, x, y) != 50) {
                ++changed;
                ASSERT_TRUE(reach.Contains(x, y)) << "pixel " << x << "," << y;
            }
    EXPECT_GT(changed, 8 * 32); // eight rings of 32 pixels, and the frame
}
