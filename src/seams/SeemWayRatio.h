#pragma once
// Seam search on a grid of blocks: block intensities, gradients, marked energies, the
// cheapest horizontal and vertical seams, and the grid updates that follow a seam being
// taken out of the picture or put into it.
//
//   TSeemWayRatio finder(width, height, SeemBlockSize(width), SeemBlockSize(height));
//   finder.SetImageSize(width, height);
//   ... finder.AddPixel(x, y, mark, blue, green, red) for every pixel ...
//   finder.ComputeGradient();
//   finder.ComputeEnergy();
//   while (!finder.VerticalThroughProtected()) {
//       ... move the pixels of column finder.VerticalSeamAt(y) in every row y ...
//       finder.RemoveVerticalSeam();
//   }
//
// All grids are indexed [i][j] with i the block column and j the block row, and kept
// column by column so that a vertical seam can move whole columns by exchanging them.
// The cumulative sums of a direction are kept too and shifted with the energies, so the
// search after a seam only redoes the sums that the seam changed (a band around it)
// instead of the whole grid; both ways give the same sums.
#include <cstdint>
#include <span>
#include <vector>

#include "seams/DifferenceFilter.h"
#include "seams/SeemKind.h"

// Block side for a picture side: round(pixels / 1200) with ties to even, at least 1.
std::int32_t SeemBlockSize(std::int32_t pixels);

// A block's energy and its cumulative sum for vertical seams side by side: the vertical
// search walks along block rows, across the column arrays, and every column it touches
// costs a cache line; one array instead of two halves those, and a grid update moves
// both with one copy.
template <typename TValue> struct TEnergyCellOf {
    TValue Energy = 0;
    TValue VerticalSum = 0;
};
// Energies are 64-bit values. While no sum of a line of them can leave 32 bits (no marks,
// which bring the huge bonuses; energies bounded by the gradients), they are kept in
// 32-bit cells: the same sums, but half the memory for every search to walk.
using TEnergyCell = TEnergyCellOf<std::int64_t>;
using TCompactEnergyCell = TEnergyCellOf<std::int32_t>;

class TSeemWayRatio : public TDifferenceFilter {
public:
    TSeemWayRatio(std::int32_t width, std::int32_t height, std::int32_t blockWidth, std::int32_t blockHeight);
    virtual ~TSeemWayRatio() = default;

    // Also forgets both seams and their sums: they belong to the former grid size.
    void SetImageSize(std::int32_t width, std::int32_t height);
    // mark: a TSeemMark; a block keeps the largest mark of its pixels.
    void AddPixel(std::int32_t x, std::int32_t y, std::uint8_t mark, std::uint8_t blue, std::uint8_t green,
                  std::uint8_t red);
    // The same as AddPixel for the pixels x = 0 .. count - 1 of row y: bgr holds three bytes
    // a pixel, marks one byte a pixel (or nothing for no marks).
    void AddRow(std::int32_t y, const std::uint8_t* bgr, const std::uint8_t* marks, std::int32_t count);
    void ComputeEnergy();
    void ComputeGradient();

    // The intensities and gradients of the current grid. After the energy is computed
    // nothing in the search reads them, so the seam updates reach them only when they are
    // read here (or the grid is filled or filtered again).
    std::int32_t Intensity(std::int32_t i, std::int32_t j);
    TGradient Gradient(std::int32_t i, std::int32_t j);

    long double HorizontalSeamCost();
    long double VerticalSeamCost();
    bool HorizontalPreferred() { return VerticalSeamCost() > HorizontalSeamCost(); }
    bool HorizontalThroughRemoval() { return HorizontalSeamCost() < 0; }
    bool VerticalThroughRemoval() { return VerticalSeamCost() < 0; }
    bool HorizontalThroughProtected() { return HorizontalSeamCost() >= FProtectionThreshold; }
    bool VerticalThroughProtected() { return VerticalSeamCost() >= FProtectionThreshold; }
    // Pixel row of the horizontal seam in pixel column x; pixel column of the vertical
    // seam in pixel row y.
    std::int32_t HorizontalSeamAt(std::int32_t x);
    std::int32_t VerticalSeamAt(std::int32_t y);
    // Block rows of the horizontal seam (one per block column), block columns of the
    // vertical seam (one per block row); computed on demand.
    std::span<const std::int32_t> HorizontalSeam();
    std::span<const std::int32_t> VerticalSeam();

    // Bring the grid in step after the caller has moved the pixels along the current
    // seam. An insertion beyond the capacity allocated at creation is refused (false);
    // a removal from a grid one block wide (or high) does nothing.
    void RemoveHorizontalSeam();
    bool InsertHorizontalSeam();
    void RemoveVerticalSeam();
    bool InsertVerticalSeam();

    // 3 outside the grid, 2 a corner, 1 on an edge, 0 inside.
    virtual std::int32_t BlockPosition(std::int32_t i, std::int32_t j) const;

    std::int64_t Energy(std::int32_t i, std::int32_t j) const
    {
        return FCompact ? FCompactEnergy.At(i, j).Energy : FEnergy.At(i, j).Energy;
    }
    // Whether the energies are kept in 32-bit cells at the moment (see TCompactEnergyCell).
    bool CompactEnergy() const { return FCompact; }
    // The mark gathered from the pixels (valid until the first grid update).
    std::uint8_t Mark(std::int32_t i, std::int32_t j)
    {
        CatchUpGrid();
        return FMarks.empty() ? std::uint8_t{smNone} : FMarks[Index(i, j)];
    }
    std::int64_t ProtectBonus() const { return FProtectBonus; }
    std::int64_t RemovalBonus() const { return FRemovalBonus; }
    // Q and T are kept in 64 bits: with the widened gradients they no longer fit 32.
    std::int64_t InsertionPenalty() const { return FInsertionPenalty; }
    std::int64_t ProtectionThreshold() const { return FProtectionThreshold; }

    // After a seam the next search repairs the previous sums near that seam instead of
    // summing the whole grid again; both give the same sums. Off: every search sums the
    // whole grid (the reference the repair is tested against).
    void SetIncrementalSums(bool incremental) { FIncrementalSums = incremental; }

private:
    // What the cumulative sums of one direction hold: nothing usable, the sums of the
    // current energies, or the sums from before the last seam of that direction, already
    // shifted along with the energies, which the next search repairs near the seam.
    enum TSumState : std::uint8_t { ssStale, ssCurrent, ssAfterRemoval, ssAfterInsertion };

    // A seam update the intensity and gradient grids have not had yet, with the grid size
    // it was made at.
    struct TPendingSeam {
        TSeemKind Kind;
        std::int32_t Nx;
        std::int32_t Ny;
        std::vector<std::int32_t> Seam;
    };

    std::size_t Index(std::int32_t i, std::int32_t j) const
    {
        return static_cast<std::size_t>(i) * static_cast<std::size_t>(FCapacityY) + static_cast<std::size_t>(j);
    }
    void FindHorizontalSeam();
    void FindVerticalSeam();
    void ComputeHorizontalSums();
    void ComputeVerticalSums();
    bool SumsMaySaturate() const;
    void RepairHorizontalSums(bool inserted);
    void RepairVerticalSums(bool inserted);
    void InvalidateSeams();
    void DeferGridSeam(TSeemKind kind, std::span<const std::int32_t> seam);
    // Applies the deferred seams and the staged rows: the grids are then current.
    void CatchUpGrid();
    void ApplyPendingSeams();
    // Pixel rows given to AddRow are summed into a few block rows laid out like the
    // picture and added to the column-major grid a band at a time: added one row at a
    // time, every pixel would land in another column's memory page.
    static constexpr std::int32_t StageRows = 16;
    void FlushStage();
    // Raises the mark of block (i, j); the mark grid exists from the first mark on.
    void RaiseMark(std::int32_t i, std::int32_t j, std::uint8_t mark);
    void ApplyGridSeam(TSeemKind kind, std::span<const std::int32_t> seam);
    void RecomputeGradients(std::span<const std::int32_t> columns, std::span<const std::int32_t> rows);
    void CopyFromInnerNeighbour(std::int32_t i, std::int32_t j);

    // Calls action with the energy grid in use: the 32-bit one or the 64-bit one.
    template <typename TAction> void WithEnergy(TAction&& action)
    {
        if (FCompact)
            action(FCompactEnergy);
        else
            action(FEnergy);
    }
    // True when every sum of a line of energies no larger than largest fits 32 bits.
    bool FitsCompact(std::int64_t largest) const;
    // Moves the energies and vertical sums into 64-bit cells.
    void Widen();
    void PrepareInsertion();
    template <typename TValue> void AddPenalty(TValue& energy);

    TBlockGrid<TEnergyCell> FEnergy;
    TBlockGrid<TCompactEnergyCell> FCompactEnergy;
    bool FCompact = true;
    // The marks of the blocks, [i][j] with column length FCapacityY; empty while no
    // pixel has carried a mark.
    std::vector<std::uint8_t> FMarks;
    std::vector<std::int32_t> FStageSums; // StageRows x FCapacityX
    std::vector<std::uint8_t> FStageMarks;
    std::int32_t FStageFirst = 0;
    std::int32_t FStageCount = 0;
    std::int32_t FStageWidth = 0; // block columns touched
    bool FStageHasMarks = false;
    TBlockGrid<std::int64_t> FHorizontalSums;
    std::vector<std::int32_t> FHorizontalSeam;
    std::vector<std::int32_t> FVerticalSeam;
    std::vector<TPendingSeam> FPendingSeams;
    TSumState FHorizontalState = ssStale;
    TSumState FVerticalState = ssStale;
    bool FIncrementalSums = true;
    std::int64_t FProtectBonus = 0;
    // The largest |energy| the grid has held since the energy was computed.
    std::int64_t FLargestEnergy = INT64_MAX;
    std::int64_t FRemovalBonus = 0;
    std::int64_t FInsertionPenalty = 0;
    std::int64_t FProtectionThreshold = 0;
    // Scratch for the block positions whose gradient a grid update recomputes, and for
    // gathering one block row of the column-major grids.
    std::vector<std::int32_t> FTouchedColumns;
    std::vector<std::int32_t> FTouchedRows;
    std::vector<std::int64_t> FBandEnergy;
    std::vector<std::int64_t> FBandSums;
    std::vector<std::int64_t> FLineAbove;
};
