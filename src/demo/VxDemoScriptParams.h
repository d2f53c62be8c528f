#pragma once
// The arguments of one lesson line and the split of a line into its command word and
// argument text. Lesson files are shared between users, so nothing here may throw on
// what a line holds: a number that does not convert stays a string.
//
//   TVxDemoScriptLine line = ParseDemoScriptLine("MouseMove Image, 10, 20");
//   TVxDemoScriptParams params;
//   params.Parse(line.Arguments);      // "Image", 10, 20
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings/VxProperties.h"

// Values are numbered from 0 in the order of the line; the identifier is the index.
class TVxDemoScriptParams : public TVxCustomProperties {
public:
    void Parse(std::string_view text);

    void SetIntegerAt(int index, std::int32_t value) { SetInteger(static_cast<std::uint32_t>(index), value); }
    void SetFloatAt(int index, double value) { SetReal(static_cast<std::uint32_t>(index), value); }
    void SetStringAt(int index, const std::string& text) { SetString(static_cast<std::uint32_t>(index), text); }

    // A value that is an integer or a float; nothing for strings and missing values.
    std::optional<double> Number(int index) const;
    // Any value as text: numbers in their shortest decimal form, "." as separator.
    std::string Text(int index) const;
};

struct TVxDemoScriptLine {
    std::string Command;    // upper case; empty for an empty line
    std::string Arguments;  // everything after the word and the blanks that follow it
    bool IsComment() const;
};

TVxDemoScriptLine ParseDemoScriptLine(std::string_view line);

// Conversions of the argument syntax, also used by the directive expander.
std::optional<std::int32_t> ParseDemoInteger(std::string_view text);
std::optional<std::int64_t> ParseDemoInteger64(std::string_view text);
std::optional<double> ParseDemoFloat(std::string_view text);
std::string UpperAscii(std::string_view text);
