#include "demo/VxDemoScript.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

#include "demo/VxDemoScriptParams.h"

namespace {

using TLines = std::vector<std::string>;

struct TArgumentCase {
    const char* Text;
    std::vector<TVxPropertyVariant> Values;
};

std::string Describe(const TVxPropertyVariant& value)
{
    if (const auto* i = std::get_if<std::int32_t>(&value))
        return "int " + std::to_string(*i);
    if (const auto* d = std::get_if<double>(&value))
        return "float " + std::to_string(*d);
    if (const auto* s = std::get_if<std::string>(&value))
        return "string \"" + *s + "\"";
    return "nothing";
}

TEST(VxDemoScriptParamsTest, ArgumentsParseByTheLessonRules)
{
    const TArgumentCase cases[] = {
        {"100, 200", {100, 200}},
        {"Image, 10, 20", {std::string("Image"), 10, 20}},
        {"0.25", {0.25}},
        {"1E3", {1000.0}},
        {"+5", {5}},
        {"-7", {-7}},
        {"\"Line one\\nline two\", 2", {std::string("Line one\nline two"), 2}},
        {"'single, quoted', 3", {std::string("single, quoted"), 3}},
        {"\"open to the end", {std::string("open to the end")}},
        {"true, false", {-1, 0}},
        {"True", {std::string("True")}},
        {"(Image, 5", {std::string("(Image"), 5}},
        {"a b, c", {std::string("a")}},
        {" \t\r\n 7 ,\n 8", {7, 8}},
        // Numbers that do not convert stay strings instead of stopping the lesson.
        {"1-2", {std::string("1-2")}},
        {"+", {std::string("+")}},
        {"-", {std::string("-")}},
        {"99999999999", {std::string("99999999999")}},
        {"1.2.3", {std::string("1.2.3")}},
        {"1E999", {std::string("1E999")}},
        {"2147483647, -2147483648", {2147483647, -2147483647 - 1}},
        {"0.4", {0.4}},
        {"", {}},
        {",", {std::string()}},
    };
    for (const TArgumentCase& c : cases) {
        SCOPED_TRACE(c.Text);
        TVxDemoScriptParams params;
        params.Parse(c.Text);
        ASSERT_EQ(params.Count(), static_cast<int>(c.Values.size()));
        for (int i = 0; i < params.Count(); ++i)
            EXPECT_EQ(Describe(params.GetVariant(i)), Describe(c.Values[static_cast<std::size_t>(i)])) << "value " << i;
    }
}

TEST(VxDemoScriptParamsTest, TextAndNumberViews)
{
    TVxDemoScriptParams params;
    params.Parse("abc, 12, 0.5");
    EXPECT_EQ(params.Text(0), "abc");
    EXPECT_EQ(params.Text(1), "12");
    EXPECT_EQ(params.Text(2), "0.5");
    EXPECT_FALSE(params.Number(0));
    EXPECT_EQ(params.Number(1), 12.0);
    EXPECT_EQ(params.Number(2), 0.5);
    EXPECT_FALSE(params.Number(3));
    EXPECT_EQ(params.Text(-1), "");
}

struct TLineCase {
    const char* Line;
    const char* Command;
    const char* Arguments;
    bool Comment;
};

TEST(VxDemoScriptParamsTest, LinesSplitIntoCommandAndArguments)
{
    const TLineCase cases[] = {
        {"MouseMove Image, 1, 2", "MOUSEMOVE", "Image, 1, 2", false},
        {"\t  pause\t 0.25", "PAUSE", "0.25", false},
        {"MouseTo(100, 200)", "MOUSETO", "(100, 200)", false},
        {"MouseDown", "MOUSEDOWN", "", false},
        {"* skipped at run time", "*", "skipped at run time", true},
        {"#OD", "#OD", "", true},
        {"// note", "//", "note", true},
        {";x", ";X", "", true},
        {"", "", "", true},
        {"   ", "", "", true},
    };
    for (const TLineCase& c : cases) {
        SCOPED_TRACE(c.Line);
        const TVxDemoScriptLine line = ParseDemoScriptLine(c.Line);
        EXPECT_EQ(line.Command, c.Command);
        EXPECT_EQ(line.Arguments, c.Arguments);
        EXPECT_EQ(line.IsComment(), c.Comment);
    }
}

TEST(VxDemoScriptTest, FileWithoutScriptLoadsAsAnEmptyLesson)
{
    TVxDemoScript script;
    script.LoadFromBytes("[1033]\r\nTitle=Hello\r\n", "C:/x/lesson.dsc");
    EXPECT_TRUE(script.ScriptLines().empty());
    EXPECT_GE(script.FindSection("info"), 0);
    EXPECT_EQ(script.FindSection("SCRIPT"), script.SectionCount() - 1);
}

TEST(VxDemoScriptTest, LoadingTrimsDropsCommentsAndKeepsStarLines)
{
    TVxDemoScript script;
    script.LoadFromBytes("before the first section\n"
                         "[Script]\n"
                         "  Pause 1 \t\n"
                         "; dropped\n"
                         "\n"
                         "* kept\n"
                         "Key  =  value = x\r"
                         "[script]\n"
                         "ignored duplicate\n");
    EXPECT_EQ(script.ScriptLines(), (TLines{"Pause 1", "* kept", "Key=value = x"}));
    EXPECT_EQ(script.SectionCount(), 3);  // Script, script, Info
    EXPECT_FALSE(script.IsUtf8());
}

TEST(VxDemoScriptTest, LocalizedValuesFollowTheLanguageAndTheCodePage)
{
    TVxDemoScript script;
    script.LoadFromBytes("[Info]\nTitle=Fallback\n[1033]\nTitle=Tour\nStep=Click here\n[1049]\nTitle=\xD2\xF3\xF0\n");
    const TVxDemoLanguageContext russian{1049, 1033, DemoAnsiCodePage(1049)};
    const TVxDemoLanguageContext german{1031, 1033, DemoAnsiCodePage(1031)};
    EXPECT_EQ(script.LocalizedValue("title", russian), "\xD0\xA2\xD1\x83\xD1\x80");  // "Тур" in UTF-8
    EXPECT_EQ(script.LocalizedValue("Step", russian), "");
    EXPECT_EQ(script.LocalizedValue("Step", german), "Click here");
    EXPECT_EQ(script.Title(german), "Tour");
    const TVxDemoLanguageContext none{1031, 1036, 1252};
    EXPECT_EQ(script.Title(none), "Fallback");
}

TEST(VxDemoScriptTest, TitleFallsBackToTheFileName)
{
    TVxDemoScript script;
    script.LoadFromBytes("[Script]\nPause\n", "lessons/First tour.dsc");
    EXPECT_EQ(script.Title({1033, 1033, 1252}), "First tour");
}

TEST(VxDemoScriptTest, Utf8LessonKeepsItsMarkWhenSaved)
{
    const std::string bytes = "\xEF\xBB\xBF[Script]\r\nMessage %Hi\r\n[1049]\r\nHi=\xD0\x9F\xD1\x80\xD0\xB8\r\n";
    TVxDemoScript script;
    script.LoadFromBytes(bytes);
    EXPECT_TRUE(script.IsUtf8());
    EXPECT_EQ(script.LocalizedValue("Hi", {1049, 1033, 1251}), "\xD0\x9F\xD1\x80\xD0\xB8");
    const std::string saved = script.SaveToBytes();
    EXPECT_EQ(saved.substr(0, 3), "\xEF\xBB\xBF");
    TVxDemoScript again;
    again.LoadFromBytes(saved);
    EXPECT_TRUE(again.IsUtf8());
    EXPECT_EQ(again.LocalizedValue("Hi", {1049, 1033, 1251}), "\xD0\x9F\xD1\x80\xD0\xB8");
}

TEST(VxDemoScriptTest, SaveThenLoadGivesTheSameSections)
{
    TVxDemoScript script;
    script.LoadFromBytes("[Info]\nTitle=A\n[Script]\nPause 1\n#FOR 0.5 Zoom 1 3\n[1033]\nTitle=B\n");
    TVxDemoScript again;
    again.LoadFromBytes(script.SaveToBytes());
    ASSERT_EQ(again.SectionCount(), script.SectionCount());
    for (int i = 0; i < script.SectionCount(); ++i) {
        EXPECT_EQ(again.Section(i).Name, script.Section(i).Name);
        EXPECT_EQ(again.Section(i).Lines, script.Section(i).Lines);
    }
    EXPECT_EQ(script.SaveToBytes().substr(0, 1), "[");
}

TEST(VxDemoScriptTest, InfoAndScriptCannotBeDeleted)
{
    TVxDemoScript script;
    script.LoadFromBytes("[1049]\nTitle=x\n[Script]\nPause\n[Info]\n");
    EXPECT_FALSE(script.DeleteSection(script.FindSection("Script")));
    EXPECT_FALSE(script.DeleteSection(script.FindSection("Info")));
    EXPECT_TRUE(script.DeleteSection(script.FindSection("1049")));
    EXPECT_EQ(script.ScriptLines(), (TLines{"Pause"}));
    script.Clear();
    EXPECT_EQ(script.SectionCount(), 2);
    EXPECT_TRUE(script.ScriptLines().empty());
}

}  // namespace
