#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "imaging/VxGdiplus.h"

namespace {

TEST(VxGdiplusTest, EveryEncoderTheFormatsUseIsThere)
{
    TGdiplusSession session;
    ASSERT_TRUE(session.Started());
    for (const char* mime : {"image/jpeg", "image/png", "image/tiff", "image/bmp"}) {
        CLSID clsid{};
        EXPECT_GE(GetEncoderClsid(mime, clsid), 0) << mime;
    }
    CLSID clsid{};
    EXPECT_EQ(GetEncoderClsid("image/JPEG", clsid), -1); // compared case-sensitively
    EXPECT_EQ(GetEncoderClsid("image/x-none", clsid), -1);
}

TEST(VxGdiplusTest, HelpersMapFormatsAndRectangles)
{
    EXPECT_EQ(ToGdiplusPixelFormat(fmtBGR24), 0x21808u);
    EXPECT_EQ(ToGdiplusPixelFormat(fmtBGRA32), 0x26200Au);
    EXPECT_EQ(ToGdiplusPixelFormat(0x1234), 0u);
    const TXYWH r = RectToXYWH(Rect(3, 4, 10, 6));
    EXPECT_EQ(r.X, 3);
    EXPECT_EQ(r.Y, 4);
    EXPECT_EQ(r.Width, 7);
    EXPECT_EQ(r.Height, 2);
}

TEST(VxGdiplusTest, SavedBitmapDecodesIntoDeviceBitmap)
{
    TVxPixelBuffer pixels(fmtBGR24, Bounds(0, 0, 5, 3));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 15; ++x)
            pixels.Row(y)[x] = static_cast<std::uint8_t>(x * 13 + y * 50);
    const std::filesystem::path path = std::filesystem::temp_directory_path() / L"vx-gdiplus-test.png";
    {
        std::unique_ptr<TGPBitmap> bitmap = TGPBitmap::FromScan0(5, 3, pixels.Stride(), PixelFormat24bppRGB, pixels.Data());
        ASSERT_NE(bitmap, nullptr);
        CLSID png{};
        ASSERT_GE(GetEncoderClsid("image/png", png), 0);
        ASSERT_EQ(bitmap->Save(path.wstring(), png, nullptr), Gdiplus::Ok);
    }
    std::unique_ptr<TGPBitmap> loaded = TGPBitmap::FromFile(path.wstring());
    ASSERT_NE(loaded, nullptr);
    GUID raw{};
    EXPECT_EQ(loaded->GetRawFormat(raw), Gdiplus::Ok);
    EXPECT_TRUE(IsEqualGUID(raw, VxImageFormat::PNG));
    TVxLTBitmap image;
    ASSERT_TRUE(DecodeToBitmap(*loaded, image));
    ASSERT_EQ(image.GetBounds(), Rect(0, 0, 5, 3));
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(std::memcmp(image.GetPixels()->Row(y), pixels.Row(y), 15), 0) << y;
    loaded.reset();
    std::filesystem::remove(path);
}

TEST(VxGdiplusTest, MissingFileGivesNoObjectAndLastStatusResets)
{
    EXPECT_EQ(TGPBitmap::FromFile(L"Z:\\no\\such\\file.png"), nullptr);
    EXPECT_EQ(TGPImage::FromFile(L"Z:\\no\\such\\file.png"), nullptr);
    TVxPixelBuffer pixels(fmtBGR24, Bounds(0, 0, 2, 2));
    std::unique_ptr<TGPBitmap> bitmap = TGPBitmap::FromScan0(2, 2, pixels.Stride(), PixelFormat24bppRGB, pixels.Data());
    ASSERT_NE(bitmap, nullptr);
    UINT size = 0;
    EXPECT_NE(bitmap->GetPropertyItemSize(271, size), Gdiplus::Ok);
    EXPECT_NE(bitmap->GetLastStatus(), Gdiplus::Ok);
    EXPECT_EQ(bitmap->GetLastStatus(), Gdiplus::Ok);
}

} // namespace
