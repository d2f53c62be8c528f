#include "imaging/VxLTBitmap.h"

#include <atomic>
#include <cstring>
#include <new>

#include "imaging/VxResample.h"

namespace {

std::atomic<IVxBitmapDevice*> GBitmapDevice{nullptr};
std::atomic<bool> GDraftResize{false};

// A new picture of the given size, or null when there is no memory for it.
std::unique_ptr<TVxPixelBuffer> NewPicture(TVxPixelFormat format, std::int32_t width, std::int32_t height)
{
    if (width <= 0 || height <= 0 || BitsPerPixel(format) == 0)
        return nullptr;
    try {
        return std::make_unique<TVxPixelBuffer>(format, TRect{0, 0, width, height});
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

inline void CopyPixel(std::uint8_t* to, const std::uint8_t* from)
{
    to[0] = from[0];
    to[1] = from[1];
    to[2] = from[2];
}

// Copies every pixel (x, y) of source to target position map(x, y), in square tiles so
// that the column-wise side of a quarter turn stays in cache.
template <typename TMap> void TurnPixels(const TVxPixels& source, TVxPixels& target, TMap map)
{
    constexpr std::int32_t Tile = 32;
    const std::int32_t width = source.Width();
    const std::int32_t height = source.Height();
    for (std::int32_t y0 = 0; y0 < height; y0 += Tile)
        for (std::int32_t x0 = 0; x0 < width; x0 += Tile)
            for (std::int32_t y = y0; y < std::min(height, y0 + Tile); ++y) {
                const std::uint8_t* from = source.PixelAddress(x0, y);
                for (std::int32_t x = x0; x < std::min(width, x0 + Tile); ++x, from += 3) {
                    const TPoint to = map(x, y);
                    CopyPixel(target.PixelAddress(to.X, to.Y), from);
                }
            }
}

} // namespace

void SetBitmapDevice(IVxBitmapDevice* device)
{
    GBitmapDevice.store(device);
}

IVxBitmapDevice* BitmapDevice()
{
    return GBitmapDevice.load();
}

bool DraftResize()
{
    return GDraftResize.load();
}

void SetDraftResize(bool on)
{
    GDraftResize.store(on);
}

// ---------------------------------------------------------------- TVxLTBitmap

std::int32_t TVxLTBitmap::GetWidth() const
{
    return FPixels ? FPixels->Width() : 0;
}

std::int32_t TVxLTBitmap::GetHeight() const
{
    return FPixels ? FPixels->Height() : 0;
}

bool TVxLTBitmap::Paint(TVxDeviceContext dc, const TRect& destRect, const TRect& sourceRect, const TRect& clipRect)
{
    IVxBitmapDevice* device = BitmapDevice();
    return device && FPixels && device->Paint(dc, *FPixels, destRect, sourceRect, clipRect);
}

bool TVxLTBitmap::Print(TVxDeviceContext dc, const TRect& rect)
{
    IVxBitmapDevice* device = BitmapDevice();
    return device && FPixels && device->Print(dc, *FPixels, rect);
}

bool TVxLTBitmap::Allocate(std::int32_t width, std::int32_t height, TVxPixelFormat format)
{
    Free();
    FPixels = NewPicture(format, width, height);
    return FPixels != nullptr;
}

void TVxLTBitmap::Free()
{
    FPixels.reset();
}

std::unique_ptr<TVxLTBitmap> TVxLTBitmap::Clone() const
{
    auto clone = std::make_unique<TVxLTBitmap>();
    if (FPixels && !clone->LoadFromBuffer(*FPixels))
        return nullptr;
    return clone;
}

bool TVxLTBitmap::LoadFromBuffer(const TVxPixels& buffer)
{
    if (!Allocate(buffer.Width(), buffer.Height(), buffer.Format()))
        return false;
    FPixels->CopyFrom(buffer);
    return true;
}

bool TVxLTBitmap::SaveToBuffer(TVxPixelBuffer& buffer) const
{
    try {
        if (!FPixels) {
            buffer.Clear();
            return true;
        }
        buffer.SetFormatAndBounds(FPixels->Format(), GetBounds());
    } catch (const std::bad_alloc&) {
        return false;
    }
    buffer.CopyFrom(*FPixels);
    return true;
}

bool TVxLTBitmap::Crop(const TRect& rect)
{
    if (!FPixels)
        return false;
    const TRect keep = IntersectRect(rect, GetBounds());
    if (keep.IsEmpty())
        return false;
    auto next = NewPicture(FPixels->Format(), keep.Width(), keep.Height());
    if (!next)
        return false;
    next->CopyRect(0, 0, *FPixels, keep);
    FPixels = std::move(next);
    return true;
}

bool TVxLTBitmap::ResizeCanvas(std::int32_t width, std::int32_t height)
{
    if (!FPixels)
        return false;
    auto next = NewPicture(FPixels->Format(), width, height);
    if (!next)
        return false;
    next->CopyFrom(*FPixels);
    FPixels = std::move(next);
    return true;
}

bool TVxLTBitmap::Resize(std::int32_t width, std::int32_t height)
{
    if (!FPixels)
        return false;
    auto next = NewPicture(FPixels->Format(), width, height);
    if (!next)
        return false;
    const TRect bounds = next->GetBounds();
    TResampleOptions options;
    options.Threads = ResampleThreadCount();
    try {
        if (DraftResize())
            Resample(*next, bounds, bounds, TQuickDraftResampler(), GetBounds(), *FPixels, options);
        else
            Resample(*next, bounds, bounds, TLanczosResampler(), GetBounds(), *FPixels, options);
    } catch (const std::bad_alloc&) {
        return false; // the mapping tables did not fit
    }
    FPixels = std::move(next);
    return true;
}

bool TVxLTBitmap::RotateLeft()
{
    if (!FPixels || FPixels->Format() != fmtBGR24)
        return false;
    const std::int32_t w = FPixels->Width();
    auto next = NewPicture(fmtBGR24, FPixels->Height(), w);
    if (!next)
        return false;
    TurnPixels(*FPixels, *next, [w](std::int32_t x, std::int32_t y) { return TPoint{y, w - 1 - x}; });
    FPixels = std::move(next);
    return true;
}

bool TVxLTBitmap::RotateRight()
{
    if (!FPixels || FPixels->Format() != fmtBGR24)
        return false;
    const std::int32_t h = FPixels->Height();
    auto next = NewPicture(fmtBGR24, h, FPixels->Width());
    if (!next)
        return false;
    TurnPixels(*FPixels, *next, [h](std::int32_t x, std::int32_t y) { return TPoint{h - 1 - y, x}; });
    FPixels = std::move(next);
    return true;
}

bool TVxLTBitmap::FlipHorizontal()
{
    if (!FPixels || FPixels->Format() != fmtBGR24)
        return false;
    const std::int32_t w = FPixels->Width();
    auto next = NewPicture(fmtBGR24, w, FPixels->Height());
    if (!next)
        return false;
    for (std::int32_t y = 0; y < FPixels->Height(); ++y) {
        const std::uint8_t* from = FPixels->Row(y);
        std::uint8_t* to = next->PixelAddress(w - 1, y);
        for (std::int32_t x = 0; x < w; ++x, from += 3, to -= 3)
            CopyPixel(to, from);
    }
    FPixels = std::move(next);
    return true;
}

bool TVxLTBitmap::FlipVertical()
{
    if (!FPixels || FPixels->Format() != fmtBGR24)
        return false;
    const std::int32_t h = FPixels->Height();
    auto next = NewPicture(fmtBGR24, FPixels->Width(), h);
    if (!next)
        return false;
    const auto rowBytes = static_cast<std::size_t>(FPixels->Stride());
    for (std::int32_t y = 0; y < h; ++y)
        std::memcpy(next->Row(h - 1 - y), FPixels->Row(y), rowBytes);
    FPixels = std::move(next);
    return true;
}
