#pragma once
// A deterministic picture with the structure of a photograph: a smooth sky, textured
// ground with a horizon, a few objects with hard edges and fine sensor noise. Seam
// carving behaves very differently on flat, random and natural pictures; this one keeps
// seams wandering the way they do on real photographs.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>

namespace seambench {

inline std::uint32_t Hash(std::uint32_t x, std::uint32_t y, std::uint32_t seed)
{
    std::uint32_t h = x * 0x8DA6B343u ^ y * 0xD8163841u ^ seed * 0xCB1AB31Fu;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}

// Smooth value noise in [0, 1) with cells of `cell` pixels.
inline double ValueNoise(double x, double y, double cell, std::uint32_t seed)
{
    const double fx = x / cell;
    const double fy = y / cell;
    const auto ix = static_cast<std::uint32_t>(std::floor(fx));
    const auto iy = static_cast<std::uint32_t>(std::floor(fy));
    const double tx = fx - std::floor(fx);
    const double ty = fy - std::floor(fy);
    const double sx = tx * tx * (3 - 2 * tx);
    const double sy = ty * ty * (3 - 2 * ty);
    const auto corner = [&](std::uint32_t dx, std::uint32_t dy) {
        return (Hash(ix + dx, iy + dy, seed) >> 8) / 16777216.0;
    };
    const double top = corner(0, 0) + (corner(1, 0) - corner(0, 0)) * sx;
    const double bottom = corner(0, 1) + (corner(1, 1) - corner(0, 1)) * sx;
    return top + (bottom - top) * sy;
}

inline double Texture(double x, double y, double scale, std::uint32_t seed)
{
    return 0.55 * ValueNoise(x, y, scale, seed) + 0.3 * ValueNoise(x, y, scale / 4, seed + 1) +
           0.15 * ValueNoise(x, y, scale / 16, seed + 2);
}

inline std::uint8_t ToByte(double value)
{
    return static_cast<std::uint8_t>(std::clamp(value, 0.0, 255.0));
}

// Writes width x height pixels, bytes blue, green, red, rows `stride` bytes apart.
inline void PaintPhotoLike(std::uint8_t* bgr, std::ptrdiff_t stride, int width, int height)
{
    const double scale = std::max(width, height);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bgr + y * stride;
        for (int x = 0; x < width; ++x) {
            const double u = x / scale;
            const double v = y / scale;
            const double horizon = 0.42 * height / scale + 0.05 * (ValueNoise(x, 0, scale / 6, 9) - 0.5);
            double r;
            double g;
            double b;
            if (v < horizon) {
                const double cloud = ValueNoise(x, y, scale / 10, 3);
                b = 235 - 80 * v + 20 * cloud;
                g = 180 - 60 * v + 35 * cloud;
                r = 120 - 40 * v + 50 * cloud;
            } else {
                const double grass = Texture(x, y, scale / 12, 5);
                r = 60 + 90 * grass;
                g = 90 + 110 * grass;
                b = 40 + 50 * grass;
            }
            // Objects: a house-like box, a round tree top and a lake, each with its texture.
            if (u > 0.18 && u < 0.36 && v > horizon - 0.12 && v < horizon + 0.08) {
                const double brick = Texture(x, y, scale / 120, 11);
                r = 150 + 80 * brick;
                g = 80 + 40 * brick;
                b = 60 + 30 * brick;
            }
            const double du = u - 0.68;
            const double dv = v - (horizon - 0.06);
            if (du * du + dv * dv < 0.011) {
                const double leaves = Texture(x, y, scale / 60, 13);
                r = 20 + 60 * leaves;
                g = 70 + 120 * leaves;
                b = 20 + 40 * leaves;
            }
            if (v > horizon + 0.15 && std::abs(u - 0.5) < 0.25 + 0.05 * ValueNoise(x, y, scale / 20, 17)) {
                const double ripple = 0.5 + 0.5 * std::sin(y * 0.9 + 3 * ValueNoise(x, y, scale / 30, 19));
                r = 40 + 30 * ripple;
                g = 80 + 40 * ripple;
                b = 140 + 60 * ripple;
            }
            const double grain = (Hash(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y), 23) & 15) - 7.5;
            row[3 * x + 0] = ToByte(b + grain);
            row[3 * x + 1] = ToByte(g + grain);
            row[3 * x + 2] = ToByte(r + grain);
        }
    }
}

// Reads a binary PPM (P6, 8 bits a channel) of exactly width x height into blue, green,
// red rows `stride` bytes apart; false when the file is missing or of another size.
inline bool ReadPpm(const std::string& path, std::uint8_t* bgr, std::ptrdiff_t stride, int width, int height)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    int w = 0;
    int h = 0;
    int maximum = 0;
    bool ok = std::fscanf(file, "P6 %d %d %d", &w, &h, &maximum) == 3 && w == width && h == height &&
              maximum == 255 && std::fgetc(file) != EOF;
    for (int y = 0; ok && y < height; ++y) {
        std::uint8_t* row = bgr + y * stride;
        ok = std::fread(row, 3, static_cast<std::size_t>(width), file) == static_cast<std::size_t>(width);
        for (int x = 0; ok && x < width; ++x)
            std::swap(row[3 * x], row[3 * x + 2]);
    }
    std::fclose(file);
    return ok;
}

} // namespace seambench
