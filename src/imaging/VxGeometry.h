#pragma once
// Integer points and half-open rectangles (right and bottom exclusive) in image
// coordinates, shaped like the platform's POINT and RECT so conversions are trivial.
#include <algorithm>
#include <cstdint>

struct TPoint {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TRect {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;

    std::int32_t Width() const { return Right - Left; }
    std::int32_t Height() const { return Bottom - Top; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    bool Contains(std::int32_t x, std::int32_t y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
    friend bool operator==(const TRect&, const TRect&) = default;
};

inline TRect Rect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom)
{
    return TRect{left, top, right, bottom};
}

inline TRect Bounds(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height)
{
    return TRect{left, top, left + width, top + height};
}

// The empty result is the zero rectangle, as the platform's IntersectRect gives it.
inline TRect IntersectRect(const TRect& a, const TRect& b)
{
    TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
    return r.IsEmpty() ? TRect{} : r;
}

// An empty operand does not take part, as with the platform's UnionRect.
inline TRect UnionRect(const TRect& a, const TRect& b)
{
    if (a.IsEmpty())
        return b.IsEmpty() ? TRect{} : b;
    if (b.IsEmpty())
        return a;
    return TRect{std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right), std::max(a.Bottom, b.Bottom)};
}

inline TRect OffsetRect(const TRect& r, std::int32_t dx, std::int32_t dy)
{
    return TRect{r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
}

struct TSize {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    friend bool operator==(const TSize&, const TSize&) = default;
};
