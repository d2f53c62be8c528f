#include <gtest/gtest.h>

#include <cstring>

#include "imaging/VxBitmap.h"
#include "imaging/VxPageMemory.h"

namespace {

// Every pixel carries its own coordinates: blue = x, green = y, red = 0x5A.
void FillWithCoordinates(TVxPixelBuffer& buffer)
{
    for (std::int32_t y = buffer.Top(); y < buffer.Top() + buffer.Height(); ++y)
        for (std::int32_t x = buffer.Left(); x < buffer.Left() + buffer.Width(); ++x) {
            std::uint8_t* p = buffer.PixelAddress(x, y);
            p[0] = static_cast<std::uint8_t>(x);
            p[1] = static_cast<std::uint8_t>(y);
            p[2] = 0x5A;
        }
}

bool HasCoordinates(const TVxPixels& buffer, std::int32_t x, std::int32_t y)
{
    const std::uint8_t* p = buffer.PixelAddress(x, y);
    return p[0] == static_cast<std::uint8_t>(x) && p[1] == static_cast<std::uint8_t>(y) && p[2] == 0x5A;
}

bool IsBlack(const TVxPixels& buffer, std::int32_t x, std::int32_t y)
{
    const std::uint8_t* p = buffer.PixelAddress(x, y);
    return p[0] == 0 && p[1] == 0 && p[2] == 0;
}

}  // namespace

TEST(VxBitmapTest, BitsPerPixelOfFormatCodes)
{
    struct TCase {
        TVxPixelFormat Format;
        std::uint32_t Bits;
    } cases[] = {{fmtBGR24, 24}, {fmtBGRA32, 32}, {0x1000, 0}, {0x1001, 8}, {0x1006, 32},
                 {0x1022, 48}, {0x1032, 48}, {0x1042, 96}, {0x1009, 0}, {0x1102, 32}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Format);
        EXPECT_EQ(BitsPerPixel(c.Format), c.Bits);
    }
}

TEST(VxBitmapTest, StrideIsRoundedToWholeWords)
{
    struct TCase {
        std::int32_t Width;
        std::int32_t Stride;
    } cases[] = {{0, 0}, {1, 4}, {3, 12}, {4, 12}, {5, 16}, {1021, 3064}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Width);
        TVxPixelBuffer buffer(fmtBGR24, Bounds(0, 0, c.Width, 2));
        EXPECT_EQ(buffer.Stride(), c.Stride);
        EXPECT_EQ(buffer.Data() == nullptr, c.Width == 0);
        EXPECT_EQ(buffer.BytesPerPixel(), 3);
    }
}

TEST(VxBitmapTest, FreshPixelsAreBlack)
{
    TVxPixelBuffer buffer(fmtBGR24, Bounds(-5, 7, 33, 9));
    for (std::int32_t y = 7; y < 16; ++y)
        for (std::int32_t x = -5; x < 28; ++x)
            ASSERT_TRUE(IsBlack(buffer, x, y));
}

TEST(VxBitmapTest, SetBoundsWithSameRectangleKeepsEverything)
{
    TVxPixelBuffer buffer(fmtBGR24, Bounds(2, 3, 10, 10));
    FillWithCoordinates(buffer);
    std::uint8_t* data = buffer.Data();
    buffer.SetBounds(Bounds(2, 3, 10, 10), false);
    EXPECT_EQ(buffer.Data(), data);
    EXPECT_TRUE(HasCoordinates(buffer, 11, 12));
}

TEST(VxBitmapTest, SetBoundsKeepsOverlapAtImageCoordinates)
{
    TVxPixelBuffer buffer(fmtBGR24, Bounds(0, 0, 8, 6));
    FillWithCoordinates(buffer);
    buffer.SetBounds(Rect(4, 2, 12, 9), true);
    EXPECT_EQ(buffer.GetBounds(), Rect(4, 2, 12, 9));
    for (std::int32_t y = 2; y < 9; ++y)
        for (std::int32_t x = 4; x < 12; ++x) {
            SCOPED_TRACE(testing::Message() << x << "," << y);
            if (x < 8 && y < 6)
                EXPECT_TRUE(HasCoordinates(buffer, x, y));
            else
                EXPECT_TRUE(IsBlack(buffer, x, y));
        }
    buffer.SetBounds(Rect(4, 2, 12, 9), false);
    EXPECT_TRUE(HasCoordinates(buffer, 5, 3));  // same bounds: untouched even without keep
    buffer.SetBounds(Rect(0, 0, 3, 3), false);
    EXPECT_TRUE(IsBlack(buffer, 1, 1));
}

TEST(VxBitmapTest, ClearKeepsTheFormat)
{
    TVxPixelBuffer buffer(fmtBGR24, Bounds(0, 0, 4, 4));
    buffer.Clear();
    EXPECT_EQ(buffer.Data(), nullptr);
    EXPECT_EQ(buffer.GetBounds(), TRect{});
    EXPECT_EQ(buffer.Stride(), 0);
    EXPECT_EQ(buffer.Format(), fmtBGR24);
}

TEST(VxBitmapTest, FailedAllocationRaisesAndKeepsTheBuffer)
{
    TVxPixelBuffer buffer(fmtBGR24, Bounds(0, 0, 4, 4));
    FillWithCoordinates(buffer);
    VxPageMemory::SetFailureHook([](std::size_t) { return false; });
    EXPECT_THROW(buffer.SetBounds(Bounds(0, 0, 4000, 3000), true), EVxPixelMemoryError);
    VxPageMemory::SetFailureHook(nullptr);
    EXPECT_EQ(buffer.GetBounds(), Bounds(0, 0, 4, 4));
    EXPECT_TRUE(HasCoordinates(buffer, 3, 3));
    EXPECT_THROW(buffer.SetBounds(Bounds(0, 0, 0x7FFFFFF0, 0x7FFFFFF0), false), EVxPixelMemoryError);
}

TEST(VxBitmapTest, CopyRectClipsAgainstBothRectangles)
{
    TVxPixelBuffer source(fmtBGR24, Bounds(10, 10, 6, 6));
    FillWithCoordinates(source);
    TVxPixelBuffer target(fmtBGR24, Bounds(0, 0, 8, 8));
    // Source rectangle (8,8)-(14,14) is partly outside the source; its top-left lands at (1,1).
    target.CopyRect(1, 1, source, Rect(8, 8, 14, 14));
    for (std::int32_t y = 0; y < 8; ++y)
        for (std::int32_t x = 0; x < 8; ++x) {
            SCOPED_TRACE(testing::Message() << x << "," << y);
            const bool inside = x >= 3 && x < 7 && y >= 3 && y < 7;
            if (inside) {
                const std::uint8_t* p = target.PixelAddress(x, y);
                EXPECT_EQ(p[0], x + 7);
                EXPECT_EQ(p[1], y + 7);
            } else {
                EXPECT_TRUE(IsBlack(target, x, y));
            }
        }
}

TEST(VxBitmapTest, CopyBetweenFormatsOrDisjointRectanglesDoesNothing)
{
    TVxPixelBuffer source(fmtBGR24, Bounds(0, 0, 4, 4));
    FillWithCoordinates(source);
    TVxPixelBuffer other(fmtBGRA32, Bounds(0, 0, 4, 4));
    other.CopyFrom(source);
    EXPECT_EQ(other.PixelAddress(3, 3)[0], 0);
    TVxPixelBuffer far(fmtBGR24, Bounds(100, 100, 4, 4));
    far.CopyFrom(source);
    EXPECT_TRUE(IsBlack(far, 101, 101));
    TVxPixelBuffer copy;
    copy.Assign(source);
    EXPECT_NE(copy.Data(), source.Data());
    EXPECT_TRUE(HasCoordinates(copy, 2, 3));
}

TEST(VxBitmapTest, RowAndColumnRunsMoveOverlappingPixels)
{
    for (int shift : {-3, -1, 1, 3}) {
        SCOPED_TRACE(shift);
        TVxPixelBuffer buffer(fmtBGR24, Bounds(0, 0, 16, 16));
        FillWithCoordinates(buffer);
        buffer.MoveRowRun(5, 4, 6, 4 + shift);
        buffer.MoveColumnRun(14, 4, 6, 4 + shift);
        for (std::int32_t i = 0; i < 6; ++i) {
            const std::uint8_t* row = buffer.PixelAddress(4 + shift + i, 5);
            EXPECT_EQ(row[0], 4 + i);
            EXPECT_EQ(row[1], 5);
            const std::uint8_t* column = buffer.PixelAddress(14, 4 + shift + i);
            EXPECT_EQ(column[0], 14);
            EXPECT_EQ(column[1], 4 + i);
        }
        EXPECT_TRUE(HasCoordinates(buffer, 0, 5));
        EXPECT_TRUE(HasCoordinates(buffer, 14, 0));
        EXPECT_TRUE(HasCoordinates(buffer, 13, 5));
    }
}

TEST(VxBitmapTest, MaskIncludeKeepsValuesAndMergeMaxUnites)
{
    TVxPixelMask a;
    a.SetBounds(0, 0, 2, 2);
    *a.ValueAt(1, 1) = 200;
    a.Include(Rect(-2, -1, 1, 1));
    EXPECT_EQ(a.GetBounds(), Rect(-2, -1, 2, 2));
    EXPECT_EQ(*a.ValueAt(1, 1), 200);
    EXPECT_EQ(*a.ValueAt(-2, -1), 0);
    EXPECT_EQ(a.ValueAt(2, 2), nullptr);

    TVxPixelMask empty;
    a.MergeMax(empty);
    EXPECT_EQ(a.GetBounds(), Rect(-2, -1, 2, 2));

    TVxPixelMask b;
    b.SetBounds(5, 5, 1, 1);
    *b.ValueAt(5, 5) = 90;
    a.MergeMax(b);
    EXPECT_EQ(a.GetBounds(), Rect(-2, -1, 6, 6));
    EXPECT_EQ(*a.ValueAt(1, 1), 200);
    EXPECT_EQ(*a.ValueAt(5, 5), 90);
    EXPECT_EQ(*a.ValueAt(3, 3), 0);

    TVxPixelMask c;
    c.SetBounds(1, 1, 1, 1);
    *c.ValueAt(1, 1) = 100;
    a.MergeMax(c);
    EXPECT_EQ(*a.ValueAt(1, 1), 200);
    *c.ValueAt(1, 1) = 250;
    a.MergeMax(c);
    EXPECT_EQ(*a.ValueAt(1, 1), 250);

    TVxPixelMask negative;
    negative.SetBounds(0, 0, -4, 3);
    EXPECT_EQ(negative.Width(), 0);
    EXPECT_EQ(negative.ValueAt(0, 0), nullptr);
}

TEST(VxBitmapTest, BlendColor)
{
    struct TCase {
        std::uint8_t Pixel[3];
        std::int32_t Weight;
        std::uint32_t Color;
        std::uint8_t Expected[3];
    } cases[] = {
        {{0, 0, 0}, 128, 0xFFFFFF, {127, 127, 127}},
        {{10, 20, 30}, 0, 0xFFFFFF, {10, 20, 30}},
        {{10, 20, 30}, 255, 0x112233, {0x33, 0x22, 0x11}},
        {{255, 255, 255}, 1, 0x000000, {254, 254, 254}},  // floor of a negative difference
        {{100, 100, 100}, 64, 0xC86400, {75, 100, 125}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Weight);
        std::uint8_t p[3] = {c.Pixel[0], c.Pixel[1], c.Pixel[2]};
        BlendColor(p, c.Weight, c.Color);
        EXPECT_EQ(p[0], c.Expected[0]);
        EXPECT_EQ(p[1], c.Expected[1]);
        EXPECT_EQ(p[2], c.Expected[2]);
    }
}

TEST(VxBitmapTest, FitSize)
{
    EXPECT_EQ(FitSize(400, 300, 100, 100), (TSize{100, 75}));
    EXPECT_EQ(FitSize(300, 400, 100, 100), (TSize{75, 100}));
    EXPECT_EQ(FitSize(50, 50, 100, 100), (TSize{100, 100}));
    EXPECT_EQ(FitSize(333, 100, 100, 100), (TSize{100, 30}));
    EXPECT_FALSE(FitSize(400, 300, 0, 100));
    EXPECT_FALSE(FitSize(400, 300, 100, 0));
}

TEST(VxBitmapTest, MulDivRoundsHalfAwayFromZero)
{
    EXPECT_EQ(VxMulDiv(5, 1, 2), 3);
    EXPECT_EQ(VxMulDiv(-5, 1, 2), -3);
    EXPECT_EQ(VxMulDiv(5, -1, -2), 3);
    EXPECT_EQ(VxMulDiv(7, 3, 0), -1);
    EXPECT_EQ(VxMulDiv(0x7FFFFFFF, 2, 1), -1);
    EXPECT_EQ(VxMulDiv(0x40000000, 4, 8), 0x20000000);
}

TEST(VxBitmapTest, ColourConversions)
{
    EXPECT_EQ(ColorToVector(0x00102030), (TColorVector{0x30, 0x20, 0x10}));
    EXPECT_EQ(VectorToColor({0.5, 1.5, 300.0}), 0x00FF0200u);  // ties to even, clamped
    EXPECT_EQ(VectorToColor({-4.0, 2.5, 254.49}), 0x00FE0200u);
    std::uint8_t bytes[3];
    ColorToBytes(0x00AABBCC, bytes);
    EXPECT_EQ(bytes[0], 0xCC);
    EXPECT_EQ(bytes[2], 0xAA);
    EXPECT_TRUE(ColorEquals(bytes, 0x00AABBCC));
    EXPECT_FALSE(ColorEquals(bytes, 0x00AABBCD));
    EXPECT_EQ(ClampInt(-3, 0, 10), 0);
    EXPECT_EQ(ClampInt(13, 0, 10), 10);
    EXPECT_EQ(ClampInt(4, 0, 10), 4);
}

TEST(VxBitmapTest, CheckedImageSizeRefusesOverflow)
{
    EXPECT_EQ(CheckedImageSize(4000, 3000, 3), std::size_t{36000000});
    EXPECT_FALSE(CheckedImageSize(0xFFFFFFFF, 0xFFFFFFFF, 3));
    EXPECT_EQ(CheckedImageSize(0, 5, 3), std::size_t{0});
}

// 2^20 x (2^20 + 1) bytes: in a 32-bit size_t the count wraps to 1 MB, which would give a
// mask claiming the full rectangle over a buffer of a millionth of it.
TEST(VxBitmapTest, MaskTooLargeForTheAddressSpaceIsRefusedNotWrapped)
{
    TVxPixelMask mask;
    mask.SetBounds(0, 0, 2, 2);
    EXPECT_THROW(mask.SetBounds(0, 0, 1 << 20, (1 << 20) + 1), EVxPixelMemoryError);
    EXPECT_EQ(mask.GetBounds(), Rect(0, 0, 2, 2)) << "a refused mask keeps its rectangle";
    EXPECT_NE(mask.ValueAt(1, 1), nullptr);
}

// A row of 1.5 billion pixels needs 4.5 GB, more than an int32 stride holds; wrapped, the
// stride would come out as a small positive number and the buffer would be allocated
// far too small for the width it claims.
TEST(VxBitmapTest, RowWiderThanAStrideCanSayIsRefused)
{
    TVxPixelBuffer buffer(fmtBGR24, Bounds(0, 0, 4, 4));
    EXPECT_THROW(buffer.SetBounds(Bounds(0, 0, 1500000000, 1), false), EVxPixelMemoryError);
    EXPECT_EQ(buffer.GetBounds(), Bounds(0, 0, 4, 4));
}
