// Without file mappings: the file is read whole and written back whole.
#include <fstream>
#include <vector>

#include "editor/VxExchangeFile.h"

bool LoadExchangeFile(const std::filesystem::path& fileName, TVxGraphicsDocument& document)
{
    std::ifstream in(fileName, std::ios::binary);
    if (!in)
        return false;
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return LoadExchangeImage(bytes, document);
}

bool SaveExchangeFile(const std::filesystem::path& fileName, TVxGraphicsDocument& document)
{
    const std::size_t size = ExchangeSaveSize(document);
    if (size == 0)
        return false;
    std::vector<std::uint8_t> bytes(size);
    if (!SaveExchangeImage(bytes, document))
        return false;
    std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}
