#include "view/VxViewObject.h"

#include <algorithm>

namespace {

TRect Inflate(const TRect& rect, std::int32_t amount)
{
    return TRect{rect.Left - amount, rect.Top - amount, rect.Right + amount, rect.Bottom + amount};
}

bool Overlaps(const TRect& a, const TRect& b)
{
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

bool Encloses(const TRect& outer, const TRect& inner)
{
    return inner.Left >= outer.Left && inner.Top >= outer.Top && inner.Right <= outer.Right && inner.Bottom <= outer.Bottom;
}

} // namespace

void TVxViewObject::SetVisible(bool value)
{
    Flags = value ? static_cast<std::uint8_t>(Flags | vofVisible) : static_cast<std::uint8_t>(Flags & ~vofVisible);
}

void TVxViewObject::GetWindowRect(const TVxMapMode& mapping, TRect& rect) const
{
    rect = TRect{};
    if (HasFlag(vofFill)) {
        GetFillRect(mapping, rect);
        if (HasFlag(vofOutline)) {
            TRect outline;
            GetOutlineRect(mapping, outline);
            rect = UnionRect(rect, outline);
        }
    } else if (HasFlag(vofOutline)) {
        GetOutlineRect(mapping, rect);
    }
}

void TVxViewObject::GetFillRect(const TVxMapMode& mapping, TRect& rect) const
{
    rect = mapping.LogicalToDeviceRect(Bounds);
}

void TVxViewObject::GetOutlineRect(const TVxMapMode& mapping, TRect& rect) const
{
    rect = mapping.LogicalToDeviceRect(Bounds);
}

void TVxViewObject::Paint(TVxViewCanvas& canvas)
{
    if (!HasFlag(vofPainted) || !IsVisibleOn(canvas))
        return;
    if (HasFlag(vofFill))
        DrawFill(canvas);
    if (HasFlag(vofOutline))
        DrawOutline(canvas);
    AfterDraw();
}

std::int32_t TVxViewObject::HitTestPoint(const TVxMapMode& mapping, const TPoint& point, std::int32_t tolerance) const
{
    const TRect window = mapping.LogicalToDeviceRect(Bounds);
    if (window.Contains(point.X, point.Y))
        return htInside;
    if (tolerance > 0 && Inflate(window, tolerance).Contains(point.X, point.Y))
        return htNear;
    return htNone;
}

std::int32_t TVxViewObject::HitTestRect(const TVxMapMode& mapping, const TRect& rect, std::int32_t tolerance) const
{
    const TRect window = mapping.LogicalToDeviceRect(Bounds);
    if (Encloses(window, rect))
        return htInside;
    if (Overlaps(window, rect))
        return htPartly;
    if (tolerance >= 1 && Overlaps(Inflate(window, tolerance), rect))
        return htNear;
    return htNone;
}

std::unique_ptr<TVxViewObject> TVxViewObjectList::Extract(const TVxViewObject& object)
{
    const auto found = std::find_if(FItems.begin(), FItems.end(), [&](const auto& item) { return item.get() == &object; });
    if (found == FItems.end())
        return nullptr;
    std::unique_ptr<TVxViewObject> result = std::move(*found);
    FItems.erase(found);
    return result;
}

TRect ContentRect(const TVxViewObjectList& objects, const TVxMapMode& mapping)
{
    const TPoint origin = mapping.LogicalToDevice(TPoint{0, 0});
    TRect content{origin.X, origin.Y, origin.X, origin.Y};
    for (std::int32_t i = 0; i < objects.Count(); ++i) {
        const TVxViewObject& object = objects.Item(i);
        if (!object.IsVisible() || object.HasFlag(vofNoExtent))
            continue;
        TRect rect;
        object.GetWindowRect(mapping, rect);
        content = UnionRect(content, rect);
    }
    return content;
}
