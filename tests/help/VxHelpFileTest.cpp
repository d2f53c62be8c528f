#include <gtest/gtest.h>

#include <set>
#include <string>

#include "help/VxHelpFile.h"

namespace {

namespace fs = std::filesystem;

struct TFolder {
    std::set<std::wstring> Files;
    bool operator()(const fs::path& path) const { return Files.count(path.filename().wstring()) != 0; }
};

TEST(VxHelpFileTest, ChoosesTheFileAndHowItIsShown)
{
    struct TCase {
        const char* Name;
        std::wstring Setting;
        std::wstring Language;
        std::set<std::wstring> Files;
        std::wstring Chosen;
        bool Html;
    };
    const TCase cases[] = {
        {"program's chm", L"", L"", {L"Velloria.chm", L"Velloria.hlp"}, L"Velloria.chm", true},
        {"hlp when no chm", L"", L"", {L"Velloria.hlp"}, L"Velloria.hlp", false},
        {"language's own chm first", L"", L"Russian", {L"Velloria.chm", L"Velloria.Russian.chm"}, L"Velloria.Russian.chm", true},
        {"language without its own file", L"", L"Russian", {L"Velloria.chm"}, L"Velloria.chm", true},
        {"nothing there", L"", L"", {}, L"", false},
        {"setting wins, capital CHM is HTML Help", L"HELP.CHM", L"", {L"Velloria.chm"}, L"HELP.CHM", true},
        {"setting in mixed case", L"Manual.cHm", L"", {}, L"Manual.cHm", true},
        {"setting of classic help", L"Manual.HLP", L"", {L"Velloria.chm"}, L"Manual.HLP", false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const TVxHelpFileChoice choice = FindHelpFile(c.Setting, L"Velloria.exe", c.Language, TFolder{c.Files});
        EXPECT_EQ(choice.Path.filename().wstring(), c.Chosen);
        EXPECT_EQ(choice.HtmlHelp, c.Html);
    }
}

TEST(VxHelpFileTest, SystemRootIsReplacedOnlyAtTheStart)
{
    const std::wstring windows = L"C:\\windows";
    EXPECT_EQ(ExpandSystemRoot(L"%SystemRoot%\\System32\\hhctrl.ocx", windows), L"C:\\windows\\System32\\hhctrl.ocx");
    EXPECT_EQ(ExpandSystemRoot(L"%SYSTEMROOT%\\hhctrl.ocx", windows), L"C:\\windows\\hhctrl.ocx");
    EXPECT_EQ(ExpandSystemRoot(L"C:\\x\\%SystemRoot%\\hhctrl.ocx", windows), L"C:\\x\\%SystemRoot%\\hhctrl.ocx");
    EXPECT_EQ(ExpandSystemRoot(L"%System", windows), L"%System");
}

}  // namespace
