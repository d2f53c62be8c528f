#include "inpainting/BorderArea8.h"

#include <algorithm>
#include <cstdlib>

#include "imaging/VxBitmap.h"

TBorderArea8::TBorderArea8(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height)
    : FLeft(left), FTop(top), FWidth(std::max(width, 0)), FHeight(std::max(height, 0)),
      FIndex(CheckedGridCount(FWidth, FHeight, sizeof(std::int32_t)), -1)
{
}

void TBorderArea8::Clear()
{
    FCells.clear();
    std::fill(FIndex.begin(), FIndex.end(), -1);
}

TBorderCell TBorderArea8::MakeCell(std::int32_t a, std::int32_t b) const
{
    const std::int32_t w1 = FWidth - 1;
    const std::int32_t h1 = FHeight - 1;
    const std::array<TPoint, OrientationCount> local = {{
        {a, b},
        {w1 - a, b},
        {b, w1 - a},
        {b, a},
        {w1 - a, h1 - b},
        {a, h1 - b},
        {h1 - b, w1 - a},
        {h1 - b, a},
    }};
    TBorderCell cell;
    for (int k = 0; k < OrientationCount; ++k)
        cell.Places[k] = TCellPlace{local[k].X, local[k].Y, local[k].X + FLeft, local[k].Y + FTop};
    return cell;
}

bool TBorderArea8::AddCell(std::int32_t a, std::int32_t b)
{
    if (a < 0 || a >= FWidth || b < 0 || b >= FHeight)
        return false;
    if (FCells.size() == FCells.capacity())
        FCells.reserve(FCells.capacity() + CapacityStep);
    FIndex[static_cast<std::size_t>(b) * FWidth + a] = Count();
    FCells.push_back(MakeCell(a, b));
    return true;
}

std::int32_t TBorderArea8::IndexOf(std::int32_t imageX, std::int32_t imageY) const
{
    const std::int32_t a = imageX - FLeft;
    const std::int32_t b = imageY - FTop;
    if (a < 0 || a >= FWidth || b < 0 || b >= FHeight)
        return -1;
    return FIndex[static_cast<std::size_t>(b) * FWidth + a];
}

void TBorderArea8::Drop(std::int32_t index)
{
    if (index >= 0 && index < Count())
        FCells[index].Dropped = 1;
}

void TBorderArea8::Compact()
{
    std::erase_if(FCells, [](const TBorderCell& cell) { return cell.Dropped != 0; });
    RebuildIndex();
}

void TBorderArea8::RebuildIndex()
{
    std::fill(FIndex.begin(), FIndex.end(), -1);
    for (std::int32_t i = 0; i < Count(); ++i) {
        const TCellPlace& own = FCells[i].Places[0];
        FIndex[static_cast<std::size_t>(own.LocalY) * FWidth + own.LocalX] = i;
    }
}

// Side neighbours weigh 2, diagonal ones 1.
std::int32_t TBorderArea8::NeighbourWeightSum(const TBorderCell& cell, const TBorderArea8& area,
                                              bool onlyUnringed) const
{
    const TCellPlace& own = cell.Places[0];
    std::int32_t sum = 0;
    for (std::int32_t dy = -1; dy <= 1; ++dy) {
        for (std::int32_t dx = -1; dx <= 1; ++dx) {
            if (dx == 0 && dy == 0)
                continue;
            const std::int32_t index = area.IndexOf(own.ImageX + dx, own.ImageY + dy);
            if (index < 0 || (onlyUnringed && area.FCells[index].RingWeight != 0))
                continue;
            sum += 3 - std::abs(dx) - std::abs(dy);
        }
    }
    return sum;
}

void TBorderArea8::ComputeBlendWeights(const TBorderArea8& ring)
{
    for (TBorderCell& cell : FCells) {
        cell.RingWeight = NeighbourWeightSum(cell, ring, false);
        cell.InnerWeight = 0;
    }
    for (TBorderCell& cell : FCells) {
        if (cell.RingWeight > 0)
            cell.InnerWeight = NeighbourWeightSum(cell, *this, true);
    }
}
