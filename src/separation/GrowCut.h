#pragma once
// GrowCut: the object and background marks of a TMarkedRegion compete for the unmarked
// pixels as a cellular automaton; a cell's strength passes to a neighbour weakened by
// their colour difference.
//
//   TGrowCut growCut;
//   if (!growCut.Build(region)) ...          // refused above 32767 pixels a side
//   while (std::int32_t n = growCut.Iterate(3))
//       for (std::int32_t i = 0; i < n; ++i)
//           if (growCut.Commit(i)) ...        // the label of Entry(i) has moved on
//   // destruction writes every decided label into the region's saved labels
//
// RunSegmentation performs that loop the way the separation tool runs it, with the
// overlay, the contour and the hooks for refresh, abort and progress.
#include <cstdint>
#include <functional>
#include <vector>

#include "separation/MarkedRegion.h"

struct TGrowCutEntry {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    std::uint8_t Label = 0;
};

class TGrowCut {
public:
    TGrowCut() = default;
    TGrowCut(const TGrowCut&) = delete;
    TGrowCut& operator=(const TGrowCut&) = delete;
    // Writes every cell's label into the region's saved label of the same position.
    ~TGrowCut();

    // False (and nothing built) when the region is empty or too large for packed
    // positions.
    bool Build(TMarkedRegion& region);

    // At most passes sweeps of the active front; returns the active count.
    std::int32_t Iterate(std::int32_t passes);
    // Gives active entry i its pending label; true when that changed the label.
    bool Commit(std::int32_t i);
    TGrowCutEntry Entry(std::int32_t i) const;
    bool IsBorder(std::int32_t x, std::int32_t y) const;

    std::int32_t Width() const { return FWidth; }
    std::int32_t Height() const { return FHeight; }
    std::int32_t ActiveCount() const { return FActiveCount; }
    std::uint8_t LabelAt(std::int32_t x, std::int32_t y) const { return FCells[Index(x, y)].Label; }
    std::uint8_t PendingLabelAt(std::int32_t x, std::int32_t y) const { return FCells[Index(x, y)].Pending; }
    float StrengthAt(std::int32_t x, std::int32_t y) const { return FCells[Index(x, y)].Strength; }
    std::uint8_t RightWeightAt(std::int32_t x, std::int32_t y) const { return FCells[Index(x, y)].Right; }
    std::uint8_t LowerWeightAt(std::int32_t x, std::int32_t y) const { return FCells[Index(x, y)].Lower; }

private:
    // 8 bytes, so that a column of cells is dense; the queue flags live apart because
    // only attacks that win touch them.
    struct TCell {
        float Strength;
        std::uint8_t Label;
        std::uint8_t Pending;
        std::uint8_t Right; // weight towards (x + 1, y)
        std::uint8_t Lower; // weight towards (x, y + 1)
    };
    static_assert(sizeof(TCell) == 8);
    enum : std::uint8_t { cfChanged = 1, cfActive = 2 };

    std::size_t Index(std::int32_t x, std::int32_t y) const
    {
        return static_cast<std::size_t>(x) * static_cast<std::size_t>(FHeight) + static_cast<std::size_t>(y);
    }
    bool IsStable(std::uint32_t position) const
    {
        const TCell& cell = FCells[Index(PackedX(position), PackedY(position))];
        return cell.Label == cell.Pending;
    }
    void InitialiseCells();
    void InitialiseFront();
    void SweepActive();
    void AttackNeighbours(std::uint32_t position);
    void Attack(std::size_t target, float force, std::uint8_t label, std::uint32_t position);
    void RequeueChanged();
    void WriteBackLabels();

    TMarkedRegion* FRegion = nullptr;
    std::int32_t FWidth = 0;
    std::int32_t FHeight = 0;
    std::int32_t FTotal = 0;
    std::vector<TCell> FCells;        // column-major
    std::vector<std::uint8_t> FFlags; // cfChanged | cfActive per cell
    // Both lists share one array: the active list grows up from 0, the changed list
    // down from the end.
    std::vector<std::uint32_t> FQueue;
    std::int32_t FActiveCount = 0;
    std::int32_t FChangedTop = -1;
};

enum class TSegmentationOutcome {
    soCompleted,
    soAborted,
    soNoMarks,  // the region holds no object mark or no background mark
    soTooLarge, // a side above MaxMarkedSide: refused before any label is written
};

// The separation tool's view of a run. Every hook may be empty.
struct TSegmentationHooks {
    // Milliseconds of a monotonic clock; a steady clock when empty.
    std::function<std::uint64_t()> TickCount;
    // Repaints the whole view and lets pending window messages run.
    std::function<void()> OnRefresh;
    // After each column of the contour pass, with the column as the dirty rectangle and
    // whether this column is one at which messages should be processed (every 16th and
    // the last).
    std::function<void(const TRect& column, bool pump)> OnColumnDone;
    // Polled after every commit round; true stops the run.
    std::function<bool()> OnPollAbort;
    // After every commit round: pixels decided so far and pixels to decide.
    std::function<void(std::int64_t decided, std::int64_t total)> OnProgress;
};

struct TSegmentationResult {
    TSegmentationOutcome Outcome = TSegmentationOutcome::soCompleted;
    std::int64_t Rounds = 0;  // Iterate calls
    std::int64_t Commits = 0; // label changes written into the region
};

// Grows the lbObject and lbBackground marks over the free pixels (lbUnmarked, lbContour,
// lbGrownObject, lbGrownBackground): grown pixels show as lbGrownObject and
// lbGrownBackground while the run goes on; at the end they become lbContour where object
// meets background and lbUnmarked elsewhere, and every saved label holds the decision. An aborted run keeps the labels as far as it got.
TSegmentationResult RunSegmentation(TMarkedRegion& region, const TSegmentationHooks& hooks = {});
