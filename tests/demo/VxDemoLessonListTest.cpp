#include "demo/VxDemoLessonList.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "demo/VxDemoRecorder.h"
#include "support/VxTempFolder.h"

namespace {

using TLines = std::vector<std::string>;

const TVxDemoLanguageContext English{1033, 1033, 1252};

std::string Lookup(std::int32_t id)
{
    return "String " + std::to_string(id);
}

TLines Titles(const std::vector<TVxDemoLesson>& lessons)
{
    TLines titles;
    for (const TVxDemoLesson& lesson : lessons)
        titles.push_back(lesson.Title);
    return titles;
}

TEST(VxDemoLessonListTest, LessonsAreSortedByTitleWithoutRegardToCase)
{
    TTempFolder folder("vx-lessons");
    folder.File("a.dsc", "[1033]\nTitle=beta\n");
    folder.File("b.dsc", "[1033]\nTitle=Alpha\n");
    folder.File("c.dsc", "[1033]\nTitle=BETA\n");
    folder.File("d.DSC", "[Info]\nTitle=alpha two\nImage=d.png\n");
    folder.File("e.dsc", "[Info]\nTitle=&37\n");
    folder.File("notes.txt", "[Info]\nTitle=Not a lesson\n");
    std::filesystem::create_directory(folder.Path() / "folder.dsc");
    const std::vector<TVxDemoLesson> lessons = LoadDemoLessons(folder.Path(), English, Lookup);
    // "beta" (a.dsc) stays before "BETA" (c.dsc): the order is stable.
    EXPECT_EQ(Titles(lessons), (TLines{"Alpha", "alpha two", "beta", "BETA", "String 37"}));
    EXPECT_EQ(lessons[1].Image, "d.png");
    EXPECT_EQ(lessons[2].File.filename(), "a.dsc");
    ASSERT_TRUE(lessons[0].Script);
}

TEST(VxDemoLessonListTest, CyrillicTitlesFoldCase)
{
    // "Банан" comes before "яблоко" although only the first is capitalised.
    EXPECT_TRUE(DemoTitleLess("\xD0\x91\xD0\xB0\xD0\xBD\xD0\xB0\xD0\xBD", "\xD1\x8F\xD0\xB1\xD0\xBB\xD0\xBE\xD0\xBA\xD0\xBE"));
    EXPECT_FALSE(DemoTitleLess("\xD0\xAF", "\xD1\x8F"));  // Я and я are equal
    EXPECT_FALSE(DemoTitleLess("\xD1\x8F", "\xD0\xAF"));
    EXPECT_FALSE(DemoTitleLess("\xC3\x89t\xC3\xA9", "\xC3\xA9T\xC3\x89"));  // Été, éTÉ
}

TEST(VxDemoLessonListTest, MissingFolderGivesAnEmptyList)
{
    EXPECT_TRUE(LoadDemoLessons("/nonexistent/velloria/Demo", English, Lookup).empty());
}

TEST(VxDemoLessonListTest, PreselectionIsClamped)
{
    struct TCase {
        int Last;
        int Count;
        int Expected;
    };
    for (const TCase c : {TCase{3, 5, 3}, TCase{4, 5, 4}, TCase{5, 5, 4}, TCase{-2, 5, 0}, TCase{0, 0, -1}}) {
        SCOPED_TRACE(testing::Message() << c.Last << " of " << c.Count);
        EXPECT_EQ(PreselectedDemoLesson(c.Last, c.Count), c.Expected);
    }
}

TEST(VxDemoLessonListTest, TitlesWithStringNumbers)
{
    EXPECT_EQ(ResolveDemoTitle("&392", Lookup), "String 392");
    EXPECT_EQ(ResolveDemoTitle("&x", Lookup), "&x");
    EXPECT_EQ(ResolveDemoTitle("&", Lookup), "&");
    EXPECT_EQ(ResolveDemoTitle("Plain", Lookup), "Plain");
}

TEST(VxDemoRecorderTest, ClickAndDragInTheImage)
{
    TVxDemoImageRecorder recorder;
    TLines lines;
    const auto add = [&](const TLines& more) { lines.insert(lines.end(), more.begin(), more.end()); };
    add(recorder.ButtonDown({10, 20}, TVxDemoMouseButton::dmbLeft, true, "Click"));
    EXPECT_TRUE(recorder.Pressed());
    add(recorder.MouseMove({10, 20}));
    add(recorder.MouseMove({11, 22}));
    add(recorder.MouseMove({11, 22}));
    add(recorder.MouseMove({15, 30}));
    add(recorder.ButtonUp({15, 30}, TVxDemoMouseButton::dmbLeft));
    EXPECT_FALSE(recorder.Pressed());
    add(recorder.MouseMove({40, 40}));
    EXPECT_EQ(lines, (TLines{"MouseCurvedMove Image, 10, 20", "Message \"Click\"", "MouseDown Image, 10, 20",
                             "MouseTo Image, 11, 22", "MouseTo Image, 15, 30", "MouseUp Image, 15, 30", "Pause 0.5"}));
}

TEST(VxDemoRecorderTest, RightButtonWithoutMessages)
{
    TVxDemoImageRecorder recorder;
    EXPECT_EQ(recorder.ButtonDown({1, 2}, TVxDemoMouseButton::dmbRight, false, "Click"),
              (TLines{"MouseCurvedMove Image, 1, 2", "MouseRightDown Image, 1, 2"}));
    EXPECT_EQ(recorder.ButtonDown({3, 4}, TVxDemoMouseButton::dmbMiddle, false, "Click"),
              (TLines{"MouseMove Image, 3, 4"}));
    EXPECT_EQ(recorder.ButtonUp({3, 4}, TVxDemoMouseButton::dmbRight), (TLines{"MouseRightUp Image, 3, 4", "Pause 0.5"}));
}

TEST(VxDemoRecorderTest, CommandLines)
{
    EXPECT_EQ(DemoRecordCommandLines("ZoomIn", ""), (TLines{"MouseCurvedMove ZoomIn", "ZoomIn"}));
    EXPECT_EQ(DemoRecordCommandLines("BrushSize", "20"), (TLines{"MouseCurvedMove BrushSize", "BrushSize 20"}));
}

}  // namespace
