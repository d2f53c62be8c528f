// Seam search on arbitrary small pictures, marks, block sizes and sequences of seam
// removals and insertions, with the pixel side (TSeemCurving) and a second finder that
// sums the whole grid for every search. Any difference between the repaired and the
// fresh sums, intensities that did not follow the seams, a broken seam, or a memory error
// ends the run.
//
// Input: width, height (1..48), buffer slack (0..7) each; block width, height (1..4);
// then one byte per pixel and mark (grey level, mark = byte % 3 for the first bytes),
// then one byte per operation.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "imaging/VxBitmap.h"
#include "seams/SeemCurving.h"
#include "seams/SeemWayRatio.h"

namespace {

class TReader {
public:
    TReader(const std::uint8_t* data, std::size_t size) : FData(data), FSize(size) {}
    std::uint8_t Next() { return FPosition < FSize ? FData[FPosition++] : 0; }
    bool AtEnd() const { return FPosition >= FSize; }

private:
    const std::uint8_t* FData;
    std::size_t FSize;
    std::size_t FPosition = 0;
};

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

void CheckSeam(std::span<const std::int32_t> seam, std::int32_t breadth)
{
    for (std::size_t k = 0; k < seam.size(); ++k) {
        Check(seam[k] >= 0 && seam[k] < breadth);
        if (k > 0)
            Check(std::abs(seam[k] - seam[k - 1]) <= 1);
    }
}

void CheckSame(TSeemWayRatio& repaired, TSeemWayRatio& reference)
{
    Check(repaired.Nx() == reference.Nx() && repaired.Ny() == reference.Ny());
    const auto a = repaired.VerticalSeam();
    const auto b = reference.VerticalSeam();
    Check(std::equal(a.begin(), a.end(), b.begin(), b.end()));
    CheckSeam(a, repaired.Nx());
    Check(repaired.VerticalSeamCost() == reference.VerticalSeamCost());
    const auto c = repaired.HorizontalSeam();
    const auto d = reference.HorizontalSeam();
    Check(std::equal(c.begin(), c.end(), d.begin(), d.end()));
    CheckSeam(c, repaired.Ny());
    Check(repaired.HorizontalSeamCost() == reference.HorizontalSeamCost());
}

// The intensities of the grid as plain columns, moved along the same seams as the finder's.
using TIntensities = std::vector<std::vector<std::int32_t>>;

TIntensities ReadIntensities(TSeemWayRatio& finder)
{
    TIntensities grid(static_cast<std::size_t>(finder.Nx()));
    for (std::int32_t i = 0; i < finder.Nx(); ++i)
        for (std::int32_t j = 0; j < finder.Ny(); ++j)
            grid[i].push_back(finder.Intensity(i, j));
    return grid;
}

void MoveAlongSeam(TIntensities& grid, std::uint8_t operation, const std::vector<std::int32_t>& seam)
{
    const auto nx = static_cast<std::int32_t>(grid.size());
    switch (operation) {
    case 0:
        for (std::int32_t i = 0; i < nx; ++i)
            grid[i].erase(grid[i].begin() + seam[i]);
        break;
    case 1:
        for (std::int32_t i = 0; i < nx; ++i)
            grid[i].insert(grid[i].begin() + seam[i] + 1, grid[i][seam[i]]);
        break;
    case 2:
        for (std::size_t j = 0; j < seam.size(); ++j)
            for (std::int32_t i = seam[j]; i + 1 < nx; ++i)
                grid[i][j] = grid[i + 1][j];
        grid.pop_back();
        break;
    default:
        grid.push_back(grid.back());
        for (std::size_t j = 0; j < seam.size(); ++j)
            for (std::int32_t i = nx; i > seam[j]; --i)
                grid[i][j] = grid[i - 1][j];
        break;
    }
}

void RunFinders(TReader& reader, std::int32_t width, std::int32_t height, std::int32_t slackX, std::int32_t slackY,
                std::int32_t bx, std::int32_t by, const std::vector<std::uint8_t>& grey,
                const std::vector<std::uint8_t>& marks)
{
    TSeemWayRatio repaired(width + slackX, height + slackY, bx, by);
    TSeemWayRatio reference(width + slackX, height + slackY, bx, by);
    reference.SetIncrementalSums(false);
    for (TSeemWayRatio* finder : {&repaired, &reference}) {
        finder->SetImageSize(width, height);
        for (std::int32_t y = 0; y < height; ++y)
            for (std::int32_t x = 0; x < width; ++x) {
                const std::size_t k = static_cast<std::size_t>(y) * width + x;
                finder->AddPixel(x, y, marks[k], grey[k], static_cast<std::uint8_t>(grey[k] / 2), 0);
            }
        finder->ComputeGradient();
        finder->ComputeEnergy();
    }
    CheckSame(repaired, reference);
    // The repaired finder's intensities follow the seams too; read now and then only, so
    // that seams also pile up before the grid catches up with them.
    TIntensities intensities = ReadIntensities(repaired);
    for (std::int32_t step = 0; step < 64 && !reader.AtEnd(); ++step) {
        const auto operation = static_cast<std::uint8_t>(reader.Next() % 4);
        const auto taken = operation < 2 ? repaired.HorizontalSeam() : repaired.VerticalSeam();
        const std::vector<std::int32_t> seam(taken.begin(), taken.end());
        const std::int32_t nx = repaired.Nx();
        const std::int32_t ny = repaired.Ny();
        switch (operation) {
        case 0:
            repaired.RemoveHorizontalSeam();
            reference.RemoveHorizontalSeam();
            break;
        case 1:
            Check(repaired.InsertHorizontalSeam() == reference.InsertHorizontalSeam());
            break;
        case 2:
            repaired.RemoveVerticalSeam();
            reference.RemoveVerticalSeam();
            break;
        default:
            Check(repaired.InsertVerticalSeam() == reference.InsertVerticalSeam());
            break;
        }
        CheckSame(repaired, reference);
        if (repaired.Nx() != nx || repaired.Ny() != ny)
            MoveAlongSeam(intensities, operation, seam);
        if (step % 8 == 7 || reader.AtEnd())
            Check(ReadIntensities(repaired) == intensities);
    }
}

void RunCarving(const std::uint8_t* data, std::size_t size, std::int32_t width, std::int32_t height,
                std::int32_t slackX, std::int32_t slackY, const std::vector<std::uint8_t>& grey,
                const std::vector<std::uint8_t>& marks)
{
    TVxPixelBuffer picture(fmtBGR24, Bounds(0, 0, width + slackX, height + slackY));
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x) {
            std::uint8_t* p = picture.PixelAddress(x, y);
            p[0] = p[1] = p[2] = grey[static_cast<std::size_t>(y) * width + x];
        }
    const auto reader = [&](std::int32_t y, std::span<std::uint8_t> row) {
        std::copy_n(&marks[static_cast<std::size_t>(y) * width], row.size(), row.begin());
    };
    TSeemCurving carving(picture, {width, height}, reader);
    TReader operations(data, size);
    for (std::int32_t step = 0; step < 64 && !operations.AtEnd(); ++step) {
        switch (operations.Next() % 6) {
        case 0:
            carving.RemoveHorizontalSeam();
            break;
        case 1:
            carving.InsertHorizontalSeam();
            break;
        case 2:
            carving.RemoveVerticalSeam();
            break;
        case 3:
            carving.InsertVerticalSeam();
            break;
        case 4:
            carving.ResizeTo(1 + operations.Next() % (width + slackX), 1 + operations.Next() % (height + slackY));
            break;
        default:
            carving.RemoveMarkedArea(true, true);
            break;
        }
        const TSize now = carving.Size();
        Check(now.Width >= 1 && now.Width <= picture.Width() && now.Height >= 1 && now.Height <= picture.Height());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TReader reader(data, size);
    const std::int32_t width = 1 + reader.Next() % 48;
    const std::int32_t height = 1 + reader.Next() % 48;
    const std::int32_t slackX = reader.Next() % 8;
    const std::int32_t slackY = reader.Next() % 8;
    const std::int32_t bx = 1 + reader.Next() % 4;
    const std::int32_t by = 1 + reader.Next() % 4;
    std::vector<std::uint8_t> grey(static_cast<std::size_t>(width) * height);
    std::vector<std::uint8_t> marks(grey.size());
    for (std::size_t k = 0; k < grey.size(); ++k) {
        const std::uint8_t value = reader.Next();
        grey[k] = value;
        marks[k] = value % 17 == 0 ? static_cast<std::uint8_t>(1 + value % 2) : 0;
    }
    const std::size_t consumed = 6 + grey.size();
    const std::uint8_t* rest = data + std::min(consumed, size);
    const std::size_t restSize = size > consumed ? size - consumed : 0;
    RunFinders(reader, width, height, slackX, slackY, bx, by, grey, marks);
    RunCarving(rest, restSize, width, height, slackX, slackY, grey, marks);
    return 0;
}
