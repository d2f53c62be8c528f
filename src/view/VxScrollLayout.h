#pragma once
// The arithmetic of a scrolling view, apart from its window: how far the content sticks
// out, where a narrower content is centred, which scroll bars that needs, and how far a
// scroll request may go.
//
//   TVxScrollState state = GetScrollState(content, clientSize, origin, bars);
//   if (state.Dx || state.Dy) MoveOrigin(state.Dx, state.Dy);
#include <cstdint>

#include "imaging/VxGeometry.h"

struct TVxScrollBarMetrics {
    std::int32_t VerticalWidth = 0;    // the system's vertical scroll-bar width
    std::int32_t HorizontalHeight = 0; // the system's horizontal scroll-bar height
};

struct TVxScrollState {
    std::int32_t Dx = 0;            // how far the origin must move
    std::int32_t Dy = 0;
    std::int32_t ExcessWidth = 0;   // content width beyond the client, bars included
    std::int32_t ExcessHeight = 0;
};

// origin: the viewport origin (where logical 0 lands); client: the control's size.
TVxScrollState GetScrollState(const TRect& content, const TSize& client, const TPoint& origin, const TVxScrollBarMetrics& bars);

// Limits a drag so that the content never leaves its range; no room, no movement.
void ClampScroll(std::int32_t& dx, std::int32_t& dy, const TPoint& origin, const TVxScrollState& state);

// What one scroll-bar request asks for.
enum class TVxScrollRequest { LineUp, LineDown, PageUp, PageDown, ThumbTrack, Other };

struct TVxScrollBarInfo {
    std::int32_t Min = 0;
    std::int32_t Max = 0;
    std::int32_t Page = 0;
    std::int32_t Position = 0;
    std::int32_t TrackPosition = 0;
};

// The bar's position change for a request, already kept within [Min, Max - Page + 1].
std::int32_t ScrollBarDelta(TVxScrollRequest request, const TVxScrollBarInfo& bar, std::int32_t lineStep);

// The scroll bar's range for one axis: page = the client size, maximum = size + excess - 1.
struct TVxScrollBarRange {
    std::int32_t Max = 0;
    std::int32_t Page = 0;
    std::int32_t Position = 0;
};
TVxScrollBarRange ScrollBarRange(std::int32_t clientSize, std::int32_t excess, std::int32_t origin);

// The keys a scrolling view answers itself.
enum class TVxViewKey { Left, Right, Up, Down, PageUp, PageDown, Home, End };

// A line of keyboard or wheel scrolling: a twentieth of the client, at least 8 pixels.
std::int32_t ScrollLineSize(std::int32_t clientSize);

// The origin change for a key, kept within the content: arrows a line, Page Up and Down
// three quarters of the client (with Shift sideways), Home and End to the top or bottom
// edge (with Ctrl to the top-left or bottom-right corner).
TPoint KeyScrollDelta(TVxViewKey key, bool shift, bool control, const TSize& client, const TPoint& origin,
                      const TVxScrollState& state);

// The origin change for whole wheel notches (positive: turned away from the user, which
// shows what lies above), linesPerNotch lines each, or a page each when it is negative;
// sideways with horizontal. Kept within the content.
TPoint WheelScrollDelta(std::int32_t notches, std::int32_t linesPerNotch, bool horizontal, const TSize& client,
                        const TPoint& origin, const TVxScrollState& state);
