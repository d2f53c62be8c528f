#include "paste/BGRWithAlpha.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstring>
#include <fstream>
#include <new>

#include "imaging/VxBitmap.h"
#include "imaging/VxMapping.h"
#include "imaging/VxRadialFilter.h"

namespace {

TObjectPictureDecoder& DefaultDecoder()
{
    static TObjectPictureDecoder decoder;
    return decoder;
}

// ---------------------------------------------------------------- PNG reading
//
// libpng reports errors by longjmp. Only the two functions that call setjmp run libpng,
// and neither holds an object with a destructor, so a jump skips no C++ clean-up. The
// memory the rows go into is taken by the caller in between.

struct TPngSource {
    const std::uint8_t* Data;
    std::size_t Size;
    std::size_t Position;
};

void ReadFromSource(png_structp png, png_bytep target, png_size_t count)
{
    auto* source = static_cast<TPngSource*>(png_get_io_ptr(png));
    if (count > source->Size - source->Position)
        png_error(png, "read past the end of the data");
    std::memcpy(target, source->Data + source->Position, count);
    source->Position += count;
}

void SilentWarning(png_structp, png_const_charp) {}

// The default handler prints to stderr before jumping; a bad file is an expected failure.
[[noreturn]] void SilentError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

struct TPngHeader {
    png_uint_32 Width = 0;
    png_uint_32 Height = 0;
    bool HasAlpha = false;
};

// Every PNG comes out as 8-bit blue, green, red, alpha; gamma is left as stored, so
// colours are those of the file's bytes.
bool ReadPngHeader(png_structp png, png_infop info, TPngHeader& header)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_info(png, info);
    const int colorType = png_get_color_type(png, info);
    header.HasAlpha = (colorType & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    if (colorType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && png_get_bit_depth(png, info) < 8)
        png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_tRNS_to_alpha(png);
    png_set_strip_16(png);
    png_set_bgr(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != static_cast<png_size_t>(png_get_image_width(png, info)) * 4)
        return false;
    header.Width = png_get_image_width(png, info);
    header.Height = png_get_image_height(png, info);
    return true;
}

bool ReadPngRows(png_structp png, png_infop info, png_bytepp rows)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_image(png, rows);
    png_read_end(png, info);
    return true;
}

class TPngReadStruct {
public:
    TPngReadStruct()
    {
        FPng = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, SilentError, SilentWarning);
        if (FPng)
            FInfo = png_create_info_struct(FPng);
    }
    ~TPngReadStruct() { png_destroy_read_struct(&FPng, FInfo ? &FInfo : nullptr, nullptr); }
    TPngReadStruct(const TPngReadStruct&) = delete;
    TPngReadStruct& operator=(const TPngReadStruct&) = delete;

    bool Valid() const { return FPng && FInfo; }
    png_structp Png() const { return FPng; }
    png_infop Info() const { return FInfo; }

private:
    png_structp FPng = nullptr;
    png_infop FInfo = nullptr;
};

bool SizeAllowed(png_uint_32 width, png_uint_32 height, std::uint64_t maxArea)
{
    if (width == 0 || height == 0 || width > static_cast<png_uint_32>(MaxAlphaSide) ||
        height > static_cast<png_uint_32>(MaxAlphaSide))
        return false;
    return static_cast<std::uint64_t>(width) * height <= maxArea && CheckedImageSize(width, height, 4).has_value();
}

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::filesystem::path& file)
{
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error || size > MaxPngFileBytes)
        return std::nullopt;
    std::ifstream stream(file, std::ios::binary);
    if (!stream)
        return std::nullopt;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    stream.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (static_cast<std::uintmax_t>(stream.gcount()) != size)
        return std::nullopt;
    return bytes;
}

std::uint32_t BytesToColor(const std::uint8_t* bytes)
{
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16;
}

} // namespace

void SetObjectPictureDecoder(TObjectPictureDecoder decoder)
{
    DefaultDecoder() = std::move(decoder);
}

const TObjectPictureDecoder& ObjectPictureDecoder()
{
    return DefaultDecoder();
}

std::optional<TPngPicture> ReadPng(std::span<const std::uint8_t> bytes, std::uint64_t maxArea)
{
    if (bytes.size() < 8 || png_sig_cmp(bytes.data(), 0, 8) != 0)
        return std::nullopt;
    TPngReadStruct reader;
    if (!reader.Valid())
        return std::nullopt;
    TPngSource source{bytes.data(), bytes.size(), 0};
    png_set_read_fn(reader.Png(), &source, ReadFromSource);
    // libpng refuses larger sizes itself before any row memory is taken.
    png_set_user_limits(reader.Png(), static_cast<png_uint_32>(MaxAlphaSide), static_cast<png_uint_32>(MaxAlphaSide));
    TPngHeader header;
    if (!ReadPngHeader(reader.Png(), reader.Info(), header) || !SizeAllowed(header.Width, header.Height, maxArea))
        return std::nullopt;

    TPngPicture picture;
    picture.Width = static_cast<std::int32_t>(header.Width);
    picture.Height = static_cast<std::int32_t>(header.Height);
    picture.HasAlpha = header.HasAlpha;
    picture.Bgra.resize(static_cast<std::size_t>(header.Width) * header.Height * 4);
    std::vector<png_bytep> rows(header.Height);
    for (std::size_t y = 0; y < rows.size(); ++y)
        rows[y] = picture.Bgra.data() + y * header.Width * 4;
    if (!ReadPngRows(reader.Png(), reader.Info(), rows.data()))
        return std::nullopt;
    return picture;
}

std::optional<TPngPicture> ReadPngFile(const std::filesystem::path& file, std::uint64_t maxArea)
{
    const std::optional<std::vector<std::uint8_t>> bytes = ReadWholeFile(file);
    if (!bytes)
        return std::nullopt;
    return ReadPng(*bytes, maxArea);
}

// ---------------------------------------------------------------- TBGRWithAlpha

void TBGRWithAlpha::SetSize(std::int32_t width, std::int32_t height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    const std::optional<std::size_t> bytes =
        CheckedImageSize(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), 3);
    if (!bytes)
        throw std::bad_alloc();
    std::vector<std::uint8_t> pixels(*bytes);
    FPixels.swap(pixels);
    FWidth = width;
    FHeight = height;
}

void TBGRWithAlpha::MakeBlank()
{
    SetSize(BlankObjectSide, BlankObjectSide);
    FAlpha.SetSize(BlankObjectSide, BlankObjectSide);
}

bool TBGRWithAlpha::Load(const std::filesystem::path& folder, const std::wstring& name, std::int32_t kind)
{
    FLoaded = true;
    if (name.empty()) {
        FAlpha.Erase();
        return true;
    }
    bool loaded = false;
    // Whatever goes wrong (files, zlib, libpng, memory), the object becomes blank.
    try {
        if (kind == ObjectKindMatte)
            loaded = LoadMatteObject(folder, name);
        else if (kind == ObjectKindPng) {
            const std::optional<TPngPicture> png = ReadPngFile(folder / (name + L".png"));
            if (png) {
                TakePng(*png);
                loaded = true;
            }
        }
    } catch (...) {
        loaded = false;
    }
    if (!loaded)
        MakeBlank();
    return loaded;
}

bool TBGRWithAlpha::LoadPng(std::span<const std::uint8_t> bytes, std::uint64_t maxArea)
{
    FLoaded = true;
    bool loaded = false;
    try {
        if (const std::optional<TPngPicture> png = ReadPng(bytes, maxArea)) {
            TakePng(*png);
            loaded = true;
        }
    } catch (...) {
        loaded = false;
    }
    if (!loaded)
        MakeBlank();
    return loaded;
}

bool TBGRWithAlpha::LoadMatteObject(const std::filesystem::path& folder, const std::wstring& name)
{
    const std::filesystem::path scratch = ScratchFileName(folder);
    if (!DecompressFile(folder / (name + L".alp"), scratch) || !FAlpha.LoadFromFile(scratch))
        return false;
    SetSize(FAlpha.Width(), FAlpha.Height());
    const TObjectPictureDecoder& decoder = FDecoder ? FDecoder : ObjectPictureDecoder();
    TVxLTBitmap picture;
    if (decoder && decoder(folder / (name + L".jpg"), picture) && picture.GetPixels())
        PlacePicture(*picture.GetPixels(), FAlpha.MarginX(), FAlpha.MarginY());
    return true;
}

// The colour picture is the object's bounding rectangle and the matte is that rectangle
// padded by its margins, so the picture lands at the margins. A picture larger than the
// matte (a mismatched or replaced file) is clipped to the grid instead of written past it.
void TBGRWithAlpha::PlacePicture(const TVxPixels& picture, std::int32_t offsetX, std::int32_t offsetY)
{
    if (picture.Format() != fmtBGR24 || !picture.Data())
        return;
    const std::int32_t firstX = std::max(0, -offsetX);
    const std::int32_t lastX = std::min(picture.Width(), FWidth - offsetX);
    const std::int32_t firstY = std::max(0, -offsetY);
    const std::int32_t lastY = std::min(picture.Height(), FHeight - offsetY);
    for (std::int32_t x = firstX; x < lastX; ++x) {
        std::uint8_t* column = Pixel(x + offsetX, 0);
        for (std::int32_t y = firstY; y < lastY; ++y) {
            const std::uint8_t* source = picture.PixelAddress(picture.Left() + x, picture.Top() + y);
            std::memcpy(column + static_cast<std::size_t>(y + offsetY) * 3, source, 3);
        }
    }
}

void TBGRWithAlpha::TakePng(const TPngPicture& png)
{
    SetSize(png.Width, png.Height);
    FAlpha.SetSize(png.Width, png.Height);
    const std::size_t rowBytes = static_cast<std::size_t>(png.Width) * 4;
    for (std::int32_t x = 0; x < png.Width; ++x) {
        std::uint8_t* column = Pixel(x, 0);
        std::uint8_t* alpha = FAlpha.Column(x);
        const std::uint8_t* source = png.Bgra.data() + static_cast<std::size_t>(x) * 4;
        for (std::int32_t y = 0; y < png.Height; ++y, source += rowBytes) {
            std::memcpy(column + static_cast<std::size_t>(y) * 3, source, 3);
            alpha[y] = png.HasAlpha ? source[3] : 255;
        }
    }
}

bool TBGRWithAlpha::Contains(std::int32_t x, std::int32_t y) const
{
    // The matte may differ in size after SetSize; only cells both grids hold count.
    return x >= 0 && y >= 0 && x < FWidth && y < FHeight && x < FAlpha.Width() && y < FAlpha.Height();
}

TAlphaColor TBGRWithAlpha::PixelAt(std::int32_t x, std::int32_t y) const
{
    if (!Contains(x, y))
        return {};
    const std::uint8_t* pixel = Pixel(x, y);
    return {FAlpha.Value(x, y), static_cast<std::uint32_t>(pixel[2]) | static_cast<std::uint32_t>(pixel[1]) << 8 |
                                    static_cast<std::uint32_t>(pixel[0]) << 16};
}

std::uint32_t TBGRWithAlpha::Sample(std::int32_t filter, double x, double y, const std::uint8_t* background) const
{
    if (FMirrorX)
        x = (FWidth - 1) - x;
    if (FMirrorY)
        y = (FHeight - 1) - y;
    const std::uint32_t backgroundColor = BytesToColor(background);
    // An index outside the filter table means the quickest filter, as elsewhere.
    if (filter <= 0 || filter >= RadialFilterCount)
        return SampleNearest(x, y, backgroundColor);
    return SampleFiltered(filter, x, y, backgroundColor);
}

std::uint32_t TBGRWithAlpha::SampleNearest(double x, double y, std::uint32_t background) const
{
    // A position that is not a number would round to pixel 0.
    if (std::isnan(x) || std::isnan(y))
        return background;
    const std::int32_t i = RoundToInt(x);
    const std::int32_t j = RoundToInt(y);
    if (!Contains(i, j) || FAlpha.Value(i, j) < 128)
        return background;
    return BytesToColor(Pixel(i, j));
}

std::uint32_t TBGRWithAlpha::SampleFiltered(std::int32_t filter, double x, double y, std::uint32_t background) const
{
    TColorVector sum{};
    double alphaSum = 0.0;
    double total = 0.0;
    ForEachRadialTap(RadialFilter(filter), x, y, FWidth, FHeight, [&](std::int32_t i, std::int32_t j, double w) {
        const std::uint8_t* pixel = Pixel(i, j);
        for (int c = 0; c < 3; ++c)
            sum[c] += w * pixel[c];
        const std::uint8_t alpha = Contains(i, j) ? FAlpha.Value(i, j) : 0;
        alphaSum += w * alpha / 255.0;
        total += w;
    });
    if (total <= 0.0001)
        return background;
    const double a = alphaSum / total;
    const TColorVector under = ColorToVector(background);
    TColorVector result;
    for (int c = 0; c < 3; ++c)
        result[c] = sum[c] / total * a + under[c] * (1.0 - a);
    return VectorToColor(result);
}
