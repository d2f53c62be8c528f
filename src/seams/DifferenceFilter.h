#pragma once
// Block intensities of a picture and their gradients, the ground the seam search's
// energies are computed on.
#include <cstdint>

#include "seams/BlockGrid.h"

struct TGradient {
    // 32 bits, not 16: a 7 x 7 block already sums to 12 495 and three of those
    // differences overflow 16 bits; the widest filter (3, 10, 3) on the largest block
    // the constructor accepts still fits 31 bits.
    std::int32_t X = 0;
    std::int32_t Y = 0;
    friend bool operator==(const TGradient&, const TGradient&) = default;
};

class TDifferenceFilter {
public:
    // Largest block area whose intensity times the widest filter (weights summing to 16)
    // fits a signed 32-bit value: 255 * 2^19 * 16 < 2^31.
    static constexpr std::int64_t MaxBlockArea = std::int64_t{1} << 19;

    // Throws std::invalid_argument for a size or block side below 1, a filter type
    // above 4 or a block area above MaxBlockArea.
    TDifferenceFilter(std::int32_t width, std::int32_t height, std::uint8_t filterType, std::int32_t blockWidth,
                      std::int32_t blockHeight);

    // The current size; nx and ny never exceed the capacity allocated at creation.
    void SetImageSize(std::int32_t width, std::int32_t height);
    void AddPixel(std::int32_t x, std::int32_t y, std::uint8_t blue, std::uint8_t green, std::uint8_t red);
    void ComputeGradient();

    std::int32_t Width() const { return FWidth; }
    std::int32_t Height() const { return FHeight; }
    std::int32_t BlockWidth() const { return FBlockWidth; }
    std::int32_t BlockHeight() const { return FBlockHeight; }
    std::int32_t Nx() const { return FNx; }
    std::int32_t Ny() const { return FNy; }
    std::int32_t CapacityX() const { return FCapacityX; }
    std::int32_t CapacityY() const { return FCapacityY; }
    std::uint8_t FilterType() const { return FFilterType; }
    std::int32_t Intensity(std::int32_t i, std::int32_t j) const { return FIntensity.At(i, j); }
    TGradient Gradient(std::int32_t i, std::int32_t j) const { return FGradient.At(i, j); }

protected:
    // The gradient of one inner block from its 3 x 3 neighbourhood of intensities.
    TGradient BlockGradient(std::int32_t i, std::int32_t j) const;

    std::int32_t FWidth;
    std::int32_t FHeight;
    std::int32_t FBlockWidth;
    std::int32_t FBlockHeight;
    std::int32_t FCapacityX;
    std::int32_t FCapacityY;
    std::int32_t FNx = 0;
    std::int32_t FNy = 0;
    std::uint8_t FFilterType;
    // A block sums up to 255 * MaxBlockArea, which needs more than 16 bits from 129
    // pixels on (images above about 13 800 pixels a side).
    TBlockGrid<std::int32_t> FIntensity;
    TBlockGrid<TGradient> FGradient;

private:
    void CopyGradientBorder();
};
