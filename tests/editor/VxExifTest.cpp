#include <gtest/gtest.h>

#include <algorithm>

#include "editor/VxExifFixtures.h"

namespace {

std::vector<std::uint8_t> ValueOf(const TVxCustomProperties& p, std::uint32_t id)
{
    const int i = p.IndexOf(id);
    return i < 0 ? std::vector<std::uint8_t>{} : p.Item(i).Value;
}

TEST(VxExifTest, BlockRoundTripKeepsEveryItemButThumbnail)
{
    TVxCustomProperties camera;
    CameraProperties(camera);
    const std::vector<std::uint8_t> block = BuildExifBlock(camera);
    ASSERT_GE(block.size(), 8u);
    EXPECT_EQ(block[0], 'I');
    TVxCustomProperties parsed;
    ASSERT_TRUE(ParseExifBlock(block, parsed));
    for (std::uint32_t id : {ExifTagMake, ExifTagModel, ExifTagDateTime, 0x0112u, 0x011Au, 0x829Au, 0x9003u, 0x8827u, 0x0001u}) {
        SCOPED_TRACE(id);
        ASSERT_GE(parsed.IndexOf(id), 0);
        EXPECT_EQ(ValueOf(parsed, id), ValueOf(camera, id));
        EXPECT_EQ(parsed.Item(parsed.IndexOf(id)).Type, camera.Item(camera.IndexOf(id)).Type);
    }
    for (std::uint32_t id : {ExifTagThumbnailData, 0x5013u, 0x5023u, 0x501Au, 0x8769u, 0x8825u})
        EXPECT_LT(parsed.IndexOf(id), 0) << id;
}

TEST(VxExifTest, BigEndianBlockIsSwappedToCodecOrder)
{
    // MM, one IFD: orientation SHORT 6, x resolution RATIONAL 72/1 at offset 26.
    const std::vector<std::uint8_t> block = {'M', 'M', 0, 42, 0, 0, 0, 8,
                                             0, 2,
                                             0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, 6, 0, 0,
                                             0x01, 0x1A, 0, 5, 0, 0, 0, 1, 0, 0, 0, 38,
                                             0, 0, 0, 0,
                                             0, 0, 0, 72, 0, 0, 0, 1};
    TVxCustomProperties parsed;
    ASSERT_TRUE(ParseExifBlock(block, parsed));
    EXPECT_EQ(ValueOf(parsed, 0x0112), (std::vector<std::uint8_t>{6, 0}));
    EXPECT_EQ(ValueOf(parsed, 0x011A), (std::vector<std::uint8_t>{72, 0, 0, 0, 1, 0, 0, 0}));
}

TEST(VxExifTest, ThumbnailIfdBecomesThumbnailItems)
{
    TVxCustomProperties camera;
    SetAscii(camera, ExifTagMake, "Kestrel");
    std::vector<std::uint8_t> block = BuildExifBlock(camera);
    // Link a thumbnail IFD (compression 6, offset, length) behind the main IFD.
    const std::uint32_t ifd1 = static_cast<std::uint32_t>(block.size());
    const std::size_t nextField = 8 + 2 + 12 * 1;
    block[nextField] = static_cast<std::uint8_t>(ifd1);
    const std::uint32_t data = ifd1 + 2 + 3 * 12 + 4;
    const std::vector<std::uint8_t> ifd = {3, 0,
                                           0x03, 0x01, 3, 0, 1, 0, 0, 0, 6, 0, 0, 0,
                                           0x01, 0x02, 4, 0, 1, 0, 0, 0, std::uint8_t(data), 0, 0, 0,
                                           0x02, 0x02, 4, 0, 1, 0, 0, 0, 4, 0, 0, 0,
                                           0, 0, 0, 0,
                                           0xFF, 0xD8, 0xFF, 0xD9};
    block.insert(block.end(), ifd.begin(), ifd.end());
    TVxCustomProperties parsed;
    ASSERT_TRUE(ParseExifBlock(block, parsed));
    EXPECT_EQ(ValueOf(parsed, ExifTagThumbnailData), (std::vector<std::uint8_t>{0xFF, 0xD8, 0xFF, 0xD9}));
    EXPECT_GE(parsed.IndexOf(0x5023), 0);
    RemoveThumbnailProperties(parsed);
    EXPECT_LT(parsed.IndexOf(ExifTagThumbnailData), 0);
    EXPECT_GE(parsed.IndexOf(ExifTagMake), 0);
}

TEST(VxExifTest, EveryTruncationAndCorruptionParsesSafely)
{
    TVxCustomProperties camera;
    CameraProperties(camera);
    const std::vector<std::uint8_t> block = BuildExifBlock(camera);
    for (std::size_t n = 0; n < block.size(); ++n) {
        TVxCustomProperties parsed;
        ParseExifBlock(std::span(block.data(), n), parsed);
        EXPECT_LE(parsed.Count(), camera.Count());
    }
    // The byte order and the 42 decide whether the block is TIFF at all; past them, a
    // damaged byte may lose or change items, but every value read comes out of the block
    // (it is little-endian, so the bytes stand there unchanged): nothing is read beyond it.
    for (std::size_t at = 0; at < block.size(); ++at) {
        SCOPED_TRACE(testing::Message() << "byte " << at << " damaged");
        std::vector<std::uint8_t> bad = block;
        bad[at] ^= 0xA5;
        TVxCustomProperties parsed;
        const bool read = ParseExifBlock(bad, parsed);
        if (at < 4) {
            EXPECT_FALSE(read);
            continue;
        }
        EXPECT_TRUE(read);
        for (int i = 0; i < parsed.Count(); ++i) {
            const std::vector<std::uint8_t>& value = parsed.Item(i).Value;
            EXPECT_NE(std::search(bad.begin(), bad.end(), value.begin(), value.end()), bad.end())
                << "item " << std::hex << parsed.Item(i).Identifier << " holds bytes the block does not";
        }
    }
    TVxCustomProperties parsed;
    EXPECT_FALSE(ParseExifBlock(std::vector<std::uint8_t>{'X', 'X', 42, 0, 8, 0, 0, 0}, parsed));
}

TEST(VxExifTest, ThumbnailIdentifiers)
{
    for (std::uint32_t id = 0x5000; id < 0x5050; ++id) {
        const bool expected = (id >= 0x5012 && id <= 0x5019) || (id >= 0x501B && id <= 0x503B);
        EXPECT_EQ(IsThumbnailProperty(id), expected) << std::hex << id;
    }
}

TEST(VxExifTest, JpegSpliceReplacesExifAndKeepsJfifFirst)
{
    TVxCustomProperties camera;
    CameraProperties(camera);
    const std::vector<std::uint8_t> block = BuildExifBlock(camera);
    const std::vector<std::uint8_t> jpeg = TinyJpegStream();
    EXPECT_FALSE(FindJpegExif(jpeg));
    auto once = SpliceJpegExif(jpeg, block);
    ASSERT_TRUE(once);
    EXPECT_EQ((*once)[3], 0xE0);
    auto found = FindJpegExif(*once);
    ASSERT_TRUE(found);
    EXPECT_TRUE(std::equal(found->begin(), found->end(), block.begin(), block.end()));
    auto twice = SpliceJpegExif(*once, block);
    ASSERT_TRUE(twice);
    EXPECT_EQ(*twice, *once);
    auto removed = SpliceJpegExif(*once, {});
    ASSERT_TRUE(removed);
    EXPECT_EQ(*removed, jpeg);
    EXPECT_FALSE(SpliceJpegExif(std::vector<std::uint8_t>{1, 2, 3, 4}, block));
    EXPECT_FALSE(SpliceJpegExif(jpeg, std::vector<std::uint8_t>(70000, 0)));
}

TEST(VxExifTest, PngSpliceAddsExifChunkBeforeImageData)
{
    TVxCustomProperties camera;
    CameraProperties(camera);
    const std::vector<std::uint8_t> block = BuildExifBlock(camera);
    const std::vector<std::uint8_t> png = TinyPng();
    auto spliced = SplicePngExif(png, block);
    ASSERT_TRUE(spliced);
    auto found = FindPngExif(*spliced);
    ASSERT_TRUE(found);
    EXPECT_TRUE(std::equal(found->begin(), found->end(), block.begin(), block.end()));
    // The chunk sits right after IHDR (8 + 25 bytes) and its CRC holds.
    EXPECT_EQ(std::memcmp(spliced->data() + 33 + 4, "eXIf", 4), 0);
    const std::size_t crcAt = 33 + 8 + block.size();
    const uLong crc = crc32(0, spliced->data() + 37, static_cast<uInt>(4 + block.size()));
    EXPECT_EQ((std::uint32_t{(*spliced)[crcAt]} << 24 | std::uint32_t{(*spliced)[crcAt + 1]} << 16
               | std::uint32_t{(*spliced)[crcAt + 2]} << 8 | (*spliced)[crcAt + 3]),
              static_cast<std::uint32_t>(crc));
    auto again = SplicePngExif(*spliced, block);
    ASSERT_TRUE(again);
    EXPECT_EQ(*again, *spliced);
    for (std::size_t n = 0; n < png.size(); ++n)
        EXPECT_FALSE(SplicePngExif(std::span(png.data(), n), block)) << n;
}

} // namespace
