#include "editor/VxExchangeFile.h"

#include "editor/VxExif.h"
#include "editor/VxGraphicsDocument.h"
#include "exchange/VxExchange.h"

bool LoadExchangeImage(std::span<const std::uint8_t> file, TVxGraphicsDocument& document)
{
    const std::optional<TExchangeHeader> header = ParseExchange(file);
    if (!header)
        return false;
    TVxLTBitmap image;
    if (!image.Allocate(header->Width, header->Height, fmtBGR24) || !ReadExchangePixels(file, *header, *image.GetPixels()))
        return false;
    if (!document.Image().LoadFromBuffer(*image.GetPixels()) || !document.OriginalImage().LoadFromBuffer(*image.GetPixels()))
        return false;
    // The trailer's block is read as it is; one that does not parse adds nothing.
    document.Properties().Clear();
    if (const auto payload = ExchangeExifPayload(file, *header))
        ParseExifBlock(*payload, document.Properties());
    return true;
}

std::size_t ExchangeSaveSize(const TVxGraphicsDocument& document)
{
    const TVxPixels* pixels = document.ImagePixels();
    return pixels ? ExchangeFileSize(*pixels).value_or(0) : 0;
}

bool SaveExchangeImage(std::span<std::uint8_t> file, const TVxGraphicsDocument& document)
{
    const TVxPixels* pixels = document.ImagePixels();
    return pixels && WriteExchangeImage(file, *pixels);
}
