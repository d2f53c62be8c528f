#pragma once
// A thin object layer over the GDI+ flat API: images, bitmaps and graphics whose calls
// return the GDI+ status and remember the last failure.
//
//   std::unique_ptr<TGPBitmap> bitmap = TGPBitmap::FromFile(L"photo.jpg");   // null on failure
//   TVxLTBitmap image;
//   DecodeToBitmap(*bitmap, image);           // straight into the device bitmap's memory
//
// GDI+ constructors report failure through their status, never by throwing, so every
// object is made through a factory that checks it. Each live object holds one use of
// the GDI+ session (GdiplusStartupUse/GdiplusShutdownUse), so none outlives GDI+.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "imaging/VxBitmap.h"
#include "imaging/VxGeometry.h"
#include "imaging/VxLTBitmap.h"

using TGPStatus = Gdiplus::GpStatus;

// Process-wide use counter around GdiplusStartup / GdiplusShutdown.
bool GdiplusStartupUse();
void GdiplusShutdownUse();

class TGdiplusSession {
public:
    TGdiplusSession() : FStarted(GdiplusStartupUse()) {}
    ~TGdiplusSession()
    {
        if (FStarted)
            GdiplusShutdownUse();
    }
    TGdiplusSession(const TGdiplusSession&) = delete;
    TGdiplusSession& operator=(const TGdiplusSession&) = delete;
    bool Started() const { return FStarted; }

private:
    bool FStarted;
};

class TGdiplusBase {
protected:
    TGdiplusBase() = default;
    ~TGdiplusBase() = default;
    TGdiplusBase(const TGdiplusBase&) = delete;
    TGdiplusBase& operator=(const TGdiplusBase&) = delete;

private:
    TGdiplusSession FSession;
};

// Raw formats (containers) as GDI+ reports them.
namespace VxImageFormat {
inline constexpr GUID MemoryBMP = {0xb96b3caa, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
inline constexpr GUID BMP = {0xb96b3cab, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
inline constexpr GUID JPEG = {0xb96b3cae, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
inline constexpr GUID PNG = {0xb96b3caf, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
inline constexpr GUID GIF = {0xb96b3cb0, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
inline constexpr GUID TIFF = {0xb96b3cb1, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
inline constexpr GUID EXIF = {0xb96b3cb2, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
} // namespace VxImageFormat

inline constexpr GUID VxEncoderQuality = {0x1d5be4b5, 0xfa4a, 0x452d, {0x9c, 0xdd, 0x5d, 0xb3, 0x51, 0x05, 0xe7, 0xeb}};

class TGPImage : public TGdiplusBase {
public:
    virtual ~TGPImage();

    static std::unique_ptr<TGPImage> FromFile(const std::wstring& fileName, bool useColorManagement = false);

    TGPStatus Save(const std::wstring& fileName, const CLSID& encoder, const Gdiplus::EncoderParameters* parameters);
    UINT GetWidth();
    UINT GetHeight();
    float GetHorizontalResolution();
    float GetVerticalResolution();
    TGPStatus GetRawFormat(GUID& format);
    // Null when GDI+ could not make the thumbnail.
    std::unique_ptr<TGPImage> GetThumbnailImage(UINT width, UINT height);

    TGPStatus GetPropertyItemSize(PROPID id, UINT& size);
    TGPStatus GetPropertyItem(PROPID id, UINT size, Gdiplus::PropertyItem* buffer);
    TGPStatus GetPropertySize(UINT& totalSize, UINT& count);
    TGPStatus GetAllPropertyItems(UINT totalSize, UINT count, Gdiplus::PropertyItem* buffer);
    TGPStatus SetPropertyItem(const Gdiplus::PropertyItem& item);

    Gdiplus::GpImage* NativeImage() const { return FNativeImage; }
    // The last failure, reset by the call.
    TGPStatus GetLastStatus();

protected:
    TGPImage() = default;
    TGPStatus SetStatus(TGPStatus status);

    Gdiplus::GpImage* FNativeImage = nullptr;
    TGPStatus FLastResult = Gdiplus::Ok;
};

class TGPBitmap : public TGPImage {
public:
    static std::unique_ptr<TGPBitmap> FromFile(const std::wstring& fileName, bool useColorManagement = false);
    // Wraps the caller's pixels without copying; they must outlive the bitmap.
    static std::unique_ptr<TGPBitmap> FromScan0(INT width, INT height, INT stride, Gdiplus::PixelFormat format, BYTE* scan0);

    TGPStatus LockBits(const Gdiplus::Rect& rect, UINT flags, Gdiplus::PixelFormat format, Gdiplus::BitmapData& data);
    TGPStatus UnlockBits(Gdiplus::BitmapData& data);
    Gdiplus::GpBitmap* NativeBitmap() const { return reinterpret_cast<Gdiplus::GpBitmap*>(FNativeImage); }

private:
    TGPBitmap() = default;
};

class TGPGraphics : public TGdiplusBase {
public:
    ~TGPGraphics();
    static std::unique_ptr<TGPGraphics> FromHDC(HDC dc);
    TGPStatus DrawImage(TGPImage* image, INT x, INT y, INT width, INT height);
    TGPStatus DrawImage(TGPImage* image, const TRect& rect);
    TGPStatus GetLastStatus();

private:
    TGPGraphics() = default;
    TGPStatus SetStatus(TGPStatus status);

    Gdiplus::GpGraphics* FNativeGraphics = nullptr;
    TGPStatus FLastResult = Gdiplus::Ok;
};

// Index of the last encoder whose MIME type equals mimeType (compared as 8-bit text),
// its CLSID in clsid; -1 when none.
int GetEncoderClsid(const char* mimeType, CLSID& clsid);

struct TXYWH {
    INT X = 0, Y = 0, Width = 0, Height = 0;
};
TXYWH RectToXYWH(const TRect& rect);
TXYWH RectToXYWH(INT left, INT top, INT right, INT bottom);

// fmtBGR24 -> PixelFormat24bppRGB, fmtBGRA32 -> PixelFormat32bppARGB, else 0.
Gdiplus::PixelFormat ToGdiplusPixelFormat(TVxPixelFormat format);

// The bitmap's picture converted by GDI+ directly into a new fmtBGR24 device bitmap.
bool DecodeToBitmap(TGPBitmap& bitmap, TVxLTBitmap& image);
