#include "separation/ArithmeticMean.h"

#include <algorithm>
#include <cmath>

#include "imaging/VxBitmap.h"

namespace {

// Rounded to nearest with ties to even, as the pixel helpers round.
std::uint8_t ChannelToByte(float value)
{
    const float clamped = std::min(255.0f, std::max(0.0f, value));
    return static_cast<std::uint8_t>(std::nearbyint(clamped));
}

// The sums are 32-bit floats and their order is fixed: the window [d - r, d + r] is
// primed with the elements before r, then at every d the element d + r enters before
// the element d - r - 1 leaves. Changing that order changes the last bits of the means.
template <typename TGetter, typename TSetter>
void RunningMeanLine(std::int32_t length, std::int32_t radius, TGetter source, TSetter target)
{
    float sum[3] = {0.0f, 0.0f, 0.0f};
    std::int32_t count = 0;
    const std::int32_t primed = std::min(radius, length);
    for (std::int32_t i = 0; i < primed; ++i) {
        const float* v = source(i);
        for (int c = 0; c < 3; ++c)
            sum[c] = sum[c] + v[c];
        ++count;
    }
    for (std::int32_t d = 0; d < length; ++d) {
        if (d + radius < length) {
            const float* v = source(d + radius);
            for (int c = 0; c < 3; ++c)
                sum[c] = sum[c] + v[c];
            ++count;
        }
        if (d - radius - 1 >= 0) {
            const float* v = source(d - radius - 1);
            for (int c = 0; c < 3; ++c)
                sum[c] = sum[c] - v[c];
            --count;
        }
        float* out = target(d);
        for (int c = 0; c < 3; ++c)
            out[c] = count == 0 ? 0.0f : sum[c] / static_cast<float>(count);
    }
}

} // namespace

void TArithmeticMean::SetSize(std::int32_t width, std::int32_t height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == FWidth && height == FHeight)
        return;
    const std::size_t total = CheckedGridCount(width, height, sizeof(TElement));
    FImage.assign(total, TElement{});
    FWork.assign(total, TElement{});
    FWidth = width;
    FHeight = height;
}

void TArithmeticMean::Put(std::int32_t x, std::int32_t y, std::uint32_t colour)
{
    TElement& e = FImage[Index(x, y)];
    for (int c = 0; c < 3; ++c)
        e.Channel[c] = static_cast<float>((colour >> (8 * c)) & 0xFF);
}

void TArithmeticMean::GetBytes(std::int32_t x, std::int32_t y, std::uint8_t* bgr) const
{
    const TElement& e = FImage[Index(x, y)];
    for (int c = 0; c < 3; ++c)
        bgr[c] = ChannelToByte(e.Channel[c]);
}

std::uint32_t TArithmeticMean::Get(std::int32_t x, std::int32_t y) const
{
    std::uint8_t bgr[3];
    GetBytes(x, y, bgr);
    return static_cast<std::uint32_t>(bgr[0]) | (static_cast<std::uint32_t>(bgr[1]) << 8) |
           (static_cast<std::uint32_t>(bgr[2]) << 16);
}

void TArithmeticMean::Blur(std::int32_t radius, IVxProgressMeter* progress)
{
    radius = std::max(radius, 0);
    if (progress)
        progress->Reset(FWidth + FHeight);
    BlurColumns(radius, progress);
    BlurRows(radius, progress);
    if (progress)
        progress->Reset(0);
}

void TArithmeticMean::BlurColumns(std::int32_t radius, IVxProgressMeter* progress)
{
    for (std::int32_t x = 0; x < FWidth; ++x) {
        const TElement* column = FImage.data() + Index(x, 0);
        TElement* work = FWork.data() + Index(x, 0);
        RunningMeanLine(
            FHeight, radius, [column](std::int32_t i) { return column[i].Channel; },
            [work](std::int32_t i) { return work[i].Channel; });
        if (progress)
            progress->Step();
    }
}

// The rows are strided in the column-major grid, so every row's running sum advances
// together, one column at a time. Each row still sees exactly the additions and
// subtractions of its own line, in the same order, so the result is that of one row at
// a time.
void TArithmeticMean::BlurRows(std::int32_t radius, IVxProgressMeter* progress)
{
    if (FWidth == 0 || FHeight == 0) {
        for (std::int32_t y = 0; progress && y < FHeight; ++y)
            progress->Step();
        return;
    }
    std::vector<TElement> sums(static_cast<std::size_t>(FHeight), TElement{});
    std::int32_t count = 0;
    auto add = [&](std::int32_t x) {
        const TElement* column = FWork.data() + Index(x, 0);
        for (std::int32_t y = 0; y < FHeight; ++y)
            for (int c = 0; c < 3; ++c)
                sums[y].Channel[c] = sums[y].Channel[c] + column[y].Channel[c];
    };
    auto subtract = [&](std::int32_t x) {
        const TElement* column = FWork.data() + Index(x, 0);
        for (std::int32_t y = 0; y < FHeight; ++y)
            for (int c = 0; c < 3; ++c)
                sums[y].Channel[c] = sums[y].Channel[c] - column[y].Channel[c];
    };
    const std::int32_t primed = std::min(radius, FWidth);
    for (std::int32_t i = 0; i < primed; ++i, ++count)
        add(i);
    std::int32_t stepsDone = 0;
    for (std::int32_t d = 0; d < FWidth; ++d) {
        if (d + radius < FWidth) {
            add(d + radius);
            ++count;
        }
        if (d - radius - 1 >= 0) {
            subtract(d - radius - 1);
            --count;
        }
        TElement* out = FImage.data() + Index(d, 0);
        const float divisor = static_cast<float>(count);
        for (std::int32_t y = 0; y < FHeight; ++y)
            for (int c = 0; c < 3; ++c)
                out[y].Channel[c] = count == 0 ? 0.0f : sums[y].Channel[c] / divisor;
        // One meter step per row, spread over the columns so the bar moves evenly.
        const std::int32_t due = static_cast<std::int32_t>(static_cast<std::int64_t>(d + 1) * FHeight / FWidth);
        for (; progress && stepsDone < due; ++stepsDone)
            progress->Step();
    }
}
