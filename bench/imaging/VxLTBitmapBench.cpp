// Whole-image operations of the device bitmap, each including the allocation of the new
// picture (that is part of what the editor waits for).
#include <benchmark/benchmark.h>

#include <cstring>

#include "imaging/VxLTBitmap.h"

namespace {

void Fill(TVxLTBitmap& bitmap)
{
    TVxPixels& pixels = *bitmap.GetPixels();
    for (std::int32_t y = 0; y < pixels.Height(); ++y)
        std::memset(pixels.Row(y), static_cast<int>(y & 0xFF), static_cast<std::size_t>(pixels.Stride()));
}

template <bool (TVxLTBitmap::*Operation)()> void BM_Operation(benchmark::State& state)
{
    const auto width = static_cast<std::int32_t>(state.range(0));
    const auto height = static_cast<std::int32_t>(state.range(1));
    TVxLTBitmap bitmap;
    if (!bitmap.Allocate(width, height, fmtBGR24)) {
        state.SkipWithError("no memory");
        return;
    }
    Fill(bitmap);
    for (auto _ : state) {
        benchmark::DoNotOptimize((bitmap.*Operation)());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(width) * height * 3);
}

// The skeleton: a plain copy of the same pixels into fresh memory.
void BM_CloneBaseline(benchmark::State& state)
{
    TVxLTBitmap bitmap;
    bitmap.Allocate(static_cast<std::int32_t>(state.range(0)), static_cast<std::int32_t>(state.range(1)), fmtBGR24);
    Fill(bitmap);
    for (auto _ : state)
        benchmark::DoNotOptimize(bitmap.Clone());
    state.SetBytesProcessed(state.iterations() * state.range(0) * state.range(1) * 3);
}

BENCHMARK(BM_CloneBaseline)->Args({4096, 4096})->Args({1021, 1084})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Operation<&TVxLTBitmap::RotateLeft>)
    ->Name("BM_RotateLeft")
    ->Args({4096, 4096})
    ->Args({1021, 1084})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Operation<&TVxLTBitmap::RotateRight>)
    ->Name("BM_RotateRight")
    ->Args({4096, 4096})
    ->Args({1021, 1084})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Operation<&TVxLTBitmap::FlipHorizontal>)
    ->Name("BM_FlipHorizontal")
    ->Args({4096, 4096})
    ->Args({1021, 1084})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Operation<&TVxLTBitmap::FlipVertical>)
    ->Name("BM_FlipVertical")
    ->Args({4096, 4096})
    ->Args({1021, 1084})
    ->Unit(benchmark::kMillisecond);

} // namespace
