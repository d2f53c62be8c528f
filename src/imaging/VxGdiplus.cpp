#include "imaging/VxGdiplus.h"

#include <cstring>

namespace Gp = Gdiplus::DllExports;

namespace {

int GUseCount = 0;
ULONG_PTR GToken = 0;

} // namespace

bool GdiplusStartupUse()
{
    if (GUseCount == 0) {
        Gdiplus::GdiplusStartupInput input; // version 1, no debug callback, background thread on
        if (Gdiplus::GdiplusStartup(&GToken, &input, nullptr) != Gdiplus::Ok)
            return false;
    }
    ++GUseCount;
    return true;
}

void GdiplusShutdownUse()
{
    if (GUseCount > 0 && --GUseCount == 0)
        Gdiplus::GdiplusShutdown(GToken);
}

// ---------------------------------------------------------------- TGPImage

TGPImage::~TGPImage()
{
    if (FNativeImage)
        Gp::GdipDisposeImage(FNativeImage);
}

TGPStatus TGPImage::SetStatus(TGPStatus status)
{
    if (status != Gdiplus::Ok)
        FLastResult = status;
    return status;
}

TGPStatus TGPImage::GetLastStatus()
{
    const TGPStatus last = FLastResult;
    FLastResult = Gdiplus::Ok;
    return last;
}

std::unique_ptr<TGPImage> TGPImage::FromFile(const std::wstring& fileName, bool useColorManagement)
{
    std::unique_ptr<TGPImage> image(new TGPImage());
    const TGPStatus status = useColorManagement ? Gp::GdipLoadImageFromFileICM(fileName.c_str(), &image->FNativeImage)
                                                : Gp::GdipLoadImageFromFile(fileName.c_str(), &image->FNativeImage);
    if (status != Gdiplus::Ok || !image->FNativeImage)
        return nullptr;
    return image;
}

TGPStatus TGPImage::Save(const std::wstring& fileName, const CLSID& encoder, const Gdiplus::EncoderParameters* parameters)
{
    return SetStatus(Gp::GdipSaveImageToFile(FNativeImage, fileName.c_str(), &encoder, parameters));
}

UINT TGPImage::GetWidth()
{
    UINT width = 0;
    SetStatus(Gp::GdipGetImageWidth(FNativeImage, &width));
    return width;
}

UINT TGPImage::GetHeight()
{
    UINT height = 0;
    SetStatus(Gp::GdipGetImageHeight(FNativeImage, &height));
    return height;
}

float TGPImage::GetHorizontalResolution()
{
    float value = 0;
    SetStatus(Gp::GdipGetImageHorizontalResolution(FNativeImage, &value));
    return value;
}

float TGPImage::GetVerticalResolution()
{
    float value = 0;
    SetStatus(Gp::GdipGetImageVerticalResolution(FNativeImage, &value));
    return value;
}

TGPStatus TGPImage::GetRawFormat(GUID& format) { return SetStatus(Gp::GdipGetImageRawFormat(FNativeImage, &format)); }

std::unique_ptr<TGPImage> TGPImage::GetThumbnailImage(UINT width, UINT height)
{
    Gdiplus::GpImage* thumbnail = nullptr;
    if (SetStatus(Gp::GdipGetImageThumbnail(FNativeImage, width, height, &thumbnail, nullptr, nullptr)) != Gdiplus::Ok
        || !thumbnail)
        return nullptr;
    std::unique_ptr<TGPImage> image(new TGPImage());
    image->FNativeImage = thumbnail;
    return image;
}

TGPStatus TGPImage::GetPropertyItemSize(PROPID id, UINT& size)
{
    return SetStatus(Gp::GdipGetPropertyItemSize(FNativeImage, id, &size));
}

TGPStatus TGPImage::GetPropertyItem(PROPID id, UINT size, Gdiplus::PropertyItem* buffer)
{
    return SetStatus(Gp::GdipGetPropertyItem(FNativeImage, id, size, buffer));
}

TGPStatus TGPImage::GetPropertySize(UINT& totalSize, UINT& count)
{
    return SetStatus(Gp::GdipGetPropertySize(FNativeImage, &totalSize, &count));
}

TGPStatus TGPImage::GetAllPropertyItems(UINT totalSize, UINT count, Gdiplus::PropertyItem* buffer)
{
    return SetStatus(Gp::GdipGetAllPropertyItems(FNativeImage, totalSize, count, buffer));
}

TGPStatus TGPImage::SetPropertyItem(const Gdiplus::PropertyItem& item)
{
    return SetStatus(Gp::GdipSetPropertyItem(FNativeImage, &item));
}

// ---------------------------------------------------------------- TGPBitmap

std::unique_ptr<TGPBitmap> TGPBitmap::FromFile(const std::wstring& fileName, bool useColorManagement)
{
    std::unique_ptr<TGPBitmap> bitmap(new TGPBitmap());
    Gdiplus::GpBitmap* native = nullptr;
    const TGPStatus status = useColorManagement ? Gp::GdipCreateBitmapFromFileICM(fileName.c_str(), &native)
                                                : Gp::GdipCreateBitmapFromFile(fileName.c_str(), &native);
    bitmap->FNativeImage = native;
    if (status != Gdiplus::Ok || !native)
        return nullptr;
    return bitmap;
}

std::unique_ptr<TGPBitmap> TGPBitmap::FromScan0(INT width, INT height, INT stride, Gdiplus::PixelFormat format, BYTE* scan0)
{
    std::unique_ptr<TGPBitmap> bitmap(new TGPBitmap());
    Gdiplus::GpBitmap* native = nullptr;
    const TGPStatus status = Gp::GdipCreateBitmapFromScan0(width, height, stride, format, scan0, &native);
    bitmap->FNativeImage = native;
    if (status != Gdiplus::Ok || !native)
        return nullptr;
    return bitmap;
}

TGPStatus TGPBitmap::LockBits(const Gdiplus::Rect& rect, UINT flags, Gdiplus::PixelFormat format, Gdiplus::BitmapData& data)
{
    return SetStatus(Gp::GdipBitmapLockBits(NativeBitmap(), &rect, flags, format, &data));
}

TGPStatus TGPBitmap::UnlockBits(Gdiplus::BitmapData& data)
{
    return SetStatus(Gp::GdipBitmapUnlockBits(NativeBitmap(), &data));
}

// ---------------------------------------------------------------- TGPGraphics

TGPGraphics::~TGPGraphics()
{
    if (FNativeGraphics)
        Gp::GdipDeleteGraphics(FNativeGraphics);
}

std::unique_ptr<TGPGraphics> TGPGraphics::FromHDC(HDC dc)
{
    std::unique_ptr<TGPGraphics> graphics(new TGPGraphics());
    if (Gp::GdipCreateFromHDC(dc, &graphics->FNativeGraphics) != Gdiplus::Ok || !graphics->FNativeGraphics)
        return nullptr;
    return graphics;
}

TGPStatus TGPGraphics::SetStatus(TGPStatus status)
{
    if (status != Gdiplus::Ok)
        FLastResult = status;
    return status;
}

TGPStatus TGPGraphics::GetLastStatus()
{
    const TGPStatus last = FLastResult;
    FLastResult = Gdiplus::Ok;
    return last;
}

TGPStatus TGPGraphics::DrawImage(TGPImage* image, INT x, INT y, INT width, INT height)
{
    return SetStatus(Gp::GdipDrawImageRectI(FNativeGraphics, image ? image->NativeImage() : nullptr, x, y, width, height));
}

TGPStatus TGPGraphics::DrawImage(TGPImage* image, const TRect& rect)
{
    const TXYWH r = RectToXYWH(rect);
    return DrawImage(image, r.X, r.Y, r.Width, r.Height);
}

// ---------------------------------------------------------------- helpers

int GetEncoderClsid(const char* mimeType, CLSID& clsid)
{
    UINT count = 0;
    UINT size = 0;
    if (Gp::GdipGetImageEncodersSize(&count, &size) != Gdiplus::Ok || count == 0 || size == 0)
        return -1;
    std::vector<std::uint8_t> buffer(size);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gp::GdipGetImageEncoders(count, size, codecs) != Gdiplus::Ok)
        return -1;
    int found = -1;
    for (UINT i = 0; i < count; ++i) {
        const WCHAR* mime = codecs[i].MimeType;
        if (!mime)
            continue;
        // As 8-bit text: each wide character narrowed, compared case-sensitively.
        std::string narrow;
        for (; *mime; ++mime)
            narrow.push_back(static_cast<char>(*mime));
        if (narrow == mimeType) {
            clsid = codecs[i].Clsid;
            found = static_cast<int>(i);
        }
    }
    return found;
}

TXYWH RectToXYWH(const TRect& rect) { return RectToXYWH(rect.Left, rect.Top, rect.Right, rect.Bottom); }

TXYWH RectToXYWH(INT left, INT top, INT right, INT bottom) { return TXYWH{left, top, right - left, bottom - top}; }

Gdiplus::PixelFormat ToGdiplusPixelFormat(TVxPixelFormat format)
{
    switch (format) {
    case fmtBGR24: return PixelFormat24bppRGB;
    case fmtBGRA32: return PixelFormat32bppARGB;
    default: return 0;
    }
}

bool DecodeToBitmap(TGPBitmap& bitmap, TVxLTBitmap& image)
{
    const UINT width = bitmap.GetWidth();
    const UINT height = bitmap.GetHeight();
    if (bitmap.GetLastStatus() != Gdiplus::Ok || !CheckedImageSize(width, height, 3)
        || !image.Allocate(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height), fmtBGR24))
        return false;
    TVxPixels& pixels = *image.GetPixels();
    Gdiplus::BitmapData data{};
    data.Width = width;
    data.Height = height;
    data.Stride = pixels.Stride();
    data.PixelFormat = PixelFormat24bppRGB;
    data.Scan0 = pixels.Data();
    const Gdiplus::Rect whole(0, 0, static_cast<INT>(width), static_cast<INT>(height));
    // Read access into a caller-supplied buffer: GDI+ converts straight into our rows.
    constexpr UINT readIntoUserBuffer = Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf;
    if (bitmap.LockBits(whole, readIntoUserBuffer, PixelFormat24bppRGB, data) != Gdiplus::Ok)
        return false;
    return bitmap.UnlockBits(data) == Gdiplus::Ok;
}
