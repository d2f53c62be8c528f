#pragma once
// The cumulative sums of the seam search over a whole grid: the forward pass line by line
// and the walk back that names the seam.
#include <algorithm>
#include <cstdint>

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
