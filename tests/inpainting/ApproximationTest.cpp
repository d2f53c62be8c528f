#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "inpainting/Approximation.h"

namespace {

// A polynomial that uses every basis function of a level, with distinct coefficients.
double LevelPolynomial(int level, double x, double y)
{
    TArgumentTransfer basis(level);
    basis.Evaluate(x, y);
    double sum = 0;
    for (int j = 0; j < basis.Count(); ++j)
        sum += (j % 2 == 0 ? 1.5 : -0.75) * (j + 1) * basis.Values()[j];
    return sum;
}

} // namespace

TEST(ApproximationTest, FunctionCountPerLevel)
{
    const int expected[] = {1, 3, 4, 6, 8, 10};
    for (int level = 0; level <= 5; ++level) {
        SCOPED_TRACE(level);
        EXPECT_EQ(TArgumentTransfer::FunctionCount(level), expected[level]);
        EXPECT_EQ(TLSM2(level, 10).FunctionCount(), expected[level]);
    }
    EXPECT_EQ(TArgumentTransfer::FunctionCount(-3), 1);
    EXPECT_EQ(TArgumentTransfer::FunctionCount(9), 10);
}

TEST(ApproximationTest, BasisOrder)
{
    TArgumentTransfer basis(5);
    basis.Evaluate(2, 3);
    const double expected[] = {1, 2, 3, 6, 4, 9, 12, 18, 8, 27};
    for (int j = 0; j < 10; ++j)
        EXPECT_EQ(basis.Values()[j], expected[j]) << j;
}

TEST(ApproximationTest, ReproducesAPolynomialOfItsOwnLevel)
{
    for (int level = 0; level <= 5; ++level) {
        SCOPED_TRACE(level);
        TApproximation fit(49, level);
        for (int x = 0; x < 7; ++x)
            for (int y = 0; y < 7; ++y)
                fit.AddSample(LevelPolynomial(level, x, y), x, y);
        ASSERT_TRUE(fit.Solve());
        for (double x : {0.0, 2.5, 6.0})
            for (double y : {0.0, 3.25, 6.0})
                EXPECT_NEAR(fit.Evaluate(x, y), LevelPolynomial(level, x, y), 1e-8);
    }
}

TEST(ApproximationTest, ConstantFitIsTheMean)
{
    TApproximation fit(4, 0);
    for (double value : {1.0, 2.0, 4.0, 9.0})
        fit.AddSample(value, value, -value);
    ASSERT_TRUE(fit.Solve());
    EXPECT_NEAR(fit.Evaluate(100, 100), 4.0, 1e-12);
}

TEST(ApproximationTest, FewerSamplesThanFunctionsGivesNoCorrection)
{
    TApproximation fit(3, 2);
    fit.AddSample(10, 0, 0);
    fit.AddSample(20, 1, 0);
    fit.AddSample(30, 0, 1);
    EXPECT_FALSE(fit.Solve());
    EXPECT_EQ(fit.Evaluate(0, 0), 0.0);
    EXPECT_EQ(fit.Evaluate(5, 7), 0.0);

    TApproximationBGR fitBGR(3, 2);
    for (int i = 0; i < 3; ++i)
        fitBGR.AddSample({1, 2, 3}, i, i * i);
    EXPECT_FALSE(fitBGR.Solve());
    EXPECT_EQ(fitBGR.Evaluate(1, 1), (TColorVector{0, 0, 0}));
}

TEST(ApproximationTest, SamplesBeyondCapacityAreIgnored)
{
    TApproximation fit(4, 2);
    const double points[4][2] = {{0, 0}, {3, 0}, {0, 3}, {3, 3}};
    for (const auto& p : points)
        fit.AddSample(5 + p[0] - 2 * p[1] + 0.5 * p[0] * p[1], p[0], p[1]);
    fit.AddSample(1000, 1, 1); // would spoil an exact fit
    ASSERT_TRUE(fit.Solve());
    EXPECT_NEAR(fit.Evaluate(1, 1), 5 + 1 - 2 + 0.5, 1e-9);
}

TEST(ApproximationTest, RankDeficientRingGivesFiniteMinimumNormFit)
{
    // Every sample on the line y = 5: y is a multiple of 1 and x*y of x, so the basis
    // is rank 2. The fit must still follow the line and stay moderate off it.
    TApproximation fit(20, 2);
    for (int x = 0; x < 20; ++x)
        fit.AddSample(3 + 2.0 * x, x, 5);
    ASSERT_TRUE(fit.Solve());
    for (int x : {0, 7, 19})
        EXPECT_NEAR(fit.Evaluate(x, 5), 3 + 2.0 * x, 1e-9);
    EXPECT_TRUE(std::isfinite(fit.Evaluate(10, 0)));
    EXPECT_LT(std::abs(fit.Evaluate(10, 0)), 100.0);
}

TEST(ApproximationTest, OverdeterminedFitMinimisesSquares)
{
    // A plane through noisy samples: the residuals of a least-squares fit with a
    // constant term sum to zero and are orthogonal to x and y.
    const int n = 30;
    TApproximation fit(n, 1);
    std::vector<double> xs, ys, values;
    for (int i = 0; i < n; ++i) {
        const double x = i % 6, y = i / 6, noise = ((i * 7919) % 13) - 6.0;
        xs.push_back(x);
        ys.push_back(y);
        values.push_back(10 + 3 * x - y + noise);
        fit.AddSample(values.back(), x, y);
    }
    ASSERT_TRUE(fit.Solve());
    double sum = 0, sumX = 0, sumY = 0;
    for (int i = 0; i < n; ++i) {
        const double residual = values[i] - fit.Evaluate(xs[i], ys[i]);
        sum += residual;
        sumX += residual * xs[i];
        sumY += residual * ys[i];
    }
    EXPECT_NEAR(sum, 0, 1e-9);
    EXPECT_NEAR(sumX, 0, 1e-9);
    EXPECT_NEAR(sumY, 0, 1e-9);
}

TEST(ApproximationTest, ChannelsAreFittedIndependently)
{
    TApproximationBGR fit(16, 2);
    for (int x = 0; x < 4; ++x)
        for (int y = 0; y < 4; ++y)
            fit.AddSample({1.0 + x, -2.0 * y, 0.25 * x * y}, x, y);
    ASSERT_TRUE(fit.Solve());
    const TColorVector at = fit.Evaluate(10, 20);
    EXPECT_NEAR(at[0], 11.0, 1e-9);
    EXPECT_NEAR(at[1], -40.0, 1e-9);
    EXPECT_NEAR(at[2], 50.0, 1e-9);
}
