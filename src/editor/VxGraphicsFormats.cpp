#include "editor/VxGraphicsFormats.h"

#include <array>
#include <atomic>
#include <cstring>
#include <fstream>
#include <vector>

#include "editor/VxEditorStrings.h"
#include "editor/VxExchangeFile.h"
#include "editor/VxExif.h"
#include "editor/VxGraphicsDocument.h"
#include "editor/VxJPEG.h"

namespace {

const TVxFileFormatInfo GraphicsFormatTable[5] = {
    {gfJPEG, L"JPEG", L"*.jpg;*.jpeg", L".jpg"},
    {gfTIFF, L"TIFF", L"*.tif;*.tiff", L".tif"},
    {gfPNG, L"PNG", L"*.png", L".png"},
    {gfBMP, L"BMP", L"*.bmp;*.rle;*.dib", L".bmp"},
    {gfVXI, L"VXI", L"*.vxi", L".vxi"},
};

constexpr std::size_t VxiHeadSize = 16;

std::int32_t FormatOfContainer(TVxImageContainer container)
{
    switch (container) {
    case TVxImageContainer::JPEG:
    case TVxImageContainer::EXIF: // a JPEG stream that the codec names after its EXIF header
        return gfJPEG;
    case TVxImageContainer::TIFF: return gfTIFF;
    case TVxImageContainer::PNG: return gfPNG;
    case TVxImageContainer::BMP: return gfBMP;
    default: return gfOther;
    }
}

std::optional<TVxImageContainer> ContainerOfFormat(std::int32_t format)
{
    switch (format) {
    case gfJPEG: return TVxImageContainer::JPEG;
    case gfTIFF: return TVxImageContainer::TIFF;
    case gfPNG: return TVxImageContainer::PNG;
    case gfBMP: return TVxImageContainer::BMP;
    default: return std::nullopt;
    }
}

const wchar_t* ContainerName(TVxImageContainer container)
{
    switch (container) {
    case TVxImageContainer::BMP: return L"BMP";
    case TVxImageContainer::JPEG: return L"JPEG";
    case TVxImageContainer::PNG: return L"PNG";
    case TVxImageContainer::TIFF: return L"TIFF";
    case TVxImageContainer::EXIF: return L"EXIF";
    default: return L"";
    }
}

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::filesystem::path& fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        return std::nullopt;
    return bytes;
}

bool WriteWholeFile(const std::filesystem::path& fileName, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

// Inverts the head of the file when check says so of its present bytes.
template <typename TCheck>
bool InvertHead(const std::filesystem::path& fileName, TCheck check)
{
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(fileName, error);
    if (error || size <= VxiHeadSize)
        return false;
    std::fstream file(fileName, std::ios::in | std::ios::out | std::ios::binary);
    std::array<std::uint8_t, VxiHeadSize> head{};
    if (!file || !file.read(reinterpret_cast<char*>(head.data()), VxiHeadSize))
        return false;
    if (!check(head))
        return false;
    for (std::uint8_t& b : head)
        b = static_cast<std::uint8_t>(~b);
    file.seekp(0);
    return static_cast<bool>(file.write(reinterpret_cast<const char*>(head.data()), VxiHeadSize).flush());
}

// Keeps a restored ".VXI" file a plain JPEG only while it is being read: whatever way
// the load ends, the file goes back to its scrambled form.
class TVxiRestoration {
public:
    explicit TVxiRestoration(const std::filesystem::path& fileName)
        : FFileName(fileName), FRestored(RestoreVxiFile(fileName))
    {
    }
    ~TVxiRestoration()
    {
        if (FRestored)
            ScrambleVxiFile(FFileName);
    }
    TVxiRestoration(const TVxiRestoration&) = delete;
    TVxiRestoration& operator=(const TVxiRestoration&) = delete;
    bool Restored() const { return FRestored; }

private:
    std::filesystem::path FFileName;
    bool FRestored;
};

bool ReadFileExif(const std::filesystem::path& fileName, TVxImageContainer container, TVxCustomProperties& properties,
                  std::vector<std::uint8_t>* rawBlock = nullptr)
{
    const bool jpeg = container == TVxImageContainer::JPEG || container == TVxImageContainer::EXIF;
    if (!jpeg && container != TVxImageContainer::PNG)
        return false;
    const std::optional<std::vector<std::uint8_t>> bytes = ReadWholeFile(fileName);
    if (!bytes)
        return false;
    const auto block = jpeg ? FindJpegExif(*bytes) : FindPngExif(*bytes);
    if (!block || !ParseExifBlock(*block, properties))
        return false;
    if (rawBlock)
        rawBlock->assign(block->begin(), block->end());
    return true;
}

// The block a saved file carries: the source's own, edited in place (thumbnail unlinked,
// orientation reset after a turn), or one built from the items when there is none.
std::vector<std::uint8_t> ExifBlockToWrite(const TVxGraphicsDocumentProperties& document,
                                           const TVxCustomProperties& properties)
{
    if (document.SourceExif.empty())
        return BuildExifBlock(properties);
    std::vector<std::uint8_t> block = document.SourceExif;
    UnlinkExifThumbnail(block);
    if (document.Turned)
        SetExifOrientation(block, 1);
    return block;
}

std::wstring AsciiProperty(const TVxCustomProperties& properties, std::uint32_t id)
{
    const int index = properties.IndexOf(id);
    if (index < 0)
        return {};
    std::wstring text;
    for (std::uint8_t c : properties.Item(index).Value) {
        if (c == 0)
            break;
        text.push_back(static_cast<wchar_t>(c));
    }
    return text;
}

// Codecs that keep no EXIF of their own (Wine's) still let the file's own block be read.
void MergeFileExif(const std::filesystem::path& fileName, TVxImageContainer container,
                   TVxGraphicsDocumentProperties& properties)
{
    TVxCustomProperties fromFile;
    if (!ReadFileExif(fileName, container, fromFile, &properties.SourceExif))
        return;
    for (int i = 0; i < fromFile.Count(); ++i) {
        const TVxPropertyRecord& record = fromFile.Item(i);
        if (properties.IndexOf(record.Identifier) < 0)
            properties.Set(record.Identifier, record.Type, record.Size, record.Value.data());
    }
}

// A name beside the target that does not exist yet.
std::filesystem::path TemporaryNameBeside(const std::filesystem::path& target)
{
    static std::atomic<unsigned> counter{0};
    std::error_code error;
    for (;;) {
        std::filesystem::path candidate = target;
        candidate.replace_filename(L"~" + target.stem().wstring() + L"." + std::to_wstring(++counter) + L".vxtmp");
        if (!std::filesystem::exists(candidate, error))
            return candidate;
    }
}

bool IsReadOnlyFile(const std::filesystem::path& fileName)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(fileName, error);
    return !error && std::filesystem::exists(status)
           && (status.permissions() & std::filesystem::perms::owner_write) == std::filesystem::perms::none;
}

std::int32_t RationalProperty(const TVxCustomProperties& properties, std::uint32_t id)
{
    const int index = properties.IndexOf(id);
    if (index < 0 || properties.Item(index).Value.size() < 8)
        return 0;
    std::uint32_t v[2];
    std::memcpy(v, properties.Item(index).Value.data(), 8);
    return v[1] == 0 ? 0 : static_cast<std::int32_t>((v[0] + v[1] / 2) / v[1]);
}

} // namespace

std::wstring GraphicsFileDescription(const TVxImageSummary& summary)
{
    std::wstring text;
    const std::wstring container = ContainerName(summary.Container);
    if (!container.empty())
        text = LoadVxString(VxStrings::FileType) + L": " + container;
    const auto addLine = [&](const TVxStringRef& label, const std::wstring& value) {
        if (!value.empty())
            text += L"\n" + LoadVxString(label) + L": " + value;
    };
    if (summary.Width > 0 || summary.Height > 0)
        addLine(VxStrings::ImageSize, std::to_wstring(summary.Width) + L" x " + std::to_wstring(summary.Height));
    addLine(VxStrings::Date, summary.DateTime);
    addLine(VxStrings::Camera, summary.Make.empty() ? summary.Model : summary.Make + L" " + summary.Model);
    return text;
}

bool LooksLikeJpegStart(const std::uint8_t* b)
{
    return b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF && (b[8] == 'I' || b[8] == 'i') && (b[9] == 'F' || b[9] == 'f');
}

bool RestoreVxiFile(const std::filesystem::path& fileName)
{
    return InvertHead(fileName, [](const std::array<std::uint8_t, VxiHeadSize>& head) {
        std::array<std::uint8_t, VxiHeadSize> restored{};
        for (std::size_t i = 0; i < VxiHeadSize; ++i)
            restored[i] = static_cast<std::uint8_t>(~head[i]);
        return LooksLikeJpegStart(restored.data());
    });
}

bool ScrambleVxiFile(const std::filesystem::path& fileName)
{
    return InvertHead(fileName, [](const std::array<std::uint8_t, VxiHeadSize>& head) { return LooksLikeJpegStart(head.data()); });
}

TVxGraphicsFormats::TVxGraphicsFormats(IVxImageCodec& codec, IVxJPEGQualityPrompt& qualityPrompt)
    : FCodec(codec), FQualityPrompt(qualityPrompt)
{
}

const TVxFileFormatInfo* TVxGraphicsFormats::Item(std::int32_t index) const
{
    return index >= 0 && index < Count() ? &GraphicsFormatTable[index] : nullptr;
}

void TVxGraphicsFormats::SaveList(TVxFileFormatArray& formats) const
{
    formats.assign(GraphicsFormatTable, GraphicsFormatTable + 4);
}

bool TVxGraphicsFormats::GetFileInfo(const std::filesystem::path& fileName, std::unique_ptr<TVxFileInfo>& info)
{
    std::error_code error;
    if (!std::filesystem::exists(fileName, error))
        return false;
    std::optional<TVxImageSummary> summary = FCodec.Summary(fileName);
    TVxCustomProperties fromFile;
    if (summary && summary->DateTime.empty() && summary->Make.empty() && summary->Model.empty()
        && ReadFileExif(fileName, summary->Container, fromFile)) {
        summary->DateTime = AsciiProperty(fromFile, ExifTagDateTime);
        summary->Make = AsciiProperty(fromFile, ExifTagMake);
        summary->Model = AsciiProperty(fromFile, ExifTagModel);
    }
    info = std::make_unique<TVxGraphicsFileInfo>(fileName, summary ? GraphicsFileDescription(*summary) : std::wstring());
    return true;
}

bool TVxGraphicsFormats::GetThumbnail(const std::filesystem::path& fileName, std::int32_t width,
                                      std::unique_ptr<TVxThumbnail>& thumbnail, std::int32_t height)
{
    thumbnail = FCodec.Thumbnail(fileName, width, height);
    return thumbnail != nullptr;
}

bool TVxGraphicsFormats::Load(TVxDocument& document, const std::filesystem::path& fileName, std::int32_t& formatIndex)
{
    auto* graphics = dynamic_cast<TVxGraphicsDocument*>(&document);
    if (!graphics)
        return false;
    if (LoadExchangeFile(fileName, *graphics)) {
        formatIndex = gfExchange;
        graphics->ResetBackup();
        return true;
    }
    const TVxiRestoration vxi(fileName);
    if (LoadThroughJPEG(*graphics, fileName))
        formatIndex = gfJPEG;
    else if (!LoadThroughCodec(*graphics, fileName, formatIndex))
        return false;
    if (vxi.Restored())
        formatIndex = gfVXI;
    return true;
}

bool TVxGraphicsFormats::LoadThroughCodec(TVxDocument& document, const std::filesystem::path& fileName,
                                          std::int32_t& formatIndex)
{
    auto& graphics = static_cast<TVxGraphicsDocument&>(document);
    TVxLTBitmap image;
    TVxImageContainer container = TVxImageContainer::Other;
    TVxGraphicsDocumentProperties properties;
    if (!FCodec.Decode(fileName, image, container, properties) || image.IsEmpty())
        return false;
    MergeFileExif(fileName, container, properties);
    if (!graphics.Image().LoadFromBuffer(*image.GetPixels()) || !graphics.OriginalImage().LoadFromBuffer(*image.GetPixels()))
        return false;
    graphics.Properties().Assign(properties);
    graphics.Properties().HorizontalResolution = properties.HorizontalResolution;
    graphics.Properties().VerticalResolution = properties.VerticalResolution;
    graphics.Properties().SourceExif = std::move(properties.SourceExif);
    graphics.Properties().Turned = false;
    graphics.ResetBackup();
    formatIndex = FormatOfContainer(container);
    return true;
}

// The JPEG library decodes the file several times faster than the platform's codec; the
// properties come from the file's own EXIF block, so the codec is not needed at all.
bool TVxGraphicsFormats::LoadThroughJPEG(TVxGraphicsDocument& graphics, const std::filesystem::path& fileName)
{
    IBJPEG* jpeg = graphics.JPEGSource();
    if (!jpeg || !jpeg->Load(fileName))
        return false;
    TVxLTBitmap& image = graphics.Image();
    if (!image.Allocate(jpeg->Width(), jpeg->Height(), fmtBGR24)
        || !jpeg->Decode(image.GetPixels()->Row(0), image.GetPixels()->Stride())
        || !graphics.OriginalImage().LoadFromBuffer(*image.GetPixels())) {
        jpeg->Release();
        return false;
    }
    TVxGraphicsDocumentProperties properties;
    const auto* library = dynamic_cast<const TVxJPEG*>(jpeg);
    if (!library) {
        ReadFileExif(fileName, TVxImageContainer::JPEG, properties, &properties.SourceExif);
    } else if (const auto block = FindJpegExif(library->Source()); block && ParseExifBlock(*block, properties)) {
        properties.SourceExif.assign(block->begin(), block->end()); // the stream is in memory already
    }
    std::int32_t dpiX = library ? library->ResolutionX() : 0, dpiY = library ? library->ResolutionY() : 0;
    if (dpiX <= 0 || dpiY <= 0) {
        dpiX = RationalProperty(properties, 0x011A);
        dpiY = RationalProperty(properties, 0x011B);
    }
    // What the platform's codec reports for a file that names no resolution.
    graphics.Properties().Assign(properties);
    graphics.Properties().HorizontalResolution = dpiX > 0 ? dpiX : 96;
    graphics.Properties().VerticalResolution = dpiY > 0 ? dpiY : 96;
    graphics.Properties().SourceExif = std::move(properties.SourceExif);
    graphics.Properties().Turned = false;
    graphics.ResetBackup();
    return true;
}

bool TVxGraphicsFormats::Save(TVxDocument& document, const std::filesystem::path& fileName, std::int32_t formatIndex)
{
    FLastSaveError = TVxSaveError::Other;
    const bool saved = SaveDocument(document, fileName, formatIndex);
    if (saved)
        FLastSaveError = TVxSaveError::None;
    return saved;
}

bool TVxGraphicsFormats::SaveDocument(TVxDocument& document, const std::filesystem::path& fileName, std::int32_t formatIndex)
{
    auto* graphics = dynamic_cast<TVxGraphicsDocument*>(&document);
    if (!graphics)
        return false;
    const std::optional<TVxImageContainer> container = ContainerOfFormat(formatIndex);
    if (!container && formatIndex != gfExchange)
        return false;
    IBJPEG* jpeg = graphics->JPEGSource();
    if (formatIndex == gfJPEG && jpeg && jpeg->HasSource()) {
        graphics->BeforeSave();
        FLastSaveError = SaveThroughJPEG(*graphics, *jpeg, fileName);
        return FLastSaveError == TVxSaveError::None;
    }
    if (formatIndex == gfJPEG) {
        const std::optional<std::int32_t> quality = FQualityPrompt.AskQuality(FJPEGQuality);
        if (!quality) {
            FLastSaveError = TVxSaveError::Cancelled;
            return false;
        }
        FJPEGQuality = *quality;
    }
    graphics->BeforeSave();
    if (formatIndex == gfExchange) {
        if (IsReadOnlyFile(fileName)) {
            FLastSaveError = TVxSaveError::ReadOnly;
            return false;
        }
        ClearSystemSaveError();
        if (SaveExchangeFile(fileName, *graphics))
            return true;
        FLastSaveError = SystemSaveError();
        return false;
    }
    const TVxPixels* pixels = graphics->ImagePixels();
    if (!pixels)
        return false;
    TRect rect;
    graphics->GetWorkArea(rect);
    TVxCustomProperties properties;
    properties.Assign(graphics->Properties());
    RemoveThumbnailProperties(properties);
    if (graphics->Properties().Turned && properties.IndexOf(0x0112) >= 0) {
        const std::uint16_t upright = 1;
        properties.Set(0x0112, exifShort, 2, &upright);
    }
    graphics->Properties().Assign(properties);
    FLastSaveError = WriteFile(fileName, *pixels, rect, *container, properties,
                               ExifBlockToWrite(graphics->Properties(), properties));
    return FLastSaveError == TVxSaveError::None;
}

// The held source's own tables and markers (its EXIF block byte for byte), and its
// coefficients wherever the pixels are still those it decodes to. No quality is asked:
// the source's is kept. Once written, the source is released, as after any save.
TVxSaveError TVxGraphicsFormats::SaveThroughJPEG(TVxGraphicsDocument& graphics, IBJPEG& jpeg,
                                                 const std::filesystem::path& fileName)
{
    const TVxPixels* pixels = graphics.ImagePixels();
    if (!pixels)
        return TVxSaveError::Other;
    if (IsReadOnlyFile(fileName))
        return TVxSaveError::ReadOnly;
    TRect rect;
    graphics.GetWorkArea(rect);
    jpeg.SetRect(rect.Left, rect.Top, rect.Right, rect.Bottom);
    const std::uint8_t* first = pixels->PixelAddress(rect.Left, rect.Top);
    jpeg.SetPixels(&first, pixels->Stride(), 0, 0);
    const std::filesystem::path temporary = TemporaryNameBeside(fileName);
    ClearSystemSaveError();
    TVxJPEGSaveParameters parameters;
    bool done = jpeg.SaveToFile(temporary, parameters);
    if (!done) {
        parameters.KeepBlocks = 0;
        done = jpeg.SaveToFile(temporary, parameters);
    }
    jpeg.Release();
    TVxSaveError result = done ? ReplaceFileWith(temporary, fileName) : SystemSaveError();
    if (result != TVxSaveError::None) {
        std::error_code error;
        std::filesystem::remove(temporary, error);
    }
    return result;
}

// The chosen quality is honoured (the platform's codec under Wine ignores it); the
// platform's codec stays the fallback.
bool TVxGraphicsFormats::EncodeJpeg(const std::filesystem::path& fileName, const TVxPixels& pixels, const TRect& rect)
{
    TVxJPEGSaveParameters parameters;
    parameters.Quality = FJPEGQuality;
    const std::optional<std::vector<std::uint8_t>> bytes =
        TVxJPEG::Encode(pixels.PixelAddress(rect.Left, rect.Top), pixels.Stride(), rect.Width(), rect.Height(), parameters);
    return bytes && WriteWholeFile(fileName, *bytes);
}

// The picture goes to a new file beside the target, which is replaced only when that
// file is complete: a save that fails halfway leaves the user's file as it was.
TVxSaveError TVxGraphicsFormats::WriteFile(const std::filesystem::path& fileName, const TVxPixels& pixels, const TRect& rect,
                                           TVxImageContainer container, const TVxCustomProperties& properties,
                                           const std::vector<std::uint8_t>& block)
{
    if (IsReadOnlyFile(fileName))
        return TVxSaveError::ReadOnly;
    const std::filesystem::path temporary = TemporaryNameBeside(fileName);
    ClearSystemSaveError();
    bool done = (container == TVxImageContainer::JPEG && EncodeJpeg(temporary, pixels, rect))
                || FCodec.Encode(temporary, pixels, rect, container, FJPEGQuality, properties);
    if (done && (container == TVxImageContainer::JPEG || container == TVxImageContainer::PNG)) {
        std::optional<std::vector<std::uint8_t>> encoded = ReadWholeFile(temporary);
        done = encoded.has_value();
        if (done && !block.empty()) {
            const auto spliced = container == TVxImageContainer::JPEG ? SpliceJpegExif(*encoded, block)
                                                                      : SplicePngExif(*encoded, block);
            // A block too large for the container is left out; the picture still saves.
            if (spliced)
                done = WriteWholeFile(temporary, *spliced);
        }
    }
    TVxSaveError result = done ? ReplaceFileWith(temporary, fileName) : SystemSaveError();
    if (result != TVxSaveError::None) {
        std::error_code error;
        std::filesystem::remove(temporary, error);
    }
    return result;
}
