#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
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

// Every format the editor reads, written by the platform encoder and decoded straight
// into a device bitmap; the lossless ones must come back exactly, JPEG closely.
TEST(VxGdiplusTest, EveryFormatDecodesIntoDeviceBitmap)
{
    struct TCase {
        const char* Mime;
        const wchar_t* Name;
        GUID Raw;
        int Tolerance;
    } cases[] = {
        {"image/png", L"vx-gdiplus-test.png", VxImageFormat::PNG, 0},
        {"image/bmp", L"vx-gdiplus-test.bmp", VxImageFormat::BMP, 0},
        {"image/tiff", L"vx-gdiplus-test.tif", VxImageFormat::TIFF, 0},
        {"image/jpeg", L"vx-gdiplus-test.jpg", VxImageFormat::JPEG, 24},
    };
    // Smooth gradients, so a JPEG of them stays close to the original.
    TVxPixelBuffer pixels(fmtBGR24, Bounds(0, 0, 37, 21));
    for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 37; ++x) {
            std::uint8_t* p = pixels.PixelAddress(x, y);
            p[0] = static_cast<std::uint8_t>(x * 6);
            p[1] = static_cast<std::uint8_t>(y * 10);
            p[2] = static_cast<std::uint8_t>(200 - x * 2 - y * 3);
        }
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Mime);
        const std::filesystem::path path = std::filesystem::temp_directory_path() / c.Name;
        {
            std::unique_ptr<TGPBitmap> bitmap =
                TGPBitmap::FromScan0(37, 21, pixels.Stride(), PixelFormat24bppRGB, pixels.Data());
            ASSERT_NE(bitmap, nullptr);
            CLSID encoder{};
            ASSERT_GE(GetEncoderClsid(c.Mime, encoder), 0);
            ASSERT_EQ(bitmap->Save(path.wstring(), encoder, nullptr), Gdiplus::Ok);
        }
        std::unique_ptr<TGPBitmap> loaded = TGPBitmap::FromFile(path.wstring());
        ASSERT_NE(loaded, nullptr);
        GUID raw{};
        EXPECT_EQ(loaded->GetRawFormat(raw), Gdiplus::Ok);
        EXPECT_TRUE(IsEqualGUID(raw, c.Raw));
        TVxLTBitmap image;
        ASSERT_TRUE(DecodeToBitmap(*loaded, image));
        ASSERT_EQ(image.GetBounds(), Rect(0, 0, 37, 21));
        int worst = 0;
        for (int y = 0; y < 21; ++y)
            for (int i = 0; i < 37 * 3; ++i)
                worst = std::max(worst, std::abs(image.GetPixels()->Row(y)[i] - pixels.Row(y)[i]));
        EXPECT_LE(worst, c.Tolerance);
        loaded.reset();
        std::filesystem::remove(path);
    }
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
