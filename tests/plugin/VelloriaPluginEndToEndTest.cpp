// The whole round trip with the real program: our test host runs VelloriaPlugin.8bf on a
// photograph, the plug-in starts the test build of Velloria in plug-in mode on the
// exchange file, the program's test probe plays an edit (a quarter turn of the square
// rectangle, then an inversion) and presses OK, and the host gets the edited pixels
// inside its rectangle and nothing changed outside it.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <fstream>
#include <iterator>
#include <string>

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

TEST(VelloriaPluginEndToEndTest, PhotographEditedInTheProgramComesBackInsideTheRectangleOnly)
{
    TTempFolder folder("vx-plugin-e2e");
    // The program under a name of its own (so its state file is its own) in a folder
    // whose name has spaces, with its language files beside it.
    const std::wstring baseName = L"VxPluginRoundTrip" + std::to_wstring(GetCurrentProcessId());
    const fs::path programFolder = folder.Path() / "Velloria program";
    const fs::path program = programFolder / (baseName + L".exe");
    fs::create_directories(programFolder / "Languages");
    fs::copy_file(BuildPath(VELLORIA_EXE), program);
    for (const char* file : {"English.ini", "Russian.ini"})
        fs::copy_file(BuildPath(VELLORIA_LANGUAGES) / file, programFolder / "Languages" / file);
    const fs::path temp = folder.Path() / "tmp";
    fs::create_directories(temp);
    const fs::path probeLog = folder.Path() / "probe.log";
    const fs::path script = folder.Path() / "edit.txt";
    std::ofstream(script) << "rotateleft\ninvert\nbutton:ok\n";

    ASSERT_TRUE(RegAdd(L"REG_SZ", program.wstring()));
    const TScopedEnvironment tmp(L"TMP", temp.wstring());
    const TScopedEnvironment tempVariable(L"TEMP", temp.wstring());
    const TScopedEnvironment probe(L"VELLORIA_TEST_PROBE", probeLog.wstring());
    const TScopedEnvironment edit(L"VELLORIA_TEST_PROBE_SCRIPT", script.wstring());

    const std::optional<THostImage> photograph = LoadPhotograph("Z:\\usr\\share\\backgrounds\\mate\\nature\\Garden.jpg");
    ASSERT_TRUE(photograph) << "mate-backgrounds is not installed";
    THostImage image = *photograph;
    // A square, so that the turned picture fits the rectangle it came from.
    const int left = 700, top = 300, side = 480;
    ASSERT_LE(left + side, image.Width);
    ASSERT_LE(top + side, image.Height);

    HWND window = CreateWindowExW(0, L"STATIC", L"Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300, nullptr,
                                  nullptr, nullptr, nullptr);
    std::int16_t result = 1;
    std::vector<TSeenBox> boxes;
    {
        TFilterHost host(BuildPath(VELLORIA_PLUGIN));
        ASSERT_TRUE(host.Loaded());
        TBoxWatcher watcher;
        result = host.RunFilter(image, left, top, left + side, top + side, window);
        boxes = watcher.Boxes();
    }
    DestroyWindow(window);
    RegRemoveKey();
    std::error_code ignored;
    fs::remove_all(AppDataFolder() / baseName, ignored);

    const std::string log(std::istreambuf_iterator<char>(std::ifstream(probeLog).rdbuf()), {});
    EXPECT_NE(log.find("command rotateleft"), std::string::npos) << log;
    EXPECT_NE(log.find("command button:ok"), std::string::npos) << log;
    ASSERT_EQ(result, hrNoError) << log;
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(fs::is_empty(temp)) << "the exchange file stayed";

    // A quarter turn to the left: the rectangle's top-right pixel becomes its top-left,
    // pixel (x, y) of the result is (side - 1 - y, x) of the original; then inverted.
    int wrong = 0;
    for (int y = 0; y < image.Height; ++y)
        for (int x = 0; x < image.Width; ++x) {
            const bool inside = x >= left && x < left + side && y >= top && y < top + side;
            const std::uint8_t* expected = inside ? photograph->At(left + (side - 1 - (y - top)), top + (x - left))
                                                  : photograph->At(x, y);
            for (int c = 0; c < 3; ++c) {
                const int want = inside ? 255 - expected[c] : expected[c];
                if (image.At(x, y)[c] != want && wrong++ < 5)
                    ADD_FAILURE() << (inside ? "inside" : "outside") << " the rectangle, byte " << c << " of pixel (" << x
                                  << ", " << y << ") is " << int(image.At(x, y)[c]) << ", expected " << want;
            }
        }
    EXPECT_EQ(wrong, 0);
}

} // namespace
