// The filter plug-in as a host sees it: a host of our own loads VelloriaPlugin.8bf,
// reads its property list, calls About and runs the filter on pictures in memory, with a
// stand-in for the main program (PluginStub.cpp) that edits, cancels, crashes or leaves
// a damaged result. The registry value the installer would write is set by each test.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <optional>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "plugin/FilterHost.h"
#include "plugin/PluginTestSupport.h"
#include "support/VxTempFolder.h"

namespace {

using namespace vxhost;

const fs::path PluginFile() { return BuildPath(VELLORIA_PLUGIN); }

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// Compares two pictures of one layout; names the first byte that differs.
testing::AssertionResult SameBytes(const THostImage& actual, const THostImage& expected)
{
    for (std::size_t i = 0; i < expected.Bytes.size(); ++i)
        if (actual.Bytes[i] != expected.Bytes[i]) {
            const std::size_t y = i / std::size_t(expected.RowBytes);
            const std::size_t column = i % std::size_t(expected.RowBytes);
            return testing::AssertionFailure() << "byte " << column % std::size_t(expected.Planes) << " of pixel ("
                                               << column / std::size_t(expected.Planes) << ", " << y << ") is "
                                               << int(actual.Bytes[i]) << ", expected " << int(expected.Bytes[i]);
        }
    return testing::AssertionSuccess();
}

// The picture after an inverting edit of the rectangle: colour bytes inverted, further
// planes and everything outside the rectangle (row padding too) as it was.
THostImage InvertedInside(const THostImage& before, int left, int top, int right, int bottom)
{
    THostImage after = before;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            for (int c = 0; c < 3; ++c)
                after.At(x, y)[c] = static_cast<std::uint8_t>(255 - before.At(x, y)[c]);
    return after;
}

class VelloriaPluginTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(Temp);
        fs::create_directories(StubFolder);
        fs::copy_file(BuildPath(VELLORIA_STUB), StubPath);
        Window = CreateWindowExW(0, L"STATIC", L"Test host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200, nullptr,
                                 nullptr, nullptr, nullptr);
        ASSERT_TRUE(Window);
        HostVariable.emplace(L"VELLORIA_STUB_HOST", std::to_wstring(reinterpret_cast<std::intptr_t>(Window)));
        ASSERT_TRUE(RegAdd(L"REG_SZ", StubPath.wstring()));
    }
    void TearDown() override
    {
        RegRemoveKey();
        if (Window)
            DestroyWindow(Window);
    }

    // One run of the filter with the stub doing mode; the boxes it showed in Boxes.
    std::int16_t Run(const wchar_t* mode, THostImage& image, int left, int top, int right, int bottom,
                     THostRefusal refusal = THostRefusal::None, std::int16_t imageMode = hmRGB)
    {
        TScopedEnvironment stub(L"VELLORIA_STUB", mode);
        TFilterHost host(PluginFile());
        EXPECT_TRUE(host.Loaded());
        TBoxWatcher watcher;
        const std::int16_t result = host.RunFilter(image, left, top, right, bottom, Window, refusal, imageMode);
        Boxes = watcher.Boxes();
        ContinueCalls = host.ContinueCalls();
        RequestsCleared = host.RequestsClearedAfterStart();
        return result;
    }

    bool TempFolderEmpty() const { return fs::is_empty(Temp); }

    // The stub's log as name=value lines; empty when it never ran.
    std::map<std::string, std::string> StubLog() const
    {
        std::map<std::string, std::string> values;
        std::ifstream log(LogPath);
        for (std::string line; std::getline(log, line);)
            if (const std::size_t eq = line.find('='); eq != std::string::npos)
                values[line.substr(0, eq)] = line.substr(eq + 1);
        return values;
    }

    TTempFolder Folder{"vx-plugin"};
    const fs::path Temp = Folder.Path() / "tmp";
    const fs::path StubFolder = Folder.Path() / "Velloria stub folder";
    const fs::path StubPath = StubFolder / "Velloria Stub.exe";
    const fs::path LogPath = Folder.Path() / "stub.log";
    // The user's temporary folder, as the plug-in finds it, is a folder of this test.
    TScopedEnvironment TmpVariable{L"TMP", Temp.wstring()};
    TScopedEnvironment TempVariable{L"TEMP", Temp.wstring()};
    TScopedEnvironment LogVariable{L"VELLORIA_STUB_LOG", LogPath.wstring()};
    std::optional<TScopedEnvironment> HostVariable;
    HWND Window = nullptr;
    std::vector<TSeenBox> Boxes;
    int ContinueCalls = -1;
    bool RequestsCleared = false;
};

TEST_F(VelloriaPluginTest, PropertyListDescribesTheFilterAndNamesItsEntryPoint)
{
    TFilterHost host(PluginFile());
    ASSERT_TRUE(host.Loaded());
    const std::optional<TPiPL> list = host.PropertyList();
    ASSERT_TRUE(list) << "no PIPL 16000 resource, or one that runs past its end";
    EXPECT_EQ(list->Reserved, 1);
    EXPECT_EQ(list->Version, 0);
    EXPECT_TRUE(list->EndsExactly);
    const std::uint32_t entryKey = sizeof(void*) == 8 ? FourCC("8664") : FourCC("wx86");
    const std::uint32_t otherKey = sizeof(void*) == 8 ? FourCC("wx86") : FourCC("8664");
    const std::vector<std::uint32_t> order = {FourCC("kind"), FourCC("name"), FourCC("catg"), FourCC("vers"),
                                              entryKey,       FourCC("mode"), FourCC("enbl"), FourCC("fici")};
    ASSERT_EQ(list->Properties.size(), order.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        const TPiPLProperty& property = list->Properties[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(property.Key, order[i]);
        EXPECT_EQ(property.Vendor, FourCC("8BIM"));
        EXPECT_EQ(property.Id, 0);
        EXPECT_EQ(property.Length % 4, 0) << "hosts that step by the length need it padded";
    }
    EXPECT_FALSE(list->Find(otherKey));
    auto bytes = [&](const char* key) {
        const TPiPLProperty* property = list->Find(FourCC(key));
        return property ? property->Data : std::vector<std::uint8_t>{};
    };
    auto text = [](const std::vector<std::uint8_t>& data) { return std::string(data.begin(), data.end()); };
    EXPECT_EQ(text(bytes("kind")), "MFB8");
    EXPECT_EQ(text(bytes("name")), std::string("\x08Velloria\0\0\0", 12));
    EXPECT_EQ(text(bytes("catg")), std::string("\x05Orvik\0\0", 8));
    EXPECT_EQ(bytes("vers"), (std::vector<std::uint8_t>{0x05, 0x00, 0x02, 0x00}));
    EXPECT_EQ(text(list->Find(entryKey)->Data), std::string("ENTRYPOINT\0\0", 12));
    EXPECT_EQ(bytes("mode"), (std::vector<std::uint8_t>{0x10, 0, 0, 0})) << "RGB colour only";
    EXPECT_EQ(text(bytes("enbl")), std::string("in (PSHOP_ImageMode,RGBMode)\0\0\0\0", 32));
    // Straight data in and out; no copy to the destination, blank data, layer masks; and
    // writing outside the selection where there is one (cases 2, 3, 5, 7).
    const std::vector<std::uint8_t> fici = bytes("fici");
    ASSERT_EQ(fici.size(), 28u);
    for (int filterCase = 1; filterCase <= 7; ++filterCase) {
        SCOPED_TRACE(filterCase);
        const bool selection = filterCase == 2 || filterCase == 3 || filterCase == 5 || filterCase == 7;
        const std::uint8_t* info = fici.data() + 4 * (filterCase - 1);
        EXPECT_EQ(info[0], 1);
        EXPECT_EQ(info[1], 1);
        EXPECT_EQ(info[2], selection ? 0x0F : 0x07);
        EXPECT_EQ(info[3], 0);
    }
    EXPECT_TRUE(host.EntryPoint());
}

TEST_F(VelloriaPluginTest, AboutShowsItsBoxWithOkOnly)
{
    TFilterHost host(PluginFile());
    TBoxWatcher watcher;
    EXPECT_EQ(host.About(Window), hrNoError);
    const std::vector<TSeenBox> boxes = watcher.Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Caption, L"About Velloria Plug-in");
    EXPECT_EQ(boxes[0].Text.rfind(L"Velloria Plug-in", 0), 0u) << Narrow(boxes[0].Text);
    EXPECT_NE(boxes[0].Text.find(L"Version: 2.2.12"), std::wstring::npos) << Narrow(boxes[0].Text);
    EXPECT_EQ(boxes[0].Buttons, std::vector<int>{IDOK});
    EXPECT_FALSE(fs::exists(LogPath)) << "About starts nothing";
}

struct TLayout {
    int Width, Height, Planes, Padding;
    int Left, Top, Right, Bottom;
};

TEST_F(VelloriaPluginTest, OkReplacesTheRectangleAndNothingElse)
{
    const TLayout layouts[] = {
        {40, 30, 3, 0, 5, 7, 25, 20},  // rows without padding
        {41, 29, 3, 1, 0, 0, 41, 29},  // the whole picture, odd row bytes
        {37, 33, 4, 5, 3, 2, 36, 31},  // a transparency plane, which stays
        {64, 48, 3, 3, 60, 40, 64, 48}, // the rectangle in the corner: rows end with it
    };
    for (const TLayout& l : layouts) {
        SCOPED_TRACE(testing::Message() << l.Width << "x" << l.Height << "x" << l.Planes << " rect " << l.Left << ","
                                        << l.Top << "-" << l.Right << "," << l.Bottom);
        fs::remove(LogPath);
        THostImage image(l.Width, l.Height, l.Planes, l.Padding, 7);
        const THostImage expected = InvertedInside(image, l.Left, l.Top, l.Right, l.Bottom);
        EXPECT_EQ(Run(L"invert", image, l.Left, l.Top, l.Right, l.Bottom), hrNoError);
        EXPECT_TRUE(SameBytes(image, expected));
        EXPECT_TRUE(Boxes.empty());
        EXPECT_TRUE(TempFolderEmpty());
        EXPECT_TRUE(RequestsCleared);
        EXPECT_EQ(ContinueCalls, 0);
    }
}

TEST_F(VelloriaPluginTest, MainProgramIsStartedQuotedMaximizedInItsFolderWithTheHostDisabled)
{
    THostImage image(20, 10, 3, 0, 3);
    ASSERT_EQ(Run(L"invert", image, 0, 0, 20, 10), hrNoError);
    auto log = StubLog();
    EXPECT_EQ(log["argc"], "2");
    EXPECT_EQ(log["arg0"], Narrow(StubPath.wstring()));
    const fs::path file = log["arg1"];
    EXPECT_EQ(file.parent_path(), Temp);
    EXPECT_EQ(file.filename().string().rfind("PSP", 0), 0u) << file.string();
    EXPECT_EQ(file.extension(), ".tmp");
    EXPECT_EQ(log["cwd"], Narrow(StubFolder.wstring()));
    EXPECT_EQ(log["show"], std::to_string(SW_SHOWMAXIMIZED));
    EXPECT_EQ(log["host-enabled"], "0") << "the host took input while the main program ran";
    EXPECT_TRUE(IsWindowEnabled(Window)) << "the host stays disabled";
}

struct TFailure {
    const wchar_t* Mode;
    std::int16_t Result;
    const wchar_t* Message; // null: no box
};

TEST_F(VelloriaPluginTest, NoUsableResultLeavesTheHostAsItWasAndNoFile)
{
    const TFailure failures[] = {
        {L"cancel", hrCanceled, nullptr},
        {L"crash", hrCanceled, nullptr},
        {L"exit259", hrCanceled, nullptr}, // the code that also means "still running"
        {L"delete", hrCanceled, nullptr},
        {L"lowercase", hrCanceled, nullptr},
        {L"crop", hrCanceled, L"Transfer image data error."},
        {L"set:8:4", hrCanceled, L"Transfer image data error."},           // image mode
        {L"set:4:2147483600", hrCanceled, L"Transfer image data error."},  // header size past the file
        {L"set:4:8", hrCanceled, L"Transfer image data error."},           // header size too small
        {L"set:28:1", hrCanceled, L"Transfer image data error."},          // row bytes below width x planes
        {L"set:28:2147483647", hrCanceled, L"Transfer image data error."}, // rows far past the file
        {L"set:32:1", hrCanceled, L"Transfer image data error."},          // one plane
        {L"set:32:-3", hrCanceled, L"Transfer image data error."},
        {L"truncate", hrCanceled, L"Transfer image data error."},
    };
    for (const TFailure& f : failures) {
        SCOPED_TRACE(Narrow(f.Mode));
        THostImage image(33, 21, 3, 2, 11);
        const THostImage before = image;
        EXPECT_EQ(Run(f.Mode, image, 4, 3, 30, 20), f.Result);
        EXPECT_TRUE(SameBytes(image, before));
        if (f.Message) {
            ASSERT_EQ(Boxes.size(), 1u);
            EXPECT_EQ(Boxes[0].Text, f.Message);
            EXPECT_EQ(Boxes[0].Caption, L"Error");
        } else {
            EXPECT_TRUE(Boxes.empty());
        }
        EXPECT_TRUE(TempFolderEmpty());
        EXPECT_TRUE(RequestsCleared);
        EXPECT_TRUE(IsWindowEnabled(Window));
    }
}

TEST_F(VelloriaPluginTest, MissingRegistryKeyNamesAnEmptyPathAndChangesNothing)
{
    RegRemoveKey();
    THostImage image(16, 16, 3, 0, 5);
    const THostImage before = image;
    EXPECT_EQ(Run(L"invert", image, 2, 2, 14, 14), hrOpenError);
    EXPECT_TRUE(SameBytes(image, before));
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text.rfind(L"Execute application \"\" error: ", 0), 0u) << Narrow(Boxes[0].Text);
    EXPECT_EQ(Boxes[0].Caption, L"Error");
    EXPECT_TRUE(TempFolderEmpty());
    EXPECT_FALSE(fs::exists(LogPath));
}

TEST_F(VelloriaPluginTest, RegistryValueIsTakenOnlyAsText)
{
    const std::wstring path = StubPath.wstring();
    const std::wstring expandable = L"%VX_STUB_FOLDER%\\" + StubPath.filename().wstring();
    const DWORD number = 42;
    struct TValue {
        const char* Name;
        std::function<bool()> Write;
        bool Runs;
    } values[] = {
        {"expandable string", [&] { return RegAdd(L"REG_EXPAND_SZ", expandable); }, true},
        {"string without its terminator", [&] { return RegSetRaw(REG_SZ, path.data(), DWORD(path.size() * 2)); }, true},
        {"string with an odd byte count", [&] { return RegSetRaw(REG_SZ, path.c_str(), DWORD(path.size() * 2 + 1)); }, true},
        {"empty string", [&] { return RegAdd(L"REG_SZ", L""); }, false},
        {"zero-length value", [&] { return RegSetRaw(REG_SZ, nullptr, 0); }, false},
        {"number", [&] { return RegSetRaw(REG_DWORD, &number, 4); }, false},
        {"binary holding the path", [&] { return RegSetRaw(REG_BINARY, path.c_str(), DWORD(path.size() * 2 + 2)); }, false},
    };
    const TScopedEnvironment folder(L"VX_STUB_FOLDER", StubFolder.wstring());
    for (const TValue& value : values) {
        SCOPED_TRACE(value.Name);
        RegRemoveKey();
        ASSERT_TRUE(value.Write());
        fs::remove(LogPath);
        THostImage image(8, 8, 3, 0, 9);
        const THostImage before = image;
        const std::int16_t result = Run(L"invert", image, 0, 0, 8, 8);
        if (value.Runs) {
            EXPECT_EQ(result, hrNoError);
            EXPECT_TRUE(SameBytes(image, InvertedInside(before, 0, 0, 8, 8)));
            EXPECT_EQ(StubLog()["arg0"], Narrow(path));
        } else {
            EXPECT_EQ(result, hrOpenError);
            ASSERT_EQ(Boxes.size(), 1u);
            EXPECT_EQ(Boxes[0].Text.rfind(L"Execute application \"\" error: ", 0), 0u) << Narrow(Boxes[0].Text);
            EXPECT_TRUE(SameBytes(image, before));
        }
        EXPECT_TRUE(TempFolderEmpty());
    }
}

TEST_F(VelloriaPluginTest, PathThatCouldRunSomethingElseRunsNothing)
{
    // A quote would end the program's quoted path early; a relative path would be looked
    // for in the host's folder.
    const std::wstring values[] = {
        StubPath.wstring() + L"\" \"" + StubPath.wstring(),
        L"\"" + StubPath.wstring() + L"\"",
        StubPath.filename().wstring(),
    };
    for (const std::wstring& value : values) {
        SCOPED_TRACE(Narrow(value));
        ASSERT_TRUE(RegSetRaw(REG_SZ, value.c_str(), DWORD(value.size() * 2 + 2)));
        fs::remove(LogPath);
        THostImage image(8, 8, 3, 0, 4);
        const THostImage before = image;
        const fs::path current = fs::current_path();
        fs::current_path(StubFolder);
        EXPECT_EQ(Run(L"invert", image, 0, 0, 8, 8), hrOpenError);
        fs::current_path(current);
        EXPECT_FALSE(fs::exists(LogPath)) << "a program ran";
        EXPECT_TRUE(SameBytes(image, before));
        ASSERT_EQ(Boxes.size(), 1u);
        EXPECT_EQ(Boxes[0].Text, L"Execute application \"" + value + L"\" error: " + std::to_wstring(ERROR_BAD_PATHNAME));
        EXPECT_TRUE(TempFolderEmpty());
    }
}

// The host window's messages while the main program runs: WM_APP + 1 makes the host call
// the filter again, as a host that ignores its disabled window might.
THostEntryPoint PokedEntry = nullptr;
std::int16_t PokedResult = 1;
WNDPROC StaticProcedure = nullptr;

LRESULT CALLBACK PokedHost(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_APP + 1 && PokedEntry) {
        THostFilterRecord record{};
        std::intptr_t data = 0;
        PokedEntry(hsStart, &record, &data, &PokedResult);
        return 0;
    }
    return CallWindowProcW(StaticProcedure, window, message, wParam, lParam);
}

TEST_F(VelloriaPluginTest, HostMessagesDuringTheWaitReachTheHostButNoSecondRun)
{
    StaticProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(Window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PokedHost)));
    TFilterHost host(PluginFile());
    PokedEntry = host.EntryPoint();
    PokedResult = 1;
    THostImage image(10, 10, 3, 0, 8);
    const THostImage expected = InvertedInside(image, 0, 0, 10, 10);
    EXPECT_EQ(Run(L"poke", image, 0, 0, 10, 10), hrNoError);
    PokedEntry = nullptr;
    EXPECT_TRUE(SameBytes(image, expected));
    EXPECT_EQ(PokedResult, hrCanceled) << "the filter ran again inside its own wait";
    // The quit request taken from the host's queue during the wait is the host's again.
    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 7u);
    SetWindowLongPtrW(Window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StaticProcedure));
}

TEST_F(VelloriaPluginTest, HostThatRefusesItsPixelsGetsItsMessage)
{
    THostImage image(12, 12, 3, 0, 2);
    const THostImage before = image;
    EXPECT_EQ(Run(L"invert", image, 0, 0, 12, 12, THostRefusal::Input), hrOpenError);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, L"Get image data error.");
    EXPECT_FALSE(fs::exists(LogPath)) << "started without pixels";

    EXPECT_EQ(Run(L"invert", image, 0, 0, 12, 12, THostRefusal::Output), hrCanceled);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, L"Get out image data error.");
    EXPECT_TRUE(SameBytes(image, before));
    EXPECT_TRUE(TempFolderEmpty());
}

TEST_F(VelloriaPluginTest, NoTemporaryFolderMeansNoFileAndNoProgram)
{
    const TScopedEnvironment tmp(L"TMP", (Folder.Path() / "missing").wstring());
    const TScopedEnvironment temp(L"TEMP", (Folder.Path() / "missing").wstring());
    THostImage image(12, 12, 3, 0, 2);
    const THostImage before = image;
    EXPECT_EQ(Run(L"invert", image, 0, 0, 12, 12), hrOpenError);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, L"Create temp file error.");
    EXPECT_FALSE(fs::exists(LogPath));
    EXPECT_TRUE(SameBytes(image, before));
}

TEST_F(VelloriaPluginTest, ExchangeFileThatCannotBeMadeIsRemovedAndNothingStarts)
{
    // Rows that far apart would make a file past the 4 GB the main program can size.
    THostImage image(12, 12, 3, 0, 2);
    const THostImage before = image;
    EXPECT_EQ(Run(L"invert", image, 0, 0, 12, 12, THostRefusal::HugeRows), hrOpenError);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].Text, L"Create temp file error.");
    EXPECT_FALSE(fs::exists(LogPath));
    EXPECT_TRUE(SameBytes(image, before));
    EXPECT_TRUE(TempFolderEmpty()) << "the empty temporary file stayed";
}

TEST_F(VelloriaPluginTest, PictureThatIsNotRGBIsRefusedBeforeAnythingStarts)
{
    THostImage image(12, 12, 3, 0, 2);
    const THostImage before = image;
    EXPECT_EQ(Run(L"invert", image, 0, 0, 12, 12, THostRefusal::None, 9), hrBadMode);
    EXPECT_TRUE(Boxes.empty());
    EXPECT_FALSE(fs::exists(LogPath));
    EXPECT_TRUE(SameBytes(image, before));
}

TEST_F(VelloriaPluginTest, SelectorsBesideStartDoNothingAndUnknownOnesAreRefused)
{
    TFilterHost host(PluginFile());
    const THostEntryPoint entry = host.EntryPoint();
    ASSERT_TRUE(entry);
    THostFilterRecord record{};
    for (const std::int16_t selector : {hsParameters, hsPrepare, hsContinue, hsFinish}) {
        SCOPED_TRACE(selector);
        EXPECT_EQ(host.Call(selector, &record), hrNoError);
    }
    for (const std::int16_t selector : {std::int16_t{6}, std::int16_t{-1}, std::int16_t{32767}}) {
        SCOPED_TRACE(selector);
        EXPECT_EQ(host.Call(selector, &record), hrBadParameters);
    }
    EXPECT_EQ(host.Call(hsStart, nullptr), hrBadParameters);
    std::intptr_t data = 0;
    entry(hsFinish, &record, &data, nullptr); // nowhere to put a result: nothing happens
    EXPECT_EQ(data, 0) << "the data slot is the host's";
    EXPECT_FALSE(fs::exists(LogPath));
}

} // namespace
