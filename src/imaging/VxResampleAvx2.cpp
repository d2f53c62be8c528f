#include "imaging/VxResampleAvx2.h"

#include <cstring>

// GCC for 64-bit Windows cannot realign the stack to 32 bytes, yet spills 256-bit values
// with aligned moves; optimised builds keep everything in registers, unoptimised ones
// would fault, so those get the plain loops only.
#if (defined(__x86_64__) || defined(__i386__)) && !(defined(_WIN64) && !defined(__clang__) && !defined(__OPTIMIZE__))
#include <immintrin.h>
#define VX_RESAMPLE_X86 1
#define VX_TARGET_AVX2 __attribute__((target("avx2")))
#endif

namespace VxResampleAvx2 {

#if defined(VX_RESAMPLE_X86)

bool Supported()
{
    static const bool supported = __builtin_cpu_supports("avx2");
    return supported;
}

namespace {

// Sixteen bytes of two rows, weighted and added into two accumulators that hold, lane by
// lane, bytes 0-3 | 8-11 (low) and 4-7 | 12-15 (high): the order _mm256_unpack*_epi16
// leaves them in. StoreSixteen puts them back in byte order.
VX_TARGET_AVX2 inline void AddSixteen(const std::uint8_t* a, const std::uint8_t* b, __m256i weights, __m256i& low,
                                      __m256i& high)
{
    const __m256i wideA = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a)));
    const __m256i wideB = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(b)));
    low = _mm256_add_epi32(low, _mm256_madd_epi16(_mm256_unpacklo_epi16(wideA, wideB), weights));
    high = _mm256_add_epi32(high, _mm256_madd_epi16(_mm256_unpackhi_epi16(wideA, wideB), weights));
}

VX_TARGET_AVX2 inline void StoreSixteen(std::int32_t* out, __m256i low, __m256i high)
{
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_permute2x128_si256(low, high, 0x20));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 8), _mm256_permute2x128_si256(low, high, 0x31));
}

void VerticalTail(const std::uint8_t* const* rows, const std::int32_t* pairWeights, std::int32_t pairs,
                  std::size_t begin, std::size_t end, std::int32_t* out)
{
    for (std::size_t i = begin; i < end; ++i) {
        std::uint32_t sum = 0;
        for (std::int32_t p = 0; p < pairs; ++p) {
            const auto w0 = static_cast<std::int16_t>(pairWeights[p] & 0xFFFF);
            const auto w1 = static_cast<std::int16_t>(static_cast<std::uint32_t>(pairWeights[p]) >> 16);
            sum += static_cast<std::uint32_t>(rows[2 * p][i] * w0 + rows[2 * p + 1][i] * w1);
        }
        out[i] = static_cast<std::int32_t>(sum);
    }
}

} // namespace

VX_TARGET_AVX2 void VerticalPass(const std::uint8_t* const* rows, const std::int32_t* pairWeights, std::int32_t pairs,
                                 std::size_t byteCount, std::int32_t* out)
{
    std::size_t i = 0;
    // 32 bytes a step keeps four accumulators in flight against the multiply latency.
    for (; i + 32 <= byteCount; i += 32) {
        __m256i low0 = _mm256_setzero_si256(), high0 = low0, low1 = low0, high1 = low0;
        for (std::int32_t p = 0; p < pairs; ++p) {
            const __m256i weights = _mm256_set1_epi32(pairWeights[p]);
            const std::uint8_t* a = rows[2 * p] + i;
            const std::uint8_t* b = rows[2 * p + 1] + i;
            AddSixteen(a, b, weights, low0, high0);
            AddSixteen(a + 16, b + 16, weights, low1, high1);
        }
        StoreSixteen(out + i, low0, high0);
        StoreSixteen(out + i + 16, low1, high1);
    }
    for (; i + 16 <= byteCount; i += 16) {
        __m256i low = _mm256_setzero_si256(), high = low;
        for (std::int32_t p = 0; p < pairs; ++p)
            AddSixteen(rows[2 * p] + i, rows[2 * p + 1] + i, _mm256_set1_epi32(pairWeights[p]), low, high);
        StoreSixteen(out + i, low, high);
    }
    VerticalTail(rows, pairWeights, pairs, i, byteCount, out);
}

// One destination pixel takes two taps per step: eight lanes hold the three channels of
// tap t, those of tap t+1, and two lanes of the next pixel that are never read back.
VX_TARGET_AVX2 void HorizontalPass(const std::int32_t* inter, const std::int32_t* starts, const std::int32_t* weights,
                                   std::int32_t taps, std::int32_t count, bool clamp, std::uint8_t* out)
{
    const __m256i spread = _mm256_setr_epi32(0, 0, 0, 1, 1, 1, 0, 0);
    const __m256i secondTap = _mm256_setr_epi32(3, 4, 5, 3, 3, 3, 3, 3);
    const __m128i zero = _mm_setzero_si128();
    const __m128i top = _mm_set1_epi32(0xFF0000);
    const __m128i byteMask = _mm_set1_epi32(0xFF);
    for (std::int32_t x = 0; x < count; ++x) {
        const std::int32_t* source = inter + static_cast<std::ptrdiff_t>(starts[x]) * 3;
        const std::int32_t* w = weights + static_cast<std::ptrdiff_t>(x) * taps;
        __m256i acc = _mm256_setzero_si256();
        for (std::int32_t t = 0; t < taps; t += 2) {
            const __m256i pair = _mm256_castsi128_si256(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(w + t)));
            const __m256i values = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source + t * 3));
            acc = _mm256_add_epi32(acc, _mm256_mullo_epi32(values, _mm256_permutevar8x32_epi32(pair, spread)));
        }
        acc = _mm256_add_epi32(acc, _mm256_permutevar8x32_epi32(acc, secondTap));
        __m128i sum = _mm256_castsi256_si128(acc);
        if (clamp)
            sum = _mm_srli_epi32(_mm_min_epi32(_mm_max_epi32(sum, zero), top), 16);
        else
            sum = _mm_and_si128(_mm_srli_epi32(sum, 16), byteMask);
        const __m128i bytes = _mm_packus_epi16(_mm_packus_epi32(sum, zero), zero);
        const std::uint32_t bgr = static_cast<std::uint32_t>(_mm_cvtsi128_si32(bytes));
        std::memcpy(out + static_cast<std::ptrdiff_t>(x) * 3, &bgr, 3);
    }
}

#else

bool Supported()
{
    return false;
}

void VerticalPass(const std::uint8_t* const*, const std::int32_t*, std::int32_t, std::size_t, std::int32_t*) {}

void HorizontalPass(const std::int32_t*, const std::int32_t*, const std::int32_t*, std::int32_t, std::int32_t, bool,
                    std::uint8_t*)
{
}

#endif

} // namespace VxResampleAvx2
