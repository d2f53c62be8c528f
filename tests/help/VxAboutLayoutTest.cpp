#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "help/VxAboutLayout.h"

namespace {

TEST(VxAboutLayoutTest, LinkShowsTheHostOnly)
{
    struct TCase {
        const wchar_t* Address;
        const wchar_t* Caption;
    };
    const TCase cases[] = {
        {L"https://velloria.example/download/", L"velloria.example"},
        {L"http://velloria.example", L"velloria.example"},
        {L"mailto:support@velloria.example", L"support@velloria.example"},
        {L"file:\\\\server\\share\\x", L"server"},
        {L"no address", L"no address"},
        {L"http://", L""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.Address)));
        EXPECT_EQ(LinkCaption(c.Address), c.Caption);
    }
}

TEST(VxAboutLayoutTest, TableRowsPlacedAsTheBoxShowsThem)
{
    const std::vector<TVxAboutRow> rows = AboutLabelTable(L"https://velloria.example/", L"https://velloria.example/support/");
    ASSERT_EQ(rows.size(), 6u);
    // Measured captions: 40 x 13 each; Tahoma-like metrics.
    const std::vector<TVxLabelBox> sizes(rows.size(), TVxLabelBox{0, 0, 40, 13});
    const TVxAboutFontMetrics metrics{13, 1, 5};
    const double scale = 2.0;  // the control is twice the picture's width
    const std::vector<TVxLabelBox> boxes = LayoutAboutLabels(rows, sizes, metrics, scale);
    ASSERT_EQ(boxes.size(), rows.size());
    // "Version" at (96, 96) picture pixels, the version one character width to its right.
    EXPECT_EQ(boxes[0].Left, 192);
    EXPECT_EQ(boxes[0].Top, 192);
    EXPECT_EQ(boxes[1].Left, 192 + 40 + 5);
    EXPECT_EQ(boxes[1].Top, 192);
    // "Web site:" right-aligned in 75 picture pixels at (16, 132); its link beside it.
    EXPECT_EQ(boxes[2].Left, 32);
    EXPECT_EQ(boxes[2].Top, 264);
    EXPECT_EQ(boxes[2].Width, 150);
    EXPECT_EQ(boxes[3].Left, 32 + 150 + 5);
    EXPECT_EQ(boxes[3].Top, 264);
    // "Support:" under the line, half a line lower, at the line's left.
    EXPECT_EQ(boxes[4].Left, 32);
    EXPECT_EQ(boxes[4].Top, 264 + 13 + 7 + 2);
    EXPECT_EQ(boxes[5].Top, boxes[4].Top);
    EXPECT_GT(boxes[5].Left, boxes[4].Right());
}

TEST(VxAboutLayoutTest, CaptionAddsTheColonAndShortensLinks)
{
    const std::vector<TVxAboutRow> rows = AboutLabelTable(L"https://velloria.example/", L"https://velloria.example/support/");
    EXPECT_EQ(LabelCaption(rows[2], L"Web site"), L"Web site:");
    EXPECT_EQ(LabelCaption(rows[3], L"https://velloria.example/"), L"velloria.example");
    EXPECT_EQ(LabelCaption(rows[0], L"Version"), L"Version");
}

}  // namespace
