#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "separation/AlphaChanal.h"
#include "support/VxTempFolder.h"

namespace fs = std::filesystem;

namespace {

struct TNameList {
    void Add(const std::wstring& name) { Names.push_back(name); }
    std::vector<std::wstring> Names;
};

TAlphaChanal Filled(std::int32_t w, std::int32_t h, std::uint8_t value)
{
    TAlphaChanal matte;
    matte.SetSize(w, h);
    for (std::int32_t x = 0; x < w; ++x)
        for (std::int32_t y = 0; y < h; ++y)
            matte.SetValue(x, y, value);
    return matte;
}

std::string SavedText(TAlphaChanal& matte)
{
    std::ostringstream text;
    matte.SaveToStream(text);
    return text.str();
}

bool LoadText(TAlphaChanal& matte, const std::string& text)
{
    std::istringstream stream(text);
    return matte.LoadFromStream(stream);
}

std::string Compressed(const std::string& text)
{
    std::istringstream in(text);
    std::ostringstream out;
    EXPECT_TRUE(CompressStream(in, out));
    return out.str();
}

} // namespace

TEST(AlphaChanalTest, NewGridIsTransparent)
{
    TAlphaChanal matte;
    matte.SetSize(3, 2);
    EXPECT_EQ(matte.Width(), 3);
    EXPECT_EQ(matte.Height(), 2);
    for (std::int32_t x = 0; x < 3; ++x)
        for (std::int32_t y = 0; y < 2; ++y)
            EXPECT_EQ(matte.Value(x, y), 0);
    matte.SetValue(2, 1, 99);
    EXPECT_EQ(matte.Value(2, 1), 99);
    matte.Erase();
    EXPECT_EQ(matte.Value(2, 1), 0);
}

// The divisor stays 5 at the border, so a full rectangle darkens at its edges.
TEST(AlphaChanalTest, SoftenFullRectangle)
{
    TAlphaChanal matte = Filled(5, 4, 255);
    matte.Soften();
    for (std::int32_t x = 0; x < 5; ++x)
        for (std::int32_t y = 0; y < 4; ++y) {
            const bool edgeX = x == 0 || x == 4, edgeY = y == 0 || y == 3;
            const int expected = edgeX && edgeY ? 153 : (edgeX || edgeY ? 204 : 255);
            EXPECT_EQ(matte.Value(x, y), expected) << x << "," << y;
        }
}

TEST(AlphaChanalTest, SoftenSinglePixel)
{
    TAlphaChanal matte = Filled(1, 1, 255);
    matte.Soften();
    EXPECT_EQ(matte.Value(0, 0), 51);
    matte.ComputeMargins();
    EXPECT_EQ(matte.MarginX(), 0);
    EXPECT_EQ(matte.MarginY(), 0);
}

TEST(AlphaChanalTest, SoftenGivesMultiplesOf51OnAHardMatte)
{
    TAlphaChanal matte;
    matte.SetSize(6, 6);
    for (auto [x, y] : {std::pair{1, 1}, std::pair{2, 1}, std::pair{2, 2}, std::pair{4, 4}, std::pair{5, 0}})
        matte.SetValue(x, y, 255);
    matte.Soften();
    for (std::int32_t x = 0; x < 6; ++x)
        for (std::int32_t y = 0; y < 6; ++y)
            EXPECT_EQ(matte.Value(x, y) % 51, 0);
    EXPECT_EQ(matte.Value(2, 1), 153); // itself + left + below
    EXPECT_EQ(matte.Value(0, 0), 0);
}

TEST(AlphaChanalTest, MarginsOfALongThinObject)
{
    TAlphaChanal matte = Filled(1, 100, 255);
    matte.ComputeMargins();
    EXPECT_EQ(matte.MarginX(), 50);
    EXPECT_EQ(matte.MarginY(), 0);
    TAlphaChanal loaded;
    ASSERT_TRUE(LoadText(loaded, SavedText(matte)));
    EXPECT_EQ(loaded.Width(), 101);
    EXPECT_EQ(loaded.Height(), 100);
    EXPECT_EQ(loaded.MarginX(), 50);
    EXPECT_EQ(loaded.Value(50, 0), 255);
    EXPECT_EQ(loaded.Value(50, 99), 255);
    EXPECT_EQ(loaded.Value(49, 50), 0);
    EXPECT_EQ(loaded.Value(51, 50), 0);
}

TEST(AlphaChanalTest, MarginsOfASquareReachItsCorners)
{
    TAlphaChanal matte = Filled(10, 10, 255);
    matte.ComputeMargins(); // centre 4.5, d = 4.5 * sqrt(2) = 6.36: floor(-1.86) = -2
    EXPECT_EQ(matte.MarginX(), 2);
    EXPECT_EQ(matte.MarginY(), 2);
}

TEST(AlphaChanalTest, MarginsNeverNegative)
{
    TAlphaChanal matte;
    matte.SetSize(7, 5); // nothing opaque: d = 0
    matte.ComputeMargins();
    EXPECT_EQ(matte.MarginX(), 0);
    EXPECT_EQ(matte.MarginY(), 0);
    matte.SetValue(3, 2, 255); // only the centre
    matte.ComputeMargins();
    EXPECT_EQ(matte.MarginX(), 0);
    EXPECT_EQ(matte.MarginY(), 0);
}

TEST(AlphaChanalTest, SavesVersionTwoText)
{
    TAlphaChanal matte;
    matte.SetSize(2, 3);
    matte.SetValue(0, 0, 255);
    matte.SetValue(1, 2, 7);
    EXPECT_EQ(SavedText(matte), "2\r\n1\r\n1\r\n2\r\n3\r\n255 0 0 \r\n0 0 7 \r\n");
}

TEST(AlphaChanalTest, LoadsVersionTwoIntoThePaddedGrid)
{
    TAlphaChanal matte;
    ASSERT_TRUE(LoadText(matte, "2\r\n1\r\n2\r\n2\r\n3\r\n255 0 0 \r\n0 0 7 \r\n"));
    EXPECT_EQ(matte.Width(), 4);
    EXPECT_EQ(matte.Height(), 7);
    EXPECT_EQ(matte.MarginX(), 1);
    EXPECT_EQ(matte.MarginY(), 2);
    EXPECT_EQ(matte.Value(1, 2), 255);
    EXPECT_EQ(matte.Value(2, 4), 7);
    int sum = 0;
    for (std::int32_t x = 0; x < 4; ++x)
        for (std::int32_t y = 0; y < 7; ++y)
            sum += matte.Value(x, y);
    EXPECT_EQ(sum, 262);
}

TEST(AlphaChanalTest, LoadsVersionOneAndComputesMargins)
{
    TAlphaChanal matte;
    ASSERT_TRUE(LoadText(
        matte, "1\r\n1\r\n100\r\n" + [] {
            std::string line;
            for (int i = 0; i < 100; ++i)
                line += "255 ";
            return line + "\r\n";
        }()));
    EXPECT_EQ(matte.MarginX(), 50);
    EXPECT_EQ(matte.MarginY(), 0);
    EXPECT_EQ(matte.Width(), 101);
    EXPECT_EQ(matte.Value(50, 99), 255);
}

TEST(AlphaChanalTest, OtherVersionGivesATransparentGridWithTheMarginsItHad)
{
    TAlphaChanal matte;
    ASSERT_TRUE(LoadText(matte, "2\r\n3\r\n1\r\n1\r\n1\r\n9 \r\n"));
    ASSERT_TRUE(LoadText(matte, "7\r\n4\r\n5\r\n"));
    EXPECT_EQ(matte.Width(), 10);
    EXPECT_EQ(matte.Height(), 7);
    EXPECT_EQ(matte.MarginX(), 3);
    EXPECT_EQ(matte.MarginY(), 1);
    for (std::int32_t x = 0; x < 10; ++x)
        for (std::int32_t y = 0; y < 7; ++y)
            EXPECT_EQ(matte.Value(x, y), 0);
}

struct TBadText {
    const char* Name;
    const char* Text;
};

const TBadText BadTexts[] = {
    {"Empty", ""},
    {"NoSize", "2\r\n0\r\n0\r\n"},
    {"Letters", "2\r\nx\r\n0\r\n1\r\n1\r\n0 \r\n"},
    {"TrailingLetters", "2\r\n0\r\n0\r\n1\r\n1\r\n12ab \r\n"},
    {"ValueAbove255", "2\r\n0\r\n0\r\n1\r\n1\r\n256 \r\n"},
    {"NegativeValue", "2\r\n0\r\n0\r\n1\r\n1\r\n-1 \r\n"},
    {"NegativeWidth", "2\r\n0\r\n0\r\n-1\r\n1\r\n"},
    {"NegativeMargin", "2\r\n-1\r\n0\r\n1\r\n1\r\n255 \r\n"},
    {"TooFewValues", "2\r\n0\r\n0\r\n2\r\n2\r\n1 2 3 \r\n"},
    {"HugeNumber", "2\r\n0\r\n0\r\n99999999999999999999999\r\n1\r\n"},
    {"AbsurdSizeWithoutValues", "2\r\n0\r\n0\r\n32767\r\n32767\r\n"},
    {"SideBeyondObjects", "1\r\n32768\r\n1\r\n"},
    {"PaddingBeyondLimit", "2\r\n32767\r\n32767\r\n1\r\n1\r\n255 \r\n"},
    {"OtherVersionAbsurd", "5\r\n32767\r\n32767\r\n"},
    {"SignOnly", "2\r\n-\r\n"},
};

class AlphaChanalBadTextTest : public testing::TestWithParam<TBadText> {};

TEST_P(AlphaChanalBadTextTest, FailsAndKeepsTheMatte)
{
    TAlphaChanal matte = Filled(2, 2, 77);
    EXPECT_FALSE(LoadText(matte, GetParam().Text));
    EXPECT_EQ(matte.Width(), 2);
    EXPECT_EQ(matte.Height(), 2);
    EXPECT_EQ(matte.Value(1, 1), 77);
}

INSTANTIATE_TEST_SUITE_P(Damaged, AlphaChanalBadTextTest, testing::ValuesIn(BadTexts),
                         [](const testing::TestParamInfo<TBadText>& info) { return std::string(info.param.Name); });

TEST(AlphaChanalTest, EveryTruncationOfTheTextFailsOrLoadsCleanly)
{
    TAlphaChanal source = Filled(3, 4, 200);
    const std::string text = SavedText(source);
    for (std::size_t length = 0; length < text.size(); ++length) {
        TAlphaChanal matte;
        const bool loaded = LoadText(matte, text.substr(0, length));
        // Only cutting the last line end still leaves every value ended by its space.
        EXPECT_EQ(loaded, length >= text.size() - 2) << length;
    }
}

TEST(AlphaChanalTest, CompressedFileRoundTrip)
{
    TTempFolder folder("vx-separation");
    TAlphaChanal matte;
    matte.SetSize(20, 9);
    for (std::int32_t x = 3; x < 17; ++x)
        for (std::int32_t y = 0; y < 9; ++y)
            matte.SetValue(x, y, static_cast<std::uint8_t>(x * 13 + y));
    matte.Soften();
    const fs::path scratch = ScratchFileName(folder.Path());
    const fs::path packed = folder.Path() / L"000001.alp";
    ASSERT_TRUE(matte.SaveToFile(scratch));
    ASSERT_TRUE(CompressFile(scratch, packed));
    fs::remove(scratch);
    ASSERT_TRUE(DecompressFile(packed, scratch));
    TAlphaChanal loaded;
    ASSERT_TRUE(loaded.LoadFromFile(scratch));
    EXPECT_EQ(loaded.MarginX(), matte.MarginX());
    EXPECT_EQ(loaded.Width(), 20 + 2 * matte.MarginX());
    for (std::int32_t x = 0; x < 20; ++x)
        for (std::int32_t y = 0; y < 9; ++y)
            ASSERT_EQ(loaded.Value(x + loaded.MarginX(), y + loaded.MarginY()), matte.Value(x, y));
    std::ifstream file(packed, std::ios::binary);
    const int header = file.get();
    EXPECT_EQ(header, 0x78);     // zlib, 32 KiB window
    EXPECT_EQ(file.get(), 0xDA); // level 9
}

TEST(AlphaChanalTest, EveryTruncationOfTheStreamFails)
{
    TAlphaChanal matte = Filled(30, 30, 255);
    matte.Soften();
    const std::string packed = Compressed(SavedText(matte));
    for (std::size_t length = 0; length < packed.size(); ++length) {
        std::istringstream in(packed.substr(0, length));
        std::ostringstream out;
        EXPECT_FALSE(DecompressStream(in, out)) << length;
    }
    std::istringstream whole(packed + "trailing");
    std::ostringstream out;
    EXPECT_TRUE(DecompressStream(whole, out));
    EXPECT_EQ(out.str(), SavedText(matte));
}

TEST(AlphaChanalTest, CorruptedStreamsFailOrLoadCleanly)
{
    const std::string packed = Compressed(SavedText(*std::make_unique<TAlphaChanal>(Filled(8, 8, 255))));
    for (std::size_t i = 0; i < packed.size(); ++i)
        for (int bit : {0x01, 0x10, 0x80}) {
            std::string damaged = packed;
            damaged[i] = static_cast<char>(damaged[i] ^ bit);
            std::istringstream in(damaged);
            std::ostringstream out;
            if (!DecompressStream(in, out))
                continue;
            TAlphaChanal matte;
            LoadText(matte, out.str()); // either outcome is fine; it must not crash
            EXPECT_LE(matte.Width(), MaxAlphaSide);
        }
}

TEST(AlphaChanalTest, DecompressionStopsAtTheSizeLimit)
{
    const std::string packed = Compressed(std::string(100000, '0'));
    std::istringstream in(packed);
    std::ostringstream out;
    EXPECT_FALSE(DecompressStream(in, out, 50000));
    std::istringstream again(packed);
    std::ostringstream all;
    EXPECT_TRUE(DecompressStream(again, all, 100000));
}

TEST(AlphaChanalTest, DamagedFileLeavesNoScratchBehind)
{
    TTempFolder folder("vx-separation");
    const fs::path packed = folder.Path() / L"000001.alp";
    std::ofstream(packed, std::ios::binary) << "not a zlib stream";
    EXPECT_FALSE(DecompressFile(packed, ScratchFileName(folder.Path())));
    EXPECT_FALSE(fs::exists(ScratchFileName(folder.Path())));
    EXPECT_FALSE(DecompressFile(folder.Path() / L"missing.alp", ScratchFileName(folder.Path())));
    TAlphaChanal matte;
    EXPECT_FALSE(matte.LoadFromFile(folder.Path() / L"missing.tmp"));
}

TEST(ObjectCollectionTest, EmptyFolderStartsAtOne)
{
    TTempFolder folder("vx-separation");
    EXPECT_EQ(NewestObjectId(folder.Path()), L"000000");
    EXPECT_EQ(NextObjectId(folder.Path()), L"000001");
}

TEST(ObjectCollectionTest, IdentifiersFollowTheThumbnailNames)
{
    TTempFolder folder("vx-separation");
    for (const wchar_t* name : {L"000009.tmb", L"000010.tmb", L"000012.alp", L"000003.tmb", L"abcdef.tmb",
                                L"1234567.tmb", L"00011.tmb", L"temp.tmp"})
        folder.File(name);
    EXPECT_EQ(NewestObjectId(folder.Path()), L"000010");
    EXPECT_EQ(NextObjectId(folder.Path()), L"000011");
    TNameList list;
    ListObjects(list, folder.Path());
    EXPECT_EQ(std::set<std::wstring>(list.Names.begin(), list.Names.end()),
              (std::set<std::wstring>{L"000003", L"000009", L"000010", L"abcdef"}));
    TNameList newest;
    AddNewestObject(newest, folder.Path());
    EXPECT_EQ(newest.Names, std::vector<std::wstring>{L"000010"});
}

TEST(ObjectCollectionTest, NextIdentifierAfterTheLastSixDigitOne)
{
    TTempFolder folder("vx-separation");
    folder.File(L"999999.tmb");
    EXPECT_EQ(NextObjectId(folder.Path()), L"1000000");
}

TEST(ObjectCollectionTest, DeleteObjectRemovesTheGroupAndIgnoresMissingFiles)
{
    TTempFolder folder("vx-separation");
    for (const wchar_t* name : {L"000004.tmb", L"000004.alp", L"000004.jpg", L"000005.tmb"})
        folder.File(name);
    DeleteObject(L"000004", folder.Path());
    EXPECT_FALSE(fs::exists(folder.Path() / L"000004.tmb"));
    EXPECT_FALSE(fs::exists(folder.Path() / L"000004.alp"));
    EXPECT_FALSE(fs::exists(folder.Path() / L"000004.jpg"));
    EXPECT_TRUE(fs::exists(folder.Path() / L"000005.tmb"));
    DeleteObject(L"000004", folder.Path());
}

TEST(ObjectCollectionTest, FolderAndScratchFile)
{
    const fs::path folder = CollectionFolder();
    EXPECT_FALSE(folder.empty());
    EXPECT_TRUE(folder.filename().empty()); // ends with a separator
    EXPECT_EQ(ScratchFileName(folder).filename(), "temp.tmp");
    EXPECT_EQ(ScratchFileName(folder).parent_path(), folder.parent_path());
}
