#pragma once
// Pearson correlation of sample pairs, accumulated in 80-bit extended precision so that
// sums of byte samples over a whole ring stay exact.
#include <cstdint>

class TCorrelator {
public:
    void Reset();
    void Add(long double x, long double y);

    // r in [-1, 1]; 0 when either sequence has (next to) no spread, so a flat patch
    // never wins or loses a comparison by rounding noise.
    long double Coefficient() const;

    std::int64_t Count() const { return FCount; }

private:
    std::int64_t FCount = 0;
    long double FSumX = 0;
    long double FSumY = 0;
    long double FSumXY = 0;
    long double FSumXX = 0;
    long double FSumYY = 0;
};
