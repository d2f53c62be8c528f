#include "demo/VxDemoLessonList.h"

#include <algorithm>
#include <system_error>

#include "demo/VxDemoScriptParams.h"
#include "i18n/VxCodePage.h"

namespace {

wchar_t FoldCase(wchar_t c)
{
    if (c >= L'A' && c <= L'Z')
        return static_cast<wchar_t>(c - L'A' + L'a');
    if (c >= 0x0410 && c <= 0x042F)  // Cyrillic А..Я
        return static_cast<wchar_t>(c + 0x20);
    if (c >= 0x0400 && c <= 0x040F)  // Ѐ..Џ, Ё among them
        return static_cast<wchar_t>(c + 0x50);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)  // Latin-1 capitals
        return static_cast<wchar_t>(c + 0x20);
    return c;
}

std::vector<std::filesystem::path> LessonFiles(const std::filesystem::path& folder)
{
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::filesystem::path& path = it->path();
        std::string extension = path.extension().string();
        if (UpperAscii(extension) == ".DSC" && it->is_regular_file(error))
            files.push_back(path);
    }
    // Directory order differs between systems; the name order makes ties reproducible.
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

bool DemoTitleLess(const std::string& a, const std::string& b)
{
    const std::wstring wa = Utf8ToWide(a);
    const std::wstring wb = Utf8ToWide(b);
    return std::lexicographical_compare(wa.begin(), wa.end(), wb.begin(), wb.end(),
                                        [](wchar_t x, wchar_t y) { return FoldCase(x) < FoldCase(y); });
}

void SortDemoLessons(std::vector<TVxDemoLesson>& lessons)
{
    std::stable_sort(lessons.begin(), lessons.end(),
                     [](const TVxDemoLesson& x, const TVxDemoLesson& y) { return DemoTitleLess(x.Title, y.Title); });
}

std::string ResolveDemoTitle(const std::string& title, const TVxDemoStringLookup& strings)
{
    if (title.size() < 2 || title[0] != '&' || !strings)
        return title;
    const std::optional<std::int32_t> id = ParseDemoInteger(std::string_view(title).substr(1));
    return id ? strings(*id) : title;
}

std::vector<TVxDemoLesson> LoadDemoLessons(const std::filesystem::path& folder, const TVxDemoLanguageContext& language,
                                           const TVxDemoStringLookup& strings)
{
    std::vector<TVxDemoLesson> lessons;
    for (const std::filesystem::path& file : LessonFiles(folder)) {
        auto script = std::make_unique<TVxDemoScript>();
        try {
            script->LoadFromFile(file);
        } catch (const std::exception&) {
            continue;
        }
        TVxDemoLesson lesson;
        lesson.File = file;
        lesson.Title = ResolveDemoTitle(script->Title(language), strings);
        const int info = script->FindSection("Info");
        for (const std::string& line : script->Section(info).Lines) {
            if (UpperAscii(line.substr(0, 6)) == "IMAGE=") {
                lesson.Image = line.substr(6);
                break;
            }
        }
        lesson.Script = std::move(script);
        lessons.push_back(std::move(lesson));
    }
    SortDemoLessons(lessons);
    return lessons;
}

int PreselectedDemoLesson(int lastLesson, int count)
{
    if (count <= 0)
        return -1;
    return std::clamp(lastLesson, 0, count - 1);
}
