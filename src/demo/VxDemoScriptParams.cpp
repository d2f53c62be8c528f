#include "demo/VxDemoScriptParams.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace {

bool IsSpaceOrBreak(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsNumberChar(char c)
{
    return c == '+' || c == '-' || c == '.' || c == 'E' || (c >= '0' && c <= '9');
}

void SkipSpace(std::string_view text, std::size_t& at)
{
    while (at < text.size() && IsSpaceOrBreak(text[at]))
        ++at;
}

std::string ExpandLineBreaks(std::string_view text)
{
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            result += '\n';
            ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

// from_chars refuses a leading "+", which the lesson syntax allows.
std::string_view WithoutPlus(std::string_view text)
{
    if (text.size() > 1 && text.front() == '+' && text[1] != '-' && text[1] != '+')
        text.remove_prefix(1);
    return text;
}

}  // namespace

std::optional<std::int64_t> ParseDemoInteger64(std::string_view text)
{
    text = WithoutPlus(text);
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<std::int32_t> ParseDemoInteger(std::string_view text)
{
    const std::optional<std::int64_t> wide = ParseDemoInteger64(text);
    if (!wide || *wide < INT32_MIN || *wide > INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(*wide);
}

std::optional<double> ParseDemoFloat(std::string_view text)
{
    text = WithoutPlus(text);
    double value = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string UpperAscii(std::string_view text)
{
    std::string result(text);
    for (char& c : result) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return result;
}

void TVxDemoScriptParams::Parse(std::string_view text)
{
    Clear();
    std::size_t at = 0;
    for (int index = 0;; ++index) {
        SkipSpace(text, at);
        if (at >= text.size())
            return;
        const char first = text[at];
        if (first == '"' || first == '\'') {
            const std::size_t close = text.find(first, at + 1);
            const std::size_t end = close == std::string_view::npos ? text.size() : close;
            SetStringAt(index, ExpandLineBreaks(text.substr(at + 1, end - at - 1)));
            at = close == std::string_view::npos ? text.size() : close + 1;
        } else if (first == '+' || first == '-' || (first >= '0' && first <= '9')) {
            std::size_t end = at;
            while (end < text.size() && IsNumberChar(text[end]))
                ++end;
            const std::string_view run = text.substr(at, end - at);
            if (run.find_first_of(".E") != std::string_view::npos) {
                if (const std::optional<double> value = ParseDemoFloat(run))
                    SetFloatAt(index, *value);
                else
                    SetStringAt(index, std::string(run));
            } else if (const std::optional<std::int32_t> value = ParseDemoInteger(run)) {
                SetIntegerAt(index, *value);
            } else {
                SetStringAt(index, std::string(run));
            }
            at = end;
        } else if (text.substr(at).starts_with("false")) {
            SetIntegerAt(index, 0);
            at += 5;
        } else if (text.substr(at).starts_with("true")) {
            SetIntegerAt(index, -1);
            at += 4;
        } else {
            std::size_t end = at;
            while (end < text.size() && !IsSpaceOrBreak(text[end]) && text[end] != ',')
                ++end;
            SetStringAt(index, std::string(text.substr(at, end - at)));
            at = end;
        }
        SkipSpace(text, at);
        if (at >= text.size() || text[at] != ',')
            return;
        ++at;
    }
}

std::optional<double> TVxDemoScriptParams::Number(int index) const
{
    if (index < 0 || index >= Count())
        return std::nullopt;
    const TVxPropertyVariant value = GetVariant(index);
    if (const auto* integer = std::get_if<std::int32_t>(&value))
        return *integer;
    if (const auto* real = std::get_if<double>(&value))
        return *real;
    return std::nullopt;
}

std::string TVxDemoScriptParams::Text(int index) const
{
    if (index < 0 || index >= Count())
        return {};
    const TVxPropertyVariant value = GetVariant(index);
    if (const auto* text = std::get_if<std::string>(&value))
        return *text;
    char buffer[64];
    std::to_chars_result written{};
    if (const auto* integer = std::get_if<std::int32_t>(&value))
        written = std::to_chars(buffer, buffer + sizeof buffer, *integer);
    else if (const auto* real = std::get_if<double>(&value))
        written = std::to_chars(buffer, buffer + sizeof buffer, *real);
    else
        return {};
    return std::string(buffer, written.ptr);
}

bool TVxDemoScriptLine::IsComment() const
{
    return Command.empty() || Command[0] == '#' || Command[0] == '*' || Command[0] == '/' || Command[0] == ';';
}

TVxDemoScriptLine ParseDemoScriptLine(std::string_view line)
{
    std::size_t at = 0;
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t'))
        ++at;
    std::size_t end = at;
    while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '(')
        ++end;
    TVxDemoScriptLine result;
    result.Command = UpperAscii(line.substr(at, end - at));
    while (end < line.size() && (line[end] == ' ' || line[end] == '\t'))
        ++end;
    result.Arguments = std::string(line.substr(end));
    return result;
}
