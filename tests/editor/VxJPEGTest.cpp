#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "editor/VxExif.h"
#include "editor/VxJPEGTestSupport.h"
#include "support/VxPixelCompare.h"
#include "support/VxTestPictures.h"

#include <jpeglib.h>

namespace {

std::unique_ptr<TVxPixelBuffer> PhotoLike(std::int32_t width, std::int32_t height, std::uint32_t seed = 5)
{
    auto picture = std::make_unique<TVxPixelBuffer>(fmtBGR24, TRect{0, 0, width, height});
    FillPhotoLike(*picture, seed);
    return picture;
}

std::vector<std::uint8_t> EncodeAt(const TVxPixels& picture, int quality, int subsampling = -1)
{
    TVxJPEGSaveParameters parameters;
    parameters.Quality = quality;
    parameters.Subsampling = subsampling;
    auto bytes = TVxJPEG::Encode(picture.Row(0), picture.Stride(), picture.Width(), picture.Height(), parameters);
    EXPECT_TRUE(bytes);
    return bytes.value_or(std::vector<std::uint8_t>{});
}

// Pixels outside every MCU that meets rect (grown by one MCU, where chroma upsampling
// reaches across) are equal; names the first one that is not.
testing::AssertionResult SameOutside(const TVxPixels& actual, const TVxPixels& expected, const TRect& rect, int grow)
{
    for (std::int32_t y = 0; y < actual.Height(); ++y)
        for (std::int32_t x = 0; x < actual.Width(); ++x) {
            if (x >= rect.Left - grow && x < rect.Right + grow && y >= rect.Top - grow && y < rect.Bottom + grow)
                continue;
            if (std::memcmp(actual.PixelAddress(x, y), expected.PixelAddress(x, y), 3) != 0)
                return testing::AssertionFailure() << "pixel (" << x << ", " << y << ") differs";
        }
    return testing::AssertionSuccess();
}

TRect McuCover(const TRect& r, std::int32_t bw, std::int32_t bh)
{
    return TRect{r.Left / bw * bw, r.Top / bh * bh, (r.Right + bw - 1) / bw * bw, (r.Bottom + bh - 1) / bh * bh};
}

TEST(VxJPEGTest, EncodeThenDecodeIsClose)
{
    for (int subsampling : {444, 422, 420}) {
        SCOPED_TRACE(subsampling);
        const auto pictureHolder = PhotoLike(61, 35);
        const TVxPixelBuffer& picture = *pictureHolder;
        TVxJPEG jpeg;
        TVxPixelBuffer decoded;
        ASSERT_TRUE(DecodeInto(jpeg, EncodeAt(picture, 100, subsampling), decoded));
        EXPECT_EQ(jpeg.Width(), 61);
        EXPECT_EQ(jpeg.Height(), 35);
        EXPECT_EQ(jpeg.BlockWidth(), subsampling == 444 ? 8 : 16);
        EXPECT_EQ(jpeg.BlockHeight(), subsampling == 420 ? 16 : 8);
        EXPECT_EQ(jpeg.SourceQuality(), 100);
        EXPECT_LE(MaxDifference(decoded, picture), subsampling == 444 ? 4 : 80);
    }
}

// Saving what was loaded, unchanged, writes the very file.
TEST(VxJPEGTest, UnchangedSaveIsTheSourceItself)
{
    const std::vector<std::uint8_t> file = EncodeAt(*PhotoLike(48, 32), 85);
    TVxJPEG jpeg;
    TVxPixelBuffer decoded;
    ASSERT_TRUE(DecodeInto(jpeg, file, decoded));
    const auto saved = SavePixels(jpeg, decoded, decoded.GetBounds());
    ASSERT_TRUE(saved);
    EXPECT_EQ(*saved, file);
    EXPECT_TRUE(jpeg.LastSave().Transcoded);
}

// Open, paint a small square, save with the source's tables, and again, ten times: outside
// the painted MCUs every pixel stays what the original file decodes to.
TEST(VxJPEGTest, TenEditCyclesKeepUnchangedBlocks)
{
    struct TCase { int Subsampling; int Grow; } cases[] = {{444, 0}, {420, 16}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Subsampling);
        std::vector<std::uint8_t> file = EncodeAt(*PhotoLike(160, 128), 80, c.Subsampling);
        TVxJPEG original;
        TVxPixelBuffer originalPixels;
        ASSERT_TRUE(DecodeInto(original, file, originalPixels));
        TRect edited{};
        for (int cycle = 0; cycle < 10; ++cycle) {
            SCOPED_TRACE(cycle);
            TVxJPEG jpeg;
            TVxPixelBuffer picture;
            ASSERT_TRUE(DecodeInto(jpeg, file, picture));
            const TRect square = Bounds(20 + cycle * 11, 30 + cycle * 7, 9, 9);
            for (std::int32_t y = square.Top; y < square.Bottom; ++y)
                std::memset(picture.PixelAddress(square.Left, y), 40 + cycle * 20, square.Width() * 3);
            const TRect cover = McuCover(square, jpeg.BlockWidth(), jpeg.BlockHeight());
            edited = edited.IsEmpty() ? cover : UnionRect(edited, cover);
            const auto saved = SavePixels(jpeg, picture, picture.GetBounds());
            ASSERT_TRUE(saved);
            EXPECT_GT(jpeg.LastSave().EncodedBlocks, 0);
            EXPECT_LE(jpeg.LastSave().EncodedBlocks, 4);
            file = *saved;
            TVxJPEG reread;
            TVxPixelBuffer now;
            ASSERT_TRUE(DecodeInto(reread, file, now));
            EXPECT_TRUE(SameOutside(now, originalPixels, edited, c.Grow));
        }
    }
}

// Another quality than the source's re-encodes every block.
TEST(VxJPEGTest, OtherQualityReencodesEverything)
{
    TVxJPEG jpeg;
    TVxPixelBuffer picture;
    ASSERT_TRUE(DecodeInto(jpeg, EncodeAt(*PhotoLike(64, 48), 80), picture));
    TVxJPEGSaveParameters parameters;
    parameters.Quality = 60;
    const auto saved = SavePixels(jpeg, picture, picture.GetBounds(), parameters);
    ASSERT_TRUE(saved);
    EXPECT_EQ(jpeg.LastSave().KeptBlocks, 0);
    EXPECT_EQ(jpeg.LastSave().EncodedBlocks, 4 * 3);
    TVxJPEG reread;
    ASSERT_TRUE(reread.LoadFromMemory(*saved));
    EXPECT_EQ(reread.SourceQuality(), 60);
    // The source's own quality, asked for by number, keeps blocks as -1 does.
    parameters.Quality = 80;
    ASSERT_TRUE(SavePixels(jpeg, picture, picture.GetBounds(), parameters));
    EXPECT_EQ(jpeg.LastSave().EncodedBlocks, 0);
}

TEST(VxJPEGTest, TurnsAndFlipsFollowThePicture)
{
    const auto pictureHolder = PhotoLike(64, 48);
    const TVxPixelBuffer& picture = *pictureHolder;
    TVxJPEG jpeg;
    TVxPixelBuffer start;
    ASSERT_TRUE(DecodeInto(jpeg, EncodeAt(picture, 90, 420), start));
    ASSERT_TRUE(jpeg.Rotate90Clockwise(0));
    EXPECT_EQ(jpeg.Width(), 48);
    EXPECT_EQ(jpeg.Height(), 64);
    ASSERT_TRUE(jpeg.FlipHorizontal(0));
    ASSERT_TRUE(jpeg.FlipHorizontal(0));
    ASSERT_TRUE(jpeg.Rotate90Counterclockwise(0));
    ASSERT_TRUE(jpeg.FlipVertical(0));
    ASSERT_TRUE(jpeg.FlipVertical(0));
    TVxPixelBuffer back(fmtBGR24, TRect{0, 0, jpeg.Width(), jpeg.Height()});
    ASSERT_TRUE(jpeg.Decode(back.Row(0), back.Stride()));
    EXPECT_TRUE(SamePixels(back, start));
}

// The document turns its pixels exactly; saving them after the source's lossless turn
// writes the turned coefficients and encodes nothing, though the turned coefficients
// decode a little differently from the turned pixels.
TEST(VxJPEGTest, SaveAfterTurnAndCropEncodesNothing)
{
    TVxJPEG jpeg;
    TVxPixelBuffer decoded;
    ASSERT_TRUE(DecodeInto(jpeg, EncodeAt(*PhotoLike(64, 48), 85, 420), decoded));
    TVxPixelBuffer turned(fmtBGR24, TRect{0, 0, 48, 64});
    for (std::int32_t y = 0; y < 64; ++y)
        for (std::int32_t x = 0; x < 48; ++x)
            std::memcpy(turned.PixelAddress(x, y), decoded.PixelAddress(y, 47 - x), 3);
    ASSERT_TRUE(jpeg.Rotate90Clockwise(0));
    auto saved = SavePixels(jpeg, turned, turned.GetBounds());
    ASSERT_TRUE(saved);
    EXPECT_EQ(jpeg.LastSave().EncodedBlocks, 0);
    EXPECT_EQ(*saved, jpeg.Source());
    // Cut at (16, 16) on the MCU grid, then one pixel painted: one MCU encoded.
    jpeg.SetRect(16, 16, 48, 64);
    ASSERT_TRUE(jpeg.CropSource());
    TVxPixelBuffer cut(fmtBGR24, TRect{0, 0, 32, 48});
    cut.CopyRect(0, 0, turned, Rect(16, 16, 48, 64));
    cut.PixelAddress(20, 40)[1] ^= 0x40;
    saved = SavePixels(jpeg, cut, cut.GetBounds());
    ASSERT_TRUE(saved);
    EXPECT_EQ(jpeg.LastSave().EncodedBlocks, 1);
    EXPECT_EQ(jpeg.LastSave().KeptBlocks, 5);
}

// A 16 x 16 file of one ink colour, written by libjpeg as Photoshop writes CMYK (Adobe
// marker, inverted values), or converted to YCCK.
std::vector<std::uint8_t> InkFile(const std::uint8_t (&cmyk)[4], J_COLOR_SPACE space)
{
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = info.image_height = 16;
    info.input_components = 4;
    info.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    jpeg_set_colorspace(&info, space);
    jpeg_start_compress(&info, TRUE);
    std::uint8_t row[16 * 4];
    for (int x = 0; x < 16; ++x)
        for (int c = 0; c < 4; ++c)
            row[x * 4 + c] = static_cast<std::uint8_t>(255 - cmyk[c]); // inverted, as Adobe's
    JSAMPROW rows[1] = {row};
    while (info.next_scanline < 16)
        jpeg_write_scanlines(&info, rows, 1);
    jpeg_finish_compress(&info);
    std::vector<std::uint8_t> file(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return file;
}

// CMYK and YCCK files open as the colour their inks make (R = (1 - C)(1 - K) and so on).
TEST(VxJPEGTest, CmykAndYcckOpenAsTheirColour)
{
    const struct { std::uint8_t Ink[4]; std::uint32_t Rgb; } inks[] = {
        {{0, 0, 0, 0}, 0xFFFFFF}, {{255, 0, 0, 0}, 0x00FFFF}, {{0, 0, 0, 255}, 0x000000}, {{0, 128, 255, 64}, 0xBF5F00}};
    for (J_COLOR_SPACE space : {JCS_CMYK, JCS_YCCK})
        for (const auto& ink : inks) {
            SCOPED_TRACE(std::to_string(space) + " " + std::to_string(ink.Rgb));
            TVxJPEG jpeg;
            TVxPixelBuffer decoded;
            ASSERT_TRUE(DecodeInto(jpeg, InkFile(ink.Ink, space), decoded));
            const std::uint8_t* p = decoded.PixelAddress(7, 7);
            EXPECT_NEAR(p[2], static_cast<int>(ink.Rgb >> 16), 3);
            EXPECT_NEAR(p[1], static_cast<int>(ink.Rgb >> 8 & 0xFF), 3);
            EXPECT_NEAR(p[0], static_cast<int>(ink.Rgb & 0xFF), 3);
        }
}

// A quantization step of 0 decodes (the coefficient counts for nothing) but cannot encode,
// since the encoder divides by it: saving an edit re-encodes at a standard quality
// instead of with the source's tables.
TEST(VxJPEGTest, ZeroQuantizationStepSavesWithStandardTables)
{
    std::vector<std::uint8_t> file = EncodeAt(*PhotoLike(32, 32), 75);
    for (std::size_t i = 0; i + 6 < file.size(); ++i)
        if (file[i] == 0xFF && file[i + 1] == 0xDB) {
            file[i + 5 + 3] = 0; // the table's fourth step
            break;
        }
    TVxJPEG jpeg;
    TVxPixelBuffer picture;
    ASSERT_TRUE(DecodeInto(jpeg, file, picture));
    picture.PixelAddress(3, 3)[0] ^= 0x04;
    const auto saved = SavePixels(jpeg, picture, picture.GetBounds());
    ASSERT_TRUE(saved);
    TVxJPEG reread;
    TVxPixelBuffer again;
    ASSERT_TRUE(DecodeInto(reread, *saved, again));
    EXPECT_LE(MaxDifference(again, picture), 48);
}

// EXIF blocks with broken offsets are left alone, byte for byte.
TEST(VxJPEGTest, BrokenExifBlocksAreLeftAlone)
{
    const std::vector<std::uint8_t> good = {'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12, 0x01, 3, 0, 1, 0, 0, 0, 6, 0, 0, 0, 9, 9, 9, 9};
    const struct { const char* Name; std::size_t At; std::uint8_t Value; } faults[] = {
        {"byte order", 0, 'X'}, {"magic", 2, 43}, {"IFD0 beyond the end", 4, 200}, {"entry count beyond the end", 8, 9}};
    for (const auto& f : faults) {
        SCOPED_TRACE(f.Name);
        std::vector<std::uint8_t> block = good;
        block[f.At] = f.Value;
        const std::vector<std::uint8_t> before = block;
        EXPECT_FALSE(SetExifOrientation(block, 1));
        EXPECT_FALSE(UnlinkExifThumbnail(block));
        EXPECT_EQ(block, before);
    }
    std::vector<std::uint8_t> block = good;
    for (std::size_t n = 0; n < good.size(); ++n) { // every truncation
        std::vector<std::uint8_t> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
        EXPECT_FALSE(UnlinkExifThumbnail(cut)) << n;
    }
    ASSERT_TRUE(SetExifOrientation(block, 1));
    EXPECT_EQ(block[18], 1);
    ASSERT_TRUE(UnlinkExifThumbnail(block));
    EXPECT_EQ(std::vector<std::uint8_t>(block.begin() + 22, block.end()), std::vector<std::uint8_t>(4, 0));
}

// Every truncation of a file either decodes (libjpeg fills what is missing, as djpeg
// does) or is refused; none crashes or reads outside the stream.
TEST(VxJPEGTest, EveryTruncationEndsCleanly)
{
    for (int progressive : {0, 1}) {
        TVxJPEGSaveParameters parameters;
        parameters.Quality = 75;
        parameters.Progressive = progressive;
        const auto pictureHolder = PhotoLike(24, 20);
        const TVxPixelBuffer& picture = *pictureHolder;
        const auto file = TVxJPEG::Encode(picture.Row(0), picture.Stride(), 24, 20, parameters);
        ASSERT_TRUE(file);
        int refused = 0;
        for (std::size_t n = 0; n < file->size(); ++n) {
            SCOPED_TRACE(n);
            TVxJPEG jpeg;
            TVxPixelBuffer decoded;
            if (!DecodeInto(jpeg, std::vector<std::uint8_t>(file->begin(), file->begin() + static_cast<std::ptrdiff_t>(n)), decoded))
                ++refused;
        }
        EXPECT_GT(refused, 0);
    }
}

void PutSize(std::vector<std::uint8_t>& file, std::uint16_t width, std::uint16_t height)
{
    for (std::size_t i = 0; i + 9 < file.size(); ++i)
        if (file[i] == 0xFF && (file[i + 1] == 0xC0 || file[i + 1] == 0xC2)) {
            file[i + 5] = static_cast<std::uint8_t>(height >> 8);
            file[i + 6] = static_cast<std::uint8_t>(height);
            file[i + 7] = static_cast<std::uint8_t>(width >> 8);
            file[i + 8] = static_cast<std::uint8_t>(width);
            return;
        }
}

// Header fields a file can lie about, each refused before pixel memory is taken.
TEST(VxJPEGTest, BadHeadersAreRefused)
{
    const std::vector<std::uint8_t> good = EncodeAt(*PhotoLike(16, 16), 75);
    struct TCase { const char* Name; std::uint16_t Width, Height; } cases[] = {
        {"zero width", 0, 16}, {"zero height", 16, 0}, {"beyond the pixel limit", 65000, 65000}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        std::vector<std::uint8_t> file = good;
        PutSize(file, c.Width, c.Height);
        TVxJPEG jpeg;
        EXPECT_FALSE(jpeg.LoadFromMemory(file));
        EXPECT_FALSE(jpeg.HasSource());
    }
    // 12-bit samples: this build of libjpeg-turbo decodes 8-bit files only.
    std::vector<std::uint8_t> twelveBit = good;
    for (std::size_t i = 0; i + 4 < twelveBit.size(); ++i)
        if (twelveBit[i] == 0xFF && twelveBit[i + 1] == 0xC0) {
            twelveBit[i + 4] = 12;
            break;
        }
    TVxJPEG twelve;
    EXPECT_FALSE(twelve.LoadFromMemory(twelveBit));
    const std::vector<std::uint8_t> notJpeg = {'G', 'I', 'F', '8', '9', 'a', 0, 0};
    TVxJPEG jpeg;
    EXPECT_FALSE(jpeg.LoadFromMemory(notJpeg));
    EXPECT_FALSE(jpeg.LoadFromMemory({}));
}

// The pixel limit is the program's, checked on the header's size.
TEST(VxJPEGTest, PixelLimitRefusesLargerPictures)
{
    const std::int64_t saved = TVxJPEG::MaxPixels();
    TVxJPEG::SetMaxPixels(32 * 32);
    TVxJPEG jpeg;
    EXPECT_TRUE(jpeg.LoadFromMemory(EncodeAt(*PhotoLike(32, 32), 75)));
    EXPECT_FALSE(jpeg.LoadFromMemory(EncodeAt(*PhotoLike(33, 32), 75)));
    TVxJPEG::SetMaxPixels(saved);
}

} // namespace
