#include "separation/AlphaChanal.h"

#include <algorithm>
#include <cmath>
#include <cwctype>
#include <fstream>
#include <istream>
#include <optional>
#include <ostream>
#include <system_error>

#include <zlib.h>

#include "imaging/VxBitmap.h"

namespace {

// Whitespace-separated decimal integers, the way the matte text is read: line ends are
// only separators. Anything that is not a plain integer of at most 18 digits, ended by
// white space, fails.
class TIntegerReader {
public:
    explicit TIntegerReader(std::istream& stream) : FBuffer(stream.rdbuf()) {}

    std::optional<std::int64_t> Next()
    {
        if (!FBuffer)
            return std::nullopt;
        int c = SkipSpace();
        bool negative = false;
        if (c == '-' || c == '+') {
            negative = c == '-';
            c = Advance();
        }
        std::int64_t value = 0;
        int digits = 0;
        for (; c >= '0' && c <= '9'; c = Advance()) {
            if (++digits > 18)
                return std::nullopt;
            value = value * 10 + (c - '0');
        }
        // Every number of the text is followed by a space or a line end; one that runs
        // into the end of the text was cut short.
        if (digits == 0 || !IsSpace(c))
            return std::nullopt;
        return negative ? -value : value;
    }

    std::optional<std::int64_t> NextInRange(std::int64_t low, std::int64_t high)
    {
        const std::optional<std::int64_t> value = Next();
        if (!value || *value < low || *value > high)
            return std::nullopt;
        return value;
    }

private:
    static bool IsSpace(int c) { return c == ' ' || c == '\r' || c == '\n' || c == '\t'; }
    int Advance()
    {
        FBuffer->sbumpc();
        return FBuffer->sgetc();
    }
    int SkipSpace()
    {
        int c = FBuffer->sgetc();
        while (IsSpace(c))
            c = Advance();
        return c;
    }

    std::streambuf* FBuffer;
};

bool FitsLimits(std::int64_t width, std::int64_t height, std::uint64_t maxArea)
{
    return width >= 0 && height >= 0 && width <= MaxAlphaSide && height <= MaxAlphaSide &&
           static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) <= std::min(maxArea, MaxAlphaArea);
}

// The values of a w x h matte, column by column. The grid grows with the values
// actually present, so a header that promises more than the text holds allocates
// nothing beyond what was read.
bool ReadValues(TIntegerReader& reader, std::int32_t width, std::int32_t height, TAlphaChanal& matte)
{
    const std::uint64_t count = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    std::vector<std::uint8_t> values;
    values.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(count, 1u << 20)));
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::optional<std::int64_t> value = reader.NextInRange(0, 255);
        if (!value)
            return false;
        values.push_back(static_cast<std::uint8_t>(*value));
    }
    matte.SetSize(width, height);
    for (std::int32_t x = 0; x < width; ++x)
        std::copy_n(values.data() + static_cast<std::size_t>(x) * static_cast<std::size_t>(height), height,
                    matte.Column(x));
    return true;
}

} // namespace

void TAlphaChanal::SetSize(std::int32_t width, std::int32_t height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    FValues.assign(CheckedGridCount(width, height, 1), 0);
    FWidth = width;
    FHeight = height;
}

void TAlphaChanal::Erase()
{
    std::fill(FValues.begin(), FValues.end(), std::uint8_t{0});
}

// (s + 2) / 5 is s / 5 rounded to nearest; s / 5 never ends in exactly .5.
void TAlphaChanal::Soften()
{
    std::vector<std::uint8_t> softened(FValues.size());
    for (std::int32_t x = 0; x < FWidth; ++x) {
        const std::uint8_t* column = Column(x);
        const std::uint8_t* left = x > 0 ? Column(x - 1) : nullptr;
        const std::uint8_t* right = x < FWidth - 1 ? Column(x + 1) : nullptr;
        std::uint8_t* target = softened.data() + Index(x, 0);
        for (std::int32_t y = 0; y < FHeight; ++y) {
            int s = column[y];
            if (left)
                s += left[y];
            if (right)
                s += right[y];
            if (y > 0)
                s += column[y - 1];
            if (y < FHeight - 1)
                s += column[y + 1];
            target[y] = static_cast<std::uint8_t>((s + 2) / 5);
        }
    }
    FValues = std::move(softened);
}

// Within a column the farthest opaque cell from the centre is its first or its last
// one, so only those are measured. Margins are kept at 0 or more: a matte whose outer
// rows and columns are transparent would otherwise get a negative margin, and the
// loader would place its values outside the grid.
void TAlphaChanal::ComputeMargins()
{
    const double centreX = (FWidth - 1) / 2.0;
    const double centreY = (FHeight - 1) / 2.0;
    double largest = 0.0; // squared distance
    for (std::int32_t x = 0; x < FWidth; ++x) {
        const std::uint8_t* column = Column(x);
        std::int32_t first = 0;
        while (first < FHeight && column[first] == 0)
            ++first;
        if (first == FHeight)
            continue;
        std::int32_t last = FHeight - 1;
        while (column[last] == 0)
            --last;
        const double dx = x - centreX;
        for (std::int32_t y : {first, last}) {
            const double dy = y - centreY;
            largest = std::max(largest, dx * dx + dy * dy);
        }
    }
    const double d = std::sqrt(largest);
    FMarginX = std::max(0, static_cast<std::int32_t>(-std::floor(centreX - d)));
    FMarginY = std::max(0, static_cast<std::int32_t>(-std::floor(centreY - d)));
}

void TAlphaChanal::SaveToStream(std::ostream& stream)
{
    ComputeMargins();
    std::string text = "2\r\n" + std::to_string(FMarginX) + "\r\n" + std::to_string(FMarginY) + "\r\n" +
                       std::to_string(FWidth) + "\r\n" + std::to_string(FHeight) + "\r\n";
    stream.write(text.data(), static_cast<std::streamsize>(text.size()));
    for (std::int32_t x = 0; x < FWidth; ++x) {
        text.clear();
        const std::uint8_t* column = Column(x);
        for (std::int32_t y = 0; y < FHeight; ++y) {
            text += std::to_string(column[y]);
            text += ' ';
        }
        text += "\r\n";
        stream.write(text.data(), static_cast<std::streamsize>(text.size()));
    }
}

bool TAlphaChanal::SaveToFile(const std::filesystem::path& name)
{
    std::ofstream file(name, std::ios::binary | std::ios::trunc);
    if (!file)
        return false;
    SaveToStream(file);
    file.flush();
    return static_cast<bool>(file);
}

void TAlphaChanal::PlaceInto(TAlphaChanal& padded, std::int32_t marginX, std::int32_t marginY) const
{
    padded.SetSize(FWidth + 2 * marginX, FHeight + 2 * marginY);
    padded.FMarginX = marginX;
    padded.FMarginY = marginY;
    for (std::int32_t x = 0; x < FWidth; ++x)
        std::copy_n(Column(x), FHeight, padded.Column(x + marginX) + marginY);
}

namespace {

struct TMatteHeader {
    std::int64_t Version = 0;
    std::int64_t MarginX = 0;
    std::int64_t MarginY = 0;
    std::int64_t Width = 0;
    std::int64_t Height = 0;
};

// Version 2 carries its margins; the others keep the margins the matte already has.
std::optional<TMatteHeader> ReadHeader(TIntegerReader& reader, std::int32_t marginX, std::int32_t marginY)
{
    TMatteHeader header;
    const std::optional<std::int64_t> version = reader.Next();
    if (!version)
        return std::nullopt;
    header.Version = *version;
    header.MarginX = marginX;
    header.MarginY = marginY;
    if (header.Version == 2) {
        const std::optional<std::int64_t> x = reader.NextInRange(0, MaxAlphaObjectSide);
        const std::optional<std::int64_t> y = reader.NextInRange(0, MaxAlphaObjectSide);
        if (!x || !y)
            return std::nullopt;
        header.MarginX = *x;
        header.MarginY = *y;
    }
    const std::optional<std::int64_t> width = reader.NextInRange(0, MaxAlphaObjectSide);
    const std::optional<std::int64_t> height = reader.NextInRange(0, MaxAlphaObjectSide);
    if (!width || !height)
        return std::nullopt;
    header.Width = *width;
    header.Height = *height;
    return header;
}

} // namespace

bool TAlphaChanal::LoadFromStream(std::istream& stream, std::uint64_t maxArea)
{
    TIntegerReader reader(stream);
    std::optional<TMatteHeader> header = ReadHeader(reader, FMarginX, FMarginY);
    if (!header || !FitsLimits(header->Width, header->Height, maxArea))
        return false;
    const std::int32_t width = static_cast<std::int32_t>(header->Width);
    const std::int32_t height = static_cast<std::int32_t>(header->Height);
    TAlphaChanal plain;
    if (header->Version == 1 || header->Version == 2) {
        if (!ReadValues(reader, width, height, plain))
            return false;
        if (header->Version == 1) {
            plain.ComputeMargins();
            header->MarginX = plain.FMarginX;
            header->MarginY = plain.FMarginY;
        }
    } else {
        // Another version carries no values: a transparent grid of its size.
        plain.SetSize(width, height);
    }
    if (!FitsLimits(header->Width + 2 * header->MarginX, header->Height + 2 * header->MarginY, maxArea))
        return false;
    TAlphaChanal padded;
    plain.PlaceInto(padded, static_cast<std::int32_t>(header->MarginX), static_cast<std::int32_t>(header->MarginY));
    *this = std::move(padded);
    return true;
}

bool TAlphaChanal::LoadFromFile(const std::filesystem::path& name)
{
    std::ifstream file(name, std::ios::binary);
    return file && LoadFromStream(file);
}

std::filesystem::path ScratchFileName(const std::filesystem::path& folder)
{
    return folder / "temp.tmp";
}

namespace {

bool IsThumbnailName(const std::wstring& name)
{
    if (name.size() != 10 || name[6] != L'.')
        return false;
    std::wstring extension = name.substr(7);
    for (wchar_t& c : extension)
        c = static_cast<wchar_t>(std::towlower(c));
    return extension == L"tmb";
}

bool IsNumericId(const std::wstring& name)
{
    return std::all_of(name.begin(), name.begin() + 6, [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

template <typename TVisit> void ForEachThumbnail(const std::filesystem::path& folder, TVisit visit)
{
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::wstring name = it->path().filename().wstring();
        if (IsThumbnailName(name))
            visit(name);
    }
}

} // namespace

// Names are compared as strings, starting from "000000.alp". Only six-digit names take
// part: a foreign "abcdef.tmb" would otherwise become the newest identifier and could
// not be turned into the next number.
std::wstring NewestObjectId(const std::filesystem::path& folder)
{
    std::wstring newest = L"000000.alp";
    ForEachThumbnail(folder, [&newest](const std::wstring& name) {
        if (IsNumericId(name) && name > newest)
            newest = name;
    });
    return newest.substr(0, 6);
}

std::wstring NextObjectId(const std::filesystem::path& folder)
{
    const std::wstring id = std::to_wstring(std::stol(NewestObjectId(folder)) + 1);
    return id.size() >= 6 ? id : std::wstring(6 - id.size(), L'0') + id;
}

void DeleteObject(const std::wstring& id, const std::filesystem::path& folder)
{
    for (const wchar_t* extension : {L".tmb", L".alp", L".jpg", L".png"}) {
        std::error_code ignored;
        std::filesystem::remove(folder / (id + extension), ignored);
    }
}

std::vector<std::wstring> ObjectIds(const std::filesystem::path& folder)
{
    std::vector<std::wstring> ids;
    ForEachThumbnail(folder, [&ids](const std::wstring& name) { ids.push_back(name.substr(0, 6)); });
    return ids;
}

namespace {

constexpr std::size_t ZChunk = 16384;

class TDeflater {
public:
    TDeflater() { FReady = deflateInit(&FStream, Z_BEST_COMPRESSION) == Z_OK; }
    ~TDeflater()
    {
        if (FReady)
            deflateEnd(&FStream);
    }
    TDeflater(const TDeflater&) = delete;
    TDeflater& operator=(const TDeflater&) = delete;
    bool Ready() const { return FReady; }
    z_stream& Stream() { return FStream; }

private:
    z_stream FStream{};
    bool FReady = false;
};

class TInflater {
public:
    TInflater() { FReady = inflateInit(&FStream) == Z_OK; }
    ~TInflater()
    {
        if (FReady)
            inflateEnd(&FStream);
    }
    TInflater(const TInflater&) = delete;
    TInflater& operator=(const TInflater&) = delete;
    bool Ready() const { return FReady; }
    z_stream& Stream() { return FStream; }

private:
    z_stream FStream{};
    bool FReady = false;
};

std::size_t ReadChunk(std::istream& source, unsigned char* buffer, std::size_t size)
{
    source.read(reinterpret_cast<char*>(buffer), static_cast<std::streamsize>(size));
    return static_cast<std::size_t>(source.gcount());
}

} // namespace

bool CompressStream(std::istream& source, std::ostream& destination)
{
    TDeflater deflater;
    if (!deflater.Ready())
        return false;
    z_stream& z = deflater.Stream();
    unsigned char input[ZChunk];
    unsigned char output[ZChunk];
    int flush = Z_NO_FLUSH;
    do {
        z.avail_in = static_cast<uInt>(ReadChunk(source, input, ZChunk));
        z.next_in = input;
        if (source.bad())
            return false;
        flush = source.eof() ? Z_FINISH : Z_NO_FLUSH;
        do {
            z.avail_out = ZChunk;
            z.next_out = output;
            if (deflate(&z, flush) == Z_STREAM_ERROR)
                return false;
            destination.write(reinterpret_cast<const char*>(output),
                              static_cast<std::streamsize>(ZChunk - z.avail_out));
        } while (z.avail_out == 0);
    } while (flush != Z_FINISH);
    return static_cast<bool>(destination);
}

// The stream must end properly: a truncated stream fails instead of yielding a shorter
// text, and data after the end of the stream is ignored.
bool DecompressStream(std::istream& source, std::ostream& destination, std::uint64_t maxBytes)
{
    TInflater inflater;
    if (!inflater.Ready())
        return false;
    z_stream& z = inflater.Stream();
    unsigned char input[ZChunk];
    unsigned char output[ZChunk];
    std::uint64_t written = 0;
    int status = Z_OK;
    while (status != Z_STREAM_END) {
        z.avail_in = static_cast<uInt>(ReadChunk(source, input, ZChunk));
        z.next_in = input;
        if (z.avail_in == 0)
            return false;
        do {
            z.avail_out = ZChunk;
            z.next_out = output;
            status = inflate(&z, Z_NO_FLUSH);
            if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR)
                return false;
            const std::size_t produced = ZChunk - z.avail_out;
            written += produced;
            if (written > maxBytes)
                return false;
            destination.write(reinterpret_cast<const char*>(output), static_cast<std::streamsize>(produced));
        } while (z.avail_out == 0 && status != Z_STREAM_END);
    }
    return static_cast<bool>(destination);
}

bool CompressFile(const std::filesystem::path& source, const std::filesystem::path& destination)
{
    std::ifstream input(source, std::ios::binary);
    if (!input)
        return false;
    std::ofstream output(destination, std::ios::binary | std::ios::trunc);
    if (!output || !CompressStream(input, output))
        return false;
    output.flush();
    return static_cast<bool>(output);
}

bool DecompressFile(const std::filesystem::path& source, const std::filesystem::path& destination)
{
    std::ifstream input(source, std::ios::binary);
    if (!input)
        return false;
    bool ok = false;
    {
        std::ofstream output(destination, std::ios::binary | std::ios::trunc);
        ok = output && DecompressStream(input, output);
        if (ok) {
            output.flush();
            ok = static_cast<bool>(output);
        }
    }
    if (!ok) {
        std::error_code ignored;
        std::filesystem::remove(destination, ignored);
    }
    return ok;
}
