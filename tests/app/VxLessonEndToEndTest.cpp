// Plays the shipped lessons in the real program, with the real pointer and buttons, and
// checks where they leave it: each must end with the program's "lesson is over" box, not
// with an error box, and with the pictures, zoom and title the lesson promised.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <filesystem>
#include <fstream>
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

    // The first message box of the program within the time.
    HWND WaitForBox(DWORD timeoutMs)
    {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < timeoutMs) {
            const auto boxes = Windows([](HWND window, const std::wstring& className) {
                return className == L"#32770" && IsWindowVisible(window);
            });
            if (!boxes.empty())
                return boxes.front();
            Sleep(100);
        }
        return nullptr;
    }
};

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

TEST(VxLessonEndToEndTest, TourZoomsBrowsesAndFits)
{
    TLessonProgram program("Tour");
    const fs::path pictures = program.Folder() / L"pictures";
    WriteBmp(pictures / L"a.bmp", 1200, 900, 1);
    WriteBmp(pictures / L"b.bmp", 1200, 900, 3);
    ASSERT_TRUE(program.Start((pictures / L"a.bmp").wstring()));
    auto before = program.State();
    ASSERT_EQ(before["file"], "a.bmp");

    ASSERT_TRUE(program.Command(L"lesson:Tour"));
    ASSERT_TRUE(program.WaitForLog("lesson started"));
    const HWND box = program.WaitForBox(120000);
    ASSERT_NE(box, nullptr) << "the lesson never ended";
    EXPECT_EQ(Narrow(BoxText(box)), "The lesson is over.");

    auto after = program.State();
    EXPECT_EQ(after["file"], "b.bmp") << "the lesson browses to the folder's next picture";
    EXPECT_EQ(after["zoom"], before["zoom"]) << "and fits it as the first one was";
    EXPECT_EQ(after["title"], before["title"]) << "the lesson's title is gone from the program's";
    PostMessageW(box, WM_COMMAND, IDOK, 0);

    ASSERT_TRUE(program.Command(L"lesson:NoSuchLesson"));
    EXPECT_TRUE(program.WaitForLog("lesson refused"));
}

}  // namespace
