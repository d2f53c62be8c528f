// Starts the real Velloria.exe and drives it through its test probe: each test copies
// the program under a name of its own, so its state file (%APPDATA%\<name>\<name>.cfg)
// is its own too.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>

#include "settings/VxSDF.h"
#include "settings/VxStreams.h"

#include "VxProgramDriver.h"

namespace {

using namespace vxtest;

constexpr TVxGuid MainFormNode{0x7AF6D7FF, 0x618B, 0x41D9, {0x88, 0x2E, 0x41, 0x9D, 0x50, 0x0D, 0xF2, 0x8B}};
// The probe's WM_COPYDATA commands.
constexpr ULONG_PTR prbDrop = 0x50524F44;
constexpr ULONG_PTR prbLanguage = 0x474E414C;
constexpr ULONG_PTR prbPostChain = 0x54534F50;
constexpr ULONG_PTR prbCaptions = 0x53504143;

// "&Файл", "Стандартная" in UTF-8, as the probe logs them.
const std::string RussianFile = "&\xD0\xA4\xD0\xB0\xD0\xB9\xD0\xBB";
const std::string RussianStandard = "\xD0\xA1\xD1\x82\xD0\xB0\xD0\xBD\xD0\xB4\xD0\xB0\xD1\x80\xD1\x82\xD0\xBD\xD0\xB0\xD1\x8F";

void WriteAll(const fs::path& path, const std::string& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string Bytes(const TVxMemoryStream& stream)
{
    return {stream.Bytes().begin(), stream.Bytes().end()};
}

// One copy of the program; it is closed the way the user closes it when the test ends.
class TProgram : public TProgramDriver {
public:
    explicit TProgram(const std::string& name) : TProgramDriver(L"VxShell", name, 10000) {}
    ~TProgram() { Stop(); }

    // Top-level windows of the program that are visible, other than the main window.
    int OtherVisibleWindows() const
    {
        const HWND main = FWindow;
        return static_cast<int>(
            Windows([main](HWND window, const std::wstring&) { return window != main && IsWindowVisible(window); })
                .size());
    }
};

struct TMainFormState {
    bool Found = false;
    WINDOWPLACEMENT Placement{};
    std::int32_t Language = -1;
};

TMainFormState ReadMainFormState(const fs::path& stateFile)
{
    TMainFormState state;
    const std::string bytes = ReadAll(stateFile);
    TVxMemoryStream stream(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    TVxSDFReader reader(&stream);
    if (!reader.EnterNode(1, MainFormNode))
        return state;
    state.Found = reader.ReadBinary(2, &state.Placement, sizeof state.Placement);
    reader.ReadInteger(1, state.Language);
    return state;
}

std::string MainFormNodeBytes(std::int32_t language)
{
    TVxMemoryStream stream;
    TVxSDFWriter writer(&stream);
    writer.BeginNode(1, MainFormNode);
    writer.WriteInteger(1, language);
    writer.EndNode();
    return Bytes(stream);
}

// The lines of the log that start with prefix.
std::vector<std::string> LogLines(const std::string& log, const std::string& prefix)
{
    std::vector<std::string> lines;
    std::istringstream stream(log);
    for (std::string line; std::getline(stream, line);) {
        if (line.rfind(prefix, 0) == 0)
            lines.push_back(line);
    }
    return lines;
}

TEST(VxShellTest, FirstRunWritesTheStateFileAtExit)
{
    TProgram program("FirstRun");
    ASSERT_TRUE(program.Start());
    EXPECT_FALSE(fs::exists(program.StateFile()));
    EXPECT_EQ(program.Stop(), 0u);
    ASSERT_TRUE(fs::is_regular_file(program.StateFile()));
    const TMainFormState state = ReadMainFormState(program.StateFile());
    EXPECT_TRUE(state.Found);
    EXPECT_GT(state.Placement.rcNormalPosition.right, state.Placement.rcNormalPosition.left);
    EXPECT_TRUE(state.Language == 1033 || state.Language == 1049) << state.Language;
}

TEST(VxShellTest, NextRunRestoresPlacementAndLanguage)
{
    TProgram program("Restore");
    ASSERT_TRUE(program.Start());
    const std::uint16_t russian = 1049;
    ASSERT_TRUE(program.Send(prbLanguage, &russian, sizeof russian));
    SetWindowPos(program.Window(), nullptr, 40, 50, 700, 520, SWP_NOZORDER | SWP_NOACTIVATE);
    WINDOWPLACEMENT before{};
    before.length = sizeof before;
    GetWindowPlacement(program.Window(), &before);
    EXPECT_EQ(program.Stop(), 0u);
    EXPECT_EQ(ReadMainFormState(program.StateFile()).Language, 1049);

    ASSERT_TRUE(program.Start());
    WINDOWPLACEMENT after{};
    after.length = sizeof after;
    GetWindowPlacement(program.Window(), &after);
    EXPECT_EQ(after.rcNormalPosition.left, before.rcNormalPosition.left);
    EXPECT_EQ(after.rcNormalPosition.top, before.rcNormalPosition.top);
    EXPECT_EQ(after.rcNormalPosition.right, before.rcNormalPosition.right);
    EXPECT_EQ(after.rcNormalPosition.bottom, before.rcNormalPosition.bottom);
    ASSERT_TRUE(program.Send(prbCaptions));
    EXPECT_TRUE(program.WaitForLog("captions now language=1049 file=" + RussianFile)) << program.Log();
}

TEST(VxShellTest, DamagedStateFilesStartNormally)
{
    std::string truncated = MainFormNodeBytes(1049);
    truncated.resize(truncated.size() / 2);
    std::string garbage;
    std::uint32_t seed = 12345;
    for (int i = 0; i < 3000; ++i) {
        seed = seed * 1664525u + 1013904223u;
        garbage += static_cast<char>(seed >> 24);
    }
    TVxMemoryStream unknown;
    {
        TVxSDFWriter writer(&unknown);
        writer.BeginNode(1, TVxGuid{0x11111111, 0x2222, 0x3333, {4, 4, 4, 4, 4, 4, 4, 4}});
        writer.WriteInteger(1, 7);
        writer.WriteBinary(2, "not a placement", 15);
        writer.EndNode();
    }
    struct TCase {
        const char* Name;
        std::string Bytes;
        std::int32_t LanguageAfterStart;  // -1: whatever the localizer chose
    };
    const TCase cases[] = {
        {"unknown node before the main form's", Bytes(unknown) + MainFormNodeBytes(1049), 1049},
        {"truncated", truncated, -1},
        {"garbage", garbage, -1},
        {"empty", "", -1},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TProgram program("Damaged");
        WriteAll(program.StateFile(), c.Bytes);
        ASSERT_TRUE(program.Start());
        EXPECT_TRUE(IsWindowVisible(program.Window()));
        EXPECT_EQ(program.OtherVisibleWindows(), 0);
        EXPECT_EQ(program.Stop(), 0u);
        const TMainFormState state = ReadMainFormState(program.StateFile());
        EXPECT_TRUE(state.Found);
        if (c.LanguageAfterStart >= 0) {
            EXPECT_EQ(state.Language, c.LanguageAfterStart);
        }
    }
}

TEST(VxShellTest, LanguageSwitchRecaptionsMenusThenToolbarItemsOneMessageLater)
{
    TProgram program("Language");
    ASSERT_TRUE(program.Start());
    const std::uint16_t english = 1033;
    ASSERT_TRUE(program.Send(prbLanguage, &english, sizeof english));
    ASSERT_TRUE(program.WaitForLog("captions next-message language=1033"));
    const std::uint16_t russian = 1049;
    ASSERT_TRUE(program.Send(prbLanguage, &russian, sizeof russian));
    ASSERT_TRUE(program.WaitForLog("captions next-message language=1049")) << program.Log();
    const std::string log = program.Log();
    const std::vector<std::string> afterClick = LogLines(log, "captions after-click language=1049");
    const std::vector<std::string> nextMessage = LogLines(log, "captions next-message language=1049");
    ASSERT_EQ(afterClick.size(), 1u);
    ASSERT_EQ(nextMessage.size(), 1u);
    // Menus are re-captioned by the switch itself...
    EXPECT_NE(afterClick[0].find("file=" + RussianFile), std::string::npos) << afterClick[0];
    EXPECT_NE(afterClick[0].find("toolbar=" + RussianStandard), std::string::npos) << afterClick[0];
    // ... the toolbar items under View only by the posted refresh.
    EXPECT_NE(afterClick[0].find("toolbar-item=Standard"), std::string::npos) << afterClick[0];
    EXPECT_NE(nextMessage[0].find("toolbar-item=" + RussianStandard), std::string::npos) << nextMessage[0];
}

TEST(VxShellTest, PostedCallQueuedFromAPostedCallRunsOnTheNextMessage)
{
    TProgram program("Posted");
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.Send(prbPostChain));
    ASSERT_TRUE(program.WaitForLog("second message="));
    const std::string log = program.Log();
    const std::vector<std::string> first = LogLines(log, "first message=");
    const std::vector<std::string> second = LogLines(log, "second message=");
    ASSERT_EQ(first.size(), 1u);
    ASSERT_EQ(second.size(), 1u);
    const int firstMessage = std::stoi(first[0].substr(first[0].find('=') + 1));
    const int secondMessage = std::stoi(second[0].substr(second[0].find('=') + 1));
    EXPECT_EQ(secondMessage, firstMessage + 1);
    EXPECT_LT(log.find("first done"), log.find("second message="));
}

std::string DropBlock(const std::vector<std::wstring>& files)
{
    DROPFILES header{};
    header.pFiles = sizeof header;
    header.fWide = TRUE;
    std::wstring names;
    for (const std::wstring& file : files)
        names += file + L'\0';
    names += L'\0';
    std::string block(reinterpret_cast<const char*>(&header), sizeof header);
    block.append(reinterpret_cast<const char*>(names.data()), names.size() * sizeof(wchar_t));
    return block;
}

// A 1 x 1 picture: the editor really opens what is dropped or named on the command line.
std::string TinyPicture()
{
    const unsigned char bmp[58] = {'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0,
                                   0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x20, 0x40, 0x80, 0};
    return std::string(reinterpret_cast<const char*>(bmp), sizeof bmp);
}

TEST(VxShellTest, OfTwoDroppedFilesOnlyTheFirstIsTaken)
{
    TProgram program("Drop");
    const fs::path first = program.Folder() / L"first.jpg";
    const fs::path second = program.Folder() / L"second.jpg";
    WriteAll(first, TinyPicture());
    WriteAll(second, TinyPicture());
    ASSERT_TRUE(program.Start());
    const std::string block = DropBlock({first.wstring(), second.wstring()});
    ASSERT_TRUE(program.Send(prbDrop, block.data(), block.size()));
    const std::string missing = DropBlock({(program.Folder() / L"missing.jpg").wstring(), first.wstring()});
    ASSERT_TRUE(program.Send(prbDrop, missing.data(), missing.size()));
    ASSERT_TRUE(program.Send(prbCaptions));
    ASSERT_TRUE(program.WaitForLog("captions now"));
    const std::vector<std::string> opened = LogLines(program.Log(), "open ");
    ASSERT_EQ(opened.size(), 1u) << program.Log();
    EXPECT_NE(opened[0].find("first.jpg"), std::string::npos);
}

TEST(VxShellTest, CommandLinePathThatDoesNotExistOpensNothingAndShowsNothing)
{
    TProgram program("CommandLine");
    ASSERT_TRUE(program.Start((program.Folder() / L"no such picture.jpg").wstring()));
    ASSERT_TRUE(program.WaitForLog("started"));
    ASSERT_TRUE(program.Send(prbCaptions));
    EXPECT_TRUE(LogLines(program.Log(), "open ").empty()) << program.Log();
    EXPECT_EQ(program.OtherVisibleWindows(), 0);
    EXPECT_EQ(program.Stop(), 0u);

    // The same path, once it exists, is opened.
    WriteAll(program.Folder() / L"no such picture.jpg", TinyPicture());
    ASSERT_TRUE(program.Start((program.Folder() / L"no such picture.jpg").wstring()));
    EXPECT_EQ(LogLines(program.Log(), "open ").size(), 1u) << program.Log();
}

}  // namespace
