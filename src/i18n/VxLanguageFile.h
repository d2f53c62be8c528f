#pragma once
// A language file held in memory: INI sections of key=value lines, converted to UTF-8
// first (a UTF-8 byte-order mark, else a "CodePage" key, else the bytes as they are).
//
//   TVxLanguageFile file = TVxLanguageFile::FromFile(path);
//   std::int32_t id = file.ReadInteger("Language", "LangId", 0);
//   for (const TVxIniLine& line : file.SectionLines("Strings")) ...
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct TVxIniLine {
    std::string Key;    // trimmed; the whole line when it has no "="
    std::string Value;  // trimmed
    bool HasValue = false;
};

class TVxLanguageFile {
public:
    // A file that does not exist or cannot be read yields an empty file.
    static TVxLanguageFile FromFile(const std::filesystem::path& path);
    static TVxLanguageFile FromLines(std::vector<std::string> lines);

    // Section names and keys are matched without regard to ASCII case; the first match wins.
    const std::vector<TVxIniLine>& SectionLines(std::string_view section) const;
    std::optional<std::string> ReadValue(std::string_view section, std::string_view key) const;
    std::int32_t ReadInteger(std::string_view section, std::string_view key, std::int32_t fallback) const;

    std::size_t SectionCount() const { return FSections.size(); }

private:
    struct TSection {
        std::string Name;
        std::vector<TVxIniLine> Lines;
    };

    void Parse(const std::vector<std::string>& lines);
    const TSection* FindSection(std::string_view name) const;

    std::vector<TSection> FSections;
};

// A whole decimal integer with an optional sign, nothing else; false on overflow.
bool ParseDecimal(std::string_view text, std::int32_t& value);
bool SameTextAscii(std::string_view a, std::string_view b);
std::string_view TrimIni(std::string_view text);
// Splits raw file bytes at line feeds, dropping the carriage return of CR LF endings.
std::vector<std::string> SplitLines(const std::string& bytes);
// The encoding step: removes a UTF-8 byte-order mark or converts from the "CodePage".
void ConvertToUtf8(std::vector<std::string>& lines);
