#include "settings/VxStreams.h"

#include <algorithm>
#include <cstring>

std::size_t TVxMemoryStream::Read(void* buffer, std::size_t count)
{
    const std::size_t available = FPosition < FBytes.size() ? FBytes.size() - FPosition : 0;
    const std::size_t n = std::min(count, available);
    if (n > 0)
        std::memcpy(buffer, FBytes.data() + FPosition, n);
    FPosition += n;
    return n;
}

bool TVxMemoryStream::Write(const void* buffer, std::size_t count)
{
    if (FPosition + count > FBytes.size())
        FBytes.resize(FPosition + count);
    if (count > 0)
        std::memcpy(FBytes.data() + FPosition, buffer, count);
    FPosition += count;
    return true;
}

std::uint64_t TVxMemoryStream::Seek(std::uint64_t position)
{
    FPosition = static_cast<std::size_t>(std::min<std::uint64_t>(position, FBytes.size()));
    return FPosition;
}

TVxFileStream::TVxFileStream(const std::filesystem::path& path, TMode mode)
{
    const auto flags = mode == TMode::Read ? std::ios::in | std::ios::binary
                                           : std::ios::out | std::ios::trunc | std::ios::binary;
    FFile.open(path, flags);
    if (FFile.is_open() && mode == TMode::Read) {
        FFile.seekg(0, std::ios::end);
        const auto end = FFile.tellg();
        FSize = end < 0 ? 0 : static_cast<std::uint64_t>(end);
        FFile.seekg(0, std::ios::beg);
    }
}

std::size_t TVxFileStream::Read(void* buffer, std::size_t count)
{
    if (!FFile.is_open() || count == 0)
        return 0;
    FFile.read(static_cast<char*>(buffer), static_cast<std::streamsize>(count));
    const auto n = static_cast<std::size_t>(std::max<std::streamsize>(FFile.gcount(), 0));
    FFile.clear();
    FPosition += n;
    return n;
}

bool TVxFileStream::Write(const void* buffer, std::size_t count)
{
    if (!FFile.is_open())
        return false;
    FFile.write(static_cast<const char*>(buffer), static_cast<std::streamsize>(count));
    if (!FFile)
        return false;
    FPosition += count;
    FSize = std::max(FSize, FPosition);
    return true;
}

std::uint64_t TVxFileStream::Seek(std::uint64_t position)
{
    if (!FFile.is_open())
        return FPosition;
    FPosition = std::min(position, FSize);
    FFile.clear();
    FFile.seekg(static_cast<std::streamoff>(FPosition));
    FFile.seekp(static_cast<std::streamoff>(FPosition));
    return FPosition;
}

bool TVxFileStream::Flush()
{
    FFile.flush();
    return static_cast<bool>(FFile);
}
