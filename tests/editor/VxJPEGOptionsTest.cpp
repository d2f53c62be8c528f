#include <gtest/gtest.h>

#include "editor/VxJPEGOptions.h"

namespace {

TEST(VxJPEGOptionsTest, PresetIndexOfQuality)
{
    const struct {
        int Quality, Index;
    } cases[] = {{0, 0}, {5, 0}, {9, 0}, {10, 0}, {29, 0}, {30, 1}, {59, 1}, {60, 2}, {70, 2}, {79, 2}, {80, 3}, {99, 3}, {100, 4}};
    for (const auto& c : cases)
        EXPECT_EQ(JPEGPresetIndex(c.Quality), c.Index) << c.Quality;
}

TEST(VxJPEGOptionsTest, QualityText)
{
    const struct {
        const wchar_t* Text;
        std::optional<int> Parsed;
        int Leading;
    } cases[] = {{L"70", 70, 70}, {L"  100 ", 100, 100}, {L"0", 0, 0}, {L"150", std::nullopt, 100}, {L"-5", std::nullopt, 0},
                 {L"abc", std::nullopt, 0}, {L"42abc", std::nullopt, 42}, {L"", std::nullopt, 0}, {L"7.5", std::nullopt, 7}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::wstring(c.Text).size());
        EXPECT_EQ(ParseJPEGQuality(c.Text), c.Parsed);
        EXPECT_EQ(LeadingJPEGQuality(c.Text), c.Leading);
    }
}

TEST(VxJPEGOptionsTest, ControlsFollowEachOther)
{
    TVxJPEGOptionsModel model;
    EXPECT_EQ(model.Quality(), 80);
    EXPECT_EQ(model.ComboIndex(), 3);
    model.SetQuality(70);
    EXPECT_EQ(model.EditText(), L"70");
    EXPECT_EQ(model.ComboIndex(), 2); // High
    model.EditChanged(L"5");
    EXPECT_EQ(model.ComboIndex(), 0); // Low
    EXPECT_EQ(model.TrackBarPosition(), 5);
    model.EditChanged(L"15x");
    EXPECT_EQ(model.TrackBarPosition(), 5);
    model.ComboChanged(1);
    EXPECT_EQ(model.EditText(), L"30");
    EXPECT_EQ(model.Quality(), 30);
}

TEST(VxJPEGOptionsTest, OkWithOutOfRangeQualityCorrectsAndStays)
{
    TVxJPEGOptionsModel model;
    model.EditChanged(L"150");
    EXPECT_FALSE(model.OkClicked());
    EXPECT_EQ(model.EditText(), L"100");
    EXPECT_EQ(model.Quality(), 100);
    EXPECT_EQ(model.ComboIndex(), 4);
    EXPECT_TRUE(model.OkClicked());
}

} // namespace
