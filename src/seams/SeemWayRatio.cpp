#include "seams/SeemWayRatio.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "seams/SeamColumnMoves.h"
#include "seams/SeamSumRepair.h"
#include "seams/SeamSums.h"

namespace {

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
    if (mark == smNone)
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
            const std::uint8_t mark = marks ? marks[j] : std::uint8_t{smNone};
            if (mark == smRemove)
                energy -= FRemovalBonus;
            else if (mark == smProtect)
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
void TSeemWayRatio::DeferGridSeam(TSeemKind kind, std::span<const std::int32_t> seam)
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
void TSeemWayRatio::ApplyGridSeam(TSeemKind kind, std::span<const std::int32_t> seam)
{
    FTouchedColumns.clear();
    FTouchedRows.clear();
    switch (kind) {
    case skRemoveHorizontal:
        for (std::int32_t i = 0; i < FNx; ++i) {
            FIntensity.RemoveAt(i, seam[i], FNy);
            FGradient.RemoveAt(i, seam[i], FNy);
            FTouchedColumns.insert(FTouchedColumns.end(), {i, i});
            FTouchedRows.insert(FTouchedRows.end(), {seam[i], seam[i] - 1});
        }
        --FNy;
        break;
    case skInsertHorizontal:
        for (std::int32_t i = 0; i < FNx; ++i) {
            FIntensity.DuplicateAt(i, seam[i], FNy);
            FGradient.DuplicateAt(i, seam[i], FNy);
            FTouchedColumns.insert(FTouchedColumns.end(), {i, i});
            FTouchedRows.insert(FTouchedRows.end(), {seam[i], seam[i] + 1});
        }
        ++FNy;
        break;
    case skRemoveVertical:
        RemoveAcrossColumns(seam, FNx, FIntensity, FGradient);
        for (std::int32_t j = 0; j < FNy; ++j) {
            FTouchedColumns.insert(FTouchedColumns.end(), {seam[j], seam[j] - 1});
            FTouchedRows.insert(FTouchedRows.end(), {j, j});
        }
        --FNx;
        break;
    case skInsertVertical:
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
    DeferGridSeam(skRemoveHorizontal, seam);
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
    DeferGridSeam(skInsertHorizontal, seam);
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
    DeferGridSeam(skRemoveVertical, seam);
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
    DeferGridSeam(skInsertVertical, seam);
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
