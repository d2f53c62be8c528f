#pragma once
// One lesson file held in memory: named sections of lines, read like an INI file, with
// the texts of each language in a section named by its decimal language id.
//
//   TVxDemoScript script;
//   script.LoadFromBytes(ReadAll(path), path.string());
//   for (const std::string& line : script.ScriptLines()) ...
//   std::string title = script.LocalizedValue("Title", {1049, 1033, 1251});
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

struct TVxDemoSection {
    std::string Name;
    std::vector<std::string> Lines;
};

// Where localized values are looked up and how ANSI text of the current language is read.
struct TVxDemoLanguageContext {
    std::uint16_t CurrentLanguageId = 0;
    std::uint16_t DefaultLanguageId = 0;
    std::uint32_t AnsiCodePage = 1252;
};

class TVxDemoScript {
public:
    TVxDemoScript();

    void LoadFromBytes(const std::string& bytes, std::string fileName = {});
    void LoadFromLines(const std::vector<std::string>& lines);
    // Throws std::filesystem::filesystem_error when the file cannot be read.
    void LoadFromFile(const std::filesystem::path& path);
    // The byte-order mark is written again when the file had one, so that its UTF-8
    // texts come back as they were.
    std::string SaveToBytes() const;
    void SaveToFile(const std::filesystem::path& path) const;
    void Assign(const TVxDemoScript& other);
    void Clear();

    int FindSection(std::string_view name) const;  // first match, any case; -1 when absent
    std::vector<std::string>& SectionLines(int index) { return FSections[static_cast<std::size_t>(index)].Lines; }
    const TVxDemoSection& Section(int index) const { return FSections[static_cast<std::size_t>(index)]; }
    int SectionCount() const { return static_cast<int>(FSections.size()); }
    int AddSection(std::string name);
    // "Info" and "Script" are refused: the playback holds on to the script's lines.
    bool DeleteSection(int index);

    std::vector<std::string>& ScriptLines() { return SectionLines(FScriptIndex); }
    const std::vector<std::string>& ScriptLines() const { return FSections[static_cast<std::size_t>(FScriptIndex)].Lines; }

    // UTF-8 text, or empty when neither language has the key.
    std::string LocalizedValue(std::string_view key, const TVxDemoLanguageContext& language) const;
    // Without "&" resolution, which needs the program's strings: the caller does that.
    std::string Title(const TVxDemoLanguageContext& language) const;

    bool IsUtf8() const { return FIsUtf8; }
    void SetUtf8(bool utf8) { FIsUtf8 = utf8; }
    const std::string& FileName() const { return FFileName; }

private:
    void EnsureStandardSections();
    std::string SectionValue(int index, std::string_view key) const;
    std::string Decode(const std::string& value, const TVxDemoLanguageContext& language) const;

    bool FIsUtf8 = false;
    std::string FFileName;
    std::vector<TVxDemoSection> FSections;
    int FScriptIndex = 0;
};

// The ANSI code page a language's texts are written in when a lesson is not UTF-8.
std::uint32_t DemoAnsiCodePage(std::uint16_t languageId);
