#pragma once
// Moving the column-major grids along a vertical seam: a seam keeps to one block column
// per block row, so a row's entries move from column to column.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "seams/BlockGrid.h"

// A vertical seam's block columns (one per block row) summarised by bands of rows: the
// column moves pass over a whole band that the seam keeps to one side of, and copy a band
// that lies wholly on the moving side in one piece.
class TSeamBands {
public:
    static constexpr std::int32_t Band = 16;

    explicit TSeamBands(std::span<const std::int32_t> seam)
        : FPositions(seam.data()), FRows(static_cast<std::int32_t>(seam.size()))
    {
        const auto [low, high] = std::minmax_element(seam.begin(), seam.end());
        Low = *low;
        High = *high;
        for (std::int32_t j0 = 0; j0 < FRows; j0 += Band) {
            const auto [bandLow, bandHigh] =
                std::minmax_element(seam.begin() + j0, seam.begin() + std::min(j0 + Band, FRows));
            FLow.push_back(*bandLow);
            FHigh.push_back(*bandHigh);
        }
        for (const std::int32_t p : seam) {
            RightCost += High - p;
            LeftCost += p - Low;
        }
    }

    // dst[j] = src[j] for the rows j whose seam position is at most column (Beyond false)
    // or beyond it (Beyond true).
    template <bool Beyond, typename T> void TakeRows(T* dst, const T* src, std::int32_t column) const
    {
        for (std::size_t b = 0; b < FLow.size(); ++b) {
            const std::int32_t j0 = static_cast<std::int32_t>(b) * Band;
            const std::int32_t n = std::min(Band, FRows - j0);
            const bool all = Beyond ? FLow[b] > column : FHigh[b] <= column;
            const bool none = Beyond ? FHigh[b] <= column : FLow[b] > column;
            if (none)
                continue;
            if (all) {
                std::memcpy(dst + j0, src + j0, static_cast<std::size_t>(n) * sizeof(T));
                continue;
            }
            for (std::int32_t j = j0; j < j0 + n; ++j)
                if ((FPositions[j] > column) == Beyond)
                    dst[j] = src[j];
        }
    }

    std::int32_t Low = 0;
    std::int32_t High = 0;
    // Entries to move when the part right of the seam moves left, or the part left of
    // it moves right.
    std::int64_t RightCost = 0;
    std::int64_t LeftCost = 0;

private:
    const std::int32_t* FPositions;
    std::int32_t FRows;
    std::vector<std::int32_t> FLow;
    std::vector<std::int32_t> FHigh;
};

// Row j of every column from seam[j] on moves one column left, in every grid at once.
// Only the columns between the nearest and the farthest seam position move entry by
// entry (column by column, so memory is read in order); beyond them whole arrays move.
// Whichever side of the seam has fewer entries between those columns is the one that
// moves entry by entry: the part right of the seam to the left, or, with the arrays from
// the nearest position on moved left first, the part left of the seam back into place.
template <typename... T>
void RemoveAcrossColumns(std::span<const std::int32_t> seam, std::int32_t nx, TBlockGrid<T>&... grids)
{
    const TSeamBands bands(seam);
    if (bands.RightCost <= bands.LeftCost) {
        for (std::int32_t i = bands.Low; i < bands.High; ++i)
            (bands.TakeRows<false>(grids.Column(i), grids.Column(i + 1), i), ...);
        (grids.RotateLeft(bands.High, nx - 1), ...);
        return;
    }
    (grids.RotateLeft(bands.Low, nx - 1), ...);
    // Column i now holds the array of column i + 1; the old column i is at i - 1, or at
    // the end for the nearest position.
    for (std::int32_t i = bands.High - 1; i >= bands.Low; --i)
        (bands.TakeRows<true>(grids.Column(i), grids.Column(i == bands.Low ? nx - 1 : i - 1), i), ...);
}

// Row j of every column from seam[j] on moves one column right, leaving a copy of the
// seam block behind. Needs one column of capacity beyond nx.
template <typename... T>
void DuplicateAcrossColumns(std::span<const std::int32_t> seam, std::int32_t nx, TBlockGrid<T>&... grids)
{
    const TSeamBands bands(seam);
    (grids.RotateRight(bands.High + 1, nx), ...);
    for (std::int32_t i = bands.High + 1; i > bands.Low; --i)
        (bands.TakeRows<false>(grids.Column(i), grids.Column(i - 1), i - 1), ...);
}
