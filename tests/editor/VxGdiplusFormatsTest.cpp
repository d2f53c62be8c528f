// Real files through the platform's codec (GDI+; under Wine, Wine's own).
#include <gtest/gtest.h>

#include <fstream>

#include "editor/VxEditorTestSupport.h"
#include "editor/VxExifFixtures.h"
#include "editor/VxGdiplusCodec.h"
#include "editor/VxGraphicsFormats.h"
#include "editor/VxJPEG.h"
#include "support/VxPixelCompare.h"

namespace {

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::filesystem::path& p, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

class TFixedPrompt : public IVxJPEGQualityPrompt {
public:
    std::optional<std::int32_t> AskQuality(std::int32_t) override { return Answer; }
    std::optional<std::int32_t> Answer = 95;
};

class TFormatsEditor : public TVxEditor {
public:
    TFormatsEditor(IVxEditorUI& ui, TVxGraphicsFormats& formats) : TVxEditor(ui), FFormats(formats) {}
    ~TFormatsEditor() override { FreeDocuments(); }
    TVxDocumentFormats& Formats() override { return FFormats; }
    std::unique_ptr<TVxDocument> CreateDocument() override { return std::make_unique<TVxGraphicsDocument>(*this); }

private:
    TVxGraphicsFormats& FFormats;
};

// Smooth gradients (JPEG keeps them close) with one sharp feature per channel.
void PaintTestPicture(TVxGraphicsDocument& document, int width, int height)
{
    ASSERT_TRUE(document.Image().Allocate(width, height, fmtBGR24));
    TVxPixels& p = *document.ImagePixels();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* px = p.PixelAddress(x, y);
            px[0] = static_cast<std::uint8_t>(x * 255 / (width - 1));
            px[1] = static_cast<std::uint8_t>(y * 255 / (height - 1));
            px[2] = static_cast<std::uint8_t>((x + y) * 127 / (width + height));
        }
    ASSERT_TRUE(document.OriginalImage().LoadFromBuffer(p));
    document.ResetBackup();
}

// A camera's APP1: the block the codec would report, plus a thumbnail IFD behind it.
std::vector<std::uint8_t> CameraBlockWithThumbnail()
{
    TVxCustomProperties camera;
    CameraProperties(camera);
    std::vector<std::uint8_t> block = BuildExifBlock(camera);
    const std::uint32_t count = block[8] | block[9] << 8;
    const std::size_t nextField = 8 + 2 + 12 * count;
    const auto ifd1 = static_cast<std::uint32_t>(block.size());
    std::memcpy(block.data() + nextField, &ifd1, 4);
    const std::uint32_t data = ifd1 + 2 + 3 * 12 + 4;
    const std::vector<std::uint8_t> ifd = {3, 0,
                                           0x03, 0x01, 3, 0, 1, 0, 0, 0, 6, 0, 0, 0,
                                           0x01, 0x02, 4, 0, 1, 0, 0, 0, 0, 0, 0, 0,
                                           0x02, 0x02, 4, 0, 1, 0, 0, 0, 4, 0, 0, 0,
                                           0, 0, 0, 0,
                                           0xFF, 0xD8, 0xFF, 0xD9};
    block.insert(block.end(), ifd.begin(), ifd.end());
    std::memcpy(block.data() + ifd1 + 2 + 12 + 8, &data, 4);
    return block;
}

class VxGdiplusFormatsTest : public ::testing::Test {
protected:
    std::filesystem::path SavePicture(const std::wstring& name, std::int32_t format, int width = 37, int height = 21)
    {
        TVxGraphicsDocument source{Editor};
        PaintTestPicture(source, width, height);
        const std::filesystem::path path = Folder.Path() / name;
        EXPECT_TRUE(Formats.Save(source, path, format));
        return path;
    }

    TTempFolder Folder;
    TVxGdiplusCodec Codec;
    TFixedPrompt Prompt;
    TVxGraphicsFormats Formats{Codec, Prompt};
    TScriptedUI UI;
    TFormatsEditor Editor{UI, Formats};
};

TEST_F(VxGdiplusFormatsTest, RoundTripsThroughEveryWritableFormat)
{
    const struct {
        const wchar_t* Name;
        std::int32_t Format;
        int Tolerance;
    } cases[] = {{L"rt.jpg", gfJPEG, 24}, {L"rt.tif", gfTIFF, 0}, {L"rt.png", gfPNG, 0}, {L"rt.bmp", gfBMP, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Format);
        TVxGraphicsDocument source{Editor};
        PaintTestPicture(source, 37, 21);
        const std::filesystem::path path = Folder.Path() / c.Name;
        ASSERT_TRUE(Formats.Save(source, path, c.Format));
        TVxGraphicsDocument loaded{Editor};
        std::int32_t format = -7;
        ASSERT_TRUE(Formats.Load(loaded, path, format));
        EXPECT_EQ(format, c.Format);
        ASSERT_EQ(loaded.Image().GetBounds(), Rect(0, 0, 37, 21));
        EXPECT_TRUE(PixelsWithin(*loaded.ImagePixels(), *source.ImagePixels(), c.Tolerance));
        EXPECT_TRUE(SamePixels(*loaded.OriginalPixels(), *loaded.ImagePixels()));
        EXPECT_EQ(loaded.Backup().GetBounds(), Rect(0, 0, 37, 21));
    }
}

// The platform's codec with the quality of every JPEG it was asked to write.
class TQualityRecordingCodec : public IVxImageCodec {
public:
    explicit TQualityRecordingCodec(IVxImageCodec& codec) : FCodec(codec) {}
    bool Decode(const std::filesystem::path& fileName, TVxLTBitmap& image, TVxImageContainer& container,
                TVxGraphicsDocumentProperties& properties) override
    {
        return FCodec.Decode(fileName, image, container, properties);
    }
    bool Encode(const std::filesystem::path& fileName, const TVxPixels& pixels, const TRect& rect,
                TVxImageContainer container, std::int32_t jpegQuality, const TVxCustomProperties& properties) override
    {
        if (container == TVxImageContainer::JPEG)
            Qualities.push_back(jpegQuality);
        return FCodec.Encode(fileName, pixels, rect, container, jpegQuality, properties);
    }
    std::optional<TVxImageSummary> Summary(const std::filesystem::path& fileName) override
    {
        return FCodec.Summary(fileName);
    }
    std::unique_ptr<TVxThumbnail> Thumbnail(const std::filesystem::path& fileName, std::int32_t width,
                                            std::int32_t height) override
    {
        return FCodec.Thumbnail(fileName, width, height);
    }
    std::vector<std::int32_t> Qualities;

private:
    IVxImageCodec& FCodec;
};

// The answer to the quality prompt is what the file is written with (by the JPEG library,
// so under Wine too, whose GDI+ ignores it) and is kept for the next save; every quality
// gives a JPEG that loads back.
TEST_F(VxGdiplusFormatsTest, JpegQualityReachesTheEncoder)
{
    TQualityRecordingCodec codec(Codec);
    TVxGraphicsFormats formats{codec, Prompt};
    TFormatsEditor editor{UI, formats};
    std::uintmax_t sizes[2] = {};
    const std::int32_t qualities[2] = {5, 100};
    for (int k = 0; k < 2; ++k) {
        SCOPED_TRACE(qualities[k]);
        Prompt.Answer = qualities[k];
        TVxGraphicsDocument source{editor};
        PaintTestPicture(source, 200, 120);
        const std::filesystem::path path = Folder.Path() / (L"quality" + std::to_wstring(qualities[k]) + L".jpg");
        ASSERT_TRUE(formats.Save(source, path, gfJPEG));
        TVxJPEG written;
        ASSERT_TRUE(written.Load(path));
        EXPECT_EQ(written.SourceQuality(), qualities[k]);
        EXPECT_EQ(formats.JPEGQuality(), qualities[k]);
        const std::vector<std::uint8_t> bytes = ReadBytes(path);
        ASSERT_GE(bytes.size(), 3u);
        EXPECT_EQ(bytes[0], 0xFF);
        EXPECT_EQ(bytes[1], 0xD8);
        TVxGraphicsDocument loaded{editor};
        std::int32_t format = -7;
        ASSERT_TRUE(formats.Load(loaded, path, format));
        EXPECT_EQ(format, gfJPEG);
        EXPECT_EQ(loaded.Image().GetBounds(), Rect(0, 0, 200, 120));
        sizes[k] = bytes.size();
    }
    EXPECT_TRUE(codec.Qualities.empty()); // GDI+ is only the fallback
    EXPECT_LT(sizes[0], sizes[1]);
}

TEST_F(VxGdiplusFormatsTest, WorkAreaIsSaved)
{
    TVxGraphicsDocument source{Editor};
    PaintTestPicture(source, 40, 30);
    source.SetWorkArea(Rect(5, 6, 25, 16));
    ASSERT_TRUE(Formats.Save(source, Folder.Path() / L"area.png", gfPNG));
    TVxGraphicsDocument loaded{Editor};
    std::int32_t format = 0;
    ASSERT_TRUE(Formats.Load(loaded, Folder.Path() / L"area.png", format));
    ASSERT_EQ(loaded.Image().GetBounds(), Rect(0, 0, 20, 10));
    EXPECT_EQ(std::memcmp(loaded.ImagePixels()->PixelAddress(0, 0), source.ImagePixels()->PixelAddress(5, 6), 60), 0);
}

TEST_F(VxGdiplusFormatsTest, PngNamedJpgLoadsAsPng)
{
    const std::filesystem::path png = SavePicture(L"real.png", gfPNG);
    const std::filesystem::path disguised = Folder.Path() / L"disguised.jpg";
    std::filesystem::copy_file(png, disguised);
    TVxGraphicsDocument loaded{Editor};
    std::int32_t format = -7;
    ASSERT_TRUE(Formats.Load(loaded, disguised, format));
    EXPECT_EQ(format, gfPNG);
    EXPECT_EQ(Formats.IndexOf(format), 2);
}

TEST_F(VxGdiplusFormatsTest, GifGetsAnIdentifierNoListPreselects)
{
    // The smallest GIF: one white pixel.
    const std::filesystem::path gif = Folder.Path() / L"dot.gif";
    WriteBytes(gif, {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0x2C, 0, 0, 0, 0,
                     1, 0, 1, 0, 0, 2, 2, 0x44, 1, 0, 0x3B});
    TVxDocument* opened = nullptr;
    ASSERT_TRUE(Editor.Open(gif, opened, false));
    EXPECT_NE(opened->FormatIndex(), gfExchange);
    EXPECT_EQ(opened->FormatIndex(), gfOther);
    UI.SaveChoice.reset();
    Editor.SaveAsWithDialog(opened);
    EXPECT_EQ(UI.SaveDialogFilterIndex, 0);
}

TEST_F(VxGdiplusFormatsTest, VxiOpensLikeJpegAndIsUnchangedOnDisk)
{
    const std::filesystem::path jpg = SavePicture(L"plain.jpg", gfJPEG);
    std::vector<std::uint8_t> bytes = ReadBytes(jpg);
    ASSERT_GT(bytes.size(), 16u);
    for (std::size_t i = 0; i < 16; ++i)
        bytes[i] = static_cast<std::uint8_t>(~bytes[i]);
    const std::filesystem::path vxi = Folder.Path() / L"own.vxi";
    WriteBytes(vxi, bytes);

    TVxGraphicsDocument fromJpeg{Editor}, fromVxi{Editor};
    std::int32_t format = -7;
    ASSERT_TRUE(Formats.Load(fromJpeg, jpg, format));
    ASSERT_TRUE(Formats.Load(fromVxi, vxi, format));
    EXPECT_EQ(format, gfVXI);
    EXPECT_TRUE(SamePixels(*fromVxi.ImagePixels(), *fromJpeg.ImagePixels()));
    EXPECT_EQ(ReadBytes(vxi), bytes);
}

TEST_F(VxGdiplusFormatsTest, BrokenVxiIsScrambledAgain)
{
    std::vector<std::uint8_t> bytes = ReadBytes(SavePicture(L"cut.jpg", gfJPEG));
    bytes.resize(40); // a JPEG head with nothing behind it
    for (std::size_t i = 0; i < 16; ++i)
        bytes[i] = static_cast<std::uint8_t>(~bytes[i]);
    const std::filesystem::path vxi = Folder.Path() / L"cut.vxi";
    WriteBytes(vxi, bytes);
    TVxGraphicsDocument loaded{Editor};
    std::int32_t format = 0;
    EXPECT_FALSE(Formats.Load(loaded, vxi, format));
    EXPECT_EQ(ReadBytes(vxi), bytes);
}

TEST_F(VxGdiplusFormatsTest, CameraExifReachesSavedJpegAndPngWithoutThumbnail)
{
    // A camera-style JPEG: the codec's own stream with a camera APP1 put in.
    const std::filesystem::path camera = SavePicture(L"camera.jpg", gfJPEG, 64, 48);
    const auto withExif = SpliceJpegExif(ReadBytes(camera), CameraBlockWithThumbnail());
    ASSERT_TRUE(withExif);
    WriteBytes(camera, *withExif);

    TVxGraphicsDocument document{Editor};
    std::int32_t format = -7;
    ASSERT_TRUE(Formats.Load(document, camera, format));
    EXPECT_EQ(format, gfJPEG);
    ASSERT_GE(document.Properties().IndexOf(ExifTagMake), 0);
    EXPECT_GE(document.Properties().IndexOf(ExifTagThumbnailData), 0);

    std::unique_ptr<TVxFileInfo> info;
    ASSERT_TRUE(Formats.GetFileInfo(camera, info));
    EXPECT_NE(info->Description().find(L"Kestrel K-24 Mark II"), std::wstring::npos) << std::string(info->Description().begin(), info->Description().end());
    EXPECT_NE(info->Description().find(L"64 x 48"), std::wstring::npos);

    // Edited, so that the embedded thumbnail no longer shows the picture (an untouched
    // JPEG is written back as it was, thumbnail and all).
    document.ImagePixels()->Row(10)[30] ^= 0xFF;
    for (const std::int32_t target : {gfJPEG, gfPNG}) {
        SCOPED_TRACE(target);
        const std::filesystem::path saved = Folder.Path() / (target == gfJPEG ? L"out.jpg" : L"out.png");
        ASSERT_TRUE(Formats.Save(document, saved, target));
        const std::vector<std::uint8_t> bytes = ReadBytes(saved);
        const auto block = target == gfJPEG ? FindJpegExif(bytes) : FindPngExif(bytes);
        ASSERT_TRUE(block);
        TVxCustomProperties written;
        ASSERT_TRUE(ParseExifBlock(*block, written));
        for (std::uint32_t id : {ExifTagMake, ExifTagModel, ExifTagDateTime, 0x829Au, 0x9003u, 0x0001u})
            EXPECT_GE(written.IndexOf(id), 0) << id;
        for (std::uint32_t id = 0x5000; id < 0x5100; ++id)
            EXPECT_LT(written.IndexOf(id), 0) << id;

        TVxGraphicsDocument reloaded{Editor};
        ASSERT_TRUE(Formats.Load(reloaded, saved, format));
        EXPECT_GE(reloaded.Properties().IndexOf(ExifTagModel), 0);
        EXPECT_LT(reloaded.Properties().IndexOf(ExifTagThumbnailData), 0);
    }
}

TEST_F(VxGdiplusFormatsTest, ReadOnlyTargetFailsAndKeepsOldFile)
{
    const std::filesystem::path target = SavePicture(L"locked.png", gfPNG);
    const std::vector<std::uint8_t> before = ReadBytes(target);
    std::filesystem::permissions(target, std::filesystem::perms::owner_write | std::filesystem::perms::group_write
                                             | std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
    TVxGraphicsDocument document{Editor};
    PaintTestPicture(document, 10, 10);
    EXPECT_FALSE(Formats.Save(document, target, gfPNG));
    EXPECT_EQ(Formats.LastSaveError(), TVxSaveError::ReadOnly);
    EXPECT_EQ(ReadBytes(target), before);
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(Folder.Path()))
        ++files;
    EXPECT_EQ(files, 1u);
}

TEST_F(VxGdiplusFormatsTest, TargetHeldOpenByAnotherProgramIsReportedInUse)
{
    const std::filesystem::path target = SavePicture(L"held.png", gfPNG);
    const std::vector<std::uint8_t> before = ReadBytes(target);
    // Open as an editor that shares nothing would hold it.
    const HANDLE held = CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    TVxGraphicsDocument document{Editor};
    PaintTestPicture(document, 10, 10);
    EXPECT_FALSE(Formats.Save(document, target, gfPNG));
    EXPECT_EQ(Formats.LastSaveError(), TVxSaveError::InUse);
    CloseHandle(held);
    EXPECT_EQ(ReadBytes(target), before);
}

TEST_F(VxGdiplusFormatsTest, ThumbnailFitsBox)
{
    const std::filesystem::path path = SavePicture(L"thumb.bmp", gfBMP, 80, 40);
    std::unique_ptr<TVxThumbnail> thumbnail;
    ASSERT_TRUE(Formats.GetThumbnail(path, 32, thumbnail, 32));
    auto& graphics = static_cast<TVxGraphicsThumbnail&>(*thumbnail);
    EXPECT_EQ(graphics.Image().GetWidth(), 32u);
    EXPECT_EQ(graphics.Image().GetHeight(), 16u);
    EXPECT_FALSE(Formats.GetThumbnail(Folder.File(L"junk.png", "not a picture"), 32, thumbnail, 32));
}

TEST_F(VxGdiplusFormatsTest, UnreadableFileFails)
{
    TVxGraphicsDocument document{Editor};
    std::int32_t format = 0;
    EXPECT_FALSE(Formats.Load(document, Folder.File(L"junk.jpg", "definitely not an image"), format));
    EXPECT_FALSE(Formats.Load(document, Folder.Path() / L"missing.jpg", format));
    EXPECT_FALSE(std::filesystem::exists(Folder.Path() / L"missing.jpg"));
}

} // namespace
