// JPEG files through the document's JPEG library object: opened without the platform
// codec, saved with the source's EXIF block as it was (the orientation reset after a turn,
// the thumbnail unlinked where the pixels changed, the maker note and the
// interoperability directory where they were), unchanged blocks kept, .VXI restored and
// scrambled again.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "editor/VxCameraExif.h"
#include "editor/VxEditorTestSupport.h"
#include "editor/VxExif.h"
#include "editor/VxGraphicsDocument.h"
#include "editor/VxGraphicsFormats.h"
#include "editor/VxJPEGTestSupport.h"
#include "support/VxPixelCompare.h"
#include "support/VxTempFolder.h"
#include "support/VxTestPictures.h"

namespace {

// A codec that reads nothing: every file these tests open must go through the library.
class TNoCodec : public IVxImageCodec {
public:
    bool Decode(const std::filesystem::path&, TVxLTBitmap&, TVxImageContainer&, TVxGraphicsDocumentProperties&) override
    {
        ++Decodes;
        return false;
    }
    bool Encode(const std::filesystem::path&, const TVxPixels&, const TRect&, TVxImageContainer, std::int32_t,
                const TVxCustomProperties&) override
    {
        ++Encodes;
        return false;
    }
    std::optional<TVxImageSummary> Summary(const std::filesystem::path&) override { return std::nullopt; }
    std::unique_ptr<TVxThumbnail> Thumbnail(const std::filesystem::path&, std::int32_t, std::int32_t) override { return nullptr; }
    int Decodes = 0;
    int Encodes = 0;
};

class TNoPrompt : public IVxJPEGQualityPrompt {
public:
    std::optional<std::int32_t> AskQuality(std::int32_t current) override
    {
        ++Asked;
        return current;
    }
    int Asked = 0;
};

class TJpegEditor : public TVxEditor {
public:
    TJpegEditor(IVxEditorUI& ui, TVxGraphicsFormats& formats) : TVxEditor(ui), FFormats(formats) {}
    ~TJpegEditor() override { FreeDocuments(); }
    TVxDocumentFormats& Formats() override { return FFormats; }
    std::unique_ptr<TVxDocument> CreateDocument() override { return std::make_unique<TVxGraphicsDocument>(*this); }

private:
    TVxGraphicsFormats& FFormats;
};

std::vector<std::uint8_t> CameraFile(const TCameraExif& exif, std::int32_t width = 64, std::int32_t height = 48)
{
    TVxPixelBuffer picture(fmtBGR24, TRect{0, 0, width, height});
    FillPhotoLike(picture, 11);
    TVxJPEGSaveParameters parameters;
    parameters.Quality = 85;
    const auto jpeg = TVxJPEG::Encode(picture.Row(0), picture.Stride(), width, height, parameters);
    EXPECT_TRUE(jpeg);
    return WithExif(*jpeg, exif.Tiff);
}

// The bytes where two EXIF blocks differ, as "offset: before -> after" lines.
std::string Differences(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b)
{
    std::string text;
    if (a.size() != b.size())
        text += "sizes " + std::to_string(a.size()) + " and " + std::to_string(b.size()) + "\n";
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        if (a[i] != b[i])
            text += std::to_string(i) + ": " + std::to_string(a[i]) + " -> " + std::to_string(b[i]) + "\n";
    return text;
}

class VxJPEGFormatsTest : public ::testing::Test {
protected:
    std::filesystem::path Write(const std::wstring& name, const std::vector<std::uint8_t>& bytes)
    {
        const std::filesystem::path p = Folder.Path() / name;
        WriteFileBytes(p, bytes);
        return p;
    }
    std::unique_ptr<TVxPixelBuffer> Decoded(const std::vector<std::uint8_t>& bytes)
    {
        TVxJPEG jpeg;
        auto picture = std::make_unique<TVxPixelBuffer>();
        EXPECT_TRUE(DecodeInto(jpeg, bytes, *picture));
        return picture;
    }
    // What a save must have left of the source's block: the same bytes, but for the
    // orientation value and the thumbnail link where given.
    std::vector<std::uint8_t> Expected(const TCameraExif& exif, bool resetOrientation, bool unlinkThumbnail)
    {
        std::vector<std::uint8_t> tiff = exif.Tiff;
        TTiffBuilder b(exif.Motorola);
        b.Bytes = tiff;
        if (resetOrientation)
            b.Put16(exif.OrientationValue, 1);
        if (unlinkThumbnail)
            b.Put32(exif.Ifd1Link, 0);
        return b.Bytes;
    }

    TTempFolder Folder{"vx-jpeg-formats"};
    TNoCodec Codec;
    TNoPrompt Prompt;
    TVxGraphicsFormats Formats{Codec, Prompt};
    TScriptedUI UI;
    TJpegEditor Editor{UI, Formats};
    TVxGraphicsDocument Document{Editor};
};

TEST_F(VxJPEGFormatsTest, OpensThroughTheLibraryWithItsProperties)
{
    const TCameraExif exif = CameraExif(CameraLayouts[0], 1);
    const std::vector<std::uint8_t> file = CameraFile(exif);
    std::int32_t format = -5;
    ASSERT_TRUE(Formats.Load(Document, Write(L"camera.jpg", file), format));
    EXPECT_EQ(format, gfJPEG);
    EXPECT_EQ(Codec.Decodes, 0);
    EXPECT_TRUE(SamePixels(*Document.ImagePixels(), *Decoded(file)));
    EXPECT_TRUE(SamePixels(*Document.OriginalPixels(), *Decoded(file)));
    EXPECT_EQ(Document.Backup().GetBounds(), Rect(0, 0, 64, 48));
    EXPECT_GE(Document.Properties().IndexOf(ExifTagMake), 0);
    EXPECT_EQ(Document.Properties().HorizontalResolution, 300);
    ASSERT_NE(Document.JPEGSource(), nullptr);
    EXPECT_TRUE(Document.JPEGSource()->HasSource());
}

// Saved untouched, the file's EXIF block is written back byte for byte, whatever the
// maker's layout; no quality is asked and the platform codec is not used.
TEST_F(VxJPEGFormatsTest, UntouchedSaveKeepsTheExifBlock)
{
    for (const TCameraLayout& layout : CameraLayouts) {
        SCOPED_TRACE(layout.Maker);
        const TCameraExif exif = CameraExif(layout, 6);
        std::int32_t format = 0;
        ASSERT_TRUE(Formats.Load(Document, Write(L"camera.jpg", CameraFile(exif)), format));
        const std::filesystem::path target = Folder.Path() / L"saved.jpg";
        ASSERT_TRUE(Formats.Save(Document, target, gfJPEG));
        EXPECT_EQ(Prompt.Asked, 0);
        EXPECT_EQ(Codec.Encodes, 0);
        EXPECT_FALSE(Document.JPEGSource()->HasSource()); // released after saving
        const auto saved = ExifOf(ReadFileBytes(target));
        ASSERT_TRUE(saved);
        EXPECT_EQ(*saved, exif.Tiff) << Differences(exif.Tiff, *saved);
    }
}

// A lossless turn: the file holds the turned coefficients (it decodes as the source turned
// alone does, within rounding of the document's turned pixels), the orientation is reset to 1
// (the stored pixels now stand as the user turned them), the stale thumbnail is unlinked,
// and nothing else in the block moves: the maker note's block-relative offset still finds
// its data, the interoperability directory is still there.
TEST_F(VxJPEGFormatsTest, TurnKeepsExifAndResetsOrientation)
{
    for (const TCameraLayout& layout : CameraLayouts) {
        SCOPED_TRACE(layout.Maker);
        const TCameraExif exif = CameraExif(layout, 6);
        std::int32_t format = 0;
        ASSERT_TRUE(Formats.Load(Document, Write(L"camera.jpg", CameraFile(exif)), format));
        ASSERT_TRUE(Document.RotateRight());
        ASSERT_TRUE(Document.JPEGSource()->HasSource());
        const std::filesystem::path target = Folder.Path() / L"turned.jpg";
        ASSERT_TRUE(Formats.Save(Document, target, gfJPEG));
        const std::vector<std::uint8_t> file = ReadFileBytes(target);
        TVxJPEG alone;
        ASSERT_TRUE(alone.LoadFromMemory(CameraFile(exif)));
        ASSERT_TRUE(alone.Rotate90Clockwise(0));
        EXPECT_TRUE(SamePixels(*Decoded(file), *Decoded(alone.Source())));
        EXPECT_LE(MaxDifference(*Decoded(file), *Document.ImagePixels()), 3);
        const auto saved = ExifOf(file);
        ASSERT_TRUE(saved);
        const std::vector<std::uint8_t> expected = Expected(exif, true, true);
        EXPECT_EQ(*saved, expected) << Differences(expected, *saved);
        TTiffBuilder reader(exif.Motorola);
        reader.Bytes = *saved;
        const std::uint32_t lens = reader.Get32(exif.MakerNotePointer);
        ASSERT_LE(lens + 9, saved->size());
        EXPECT_EQ(std::string(saved->begin() + lens, saved->begin() + lens + 9), "LENS-DATA");
    }
}

// An edit: the blocks outside the edited MCUs keep the source's coefficients (their
// pixels stay bit for bit, but for the chroma ring around the edit), the EXIF block is
// kept with only its thumbnail unlinked.
TEST_F(VxJPEGFormatsTest, EditedSaveKeepsUnchangedBlocksAndExif)
{
    const TCameraExif exif = CameraExif(CameraLayouts[1], 1);
    const std::vector<std::uint8_t> file = CameraFile(exif, 96, 64);
    std::int32_t format = 0;
    ASSERT_TRUE(Formats.Load(Document, Write(L"camera.jpg", file), format));
    TVxPixels& image = *Document.ImagePixels();
    for (std::int32_t y = 20; y < 26; ++y)
        std::memset(image.PixelAddress(40, y), 0, 6 * 3);
    const std::filesystem::path target = Folder.Path() / L"edited.jpg";
    ASSERT_TRUE(Formats.Save(Document, target, gfJPEG));
    const std::vector<std::uint8_t> saved = ReadFileBytes(target);
    const auto before = Decoded(file);
    const auto after = Decoded(saved);
    // The edit lies in MCU (2, 1) of a 4:2:0 picture (16 x 16 MCUs); one MCU around it
    // may change through chroma upsampling.
    for (std::int32_t y = 0; y < 64; ++y)
        for (std::int32_t x = 0; x < 96; ++x) {
            if (x >= 16 && x < 64 && y < 48)
                continue;
            ASSERT_EQ(std::memcmp(before->PixelAddress(x, y), after->PixelAddress(x, y), 3), 0) << "pixel " << x << ", " << y;
        }
    EXPECT_LE(MaxDifference(*after, image), 40);
    const auto block = ExifOf(saved);
    ASSERT_TRUE(block);
    const std::vector<std::uint8_t> expected = Expected(exif, false, true);
    EXPECT_EQ(*block, expected) << Differences(expected, *block);
}

// When the source cannot follow (a turn that would move a partial MCU row to the top),
// the picture is encoded at the chosen quality, and the file's own EXIF block still goes
// with it as it was (orientation reset, thumbnail unlinked), not rebuilt from the items:
// the maker note stays where its block-relative offsets expect it, the interoperability
// directory stays.
TEST_F(VxJPEGFormatsTest, WithoutTheSourceTheFilesOwnExifIsWrittenBack)
{
    for (const TCameraLayout& layout : CameraLayouts) {
        SCOPED_TRACE(layout.Maker);
        const TCameraExif exif = CameraExif(layout, 8);
        std::int32_t format = 0;
        ASSERT_TRUE(Formats.Load(Document, Write(L"camera.jpg", CameraFile(exif, 64, 40)), format));
        ASSERT_TRUE(Document.RotateRight());
        EXPECT_FALSE(Document.JPEGSource()->HasSource());
        const std::filesystem::path target = Folder.Path() / L"encoded.jpg";
        const int asked = Prompt.Asked;
        ASSERT_TRUE(Formats.Save(Document, target, gfJPEG));
        EXPECT_EQ(Prompt.Asked, asked + 1);
        const std::vector<std::uint8_t> file = ReadFileBytes(target);
        EXPECT_TRUE(PixelsWithin(*Decoded(file), *Document.ImagePixels(), 48));
        const auto saved = ExifOf(file);
        ASSERT_TRUE(saved);
        const std::vector<std::uint8_t> expected = Expected(exif, true, true);
        EXPECT_EQ(*saved, expected) << Differences(expected, *saved);
    }
}

// A crop on the MCU grid cuts the held source losslessly; off the grid the source is
// dropped and the picture the user sees is encoded (never a shifted one).
TEST_F(VxJPEGFormatsTest, CropOnTheGridIsLosslessOffItEncodesWhatIsSeen)
{
    const TCameraExif exif = CameraExif(CameraLayouts[2], 1);
    const std::vector<std::uint8_t> file = CameraFile(exif, 96, 64);
    struct TCase { TRect Crop; bool Lossless; } cases[] = {{Rect(16, 16, 75, 57), true}, {Rect(5, 3, 70, 50), false}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Lossless);
        std::int32_t format = 0;
        ASSERT_TRUE(Formats.Load(Document, Write(L"camera.jpg", file), format));
        ASSERT_TRUE(Document.Crop(c.Crop));
        EXPECT_EQ(Document.JPEGSource()->HasSource(), c.Lossless);
        const std::filesystem::path target = Folder.Path() / L"cropped.jpg";
        ASSERT_TRUE(Formats.Save(Document, target, gfJPEG));
        EXPECT_EQ(Prompt.Asked, c.Lossless ? 0 : 1);
        const auto saved = Decoded(ReadFileBytes(target));
        if (c.Lossless) {
            TVxJPEG alone;
            ASSERT_TRUE(alone.LoadFromMemory(file));
            alone.SetRect(c.Crop.Left, c.Crop.Top, c.Crop.Right, c.Crop.Bottom);
            ASSERT_TRUE(alone.CropSource());
            EXPECT_TRUE(SamePixels(*saved, *Decoded(alone.Source())));
            EXPECT_LE(MaxDifference(*saved, *Document.ImagePixels()), 3);
        } else
            EXPECT_TRUE(PixelsWithin(*saved, *Document.ImagePixels(), 48));
        Prompt.Asked = 0;
    }
}

// A .VXI file opens through the library too, and is on disk as it was afterwards.
TEST_F(VxJPEGFormatsTest, VxiThroughTheLibraryIsScrambledAgain)
{
    std::vector<std::uint8_t> scrambled = CameraFile(CameraExif(CameraLayouts[0], 1));
    // The scrambled head must look like a JPEG start with "IF" at bytes 8 and 9 once
    // restored: an APP0 "JFIF" first.
    TVxPixelBuffer picture(fmtBGR24, TRect{0, 0, 32, 32});
    FillPhotoLike(picture, 2);
    TVxJPEGSaveParameters parameters;
    parameters.Quality = 80;
    scrambled = *TVxJPEG::Encode(picture.Row(0), picture.Stride(), 32, 32, parameters);
    ASSERT_EQ(scrambled[8], 'I');
    const std::vector<std::uint8_t> plain = scrambled;
    for (std::size_t i = 0; i < 16; ++i)
        scrambled[i] = static_cast<std::uint8_t>(~scrambled[i]);
    const std::filesystem::path vxi = Write(L"own.vxi", scrambled);
    std::int32_t format = 0;
    ASSERT_TRUE(Formats.Load(Document, vxi, format));
    EXPECT_EQ(format, gfVXI);
    EXPECT_EQ(Codec.Decodes, 0);
    EXPECT_TRUE(SamePixels(*Document.ImagePixels(), *Decoded(plain)));
    EXPECT_EQ(ReadFileBytes(vxi), scrambled);
}

} // namespace
