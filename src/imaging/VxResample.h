#pragma once
// One separable resampler with exchangeable kernels and 8-bit fixed-point weights.
//
//   TLanczosResampler lanczos;
//   TVxPixelBuffer thumb(fmtBGR24, Bounds(0, 0, size.Width, size.Height));
//   Resample(thumb, thumb.GetBounds(), thumb.GetBounds(), lanczos, image.GetBounds(), image);
//
// A destination pixel is the sum over its horizontal and vertical taps of
// source × weightX × weightY in 32-bit integers (16 fractional bits), so the result
// does not depend on the order of the sums: the vectorised and threaded paths give
// exactly the bytes of the plain loops.
#include <cstdint>
#include <vector>

#include "imaging/VxBitmap.h"
#include "imaging/VxGeometry.h"

class TPixelResampler {
public:
    virtual ~TPixelResampler() = default;
    // True when the kernel has negative lobes, so sums can leave the byte range.
    virtual bool NeedsClamping() const { return false; }
    virtual double Kernel(double x) const = 0;
    virtual double Radius() const = 0;
};

class TWindowedSincResampler : public TPixelResampler {
public:
    bool NeedsClamping() const override { return true; }
    double Kernel(double x) const override;
    double Radius() const override { return FRadius; }
    virtual double Window(double x) const = 0;

protected:
    double FRadius = 3.0;
};

class TLanczosResampler : public TWindowedSincResampler {
public:
    double Window(double x) const override;
};

// Radius 0 and a zero kernel: every reduction falls back to one tap at the floor of the
// source position, which is plain point sampling.
class TQuickDraftResampler : public TWindowedSincResampler {
public:
    TQuickDraftResampler() { FRadius = 0.0; }
    double Kernel(double) const override { return 0.0; }
    double Window(double) const override { return 1.0; }
};

// sin(pi x) / (pi x) with pi and the sine taken in extended precision; exactly 1 at 0.
double Sinc(double x);

struct TTap {
    std::int32_t Index = 0;
    std::int32_t Weight = 0; // 8 fractional bits: 256 is 1.0
    friend bool operator==(const TTap&, const TTap&) = default;
};
using TCluster = std::vector<TTap>;
// One cluster per destination pixel of the clipped range; each cluster's weights add up
// to exactly 256.
using TMappingTable = std::vector<TCluster>;

// Half-open ranges along one axis: [destLow, destHigh) is stretched from
// [sourceLow, sourceHigh); only [clipLow, clipHigh) gets clusters.
TMappingTable BuildMappingTable(std::int32_t destLow, std::int32_t destHigh, std::int32_t clipLow,
                                std::int32_t clipHigh, std::int32_t sourceLow, std::int32_t sourceHigh,
                                const TPixelResampler& resampler);

// Every path gives the same bytes; they differ only in speed.
enum TResamplePath {
    rpFastest,   // AVX2 where the processor has it, else rpPortable
    rpPortable,  // dense tables and plain loops that the compiler vectorises
    rpReference, // the literal loops, kept to check the others against
};

struct TResampleOptions {
    // Destination rows are split into this many bands, one thread each.
    std::int32_t Threads = 1;
    TResamplePath Path = rpFastest;
};

// Stretches sourceRect of source onto destRect and writes the part inside destClip and
// the destination's bounds. Both buffers must be fmtBGR24; anything else writes nothing.
// A sourceRect reaching outside the source is cut to the source first.
void Resample(TVxPixels& destination, const TRect& destRect, const TRect& destClip, const TPixelResampler& resampler,
              const TRect& sourceRect, const TVxPixels& source, const TResampleOptions& options = {});

// The number of hardware threads worth handing to Resample (at least 1).
std::int32_t ResampleThreadCount();
