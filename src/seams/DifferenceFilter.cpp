#include "seams/DifferenceFilter.h"

#include <algorithm>
#include <stdexcept>

namespace {

// Filter weights (a, b, a) across the difference; type 0 is the plain central difference.
struct TFilterWeights {
    std::int32_t Side;
    std::int32_t Centre;
};
constexpr TFilterWeights FilterWeights[] = {{0, 1}, {1, 1}, {1, 2}, {1, 3}, {3, 10}};

std::int32_t CeilDiv(std::int32_t value, std::int32_t divisor)
{
    return static_cast<std::int32_t>((static_cast<std::int64_t>(value) + divisor - 1) / divisor);
}

} // namespace

TDifferenceFilter::TDifferenceFilter(std::int32_t width, std::int32_t height, std::uint8_t filterType,
                                     std::int32_t blockWidth, std::int32_t blockHeight)
    : FWidth(width), FHeight(height), FBlockWidth(blockWidth), FBlockHeight(blockHeight), FFilterType(filterType)
{
    if (width < 1 || height < 1 || blockWidth < 1 || blockHeight < 1)
        throw std::invalid_argument("seam grid: size and block sides must be positive");
    if (filterType > 4)
        throw std::invalid_argument("seam grid: filter type must be 0 to 4");
    if (static_cast<std::int64_t>(blockWidth) * blockHeight > MaxBlockArea)
        throw std::invalid_argument("seam grid: block too large");
    FCapacityX = CeilDiv(width, blockWidth);
    FCapacityY = CeilDiv(height, blockHeight);
    FIntensity.Allocate(FCapacityX, FCapacityY);
    FGradient.Allocate(FCapacityX, FCapacityY);
    SetImageSize(width, height);
}

void TDifferenceFilter::SetImageSize(std::int32_t width, std::int32_t height)
{
    FNx = std::clamp(CeilDiv(std::max(width, 0), FBlockWidth), 0, FCapacityX);
    FNy = std::clamp(CeilDiv(std::max(height, 0), FBlockHeight), 0, FCapacityY);
}

void TDifferenceFilter::AddPixel(std::int32_t x, std::int32_t y, std::uint8_t blue, std::uint8_t green,
                                 std::uint8_t red)
{
    if (x < 0 || y < 0)
        return;
    const std::int32_t i = x / FBlockWidth;
    const std::int32_t j = y / FBlockHeight;
    if (i >= FCapacityX || j >= FCapacityY)
        return;
    FIntensity.At(i, j) += std::max({blue, green, red});
}

namespace {

inline TGradient GradientAt(const std::int32_t* left, const std::int32_t* centre, const std::int32_t* right,
                            TFilterWeights w, std::int32_t j)
{
    TGradient g;
    g.X =
        w.Side * (left[j - 1] - right[j - 1]) + w.Centre * (left[j] - right[j]) + w.Side * (left[j + 1] - right[j + 1]);
    g.Y = w.Side * (left[j - 1] - left[j + 1]) + w.Centre * (centre[j - 1] - centre[j + 1]) +
          w.Side * (right[j - 1] - right[j + 1]);
    return g;
}

} // namespace

TGradient TDifferenceFilter::BlockGradient(std::int32_t i, std::int32_t j) const
{
    return GradientAt(FIntensity.Column(i - 1), FIntensity.Column(i), FIntensity.Column(i + 1),
                      FilterWeights[FFilterType], j);
}

void TDifferenceFilter::ComputeGradient()
{
    const TFilterWeights w = FilterWeights[FFilterType];
    for (std::int32_t i = 1; i < FNx - 1; ++i) {
        const std::int32_t* left = FIntensity.Column(i - 1);
        const std::int32_t* centre = FIntensity.Column(i);
        const std::int32_t* right = FIntensity.Column(i + 1);
        TGradient* column = FGradient.Column(i);
        for (std::int32_t j = 1; j < FNy - 1; ++j)
            column[j] = GradientAt(left, centre, right, w, j);
    }
    CopyGradientBorder();
}

// Border blocks have no full neighbourhood; they repeat their inner neighbour, the
// columns first and then the rows, so the corners end up with the diagonal inner value.
// A grid one block wide or high has no inner neighbour on that side and keeps its values.
void TDifferenceFilter::CopyGradientBorder()
{
    if (FNx >= 2) {
        TGradient* first = FGradient.Column(0);
        TGradient* last = FGradient.Column(FNx - 1);
        for (std::int32_t j = 1; j < FNy - 1; ++j) {
            first[j] = FGradient.At(1, j);
            last[j] = FGradient.At(FNx - 2, j);
        }
    }
    if (FNy >= 2) {
        for (std::int32_t i = 0; i < FNx; ++i) {
            TGradient* column = FGradient.Column(i);
            column[0] = column[1];
            column[FNy - 1] = column[FNy - 2];
        }
    }
}
