// Whole-buffer copies and column moves of a 24-megapixel picture, beside memcpy of the
// same bytes (the physical limit of this machine).
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "imaging/VxBitmap.h"

namespace {

void Fill(TVxPixelBuffer& buffer)
{
    for (std::int32_t y = 0; y < buffer.Height(); ++y) {
        std::uint8_t* row = buffer.Row(y);
        for (std::int32_t i = 0; i < buffer.Stride(); ++i)
            row[i] = static_cast<std::uint8_t>(i * 7 + y);
    }
}

void BM_Memcpy(benchmark::State& state)
{
    const std::size_t bytes = static_cast<std::size_t>(DibStride(24, static_cast<std::int32_t>(state.range(0)))) * state.range(1);
    std::vector<std::uint8_t> from(bytes, 1), to(bytes, 0);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

void BM_CopyRect(benchmark::State& state)
{
    const TRect bounds = Bounds(0, 0, static_cast<std::int32_t>(state.range(0)), static_cast<std::int32_t>(state.range(1)));
    TVxPixelBuffer source(fmtBGR24, bounds), target(fmtBGR24, bounds);
    Fill(source);
    for (auto _ : state) {
        target.CopyRect(0, 0, source, bounds);
        benchmark::DoNotOptimize(target.Data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * bounds.Width() * 3 * bounds.Height());
}

// Seam carving's inner move: every column of the picture shifted up by one row.
void BM_MoveColumnRun(benchmark::State& state)
{
    const std::int32_t width = static_cast<std::int32_t>(state.range(0));
    const std::int32_t height = static_cast<std::int32_t>(state.range(1));
    TVxPixelBuffer buffer(fmtBGR24, Bounds(0, 0, width, height));
    Fill(buffer);
    for (auto _ : state) {
        for (std::int32_t x = 0; x < width; ++x)
            buffer.MoveColumnRun(x, 1, height - 1, 0);
        benchmark::DoNotOptimize(buffer.Data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * width * 3 * (height - 1));
}

void BM_MoveRowRun(benchmark::State& state)
{
    const std::int32_t width = static_cast<std::int32_t>(state.range(0));
    const std::int32_t height = static_cast<std::int32_t>(state.range(1));
    TVxPixelBuffer buffer(fmtBGR24, Bounds(0, 0, width, height));
    Fill(buffer);
    for (auto _ : state) {
        for (std::int32_t y = 0; y < height; ++y)
            buffer.MoveRowRun(y, 1, width - 1, 0);
        benchmark::DoNotOptimize(buffer.Data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * (width - 1) * 3 * height);
}

}  // namespace

BENCHMARK(BM_Memcpy)->Args({6000, 4000})->Args({1021, 1084})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyRect)->Args({6000, 4000})->Args({1021, 1084})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MoveColumnRun)->Args({6000, 4000})->Args({1021, 1084})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MoveRowRun)->Args({6000, 4000})->Args({1021, 1084})->Unit(benchmark::kMillisecond);
