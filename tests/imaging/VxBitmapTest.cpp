#include <gtest/gtest.h>

#include "imaging/VxBitmap.h"

TEST(VxBitmapTest, Smoke)
{
    TVxPixelBuffer b(fmtBGR24, Bounds(0, 0, 3, 2));
    EXPECT_EQ(b.Stride(), 12);
}
