// The JPEG object against Debian's libjpeg-turbo programs: decoding equals djpeg's, turns,
// flips and crops equal jpegtran's, a chosen quality equals cjpeg's. Linux only (the peer
// programs are not Windows programs).
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "editor/VxJPEGTestSupport.h"
#include "support/VxPixelCompare.h"
#include "support/VxTempFolder.h"
#include "support/VxTestPictures.h"

namespace {

bool RunPeer(const std::string& command)
{
    return std::system((command + " 2>/dev/null").c_str()) == 0;
}

std::string Quoted(const std::filesystem::path& p)
{
    return "'" + p.string() + "'";
}

std::unique_ptr<TVxPixelBuffer> PhotoLike(std::int32_t width, std::int32_t height, std::uint32_t seed)
{
    auto picture = std::make_unique<TVxPixelBuffer>(fmtBGR24, TRect{0, 0, width, height});
    FillPhotoLike(*picture, seed);
    return picture;
}

// cjpeg's file of a photograph-like picture with the options given.
std::filesystem::path PeerFile(const TTempFolder& folder, const std::string& name, std::int32_t width,
                               std::int32_t height, const std::string& options)
{
    const std::filesystem::path ppm = folder.Path() / (name + ".ppm");
    const std::filesystem::path jpg = folder.Path() / (name + ".jpg");
    WritePpm(ppm, *PhotoLike(width, height, 7));
    EXPECT_TRUE(RunPeer("cjpeg " + options + " -outfile " + Quoted(jpg) + " " + Quoted(ppm))) << options;
    return jpg;
}

std::unique_ptr<TVxPixelBuffer> PeerDecode(const std::filesystem::path& jpg)
{
    const std::filesystem::path pnm = jpg.string() + ".pnm";
    auto picture = std::make_unique<TVxPixelBuffer>();
    EXPECT_TRUE(RunPeer("djpeg -outfile " + Quoted(pnm) + " " + Quoted(jpg)));
    EXPECT_TRUE(ReadPnm(pnm, *picture));
    return picture;
}

std::unique_ptr<TVxPixelBuffer> OwnDecode(const std::vector<std::uint8_t>& stream)
{
    TVxJPEG jpeg;
    auto picture = std::make_unique<TVxPixelBuffer>();
    EXPECT_TRUE(DecodeInto(jpeg, stream, *picture));
    return picture;
}

struct TPeerCase {
    const char* Name;
    std::int32_t Width, Height;
    const char* Options;
};

const TPeerCase DecodeCases[] = {
    {"s444", 64, 48, "-sample 1x1"},
    {"s422", 64, 48, "-sample 2x1"},
    {"s420", 64, 48, "-sample 2x2"},
    {"grey", 40, 24, "-grayscale"},
    {"progressive", 64, 48, "-progressive"},
    {"restart", 64, 48, "-restart 1"},
    {"odd420", 37, 29, "-sample 2x2"},
    {"odd444", 33, 17, "-sample 1x1 -quality 95"},
    {"arithmetic", 48, 32, "-arithmetic"},
    {"rgb", 24, 16, "-rgb"},
};

TEST(VxJPEGPeerTest, DecodesAsDjpeg)
{
    TTempFolder folder("vx-jpeg-peer");
    for (const TPeerCase& c : DecodeCases) {
        SCOPED_TRACE(c.Name);
        const std::filesystem::path jpg = PeerFile(folder, c.Name, c.Width, c.Height, c.Options);
        EXPECT_TRUE(SamePixels(*OwnDecode(ReadFileBytes(jpg)), *PeerDecode(jpg)));
    }
}

struct TTransformCase {
    const char* Name;
    const char* JpegtranOptions;
    bool (TVxJPEG::*Apply)(std::int32_t);
};

const TTransformCase TransformCases[] = {
    {"rotate90", "-rotate 90", &TVxJPEG::Rotate90Clockwise},
    {"rotate270", "-rotate 270", &TVxJPEG::Rotate90Counterclockwise},
    {"flipH", "-flip horizontal", &TVxJPEG::FlipHorizontal},
    {"flipV", "-flip vertical", &TVxJPEG::FlipVertical},
};

// What the object holds after a transform decodes as jpegtran's file does; the sampling
// cases include a partial MCU row or column on the edge that does not move.
TEST(VxJPEGPeerTest, TurnsAndFlipsEqualJpegtran)
{
    TTempFolder folder("vx-jpeg-peer");
    const TPeerCase sources[] = {
        {"t420", 64, 48, "-sample 2x2"},
        {"t422", 64, 32, "-sample 2x1"},
        {"t444", 40, 24, "-sample 1x1"},
        {"tgrey", 24, 40, "-grayscale"},
    };
    for (const TPeerCase& s : sources) {
        const std::filesystem::path jpg = PeerFile(folder, s.Name, s.Width, s.Height, s.Options);
        for (const TTransformCase& t : TransformCases) {
            SCOPED_TRACE(std::string(s.Name) + " " + t.Name);
            const std::filesystem::path peer = folder.Path() / (std::string(s.Name) + t.Name + ".jpg");
            ASSERT_TRUE(RunPeer("jpegtran -perfect " + std::string(t.JpegtranOptions) + " -outfile " + Quoted(peer) + " " + Quoted(jpg)));
            TVxJPEG jpeg;
            ASSERT_TRUE(jpeg.LoadFromMemory(ReadFileBytes(jpg)));
            ASSERT_TRUE((jpeg.*t.Apply)(0));
            EXPECT_TRUE(SamePixels(*OwnDecode(jpeg.Source()), *PeerDecode(peer)));
        }
    }
}

// A turn that would move a partial MCU to the left or top edge cannot be lossless: the
// object says so and drops the source (jpegtran -perfect refuses it too).
TEST(VxJPEGPeerTest, ImperfectTurnDropsTheSource)
{
    TTempFolder folder("vx-jpeg-peer");
    const std::filesystem::path jpg = PeerFile(folder, "imperfect", 40, 24, "-sample 2x2"); // 24 = 16 + 8
    EXPECT_FALSE(RunPeer("jpegtran -perfect -rotate 90 -outfile " + Quoted(folder.Path() / "x.jpg") + " " + Quoted(jpg)));
    TVxJPEG jpeg;
    ASSERT_TRUE(jpeg.LoadFromMemory(ReadFileBytes(jpg)));
    EXPECT_FALSE(jpeg.Rotate90Clockwise(0));
    EXPECT_FALSE(jpeg.HasSource());
}

// A block-aligned crop of the held source, saved with the pixels it decodes to, copies the
// source's coefficients: the file decodes as jpegtran's crop.
TEST(VxJPEGPeerTest, AlignedCropEqualsJpegtran)
{
    TTempFolder folder("vx-jpeg-peer");
    const std::filesystem::path jpg = PeerFile(folder, "crop", 96, 80, "-sample 2x2");
    struct TCrop { std::int32_t Left, Top, Width, Height; } crops[] = {{16, 32, 48, 32}, {0, 16, 37, 23}, {80, 64, 16, 16}};
    for (const TCrop& c : crops) {
        SCOPED_TRACE(std::to_string(c.Left) + "," + std::to_string(c.Top) + " " + std::to_string(c.Width) + "x" + std::to_string(c.Height));
        const std::filesystem::path peer = folder.Path() / "peer-crop.jpg";
        ASSERT_TRUE(RunPeer("jpegtran -crop " + std::to_string(c.Width) + "x" + std::to_string(c.Height) + "+" + std::to_string(c.Left) + "+"
                        + std::to_string(c.Top) + " -outfile " + Quoted(peer) + " " + Quoted(jpg)));
        TVxJPEG jpeg;
        TVxPixelBuffer decoded;
        ASSERT_TRUE(DecodeInto(jpeg, ReadFileBytes(jpg), decoded));
        ASSERT_EQ(jpeg.BlockWidth(), 16);
        const auto saved = SavePixels(jpeg, decoded, Bounds(c.Left, c.Top, c.Width, c.Height));
        ASSERT_TRUE(saved);
        EXPECT_TRUE(jpeg.LastSave().Transcoded);
        EXPECT_EQ(jpeg.LastSave().EncodedBlocks, 0);
        EXPECT_TRUE(SamePixels(*OwnDecode(*saved), *PeerDecode(peer)));
    }
}

// Without a source, the quality asked for is the one used: the file decodes as cjpeg's at
// that quality (the same sampling and tables give the same coefficients).
TEST(VxJPEGPeerTest, QualityEqualsCjpeg)
{
    TTempFolder folder("vx-jpeg-peer");
    const auto pictureHolder = PhotoLike(53, 41, 3);
    const TVxPixelBuffer& picture = *pictureHolder;
    WritePpm(folder.Path() / "q.ppm", picture);
    for (int quality : {10, 50, 80, 100}) {
        SCOPED_TRACE(quality);
        const std::filesystem::path peer = folder.Path() / "q.jpg";
        ASSERT_TRUE(RunPeer("cjpeg -quality " + std::to_string(quality) + " -outfile " + Quoted(peer) + " " + Quoted(folder.Path() / "q.ppm")));
        TVxJPEGSaveParameters parameters;
        parameters.Quality = quality;
        const auto own = TVxJPEG::Encode(picture.Row(0), picture.Stride(), picture.Width(), picture.Height(), parameters);
        ASSERT_TRUE(own);
        EXPECT_TRUE(SamePixels(*OwnDecode(*own), *PeerDecode(peer)));
        TVxJPEG reread;
        ASSERT_TRUE(reread.LoadFromMemory(*own));
        EXPECT_EQ(reread.SourceQuality(), quality);
    }
}

} // namespace
