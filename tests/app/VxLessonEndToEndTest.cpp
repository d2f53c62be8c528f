// Plays the shipped lessons in the real program, with the real pointer and buttons, and
// checks where they leave it: each must end with the program's "lesson is over" box, not
// with an error box, and with the pictures, zoom and title the lesson promised.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "VxProgramDriver.h"

namespace {

using namespace vxtest;

// The probe's WM_COPYDATA commands.
constexpr ULONG_PTR prbCommand = 0x444E4D43;
constexpr ULONG_PTR prbQuery = 0x59524551;
constexpr ULONG_PTR prbLanguage = 0x474E414C;

std::map<std::string, std::string> ParseState(const std::string& line)
{
    std::map<std::string, std::string> values;
    std::istringstream words(line);
    std::string word, key;
    words >> word;
    while (words >> word && word != "end") {
        const std::size_t eq = word.find('=');
        if (eq != std::string::npos && eq > 0 &&
            word.substr(0, eq).find_first_not_of("abcdefghijklmnopqrstuvwxyz-") == std::string::npos) {
            key = word.substr(0, eq);
            values[key] = word.substr(eq + 1);
        } else if (!key.empty()) {
            values[key] += " " + word;
        }
    }
    return values;
}

void WriteBmp(const fs::path& path, int width, int height, int seed)
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
        std::uint8_t* row = &file[54 + static_cast<std::size_t>(stride) * y];
        for (int x = 0; x < width; ++x) {
            row[3 * x + 0] = static_cast<std::uint8_t>(x * seed);
            row[3 * x + 1] = static_cast<std::uint8_t>(y);
            row[3 * x + 2] = static_cast<std::uint8_t>(x + y);
        }
    }
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
}

class TLessonProgram : public TProgramDriver {
public:
    explicit TLessonProgram(const std::string& name) : TProgramDriver(L"VxLesson", name, 20000)
    {
        fs::create_directories(Folder() / L"Demo");
        for (const auto& entry : fs::directory_iterator(HostPath(VELLORIA_DEMO)))
            fs::copy_file(entry.path(), Folder() / L"Demo" / entry.path().filename());
    }

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

    // The first message box of the program within the time; meanwhile the texts of the
    // lesson's balloons, in order.
    HWND WaitForBox(DWORD timeoutMs, std::vector<std::wstring>& balloons)
    {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < timeoutMs) {
            const auto boxes = Windows([](HWND window, const std::wstring& className) {
                return className == L"#32770" && IsWindowVisible(window);
            });
            if (!boxes.empty())
                return boxes.front();
            for (HWND balloon : Windows([](HWND window, const std::wstring& className) {
                     return className == L"VxBalloon" && IsWindowVisible(window);
                 })) {
                wchar_t text[1024] = {};
                GetWindowTextW(balloon, text, 1024);
                if (balloons.empty() || balloons.back() != text)
                    balloons.push_back(text);
            }
            Sleep(50);
        }
        return nullptr;
    }
};

std::wstring LanguageString(const char* file, UINT codePage, int n)
{
    std::ifstream stream(HostPath(VELLORIA_LANGUAGES) / file, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    const std::string key = "\n" + std::to_string(n) + "=";
    const std::size_t at = text.find(key);
    if (at == std::string::npos)
        return L"<string " + std::to_wstring(n) + L" missing>";
    const std::size_t begin = at + key.size();
    const std::string value = text.substr(begin, text.find_first_of("\r\n", begin) - begin);
    std::wstring wide(value.size(), L'\0');
    wide.resize(static_cast<std::size_t>(MultiByteToWideChar(codePage, 0, value.data(), static_cast<int>(value.size()),
                                                             wide.data(), static_cast<int>(wide.size()))));
    return wide;
}

std::wstring BoxText(HWND box)
{
    wchar_t text[2048] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 2048);
    return text;
}

std::string Narrow(const std::wstring& text)
{
    std::string result;
    for (wchar_t c : text)
        result += c < 128 ? static_cast<char>(c) : '?';
    return result;
}

struct TTourCase {
    const char* Name;
    std::uint16_t Language;
    const char* LanguageFile;
    UINT CodePage;
    std::wstring FirstBalloon;
};

class VxLessonEndToEndTest : public testing::TestWithParam<TTourCase> {};

TEST_P(VxLessonEndToEndTest, TourZoomsBrowsesAndFits)
{
    const TTourCase& c = GetParam();
    TLessonProgram program(std::string("Tour") + c.Name);
    const fs::path pictures = program.Folder() / L"pictures";
    WriteBmp(pictures / L"a.bmp", 1200, 900, 1);
    WriteBmp(pictures / L"b.bmp", 1200, 900, 3);
    ASSERT_TRUE(program.Start((pictures / L"a.bmp").wstring()));
    ASSERT_TRUE(program.Send(prbLanguage, &c.Language, sizeof c.Language));
    auto before = program.State();
    ASSERT_EQ(before["file"], "a.bmp");

    ASSERT_TRUE(program.Command(L"lesson:Tour"));
    ASSERT_TRUE(program.WaitForLog("lesson started"));
    std::vector<std::wstring> balloons;
    const HWND box = program.WaitForBox(120000, balloons);
    ASSERT_NE(box, nullptr) << "the lesson never ended";
    EXPECT_EQ(BoxText(box), LanguageString(c.LanguageFile, c.CodePage, 725)) << Narrow(BoxText(box));
    ASSERT_EQ(balloons.size(), 5u) << "one balloon per message of the lesson";
    EXPECT_EQ(balloons.front(), c.FirstBalloon);

    auto after = program.State();
    EXPECT_EQ(after["file"], "b.bmp") << "the lesson browses to the folder's next picture";
    EXPECT_EQ(after["zoom"], before["zoom"]) << "and fits it as the first one was";
    EXPECT_EQ(after["title"], before["title"]) << "the lesson's title is gone from the program's";
    PostMessageW(box, WM_COMMAND, IDOK, 0);

    ASSERT_TRUE(program.Command(L"lesson:NoSuchLesson"));
    EXPECT_TRUE(program.WaitForLog("lesson refused"));
}

INSTANTIATE_TEST_SUITE_P(
    Languages, VxLessonEndToEndTest,
    testing::Values(TTourCase{"English", 1033, "English.ini", 1252, L"This button enlarges the picture. Let us zoom in twice."},
                    // The lesson's Russian section is in code page 1251.
                    TTourCase{"Russian", 1049, "Russian.ini", 1251,
                              L"\u042d\u0442\u0430 \u043a\u043d\u043e\u043f\u043a\u0430 \u0443\u0432\u0435\u043b\u0438\u0447\u0438\u0432\u0430\u0435\u0442 "
                              L"\u0438\u0437\u043e\u0431\u0440\u0430\u0436\u0435\u043d\u0438\u0435. \u0423\u0432\u0435\u043b\u0438\u0447\u0438\u043c "
                              L"\u0435\u0433\u043e \u0434\u0432\u0430 \u0440\u0430\u0437\u0430."}),
    [](const testing::TestParamInfo<TTourCase>& info) { return std::string(info.param.Name); });

}  // namespace
