// Arbitrary bytes as a lesson file (users share them): loading, every line's command and
// arguments, and the expansion of every directive must stay bounded and keep their
// promises, whatever the file holds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "demo/VxDemoLanguage.h"
#include "demo/VxDemoMotion.h"
#include "demo/VxDemoScript.h"
#include "demo/VxDemoScriptParams.h"

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

void CheckLine(const std::string& text)
{
    const TVxDemoScriptLine line = ParseDemoScriptLine(text);
    Require(line.Command.find_first_of(" \t") == std::string::npos);
    Require(line.Arguments.size() <= text.size());
    TVxDemoScriptParams params;
    params.Parse(line.Arguments);
    Require(static_cast<std::size_t>(params.Count()) <= line.Arguments.size() + 1);
    for (int i = 0; i < params.Count(); ++i) {
        params.Text(i);
        if (const std::optional<double> number = params.Number(i)) {
            AcceptDemoMouseSpeed(number);
            DemoPauseDurationMs(number, 1000);
        }
    }
    if (params.Count() >= 2 && params.Number(0) && params.Number(1)) {
        // Absurd coordinates: the move ends on its target and never leaves the 32-bit range.
        const auto clamp = [](double v) { return static_cast<std::int32_t>(v < -2e9 ? -2e9 : v > 2e9 ? 2e9 : v); };
        const TVxDemoPoint target{clamp(*params.Number(0)), clamp(*params.Number(1))};
        TVxDemoMoveMotion move;
        move.Begin({-5, 9}, target, 5, 3, 0);
        move.Step(17);
        Require(move.PositionAt(1) == target);
    }
}

void CheckExpansion(const std::vector<std::string>& lines)
{
    TVxDemoLanguage language;
    // At most a few hundred directives per input, so that one run stays quick.
    std::size_t directives = 0;
    for (std::size_t i = 0; i < lines.size() && directives < 16; ++i) {
        if (!language.Process(lines, i))
            continue;
        ++directives;
        Require(language.PendingCount() <= TVxDemoLanguage::MaxGeneratedLines);
        Require(language.DirectiveLine() >= i && language.DirectiveLine() <= lines.size());
        Require(language.LastError() == TVxDemoDirectiveError::ddeNone || language.IsEmpty());
        for (std::size_t n = 0; !language.IsEmpty() && n < 32; ++n)
            CheckLine(language.TakeFirst());
        language.Clear();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    TVxDemoScript script;
    script.LoadFromBytes(bytes, "fuzz.dsc");
    Require(script.FindSection("Info") >= 0 && script.FindSection("Script") >= 0);
    for (const std::string& line : script.ScriptLines())
        CheckLine(line);
    CheckExpansion(script.ScriptLines());
    for (const std::uint16_t language : {std::uint16_t{1033}, std::uint16_t{1049}}) {
        const TVxDemoLanguageContext context{language, 1033, DemoAnsiCodePage(language)};
        script.Title(context);
        script.LocalizedValue("Title", context);
    }
    // What is saved loads back as the same sections.
    TVxDemoScript again;
    again.LoadFromBytes(script.SaveToBytes());
    Require(again.IsUtf8() == script.IsUtf8());
    Require(again.ScriptLines().size() <= script.ScriptLines().size());
    return 0;
}
