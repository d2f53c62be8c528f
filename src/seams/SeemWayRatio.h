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
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <span>
#include <vector>

#include "imaging/VxPageMemory.h"

// Block side for a picture side: round(pixels / 1200) with ties to even, at least 1.
std::int32_t SeemBlockSize(std::int32_t pixels);

// The predecessor the forward pass takes for index j, given the previous line of sums:
// j first, j + 1 on a tie or better, then j - 1 only when strictly smaller.
std::int32_t CheapestPredecessor(const std::int64_t* previous, std::int32_t j, std::int32_t count);

// Addition that sticks at the ends of the 64-bit range instead of wrapping: a line of
// protected blocks sums to more than the range holds, and must still read as protected.
inline std::int64_t SaturatingAdd(std::int64_t a, std::int64_t b)
{
    constexpr std::int64_t most = INT64_MAX;
    constexpr std::int64_t least = INT64_MIN;
    if (b > 0 && a > most - b)
        return most;
    if (b < 0 && a < least - b)
        return least;
    return a + b;
}

// Columns of equal length behind one pointer table, so that whole columns move by
// exchanging pointers. Capacity is fixed at creation; the unused columns beyond the
// current width serve as the spares a rotation needs. The cells start as zero bits
// (T must be valid as all zeros); the memory comes straight from the page allocator,
// which hands out zeroed pages, so a large grid is not cleared twice.
// Each column array lies in a slot of its own; taking an entry out of a column (or
// duplicating one) moves whichever part of the column is shorter, so a column may start
// a little into its slot until Realign puts it back.
template <typename T> class TBlockGrid {
public:
    TBlockGrid() = default;
    TBlockGrid(const TBlockGrid&) = delete;
    TBlockGrid& operator=(const TBlockGrid&) = delete;
    ~TBlockGrid() { Release(); }

    // Columns start on 64-byte boundaries so that a walk across the columns touches one
    // cache line per column for every few rows. Throws std::bad_alloc when the system
    // has no memory to give.
    void Allocate(std::int32_t columns, std::int32_t rows)
    {
        Release();
        constexpr std::size_t perLine = 64 / sizeof(T) > 0 ? 64 / sizeof(T) : 1;
        const std::size_t pitch = (static_cast<std::size_t>(rows) + perLine - 1) / perLine * perLine;
        const std::size_t bytes = std::max<std::size_t>(pitch * static_cast<std::size_t>(columns) * sizeof(T), 1);
        void* store = VxPageMemory::Allocate(bytes);
        if (!store)
            throw std::bad_alloc();
        FStore = store;
        FStoreSize = bytes;
        FPitch = pitch;
        T* first = static_cast<T*>(store); // page aligned
        FColumns.resize(static_cast<std::size_t>(columns));
        for (std::int32_t i = 0; i < columns; ++i)
            FColumns[i] = first + static_cast<std::size_t>(i) * pitch;
        FDrifted = false;
    }
    bool Allocated() const { return FStore != nullptr; }
    T* Column(std::int32_t i) const { return FColumns[i]; }
    T* const* Columns() const { return FColumns.data(); }
    T& At(std::int32_t i, std::int32_t j) const { return FColumns[i][j]; }
    std::int32_t Capacity() const { return static_cast<std::int32_t>(FColumns.size()); }

    // Column from is dropped; columns from + 1 .. last move one place left; the dropped
    // array becomes column last.
    void RotateLeft(std::int32_t from, std::int32_t last)
    {
        T* dropped = FColumns[from];
        for (std::int32_t i = from; i < last; ++i)
            FColumns[i] = FColumns[i + 1];
        FColumns[last] = dropped;
    }
    // Takes entry at out of column i, which holds count entries; the entries after it
    // move up one.
    void RemoveAt(std::int32_t i, std::int32_t at, std::int32_t count)
    {
        T* column = FColumns[i];
        if (at < count - at - 1) {
            std::memmove(column + 1, column, static_cast<std::size_t>(at) * sizeof(T));
            FColumns[i] = column + 1;
            FDrifted = true;
        } else if (at + 1 < count) {
            std::memmove(column + at, column + at + 1, static_cast<std::size_t>(count - at - 1) * sizeof(T));
        }
    }
    // Puts a copy of entry at of column i (count entries, fewer than the capacity) right
    // after it. A column that has no room left after it in its slot has drifted into the
    // slot, so there is always room on one side.
    void DuplicateAt(std::int32_t i, std::int32_t at, std::int32_t count)
    {
        T* column = FColumns[i];
        const bool roomBefore = column > Slot(column);
        const bool roomAfter = column + count < Slot(column) + FPitch;
        if (roomBefore && (at + 1 < count - at || !roomAfter)) {
            std::memmove(column - 1, column, static_cast<std::size_t>(at + 1) * sizeof(T));
            FColumns[i] = column - 1;
            return;
        }
        std::memmove(column + at + 1, column + at, static_cast<std::size_t>(count - at) * sizeof(T));
    }
    // Moves every column of count entries back to the start of its slot, where the
    // columns begin on cache lines.
    void Realign(std::int32_t count)
    {
        if (!FDrifted)
            return;
        for (T*& column : FColumns) {
            T* slot = Slot(column);
            if (column != slot) {
                std::memmove(slot, column, static_cast<std::size_t>(count) * sizeof(T));
                column = slot;
            }
        }
        FDrifted = false;
    }

    // Puts every column back at the start of its slot without keeping its entries, for a
    // grid about to be written afresh. A column left out of the entry moves while the
    // columns in use changed length may lie so far into its slot that the current length
    // no longer fits there.
    void Rewind()
    {
        for (T*& column : FColumns)
            column = Slot(column);
        FDrifted = false;
    }

    // Columns from .. last - 1 move one place right; the array of column last comes in at
    // from, at the start of its slot: it is a spare, whose entries the caller overwrites,
    // and it may have drifted while it was in use at another length.
    void RotateRight(std::int32_t from, std::int32_t last)
    {
        T* incoming = Slot(FColumns[last]);
        for (std::int32_t i = last; i > from; --i)
            FColumns[i] = FColumns[i - 1];
        FColumns[from] = incoming;
    }

private:
    void Release()
    {
        if (FStore)
            VxPageMemory::Release(FStore, FStoreSize);
        FStore = nullptr;
        FStoreSize = 0;
        FColumns.clear();
    }
    // The start of the slot a column array lies in.
    T* Slot(T* column) const
    {
        T* first = static_cast<T*>(FStore);
        return first + static_cast<std::size_t>(column - first) / FPitch * FPitch;
    }

    void* FStore = nullptr;
    std::size_t FStoreSize = 0;
    std::size_t FPitch = 0;
    bool FDrifted = false;
    std::vector<T*> FColumns;
};

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

class TSeemWayRatio : public TDifferenceFilter {
public:
    TSeemWayRatio(std::int32_t width, std::int32_t height, std::int32_t blockWidth, std::int32_t blockHeight);
    virtual ~TSeemWayRatio() = default;

    // Also forgets both seams and their sums: they belong to the former grid size.
    void SetImageSize(std::int32_t width, std::int32_t height);
    // mark: 0 none, 1 remove, 2 protect; a block keeps the largest mark of its pixels.
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
        return FMarks.empty() ? std::uint8_t{0} : FMarks[Index(i, j)];
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

    enum TGridSeam : std::uint8_t { gsRemoveHorizontal, gsInsertHorizontal, gsRemoveVertical, gsInsertVertical };
    // A seam update the intensity and gradient grids have not had yet, with the grid size
    // it was made at.
    struct TPendingSeam {
        TGridSeam Kind;
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
    void DeferGridSeam(TGridSeam kind, std::span<const std::int32_t> seam);
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
    void ApplyGridSeam(TGridSeam kind, std::span<const std::int32_t> seam);
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
