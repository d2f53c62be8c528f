// The Help menu of the real program: the update check against a server of the test's own
// on 127.0.0.1 (the address and limits come from the state file, as a user's settings
// would), and the help file opened by F1.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <string>
#include <thread>

#include "app/VxProgramDriver.h"
#include "app/VxTestProbe.h"
#include "help/VxHelp.h"
#include "help/VxLoopbackServer.h"
#include "settings/VxSDF.h"
#include "settings/VxStreams.h"

namespace {

namespace fs = std::filesystem;

class TProgramDriver : public vxtest::TProgramDriver {
public:
    using vxtest::TProgramDriver::TProgramDriver;
    using vxtest::TProgramDriver::Windows;
};

void WriteHelpSettings(const fs::path& stateFile, const std::wstring& updateAddress, std::int32_t stepMs, std::int32_t totalMs)
{
    fs::create_directories(stateFile.parent_path());
    TVxFileStream file(stateFile, TVxFileStream::TMode::Create);
    TVxSDFWriter writer(&file);
    writer.BeginNode(1, TVxHelp::StateIdentifier);
    writer.WriteString(1, updateAddress);
    writer.WriteString(2, L"http://127.0.0.1:9/product");
    writer.WriteInteger(4, stepMs);
    writer.WriteInteger(5, totalMs);
    writer.EndNode();
    file.Flush();
}

std::wstring BoxText(HWND box)
{
    wchar_t text[2048] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 2048);
    return text;
}

std::wstring Caption(HWND window)
{
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

HWND WaitForBox(const TProgramDriver& program, int timeoutMs)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    do {
        const auto boxes = program.Windows([](HWND window, const std::wstring& name) {
            return IsWindowVisible(window) && name == L"#32770" && !BoxText(window).empty();
        });
        if (!boxes.empty())
            return boxes.front();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (std::chrono::steady_clock::now() < end);
    return nullptr;
}

bool RunCommand(TProgramDriver& program, const std::wstring& name)
{
    const std::wstring text = L"run:" + name;
    return program.Send(prbCommand, text.c_str(), text.size() * sizeof(wchar_t));
}

struct TUpdateCase {
    const char* Name;
    TVxLoopbackServer::TMode Mode;
    std::string Body;
    std::wstring Expected;  // a part of the box's text
    bool AnswersLate = false;  // the window is asked something while the check still waits
};

TEST(VxHelpEndToEndTest, UpdateCheckAnswersWithoutFreezingTheWindow)
{
    const TUpdateCase cases[] = {
        {"newer through the fallback section", TVxLoopbackServer::smAnswer, "[Velloria-German]\nVersion=9\n[Velloria]\nVersion=2.3.0\n",
         L"(2.3.0)"},
        {"2.2.9 is older than the running 2.2.12", TVxLoopbackServer::smAnswer, "[Velloria]\nVersion=2.2.9\n", L"latest version"},
        {"garbage", TVxLoopbackServer::smGarbage, std::string("\x01\x02garbage\xFF\r\n\r\n", 14), L"latest version"},
        {"a server that never answers", TVxLoopbackServer::smSilent, "", L"latest version", true},
    };
    for (const TUpdateCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TVxLoopbackServer server(c.Mode, c.Body);
        TProgramDriver program(L"Vx", "Update", 5000);
        WriteHelpSettings(program.StateFile(), server.Address(L"/update.ini"), 1000, 3000);
        ASSERT_TRUE(program.Start());
        ASSERT_TRUE(RunCommand(program, L"CHECKFORUPDATES"));
        // While the check waits for the server the window still answers at once.
        if (c.AnswersLate) {
            ASSERT_TRUE(program.Send(prbQuery));
            EXPECT_TRUE(program.WaitForLog("state caption=", 2000));
            EXPECT_EQ(WaitForBox(program, 0), nullptr) << "answered before the server did";
        }
        const HWND box = WaitForBox(program, 20000);
        ASSERT_NE(box, nullptr) << "no answer to the update check; the probe logged:\n" << vxtest::ReadAll(program.Folder() / L"run1.log");
        EXPECT_NE(BoxText(box).find(c.Expected), std::wstring::npos) << Narrow(BoxText(box));
        PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
        program.Stop();
    }
}

HWND WaitForCaption(const TProgramDriver& program, const std::wstring& caption)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    do {
        const auto found = program.Windows([&](HWND window, const std::wstring&) { return Caption(window) == caption; });
        if (!found.empty())
            return found.front();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    } while (std::chrono::steady_clock::now() < end);
    return nullptr;
}

TEST(VxHelpEndToEndTest, F1OpensTheCompiledHelpFileOfTheLanguage)
{
    // Opening help loads the HTML Help control inside the command, the first time in the
    // prefix too: seconds on a busy machine.
    TProgramDriver program(L"Vx", "Help", 60000);
    fs::path exe;
    for (const fs::directory_entry& entry : fs::directory_iterator(program.Folder()))
        if (entry.path().extension() == L".exe")
            exe = entry.path();
    // Named in capitals: the extension's case must not matter.
    fs::copy_file(vxtest::HostPath(VELLORIA_HELP_FILE), fs::path(exe).replace_extension(L".CHM"));
    fs::copy_file(vxtest::HostPath(VELLORIA_RUSSIAN_HELP_FILE), fs::path(exe).replace_extension(L".Russian.chm"));
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(RunCommand(program, L"HELPCONTENTS"));
    const HWND english = WaitForCaption(program, L"Velloria Help");
    ASSERT_NE(english, nullptr) << "no HTML Help window titled \"Velloria Help\"";
    // Closed before the language changes: a close still queued would otherwise reach the
    // help window the next command opens.
    PostMessageW(english, WM_CLOSE, 0, 0);
    for (int i = 0; i < 100 && IsWindow(english); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_FALSE(IsWindow(english)) << "the English help window did not close";

    const std::uint16_t russian = 1049;
    ASSERT_TRUE(program.Send(prbLanguage, &russian, sizeof russian));
    ASSERT_TRUE(RunCommand(program, L"HELPCONTENTS"));
    // The Russian file's title is in code page 1251; Wine's HTML Help shows it through the
    // ANSI code page of the locale it runs in, so the test only asks for a help window that
    // is not the English one.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    std::vector<HWND> russianWindows;
    do {
        russianWindows = program.Windows([](HWND window, const std::wstring& className) {
            return className == L"HH Parent" && IsWindowVisible(window) && Caption(window) != L"Velloria Help";
        });
        if (russianWindows.empty())
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
    } while (russianWindows.empty() && std::chrono::steady_clock::now() < end);
    EXPECT_FALSE(russianWindows.empty()) << "no window of the Russian help file";
    program.Stop();
}

}  // namespace
