#include <gtest/gtest.h>

#include "tools/VxBrushParameters.h"

TEST(VxBrushParametersTest, DefaultsAndSizeLimits)
{
    TVxBrushParameters brush;
    EXPECT_EQ(brush.BrushSize(), 10);
    EXPECT_EQ(brush.Opacity(), 255);
    EXPECT_EQ(brush.Hardness(), 128);
    struct TCase {
        int Value;
        bool Changes;
    };
    for (const TCase c :
         {TCase{0, false}, TCase{-3, false}, TCase{51, false}, TCase{10, false}, TCase{1, true}, TCase{50, true}}) {
        SCOPED_TRACE(c.Value);
        TVxBrushParameters p;
        EXPECT_EQ(p.SetBrushSize(c.Value), c.Changes);
        EXPECT_EQ(p.BrushSize(), c.Changes ? c.Value : 10);
    }
}

TEST(VxBrushParametersTest, StepPastTheLimitDoesNothing)
{
    TVxBrushParameters brush;
    ASSERT_TRUE(brush.SetBrushSize(50));
    EXPECT_FALSE(brush.SetBrushSize(brush.BrushSize() + 1)); // Page Up at the maximum
    EXPECT_EQ(brush.BrushSize(), 50);
    ASSERT_TRUE(brush.SetBrushSize(1));
    EXPECT_FALSE(brush.SetBrushSize(brush.BrushSize() - 1));
    EXPECT_EQ(brush.BrushSize(), 1);
}

TEST(VxBrushParametersTest, OpacityAndHardnessStayInAByte)
{
    TVxBrushParameters brush;
    EXPECT_FALSE(brush.SetOpacity(256));
    EXPECT_FALSE(brush.SetOpacity(-1));
    EXPECT_TRUE(brush.SetOpacity(0));
    EXPECT_FALSE(brush.SetHardness(300));
    EXPECT_FALSE(brush.SetHardness(128)); // unchanged
    EXPECT_TRUE(brush.SetHardness(255));
    EXPECT_EQ(brush.Opacity(), 0);
    EXPECT_EQ(brush.Hardness(), 255);
}

TEST(VxBrushParametersTest, NewLimitsBringTheSizeInside)
{
    TVxBrushParameters brush;
    brush.SetSizeLimits(20, 200);
    EXPECT_EQ(brush.BrushSize(), 20);
    EXPECT_TRUE(brush.SetBrushSize(150));
    brush.SetSizeLimits(0, 5);
    EXPECT_EQ(brush.MinBrushSize(), 1);
    EXPECT_EQ(brush.BrushSize(), 5);
}
