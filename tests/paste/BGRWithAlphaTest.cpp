#include <gtest/gtest.h>

#include <png.h>
#include <zlib.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "imaging/VxPictureFixtures.h"
#include "imaging/VxRadialFilter.h"
#include "paste/BGRWithAlpha.h"
#include "separation/AlphaChanal.h"
#include "support/VxTempFolder.h"

namespace {


// An object of the given size whose pixel (x, y) is blue x, green y, red 0x5A, alpha as given.
void FillObject(TBGRWithAlpha& object, std::int32_t width, std::int32_t height, std::uint8_t alpha)
{
    object.SetSize(width, height);
    object.Alpha().SetSize(width, height);
    for (std::int32_t x = 0; x < width; ++x)
        for (std::int32_t y = 0; y < height; ++y) {
            std::uint8_t* p = object.Pixel(x, y);
            p[0] = static_cast<std::uint8_t>(x);
            p[1] = static_cast<std::uint8_t>(y);
            p[2] = 0x5A;
            object.Alpha().SetValue(x, y, alpha);
        }
}

constexpr std::uint8_t Background[3] = {0x10, 0x20, 0x30}; // blue, green, red
constexpr std::uint32_t BackgroundColor = 0x302010;

std::uint32_t ObjectColor(std::int32_t x, std::int32_t y)
{
    return 0x5A0000u | static_cast<std::uint32_t>(y) << 8 | static_cast<std::uint32_t>(x);
}

void ExpectBlank(const TBGRWithAlpha& object)
{
    ASSERT_EQ(object.Width(), BlankObjectSide);
    ASSERT_EQ(object.Height(), BlankObjectSide);
    ASSERT_EQ(object.Alpha().Width(), BlankObjectSide);
    ASSERT_EQ(object.Alpha().Height(), BlankObjectSide);
    EXPECT_TRUE(object.Loaded());
    EXPECT_FALSE(object.IsEmpty());
    for (std::int32_t x = 0; x < BlankObjectSide; ++x)
        for (std::int32_t y = 0; y < BlankObjectSide; ++y)
            if (object.Alpha().Value(x, y) != 0)
                FAIL() << "alpha at " << x << "," << y;
}

// A PNG through libpng's simplified writer; format one of PNG_FORMAT_*.
std::vector<std::uint8_t> EncodePng(std::int32_t width, std::int32_t height, std::uint32_t format,
                                    const std::vector<std::uint8_t>& pixels)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = format;
    png_alloc_size_t size = 0;
    EXPECT_TRUE(png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr));
    std::vector<std::uint8_t> bytes(size);
    EXPECT_TRUE(png_image_write_to_memory(&image, bytes.data(), &size, 0, pixels.data(), 0, nullptr));
    bytes.resize(size);
    return bytes;
}

// 3 x 2 RGBA: red 10x + y, green 100 + x, blue 200 + y, alpha 40x + y.
std::vector<std::uint8_t> SmallRgbaPng()
{
    std::vector<std::uint8_t> pixels;
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            pixels.insert(pixels.end(), {static_cast<std::uint8_t>(10 * x + y), static_cast<std::uint8_t>(100 + x),
                                         static_cast<std::uint8_t>(200 + y), static_cast<std::uint8_t>(40 * x + y)});
    return EncodePng(3, 2, PNG_FORMAT_RGBA, pixels);
}

// Rewrites the IHDR width and height of a PNG and its CRC.
std::vector<std::uint8_t> WithHeaderSize(std::vector<std::uint8_t> png, std::uint32_t width, std::uint32_t height)
{
    auto put = [&](std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i)
            png[at + i] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
    };
    put(16, width);
    put(20, height);
    put(29, static_cast<std::uint32_t>(crc32(0, png.data() + 12, 17)));
    return png;
}

// Writes id.alp (packed matte text) of an opaque w x h object into folder.
void WriteMatte(const TTempFolder& folder, const std::wstring& id, std::int32_t width, std::int32_t height)
{
    TAlphaChanal matte;
    matte.SetSize(width, height);
    for (std::int32_t x = 0; x < width; ++x)
        for (std::int32_t y = 0; y < height; ++y)
            matte.SetValue(x, y, 255);
    const std::filesystem::path text = folder.Path() / L"matte.txt";
    ASSERT_TRUE(matte.SaveToFile(text));
    ASSERT_TRUE(CompressFile(text, folder.Path() / (id + L".alp")));
}

// A decoder that hands out a fmtBGR24 picture of blue x, green y, red 0x5A.
TObjectPictureDecoder CoordinateDecoder(std::int32_t width, std::int32_t height, int* calls = nullptr)
{
    return [=](const std::filesystem::path& file, TVxLTBitmap& picture) {
        if (calls)
            ++*calls;
        if (file.extension() != L".jpg" || !picture.Allocate(width, height, fmtBGR24))
            return false;
        VxFixtures::FillWithCoordinates(*picture.GetPixels());
        return true;
    };
}

} // namespace

TEST(BGRWithAlphaTest, NewObjectIsEmpty)
{
    TBGRWithAlpha object;
    EXPECT_TRUE(object.IsEmpty());
    EXPECT_FALSE(object.Loaded());
    EXPECT_EQ(object.GetBounds(), (TRect{0, 0, 0, 0}));
}

TEST(BGRWithAlphaTest, PointSampleNeedsAlphaOf128)
{
    struct TCase {
        std::uint8_t Alpha;
        bool Visible;
    };
    for (const TCase& c : {TCase{0, false}, TCase{127, false}, TCase{128, true}, TCase{255, true}}) {
        SCOPED_TRACE(int(c.Alpha));
        TBGRWithAlpha object;
        FillObject(object, 4, 3, 255);
        object.Alpha().SetValue(2, 1, c.Alpha);
        // (2.4, 0.6) rounds to (2, 1).
        EXPECT_EQ(object.Sample(0, 2.4, 0.6, Background), c.Visible ? ObjectColor(2, 1) : BackgroundColor);
    }
}

TEST(BGRWithAlphaTest, PointSampleRoundsHalfToEvenAndLeavesOutsideAlone)
{
    TBGRWithAlpha object;
    FillObject(object, 4, 4, 255);
    EXPECT_EQ(object.Sample(0, 0.5, 2.5, Background), ObjectColor(0, 2));
    EXPECT_EQ(object.Sample(0, 1.5, 3.5, Background), BackgroundColor); // (2, 4) is outside
    EXPECT_EQ(object.Sample(0, -0.6, 0.0, Background), BackgroundColor);
    EXPECT_EQ(object.Sample(0, std::nan(""), 0.0, Background), BackgroundColor);
    EXPECT_EQ(object.Sample(0, 1e300, 0.0, Background), BackgroundColor);
}

TEST(BGRWithAlphaTest, MirroredSampleAtZeroReadsTheLastColumnOrRow)
{
    struct TCase {
        bool MirrorX;
        bool MirrorY;
        std::int32_t ExpectX;
        std::int32_t ExpectY;
    };
    const TCase cases[] = {{false, false, 0, 0}, {true, false, 4, 0}, {false, true, 0, 2}, {true, true, 4, 2}};
    for (const TCase& c : cases) {
        for (std::int32_t filter : {0, 2}) {
            SCOPED_TRACE(testing::Message() << c.MirrorX << c.MirrorY << " filter " << filter);
            TBGRWithAlpha object;
            FillObject(object, 5, 3, 255);
            object.SetMirrorX(c.MirrorX);
            object.SetMirrorY(c.MirrorY);
            EXPECT_EQ(object.Sample(filter, 0.0, 0.0, Background), ObjectColor(c.ExpectX, c.ExpectY));
        }
    }
}

TEST(BGRWithAlphaTest, HermiteAtPixelCentreIsThatPixel)
{
    TBGRWithAlpha object;
    FillObject(object, 6, 5, 255);
    for (std::int32_t x = 0; x < 6; ++x)
        for (std::int32_t y = 0; y < 5; ++y)
            EXPECT_EQ(object.Sample(2, x, y, Background), ObjectColor(x, y));
}

TEST(BGRWithAlphaTest, FilteredSampleBlendsByMeanAlpha)
{
    // Uniform colour and alpha: the mean colour is the colour, the mean alpha the alpha,
    // for every filter and position.
    struct TCase {
        std::uint8_t Alpha;
        std::uint32_t Expected;
    };
    // colour 0x5A4030 (blue 0x30, green 0x40, red 0x5A) over 0x302010:
    // 51/255 = 0.2: blue 0x30*0.2 + 0x10*0.8 = 22.4 -> 22, green 38.4 -> 38, red 56.4 -> 56.
    // 127/255: blue 16 + 32*127/255 = 31.937 -> 32, green 47.937 -> 48, red 69.05 -> 69.
    const TCase cases[] = {{0, 0x302010}, {51, 0x382616}, {127, 0x453020}, {255, 0x5A4030}};
    for (const TCase& c : cases)
        for (std::int32_t filter = 1; filter < RadialFilterCount; ++filter) {
            SCOPED_TRACE(testing::Message() << int(c.Alpha) << " filter " << filter);
            TBGRWithAlpha object;
            object.SetSize(7, 7);
            object.Alpha().SetSize(7, 7);
            for (std::int32_t x = 0; x < 7; ++x)
                for (std::int32_t y = 0; y < 7; ++y) {
                    std::uint8_t* p = object.Pixel(x, y);
                    p[0] = 0x30, p[1] = 0x40, p[2] = 0x5A;
                    object.Alpha().SetValue(x, y, c.Alpha);
                }
            EXPECT_EQ(object.Sample(filter, 3.3, 2.8, Background), c.Expected);
        }
}

TEST(BGRWithAlphaTest, FilteredSampleFarOutsideIsBackground)
{
    TBGRWithAlpha object;
    FillObject(object, 4, 4, 255);
    for (std::int32_t filter = 1; filter < RadialFilterCount; ++filter) {
        SCOPED_TRACE(filter);
        EXPECT_EQ(object.Sample(filter, -10.0, 2.0, Background), BackgroundColor);
        EXPECT_EQ(object.Sample(filter, 2.0, 1e300, Background), BackgroundColor);
        EXPECT_EQ(object.Sample(filter, std::nan(""), 2.0, Background), BackgroundColor);
    }
}

TEST(BGRWithAlphaTest, HermiteHalfwayMixesNeighbours)
{
    // Between two opaque columns of blue 0 and 2 (x = 0, 1 columns of a 2 x 1 object):
    // at x = 0.5 both weigh h(0.5) = 0.5, so blue is 0.5 (ties to even: 0) and alpha 1.
    TBGRWithAlpha object;
    FillObject(object, 2, 1, 255);
    object.Pixel(1, 0)[0] = 3;
    EXPECT_EQ(object.Sample(2, 0.5, 0.0, Background) & 0xFF, 2u); // (0 + 3) / 2 = 1.5 -> 2
    // A transparent neighbour halves the alpha: 0.5 * 0x5A + 0.5 * 0x30 = 69 for red.
    object.Alpha().SetValue(1, 0, 0);
    EXPECT_EQ(object.Sample(2, 0.5, 0.0, Background) >> 16, 69u);
}

TEST(BGRWithAlphaTest, PixelAtAnswersAlphaAndWindowsColour)
{
    TBGRWithAlpha object;
    FillObject(object, 3, 3, 200);
    const TAlphaColor inside = object.PixelAt(2, 1);
    EXPECT_EQ(inside.Alpha, 200);
    EXPECT_EQ(inside.Color, 0x02015Au); // blue 2, green 1, red 0x5A as 0x00BBGGRR
    for (TPoint outside : {TPoint{-1, 0}, TPoint{3, 0}, TPoint{0, 3}, TPoint{0, -1}}) {
        const TAlphaColor none = object.PixelAt(outside.X, outside.Y);
        EXPECT_EQ(none.Alpha, 0);
        EXPECT_EQ(none.Color, 0u);
    }
}

TEST(BGRWithAlphaTest, FailedLoadsGiveTheBlankObject)
{
    TTempFolder folder;
    folder.Write(L"000001.alp", {1, 2, 3, 4, 5});                       // not zlib
    folder.Write(L"000002.png", {0x89, 'P', 'N', 'G', 13, 10, 26, 10}); // signature only
    std::vector<std::uint8_t> cut = SmallRgbaPng();
    cut.resize(cut.size() - 20);
    folder.Write(L"000003.png", cut);
    folder.Write(L"000004.png", WithHeaderSize(SmallRgbaPng(), 70000, 2));
    folder.Write(L"000005.png", WithHeaderSize(SmallRgbaPng(), 40000, 40000));
    folder.Write(L"000006.png", SmallRgbaPng());
    struct TCase {
        const wchar_t* Name;
        std::int32_t Kind;
    };
    const TCase cases[] = {{L"000001", 1}, {L"000009", 1}, {L"000002", 2}, {L"000003", 2}, {L"000004", 2},
                           {L"000005", 2}, {L"000009", 2}, {L"000006", 3}, {L"000006", 0}, {L"000006", 1}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message() << std::filesystem::path(c.Name).string() << " kind " << c.Kind);
        TBGRWithAlpha object;
        FillObject(object, 3, 3, 255);
        EXPECT_FALSE(object.Load(folder.Path(), c.Name, c.Kind));
        ExpectBlank(object);
    }
}

TEST(BGRWithAlphaTest, EveryTruncatedPngGivesTheBlankObject)
{
    const std::vector<std::uint8_t> png = SmallRgbaPng();
    for (std::size_t size = 0; size < png.size(); ++size) {
        SCOPED_TRACE(size);
        TBGRWithAlpha object;
        EXPECT_FALSE(object.LoadPng(std::span(png.data(), size)));
        ExpectBlank(object);
    }
}

TEST(BGRWithAlphaTest, EmptyNameClearsTheMatteOnly)
{
    TBGRWithAlpha object;
    FillObject(object, 3, 2, 255);
    EXPECT_TRUE(object.Load(std::filesystem::temp_directory_path(), L"", ObjectKindMatte));
    EXPECT_TRUE(object.Loaded());
    EXPECT_EQ(object.Width(), 3);
    EXPECT_EQ(object.Height(), 2);
    EXPECT_EQ(object.Alpha().Value(2, 1), 0);
    EXPECT_EQ(object.Pixel(2, 1)[0], 2);
}

TEST(BGRWithAlphaTest, PngObjectTakesColoursAndAlpha)
{
    TTempFolder folder;
    folder.Write(L"000007.png", SmallRgbaPng());
    TBGRWithAlpha object;
    ASSERT_TRUE(object.Load(folder.Path(), L"000007", ObjectKindPng));
    ASSERT_EQ(object.Width(), 3);
    ASSERT_EQ(object.Height(), 2);
    ASSERT_EQ(object.Alpha().Width(), 3);
    for (std::int32_t x = 0; x < 3; ++x)
        for (std::int32_t y = 0; y < 2; ++y) {
            SCOPED_TRACE(testing::Message() << x << "," << y);
            const std::uint8_t* p = object.Pixel(x, y);
            EXPECT_EQ(p[0], 200 + y);
            EXPECT_EQ(p[1], 100 + x);
            EXPECT_EQ(p[2], 10 * x + y);
            EXPECT_EQ(object.Alpha().Value(x, y), 40 * x + y);
        }
}

TEST(BGRWithAlphaTest, PngWithoutAlphaIsOpaque)
{
    struct TCase {
        std::uint32_t Format;
        int Channels;
    };
    for (const TCase& c : {TCase{PNG_FORMAT_RGB, 3}, TCase{PNG_FORMAT_GRAY, 1}}) {
        SCOPED_TRACE(c.Channels);
        std::vector<std::uint8_t> pixels(static_cast<std::size_t>(4 * 3 * c.Channels));
        for (std::size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = static_cast<std::uint8_t>(7 * i);
        TBGRWithAlpha object;
        ASSERT_TRUE(object.LoadPng(EncodePng(4, 3, c.Format, pixels)));
        for (std::int32_t x = 0; x < 4; ++x)
            for (std::int32_t y = 0; y < 3; ++y) {
                const std::uint8_t* p = object.Pixel(x, y);
                const std::uint8_t* s = &pixels[static_cast<std::size_t>((y * 4 + x) * c.Channels)];
                EXPECT_EQ(p[2], s[0]);
                EXPECT_EQ(p[0], s[c.Channels == 3 ? 2 : 0]);
                EXPECT_EQ(object.Alpha().Value(x, y), 255);
            }
    }
}

TEST(BGRWithAlphaTest, MatteObjectPlacesPictureAtTheMargins)
{
    TTempFolder folder;
    // A 1 x 5 opaque object: centre (0, 2), d = 2, so margin x = 2 and margin y = 0.
    WriteMatte(folder, L"000010", 1, 5);
    TBGRWithAlpha object;
    int calls = 0;
    object.SetPictureDecoder(CoordinateDecoder(1, 5, &calls));
    ASSERT_TRUE(object.Load(folder.Path(), L"000010", ObjectKindMatte));
    EXPECT_EQ(calls, 1);
    ASSERT_EQ(object.Alpha().MarginX(), 2);
    ASSERT_EQ(object.Alpha().MarginY(), 0);
    ASSERT_EQ(object.Width(), 5);
    ASSERT_EQ(object.Height(), 5);
    for (std::int32_t x = 0; x < 5; ++x)
        for (std::int32_t y = 0; y < 5; ++y) {
            SCOPED_TRACE(testing::Message() << x << "," << y);
            const std::uint8_t* p = object.Pixel(x, y);
            const bool placed = x == 2;
            EXPECT_EQ(p[1], placed ? y : 0);
            EXPECT_EQ(p[2], placed ? 0x5A : 0);
            EXPECT_EQ(object.Alpha().Value(x, y), placed ? 255 : 0);
        }
}

TEST(BGRWithAlphaTest, MatteObjectWithoutColoursKeepsTheMatte)
{
    TTempFolder folder;
    WriteMatte(folder, L"000011", 2, 2);
    struct TCase {
        const char* Name;
        TObjectPictureDecoder Decoder;
    };
    const TCase cases[] = {
        {"no decoder", TObjectPictureDecoder()},
        {"decoder fails", [](const std::filesystem::path&, TVxLTBitmap&) { return false; }},
        {"decoder throws", [](const std::filesystem::path&, TVxLTBitmap&) -> bool { throw std::runtime_error("x"); }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TBGRWithAlpha object;
        object.SetPictureDecoder(c.Decoder);
        const bool loaded = object.Load(folder.Path(), L"000011", ObjectKindMatte);
        if (std::string(c.Name) == "decoder throws") {
            // An error raised while loading is a failed load.
            EXPECT_FALSE(loaded);
            ExpectBlank(object);
            continue;
        }
        EXPECT_TRUE(loaded);
        ASSERT_EQ(object.Width(), object.Alpha().Width());
        ASSERT_GT(object.Width(), 0);
        const std::int32_t mx = object.Alpha().MarginX();
        const std::int32_t my = object.Alpha().MarginY();
        EXPECT_EQ(object.Alpha().Value(mx, my), 255);
        EXPECT_EQ(object.Pixel(mx, my)[2], 0);
    }
}

TEST(BGRWithAlphaTest, OversizedColourPictureIsClippedToTheGrid)
{
    TTempFolder folder;
    WriteMatte(folder, L"000012", 2, 2);
    TBGRWithAlpha object;
    object.SetPictureDecoder(CoordinateDecoder(40, 30));
    ASSERT_TRUE(object.Load(folder.Path(), L"000012", ObjectKindMatte));
    const std::int32_t mx = object.Alpha().MarginX();
    const std::int32_t my = object.Alpha().MarginY();
    EXPECT_EQ(object.Pixel(object.Width() - 1, object.Height() - 1)[0], object.Width() - 1 - mx);
    EXPECT_EQ(object.Pixel(object.Width() - 1, object.Height() - 1)[1], object.Height() - 1 - my);
}

TEST(BGRWithAlphaTest, ProcessWideDecoderIsUsedWithoutOwnDecoder)
{
    TTempFolder folder;
    WriteMatte(folder, L"000013", 1, 1);
    int calls = 0;
    SetObjectPictureDecoder(CoordinateDecoder(1, 1, &calls));
    TBGRWithAlpha object;
    EXPECT_TRUE(object.Load(folder.Path(), L"000013", ObjectKindMatte));
    SetObjectPictureDecoder(TObjectPictureDecoder());
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(object.Pixel(0, 0)[2], 0x5A);
}

TEST(BGRWithAlphaTest, PaletteTransparencyBecomesAlpha)
{
    // 2 x 2 palette picture: entry 0 red and fully transparent (tRNS), entry 1 blue;
    // rows 0 1 / 1 0.
    const std::vector<std::uint8_t> png = {
        0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44, 0x52, 0x00,
        0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x02, 0x08, 0x03, 0x00, 0x00, 0x00, 0x45, 0x68, 0xfd, 0x16, 0x00,
        0x00, 0x00, 0x06, 0x50, 0x4c, 0x54, 0x45, 0xff, 0x00, 0x00, 0x00, 0x00, 0xff, 0x6c, 0xa1, 0xfd, 0x8e,
        0x00, 0x00, 0x00, 0x01, 0x74, 0x52, 0x4e, 0x53, 0x00, 0x40, 0xe6, 0xd8, 0x66, 0x00, 0x00, 0x00, 0x0c,
        0x49, 0x44, 0x41, 0x54, 0x78, 0x9c, 0x63, 0x60, 0x60, 0x04, 0x42, 0x00, 0x00, 0x0c, 0x00, 0x03, 0x2b,
        0x63, 0xcb, 0x50, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};
    TBGRWithAlpha object;
    ASSERT_TRUE(object.LoadPng(png));
    ASSERT_EQ(object.Width(), 2);
    EXPECT_EQ(object.PixelAt(0, 0).Alpha, 0);
    EXPECT_EQ(object.PixelAt(0, 0).Color, 0x0000FFu);
    EXPECT_EQ(object.PixelAt(1, 0).Alpha, 255);
    EXPECT_EQ(object.PixelAt(1, 0).Color, 0xFF0000u);
    EXPECT_EQ(object.PixelAt(0, 1).Alpha, 255);
    EXPECT_EQ(object.PixelAt(1, 1).Alpha, 0);
}
