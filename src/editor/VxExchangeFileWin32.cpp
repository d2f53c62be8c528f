#include "exchange/FileMapping.h"
#include "editor/VxExchangeFile.h"

namespace {

// The whole file mapped for writing; unmapped when it goes.
class TMappedView {
public:
    explicit TMappedView(TFileMapping& mapping)
        : FMapping(mapping), FSize(mapping.Size()), FData(static_cast<std::uint8_t*>(mapping.MapView(0, 0, FILE_MAP_WRITE)))
    {
    }
    ~TMappedView() { FMapping.UnmapView(FData); }
    TMappedView(const TMappedView&) = delete;
    TMappedView& operator=(const TMappedView&) = delete;
    std::span<std::uint8_t> Bytes() const { return FData ? std::span<std::uint8_t>(FData, FSize) : std::span<std::uint8_t>(); }

private:
    TFileMapping& FMapping;
    std::size_t FSize;
    std::uint8_t* FData;
};

} // namespace

bool LoadExchangeFile(const std::filesystem::path& fileName, TVxGraphicsDocument& document)
{
    // OPEN_ALWAYS would leave an empty file behind for a name that did not exist.
    std::error_code error;
    if (!std::filesystem::is_regular_file(fileName, error))
        return false;
    TFileMapping mapping(fileName.wstring());
    TMappedView view(mapping);
    const std::span<std::uint8_t> bytes = view.Bytes();
    return !bytes.empty() && LoadExchangeImage(bytes, document);
}

bool SaveExchangeFile(const std::filesystem::path& fileName, TVxGraphicsDocument& document)
{
    const std::size_t size = ExchangeSaveSize(document);
    if (size == 0 || size > 0xFFFFFFFFu)
        return false;
    TFileMapping mapping(fileName.wstring());
    if (!mapping.SetSize(static_cast<std::uint32_t>(size)) || mapping.Size() != size)
        return false;
    TMappedView view(mapping);
    const std::span<std::uint8_t> bytes = view.Bytes();
    return bytes.size() == size && SaveExchangeImage(bytes, document);
}
