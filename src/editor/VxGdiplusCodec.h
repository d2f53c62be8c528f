#pragma once
// The image codec of the Windows build: GDI+ through the object layer of VxGdiplus.
#include <memory>

#include "editor/VxGraphicsFormats.h"
#include "imaging/VxGdiplus.h"

// A GDI+ thumbnail drawn at its own size, centred in the destination.
class TVxGraphicsThumbnail : public TVxThumbnail {
public:
    explicit TVxGraphicsThumbnail(std::unique_ptr<TGPImage> image) : FImage(std::move(image)) {}
    bool Draw(TVxDeviceContext dc, const TRect& destRect, TRect& drawnRect) override;
    TGPImage& Image() const { return *FImage; }

private:
    std::unique_ptr<TGPImage> FImage;
};

class TVxGdiplusCodec : public IVxImageCodec {
public:
    bool Decode(const std::filesystem::path& fileName, TVxLTBitmap& image, TVxImageContainer& container,
                TVxGraphicsDocumentProperties& properties) override;
    bool Encode(const std::filesystem::path& fileName, const TVxPixels& pixels, const TRect& rect,
                TVxImageContainer container, std::int32_t jpegQuality, const TVxCustomProperties& properties) override;
    std::optional<TVxImageSummary> Summary(const std::filesystem::path& fileName) override;
    std::unique_ptr<TVxThumbnail> Thumbnail(const std::filesystem::path& fileName, std::int32_t width,
                                            std::int32_t height) override;

private:
    TGdiplusSession FSession;
};

TVxImageContainer ContainerOfRawFormat(const GUID& rawFormat);
