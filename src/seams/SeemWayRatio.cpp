#include "seams/SeemWayRatio.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace {

inline void PrefetchForWrite(const void* address)
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

template <typename T> void RemoveFromColumn(T* column, std::int32_t at, std::int32_t count)
{
    if (at + 1 < count)
        std::memmove(column + at, column + at + 1, static_cast<std::size_t>(count - at - 1) * sizeof(T));
}

template <typename T> void DuplicateInColumn(T* column, std::int32_t at, std::int32_t count)
{
    std::memmove(column + at + 1, column + at, static_cast<std::size_t>(count - at) * sizeof(T));
}

// Row j of every column from seam[j] on moves one column left, in every grid at once.
// Only the columns between the nearest and the farthest seam position move entry by
// entry (column by column, so memory is read in order); the columns right of the
// farthest move as whole arrays.
template <typename... T>
void RemoveAcrossColumns(std::span<const std::int32_t> seam, std::int32_t nx, TBlockGrid<T>&... grids)
{
    const auto [low, high] = std::minmax_element(seam.begin(), seam.end());
    const auto rows = static_cast<std::int32_t>(seam.size());
    const std::int32_t* positions = seam.data();
    for (std::int32_t i = *low; i < *high; ++i)
        for (std::int32_t j = 0; j < rows; ++j)
            if (positions[j] <= i)
                ((grids.Column(i)[j] = grids.Column(i + 1)[j]), ...);
    (grids.RotateLeft(*high, nx - 1), ...);
}

// Row j of every column from seam[j] on moves one column right, leaving a copy of the
// seam block behind. Needs one column of capacity beyond nx.
template <typename... T>
void DuplicateAcrossColumns(std::span<const std::int32_t> seam, std::int32_t nx, TBlockGrid<T>&... grids)
{
    const auto [low, high] = std::minmax_element(seam.begin(), seam.end());
    (grids.RotateRight(*high + 1, nx), ...);
    const auto rows = static_cast<std::int32_t>(seam.size());
    const std::int32_t* positions = seam.data();
    for (std::int32_t i = *high + 1; i > *low; --i)
        for (std::int32_t j = 0; j < rows; ++j)
            if (positions[j] < i)
                ((grids.Column(i)[j] = grids.Column(i - 1)[j]), ...);
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
struct TEnergyColumn {
    const TEnergyCell* Cells;
    std::int64_t operator[](std::int32_t j) const { return Cells[j].Energy; }
};

// A block row lies across the column arrays, one cache line per column for every four
// rows; the repair of a vertical seam's sums walks down the rows, so the lines of the
// rows a little further down are asked for early, once per line.
struct PrefetchAhead {
    TEnergyCell* const* Cells;
    std::int32_t Rows;
    std::int32_t Columns;

    void operator()(std::int32_t row, std::int32_t first, std::int32_t last) const
    {
        constexpr std::int32_t distance = 16;
        constexpr std::int32_t margin = 24; // the window can widen by one column a row
        const std::int32_t ahead = row + distance;
        if ((row & 3) != 0 || ahead >= Rows)
            return;
        const std::int32_t from = std::max(first - margin, 0);
        const std::int32_t to = std::min(last + margin, Columns - 1);
        for (std::int32_t i = from; i <= to; ++i)
            PrefetchForWrite(Cells[i] + ahead);
    }
};

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

// Brings sums that were shifted along with the energies of a removed (or duplicated)
// seam up to date. A sum can only differ from its shifted old value where its own
// energy changed, where its three predecessors are no longer the old ones (next to the
// seam in this line or the line before), or where a predecessor changed; so each line
// recomputes the seam's neighbourhood and one position beyond the previous line's
// changes, and the changes die out where the recomputed sums equal the old ones.
// sumAt(line, position) and energyAt(line, position) address the grids.
// Saturating false: the caller has made sure that no sum can reach the ends of the
// 64-bit range, so the plain addition gives the same sums with less work.
template <bool Saturating, typename TSumAt, typename TEnergyAt, typename TPrefetch>
void RepairSums(const TSumAt& sumAt, const TEnergyAt& energyAt, const TPrefetch& prefetch, std::int32_t lines,
                std::int32_t count, const std::int32_t* seam, bool inserted)
{
    std::int32_t changedFirst = 0;
    std::int32_t changedLast = -1;
    for (std::int32_t line = 0; line < lines; ++line) {
        const std::int32_t previous = line > 0 ? seam[line - 1] : seam[line];
        std::int32_t first = std::min(seam[line], previous) - 2;
        std::int32_t last = std::max(seam[line], previous) + (inserted ? 3 : 2);
        if (changedFirst <= changedLast) {
            first = std::min(first, changedFirst - 1);
            last = std::max(last, changedLast + 1);
        }
        first = std::max(first, 0);
        last = std::min(last, count - 1);
        changedFirst = count;
        changedLast = -1;
        prefetch(line, first, last);
        if (line == 0) {
            for (std::int32_t p = first; p <= last; ++p) {
                const std::int64_t sum = energyAt(0, p);
                std::int64_t& stored = sumAt(0, p);
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
            std::int64_t& stored = sumAt(line, p);
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

TGradient TDifferenceFilter::BlockGradient(std::int32_t i, std::int32_t j) const
{
    const std::int32_t* left = FIntensity.Column(i - 1);
    const std::int32_t* centre = FIntensity.Column(i);
    const std::int32_t* right = FIntensity.Column(i + 1);
    const TFilterWeights w = FilterWeights[FFilterType];
    TGradient g;
    g.X =
        w.Side * (left[j - 1] - right[j - 1]) + w.Centre * (left[j] - right[j]) + w.Side * (left[j + 1] - right[j + 1]);
    g.Y = w.Side * (left[j - 1] - left[j + 1]) + w.Centre * (centre[j - 1] - centre[j + 1]) +
          w.Side * (right[j - 1] - right[j + 1]);
    return g;
}

void TDifferenceFilter::ComputeGradient()
{
    for (std::int32_t i = 1; i < FNx - 1; ++i) {
        TGradient* column = FGradient.Column(i);
        for (std::int32_t j = 1; j < FNy - 1; ++j)
            column[j] = BlockGradient(i, j);
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
    const std::size_t blocks = static_cast<std::size_t>(FCapacityX) * static_cast<std::size_t>(FCapacityY);
    FEnergy.Allocate(FCapacityX, FCapacityY);
    FMarks.assign(blocks, 0);
    FHorizontalSums.Allocate(FCapacityX, FCapacityY);
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
    CatchUpGrid();
    TDifferenceFilter::AddPixel(x, y, blue, green, red);
    std::uint8_t& blockMark = FMarks[Index(x / FBlockWidth, y / FBlockHeight)];
    blockMark = std::max(blockMark, mark);
}

void TSeemWayRatio::AddRow(std::int32_t y, const std::uint8_t* bgr, const std::uint8_t* marks, std::int32_t count)
{
    if (y < 0 || y / FBlockHeight >= FCapacityY)
        return;
    CatchUpGrid();
    const std::int32_t j = y / FBlockHeight;
    count = std::min<std::int64_t>(count, static_cast<std::int64_t>(FCapacityX) * FBlockWidth);
    std::int32_t x = 0;
    for (std::int32_t i = 0; x < count; ++i) {
        const std::int32_t end = std::min(count, x + FBlockWidth);
        std::int32_t sum = 0;
        std::uint8_t mark = 0;
        for (; x < end; ++x, bgr += 3) {
            sum += std::max({bgr[0], bgr[1], bgr[2]});
            if (marks)
                mark = std::max(mark, marks[x]);
        }
        FIntensity.At(i, j) += sum;
        std::uint8_t& blockMark = FMarks[Index(i, j)];
        blockMark = std::max(blockMark, mark);
    }
}

void TSeemWayRatio::ComputeEnergy()
{
    CatchUpGrid();
    std::int64_t largest = 0;
    std::int64_t total = 0;
    for (std::int32_t i = 0; i < FNx; ++i) {
        const TGradient* gradient = FGradient.Column(i);
        TEnergyCell* cells = FEnergy.Column(i);
        for (std::int32_t j = 0; j < FNy; ++j) {
            const std::int64_t energy =
                std::abs(static_cast<std::int64_t>(gradient[j].X)) + std::abs(static_cast<std::int64_t>(gradient[j].Y));
            cells[j].Energy = energy;
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
    FLargestEnergy = 0;
    const long double ratio = scale ? static_cast<long double>(ceiling) / static_cast<long double>(largest) : 1.0L;
    for (std::int32_t i = 0; i < FNx; ++i) {
        TEnergyCell* cells = FEnergy.Column(i);
        const std::uint8_t* marks = &FMarks[Index(i, 0)];
        for (std::int32_t j = 0; j < FNy; ++j) {
            std::int64_t& energy = cells[j].Energy;
            if (scale)
                energy = RoundEven(static_cast<long double>(energy) * ratio);
            if (marks[j] == 1)
                energy -= FRemovalBonus;
            else if (marks[j] == 2)
                energy = SaturatingAdd(energy, FProtectBonus);
            FLargestEnergy = std::max(FLargestEnergy, Magnitude(energy));
        }
    }
    InvalidateSeams();
}

void TSeemWayRatio::InvalidateSeams()
{
    FHorizontalState = ssStale;
    FVerticalState = ssStale;
}

void TSeemWayRatio::ComputeHorizontalSums()
{
    std::int64_t* const* sums = FHorizontalSums.Columns();
    const TEnergyCell* first = FEnergy.Column(0);
    for (std::int32_t j = 0; j < FNy; ++j)
        sums[0][j] = first[j].Energy;
    for (std::int32_t i = 1; i < FNx; ++i)
        ForwardLine(sums[i - 1], TEnergyColumn{FEnergy.Column(i)}, sums[i], FNy);
}

// The energies of one block row lie across the columns: each row is gathered, summed on
// contiguous memory and scattered back.
void TSeemWayRatio::ComputeVerticalSums()
{
    TEnergyCell* const* cells = FEnergy.Columns();
    FRowEnergy.resize(static_cast<std::size_t>(FNx));
    for (auto& row : FRowSums)
        row.resize(static_cast<std::size_t>(FNx));
    for (std::int32_t j = 0; j < FNy; ++j) {
        std::vector<std::int64_t>& current = FRowSums[j & 1];
        for (std::int32_t i = 0; i < FNx; ++i)
            FRowEnergy[i] = cells[i][j].Energy;
        if (j == 0)
            current = FRowEnergy;
        else
            ForwardLine(FRowSums[(j - 1) & 1].data(), FRowEnergy.data(), current.data(), FNx);
        for (std::int32_t i = 0; i < FNx; ++i)
            cells[i][j].VerticalSum = current[i];
    }
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
    TEnergyCell* const* cells = FEnergy.Columns();
    const auto sumAt = [sums](std::int32_t i, std::int32_t j) -> std::int64_t& { return sums[i][j]; };
    const auto energyAt = [cells](std::int32_t i, std::int32_t j) { return cells[i][j].Energy; };
    const auto noPrefetch = [](std::int32_t, std::int32_t, std::int32_t) {};
    if (SumsMaySaturate())
        RepairSums<true>(sumAt, energyAt, noPrefetch, FNx, FNy, FHorizontalSeam.data(), inserted);
    else
        RepairSums<false>(sumAt, energyAt, noPrefetch, FNx, FNy, FHorizontalSeam.data(), inserted);
}

void TSeemWayRatio::RepairVerticalSums(bool inserted)
{
    TEnergyCell* const* cells = FEnergy.Columns();
    const auto sumAt = [cells](std::int32_t j, std::int32_t i) -> std::int64_t& { return cells[i][j].VerticalSum; };
    const auto energyAt = [cells](std::int32_t j, std::int32_t i) { return cells[i][j].Energy; };
    const PrefetchAhead prefetch{cells, FNy, FNx};
    if (SumsMaySaturate())
        RepairSums<true>(sumAt, energyAt, prefetch, FNy, FNx, FVerticalSeam.data(), inserted);
    else
        RepairSums<false>(sumAt, energyAt, prefetch, FNy, FNx, FVerticalSeam.data(), inserted);
}

void TSeemWayRatio::FindHorizontalSeam()
{
    const TSumState state = FHorizontalState;
    FHorizontalState = ssCurrent;
    if (FNx == 0 || FNy == 0)
        return;
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
    TEnergyCell* const* cells = FEnergy.Columns();
    const auto sumAt = [cells](std::int32_t j, std::int32_t i) -> std::int64_t& { return cells[i][j].VerticalSum; };
    if (state == ssStale || !FIncrementalSums)
        ComputeVerticalSums();
    else if (state != ssCurrent)
        RepairVerticalSums(state == ssAfterInsertion);
    Backtrack(sumAt, FNy, FNx, FVerticalSeam.data());
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
    const std::int64_t sum = FEnergy.At(seam.back(), FNy - 1).VerticalSum;
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
    FPendingSeams.push_back({kind, FNx, FNy, {seam.begin(), seam.end()}});
}

void TSeemWayRatio::CatchUpGrid()
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
            RemoveFromColumn(FIntensity.Column(i), seam[i], FNy);
            RemoveFromColumn(FGradient.Column(i), seam[i], FNy);
            FTouchedColumns.insert(FTouchedColumns.end(), {i, i});
            FTouchedRows.insert(FTouchedRows.end(), {seam[i], seam[i] - 1});
        }
        --FNy;
        break;
    case gsInsertHorizontal:
        for (std::int32_t i = 0; i < FNx; ++i) {
            DuplicateInColumn(FIntensity.Column(i), seam[i], FNy);
            DuplicateInColumn(FGradient.Column(i), seam[i], FNy);
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

void TSeemWayRatio::RemoveHorizontalSeam()
{
    // A grid one block high has no seam to give up and stay a grid.
    const auto seam = HorizontalSeam();
    if (seam.empty() || FNy <= 1)
        return;
    DeferGridSeam(gsRemoveHorizontal, seam);
    for (std::int32_t i = 0; i < FNx; ++i) {
        RemoveFromColumn(FEnergy.Column(i), seam[i], FNy);
        RemoveFromColumn(FHorizontalSums.Column(i), seam[i], FNy);
    }
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
    for (std::int32_t i = 0; i < FNx; ++i) {
        const std::int32_t s = seam[i];
        DuplicateInColumn(FHorizontalSums.Column(i), s, FNy);
        TEnergyCell* cells = FEnergy.Column(i);
        DuplicateInColumn(cells, s, FNy);
        cells[s].Energy = SaturatingAdd(cells[s].Energy, FInsertionPenalty);
        cells[s + 1].Energy = SaturatingAdd(cells[s + 1].Energy, FInsertionPenalty);
        FLargestEnergy = std::max({FLargestEnergy, Magnitude(cells[s].Energy), Magnitude(cells[s + 1].Energy)});
    }
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
    RemoveAcrossColumns(seam, FNx, FEnergy);
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
    DuplicateAcrossColumns(seam, FNx, FEnergy);
    for (std::int32_t j = 0; j < FNy; ++j) {
        const std::int32_t s = seam[j];
        std::int64_t& seamEnergy = FEnergy.At(s, j).Energy;
        std::int64_t& copyEnergy = FEnergy.At(s + 1, j).Energy;
        seamEnergy = SaturatingAdd(seamEnergy, FInsertionPenalty);
        copyEnergy = SaturatingAdd(copyEnergy, FInsertionPenalty);
        FLargestEnergy = std::max({FLargestEnergy, Magnitude(seamEnergy), Magnitude(copyEnergy)});
    }
    ++FNx;
    FVerticalState = ssAfterInsertion;
    FHorizontalState = ssStale;
    return true;
}
