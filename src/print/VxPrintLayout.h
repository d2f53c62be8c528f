#pragma once
// The print dialog's arithmetic: the picture's place and size on the paper in HiMetric
// (0.01 mm) from the paper's physical corner, the units the user types in, and the rules
// for what may be typed.
//
//   TVxPrintLayout layout(paper, printable);
//   layout.Open(3000, 2000, 300, 300);        // 10 x 6.667 in, centred
//   layout.SetScaleText(L"50%", L'.', true);  // half the size, still centred
#include <cstdint>
#include <optional>
#include <string>

enum TVxPrintUnit { puMillimetres, puCentimetres, puInches, puPoints };

// Rectangles in HiMetric, right and bottom exclusive.
struct TVxHiMetricRect {
    std::int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    std::int32_t Width() const { return Right - Left; }
    std::int32_t Height() const { return Bottom - Top; }
};

double HiMetricToUnit(std::int32_t value, TVxPrintUnit unit);
std::int32_t UnitToHiMetric(double value, TVxPrintUnit unit);

// "0.###" with the locale's decimal separator.
std::wstring FormatLength(std::int32_t hiMetric, TVxPrintUnit unit, wchar_t decimalSeparator);
// "#.##%" of a ratio (1 = 100 %).
std::wstring FormatScale(double ratio, wchar_t decimalSeparator);
// A number with the locale's separator (a trailing "%" allowed); nothing when unreadable.
std::optional<double> ParseNumber(std::wstring text, wchar_t decimalSeparator);
// The text on leaving an edit: every "%" removed, a trailing separator dropped, the
// number written again in its shortest form, or "0"; the scale edit gets its "%" back.
std::wstring NormalizeEditText(const std::wstring& text, bool scaleEdit, wchar_t decimalSeparator);

enum class TVxPrintEdit { peLeft, peTop, peScale, peWidth, peHeight };

// The key filter of the five edits: the character to insert (decimal points become the
// locale's), or nothing when the key is refused. Backspace (8) always passes. The caret
// (or selection) runs from selStart to selEnd.
std::optional<wchar_t> FilterPrintKey(TVxPrintEdit edit, const std::wstring& text, std::size_t selStart, std::size_t selEnd,
                                      wchar_t key, wchar_t decimalSeparator);

// Dots per inch below 1 (unknown or damaged resolution) count as 96.
std::int32_t EffectiveResolution(std::int32_t dotsPerInch);

// What a printer's device context says about its page, in device pixels.
struct TVxPageGeometry {
    std::int32_t DpiX = 0, DpiY = 0;
    std::int32_t PhysicalWidth = 0, PhysicalHeight = 0;  // the paper
    std::int32_t OffsetX = 0, OffsetY = 0;               // the unprintable left and top margins
    std::int32_t PageWidth = 0, PageHeight = 0;          // the printable area
};

// The paper and its printable area in HiMetric from the paper's corner.
TVxHiMetricRect PaperHiMetric(const TVxPageGeometry& page);
TVxHiMetricRect PrintableHiMetric(const TVxPageGeometry& page);
// A HiMetric rectangle from the paper's corner in device pixels from the printable
// area's corner (where the printer's device context has its origin).
TVxHiMetricRect HiMetricToDevice(const TVxHiMetricRect& rect, const TVxPageGeometry& page);

class TVxPrintLayout {
public:
    // paper: the physical page (0, 0, width, height); printable: the area the printer
    // reaches, both in HiMetric from the paper corner.
    TVxPrintLayout(const TVxHiMetricRect& paper, const TVxHiMetricRect& printable) : FPaper(paper), FPrintable(printable) {}

    // The picture's natural size from its pixels and resolution, printed at that size, centred.
    void Open(std::int32_t pixelWidth, std::int32_t pixelHeight, std::int32_t dpiX, std::int32_t dpiY);
    void SetPaper(const TVxHiMetricRect& paper, const TVxHiMetricRect& printable);

    void Center();
    // As large as the printable area allows, with its margins made equal (the larger of
    // each pair), centred in it.
    void ScaleToPrintable();
    // Typing; unreadable text leaves the values as they are and returns false.
    bool SetScaleText(const std::wstring& text, wchar_t decimalSeparator, bool center);
    void SetLeft(std::int32_t value) { FLeft = value; }
    void SetTop(std::int32_t value) { FTop = value; }
    void SetPrintWidth(std::int32_t value, bool center);
    void SetPrintHeight(std::int32_t value, bool center);

    // Whether the picture lies inside the printable area.
    bool InsidePrintable() const;
    // The answer "no" to the question about a picture outside the printable area: a
    // picture larger than the page is scaled to it, another one moved to its corner.
    void FitAfterRefusal();

    std::int32_t Left() const { return FLeft; }
    std::int32_t Top() const { return FTop; }
    std::int32_t ImageWidth() const { return FImageWidth; }
    std::int32_t ImageHeight() const { return FImageHeight; }
    std::int32_t PrintWidth() const { return FPrintWidth; }
    std::int32_t PrintHeight() const { return FPrintHeight; }
    // print / image of the longer side (the height when the picture is at least as tall as wide).
    double Scale() const;
    TVxHiMetricRect PrintRect() const { return {FLeft, FTop, FLeft + FPrintWidth, FTop + FPrintHeight}; }
    const TVxHiMetricRect& Paper() const { return FPaper; }
    const TVxHiMetricRect& Printable() const { return FPrintable; }

private:
    TVxHiMetricRect FPaper;
    TVxHiMetricRect FPrintable;
    std::int32_t FLeft = 0;
    std::int32_t FTop = 0;
    std::int32_t FImageWidth = 0;
    std::int32_t FImageHeight = 0;
    std::int32_t FPrintWidth = 0;
    std::int32_t FPrintHeight = 0;
};
