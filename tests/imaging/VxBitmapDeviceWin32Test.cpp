#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "imaging/VxBitmapDeviceWin32.h"
#include "imaging/VxLTBitmap.h"
#include "imaging/VxPictureFixtures.h"
#include "paste/BGRWithAlpha.h"
#include "paste/BGRWithAlphaWin32.h"

namespace {

constexpr std::uint8_t Marker[3] = {0x11, 0x77, 0xEE};

// A memory context over a top-down 24-bit DIB section filled with the marker colour.
class TTestSurface {
public:
    TTestSurface(std::int32_t width, std::int32_t height) : FWidth(width), FHeight(height)
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        info.bmiHeader.biCompression = BI_RGB;
        FDC = CreateCompatibleDC(nullptr);
        FBitmap = CreateDIBSection(FDC, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&FBits), nullptr, 0);
        FOld = SelectObject(FDC, FBitmap);
        for (std::int32_t y = 0; y < height; ++y)
            for (std::int32_t x = 0; x < width; ++x)
                std::memcpy(Pixel(x, y), Marker, 3);
    }
    ~TTestSurface()
    {
        SelectObject(FDC, FOld);
        DeleteObject(FBitmap);
        DeleteDC(FDC);
    }
    TTestSurface(const TTestSurface&) = delete;
    TTestSurface& operator=(const TTestSurface&) = delete;

    bool Valid() const { return FDC && FBitmap && FBits; }
    HDC DC() const { return FDC; }
    std::uint8_t* Pixel(std::int32_t x, std::int32_t y) const
    {
        GdiFlush();
        return FBits + static_cast<std::size_t>(y) * DibStride(24, FWidth) + static_cast<std::size_t>(x) * 3;
    }
    bool IsMarker(std::int32_t x, std::int32_t y) const { return std::memcmp(Pixel(x, y), Marker, 3) == 0; }

private:
    std::int32_t FWidth;
    std::int32_t FHeight;
    HDC FDC = nullptr;
    HBITMAP FBitmap = nullptr;
    HGDIOBJ FOld = nullptr;
    std::uint8_t* FBits = nullptr;
};

// One-pixel black and white checkerboard: the pattern that sparkles when pixels are dropped.
void FillChecker(TVxPixels& picture)
{
    for (std::int32_t y = 0; y < picture.Height(); ++y)
        for (std::int32_t x = 0; x < picture.Width(); ++x)
            std::memset(picture.PixelAddress(x, y), ((x + y) & 1) ? 255 : 0, 3);
}

} // namespace

TEST(VxBitmapDeviceWin32Test, IdentityCopiesEveryPixel)
{
    TVxPixelBuffer picture(fmtBGR24, TRect{0, 0, 13, 7});
    VxFixtures::FillRandom(picture, 42);
    TTestSurface surface(20, 12);
    ASSERT_TRUE(surface.Valid());
    TVxBitmapDeviceWin32 device;
    const TRect dest{3, 2, 16, 9};
    ASSERT_TRUE(device.Paint(surface.DC(), picture, dest, picture.GetBounds(), TRect{0, 0, 20, 12}));
    for (std::int32_t y = 0; y < 12; ++y)
        for (std::int32_t x = 0; x < 20; ++x) {
            SCOPED_TRACE(testing::Message() << x << "," << y);
            if (dest.Contains(x, y))
                ASSERT_EQ(std::memcmp(surface.Pixel(x, y), picture.PixelAddress(x - 3, y - 2), 3), 0);
            else
                ASSERT_TRUE(surface.IsMarker(x, y));
        }
}

TEST(VxBitmapDeviceWin32Test, SourceRectangleSelectsThePart)
{
    TVxPixelBuffer picture(fmtBGR24, TRect{0, 0, 16, 16});
    VxFixtures::FillWithCoordinates(picture);
    TTestSurface surface(8, 8);
    TVxBitmapDeviceWin32 device;
    ASSERT_TRUE(device.Paint(surface.DC(), picture, TRect{0, 0, 5, 4}, TRect{9, 10, 14, 14}, TRect{0, 0, 8, 8}));
    for (std::int32_t y = 0; y < 4; ++y)
        for (std::int32_t x = 0; x < 5; ++x) {
            EXPECT_EQ(surface.Pixel(x, y)[0], 9 + x);
            EXPECT_EQ(surface.Pixel(x, y)[1], 10 + y);
        }
    EXPECT_TRUE(surface.IsMarker(5, 0));
    EXPECT_TRUE(surface.IsMarker(0, 4));
}

TEST(VxBitmapDeviceWin32Test, EnlargementMakesBlocks)
{
    TVxPixelBuffer picture(fmtBGR24, TRect{0, 0, 4, 3});
    VxFixtures::FillRandom(picture, 7);
    TTestSurface surface(12, 9);
    TVxBitmapDeviceWin32 device;
    ASSERT_TRUE(device.Paint(surface.DC(), picture, TRect{0, 0, 12, 9}, picture.GetBounds(), TRect{0, 0, 12, 9}));
    for (std::int32_t y = 0; y < 9; ++y)
        for (std::int32_t x = 0; x < 12; ++x)
            ASSERT_EQ(std::memcmp(surface.Pixel(x, y), picture.PixelAddress(x / 3, y / 3), 3), 0) << x << "," << y;
}

TEST(VxBitmapDeviceWin32Test, ReducedCheckerboardIsEvenGrey)
{
    for (std::int32_t factor : {2, 3, 4, 7}) {
        SCOPED_TRACE(factor);
        TVxPixelBuffer picture(fmtBGR24, TRect{0, 0, 16 * factor, 16 * factor});
        FillChecker(picture);
        TTestSurface surface(16, 16);
        TVxBitmapDeviceWin32 device;
        ASSERT_TRUE(device.Paint(surface.DC(), picture, TRect{0, 0, 16, 16}, picture.GetBounds(), TRect{0, 0, 16, 16}));
        for (std::int32_t y = 0; y < 16; ++y)
            for (std::int32_t x = 0; x < 16; ++x)
                for (int c = 0; c < 3; ++c)
                    ASSERT_NEAR(surface.Pixel(x, y)[c], 127.5, 12.0) << x << "," << y;
    }
}

TEST(VxBitmapDeviceWin32Test, ClipRectangleIsRespected)
{
    struct TCase {
        const char* Name;
        TRect Dest;
        std::int32_t Side; // of the square picture
    };
    const TCase cases[] = {{"identity", {0, 0, 24, 24}, 24},
                           {"reduction", {0, 0, 24, 24}, 96},
                           {"enlargement", {0, 0, 24, 24}, 6},
                           {"offset reduction", {-10, -4, 30, 26}, 80}};
    const TRect clip{5, 7, 17, 13};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TVxPixelBuffer picture(fmtBGR24, TRect{0, 0, c.Side, c.Side});
        VxFixtures::FillUniform(picture, 1, 2, 3);
        TTestSurface surface(24, 24);
        TVxBitmapDeviceWin32 device;
        ASSERT_TRUE(device.Paint(surface.DC(), picture, c.Dest, picture.GetBounds(), clip));
        for (std::int32_t y = 0; y < 24; ++y)
            for (std::int32_t x = 0; x < 24; ++x) {
                const bool inside = clip.Contains(x, y) && c.Dest.Contains(x, y);
                if (inside)
                    ASSERT_EQ(surface.Pixel(x, y)[2], 3) << x << "," << y;
                else
                    ASSERT_TRUE(surface.IsMarker(x, y)) << x << "," << y;
            }
        // Clipping is undone afterwards: a later paint without it covers the whole surface.
        ASSERT_TRUE(device.Paint(surface.DC(), picture, TRect{0, 0, 24, 24}, picture.GetBounds(), TRect{0, 0, 24, 24}));
        EXPECT_FALSE(surface.IsMarker(0, 0));
        EXPECT_FALSE(surface.IsMarker(23, 23));
    }
}

TEST(VxBitmapDeviceWin32Test, BitmapPaintsAndPrintsThroughTheInstalledDevice)
{
    TVxLTBitmap bitmap;
    ASSERT_TRUE(bitmap.Allocate(6, 4, fmtBGR24));
    VxFixtures::FillWithCoordinates(*bitmap.GetPixels());
    TTestSurface surface(12, 8);
    EXPECT_FALSE(bitmap.Paint(surface.DC(), bitmap.GetBounds(), bitmap.GetBounds(), bitmap.GetBounds()));
    TVxBitmapDeviceWin32 device;
    SetBitmapDevice(&device);
    EXPECT_TRUE(bitmap.Paint(surface.DC(), TRect{1, 1, 7, 5}, bitmap.GetBounds(), TRect{0, 0, 12, 8}));
    EXPECT_EQ(surface.Pixel(1 + 5, 1 + 3)[0], 5);
    EXPECT_EQ(surface.Pixel(1 + 5, 1 + 3)[1], 3);
    // Printing scales the whole picture into the rectangle.
    EXPECT_TRUE(bitmap.Print(surface.DC(), TRect{0, 0, 12, 8}));
    EXPECT_EQ(surface.Pixel(11, 7)[0], 5);
    EXPECT_EQ(surface.Pixel(11, 7)[1], 3);
    EXPECT_EQ(surface.Pixel(0, 0)[0], 0);
    SetBitmapDevice(nullptr);
}

TEST(VxBitmapDeviceWin32Test, RefusesWhatItCannotPaint)
{
    TTestSurface surface(4, 4);
    TVxBitmapDeviceWin32 device;
    TVxPixelBuffer picture(fmtBGR24, TRect{0, 0, 4, 4});
    TVxPixels none;
    EXPECT_FALSE(device.Paint(nullptr, picture, TRect{0, 0, 4, 4}, picture.GetBounds(), TRect{0, 0, 4, 4}));
    EXPECT_FALSE(device.Paint(surface.DC(), none, TRect{0, 0, 4, 4}, TRect{0, 0, 4, 4}, TRect{0, 0, 4, 4}));
    EXPECT_FALSE(device.Paint(surface.DC(), picture, TRect{0, 0, 4, 4}, TRect{10, 10, 12, 12}, TRect{0, 0, 4, 4}));
    EXPECT_TRUE(surface.IsMarker(0, 0));
}

TEST(VxBitmapDeviceWin32Test, MatteObjectColoursComeThroughGdiplus)
{
    static std::atomic<int> counter{0};
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("vx-gdiplus-object-" + std::to_string(counter++));
    std::filesystem::create_directories(folder);
    // A 1 x 1 opaque matte (no margins) and a 1 x 1 BMP of blue 10, green 20, red 30.
    TAlphaChanal matte;
    matte.SetSize(1, 1);
    matte.SetValue(0, 0, 255);
    ASSERT_TRUE(matte.SaveToFile(folder / L"matte.txt"));
    ASSERT_TRUE(CompressFile(folder / L"matte.txt", folder / L"000001.alp"));
    const std::uint8_t bmp[] = {'B', 'M', 58, 0, 0, 0, 0, 0, 0,  0, 54, 0, 0, 0, 40, 0,  0,  0, 1, 0,
                                0,   0,   1,  0, 0, 0, 1, 0, 24, 0, 0,  0, 0, 0, 4,  0,  0,  0, 0, 0,
                                0,   0,   0,  0, 0, 0, 0, 0, 0,  0, 0,  0, 0, 0, 10, 20, 30, 0};
    {
        std::ofstream stream(folder / L"000001.jpg", std::ios::binary);
        stream.write(reinterpret_cast<const char*>(bmp), sizeof(bmp));
    }
    TBGRWithAlpha object;
    object.SetPictureDecoder(DecodeObjectPicture);
    EXPECT_TRUE(object.Load(folder, L"000001", ObjectKindMatte));
    ASSERT_EQ(object.Width(), 1);
    EXPECT_EQ(object.Pixel(0, 0)[0], 10);
    EXPECT_EQ(object.Pixel(0, 0)[1], 20);
    EXPECT_EQ(object.Pixel(0, 0)[2], 30);
    TVxLTBitmap missing;
    EXPECT_FALSE(DecodeObjectPicture(folder / L"none.jpg", missing));
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}
