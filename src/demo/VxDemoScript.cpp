#include "demo/VxDemoScript.h"

#include <fstream>
#include <iterator>
#include <system_error>

#include "demo/VxDemoScriptParams.h"
#include "i18n/VxCodePage.h"
#include "i18n/VxLanguageFile.h"

namespace {

constexpr std::string_view Utf8Mark = "\xEF\xBB\xBF";

// Blanks and control characters, as a Pascal Trim sees them.
std::string_view TrimLine(std::string_view text)
{
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ')
        text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ')
        text.remove_suffix(1);
    return text;
}

std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

std::string WithoutBlanksAroundEquals(std::string_view line)
{
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return std::string(line);
    return std::string(TrimBlanks(line.substr(0, equals))) + "=" + std::string(TrimBlanks(line.substr(equals + 1)));
}

// Lines end at CR LF, LF or a lone CR, as the INI reading of the platform splits them.
std::vector<std::string> SplitDemoLines(std::string_view bytes)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n')
            continue;
        lines.emplace_back(bytes.substr(start, i - start));
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < bytes.size())
        lines.emplace_back(bytes.substr(start));
    return lines;
}

std::string LanguageSectionName(std::uint16_t id)
{
    return std::to_string(id);
}

}  // namespace

std::uint32_t DemoAnsiCodePage(std::uint16_t languageId)
{
    switch (languageId & 0x3FF) {  // the primary language
    case 0x02:  // Bulgarian
    case 0x19:  // Russian
    case 0x22:  // Ukrainian
    case 0x23:  // Belarusian
    case 0x2F:  // Macedonian
        return 1251;
    default:
        return 1252;
    }
}

TVxDemoScript::TVxDemoScript()
{
    EnsureStandardSections();
}

void TVxDemoScript::Clear()
{
    FSections.clear();
    EnsureStandardSections();
}

void TVxDemoScript::EnsureStandardSections()
{
    if (FindSection("Info") < 0)
        FSections.push_back({"Info", {}});
    if (FindSection("Script") < 0)
        FSections.push_back({"Script", {}});
    FScriptIndex = FindSection("Script");
}

void TVxDemoScript::LoadFromBytes(const std::string& bytes, std::string fileName)
{
    std::string_view text = bytes;
    FIsUtf8 = text.starts_with(Utf8Mark);
    if (FIsUtf8)
        text.remove_prefix(Utf8Mark.size());
    LoadFromLines(SplitDemoLines(text));
    FFileName = std::move(fileName);
}

void TVxDemoScript::LoadFromLines(const std::vector<std::string>& lines)
{
    FSections.clear();
    for (const std::string& raw : lines) {
        const std::string_view line = TrimLine(raw);
        if (line.empty() || line.front() == ';')
            continue;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            FSections.push_back({std::string(TrimLine(line.substr(1, line.size() - 2))), {}});
            continue;
        }
        if (!FSections.empty())
            FSections.back().Lines.push_back(WithoutBlanksAroundEquals(line));
    }
    EnsureStandardSections();
}

void TVxDemoScript::LoadFromFile(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw std::filesystem::filesystem_error("cannot open lesson", path,
                                                std::make_error_code(std::errc::no_such_file_or_directory));
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    LoadFromBytes(bytes, path.string());
}

std::string TVxDemoScript::SaveToBytes() const
{
    std::string bytes = FIsUtf8 ? std::string(Utf8Mark) : std::string();
    for (const TVxDemoSection& section : FSections) {
        bytes += "[" + section.Name + "]\r\n";
        for (const std::string& line : section.Lines)
            bytes += line + "\r\n";
    }
    return bytes;
}

void TVxDemoScript::SaveToFile(const std::filesystem::path& path) const
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    const std::string bytes = SaveToBytes();
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file)
        throw std::filesystem::filesystem_error("cannot write lesson", path, std::make_error_code(std::errc::io_error));
}

void TVxDemoScript::Assign(const TVxDemoScript& other)
{
    FIsUtf8 = other.FIsUtf8;
    FFileName = other.FFileName;
    FSections = other.FSections;
    FScriptIndex = other.FScriptIndex;
}

int TVxDemoScript::FindSection(std::string_view name) const
{
    for (std::size_t i = 0; i < FSections.size(); ++i) {
        if (SameTextAscii(FSections[i].Name, name))
            return static_cast<int>(i);
    }
    return -1;
}

int TVxDemoScript::AddSection(std::string name)
{
    FSections.push_back({std::move(name), {}});
    return SectionCount() - 1;
}

bool TVxDemoScript::DeleteSection(int index)
{
    if (index < 0 || index >= SectionCount() || index == FScriptIndex || index == FindSection("Info"))
        return false;
    FSections.erase(FSections.begin() + index);
    FScriptIndex = FindSection("Script");
    return true;
}

std::string TVxDemoScript::SectionValue(int index, std::string_view key) const
{
    for (const std::string& line : Section(index).Lines) {
        const std::size_t equals = line.find('=');
        const std::string_view name = std::string_view(line).substr(0, equals);
        if (SameTextAscii(name, key))
            return equals == std::string::npos ? std::string() : line.substr(equals + 1);
    }
    return {};
}

std::string TVxDemoScript::LocalizedValue(std::string_view key, const TVxDemoLanguageContext& language) const
{
    int index = FindSection(LanguageSectionName(language.CurrentLanguageId));
    if (index < 0)
        index = FindSection(LanguageSectionName(language.DefaultLanguageId));
    if (index < 0)
        return {};
    return Decode(SectionValue(index, key), language);
}

std::string TVxDemoScript::Decode(const std::string& value, const TVxDemoLanguageContext& language) const
{
    if (FIsUtf8)
        return value;
    std::string utf8;
    return CodePageToUtf8(language.AnsiCodePage, value, utf8) ? utf8 : value;
}

std::string TVxDemoScript::Title(const TVxDemoLanguageContext& language) const
{
    std::string title = LocalizedValue("Title", language);
    if (title.empty())
        title = Decode(SectionValue(FindSection("Info"), "Title"), language);
    if (title.empty())
        title = std::filesystem::path(FFileName).stem().string();
    return title;
}
