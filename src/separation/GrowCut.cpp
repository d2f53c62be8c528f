#include "separation/GrowCut.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>

namespace {

std::uint8_t EdgeWeight(const std::uint8_t* a, const std::uint8_t* b)
{
    const int d = std::max({std::abs(a[0] - b[0]), std::abs(a[1] - b[1]), std::abs(a[2] - b[2])});
    return static_cast<std::uint8_t>(255 - d);
}

} // namespace

TGrowCut::~TGrowCut()
{
    WriteBackLabels();
}

bool TGrowCut::Build(TMarkedRegion& region)
{
    WriteBackLabels();
    FRegion = nullptr;
    if (!region.IsAttached() || region.Width() > MaxMarkedSide || region.Height() > MaxMarkedSide)
        return false;
    FWidth = region.Width();
    FHeight = region.Height();
    FTotal = region.Total();
    FCells.assign(static_cast<std::size_t>(FTotal), TCell{});
    FFlags.assign(static_cast<std::size_t>(FTotal), 0);
    FQueue.assign(static_cast<std::size_t>(FTotal), 0);
    FActiveCount = 0;
    FChangedTop = FTotal - 1;
    FRegion = &region;
    InitialiseCells();
    InitialiseFront();
    return true;
}

void TGrowCut::InitialiseCells()
{
    const TMarkedRegion& region = *FRegion;
    for (std::int32_t x = 0; x < FWidth; ++x) {
        TCell* column = FCells.data() + Index(x, 0);
        for (std::int32_t y = 0; y < FHeight; ++y) {
            TCell& cell = column[y];
            cell.Label = region.LabelAt(x, y);
            cell.Pending = cell.Label;
            cell.Strength = region.IsFree(cell.Label) ? 0.0f : 1.0f;
            const std::uint8_t* colour = region.UnderlyingBytes(x, y);
            cell.Right = x < FWidth - 1 ? EdgeWeight(colour, region.UnderlyingBytes(x + 1, y)) : 0;
            cell.Lower = y < FHeight - 1 ? EdgeWeight(colour, region.UnderlyingBytes(x, y + 1)) : 0;
        }
    }
}

void TGrowCut::InitialiseFront()
{
    for (std::int32_t x = 0; x < FWidth; ++x)
        for (std::int32_t y = 0; y < FHeight; ++y) {
            const std::size_t index = Index(x, y);
            if (FRegion->IsFree(FCells[index].Label) || !IsBorder(x, y))
                continue;
            FFlags[index] = cfActive;
            FQueue[static_cast<std::size_t>(FActiveCount++)] = PackPosition(x, y);
        }
}

bool TGrowCut::IsBorder(std::int32_t x, std::int32_t y) const
{
    const std::size_t index = Index(x, y);
    const std::uint8_t label = FCells[index].Label;
    const std::size_t h = static_cast<std::size_t>(FHeight);
    return (x > 0 && FCells[index - h].Label != label) || (x < FWidth - 1 && FCells[index + h].Label != label) ||
           (y > 0 && FCells[index - 1].Label != label) || (y < FHeight - 1 && FCells[index + 1].Label != label);
}

std::int32_t TGrowCut::Iterate(std::int32_t passes)
{
    for (std::int32_t pass = 0; pass < passes; ++pass) {
        SweepActive();
        if (FChangedTop == FTotal - 1)
            break;
        RequeueChanged();
    }
    return FActiveCount;
}

// Takes stable cells from the top of the active list; an unstable top is swapped with
// the first stable entry at or after the cursor. Cells waiting for their commit stay
// listed, so labels advance one ring per commit round.
void TGrowCut::SweepActive()
{
    std::int32_t cursor = 0;
    while (FActiveCount > 0) {
        const std::int32_t k = FActiveCount - 1;
        if (!IsStable(FQueue[k])) {
            std::int32_t j = cursor;
            while (j < k && !IsStable(FQueue[j]))
                ++j;
            if (j >= k) // the cursor may already lie past the top
                return;
            std::swap(FQueue[j], FQueue[k]);
            cursor = j + 1;
        }
        const std::uint32_t position = FQueue[k];
        --FActiveCount;
        FFlags[Index(PackedX(position), PackedY(position))] &= static_cast<std::uint8_t>(~cfActive);
        AttackNeighbours(position);
    }
}

// Force is computed in 32-bit floats: s = strength / 255, force = weight * s. With
// weight 255 and strength 1 the force rounds to exactly 1, and since the takeover test
// is strict a seed (strength 1) is never taken over.
void TGrowCut::AttackNeighbours(std::uint32_t position)
{
    const std::int32_t x = PackedX(position);
    const std::int32_t y = PackedY(position);
    const std::size_t index = Index(x, y);
    const std::size_t h = static_cast<std::size_t>(FHeight);
    const TCell& cell = FCells[index];
    const float s = cell.Strength / 255.0f;
    const std::uint8_t label = cell.Pending;
    const std::uint8_t lower = cell.Lower;
    const std::uint8_t right = cell.Right;
    if (y < FHeight - 1)
        Attack(index + 1, static_cast<float>(lower) * s, label, position + 0x10000u);
    if (x < FWidth - 1)
        Attack(index + h, static_cast<float>(right) * s, label, position + 1u);
    if (y > 0)
        Attack(index - 1, static_cast<float>(FCells[index - 1].Lower) * s, label, position - 0x10000u);
    if (x > 0)
        Attack(index - h, static_cast<float>(FCells[index - h].Right) * s, label, position - 1u);
}

void TGrowCut::Attack(std::size_t target, float force, std::uint8_t label, std::uint32_t position)
{
    TCell& cell = FCells[target];
    if (!(force > cell.Strength))
        return;
    cell.Strength = force;
    cell.Pending = label;
    if (FFlags[target] & cfChanged)
        return;
    FFlags[target] |= cfChanged;
    FQueue[static_cast<std::size_t>(FChangedTop--)] = position;
}

void TGrowCut::RequeueChanged()
{
    for (std::int32_t i = FChangedTop + 1; i < FTotal; ++i) {
        const std::uint32_t position = FQueue[static_cast<std::size_t>(i)];
        std::uint8_t& flags = FFlags[Index(PackedX(position), PackedY(position))];
        // Every listed cell carries the active flag, so the list cannot outgrow the
        // array; the bound is checked all the same because the two lists share it.
        if (!(flags & cfActive) && FActiveCount < FTotal) {
            flags |= cfActive;
            FQueue[static_cast<std::size_t>(FActiveCount++)] = position;
        }
        flags &= static_cast<std::uint8_t>(~cfChanged);
    }
    FChangedTop = FTotal - 1;
}

bool TGrowCut::Commit(std::int32_t i)
{
    const std::uint32_t position = FQueue[static_cast<std::size_t>(i)];
    TCell& cell = FCells[Index(PackedX(position), PackedY(position))];
    if (cell.Label == cell.Pending)
        return false;
    cell.Label = cell.Pending;
    return true;
}

TGrowCutEntry TGrowCut::Entry(std::int32_t i) const
{
    const std::uint32_t position = FQueue[static_cast<std::size_t>(i)];
    const std::int32_t x = PackedX(position);
    const std::int32_t y = PackedY(position);
    return TGrowCutEntry{x, y, FCells[Index(x, y)].Label};
}

void TGrowCut::WriteBackLabels()
{
    if (!FRegion || FRegion->Width() != FWidth || FRegion->Height() != FHeight)
        return;
    for (std::int32_t x = 0; x < FWidth; ++x)
        for (std::int32_t y = 0; y < FHeight; ++y)
            FRegion->SetSavedLabel(x, y, FCells[Index(x, y)].Label);
}

namespace {

std::uint64_t SteadyMilliseconds()
{
    using namespace std::chrono;
    return static_cast<std::uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// The view is refreshed at most every 100 ms or every 8 commit rounds.
constexpr std::uint64_t RefreshIntervalMs = 100;
constexpr std::int32_t RefreshRounds = 8;
// Column sweeps let messages run every 16th column and at the last one.
constexpr std::int32_t PumpColumns = 16;

std::int64_t FreeCellCount(const TMarkedRegion& region)
{
    std::int64_t count = 0;
    for (int label = 0; label < 256; ++label)
        if (region.IsFree(static_cast<std::uint8_t>(label)))
            count += region.Count(static_cast<std::uint8_t>(label));
    return count;
}

class TRunClock {
public:
    explicit TRunClock(const TSegmentationHooks& hooks) : FHooks(hooks), FLast(Now()) {}

    // Counts one commit round; true when the view is due for a refresh.
    bool RoundDone()
    {
        ++FRounds;
        const std::uint64_t now = Now();
        if (now - FLast < RefreshIntervalMs && FRounds < RefreshRounds)
            return false;
        FLast = now;
        FRounds = 0;
        return true;
    }

private:
    std::uint64_t Now() const { return FHooks.TickCount ? FHooks.TickCount() : SteadyMilliseconds(); }

    const TSegmentationHooks& FHooks;
    std::uint64_t FLast;
    std::int32_t FRounds = 0;
};

// Grown labels become the contour where object meets background in the final grid,
// unmarked elsewhere.
void MarkContour(TMarkedRegion& region, const TGrowCut& growCut, const TSegmentationHooks& hooks)
{
    for (std::int32_t x = 0; x < region.Width(); ++x) {
        for (std::int32_t y = 0; y < region.Height(); ++y) {
            const std::uint8_t label = region.LabelAt(x, y);
            if (label == lbGrownObject || label == lbGrownBackground)
                region.SetLabel(x, y, growCut.IsBorder(x, y) ? lbContour : lbUnmarked);
        }
        if (hooks.OnColumnDone)
            hooks.OnColumnDone(TRect{x, 0, x + 1, region.Height()},
                               (x + 1) % PumpColumns == 0 || x == region.Width() - 1);
    }
}

} // namespace

TSegmentationResult RunSegmentation(TMarkedRegion& region, const TSegmentationHooks& hooks)
{
    TSegmentationResult result;
    if (!region.IsAttached()) {
        result.Outcome = TSegmentationOutcome::soTooLarge;
        return result;
    }
    if (!region.HasLabel(lbObject) || !region.HasLabel(lbBackground)) {
        result.Outcome = TSegmentationOutcome::soNoMarks;
        return result;
    }
    region.SetFreeLabels(MakeLabelSet({lbUnmarked, lbContour, lbGrownObject, lbGrownBackground}));
    const std::int64_t toDecide = FreeCellCount(region);

    TGrowCut growCut; // its destruction leaves the decision in the saved labels
    if (!growCut.Build(region)) {
        result.Outcome = TSegmentationOutcome::soTooLarge;
        return result;
    }
    TRunClock clock(hooks);
    bool aborted = false;
    std::int32_t active = 0;
    do {
        active = growCut.Iterate(3);
        ++result.Rounds;
        for (std::int32_t i = 0; i < active; ++i) {
            if (!growCut.Commit(i))
                continue;
            const TGrowCutEntry entry = growCut.Entry(i);
            region.SetLabel(entry.X, entry.Y, static_cast<std::uint8_t>(entry.Label + GrownLabelOffset));
            ++result.Commits;
        }
        if (clock.RoundDone() && hooks.OnRefresh)
            hooks.OnRefresh();
        if (hooks.OnProgress)
            hooks.OnProgress(std::min(result.Commits, toDecide), toDecide);
        aborted = hooks.OnPollAbort && hooks.OnPollAbort();
    } while (active != 0 && !aborted);

    if (aborted) {
        result.Outcome = TSegmentationOutcome::soAborted;
        return result;
    }
    MarkContour(region, growCut, hooks);
    return result;
}
