#pragma once
// Paints and prints the program's own top-down 24-bit pixels on a device context,
// without copying them into a device bitmap first.
//
//   static TVxBitmapDeviceWin32 device;       // at start-up, before any view paints
//   SetBitmapDevice(&device);
//
// A reduction is resampled by our own Lanczos filter into the visible part only, and
// that is blitted 1:1: GDI's stretch modes either drop pixels (a fine pattern sparkles
// as the zoom changes) or, for HALFTONE, differ between Windows, printer drivers and
// Wine. Enlargements and 1:1 go to the device directly, pixel blocks as a zoomed editor
// shows them.
#include "imaging/VxLTBitmap.h"

class TVxBitmapDeviceWin32 : public IVxBitmapDevice {
public:
    // destRect and clipRect are in the context's logical units, sourceRect in pixels of
    // the picture (cut to its bounds). Nothing outside clipRect (and the context's own
    // clipping) changes.
    bool Paint(TVxDeviceContext dc, const TVxPixels& pixels, const TRect& destRect, const TRect& sourceRect,
               const TRect& clipRect) override;
    // The whole picture scaled into rect.
    bool Print(TVxDeviceContext dc, const TVxPixels& pixels, const TRect& rect) override;
};
