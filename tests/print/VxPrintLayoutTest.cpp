#include <gtest/gtest.h>

#include <string>

#include "print/VxPrintLayout.h"

namespace {

// A4 in HiMetric; the printer reaches to 4 mm from the left, 6 mm from the right and
// 5 mm from the top and bottom.
const TVxHiMetricRect A4{0, 0, 21000, 29700};
const TVxHiMetricRect A4Printable{400, 500, 21000 - 600, 29700 - 500};

TVxPrintLayout OpenedPhoto()
{
    TVxPrintLayout layout(A4, A4Printable);
    layout.Open(3000, 2000, 300, 300);
    return layout;
}

TEST(VxPrintLayoutTest, PhotoAt300DpiOpensAtItsSizeCentredAt100Percent)
{
    const TVxPrintLayout layout = OpenedPhoto();
    EXPECT_EQ(layout.PrintWidth(), 25400);
    EXPECT_EQ(layout.PrintHeight(), 16933);
    EXPECT_EQ(FormatLength(layout.PrintWidth(), puInches, L'.'), L"10");
    EXPECT_EQ(FormatLength(layout.PrintHeight(), puInches, L'.'), L"6.667");
    EXPECT_EQ(FormatLength(layout.PrintWidth(), puCentimetres, L','), L"25,4");
    EXPECT_EQ(FormatLength(layout.PrintHeight(), puCentimetres, L'.'), L"16.933");
    EXPECT_EQ(layout.Left(), (21000 - 25400) / 2);
    EXPECT_EQ(layout.Top(), (29700 - 16933) / 2);
    EXPECT_EQ(FormatScale(layout.Scale(), L'.'), L"100%");
}

TEST(VxPrintLayoutTest, ResolutionBelowOneCountsAs96)
{
    for (std::int32_t dpi : {0, -5}) {
        SCOPED_TRACE(dpi);
        TVxPrintLayout layout(A4, A4Printable);
        layout.Open(960, 480, dpi, dpi);
        EXPECT_EQ(layout.PrintWidth(), 25400);
        EXPECT_EQ(layout.PrintHeight(), 12700);
    }
}

TEST(VxPrintLayoutTest, ScaleToFitMediaKeepsEqualMarginsOfTheLargerSide)
{
    TVxPrintLayout layout = OpenedPhoto();
    layout.ScaleToPrintable();
    // Between 6 mm margins on both sides, though the left one could be 4 mm.
    EXPECT_EQ(layout.Left(), 600);
    EXPECT_EQ(layout.PrintRect().Right, 21000 - 600);
    EXPECT_EQ(layout.PrintWidth(), 19800);
    EXPECT_EQ(layout.PrintHeight(), 13200);
    EXPECT_EQ(layout.Top(), (500 + 29200) / 2 - 13200 / 2);
    EXPECT_TRUE(layout.InsidePrintable());
}

TEST(VxPrintLayoutTest, FiftyPercentHalvesAndStaysCentred)
{
    TVxPrintLayout layout = OpenedPhoto();
    ASSERT_TRUE(layout.SetScaleText(L"50%", L'.', true));
    EXPECT_EQ(layout.PrintWidth(), 12700);
    EXPECT_EQ(layout.PrintHeight(), 8467);
    EXPECT_EQ(layout.Left(), (21000 - 12700) / 2);
    EXPECT_EQ(layout.Top(), (29700 - 8467) / 2);
    EXPECT_EQ(FormatScale(layout.Scale(), L'.'), L"50%");
}

TEST(VxPrintLayoutTest, UnreadableScaleLeavesTheSizeAlone)
{
    TVxPrintLayout layout = OpenedPhoto();
    for (const wchar_t* text : {L"", L"%", L"abc", L"5.5.5"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(text)));
        EXPECT_FALSE(layout.SetScaleText(text, L'.', true));
        EXPECT_EQ(layout.PrintWidth(), 25400);
    }
}

TEST(VxPrintLayoutTest, EveryTypedSizeRecentres)
{
    struct TCase {
        const char* Name;
        void (*Type)(TVxPrintLayout&);
    };
    const TCase cases[] = {
        {"width", [](TVxPrintLayout& l) { l.SetPrintWidth(10000, true); }},
        {"height", [](TVxPrintLayout& l) { l.SetPrintHeight(10000, true); }},
        {"scale", [](TVxPrintLayout& l) { l.SetScaleText(L"30", L'.', true); }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TVxPrintLayout layout = OpenedPhoto();
        c.Type(layout);
        EXPECT_EQ(layout.Left(), (21000 - layout.PrintWidth()) / 2);
        EXPECT_EQ(layout.Top(), (29700 - layout.PrintHeight()) / 2);
    }
}

TEST(VxPrintLayoutTest, TypedWidthKeepsTheProportionsRoundedToNearest)
{
    TVxPrintLayout layout = OpenedPhoto();
    layout.SetPrintWidth(10001, false);
    EXPECT_EQ(layout.PrintHeight(), 6667);  // 10001 * 16933 / 25400 = 6667.3
    layout.SetPrintHeight(3, false);
    EXPECT_EQ(layout.PrintWidth(), 5);  // 4.5 rounds up
}

TEST(VxPrintLayoutTest, RefusedQuestionsFitOrMoveThePicture)
{
    // Larger than the page, answered no: scaled into the printable area.
    TVxPrintLayout large = OpenedPhoto();
    ASSERT_FALSE(large.InsidePrintable());
    large.FitAfterRefusal();
    EXPECT_TRUE(large.InsidePrintable());
    EXPECT_EQ(large.PrintWidth(), 19800);
    // Inside the paper but over the unprintable margin, answered no: to the printable corner.
    TVxPrintLayout small = OpenedPhoto();
    small.SetPrintWidth(5000, false);
    small.SetLeft(100);
    small.SetTop(200);
    ASSERT_FALSE(small.InsidePrintable());
    small.FitAfterRefusal();
    EXPECT_EQ(small.Left(), 400);
    EXPECT_EQ(small.Top(), 500);
    EXPECT_EQ(small.PrintWidth(), 5000);
    EXPECT_TRUE(small.InsidePrintable());
}

TEST(VxPrintLayoutTest, UnitsConvertBothWays)
{
    struct TCase {
        TVxPrintUnit Unit;
        double Value;
        std::int32_t HiMetric;
    };
    const TCase cases[] = {{puMillimetres, 12.34, 1234}, {puCentimetres, 2.54, 2540}, {puInches, 1, 2540}, {puPoints, 72, 2540},
                           {puPoints, 1, 35}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Value);
        EXPECT_EQ(UnitToHiMetric(c.Value, c.Unit), c.HiMetric);
    }
    EXPECT_EQ(FormatLength(-1250, puMillimetres, L','), L"-12,5");
}

TEST(VxPrintLayoutTest, KeyFilter)
{
    using E = TVxPrintEdit;
    struct TCase {
        const char* Name;
        E Edit;
        const wchar_t* Text;
        std::size_t SelStart, SelEnd;
        wchar_t Key;
        wchar_t Result;  // 0: refused
    };
    const TCase cases[] = {
        {"minus in the middle of left", E::peLeft, L"123", 1, 1, L'-', 0},
        {"minus at the start of left", E::peLeft, L"123", 0, 0, L'-', L'-'},
        {"minus at the start of top", E::peTop, L"", 0, 0, L'-', L'-'},
        {"minus in width", E::peWidth, L"", 0, 0, L'-', 0},
        {"point becomes the separator", E::peWidth, L"12", 2, 2, L'.', L','},
        {"comma becomes the separator", E::peWidth, L"12", 2, 2, L',', L','},
        {"separator at the very start", E::peWidth, L"12", 0, 0, L'.', 0},
        {"digit after the percent sign", E::peScale, L"50%", 3, 3, L'5', 0},
        {"digit before the percent sign", E::peScale, L"50%", 1, 1, L'5', L'5'},
        {"percent at the end", E::peScale, L"50", 2, 2, L'%', L'%'},
        {"second percent", E::peScale, L"50%", 3, 3, L'%', 0},
        {"percent in an empty edit", E::peScale, L"", 0, 0, L'%', 0},
        {"percent in the middle", E::peScale, L"50", 1, 1, L'%', 0},
        {"percent with the selection to the end", E::peScale, L"50", 1, 2, L'%', L'%'},
        {"percent in width", E::peWidth, L"50", 2, 2, L'%', 0},
        {"letter", E::peLeft, L"1", 1, 1, L'a', 0},
        {"backspace", E::peScale, L"50%", 3, 3, 8, 8},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::optional<wchar_t> result = FilterPrintKey(c.Edit, c.Text, c.SelStart, c.SelEnd, c.Key, L',');
        EXPECT_EQ(result.value_or(0), c.Result);
    }
}

TEST(VxPrintLayoutTest, LeavingAnEditNormalisesItsText)
{
    struct TCase {
        const wchar_t* Text;
        bool Scale;
        const wchar_t* Result;
    };
    const TCase cases[] = {
        {L"12,", false, L"12"}, {L"012,50", false, L"12,5"}, {L"abc", false, L"0"}, {L"", false, L"0"},
        {L"5%0", true, L"50%"}, {L"75", true, L"75%"},       {L"-3,25", false, L"-3,25"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.Text)));
        EXPECT_EQ(NormalizeEditText(c.Text, c.Scale, L','), c.Result);
    }
}

}  // namespace

namespace {

TEST(VxPrintGeometryTest, PrinterPageInHiMetricAndBack)
{
    // A4 at 300 dots per inch with 4 mm / 6 mm side margins (47 and 71 pixels) and 5 mm
    // (59 pixels) at top and bottom.
    const TVxPageGeometry page{300, 300, 2480, 3508, 47, 59, 2480 - 47 - 71, 3508 - 2 * 59};
    const TVxHiMetricRect paper = PaperHiMetric(page);
    EXPECT_EQ(paper.Right, 20997);
    EXPECT_EQ(paper.Bottom, 29701);
    const TVxHiMetricRect printable = PrintableHiMetric(page);
    EXPECT_EQ(printable.Left, 398);
    EXPECT_EQ(printable.Top, 500);
    EXPECT_EQ(printable.Right, 20997 - 601);
    // The printable corner is the device origin.
    const TVxHiMetricRect device = HiMetricToDevice({printable.Left, printable.Top, 2540 + printable.Left, 2540 + printable.Top}, page);
    EXPECT_EQ(device.Left, 0);
    EXPECT_EQ(device.Top, 0);
    EXPECT_EQ(device.Right, 300);
    EXPECT_EQ(device.Bottom, 300);
}

}  // namespace
