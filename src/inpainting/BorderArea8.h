#pragma once
// A list of cells of a target square, each with its place under all eight rotations and
// reflections of the square, so that a source patch can be read in any orientation
// without recomputing coordinates per pointer move.
//
//   k  local (x, y) of the cell at (a, b) in a W x H square
//   0  (a, b)                 4  (W-1-a, H-1-b)
//   1  (W-1-a, b)             5  (a, H-1-b)
//   2  (b, W-1-a)             6  (H-1-b, W-1-a)
//   3  (b, a)                 7  (H-1-b, a)
#include <array>
#include <cstdint>
#include <vector>

#include "imaging/VxGeometry.h"

constexpr int OrientationCount = 8;

struct TCellPlace {
    std::int32_t LocalX = 0;
    std::int32_t LocalY = 0;
    std::int32_t ImageX = 0;
    std::int32_t ImageY = 0;
};

struct TBorderCell {
    std::array<TCellPlace, OrientationCount> Places;
    std::uint8_t Dropped = 0;
    std::int32_t InnerWeight = 0;
    std::int32_t RingWeight = 0;
};

class TBorderArea8 {
public:
    TBorderArea8(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height);

    std::int32_t Left() const { return FLeft; }
    std::int32_t Top() const { return FTop; }
    std::int32_t Width() const { return FWidth; }
    std::int32_t Height() const { return FHeight; }

    void Clear();
    // (a, b) local to the square; cells outside the square are refused (false).
    bool AddCell(std::int32_t a, std::int32_t b);
    // Index of the cell whose own (orientation 0) image position is (x, y), or -1.
    std::int32_t IndexOf(std::int32_t imageX, std::int32_t imageY) const;
    void Drop(std::int32_t index);
    void Compact();
    // This list is the interior; weights come from the 8-neighbours in ring.
    void ComputeBlendWeights(const TBorderArea8& ring);

    std::int32_t Count() const { return static_cast<std::int32_t>(FCells.size()); }
    const TBorderCell& Cell(std::int32_t index) const { return FCells[index]; }
    const std::vector<TBorderCell>& Cells() const { return FCells; }

private:
    // The list grows in steps of this many cells rather than doubling.
    static constexpr std::size_t CapacityStep = 512;

    TBorderCell MakeCell(std::int32_t a, std::int32_t b) const;
    void RebuildIndex();
    std::int32_t NeighbourWeightSum(const TBorderCell& cell, const TBorderArea8& area, bool onlyUnringed) const;

    std::int32_t FLeft;
    std::int32_t FTop;
    std::int32_t FWidth;
    std::int32_t FHeight;
    std::vector<TBorderCell> FCells;
    // Cell index per local position (-1 = none): IndexOf is asked eight times per cell
    // when blend weights are computed, a scan of the list would make that quadratic.
    std::vector<std::int32_t> FIndex;
};
