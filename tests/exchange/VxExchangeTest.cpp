#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "editor/VxEditorTestSupport.h"
#include "editor/VxExchangeFile.h"
#include "editor/VxExifFixtures.h"
#include "exchange/VxExchange.h"

namespace {

// The plug-in's side of a round trip: a host image of its planes and row bytes, with
// distinct byte values so that any misplaced byte shows.
struct THostPicture {
    TExchangeHostImage Host;
    std::vector<std::uint8_t> Input;

    THostPicture(std::int32_t width, std::int32_t height, std::int32_t planes, std::int32_t rowBytes)
        : Host{ExchangeModeRGB, 5, 7, 5 + width, 7 + height, planes, rowBytes},
          Input(static_cast<std::size_t>(rowBytes) * static_cast<std::size_t>(height))
    {
        for (std::size_t i = 0; i < Input.size(); ++i)
            Input[i] = static_cast<std::uint8_t>(i * 7 + 3);
    }
    std::vector<std::uint8_t> ExchangeFile() const
    {
        std::vector<std::uint8_t> file(*PluginExchangeSize(Host));
        EXPECT_TRUE(PluginWriteExchange(file, Host, Input.data()));
        return file;
    }
    const std::uint8_t* HostPixel(const std::vector<std::uint8_t>& buffer, int x, int y) const
    {
        return buffer.data() + static_cast<std::size_t>(y) * Host.RowBytes + static_cast<std::size_t>(x) * Host.Planes;
    }
};

class VxExchangeTest : public ::testing::Test {
protected:
    // Main program: load, then write back in its own layout.
    std::vector<std::uint8_t> LoadAndSaveBack(const std::vector<std::uint8_t>& file)
    {
        EXPECT_TRUE(LoadExchangeImage(file, Document));
        std::vector<std::uint8_t> saved(ExchangeSaveSize(Document));
        EXPECT_TRUE(SaveExchangeImage(saved, Document));
        return saved;
    }

    TScriptedUI UI;
    TTestEditor Editor{UI};
    TVxGraphicsDocument Document{Editor};
};

TEST_F(VxExchangeTest, FourPlanesKeepHostTransparency)
{
    const THostPicture picture(5, 3, 4, 20);
    const std::vector<std::uint8_t> saved = LoadAndSaveBack(picture.ExchangeFile());
    const std::optional<TExchangeHeader> header = ReadExchangeHeader(saved);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->Planes, 3);
    // The host's output buffer starts with its own transparency values.
    std::vector<std::uint8_t> output(picture.Input.size(), 0xEE);
    ASSERT_EQ(PluginReadBack(saved, picture.Host, output.data()), TExchangeReadBack::Copied);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            SCOPED_TRACE(testing::Message() << x << "," << y);
            EXPECT_EQ(std::memcmp(picture.HostPixel(output, x, y), picture.HostPixel(picture.Input, x, y), 3), 0);
            EXPECT_EQ(picture.HostPixel(output, x, y)[3], 0xEE);
        }
}

TEST_F(VxExchangeTest, OddRowBytesCopyOnlyTheRectanglesPixels)
{
    const THostPicture picture(3, 4, 3, 11); // 9 bytes of pixels, 2 of padding
    const std::vector<std::uint8_t> saved = LoadAndSaveBack(picture.ExchangeFile());
    EXPECT_EQ(ReadExchangeHeader(saved)->RowBytes, 12);
    std::vector<std::uint8_t> output(picture.Input.size(), 0xEE);
    ASSERT_EQ(PluginReadBack(saved, picture.Host, output.data()), TExchangeReadBack::Copied);
    for (int y = 0; y < 4; ++y) {
        EXPECT_EQ(std::memcmp(picture.HostPixel(output, 0, y), picture.HostPixel(picture.Input, 0, y), 9), 0);
        // The host's row bytes may span its whole image: what follows the rectangle's
        // last pixel is not the filter's to write.
        EXPECT_EQ(picture.HostPixel(output, 3, y)[0], 0xEE) << "host bytes after the rectangle, row " << y;
        EXPECT_EQ(picture.HostPixel(output, 3, y)[1], 0xEE) << "host bytes after the rectangle, row " << y;
    }
}

TEST_F(VxExchangeTest, SizeAfterSavingIsMainProgramLayout)
{
    const THostPicture picture(5, 3, 4, 21);
    const std::vector<std::uint8_t> file = picture.ExchangeFile();
    EXPECT_EQ(file.size(), 36u + 21u * 3u);
    const std::vector<std::uint8_t> saved = LoadAndSaveBack(file);
    EXPECT_EQ(saved.size(), 36u + 16u * 3u);
    EXPECT_EQ(ExchangeSaveSize(Document), saved.size());
    std::vector<std::uint8_t> wrong(saved.size() + 1);
    EXPECT_FALSE(SaveExchangeImage(wrong, Document)) << "the mapping's size is checked before writing";
}

TEST_F(VxExchangeTest, ResizedPictureIsNotTakenBack)
{
    const THostPicture picture(5, 3, 3, 15);
    ASSERT_TRUE(LoadExchangeImage(picture.ExchangeFile(), Document));
    ASSERT_TRUE(Document.Crop(Rect(0, 0, 4, 3)));
    std::vector<std::uint8_t> saved(ExchangeSaveSize(Document));
    ASSERT_TRUE(SaveExchangeImage(saved, Document));
    std::vector<std::uint8_t> output(picture.Input.size(), 0x11);
    EXPECT_EQ(PluginReadBack(saved, picture.Host, output.data()), TExchangeReadBack::Mismatch);
    EXPECT_EQ(output, std::vector<std::uint8_t>(picture.Input.size(), 0x11));
}

TEST_F(VxExchangeTest, LowerCaseMagicIsNotExchange)
{
    std::vector<std::uint8_t> file = THostPicture(2, 2, 3, 8).ExchangeFile();
    std::memcpy(file.data(), "pspf", 4);
    EXPECT_FALSE(ParseExchange(file));
    EXPECT_FALSE(LoadExchangeImage(file, Document));
    EXPECT_TRUE(Document.Image().IsEmpty());
    std::vector<std::uint8_t> output(16);
    EXPECT_EQ(PluginReadBack(file, THostPicture(2, 2, 3, 8).Host, output.data()), TExchangeReadBack::NotExchange);
}

TEST_F(VxExchangeTest, TrailerNeedsMoreThan496Bytes)
{
    TVxCustomProperties camera;
    SetAscii(camera, ExifTagMake, "Kestrel");
    const std::vector<std::uint8_t> block = BuildExifBlock(camera);
    for (const std::size_t after : {std::size_t{496}, std::size_t{497}}) {
        SCOPED_TRACE(after);
        std::vector<std::uint8_t> file = THostPicture(2, 2, 3, 8).ExchangeFile();
        const std::size_t rowsEnd = file.size();
        file.resize(rowsEnd + after, 0);
        std::memcpy(file.data() + rowsEnd, "EXIF", 4);
        const auto length = static_cast<std::uint32_t>(block.size());
        std::memcpy(file.data() + rowsEnd + 4, &length, 4);
        std::memcpy(file.data() + rowsEnd + 8, block.data(), block.size());
        Document.Properties().Clear();
        ASSERT_TRUE(LoadExchangeImage(file, Document));
        EXPECT_EQ(Document.Properties().IndexOf(ExifTagMake) >= 0, after == 497);
    }
}

TEST_F(VxExchangeTest, TrailerLongerThanFileIsIgnored)
{
    std::vector<std::uint8_t> file = THostPicture(2, 2, 3, 8).ExchangeFile();
    const std::size_t rowsEnd = file.size();
    file.resize(rowsEnd + 600, 0);
    std::memcpy(file.data() + rowsEnd, "EXIF", 4);
    const std::uint32_t length = 0x7FFFFFF0;
    std::memcpy(file.data() + rowsEnd + 4, &length, 4);
    EXPECT_FALSE(ExchangeExifPayload(file, *ParseExchange(file)));
    EXPECT_TRUE(LoadExchangeImage(file, Document));
}

TEST_F(VxExchangeTest, HeaderValuesThatDoNotFitTheFileAreRefused)
{
    const struct {
        const char* Name;
        std::size_t Offset;
        std::int32_t Value;
    } cases[] = {
        {"mode 4", 8, 4},         {"width 0", 20, 0},          {"width -1", 20, -1},        {"width huge", 20, 0x7FFFFFFF},
        {"height -3", 24, -3},    {"height huge", 24, 1 << 30}, {"height +1", 24, 4},       {"row bytes short", 28, 5},
        {"row bytes -8", 28, -8}, {"row bytes huge", 28, 1 << 30}, {"planes 2", 32, 2},     {"planes -3", 32, -3},
        {"planes 5", 32, 5},
    };
    const std::vector<std::uint8_t> good = THostPicture(2, 3, 3, 8).ExchangeFile();
    ASSERT_TRUE(ParseExchange(good));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        std::vector<std::uint8_t> bad = good;
        std::memcpy(bad.data() + c.Offset, &c.Value, 4);
        EXPECT_FALSE(ParseExchange(bad));
        TVxGraphicsDocument fresh{Editor};
        EXPECT_FALSE(LoadExchangeImage(bad, fresh));
        EXPECT_TRUE(fresh.Image().IsEmpty());
    }
}

TEST_F(VxExchangeTest, EveryTruncationIsRefused)
{
    const std::vector<std::uint8_t> good = THostPicture(3, 3, 4, 13).ExchangeFile();
    for (std::size_t n = 0; n < good.size(); ++n)
        EXPECT_FALSE(ParseExchange(std::span(good.data(), n))) << n;
    EXPECT_TRUE(ParseExchange(good));
}

// The plug-in's read-back of a result in the main program's layout with one header
// field damaged: refused before a single byte of the host's buffer changes.
TEST_F(VxExchangeTest, PluginReadBackRefusesDamagedResultsWithoutTouchingTheHost)
{
    const THostPicture picture(5, 3, 3, 17);
    const std::vector<std::uint8_t> good = LoadAndSaveBack(picture.ExchangeFile());
    const struct {
        const char* Name;
        std::size_t Offset;
        std::int32_t Value;
        TExchangeReadBack Expected;
    } cases[] = {
        {"header size 0", 4, 0, TExchangeReadBack::Mismatch},
        {"header size 31", 4, 31, TExchangeReadBack::Mismatch},
        {"header size past the file", 4, 0x7FFFFFF0, TExchangeReadBack::Mismatch},
        {"header size -1", 4, -1, TExchangeReadBack::Mismatch},
        {"mode 1", 8, 1, TExchangeReadBack::Mismatch},
        {"width 4", 20, 4, TExchangeReadBack::Mismatch},
        {"height 4", 24, 4, TExchangeReadBack::Mismatch},
        {"row bytes below width x planes", 28, 14, TExchangeReadBack::Mismatch},
        {"row bytes 0", 28, 0, TExchangeReadBack::Mismatch},
        {"row bytes -16", 28, -16, TExchangeReadBack::Mismatch},
        {"rows past the file", 28, 0x7FFFFFFF, TExchangeReadBack::Mismatch},
        {"planes 1", 32, 1, TExchangeReadBack::Mismatch},
        {"planes 2", 32, 2, TExchangeReadBack::Mismatch},
        {"planes 0", 32, 0, TExchangeReadBack::Mismatch},
        {"planes -3", 32, -3, TExchangeReadBack::Mismatch},
        {"planes 6: rows too short", 32, 6, TExchangeReadBack::Mismatch},
        {"magic", 0, 0x66707370, TExchangeReadBack::NotExchange},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        std::vector<std::uint8_t> bad = good;
        std::memcpy(bad.data() + c.Offset, &c.Value, 4);
        std::vector<std::uint8_t> output(picture.Input.size(), 0x5A);
        EXPECT_EQ(PluginReadBack(bad, picture.Host, output.data()), c.Expected);
        EXPECT_EQ(output, std::vector<std::uint8_t>(picture.Input.size(), 0x5A));
    }
    std::vector<std::uint8_t> output(picture.Input.size(), 0x5A);
    EXPECT_EQ(PluginReadBack(good, picture.Host, output.data()), TExchangeReadBack::Copied);
}

TEST_F(VxExchangeTest, PluginReadBackRefusesEveryTruncationOfAResult)
{
    const THostPicture picture(4, 3, 4, 19);
    const std::vector<std::uint8_t> good = LoadAndSaveBack(picture.ExchangeFile());
    for (std::size_t n = 0; n < good.size(); ++n) {
        std::vector<std::uint8_t> output(picture.Input.size(), 0x5A);
        EXPECT_NE(PluginReadBack(std::span(good.data(), n), picture.Host, output.data()), TExchangeReadBack::Copied) << n;
        EXPECT_EQ(output, std::vector<std::uint8_t>(picture.Input.size(), 0x5A)) << n;
    }
}

TEST_F(VxExchangeTest, PluginRefusesNonsenseHostLayouts)
{
    EXPECT_FALSE(PluginExchangeSize({ExchangeModeRGB, 0, 0, 0, 5, 3, 9}));
    EXPECT_FALSE(PluginExchangeSize({ExchangeModeRGB, 0, 0, 4, 5, 3, 9}));  // 4 x 3 > 9
    EXPECT_FALSE(PluginExchangeSize({ExchangeModeRGB, 0, 0, 4, -5, 3, 12}));
    std::vector<std::uint8_t> small(10);
    std::vector<std::uint8_t> input(100);
    EXPECT_FALSE(PluginWriteExchange(small, {ExchangeModeRGB, 0, 0, 2, 2, 3, 6}, input.data()));
}

TEST_F(VxExchangeTest, ExchangeFileOnDisk)
{
    TTempFolder folder;
    const std::filesystem::path path = folder.Path() / L"PSP2B.tmp";
    const std::vector<std::uint8_t> file = THostPicture(4, 2, 3, 12).ExchangeFile();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    ASSERT_TRUE(LoadExchangeFile(path, Document));
    ASSERT_TRUE(SaveExchangeFile(path, Document));
    EXPECT_EQ(std::filesystem::file_size(path), 36u + 12u * 2u);
    EXPECT_FALSE(LoadExchangeFile(folder.Path() / L"none.tmp", Document));
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / L"none.tmp"));
}

} // namespace
