#pragma once
// Camera-style property items and tiny encoded files, built in code.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <zlib.h>

#include "editor/VxExif.h"

inline void SetAscii(TVxCustomProperties& p, std::uint32_t id, const std::string& text)
{
    p.Set(id, exifAscii, static_cast<std::uint32_t>(text.size() + 1), text.c_str());
}

inline void SetShort(TVxCustomProperties& p, std::uint32_t id, std::uint16_t value) { p.Set(id, exifShort, 2, &value); }

inline void SetRational(TVxCustomProperties& p, std::uint32_t id, std::uint32_t num, std::uint32_t den)
{
    const std::uint32_t v[2] = {num, den};
    p.Set(id, exifRational, 8, v);
}

// What a camera's file shows through the codec: main, EXIF and GPS items and the
// embedded thumbnail's items.
inline void CameraProperties(TVxCustomProperties& p)
{
    SetAscii(p, ExifTagMake, "Kestrel");
    SetAscii(p, ExifTagModel, "K-24 Mark II");
    SetAscii(p, ExifTagDateTime, "2024:05:17 10:42:07");
    SetShort(p, 0x0112, 1);                       // orientation
    SetRational(p, 0x011A, 300, 1);               // x resolution
    SetRational(p, 0x829A, 1, 250);               // exposure time
    SetAscii(p, 0x9003, "2024:05:17 10:42:07");   // date taken
    SetShort(p, 0x8827, 400);                     // ISO
    SetAscii(p, 0x0001, "N");                     // GPS latitude ref
    SetShort(p, 0x5023, 6);                       // thumbnail compression
    const std::uint8_t thumb[] = {0xFF, 0xD8, 0xFF, 0xD9, 1, 2, 3};
    p.Set(ExifTagThumbnailData, exifByte, sizeof thumb, thumb);
    SetShort(p, 0x5013, 160);                     // thumbnail width
    SetShort(p, 0x501A, 2);                       // kept on save
}

// SOI, APP0 "JFIF", DQT, SOS, entropy bytes, EOI: enough structure for the splicer.
inline std::vector<std::uint8_t> TinyJpegStream()
{
    std::vector<std::uint8_t> j = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0};
    j.insert(j.end(), {0xFF, 0xDB, 0x00, 0x04, 0x00, 0x01});
    j.insert(j.end(), {0xFF, 0xDA, 0x00, 0x03, 0x00, 0x12, 0x34, 0xFF, 0x00, 0x56, 0xFF, 0xD9});
    return j;
}

inline void PngChunk(std::vector<std::uint8_t>& png, const char* type, const std::vector<std::uint8_t>& data)
{
    const auto n = static_cast<std::uint32_t>(data.size());
    png.insert(png.end(), {std::uint8_t(n >> 24), std::uint8_t(n >> 16), std::uint8_t(n >> 8), std::uint8_t(n)});
    const std::size_t typeAt = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    const uLong crc = crc32(0, png.data() + typeAt, static_cast<uInt>(4 + data.size()));
    png.insert(png.end(), {std::uint8_t(crc >> 24), std::uint8_t(crc >> 16), std::uint8_t(crc >> 8), std::uint8_t(crc)});
}

// A valid 1 x 1 grey PNG.
inline std::vector<std::uint8_t> TinyPng()
{
    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PngChunk(png, "IHDR", {0, 0, 0, 1, 0, 0, 0, 1, 8, 0, 0, 0, 0});
    const std::uint8_t raw[2] = {0, 0x80};
    std::vector<std::uint8_t> packed(64);
    uLongf size = packed.size();
    compress(packed.data(), &size, raw, 2);
    packed.resize(size);
    PngChunk(png, "IDAT", packed);
    PngChunk(png, "IEND", {});
    return png;
}
