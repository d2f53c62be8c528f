#include "inpainting/AreaCorrelator.h"

#include <algorithm>
#include <cmath>

#include "inpainting/Approximation.h"
#include "inpainting/Correlator.h"
#include "inpainting/KMean.h"

namespace {

// k-means on two clusters settles in a handful of rounds; the cap only guards the
// user-interface thread against float rounding that flips a colour back and forth.
constexpr int MaxKMeanRounds = 256;

TRect UsableBounds(const TVxPixels& image)
{
    if (image.Format() != fmtBGR24 || image.Data() == nullptr)
        return TRect{};
    return image.GetBounds();
}

std::uint32_t BytesToColour(const std::uint8_t* bgr)
{
    return static_cast<std::uint32_t>(bgr[0]) | (static_cast<std::uint32_t>(bgr[1]) << 8) |
           (static_cast<std::uint32_t>(bgr[2]) << 16);
}

// Clamped to the byte range and rounded to nearest, ties to even (the default
// rounding mode), the same rule as VectorToColor.
std::uint8_t ClampRound(double value)
{
    return static_cast<std::uint8_t>(std::nearbyint(std::clamp(value, 0.0, 255.0)));
}

// Two movable centres start at the first two distinct colours and move until no colour
// changes cluster.
void SettleTwoClusters(TKMean& kmean)
{
    kmean.AddCentre(kmean.Distinct(0).Colour, true);
    kmean.AddCentre(kmean.Distinct(1).Colour, true);
    for (int round = 0; round < MaxKMeanRounds; ++round) {
        if (kmean.Iterate() == 0)
            return;
    }
}

// The first of the clusters with the fewest pixels.
std::int32_t LightestCluster(const TKMean& kmean)
{
    std::int32_t lightest = 0;
    for (std::int32_t i = 1; i < kmean.ClusterCount(); ++i) {
        if (kmean.Cluster(i).Weight < kmean.Cluster(lightest).Weight)
            lightest = i;
    }
    return lightest;
}

std::int32_t ChannelSum(const std::uint8_t* bgr)
{
    return std::int32_t{bgr[0]} + bgr[1] + bgr[2];
}

} // namespace

TAreaCorrelator::TAreaCorrelator(const TRect& target, std::int32_t radius2, const TVxPixels& readImage,
                                 TVxPixels& writeImage)
    : FTarget(target.IsEmpty() ? TRect{target.Left, target.Top, target.Left, target.Top} : target),
      FRadius2(std::max(radius2, 0)), FReadImage(readImage), FWriteImage(writeImage),
      FImageBounds(UsableBounds(readImage)), FWriteBounds(UsableBounds(writeImage)),
      FMarks(CheckedGridCount(FTarget.Width(), FTarget.Height(), 1), 0),
      FRing(FTarget.Left, FTarget.Top, FTarget.Width(), FTarget.Height()),
      FInterior(FTarget.Left, FTarget.Top, FTarget.Width(), FTarget.Height())
{
}

void TAreaCorrelator::SetMarked(std::int32_t x, std::int32_t y, bool marked)
{
    if (FTarget.Contains(x, y))
        FMarks[static_cast<std::size_t>(y - FTarget.Top) * FTarget.Width() + (x - FTarget.Left)] = marked ? 1 : 0;
}

bool TAreaCorrelator::Marked(std::int32_t x, std::int32_t y) const
{
    return FTarget.Contains(x, y) &&
           FMarks[static_cast<std::size_t>(y - FTarget.Top) * FTarget.Width() + (x - FTarget.Left)] != 0;
}

// ---------------------------------------------------------------- split

// A marked cell is on the ring when its disc reaches an unmarked cell of the square or
// the picture outside the square; beyond the picture's edge there is nothing to match.
bool TAreaCorrelator::TouchesOutside(std::int32_t a, std::int32_t b, std::int32_t radius) const
{
    for (std::int32_t j = b - radius; j <= b + radius; ++j) {
        for (std::int32_t i = a - radius; i <= a + radius; ++i) {
            if ((i - a) * (i - a) + (j - b) * (j - b) > FRadius2)
                continue;
            const std::int32_t x = i + FTarget.Left;
            const std::int32_t y = j + FTarget.Top;
            if (FTarget.Contains(x, y) ? !Marked(x, y) : InsideImage(x, y))
                return true;
        }
    }
    return false;
}

void TAreaCorrelator::Split()
{
    FRing.Clear();
    FInterior.Clear();
    // The small addition keeps a perfect square such as 4 from truncating to 1.999...
    const auto radius = static_cast<std::int32_t>(std::trunc(std::sqrt(static_cast<double>(FRadius2)) + 0.001));
    for (std::int32_t a = 0; a < FTarget.Width(); ++a) {
        for (std::int32_t b = 0; b < FTarget.Height(); ++b) {
            if (!Marked(a + FTarget.Left, b + FTarget.Top))
                continue;
            if (TouchesOutside(a, b, radius))
                FRing.AddCell(a, b);
            else
                FInterior.AddCell(a, b);
        }
    }
}

// ---------------------------------------------------------------- long-defect filter

std::uint32_t TAreaCorrelator::ColourAt(const TCellPlace& own) const
{
    return BytesToColour(FReadImage.PixelAddress(own.ImageX, own.ImageY));
}

// A thin defect (a wire) that crosses the ring paints some ring cells in its own colour;
// those cells would pull both the orientation and the correction towards the defect.
void TAreaCorrelator::DropMinorityColours(double fraction)
{
    TKMean kmean;
    for (const TBorderCell& cell : FRing.Cells()) {
        if (InsideImage(cell.Places[0].ImageX, cell.Places[0].ImageY))
            kmean.AddColour(ColourAt(cell.Places[0]));
    }
    if (kmean.DistinctCount() < 2)
        return;
    SettleTwoClusters(kmean);
    const std::int32_t minority = LightestCluster(kmean);
    if (static_cast<double>(FRing.Count()) * fraction < static_cast<double>(kmean.Cluster(minority).Weight))
        return;
    for (std::int32_t i = 0; i < FRing.Count(); ++i) {
        const TCellPlace& own = FRing.Cell(i).Places[0];
        if (InsideImage(own.ImageX, own.ImageY) && kmean.ClusterOf(ColourAt(own)) == minority)
            FRing.Drop(i);
    }
    FRing.Compact();
}

void TAreaCorrelator::PrepareBlend()
{
    FInterior.ComputeBlendWeights(FRing);
}

// ---------------------------------------------------------------- orientation

bool TAreaCorrelator::ReadPair(const TBorderCell& cell, const TPoint& source, int orientation, TCellPair& pair) const
{
    const TCellPlace& own = cell.Places[0];
    const TCellPlace& turned = cell.Places[orientation];
    const std::int32_t sx = source.X + turned.LocalX;
    const std::int32_t sy = source.Y + turned.LocalY;
    if (!InsideImage(own.ImageX, own.ImageY) || !InsideImage(sx, sy))
        return false;
    pair.Source = FReadImage.PixelAddress(sx, sy);
    pair.Target = FReadImage.PixelAddress(own.ImageX, own.ImageY);
    return true;
}

// Ties go to the lowest orientation, so a featureless ring keeps the patch upright.
int TAreaCorrelator::BestOrientation(const TPoint& source) const
{
    int best = 0;
    long double bestValue = -1;
    TCorrelator correlator;
    for (int k = 0; k < OrientationCount; ++k) {
        correlator.Reset();
        for (const TBorderCell& cell : FRing.Cells()) {
            TCellPair pair;
            if (!ReadPair(cell, source, k, pair))
                continue;
            for (int c = 0; c < 3; ++c)
                correlator.Add(pair.Source[c], pair.Target[c]);
        }
        const long double value = correlator.Coefficient();
        if (value > bestValue) {
            best = k;
            bestValue = value;
        }
    }
    return best;
}

// ---------------------------------------------------------------- apply

std::uint8_t* TAreaCorrelator::WriteAddress(const TCellPlace& own) const
{
    return FWriteBounds.Contains(own.ImageX, own.ImageY) ? FWriteImage.PixelAddress(own.ImageX, own.ImageY) : nullptr;
}

// Weighted towards the untouched picture next to the ring, so the patch fades in
// instead of starting at a hard edge. Rounded to nearest, ties to even.
void TAreaCorrelator::BlendWithTarget(std::uint8_t* colour, const std::uint8_t* target, const TBorderCell& cell)
{
    const std::int32_t ringWeight = cell.RingWeight;
    const std::int32_t innerWeight = cell.InnerWeight;
    const double total = static_cast<double>(ringWeight + innerWeight);
    for (int c = 0; c < 3; ++c) {
        const std::int32_t mixed = target[c] * ringWeight + colour[c] * innerWeight;
        colour[c] = static_cast<std::uint8_t>(std::nearbyint(static_cast<double>(mixed) / total));
    }
}

void TAreaCorrelator::Apply(const TPoint& source, int orientation, bool blend, int mode, int level)
{
    if (orientation < 0 || orientation >= OrientationCount)
        return;
    switch (mode) {
    case amNone:
        ApplyPlain(source, orientation, blend);
        break;
    case amBrightness:
        ApplyBrightness(source, orientation, level);
        break;
    case amPerChannel:
        ApplyPerChannel(source, orientation, blend, level);
        break;
    default:
        break;
    }
}

void TAreaCorrelator::ApplyPlain(const TPoint& source, int orientation, bool blend)
{
    for (const TBorderCell& cell : FInterior.Cells()) {
        TCellPair pair;
        std::uint8_t* out = WriteAddress(cell.Places[0]);
        if (out == nullptr || !ReadPair(cell, source, orientation, pair))
            continue;
        std::uint8_t colour[3] = {pair.Source[0], pair.Source[1], pair.Source[2]};
        if (blend && cell.RingWeight > 0)
            BlendWithTarget(colour, pair.Target, cell);
        std::copy_n(colour, 3, out);
    }
}

void TAreaCorrelator::ApplyBrightness(const TPoint& source, int orientation, int level)
{
    TApproximation fit(FRing.Count(), level);
    for (const TBorderCell& cell : FRing.Cells()) {
        TCellPair pair;
        const double difference =
            ReadPair(cell, source, orientation, pair) ? ChannelSum(pair.Target) - ChannelSum(pair.Source) : 0;
        fit.AddSample(difference, cell.Places[0].LocalX, cell.Places[0].LocalY);
    }
    fit.Solve();
    for (const TBorderCell& cell : FInterior.Cells()) {
        TCellPair pair;
        std::uint8_t* out = WriteAddress(cell.Places[0]);
        if (out == nullptr || !ReadPair(cell, source, orientation, pair))
            continue;
        const double correction = fit.Evaluate(cell.Places[0].LocalX, cell.Places[0].LocalY);
        for (int c = 0; c < 3; ++c)
            out[c] = ClampRound(pair.Source[c] + correction / 3);
    }
}

void TAreaCorrelator::ApplyPerChannel(const TPoint& source, int orientation, bool blend, int level)
{
    TApproximationBGR fit(FRing.Count(), level);
    for (const TBorderCell& cell : FRing.Cells()) {
        TCellPair pair;
        TColorVector difference{0, 0, 0};
        if (ReadPair(cell, source, orientation, pair)) {
            for (int c = 0; c < 3; ++c)
                difference[c] = static_cast<double>(pair.Target[c]) - pair.Source[c];
        }
        fit.AddSample(difference, cell.Places[0].LocalX, cell.Places[0].LocalY);
    }
    fit.Solve();
    for (const TBorderCell& cell : FInterior.Cells()) {
        TCellPair pair;
        std::uint8_t* out = WriteAddress(cell.Places[0]);
        if (out == nullptr || !ReadPair(cell, source, orientation, pair))
            continue;
        const TColorVector correction = fit.Evaluate(cell.Places[0].LocalX, cell.Places[0].LocalY);
        std::uint8_t colour[3];
        for (int c = 0; c < 3; ++c)
            colour[c] = ClampRound(pair.Source[c] + correction[c]);
        if (blend && cell.RingWeight > 0)
            BlendWithTarget(colour, pair.Target, cell);
        std::copy_n(colour, 3, out);
    }
}
