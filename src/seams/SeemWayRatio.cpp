#include "seams/SeemWayRatio.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace {

inline void Prefetch(const void* address)
{
#if defined(__GNUC__)
    __builtin_prefetch(address, 1);
#else
    (void)address;
#endif
}

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

// Rounds to nearest with ties to even, like the rest of the program's float-to-integer
// conversions (the default rounding mode).
std::int64_t RoundEven(long double value)
{
    return static_cast<std::int64_t>(std::llrint(value));
}

// |value| without the overflow of INT64_MIN, which has no positive counterpart.
std::int64_t Magnitude(std::int64_t value)
{
    return value == INT64_MIN ? INT64_MAX : std::abs(value);
}

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

// One step of the forward pass: the smallest of the up to three neighbouring sums.
// The tie rule only decides which predecessor is named, never the value taken, so the
// hot loops take the plain minimum; CheapestPredecessor keeps the named choice.
inline std::int64_t Min3(std::int64_t a, std::int64_t b, std::int64_t c)
{
    return std::min(std::min(a, b), c);
}

// energy[j] is the energy of position j: a plain array, or a column of cells.
template <typename TEnergyLine>
void ForwardLine(const std::int64_t* previous, const TEnergyLine& energy, std::int64_t* current, std::int32_t count)
{
    if (count == 1) {
        current[0] = SaturatingAdd(energy[0], previous[0]);
        return;
    }
    current[0] = SaturatingAdd(energy[0], std::min(previous[0], previous[1]));
    for (std::int32_t j = 1; j < count - 1; ++j)
        current[j] = SaturatingAdd(energy[j], Min3(previous[j - 1], previous[j], previous[j + 1]));
    current[count - 1] = SaturatingAdd(energy[count - 1], std::min(previous[count - 2], previous[count - 1]));
}

// The energies of one block column, read out of its cells.
template <typename TCell> struct TEnergyColumn {
    const TCell* Cells;
    std::int64_t operator[](std::int32_t j) const { return Cells[j].Energy; }
};

template <typename TCell> TEnergyColumn<TCell> EnergyColumn(const TCell* cells)
{
    return {cells};
}

// Walks back from the first smallest sum of the last line: stay at p unless p - 1, then
// p + 1, is strictly cheaper. sumAt(line, position) gives the sum.
template <typename TSumAt>
void Backtrack(const TSumAt& sumAt, std::int32_t lines, std::int32_t count, std::int32_t* seam)
{
    std::int32_t p = 0;
    for (std::int32_t k = 1; k < count; ++k)
        if (sumAt(lines - 1, k) < sumAt(lines - 1, p))
            p = k;
    seam[lines - 1] = p;
    for (std::int32_t line = lines - 2; line >= 0; --line) {
        std::int32_t choice = p;
        if (p - 1 >= 0 && sumAt(line, p - 1) < sumAt(line, choice))
            choice = p - 1;
        if (p + 1 < count && sumAt(line, p + 1) < sumAt(line, choice))
            choice = p + 1;
        seam[line] = p = choice;
    }
}

// The stretch of a line that a repair recomputes: the seam's neighbourhood in this line
// and the line before, and one position beyond the changes of the line before (given in
// changedFirst .. changedLast, which are then reset for this line's changes).
inline void RepairStretch(const std::int32_t* seam, std::int32_t line, std::int32_t count, bool inserted,
                          std::int32_t& changedFirst, std::int32_t& changedLast, std::int32_t& first,
                          std::int32_t& last)
{
    const std::int32_t previous = line > 0 ? seam[line - 1] : seam[line];
    first = std::min(seam[line], previous) - 2;
    last = std::max(seam[line], previous) + (inserted ? 3 : 2);
    if (changedFirst <= changedLast) {
        first = std::min(first, changedFirst - 1);
        last = std::max(last, changedLast + 1);
    }
    first = std::max(first, 0);
    last = std::min(last, count - 1);
    changedFirst = count;
    changedLast = -1;
}

// Brings sums that were shifted along with the energies of a removed (or duplicated)
// seam up to date. A sum can only differ from its shifted old value where its own
// energy changed, where its three predecessors are no longer the old ones (next to the
// seam in this line or the line before), or where a predecessor changed; so each line
// recomputes the seam's neighbourhood and one position beyond the previous line's
// changes, and the changes die out where the recomputed sums equal the old ones.
// sumAt(line, position) and energyAt(line, position) address the grids.
// Saturating false: the caller has made sure that no sum can reach the ends of the
// 64-bit range, so the plain addition gives the same sums with less work.
template <bool Saturating, typename TSumAt, typename TEnergyAt>
void RepairSums(const TSumAt& sumAt, const TEnergyAt& energyAt, std::int32_t lines, std::int32_t count,
                const std::int32_t* seam, bool inserted)
{
    std::int32_t changedFirst = 0;
    std::int32_t changedLast = -1;
    for (std::int32_t line = 0; line < lines; ++line) {
        std::int32_t first;
        std::int32_t last;
        RepairStretch(seam, line, count, inserted, changedFirst, changedLast, first, last);
        if (line == 0) {
            for (std::int32_t p = first; p <= last; ++p) {
                const std::int64_t sum = energyAt(0, p);
                auto& stored = sumAt(0, p);
                if (sum != stored) {
                    stored = sum;
                    changedFirst = std::min(changedFirst, p);
                    changedLast = p;
                }
            }
            continue;
        }
        const std::int32_t above = line - 1;
        const auto store = [&](std::int32_t p, std::int64_t least) {
            const std::int64_t energy = energyAt(line, p);
            const std::int64_t sum = Saturating ? SaturatingAdd(energy, least) : energy + least;
            auto& stored = sumAt(line, p);
            if (sum != stored) {
                stored = sum;
                changedFirst = std::min(changedFirst, p);
                changedLast = p;
            }
        };
        // The two ends have one neighbour less; the run between them needs no tests.
        std::int32_t p = first;
        if (p == 0 && p <= last) {
            store(0, count > 1 ? std::min(sumAt(above, 0), sumAt(above, 1)) : sumAt(above, 0));
            ++p;
        }
        const std::int32_t innerLast = std::min(last, count - 2);
        if (p <= innerLast) {
            std::int64_t left = sumAt(above, p - 1);
            std::int64_t centre = sumAt(above, p);
            for (; p <= innerLast; ++p) {
                const std::int64_t right = sumAt(above, p + 1);
                store(p, Min3(left, centre, right));
                left = centre;
                centre = right;
            }
        }
        if (p <= last)
            store(p, std::min(sumAt(above, p - 1), sumAt(above, p)));
    }
}

// RepairSums for the vertical sums, whose lines (block rows) lie across the column arrays:
// every block of a row costs a column pointer and a cache line. Rows are taken Depth at a
// time, each one column behind the one above it, so that they share each column's pointer
// and cache line and every row but the first finds its predecessors among the values just
// passed. The first row of a band recomputes the positions RepairSums would; each further
// row one more on either side than the row above (and its own seam neighbourhood), which
// only adds sums that are recomputed to what they were. The band's last row follows its
// changes exactly; they set the next band's stretch.
template <std::int32_t Depth, bool Saturating, typename TCell> class TColumnRepair {
public:
    using TSum = decltype(TCell::VerticalSum);

    TColumnRepair(TCell* const* cells, std::int32_t count, const std::int32_t* seam, bool inserted)
        : FCells(cells), FCount(count), FSeam(seam), FInserted(inserted)
    {
    }

    // Repairs rows line .. line + Depth - 1; first .. last is the first row's stretch.
    // changedFirst .. changedLast receive the last row's changes.
    void Band(std::int32_t line, std::int32_t first, std::int32_t last, std::int32_t& changedFirst,
              std::int32_t& changedLast)
    {
        std::int32_t firsts[Depth];
        std::int32_t lasts[Depth];
        firsts[0] = first;
        lasts[0] = last;
        for (std::int32_t d = 1; d < Depth; ++d) {
            const std::int32_t row = line + d;
            const std::int32_t seamLast = std::max(FSeam[row], FSeam[row - 1]) + (FInserted ? 3 : 2);
            firsts[d] = std::max(firsts[d - 1] - 1, 0);
            lasts[d] = std::min(std::max(lasts[d - 1] + 1, seamLast), FCount - 1);
        }
        FChangedFirst = FCount;
        FChangedLast = -1;
        // The run where every row of the band has all three predecessors: row d works on
        // column p - d.
        const std::int32_t runFirst = std::max(first, Depth);
        const std::int32_t runLast = std::min(last, FCount - 2);
        if (runFirst > runLast) {
            for (std::int32_t d = 0; d < Depth; ++d)
                for (std::int32_t c = firsts[d]; c <= lasts[d]; ++c)
                    Single(line, d, c);
        } else {
            for (std::int32_t d = 0; d < Depth; ++d)
                for (std::int32_t c = firsts[d]; c < runFirst - d; ++c)
                    Single(line, d, c);
            Run(line, runFirst, runLast);
            for (std::int32_t d = 0; d < Depth; ++d)
                for (std::int32_t c = runLast - d + 1; c <= lasts[d]; ++c)
                    Single(line, d, c);
        }
        changedFirst = FChangedFirst;
        changedLast = FChangedLast;
    }

private:
    static std::int64_t Add(std::int64_t energy, std::int64_t least)
    {
        return Saturating ? SaturatingAdd(energy, least) : energy + least;
    }

    // Stores the sum of row line + d, column c; the band's last row notes a change.
    void Store(TCell& cell, std::int64_t sum, std::int32_t d, std::int32_t c)
    {
        if (d == Depth - 1) {
            if (sum == cell.VerticalSum)
                return;
            FChangedFirst = std::min(FChangedFirst, c);
            FChangedLast = std::max(FChangedLast, c);
        }
        cell.VerticalSum = static_cast<TSum>(sum);
    }

    // One position, with the ends' fewer neighbours.
    void Single(std::int32_t line, std::int32_t d, std::int32_t c)
    {
        const std::int32_t row = line + d;
        const std::int32_t up = row - 1;
        std::int64_t least = FCells[c][up].VerticalSum;
        if (c > 0)
            least = std::min<std::int64_t>(least, FCells[c - 1][up].VerticalSum);
        if (c + 1 < FCount)
            least = std::min<std::int64_t>(least, FCells[c + 1][up].VerticalSum);
        TCell& cell = FCells[c][row];
        Store(cell, Add(cell.Energy, least), d, c);
    }

    void Run(std::int32_t line, std::int32_t runFirst, std::int32_t runLast)
    {
        // columns[k] addresses column p - k at row line: row line + d is columns[k][d].
        TCell* columns[Depth];
        // Row d's predecessors in row line + d - 1 at columns p - d - 1 and p - d.
        std::int64_t left[Depth];
        std::int64_t centre[Depth];
        for (std::int32_t d = 0; d < Depth; ++d) {
            const std::int32_t c = runFirst - d;
            columns[d] = FCells[c] + line;
            left[d] = FCells[c - 1][line + d - 1].VerticalSum;
            centre[d] = columns[d][d - 1].VerticalSum;
        }
        // When a row of the band starts a cache line of its columns, that line has not
        // been read yet: ask for it a few columns ahead.
        constexpr std::int32_t perLine = 64 / static_cast<std::int32_t>(sizeof(TCell));
        std::int32_t fetchRow = -1;
        for (std::int32_t d = 1; d < Depth; ++d)
            if ((line + d) % perLine == 0)
                fetchRow = line + d;
        for (std::int32_t p = runFirst; p <= runLast; ++p) {
            if (fetchRow >= 0)
                Prefetch(FCells[std::min(p + 16, FCount - 1)] + fetchRow);
            TCell* next = FCells[p + 1] + line;
            std::int64_t right = next[-1].VerticalSum;
#pragma GCC unroll 8
            for (std::int32_t d = 0; d < Depth; ++d) {
                TCell& cell = columns[d][d];
                const std::int64_t sum = Add(cell.Energy, Min3(left[d], centre[d], right));
                Store(cell, sum, d, p - d);
                left[d] = centre[d];
                centre[d] = right;
                right = sum;
            }
#pragma GCC unroll 8
            for (std::int32_t d = Depth - 1; d > 0; --d)
                columns[d] = columns[d - 1];
            columns[0] = next;
        }
    }

    TCell* const* FCells;
    std::int32_t FCount;
    const std::int32_t* FSeam;
    bool FInserted;
    std::int32_t FChangedFirst = 0;
    std::int32_t FChangedLast = -1;
};

template <bool Saturating, typename TCell>
void RepairAcrossColumns(TCell* const* cells, std::int32_t lines, std::int32_t count, const std::int32_t* seam,
                         bool inserted)
{
    constexpr std::int32_t depth = 8;
    std::int32_t changedFirst = count;
    std::int32_t changedLast = -1;
    std::int32_t first;
    std::int32_t last;
    RepairStretch(seam, 0, count, inserted, changedFirst, changedLast, first, last);
    for (std::int32_t p = first; p <= last; ++p) {
        auto& cell = cells[p][0];
        if (cell.VerticalSum != cell.Energy) {
            cell.VerticalSum = cell.Energy;
            changedFirst = std::min(changedFirst, p);
            changedLast = p;
        }
    }
    TColumnRepair<depth, Saturating, TCell> bands(cells, count, seam, inserted);
    TColumnRepair<1, Saturating, TCell> single(cells, count, seam, inserted);
    std::int32_t line = 1;
    for (; line + depth <= lines; line += depth) {
        RepairStretch(seam, line, count, inserted, changedFirst, changedLast, first, last);
        bands.Band(line, first, last, changedFirst, changedLast);
    }
    for (; line < lines; ++line) {
        RepairStretch(seam, line, count, inserted, changedFirst, changedLast, first, last);
        single.Band(line, first, last, changedFirst, changedLast);
    }
}

} // namespace

std::int32_t SeemBlockSize(std::int32_t pixels)
{
    // Integer form of round(pixels / 1200) with ties to even: exact for every size.
    const std::int32_t quotient = pixels / 1200;
    const std::int32_t twiceRest = (pixels % 1200) * 2;
    std::int32_t size = quotient;
    if (twiceRest > 1200 || (twiceRest == 1200 && (quotient & 1) != 0))
        ++size;
    return std::max(size, 1);
}

std::int32_t CheapestPredecessor(const std::int64_t* previous, std::int32_t j, std::int32_t count)
{
    std::int32_t choice = j;
    if (j + 1 < count && previous[j + 1] <= previous[choice])
        choice = j + 1;
    if (j - 1 >= 0 && previous[j - 1] < previous[choice])
        choice = j - 1;
    return choice;
}

// ---------------------------------------------------------------------------------------
// TDifferenceFilter

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

// ---------------------------------------------------------------------------------------
// TSeemWayRatio

TSeemWayRatio::TSeemWayRatio(std::int32_t width, std::int32_t height, std::int32_t blockWidth, std::int32_t blockHeight)
    : TDifferenceFilter(width, height, 1, blockWidth, blockHeight)
{
    // The horizontal sums, the marks and the 64-bit energies are allocated when first
    // needed: a width reduction never searches horizontally, and most runs carry no marks.
    FCompactEnergy.Allocate(FCapacityX, FCapacityY);
    FHorizontalSeam.assign(static_cast<std::size_t>(FCapacityX), 0);
    FVerticalSeam.assign(static_cast<std::size_t>(FCapacityY), 0);
    InvalidateSeams();
}

void TSeemWayRatio::SetImageSize(std::int32_t width, std::int32_t height)
{
    TDifferenceFilter::SetImageSize(width, height);
    InvalidateSeams();
}

void TSeemWayRatio::AddPixel(std::int32_t x, std::int32_t y, std::uint8_t mark, std::uint8_t blue, std::uint8_t green,
                             std::uint8_t red)
{
    if (x < 0 || y < 0 || x / FBlockWidth >= FCapacityX || y / FBlockHeight >= FCapacityY)
        return;
    // Sums and marks do not depend on the order they arrive in, so a pixel may pass the
    // rows still staged by AddRow.
    ApplyPendingSeams();
    TDifferenceFilter::AddPixel(x, y, blue, green, red);
    RaiseMark(x / FBlockWidth, y / FBlockHeight, mark);
}

void TSeemWayRatio::RaiseMark(std::int32_t i, std::int32_t j, std::uint8_t mark)
{
    if (mark == 0)
        return;
    if (FMarks.empty())
        FMarks.assign(static_cast<std::size_t>(FCapacityX) * static_cast<std::size_t>(FCapacityY), 0);
    std::uint8_t& blockMark = FMarks[Index(i, j)];
    blockMark = std::max(blockMark, mark);
}

void TSeemWayRatio::AddRow(std::int32_t y, const std::uint8_t* bgr, const std::uint8_t* marks, std::int32_t count)
{
    if (y < 0 || y / FBlockHeight >= FCapacityY)
        return;
    ApplyPendingSeams();
    const std::int32_t j = y / FBlockHeight;
    if (FStageCount > 0 && (j < FStageFirst || j >= FStageFirst + StageRows))
        FlushStage();
    if (FStageCount == 0) {
        FStageFirst = j;
        if (FStageSums.empty())
            FStageSums.assign(static_cast<std::size_t>(StageRows) * static_cast<std::size_t>(FCapacityX), 0);
    }
    FStageCount = std::max(FStageCount, j - FStageFirst + 1);
    count = static_cast<std::int32_t>(std::min<std::int64_t>(count, static_cast<std::int64_t>(FCapacityX) * FBlockWidth));
    const std::size_t rowOffset = static_cast<std::size_t>(j - FStageFirst) * static_cast<std::size_t>(FCapacityX);
    std::int32_t* sums = FStageSums.data() + rowOffset;
    std::int32_t x = 0;
    std::int32_t i = 0;
    if (FBlockWidth == 1) {
        for (; x < count; ++x, bgr += 3)
            sums[x] += std::max({bgr[0], bgr[1], bgr[2]});
        i = count;
    } else {
        for (; x < count; ++i) {
            const std::int32_t end = std::min(count, x + FBlockWidth);
            std::int32_t sum = 0;
            for (; x < end; ++x, bgr += 3)
                sum += std::max({bgr[0], bgr[1], bgr[2]});
            sums[i] += sum;
        }
    }
    FStageWidth = std::max(FStageWidth, i);
    if (!marks)
        return;
    std::uint8_t any = 0;
    for (x = 0; x < count; ++x)
        any |= marks[x];
    if (any == 0)
        return;
    if (FStageMarks.empty())
        FStageMarks.assign(FStageSums.size(), 0);
    std::uint8_t* stagedMarks = FStageMarks.data() + rowOffset;
    for (x = 0; x < count; ++x) {
        std::uint8_t& blockMark = stagedMarks[x / FBlockWidth];
        blockMark = std::max(blockMark, marks[x]);
    }
    FStageHasMarks = true;
}

void TSeemWayRatio::FlushStage()
{
    if (FStageCount == 0)
        return;
    const auto capacity = static_cast<std::size_t>(FCapacityX);
    for (std::int32_t i = 0; i < FStageWidth; ++i) {
        std::int32_t* column = FIntensity.Column(i) + FStageFirst;
        for (std::int32_t r = 0; r < FStageCount; ++r) {
            std::int32_t& staged = FStageSums[static_cast<std::size_t>(r) * capacity + static_cast<std::size_t>(i)];
            column[r] += staged;
            staged = 0;
        }
    }
    if (FStageHasMarks) {
        for (std::int32_t i = 0; i < FStageWidth; ++i)
            for (std::int32_t r = 0; r < FStageCount; ++r) {
                std::uint8_t& staged =
                    FStageMarks[static_cast<std::size_t>(r) * capacity + static_cast<std::size_t>(i)];
                RaiseMark(i, FStageFirst + r, staged);
                staged = 0;
            }
    }
    FStageCount = 0;
    FStageWidth = 0;
    FStageHasMarks = false;
}

void TSeemWayRatio::ComputeEnergy()
{
    CatchUpGrid();
    const auto blockEnergy = [](const TGradient& g) {
        return std::abs(static_cast<std::int64_t>(g.X)) + std::abs(static_cast<std::int64_t>(g.Y));
    };
    // The energies go to the 32-bit grid on the way (cut at its top); when that grid
    // turns out not to do, the 64-bit one is filled from the gradients again.
    std::int64_t largest = 0;
    std::int64_t total = 0;
    for (std::int32_t i = 0; i < FNx; ++i) {
        const TGradient* gradient = FGradient.Column(i);
        TCompactEnergyCell* cells = FCompactEnergy.Column(i);
        for (std::int32_t j = 0; j < FNy; ++j) {
            const std::int64_t energy = blockEnergy(gradient[j]);
            cells[j].Energy = static_cast<std::int32_t>(std::min<std::int64_t>(energy, INT32_MAX));
            largest = std::max(largest, energy);
            total += energy;
        }
    }
    if (FNx == 0 || FNy == 0)
        return;

    const std::int64_t w = std::max(FNx, FNy);
    FProtectBonus = INT64_MAX / w;
    FInsertionPenalty = RoundEven(static_cast<long double>(total) / FNx / FNy / 2);
    FProtectionThreshold = RoundEven(static_cast<long double>(largest) * static_cast<long double>(w) * 1.5L) + 1;
    // A grid of one block has no other block to share the bonus with; dividing by w - 1
    // would divide by zero, and the single block alone must still stay below P.
    FRemovalBonus = (FProtectBonus - FProtectionThreshold) / std::max<std::int64_t>(w - 1, 1);
    const std::int64_t ceiling = FRemovalBonus / w;
    const bool scale = largest > ceiling;

    if (!scale && FMarks.empty() && FitsCompact(largest)) {
        FCompact = true;
        FLargestEnergy = largest;
        InvalidateSeams();
        return;
    }

    FCompact = false;
    if (!FEnergy.Allocated())
        FEnergy.Allocate(FCapacityX, FCapacityY);
    FLargestEnergy = 0;
    const long double ratio = scale ? static_cast<long double>(ceiling) / static_cast<long double>(largest) : 1.0L;
    for (std::int32_t i = 0; i < FNx; ++i) {
        const TGradient* gradient = FGradient.Column(i);
        TEnergyCell* cells = FEnergy.Column(i);
        const std::uint8_t* marks = FMarks.empty() ? nullptr : &FMarks[Index(i, 0)];
        for (std::int32_t j = 0; j < FNy; ++j) {
            std::int64_t energy = blockEnergy(gradient[j]);
            if (scale)
                energy = RoundEven(static_cast<long double>(energy) * ratio);
            const std::uint8_t mark = marks ? marks[j] : 0;
            if (mark == 1)
                energy -= FRemovalBonus;
            else if (mark == 2)
                energy = SaturatingAdd(energy, FProtectBonus);
            cells[j].Energy = energy;
            FLargestEnergy = std::max(FLargestEnergy, Magnitude(energy));
        }
    }
    InvalidateSeams();
}

bool TSeemWayRatio::FitsCompact(std::int64_t largest) const
{
    const std::int64_t longest = std::max(FCapacityX, FCapacityY);
    return largest >= 0 && largest <= INT32_MAX / (longest + 1);
}

void TSeemWayRatio::Widen()
{
    if (!FCompact)
        return;
    if (!FEnergy.Allocated())
        FEnergy.Allocate(FCapacityX, FCapacityY);
    for (std::int32_t i = 0; i < FNx; ++i) {
        const TCompactEnergyCell* from = FCompactEnergy.Column(i);
        TEnergyCell* to = FEnergy.Column(i);
        for (std::int32_t j = 0; j < FNy; ++j) {
            to[j].Energy = from[j].Energy;
            to[j].VerticalSum = from[j].VerticalSum;
        }
    }
    FCompact = false;
}

void TSeemWayRatio::InvalidateSeams()
{
    FHorizontalState = ssStale;
    FVerticalState = ssStale;
}

void TSeemWayRatio::ComputeHorizontalSums()
{
    // Vertical seams leave these columns alone, so a column beyond the grid's width while
    // horizontal seams changed the column length can come back into use with its old drift.
    FHorizontalSums.Rewind();
    std::int64_t* const* sums = FHorizontalSums.Columns();
    WithEnergy([&](auto& energy) {
        const auto* first = energy.Column(0);
        for (std::int32_t j = 0; j < FNy; ++j)
            sums[0][j] = first[j].Energy;
        for (std::int32_t i = 1; i < FNx; ++i)
            ForwardLine(sums[i - 1], EnergyColumn(energy.Column(i)), sums[i], FNy);
    });
}

// The energies of one block row lie across the columns. A band of rows is gathered at a
// time, reading a short run of each column, summed on contiguous memory and scattered
// back the same way.
void TSeemWayRatio::ComputeVerticalSums()
{
    constexpr std::int32_t band = 16;
    const auto width = static_cast<std::size_t>(FNx);
    FBandEnergy.resize(band * width);
    FBandSums.resize(band * width);
    FLineAbove.resize(width);
    WithEnergy([&](auto& energy) {
        auto* const* cells = energy.Columns();
        for (std::int32_t j0 = 0; j0 < FNy; j0 += band) {
            const std::int32_t rows = std::min(band, FNy - j0);
            for (std::int32_t i = 0; i < FNx; ++i) {
                const auto* column = cells[i] + j0;
                for (std::int32_t r = 0; r < rows; ++r)
                    FBandEnergy[r * width + i] = column[r].Energy;
            }
            for (std::int32_t r = 0; r < rows; ++r) {
                const std::int64_t* line = FBandEnergy.data() + r * width;
                std::int64_t* current = FBandSums.data() + r * width;
                if (j0 + r == 0)
                    std::copy(line, line + width, current);
                else
                    ForwardLine(r == 0 ? FLineAbove.data() : current - width, line, current, FNx);
            }
            for (std::int32_t i = 0; i < FNx; ++i) {
                auto* column = cells[i] + j0;
                for (std::int32_t r = 0; r < rows; ++r)
                    column[r].VerticalSum = static_cast<decltype(column[r].VerticalSum)>(FBandSums[r * width + i]);
            }
            std::copy_n(FBandSums.data() + (rows - 1) * width, width, FLineAbove.data());
        }
    });
}

// Every sum is a line's worth of energies at most, so while the largest energy times the
// longest line stays inside the 64-bit range no addition can saturate; protected blocks
// are the case that needs the saturating one.
bool TSeemWayRatio::SumsMaySaturate() const
{
    const std::int64_t longest = std::max(FCapacityX, FCapacityY);
    return FLargestEnergy > INT64_MAX / (longest + 1);
}

void TSeemWayRatio::RepairHorizontalSums(bool inserted)
{
    std::int64_t* const* sums = FHorizontalSums.Columns();
    const bool saturating = SumsMaySaturate();
    WithEnergy([&](auto& energy) {
        auto* const* cells = energy.Columns();
        const auto sumAt = [sums](std::int32_t i, std::int32_t j) -> std::int64_t& { return sums[i][j]; };
        const auto energyAt = [cells](std::int32_t i, std::int32_t j) -> std::int64_t { return cells[i][j].Energy; };
        if (saturating)
            RepairSums<true>(sumAt, energyAt, FNx, FNy, FHorizontalSeam.data(), inserted);
        else
            RepairSums<false>(sumAt, energyAt, FNx, FNy, FHorizontalSeam.data(), inserted);
    });
}

void TSeemWayRatio::RepairVerticalSums(bool inserted)
{
    const bool saturating = SumsMaySaturate();
    WithEnergy([&](auto& energy) {
        auto* const* cells = energy.Columns();
        if (saturating)
            RepairAcrossColumns<true>(cells, FNy, FNx, FVerticalSeam.data(), inserted);
        else
            RepairAcrossColumns<false>(cells, FNy, FNx, FVerticalSeam.data(), inserted);
    });
}

void TSeemWayRatio::FindHorizontalSeam()
{
    const TSumState state = FHorizontalState;
    FHorizontalState = ssCurrent;
    if (FNx == 0 || FNy == 0)
        return;
    if (!FHorizontalSums.Allocated())
        FHorizontalSums.Allocate(FCapacityX, FCapacityY);
    std::int64_t* const* sums = FHorizontalSums.Columns();
    const auto sumAt = [sums](std::int32_t i, std::int32_t j) -> std::int64_t& { return sums[i][j]; };
    if (state == ssStale || !FIncrementalSums)
        ComputeHorizontalSums();
    else if (state != ssCurrent)
        RepairHorizontalSums(state == ssAfterInsertion);
    Backtrack(sumAt, FNx, FNy, FHorizontalSeam.data());
}

void TSeemWayRatio::FindVerticalSeam()
{
    const TSumState state = FVerticalState;
    FVerticalState = ssCurrent;
    if (FNx == 0 || FNy == 0)
        return;
    // Horizontal seams leave the columns a little into their slots; the vertical search
    // wants them on cache lines again. It starts afresh after those anyway.
    if (state == ssStale)
        WithEnergy([&](auto& energy) { energy.Realign(FNy); });
    if (state == ssStale || !FIncrementalSums)
        ComputeVerticalSums();
    else if (state != ssCurrent)
        RepairVerticalSums(state == ssAfterInsertion);
    WithEnergy([&](auto& energy) {
        auto* const* cells = energy.Columns();
        const auto sumAt = [cells](std::int32_t j, std::int32_t i) -> std::int64_t { return cells[i][j].VerticalSum; };
        Backtrack(sumAt, FNy, FNx, FVerticalSeam.data());
    });
}

std::span<const std::int32_t> TSeemWayRatio::HorizontalSeam()
{
    if (FHorizontalState != ssCurrent)
        FindHorizontalSeam();
    if (FNx == 0 || FNy == 0)
        return {};
    return {FHorizontalSeam.data(), static_cast<std::size_t>(FNx)};
}

std::span<const std::int32_t> TSeemWayRatio::VerticalSeam()
{
    if (FVerticalState != ssCurrent)
        FindVerticalSeam();
    if (FNx == 0 || FNy == 0)
        return {};
    return {FVerticalSeam.data(), static_cast<std::size_t>(FNy)};
}

long double TSeemWayRatio::HorizontalSeamCost()
{
    const auto seam = HorizontalSeam();
    if (seam.empty() || FNy == 0)
        return 0;
    const std::int64_t sum = FHorizontalSums.At(FNx - 1, seam.back());
    return static_cast<long double>(sum) / FNx;
}

long double TSeemWayRatio::VerticalSeamCost()
{
    const auto seam = VerticalSeam();
    if (seam.empty() || FNx == 0)
        return 0;
    const std::int64_t sum = FCompact ? FCompactEnergy.At(seam.back(), FNy - 1).VerticalSum
                                      : FEnergy.At(seam.back(), FNy - 1).VerticalSum;
    return static_cast<long double>(sum) / FNy;
}

std::int32_t TSeemWayRatio::HorizontalSeamAt(std::int32_t x)
{
    const auto seam = HorizontalSeam();
    if (seam.empty())
        return 0;
    const std::int32_t i = std::clamp(x / FBlockWidth, 0, FNx - 1);
    return seam[i] * FBlockHeight;
}

std::int32_t TSeemWayRatio::VerticalSeamAt(std::int32_t y)
{
    const auto seam = VerticalSeam();
    if (seam.empty())
        return 0;
    const std::int32_t j = std::clamp(y / FBlockHeight, 0, FNy - 1);
    return seam[j] * FBlockWidth;
}

std::int32_t TSeemWayRatio::BlockPosition(std::int32_t i, std::int32_t j) const
{
    if (i < 0 || j < 0 || i >= FNx || j >= FNy)
        return 3;
    const bool columnEdge = i == 0 || i == FNx - 1;
    const bool rowEdge = j == 0 || j == FNy - 1;
    if (columnEdge && rowEdge)
        return 2;
    return (columnEdge || rowEdge) ? 1 : 0;
}

// Mirrors the border rule of ComputeGradient for one block: an edge block repeats its
// inner neighbour across the edge, a corner the block beside it in its own column.
void TSeemWayRatio::CopyFromInnerNeighbour(std::int32_t i, std::int32_t j)
{
    const bool columnEdge = i == 0 || i == FNx - 1;
    const bool rowEdge = j == 0 || j == FNy - 1;
    if (columnEdge && !rowEdge) {
        if (FNx >= 2)
            FGradient.At(i, j) = FGradient.At(i == 0 ? 1 : FNx - 2, j);
    } else if (FNy >= 2) {
        FGradient.At(i, j) = FGradient.At(i, j == 0 ? 1 : FNy - 2);
    }
}

// Inner blocks first, then the edges that copy them, then the corners that copy edges.
// The per-block recomputation uses the same weights as ComputeGradient for every type.
void TSeemWayRatio::RecomputeGradients(std::span<const std::int32_t> columns, std::span<const std::int32_t> rows)
{
    for (std::int32_t position = 0; position <= 2; ++position)
        for (std::size_t k = 0; k < columns.size(); ++k) {
            const std::int32_t i = columns[k];
            const std::int32_t j = rows[k];
            if (BlockPosition(i, j) != position)
                continue;
            if (position == 0)
                FGradient.At(i, j) = BlockGradient(i, j);
            else
                CopyFromInnerNeighbour(i, j);
        }
}

void TSeemWayRatio::ComputeGradient()
{
    CatchUpGrid();
    TDifferenceFilter::ComputeGradient();
}

std::int32_t TSeemWayRatio::Intensity(std::int32_t i, std::int32_t j)
{
    CatchUpGrid();
    return TDifferenceFilter::Intensity(i, j);
}

TGradient TSeemWayRatio::Gradient(std::int32_t i, std::int32_t j)
{
    CatchUpGrid();
    return TDifferenceFilter::Gradient(i, j);
}

// Moving the intensity and gradient columns along with every seam cost as much as moving
// the energies, for grids nobody reads while seams are being carved; the seams are kept
// instead and carried out in order when the grids are needed.
void TSeemWayRatio::DeferGridSeam(TGridSeam kind, std::span<const std::int32_t> seam)
{
    FlushStage(); // staged rows belong to the grid before this seam
    FPendingSeams.push_back({kind, FNx, FNy, {seam.begin(), seam.end()}});
}

void TSeemWayRatio::CatchUpGrid()
{
    ApplyPendingSeams();
    FlushStage();
}

void TSeemWayRatio::ApplyPendingSeams()
{
    if (FPendingSeams.empty())
        return;
    const std::int32_t nx = FNx;
    const std::int32_t ny = FNy;
    for (const TPendingSeam& pending : FPendingSeams) {
        FNx = pending.Nx;
        FNy = pending.Ny;
        ApplyGridSeam(pending.Kind, pending.Seam);
    }
    FPendingSeams.clear();
    FNx = nx;
    FNy = ny;
}

// Takes the seam out of (or duplicates it in) the intensities and gradients of a grid of
// FNx x FNy blocks, then recomputes the gradients next to it at the new size.
void TSeemWayRatio::ApplyGridSeam(TGridSeam kind, std::span<const std::int32_t> seam)
{
    FTouchedColumns.clear();
    FTouchedRows.clear();
    switch (kind) {
    case gsRemoveHorizontal:
        for (std::int32_t i = 0; i < FNx; ++i) {
            FIntensity.RemoveAt(i, seam[i], FNy);
            FGradient.RemoveAt(i, seam[i], FNy);
            FTouchedColumns.insert(FTouchedColumns.end(), {i, i});
            FTouchedRows.insert(FTouchedRows.end(), {seam[i], seam[i] - 1});
        }
        --FNy;
        break;
    case gsInsertHorizontal:
        for (std::int32_t i = 0; i < FNx; ++i) {
            FIntensity.DuplicateAt(i, seam[i], FNy);
            FGradient.DuplicateAt(i, seam[i], FNy);
            FTouchedColumns.insert(FTouchedColumns.end(), {i, i});
            FTouchedRows.insert(FTouchedRows.end(), {seam[i], seam[i] + 1});
        }
        ++FNy;
        break;
    case gsRemoveVertical:
        RemoveAcrossColumns(seam, FNx, FIntensity, FGradient);
        for (std::int32_t j = 0; j < FNy; ++j) {
            FTouchedColumns.insert(FTouchedColumns.end(), {seam[j], seam[j] - 1});
            FTouchedRows.insert(FTouchedRows.end(), {j, j});
        }
        --FNx;
        break;
    case gsInsertVertical:
        DuplicateAcrossColumns(seam, FNx, FIntensity, FGradient);
        for (std::int32_t j = 0; j < FNy; ++j) {
            FTouchedColumns.insert(FTouchedColumns.end(), {seam[j], seam[j] + 1});
            FTouchedRows.insert(FTouchedRows.end(), {j, j});
        }
        ++FNx;
        break;
    }
    RecomputeGradients(FTouchedColumns, FTouchedRows);
}

// An insertion raises energies by the penalty; 32-bit cells give way to 64-bit ones
// before any of them could be pushed past what they hold.
void TSeemWayRatio::PrepareInsertion()
{
    if (FCompact && !FitsCompact(FLargestEnergy + FInsertionPenalty))
        Widen();
}

template <typename TValue> void TSeemWayRatio::AddPenalty(TValue& energy)
{
    const std::int64_t raised = SaturatingAdd(energy, FInsertionPenalty);
    energy = static_cast<TValue>(raised);
    FLargestEnergy = std::max(FLargestEnergy, Magnitude(raised));
}

void TSeemWayRatio::RemoveHorizontalSeam()
{
    // A grid one block high has no seam to give up and stay a grid.
    const auto seam = HorizontalSeam();
    if (seam.empty() || FNy <= 1)
        return;
    DeferGridSeam(gsRemoveHorizontal, seam);
    WithEnergy([&](auto& energy) {
        for (std::int32_t i = 0; i < FNx; ++i) {
            energy.RemoveAt(i, seam[i], FNy);
            FHorizontalSums.RemoveAt(i, seam[i], FNy);
        }
    });
    --FNy;
    FHorizontalState = ssAfterRemoval;
    FVerticalState = ssStale;
}

bool TSeemWayRatio::InsertHorizontalSeam()
{
    const auto seam = HorizontalSeam();
    if (seam.empty() || FNy >= FCapacityY)
        return false;
    DeferGridSeam(gsInsertHorizontal, seam);
    PrepareInsertion();
    WithEnergy([&](auto& energy) {
        for (std::int32_t i = 0; i < FNx; ++i) {
            const std::int32_t s = seam[i];
            FHorizontalSums.DuplicateAt(i, s, FNy);
            energy.DuplicateAt(i, s, FNy);
            auto* cells = energy.Column(i);
            AddPenalty(cells[s].Energy);
            AddPenalty(cells[s + 1].Energy);
        }
    });
    ++FNy;
    FHorizontalState = ssAfterInsertion;
    FVerticalState = ssStale;
    return true;
}

void TSeemWayRatio::RemoveVerticalSeam()
{
    const auto seam = VerticalSeam();
    if (seam.empty() || FNx <= 1)
        return;
    DeferGridSeam(gsRemoveVertical, seam);
    WithEnergy([&](auto& energy) { RemoveAcrossColumns(seam, FNx, energy); });
    --FNx;
    FVerticalState = ssAfterRemoval;
    FHorizontalState = ssStale;
}

bool TSeemWayRatio::InsertVerticalSeam()
{
    const auto seam = VerticalSeam();
    if (seam.empty() || FNx >= FCapacityX)
        return false;
    DeferGridSeam(gsInsertVertical, seam);
    PrepareInsertion();
    WithEnergy([&](auto& energy) {
        DuplicateAcrossColumns(seam, FNx, energy);
        for (std::int32_t j = 0; j < FNy; ++j) {
            const std::int32_t s = seam[j];
            AddPenalty(energy.At(s, j).Energy);
            AddPenalty(energy.At(s + 1, j).Energy);
        }
    });
    ++FNx;
    FVerticalState = ssAfterInsertion;
    FHorizontalState = ssStale;
    return true;
}
