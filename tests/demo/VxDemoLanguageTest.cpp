#include "demo/VxDemoLanguage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using TLines = std::vector<std::string>;

struct TExpansion {
    TLines Generated;
    std::size_t DirectiveLine = 0;
    TVxDemoDirectiveError Error = TVxDemoDirectiveError::ddeNone;
};

TExpansion Expand(const TLines& lines, std::size_t index = 0)
{
    TVxDemoLanguage language;
    EXPECT_TRUE(language.Process(lines, index));
    TExpansion result;
    while (!language.IsEmpty())
        result.Generated.push_back(language.TakeFirst());
    result.DirectiveLine = language.DirectiveLine();
    result.Error = language.LastError();
    return result;
}

struct TDirectiveCase {
    const char* Name;
    TLines Script;
    TLines Generated;
    std::size_t DirectiveLine;
};

TEST(VxDemoLanguageTest, DirectivesGenerateTheirLines)
{
    const TDirectiveCase cases[] = {
        {"for", {"#FOR 0.5 Zoom 1 3"}, {"Pause 0.5", "Zoom 1", "Pause 0.5", "Zoom 2", "Pause 0.5", "Zoom 3"}, 0},
        {"for descending with a positive step", {"#for 0 Brush 5 1 2"},
         {"Pause 0", "Brush 5", "Pause 0", "Brush 3", "Pause 0", "Brush 1"}, 0},
        {"each with image points", {"#EACH 0.5 MouseMove 10,20 30,40"},
         {"Pause 0.5", "MouseMove Image, 10,20", "Pause 0.5", "MouseMove Image, 30,40"}, 0},
        {"each with another command", {"#EACH 1 Zoom 2 4"}, {"Pause 1", "Zoom 2", "Pause 1", "Zoom 4"}, 0},
        {"each without values", {"#EACH 1 Zoom"}, {}, 0},
        {"dofor descending", {"#DOFOR 3 1", "Brush #FOR", "#OD", "Pause"}, {"Brush 3", "Brush 2", "Brush 1"}, 2},
        {"dofor with a step", {"#DOFOR 1 5 2", "Size #for", "#od"}, {"Size 1", "Size 3", "Size 5"}, 2},
        {"dofor descending with a step", {"#DOFOR 5 1 2", "X #FOR", "#OD"}, {"X 5", "X 3", "X 1"}, 2},
        {"dofor ascending with a negative step", {"#DOFOR 1 3 -1", "X #FOR", "#OD"}, {"X 1", "X 2", "X 3"}, 2},
        {"dofor without an end", {"#DOFOR 1 2", "A #FOR", "B"}, {"A 1", "B", "A 2", "B"}, 3},
        {"empty block", {"#DOFOR 1 3", "  #OD"}, {}, 1},
        {"doeach", {"#DOEACH red green", "Color #each; #EACH", "#OD x"}, {"Color red; red", "Color green; green"}, 2},
        {"nested block lines stay as they are", {"#DOFOR 1 2", "#DOFOR 5 6", "Y #FOR", "#OD", "Z"},
         {"#DOFOR 5 6", "Y 1", "#DOFOR 5 6", "Y 2"}, 3},
        {"to", {"#TO ZoomIn %A %B"},
         {"Pause 0.5", "MouseCurvedMove ZoomIn", "Pause 0.5", "Message %A", "Pause 0.5", "Message %B", "Pause 0.5"}, 0},
        {"toimage", {"#TOIMAGE 5,6"}, {"Pause 0.5", "MouseCurvedMove Image, 5,6", "Pause 0.5"}, 0},
        {"start", {"#START 5,6 %M"},
         {"MouseSpeed 5", "MouseTo Image, 0, 0", "Pause 0.5", "MouseCurvedMove Image, 5,6", "Pause 0.5", "Message %M",
          "Pause 0.5"}, 0},
        {"use", {"#USE ZoomIn %Why %After"},
         {"Pause 0.5", "MouseCurvedMove ZoomIn", "Pause 0.5", "Message %Why", "Pause 0.5", "ZoomIn", "Pause 0.5",
          "Message %After", "Pause 0.5"}, 0},
        {"use without message", {"#USE ZoomIn"}, {"Pause 0.5", "MouseCurvedMove ZoomIn", "Pause 0.5", "ZoomIn", "Pause 0.5"}, 0},
        {"set", {"#SET Size 20 %Why"},
         {"Pause 0.5", "MouseCurvedMove Size", "Pause 0.5", "Message %Why", "Pause 0.5", "Size 20", "Pause 0.5"}, 0},
    };
    for (const TDirectiveCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const TExpansion expansion = Expand(c.Script);
        EXPECT_EQ(expansion.Generated, c.Generated);
        EXPECT_EQ(expansion.DirectiveLine, c.DirectiveLine);
        EXPECT_EQ(expansion.Error, TVxDemoDirectiveError::ddeNone);
    }
}

TEST(VxDemoLanguageTest, FinishPressesTheBeforeAfterButton)
{
    const TExpansion expansion = Expand({"#FINISH"});
    ASSERT_EQ(expansion.Generated.size(), 18u);
    EXPECT_EQ(expansion.Generated[1], "MouseCurvedMove OriginalImageButton");
    EXPECT_EQ(expansion.Generated[3], "Message &392");
    EXPECT_EQ(expansion.Generated[5], "Message &393");
    EXPECT_EQ(expansion.Generated.back(), "Pause 0.5");
}

TEST(VxDemoLanguageTest, OtherLinesAreNotDirectives)
{
    TVxDemoLanguage language;
    for (const char* line : {"Pause 1", "", "   ", "#OD", "#UNKNOWN 1", "* #FOR 1 Zoom 1 2"}) {
        SCOPED_TRACE(line);
        EXPECT_FALSE(language.Process({line}, 0));
        EXPECT_TRUE(language.IsEmpty());
    }
    EXPECT_FALSE(language.Process({"#FOR 1 Zoom 1 2"}, 1));
}

struct TRefusedCase {
    const char* Name;
    TLines Script;
    TVxDemoDirectiveError Error;
};

TEST(VxDemoLanguageTest, BadCountsAreRefusedWithoutLines)
{
    const TRefusedCase cases[] = {
        {"fraction", {"#FOR 1 Zoom 0.5 3"}, TVxDemoDirectiveError::ddeNotANumber},
        {"missing to", {"#FOR 1 Zoom 1"}, TVxDemoDirectiveError::ddeNotANumber},
        {"word step", {"#DOFOR 1 3 x", "A", "#OD"}, TVxDemoDirectiveError::ddeNotANumber},
        {"zero step", {"#FOR 1 Zoom 1 3 0"}, TVxDemoDirectiveError::ddeZeroStep},
        {"zero step in a block", {"#DOFOR 1 3 0", "A", "#OD"}, TVxDemoDirectiveError::ddeZeroStep},
        {"past 64 bits", {"#FOR 1 Zoom 1 9223372036854775808"}, TVxDemoDirectiveError::ddeNotANumber},
        {"huge range", {"#FOR 0 Zoom 1 2000000000"}, TVxDemoDirectiveError::ddeTooManyLines},
        {"whole 64-bit range", {"#DOFOR -9223372036854775808 9223372036854775807", "A", "#OD"},
         TVxDemoDirectiveError::ddeTooManyLines},
        {"big block", {"#DOFOR 1 60000", "A", "B", "#OD"}, TVxDemoDirectiveError::ddeTooManyLines},
    };
    for (const TRefusedCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const TExpansion expansion = Expand(c.Script);
        EXPECT_TRUE(expansion.Generated.empty());
        EXPECT_EQ(expansion.Error, c.Error);
    }
}

// Counting near the ends of the 64-bit range stops instead of wrapping round.
TEST(VxDemoLanguageTest, CountingStopsBeforeOverflow)
{
    struct TCase {
        const char* Line;
        TLines Values;
    };
    const TCase cases[] = {
        {"#FOR 0 Z 9223372036854775806 9223372036854775807", {"Z 9223372036854775806", "Z 9223372036854775807"}},
        {"#FOR 0 Z 9223372036854775807 9223372036854775807", {"Z 9223372036854775807"}},
        {"#FOR 0 Z -9223372036854775807 -9223372036854775808", {"Z -9223372036854775807", "Z -9223372036854775808"}},
        {"#FOR 0 Z -9223372036854775807 -9223372036854775808 5", {"Z -9223372036854775807"}},
        {"#FOR 0 Z 9223372036854775800 9223372036854775807 1000", {"Z 9223372036854775800"}},
        {"#FOR 0 Z 0 5 -9223372036854775808", {"Z 0"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Line);
        const TExpansion expansion = Expand({c.Line});
        TLines values;
        for (std::size_t i = 1; i < expansion.Generated.size(); i += 2)
            values.push_back(expansion.Generated[i]);
        EXPECT_EQ(values, c.Values);
        EXPECT_EQ(expansion.Error, TVxDemoDirectiveError::ddeNone);
    }
}

TEST(VxDemoLanguageTest, TheCapItselfIsAllowed)
{
    const TExpansion expansion = Expand({"#DOFOR 1 50000", "A #FOR", "B", "#OD"});
    EXPECT_EQ(expansion.Error, TVxDemoDirectiveError::ddeNone);
    EXPECT_EQ(expansion.Generated.size(), TVxDemoLanguage::MaxGeneratedLines);
    EXPECT_EQ(expansion.Generated[expansion.Generated.size() - 2], "A 50000");
}

TEST(VxDemoLanguageTest, ClearEmptiesTheQueue)
{
    TVxDemoLanguage language;
    ASSERT_TRUE(language.Process({"#FOR 0 Z 1 3"}, 0));
    EXPECT_EQ(language.TakeFirst(), "Pause 0");
    EXPECT_EQ(language.PendingCount(), 5u);
    language.Clear();
    EXPECT_TRUE(language.IsEmpty());
    EXPECT_EQ(language.TakeFirst(), "");
}

}  // namespace
