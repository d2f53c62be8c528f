#pragma once
// The layers a view control draws: the picture first, then one control per tool above it.
//
//   class TFrameOverlay : public TVxViewObject {
//       void DrawOutline(TVxViewCanvas& canvas) override { ... }   // drawn over the picture
//   };
//   view.Objects().Add(std::make_unique<TFrameOverlay>());
//
// Rectangles are logical (image) coordinates in Bounds and window coordinates everywhere
// a mapping is passed in.
#include <cstdint>
#include <memory>
#include <vector>

#include "imaging/VxGeometry.h"
#include "view/VxMapMode.h"

// The platform's paint canvas; only the view controls know what it holds.
class TVxViewCanvas;

enum : std::uint8_t {
    vofVisible = 1,
    vofFill = 2,
    vofOutline = 4,
    vofPainted = 8,
    vofNoExtent = 16, // not counted in the scroll range (tool overlays)
};

// HitTestPoint and HitTestRect answers.
enum : std::int32_t {
    htNone = 0,
    htPartly = 1,      // the rectangle overlaps the object only partly
    htNear = 2,        // within the tolerance around the object
    htInside = 3,
};

class TVxViewObject {
public:
    TVxViewObject() { Flags = 15; }
    TVxViewObject(const TVxViewObject&) = delete;
    TVxViewObject& operator=(const TVxViewObject&) = delete;
    virtual ~TVxViewObject() = default;

    virtual void SetVisible(bool value);
    virtual void SetBounds(const TRect& rect) { Bounds = rect; }
    virtual void InitFlags() { Flags = 15; }
    virtual void GetWindowRect(const TVxMapMode& mapping, TRect& rect) const;
    virtual void GetFillRect(const TVxMapMode& mapping, TRect& rect) const;
    virtual void GetOutlineRect(const TVxMapMode& mapping, TRect& rect) const;
    virtual bool IsVisibleOn(const TVxViewCanvas&) const { return IsVisible(); }
    virtual void DrawFill(TVxViewCanvas&) {}
    virtual void DrawOutline(TVxViewCanvas&) {}
    virtual void AfterDraw() {}
    virtual void Paint(TVxViewCanvas& canvas);
    virtual bool HitTest(std::int32_t, std::int32_t) const { return false; }
    virtual std::int32_t HitTestPoint(const TVxMapMode& mapping, const TPoint& point, std::int32_t tolerance) const;
    virtual std::int32_t HitTestRect(const TVxMapMode& mapping, const TRect& rect, std::int32_t tolerance) const;

    bool IsVisible() const { return (Flags & vofVisible) != 0; }
    bool HasFlag(std::uint8_t flag) const { return (Flags & flag) != 0; }

    std::uint8_t Flags = 0;
    TRect Bounds;

protected:
    // The constructor cannot reach a derived InitFlags; derived constructors call this.
    void ResetFlags() { InitFlags(); }
};

// Owning; index 0 is the bottom of the stack.
class TVxViewObjectList {
public:
    template <typename T>
    T& Add(std::unique_ptr<T> object)
    {
        T& result = *object;
        FItems.push_back(std::move(object));
        return result;
    }
    // Gives the object back to the caller, or nothing when it is not in the list.
    std::unique_ptr<TVxViewObject> Extract(const TVxViewObject& object);
    std::int32_t Count() const { return static_cast<std::int32_t>(FItems.size()); }
    TVxViewObject& Item(std::int32_t index) const { return *FItems[static_cast<std::size_t>(index)]; }
    void Clear() { FItems.clear(); }

private:
    std::vector<std::unique_ptr<TVxViewObject>> FItems;
};

// The scroll range: where the logical origin lands, united with the window rectangle of
// every visible object that counts for the extent.
TRect ContentRect(const TVxViewObjectList& objects, const TVxMapMode& mapping);
