#include "imaging/VxBitmap.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "imaging/VxPageMemory.h"

std::uint32_t BitsPerPixel(TVxPixelFormat format)
{
    std::uint32_t bits;
    switch (format & 0xF) {
    case 1: bits = 8; break;
    case 2: case 3: case 4: case 5: case 7: case 8: bits = 24; break;
    case 6: bits = 32; break;
    default: return 0;
    }
    if ((format & 0xF00) == 0x100)
        bits += 8;
    switch (format & 0xF0) {
    case 0x20: case 0x30: bits *= 2; break;
    case 0x40: bits *= 4; break;
    default: break;
    }
    return bits;
}

EVxPixelMemoryError::EVxPixelMemoryError(std::int32_t width, std::int32_t height)
    : FWidth(width), FHeight(height),
      FMessage("not enough memory for a picture of " + std::to_string(width) + " x " + std::to_string(height) + " pixels")
{
}

// ---------------------------------------------------------------- TVxPixels

void TVxPixels::Init(const TRect& bounds, std::uint8_t* data, TVxPixelFormat format, std::int32_t stride)
{
    SetFormat(format);
    SetView(data, bounds, stride);
}

void TVxPixels::SetView(std::uint8_t* data, const TRect& bounds, std::int32_t stride)
{
    FData = data;
    FLeft = bounds.Left;
    FTop = bounds.Top;
    FWidth = bounds.Width();
    FHeight = bounds.Height();
    FStride = stride;
}

void TVxPixels::SetFormat(TVxPixelFormat format)
{
    FFormat = format;
    FBytesPerPixel = static_cast<std::uint8_t>((BitsPerPixel(format) / 8) & 0x1F);
}

void TVxPixels::CopyRect(std::int32_t x, std::int32_t y, const TVxPixels& source, const TRect& sourceRect)
{
    if (source.FFormat != FFormat || !FData || !source.FData)
        return;
    TRect from = IntersectRect(sourceRect, source.GetBounds());
    if (from.IsEmpty())
        return;
    const std::int32_t dx = x - sourceRect.Left;
    const std::int32_t dy = y - sourceRect.Top;
    const TRect to = IntersectRect(OffsetRect(from, dx, dy), GetBounds());
    if (to.IsEmpty())
        return;
    const std::size_t rowBytes = static_cast<std::size_t>(to.Width()) * FBytesPerPixel;
    for (std::int32_t row = to.Top; row < to.Bottom; ++row)
        std::memmove(PixelAddress(to.Left, row), source.PixelAddress(to.Left - dx, row - dy), rowBytes);
}

void TVxPixels::CopyFrom(const TVxPixels& source)
{
    CopyRect(source.FLeft, source.FTop, source, source.GetBounds());
}

void TVxPixels::MoveRowRun(std::int32_t y, std::int32_t fromX, std::int32_t count, std::int32_t toX)
{
    if (count <= 0)
        return;
    std::memmove(PixelAddress(toX, y), PixelAddress(fromX, y), static_cast<std::size_t>(count) * FBytesPerPixel);
}

void TVxPixels::MoveColumnRun(std::int32_t x, std::int32_t fromY, std::int32_t count, std::int32_t toY)
{
    if (count <= 0 || fromY == toY)
        return;
    const std::ptrdiff_t stride = FStride;
    if (toY > fromY) {
        // Moving down: start at the far end so no source pixel is overwritten before it moves.
        std::uint8_t* from = PixelAddress(x, fromY + count - 1);
        std::uint8_t* to = PixelAddress(x, toY + count - 1);
        for (std::int32_t i = 0; i < count; ++i, from -= stride, to -= stride) {
            to[0] = from[0];
            to[1] = from[1];
            to[2] = from[2];
        }
    } else {
        std::uint8_t* from = PixelAddress(x, fromY);
        std::uint8_t* to = PixelAddress(x, toY);
        for (std::int32_t i = 0; i < count; ++i, from += stride, to += stride) {
            to[0] = from[0];
            to[1] = from[1];
            to[2] = from[2];
        }
    }
}

// ---------------------------------------------------------------- TVxPixelBuffer

void TVxPixelBuffer::SetBounds(const TRect& rect, bool keepContents)
{
    if (rect == GetBounds())
        return;
    const std::int32_t width = std::max(0, rect.Width());
    const std::int32_t height = std::max(0, rect.Height());
    // A row wider than an int32 stride can say would wrap it to a small positive value.
    const std::int64_t wideStride = (static_cast<std::int64_t>(BitsPerPixel(Format())) * width + 31) / 32 * 4;
    if (wideStride > std::numeric_limits<std::int32_t>::max())
        throw EVxPixelMemoryError(width, height);
    const auto stride = static_cast<std::int32_t>(wideStride);
    const std::uint64_t wanted = static_cast<std::uint64_t>(stride) * static_cast<std::uint64_t>(height);
    if (wanted > std::numeric_limits<std::size_t>::max() / 2)
        throw EVxPixelMemoryError(width, height);
    const std::size_t size = static_cast<std::size_t>(wanted);
    std::uint8_t* memory = nullptr;
    if (size > 0) {
        memory = static_cast<std::uint8_t*>(VxPageMemory::Allocate(size));
        if (!memory)
            throw EVxPixelMemoryError(width, height);
    }
    const TRect newBounds{rect.Left, rect.Top, rect.Left + width, rect.Top + height};
    if (keepContents && Data() && memory) {
        const TRect keep = IntersectRect(GetBounds(), newBounds);
        const std::size_t rowBytes = static_cast<std::size_t>(keep.Width()) * BytesPerPixel();
        for (std::int32_t y = keep.Top; y < keep.Bottom; ++y)
            std::memcpy(memory + static_cast<std::ptrdiff_t>(y - newBounds.Top) * stride +
                            static_cast<std::ptrdiff_t>(keep.Left - newBounds.Left) * BytesPerPixel(),
                        PixelAddress(keep.Left, y), rowBytes);
    }
    VxPageMemory::Release(Data(), FAllocated);
    FAllocated = size;
    SetView(memory, newBounds, stride);
}

void TVxPixelBuffer::SetFormatAndBounds(TVxPixelFormat format, const TRect& rect)
{
    if (format != Format()) {
        // The old rows are meaningless in the new format and the stride changes with it.
        Clear();
        SetFormat(format);
    }
    SetBounds(rect, false);
}

void TVxPixelBuffer::Clear()
{
    VxPageMemory::Release(Data(), FAllocated);
    FAllocated = 0;
    SetView(nullptr, TRect{}, 0);
}

void TVxPixelBuffer::Assign(const TVxPixels& source)
{
    SetFormatAndBounds(source.Format(), source.GetBounds());
    CopyFrom(source);
}

// ---------------------------------------------------------------- TVxPixelMask

void TVxPixelMask::SetBounds(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height)
{
    width = std::max(0, width);
    height = std::max(0, height);
    // The byte count in a 32-bit size_t would wrap for a big rectangle and leave a small
    // buffer behind a large claimed size.
    const std::optional<std::size_t> size =
        CheckedImageSize(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), 1);
    if (!size)
        throw EVxPixelMemoryError(width, height);
    std::vector<std::uint8_t> data(*size, 0);
    FData.swap(data);
    FLeft = left;
    FTop = top;
    FWidth = width;
    FHeight = height;
}

std::uint8_t* TVxPixelMask::ValueAt(std::int32_t x, std::int32_t y)
{
    if (FData.empty() || !GetBounds().Contains(x, y))
        return nullptr;
    return FData.data() + static_cast<std::size_t>(y - FTop) * FWidth + (x - FLeft);
}

const std::uint8_t* TVxPixelMask::ValueAt(std::int32_t x, std::int32_t y) const
{
    return const_cast<TVxPixelMask*>(this)->ValueAt(x, y);
}

void TVxPixelMask::Include(const TRect& rect)
{
    const TRect current = GetBounds();
    const TRect grown = FData.empty() ? rect : UnionRect(current, rect);
    if (grown == current || grown.IsEmpty())
        return;
    std::vector<std::uint8_t> data(static_cast<std::size_t>(grown.Width()) * static_cast<std::size_t>(grown.Height()), 0);
    for (std::int32_t y = 0; y < FHeight && !FData.empty(); ++y)
        std::memcpy(data.data() + static_cast<std::size_t>(y + FTop - grown.Top) * grown.Width() + (FLeft - grown.Left),
                    FData.data() + static_cast<std::size_t>(y) * FWidth, static_cast<std::size_t>(FWidth));
    FData.swap(data);
    FLeft = grown.Left;
    FTop = grown.Top;
    FWidth = grown.Width();
    FHeight = grown.Height();
}

void TVxPixelMask::MergeMax(const TVxPixelMask& other)
{
    if (other.FData.empty())
        return;
    Include(other.GetBounds());
    for (std::int32_t y = 0; y < other.FHeight; ++y) {
        const std::uint8_t* from = other.FData.data() + static_cast<std::size_t>(y) * other.FWidth;
        std::uint8_t* to = ValueAt(other.FLeft, other.FTop + y);
        for (std::int32_t x = 0; x < other.FWidth; ++x)
            to[x] = std::max(to[x], from[x]);
    }
}

void TVxPixelMask::Clear()
{
    std::vector<std::uint8_t>().swap(FData);
    FLeft = FTop = FWidth = FHeight = 0;
}

// ---------------------------------------------------------------- helpers

void BlendColor(std::uint8_t* pixel, std::int32_t weight, std::uint32_t color)
{
    if (weight <= 0)
        return;
    std::uint8_t target[3];
    ColorToBytes(color, target);
    if (weight >= 255) {
        pixel[0] = target[0];
        pixel[1] = target[1];
        pixel[2] = target[2];
        return;
    }
    // An arithmetic shift floors the negative differences as well.
    for (int c = 0; c < 3; ++c)
        pixel[c] = static_cast<std::uint8_t>(pixel[c] + ((weight * (target[c] - pixel[c])) >> 8));
}

std::optional<TSize> FitSize(std::int32_t width, std::int32_t height, std::int32_t boxWidth, std::int32_t boxHeight)
{
    if (boxWidth == 0 || boxHeight == 0 || width == 0 || height == 0)
        return std::nullopt;
    if (static_cast<double>(height) / boxHeight >= static_cast<double>(width) / boxWidth)
        return TSize{VxMulDiv(width, boxHeight, height), boxHeight};
    return TSize{boxWidth, VxMulDiv(height, boxWidth, width)};
}

std::int32_t VxMulDiv(std::int32_t a, std::int32_t b, std::int32_t c)
{
    if (c == 0)
        return -1;
    std::int64_t multiplicand = a;
    std::int64_t divisor = c;
    if (divisor < 0) {
        multiplicand = -multiplicand;
        divisor = -divisor;
    }
    const std::int64_t product = multiplicand * b;
    const std::int64_t result = product >= 0 ? (product + divisor / 2) / divisor : (product - divisor / 2) / divisor;
    if (result > std::numeric_limits<std::int32_t>::max() || result < -std::numeric_limits<std::int32_t>::max())
        return -1;
    return static_cast<std::int32_t>(result);
}

TColorVector ColorToVector(std::uint32_t color)
{
    return {static_cast<double>(color & 0xFF), static_cast<double>((color >> 8) & 0xFF), static_cast<double>((color >> 16) & 0xFF)};
}

std::uint32_t VectorToColor(const TColorVector& vector)
{
    std::uint32_t color = 0;
    for (int c = 0; c < 3; ++c) {
        const double clamped = std::min(255.0, std::max(0.0, vector[c]));
        // nearbyint follows the default rounding mode: to nearest, ties to even.
        color |= static_cast<std::uint32_t>(std::nearbyint(clamped)) << (8 * c);
    }
    return color;
}

void ColorToBytes(std::uint32_t color, std::uint8_t* bytes)
{
    bytes[0] = static_cast<std::uint8_t>(color);
    bytes[1] = static_cast<std::uint8_t>(color >> 8);
    bytes[2] = static_cast<std::uint8_t>(color >> 16);
}

bool ColorEquals(const std::uint8_t* bytes, std::uint32_t color)
{
    return bytes[0] == (color & 0xFF) && bytes[1] == ((color >> 8) & 0xFF) && bytes[2] == ((color >> 16) & 0xFF);
}

std::size_t CheckedGridCount(std::int32_t width, std::int32_t height, std::size_t bytesPerCell)
{
    const auto w = static_cast<std::uint32_t>(std::max(width, 0));
    const auto h = static_cast<std::uint32_t>(std::max(height, 0));
    if (!CheckedImageSize(w, h, static_cast<std::uint32_t>(bytesPerCell)))
        throw std::bad_alloc();
    return static_cast<std::size_t>(w) * h;
}

std::optional<std::size_t> CheckedImageSize(std::uint32_t width, std::uint32_t height, std::uint32_t bytesPerPixel)
{
    const std::uint64_t size = static_cast<std::uint64_t>(width) * height * bytesPerPixel;
    if (width != 0 && size / width / std::max<std::uint32_t>(bytesPerPixel, 1) != height)
        return std::nullopt;
    if (size > static_cast<std::uint64_t>(std::numeric_limits<std::ptrdiff_t>::max()) || size > (std::uint64_t{1} << 40))
        return std::nullopt;
    return static_cast<std::size_t>(size);
}
