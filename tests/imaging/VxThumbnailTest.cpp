#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "imaging/VxPictureFixtures.h"
#include "imaging/VxThumbnail.h"
#include "support/VxTempFolder.h"

using namespace VxFixtures;

namespace {

// Writes files under the names thumbnails are saved under.
class TThumbnailFolder : public TTempFolder {
public:
    TThumbnailFolder() : TTempFolder("vx-thumbnail") {}
    void Write(const std::wstring& name, const std::vector<std::uint8_t>& bytes) const
    {
        TTempFolder::Write(TThumbnail::FileName(Path(), name), bytes);
    }
};

// A 2 x 3 thumbnail whose pixel (x, y) is red 10x+y, green 100+x, blue 200+y.
TThumbnail SmallThumbnail(std::uint8_t kind)
{
    TThumbnail thumb(2, 3, kind);
    for (std::int32_t x = 0; x < 2; ++x)
        for (std::int32_t y = 0; y < 3; ++y)
            thumb.SetPixel(x, y, static_cast<std::uint32_t>((200 + y) << 16 | (100 + x) << 8 | (10 * x + y)));
    return thumb;
}

} // namespace

TEST(VxThumbnailTest, FileLayoutIsKindSizeAndColumnsOfRgb)
{
    const std::vector<std::uint8_t> bytes = SmallThumbnail(ThumbnailKindPng).WriteTo();
    const std::vector<std::uint8_t> expected = {2,  2,   3,                                //
                                                0,  100, 200, 1,  100, 201, 2,  100, 202,  // column 0
                                                10, 101, 200, 11, 101, 201, 12, 101, 202}; // column 1
    EXPECT_EQ(bytes, expected);
}

TEST(VxThumbnailTest, FullSizeFileRoundTrips)
{
    TThumbnailFolder folder;
    TThumbnail thumb(ThumbnailSize, ThumbnailSize, ThumbnailKindMatte);
    thumb.FillChecker();
    thumb.SetPixel(71, 0, 0x123456);
    ASSERT_TRUE(thumb.Save(folder.Path(), L"000042"));
    EXPECT_EQ(thumb.Name(), L"000042");
    EXPECT_EQ(std::filesystem::file_size(TThumbnail::FileName(folder.Path(), L"000042")), 3u + 15552u);

    TThumbnail loaded(0, 0, 0);
    ASSERT_TRUE(loaded.Load(folder.Path(), L"000042"));
    EXPECT_TRUE(loaded.Valid());
    EXPECT_EQ(loaded.Kind(), ThumbnailKindMatte);
    EXPECT_EQ(loaded.Width(), 72);
    EXPECT_EQ(loaded.Height(), 72);
    for (std::int32_t y = 0; y < 72; ++y)
        for (std::int32_t x = 0; x < 72; ++x)
            ASSERT_EQ(loaded.GetPixel(x, y), thumb.GetPixel(x, y)) << x << "," << y;
    EXPECT_EQ(loaded.GetPixel(71, 0), 0x123456u);
}

TEST(VxThumbnailTest, BadKindsAreInvalidAndWrittenAsOneByte)
{
    for (const std::uint8_t kind : {0, 3, 255}) {
        SCOPED_TRACE(kind);
        std::vector<std::uint8_t> bytes = SmallThumbnail(ThumbnailKindMatte).WriteTo();
        bytes[0] = kind;
        TThumbnail thumb(2, 3, 1);
        EXPECT_FALSE(thumb.ReadFrom(bytes));
        EXPECT_FALSE(thumb.Valid());
        EXPECT_EQ(thumb.Kind(), kind);
        EXPECT_EQ(thumb.GetPixel(0, 0), 0u);
        EXPECT_EQ(SmallThumbnail(kind).WriteTo(), std::vector<std::uint8_t>{kind});
    }
}

TEST(VxThumbnailTest, EveryTruncationIsInvalid)
{
    const std::vector<std::uint8_t> whole = SmallThumbnail(ThumbnailKindMatte).WriteTo();
    for (std::size_t length = 0; length < whole.size(); ++length) {
        SCOPED_TRACE(length);
        TThumbnail thumb(2, 3, 1);
        EXPECT_FALSE(thumb.ReadFrom(std::span(whole.data(), length)));
        EXPECT_FALSE(thumb.Valid());
        EXPECT_EQ(thumb.GetPixel(1, 2), 0u);
    }
    TThumbnail thumb(0, 0, 0);
    EXPECT_TRUE(thumb.ReadFrom(whole));
    EXPECT_TRUE(thumb.Valid());
}

// Random files of every small length: the reader answers, valid or not, and stays inside
// the bytes it was given (checked by the sanitizer builds).
TEST(VxThumbnailTest, RandomBytesNeverReadOutside)
{
    std::mt19937 random(77);
    std::int32_t valid = 0;
    for (int trial = 0; trial < 2000; ++trial) {
        std::vector<std::uint8_t> bytes(random() % 64);
        for (std::uint8_t& b : bytes)
            b = static_cast<std::uint8_t>(random() % 4 == 0 ? random() % 4 : random());
        auto data = std::make_unique<std::uint8_t[]>(bytes.size() + 1); // exact-size heap block
        std::copy(bytes.begin(), bytes.end(), data.get());
        TThumbnail thumb(0, 0, 0);
        const bool ok = thumb.ReadFrom(std::span<const std::uint8_t>(data.get(), bytes.size()));
        EXPECT_EQ(ok, thumb.Valid());
        if (ok) {
            ++valid;
            EXPECT_GE(bytes.size(), 3u + 3u * thumb.Width() * thumb.Height());
            EXPECT_EQ(thumb.WriteTo(),
                      std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 3 + 3 * thumb.Width() * thumb.Height()));
        }
    }
    EXPECT_GT(valid, 0);
}

TEST(VxThumbnailTest, FilesThatAreMissingOrShortLoadInvalid)
{
    TThumbnailFolder folder;
    TThumbnail missing(72, 72, 1);
    EXPECT_FALSE(missing.Load(folder.Path(), L"000001"));
    EXPECT_FALSE(missing.Valid());
    EXPECT_EQ(missing.Name(), L"000001");

    std::vector<std::uint8_t> bytes(3 + 15552 - 1, 0x80);
    bytes[0] = 1;
    bytes[1] = bytes[2] = 72;
    folder.Write(L"000002", bytes);
    TThumbnail shortFile(72, 72, 1);
    EXPECT_FALSE(shortFile.Load(folder.Path(), L"000002"));
    EXPECT_EQ(shortFile.GetPixel(10, 10), 0u);

    bytes.push_back(0x80);
    bytes.push_back(0x99); // trailing bytes are not part of the picture
    folder.Write(L"000003", bytes);
    TThumbnail longFile(0, 0, 0);
    EXPECT_TRUE(longFile.Load(folder.Path(), L"000003"));
    EXPECT_EQ(longFile.GetPixel(71, 71), 0x808080u);
}

TEST(VxThumbnailTest, Checkerboard)
{
    EXPECT_EQ(CheckerColor(0, 0), 0xA9A9A9u);
    EXPECT_EQ(CheckerColor(3, 3), 0xA9A9A9u);
    EXPECT_EQ(CheckerColor(4, 0), 0xFFFFFEu);
    EXPECT_EQ(CheckerColor(0, 7), 0xFFFFFEu);
    EXPECT_EQ(CheckerColor(4, 4), 0xA9A9A9u);
    EXPECT_EQ(CheckerColor(71, 67), 0xFFFFFEu);
    EXPECT_EQ(CheckerColor(71, 68), 0xA9A9A9u);
    TThumbnail thumb(8, 8, 1);
    thumb.FillChecker();
    // Near-white is red 254, green and blue 255: the file holds it red first.
    const std::vector<std::uint8_t> bytes = thumb.WriteTo();
    const std::size_t at40 = 3 + (4 * 8 + 0) * 3;
    EXPECT_EQ(bytes[at40], 254);
    EXPECT_EQ(bytes[at40 + 1], 255);
    EXPECT_EQ(bytes[at40 + 2], 255);
    EXPECT_EQ(bytes[3], 169);
}

TEST(VxThumbnailTest, MakeThumbnailCopiesObjectPixelsIntoTheFittedRectangle)
{
    // A 200 x 100 object fits as rows 18-53; only pixels of the left half belong to it.
    TVxPixelBuffer picture(fmtBGR24, Bounds(0, 0, 200, 100));
    FillUniform(picture, 0x30, 0x20, 0x10);
    TThumbnail thumb(ThumbnailSize, ThumbnailSize, ThumbnailKindMatte);
    MakeThumbnail(thumb, picture.GetBounds(), [&](std::int32_t x, std::int32_t y) -> std::optional<std::uint32_t> {
        if (x >= 100)
            return std::nullopt;
        return PixelColorRef(picture.PixelAddress(x, y));
    });
    const TRectToRect map(picture.GetBounds(), Bounds(0, 0, 72, 72), true);
    ASSERT_EQ(map.Dest(), Rect(0, 18, 72, 54));
    for (std::int32_t y = 0; y < 72; ++y)
        for (std::int32_t x = 0; x < 72; ++x) {
            const bool inside = y >= 18 && y < 54 && map.MapPointRounded(x, y).X < 100;
            const std::uint32_t expected = inside ? 0x302010u : CheckerColor(x, y);
            ASSERT_EQ(thumb.GetPixel(x, y), expected) << x << "," << y;
        }
}

TEST(VxThumbnailTest, OutsidePixelsAreIgnoredOrBlack)
{
    TThumbnail thumb(4, 4, 1);
    thumb.SetPixel(-1, 0, 0xFFFFFF);
    thumb.SetPixel(4, 0, 0xFFFFFF);
    EXPECT_EQ(thumb.GetPixel(4, 0), 0u);
    EXPECT_EQ(thumb.GetPixel(0, -1), 0u);
    EXPECT_EQ(thumb.GetPixel(0, 0), 0u);
}

class VxThumbnailListTest : public testing::Test {
protected:
    void SetUp() override
    {
        for (const wchar_t* name : {L"000001", L"000002", L"000003"}) {
            TThumbnail thumb(2, 3, name[5] == L'2' ? ThumbnailKindPng : ThumbnailKindMatte);
            thumb.FillChecker();
            ASSERT_TRUE(thumb.Save(Folder.Path(), name));
        }
    }
    TThumbnailFolder Folder;
};

TEST_F(VxThumbnailListTest, AddSelectsTheNewThumbnail)
{
    TThumbnailList list(Folder.Path());
    EXPECT_TRUE(list.HasNoCurrent());
    EXPECT_EQ(list.Capacity(), 128);
    list.Add(L"000001");
    list.Add(L"000002");
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Current(), 1);
    EXPECT_EQ(list.CurrentName(), L"000002");
    EXPECT_EQ(list.CurrentKind(), ThumbnailKindPng);
    EXPECT_EQ(list.GetKind(0), ThumbnailKindMatte);
    EXPECT_EQ(list.GetPixel(0, 0, 0), 0xA9A9A9u);
    // A missing file still takes a place, as an invalid thumbnail that reads black.
    list.Add(L"999999");
    EXPECT_EQ(list.Count(), 3);
    EXPECT_FALSE(list.Item(2)->Valid());
    EXPECT_EQ(list.GetPixel(2, 0, 0), 0u);
    EXPECT_EQ(list.GetName(3), L"");
    EXPECT_EQ(list.GetName(-1), L"");
    EXPECT_EQ(list.GetKind(7), 0);
}

TEST_F(VxThumbnailListTest, Deletions)
{
    TThumbnailList list(Folder.Path());
    for (const wchar_t* name : {L"000001", L"000002", L"000003"})
        list.Add(name);
    // Deleting the selected last one selects the new last one.
    list.Delete(2);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Current(), 1);
    EXPECT_EQ(list.CurrentName(), L"000002");
    // Outside the list: ignored.
    list.Delete(2);
    list.Delete(-1);
    EXPECT_EQ(list.Count(), 2);
    // Deleting below the selection keeps the index; the gap closes.
    list.Delete(0);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Current(), 0);
    EXPECT_EQ(list.GetName(0), L"000002");
    // Deleting the only one leaves nothing selected.
    list.Delete(0);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Current(), -1);
    EXPECT_TRUE(list.HasNoCurrent());
    EXPECT_EQ(list.CurrentName(), L"");
}

TEST_F(VxThumbnailListTest, SelectionAndClear)
{
    TThumbnailList list(Folder.Path());
    list.Add(L"000001");
    list.Add(L"000003");
    list.SetCurrent(0);
    EXPECT_EQ(list.CurrentName(), L"000001");
    list.SetCurrent(5);
    EXPECT_EQ(list.Current(), 0);
    list.SetCurrent(-1);
    EXPECT_TRUE(list.HasNoCurrent());
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Current(), -1);
}

TEST_F(VxThumbnailListTest, CapacityDoublesWhenFull)
{
    TThumbnailList list(Folder.Path());
    for (int i = 0; i < 129; ++i)
        list.Add(L"000001");
    EXPECT_EQ(list.Count(), 129);
    EXPECT_EQ(list.Capacity(), 256);
    EXPECT_EQ(list.Current(), 128);
}
