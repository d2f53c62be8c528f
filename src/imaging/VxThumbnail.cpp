#include "imaging/VxThumbnail.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace {

constexpr std::uint32_t CheckerGrey = 0xA9A9A9;
constexpr std::uint32_t CheckerWhite = 0xFFFFFE; // red 254, green and blue 255
constexpr std::size_t HeaderBytes = 3;
// Kind, width, height and at most 255 x 255 pixels: nothing longer is ever read.
constexpr std::size_t LongestFile = HeaderBytes + 255 * 255 * 3;

bool KnownKind(std::uint8_t kind)
{
    return kind == ThumbnailKindMatte || kind == ThumbnailKindPng;
}

std::vector<std::uint8_t> ReadHead(const std::filesystem::path& file, bool& opened)
{
    std::ifstream stream(file, std::ios::binary);
    opened = static_cast<bool>(stream);
    std::vector<std::uint8_t> bytes(LongestFile);
    if (!opened)
        return {};
    stream.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(stream.gcount()));
    return bytes;
}

} // namespace

std::uint32_t CheckerColor(std::int32_t x, std::int32_t y)
{
    return ((x / 4) & 1) == ((y / 4) & 1) ? CheckerGrey : CheckerWhite;
}

std::uint32_t PixelColorRef(const std::uint8_t* pixel)
{
    return static_cast<std::uint32_t>(pixel[2]) | (static_cast<std::uint32_t>(pixel[1]) << 8) |
           (static_cast<std::uint32_t>(pixel[0]) << 16);
}

// ---------------------------------------------------------------- TThumbnail

TThumbnail::TThumbnail(std::uint8_t width, std::uint8_t height, std::uint8_t kind) : FKind(kind)
{
    SetSize(width, height);
}

void TThumbnail::SetSize(std::uint8_t width, std::uint8_t height)
{
    FWidth = width;
    FHeight = height;
    FPixels.assign(static_cast<std::size_t>(width) * height * 3, 0);
}

std::filesystem::path TThumbnail::FileName(const std::filesystem::path& folder, const std::wstring& name)
{
    return folder / std::filesystem::path(name + L".tmb");
}

bool TThumbnail::Load(const std::filesystem::path& folder, const std::wstring& name)
{
    FName = name;
    bool opened = false;
    const std::vector<std::uint8_t> bytes = ReadHead(FileName(folder, name), opened);
    if (!opened) {
        FValid = false;
        return false;
    }
    return ReadFrom(bytes);
}

bool TThumbnail::ReadFrom(std::span<const std::uint8_t> bytes)
{
    FValid = false;
    if (bytes.empty())
        return false;
    FKind = bytes[0];
    if (!KnownKind(FKind) || bytes.size() < HeaderBytes)
        return false;
    SetSize(bytes[1], bytes[2]);
    if (bytes.size() - HeaderBytes < FPixels.size())
        return false;
    const std::uint8_t* rgb = bytes.data() + HeaderBytes;
    // The file stores red, green, blue; memory keeps blue, green, red.
    for (std::size_t i = 0; i < FPixels.size(); i += 3) {
        FPixels[i] = rgb[i + 2];
        FPixels[i + 1] = rgb[i + 1];
        FPixels[i + 2] = rgb[i];
    }
    FValid = true;
    return true;
}

std::vector<std::uint8_t> TThumbnail::WriteTo() const
{
    std::vector<std::uint8_t> bytes{FKind};
    if (!KnownKind(FKind))
        return bytes;
    bytes.reserve(HeaderBytes + FPixels.size());
    bytes.push_back(FWidth);
    bytes.push_back(FHeight);
    for (std::size_t i = 0; i < FPixels.size(); i += 3) {
        bytes.push_back(FPixels[i + 2]);
        bytes.push_back(FPixels[i + 1]);
        bytes.push_back(FPixels[i]);
    }
    return bytes;
}

bool TThumbnail::Save(const std::filesystem::path& folder, const std::wstring& name)
{
    FName = name;
    const std::vector<std::uint8_t> bytes = WriteTo();
    std::ofstream stream(FileName(folder, name), std::ios::binary | std::ios::trunc);
    stream.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    stream.close();
    return static_cast<bool>(stream);
}

void TThumbnail::FillChecker()
{
    for (std::int32_t x = 0; x < FWidth; ++x)
        for (std::int32_t y = 0; y < FHeight; ++y)
            SetPixel(x, y, CheckerColor(x, y));
}

void TThumbnail::SetPixel(std::int32_t x, std::int32_t y, std::uint32_t color)
{
    if (x < 0 || y < 0 || x >= FWidth || y >= FHeight)
        return;
    std::uint8_t* pixel = &FPixels[Offset(x, y)];
    pixel[0] = static_cast<std::uint8_t>(color >> 16);
    pixel[1] = static_cast<std::uint8_t>(color >> 8);
    pixel[2] = static_cast<std::uint8_t>(color);
}

std::uint32_t TThumbnail::GetPixel(std::int32_t x, std::int32_t y) const
{
    if (!FValid || x < 0 || y < 0 || x >= FWidth || y >= FHeight)
        return 0;
    return PixelColorRef(&FPixels[Offset(x, y)]);
}

// ---------------------------------------------------------------- TThumbnailList

TThumbnailList::TThumbnailList(std::filesystem::path folder) : FFolder(std::move(folder))
{
    FItems.reserve(128);
}

TThumbnailList::~TThumbnailList()
{
    while (!FItems.empty())
        FItems.pop_back();
}

void TThumbnailList::Add(const std::wstring& name)
{
    auto thumbnail = std::make_unique<TThumbnail>(0, 0, 0);
    thumbnail->Load(FFolder, name);
    if (FItems.size() == FItems.capacity())
        FItems.reserve(std::max<std::size_t>(1, FItems.capacity() * 2));
    FItems.push_back(std::move(thumbnail));
    FCurrent = Count() - 1;
}

void TThumbnailList::Delete(std::int32_t index)
{
    if (index < 0 || index >= Count())
        return;
    FItems.erase(FItems.begin() + index);
    FCurrent = std::min(FCurrent, Count() - 1);
}

void TThumbnailList::Clear()
{
    FItems.clear();
    FCurrent = -1;
}

void TThumbnailList::SetCurrent(std::int32_t index)
{
    if (index >= -1 && index < Count())
        FCurrent = index;
}

const TThumbnail* TThumbnailList::Item(std::int32_t index) const
{
    return index >= 0 && index < Count() ? FItems[static_cast<std::size_t>(index)].get() : nullptr;
}

std::wstring TThumbnailList::GetName(std::int32_t index) const
{
    const TThumbnail* item = Item(index);
    return item ? item->Name() : std::wstring();
}

std::uint8_t TThumbnailList::GetKind(std::int32_t index) const
{
    const TThumbnail* item = Item(index);
    return item ? item->Kind() : 0;
}

std::uint32_t TThumbnailList::GetPixel(std::int32_t index, std::int32_t x, std::int32_t y) const
{
    const TThumbnail* item = Item(index);
    return item ? item->GetPixel(x, y) : 0;
}
