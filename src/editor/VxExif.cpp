#include "editor/VxExif.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <set>

#include <zlib.h>

namespace {

constexpr std::uint16_t TagExifIfd = 0x8769;
constexpr std::uint16_t TagGpsIfd = 0x8825;
constexpr std::uint16_t TagInteropIfd = 0xA005;
constexpr std::uint16_t TagThumbnailOffset = 0x0201;
constexpr std::uint16_t TagThumbnailLength = 0x0202;
constexpr std::uint32_t PropThumbnailCompression = 0x5023;
constexpr std::size_t MaxIfdEntries = 1000;
constexpr int MaxIfdDepth = 4;

std::uint32_t TypeSize(std::uint32_t type)
{
    switch (type) {
    case exifByte: case exifAscii: case exifUndefined: case 6: return 1;
    case exifShort: case 8: return 2;
    case exifLong: case exifSLong: case 11: return 4;
    case exifRational: case exifSRational: case 12: return 8;
    default: return 0;
    }
}

// Size of one byte-swappable element (rationals are two longs).
std::uint32_t ElementSize(std::uint32_t type) { return type == exifRational || type == exifSRational ? 4 : TypeSize(type); }

enum class TIfdKind { Main, Exif, Gps, Skip };

// Tags that hold file offsets would point into the wrong file once copied.
bool IsOffsetTag(std::uint32_t id)
{
    switch (id) {
    case TagExifIfd: case TagGpsIfd: case TagInteropIfd: case TagThumbnailOffset: case TagThumbnailLength:
    case 0x0111: case 0x0117: case 0x0144: case 0x0145: case 0x014A:
        return true;
    default:
        return false;
    }
}

TIfdKind KindOf(std::uint32_t id)
{
    if (id > 0xFFFF || IsOffsetTag(id) || (id >= 0x5000 && id <= 0x5FFF))
        return TIfdKind::Skip;
    if (id <= 0x001F)
        return TIfdKind::Gps;
    if (id == 0x829A || id == 0x829D || (id >= 0x8822 && id <= 0x8835 && id != TagGpsIfd) || (id >= 0x9000 && id <= 0x9FFF)
        || (id >= 0xA000 && id <= 0xAFFF))
        return TIfdKind::Exif;
    return TIfdKind::Main;
}

struct TEntry {
    std::uint16_t Tag = 0;
    std::uint16_t Type = 0;
    std::uint32_t Count = 0;
    std::vector<std::uint8_t> Value;
};

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

std::size_t Padded(std::size_t n) { return (n + 1) & ~std::size_t{1}; }

std::size_t IfdSize(const std::vector<TEntry>& entries)
{
    std::size_t size = 2 + 12 * entries.size() + 4;
    for (const TEntry& e : entries)
        if (e.Value.size() > 4)
            size += Padded(e.Value.size());
    return size;
}

// Writes the IFD at out.size() with its large values right behind it.
void WriteIfd(std::vector<std::uint8_t>& out, const std::vector<TEntry>& entries)
{
    const std::size_t start = out.size();
    std::size_t data = start + 2 + 12 * entries.size() + 4;
    Put16(out, static_cast<std::uint32_t>(entries.size()));
    for (const TEntry& e : entries) {
        Put16(out, e.Tag);
        Put16(out, e.Type);
        Put32(out, e.Count);
        if (e.Value.size() > 4) {
            Put32(out, static_cast<std::uint32_t>(data));
            data += Padded(e.Value.size());
        } else {
            std::uint8_t inline4[4] = {};
            std::copy(e.Value.begin(), e.Value.end(), inline4);
            out.insert(out.end(), inline4, inline4 + 4);
        }
    }
    Put32(out, 0);
    for (const TEntry& e : entries)
        if (e.Value.size() > 4) {
            out.insert(out.end(), e.Value.begin(), e.Value.end());
            if (e.Value.size() & 1)
                out.push_back(0);
        }
}

TEntry PointerEntry(std::uint16_t tag, std::uint32_t offset)
{
    TEntry e{tag, exifLong, 1, {}};
    Put32(e.Value, offset);
    return e;
}

void SortByTag(std::vector<TEntry>& entries)
{
    std::stable_sort(entries.begin(), entries.end(), [](const TEntry& a, const TEntry& b) { return a.Tag < b.Tag; });
}

// ---------------------------------------------------------------- reading

class TTiffReader {
public:
    TTiffReader(std::span<const std::uint8_t> block, TVxCustomProperties& properties)
        : FBlock(block), FProperties(properties)
    {
    }

    bool Read()
    {
        if (FBlock.size() < 8)
            return false;
        if (FBlock[0] == 'I' && FBlock[1] == 'I')
            FBigEndian = false;
        else if (FBlock[0] == 'M' && FBlock[1] == 'M')
            FBigEndian = true;
        else
            return false;
        if (U16(2) != 42)
            return false;
        const std::uint32_t first = U32(4);
        const std::uint32_t next = ReadIfd(first, TIfdKind::Main, 0);
        if (next != 0)
            ReadThumbnailIfd(next);
        return true;
    }

private:
    std::uint16_t U16(std::size_t at) const
    {
        return FBigEndian ? static_cast<std::uint16_t>(FBlock[at] << 8 | FBlock[at + 1])
                          : static_cast<std::uint16_t>(FBlock[at] | FBlock[at + 1] << 8);
    }
    std::uint32_t U32(std::size_t at) const
    {
        return FBigEndian ? (std::uint32_t{U16(at)} << 16 | U16(at + 2)) : (U16(at) | std::uint32_t{U16(at + 2)} << 16);
    }
    bool Fits(std::uint64_t at, std::uint64_t size) const { return at <= FBlock.size() && size <= FBlock.size() - at; }

    // The entry's value bytes, little-endian; nothing when they lie outside the block.
    std::optional<std::vector<std::uint8_t>> Value(std::size_t entry, std::uint32_t type, std::uint32_t count) const
    {
        const std::uint64_t size = std::uint64_t{TypeSize(type)} * count;
        const std::uint64_t at = size <= 4 ? entry + 8 : U32(entry + 8);
        if (size == 0 || !Fits(at, size))
            return std::nullopt;
        std::vector<std::uint8_t> value(FBlock.begin() + static_cast<std::ptrdiff_t>(at),
                                        FBlock.begin() + static_cast<std::ptrdiff_t>(at + size));
        const std::uint32_t element = ElementSize(type);
        if (FBigEndian && element > 1)
            for (std::size_t i = 0; i + element <= value.size(); i += element)
                std::reverse(value.begin() + static_cast<std::ptrdiff_t>(i),
                             value.begin() + static_cast<std::ptrdiff_t>(i + element));
        return value;
    }

    // Returns the offset of the next IFD (0 when none or unreadable).
    std::uint32_t ReadIfd(std::uint32_t offset, TIfdKind kind, int depth)
    {
        if (depth > MaxIfdDepth || !Fits(offset, 2) || !FVisited.insert(offset).second)
            return 0;
        const std::size_t count = U16(offset);
        if (count > MaxIfdEntries || !Fits(offset + 2, 12 * count + 4))
            return 0;
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t entry = offset + 2 + 12 * i;
            const std::uint16_t tag = U16(entry);
            const std::uint16_t type = U16(entry + 2);
            const std::uint32_t n = U32(entry + 4);
            if (TypeSize(type) == 0)
                continue;
            if (kind == TIfdKind::Main && (tag == TagExifIfd || tag == TagGpsIfd)) {
                ReadIfd(U32(entry + 8), tag == TagExifIfd ? TIfdKind::Exif : TIfdKind::Gps, depth + 1);
                continue;
            }
            if (IsOffsetTag(tag))
                continue;
            if (std::optional<std::vector<std::uint8_t>> value = Value(entry, type, n))
                FProperties.Set(tag, type, static_cast<std::uint32_t>(value->size()), value->data());
        }
        return U32(offset + 2 + 12 * count);
    }

    // The codec shows the thumbnail IFD as its own items; only those a saved file must
    // drop matter here: the compression and the thumbnail's bytes.
    void ReadThumbnailIfd(std::uint32_t offset)
    {
        if (!Fits(offset, 2) || !FVisited.insert(offset).second)
            return;
        const std::size_t count = U16(offset);
        if (count > MaxIfdEntries || !Fits(offset + 2, 12 * count))
            return;
        std::uint32_t dataAt = 0;
        std::uint32_t dataLength = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t entry = offset + 2 + 12 * i;
            const std::uint16_t tag = U16(entry);
            const std::uint16_t type = U16(entry + 2);
            const std::uint32_t value = type == exifShort ? U16(entry + 8) : U32(entry + 8);
            if (tag == TagThumbnailOffset)
                dataAt = value;
            else if (tag == TagThumbnailLength)
                dataLength = value;
            else if (tag == 0x0103 && type == exifShort) {
                const std::uint16_t compression = U16(entry + 8);
                FProperties.Set(PropThumbnailCompression, exifShort, 2, &compression);
            }
        }
        if (dataLength > 0 && Fits(dataAt, dataLength))
            FProperties.Set(ExifTagThumbnailData, exifByte, dataLength, FBlock.data() + dataAt);
    }

    std::span<const std::uint8_t> FBlock;
    TVxCustomProperties& FProperties;
    bool FBigEndian = false;
    std::set<std::uint32_t> FVisited;
};

// ---------------------------------------------------------------- containers

constexpr std::uint8_t ExifIdentifier[6] = {'E', 'x', 'i', 'f', 0, 0};
constexpr std::uint8_t PngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

struct TJpegSegment {
    std::size_t Start = 0; // the marker's 0xFF
    std::size_t End = 0;   // one past the segment
    std::uint8_t Marker = 0;
};

bool IsExifSegment(std::span<const std::uint8_t> jpeg, const TJpegSegment& s)
{
    return s.Marker == 0xE1 && s.End - s.Start >= 10 && std::memcmp(jpeg.data() + s.Start + 4, ExifIdentifier, 6) == 0;
}

// The header segments between SOI and the first scan; false when the file is not a JPEG
// stream or a segment runs past its end. scanStart is where the first SOS begins.
bool JpegHeaderSegments(std::span<const std::uint8_t> jpeg, std::vector<TJpegSegment>& segments, std::size_t& scanStart)
{
    if (jpeg.size() < 4 || jpeg[0] != 0xFF || jpeg[1] != 0xD8)
        return false;
    std::size_t at = 2;
    while (at + 4 <= jpeg.size()) {
        if (jpeg[at] != 0xFF)
            return false;
        const std::uint8_t marker = jpeg[at + 1];
        if (marker == 0xFF) {
            ++at; // fill byte
            continue;
        }
        if (marker == 0xDA || marker == 0xD9) {
            scanStart = at;
            return true;
        }
        const std::size_t length = std::size_t{jpeg[at + 2]} << 8 | jpeg[at + 3];
        if (length < 2 || at + 2 + length > jpeg.size())
            return false;
        segments.push_back({at, at + 2 + length, marker});
        at += 2 + length;
    }
    return false;
}

std::uint32_t BigEndian32(const std::uint8_t* p)
{
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

void PutBigEndian32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(v >> shift));
}

struct TPngChunk {
    std::size_t Start = 0;
    std::size_t End = 0;
    char Type[5] = {};
    std::size_t DataStart() const { return Start + 8; }
    std::size_t DataEnd() const { return End - 4; }
};

bool PngChunks(std::span<const std::uint8_t> png, std::vector<TPngChunk>& chunks)
{
    if (png.size() < 8 || std::memcmp(png.data(), PngSignature, 8) != 0)
        return false;
    std::size_t at = 8;
    while (at + 12 <= png.size()) {
        const std::uint64_t length = BigEndian32(png.data() + at);
        if (length > png.size() - at - 12)
            return false;
        TPngChunk chunk;
        chunk.Start = at;
        chunk.End = at + 12 + static_cast<std::size_t>(length);
        std::memcpy(chunk.Type, png.data() + at + 4, 4);
        chunks.push_back(chunk);
        at = chunk.End;
        if (std::strcmp(chunk.Type, "IEND") == 0)
            return true;
    }
    return false;
}

} // namespace

bool IsThumbnailProperty(std::uint32_t identifier)
{
    return (identifier >= 0x5012 && identifier <= 0x5019) || (identifier >= 0x501B && identifier <= 0x503B);
}

void RemoveThumbnailProperties(TVxCustomProperties& properties)
{
    std::vector<std::uint32_t> doomed;
    for (int i = 0; i < properties.Count(); ++i)
        if (IsThumbnailProperty(properties.Item(i).Identifier))
            doomed.push_back(properties.Item(i).Identifier);
    for (std::uint32_t id : doomed)
        while (properties.IndexOf(id) >= 0)
            properties.Delete(id);
}

std::vector<std::uint8_t> BuildExifBlock(const TVxCustomProperties& properties)
{
    std::vector<TEntry> main, exif, gps;
    for (int i = 0; i < properties.Count(); ++i) {
        const TVxPropertyRecord& record = properties.Item(i);
        const TIfdKind kind = KindOf(record.Identifier);
        const std::uint32_t typeSize = TypeSize(record.Type);
        const std::size_t size = std::min<std::size_t>(record.Size, record.Value.size());
        if (kind == TIfdKind::Skip || typeSize == 0 || size == 0 || size % typeSize != 0)
            continue;
        TEntry entry{static_cast<std::uint16_t>(record.Identifier), static_cast<std::uint16_t>(record.Type),
                     static_cast<std::uint32_t>(size / typeSize),
                     std::vector<std::uint8_t>(record.Value.begin(), record.Value.begin() + static_cast<std::ptrdiff_t>(size))};
        (kind == TIfdKind::Main ? main : kind == TIfdKind::Exif ? exif : gps).push_back(std::move(entry));
    }
    if (main.empty() && exif.empty() && gps.empty())
        return {};
    // Pointers are placed first with dummy offsets so the main IFD's size is final.
    if (!exif.empty())
        main.push_back(PointerEntry(TagExifIfd, 0));
    if (!gps.empty())
        main.push_back(PointerEntry(TagGpsIfd, 0));
    SortByTag(main);
    SortByTag(exif);
    SortByTag(gps);
    const std::size_t exifAt = 8 + IfdSize(main);
    const std::size_t gpsAt = exifAt + (exif.empty() ? 0 : IfdSize(exif));
    for (TEntry& e : main)
        if (e.Tag == TagExifIfd || e.Tag == TagGpsIfd)
            e = PointerEntry(e.Tag, static_cast<std::uint32_t>(e.Tag == TagExifIfd ? exifAt : gpsAt));

    std::vector<std::uint8_t> block = {'I', 'I', 42, 0, 8, 0, 0, 0};
    WriteIfd(block, main);
    if (!exif.empty())
        WriteIfd(block, exif);
    if (!gps.empty())
        WriteIfd(block, gps);
    return block;
}

bool ParseExifBlock(std::span<const std::uint8_t> block, TVxCustomProperties& properties)
{
    return TTiffReader(block, properties).Read();
}

std::optional<std::span<const std::uint8_t>> FindJpegExif(std::span<const std::uint8_t> jpeg)
{
    std::vector<TJpegSegment> segments;
    std::size_t scanStart = 0;
    if (!JpegHeaderSegments(jpeg, segments, scanStart))
        return std::nullopt;
    for (const TJpegSegment& s : segments)
        if (IsExifSegment(jpeg, s))
            return jpeg.subspan(s.Start + 10, s.End - s.Start - 10);
    return std::nullopt;
}

std::optional<std::span<const std::uint8_t>> FindPngExif(std::span<const std::uint8_t> png)
{
    std::vector<TPngChunk> chunks;
    if (!PngChunks(png, chunks))
        return std::nullopt;
    for (const TPngChunk& c : chunks)
        if (std::strcmp(c.Type, "eXIf") == 0)
            return png.subspan(c.DataStart(), c.DataEnd() - c.DataStart());
    return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> SpliceJpegExif(std::span<const std::uint8_t> jpeg,
                                                        std::span<const std::uint8_t> block)
{
    // A segment length is 16 bits and counts itself and the identifier.
    if (block.size() > 0xFFFF - 2 - 6)
        return std::nullopt;
    std::vector<TJpegSegment> segments;
    std::size_t scanStart = 0;
    if (!JpegHeaderSegments(jpeg, segments, scanStart))
        return std::nullopt;
    std::vector<std::uint8_t> out(jpeg.begin(), jpeg.begin() + 2);
    std::size_t next = 0;
    // A JFIF header keeps its place right after SOI, where its readers look for it.
    if (!segments.empty() && segments[0].Marker == 0xE0) {
        out.insert(out.end(), jpeg.begin() + 2, jpeg.begin() + static_cast<std::ptrdiff_t>(segments[0].End));
        next = 1;
    }
    if (!block.empty()) {
        const std::size_t length = block.size() + 8;
        out.insert(out.end(), {0xFF, 0xE1, static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length)});
        out.insert(out.end(), ExifIdentifier, ExifIdentifier + 6);
        out.insert(out.end(), block.begin(), block.end());
    }
    for (std::size_t i = next; i < segments.size(); ++i)
        if (!IsExifSegment(jpeg, segments[i]))
            out.insert(out.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(segments[i].Start),
                       jpeg.begin() + static_cast<std::ptrdiff_t>(segments[i].End));
    out.insert(out.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(scanStart), jpeg.end());
    return out;
}

std::optional<std::vector<std::uint8_t>> SplicePngExif(std::span<const std::uint8_t> png,
                                                       std::span<const std::uint8_t> block)
{
    if (block.size() > 0x7FFFFFFF)
        return std::nullopt;
    std::vector<TPngChunk> chunks;
    if (!PngChunks(png, chunks))
        return std::nullopt;
    std::vector<std::uint8_t> out(png.begin(), png.begin() + 8);
    bool inserted = block.empty();
    for (const TPngChunk& c : chunks) {
        if (std::strcmp(c.Type, "eXIf") == 0)
            continue;
        if (!inserted && (std::strcmp(c.Type, "IDAT") == 0 || std::strcmp(c.Type, "IEND") == 0)) {
            PutBigEndian32(out, static_cast<std::uint32_t>(block.size()));
            const std::size_t typeAt = out.size();
            out.insert(out.end(), {'e', 'X', 'I', 'f'});
            out.insert(out.end(), block.begin(), block.end());
            const uLong crc = crc32(crc32(0, nullptr, 0), out.data() + typeAt, static_cast<uInt>(out.size() - typeAt));
            PutBigEndian32(out, static_cast<std::uint32_t>(crc));
            inserted = true;
        }
        out.insert(out.end(), png.begin() + static_cast<std::ptrdiff_t>(c.Start), png.begin() + static_cast<std::ptrdiff_t>(c.End));
    }
    return out;
}

namespace {

struct TTiffEditor {
    std::span<std::uint8_t> Bytes;
    bool Motorola = false;

    bool Has(std::size_t offset, std::size_t size) const { return offset <= Bytes.size() && size <= Bytes.size() - offset; }
    std::uint16_t U16(std::size_t at) const
    {
        return Motorola ? static_cast<std::uint16_t>(Bytes[at] << 8 | Bytes[at + 1])
                        : static_cast<std::uint16_t>(Bytes[at + 1] << 8 | Bytes[at]);
    }
    std::uint32_t U32(std::size_t at) const
    {
        return Motorola ? std::uint32_t{U16(at)} << 16 | U16(at + 2) : std::uint32_t{U16(at + 2)} << 16 | U16(at);
    }
    void Put16(std::size_t at, std::uint16_t value)
    {
        Bytes[at + (Motorola ? 0 : 1)] = static_cast<std::uint8_t>(value >> 8);
        Bytes[at + (Motorola ? 1 : 0)] = static_cast<std::uint8_t>(value);
    }
    void Put32(std::size_t at, std::uint32_t value)
    {
        Put16(at + (Motorola ? 0 : 2), static_cast<std::uint16_t>(value >> 16));
        Put16(at + (Motorola ? 2 : 0), static_cast<std::uint16_t>(value));
    }
};

// IFD0's offset and entry count, when the header and the directory lie inside the block.
std::optional<TTiffEditor> OpenTiff(std::span<std::uint8_t> tiff, std::size_t& ifd0, std::uint16_t& count)
{
    if (tiff.size() < 8)
        return std::nullopt;
    TTiffEditor reader{tiff, tiff[0] == 'M'};
    if (!((tiff[0] == 'I' && tiff[1] == 'I') || (tiff[0] == 'M' && tiff[1] == 'M')) || reader.U16(2) != 42)
        return std::nullopt;
    ifd0 = reader.U32(4);
    if (!reader.Has(ifd0, 2))
        return std::nullopt;
    count = reader.U16(ifd0);
    if (!reader.Has(ifd0 + 2, static_cast<std::size_t>(count) * 12 + 4))
        return std::nullopt;
    return reader;
}

} // namespace

bool SetExifOrientation(std::span<std::uint8_t> tiff, std::uint16_t orientation)
{
    std::size_t ifd0 = 0;
    std::uint16_t count = 0;
    std::optional<TTiffEditor> reader = OpenTiff(tiff, ifd0, count);
    if (!reader)
        return false;
    for (std::uint16_t i = 0; i < count; ++i) {
        const std::size_t entry = ifd0 + 2 + static_cast<std::size_t>(i) * 12;
        // SHORT, count 1: the value sits in the entry itself, at its first two bytes.
        if (reader->U16(entry) == 0x0112 && reader->U16(entry + 2) == 3 && reader->U32(entry + 4) == 1) {
            reader->Put16(entry + 8, orientation);
            return true;
        }
    }
    return false;
}

bool UnlinkExifThumbnail(std::span<std::uint8_t> tiff)
{
    std::size_t ifd0 = 0;
    std::uint16_t count = 0;
    std::optional<TTiffEditor> reader = OpenTiff(tiff, ifd0, count);
    if (!reader)
        return false;
    reader->Put32(ifd0 + 2 + static_cast<std::size_t>(count) * 12, 0);
    return true;
}
