#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "imaging/VxPictureFixtures.h"
#include "imaging/VxResample.h"

using namespace VxFixtures;

namespace {

const TLanczosResampler Lanczos;
const TQuickDraftResampler QuickDraft;

// Lanczos with the clamp switched off: its bytes are bits 16-23 of the raw sums, so a
// test can see the ringing that the real kernel clamps away.
class TUnclampedLanczos : public TLanczosResampler {
public:
    bool NeedsClamping() const override { return false; }
};

std::int32_t WeightSum(const TCluster& cluster)
{
    std::int32_t sum = 0;
    for (const TTap& tap : cluster)
        sum += tap.Weight;
    return sum;
}

std::unique_ptr<TVxPixelBuffer> ResampledCopy(const TVxPixels& source, std::int32_t width, std::int32_t height,
                                              const TPixelResampler& resampler, const TResampleOptions& options = {})
{
    auto target = std::make_unique<TVxPixelBuffer>(fmtBGR24, Bounds(0, 0, width, height));
    Resample(*target, target->GetBounds(), target->GetBounds(), resampler, source.GetBounds(), source, options);
    return target;
}

TResampleOptions PlainLoops()
{
    TResampleOptions options;
    options.Path = rpReference;
    return options;
}

} // namespace

TEST(VxResampleTest, KernelShapes)
{
    EXPECT_TRUE(Lanczos.NeedsClamping());
    EXPECT_EQ(Lanczos.Radius(), 3.0);
    EXPECT_EQ(Lanczos.Kernel(0.0), 1.0);
    EXPECT_EQ(Lanczos.Kernel(3.0), 0.0);
    EXPECT_EQ(Lanczos.Kernel(-4.5), 0.0);
    EXPECT_NEAR(Lanczos.Kernel(1.0), 0.0, 1e-15);
    EXPECT_EQ(Lanczos.Kernel(0.7), Lanczos.Kernel(-0.7));
    EXPECT_NEAR(Lanczos.Kernel(0.5), Sinc(0.5) * Sinc(0.5 / 3.0), 1e-16);
    EXPECT_NEAR(Sinc(0.5), 2.0 / 3.14159265358979323846, 1e-16);
    EXPECT_EQ(Sinc(0.0), 1.0);

    EXPECT_TRUE(QuickDraft.NeedsClamping());
    EXPECT_EQ(QuickDraft.Radius(), 0.0);
    EXPECT_EQ(QuickDraft.Kernel(0.0), 0.0);
    EXPECT_EQ(QuickDraft.Window(0.3), 1.0);
}

// Weights worked out by hand from the table rules (including the zero taps that are
// skipped and the correction of the middle tap).
TEST(VxResampleTest, MappingTableMatchesWorkedExamples)
{
    struct TCase {
        const char* Name;
        std::int32_t DestLow, DestHigh, SourceLow, SourceHigh;
        TMappingTable Expected;
    };
    const TCase cases[] = {
        {"enlarge2to4",
         0,
         4,
         0,
         2,
         {{{0, 2}, {0, -17}, {0, 69}, {0, 228}, {1, -34}, {1, 8}},
          {{0, 8}, {0, -34}, {0, 228}, {1, 69}, {1, -17}, {1, 2}},
          {{0, 2}, {0, -17}, {0, 69}, {1, 228}, {1, -34}, {1, 8}},
          {{0, 8}, {0, -34}, {1, 228}, {1, 69}, {1, -17}, {1, 2}}}},
        {"reduce7to3",
         0,
         3,
         0,
         7,
         {{{0, 3}, {0, -13}, {0, -10}, {0, 35}, {0, 94}, {1, 107}, {2, 56}, {4, -16}, {5, -4}, {6, 3}, {6, 1}},
          {{0, 2},
           {0, 2},
           {0, -9},
           {0, -15},
           {1, 15},
           {2, 77},
           {3, 112},
           {4, 77},
           {5, 15},
           {6, -15},
           {6, -9},
           {6, 2},
           {6, 2}},
          {{0, 1}, {0, 3}, {1, -4}, {2, -16}, {4, 56}, {5, 107}, {6, 94}, {6, 35}, {6, -10}, {6, -13}, {6, 3}}}},
        {"enlarge3to5",
         0,
         5,
         0,
         3,
         {{{0, 1}, {0, -13}, {0, 53}, {0, 238}, {1, -30}, {2, 7}},
          {{0, 8}, {0, -38}, {0, 190}, {1, 121}, {2, -29}, {2, 4}},
          {{1, 256}},
          {{0, 4}, {0, -29}, {1, 123}, {2, 188}, {2, -38}, {2, 8}},
          {{0, 7}, {1, -30}, {2, 238}, {2, 53}, {2, -13}, {2, 1}}}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(BuildMappingTable(c.DestLow, c.DestHigh, c.DestLow, c.DestHigh, c.SourceLow, c.SourceHigh, Lanczos),
                  c.Expected);
    }
}

TEST(VxResampleTest, ScaleOneIsOneTapPerPixel)
{
    const TMappingTable table = BuildMappingTable(10, 30, 10, 30, 5, 25, Lanczos);
    ASSERT_EQ(table.size(), 20u);
    for (std::size_t i = 0; i < table.size(); ++i)
        EXPECT_EQ(table[i], (TCluster{TTap{static_cast<std::int32_t>(5 + i), 256}})) << i;
}

TEST(VxResampleTest, EveryClusterSumsTo256WithinTheSource)
{
    struct TCase {
        std::int32_t DestLow, DestHigh, ClipLow, ClipHigh, SourceLow, SourceHigh;
    };
    const TCase cases[] = {
        {0, 100, 0, 100, 0, 7},      {0, 7, 0, 7, 0, 100},        {0, 3, 0, 3, 0, 1000},  {0, 1000, 0, 1000, 0, 999},
        {-20, 50, 0, 30, 3, 17},     {0, 64, 10, 20, -8, 8},      {0, 2, 0, 2, 0, 3},     {0, 1, 0, 1, 0, 5000},
        {5, 6000, 5, 6000, 0, 4000}, {0, 4000, 0, 4000, 0, 6000}, {0, 33, 0, 33, 100, 2},
    };
    for (const TPixelResampler* resampler :
         {static_cast<const TPixelResampler*>(&Lanczos), static_cast<const TPixelResampler*>(&QuickDraft)})
        for (const TCase& c : cases) {
            SCOPED_TRACE(std::to_string(c.DestHigh - c.DestLow) + " from " +
                         std::to_string(c.SourceHigh - c.SourceLow));
            const TMappingTable table =
                BuildMappingTable(c.DestLow, c.DestHigh, c.ClipLow, c.ClipHigh, c.SourceLow, c.SourceHigh, *resampler);
            if (c.SourceHigh <= c.SourceLow) {
                EXPECT_TRUE(table.empty());
                continue;
            }
            ASSERT_EQ(table.size(), static_cast<std::size_t>(c.ClipHigh - c.ClipLow));
            for (const TCluster& cluster : table) {
                ASSERT_FALSE(cluster.empty());
                EXPECT_EQ(WeightSum(cluster), 256);
                for (std::size_t k = 0; k < cluster.size(); ++k) {
                    EXPECT_GE(cluster[k].Index, c.SourceLow);
                    EXPECT_LT(cluster[k].Index, c.SourceHigh);
                    if (k > 0) {
                        EXPECT_GE(cluster[k].Index, cluster[k - 1].Index);
                    }
                }
            }
        }
}

TEST(VxResampleTest, DegenerateRanges)
{
    EXPECT_TRUE(BuildMappingTable(0, 10, 0, 10, 4, 4, Lanczos).empty());
    EXPECT_TRUE(BuildMappingTable(0, 10, 5, 5, 0, 4, Lanczos).empty());
    EXPECT_EQ(BuildMappingTable(0, 10, 0, 3, 7, 8, Lanczos), (TMappingTable(3, TCluster{TTap{7, 256}})));
    // A zero-length destination takes the middle source pixel.
    EXPECT_EQ(BuildMappingTable(4, 4, 4, 5, 2, 9, Lanczos), (TMappingTable(1, TCluster{TTap{5, 256}})));
}

TEST(VxResampleTest, QuickDraftIsFloorSampling)
{
    TVxPixelBuffer source(fmtBGR24, Bounds(0, 0, 23, 17));
    FillWithCoordinates(source);
    const auto targetCopy = ResampledCopy(source, 7, 5, QuickDraft);
    const TVxPixelBuffer& target = *targetCopy;
    for (std::int32_t y = 0; y < 5; ++y)
        for (std::int32_t x = 0; x < 7; ++x) {
            const auto sx = static_cast<std::int32_t>(std::floor(-0.5 + (x + 0.5) / (7.0 / 23.0)));
            const auto sy = static_cast<std::int32_t>(std::floor(-0.5 + (y + 0.5) / (5.0 / 17.0)));
            EXPECT_TRUE(PixelIs(target, x, y, static_cast<std::uint8_t>(sx), static_cast<std::uint8_t>(sy), 0x5A))
                << x << "," << y;
        }
}

class VxResamplePathTest : public testing::TestWithParam<TResamplePath> {
protected:
    TResampleOptions Options() const
    {
        TResampleOptions options;
        options.Path = GetParam();
        return options;
    }
};

TEST_P(VxResamplePathTest, ScaleOneReproducesTheSource)
{
    for (const TSize size : {TSize{1, 1}, TSize{2, 3}, TSize{7, 5}, TSize{33, 17}, TSize{64, 2}}) {
        SCOPED_TRACE(std::to_string(size.Width) + "x" + std::to_string(size.Height));
        TVxPixelBuffer source(fmtBGR24, Bounds(0, 0, size.Width, size.Height));
        FillRandom(source, 7);
        EXPECT_TRUE(SamePixels(*ResampledCopy(source, size.Width, size.Height, Lanczos, Options()), source));
    }
}

TEST_P(VxResamplePathTest, OnePixelWideSourceFillsEveryColumn)
{
    TVxPixelBuffer source(fmtBGR24, Bounds(0, 0, 1, 6));
    FillRandom(source, 3);
    const auto targetCopy = ResampledCopy(source, 9, 6, Lanczos, Options());
    const TVxPixelBuffer& target = *targetCopy;
    for (std::int32_t y = 0; y < 6; ++y)
        for (std::int32_t x = 0; x < 9; ++x)
            EXPECT_EQ(std::memcmp(target.PixelAddress(x, y), source.PixelAddress(0, y), 3), 0) << x << "," << y;
}

TEST_P(VxResamplePathTest, UniformPictureStaysUniform)
{
    const TSize sizes[] = {{13, 9}, {40, 3}, {3, 40}, {1, 1}, {100, 61}, {7, 7}};
    for (const int value : {0, 1, 127, 254, 255})
        for (const TSize size : sizes)
            for (const TPixelResampler* resampler :
                 {static_cast<const TPixelResampler*>(&Lanczos), static_cast<const TPixelResampler*>(&QuickDraft)}) {
                SCOPED_TRACE(std::to_string(value) + " to " + std::to_string(size.Width) + "x" +
                             std::to_string(size.Height));
                TVxPixelBuffer source(fmtBGR24, Bounds(0, 0, 21, 14));
                const auto v = static_cast<std::uint8_t>(value);
                FillUniform(source, v, v, v);
                const auto targetCopy = ResampledCopy(source, size.Width, size.Height, *resampler, Options());
                const TVxPixelBuffer& target = *targetCopy;
                for (std::int32_t y = 0; y < size.Height; ++y)
                    for (std::int32_t x = 0; x < size.Width; ++x)
                        ASSERT_TRUE(PixelIs(target, x, y, v, v, v)) << x << "," << y;
            }
}

TEST_P(VxResamplePathTest, RingingAtAHardEdgeIsClamped)
{
    // Black left half, white right half, enlarged: Lanczos overshoots on both sides of
    // the edge. Unclamped, the overshoot wraps into nonsense bytes; clamped it is 0 and 255.
    TVxPixelBuffer source(fmtBGR24, Bounds(0, 0, 8, 1));
    FillUniform(source, 0, 0, 0);
    for (std::int32_t x = 4; x < 8; ++x)
        std::memset(source.PixelAddress(x, 0), 255, 3);
    const auto clampedCopy = ResampledCopy(source, 32, 1, Lanczos, Options());
    const auto wrappedCopy = ResampledCopy(source, 32, 1, TUnclampedLanczos(), Options());
    const TVxPixelBuffer& clamped = *clampedCopy;
    const TVxPixelBuffer& wrapped = *wrappedCopy;
    std::int32_t clampedLow = 0, clampedHigh = 0;
    for (std::int32_t x = 0; x < 32; ++x) {
        const std::uint8_t c = clamped.PixelAddress(x, 0)[0];
        const std::uint8_t w = wrapped.PixelAddress(x, 0)[0];
        if (c != w) {
            EXPECT_TRUE(c == 0 || c == 255) << x;
            (c == 0 ? clampedLow : clampedHigh)++;
        }
    }
    EXPECT_GT(clampedLow, 0);
    EXPECT_GT(clampedHigh, 0);
}

TEST_P(VxResamplePathTest, PartOfALargerDestinationRectangle)
{
    // Only the clip is computed, at the positions the whole rectangle gives it.
    TVxPixelBuffer source(fmtBGR24, Bounds(0, 0, 37, 29));
    FillRandom(source, 11);
    const auto wholeCopy = ResampledCopy(source, 60, 45, Lanczos, Options());
    const TVxPixelBuffer& whole = *wholeCopy;
    TVxPixelBuffer part(fmtBGR24, Bounds(10, 20, 25, 15));
    Resample(part, Bounds(0, 0, 60, 45), Bounds(0, 0, 60, 45), Lanczos, source.GetBounds(), source, Options());
    for (std::int32_t y = 20; y < 35; ++y)
        EXPECT_EQ(std::memcmp(part.Row(y), whole.PixelAddress(10, y), 25 * 3), 0) << y;
}

TEST_P(VxResamplePathTest, NothingIsWrittenOutsideTheClip)
{
    TVxPixelBuffer source(fmtBGR24, Bounds(0, 0, 10, 10));
    FillRandom(source, 5);
    TVxPixelBuffer target(fmtBGR24, Bounds(0, 0, 20, 20));
    FillUniform(target, 1, 2, 3);
    Resample(target, target.GetBounds(), Rect(5, 6, 9, 8), Lanczos, source.GetBounds(), source, Options());
    for (std::int32_t y = 0; y < 20; ++y)
        for (std::int32_t x = 0; x < 20; ++x)
            if (!Bounds(5, 6, 4, 2).Contains(x, y)) {
                ASSERT_TRUE(PixelIs(target, x, y, 1, 2, 3)) << x << "," << y;
            }
    // An empty clip or an empty source writes nothing at all.
    TVxPixelBuffer untouched(fmtBGR24, Bounds(0, 0, 20, 20));
    FillUniform(untouched, 1, 2, 3);
    Resample(untouched, untouched.GetBounds(), Bounds(30, 30, 40, 40), Lanczos, source.GetBounds(), source, Options());
    Resample(untouched, untouched.GetBounds(), untouched.GetBounds(), Lanczos, Bounds(3, 3, 0, 5), source, Options());
    for (std::int32_t y = 0; y < 20; ++y)
        for (std::int32_t x = 0; x < 20; ++x)
            ASSERT_TRUE(PixelIs(untouched, x, y, 1, 2, 3));
}

TEST_P(VxResamplePathTest, ClipBeyondTheDestinationRectangleStaysInTheSource)
{
    // The quick-draft fallback tap used to point past the source for such positions.
    TVxPixelBuffer source(fmtBGR24, Bounds(0, 0, 40, 40));
    FillWithCoordinates(source);
    TVxPixelBuffer target(fmtBGR24, Bounds(0, 0, 30, 30));
    Resample(target, Bounds(0, 0, 10, 10), target.GetBounds(), QuickDraft, source.GetBounds(), source, Options());
    EXPECT_TRUE(PixelIs(target, 29, 29, 39, 39, 0x5A));
    Resample(target, Bounds(0, 0, 10, 10), target.GetBounds(), Lanczos, source.GetBounds(), source, Options());
    EXPECT_TRUE(PixelIs(target, 29, 29, 39, 39, 0x5A));
}

INSTANTIATE_TEST_SUITE_P(Paths, VxResamplePathTest, testing::Values(rpFastest, rpPortable, rpReference),
                         [](const testing::TestParamInfo<TResamplePath>& info) {
                             return std::string(info.param == rpFastest    ? "Fastest"
                                                : info.param == rpPortable ? "Portable"
                                                                           : "Reference");
                         });

// The vector and threaded paths must give the bytes of the plain loops.
TEST(VxResampleTest, AllPathsAgree)
{
    struct TCase {
        TRect Source;
        TRect DestBuffer;
        TRect DestRect;
        TRect Clip;
    };
    const TCase cases[] = {
        {Bounds(0, 0, 97, 61), Bounds(0, 0, 48, 30), Bounds(0, 0, 48, 30), Bounds(0, 0, 48, 30)},
        {Bounds(0, 0, 97, 61), Bounds(0, 0, 211, 143), Bounds(0, 0, 211, 143), Bounds(0, 0, 211, 143)},
        {Bounds(0, 0, 300, 200), Bounds(0, 0, 211, 141), Bounds(0, 0, 211, 141), Bounds(0, 0, 211, 141)},
        {Bounds(0, 0, 1021, 37), Bounds(0, 0, 93, 80), Bounds(0, 0, 93, 80), Bounds(0, 0, 93, 80)},
        {Bounds(0, 0, 5, 300), Bounds(0, 0, 333, 7), Bounds(0, 0, 333, 7), Bounds(0, 0, 333, 7)},
        {Bounds(3, 4, 50, 40), Bounds(-7, 2, 80, 70), Bounds(-20, -5, 120, 90), Bounds(0, 10, 40, 50)},
        {Bounds(0, 0, 2000, 3), Bounds(0, 0, 7, 3), Bounds(0, 0, 7, 3), Bounds(0, 0, 7, 3)},
        {Bounds(0, 0, 64, 64), Bounds(0, 0, 64, 64), Bounds(0, 0, 64, 64), Bounds(0, 0, 64, 64)},
        {Bounds(0, 0, 1, 1), Bounds(0, 0, 19, 23), Bounds(0, 0, 19, 23), Bounds(0, 0, 19, 23)},
    };
    std::uint32_t seed = 1;
    for (const TCase& c : cases)
        for (const TPixelResampler* resampler :
             {static_cast<const TPixelResampler*>(&Lanczos), static_cast<const TPixelResampler*>(&QuickDraft)}) {
            SCOPED_TRACE(std::to_string(c.Source.Width()) + "x" + std::to_string(c.Source.Height()) + " to " +
                         std::to_string(c.DestRect.Width()) + "x" + std::to_string(c.DestRect.Height()));
            TVxPixelBuffer source(fmtBGR24, c.Source);
            FillRandom(source, seed++);
            TVxPixelBuffer reference(fmtBGR24, c.DestBuffer);
            Resample(reference, c.DestRect, c.Clip, *resampler, source.GetBounds(), source, PlainLoops());
            for (const std::int32_t threads : {1, 2, 3}) {
                for (const TResamplePath path : {rpFastest, rpPortable, rpReference}) {
                    TResampleOptions options;
                    options.Threads = threads;
                    options.Path = path;
                    TVxPixelBuffer target(fmtBGR24, c.DestBuffer);
                    Resample(target, c.DestRect, c.Clip, *resampler, source.GetBounds(), source, options);
                    EXPECT_TRUE(SamePixels(target, reference)) << "threads " << threads << " path " << path;
                }
            }
        }
}

TEST(VxResampleTest, OtherFormatsAreLeftAlone)
{
    TVxPixelBuffer source(fmtBGRA32, Bounds(0, 0, 4, 4));
    std::memset(source.Data(), 200, static_cast<std::size_t>(source.Stride()) * 4);
    TVxPixelBuffer target(fmtBGR24, Bounds(0, 0, 8, 8));
    Resample(target, target.GetBounds(), target.GetBounds(), Lanczos, source.GetBounds(), source);
    EXPECT_TRUE(PixelIs(target, 3, 3, 0, 0, 0));
}

TEST(VxResampleTest, ThreadCountIsPositive)
{
    EXPECT_GE(ResampleThreadCount(), 1);
}
