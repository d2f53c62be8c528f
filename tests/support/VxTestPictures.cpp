#include "support/VxTestPictures.h"

#include <algorithm>
#include <cmath>
#include <random>

void FillPicture(TVxPixels& picture, const TPixelFunction& color)
{
    for (std::int32_t y = 0; y < picture.Height(); ++y)
        for (std::int32_t x = 0; x < picture.Width(); ++x)
            ColorToBytes(color(x, y), picture.PixelAddress(picture.Left() + x, picture.Top() + y));
}

void FillRandom(TVxPixels& picture, std::uint32_t seed)
{
    std::mt19937 random(seed);
    for (std::int32_t y = picture.Top(); y < picture.Top() + picture.Height(); ++y) {
        std::uint8_t* row = picture.Row(y);
        for (std::int32_t i = 0; i < picture.Width() * 3; ++i)
            row[i] = static_cast<std::uint8_t>(random() >> 24);
    }
}

std::uint32_t Gray(std::int32_t value)
{
    const auto v = static_cast<std::uint32_t>(value & 255);
    return v << 16 | v << 8 | v;
}

void FillPhotoLike(TVxPixels& picture, std::uint32_t seed)
{
    std::mt19937 random(seed);
    FillPicture(picture, [&](std::int32_t x, std::int32_t y) {
        const double wave = 60 * std::sin(x * 0.05) * std::cos(y * 0.07);
        const bool disc = (x - 70) * (x - 70) + (y - 50) * (y - 50) < 30 * 30;
        const bool bar = x % 97 < 6;
        const auto grain = static_cast<std::int32_t>(random() % 9);
        const std::int32_t base = 110 + static_cast<std::int32_t>(wave) + grain + (disc ? 70 : 0) - (bar ? 80 : 0);
        const std::int32_t r = std::clamp(base + x / 8, 0, 255);
        const std::int32_t g = std::clamp(base, 0, 255);
        const std::int32_t b = std::clamp(base - y / 6, 0, 255);
        return static_cast<std::uint32_t>(r << 16 | g << 8 | b);
    });
}
