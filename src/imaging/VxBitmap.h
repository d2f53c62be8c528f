#pragma once
// Pixel rectangles placed in image coordinates, and 8-bit soft masks over rectangles.
//
//   TVxPixelBuffer snapshot;
//   snapshot.SetFormatAndBounds(image.Format(), changed);   // same coordinates as the image
//   snapshot.CopyFrom(image);                               // copies the overlap only
//
// Every editing buffer is fmtBGR24: bytes blue, green, red, rows top-down, stride
// rounded up to 4 bytes like a Windows DIB.
#include <array>
#include <cstddef>
#include <cstdint>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "imaging/VxGeometry.h"

using TVxPixelFormat = std::uint32_t;

constexpr TVxPixelFormat fmtBGR24 = 0x1012;
constexpr TVxPixelFormat fmtBGRA32 = 0x1112;

// Bits per pixel of a format code: colour model, then alpha, then channel width.
std::uint32_t BitsPerPixel(TVxPixelFormat format);

// Row size rounded up to whole 32-bit words, the Windows DIB rule.
constexpr std::int32_t DibStride(std::uint32_t bitsPerPixel, std::int32_t width)
{
    return static_cast<std::int32_t>(((static_cast<std::int64_t>(bitsPerPixel) * width + 31) / 32) * 4);
}

// Raised when the system has no pixel memory for a buffer: a buffer that claimed a size
// it has no memory for would be a crash waiting for the first pixel loop.
class EVxPixelMemoryError : public std::bad_alloc {
public:
    EVxPixelMemoryError(std::int32_t width, std::int32_t height);
    const char* what() const noexcept override { return FMessage.c_str(); }
    std::int32_t Width() const { return FWidth; }
    std::int32_t Height() const { return FHeight; }

private:
    std::int32_t FWidth;
    std::int32_t FHeight;
    std::string FMessage;
};

// A view of a pixel rectangle in memory it does not own.
class TVxPixels {
public:
    TVxPixels() = default;
    TVxPixels(const TVxPixels&) = delete;
    TVxPixels& operator=(const TVxPixels&) = delete;
    virtual ~TVxPixels() = default;

    void Init(const TRect& bounds, std::uint8_t* data, TVxPixelFormat format, std::int32_t stride);

    std::uint8_t* Data() const { return FData; }
    std::int32_t Left() const { return FLeft; }
    std::int32_t Top() const { return FTop; }
    std::int32_t Width() const { return FWidth; }
    std::int32_t Height() const { return FHeight; }
    std::int32_t Stride() const { return FStride; }
    TVxPixelFormat Format() const { return FFormat; }
    std::uint8_t BytesPerPixel() const { return FBytesPerPixel; }

    TRect GetBounds() const { return TRect{FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }

    // No range check: callers keep (x, y) inside the bounds.
    std::uint8_t* PixelAddress(std::int32_t x, std::int32_t y) const
    {
        return FData + static_cast<std::ptrdiff_t>(y - FTop) * FStride + static_cast<std::ptrdiff_t>(x - FLeft) * FBytesPerPixel;
    }
    std::uint8_t* Row(std::int32_t y) const { return FData + static_cast<std::ptrdiff_t>(y - FTop) * FStride; }

    // Copies sourceRect of source so that its top-left lands at (x, y), clipped to both
    // rectangles. Buffers of different formats are left alone.
    void CopyRect(std::int32_t x, std::int32_t y, const TVxPixels& source, const TRect& sourceRect);
    void CopyFrom(const TVxPixels& source);

    void MoveRowRun(std::int32_t y, std::int32_t fromX, std::int32_t count, std::int32_t toX);
    void MoveColumnRun(std::int32_t x, std::int32_t fromY, std::int32_t count, std::int32_t toY);

protected:
    void SetView(std::uint8_t* data, const TRect& bounds, std::int32_t stride);
    void SetFormat(TVxPixelFormat format);

private:
    std::uint8_t* FData = nullptr;
    std::int32_t FLeft = 0;
    std::int32_t FTop = 0;
    std::int32_t FWidth = 0;
    std::int32_t FHeight = 0;
    std::int32_t FStride = 0;
    TVxPixelFormat FFormat = 0;
    std::uint8_t FBytesPerPixel = 0;
};

// A top-down 24-bit paint surface of a view canvas.
class TVxCanvasPixels : public TVxPixels {
public:
    void InitCanvas(const TRect& bounds, std::uint8_t* data)
    {
        Init(bounds, data, fmtBGR24, DibStride(24, bounds.Width()));
    }
};

// Owns its pixels, taken zero-filled from the page allocator.
class TVxPixelBuffer : public TVxPixels {
public:
    TVxPixelBuffer() = default;
    TVxPixelBuffer(TVxPixelFormat format, const TRect& bounds) { SetFormatAndBounds(format, bounds); }
    ~TVxPixelBuffer() override { Clear(); }

    // Throws EVxPixelMemoryError when the memory cannot be had; the buffer is then
    // left as it was.
    void SetBounds(const TRect& rect, bool keepContents);
    void SetFormatAndBounds(TVxPixelFormat format, const TRect& rect);
    void Clear();

    // A copy of another rectangle's pixels, format and bounds.
    void Assign(const TVxPixels& source);

private:
    std::size_t FAllocated = 0;
};

// One byte per pixel, 0 (not affected) to 255 (fully affected); outside the rectangle
// every pixel counts as 0.
class TVxPixelMask {
public:
    std::int32_t Left() const { return FLeft; }
    std::int32_t Top() const { return FTop; }
    std::int32_t Width() const { return FWidth; }
    std::int32_t Height() const { return FHeight; }
    std::uint8_t* Data() { return FData.empty() ? nullptr : FData.data(); }
    const std::uint8_t* Data() const { return FData.empty() ? nullptr : FData.data(); }

    void SetBounds(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height);
    TRect GetBounds() const { return TRect{FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }
    // Places the same weights elsewhere (a brush laid over its stamp) without copying.
    void SetPosition(std::int32_t left, std::int32_t top)
    {
        FLeft = left;
        FTop = top;
    }
    std::uint8_t* ValueAt(std::int32_t x, std::int32_t y);
    const std::uint8_t* ValueAt(std::int32_t x, std::int32_t y) const;
    void Include(const TRect& rect);
    void MergeMax(const TVxPixelMask& other);
    void Clear();

private:
    std::int32_t FLeft = 0;
    std::int32_t FTop = 0;
    std::int32_t FWidth = 0;
    std::int32_t FHeight = 0;
    std::vector<std::uint8_t> FData;
};

// Blends color (0x00RRGGBB) into a fmtBGR24 pixel with weight 0..255.
void BlendColor(std::uint8_t* pixel, std::int32_t weight, std::uint32_t color);

// The largest size with the proportions of width x height inside the box; nothing when
// a box side is 0. Smaller pictures are enlarged to the box.
std::optional<TSize> FitSize(std::int32_t width, std::int32_t height, std::int32_t boxWidth, std::int32_t boxHeight);

inline std::int32_t ClampInt(std::int32_t value, std::int32_t low, std::int32_t high)
{
    return value < low ? low : (value > high ? high : value);
}

// The platform's MulDiv: a * b / c with a 64-bit product, rounded half away from zero;
// -1 when c is 0 or the result does not fit 32 bits.
// (Named apart from the platform's own so both can be seen from Win32 units.)
std::int32_t VxMulDiv(std::int32_t a, std::int32_t b, std::int32_t c);

using TColorVector = std::array<double, 3>;

// Channel bytes of a colour integer, lowest byte first (blue, green, red for 0x00RRGGBB).
TColorVector ColorToVector(std::uint32_t color);
// Each value clamped to [0, 255] and rounded to nearest, ties to even.
std::uint32_t VectorToColor(const TColorVector& vector);
void ColorToBytes(std::uint32_t color, std::uint8_t* bytes);
bool ColorEquals(const std::uint8_t* bytes, std::uint32_t color);

// Size checks for anything computed from file data, before it is allocated.
std::optional<std::size_t> CheckedImageSize(std::uint32_t width, std::uint32_t height, std::uint32_t bytesPerPixel);
// The cells of a width x height grid (negative sides count as 0); throws std::bad_alloc
// when their bytes could not be addressed, before a 32-bit size_t count wraps to a
// small grid that the callers' loops then run past.
std::size_t CheckedGridCount(std::int32_t width, std::int32_t height, std::size_t bytesPerCell);
