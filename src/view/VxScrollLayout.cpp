#include "view/VxScrollLayout.h"

#include <algorithm>

#include "imaging/VxBitmap.h"

namespace {

// A narrower content is centred; a wider one keeps its origin within [-excess, 0].
std::int32_t WantedOrigin(std::int32_t origin, std::int32_t excess)
{
    if (excess < 0)
        return (-excess) / 2;
    if (origin < -excess)
        return -excess;
    if (origin > 0)
        return 0;
    return origin;
}

std::int32_t ClampAxis(std::int32_t delta, std::int32_t origin, std::int32_t excess)
{
    if (delta == 0)
        return 0;
    if (excess <= 0)
        return 0;
    if (delta < 0 && origin + delta < -excess)
        return -excess - origin;
    if (delta > 0 && origin + delta > 0)
        return -origin;
    return delta;
}

} // namespace

TVxScrollState GetScrollState(const TRect& content, const TSize& client, const TPoint& origin, const TVxScrollBarMetrics& bars)
{
    TVxScrollState state;
    state.ExcessWidth = content.Width() - client.Width;
    state.ExcessHeight = content.Height() - client.Height;
    // A bar takes room from the other axis, which may then need its own bar too.
    if (state.ExcessHeight > 0) {
        state.ExcessWidth += bars.VerticalWidth;
        if (state.ExcessWidth > 0)
            state.ExcessHeight += bars.HorizontalHeight;
    } else if (state.ExcessWidth > 0) {
        state.ExcessHeight += bars.HorizontalHeight;
        if (state.ExcessHeight > 0)
            state.ExcessWidth += bars.VerticalWidth;
    }
    state.Dx = WantedOrigin(origin.X, state.ExcessWidth) - origin.X;
    state.Dy = WantedOrigin(origin.Y, state.ExcessHeight) - origin.Y;
    return state;
}

void ClampScroll(std::int32_t& dx, std::int32_t& dy, const TPoint& origin, const TVxScrollState& state)
{
    dx = ClampAxis(dx, origin.X, state.ExcessWidth);
    dy = ClampAxis(dy, origin.Y, state.ExcessHeight);
}

std::int32_t ScrollBarDelta(TVxScrollRequest request, const TVxScrollBarInfo& bar, std::int32_t lineStep)
{
    std::int32_t delta = 0;
    switch (request) {
    case TVxScrollRequest::LineUp: delta = -lineStep; break;
    case TVxScrollRequest::LineDown: delta = lineStep; break;
    case TVxScrollRequest::PageUp: delta = -VxMulDiv(bar.Page, 3, 4); break;
    case TVxScrollRequest::PageDown: delta = VxMulDiv(bar.Page, 3, 4); break;
    case TVxScrollRequest::ThumbTrack: delta = bar.TrackPosition - bar.Position; break;
    case TVxScrollRequest::Other: break;
    }
    const std::int32_t lowest = bar.Min;
    const std::int32_t highest = bar.Max - bar.Page + 1;
    if (bar.Position + delta > highest)
        delta = highest - bar.Position;
    if (bar.Position + delta < lowest)
        delta = lowest - bar.Position;
    return delta;
}

TVxScrollBarRange ScrollBarRange(std::int32_t clientSize, std::int32_t excess, std::int32_t origin)
{
    return TVxScrollBarRange{clientSize + excess - 1, clientSize, -origin};
}

namespace {

std::int32_t PageSize(std::int32_t clientSize) { return VxMulDiv(clientSize, 3, 4); }

TPoint Clamped(std::int32_t dx, std::int32_t dy, const TPoint& origin, const TVxScrollState& state)
{
    ClampScroll(dx, dy, origin, state);
    return TPoint{dx, dy};
}

} // namespace

std::int32_t ScrollLineSize(std::int32_t clientSize) { return std::max<std::int32_t>(8, clientSize / 20); }

TPoint KeyScrollDelta(TVxViewKey key, bool shift, bool control, const TSize& client, const TPoint& origin,
                      const TVxScrollState& state)
{
    const std::int32_t lineX = ScrollLineSize(client.Width);
    const std::int32_t lineY = ScrollLineSize(client.Height);
    // The far edges: the origin at -excess shows the right or bottom end.
    const std::int32_t toLeft = -origin.X, toTop = -origin.Y;
    const std::int32_t toRight = -state.ExcessWidth - origin.X, toBottom = -state.ExcessHeight - origin.Y;
    std::int32_t dx = 0, dy = 0;
    switch (key) {
    case TVxViewKey::Left: dx = lineX; break;
    case TVxViewKey::Right: dx = -lineX; break;
    case TVxViewKey::Up: dy = lineY; break;
    case TVxViewKey::Down: dy = -lineY; break;
    case TVxViewKey::PageUp:
        if (shift)
            dx = PageSize(client.Width);
        else
            dy = PageSize(client.Height);
        break;
    case TVxViewKey::PageDown:
        if (shift)
            dx = -PageSize(client.Width);
        else
            dy = -PageSize(client.Height);
        break;
    case TVxViewKey::Home:
        dy = toTop;
        dx = control ? toLeft : 0;
        break;
    case TVxViewKey::End:
        dy = toBottom;
        dx = control ? toRight : 0;
        break;
    }
    return Clamped(dx, dy, origin, state);
}

TPoint WheelScrollDelta(std::int32_t notches, std::int32_t linesPerNotch, bool horizontal, const TSize& client,
                        const TPoint& origin, const TVxScrollState& state)
{
    const std::int32_t size = horizontal ? client.Width : client.Height;
    const std::int32_t perNotch = linesPerNotch < 0 ? PageSize(size) : linesPerNotch * ScrollLineSize(size);
    const std::int32_t distance = notches * perNotch;
    return horizontal ? Clamped(distance, 0, origin, state) : Clamped(0, distance, origin, state);
}
