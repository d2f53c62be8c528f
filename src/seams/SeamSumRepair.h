#pragma once
// Repairing cumulative sums after a seam instead of summing the whole grid again.
#include <algorithm>
#include <cstdint>

#include "seams/SeamSums.h"

inline void Prefetch(const void* address)
{
#if defined(__GNUC__)
    __builtin_prefetch(address, 1);
#else
    (void)address;
#endif
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
