#include "print/VxPrintLayout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cwchar>

namespace {

// HiMetric per unit: 0.01 mm.
double HiMetricPerUnit(TVxPrintUnit unit)
{
    switch (unit) {
    case puMillimetres: return 100.0;
    case puCentimetres: return 1000.0;
    case puInches: return 2540.0;
    case puPoints: return 2540.0 / 72.0;
    }
    return 1.0;
}

std::int32_t RoundToInt(double value)
{
    constexpr double Limit = 2147483647.0;
    return static_cast<std::int32_t>(std::lround(std::clamp(value, -Limit, Limit)));
}

// Up to `decimals` digits after the point, trailing zeros dropped ("0.###", "#.##").
std::wstring FormatDecimals(double value, int decimals, wchar_t separator, bool keepZero)
{
    wchar_t buffer[64];
    std::swprintf(buffer, 64, L"%.*f", decimals, value);
    std::wstring text = buffer;
    if (text.find(L'.') != std::wstring::npos) {
        while (text.back() == L'0')
            text.pop_back();
        if (text.back() == L'.')
            text.pop_back();
    }
    if (text == L"-0")
        text = L"0";
    if (!keepZero && text == L"0")
        text.clear();
    std::replace(text.begin(), text.end(), L'.', separator);
    return text;
}

// a * b / c rounded to the nearest integer, with a 64-bit product.
std::int32_t MulDivRound(std::int32_t a, std::int32_t b, std::int32_t c)
{
    if (c == 0)
        return 0;
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    const std::int64_t half = (c > 0 ? c : -c) / 2;
    const std::int64_t q = (product >= 0) == (c > 0) ? (std::llabs(product) + half) / std::llabs(c)
                                                     : -((std::llabs(product) + half) / std::llabs(c));
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(q, INT32_MIN, INT32_MAX));
}

}  // namespace

double HiMetricToUnit(std::int32_t value, TVxPrintUnit unit)
{
    return value / HiMetricPerUnit(unit);
}

std::int32_t UnitToHiMetric(double value, TVxPrintUnit unit)
{
    return RoundToInt(value * HiMetricPerUnit(unit));
}

std::wstring FormatLength(std::int32_t hiMetric, TVxPrintUnit unit, wchar_t decimalSeparator)
{
    return FormatDecimals(HiMetricToUnit(hiMetric, unit), 3, decimalSeparator, true);
}

std::wstring FormatScale(double ratio, wchar_t decimalSeparator)
{
    return FormatDecimals(ratio * 100.0, 2, decimalSeparator, false) + L"%";
}

std::optional<double> ParseNumber(std::wstring text, wchar_t decimalSeparator)
{
    while (!text.empty() && text.back() == L'%')
        text.pop_back();
    if (text.empty() || text.size() > 32)
        return std::nullopt;
    std::string ascii;
    bool seenSeparator = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c >= L'0' && c <= L'9')
            ascii += static_cast<char>(c);
        else if (c == L'-' && i == 0)
            ascii += '-';
        else if (c == decimalSeparator && !seenSeparator) {
            seenSeparator = true;
            ascii += '.';
        } else
            return std::nullopt;
    }
    if (ascii.find_first_of("0123456789") == std::string::npos)
        return std::nullopt;
    return std::strtod(ascii.c_str(), nullptr);
}

std::wstring NormalizeEditText(const std::wstring& text, bool scaleEdit, wchar_t decimalSeparator)
{
    std::wstring cleaned;
    for (wchar_t c : text)
        if (c != L'%')
            cleaned += c;
    if (!cleaned.empty() && cleaned.back() == decimalSeparator)
        cleaned.pop_back();
    const std::optional<double> number = ParseNumber(cleaned, decimalSeparator);
    std::wstring result = number ? FormatDecimals(*number, 6, decimalSeparator, true) : L"0";
    if (scaleEdit)
        result += L"%";
    return result;
}

std::optional<wchar_t> FilterPrintKey(TVxPrintEdit edit, const std::wstring& text, std::size_t selStart, std::size_t selEnd,
                                      wchar_t key, wchar_t decimalSeparator)
{
    const bool scale = edit == TVxPrintEdit::peScale;
    const bool endsWithPercent = !text.empty() && text.back() == L'%';
    if (key == 8)
        return key;
    if (key >= L'0' && key <= L'9') {
        if (scale && endsWithPercent && selStart >= text.size())
            return std::nullopt;
        return key;
    }
    if (key == L',' || key == L'.') {
        if (selStart == 0)
            return std::nullopt;
        return decimalSeparator;
    }
    if (key == L'-') {
        if ((edit == TVxPrintEdit::peLeft || edit == TVxPrintEdit::peTop) && selStart == 0)
            return key;
        return std::nullopt;
    }
    if (key == L'%') {
        if (scale && selEnd >= text.size() && !text.empty() && !endsWithPercent)
            return key;
        return std::nullopt;
    }
    return std::nullopt;
}

std::int32_t EffectiveResolution(std::int32_t dotsPerInch)
{
    return dotsPerInch < 1 ? 96 : dotsPerInch;
}

void TVxPrintLayout::Open(std::int32_t pixelWidth, std::int32_t pixelHeight, std::int32_t dpiX, std::int32_t dpiY)
{
    FImageWidth = RoundToInt(static_cast<double>(pixelWidth) / EffectiveResolution(dpiX) * 2540.0);
    FImageHeight = RoundToInt(static_cast<double>(pixelHeight) / EffectiveResolution(dpiY) * 2540.0);
    FPrintWidth = FImageWidth;
    FPrintHeight = FImageHeight;
    Center();
}

void TVxPrintLayout::SetPaper(const TVxHiMetricRect& paper, const TVxHiMetricRect& printable)
{
    FPaper = paper;
    FPrintable = printable;
}

// Integer halves as the dialog always had them: (paper - print) div 2, towards zero.
void TVxPrintLayout::Center()
{
    FLeft = (FPaper.Width() - FPrintWidth) / 2;
    FTop = (FPaper.Height() - FPrintHeight) / 2;
}

void TVxPrintLayout::ScaleToPrintable()
{
    TVxHiMetricRect area = FPrintable;
    if (FPaper.Right - area.Right < area.Left)
        area.Right = FPaper.Right - area.Left;
    else
        area.Left = FPaper.Right - area.Right;
    if (FPaper.Bottom - area.Bottom < area.Top)
        area.Bottom = FPaper.Bottom - area.Top;
    else
        area.Top = FPaper.Bottom - area.Bottom;
    const double height = FPrintHeight != 0 ? FPrintHeight : 1;
    const double width = FPrintWidth != 0 ? FPrintWidth : 1;
    const double s = std::min(area.Height() / height, area.Width() / width);
    const std::int32_t newWidth = RoundToInt(width * s);
    const std::int32_t newHeight = RoundToInt(height * s);
    FLeft = (area.Left + area.Right) / 2 - newWidth / 2;
    FTop = (area.Top + area.Bottom) / 2 - newHeight / 2;
    FPrintWidth = newWidth;
    FPrintHeight = newHeight;
}

bool TVxPrintLayout::SetScaleText(const std::wstring& text, wchar_t decimalSeparator, bool center)
{
    const std::optional<double> number = ParseNumber(text, decimalSeparator);
    if (!number)
        return false;
    const double s = *number / 100.0;
    FPrintWidth = RoundToInt(FImageWidth * s);
    FPrintHeight = RoundToInt(FImageHeight * s);
    if (center)
        Center();
    return true;
}

// Re-centred after a width change too: the picture must not stay off-centre while
// height and scale changes re-centre it.
void TVxPrintLayout::SetPrintWidth(std::int32_t value, bool center)
{
    FPrintWidth = value;
    FPrintHeight = MulDivRound(value, FImageHeight, FImageWidth);
    if (center)
        Center();
}

void TVxPrintLayout::SetPrintHeight(std::int32_t value, bool center)
{
    FPrintHeight = value;
    FPrintWidth = MulDivRound(value, FImageWidth, FImageHeight);
    if (center)
        Center();
}

double TVxPrintLayout::Scale() const
{
    if (FImageHeight >= FImageWidth)
        return FImageHeight != 0 ? static_cast<double>(FPrintHeight) / FImageHeight : 0.0;
    return FImageWidth != 0 ? static_cast<double>(FPrintWidth) / FImageWidth : 0.0;
}

bool TVxPrintLayout::InsidePrintable() const
{
    const TVxHiMetricRect r = PrintRect();
    return r.Left >= FPrintable.Left && r.Top >= FPrintable.Top && r.Right <= FPrintable.Right && r.Bottom <= FPrintable.Bottom;
}

void TVxPrintLayout::FitAfterRefusal()
{
    if (FPrintWidth > FPrintable.Width() || FPrintHeight > FPrintable.Height()) {
        ScaleToPrintable();
        return;
    }
    FLeft = FPrintable.Left;
    FTop = FPrintable.Top;
}

namespace {

std::int32_t DeviceToHiMetric(std::int32_t pixels, std::int32_t dpi)
{
    return dpi > 0 ? RoundToInt(pixels * 2540.0 / dpi) : 0;
}

std::int32_t HiMetricToPixels(std::int32_t hiMetric, std::int32_t dpi)
{
    return RoundToInt(hiMetric * static_cast<double>(dpi) / 2540.0);
}

}  // namespace

TVxHiMetricRect PaperHiMetric(const TVxPageGeometry& page)
{
    return {0, 0, DeviceToHiMetric(page.PhysicalWidth, page.DpiX), DeviceToHiMetric(page.PhysicalHeight, page.DpiY)};
}

TVxHiMetricRect PrintableHiMetric(const TVxPageGeometry& page)
{
    return {DeviceToHiMetric(page.OffsetX, page.DpiX), DeviceToHiMetric(page.OffsetY, page.DpiY),
            DeviceToHiMetric(page.OffsetX + page.PageWidth, page.DpiX), DeviceToHiMetric(page.OffsetY + page.PageHeight, page.DpiY)};
}

TVxHiMetricRect HiMetricToDevice(const TVxHiMetricRect& rect, const TVxPageGeometry& page)
{
    return {HiMetricToPixels(rect.Left, page.DpiX) - page.OffsetX, HiMetricToPixels(rect.Top, page.DpiY) - page.OffsetY,
            HiMetricToPixels(rect.Right, page.DpiX) - page.OffsetX, HiMetricToPixels(rect.Bottom, page.DpiY) - page.OffsetY};
}
