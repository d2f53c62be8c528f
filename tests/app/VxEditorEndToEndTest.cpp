// Starts the real Velloria.exe with pictures generated here and drives the editor
// through its test probe: opening (command line, drop, recent files), zoom, automatic
// fit, folder browsing, the status bar under the pointer, undo, quitting with changes
// and the plug-in mode with its exit codes.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "exchange/VxExchange.h"
#include "imaging/VxBitmap.h"

#include "VxProgramDriver.h"

namespace {

using namespace vxtest;

constexpr ULONG_PTR prbDrop = 0x50524F44;
constexpr ULONG_PTR prbCommand = 0x444E4D43;
constexpr ULONG_PTR prbQuery = 0x59524551;

// The pixel (x, y) of every generated picture: R = x, G = y, B = x + y (all mod 256).
void WriteBmp(const fs::path& path, int width, int height)
{
    const int stride = (width * 3 + 3) & ~3;
    std::vector<std::uint8_t> file(54 + static_cast<std::size_t>(stride) * height, 0);
    auto put32 = [&](std::size_t at, std::uint32_t v) { std::memcpy(&file[at], &v, 4); };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, static_cast<std::uint32_t>(file.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<std::uint32_t>(width));
    put32(22, static_cast<std::uint32_t>(height));
    file[26] = 1;
    file[28] = 24;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = &file[54 + static_cast<std::size_t>(stride) * (height - 1 - y)];
        for (int x = 0; x < width; ++x) {
            row[3 * x + 0] = static_cast<std::uint8_t>(x + y);
            row[3 * x + 1] = static_cast<std::uint8_t>(y);
            row[3 * x + 2] = static_cast<std::uint8_t>(x);
        }
    }
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
}

void WriteExchange(const fs::path& path, int width, int height)
{
    TVxPixelBuffer pixels;
    pixels.SetFormatAndBounds(fmtBGR24, TRect{0, 0, width, height});
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = pixels.PixelAddress(x, y);
            p[0] = static_cast<std::uint8_t>(x + y);
            p[1] = static_cast<std::uint8_t>(y);
            p[2] = static_cast<std::uint8_t>(x);
        }
    const auto size = ExchangeFileSize(pixels);
    ASSERT_TRUE(size);
    std::vector<std::uint8_t> file(*size);
    ASSERT_TRUE(WriteExchangeImage(file, pixels));
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
}

// One "state" line of the probe as name=value pairs (values end at the next " name=").
std::map<std::string, std::string> ParseState(const std::string& line)
{
    std::map<std::string, std::string> values;
    std::istringstream words(line);
    std::string word, key;
    words >> word; // "state"
    while (words >> word && word != "end") {
        const std::size_t eq = word.find('=');
        if (eq != std::string::npos && word.find('=') == word.find_first_of("=") && eq > 0 &&
            word.substr(0, eq).find_first_not_of("abcdefghijklmnopqrstuvwxyz-") == std::string::npos) {
            key = word.substr(0, eq);
            values[key] = word.substr(eq + 1);
        } else if (!key.empty()) {
            values[key] += " " + word;
        }
    }
    return values;
}

// One copy of the program; one still running when the test ends is ended.
class TProgram : public TProgramDriver {
public:
    explicit TProgram(const std::string& name) : TProgramDriver(L"VxEdit", name, 20000) {}

    fs::path Pictures() const { return Folder() / L"pictures"; }

    // Waits for the process's exit code (STILL_ACTIVE when it does not end in time).
    DWORD WaitForExit(int timeoutMs = 20000) { return WaitForEnd(static_cast<DWORD>(timeoutMs)); }
    void Close() { PostMessageW(FWindow, WM_CLOSE, 0, 0); }
    bool Running() const { return FProcess && WaitForSingleObject(FProcess, 0) == WAIT_TIMEOUT; }

    bool Command(const std::wstring& text) { return Send(prbCommand, text.data(), text.size() * sizeof(wchar_t)); }
    // Posted, for commands that open a modal box.
    void PostCommand(const std::wstring& text)
    {
        std::thread([this, text] { Command(text); }).detach();
    }

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

    bool Drop(const fs::path& file)
    {
        const std::wstring name = file.wstring();
        std::vector<std::uint8_t> block(sizeof(DROPFILES) + (name.size() + 2) * sizeof(wchar_t), 0);
        auto* header = reinterpret_cast<DROPFILES*>(block.data());
        header->pFiles = sizeof(DROPFILES);
        header->fWide = TRUE;
        std::memcpy(block.data() + sizeof(DROPFILES), name.c_str(), name.size() * sizeof(wchar_t));
        return Send(prbDrop, block.data(), block.size());
    }

    // The message boxes (dialogs) the program shows, waited for up to timeoutMs.
    std::vector<HWND> Dialogs(int timeoutMs) const
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            const auto found = Windows([](HWND window, const std::wstring& className) {
                return IsWindowVisible(window) && className == L"#32770";
            });
            if (!found.empty() || std::chrono::steady_clock::now() >= end)
                return found;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
};

std::pair<int, int> Pair(const std::string& text)
{
    const std::size_t sep = text.find_first_of(",/");
    return {std::stoi(text.substr(0, sep)), std::stoi(text.substr(sep + 1))};
}

// Ends a run whose document may be modified: the answer "No" to the save question.
void CloseDiscarding(TProgram& program)
{
    program.Close();
    for (HWND box : program.Dialogs(3000))
        PostMessageW(box, WM_COMMAND, IDNO, 0);
    EXPECT_EQ(program.WaitForExit(), 0u);
}

}  // namespace

TEST(VxEditorEndToEndTest, CommandLineOpensASmallPictureAtActualSize)
{
    TProgram program("CmdLine");
    const fs::path picture = program.Pictures() / L"small.bmp";
    WriteBmp(picture, 200, 150);
    ASSERT_TRUE(program.Start(picture.wstring()));
    auto state = program.State();
    EXPECT_EQ(state["file"], "small.bmp");
    EXPECT_NE(state["caption"].find("small.bmp - "), std::string::npos) << state["caption"];
    EXPECT_EQ(state["zoom"], "1/1");
    EXPECT_EQ(state["modified"], "0");
    EXPECT_EQ(state["status"].substr(0, 0), "");
    EXPECT_NE(state["status"].find("|200|150|"), std::string::npos) << state["status"];
    EXPECT_EQ(state["recent"], "1");
    EXPECT_EQ(state["filemenu"], "1");
    EXPECT_EQ(state["zoomin-shortcut"].find("Ctrl+"), 0u) << state["zoomin-shortcut"];
    CloseDiscarding(program);
}

TEST(VxEditorEndToEndTest, LargePictureIsFittedExactly)
{
    TProgram program("Large");
    const fs::path picture = program.Pictures() / L"large.bmp";
    WriteBmp(picture, 3000, 2000);
    ASSERT_TRUE(program.Start(picture.wstring()));
    auto state = program.State();
    ASSERT_EQ(state["file"], "large.bmp");
    const auto [n, d] = Pair(state["zoom"]);
    const auto [w, h] = Pair(state["control"]);
    // The fit takes the direction that limits: H/h >= W/w gives h/H, else w/W.
    if (2000.0 / h >= 3000.0 / w) {
        EXPECT_EQ(n, h);
        EXPECT_EQ(d, 2000);
    } else {
        EXPECT_EQ(n, w);
        EXPECT_EQ(d, 3000);
    }
    CloseDiscarding(program);
}

TEST(VxEditorEndToEndTest, ZoomStepsThroughMenuToolbarKeysAndCommands)
{
    TProgram program("Zoom");
    const fs::path picture = program.Pictures() / L"zoom.bmp";
    WriteBmp(picture, 120, 90);
    ASSERT_TRUE(program.Start(picture.wstring()));
    ASSERT_EQ(program.State()["zoom"], "1/1");
    struct TStep {
        const wchar_t* Command;
        const char* Zoom;
    };
    const TStep steps[] = {
        {L"menu:zoomin", "3/2"},   {L"button:zoomin", "2/1"}, {L"key:187", "3/1"},       {L"zoomin", "4/1"},
        {L"menu:actualsize", "1/1"}, {L"menu:zoomout", "3/4"}, {L"button:zoomout", "1/2"}, {L"key:189", "1/3"},
        {L"button:actualsize", "1/1"},
    };
    for (const TStep& step : steps) {
        SCOPED_TRACE(std::string(step.Command, step.Command + wcslen(step.Command)));
        ASSERT_TRUE(program.Command(step.Command));
        EXPECT_EQ(program.State()["zoom"], step.Zoom);
    }
    for (int i = 0; i < 25; ++i)
        program.Command(L"zoomin");
    EXPECT_EQ(program.State()["zoom"], "16/1");
    program.Command(L"zoomin");
    EXPECT_EQ(program.State()["zoom"], "16/1");
    for (int i = 0; i < 25; ++i)
        program.Command(L"zoomout");
    EXPECT_EQ(program.State()["zoom"], "1/16");
    program.Command(L"zoomout");
    EXPECT_EQ(program.State()["zoom"], "1/16");
    CloseDiscarding(program);
}

TEST(VxEditorEndToEndTest, BestFitAtAThirdOfAStepZoomsToTheNeighbours)
{
    TProgram program("BestFit");
    const fs::path first = program.Pictures() / L"first.bmp";
    WriteBmp(first, 100, 80);
    ASSERT_TRUE(program.Start(first.wstring()));
    const auto [w, h] = Pair(program.State()["control"]);
    // A narrow, tall picture whose fit is h / H = 0.37.
    const int height = static_cast<int>(h / 0.37);
    const fs::path tall = program.Pictures() / L"tall.bmp";
    WriteBmp(tall, 40, height);
    ASSERT_TRUE(program.Drop(tall));
    ASSERT_EQ(program.State()["file"], "tall.bmp");
    ASSERT_TRUE(program.Command(L"menu:bestfit"));
    auto state = program.State();
    EXPECT_EQ(state["zoom"], std::to_string(h) + "/" + std::to_string(height));
    program.Command(L"menu:zoomin");
    EXPECT_EQ(program.State()["zoom"], "1/2");
    program.Command(L"button:bestfit");
    program.Command(L"menu:zoomout");
    EXPECT_EQ(program.State()["zoom"], "1/3");
    // A small picture is enlarged by Best Fit.
    ASSERT_TRUE(program.Drop(first));
    EXPECT_EQ(program.State()["zoom"], "1/1");
    program.Command(L"bestfit");
    const auto [n, d] = Pair(program.State()["zoom"]);
    EXPECT_GT(n, d);
    (void)w;
    CloseDiscarding(program);
}

TEST(VxEditorEndToEndTest, DropAndRecentFilesOpenPictures)
{
    TProgram program("Recent");
    const fs::path a = program.Pictures() / L"a.bmp";
    const fs::path b = program.Pictures() / L"b.bmp";
    WriteBmp(a, 64, 48);
    WriteBmp(b, 32, 24);
    ASSERT_TRUE(program.Start());
    auto state = program.State();
    EXPECT_EQ(state["documents"], "0");
    EXPECT_EQ(state["recent"], "0");
    ASSERT_TRUE(program.Drop(a));
    EXPECT_EQ(program.State()["file"], "a.bmp");
    ASSERT_TRUE(program.Drop(b));
    state = program.State();
    EXPECT_EQ(state["file"], "b.bmp");
    EXPECT_EQ(state["recent"], "2");
    EXPECT_NE(state["status"].find("|32|24|"), std::string::npos) << state["status"];
    // The second entry is the older file.
    ASSERT_TRUE(program.Command(L"menu:recent2"));
    state = program.State();
    EXPECT_EQ(state["file"], "a.bmp");
    EXPECT_EQ(state["recent"], "2");
    CloseDiscarding(program);
    // The list survives the restart.
    ASSERT_TRUE(program.Start());
    EXPECT_EQ(program.State()["recent"], "2");
    ASSERT_TRUE(program.Command(L"menu:recent1"));
    EXPECT_EQ(program.State()["file"], "a.bmp");
    CloseDiscarding(program);
}

TEST(VxEditorEndToEndTest, FolderBrowsingVisitsThePicturesOfTheFolder)
{
    TProgram program("Folder");
    const fs::path folder = program.Pictures();
    // ".JP" is part of the extension list text; ".J" is too short; ".txt" is no picture.
    for (const wchar_t* name : {L"a.bmp", L"b.jp", L"c.txt", L"d.PNG", L"e.j"})
        WriteBmp(folder / name, 20, 10);
    ASSERT_TRUE(program.Start((folder / L"a.bmp").wstring()));
    auto state = program.State();
    const auto [index, count] = Pair(state["folder"]);
    EXPECT_EQ(count, 3);
    ASSERT_GE(index, 0);
    // Back to the first, then forward through all of them.
    for (int i = 0; i < index; ++i)
        ASSERT_TRUE(program.Command(L"button:prev"));
    state = program.State();
    EXPECT_EQ(state["folder"], "0/3");
    EXPECT_EQ(state["prevnext"], "01");
    std::set<std::string> seen{state["file"]};
    for (int i = 1; i < 3; ++i) {
        ASSERT_TRUE(program.Command(L"button:next"));
        seen.insert(program.State()["file"]);
    }
    state = program.State();
    EXPECT_EQ(state["folder"], "2/3");
    EXPECT_EQ(state["prevnext"], "10");
    // At the end Next does nothing.
    program.Command(L"next");
    EXPECT_EQ(program.State()["folder"], "2/3");
    EXPECT_EQ(seen, (std::set<std::string>{"a.bmp", "b.jp", "d.PNG"}));
    CloseDiscarding(program);
}

TEST(VxEditorEndToEndTest, StatusBarShowsThePixelUnderThePointer)
{
    TProgram program("Status");
    const fs::path picture = program.Pictures() / L"status.bmp";
    WriteBmp(picture, 200, 100);
    ASSERT_TRUE(program.Start(picture.wstring()));
    const auto [ox, oy] = Pair(program.State()["origin"]);
    struct TCase {
        int X, Y;
        const char* Status;
    };
    const TCase cases[] = {
        {10, 20, "10|20|200|100|10|20|30"},
        {150, 90, "150|90|200|100|150|90|240"},
        {-3, 5, "-3|5|200|100|0|0|0"}, // outside the picture: black
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Status);
        ASSERT_TRUE(program.Command(L"pointer:" + std::to_wstring(ox + c.X) + L"," + std::to_wstring(oy + c.Y)));
        EXPECT_EQ(program.State()["status"], c.Status);
    }
    // At 2/1 a window pixel is half an image pixel.
    program.Command(L"menu:zoomin");
    program.Command(L"menu:zoomin");
    const auto [ox2, oy2] = Pair(program.State()["origin"]);
    ASSERT_TRUE(program.Command(L"pointer:" + std::to_wstring(ox2 + 21) + L"," + std::to_wstring(oy2 + 41)));
    EXPECT_EQ(program.State()["status"], "10|20|200|100|10|20|30");
    CloseDiscarding(program);
}

TEST(VxEditorEndToEndTest, UndoRedoAndTheModifiedFlag)
{
    TProgram program("Undo");
    const fs::path picture = program.Pictures() / L"undo.bmp";
    WriteBmp(picture, 50, 50);
    ASSERT_TRUE(program.Start(picture.wstring()));
    struct TStep {
        const wchar_t* Command;
        const char* Undo;
        const char* Modified;
    };
    const TStep steps[] = {
        {L"modify", "1/1", "1"},       {L"modify", "2/2", "1"},      {L"menu:undo", "1/2", "1"},
        {L"menu:undoall", "0/2", "0"}, {L"menu:redoall", "2/2", "1"}, {L"button:undo", "1/2", "1"},
        {L"modify", "2/2", "1"},       {L"menu:redo", "2/2", "1"}, // nothing left to redo
    };
    for (const TStep& step : steps) {
        SCOPED_TRACE(std::string(step.Command, step.Command + wcslen(step.Command)));
        ASSERT_TRUE(program.Command(step.Command));
        auto state = program.State();
        EXPECT_EQ(state["undo"], step.Undo);
        EXPECT_EQ(state["modified"], step.Modified);
    }
    CloseDiscarding(program);
}

TEST(VxEditorEndToEndTest, QuittingWithChangesAsksOnceAndCancelKeepsRunning)
{
    TProgram program("Quit");
    const fs::path picture = program.Pictures() / L"quit.bmp";
    WriteBmp(picture, 50, 50);
    ASSERT_TRUE(program.Start(picture.wstring()));
    ASSERT_TRUE(program.Command(L"modify"));
    program.Close();
    const std::vector<HWND> boxes = program.Dialogs(10000);
    ASSERT_EQ(boxes.size(), 1u);
    PostMessageW(boxes.front(), WM_COMMAND, IDCANCEL, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_TRUE(program.Dialogs(0).empty());
    ASSERT_TRUE(program.Running());
    auto state = program.State();
    EXPECT_EQ(state["file"], "quit.bmp");
    EXPECT_EQ(state["modified"], "1");
    // Clean again: quitting asks nothing.
    ASSERT_TRUE(program.Command(L"menu:undoall"));
    program.Close();
    EXPECT_EQ(program.WaitForExit(), 0u);
}

TEST(VxEditorEndToEndTest, PluginModeOkWritesBackAndExitsWithZero)
{
    TProgram program("PluginOk");
    const fs::path exchange = program.Pictures() / L"exchange.tmp";
    fs::create_directories(exchange.parent_path());
    WriteExchange(exchange, 40, 30);
    const std::string before = ReadAll(exchange);
    ASSERT_TRUE(program.Start(exchange.wstring()));
    auto state = program.State();
    EXPECT_EQ(state["title"], "Velloria Plug-in");
    EXPECT_EQ(state["caption"], "Velloria Plug-in");
    EXPECT_EQ(state["filemenu"], "0");
    EXPECT_EQ(state["ok"], "1");
    EXPECT_EQ(state["recent"], "0");
    ASSERT_TRUE(program.Command(L"modify"));
    program.PostCommand(L"button:ok");
    EXPECT_EQ(program.WaitForExit(), 0u);
    EXPECT_NE(ReadAll(exchange), before);
    EXPECT_EQ(ReadAll(exchange).size(), before.size());
}

TEST(VxEditorEndToEndTest, PluginModeCancelAndClosingExitWithMinusOne)
{
    for (const wchar_t* how : {L"button:cancel", L"close"}) {
        SCOPED_TRACE(std::string(how, how + wcslen(how)));
        TProgram program("PluginCancel");
        const fs::path exchange = program.Pictures() / L"exchange.tmp";
        fs::create_directories(exchange.parent_path());
        WriteExchange(exchange, 40, 30);
        const std::string before = ReadAll(exchange);
        ASSERT_TRUE(program.Start(exchange.wstring()));
        ASSERT_TRUE(program.Command(L"modify"));
        if (std::wstring(how) == L"close") {
            // Closing the window asks about the changes; "No" leaves no result.
            program.Close();
            const std::vector<HWND> boxes = program.Dialogs(10000);
            ASSERT_EQ(boxes.size(), 1u);
            PostMessageW(boxes.front(), WM_COMMAND, IDNO, 0);
        } else {
            program.PostCommand(how);
        }
        EXPECT_EQ(program.WaitForExit(), static_cast<DWORD>(-1));
        EXPECT_EQ(ReadAll(exchange), before);
    }
}

TEST(VxEditorEndToEndTest, ToolPanelIsShownAndHiddenFromTheViewMenuAndRemembered)
{
    TProgram program("ToolPanel");
    ASSERT_TRUE(program.Start());
    auto state = program.State();
    EXPECT_EQ(state["toolpanel"], "1");
    EXPECT_EQ(state["toolpanel-checked"], "1");
    ASSERT_TRUE(program.Command(L"menu:toolpanel"));
    state = program.State();
    EXPECT_EQ(state["toolpanel"], "0");
    EXPECT_EQ(state["toolpanel-checked"], "0");
    program.Close();
    ASSERT_EQ(program.WaitForExit(), 0u);
    ASSERT_TRUE(program.Start());
    EXPECT_EQ(program.State()["toolpanel"], "0");
    ASSERT_TRUE(program.Command(L"menu:toolpanel"));
    EXPECT_EQ(program.State()["toolpanel"], "1");
    program.Close();
    EXPECT_EQ(program.WaitForExit(), 0u);
}

namespace {

// Types a name into the open or save dialog the program shows and confirms it.
bool AnswerFileDialog(TProgram& program, const fs::path& name)
{
    const std::vector<HWND> dialogs = program.Dialogs(15000);
    if (dialogs.size() != 1)
        return false;
    HWND dialog = dialogs.front();
    // The file name box: a combo box (cmb13) with an edit inside, or a plain edit (edt1).
    HWND box = GetDlgItem(dialog, 0x47C);
    HWND edit = box ? FindWindowExW(box, nullptr, L"Edit", nullptr) : GetDlgItem(dialog, 0x480);
    if (!edit)
        edit = box;
    if (!edit)
        return false;
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.wstring().c_str()));
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    return true;
}

}  // namespace

TEST(VxEditorEndToEndTest, OpenAndSaveAsGoThroughTheFileDialogs)
{
    TProgram program("Dialogs");
    const fs::path picture = program.Pictures() / L"dialog.bmp";
    WriteBmp(picture, 64, 32);
    ASSERT_TRUE(program.Start());
    program.PostCommand(L"menu:open");
    ASSERT_TRUE(AnswerFileDialog(program, picture));
    ASSERT_TRUE(program.WaitForLog("done menu:open"));
    auto state = program.State();
    EXPECT_EQ(state["file"], "dialog.bmp");
    EXPECT_NE(state["status"].find("|64|32|"), std::string::npos) << state["status"];
    // A name without extension gets the format's extension.
    ASSERT_TRUE(program.Command(L"modify"));
    program.PostCommand(L"menu:saveas");
    ASSERT_TRUE(AnswerFileDialog(program, program.Pictures() / L"copy"));
    ASSERT_TRUE(program.WaitForLog("done menu:saveas"));
    state = program.State();
    EXPECT_EQ(state["file"], "copy.bmp");
    EXPECT_EQ(state["modified"], "0");
    EXPECT_TRUE(fs::exists(program.Pictures() / L"copy.bmp"));
    program.Close();
    EXPECT_EQ(program.WaitForExit(), 0u);
}

namespace {

void PressKeys(std::initializer_list<WORD> keys)
{
    std::vector<INPUT> inputs;
    for (WORD key : keys) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        inputs.push_back(input);
    }
    for (auto it = keys.end(); it != keys.begin();) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = *--it;
        input.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

}  // namespace

TEST(VxEditorEndToEndTest, ZoomShortcutsOfTheViewMenuWorkFromTheKeyboard)
{
    TProgram program("Shortcuts");
    const fs::path picture = program.Pictures() / L"keys.bmp";
    WriteBmp(picture, 120, 90);
    ASSERT_TRUE(program.Start(picture.wstring()));
    ASSERT_EQ(program.State()["zoom"], "1/1");
    HWND window = FindWindowW(L"TMainForm", nullptr);
    ASSERT_NE(window, nullptr);
    SetForegroundWindow(window);
    struct TCase {
        std::initializer_list<WORD> Keys;
        const char* Zoom;
    };
    const TCase cases[] = {
        {{VK_CONTROL, VK_ADD}, "3/2"},
        {{VK_CONTROL, VK_ADD}, "2/1"},
        {{VK_CONTROL, VK_SUBTRACT}, "3/2"},
        {{VK_CONTROL, VK_MENU, '0'}, "1/1"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Zoom);
        PressKeys(c.Keys);
        std::string zoom;
        for (int i = 0; i < 40 && (zoom = program.State()["zoom"]) != c.Zoom; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_EQ(zoom, c.Zoom);
    }
    program.Close();
    EXPECT_EQ(program.WaitForExit(), 0u);
}
