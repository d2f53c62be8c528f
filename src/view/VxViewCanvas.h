#pragma once
// What a view object draws on while its view paints: the mapping, the off-screen pixels
// and the platform's device context, and the clip region that opaque objects cut their
// area out of. The platform's canvas (TVxWin32ViewCanvas) holds regions and bitmaps;
// the painting order below is the same for every canvas.
//
//   void TFrameOverlay::DrawOutline(TVxViewCanvas& canvas)
//   {
//       TRect r = canvas.Mapping().LogicalToDeviceRect(Bounds);
//       ... draw into canvas.Pixels() or canvas.DC() ...
//   }
#include <cstdint>
#include <memory>
#include <vector>

#include "imaging/VxBitmap.h"
#include "imaging/VxLTBitmap.h"
#include "view/VxMapMode.h"

class TVxViewObject;
class TVxViewObjectList;

// A clip region saved by the platform canvas.
class TVxSavedClip {
public:
    virtual ~TVxSavedClip() = default;
};

// An outlined object whose outline waits for the fills below it.
struct TVxViewState {
    TVxViewObject* Object = nullptr;
    std::unique_ptr<TVxSavedClip> Clip;
};

class TVxViewCanvas {
public:
    TVxViewCanvas() = default;
    TVxViewCanvas(const TVxViewCanvas&) = delete;
    TVxViewCanvas& operator=(const TVxViewCanvas&) = delete;
    virtual ~TVxViewCanvas() = default;

    TVxMapMode& Mapping() { return FMapping; }
    const TVxMapMode& Mapping() const { return FMapping; }
    // Valid only while painting.
    TVxCanvasPixels& Pixels() { return FPixels; }
    TVxDeviceContext DC() const { return FDC; }

    virtual bool ClipIntersects(const TRect& windowRect) const = 0;
    // Opaque objects cut their area out so that nothing below paints there again.
    virtual void ExcludeClip(const TRect& windowRect) = 0;
    virtual void FillClip(std::uint32_t colour) = 0;
    // The bounding box of the current clip region.
    virtual TRect ClipBox() const = 0;

    void PushClip(TVxViewObject& object);
    bool PopClip(TVxViewObject*& object);
    std::int32_t ClipDepth() const { return FDepth; }

    // Red, green and blue 64 each (0x00RRGGBB).
    std::uint32_t BackgroundColour = 0x404040;

protected:
    virtual std::unique_ptr<TVxSavedClip> SaveClip() const = 0;
    virtual void RestoreClip(const TVxSavedClip& clip) = 0;
    void SetDC(TVxDeviceContext dc) { FDC = dc; }

private:
    TVxMapMode FMapping;
    TVxCanvasPixels FPixels;
    TVxDeviceContext FDC = nullptr;
    // Reused between paints; only the first FDepth entries are live.
    std::vector<TVxViewState> FStates;
    std::int32_t FDepth = 0;
};

// Fills from the top object down, each opaque one cutting its area out of the clip, then
// the background in what is left, then the outlines from the bottom object up.
void PaintViewObjects(const TVxViewObjectList& objects, TVxViewCanvas& canvas);
