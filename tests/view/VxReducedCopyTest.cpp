#include <gtest/gtest.h>

#include "support/VxPixelCompare.h"
#include "support/VxTestPictures.h"
#include "view/VxReducedCopy.h"

namespace {

void MakePicture(TVxPixelBuffer& picture, int width, int height, std::uint32_t seed)
{
    picture.SetFormatAndBounds(fmtBGR24, {0, 0, width, height});
    FillPhotoLike(picture, seed);
}

// What a view paints today: the visible part resampled for a picture shown at destRect.
void PaintPart(TVxPixelBuffer& part, const TVxPixels& picture, const TRect& destRect, const TRect& visible)
{
    static const TLanczosResampler lanczos;
    part.SetFormatAndBounds(fmtBGR24, visible);
    Resample(part, destRect, visible, lanczos, picture.GetBounds(), picture);
}

} // namespace

TEST(VxReducedCopyTest, CopyIsThePaintedReductionWhereverThePictureLies)
{
    TVxPixelBuffer picture;
    MakePicture(picture, 301, 203, 7);
    TVxReducedCopy reduced;
    const TVxPixels* copy = reduced.Get(picture, {97, 65});
    ASSERT_NE(copy, nullptr);
    for (const TPoint origin : {TPoint{0, 0}, TPoint{37, -11}, TPoint{-20, 5}}) {
        SCOPED_TRACE(std::to_string(origin.X) + "," + std::to_string(origin.Y));
        const TRect destRect{origin.X, origin.Y, origin.X + 97, origin.Y + 65};
        const TRect visible = IntersectRect(destRect, {0, 0, 80, 60});
        TVxPixelBuffer painted;
        PaintPart(painted, picture, destRect, visible);
        TVxPixelBuffer shifted(fmtBGR24, visible);
        shifted.CopyRect(visible.Left, visible.Top, *copy, OffsetRect(visible, -origin.X, -origin.Y));
        EXPECT_TRUE(SamePixels(shifted, painted));
    }
}

TEST(VxReducedCopyTest, EditedPartsAreUpdatedExactlyAsAFreshReduction)
{
    TVxPixelBuffer picture;
    MakePicture(picture, 1021, 1084, 3);
    TVxReducedCopy reduced;
    ASSERT_NE(reduced.Get(picture, {331, 351}), nullptr);
    const TRect edits[] = {{500, 500, 501, 501}, {0, 0, 40, 3}, {1000, 1070, 1021, 1084}, {300, 10, 310, 1080}};
    for (const TRect& edit : edits) {
        SCOPED_TRACE(std::to_string(edit.Left) + "," + std::to_string(edit.Top));
        for (int y = edit.Top; y < edit.Bottom; ++y)
            for (int x = edit.Left; x < edit.Right; ++x)
                picture.PixelAddress(x, y)[1] = static_cast<std::uint8_t>(255 - picture.PixelAddress(x, y)[1]);
        reduced.Invalidate(edit);
        const TRect affected = reduced.AffectedRect(edit);
        EXPECT_FALSE(affected.IsEmpty());
        EXPECT_LT(affected.Width(), 331); // a small edit does not redo the whole copy
        const TVxPixels* updated = reduced.Get(picture, {331, 351});
        ASSERT_NE(updated, nullptr);
        TVxReducedCopy fresh;
        EXPECT_TRUE(SamePixels(*updated, *fresh.Get(picture, {331, 351})));
    }
}

TEST(VxReducedCopyTest, OnlyAReductionOnBothAxesHasACopy)
{
    TVxPixelBuffer picture;
    MakePicture(picture, 64, 48, 1);
    TVxReducedCopy reduced;
    EXPECT_EQ(reduced.Get(picture, {64, 48}), nullptr);
    EXPECT_EQ(reduced.Get(picture, {128, 24}), nullptr);
    EXPECT_EQ(reduced.Get(picture, {0, 0}), nullptr);
    const TVxPixels* copy = reduced.Get(picture, {32, 24});
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetBounds(), (TRect{0, 0, 32, 24}));
    // Another size is a new copy.
    copy = reduced.Get(picture, {16, 12});
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetBounds(), (TRect{0, 0, 16, 12}));
}
