#include "inpainting/Correlator.h"

#include <cmath>

namespace {
constexpr long double MinSpread = 1e-10L;
}

void TCorrelator::Reset()
{
    *this = TCorrelator{};
}

void TCorrelator::Add(long double x, long double y)
{
    ++FCount;
    FSumX += x;
    FSumY += y;
    FSumXY += x * y;
    FSumXX += x * x;
    FSumYY += y * y;
}

long double TCorrelator::Coefficient() const
{
    const long double n = static_cast<long double>(FCount);
    const long double spreadX = n * FSumXX - FSumX * FSumX;
    const long double spreadY = n * FSumYY - FSumY * FSumY;
    const long double root = std::sqrt(spreadX * spreadY);
    // Written as a negated comparison so that a NaN root (a negative product from
    // rounding with non-integer samples) also counts as no spread.
    if (!(root >= MinSpread))
        return 0;
    return (n * FSumXY - FSumX * FSumY) / root;
}
