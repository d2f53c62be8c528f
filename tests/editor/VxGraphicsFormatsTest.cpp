#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "editor/VxEditorTestSupport.h"
#include "editor/VxExifFixtures.h"
#include "editor/VxGraphicsFormats.h"
#include "editor/VxJPEG.h"
#include "exchange/VxExchange.h"

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

// Reads JPEG streams as a 2 x 2 picture, "GIF" files as 1 x 1, and its own "FAKE" files;
// writes tiny real JPEG and PNG streams (so the EXIF splice has work) and FAKE otherwise.
class TFakeCodec : public IVxImageCodec {
public:
    bool Decode(const std::filesystem::path& fileName, TVxLTBitmap& image, TVxImageContainer& container,
                TVxGraphicsDocumentProperties& properties) override
    {
        const std::vector<std::uint8_t> bytes = ReadBytes(fileName);
        if (bytes.size() < 4 || std::string(bytes.begin(), bytes.end()).find("FAILDECODE") != std::string::npos)
            return false;
        if (bytes[0] == 0xFF && bytes[1] == 0xD8) {
            container = TVxImageContainer::JPEG;
            return image.Allocate(2, 2, fmtBGR24);
        }
        if (bytes[0] == 0x89 && bytes[1] == 'P') {
            container = TVxImageContainer::PNG;
            return image.Allocate(1, 1, fmtBGR24);
        }
        if (bytes[0] == 'G' && bytes[1] == 'I' && bytes[2] == 'F') {
            container = TVxImageContainer::GIF;
            return image.Allocate(1, 1, fmtBGR24);
        }
        if (bytes.size() >= 7 && std::memcmp(bytes.data(), "FAKE", 4) == 0) {
            container = static_cast<TVxImageContainer>(bytes[4]);
            properties.HorizontalResolution = 96;
            return image.Allocate(bytes[5], bytes[6], fmtBGR24);
        }
        return false;
    }
    bool Encode(const std::filesystem::path& fileName, const TVxPixels&, const TRect& rect, TVxImageContainer container,
                std::int32_t jpegQuality, const TVxCustomProperties&) override
    {
        LastRect = rect;
        LastQuality = jpegQuality;
        ++Encodes;
        if (FailEncode) {
            WriteBytes(fileName, {'p', 'a', 'r', 't'}); // a partial file, as a failing codec leaves
            return false;
        }
        if (container == TVxImageContainer::JPEG)
            WriteBytes(fileName, TinyJpegStream());
        else if (container == TVxImageContainer::PNG)
            WriteBytes(fileName, TinyPng());
        else
            WriteBytes(fileName, {'F', 'A', 'K', 'E', static_cast<std::uint8_t>(container), static_cast<std::uint8_t>(rect.Width()),
                                  static_cast<std::uint8_t>(rect.Height())});
        return true;
    }
    std::optional<TVxImageSummary> Summary(const std::filesystem::path&) override
    {
        TVxImageSummary s;
        s.Container = TVxImageContainer::JPEG;
        s.Width = 640;
        s.Height = 480;
        s.DateTime = L"2024:05:17 10:42:07";
        s.Make = L"Kestrel";
        s.Model = L"K-24";
        return s;
    }
    std::unique_ptr<TVxThumbnail> Thumbnail(const std::filesystem::path&, std::int32_t, std::int32_t) override { return nullptr; }

    bool FailEncode = false;
    int Encodes = 0;
    TRect LastRect;
    std::int32_t LastQuality = -1;
};

class TFixedPrompt : public IVxJPEGQualityPrompt {
public:
    std::optional<std::int32_t> AskQuality(std::int32_t current) override
    {
        Offered = current;
        return Answer;
    }
    std::optional<std::int32_t> Answer = 90;
    std::int32_t Offered = -1;
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

std::vector<std::uint8_t> Scrambled(std::vector<std::uint8_t> bytes)
{
    for (std::size_t i = 0; i < 16; ++i)
        bytes[i] = static_cast<std::uint8_t>(~bytes[i]);
    return bytes;
}

class VxGraphicsFormatsTest : public ::testing::Test {
protected:
    std::filesystem::path FakeFile(const std::wstring& name, TVxImageContainer container, int w, int h)
    {
        const std::filesystem::path p = Folder.Path() / name;
        WriteBytes(p, {'F', 'A', 'K', 'E', static_cast<std::uint8_t>(container), static_cast<std::uint8_t>(w), static_cast<std::uint8_t>(h)});
        return p;
    }
    std::vector<std::filesystem::path> FolderFiles() const
    {
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(Folder.Path()))
            files.push_back(entry.path().filename());
        std::sort(files.begin(), files.end());
        return files;
    }

    TTempFolder Folder;
    TFakeCodec Codec;
    TFixedPrompt Prompt;
    TVxGraphicsFormats Formats{Codec, Prompt};
    TScriptedUI UI;
    TFormatsEditor Editor{UI, Formats};
    TVxGraphicsDocument Document{Editor};
};

TEST_F(VxGraphicsFormatsTest, TableAndLists)
{
    EXPECT_EQ(Formats.Count(), 5);
    EXPECT_EQ(Formats.Item(4)->Mask, L"*.vxi");
    EXPECT_EQ(Formats.Item(5), nullptr);
    EXPECT_EQ(Formats.IndexOf(gfOther), -1);
    EXPECT_EQ(Formats.IndexOf(gfExchange), -1);
    TVxFileFormatArray list;
    Formats.SaveList(list);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(FormatFilterText({list[0], list[1]}), L"JPEG (*.jpg;*.jpeg)|*.jpg;*.jpeg|TIFF (*.tif;*.tiff)|*.tif;*.tiff");
    Formats.OpenList(list);
    ASSERT_EQ(list.size(), 7u);
    EXPECT_EQ(list[5].Mask, L"*.jpg;*.jpeg;*.tif;*.tiff;*.png;*.bmp;*.rle;*.dib;*.vxi");
    EXPECT_EQ(list[5].Identifier, 0);
    EXPECT_EQ(list[6].Mask, L"*.*");
}

TEST_F(VxGraphicsFormatsTest, ContainerDecidesIdentifier)
{
    const struct {
        TVxImageContainer Container;
        std::int32_t Identifier;
    } cases[] = {{TVxImageContainer::TIFF, gfTIFF}, {TVxImageContainer::PNG, gfPNG}, {TVxImageContainer::BMP, gfBMP},
                 {TVxImageContainer::GIF, gfOther}};
    for (const auto& c : cases) {
        std::int32_t format = 99;
        // The name says JPEG; the container wins.
        ASSERT_TRUE(Formats.Load(Document, FakeFile(L"pic.jpg", c.Container, 3, 2), format));
        EXPECT_EQ(format, c.Identifier);
        EXPECT_EQ(Document.Image().GetBounds(), Rect(0, 0, 3, 2));
        EXPECT_EQ(Document.OriginalImage().GetBounds(), Rect(0, 0, 3, 2));
        EXPECT_EQ(Document.Backup().GetBounds(), Rect(0, 0, 3, 2));
        EXPECT_EQ(Document.Properties().HorizontalResolution, 96);
    }
}

TEST_F(VxGraphicsFormatsTest, VxiOpensLikeJpegAndStaysUnchanged)
{
    const std::filesystem::path vxi = Folder.Path() / L"own.vxi";
    const std::vector<std::uint8_t> scrambled = Scrambled(TinyJpegStream());
    WriteBytes(vxi, scrambled);
    std::int32_t format = 0;
    ASSERT_TRUE(Formats.Load(Document, vxi, format));
    EXPECT_EQ(format, gfVXI);
    EXPECT_EQ(Document.Image().GetBounds(), Rect(0, 0, 2, 2));
    EXPECT_EQ(ReadBytes(vxi), scrambled);
}

TEST_F(VxGraphicsFormatsTest, VxiIsScrambledAgainWhenLoadingFails)
{
    std::vector<std::uint8_t> jpeg = TinyJpegStream();
    const std::string marker = "FAILDECODE";
    jpeg.insert(jpeg.end() - 2, marker.begin(), marker.end());
    const std::filesystem::path vxi = Folder.Path() / L"broken.vxi";
    WriteBytes(vxi, Scrambled(jpeg));
    std::int32_t format = 0;
    EXPECT_FALSE(Formats.Load(Document, vxi, format));
    EXPECT_EQ(ReadBytes(vxi), Scrambled(jpeg));
}

TEST_F(VxGraphicsFormatsTest, PlainJpegIsNotTouched)
{
    const std::filesystem::path jpg = Folder.Path() / L"plain.jpg";
    WriteBytes(jpg, TinyJpegStream());
    std::int32_t format = 9;
    ASSERT_TRUE(Formats.Load(Document, jpg, format));
    EXPECT_EQ(format, gfJPEG);
    EXPECT_EQ(ReadBytes(jpg), TinyJpegStream());
}

TEST_F(VxGraphicsFormatsTest, ExchangeFileIsRecognisedFirstAndSavedBack)
{
    const TExchangeHostImage host{ExchangeModeRGB, 10, 20, 15, 23, 3, 15};
    std::vector<std::uint8_t> file(*PluginExchangeSize(host));
    std::vector<std::uint8_t> input(15 * 3);
    for (std::size_t i = 0; i < input.size(); ++i)
        input[i] = static_cast<std::uint8_t>(i * 5);
    ASSERT_TRUE(PluginWriteExchange(file, host, input.data()));
    const std::filesystem::path path = Folder.Path() / L"PSP1A.tmp";
    WriteBytes(path, file);
    TVxDocument* opened = nullptr;
    ASSERT_TRUE(Editor.Open(path, opened, false));
    EXPECT_EQ(opened->FormatIndex(), gfExchange);
    auto& document = static_cast<TVxGraphicsDocument&>(*opened);
    EXPECT_EQ(document.ImagePixels()->PixelAddress(1, 0)[0], input[5]); // blue from byte 2
    EXPECT_EQ(document.ImagePixels()->PixelAddress(1, 0)[2], input[3]); // red from byte 0
    ASSERT_TRUE(document.Save());
    EXPECT_EQ(std::filesystem::file_size(path), 36u + 16u * 3u); // stride of 5 pixels: 16
    EXPECT_EQ(Codec.Encodes, 0);
}

TEST_F(VxGraphicsFormatsTest, FailedSaveLeavesExistingFileAndNoLitter)
{
    Document.Image().Allocate(3, 3, fmtBGR24);
    const std::filesystem::path target = Folder.File(L"keep.tif", "old contents");
    Codec.FailEncode = true;
    EXPECT_FALSE(Formats.Save(Document, target, gfTIFF));
    // The codec left no reason the platform could name.
    EXPECT_EQ(Formats.LastSaveError(), TVxSaveError::Other);
    EXPECT_EQ(ReadBytes(target), (std::vector<std::uint8_t>{'o', 'l', 'd', ' ', 'c', 'o', 'n', 't', 'e', 'n', 't', 's'}));
    EXPECT_EQ(FolderFiles(), std::vector<std::filesystem::path>{L"keep.tif"});
}

TEST_F(VxGraphicsFormatsTest, ReadOnlyTargetFailsAndStaysIntact)
{
    Document.Image().Allocate(3, 3, fmtBGR24);
    const std::filesystem::path target = Folder.File(L"locked.bmp", "old");
    std::filesystem::permissions(target, std::filesystem::perms::owner_write | std::filesystem::perms::group_write
                                             | std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
    EXPECT_FALSE(Formats.Save(Document, target, gfBMP));
    EXPECT_EQ(Formats.LastSaveError(), TVxSaveError::ReadOnly);
    EXPECT_EQ(ReadBytes(target), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(FolderFiles(), std::vector<std::filesystem::path>{L"locked.bmp"});
}

TEST_F(VxGraphicsFormatsTest, JpegAsksQualityAndCancelWritesNothing)
{
    Document.Image().Allocate(3, 3, fmtBGR24);
    const std::filesystem::path target = Folder.Path() / L"q.jpg";
    EXPECT_TRUE(Formats.Save(Document, target, gfJPEG));
    EXPECT_EQ(Prompt.Offered, 80);
    // The JPEG library writes the file at the chosen quality; the codec is not needed.
    TVxJPEG written;
    ASSERT_TRUE(written.Load(target));
    EXPECT_EQ(written.SourceQuality(), 90);
    EXPECT_EQ(Formats.JPEGQuality(), 90);
    Prompt.Answer.reset();
    std::filesystem::remove(target);
    EXPECT_FALSE(Formats.Save(Document, target, gfJPEG));
    EXPECT_EQ(Formats.LastSaveError(), TVxSaveError::Cancelled);
    EXPECT_EQ(Prompt.Offered, 90);
    EXPECT_FALSE(std::filesystem::exists(target));
    EXPECT_EQ(Codec.Encodes, 0);
}

TEST_F(VxGraphicsFormatsTest, WorkAreaIsWhatGetsSaved)
{
    Document.Image().Allocate(8, 6, fmtBGR24);
    Document.SetWorkArea(Rect(2, 1, 7, 4));
    ASSERT_TRUE(Formats.Save(Document, Folder.Path() / L"area.bmp", gfBMP));
    EXPECT_EQ(Codec.LastRect, Rect(2, 1, 7, 4));
    EXPECT_EQ(Document.Image().GetBounds(), Rect(0, 0, 8, 6));
}

TEST_F(VxGraphicsFormatsTest, ExifReachesJpegAndPngWithoutThumbnail)
{
    for (const std::int32_t format : {gfJPEG, gfPNG}) {
        SCOPED_TRACE(format);
        Document.Image().Allocate(3, 3, fmtBGR24);
        Document.Properties().Clear();
        CameraProperties(Document.Properties());
        const std::filesystem::path target = Folder.Path() / (format == gfJPEG ? L"exif.jpg" : L"exif.png");
        ASSERT_TRUE(Formats.Save(Document, target, format));
        EXPECT_LT(Document.Properties().IndexOf(ExifTagThumbnailData), 0);
        EXPECT_GE(Document.Properties().IndexOf(0x501A), 0);

        const std::vector<std::uint8_t> saved = ReadBytes(target);
        const auto block = format == gfJPEG ? FindJpegExif(saved) : FindPngExif(saved);
        ASSERT_TRUE(block);
        TVxCustomProperties written;
        ASSERT_TRUE(ParseExifBlock(*block, written));
        EXPECT_GE(written.IndexOf(ExifTagMake), 0);
        EXPECT_GE(written.IndexOf(0x829A), 0);
        for (std::uint32_t id = 0x5000; id < 0x5100; ++id)
            EXPECT_LT(written.IndexOf(id), 0) << id;

        TVxGraphicsDocument reloaded{Editor};
        std::int32_t loadedFormat = -5;
        ASSERT_TRUE(Formats.Load(reloaded, target, loadedFormat));
        EXPECT_EQ(loadedFormat, format);
        const int make = reloaded.Properties().IndexOf(ExifTagMake);
        ASSERT_GE(make, 0);
        EXPECT_STREQ(reinterpret_cast<const char*>(reloaded.Properties().Item(make).Value.data()), "Kestrel");
    }
}

TEST_F(VxGraphicsFormatsTest, FileInfoDescription)
{
    std::unique_ptr<TVxFileInfo> info;
    EXPECT_FALSE(Formats.GetFileInfo(Folder.Path() / L"missing.jpg", info));
    ASSERT_TRUE(Formats.GetFileInfo(Folder.File(L"there.jpg"), info));
    EXPECT_EQ(info->Description(), L"Type: JPEG\nSize: 640 x 480\nDate: 2024:05:17 10:42:07\nCamera: Kestrel K-24");
}

} // namespace

// A 24-megapixel picture (6000 x 4000, 72 MB a copy) through open, turns and flips,
// resizing and save: every buffer size and pixel offset of it must be computed without
// wrapping, which a 32-bit build shows first. The edits are exact inverses of each other,
// so the saved file must equal the opened one byte for byte.
TEST_F(VxGraphicsFormatsTest, TwentyFourMegapixelPictureOpensEditsAndSavesUnchanged)
{
    constexpr std::int32_t Width = 6000;
    constexpr std::int32_t Height = 4000;
    const TExchangeHostImage host{ExchangeModeRGB, 0, 0, Width, Height, 3, Width * 3};
    std::vector<std::uint8_t> input(static_cast<std::size_t>(Width) * Height * 3);
    for (std::size_t i = 0; i < input.size(); ++i)
        input[i] = static_cast<std::uint8_t>((i * 2654435761u) >> 13);
    std::vector<std::uint8_t> file(*PluginExchangeSize(host));
    ASSERT_TRUE(PluginWriteExchange(file, host, input.data()));
    const std::filesystem::path path = Folder.Path() / L"PSP24M.tmp";
    WriteBytes(path, file);

    TVxDocument* opened = nullptr;
    ASSERT_TRUE(Editor.Open(path, opened, false));
    auto& document = static_cast<TVxGraphicsDocument&>(*opened);
    const TVxPixels& image = *document.ImagePixels();
    ASSERT_EQ(image.Width(), Width);
    ASSERT_EQ(image.Height(), Height);
    const std::size_t last = input.size() - 3; // the bottom right pixel: red, green, blue
    EXPECT_EQ(image.PixelAddress(Width - 1, Height - 1)[0], input[last + 2]);
    EXPECT_EQ(image.PixelAddress(Width - 1, Height - 1)[2], input[last]);

    ASSERT_TRUE(document.RotateRight());
    EXPECT_EQ(document.ImagePixels()->Width(), Height);
    EXPECT_EQ(document.ImagePixels()->Height(), Width);
    ASSERT_TRUE(document.RotateLeft());
    for (auto flip : {&TVxGraphicsDocument::FlipHorizontal, &TVxGraphicsDocument::FlipVertical,
                      &TVxGraphicsDocument::FlipHorizontal, &TVxGraphicsDocument::FlipVertical})
        ASSERT_TRUE((document.*flip)());
    ASSERT_TRUE(document.Save());
    const std::vector<std::uint8_t> saved = ReadBytes(path);
    ASSERT_EQ(saved.size(), file.size());
    const auto differs = std::mismatch(saved.begin(), saved.end(), file.begin());
    EXPECT_TRUE(differs.first == saved.end()) << "first differing byte at offset " << (differs.first - saved.begin());

    ASSERT_TRUE(document.Resize(Width / 2, Height / 2, true, true));
    EXPECT_EQ(document.ImagePixels()->Width(), Width / 2);
    EXPECT_EQ(document.ImagePixels()->Height(), Height / 2);
    EXPECT_EQ(document.OriginalPixels()->Width(), Width / 2);
}
