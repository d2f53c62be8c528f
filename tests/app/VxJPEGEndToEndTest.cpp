// The real program under Wine with JPEG files: a camera file opens through the JPEG
// library object, a quarter turn and Save As write the turned coefficients with the
// file's EXIF block kept (orientation reset, thumbnail unlinked) and no quality asked; a
// .VXI file is restored for reading and scrambled again.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "VxProgramDriver.h"
#include "editor/VxCameraExif.h"
#include "editor/VxJPEGTestSupport.h"
#include "support/VxPixelCompare.h"
#include "support/VxTestPictures.h"

namespace {

using namespace vxtest;

constexpr ULONG_PTR prbCommand = 0x444E4D43; // the probe's command code, as VxTestProbe.h gives it

class TJpegProgram : public TProgramDriver {
public:
    explicit TJpegProgram(const std::string& name) : TProgramDriver(L"VxJpeg", name, 20000) {}
    fs::path Pictures() const { return Folder() / L"pictures"; }
    bool Command(const std::wstring& text) { return Send(prbCommand, text.data(), text.size() * sizeof(wchar_t)); }
};

std::vector<std::uint8_t> Photo(std::int32_t width, std::int32_t height, int quality)
{
    TVxPixelBuffer picture(fmtBGR24, TRect{0, 0, width, height});
    FillPhotoLike(picture, 21);
    TVxJPEGSaveParameters parameters;
    parameters.Quality = quality;
    return TVxJPEG::Encode(picture.Row(0), picture.Stride(), width, height, parameters).value_or(std::vector<std::uint8_t>{});
}

std::unique_ptr<TVxPixelBuffer> Decoded(const std::vector<std::uint8_t>& bytes)
{
    TVxJPEG jpeg;
    auto picture = std::make_unique<TVxPixelBuffer>();
    EXPECT_TRUE(DecodeInto(jpeg, bytes, *picture));
    return picture;
}

TEST(VxJPEGEndToEndTest, TurnAndSaveWriteTheTurnedCoefficientsAndKeepExif)
{
    TJpegProgram program("Turn");
    fs::create_directories(program.Pictures());
    const TCameraExif exif = CameraExif(CameraLayouts[1], 6);
    const std::vector<std::uint8_t> file = WithExif(Photo(320, 240, 88), exif.Tiff);
    const fs::path source = program.Pictures() / L"camera.jpg";
    WriteFileBytes(source, file);
    ASSERT_TRUE(program.Start(source.wstring()));
    ASSERT_TRUE(program.Command(L"rotateright"));
    const fs::path target = program.Pictures() / L"turned.jpg";
    ASSERT_TRUE(program.Command(L"saveas:" + target.wstring()));
    EXPECT_TRUE(program.WaitForLog("saved 1"));
    EXPECT_EQ(program.Stop(), 0u);

    const std::vector<std::uint8_t> saved = ReadFileBytes(target);
    TVxJPEG alone;
    ASSERT_TRUE(alone.LoadFromMemory(file));
    ASSERT_TRUE(alone.Rotate90Clockwise(0));
    EXPECT_TRUE(SamePixels(*Decoded(saved), *Decoded(alone.Source())));
    const auto block = ExifOf(saved);
    ASSERT_TRUE(block);
    TTiffBuilder expected(exif.Motorola);
    expected.Bytes = exif.Tiff;
    expected.Put16(exif.OrientationValue, 1);
    expected.Put32(exif.Ifd1Link, 0);
    EXPECT_EQ(*block, expected.Bytes);
}

TEST(VxJPEGEndToEndTest, VxiOpensThroughTheLibraryAndStaysScrambled)
{
    TJpegProgram program("Vxi");
    fs::create_directories(program.Pictures());
    std::vector<std::uint8_t> bytes = Photo(96, 64, 80);
    const std::vector<std::uint8_t> plain = bytes;
    for (std::size_t i = 0; i < 16; ++i)
        bytes[i] = static_cast<std::uint8_t>(~bytes[i]);
    const fs::path vxi = program.Pictures() / L"own.vxi";
    WriteFileBytes(vxi, bytes);
    ASSERT_TRUE(program.Start(vxi.wstring()));
    const fs::path copy = program.Pictures() / L"copy.jpg";
    ASSERT_TRUE(program.Command(L"saveas:" + copy.wstring()));
    EXPECT_TRUE(program.WaitForLog("saved 1"));
    EXPECT_EQ(program.Stop(), 0u);
    EXPECT_EQ(ReadFileBytes(vxi), bytes);
    // Nothing was changed: the copy is the restored stream itself.
    EXPECT_EQ(ReadFileBytes(copy), plain);
}

} // namespace
