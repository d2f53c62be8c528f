#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "imaging/VxLTBitmap.h"
#include "imaging/VxPageMemory.h"
#include "imaging/VxPictureFixtures.h"
#include "imaging/VxResample.h"

using namespace VxFixtures;

namespace {

// A bitmap whose every pixel names its coordinates (blue x, green y).
std::unique_ptr<TVxLTBitmap> CoordinatePicture(std::int32_t width, std::int32_t height)
{
    auto bitmap = std::make_unique<TVxLTBitmap>();
    EXPECT_TRUE(bitmap->Allocate(width, height, fmtBGR24));
    FillWithCoordinates(*bitmap->GetPixels());
    return bitmap;
}

// Pixel (x, y) of the result must have come from source pixel from(x, y).
void ExpectMapped(const TVxLTBitmap& bitmap, std::int32_t width, std::int32_t height,
                  const std::function<TPoint(std::int32_t, std::int32_t)>& from)
{
    ASSERT_EQ(bitmap.GetWidth(), width);
    ASSERT_EQ(bitmap.GetHeight(), height);
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x) {
            const TPoint p = from(x, y);
            EXPECT_TRUE(PixelIs(*bitmap.GetPixels(), x, y, static_cast<std::uint8_t>(p.X),
                                static_cast<std::uint8_t>(p.Y), 0x5A))
                << x << "," << y;
        }
}

class TFailingPages {
public:
    TFailingPages()
    {
        VxPageMemory::SetFailureHook([](std::size_t) { return false; });
    }
    ~TFailingPages() { VxPageMemory::SetFailureHook(nullptr); }
};

class TRecordingDevice : public IVxBitmapDevice {
public:
    bool Paint(TVxDeviceContext, const TVxPixels& pixels, const TRect& destRect, const TRect&, const TRect&) override
    {
        Painted = &pixels;
        PaintRect = destRect;
        return true;
    }
    bool Print(TVxDeviceContext, const TVxPixels& pixels, const TRect&) override
    {
        Printed = &pixels;
        return true;
    }
    const TVxPixels* Painted = nullptr;
    const TVxPixels* Printed = nullptr;
    TRect PaintRect;
};

} // namespace

TEST(VxLTBitmapTest, AllocateGivesBlackPixelsWithDibStride)
{
    TVxLTBitmap bitmap;
    EXPECT_TRUE(bitmap.IsEmpty());
    EXPECT_EQ(bitmap.GetPixels(), nullptr);
    ASSERT_TRUE(bitmap.Allocate(5, 3, fmtBGR24));
    EXPECT_EQ(bitmap.GetBounds(), Rect(0, 0, 5, 3));
    EXPECT_EQ(bitmap.GetPixels()->Stride(), 16);
    EXPECT_TRUE(PixelIs(*bitmap.GetPixels(), 4, 2, 0, 0, 0));
    for (const TSize size : {TSize{0, 3}, TSize{3, 0}, TSize{-1, 5}}) {
        EXPECT_FALSE(bitmap.Allocate(size.Width, size.Height, fmtBGR24));
        EXPECT_TRUE(bitmap.IsEmpty());
    }
    EXPECT_FALSE(bitmap.Allocate(4, 4, 0x1000));
}

TEST(VxLTBitmapTest, QuarterTurnsOfAThreeByTwoPicture)
{
    const auto leftOwner = CoordinatePicture(3, 2);
    TVxLTBitmap& left = *leftOwner;
    ASSERT_TRUE(left.RotateLeft());
    // The top-left pixel is the source's top-right one: (x, y) went to (y, 2 - x).
    ExpectMapped(left, 2, 3, [](std::int32_t x, std::int32_t y) { return TPoint{2 - y, x}; });

    const auto rightOwner = CoordinatePicture(3, 2);
    TVxLTBitmap& right = *rightOwner;
    ASSERT_TRUE(right.RotateRight());
    // The top-left pixel is the source's bottom-left one: (x, y) went to (1 - y, x).
    ExpectMapped(right, 2, 3, [](std::int32_t x, std::int32_t y) { return TPoint{y, 1 - x}; });
}

TEST(VxLTBitmapTest, Flips)
{
    const auto horizontalOwner = CoordinatePicture(5, 3);
    TVxLTBitmap& horizontal = *horizontalOwner;
    ASSERT_TRUE(horizontal.FlipHorizontal());
    ExpectMapped(horizontal, 5, 3, [](std::int32_t x, std::int32_t y) { return TPoint{4 - x, y}; });
    const auto verticalOwner = CoordinatePicture(5, 3);
    TVxLTBitmap& vertical = *verticalOwner;
    ASSERT_TRUE(vertical.FlipVertical());
    ExpectMapped(vertical, 5, 3, [](std::int32_t x, std::int32_t y) { return TPoint{x, 2 - y}; });
}

TEST(VxLTBitmapTest, TurnsAndFlipsUndoThemselves)
{
    // Larger than one tile of the turn loops, and awkward.
    const std::function<bool(TVxLTBitmap&)> operations[] = {
        [](TVxLTBitmap& b) { return b.RotateLeft() && b.RotateLeft() && b.RotateLeft() && b.RotateLeft(); },
        [](TVxLTBitmap& b) { return b.RotateLeft() && b.RotateRight(); },
        [](TVxLTBitmap& b) { return b.FlipHorizontal() && b.FlipHorizontal(); },
        [](TVxLTBitmap& b) { return b.FlipVertical() && b.FlipVertical(); },
        [](TVxLTBitmap& b) { return b.RotateRight() && b.RotateRight() && b.FlipHorizontal() && b.FlipVertical(); },
    };
    TVxPixelBuffer original(fmtBGR24, Bounds(0, 0, 131, 67));
    FillRandom(original, 9);
    for (const auto& operation : operations) {
        TVxLTBitmap bitmap;
        ASSERT_TRUE(bitmap.LoadFromBuffer(original));
        ASSERT_TRUE(operation(bitmap));
        EXPECT_TRUE(SamePixels(*bitmap.GetPixels(), original));
    }
}

TEST(VxLTBitmapTest, TurnsNeedThreeBytesAPixel)
{
    TVxLTBitmap bitmap;
    ASSERT_TRUE(bitmap.Allocate(3, 2, fmtBGRA32));
    std::memset(bitmap.GetPixels()->Data(), 7, 24);
    const std::function<bool(TVxLTBitmap&)> operations[] = {
        [](TVxLTBitmap& b) { return b.RotateLeft(); }, [](TVxLTBitmap& b) { return b.RotateRight(); },
        [](TVxLTBitmap& b) { return b.FlipHorizontal(); }, [](TVxLTBitmap& b) { return b.FlipVertical(); }};
    for (const auto& operation : operations) {
        const TVxPixels* before = bitmap.GetPixels();
        EXPECT_FALSE(operation(bitmap));
        EXPECT_EQ(bitmap.GetPixels(), before);
        EXPECT_EQ(bitmap.GetBounds(), Rect(0, 0, 3, 2));
    }
    TVxLTBitmap empty;
    EXPECT_FALSE(empty.RotateLeft());
    EXPECT_FALSE(empty.FlipVertical());
}

TEST(VxLTBitmapTest, Crop)
{
    const auto bitmapOwner = CoordinatePicture(10, 8);
    TVxLTBitmap& bitmap = *bitmapOwner;
    const TVxPixels* before = bitmap.GetPixels();
    EXPECT_FALSE(bitmap.Crop(Rect(20, 20, 30, 30)));
    EXPECT_FALSE(bitmap.Crop(Rect(-5, 0, 0, 8)));
    EXPECT_EQ(bitmap.GetPixels(), before);
    EXPECT_EQ(bitmap.GetBounds(), Rect(0, 0, 10, 8));
    // Partly outside: the inside part, moved to (0, 0).
    ASSERT_TRUE(bitmap.Crop(Rect(6, -3, 14, 5)));
    ExpectMapped(bitmap, 4, 5, [](std::int32_t x, std::int32_t y) { return TPoint{x + 6, y}; });
}

TEST(VxLTBitmapTest, ResizeCanvasKeepsTopLeftAndAddsBlack)
{
    const auto bitmapOwner = CoordinatePicture(3, 2);
    TVxLTBitmap& bitmap = *bitmapOwner;
    ASSERT_TRUE(bitmap.ResizeCanvas(5, 4));
    ASSERT_EQ(bitmap.GetBounds(), Rect(0, 0, 5, 4));
    for (std::int32_t y = 0; y < 4; ++y)
        for (std::int32_t x = 0; x < 5; ++x) {
            if (x < 3 && y < 2)
                EXPECT_TRUE(PixelIs(*bitmap.GetPixels(), x, y, static_cast<std::uint8_t>(x),
                                    static_cast<std::uint8_t>(y), 0x5A));
            else
                EXPECT_TRUE(PixelIs(*bitmap.GetPixels(), x, y, 0, 0, 0)) << x << "," << y;
        }
    ASSERT_TRUE(bitmap.ResizeCanvas(2, 1));
    ExpectMapped(bitmap, 2, 1, [](std::int32_t x, std::int32_t y) { return TPoint{x, y}; });
    EXPECT_FALSE(bitmap.ResizeCanvas(0, 4));
    EXPECT_EQ(bitmap.GetBounds(), Rect(0, 0, 2, 1));
}

TEST(VxLTBitmapTest, ResizeUsesLanczosOrTheDraftSwitch)
{
    TVxPixelBuffer source(fmtBGR24, Bounds(0, 0, 40, 30));
    FillRandom(source, 21);
    for (const bool draft : {false, true}) {
        SCOPED_TRACE(draft ? "draft" : "lanczos");
        TVxLTBitmap bitmap;
        ASSERT_TRUE(bitmap.LoadFromBuffer(source));
        {
            const bool was = DraftResize();
            if (draft) {
                TVxDraftResizeScope scope;
                EXPECT_TRUE(DraftResize());
                ASSERT_TRUE(bitmap.Resize(17, 11));
            } else {
                ASSERT_TRUE(bitmap.Resize(17, 11));
            }
            EXPECT_EQ(DraftResize(), was);
        }
        TVxPixelBuffer expected(fmtBGR24, Bounds(0, 0, 17, 11));
        if (draft)
            Resample(expected, expected.GetBounds(), expected.GetBounds(), TQuickDraftResampler(), source.GetBounds(),
                     source);
        else
            Resample(expected, expected.GetBounds(), expected.GetBounds(), TLanczosResampler(), source.GetBounds(),
                     source);
        EXPECT_TRUE(SamePixels(*bitmap.GetPixels(), expected));
    }
}

TEST(VxLTBitmapTest, ResizeAtTheSameSizeKeepsThePicture)
{
    TVxPixelBuffer source(fmtBGR24, Bounds(0, 0, 23, 19));
    FillRandom(source, 4);
    TVxLTBitmap bitmap;
    ASSERT_TRUE(bitmap.LoadFromBuffer(source));
    ASSERT_TRUE(bitmap.Resize(23, 19));
    EXPECT_TRUE(SamePixels(*bitmap.GetPixels(), source));
}

TEST(VxLTBitmapTest, CloneLoadAndSave)
{
    const auto bitmapOwner = CoordinatePicture(6, 4);
    TVxLTBitmap& bitmap = *bitmapOwner;
    const std::unique_ptr<TVxLTBitmap> clone = bitmap.Clone();
    ASSERT_TRUE(clone);
    EXPECT_NE(clone->GetPixels()->Data(), bitmap.GetPixels()->Data());
    EXPECT_TRUE(SamePixels(*clone->GetPixels(), *bitmap.GetPixels()));

    TVxPixelBuffer saved;
    ASSERT_TRUE(bitmap.SaveToBuffer(saved));
    EXPECT_TRUE(SamePixels(saved, *bitmap.GetPixels()));

    // A buffer placed at (2, 1) gives only its overlap with (0, 0, 4, 3).
    TVxPixelBuffer placed(fmtBGR24, Bounds(2, 1, 4, 3));
    FillWithCoordinates(placed);
    TVxLTBitmap loaded;
    ASSERT_TRUE(loaded.LoadFromBuffer(placed));
    ASSERT_EQ(loaded.GetBounds(), Rect(0, 0, 4, 3));
    for (std::int32_t y = 0; y < 3; ++y)
        for (std::int32_t x = 0; x < 4; ++x) {
            if (x >= 2 && y >= 1)
                EXPECT_TRUE(PixelIs(*loaded.GetPixels(), x, y, static_cast<std::uint8_t>(x),
                                    static_cast<std::uint8_t>(y), 0x5A));
            else
                EXPECT_TRUE(PixelIs(*loaded.GetPixels(), x, y, 0, 0, 0));
        }
}

TEST(VxLTBitmapTest, OutOfMemoryLeavesThePictureAlone)
{
    const auto bitmapOwner = CoordinatePicture(4, 3);
    TVxLTBitmap& bitmap = *bitmapOwner;
    const TVxPixels* before = bitmap.GetPixels();
    TFailingPages failing;
    const std::function<bool(TVxLTBitmap&)> operations[] = {
        [](TVxLTBitmap& b) { return b.RotateLeft(); },           [](TVxLTBitmap& b) { return b.RotateRight(); },
        [](TVxLTBitmap& b) { return b.FlipHorizontal(); },       [](TVxLTBitmap& b) { return b.FlipVertical(); },
        [](TVxLTBitmap& b) { return b.Crop(Rect(1, 1, 3, 3)); }, [](TVxLTBitmap& b) { return b.ResizeCanvas(8, 8); },
        [](TVxLTBitmap& b) { return b.Resize(8, 6); },
    };
    for (const auto& operation : operations) {
        EXPECT_FALSE(operation(bitmap));
        EXPECT_EQ(bitmap.GetPixels(), before);
    }
    ExpectMapped(bitmap, 4, 3, [](std::int32_t x, std::int32_t y) { return TPoint{x, y}; });
    EXPECT_EQ(bitmap.Clone(), nullptr);
    TVxPixelBuffer saved;
    EXPECT_FALSE(bitmap.SaveToBuffer(saved));
}

TEST(VxLTBitmapTest, PaintAndPrintGoThroughTheInstalledDevice)
{
    const auto bitmapOwner = CoordinatePicture(4, 3);
    TVxLTBitmap& bitmap = *bitmapOwner;
    EXPECT_FALSE(bitmap.Paint(nullptr, Rect(0, 0, 4, 3), bitmap.GetBounds(), Rect(0, 0, 4, 3)));
    EXPECT_FALSE(bitmap.Print(nullptr, Rect(0, 0, 4, 3)));
    TRecordingDevice device;
    SetBitmapDevice(&device);
    EXPECT_TRUE(bitmap.Paint(nullptr, Rect(1, 2, 9, 8), bitmap.GetBounds(), Rect(0, 0, 10, 10)));
    EXPECT_TRUE(bitmap.Print(nullptr, Rect(0, 0, 4, 3)));
    EXPECT_EQ(device.Painted, bitmap.GetPixels());
    EXPECT_EQ(device.Printed, bitmap.GetPixels());
    EXPECT_EQ(device.PaintRect, Rect(1, 2, 9, 8));
    TVxLTBitmap empty;
    EXPECT_FALSE(empty.Paint(nullptr, Rect(0, 0, 4, 3), empty.GetBounds(), Rect(0, 0, 4, 3)));
    SetBitmapDevice(nullptr);
}
