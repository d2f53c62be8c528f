// Fixed reductions and enlargements of a photograph-like picture, checked seam by seam
// against a slow reference written here: it keeps its own energies, sums the whole grid
// from scratch for every seam and moves its own copy of the pixels. The seam search is
// tuned for speed (memory layout, narrower sums, sums repaired near the last seam); none
// of that may change a single seam or pixel, and a failure names the first seam, or the
// first pixel, that differs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "seams/SeemCurving.h"
#include "seams/SeemTestPictures.h"
#include "support/VxPixelCompare.h"

namespace {

using TGrid = std::vector<std::vector<std::int64_t>>; // [i][j]: block column, block row

std::int64_t Saturated(std::int64_t a, std::int64_t b)
{
    if (b > 0 && a > INT64_MAX - b)
        return INT64_MAX;
    if (b < 0 && a < INT64_MIN - b)
        return INT64_MIN;
    return a + b;
}

std::int32_t BlocksFor(std::int32_t pixels, std::int32_t block)
{
    return (pixels + block - 1) / block;
}

const char* KindName(TSeemKind kind)
{
    switch (kind) {
    case skRemoveHorizontal:
        return "remove horizontal";
    case skInsertHorizontal:
        return "insert horizontal";
    case skRemoveVertical:
        return "remove vertical";
    default:
        return "insert vertical";
    }
}

// Seam carving the plain way: block energies computed once from the pixels (filter type
// 1, marks as bonuses), then for every seam the cumulative sums of the whole grid, the
// walk back, and the pixels and energies moved along the seam.
class TReferenceCarving {
public:
    TReferenceCarving(const TVxPixels& image, TSize size, const TMarkPlane* marks)
        : FPicture(fmtBGR24, image.GetBounds()), FSize(size), FBlockWidth(SeemBlockSize(image.Width())),
          FBlockHeight(SeemBlockSize(image.Height()))
    {
        for (std::int32_t y = 0; y < image.Height(); ++y)
            std::memcpy(FPicture.Row(y), image.Row(image.Top() + y), static_cast<std::size_t>(image.Width()) * 3);
        ComputeEnergy(marks);
    }

    const TVxPixels& Picture() const { return FPicture; }

    struct TChoice {
        std::vector<std::int32_t> Seam; // block positions, one a line
        long double Cost = 0;
    };

    // The cheapest seam of a direction, from the sums of the whole grid.
    TChoice Choose(bool horizontal) const
    {
        const TGrid sums = Sums(horizontal);
        TChoice choice;
        choice.Seam = Backtrack(sums);
        choice.Cost = static_cast<long double>(sums.back()[choice.Seam.back()]) / static_cast<long double>(sums.size());
        return choice;
    }

    // The seam's pixel positions as the carving reports them.
    std::vector<std::int32_t> Positions(TSeemKind kind, const std::vector<std::int32_t>& seam) const
    {
        const bool horizontal = IsHorizontal(kind);
        const std::int32_t along = horizontal ? FSize.Width : FSize.Height;
        const std::int32_t blockAlong = horizontal ? FBlockWidth : FBlockHeight;
        const std::int32_t blockAcross = horizontal ? FBlockHeight : FBlockWidth;
        const std::int32_t last = std::max((horizontal ? FSize.Height : FSize.Width) - blockAcross, 0);
        std::vector<std::int32_t> positions(static_cast<std::size_t>(along));
        for (std::int32_t p = 0; p < along; ++p) {
            const std::int32_t k = std::clamp(p / blockAlong, 0, static_cast<std::int32_t>(seam.size()) - 1);
            positions[p] = std::clamp(seam[k] * blockAcross, 0, last);
        }
        return positions;
    }

    void Apply(TSeemKind kind, const std::vector<std::int32_t>& seam)
    {
        const std::vector<std::int32_t> positions = Positions(kind, seam);
        switch (kind) {
        case skRemoveHorizontal:
            RemoveRows(positions);
            for (std::size_t i = 0; i < FEnergy.size(); ++i)
                FEnergy[i].erase(FEnergy[i].begin() + seam[i]);
            break;
        case skInsertHorizontal:
            InsertRows(positions);
            for (std::size_t i = 0; i < FEnergy.size(); ++i) {
                std::vector<std::int64_t>& column = FEnergy[i];
                column.insert(column.begin() + seam[i] + 1, column[seam[i]]);
                column[seam[i]] = Saturated(column[seam[i]], FPenalty);
                column[seam[i] + 1] = Saturated(column[seam[i] + 1], FPenalty);
            }
            break;
        case skRemoveVertical:
            RemoveColumns(positions);
            for (std::size_t j = 0; j < seam.size(); ++j)
                for (std::size_t i = seam[j]; i + 1 < FEnergy.size(); ++i)
                    FEnergy[i][j] = FEnergy[i + 1][j];
            FEnergy.pop_back();
            break;
        default:
            InsertColumns(positions);
            FEnergy.push_back(FEnergy.back());
            for (std::size_t j = 0; j < seam.size(); ++j) {
                for (std::size_t i = FEnergy.size() - 1; i > static_cast<std::size_t>(seam[j]); --i)
                    FEnergy[i][j] = FEnergy[i - 1][j];
                FEnergy[seam[j]][j] = Saturated(FEnergy[seam[j]][j], FPenalty);
                FEnergy[seam[j] + 1][j] = Saturated(FEnergy[seam[j] + 1][j], FPenalty);
            }
            break;
        }
    }

private:
    std::int64_t EnergyAt(bool horizontal, std::int32_t line, std::int32_t p) const
    {
        return horizontal ? FEnergy[line][p] : FEnergy[p][line];
    }

    // Lines run along the seam: block columns for a horizontal seam, block rows for a
    // vertical one.
    TGrid Sums(bool horizontal) const
    {
        const auto nx = static_cast<std::int32_t>(FEnergy.size());
        const auto ny = static_cast<std::int32_t>(FEnergy[0].size());
        const std::int32_t lines = horizontal ? nx : ny;
        const std::int32_t count = horizontal ? ny : nx;
        TGrid sums(static_cast<std::size_t>(lines), std::vector<std::int64_t>(static_cast<std::size_t>(count)));
        for (std::int32_t p = 0; p < count; ++p)
            sums[0][p] = EnergyAt(horizontal, 0, p);
        for (std::int32_t line = 1; line < lines; ++line)
            for (std::int32_t p = 0; p < count; ++p) {
                std::int64_t least = sums[line - 1][p];
                if (p > 0)
                    least = std::min(least, sums[line - 1][p - 1]);
                if (p + 1 < count)
                    least = std::min(least, sums[line - 1][p + 1]);
                sums[line][p] = Saturated(EnergyAt(horizontal, line, p), least);
            }
        return sums;
    }

    // From the first smallest sum of the last line back: stay unless p - 1, then p + 1,
    // is strictly cheaper.
    static std::vector<std::int32_t> Backtrack(const TGrid& sums)
    {
        const auto lines = static_cast<std::int32_t>(sums.size());
        const auto count = static_cast<std::int32_t>(sums[0].size());
        std::vector<std::int32_t> seam(static_cast<std::size_t>(lines));
        std::int32_t p = 0;
        for (std::int32_t k = 1; k < count; ++k)
            if (sums[lines - 1][k] < sums[lines - 1][p])
                p = k;
        seam[lines - 1] = p;
        for (std::int32_t line = lines - 2; line >= 0; --line) {
            std::int32_t choice = p;
            if (p > 0 && sums[line][p - 1] < sums[line][choice])
                choice = p - 1;
            if (p + 1 < count && sums[line][p + 1] < sums[line][choice])
                choice = p + 1;
            seam[line] = p = choice;
        }
        return seam;
    }

    void ComputeEnergy(const TMarkPlane* marks)
    {
        const std::int32_t nx = BlocksFor(FSize.Width, FBlockWidth);
        const std::int32_t ny = BlocksFor(FSize.Height, FBlockHeight);
        TGrid intensity(static_cast<std::size_t>(nx), std::vector<std::int64_t>(static_cast<std::size_t>(ny)));
        std::vector<std::vector<std::uint8_t>> blockMarks(static_cast<std::size_t>(nx),
                                                          std::vector<std::uint8_t>(static_cast<std::size_t>(ny)));
        for (std::int32_t y = 0; y < FSize.Height; ++y)
            for (std::int32_t x = 0; x < FSize.Width; ++x) {
                const std::uint8_t* p = FPicture.PixelAddress(x, y);
                intensity[x / FBlockWidth][y / FBlockHeight] += std::max({p[0], p[1], p[2]});
                std::uint8_t& mark = blockMarks[x / FBlockWidth][y / FBlockHeight];
                if (marks)
                    mark = std::max(mark, marks->At(x, y));
            }
        // Gradient with weights (1, 1, 1) on inner blocks; edges repeat their inner
        // neighbour, columns first, then rows.
        TGrid gx(static_cast<std::size_t>(nx), std::vector<std::int64_t>(static_cast<std::size_t>(ny)));
        TGrid gy = gx;
        for (std::int32_t i = 1; i + 1 < nx; ++i)
            for (std::int32_t j = 1; j + 1 < ny; ++j)
                for (std::int32_t k = -1; k <= 1; ++k) {
                    gx[i][j] += intensity[i - 1][j + k] - intensity[i + 1][j + k];
                    gy[i][j] += intensity[i + k][j - 1] - intensity[i + k][j + 1];
                }
        const auto copy = [&](std::int32_t i, std::int32_t j, std::int32_t fromI, std::int32_t fromJ) {
            gx[i][j] = gx[fromI][fromJ];
            gy[i][j] = gy[fromI][fromJ];
        };
        if (nx >= 2)
            for (std::int32_t j = 1; j + 1 < ny; ++j) {
                copy(0, j, 1, j);
                copy(nx - 1, j, nx - 2, j);
            }
        if (ny >= 2)
            for (std::int32_t i = 0; i < nx; ++i) {
                copy(i, 0, i, 1);
                copy(i, ny - 1, i, ny - 2);
            }
        FEnergy.assign(static_cast<std::size_t>(nx), std::vector<std::int64_t>(static_cast<std::size_t>(ny)));
        std::int64_t largest = 0;
        std::int64_t total = 0;
        for (std::int32_t i = 0; i < nx; ++i)
            for (std::int32_t j = 0; j < ny; ++j) {
                FEnergy[i][j] = std::abs(gx[i][j]) + std::abs(gy[i][j]);
                largest = std::max(largest, FEnergy[i][j]);
                total += FEnergy[i][j];
            }
        const std::int64_t w = std::max(nx, ny);
        const std::int64_t protect = INT64_MAX / w;
        FPenalty = std::llrint(static_cast<long double>(total) / nx / ny / 2);
        const std::int64_t threshold = std::llrint(static_cast<long double>(largest) * static_cast<long double>(w) * 1.5L) + 1;
        const std::int64_t removal = (protect - threshold) / std::max<std::int64_t>(w - 1, 1);
        const std::int64_t ceiling = removal / w;
        for (std::int32_t i = 0; i < nx; ++i)
            for (std::int32_t j = 0; j < ny; ++j) {
                std::int64_t& energy = FEnergy[i][j];
                if (largest > ceiling)
                    energy = std::llrint(static_cast<long double>(energy) *
                                         (static_cast<long double>(ceiling) / static_cast<long double>(largest)));
                if (blockMarks[i][j] == smRemove)
                    energy -= removal;
                else if (blockMarks[i][j] == smProtect)
                    energy = Saturated(energy, protect);
            }
    }

    void FillWhite(std::int32_t x, std::int32_t y) { std::memset(FPicture.PixelAddress(x, y), 255, 3); }
    void Copy(std::int32_t toX, std::int32_t toY, std::int32_t fromX, std::int32_t fromY)
    {
        std::memcpy(FPicture.PixelAddress(toX, toY), FPicture.PixelAddress(fromX, fromY), 3);
    }

    // Below the seam every pixel of a column moves up a block; white comes in at the bottom.
    void RemoveRows(const std::vector<std::int32_t>& positions)
    {
        for (std::int32_t x = 0; x < FSize.Width; ++x) {
            for (std::int32_t y = positions[x]; y + FBlockHeight < FSize.Height; ++y)
                Copy(x, y, x, y + FBlockHeight);
            for (std::int32_t y = FSize.Height - FBlockHeight; y < FSize.Height; ++y)
                FillWhite(x, y);
        }
        FSize.Height -= FBlockHeight;
    }
    // From the seam on every pixel of a column moves down a block; the seam stays, doubled.
    void InsertRows(const std::vector<std::int32_t>& positions)
    {
        for (std::int32_t x = 0; x < FSize.Width; ++x)
            for (std::int32_t y = FSize.Height - 1; y >= positions[x]; --y)
                Copy(x, y + FBlockHeight, x, y);
        FSize.Height += FBlockHeight;
    }
    void RemoveColumns(const std::vector<std::int32_t>& positions)
    {
        for (std::int32_t y = 0; y < FSize.Height; ++y) {
            for (std::int32_t x = positions[y]; x + FBlockWidth < FSize.Width; ++x)
                Copy(x, y, x + FBlockWidth, y);
            for (std::int32_t x = FSize.Width - FBlockWidth; x < FSize.Width; ++x)
                FillWhite(x, y);
        }
        FSize.Width -= FBlockWidth;
    }
    void InsertColumns(const std::vector<std::int32_t>& positions)
    {
        for (std::int32_t y = 0; y < FSize.Height; ++y)
            for (std::int32_t x = FSize.Width - 1; x >= positions[y]; --x)
                Copy(x + FBlockWidth, y, x, y);
        FSize.Width += FBlockWidth;
    }

    TVxPixelBuffer FPicture;
    TSize FSize;
    std::int32_t FBlockWidth;
    std::int32_t FBlockHeight;
    TGrid FEnergy;
    std::int64_t FPenalty = 0;
};

// Follows the carving seam by seam with the reference, and keeps the first seam that
// differs in position or cost.
class TReferenceFollower : public ISeemCurvingObserver {
public:
    explicit TReferenceFollower(TReferenceCarving& reference) : FReference(reference) {}

    void Attach(TSeemCurving& carving) { FCarving = &carving; }

    void SeamChosen(TSeemKind kind, std::span<const std::int32_t> positions) override
    {
        const std::int32_t seam = FCount++;
        if (FFirstDifference)
            return;
        const bool horizontal = IsHorizontal(kind);
        const TReferenceCarving::TChoice choice = FReference.Choose(horizontal);
        const std::vector<std::int32_t> expected = FReference.Positions(kind, choice.Seam);
        std::ostringstream difference;
        difference << "seam " << seam << " (" << KindName(kind) << ")";
        if (expected.size() != positions.size()) {
            difference << " is " << positions.size() << " long instead of " << expected.size();
            FFirstDifference = difference.str();
            return;
        }
        const auto [got, want] = std::mismatch(positions.begin(), positions.end(), expected.begin());
        if (got != positions.end()) {
            difference << " differs first at " << (horizontal ? "pixel column " : "pixel row ")
                       << (got - positions.begin()) << ": " << *got << " instead of " << *want;
            FFirstDifference = difference.str();
            return;
        }
        const long double cost =
            horizontal ? FCarving->Finder().HorizontalSeamCost() : FCarving->Finder().VerticalSeamCost();
        if (cost != choice.Cost) {
            difference << " costs " << static_cast<double>(cost) << " instead of " << static_cast<double>(choice.Cost);
            FFirstDifference = difference.str();
            return;
        }
        FReference.Apply(kind, choice.Seam);
    }

    std::int32_t Count() const { return FCount; }
    const std::optional<std::string>& FirstDifference() const { return FFirstDifference; }

private:
    TReferenceCarving& FReference;
    TSeemCurving* FCarving = nullptr;
    std::int32_t FCount = 0;
    std::optional<std::string> FFirstDifference;
};

enum TJob { jbReduce, jbEnlarge, jbSmartRemove };

struct TCarvingCase {
    const char* Name;
    std::int32_t Width;
    std::int32_t Height;
    TJob Job;
    std::int32_t TargetWidth; // the logical size the picture starts at, for enlargements
    std::int32_t TargetHeight;
    bool Marked;
    std::int32_t Seams;
};

void PrintTo(const TCarvingCase& c, std::ostream* out)
{
    *out << c.Name;
}

class SeemCurvingReferenceTest : public testing::TestWithParam<TCarvingCase> {};

TEST_P(SeemCurvingReferenceTest, EverySeamAndPixelAsTheReferenceHasThem)
{
    const TCarvingCase& c = GetParam();
    TVxPixelBuffer picture(fmtBGR24, Bounds(0, 0, c.Width, c.Height));
    FillPhotoLike(picture, 20261210);
    TMarkPlane marks(c.Width, c.Height);
    if (c.Marked) {
        marks.Set({c.Width / 3, c.Height / 4, c.Width / 3 + 12, c.Height / 2}, smRemove);
        marks.Set({c.Width / 2, 0, c.Width / 2 + 5, c.Height / 3}, smProtect);
    }
    const TSeemMarkReader reader = [&marks](std::int32_t y, std::span<std::uint8_t> row) {
        std::memcpy(row.data(), &marks.Marks[static_cast<std::size_t>(y) * marks.Width], row.size());
    };
    const TSize start = c.Job == jbEnlarge ? TSize{c.TargetWidth, c.TargetHeight} : TSize{c.Width, c.Height};
    TReferenceCarving reference(picture, start, c.Marked ? &marks : nullptr);
    TReferenceFollower follower(reference);
    TSeemCurving carving(picture, start, c.Marked ? reader : TSeemMarkReader{}, &follower);
    follower.Attach(carving);
    switch (c.Job) {
    case jbReduce:
        carving.ResizeTo(c.TargetWidth, c.TargetHeight);
        break;
    case jbEnlarge:
        carving.StretchToBuffer();
        break;
    case jbSmartRemove:
        carving.RemoveMarkedArea(true, true);
        break;
    }
    EXPECT_EQ(follower.FirstDifference().value_or("none"), "none");
    EXPECT_EQ(follower.Count(), c.Seams);
    EXPECT_TRUE(SamePixels(picture, reference.Picture()));
}

// The seam counts are the ones the first, untuned search gave; the loops stop by the
// costs, so a different count means a cost changed.
const TCarvingCase CarvingCases[] = {
    {"NarrowerBy20Percent", 300, 200, jbReduce, 240, 200, false, 60},
    {"LowerBy20Percent", 200, 300, jbReduce, 200, 240, false, 60},
    {"SmallerBothWays", 257, 181, jbReduce, 190, 140, false, 108},
    {"NarrowerAroundMarks", 300, 200, jbReduce, 200, 200, true, 100},
    {"TwoPixelBlocks", 1900, 60, jbReduce, 1500, 60, false, 200},
    {"TallTwoPixelBlocks", 40, 1900, jbReduce, 40, 1500, false, 200},
    {"Enlarged", 300, 200, jbEnlarge, 230, 170, false, 100},
    {"SmartRemove", 240, 180, jbSmartRemove, 240, 180, true, 12},
};

INSTANTIATE_TEST_SUITE_P(Photograph, SeemCurvingReferenceTest, testing::ValuesIn(CarvingCases),
                         [](const testing::TestParamInfo<TCarvingCase>& info) { return info.param.Name; });

} // namespace
