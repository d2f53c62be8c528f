// Pasting a cut-out object: every destination pixel samples the object once, so the
// cost is one Sample per pixel. Beside it: the same walk without work (the floor), and
// the plain radial sampler of a picture without matte (SampleRadial, filter 2).
#include <benchmark/benchmark.h>

#include <cstdint>

#include "imaging/VxRadialFilter.h"
#include "paste/BGRWithAlpha.h"

namespace {

void FillObject(TBGRWithAlpha& object, std::int32_t width, std::int32_t height)
{
    object.SetSize(width, height);
    object.Alpha().SetSize(width, height);
    for (std::int32_t x = 0; x < width; ++x)
        for (std::int32_t y = 0; y < height; ++y) {
            std::uint8_t* p = object.Pixel(x, y);
            p[0] = static_cast<std::uint8_t>(x), p[1] = static_cast<std::uint8_t>(y), p[2] = 90;
            object.Alpha().SetValue(x, y, static_cast<std::uint8_t>((x * 7 + y * 3) & 255));
        }
}

// The object drawn 1.3 times larger than it is, as a paste of a reduced object does.
template <typename TSampleAt> void Walk(benchmark::State& state, TSampleAt&& sampleAt)
{
    const auto width = static_cast<std::int32_t>(state.range(0));
    const auto height = static_cast<std::int32_t>(state.range(1));
    const std::int32_t destWidth = width * 13 / 10;
    const std::int32_t destHeight = height * 13 / 10;
    for (auto _ : state) {
        std::uint32_t sum = 0;
        for (std::int32_t x = 0; x < destWidth; ++x)
            for (std::int32_t y = 0; y < destHeight; ++y)
                sum += sampleAt(x / 1.3, y / 1.3);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * destWidth * destHeight);
}

void BM_WalkOnly(benchmark::State& state)
{
    Walk(state, [](double x, double y) { return static_cast<std::uint32_t>(x + y); });
}

void BM_SampleNearest(benchmark::State& state)
{
    TBGRWithAlpha object;
    FillObject(object, static_cast<std::int32_t>(state.range(0)), static_cast<std::int32_t>(state.range(1)));
    const std::uint8_t background[3] = {10, 20, 30};
    Walk(state, [&](double x, double y) { return object.Sample(0, x, y, background); });
}

void BM_SampleHermite(benchmark::State& state)
{
    TBGRWithAlpha object;
    FillObject(object, static_cast<std::int32_t>(state.range(0)), static_cast<std::int32_t>(state.range(1)));
    object.SetMirrorX(true);
    const std::uint8_t background[3] = {10, 20, 30};
    Walk(state, [&](double x, double y) { return object.Sample(2, x, y, background); });
}

void BM_SampleRadialPicture(benchmark::State& state)
{
    TVxPixelBuffer picture(
        fmtBGR24, TRect{0, 0, static_cast<std::int32_t>(state.range(0)), static_cast<std::int32_t>(state.range(1))});
    Walk(state, [&](double x, double y) { return SampleRadial(picture, 2, x, y); });
}

} // namespace

BENCHMARK(BM_WalkOnly)->Args({1021, 1084})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SampleNearest)->Args({1021, 1084})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SampleHermite)->Args({1021, 1084})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SampleRadialPicture)->Args({1021, 1084})->Unit(benchmark::kMillisecond);
