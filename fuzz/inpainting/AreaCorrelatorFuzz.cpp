// Hand inpainting on arbitrary small pictures: a target square anywhere near (or partly
// off) the picture, arbitrary marks, then a sequence of orientation searches and patch
// copies from arbitrary source positions in every mode. Reading and writing the same
// picture, or a picture placed away from the origin, must be as safe as the usual case.
//
// Input: picture width, height (1..40), picture origin (-8..7 each), one byte that picks
// a shared or a separate write picture; target left, top (-12..51), side (1..24), radius
// squared (0..15); one bit per target pixel for the marks; three bytes per picture pixel;
// then operations of four bytes each.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/VxBitmap.h"
#include "imaging/VxGeometry.h"
#include "inpainting/AreaCorrelator.h"

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

std::int32_t Signed(std::uint8_t byte, std::int32_t span, std::int32_t offset)
{
    return byte % span - offset;
}

void FillPicture(TVxPixels& picture, TReader& input)
{
    for (std::int32_t y = picture.Top(); y < picture.Top() + picture.Height(); ++y)
        for (std::int32_t x = picture.Left(); x < picture.Left() + picture.Width(); ++x) {
            std::uint8_t* pixel = picture.PixelAddress(x, y);
            for (int c = 0; c < 3; ++c)
                pixel[c] = input.Next();
        }
}

void Mark(TAreaCorrelator& engine, TReader& input)
{
    const TRect& target = engine.Target();
    std::uint8_t bits = 0;
    std::int32_t k = 0;
    for (std::int32_t y = target.Top; y < target.Bottom; ++y)
        for (std::int32_t x = target.Left; x < target.Right; ++x, ++k) {
            if (k % 8 == 0)
                bits = input.Next();
            engine.SetMarked(x, y, (bits >> (k % 8)) & 1);
        }
    // Positions outside the square are to be ignored, not written.
    engine.SetMarked(target.Left - 1, target.Top, true);
    engine.SetMarked(target.Right, target.Bottom, true);
}

// One operation: a source position near the picture, then what to do there.
void Operate(TAreaCorrelator& engine, const TRect& picture, TReader& input)
{
    const std::uint8_t what = input.Next();
    const TPoint source{picture.Left + Signed(input.Next(), 72, 16), picture.Top + Signed(input.Next(), 72, 16)};
    const std::uint8_t how = input.Next();
    switch (what % 5) {
    case 0: {
        const int best = engine.BestOrientation(source);
        engine.Apply(source, best, how & 1, (how >> 1) % 4, (how >> 3) % 5);
        break;
    }
    case 1:
        engine.Apply(source, static_cast<int>(how % 10) - 1, how & 16, (how >> 5) % 4, how % 5);
        break;
    case 2:
        engine.DropMinorityColours((how % 101) / 100.0);
        break;
    case 3:
        engine.PrepareBlend();
        break;
    case 4:
        engine.Apply(source, how % 8, how & 8, 2, static_cast<int>(how % 7) - 1);
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TReader input(data, size);
    const std::int32_t width = input.Next() % 40 + 1;
    const std::int32_t height = input.Next() % 40 + 1;
    const std::int32_t left = Signed(input.Next(), 16, 8);
    const std::int32_t top = Signed(input.Next(), 16, 8);
    const bool shared = input.Next() & 1;
    const std::int32_t targetLeft = left + Signed(input.Next(), 64, 12);
    const std::int32_t targetTop = top + Signed(input.Next(), 64, 12);
    const std::int32_t side = input.Next() % 24 + 1;
    const std::int32_t radius2 = input.Next() % 16;

    const TRect bounds = Bounds(left, top, width, height);
    TVxPixelBuffer readImage(fmtBGR24, bounds);
    TVxPixelBuffer separateWrite(fmtBGR24, bounds);
    TVxPixels& writeImage = shared ? static_cast<TVxPixels&>(readImage) : separateWrite;

    TAreaCorrelator engine(Bounds(targetLeft, targetTop, side, side), radius2, readImage, writeImage);
    Mark(engine, input);
    FillPicture(readImage, input);
    engine.Split();
    for (int operations = 0; operations < 64 && !input.AtEnd(); ++operations)
        Operate(engine, bounds, input);
    return 0;
}
