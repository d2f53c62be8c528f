#pragma once
// The crop rectangle's rules, apart from any window: its states, the handles and their
// hit test on screen, drawing and adjusting it inside the working area, the side-ratio
// rule and the width and height boxes. Rectangles are half-open; image rectangles are
// in picture pixels, screen rectangles in view pixels.
#include <cstdint>
#include <optional>
#include <string_view>

#include "imaging/VxGeometry.h"

enum TVxCropState : std::int32_t {
    csNone = 0,      // no rectangle
    csDrawing = 1,   // the left button went down inside the picture; the rectangle follows
    csReady = 2,     // a rectangle with handles
    csAdjusting = 3, // a handle or the body is being dragged
};

// Hit parts; the numbers are also the handles' identities in the proportion rule.
enum TVxCropPart : std::int32_t {
    cpOutside = 0,
    cpInside = 3,
    cpTop = 4,
    cpTopRight = 5,
    cpRight = 6,
    cpBottomRight = 7,
    cpBottom = 8,
    cpBottomLeft = 9,
    cpLeft = 10,
    cpTopLeft = 11,
};

// Both 0 (or either below 1): free proportions.
struct TVxSideRatio {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    bool Fixed() const { return Width >= 1 && Height >= 1; }
    friend bool operator==(const TVxSideRatio&, const TVxSideRatio&) = default;
};

// The centre of a handle on the screen rectangle (R and B the exclusive edges as they are).
TPoint CropHandlePoint(const TRect& screenRect, TVxCropPart part);
// A handle's 9 x 9 sensitive square, (x - 4, y - 4) to (x + 5, y + 5).
TRect CropHandleSquare(const TPoint& centre);
// Handles first in the order 11, 4, 5, 6, 9, 8, 7, 10, then the inside, else outside.
TVxCropPart CropHitTest(const TRect& screenRect, const TPoint& point);

// Heights decide at the corners and the top and bottom edges, widths at the side edges;
// every side becomes a whole multiple of the ratio. Free proportions change nothing.
TRect ApplyProportion(const TRect& rect, TVxCropPart part, const TVxSideRatio& ratio);
// The corner a drag from anchor towards pointer pulls: 7, 5, 9 or 11.
TVxCropPart DragCorner(const TPoint& anchor, const TPoint& pointer);
// The rectangle spanned by two points, smaller coordinates left and top (no + 1).
TRect SpanRect(const TPoint& a, const TPoint& b);

// A new drag (state 1) of the plain tool: the span, cut to the working area.
TRect DrawFreeRect(const TPoint& anchor, const TPoint& pointer, const TRect& area);
// A new drag of the proportional tool: the span with the rule of the dragged corner, or
// the current rectangle when that would leave the working area. The pointer is first
// held inside the working area, so a fast drag past the picture's edge still reaches it.
TRect DrawRatioRect(const TPoint& anchor, const TPoint& pointer, const TRect& area, const TVxSideRatio& ratio,
                    const TRect& current);
// The body dragged by delta, pushed back inside the working area at its size.
TRect MoveCropRect(const TRect& start, const TPoint& delta, const TRect& area);
// A handle dragged by delta; with a fixed ratio its rule applies. A result outside the
// working area (with a ratio) or empty keeps the current rectangle.
TRect AdjustCropRect(const TRect& start, const TRect& current, TVxCropPart part, const TPoint& delta, const TRect& area,
                     const TVxSideRatio& ratio);

// "16x10 (1280x800 ...)" gives 8 : 5: the number before the first "x", the one after it
// up to a space, both divided by their greatest common divisor. Nothing for a text that
// does not parse or gives a zero.
std::optional<TVxSideRatio> ParseSideRatio(std::wstring_view text);

// What a width or height box sets: a value that is not a number, 0 or negative counts as
// 1; a value larger than the picture side is refused (the box shows the rectangle's
// current side again). The rectangle keeps its left (top) edge while it fits and is
// pushed back from the picture's far edge otherwise.
struct TVxSideBoxResult {
    TRect Rect;
    std::int32_t Shown = 0; // what the box shows afterwards
};
TVxSideBoxResult ApplyWidthBox(const TRect& rect, std::wstring_view text, std::int32_t pictureWidth);
TVxSideBoxResult ApplyHeightBox(const TRect& rect, std::wstring_view text, std::int32_t pictureHeight);

// Whether a crop to rect would cut anything out of the picture at all: false for an
// empty rectangle or one wholly outside.
bool CropMeetsPicture(const TRect& rect, const TRect& picture);
