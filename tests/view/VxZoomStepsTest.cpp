#include <gtest/gtest.h>

#include "view/VxZoomSteps.h"

namespace {

struct TStepCase {
    TVxZoom Current;
    TVxZoom In;
    TVxZoom Out;
};

TEST(VxZoomStepsTest, InAndOutFromTheCurrentRatio)
{
    const TStepCase cases[] = {
        {{1, 1}, {3, 2}, {3, 4}},
        {{16, 1}, {16, 1}, {12, 1}},
        {{1, 16}, {1, 12}, {1, 16}},
        {{37, 100}, {1, 2}, {1, 3}},      // best fit at 0.37
        {{1, 3}, {1, 2}, {1, 4}},
        {{333, 1000}, {1, 2}, {1, 4}},    // the same thousandths as 1/3
        {{20, 1}, {16, 1}, {16, 1}},      // beyond the largest
        {{1, 20}, {1, 16}, {1, 16}},      // below the smallest: in goes to the smallest step
        {{600, 1080}, {3, 4}, {1, 2}},
        {{1080, 400}, {3, 1}, {2, 1}},
    };
    for (const TStepCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Current.Numerator << "/" << c.Current.Denominator);
        EXPECT_EQ(ZoomInStep(c.Current), c.In);
        EXPECT_EQ(ZoomOutStep(c.Current), c.Out);
    }
}

TEST(VxZoomStepsTest, WalkingInVisitsEveryStepOnce)
{
    TVxZoom zoom = ZoomSteps.front();
    for (std::size_t i = 1; i < ZoomSteps.size(); ++i) {
        zoom = ZoomInStep(zoom);
        EXPECT_EQ(zoom, ZoomSteps[i]);
    }
    for (std::size_t i = ZoomSteps.size() - 1; i-- > 0;) {
        zoom = ZoomOutStep(zoom);
        EXPECT_EQ(zoom, ZoomSteps[i]);
    }
}

struct TFitCase {
    TSize View, Picture;
    TVxZoom Fit, Auto;
};

TEST(VxZoomStepsTest, FitAndAutoFit)
{
    const TFitCase cases[] = {
        {{1000, 700}, {400, 300}, {700, 300}, {1, 1}},       // small: actual size; best fit enlarges
        {{1000, 700}, {6000, 4000}, {1000, 6000}, {1000, 6000}},
        {{1000, 700}, {3000, 4000}, {700, 4000}, {700, 4000}},
        {{1000, 700}, {1000, 500}, {1000, 1000}, {1, 1}},    // exactly as wide and lower
        {{1000, 700}, {1001, 500}, {1000, 1001}, {1000, 1001}},
        {{1000, 700}, {1000, 700}, {700, 700}, {1, 1}},      // equal ratios take the height
    };
    for (const TFitCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Picture.Width << "x" << c.Picture.Height);
        EXPECT_EQ(FitZoom(c.View, c.Picture), c.Fit);
        EXPECT_EQ(AutoFitZoom(c.View, c.Picture), c.Auto);
    }
}

TEST(VxZoomStepsTest, FitOfAnEmptyPictureIsActualSize)
{
    EXPECT_EQ(FitZoom({100, 100}, {0, 0}), (TVxZoom{1, 1}));
    EXPECT_EQ(FitZoom({0, 0}, {10, 10}), (TVxZoom{1, 1}));
}

} // namespace
