#include "demo/VxDemoLanguage.h"

#include <optional>

#include "demo/VxDemoScriptParams.h"

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string FirstWordUpper(std::string_view line)
{
    std::size_t at = 0;
    while (at < line.size() && IsBlank(line[at]))
        ++at;
    std::size_t end = at;
    while (end < line.size() && !IsBlank(line[end]))
        ++end;
    return UpperAscii(line.substr(at, end - at));
}

std::string ReplaceAnyCase(std::string_view text, std::string_view placeholder, std::string_view value)
{
    const std::string upperText = UpperAscii(text);
    const std::string upperPlaceholder = UpperAscii(placeholder);
    std::string result;
    std::size_t at = 0;
    for (std::size_t found = upperText.find(upperPlaceholder); found != std::string::npos;
         found = upperText.find(upperPlaceholder, at)) {
        result.append(text.substr(at, found - at));
        result.append(value);
        at = found + placeholder.size();
    }
    result.append(text.substr(at));
    return result;
}

std::string Word(const std::vector<std::string>& words, std::size_t index)
{
    return index < words.size() ? words[index] : std::string();
}

}  // namespace

std::vector<std::string> SplitDemoWords(std::string_view line)
{
    std::vector<std::string> words;
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && IsBlank(line[at]))
            ++at;
        std::size_t end = at;
        while (end < line.size() && !IsBlank(line[end]))
            ++end;
        if (end > at)
            words.emplace_back(line.substr(at, end - at));
        at = end;
    }
    return words;
}

void TVxDemoLanguage::Clear()
{
    FPending.clear();
    FLastError = TVxDemoDirectiveError::ddeNone;
}

std::string TVxDemoLanguage::TakeFirst()
{
    if (FPending.empty())
        return {};
    std::string line = std::move(FPending.front());
    FPending.pop_front();
    return line;
}

void TVxDemoLanguage::Add(std::string line)
{
    FPending.push_back(std::move(line));
}

void TVxDemoLanguage::AddMessages(const std::vector<std::string>& words, std::size_t first)
{
    for (std::size_t i = first; i < words.size(); ++i) {
        Add("Message " + words[i]);
        Add("Pause 0.5");
    }
}

void TVxDemoLanguage::AddTo(std::string_view target, const std::vector<std::string>& words, std::size_t firstMessage)
{
    Add("Pause 0.5");
    Add("MouseCurvedMove " + std::string(target));
    Add("Pause 0.5");
    AddMessages(words, firstMessage);
}

bool TVxDemoLanguage::Process(const std::vector<std::string>& lines, std::size_t index)
{
    if (index >= lines.size())
        return false;
    const std::vector<std::string> words = SplitDemoWords(lines[index]);
    if (words.empty())
        return false;
    const std::string directive = UpperAscii(words[0]);
    const std::vector<std::string> rest(words.begin() + 1, words.end());
    FLastError = TVxDemoDirectiveError::ddeNone;
    FDirectiveLine = index;
    if (directive == "#START") {
        Add("MouseSpeed 5");
        Add("MouseTo Image, 0, 0");
        AddTo("Image, " + Word(rest, 0), rest, 1);
    } else if (directive == "#TOIMAGE") {
        AddTo("Image, " + Word(rest, 0), rest, 1);
    } else if (directive == "#TO") {
        AddTo(Word(rest, 0), rest, 1);
    } else if (directive == "#USE" || directive == "#SET") {
        // "#SET" has the value between the command and the message.
        const std::size_t message = directive == "#USE" ? 1 : 2;
        AddTo(Word(rest, 0), {}, 0);
        if (message < rest.size()) {
            Add("Message " + rest[message]);
            Add("Pause 0.5");
        }
        Add(directive == "#USE" ? Word(rest, 0) : Word(rest, 0) + " " + Word(rest, 1));
        Add("Pause 0.5");
        AddMessages(rest, message + 1);
    } else if (directive == "#EACH") {
        ExpandEach(rest);
    } else if (directive == "#FOR") {
        ExpandFor(rest);
    } else if (directive == "#DOEACH") {
        ExpandBlock(lines, index, rest, "#EACH");
    } else if (directive == "#DOFOR") {
        std::vector<std::string> values;
        std::size_t blockLines = 0;
        for (std::size_t i = index + 1; i < lines.size() && FirstWordUpper(lines[i]) != "#OD"; ++i)
            ++blockLines;
        // An empty block generates nothing whatever its range says.
        if (blockLines != 0 && !CountValues(Word(rest, 0), Word(rest, 1), Word(rest, 2), blockLines, values))
            values.clear();
        ExpandBlock(lines, index, values, "#FOR");
    } else if (directive == "#FINISH") {
        ExpandFinish();
    } else {
        return false;
    }
    return true;
}

void TVxDemoLanguage::ExpandEach(const std::vector<std::string>& words)
{
    if (words.size() > 2 + MaxGeneratedLines / 2) {
        FLastError = TVxDemoDirectiveError::ddeTooManyLines;
        return;
    }
    const std::string command = Word(words, 1);
    const std::string upper = UpperAscii(command);
    const std::string prefix = upper == "MOUSEMOVE" || upper == "MOUSECURVEDMOVE" ? command + " Image," : command;
    for (std::size_t i = 2; i < words.size(); ++i) {
        Add("Pause " + words[0]);
        Add(prefix + " " + words[i]);
    }
}

void TVxDemoLanguage::ExpandFor(const std::vector<std::string>& words)
{
    std::vector<std::string> values;
    if (!CountValues(Word(words, 2), Word(words, 3), Word(words, 4), 2, values))
        return;
    for (const std::string& value : values) {
        Add("Pause " + Word(words, 0));
        Add(Word(words, 1) + " " + value);
    }
}

void TVxDemoLanguage::ExpandFinish()
{
    for (const char* line : {"MouseSpeed 5", "MouseCurvedMove OriginalImageButton", "MouseDown", "Message &392",
                             "MouseUp", "Message &393"})
        Add(line);
    for (int i = 0; i < 3; ++i) {
        for (const char* line : {"MouseDown", "Pause 0.5", "MouseUp", "Pause 0.5"})
            Add(line);
    }
}

bool TVxDemoLanguage::CountValues(std::string_view fromText, std::string_view toText, std::string_view stepText,
                                  std::size_t linesPerValue, std::vector<std::string>& values)
{
    const std::optional<std::int64_t> from = ParseDemoInteger64(fromText);
    const std::optional<std::int64_t> to = ParseDemoInteger64(toText);
    const std::optional<std::int64_t> step = stepText.empty() ? std::optional<std::int64_t>(1) : ParseDemoInteger64(stepText);
    if (!from || !to || !step) {
        FLastError = TVxDemoDirectiveError::ddeNotANumber;
        return false;
    }
    if (*step == 0) {
        FLastError = TVxDemoDirectiveError::ddeZeroStep;
        return false;
    }
    const bool descending = *from > *to;
    // The step's sign follows the direction; INT64_MIN has no positive twin, and any
    // step that large ends the range after one value anyway.
    std::int64_t delta = *step;
    if ((descending && delta > 0) || (!descending && delta < 0))
        delta = delta == INT64_MIN ? INT64_MAX : -delta;
    const std::size_t perValue = linesPerValue == 0 ? 1 : linesPerValue;
    for (std::int64_t value = *from;;) {
        if (values.size() + 1 > MaxGeneratedLines / perValue) {
            values.clear();
            FLastError = TVxDemoDirectiveError::ddeTooManyLines;
            return false;
        }
        values.push_back(std::to_string(value));
        std::int64_t next = 0;
        if (__builtin_add_overflow(value, delta, &next))
            break;
        if (descending ? next < *to : next > *to)
            break;
        value = next;
    }
    return true;
}

void TVxDemoLanguage::ExpandBlock(const std::vector<std::string>& lines, std::size_t index,
                                  const std::vector<std::string>& values, std::string_view placeholder)
{
    std::size_t end = index + 1;
    while (end < lines.size() && FirstWordUpper(lines[end]) != "#OD")
        ++end;
    FDirectiveLine = end;
    const std::size_t blockLines = end - index - 1;
    if (blockLines != 0 && values.size() > MaxGeneratedLines / blockLines) {
        FLastError = TVxDemoDirectiveError::ddeTooManyLines;
        return;
    }
    for (const std::string& value : values) {
        for (std::size_t i = index + 1; i < end; ++i)
            Add(ReplaceAnyCase(lines[i], placeholder, value));
    }
}
