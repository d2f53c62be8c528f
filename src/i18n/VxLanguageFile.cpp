#include "i18n/VxLanguageFile.h"

#include <fstream>
#include <iterator>

#include "i18n/VxCodePage.h"

namespace {

constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";

char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Blanks and control characters; bytes of multi-byte UTF-8 sequences are above 0x7F and
// are never trimmed.
bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

TVxIniLine SplitKeyValue(std::string_view line)
{
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return {std::string(line), {}, false};
    return {std::string(TrimIni(line.substr(0, equals))), std::string(TrimIni(line.substr(equals + 1))), true};
}

// The code page named by the first "CodePage" line with a non-zero value, in any section.
std::int32_t FindCodePage(const std::vector<std::string>& lines)
{
    for (const std::string& raw : lines) {
        const TVxIniLine line = SplitKeyValue(TrimIni(raw));
        std::int32_t value = 0;
        if (line.HasValue && SameTextAscii(line.Key, "CodePage") && ParseDecimal(line.Value, value) && value != 0)
            return value;
    }
    return 0;
}

const std::vector<TVxIniLine> NoLines;

}  // namespace

std::string_view TrimIni(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool SameTextAscii(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    }
    return true;
}

bool ParseDecimal(std::string_view text, std::int32_t& value)
{
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return false;
    std::int64_t magnitude = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > std::int64_t{1} << 31)
            return false;
    }
    const std::int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue > INT32_MAX)
        return false;
    value = static_cast<std::int32_t>(signedValue);
    return true;
}

std::vector<std::string> SplitLines(const std::string& bytes)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        std::size_t length = end - start;
        if (length > 0 && bytes[start + length - 1] == '\r')
            --length;
        lines.push_back(bytes.substr(start, length));
        start = end + 1;
    }
    return lines;
}

void ConvertToUtf8(std::vector<std::string>& lines)
{
    if (lines.empty())
        return;
    if (lines.front().starts_with(Utf8Bom)) {
        lines.front().erase(0, Utf8Bom.size());
        return;
    }
    const std::int32_t codePage = FindCodePage(lines);
    if (codePage == 0 || !IsKnownCodePage(static_cast<std::uint32_t>(codePage)))
        return;
    for (std::string& line : lines) {
        std::string utf8;
        CodePageToUtf8(static_cast<std::uint32_t>(codePage), line, utf8);
        line = std::move(utf8);
    }
}

TVxLanguageFile TVxLanguageFile::FromFile(const std::filesystem::path& path)
{
    std::ifstream stream(path, std::ios::binary);
    if (!stream)
        return {};
    const std::string bytes{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
    return FromLines(SplitLines(bytes));
}

TVxLanguageFile TVxLanguageFile::FromLines(std::vector<std::string> lines)
{
    ConvertToUtf8(lines);
    TVxLanguageFile file;
    file.Parse(lines);
    return file;
}

void TVxLanguageFile::Parse(const std::vector<std::string>& lines)
{
    TSection* current = nullptr;
    for (const std::string& raw : lines) {
        const std::string_view line = TrimIni(raw);
        if (line.empty() || line.front() == ';')
            continue;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            FSections.push_back({std::string(TrimIni(line.substr(1, line.size() - 2))), {}});
            current = &FSections.back();
            continue;
        }
        if (current)  // lines before the first section belong to none
            current->Lines.push_back(SplitKeyValue(line));
    }
}

const TVxLanguageFile::TSection* TVxLanguageFile::FindSection(std::string_view name) const
{
    for (const TSection& section : FSections) {
        if (SameTextAscii(section.Name, name))
            return &section;
    }
    return nullptr;
}

const std::vector<TVxIniLine>& TVxLanguageFile::SectionLines(std::string_view section) const
{
    const TSection* found = FindSection(section);
    return found ? found->Lines : NoLines;
}

std::optional<std::string> TVxLanguageFile::ReadValue(std::string_view section, std::string_view key) const
{
    for (const TVxIniLine& line : SectionLines(section)) {
        if (line.HasValue && SameTextAscii(line.Key, key))
            return line.Value;
    }
    return std::nullopt;
}

std::int32_t TVxLanguageFile::ReadInteger(std::string_view section, std::string_view key, std::int32_t fallback) const
{
    const std::optional<std::string> text = ReadValue(section, key);
    std::int32_t value = 0;
    return text && ParseDecimal(*text, value) ? value : fallback;
}
