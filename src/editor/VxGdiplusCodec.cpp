#include "editor/VxGdiplusCodec.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "editor/VxGraphicsDocument.h"

namespace {

void ReadProperties(TGPImage& image, TVxGraphicsDocumentProperties& properties)
{
    properties.Clear();
    UINT totalSize = 0;
    UINT count = 0;
    if (image.GetPropertySize(totalSize, count) == Gdiplus::Ok && count > 0 && totalSize > 0) {
        // The items and their values share one buffer; PropertyItem's pointer needs its
        // alignment.
        std::vector<std::uint64_t> buffer((totalSize + 7) / 8);
        auto* items = reinterpret_cast<Gdiplus::PropertyItem*>(buffer.data());
        if (image.GetAllPropertyItems(totalSize, count, items) == Gdiplus::Ok)
            for (UINT i = 0; i < count; ++i)
                properties.Set(items[i].id, items[i].type, items[i].length, items[i].value);
    }
    properties.HorizontalResolution = static_cast<std::int32_t>(std::lround(image.GetHorizontalResolution()));
    properties.VerticalResolution = static_cast<std::int32_t>(std::lround(image.GetVerticalResolution()));
    image.GetLastStatus();
}

const char* MimeTypeOf(TVxImageContainer container)
{
    switch (container) {
    case TVxImageContainer::JPEG: return "image/jpeg";
    case TVxImageContainer::TIFF: return "image/tiff";
    case TVxImageContainer::PNG: return "image/png";
    case TVxImageContainer::BMP: return "image/bmp";
    case TVxImageContainer::GIF: return "image/gif";
    default: return nullptr;
    }
}

std::wstring AsciiItem(TGPImage& image, PROPID id)
{
    UINT size = 0;
    if (image.GetPropertyItemSize(id, size) != Gdiplus::Ok || size < sizeof(Gdiplus::PropertyItem)) {
        image.GetLastStatus();
        return {};
    }
    std::vector<std::uint64_t> buffer((size + 7) / 8);
    auto* item = reinterpret_cast<Gdiplus::PropertyItem*>(buffer.data());
    if (image.GetPropertyItem(id, size, item) != Gdiplus::Ok || !item->value)
        return {};
    std::wstring text;
    const auto* bytes = static_cast<const std::uint8_t*>(item->value);
    for (ULONG i = 0; i < item->length && bytes[i]; ++i)
        text.push_back(static_cast<wchar_t>(bytes[i]));
    return text;
}

} // namespace

TVxImageContainer ContainerOfRawFormat(const GUID& f)
{
    if (IsEqualGUID(f, VxImageFormat::JPEG))
        return TVxImageContainer::JPEG;
    if (IsEqualGUID(f, VxImageFormat::TIFF))
        return TVxImageContainer::TIFF;
    if (IsEqualGUID(f, VxImageFormat::PNG))
        return TVxImageContainer::PNG;
    if (IsEqualGUID(f, VxImageFormat::BMP) || IsEqualGUID(f, VxImageFormat::MemoryBMP))
        return TVxImageContainer::BMP;
    if (IsEqualGUID(f, VxImageFormat::EXIF))
        return TVxImageContainer::EXIF;
    if (IsEqualGUID(f, VxImageFormat::GIF))
        return TVxImageContainer::GIF;
    return TVxImageContainer::Other;
}

bool TVxGdiplusCodec::Decode(const std::filesystem::path& fileName, TVxLTBitmap& image, TVxImageContainer& container,
                             TVxGraphicsDocumentProperties& properties)
{
    // The bitmap keeps the file open until it goes: it lives in this scope only.
    std::unique_ptr<TGPBitmap> bitmap = TGPBitmap::FromFile(fileName.wstring());
    if (!bitmap || bitmap->GetLastStatus() != Gdiplus::Ok)
        return false;
    if (!DecodeToBitmap(*bitmap, image))
        return false;
    GUID rawFormat{};
    bitmap->GetRawFormat(rawFormat);
    container = ContainerOfRawFormat(rawFormat);
    ReadProperties(*bitmap, properties);
    return true;
}

bool TVxGdiplusCodec::Encode(const std::filesystem::path& fileName, const TVxPixels& pixels, const TRect& rect,
                             TVxImageContainer container, std::int32_t jpegQuality, const TVxCustomProperties& properties)
{
    const TRect r = IntersectRect(rect, pixels.GetBounds());
    const char* mime = MimeTypeOf(container);
    CLSID encoder{};
    if (r.IsEmpty() || !mime || GetEncoderClsid(mime, encoder) < 0 || pixels.Format() != fmtBGR24)
        return false;
    std::unique_ptr<TGPBitmap> bitmap = TGPBitmap::FromScan0(r.Width(), r.Height(), pixels.Stride(),
                                                             ToGdiplusPixelFormat(pixels.Format()),
                                                             pixels.PixelAddress(r.Left, r.Top));
    if (!bitmap)
        return false;
    for (int i = 0; i < properties.Count(); ++i) {
        const TVxPropertyRecord& record = properties.Item(i);
        Gdiplus::PropertyItem item{};
        item.id = record.Identifier;
        item.length = static_cast<ULONG>(record.Value.size());
        item.type = static_cast<WORD>(record.Type);
        item.value = const_cast<std::uint8_t*>(record.Value.data());
        bitmap->SetPropertyItem(item); // a codec that refuses an item still saves the picture
    }
    bitmap->GetLastStatus();
    ULONG quality = static_cast<ULONG>(jpegQuality);
    Gdiplus::EncoderParameters parameters{};
    parameters.Count = 1;
    parameters.Parameter[0].Guid = VxEncoderQuality;
    parameters.Parameter[0].NumberOfValues = 1;
    parameters.Parameter[0].Type = Gdiplus::EncoderParameterValueTypeLong;
    parameters.Parameter[0].Value = &quality;
    const bool jpeg = container == TVxImageContainer::JPEG;
    return bitmap->Save(fileName.wstring(), encoder, jpeg ? &parameters : nullptr) == Gdiplus::Ok;
}

std::optional<TVxImageSummary> TVxGdiplusCodec::Summary(const std::filesystem::path& fileName)
{
    std::unique_ptr<TGPImage> image = TGPImage::FromFile(fileName.wstring());
    if (!image)
        return std::nullopt;
    TVxImageSummary summary;
    GUID rawFormat{};
    image->GetRawFormat(rawFormat);
    summary.Container = ContainerOfRawFormat(rawFormat);
    summary.Width = static_cast<std::int32_t>(image->GetWidth());
    summary.Height = static_cast<std::int32_t>(image->GetHeight());
    summary.DateTime = AsciiItem(*image, 306);
    summary.Make = AsciiItem(*image, 271);
    summary.Model = AsciiItem(*image, 272);
    return summary;
}

std::unique_ptr<TVxThumbnail> TVxGdiplusCodec::Thumbnail(const std::filesystem::path& fileName, std::int32_t width,
                                                         std::int32_t height)
{
    std::unique_ptr<TGPImage> image = TGPImage::FromFile(fileName.wstring());
    if (!image)
        return nullptr;
    const std::optional<TSize> size = FitSize(static_cast<std::int32_t>(image->GetWidth()),
                                              static_cast<std::int32_t>(image->GetHeight()), width, height);
    if (!size || size->Width <= 0 || size->Height <= 0)
        return nullptr;
    std::unique_ptr<TGPImage> thumbnail = image->GetThumbnailImage(static_cast<UINT>(size->Width), static_cast<UINT>(size->Height));
    if (!thumbnail)
        return nullptr;
    return std::make_unique<TVxGraphicsThumbnail>(std::move(thumbnail));
}

bool TVxGraphicsThumbnail::Draw(TVxDeviceContext dc, const TRect& destRect, TRect& drawnRect)
{
    const auto width = static_cast<std::int32_t>(FImage->GetWidth());
    const auto height = static_cast<std::int32_t>(FImage->GetHeight());
    FImage->GetLastStatus();
    // Halves rounded down, also when the thumbnail is the larger.
    const auto half = [](std::int32_t v) { return v >= 0 ? v / 2 : -((1 - v) / 2); };
    const std::int32_t left = destRect.Left + half(destRect.Width() - width);
    const std::int32_t top = destRect.Top + half(destRect.Height() - height);
    drawnRect = Bounds(left, top, width, height);
    if (std::unique_ptr<TGPGraphics> graphics = TGPGraphics::FromHDC(static_cast<HDC>(dc)))
        graphics->DrawImage(FImage.get(), drawnRect);
    return true;
}
