#pragma once
// AVX2 bodies of the two resampling passes. Callers check Supported() once per call;
// VxResample.cpp keeps the plain loops these must agree with byte for byte.
#include <cstddef>
#include <cstdint>

namespace VxResampleAvx2 {

bool Supported();

// out[i] = sum over p of rows[2p][i] * low16(pairWeights[p]) + rows[2p+1][i] * high16(pairWeights[p])
// for i in [0, byteCount). Each pair weight holds two signed 16-bit weights.
void VerticalPass(const std::uint8_t* const* rows, const std::int32_t* pairWeights, std::int32_t pairs,
                  std::size_t byteCount, std::int32_t* out);

// For each of count destination pixels: the sum over taps t of
// inter[(starts[x] + t) * 3 + channel] * weights[x * taps + t], turned into a byte.
// taps is even; inter must be readable 8 values past the last pixel a start can reach.
void HorizontalPass(const std::int32_t* inter, const std::int32_t* starts, const std::int32_t* weights,
                    std::int32_t taps, std::int32_t count, bool clamp, std::uint8_t* out);

} // namespace VxResampleAvx2
