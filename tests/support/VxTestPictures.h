#pragma once
// Pictures made in code for the tests of every subsystem.
#include <cstdint>
#include <functional>

#include "imaging/VxBitmap.h"

using TPixelFunction = std::function<std::uint32_t(std::int32_t x, std::int32_t y)>; // 0x00RRGGBB

// Every pixel of a 24- or 32-bit picture from color(x, y), x and y counted from its corner.
void FillPicture(TVxPixels& picture, const TPixelFunction& color);
// Every byte of every pixel a random one (a 24-bit picture).
void FillRandom(TVxPixels& picture, std::uint32_t seed);
std::uint32_t Gray(std::int32_t value);
// Smooth shading, a disc, dark bars and some grain: what a photograph gives an algorithm
// to decide on, with long stretches of near ties. 24-bit.
void FillPhotoLike(TVxPixels& picture, std::uint32_t seed);
