#pragma once
// The picture reduced once to the size a view shows it at, for every zoom below 1/1, so
// that a repaint or a scroll step copies pixels instead of resampling the whole visible
// part again. After an edit only the reduced pixels the changed source pixels reach are
// computed again, from the whole picture, so the copy stays exactly what a reduction
// from scratch gives.
//
//   if (const TVxPixels* copy = reduced.Get(picture, {shownWidth, shownHeight}))
//       ... blit the visible part of *copy 1:1 ...
//   reduced.Invalidate(changedPictureRect);     // after an edit
#include <cstdint>
#include <vector>

#include "imaging/VxBitmap.h"
#include "imaging/VxResample.h"

class TVxReducedCopy {
public:
    // The copy of picture at size, up to date; null when size is not a reduction on both
    // axes. Throws std::bad_alloc when its memory cannot be had.
    const TVxPixels* Get(const TVxPixels& picture, const TSize& size);
    // Source pixels changed: the reduced pixels they reach are made again on the next Get.
    void Invalidate(const TRect& pictureRect);
    // The picture changed size or the zoom changed: the copy is built anew.
    void Clear();

    // The reduced pixels whose filter taps reach pictureRect, along both axes.
    TRect AffectedRect(const TRect& pictureRect) const;
    bool Valid() const { return FCopy.Data() != nullptr; }

private:
    struct TAxisReach {
        // For every source index, the first and one past the last reduced pixel it feeds.
        std::vector<std::int32_t> First;
        std::vector<std::int32_t> Last;
    };
    static TAxisReach BuildReach(std::int32_t reduced, std::int32_t source, const TPixelResampler& resampler);
    void Rebuild(const TVxPixels& picture, const TSize& size);
    void Update(const TVxPixels& picture, const TRect& reducedRect);

    TVxPixelBuffer FCopy;
    TSize FPictureSize;
    TRect FDirty; // in reduced pixels
    TAxisReach FColumns;
    TAxisReach FRows;
};
