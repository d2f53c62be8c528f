// Lanczos-3 resampling of photograph-sized pictures, in output megapixels per second.
//
// Peers (Pillow's LANCZOS, libvips' resize) are run by run-resample-peers.sh on the very
// same input, which this program writes when asked:
//   VX_RESAMPLE_EXPORT=/tmp/dir VxResampleBench --benchmark_filter=ExportInputs
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "imaging/VxBitmap.h"
#include "imaging/VxResample.h"

namespace {

struct TCase {
    std::int32_t SourceWidth, SourceHeight, TargetWidth, TargetHeight;
};

// 24 MP to 6 MP and to 12 MP, 2 MP to 8 MP, and an awkward odd-sized reduction.
constexpr TCase Cases[] = {
    {6000, 4000, 3000, 2000},
    {6000, 4000, 4243, 2828},
    {1732, 1155, 3464, 2310},
    {1021, 1084, 677, 383},
};

// Smooth shading, a few hard-edged shapes and fine grain: what a photograph gives a
// resampler to do, made the same way on every run.
void PaintPhotograph(TVxPixels& picture)
{
    const std::int32_t w = picture.Width(), h = picture.Height();
    std::vector<float> column(static_cast<std::size_t>(w)), row(static_cast<std::size_t>(h));
    for (std::int32_t x = 0; x < w; ++x)
        column[static_cast<std::size_t>(x)] = 60.0f * std::sin(x * 0.0041f) + 25.0f * std::sin(x * 0.037f);
    for (std::int32_t y = 0; y < h; ++y)
        row[static_cast<std::size_t>(y)] = 50.0f * std::cos(y * 0.0057f) + 20.0f * std::sin(y * 0.029f);
    std::uint32_t seed = 12345;
    for (std::int32_t y = 0; y < h; ++y) {
        std::uint8_t* p = picture.Row(y);
        for (std::int32_t x = 0; x < w; ++x, p += 3) {
            seed = seed * 1664525u + 1013904223u;
            const int grain = static_cast<int>(seed >> 28) - 8;
            const bool shape = ((x / 397) + (y / 263)) % 3 == 0 && (x % 397) > 40 && (y % 263) > 30;
            const float base = 128.0f + column[static_cast<std::size_t>(x)] + row[static_cast<std::size_t>(y)] +
                               (shape ? 60.0f : 0.0f);
            for (int c = 0; c < 3; ++c) {
                const int value = static_cast<int>(base * (0.8f + 0.15f * c)) + grain;
                p[c] = static_cast<std::uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
            }
        }
    }
}

const TVxPixelBuffer& Photograph(std::int32_t width, std::int32_t height)
{
    static std::map<std::pair<std::int32_t, std::int32_t>, std::unique_ptr<TVxPixelBuffer>> cache;
    auto& slot = cache[{width, height}];
    if (!slot) {
        slot = std::make_unique<TVxPixelBuffer>(fmtBGR24, Bounds(0, 0, width, height));
        PaintPhotograph(*slot);
    }
    return *slot;
}

const TCase& CaseOf(const benchmark::State& state)
{
    return Cases[state.range(0)];
}

void SetThroughput(benchmark::State& state, const TCase& c)
{
    const double outputPixels = static_cast<double>(c.TargetWidth) * c.TargetHeight;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * outputPixels * 3));
    state.counters["MP/s"] = benchmark::Counter(outputPixels / 1e6, benchmark::Counter::kIsIterationInvariantRate);
    state.SetLabel(std::to_string(c.SourceWidth) + "x" + std::to_string(c.SourceHeight) + " to " +
                   std::to_string(c.TargetWidth) + "x" + std::to_string(c.TargetHeight));
}

void RunResample(benchmark::State& state, TResamplePath path, std::int32_t threads)
{
    const TCase& c = CaseOf(state);
    const TVxPixelBuffer& source = Photograph(c.SourceWidth, c.SourceHeight);
    TVxPixelBuffer target(fmtBGR24, Bounds(0, 0, c.TargetWidth, c.TargetHeight));
    const TLanczosResampler lanczos;
    TResampleOptions options;
    options.Path = path;
    options.Threads = threads;
    for (auto _ : state) {
        Resample(target, target.GetBounds(), target.GetBounds(), lanczos, source.GetBounds(), source, options);
        benchmark::DoNotOptimize(target.Data());
        benchmark::ClobberMemory();
    }
    SetThroughput(state, c);
}

// The loop with no resampling: what writing the output alone costs.
void BM_Skeleton(benchmark::State& state)
{
    const TCase& c = CaseOf(state);
    TVxPixelBuffer target(fmtBGR24, Bounds(0, 0, c.TargetWidth, c.TargetHeight));
    for (auto _ : state) {
        std::memset(target.Data(), 0x40, static_cast<std::size_t>(target.Stride()) * c.TargetHeight);
        benchmark::DoNotOptimize(target.Data());
        benchmark::ClobberMemory();
    }
    SetThroughput(state, c);
}

void BM_LanczosReference(benchmark::State& state)
{
    RunResample(state, rpReference, 1);
}
void BM_LanczosPortable(benchmark::State& state)
{
    RunResample(state, rpPortable, 1);
}
void BM_LanczosSingle(benchmark::State& state)
{
    RunResample(state, rpFastest, 1);
}
void BM_LanczosBothCores(benchmark::State& state)
{
    RunResample(state, rpFastest, 2);
}

void AllCases(benchmark::internal::Benchmark* b)
{
    for (std::int64_t i = 0; i < static_cast<std::int64_t>(std::size(Cases)); ++i)
        b->Arg(i);
    b->Unit(benchmark::kMillisecond)->MinTime(1.0);
}

BENCHMARK(BM_Skeleton)->Apply(AllCases);
BENCHMARK(BM_LanczosReference)->Apply(AllCases);
BENCHMARK(BM_LanczosPortable)->Apply(AllCases);
BENCHMARK(BM_LanczosSingle)->Apply(AllCases);
BENCHMARK(BM_LanczosBothCores)->Apply(AllCases)->UseRealTime();

// Writes each case's input as a binary PPM (red, green, blue) for the peers.
void BM_ExportInputs(benchmark::State& state)
{
    const char* folder = std::getenv("VX_RESAMPLE_EXPORT");
    for (auto _ : state) {
        if (!folder)
            continue;
        for (const TCase& c : Cases) {
            const TVxPixelBuffer& picture = Photograph(c.SourceWidth, c.SourceHeight);
            const std::string name = std::string(folder) + "/photo-" + std::to_string(c.SourceWidth) + "x" +
                                     std::to_string(c.SourceHeight) + ".ppm";
            std::ofstream out(name, std::ios::binary);
            out << "P6\n" << c.SourceWidth << " " << c.SourceHeight << "\n255\n";
            std::vector<char> line(static_cast<std::size_t>(c.SourceWidth) * 3);
            for (std::int32_t y = 0; y < c.SourceHeight; ++y) {
                const std::uint8_t* p = picture.Row(y);
                for (std::int32_t x = 0; x < c.SourceWidth; ++x) {
                    line[static_cast<std::size_t>(x) * 3] = static_cast<char>(p[x * 3 + 2]);
                    line[static_cast<std::size_t>(x) * 3 + 1] = static_cast<char>(p[x * 3 + 1]);
                    line[static_cast<std::size_t>(x) * 3 + 2] = static_cast<char>(p[x * 3]);
                }
                out.write(line.data(), static_cast<std::streamsize>(line.size()));
            }
        }
    }
}
BENCHMARK(BM_ExportInputs)->Iterations(1);

} // namespace
