// The crop tools and the original-image tool in the real program (the test build),
// driven through its probe the way a user drives them: choose the tool, pick a ratio in
// its panel, drag in the view, pull a handle, confirm with Enter, save, undo and redo.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "VxProgramDriver.h"
#include "VxProgramFixtures.h"
#include "tools/VxBrushShapes.h"

namespace {

using namespace vxtest;

constexpr ULONG_PTR prbCommand = 0x444E4D43;
constexpr ULONG_PTR prbQuery = 0x59524551;
constexpr int Width = 300;
constexpr int Height = 200;

class TProgram : public TProgramDriver {
public:
    explicit TProgram(const std::string& name) : TProgramDriver(L"VxTools", name, 20000) {}

    bool Command(const std::wstring& text) { return Send(prbCommand, text.data(), text.size() * sizeof(wchar_t)); }

    std::map<std::string, std::string> State()
    {
        if (!Send(prbQuery))
            return {};
        std::istringstream lines(Log());
        std::string last;
        for (std::string line; std::getline(lines, line);)
            if (line.rfind("state ", 0) == 0)
                last = line;
        return ParseState(last);
    }

    // Opens a generated picture at actual size and learns where its origin lies.
    void OpenPicture(const std::wstring& name = L"crop.bmp")
    {
        Picture = Folder() / L"pictures" / name;
        WriteBmp(Picture, Width, Height);
        ASSERT_TRUE(Start(Picture.wstring()));
        auto state = State();
        ASSERT_EQ(state["zoom"], "1/1");
        const std::string origin = state["origin"];
        const std::size_t comma = origin.find(',');
        Origin = {std::stoi(origin.substr(0, comma)), std::stoi(origin.substr(comma + 1))};
    }

    // A mouse message at an image point (the picture is shown at 1/1).
    bool Mouse(const std::wstring& kind, int x, int y)
    {
        return Command(L"mouse:" + kind + L"," + std::to_wstring(x + Origin.x) + L"," + std::to_wstring(y + Origin.y));
    }
    bool Drag(int fromX, int fromY, int toX, int toY)
    {
        return Mouse(L"down", fromX, fromY) && Mouse(L"drag", (fromX + toX) / 2, (fromY + toY) / 2) &&
               Mouse(L"drag", toX, toY) && Mouse(L"up", toX, toY);
    }

    std::vector<HWND> Boxes() const
    {
        return Windows([](HWND window, const std::wstring& className) {
            return IsWindowVisible(window) && className == L"#32770";
        });
    }
    bool Ended(DWORD timeoutMs) { return WaitForEnd(timeoutMs) != STILL_ACTIVE; }

    fs::path Picture;
    POINT Origin{};
};

struct TBmp {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t> Rgb; // top-down, 3 bytes a pixel: R, G, B
};

// Reads a 24- or 32-bit uncompressed BMP as GDI+ writes it.
TBmp ReadBmp(const fs::path& path)
{
    const std::string file = ReadAll(path);
    TBmp bmp;
    if (file.size() < 54 || file[0] != 'B' || file[1] != 'M')
        return bmp;
    auto get32 = [&](std::size_t at) {
        std::int32_t v = 0;
        std::memcpy(&v, file.data() + at, 4);
        return v;
    };
    const std::int32_t offset = get32(10);
    bmp.Width = get32(18);
    const std::int32_t height = get32(22);
    bmp.Height = height < 0 ? -height : height;
    const int bits = static_cast<std::uint8_t>(file[28]) | (static_cast<std::uint8_t>(file[29]) << 8);
    const int bytes = bits / 8;
    if (bytes != 3 && bytes != 4)
        return TBmp{};
    const std::size_t stride = (static_cast<std::size_t>(bmp.Width) * bytes + 3) & ~std::size_t{3};
    if (file.size() < offset + stride * bmp.Height)
        return TBmp{};
    bmp.Rgb.resize(static_cast<std::size_t>(bmp.Width) * bmp.Height * 3);
    for (int y = 0; y < bmp.Height; ++y) {
        const int row = height < 0 ? y : bmp.Height - 1 - y;
        const char* p = file.data() + offset + stride * row;
        for (int x = 0; x < bmp.Width; ++x)
            for (int c = 0; c < 3; ++c)
                bmp.Rgb[(static_cast<std::size_t>(y) * bmp.Width + x) * 3 + c] =
                    static_cast<std::uint8_t>(p[x * bytes + 2 - c]);
    }
    return bmp;
}

// Every pixel of bmp is the generated picture's pixel at (x + dx, y + dy).
testing::AssertionResult ShowsGeneratedPart(const TBmp& bmp, int dx, int dy)
{
    for (int y = 0; y < bmp.Height; ++y)
        for (int x = 0; x < bmp.Width; ++x) {
            const std::uint8_t* p = &bmp.Rgb[(static_cast<std::size_t>(y) * bmp.Width + x) * 3];
            const int sx = x + dx;
            const int sy = y + dy;
            const std::uint8_t expected[3] = {static_cast<std::uint8_t>(sx), static_cast<std::uint8_t>(sy),
                                              static_cast<std::uint8_t>(sx + sy)};
            if (std::memcmp(p, expected, 3) != 0)
                return testing::AssertionFailure()
                       << "pixel " << x << "," << y << " is " << int(p[0]) << "," << int(p[1]) << "," << int(p[2])
                       << ", expected " << int(expected[0]) << "," << int(expected[1]) << "," << int(expected[2]);
        }
    return testing::AssertionSuccess();
}

// The main window as the screen shows it, written as a BMP into the build's screenshots.
void SaveScreenshot(HWND window, const std::wstring& name)
{
    // The program paints when its queue is empty, after the command that changed the view.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    RECT r{};
    GetWindowRect(window, &r);
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const fs::path folder = HostPath(VELLORIA_SCREENSHOTS);
    fs::create_directories(folder);
    const std::uint32_t stride = static_cast<std::uint32_t>((w * 3 + 3) & ~3);
    const std::uint32_t size = stride * static_cast<std::uint32_t>(h);
    BITMAPFILEHEADER header{0x4D42, 54 + size, 0, 0, 54};
    std::ofstream out(folder / (name + L".bmp"), std::ios::binary);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    out.write(static_cast<const char*>(bits), size);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

// Ends a run whose picture may be changed, answering "No" to the save question.
void CloseDiscarding(TProgram& program)
{
    PostMessageW(program.Window(), WM_CLOSE, 0, 0);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < end) {
        const auto boxes = program.Boxes();
        for (HWND box : boxes)
            PostMessageW(box, WM_COMMAND, IDNO, 0);
        if (program.Ended(200))
            return;
    }
    EXPECT_EQ(program.Stop(), 0u);
}

} // namespace

TEST(VxToolsEndToEndTest, CropToAPrintRatioWithAHandleEnterSaveUndoRedo)
{
    TProgram program("Crop");
    program.OpenPicture();
    ASSERT_TRUE(program.Command(L"run:CROP"));
    auto state = program.State();
    EXPECT_EQ(state["tool"], "Crop");
    EXPECT_EQ(state["crop"], "0:0,0,0,0");

    // Print formats, "3x2 (6x9 9x6 15x10 30x20 45x30)".
    ASSERT_TRUE(program.Command(L"cropratio:1,6"));
    EXPECT_EQ(program.State()["ratio"], "3:2");

    // Down and right to a height of 101: 50 units of 3 x 2, whatever the width.
    ASSERT_TRUE(program.Drag(20, 30, 220, 131));
    state = program.State();
    EXPECT_EQ(state["crop"], "2:20,30,170,130");
    EXPECT_EQ(state["cropboxes"], "150,100");
    EXPECT_EQ(state["undo-enabled"], "0"); // a ready rectangle holds the history still

    // The bottom-right handle 31 pixels down and right: the height decides again.
    ASSERT_TRUE(program.Drag(170, 130, 201, 161));
    state = program.State();
    EXPECT_EQ(state["crop"], "2:20,30,215,160");
    EXPECT_EQ(state["cropboxes"], "195,130");
    SaveScreenshot(program.Window(), L"crop-ready");

    ASSERT_TRUE(program.Command(L"key:13"));
    state = program.State();
    EXPECT_EQ(state["crop"], "0:0,0,0,0");
    EXPECT_EQ(state["picture"], "195x130");
    EXPECT_EQ(state["original"], "195x130");
    EXPECT_EQ(state["undo"], "1/1");
    EXPECT_EQ(state["modified"], "1");

    const fs::path saved = program.Folder() / L"pictures" / L"cropped.bmp";
    ASSERT_TRUE(program.Command(L"saveas:" + saved.wstring()));
    ASSERT_TRUE(program.WaitForLog("saved 1", 10000));
    const TBmp bmp = ReadBmp(saved);
    ASSERT_EQ(bmp.Width, 195);
    ASSERT_EQ(bmp.Height, 130);
    EXPECT_TRUE(ShowsGeneratedPart(bmp, 20, 30));

    ASSERT_TRUE(program.Command(L"menu:undo"));
    state = program.State();
    EXPECT_EQ(state["picture"], "300x200");
    EXPECT_EQ(state["original"], "300x200");
    EXPECT_EQ(state["undo"], "0/1");
    const fs::path restored = program.Folder() / L"pictures" / L"restored.bmp";
    ASSERT_TRUE(program.Command(L"saveas:" + restored.wstring()));
    const TBmp whole = ReadBmp(restored);
    ASSERT_EQ(whole.Width, Width);
    ASSERT_EQ(whole.Height, Height);
    EXPECT_TRUE(ShowsGeneratedPart(whole, 0, 0));

    ASSERT_TRUE(program.Command(L"menu:redo"));
    state = program.State();
    EXPECT_EQ(state["picture"], "195x130");
    EXPECT_EQ(state["undo"], "1/1");
    CloseDiscarding(program);
}

TEST(VxToolsEndToEndTest, ClicksOutsideInsideAndWithTheRightButton)
{
    TProgram program("Clicks");
    program.OpenPicture();
    ASSERT_TRUE(program.Command(L"run:CROP"));
    // Outside the picture nothing starts.
    ASSERT_TRUE(program.Mouse(L"down", -3, -3));
    ASSERT_TRUE(program.Mouse(L"up", -3, -3));
    EXPECT_EQ(program.State()["crop"], "0:0,0,0,0");

    // A click without a move leaves one pixel, ready.
    ASSERT_TRUE(program.Mouse(L"down", 40, 50));
    ASSERT_TRUE(program.Mouse(L"up", 40, 50));
    EXPECT_EQ(program.State()["crop"], "2:40,50,41,51");

    ASSERT_TRUE(program.Command(L"key:27"));
    ASSERT_TRUE(program.Drag(40, 50, 140, 150));
    EXPECT_EQ(program.State()["crop"], "2:40,50,140,150");
    // The right button inside the rectangle does nothing; outside it cancels.
    ASSERT_TRUE(program.Mouse(L"rdown", 90, 100));
    ASSERT_TRUE(program.Mouse(L"rup", 90, 100));
    EXPECT_EQ(program.State()["crop"], "2:40,50,140,150");
    ASSERT_TRUE(program.Mouse(L"rdown", 250, 180));
    ASSERT_TRUE(program.Mouse(L"rup", 250, 180));
    auto state = program.State();
    EXPECT_EQ(state["crop"], "0:0,0,0,0");
    EXPECT_EQ(state["undo"], "0/0");
    EXPECT_EQ(state["picture"], "300x200");

    // The width box: bad texts never empty the rectangle, and the box shows what applies.
    ASSERT_TRUE(program.Drag(40, 50, 140, 150));
    for (const auto& [text, rect, boxes] :
         {std::tuple{L"120", "2:40,50,160,150", "120,100"}, std::tuple{L"0", "2:40,50,41,150", "1,100"},
          std::tuple{L"99999", "2:40,50,41,150", "1,100"}, std::tuple{L"abc", "2:40,50,41,150", "1,100"},
          std::tuple{L"290", "2:10,50,300,150", "290,100"}}) {
        SCOPED_TRACE(rect);
        ASSERT_TRUE(program.Command(std::wstring(L"cropbox:w,") + text));
        state = program.State();
        EXPECT_EQ(state["crop"], rect);
        EXPECT_EQ(state["cropboxes"], boxes);
    }

    // A left click outside the rectangle crops.
    ASSERT_TRUE(program.Mouse(L"down", 5, 5));
    ASSERT_TRUE(program.Mouse(L"up", 5, 5));
    state = program.State();
    EXPECT_EQ(state["picture"], "290x100");
    EXPECT_EQ(state["undo"], "1/1");
    CloseDiscarding(program);
}

TEST(VxToolsEndToEndTest, ACollapsedRectangleCancelsInsteadOfCroppingNothing)
{
    TProgram program("Collapsed");
    program.OpenPicture();
    ASSERT_TRUE(program.Command(L"run:CROP"));
    ASSERT_TRUE(program.Drag(10, 10, 110, 110));
    ASSERT_TRUE(program.Command(L"key:13"));
    ASSERT_TRUE(program.Command(L"menu:undo"));
    auto before = program.State();
    ASSERT_EQ(before["undo"], "0/1");
    ASSERT_EQ(before["picture"], "300x200");

    // A 3 : 2 drag that ends level with its start leaves no rectangle at all.
    ASSERT_TRUE(program.Command(L"cropratio:1,6"));
    ASSERT_TRUE(program.Drag(50, 50, 150, 50));
    EXPECT_EQ(program.State()["crop"], "2:0,0,0,0");
    ASSERT_TRUE(program.Mouse(L"down", 250, 180));
    ASSERT_TRUE(program.Mouse(L"up", 250, 180));
    auto after = program.State();
    EXPECT_EQ(after["crop"], "0:0,0,0,0");
    EXPECT_EQ(after["undo"], "0/1"); // the redo step survives
    EXPECT_EQ(after["modified"], before["modified"]);
    EXPECT_EQ(after["picture"], "300x200");
    CloseDiscarding(program);
}

TEST(VxToolsEndToEndTest, HoldingOWithTheCropToolKeepsItsRectangle)
{
    TProgram program("Original");
    program.OpenPicture();
    ASSERT_TRUE(program.Command(L"run:CROP"));
    ASSERT_TRUE(program.Drag(30, 40, 130, 140));
    ASSERT_EQ(program.State()["crop"], "2:30,40,130,140");

    ASSERT_TRUE(program.Command(L"keydown:79"));
    EXPECT_EQ(program.State()["tool"], "OriginalImage");
    // The key repeats while it is held; the tool must not take itself for the user's.
    ASSERT_TRUE(program.Command(L"keyrepeat:79"));
    ASSERT_TRUE(program.Command(L"keyrepeat:79"));
    EXPECT_EQ(program.State()["tool"], "OriginalImage");
    SaveScreenshot(program.Window(), L"original-held");
    ASSERT_TRUE(program.Command(L"keyup:79"));
    auto state = program.State();
    EXPECT_EQ(state["tool"], "Crop");
    EXPECT_EQ(state["crop"], "2:30,40,130,140");
    ASSERT_TRUE(program.Command(L"key:13"));
    EXPECT_EQ(program.State()["picture"], "100x100");
    CloseDiscarding(program);
}

TEST(VxToolsEndToEndTest, PlainCropToolConfirmsWithItsButtons)
{
    TProgram program("Plain");
    program.OpenPicture();
    ASSERT_TRUE(program.Command(L"run:PLAINCROP"));
    EXPECT_EQ(program.State()["tool"], "CropPlain");
    // A drag past the picture's edge is cut to it.
    ASSERT_TRUE(program.Drag(200, 100, 400, 300));
    EXPECT_EQ(program.State()["plaincrop"], "2:200,100,300,200");
    ASSERT_TRUE(program.Command(L"plaincrop:cancel"));
    EXPECT_EQ(program.State()["plaincrop"], "0:0,0,0,0");
    ASSERT_TRUE(program.Drag(200, 100, 400, 300));
    ASSERT_TRUE(program.Command(L"plaincrop:ok"));
    auto state = program.State();
    EXPECT_EQ(state["picture"], "100x100");
    EXPECT_EQ(state["undo"], "1/1");
    CloseDiscarding(program);
}

namespace {

// The status bar's "X|Y|W|H|R|G|B" values as numbers.
std::vector<int> StatusValues(const std::string& status)
{
    std::vector<int> values;
    std::istringstream parts(status);
    for (std::string part; std::getline(parts, part, '|');)
        values.push_back(part.empty() ? -1 : std::stoi(part));
    return values;
}

} // namespace

TEST(VxToolsEndToEndTest, BrushStrokeKeepsTheLargerWeightAndSizeKeysKeepTheLimits)
{
    TProgram program("Brush");
    program.OpenPicture();
    ASSERT_TRUE(program.Command(L"run:PROBEBRUSH"));
    auto state = program.State();
    ASSERT_EQ(state["tool"], "ProbeBrush");
    EXPECT_EQ(state["brush"], "10");

    // Page Up to the largest size and once more; Page Down back.
    for (int i = 0; i < 41; ++i)
        ASSERT_TRUE(program.Command(L"key:33"));
    EXPECT_EQ(program.State()["brush"], "50");
    for (int i = 0; i < 40; ++i)
        ASSERT_TRUE(program.Command(L"key:34"));
    EXPECT_EQ(program.State()["brush"], "10");

    // Out and back along a row: the pixels near the start are stamped twice.
    ASSERT_TRUE(program.Mouse(L"move", 100, 100));
    ASSERT_TRUE(program.Mouse(L"down", 100, 100));
    for (int x : {110, 120, 110, 100})
        ASSERT_TRUE(program.Mouse(L"drag", x, 100));
    ASSERT_TRUE(program.Mouse(L"up", 100, 100));
    state = program.State();
    EXPECT_EQ(state["undo"], "1/1");

    TVxPixelMask brush;
    BuildLinearBrush(brush, 10, 128, 255);
    for (const auto& [x, y] : {std::pair{100, 100}, std::pair{100, 104}, std::pair{98, 97}, std::pair{104, 103}}) {
        SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
        ASSERT_TRUE(program.Mouse(L"move", x, y));
        const std::vector<int> status = StatusValues(program.State()["status"]);
        ASSERT_EQ(status.size(), 7u);
        // Only the stamps at x = 100 reach these pixels; twice over keeps one weight.
        const int w = *brush.ValueAt(x - 100 + 5, y - 100 + 5);
        const int source[3] = {x & 255, y & 255, (x + y) & 255};
        const int paint[3] = {255, 0, 0};
        for (int c = 0; c < 3; ++c) {
            const int expected = w == 255 ? paint[c] : source[c] + ((w * (paint[c] - source[c])) >> 8);
            EXPECT_EQ(status[4 + c], expected) << "channel " << c << " weight " << w;
        }
    }

    ASSERT_TRUE(program.Command(L"menu:undo"));
    ASSERT_TRUE(program.Mouse(L"move", 100, 100));
    const std::vector<int> status = StatusValues(program.State()["status"]);
    ASSERT_EQ(status.size(), 7u);
    EXPECT_EQ(status[4], 100);
    EXPECT_EQ(status[5], 100);
    EXPECT_EQ(status[6], 200);
    CloseDiscarding(program);
}

TEST(VxToolsEndToEndTest, BrushOutlineOverAPhotograph)
{
    const fs::path photo = HostPath("/usr/share/backgrounds/mate/nature/Garden.jpg");
    if (!fs::exists(photo))
        GTEST_SKIP() << "mate-backgrounds is not installed";
    TProgram program("Outline");
    ASSERT_TRUE(program.Start(photo.wstring()));
    ASSERT_TRUE(program.Command(L"run:PROBEBRUSH"));
    for (int i = 0; i < 30; ++i)
        ASSERT_TRUE(program.Command(L"key:33"));
    auto state = program.State();
    EXPECT_EQ(state["brush"], "40");
    const std::string client = state["client"];
    const int cx = std::stoi(client.substr(0, client.find(','))) / 2;
    const int cy = std::stoi(client.substr(client.find(',') + 1)) / 2;
    ASSERT_TRUE(program.Command(L"mouse:move," + std::to_wstring(cx) + L"," + std::to_wstring(cy)));
    SaveScreenshot(program.Window(), L"brush-outline");
    EXPECT_EQ(program.State()["undo"], "0/0"); // moving paints nothing
    CloseDiscarding(program);
}

namespace {

// The generated picture with a dark wire, two pixels thick, along rows WireRow and
// WireRow + 1.
constexpr int WireRow = 100;

void WriteWireBmp(const fs::path& path)
{
    WriteBmp(path, Width, Height);
    std::string file = ReadAll(path);
    const std::size_t stride = (Width * 3 + 3) & ~3;
    for (int y = WireRow; y < WireRow + 2; ++y)
        std::memset(&file[54 + stride * (Height - 1 - y)], 0x08, Width * 3);
    std::ofstream(path, std::ios::binary).write(file.data(), static_cast<std::streamsize>(file.size()));
}

bool IsWire(const TBmp& bmp, int x, int y)
{
    const std::uint8_t* p = &bmp.Rgb[(static_cast<std::size_t>(y) * bmp.Width + x) * 3];
    return p[0] == 8 && p[1] == 8 && p[2] == 8;
}

} // namespace

TEST(VxToolsEndToEndTest, HandInpaintingCoversAWireInTwoClicksSaveUndo)
{
    TProgram program("HandInpainting");
    program.Picture = program.Folder() / L"pictures" / L"wire.bmp";
    WriteWireBmp(program.Picture);
    ASSERT_TRUE(program.Start(program.Picture.wstring()));
    auto state = program.State();
    ASSERT_EQ(state["zoom"], "1/1");
    const std::string origin = state["origin"];
    program.Origin = {std::stoi(origin.substr(0, origin.find(','))), std::stoi(origin.substr(origin.find(',') + 1))};

    ASSERT_TRUE(program.Command(L"run:HANDINPAINTING"));
    state = program.State();
    EXPECT_EQ(state["tool"], "HandInpainting");
    EXPECT_EQ(state["inpaint"], "0:0,25");

    // The first click fixes the wire under the brush and changes nothing yet.
    ASSERT_TRUE(program.Mouse(L"move", 100, WireRow));
    ASSERT_TRUE(program.Mouse(L"down", 100, WireRow));
    ASSERT_TRUE(program.Mouse(L"up", 100, WireRow));
    EXPECT_EQ(program.State()["inpaint"].substr(0, 2), "1:");
    // The pointer over a clean place above: the patch shows live.
    ASSERT_TRUE(program.Mouse(L"move", 100, 60));
    ASSERT_TRUE(program.Mouse(L"move", 101, 55));
    EXPECT_EQ(program.State()["undo"], "0/0");
    SaveScreenshot(program.Window(), L"hand-inpainting-live");

    ASSERT_TRUE(program.Mouse(L"down", 101, 55));
    ASSERT_TRUE(program.Mouse(L"up", 101, 55));
    state = program.State();
    EXPECT_EQ(state["inpaint"].substr(0, 2), "0:");
    EXPECT_EQ(state["undo"], "1/1");
    SaveScreenshot(program.Window(), L"hand-inpainting-kept");

    const fs::path saved = program.Folder() / L"pictures" / L"repaired.bmp";
    ASSERT_TRUE(program.Command(L"saveas:" + saved.wstring()));
    ASSERT_TRUE(program.WaitForLog("saved 1", 10000));
    const TBmp repaired = ReadBmp(saved);
    const TBmp original = ReadBmp(program.Picture);
    ASSERT_EQ(repaired.Width, Width);
    ASSERT_EQ(repaired.Height, Height);
    // The wire is gone well inside the brush; everything outside its square is as it was.
    const TRect square = BrushRect(TPoint{100, WireRow}, 25);
    for (int x = 92; x <= 108; ++x)
        for (int y = WireRow; y < WireRow + 2; ++y)
            EXPECT_FALSE(IsWire(repaired, x, y)) << "wire left at " << x << "," << y;
    int changedOutside = 0;
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x)
            if (!square.Contains(x, y))
                changedOutside += std::memcmp(&repaired.Rgb[(static_cast<std::size_t>(y) * Width + x) * 3],
                                              &original.Rgb[(static_cast<std::size_t>(y) * Width + x) * 3], 3) != 0;
    EXPECT_EQ(changedOutside, 0);

    ASSERT_TRUE(program.Command(L"menu:undo"));
    EXPECT_EQ(program.State()["undo"], "0/1");
    const fs::path restored = program.Folder() / L"pictures" / L"restored.bmp";
    ASSERT_TRUE(program.Command(L"saveas:" + restored.wstring()));
    const TBmp back = ReadBmp(restored);
    ASSERT_EQ(back.Rgb.size(), original.Rgb.size());
    EXPECT_TRUE(back.Rgb == original.Rgb) << "undo does not restore the picture exactly";

    // A first click, a move and Escape: the picture is back and the redo step survives.
    ASSERT_TRUE(program.Mouse(L"move", 150, WireRow));
    ASSERT_TRUE(program.Mouse(L"down", 150, WireRow));
    ASSERT_TRUE(program.Mouse(L"up", 150, WireRow));
    ASSERT_TRUE(program.Mouse(L"move", 150, 150));
    ASSERT_TRUE(program.Command(L"key:27"));
    state = program.State();
    EXPECT_EQ(state["inpaint"].substr(0, 2), "0:");
    EXPECT_EQ(state["undo"], "0/1");
    const fs::path cancelled = program.Folder() / L"pictures" / L"cancelled.bmp";
    ASSERT_TRUE(program.Command(L"saveas:" + cancelled.wstring()));
    EXPECT_TRUE(ReadBmp(cancelled).Rgb == original.Rgb) << "Escape does not restore the picture exactly";
    CloseDiscarding(program);
}
