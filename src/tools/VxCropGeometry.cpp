#include "tools/VxCropGeometry.h"

#include <algorithm>
#include <cstdlib>
#include <cwctype>

namespace {

bool Inside(const TRect& rect, const TRect& area)
{
    return rect.Left >= area.Left && rect.Top >= area.Top && rect.Right <= area.Right && rect.Bottom <= area.Bottom;
}

std::int32_t Gcd(std::int32_t a, std::int32_t b)
{
    while (b != 0) {
        const std::int32_t r = a % b;
        a = b;
        b = r;
    }
    return a;
}

// Digits from the start of text (after spaces), as a positive number below 65536.
std::optional<std::int32_t> LeadingNumber(std::wstring_view text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == L' ')
        ++i;
    std::int64_t value = 0;
    std::size_t digits = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i, ++digits) {
        value = value * 10 + (text[i] - L'0');
        if (value > 1000000)
            return std::nullopt;
    }
    if (digits == 0)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

// A box's text as the value to apply: not a number, 0 or negative gives 1; a huge
// number is kept huge so that the picture-size check refuses it.
std::int32_t BoxValue(std::wstring_view text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == L' ')
        ++i;
    if (i < text.size() && text[i] == L'-')
        return 1;
    const std::optional<std::int32_t> value = LeadingNumber(text.substr(i));
    if (!value)
        return i < text.size() && text[i] >= L'0' && text[i] <= L'9' ? 1000001 : 1;
    return std::max(1, *value);
}

} // namespace

TPoint CropHandlePoint(const TRect& r, TVxCropPart part)
{
    const std::int32_t midX = (r.Left + r.Right) / 2;
    const std::int32_t midY = (r.Top + r.Bottom) / 2;
    switch (part) {
    case cpTopLeft:
        return {r.Left, r.Top};
    case cpTopRight:
        return {r.Right, r.Top};
    case cpBottomRight:
        return {r.Right, r.Bottom};
    case cpBottomLeft:
        return {r.Left, r.Bottom};
    case cpTop:
        return {midX, r.Top};
    case cpBottom:
        return {midX, r.Bottom};
    case cpLeft:
        return {r.Left, midY};
    case cpRight:
        return {r.Right, midY};
    default:
        return {midX, midY};
    }
}

TRect CropHandleSquare(const TPoint& c)
{
    return TRect{c.X - 4, c.Y - 4, c.X + 5, c.Y + 5};
}

TVxCropPart CropHitTest(const TRect& screenRect, const TPoint& point)
{
    static constexpr TVxCropPart order[] = {cpTopLeft,    cpTop,    cpTopRight,    cpRight,
                                            cpBottomLeft, cpBottom, cpBottomRight, cpLeft};
    for (TVxCropPart part : order)
        if (CropHandleSquare(CropHandlePoint(screenRect, part)).Contains(point.X, point.Y))
            return part;
    return screenRect.Contains(point.X, point.Y) ? cpInside : cpOutside;
}

TRect ApplyProportion(const TRect& rect, TVxCropPart part, const TVxSideRatio& ratio)
{
    if (!ratio.Fixed())
        return rect;
    const std::int32_t a = ratio.Width;
    const std::int32_t b = ratio.Height;
    const std::int32_t byHeight = rect.Height() / b;
    const std::int32_t byWidth = rect.Width() / a;
    TRect r = rect;
    switch (part) {
    case cpTopLeft:
        r.Top = r.Bottom - byHeight * b;
        r.Left = r.Right - byHeight * a;
        break;
    case cpTop:
    case cpTopRight:
        r.Top = r.Bottom - byHeight * b;
        r.Right = r.Left + byHeight * a;
        break;
    case cpBottomRight:
    case cpBottom:
        r.Bottom = r.Top + byHeight * b;
        r.Right = r.Left + byHeight * a;
        break;
    case cpBottomLeft:
        r.Bottom = r.Top + byHeight * b;
        r.Left = r.Right - byHeight * a;
        break;
    case cpRight:
        r.Right = r.Left + byWidth * a;
        r.Top = r.Bottom - byWidth * b;
        break;
    case cpLeft:
        r.Left = r.Right - byWidth * a;
        r.Top = r.Bottom - byWidth * b;
        break;
    default:
        break;
    }
    return r;
}

TVxCropPart DragCorner(const TPoint& anchor, const TPoint& pointer)
{
    const bool right = pointer.X >= anchor.X;
    const bool below = pointer.Y >= anchor.Y;
    if (right)
        return below ? cpBottomRight : cpTopRight;
    return below ? cpBottomLeft : cpTopLeft;
}

TRect SpanRect(const TPoint& a, const TPoint& b)
{
    return TRect{std::min(a.X, b.X), std::min(a.Y, b.Y), std::max(a.X, b.X), std::max(a.Y, b.Y)};
}

TRect DrawFreeRect(const TPoint& anchor, const TPoint& pointer, const TRect& area)
{
    return IntersectRect(SpanRect(anchor, pointer), area);
}

TRect DrawRatioRect(const TPoint& anchor, const TPoint& pointer, const TRect& area, const TVxSideRatio& ratio,
                    const TRect& current)
{
    const TPoint held{std::clamp(pointer.X, area.Left, area.Right), std::clamp(pointer.Y, area.Top, area.Bottom)};
    if (held.X == anchor.X || held.Y == anchor.Y)
        return TRect{};
    const TRect result = ApplyProportion(SpanRect(anchor, held), DragCorner(anchor, held), ratio);
    return Inside(result, area) ? result : current;
}

TRect MoveCropRect(const TRect& start, const TPoint& delta, const TRect& area)
{
    const std::int32_t width = start.Width();
    const std::int32_t height = start.Height();
    // A rectangle larger than the area keeps to its left (top) edge.
    const std::int32_t left = std::max(area.Left, std::min(start.Left + delta.X, area.Right - width));
    const std::int32_t top = std::max(area.Top, std::min(start.Top + delta.Y, area.Bottom - height));
    return Bounds(left, top, width, height);
}

TRect AdjustCropRect(const TRect& start, const TRect& current, TVxCropPart part, const TPoint& delta, const TRect& area,
                     const TVxSideRatio& ratio)
{
    TRect r = start;
    if (part == cpTopLeft || part == cpTop || part == cpTopRight)
        r.Top += delta.Y;
    if (part == cpBottomLeft || part == cpBottom || part == cpBottomRight)
        r.Bottom += delta.Y;
    if (part == cpTopLeft || part == cpLeft || part == cpBottomLeft)
        r.Left += delta.X;
    if (part == cpTopRight || part == cpRight || part == cpBottomRight)
        r.Right += delta.X;
    if (ratio.Fixed()) {
        r = ApplyProportion(r, part, ratio);
        if (!Inside(r, area))
            return current;
    }
    r = IntersectRect(r, area);
    return r.IsEmpty() ? current : r;
}

std::optional<TVxSideRatio> ParseSideRatio(std::wstring_view text)
{
    const std::size_t x = text.find_first_of(L"xX");
    if (x == std::wstring_view::npos)
        return std::nullopt;
    const std::optional<std::int32_t> p = LeadingNumber(text.substr(0, x));
    std::wstring_view rest = text.substr(x + 1);
    rest = rest.substr(0, rest.find(L' '));
    const std::optional<std::int32_t> q = LeadingNumber(rest);
    if (!p || !q || *p == 0 || *q == 0)
        return std::nullopt;
    const std::int32_t divisor = Gcd(*p, *q);
    return TVxSideRatio{*p / divisor, *q / divisor};
}

TVxSideBoxResult ApplyWidthBox(const TRect& rect, std::wstring_view text, std::int32_t pictureWidth)
{
    const std::int32_t v = BoxValue(text);
    if (v > pictureWidth)
        return {rect, rect.Width()};
    TRect r = rect;
    if (r.Left + v < pictureWidth) {
        r.Right = r.Left + v;
    } else {
        r.Right = pictureWidth;
        r.Left = r.Right - v;
    }
    return {r, v};
}

TVxSideBoxResult ApplyHeightBox(const TRect& rect, std::wstring_view text, std::int32_t pictureHeight)
{
    const TRect turned{rect.Top, rect.Left, rect.Bottom, rect.Right};
    const TVxSideBoxResult result = ApplyWidthBox(turned, text, pictureHeight);
    return {TRect{result.Rect.Top, result.Rect.Left, result.Rect.Bottom, result.Rect.Right}, result.Shown};
}

bool CropMeetsPicture(const TRect& rect, const TRect& picture)
{
    return !IntersectRect(rect, picture).IsEmpty();
}
