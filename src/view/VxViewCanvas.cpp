#include "view/VxViewCanvas.h"

#include "view/VxViewObject.h"

void TVxViewCanvas::PushClip(TVxViewObject& object)
{
    if (FDepth == static_cast<std::int32_t>(FStates.size()))
        FStates.emplace_back();
    TVxViewState& state = FStates[static_cast<std::size_t>(FDepth++)];
    state.Object = &object;
    state.Clip = SaveClip();
}

bool TVxViewCanvas::PopClip(TVxViewObject*& object)
{
    if (FDepth == 0)
        return false;
    TVxViewState& state = FStates[static_cast<std::size_t>(--FDepth)];
    object = state.Object;
    if (state.Clip)
        RestoreClip(*state.Clip);
    state.Object = nullptr;
    state.Clip.reset();
    return true;
}

namespace {

// Returns whether the object's AfterDraw waits for its outline.
bool PaintFill(TVxViewObject& object, TVxViewCanvas& canvas)
{
    const TVxMapMode& mapping = canvas.Mapping();
    bool deferred = false;
    if (object.HasFlag(vofOutline)) {
        TRect outline;
        object.GetOutlineRect(mapping, outline);
        if (canvas.ClipIntersects(outline)) {
            canvas.PushClip(object);
            deferred = true;
        }
    }
    if (object.HasFlag(vofFill)) {
        TRect fill;
        object.GetFillRect(mapping, fill);
        if (canvas.ClipIntersects(fill))
            object.DrawFill(canvas);
    }
    return deferred;
}

} // namespace

void PaintViewObjects(const TVxViewObjectList& objects, TVxViewCanvas& canvas)
{
    for (std::int32_t i = objects.Count() - 1; i >= 0; --i) {
        TVxViewObject& object = objects.Item(i);
        if (!object.IsVisible())
            continue;
        TRect window;
        object.GetWindowRect(canvas.Mapping(), window);
        if (!canvas.ClipIntersects(window) || !object.IsVisibleOn(canvas))
            continue;
        if (!PaintFill(object, canvas))
            object.AfterDraw();
    }
    canvas.FillClip(canvas.BackgroundColour);
    TVxViewObject* object = nullptr;
    while (canvas.PopClip(object)) {
        object->DrawOutline(canvas);
        object->AfterDraw();
    }
}
