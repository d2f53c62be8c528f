// Fixed reductions and enlargements whose results are pinned by checksums of the carved
// pictures and of every seam chosen on the way. The seam search is tuned for speed
// (memory layout, narrower sums, threads); none of that may change a single seam or
// pixel, and these sums are the proof.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <span>

#include "seams/SeemCurving.h"
#include "seams/SeemTestPictures.h"

namespace {

// FNV-1a, 64 bits.
class TChecksum {
public:
    void Add(const void* data, std::size_t size)
    {
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        for (std::size_t k = 0; k < size; ++k)
            FValue = (FValue ^ bytes[k]) * 0x100000001B3ULL;
    }
    void Add(std::int32_t value) { Add(&value, sizeof value); }
    std::uint64_t Value() const { return FValue; }

private:
    std::uint64_t FValue = 0xCBF29CE484222325ULL;
};

class TSeamRecorder : public ISeemCurvingObserver {
public:
    void SeamChosen(TSeemKind kind, std::span<const std::int32_t> positions) override
    {
        FSum.Add(static_cast<std::int32_t>(kind));
        FSum.Add(positions.data(), positions.size_bytes());
        ++FCount;
    }
    std::uint64_t Value() const { return FSum.Value(); }
    std::int32_t Count() const { return FCount; }

private:
    TChecksum FSum;
    std::int32_t FCount = 0;
};

std::uint64_t PictureChecksum(const TVxPixels& picture)
{
    TChecksum sum;
    for (std::int32_t y = 0; y < picture.Height(); ++y)
        sum.Add(picture.Row(picture.Top() + y), static_cast<std::size_t>(picture.Width()) * 3);
    return sum.Value();
}

enum TJob { jbReduce, jbEnlarge, jbSmartRemove };

struct TChecksumCase {
    const char* Name;
    std::int32_t Width;
    std::int32_t Height;
    TJob Job;
    std::int32_t TargetWidth; // the logical size the picture starts at, for enlargements
    std::int32_t TargetHeight;
    bool Marked;
    std::int32_t Seams;
    std::uint64_t Picture;
    std::uint64_t SeamPositions;
};

class SeemCurvingChecksumTest : public testing::TestWithParam<TChecksumCase> {};

TEST_P(SeemCurvingChecksumTest, ResultStaysBitForBitTheSame)
{
    const TChecksumCase& c = GetParam();
    TVxPixelBuffer picture(fmtBGR24, Bounds(0, 0, c.Width, c.Height));
    FillPhotoLike(picture, 20261210);
    TMarkPlane marks(c.Width, c.Height);
    if (c.Marked) {
        marks.Set({c.Width / 3, c.Height / 4, c.Width / 3 + 12, c.Height / 2}, 1);
        marks.Set({c.Width / 2, 0, c.Width / 2 + 5, c.Height / 3}, 2);
    }
    const TSeemMarkReader reader = [&marks](std::int32_t y, std::span<std::uint8_t> row) {
        std::memcpy(row.data(), &marks.Marks[static_cast<std::size_t>(y) * marks.Width], row.size());
    };
    TSeamRecorder recorder;
    const TSize start = c.Job == jbEnlarge ? TSize{c.TargetWidth, c.TargetHeight} : TSize{c.Width, c.Height};
    TSeemCurving carving(picture, start, c.Marked ? reader : TSeemMarkReader{}, &recorder);
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
    EXPECT_EQ(recorder.Count(), c.Seams);
    EXPECT_EQ(PictureChecksum(picture), c.Picture) << std::hex << "0x" << PictureChecksum(picture);
    EXPECT_EQ(recorder.Value(), c.SeamPositions) << std::hex << "0x" << recorder.Value();
}

// Pinned from the first, untuned search (64-bit energies and sums in separate grids).
const TChecksumCase ChecksumCases[] = {
    {"NarrowerBy20Percent", 300, 200, jbReduce, 240, 200, false, 60, 0x5cfde906a2c743d1ULL, 0xf2a92b39069d7b73ULL},
    {"LowerBy20Percent", 200, 300, jbReduce, 200, 240, false, 60, 0x6ef85ec356d9c68dULL, 0xcdc198d0116b2707ULL},
    {"SmallerBothWays", 257, 181, jbReduce, 190, 140, false, 108, 0x9db8e2be5220916bULL, 0xb1a6481188fde796ULL},
    {"NarrowerAroundMarks", 300, 200, jbReduce, 200, 200, true, 100, 0xa9985a46ad48c6f0ULL, 0x07bea6f4ce4e4af1ULL},
    {"TwoPixelBlocks", 1900, 60, jbReduce, 1500, 60, false, 200, 0x870d0316ed2ac8a3ULL, 0x515d803df1c80228ULL},
    {"TallTwoPixelBlocks", 40, 1900, jbReduce, 40, 1500, false, 200, 0xbf4e6287a0a3d035ULL, 0x3c3e4f33ce84ca22ULL},
    {"Enlarged", 300, 200, jbEnlarge, 230, 170, false, 100, 0xdeab99e23e9dfd7dULL, 0x3b8c760500118186ULL},
    {"SmartRemove", 240, 180, jbSmartRemove, 240, 180, true, 12, 0xb70b58600895c3bbULL, 0x0e9830a3faf8a993ULL},
};

INSTANTIATE_TEST_SUITE_P(Pinned, SeemCurvingChecksumTest, testing::ValuesIn(ChecksumCases),
                         [](const testing::TestParamInfo<TChecksumCase>& info) { return info.param.Name; });

} // namespace
