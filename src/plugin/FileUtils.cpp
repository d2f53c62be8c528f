#include "plugin/FileUtils.h"

#include <span>

#include "exchange/FileMapping.h"

namespace {

// A mapped view of the whole file, unmapped before the mapping goes.
class TMappedView {
public:
    explicit TMappedView(TFileMapping& mapping) : FMapping(mapping), FView(mapping.MapView(0, 0, FILE_MAP_WRITE)) {}
    TMappedView(const TMappedView&) = delete;
    TMappedView& operator=(const TMappedView&) = delete;
    ~TMappedView() { FMapping.UnmapView(FView); }
    std::uint8_t* Bytes() const { return static_cast<std::uint8_t*>(FView); }

private:
    TFileMapping& FMapping;
    void* FView;
};

} // namespace

TTempFile::TTempFile(const wchar_t* prefix)
{
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH)
        return;
    wchar_t name[MAX_PATH] = {};
    if (GetTempFileNameW(folder, prefix, 0, name) != 0)
        FPath = name;
}

TTempFile::~TTempFile()
{
    if (!FPath.empty())
        DeleteFileW(FPath.c_str());
}

bool WriteExchangeFile(const std::wstring& path, const TExchangeHostImage& host, const std::uint8_t* input)
{
    const std::optional<std::size_t> size = PluginExchangeSize(host);
    if (!size || !input)
        return false;
    TFileMapping mapping(path);
    if (!mapping.SetSize(static_cast<std::uint32_t>(*size)))
        return false;
    TMappedView view(mapping);
    if (!view.Bytes())
        return false;
    return PluginWriteExchange(std::span<std::uint8_t>(view.Bytes(), *size), host, input);
}

TExchangeReadBack ReadExchangeFile(const std::wstring& path, const TExchangeHostImage& host, std::uint8_t* output)
{
    TFileMapping mapping(path);
    const std::uint32_t size = mapping.Size();
    TMappedView view(mapping);
    if (!view.Bytes() || size == 0)
        return TExchangeReadBack::NotExchange;
    return PluginReadBack(std::span<const std::uint8_t>(view.Bytes(), size), host, output);
}
