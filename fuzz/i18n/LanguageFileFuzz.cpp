// Arbitrary bytes as a language file (users add their own translations): the lines, the
// byte-order mark, the "CodePage" conversion and the INI reading must hold their promises
// on anything, not only stay inside memory.
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "i18n/VxCodePage.h"
#include "i18n/VxLanguageFile.h"
#include "i18n/VxLocalizer.h"

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

bool IsTrimmed(std::string_view text)
{
    return TrimIni(text) == text;
}

// The same rule written a second way: an optional sign, then decimal digits only.
bool ReferenceDecimal(std::string_view text, std::int32_t& value)
{
    std::string number;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        if (text.front() == '-')
            number = "-";
        text.remove_prefix(1);
    }
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos)
        return false;
    number += text;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    return error == std::errc{} && end == number.data() + number.size();
}

void CheckDecimal(std::string_view text)
{
    std::int32_t ours = 0;
    std::int32_t reference = 0;
    const bool parsed = ParseDecimal(text, ours);
    Require(parsed == ReferenceDecimal(text, reference));
    Require(!parsed || ours == reference);
}

// Valid UTF-8 goes through wide text and back unchanged.
bool IsValidUtf8(const std::string& text)
{
    return WideToUtf8(Utf8ToWide(text)) == text;
}

// A single-byte code page turns every byte into exactly one character, ASCII into itself.
void CheckSingleByte(std::uint32_t codePage, const std::string& bytes)
{
    std::string utf8;
    Require(CodePageToUtf8(codePage, bytes, utf8));
    Require(IsValidUtf8(utf8));
    const std::wstring wide = Utf8ToWide(utf8);
    Require(wide.size() == bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        Require(byte >= 0x80 ? wide[i] >= 0x80 : wide[i] == byte);
    }
}

void CheckLines(const std::string& bytes, const std::vector<std::string>& lines)
{
    std::size_t lineFeeds = 0;
    for (char c : bytes)
        lineFeeds += c == '\n';
    const bool openLast = !bytes.empty() && bytes.back() != '\n';
    Require(lines.size() == lineFeeds + (openLast ? 1 : 0));
    for (const std::string& line : lines)
        Require(line.find('\n') == std::string::npos);
}

void CheckEncoding(const std::vector<std::string>& raw, const std::vector<std::string>& converted)
{
    Require(raw.size() == converted.size());
    if (raw.empty())
        return;
    if (raw.front().starts_with("\xEF\xBB\xBF")) {
        Require(converted.front() == raw.front().substr(3));
        for (std::size_t i = 1; i < raw.size(); ++i)
            Require(converted[i] == raw[i]);
        return;
    }
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (converted[i] != raw[i])  // converted from a code page: valid UTF-8
            Require(IsValidUtf8(converted[i]));
    }
}

// Keys and values come out trimmed, and a lookup finds the first line with the key.
void CheckSection(const TVxLanguageFile& file, std::string_view section)
{
    const std::vector<TVxIniLine>& lines = file.SectionLines(section);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const TVxIniLine& line = lines[i];
        Require(IsTrimmed(line.Key) && IsTrimmed(line.Value));
        Require(line.HasValue || line.Value.empty());
        CheckDecimal(line.Key);
        CheckDecimal(line.Value);
        if (!line.HasValue)
            continue;
        // Decoding for display never fails, and what it gives encodes back stably.
        const std::wstring wide = Utf8ToWide(line.Value);
        Require(Utf8ToWide(WideToUtf8(wide)) == wide);
        if (i % 16 == 0) {  // every line would make each run quadratic in the file
            std::size_t first = 0;
            while (!(lines[first].HasValue && SameTextAscii(lines[first].Key, line.Key)))
                ++first;
            Require(file.ReadValue(section, line.Key) == lines[first].Value);
        }
        FormatLocalized(wide, L"name");
    }
}

// The strings of a file taken at once are those that adding them one by one and sorting gives.
void CheckStringList(const TVxLanguageFile& file)
{
    std::vector<TVxLocalString> strings;
    TVxLocalStringList added;
    for (const TVxIniLine& line : file.SectionLines("Strings")) {
        std::int32_t id = 0;
        if (line.HasValue && ParseDecimal(line.Key, id)) {
            strings.push_back({id, line.Value});
            added.Add(id, line.Value);
        }
    }
    added.Sort();
    TVxLocalStringList assigned;
    assigned.Assign(strings);
    Require(assigned.Count() == added.Count());
    for (const TVxLocalString& string : strings) {
        const std::string* text = assigned.Find(string.Id);
        Require(text && *text == *added.Find(string.Id));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> raw = SplitLines(bytes);
    CheckLines(bytes, raw);

    std::vector<std::string> converted = raw;
    ConvertToUtf8(converted);
    CheckEncoding(raw, converted);

    const TVxLanguageFile file = TVxLanguageFile::FromLines(raw);
    Require(file.SectionCount() <= raw.size());
    for (std::string_view section : {"Language", "Strings"})
        CheckSection(file, section);
    file.ReadInteger("Language", "LangId", 0);
    CheckStringList(file);

    CheckSingleByte(1251, bytes);
    CheckSingleByte(1252, bytes);
    return 0;
}
