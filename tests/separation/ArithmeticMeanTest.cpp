#include <gtest/gtest.h>

#include <cmath>
#include <new>
#include <vector>

#include "separation/ArithmeticMean.h"

namespace {

std::uint32_t Grey(int v)
{
    return static_cast<std::uint32_t>(v) * 0x010101u;
}

// Fills every channel with a different pattern so the three channels are not alike.
void FillPattern(TArithmeticMean& mean)
{
    for (std::int32_t x = 0; x < mean.Width(); ++x)
        for (std::int32_t y = 0; y < mean.Height(); ++y) {
            const std::uint32_t b = (x * 37 + y * 11) % 256, g = (x * x + 3 * y) % 256,
                                r = (255 - x * 5 - y * 7 + 1024) % 256;
            mean.Put(x, y, b | (g << 8) | (r << 16));
        }
}

// The textbook form: every line on its own, one element at a time, the window primed
// with the elements before the radius.
std::vector<float> ReferenceLine(const std::vector<float>& line, int radius)
{
    const int n = static_cast<int>(line.size());
    std::vector<float> out(line.size());
    float sum = 0;
    int count = 0;
    for (int i = 0; i < std::min(radius, n); ++i, ++count)
        sum = sum + line[i];
    for (int d = 0; d < n; ++d) {
        if (d + radius < n) {
            sum = sum + line[d + radius];
            ++count;
        }
        if (d - radius - 1 >= 0) {
            sum = sum - line[d - radius - 1];
            --count;
        }
        out[d] = sum / static_cast<float>(count);
    }
    return out;
}

class TCountingMeter : public IVxProgressMeter {
public:
    void Reset(std::int32_t maximum) override { Resets.push_back(maximum); }
    void Step() override { ++Steps; }
    std::vector<std::int32_t> Resets;
    int Steps = 0;
};

} // namespace

TEST(ArithmeticMeanTest, ConstantStaysConstant)
{
    for (int radius : {0, 1, 3, 9, 243}) {
        SCOPED_TRACE(radius);
        TArithmeticMean mean;
        mean.SetSize(7, 5);
        for (std::int32_t x = 0; x < 7; ++x)
            for (std::int32_t y = 0; y < 5; ++y)
                mean.Put(x, y, 0x405080);
        mean.Blur(radius);
        for (std::int32_t x = 0; x < 7; ++x)
            for (std::int32_t y = 0; y < 5; ++y)
                EXPECT_EQ(mean.Get(x, y), 0x405080u);
    }
}

TEST(ArithmeticMeanTest, RadiusBeyondThePictureGivesTheMeanOfColumnMeans)
{
    const std::int32_t w = 4, h = 3;
    TArithmeticMean mean;
    mean.SetSize(w, h);
    const int values[4][3] = {{0, 10, 200}, {30, 30, 30}, {255, 0, 1}, {7, 90, 99}};
    for (std::int32_t x = 0; x < w; ++x)
        for (std::int32_t y = 0; y < h; ++y)
            mean.Put(x, y, Grey(values[x][y]));
    mean.Blur(27);
    float columnMeans = 0;
    for (std::int32_t x = 0; x < w; ++x) {
        float sum = 0;
        for (std::int32_t y = 0; y < h; ++y)
            sum = sum + static_cast<float>(values[x][y]);
        columnMeans = columnMeans + sum / static_cast<float>(h);
    }
    const std::uint32_t expected = Grey(static_cast<int>(std::nearbyint(columnMeans / static_cast<float>(w))));
    for (std::int32_t x = 0; x < w; ++x)
        for (std::int32_t y = 0; y < h; ++y)
            EXPECT_EQ(mean.Get(x, y), expected) << x << "," << y;
}

// Rows are blurred together, column by column; each row must still come out exactly as
// when it is blurred on its own.
TEST(ArithmeticMeanTest, MatchesLineByLineReferenceBitForBit)
{
    for (int radius : {0, 1, 2, 5, 40}) {
        SCOPED_TRACE(radius);
        const std::int32_t w = 13, h = 11;
        TArithmeticMean mean;
        mean.SetSize(w, h);
        FillPattern(mean);
        std::vector<std::vector<float>> channel[3];
        for (int c = 0; c < 3; ++c) {
            channel[c].assign(w, std::vector<float>(h));
            for (std::int32_t x = 0; x < w; ++x)
                for (std::int32_t y = 0; y < h; ++y) {
                    const std::uint32_t b = (x * 37 + y * 11) % 256, g = (x * x + 3 * y) % 256,
                                        r = (255 - x * 5 - y * 7 + 1024) % 256;
                    channel[c][x][y] = static_cast<float>(c == 0 ? b : c == 1 ? g : r);
                }
            for (std::int32_t x = 0; x < w; ++x)
                channel[c][x] = ReferenceLine(channel[c][x], radius);
            for (std::int32_t y = 0; y < h; ++y) {
                std::vector<float> row(w);
                for (std::int32_t x = 0; x < w; ++x)
                    row[x] = channel[c][x][y];
                row = ReferenceLine(row, radius);
                for (std::int32_t x = 0; x < w; ++x)
                    channel[c][x][y] = row[x];
            }
        }
        mean.Blur(radius);
        for (std::int32_t x = 0; x < w; ++x)
            for (std::int32_t y = 0; y < h; ++y) {
                std::uint32_t expected = 0;
                for (int c = 0; c < 3; ++c)
                    expected |= static_cast<std::uint32_t>(std::nearbyint(channel[c][x][y])) << (8 * c);
                ASSERT_EQ(mean.Get(x, y), expected) << x << "," << y;
            }
    }
}

TEST(ArithmeticMeanTest, MeterGetsWidthPlusHeightStepsAndIsReset)
{
    for (auto [w, h] : {std::pair{5, 3}, std::pair{3, 8}, std::pair{1, 1}, std::pair{0, 4}}) {
        SCOPED_TRACE(w * 100 + h);
        TArithmeticMean mean;
        mean.SetSize(w, h);
        TCountingMeter meter;
        mean.Blur(3, &meter);
        EXPECT_EQ(meter.Steps, w + h);
        EXPECT_EQ(meter.Resets, (std::vector<std::int32_t>{w + h, 0}));
    }
}

TEST(ArithmeticMeanTest, GetRoundsHalfToEven)
{
    TArithmeticMean mean;
    mean.SetSize(2, 1);
    mean.Put(0, 0, Grey(0));
    mean.Put(1, 0, Grey(1)); // mean 0.5 -> 0
    mean.Blur(1);
    EXPECT_EQ(mean.Get(0, 0), 0u);
    mean.Put(0, 0, Grey(2));
    mean.Put(1, 0, Grey(1)); // mean 1.5 -> 2
    mean.Blur(1);
    EXPECT_EQ(mean.Get(1, 0), Grey(2));
}

// A count that wraps in a 32-bit size_t would leave small planes behind a large claimed
// size; it is refused before anything is allocated.
TEST(ArithmeticMeanTest, SizeTooLargeForTheAddressSpaceIsRefused)
{
    TArithmeticMean mean;
    EXPECT_THROW(mean.SetSize(1 << 20, (1 << 20) + 1), std::bad_alloc);
}
