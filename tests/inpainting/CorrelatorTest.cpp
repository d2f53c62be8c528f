#include <gtest/gtest.h>

#include <vector>

#include "inpainting/Correlator.h"

namespace {

struct TCorrelationCase {
    const char* Name;
    std::vector<std::pair<int, int>> Pairs;
    long double Expected;
};

const TCorrelationCase CorrelationCases[] = {
    {"Empty", {}, 0},
    {"SinglePair", {{5, 7}}, 0},
    {"Rising", {{1, 5}, {2, 7}, {3, 9}, {10, 23}}, 1},
    {"Falling", {{0, 255}, {100, 155}, {255, 0}}, -1},
    {"ConstantX", {{4, 1}, {4, 9}, {4, 3}}, 0},
    {"ConstantY", {{1, 8}, {2, 8}, {3, 8}}, 0},
    {"Half", {{1, 1}, {2, 3}, {3, 2}}, 0.5L},
    {"Uncorrelated", {{0, 0}, {1, 1}, {2, 0}, {3, 1}, {4, 0}, {5, 1}, {6, 0}, {7, 1}, {-1, 1}}, 0.0L},
};

} // namespace

TEST(CorrelatorTest, CoefficientOfKnownSequences)
{
    TCorrelator correlator;
    for (const TCorrelationCase& test : CorrelationCases) {
        SCOPED_TRACE(test.Name);
        correlator.Reset();
        for (auto [x, y] : test.Pairs)
            correlator.Add(x, y);
        EXPECT_EQ(correlator.Count(), static_cast<std::int64_t>(test.Pairs.size()));
        EXPECT_NEAR(static_cast<double>(correlator.Coefficient()), static_cast<double>(test.Expected), 1e-15);
    }
}

TEST(CorrelatorTest, ResetForgetsEarlierSamples)
{
    TCorrelator correlator;
    for (int i = 0; i < 10; ++i)
        correlator.Add(i, -i);
    correlator.Reset();
    for (int i = 0; i < 10; ++i)
        correlator.Add(i, 3 * i);
    EXPECT_EQ(correlator.Count(), 10);
    EXPECT_EQ(correlator.Coefficient(), 1.0L);
}

TEST(CorrelatorTest, ByteSumsOverLargeRingStayExact)
{
    // 3 x 40000 byte samples: the extended sums must still see a perfect correlation.
    TCorrelator correlator;
    for (int i = 0; i < 120000; ++i) {
        const int x = (i * 37) % 256;
        correlator.Add(x, 255 - x);
    }
    EXPECT_EQ(correlator.Coefficient(), -1.0L);
}
