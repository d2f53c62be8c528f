// The whole round trip with the real program: our test host runs VelloriaPlugin.8bf on a
// photograph, the plug-in starts the test build of Velloria in plug-in mode on the
// exchange file, the program's test probe plays an edit (a quarter turn of the square
// rectangle, then an inversion) and presses OK, and the host gets the edited pixels
// inside its rectangle and nothing changed outside it; or Cancel, and it gets nothing.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "imaging/VxGdiplus.h"
#include "plugin/FilterHost.h"
#include "plugin/PluginTestSupport.h"
#include "support/VxTempFolder.h"

namespace {

using namespace vxhost;

// The photograph as the host holds it: three planes red, green, blue, rows unpadded.
std::optional<THostImage> LoadPhotograph(const fs::path& path)
{
    const std::unique_ptr<TGPBitmap> bitmap = TGPBitmap::FromFile(path.wstring());
    if (!bitmap)
        return std::nullopt;
    THostImage image;
    image.Width = static_cast<std::int32_t>(bitmap->GetWidth());
    image.Height = static_cast<std::int32_t>(bitmap->GetHeight());
    image.Planes = 3;
    image.RowBytes = image.Width * 3;
    image.Bytes.resize(std::size_t(image.RowBytes) * std::size_t(image.Height));
    Gdiplus::BitmapData data{};
    const Gdiplus::Rect all(0, 0, image.Width, image.Height);
    if (bitmap->LockBits(all, Gdiplus::ImageLockModeRead, PixelFormat24bppRGB, data) != Gdiplus::Ok)
        return std::nullopt;
    for (std::int32_t y = 0; y < image.Height; ++y) {
        const auto* row = static_cast<const std::uint8_t*>(data.Scan0) + std::ptrdiff_t(y) * data.Stride;
        for (std::int32_t x = 0; x < image.Width; ++x) {
            image.At(x, y)[0] = row[3 * x + 2];
            image.At(x, y)[1] = row[3 * x + 1];
            image.At(x, y)[2] = row[3 * x + 0];
        }
    }
    bitmap->UnlockBits(data);
    return image;
}

fs::path AppDataFolder()
{
    wchar_t folder[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
    return folder;
}

// The test build under a name of its own (so its state file is its own) in a folder whose
// name has spaces, with its language files beside it, installed as the registry says;
// the host's temporary folder is a folder of the test.
class VelloriaPluginEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(ProgramFolder / "Languages");
        fs::copy_file(BuildPath(VELLORIA_EXE), Program);
        for (const char* file : {"English.ini", "Russian.ini"})
            fs::copy_file(BuildPath(VELLORIA_LANGUAGES) / file, ProgramFolder / "Languages" / file);
        fs::create_directories(Temp);
        ASSERT_TRUE(RegAdd(L"REG_SZ", Program.wstring()));
        const std::optional<THostImage> loaded = LoadPhotograph("Z:\\usr\\share\\backgrounds\\mate\\nature\\Garden.jpg");
        ASSERT_TRUE(loaded) << "mate-backgrounds is not installed";
        Photograph = *loaded;
        ASSERT_LE(Left + Side, Photograph.Width);
        ASSERT_LE(Top + Side, Photograph.Height);
    }
    void TearDown() override
    {
        RegRemoveKey();
        std::error_code ignored;
        fs::remove_all(AppDataFolder() / BaseName, ignored);
    }

    // Runs the filter on the photograph's square while the program's probe plays the
    // commands; the host's picture afterwards in Image, the probe's log in Log.
    std::int16_t RunFilter(const std::string& commands)
    {
        std::ofstream(Script) << commands;
        const TScopedEnvironment tmp(L"TMP", Temp.wstring());
        const TScopedEnvironment temp(L"TEMP", Temp.wstring());
        const TScopedEnvironment probe(L"VELLORIA_TEST_PROBE", ProbeLog.wstring());
        const TScopedEnvironment edit(L"VELLORIA_TEST_PROBE_SCRIPT", Script.wstring());
        Image = Photograph;
        HWND window = CreateWindowExW(0, L"STATIC", L"Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300, nullptr,
                                      nullptr, nullptr, nullptr);
        std::int16_t result = 1;
        {
            TFilterHost host(BuildPath(VELLORIA_PLUGIN));
            EXPECT_TRUE(host.Loaded());
            TBoxWatcher watcher;
            result = host.RunFilter(Image, Left, Top, Left + Side, Top + Side, window);
            Boxes = watcher.Boxes();
        }
        DestroyWindow(window);
        std::ifstream log(ProbeLog);
        Log = std::string(std::istreambuf_iterator<char>(log), std::istreambuf_iterator<char>());
        return result;
    }

    TTempFolder Folder{"vx-plugin-e2e"};
    const std::wstring BaseName = L"VxPluginRoundTrip" + std::to_wstring(GetCurrentProcessId());
    const fs::path ProgramFolder = Folder.Path() / "Velloria program";
    const fs::path Program = ProgramFolder / (BaseName + L".exe");
    const fs::path Temp = Folder.Path() / "tmp";
    const fs::path ProbeLog = Folder.Path() / "probe.log";
    const fs::path Script = Folder.Path() / "edit.txt";
    // A square, so that the turned picture fits the rectangle it came from.
    static constexpr int Left = 700, Top = 300, Side = 480;
    THostImage Photograph;
    THostImage Image;
    std::vector<TSeenBox> Boxes;
    std::string Log;
};

TEST_F(VelloriaPluginEndToEndTest, PhotographEditedInTheProgramComesBackInsideTheRectangleOnly)
{
    ASSERT_EQ(RunFilter("rotateleft\ninvert\nbutton:ok\n"), hrNoError) << Log;
    EXPECT_NE(Log.find("command rotateleft"), std::string::npos) << Log;
    EXPECT_TRUE(Boxes.empty());
    EXPECT_TRUE(fs::is_empty(Temp)) << "the exchange file stayed";

    // A quarter turn to the left: the rectangle's top-right pixel becomes its top-left,
    // pixel (x, y) of the result is (side - 1 - y, x) of the original; then inverted.
    int wrong = 0;
    for (int y = 0; y < Image.Height; ++y)
        for (int x = 0; x < Image.Width; ++x) {
            const bool inside = x >= Left && x < Left + Side && y >= Top && y < Top + Side;
            const std::uint8_t* expected = inside ? Photograph.At(Left + (Side - 1 - (y - Top)), Top + (x - Left))
                                                  : Photograph.At(x, y);
            for (int c = 0; c < 3; ++c) {
                const int want = inside ? 255 - expected[c] : expected[c];
                if (Image.At(x, y)[c] != want && wrong++ < 5)
                    ADD_FAILURE() << (inside ? "inside" : "outside") << " the rectangle, byte " << c << " of pixel (" << x
                                  << ", " << y << ") is " << int(Image.At(x, y)[c]) << ", expected " << want;
            }
        }
    EXPECT_EQ(wrong, 0);
}

TEST_F(VelloriaPluginEndToEndTest, CancelInTheProgramLeavesThePhotographAsItWas)
{
    EXPECT_EQ(RunFilter("invert\nbutton:cancel\n"), hrCanceled) << Log;
    EXPECT_NE(Log.find("command button:cancel"), std::string::npos) << Log;
    EXPECT_TRUE(Boxes.empty());
    EXPECT_TRUE(Image.Bytes == Photograph.Bytes) << "the host's picture changed";
    EXPECT_TRUE(fs::is_empty(Temp)) << "the exchange file stayed";
}

} // namespace
