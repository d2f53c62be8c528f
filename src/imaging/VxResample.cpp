#include "imaging/VxResample.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <system_error>
#include <thread>

#include "imaging/VxMapping.h"
#include "imaging/VxResampleAvx2.h"

// ---------------------------------------------------------------- kernels

double Sinc(double x)
{
    if (x == 0.0)
        return 1.0;
    const long double px = std::numbers::pi_v<long double> * static_cast<long double>(x);
    return static_cast<double>(std::sin(px) / px);
}

double TWindowedSincResampler::Kernel(double x) const
{
    const double distance = std::fabs(x);
    if (distance >= FRadius)
        return 0.0;
    return Sinc(distance) * Window(distance);
}

double TLanczosResampler::Window(double x) const
{
    return Sinc(x / FRadius);
}

// ---------------------------------------------------------------- mapping tables

namespace {

// Floor and Ceil of positions far outside any picture would not fit an integer; such a
// position only ever clamps to an edge pixel anyway.
std::int64_t FloorToInt64(double x)
{
    return static_cast<std::int64_t>(std::floor(ClampDouble(x, -4e15, 4e15)));
}

std::int64_t CeilToInt64(double x)
{
    return static_cast<std::int64_t>(std::ceil(ClampDouble(x, -4e15, 4e15)));
}

std::int32_t ClampIndex(std::int64_t j, std::int32_t sourceLow, std::int32_t sourceHigh)
{
    return static_cast<std::int32_t>(ClampInt64(j, sourceLow, static_cast<std::int64_t>(sourceHigh) - 1));
}

struct TAxis {
    std::int32_t SourceLow;
    std::int32_t SourceHigh;
    double Scale;
    double Radius;
};

// The weights of one destination pixel at source position pos (source pixel j has its
// centre at j). Reducing widens the support by 1 / scale and flattens the kernel by scale.
TCluster BuildCluster(const TAxis& axis, double pos, const TPixelResampler& resampler)
{
    const bool reducing = axis.Scale < 1.0;
    const double support = reducing ? axis.Radius / axis.Scale : axis.Radius;
    TCluster cluster;
    const std::int64_t from = FloorToInt64(pos - support);
    const std::int64_t to = CeilToInt64(pos + support);
    for (std::int64_t j = from; j <= to; ++j) {
        const double distance = pos - static_cast<double>(j);
        const double weight = reducing ? axis.Scale * resampler.Kernel(axis.Scale * distance) * 256.0
                                       : resampler.Kernel(distance) * 256.0;
        const std::int32_t w = RoundToInt(weight);
        if (w != 0)
            cluster.push_back(TTap{ClampIndex(j, axis.SourceLow, axis.SourceHigh), w});
    }
    if (cluster.empty()) {
        // Floor sampling. The quick-draft kernel also lands here when asked to enlarge,
        // and the index is clamped because a clip beyond the destination rectangle can
        // ask for positions beyond the source.
        cluster.push_back(TTap{ClampIndex(FloorToInt64(pos), axis.SourceLow, axis.SourceHigh), 256});
        return cluster;
    }
    std::int64_t sum = 0;
    for (const TTap& tap : cluster)
        sum += tap.Weight;
    TTap& middle = cluster[(cluster.size() - 1) / 2];
    middle.Weight =
        static_cast<std::int32_t>(static_cast<std::uint32_t>(middle.Weight) - static_cast<std::uint32_t>(sum - 256));
    return cluster;
}

} // namespace

TMappingTable BuildMappingTable(std::int32_t destLow, std::int32_t destHigh, std::int32_t clipLow,
                                std::int32_t clipHigh, std::int32_t sourceLow, std::int32_t sourceHigh,
                                const TPixelResampler& resampler)
{
    TMappingTable table;
    if (sourceHigh <= sourceLow || clipHigh <= clipLow)
        return table;
    const std::int64_t count = static_cast<std::int64_t>(clipHigh) - clipLow;
    table.resize(static_cast<std::size_t>(count));
    const std::int64_t sourceLength = static_cast<std::int64_t>(sourceHigh) - sourceLow;
    if (sourceLength == 1) {
        std::fill(table.begin(), table.end(), TCluster{TTap{sourceLow, 256}});
        return table;
    }
    const double scale =
        static_cast<double>(static_cast<std::int64_t>(destHigh) - destLow) / static_cast<double>(sourceLength);
    if (!(scale > 0.0)) {
        // A zero-length (or reversed) destination: everything comes from the middle.
        const auto middle = static_cast<std::int32_t>((static_cast<std::int64_t>(sourceLow) + sourceHigh) / 2);
        std::fill(table.begin(), table.end(), TCluster{TTap{middle, 256}});
        return table;
    }
    const TAxis axis{sourceLow, sourceHigh, scale, resampler.Radius()};
    for (std::int64_t i = 0; i < count; ++i) {
        const std::int64_t x = clipLow + i;
        const double pos = (sourceLow - 0.5) + (static_cast<double>(x - destLow) + 0.5) / scale;
        table[static_cast<std::size_t>(i)] = BuildCluster(axis, pos, resampler);
    }
    return table;
}

// ---------------------------------------------------------------- two-pass resampling

// GCC vectorises at -O2 only loops that need no remainder; the portable passes want the
// full vectoriser (clang uses it at -O2 already).
#if defined(__GNUC__) && !defined(__clang__)
#define VX_VECTORIZE __attribute__((optimize("tree-vectorize")))
#else
#define VX_VECTORIZE
#endif

namespace {

// 16 fractional bits to a byte. Clamping kernels saturate; the others keep bits 16-23.
inline std::uint8_t FixedToByte(std::uint32_t sum, bool clamp)
{
    if (clamp) {
        const auto value = static_cast<std::int32_t>(sum);
        if (value > 0xFF0000)
            return 255;
        if (value < 0)
            return 0;
    }
    return static_cast<std::uint8_t>(sum >> 16);
}

struct TPlan {
    const TVxPixels& Source;
    TVxPixels& Destination;
    TRect Clip;
    TMappingTable Horizontal;
    TMappingTable Vertical;
    std::int32_t First = 0; // source columns [First, Last] feed the horizontal taps
    std::int32_t Last = 0;
    bool Clamp = false;

    std::size_t Columns() const { return static_cast<std::size_t>(Last - First + 1); }
};

// The column range of every horizontal tap. Taps are in source order within a cluster,
// but a later cluster can still start left of the first one when zero weights were
// skipped, so the whole table is scanned rather than trusting its two ends.
void FindColumnRange(TPlan& plan)
{
    plan.First = std::numeric_limits<std::int32_t>::max();
    plan.Last = std::numeric_limits<std::int32_t>::min();
    for (const TCluster& cluster : plan.Horizontal)
        for (const TTap& tap : cluster) {
            plan.First = std::min(plan.First, tap.Index);
            plan.Last = std::max(plan.Last, tap.Index);
        }
}

// The plain loops: vertical sums of the needed source columns into an intermediate row
// (8 fractional bits, unclamped), then horizontal sums of that row. Unsigned arithmetic
// gives the 32-bit wrap-around the sums are defined with, without undefined behaviour.
void ResampleRowsReference(const TPlan& plan, std::int32_t rowBegin, std::int32_t rowEnd)
{
    const std::size_t values = plan.Columns() * 3;
    std::vector<std::uint32_t> intermediate(values);
    for (std::int32_t y = rowBegin; y < rowEnd; ++y) {
        std::fill(intermediate.begin(), intermediate.end(), 0u);
        for (const TTap& tap : plan.Vertical[static_cast<std::size_t>(y - plan.Clip.Top)]) {
            const std::uint8_t* row = plan.Source.PixelAddress(plan.First, tap.Index);
            const auto weight = static_cast<std::uint32_t>(tap.Weight);
            for (std::size_t i = 0; i < values; ++i)
                intermediate[i] += row[i] * weight;
        }
        std::uint8_t* out = plan.Destination.PixelAddress(plan.Clip.Left, y);
        for (const TCluster& cluster : plan.Horizontal) {
            std::uint32_t sum[3] = {};
            for (const TTap& tap : cluster) {
                const std::uint32_t* value = &intermediate[static_cast<std::size_t>(tap.Index - plan.First) * 3];
                const auto weight = static_cast<std::uint32_t>(tap.Weight);
                for (int c = 0; c < 3; ++c)
                    sum[c] += value[c] * weight;
            }
            for (int c = 0; c < 3; ++c)
                *out++ = FixedToByte(sum[c], plan.Clamp);
        }
    }
}

// ---- the vector path

// The horizontal table with every cluster laid out densely from its first tap: repeated
// (clamped) indices merged and skipped indices given weight 0, padded to an even width.
// Integer sums are the same either way.
struct TDenseTable {
    std::int32_t Taps = 0;
    std::vector<std::int32_t> Starts;  // relative to TPlan::First
    std::vector<std::int32_t> Weights; // Taps per cluster
};

TDenseTable MakeDenseTable(const TPlan& plan)
{
    TDenseTable dense;
    std::int32_t widest = 1;
    for (const TCluster& cluster : plan.Horizontal)
        widest = std::max(widest, cluster.back().Index - cluster.front().Index + 1);
    dense.Taps = (widest + 1) & ~1;
    dense.Starts.resize(plan.Horizontal.size());
    dense.Weights.assign(plan.Horizontal.size() * static_cast<std::size_t>(dense.Taps), 0);
    for (std::size_t x = 0; x < plan.Horizontal.size(); ++x) {
        const TCluster& cluster = plan.Horizontal[x];
        const std::int32_t start = cluster.front().Index;
        dense.Starts[x] = start - plan.First;
        std::int32_t* weights = &dense.Weights[x * static_cast<std::size_t>(dense.Taps)];
        for (const TTap& tap : cluster) {
            auto& slot = weights[tap.Index - start];
            slot = static_cast<std::int32_t>(static_cast<std::uint32_t>(slot) + static_cast<std::uint32_t>(tap.Weight));
        }
    }
    return dense;
}

bool FitsInt16(std::int32_t value)
{
    return value >= -32768 && value <= 32767;
}

struct TVectorScratch {
    std::vector<std::int32_t> Intermediate;
    std::vector<const std::uint8_t*> Rows;
    std::vector<std::int32_t> PairWeights;
};

// The vertical cluster of one row as row pointers and pairs of 16-bit weights, clamped
// repeats merged. False when a merged weight needs more than 16 bits.
bool PrepareVerticalPairs(const TPlan& plan, const TCluster& cluster, TVectorScratch& scratch)
{
    scratch.Rows.clear();
    std::int32_t lastIndex = std::numeric_limits<std::int32_t>::min();
    scratch.PairWeights.clear();
    for (const TTap& tap : cluster) {
        if (tap.Index == lastIndex) {
            auto& merged = scratch.PairWeights.back();
            merged =
                static_cast<std::int32_t>(static_cast<std::uint32_t>(merged) + static_cast<std::uint32_t>(tap.Weight));
            continue;
        }
        lastIndex = tap.Index;
        scratch.Rows.push_back(plan.Source.PixelAddress(plan.First, tap.Index));
        scratch.PairWeights.push_back(tap.Weight);
    }
    if (scratch.Rows.size() % 2 != 0) {
        scratch.Rows.push_back(scratch.Rows.back());
        scratch.PairWeights.push_back(0);
    }
    const std::size_t pairs = scratch.Rows.size() / 2;
    for (std::size_t p = 0; p < pairs; ++p) {
        const std::int32_t w0 = scratch.PairWeights[2 * p];
        const std::int32_t w1 = scratch.PairWeights[2 * p + 1];
        if (!FitsInt16(w0) || !FitsInt16(w1))
            return false;
        scratch.PairWeights[p] = static_cast<std::int32_t>((static_cast<std::uint32_t>(w0) & 0xFFFFu) |
                                                           (static_cast<std::uint32_t>(w1) << 16));
    }
    return true;
}

// Strips of the row keep the sums in the first-level cache while every tap passes over them.
VX_VECTORIZE void VerticalPassPlain(const TPlan& plan, const TCluster& cluster, std::int32_t* intermediate)
{
    constexpr std::size_t Strip = 2048;
    const std::size_t values = plan.Columns() * 3;
    for (std::size_t begin = 0; begin < values; begin += Strip) {
        const std::size_t end = std::min(values, begin + Strip);
        std::uint32_t* sums = reinterpret_cast<std::uint32_t*>(intermediate);
        std::fill(sums + begin, sums + end, 0u);
        for (const TTap& tap : cluster) {
            const std::uint8_t* row = plan.Source.PixelAddress(plan.First, tap.Index);
            const auto weight = static_cast<std::uint32_t>(tap.Weight);
            for (std::size_t i = begin; i < end; ++i)
                sums[i] += row[i] * weight;
        }
    }
}

VX_VECTORIZE void HorizontalPassPlain(const std::int32_t* intermediate, const TDenseTable& dense, std::int32_t count,
                                      bool clamp, std::uint8_t* out)
{
    const auto taps = static_cast<std::size_t>(dense.Taps);
    for (std::int32_t x = 0; x < count; ++x) {
        const std::int32_t* value =
            intermediate + static_cast<std::ptrdiff_t>(dense.Starts[static_cast<std::size_t>(x)]) * 3;
        const std::int32_t* weight = &dense.Weights[static_cast<std::size_t>(x) * taps];
        std::uint32_t sum[3] = {};
        for (std::size_t t = 0; t < taps; ++t, value += 3) {
            const auto w = static_cast<std::uint32_t>(weight[t]);
            for (int c = 0; c < 3; ++c)
                sum[c] += static_cast<std::uint32_t>(value[c]) * w;
        }
        for (int c = 0; c < 3; ++c)
            *out++ = FixedToByte(sum[c], clamp);
    }
}

void ResampleRowsDense(const TPlan& plan, const TDenseTable& dense, TVectorScratch& scratch, bool avx2,
                       std::int32_t rowBegin, std::int32_t rowEnd)
{
    const std::size_t values = plan.Columns() * 3;
    const auto count = static_cast<std::int32_t>(plan.Horizontal.size());
    for (std::int32_t y = rowBegin; y < rowEnd; ++y) {
        const TCluster& cluster = plan.Vertical[static_cast<std::size_t>(y - plan.Clip.Top)];
        std::uint8_t* out = plan.Destination.PixelAddress(plan.Clip.Left, y);
        if (!avx2) {
            VerticalPassPlain(plan, cluster, scratch.Intermediate.data());
            HorizontalPassPlain(scratch.Intermediate.data(), dense, count, plan.Clamp, out);
            continue;
        }
        if (PrepareVerticalPairs(plan, cluster, scratch))
            VxResampleAvx2::VerticalPass(scratch.Rows.data(), scratch.PairWeights.data(),
                                         static_cast<std::int32_t>(scratch.Rows.size() / 2), values,
                                         scratch.Intermediate.data());
        else
            VerticalPassPlain(plan, cluster, scratch.Intermediate.data());
        VxResampleAvx2::HorizontalPass(scratch.Intermediate.data(), dense.Starts.data(), dense.Weights.data(),
                                       dense.Taps, count, plan.Clamp, out);
    }
}

TVectorScratch MakeScratch(const TPlan& plan, const TDenseTable& dense)
{
    TVectorScratch scratch;
    // Past the last column: room for the widest dense cluster and the two extra lanes
    // of the last pair's load. Zeros there only ever meet zero weights.
    scratch.Intermediate.assign((plan.Columns() + static_cast<std::size_t>(dense.Taps) + 3) * 3 + 8, 0);
    std::size_t widest = 2;
    for (const TCluster& cluster : plan.Vertical)
        widest = std::max(widest, cluster.size() + 1);
    scratch.Rows.reserve(widest);
    scratch.PairWeights.reserve(widest);
    return scratch;
}

// ---- bands

template <typename TBandBody> void RunBands(const TRect& clip, std::int32_t threads, TBandBody body)
{
    const std::int32_t rows = clip.Height();
    const std::int32_t bands = std::clamp(threads, 1, std::max(1, rows));
    std::vector<std::thread> workers;
    workers.reserve(static_cast<std::size_t>(bands - 1));
    auto bandStart = [&](std::int32_t band) {
        return clip.Top + static_cast<std::int32_t>(static_cast<std::int64_t>(rows) * band / bands);
    };
    for (std::int32_t band = 1; band < bands; ++band) {
        try {
            workers.emplace_back([&, band] { body(band, bandStart(band), bandStart(band + 1)); });
        } catch (const std::system_error&) {
            // No thread to be had: the band is done here, the result is the same.
            body(band, bandStart(band), bandStart(band + 1));
        }
    }
    body(0, bandStart(0), bandStart(1));
    for (std::thread& worker : workers)
        worker.join();
}

} // namespace

void Resample(TVxPixels& destination, const TRect& destRect, const TRect& destClip, const TPixelResampler& resampler,
              const TRect& sourceRect, const TVxPixels& source, const TResampleOptions& options)
{
    if (destination.Format() != fmtBGR24 || source.Format() != fmtBGR24 || !destination.Data() || !source.Data())
        return;
    const TRect clip = IntersectRect(destination.GetBounds(), destClip);
    const TRect from = IntersectRect(sourceRect, source.GetBounds());
    if (clip.IsEmpty() || from.IsEmpty())
        return;
    TPlan plan{source, destination, clip, {}, {}, 0, 0, resampler.NeedsClamping()};
    plan.Horizontal =
        BuildMappingTable(destRect.Left, destRect.Right, clip.Left, clip.Right, from.Left, from.Right, resampler);
    plan.Vertical =
        BuildMappingTable(destRect.Top, destRect.Bottom, clip.Top, clip.Bottom, from.Top, from.Bottom, resampler);
    if (plan.Horizontal.empty() || plan.Vertical.empty())
        return;
    FindColumnRange(plan);

    const std::int32_t threads = std::max(1, options.Threads);
    if (options.Path == rpReference) {
        RunBands(clip, threads,
                 [&](std::int32_t, std::int32_t begin, std::int32_t end) { ResampleRowsReference(plan, begin, end); });
        return;
    }
    const bool avx2 = options.Path == rpFastest && VxResampleAvx2::Supported();
    const TDenseTable dense = MakeDenseTable(plan);
    // Scratch is made here, not in the workers, so an allocation failure is an ordinary
    // exception on the caller's thread.
    std::vector<TVectorScratch> scratch;
    for (std::int32_t band = 0; band < std::clamp(threads, 1, std::max(1, clip.Height())); ++band)
        scratch.push_back(MakeScratch(plan, dense));
    RunBands(clip, threads, [&](std::int32_t band, std::int32_t begin, std::int32_t end) {
        ResampleRowsDense(plan, dense, scratch[static_cast<std::size_t>(band)], avx2, begin, end);
    });
}

std::int32_t ResampleThreadCount()
{
    const unsigned count = std::thread::hardware_concurrency();
    return count == 0 ? 1 : static_cast<std::int32_t>(std::min(count, 64u));
}
