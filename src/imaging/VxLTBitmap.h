#pragma once
// The document's device bitmap: a top-down pixel buffer that the platform paints and
// prints straight from its memory, plus the whole-image operations of the editor.
//
//   TVxLTBitmap image;
//   image.LoadFromBuffer(decoded);
//   image.RotateLeft();                      // false, and no change, when memory runs out
//   image.Paint(dc, destRect, image.GetBounds(), clipRect);
//
// Painting and printing belong to the platform: it installs an IVxBitmapDevice once at
// start-up (the Win32 side with StretchDIBits over the same memory), so this unit stays
// portable and the pixel work needs no copy.
#include <cstdint>
#include <memory>

#include "imaging/VxBitmap.h"
#include "imaging/VxGeometry.h"

// The platform's device context (an HDC on Windows), opaque to portable code.
using TVxDeviceContext = void*;

class TVxBitmap {
public:
    virtual ~TVxBitmap() = default;
    virtual std::int32_t GetWidth() const = 0;
    virtual std::int32_t GetHeight() const = 0;
    virtual TVxPixels* GetPixels() const = 0;
    virtual bool Paint(TVxDeviceContext dc, const TRect& destRect, const TRect& sourceRect, const TRect& clipRect) = 0;
    virtual bool Print(TVxDeviceContext dc, const TRect& rect) = 0;
};

// Paints and prints top-down 24-bit pixels held in the program's memory.
class IVxBitmapDevice {
public:
    virtual ~IVxBitmapDevice() = default;
    virtual bool Paint(TVxDeviceContext dc, const TVxPixels& pixels, const TRect& destRect, const TRect& sourceRect,
                       const TRect& clipRect) = 0;
    virtual bool Print(TVxDeviceContext dc, const TVxPixels& pixels, const TRect& rect) = 0;
};

// Not owned; the platform layer keeps it alive while bitmaps paint. Without one, Paint
// and Print report failure.
void SetBitmapDevice(IVxBitmapDevice* device);
IVxBitmapDevice* BitmapDevice();

// Process-wide: Resize uses floor sampling instead of Lanczos while it is on. Only the
// colour adjustment tool turns it on, around its own quick reduction.
bool DraftResize();
void SetDraftResize(bool on);

class TVxDraftResizeScope {
public:
    TVxDraftResizeScope() : FPrevious(DraftResize()) { SetDraftResize(true); }
    ~TVxDraftResizeScope() { SetDraftResize(FPrevious); }
    TVxDraftResizeScope(const TVxDraftResizeScope&) = delete;
    TVxDraftResizeScope& operator=(const TVxDraftResizeScope&) = delete;

private:
    bool FPrevious;
};

class TVxLTBitmap : public TVxBitmap {
public:
    TVxLTBitmap() = default;
    TVxLTBitmap(const TVxLTBitmap&) = delete;
    TVxLTBitmap& operator=(const TVxLTBitmap&) = delete;

    std::int32_t GetWidth() const override;
    std::int32_t GetHeight() const override;
    // Null while the bitmap is empty.
    TVxPixels* GetPixels() const override { return FPixels.get(); }
    bool Paint(TVxDeviceContext dc, const TRect& destRect, const TRect& sourceRect, const TRect& clipRect) override;
    bool Print(TVxDeviceContext dc, const TRect& rect) override;

    // Frees the present picture first; fresh pixels are black. False for an empty size,
    // a format without bits, or no memory (the bitmap is then empty).
    bool Allocate(std::int32_t width, std::int32_t height, TVxPixelFormat format);
    void Free();
    bool IsEmpty() const { return !FPixels; }
    TRect GetBounds() const { return TRect{0, 0, GetWidth(), GetHeight()}; }

    // Null when there is no memory for the copy.
    std::unique_ptr<TVxLTBitmap> Clone() const;
    // Takes the buffer's size and format; a buffer placed away from (0, 0) gives only
    // its overlap with the new bounds.
    bool LoadFromBuffer(const TVxPixels& buffer);
    bool SaveToBuffer(TVxPixelBuffer& buffer) const;

    // Each operation builds the new picture aside and takes it only when it is complete:
    // on failure the bitmap keeps its previous picture.
    bool Crop(const TRect& rect);
    bool ResizeCanvas(std::int32_t width, std::int32_t height);
    bool Resize(std::int32_t width, std::int32_t height);
    // Turns and flips need three bytes a pixel (fmtBGR24).
    bool RotateLeft();
    bool RotateRight();
    bool FlipHorizontal();
    bool FlipVertical();

private:
    std::unique_ptr<TVxPixelBuffer> FPixels;
};
