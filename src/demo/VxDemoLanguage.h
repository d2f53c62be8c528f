#pragma once
// The block directives of lessons: a directive line ("#FOR 0.5 Zoom 1 3") is not run
// itself but expands into plain lines that wait in a queue for the playback.
//
//   if (Language.Process(lines, line)) { line = Language.DirectiveLine(); ... Language.TakeFirst() ... }
//
// Lesson files come from other users, so an expansion is bounded: counting is 64-bit and
// stops before it would overflow, and one directive never generates more than
// MaxGeneratedLines lines (more is refused as a whole, with an error).
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

enum class TVxDemoDirectiveError : std::uint8_t {
    ddeNone,
    ddeNotANumber,     // a count of "#FOR" or "#DOFOR" is not a decimal integer
    ddeZeroStep,       // would never end
    ddeTooManyLines,   // more than MaxGeneratedLines
};

class TVxDemoLanguage {
public:
    static constexpr std::size_t MaxGeneratedLines = 100000;

    void Clear();
    bool IsEmpty() const { return FPending.empty(); }
    std::string TakeFirst();
    std::size_t PendingCount() const { return FPending.size(); }

    // False when lines[index] is not a directive (nothing changes then). Otherwise the
    // generated lines are queued (none when the directive is refused: see LastError).
    bool Process(const std::vector<std::string>& lines, std::size_t index);
    // The directive's own line, or for a block the line holding "#OD" (or the line count).
    std::size_t DirectiveLine() const { return FDirectiveLine; }
    TVxDemoDirectiveError LastError() const { return FLastError; }

private:
    void Add(std::string line);
    void AddTo(std::string_view target, const std::vector<std::string>& words, std::size_t firstMessage);
    void AddMessages(const std::vector<std::string>& words, std::size_t first);
    void ExpandEach(const std::vector<std::string>& words);
    void ExpandFor(const std::vector<std::string>& words);
    void ExpandFinish();
    void ExpandBlock(const std::vector<std::string>& lines, std::size_t index, const std::vector<std::string>& values,
                     std::string_view placeholder);
    bool CountValues(std::string_view fromText, std::string_view toText, std::string_view stepText,
                     std::size_t linesPerValue, std::vector<std::string>& values);

    std::deque<std::string> FPending;
    std::size_t FDirectiveLine = 0;
    TVxDemoDirectiveError FLastError = TVxDemoDirectiveError::ddeNone;
};

// Words of a directive line: separated by blanks and tabs.
std::vector<std::string> SplitDemoWords(std::string_view line);
