// The work of one pointer move of the hand inpainting tool: choose the orientation of the
// patch under the pointer and write it over the target with a per-channel correction.
// Square targets of the default brush (25), an awkward size (61) and the largest (100),
// marked as a round brush footprint, in a 4096 x 4096 picture. Beside it: the parts of
// that step on their own, the once-per-target preparation, and a plain copy of the
// square as the floor.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "imaging/VxBitmap.h"
#include "inpainting/Approximation.h"
#include "inpainting/AreaCorrelator.h"

namespace {

constexpr std::int32_t PictureSide = 4096;

// A photograph-like picture: smooth shading plus fine grain.
const TVxPixelBuffer& Picture()
{
    static const std::unique_ptr<TVxPixelBuffer> picture = [] {
        auto image = std::make_unique<TVxPixelBuffer>(fmtBGR24, Bounds(0, 0, PictureSide, PictureSide));
        std::uint32_t grain = 12345;
        for (std::int32_t y = 0; y < PictureSide; ++y) {
            std::uint8_t* row = image->Row(y);
            for (std::int32_t x = 0; x < PictureSide; ++x) {
                grain = grain * 1664525u + 1013904223u;
                const double shade = 120 + 60 * std::sin(x * 0.013) * std::cos(y * 0.017);
                for (int c = 0; c < 3; ++c)
                    row[x * 3 + c] = static_cast<std::uint8_t>(shade + c * 10 + ((grain >> (8 + 4 * c)) & 15));
            }
        }
        return image;
    }();
    return *picture;
}

// A correlator for a round brush of the given side at the picture's centre, split and
// prepared as the tool does it once per target.
struct TTarget {
    explicit TTarget(std::int32_t side, bool prepare = true)
        : Square(Bounds(PictureSide / 2, PictureSide / 2, side, side)), Engine(Square, 2, Picture(), Write)
    {
        Write.Assign(Picture());
        const double centre = (side - 1) / 2.0, radius = side / 2.0;
        for (std::int32_t b = 0; b < side; ++b)
            for (std::int32_t a = 0; a < side; ++a)
                Engine.SetMarked(Square.Left + a, Square.Top + b,
                                 (a - centre) * (a - centre) + (b - centre) * (b - centre) <= radius * radius);
        if (prepare) {
            Engine.Split();
            Engine.DropMinorityColours(0.2);
            Engine.PrepareBlend();
        }
    }

    // Pointer positions near the target, as a user sweeps over candidate sources.
    TPoint Source(std::int64_t step) const
    {
        const std::int32_t offset = static_cast<std::int32_t>(step % 64);
        return {Square.Left - 3 * Square.Width() / 2 + offset, Square.Top + 2 * offset - 64};
    }

    TRect Square;
    TVxPixelBuffer Write;
    TAreaCorrelator Engine;
};

void SetCounters(benchmark::State& state, const TTarget& target)
{
    state.counters["ring"] = target.Engine.Ring().Count();
    state.counters["interior"] = target.Engine.Interior().Count();
    state.SetBytesProcessed(state.iterations() * target.Engine.Interior().Count() * 3);
}

// The floor: copying the square's rows with no decision per pixel.
void BM_CopySquare(benchmark::State& state)
{
    TTarget target(static_cast<std::int32_t>(state.range(0)), false);
    const std::int32_t side = target.Square.Width();
    std::int64_t step = 0;
    for (auto _ : state) {
        const TPoint source = target.Source(step++);
        for (std::int32_t y = 0; y < side; ++y)
            std::memcpy(target.Write.PixelAddress(target.Square.Left, target.Square.Top + y),
                        Picture().PixelAddress(source.X, source.Y + y), static_cast<std::size_t>(side) * 3);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * side * side * 3);
}

// One pointer move: BestOrientation, then Apply in per-channel mode with blending.
void BM_PointerMove(benchmark::State& state)
{
    TTarget target(static_cast<std::int32_t>(state.range(0)));
    std::int64_t step = 0;
    for (auto _ : state) {
        const TPoint source = target.Source(step++);
        const int k = target.Engine.BestOrientation(source);
        target.Engine.Apply(source, k, true, amPerChannel, 2);
        benchmark::DoNotOptimize(target.Write.Data());
        benchmark::ClobberMemory();
    }
    SetCounters(state, target);
}

void BM_BestOrientation(benchmark::State& state)
{
    TTarget target(static_cast<std::int32_t>(state.range(0)));
    std::int64_t step = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(target.Engine.BestOrientation(target.Source(step++)));
    SetCounters(state, target);
}

// Apply alone in each mode (range 1), blending on where the mode has it.
void BM_Apply(benchmark::State& state)
{
    TTarget target(static_cast<std::int32_t>(state.range(0)));
    const int mode = static_cast<int>(state.range(1));
    std::int64_t step = 0;
    for (auto _ : state) {
        const int orientation = static_cast<int>(step % 8);
        target.Engine.Apply(target.Source(step++), orientation, true, mode, 2);
        benchmark::ClobberMemory();
    }
    SetCounters(state, target);
}

// The least-squares fit of one Apply: ring-size samples of three channels, level 2.
void BM_SolveRing(benchmark::State& state)
{
    TTarget target(static_cast<std::int32_t>(state.range(0)));
    const TBorderArea8& ring = target.Engine.Ring();
    for (auto _ : state) {
        TApproximationBGR fit(ring.Count(), 2);
        for (const TBorderCell& cell : ring.Cells()) {
            const TCellPlace& own = cell.Places[0];
            const std::uint8_t* p = Picture().PixelAddress(own.ImageX, own.ImageY);
            fit.AddSample({p[0] - 128.0, p[1] - 128.0, p[2] - 128.0}, own.LocalX, own.LocalY);
        }
        benchmark::DoNotOptimize(fit.Solve());
        benchmark::DoNotOptimize(fit.Evaluate(1, 1));
    }
    state.counters["samples"] = ring.Count();
}

// Once per target (the first click): split, long-defect filter and blend weights.
void BM_PrepareTarget(benchmark::State& state)
{
    TTarget target(static_cast<std::int32_t>(state.range(0)), false);
    for (auto _ : state) {
        target.Engine.Split();
        target.Engine.DropMinorityColours(0.2);
        target.Engine.PrepareBlend();
        benchmark::DoNotOptimize(target.Engine.Interior().Count());
    }
    SetCounters(state, target);
}

} // namespace

BENCHMARK(BM_CopySquare)->Arg(25)->Arg(61)->Arg(100)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PointerMove)->Arg(25)->Arg(61)->Arg(100)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BestOrientation)->Arg(25)->Arg(100)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Apply)->ArgsProduct({{25, 100}, {amNone, amBrightness, amPerChannel}})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SolveRing)->Arg(25)->Arg(100)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PrepareTarget)->Arg(25)->Arg(100)->Unit(benchmark::kMicrosecond);
