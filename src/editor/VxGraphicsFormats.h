#pragma once
// The graphics editor's formats: the five-entry table, loading (exchange file first,
// then the program's own scrambled ".VXI", then the image codec), saving through the
// codec with the file's properties carried over, file information and thumbnails for
// the open dialog.
//
// The codec is the platform's (GDI+ on Windows) behind IVxImageCodec, so the decisions
// here run the same in tests with a codec of their own.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "editor/VxFileFormats.h"
#include "editor/VxJPEGOptions.h"
#include "imaging/VxBitmap.h"
#include "imaging/VxLTBitmap.h"
#include "settings/VxProperties.h"

class TVxGraphicsDocumentProperties;
class TVxGraphicsDocument;
class IBJPEG;

enum : std::int32_t {
    gfJPEG = 0,
    gfTIFF = 1,
    gfPNG = 2,
    gfBMP = 3,
    gfVXI = 4,
    // A picture in another container the codec reads (a GIF through the all-files
    // entry): not -1, which means the exchange file, and in no list, so the save dialog
    // preselects nothing.
    gfOther = 5,
    gfExchange = -1,
};

enum class TVxImageContainer { Other, BMP, JPEG, PNG, TIFF, EXIF, GIF };

struct TVxImageSummary {
    TVxImageContainer Container = TVxImageContainer::Other;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::wstring DateTime, Make, Model;
};

class IVxImageCodec {
public:
    virtual ~IVxImageCodec() = default;
    // image becomes the file's picture in fmtBGR24; properties get the file's items in
    // its order and the resolutions rounded to whole numbers.
    virtual bool Decode(const std::filesystem::path& fileName, TVxLTBitmap& image, TVxImageContainer& container,
                        TVxGraphicsDocumentProperties& properties) = 0;
    // Writes rect of pixels in the given container (JPEG, TIFF, PNG or BMP); the quality
    // applies to JPEG only.
    virtual bool Encode(const std::filesystem::path& fileName, const TVxPixels& pixels, const TRect& rect,
                        TVxImageContainer container, std::int32_t jpegQuality,
                        const TVxCustomProperties& properties) = 0;
    virtual std::optional<TVxImageSummary> Summary(const std::filesystem::path& fileName) = 0;
    virtual std::unique_ptr<TVxThumbnail> Thumbnail(const std::filesystem::path& fileName, std::int32_t width,
                                                    std::int32_t height) = 0;
};

class TVxGraphicsFileInfo : public TVxFileInfo {
public:
    TVxGraphicsFileInfo(std::filesystem::path fileName, std::wstring description)
        : TVxFileInfo(std::move(fileName)), FDescription(std::move(description))
    {
    }
    std::wstring Description() const override { return FDescription; }

private:
    std::wstring FDescription;
};

// The open dialog's text for a file: type, size, date and camera, each on its own line.
std::wstring GraphicsFileDescription(const TVxImageSummary& summary);

// The ".VXI" header check on 16 restored bytes: a JPEG start (FF D8 FF) with "IF" (either
// case) at bytes 8 and 9.
bool LooksLikeJpegStart(const std::uint8_t* bytes16);
// Inverts the first 16 bytes of a file whose inverted head looks like a JPEG start; true
// when it did.
bool RestoreVxiFile(const std::filesystem::path& fileName);
// The reverse, only when the head currently looks like a JPEG start.
bool ScrambleVxiFile(const std::filesystem::path& fileName);

class TVxGraphicsFormats : public TVxDocumentFormats {
public:
    TVxGraphicsFormats(IVxImageCodec& codec, IVxJPEGQualityPrompt& qualityPrompt);

    std::int32_t Count() const override { return 5; }
    const TVxFileFormatInfo* Item(std::int32_t index) const override;
    bool GetFileInfo(const std::filesystem::path& fileName, std::unique_ptr<TVxFileInfo>& info) override;
    bool GetThumbnail(const std::filesystem::path& fileName, std::int32_t width, std::unique_ptr<TVxThumbnail>& thumbnail,
                      std::int32_t height) override;
    void SaveList(TVxFileFormatArray& formats) const override;
    bool Load(TVxDocument& document, const std::filesystem::path& fileName, std::int32_t& formatIndex) override;
    bool Save(TVxDocument& document, const std::filesystem::path& fileName, std::int32_t formatIndex) override;
    bool CanWrite(std::int32_t) const override { return true; }
    TVxSaveError LastSaveError() const override { return FLastSaveError; }

    std::int32_t JPEGQuality() const { return FJPEGQuality; }
    void SetJPEGQuality(std::int32_t value) { FJPEGQuality = value; }

private:
    bool LoadThroughCodec(TVxDocument& document, const std::filesystem::path& fileName, std::int32_t& formatIndex);
    bool LoadThroughJPEG(TVxGraphicsDocument& document, const std::filesystem::path& fileName);
    TVxSaveError SaveThroughJPEG(TVxGraphicsDocument& document, IBJPEG& jpeg, const std::filesystem::path& fileName);
    bool EncodeJpeg(const std::filesystem::path& fileName, const TVxPixels& pixels, const TRect& rect);
    TVxSaveError WriteFile(const std::filesystem::path& fileName, const TVxPixels& pixels, const TRect& rect,
                           TVxImageContainer container, const TVxCustomProperties& properties,
                           const std::vector<std::uint8_t>& exifBlock);
    bool SaveDocument(TVxDocument& document, const std::filesystem::path& fileName, std::int32_t formatIndex);

    IVxImageCodec& FCodec;
    IVxJPEGQualityPrompt& FQualityPrompt;
    std::int32_t FJPEGQuality = JPEGDefaultQuality;
    TVxSaveError FLastSaveError = TVxSaveError::None;
};

// Replaces target by source (same folder), atomically where the platform can; a failure
// leaves both as they were and says why.
TVxSaveError ReplaceFileWith(const std::filesystem::path& source, const std::filesystem::path& target);
// The platform's last error of a file operation, as a save reports it; cleared before a
// step whose failure is then read.
void ClearSystemSaveError();
TVxSaveError SystemSaveError();
