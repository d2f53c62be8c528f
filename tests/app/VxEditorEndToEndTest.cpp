// Starts the real Velloria.exe with pictures generated here and drives the editor
// through its test probe: opening (command line, drop, recent files), zoom, automatic
// fit, folder browsing (past a corrupt file), the status bar under the pointer, undo,
// quitting with changes, failed saves, the wheel and the navigation keys, the first
// run's window, and the plug-in mode with its exit codes.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "exchange/VxExchange.h"
#include "imaging/VxBitmap.h"

#include "VxProgramDriver.h"
#include "VxProgramFixtures.h"

namespace {

using namespace vxtest;

constexpr ULONG_PTR prbDrop = 0x50524F44;
constexpr ULONG_PTR prbCommand = 0x444E4D43;
constexpr ULONG_PTR prbQuery = 0x59524551;
constexpr ULONG_PTR prbLanguage = 0x474E414C;

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

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + 1)
        parts.push_back(text.substr(start, at - start));
    parts.push_back(text.substr(start));
    return parts;
}

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
    // The W and H panels show the picture's size.
    const std::vector<std::string> panels = Split(state["status"], '|');
    ASSERT_EQ(panels.size(), 7u) << state["status"];
    EXPECT_EQ(panels[2], "200");
    EXPECT_EQ(panels[3], "150");
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
    // The tools' buttons fill it.
    EXPECT_EQ(state["toolpanel-shown"], "1");
    ASSERT_TRUE(program.Command(L"menu:toolpanel"));
    state = program.State();
    EXPECT_EQ(state["toolpanel"], "0");
    EXPECT_EQ(state["toolpanel-checked"], "0");
    EXPECT_EQ(state["toolpanel-shown"], "0");
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

// Input from SendInput goes to the foreground window's focus, which Wine moves there a
// little after SetForegroundWindow returns; a key sent before would be lost.
bool BringToFront(HWND window)
{
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    for (int i = 0; i < 100; ++i) {
        SetForegroundWindow(window);
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        if (GetForegroundWindow() == window && GetGUIThreadInfo(thread, &info) && info.hwndFocus)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

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
    // This program's own window: other programs of the run may be up beside it.
    const HWND window = program.Window();
    ASSERT_NE(window, nullptr);
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
        // Keys go to whichever window is in front, and another test's program may have
        // come up since the last case.
        ASSERT_TRUE(BringToFront(window));
        PressKeys(c.Keys);
        std::string zoom;
        for (int i = 0; i < 40 && (zoom = program.State()["zoom"]) != c.Zoom; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_EQ(zoom, c.Zoom);
    }
    program.Close();
    EXPECT_EQ(program.WaitForExit(), 0u);
}

namespace {

// String n of a shipped language file, read in its own code page.
std::wstring LanguageString(const char* file, UINT codePage, int n)
{
    const std::string text = ReadAll(HostPath(VELLORIA_LANGUAGES) / file);
    const std::string key = "\n" + std::to_string(n) + "=";
    const std::size_t at = text.find(key);
    if (at == std::string::npos)
        return L"<string " + std::to_wstring(n) + L" missing>";
    const std::size_t start = at + key.size();
    const std::string value = text.substr(start, text.find_first_of("\r\n", start) - start);
    std::wstring wide(value.size(), L'\0');
    wide.resize(static_cast<std::size_t>(
        MultiByteToWideChar(codePage, 0, value.data(), static_cast<int>(value.size()), wide.data(), static_cast<int>(wide.size()))));
    return wide;
}

std::wstring Replaced(std::wstring text, const std::wstring& argument)
{
    const std::size_t at = text.find(L"%s");
    return at == std::wstring::npos ? text : text.replace(at, 2, argument);
}

// The text of a message box (its static control) and its caption.
std::wstring BoxText(HWND box)
{
    wchar_t text[2048] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 2048);
    return text;
}

std::wstring WindowCaption(HWND window)
{
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

// Waits for a message box whose text holds needle.
HWND WaitForBox(const TProgram& program, const std::wstring& needle, int timeoutMs = 15000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    do {
        for (HWND box : program.Dialogs(0))
            if (BoxText(box).find(needle) != std::wstring::npos)
                return box;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (std::chrono::steady_clock::now() < end);
    return nullptr;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

}  // namespace

TEST(VxEditorEndToEndTest, SavingOntoAReadOnlyFileSaysWhyInTheUsersLanguageAndKeepsTheOldFile)
{
    struct TCase {
        WORD Language;
        const char* File;
        UINT CodePage;
    };
    for (const TCase& c : {TCase{1033, "English.ini", CP_UTF8}, TCase{1049, "Russian.ini", 1251}}) {
        SCOPED_TRACE(c.File);
        TProgram program("ReadOnly");
        const fs::path picture = program.Pictures() / L"edit.bmp";
        const fs::path target = program.Pictures() / L"target.bmp";
        WriteBmp(picture, 64, 32);
        WriteBmp(target, 16, 16);
        const std::string before = ReadAll(target);
        ASSERT_TRUE(SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY));
        ASSERT_TRUE(program.Start(picture.wstring()));
        ASSERT_TRUE(program.Send(prbLanguage, &c.Language, sizeof c.Language));
        ASSERT_TRUE(program.Command(L"modify"));
        program.PostCommand(L"menu:saveas");
        ASSERT_TRUE(AnswerFileDialog(program, target));
        // One question, the program's own, in its language.
        const std::wstring question = Replaced(LanguageString(c.File, c.CodePage, 164), target.wstring());
        HWND ask = WaitForBox(program, question);
        ASSERT_NE(ask, nullptr) << "no overwrite question";
        EXPECT_EQ(program.Dialogs(0).size(), 1u);
        PostMessageW(ask, WM_COMMAND, IDYES, 0);
        const std::wstring expected = Replaced(LanguageString(c.File, c.CodePage, 1031), target.wstring()) + L"\n\n" +
                                      LanguageString(c.File, c.CodePage, 1032);
        HWND error = WaitForBox(program, LanguageString(c.File, c.CodePage, 1032));
        ASSERT_NE(error, nullptr) << "no error box";
        EXPECT_TRUE(BoxText(error) == expected) << "the box says: " << Narrow(BoxText(error));
        EXPECT_EQ(WindowCaption(error), L"Velloria");
        // Left on screen for a while when asked, so a screenshot can show it.
        if (const char* pause = std::getenv("VELLORIA_TEST_PAUSE_MS"))
            Sleep(static_cast<DWORD>(std::atoi(pause)));
        PostMessageW(error, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(program.WaitForLog("done menu:saveas"));
        auto state = program.State();
        EXPECT_EQ(state["file"], "edit.bmp");
        EXPECT_EQ(state["modified"], "1");
        EXPECT_EQ(ReadAll(target), before);
        SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
        CloseDiscarding(program);
    }
}

TEST(VxEditorEndToEndTest, PluginOkThatCannotWriteStaysOpenAndSaysWhy)
{
    TProgram program("PluginReadOnly");
    const fs::path exchange = program.Pictures() / L"exchange.tmp";
    fs::create_directories(exchange.parent_path());
    WriteExchange(exchange, 40, 30);
    const std::string before = ReadAll(exchange);
    ASSERT_TRUE(program.Start(exchange.wstring()));
    ASSERT_TRUE(SetFileAttributesW(exchange.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(program.Command(L"modify"));
    program.PostCommand(L"button:ok");
    HWND error = WaitForBox(program, Replaced(LanguageString("English.ini", CP_UTF8, 1031), exchange.wstring()));
    ASSERT_NE(error, nullptr) << "no error box";
    EXPECT_NE(BoxText(error).find(LanguageString("English.ini", CP_UTF8, 1032)), std::wstring::npos) << Narrow(BoxText(error));
    EXPECT_EQ(WindowCaption(error), L"Velloria Plug-in");
    PostMessageW(error, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(program.WaitForLog("done button:ok"));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ASSERT_TRUE(program.Running());
    EXPECT_TRUE(program.Dialogs(0).empty()) << "a second box (a save question) followed";
    EXPECT_EQ(program.State()["modified"], "1");
    EXPECT_EQ(ReadAll(exchange), before);
    // Once the file can be written, OK hands the result over.
    SetFileAttributesW(exchange.c_str(), FILE_ATTRIBUTE_NORMAL);
    program.PostCommand(L"button:ok");
    EXPECT_EQ(program.WaitForExit(), 0u);
    EXPECT_NE(ReadAll(exchange), before);
}

namespace {

// The folder's pictures in the order the file system lists them (the order Next follows).
std::vector<std::wstring> ListedNames(const fs::path& folder)
{
    std::vector<std::wstring> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().wstring());
    return names;
}

}  // namespace

TEST(VxEditorEndToEndTest, NextGoesPastACorruptJpeg)
{
    TProgram program("Corrupt");
    const fs::path folder = program.Pictures();
    for (const wchar_t* name : {L"p0.bmp", L"p1.bmp", L"p2.bmp", L"p3.bmp"})
        WriteBmp(folder / name, 20, 10);
    // A JPEG start and then nothing a decoder can use; renamed until the listing puts it
    // between two pictures.
    fs::path broken = folder / L"p1x0.jpg";
    std::ofstream(broken, std::ios::binary) << std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00garbage", 19);
    std::vector<std::wstring> names;
    std::size_t at = 0;
    for (int attempt = 1; attempt < 50; ++attempt) {
        names = ListedNames(folder);
        at = static_cast<std::size_t>(std::find(names.begin(), names.end(), broken.filename().wstring()) - names.begin());
        if (at > 0 && at + 1 < names.size())
            break;
        const fs::path renamed = folder / (L"p1x" + std::to_wstring(attempt) + L".jpg");
        fs::rename(broken, renamed);
        broken = renamed;
    }
    ASSERT_TRUE(at > 0 && at + 1 < names.size()) << "the corrupt file stays at an end of the listing";
    const std::string count = std::to_string(names.size());

    ASSERT_TRUE(program.Start((folder / names[at - 1]).wstring()));
    ASSERT_EQ(program.State()["folder"], std::to_string(at - 1) + "/" + count);
    program.PostCommand(L"button:next");
    HWND error = WaitForBox(program, broken.filename().wstring());
    ASSERT_NE(error, nullptr) << "no error for the corrupt file";
    PostMessageW(error, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(program.WaitForLog("done button:next"));
    auto state = program.State();
    EXPECT_EQ(state["documents"], "0");
    EXPECT_EQ(state["folder"], std::to_string(at) + "/" + count);
    ASSERT_TRUE(program.Command(L"button:next"));
    state = program.State();
    EXPECT_EQ(state["file"], Narrow(names[at + 1]));
    EXPECT_EQ(state["folder"], std::to_string(at + 1) + "/" + count);
    CloseDiscarding(program);
}

namespace {

void SendMouse(DWORD flags, LONG dx = 0, LONG dy = 0, DWORD data = 0)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = dx;
    input.mi.dy = dy;
    input.mi.mouseData = data;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

void SendKey(WORD key, bool up)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
}

// Turns the wheel by notches over the client point of the view, with Ctrl or Shift
// held when asked, as the user's hand would.
void TurnWheel(int notches, WORD holding = 0)
{
    if (holding)
        SendKey(holding, false);
    SendMouse(MOUSEEVENTF_WHEEL, 0, 0, static_cast<DWORD>(notches * WHEEL_DELTA));
    if (holding)
        SendKey(holding, true);
}

// The state once key's value differs from old (or the last one after a while).
std::map<std::string, std::string> StateWhenChanged(TProgram& program, const std::string& key, const std::string& old)
{
    auto state = program.State();
    for (int i = 0; i < 60 && state[key] == old; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        state = program.State();
    }
    // One input can change the state over several messages (the zoom first, the origin
    // after it): read until two readings agree.
    for (int i = 0; i < 20; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        auto again = program.State();
        if (again == state)
            break;
        state = std::move(again);
    }
    return state;
}

// The image coordinate under client coordinate p at zoom n/d with the view origin.
int ImageAt(int p, int origin, int n, int d)
{
    const long long scaled = static_cast<long long>(p - origin) * d;
    return static_cast<int>(scaled >= 0 ? scaled / n : -((-scaled + n - 1) / n));
}

// The client coordinate where image coordinate i starts at zoom n/d with the view origin.
int WindowAt(int i, int origin, int n, int d)
{
    const long long scaled = static_cast<long long>(i) * n;
    return static_cast<int>(scaled >= 0 ? scaled / d : -((-scaled + d - 1) / d)) + origin;
}

}  // namespace

TEST(VxEditorEndToEndTest, WheelScrollsAndCtrlWheelZoomsAboutThePointer)
{
    TProgram program("Wheel");
    const fs::path picture = program.Pictures() / L"wide.bmp";
    WriteBmp(picture, 2400, 1800);
    ASSERT_TRUE(program.Start(picture.wstring()));
    ASSERT_TRUE(program.Command(L"menu:actualsize"));
    auto state = program.State();
    ASSERT_EQ(state["zoom"], "1/1");
    const auto [sx, sy] = Pair(state["viewscreen"]);
    const auto [cw, ch] = Pair(state["client"]);
    // A point away from the centre, so zooming about it differs from zooming about the centre.
    ASSERT_TRUE(BringToFront(program.Window()));
    SetCursorPos(sx + cw / 3, sy + ch / 3);
    SendMouse(MOUSEEVENTF_MOVE, 1, 0);
    SendMouse(MOUSEEVENTF_MOVE, -1, 0);
    // Relative moves pass through the pointer's acceleration, so the pointer need not be
    // back exactly where it was put: zooming is about where it really is.
    POINT pointer{};
    ASSERT_TRUE(GetCursorPos(&pointer));
    const int px = pointer.x - sx, py = pointer.y - sy;

    // Towards the user: the picture moves up, the view shows what lies below.
    const std::string start = program.State()["origin"];
    const auto [ox, oy] = Pair(start);
    TurnWheel(-1);
    state = StateWhenChanged(program, "origin", start);
    const auto [ox1, oy1] = Pair(state["origin"]);
    EXPECT_EQ(ox1, ox);
    EXPECT_LT(oy1, oy);
    // Away: back where it was. With Shift: sideways.
    TurnWheel(1);
    state = StateWhenChanged(program, "origin", state["origin"]);
    EXPECT_EQ(state["origin"], start);
    TurnWheel(-1, VK_SHIFT);
    state = StateWhenChanged(program, "origin", start);
    const auto [ox2, oy2] = Pair(state["origin"]);
    EXPECT_LT(ox2, ox);
    EXPECT_EQ(oy2, oy);
    // Tilted right: further right.
    SendMouse(MOUSEEVENTF_HWHEEL, 0, 0, WHEEL_DELTA);
    state = StateWhenChanged(program, "origin", state["origin"]);
    const auto [ox3, oy3] = Pair(state["origin"]);
    EXPECT_LT(ox3, ox2);
    EXPECT_EQ(oy3, oy);

    // Ctrl: one zoom step per notch, the image pixel under the pointer stays under it.
    const auto [bx, by] = Pair(state["origin"]);
    const int imageX = ImageAt(px, bx, 1, 1), imageY = ImageAt(py, by, 1, 1);
    TurnWheel(1, VK_CONTROL);
    state = StateWhenChanged(program, "zoom", "1/1");
    ASSERT_EQ(state["zoom"], "3/2");
    auto [zx, zy] = Pair(state["origin"]);
    EXPECT_EQ(ImageAt(px, zx, 3, 2), imageX);
    EXPECT_EQ(ImageAt(py, zy, 3, 2), imageY);
    // Two notches back: 3/4, where one window pixel covers more than one image pixel.
    TurnWheel(-2, VK_CONTROL);
    state = StateWhenChanged(program, "zoom", "3/2");
    ASSERT_EQ(state["zoom"], "3/4");
    std::tie(zx, zy) = Pair(state["origin"]);
    // The image pixel is drawn over the pointer: its edge at or before it, the next
    // pixel's edge at or after it.
    EXPECT_LE(WindowAt(imageX, zx, 3, 4), px);
    EXPECT_GE(WindowAt(imageX + 1, zx, 3, 4), px);
    EXPECT_LE(WindowAt(imageY, zy, 3, 4), py);
    EXPECT_GE(WindowAt(imageY + 1, zy, 3, 4), py);
    CloseDiscarding(program);
}

TEST(VxEditorEndToEndTest, NavigationKeysScrollTheView)
{
    TProgram program("Keys");
    const fs::path picture = program.Pictures() / L"tall.bmp";
    WriteBmp(picture, 2400, 1800);
    ASSERT_TRUE(program.Start(picture.wstring()));
    ASSERT_TRUE(program.Command(L"menu:actualsize"));
    auto state = program.State();
    const auto [ox, oy] = Pair(state["origin"]);
    const auto [cw, ch] = Pair(state["client"]);
    // Home: the top edge; Page Down: three quarters of the view; Down: a line; End: the bottom.
    ASSERT_TRUE(program.Command(L"key:" + std::to_wstring(VK_HOME)));
    state = program.State();
    EXPECT_EQ(state["origin"], std::to_string(ox) + ",0");
    ASSERT_TRUE(program.Command(L"key:" + std::to_wstring(VK_NEXT)));
    const int page = MulDiv(ch, 3, 4);
    EXPECT_EQ(program.State()["origin"], std::to_string(ox) + "," + std::to_string(-page));
    ASSERT_TRUE(program.Command(L"key:" + std::to_wstring(VK_DOWN)));
    EXPECT_EQ(program.State()["origin"], std::to_string(ox) + "," + std::to_string(-page - std::max(8, ch / 20)));
    ASSERT_TRUE(program.Command(L"key:" + std::to_wstring(VK_END)));
    const auto [ex, ey] = Pair(program.State()["origin"]);
    EXPECT_EQ(ex, ox);
    EXPECT_LT(ey, -page - std::max(8, ch / 20));
    // At the bottom, Down has nowhere to go.
    ASSERT_TRUE(program.Command(L"key:" + std::to_wstring(VK_DOWN)));
    EXPECT_EQ(program.State()["origin"], std::to_string(ex) + "," + std::to_string(ey));
    ASSERT_TRUE(program.Command(L"key:" + std::to_wstring(VK_RIGHT)));
    const auto [rx, ry] = Pair(program.State()["origin"]);
    EXPECT_EQ(rx, ox - std::max(8, cw / 20));
    EXPECT_EQ(ry, ey);
    EXPECT_LT(oy, 0); // actual size started in the middle of the picture
    CloseDiscarding(program);
}

TEST(VxEditorEndToEndTest, FirstRunOpensLargeWithoutEmptyMenusOrPanels)
{
    TProgram program("FirstRun");
    ASSERT_TRUE(program.Start());
    auto state = program.State();
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const auto [w, h] = Pair(state["window"]);
    // Most of the work area, not the design size.
    EXPECT_GE(w, (work.right - work.left) * 8 / 10);
    EXPECT_GE(h, (work.bottom - work.top) * 8 / 10);
    EXPECT_EQ(state["helpmenu"], "1");  // shown now that it has items
    // The panel holds the tools' buttons from the start.
    EXPECT_EQ(state["toolpanel-shown"], "1");
    program.Close();
    EXPECT_EQ(program.WaitForExit(), 0u);
}

TEST(VxEditorEndToEndTest, OpenDialogRefusesAMissingNameAndKeepsThePicture)
{
    TProgram program("Missing");
    const fs::path picture = program.Pictures() / L"kept.bmp";
    WriteBmp(picture, 64, 32);
    ASSERT_TRUE(program.Start(picture.wstring()));
    program.PostCommand(L"menu:open");
    ASSERT_TRUE(AnswerFileDialog(program, program.Pictures() / L"nothing-here.bmp"));
    // The dialog answers with a box of its own (its text is the platform's) and stays open.
    HWND box = nullptr;
    for (int i = 0; i < 300 && !box; ++i) {
        for (HWND window : program.Dialogs(0))
            if (!BoxText(window).empty())
                box = window;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_NE(box, nullptr) << "the dialog took the name";
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    HWND dialog = nullptr;
    for (int i = 0; i < 100 && !dialog; ++i) {
        for (HWND window : program.Dialogs(0))
            if (window != box && BoxText(window).empty())
                dialog = window;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_NE(dialog, nullptr);
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(program.WaitForLog("done menu:open"));
    auto state = program.State();
    EXPECT_EQ(state["documents"], "1");
    EXPECT_EQ(state["file"], "kept.bmp");
    CloseDiscarding(program);
}

// With the page allocator refusing everything, an edit of the whole picture says that
// memory ran out and leaves the picture and its history alone; with memory back, the
// same edits go through.
TEST(VxEditorEndToEndTest, EditsWithoutMemoryLeaveThePictureAndSaySo)
{
    TProgram program("NoMemory");
    const fs::path picture = program.Pictures() / L"nomemory.bmp";
    WriteBmp(picture, 60, 40);
    ASSERT_TRUE(program.Start(picture.wstring()));
    ASSERT_TRUE(program.Command(L"invert"));
    ASSERT_TRUE(program.Command(L"pages:off"));
    for (const wchar_t* edit : {L"invert", L"rotateright"}) {
        SCOPED_TRACE(std::string(edit, edit + wcslen(edit)));
        program.PostCommand(edit);
        // The box window exists a moment before its text does: wait for the text.
        const std::wstring expected = LanguageString("English.ini", CP_UTF8, 1038);
        HWND box = WaitForBox(program, expected);
        ASSERT_NE(box, nullptr) << "no box saying that memory ran out";
        const std::vector<HWND> boxes = program.Dialogs(0);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(BoxText(box), expected) << Narrow(BoxText(box));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(program.WaitForLog("done " + std::string(edit, edit + wcslen(edit))));
        auto state = program.State();
        EXPECT_EQ(state["undo"], "1/1");
        const std::vector<std::string> panels = Split(state["status"], '|');
        ASSERT_EQ(panels.size(), 7u) << state["status"];
        EXPECT_EQ(panels[2], "60");
        EXPECT_EQ(panels[3], "40");
    }
    ASSERT_TRUE(program.Command(L"pages:on"));
    ASSERT_TRUE(program.Command(L"rotateright"));
    ASSERT_TRUE(program.Command(L"invert"));
    auto state = program.State();
    EXPECT_EQ(state["undo"], "2/2");
    const std::vector<std::string> panels = Split(state["status"], '|');
    ASSERT_EQ(panels.size(), 7u) << state["status"];
    EXPECT_EQ(panels[2], "40");
    EXPECT_EQ(panels[3], "60");
    EXPECT_TRUE(program.Dialogs(0).empty());
    CloseDiscarding(program);
}
