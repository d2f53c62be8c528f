#pragma once
// What the JPEG object's tests share: pictures as PPM files for the peer programs, decoded
// pictures as pixel buffers, and MCU-aware comparisons.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "editor/VxJPEG.h"
#include "imaging/VxBitmap.h"

inline std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFileBytes(const std::filesystem::path& p, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A 24-bit picture as binary PPM (RGB), the peer programs' input.
inline void WritePpm(const std::filesystem::path& p, const TVxPixels& picture)
{
    std::ofstream out(p, std::ios::binary);
    out << "P6\n" << picture.Width() << " " << picture.Height() << "\n255\n";
    for (std::int32_t y = 0; y < picture.Height(); ++y) {
        const std::uint8_t* row = picture.Row(y);
        for (std::int32_t x = 0; x < picture.Width(); ++x)
            out.put(static_cast<char>(row[x * 3 + 2])).put(static_cast<char>(row[x * 3 + 1])).put(static_cast<char>(row[x * 3]));
    }
}

// A PPM (P6) or PGM (P5) file as a 24-bit B,G,R picture; grey becomes three equal channels.
inline bool ReadPnm(const std::filesystem::path& p, TVxPixelBuffer& picture)
{
    std::ifstream in(p, std::ios::binary);
    std::string magic;
    int width = 0, height = 0, maximum = 0;
    if (!(in >> magic >> width >> height >> maximum) || (magic != "P6" && magic != "P5") || maximum != 255)
        return false;
    in.get();
    const int channels = magic == "P6" ? 3 : 1;
    picture.SetFormatAndBounds(fmtBGR24, TRect{0, 0, width, height});
    std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * channels);
    for (int y = 0; y < height; ++y) {
        if (!in.read(reinterpret_cast<char*>(row.data()), static_cast<std::streamsize>(row.size())))
            return false;
        std::uint8_t* target = picture.Row(y);
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* s = row.data() + x * channels;
            target[x * 3] = s[channels == 3 ? 2 : 0];
            target[x * 3 + 1] = s[channels == 3 ? 1 : 0];
            target[x * 3 + 2] = s[0];
        }
    }
    return true;
}

// Loads a JPEG stream into the object and decodes it into picture.
inline bool DecodeInto(TVxJPEG& jpeg, std::vector<std::uint8_t> stream, TVxPixelBuffer& picture)
{
    if (!jpeg.LoadFromMemory(std::move(stream)))
        return false;
    picture.SetFormatAndBounds(fmtBGR24, TRect{0, 0, jpeg.Width(), jpeg.Height()});
    return jpeg.Decode(picture.Row(0), picture.Stride());
}

inline std::optional<std::vector<std::uint8_t>> SavePixels(TVxJPEG& jpeg, const TVxPixels& pixels, const TRect& rect,
                                                          const TVxJPEGSaveParameters& parameters = {})
{
    const std::uint8_t* first = pixels.PixelAddress(rect.Left, rect.Top);
    jpeg.SetRect(rect.Left, rect.Top, rect.Right, rect.Bottom);
    jpeg.SetPixels(&first, pixels.Stride(), 0, 0);
    return jpeg.SaveToMemory(parameters);
}
