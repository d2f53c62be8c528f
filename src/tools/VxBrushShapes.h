#pragma once
// The brush as a mask of weights, and painting through such a mask. A brush of size s
// covers the square of side 2 * (s div 2) + 1 centred on the brush pixel, so an even size
// paints like the odd size above it.
//
//   TVxPixelMask brush;
//   BuildLinearBrush(brush, 21, 128, 255);            // top-left at (0, 0)
//   const TRect stamp = BrushRect({x, y}, 21);        // where it lands in the picture
#include <cstdint>

#include "imaging/VxBitmap.h"

// (x - s div 2, y - s div 2, x + s div 2 + 1, y + s div 2 + 1).
TRect BrushRect(const TPoint& centre, std::int32_t size);

// Full weight (strength) inside an inner radius that grows with hardness, then a linear
// fall to 0 at size / 2 + 0.5. A size below 2 is one pixel of weight 255.
void BuildLinearBrush(TVxPixelMask& mask, std::int32_t size, std::int32_t hardness, std::int32_t strength);
// (1 - g^(hardness / 16)) * strength at the relative radius g; larger hardness keeps
// the weight near the strength further out. A size below 2 is one pixel of strength.
void BuildPowerBrush(TVxPixelMask& mask, std::int32_t size, std::int32_t hardness, std::int32_t strength);

// Colours the pixels of rect (image coordinates, clipped to all three) through the mask:
// weight 255 gives color (0x00RRGGBB), weight w each channel s + floor(w * (p - s) / 256)
// from the source channel s; weight 0 leaves the destination alone.
void PaintThroughMask(const TVxPixelMask& mask, const TVxPixels& source, std::uint32_t color, const TRect& rect,
                      TVxPixels& destination);

// The stroke mask takes the larger weight of itself and of the brush laid with its
// top-left at (left, top): painting twice over a pixel never adds up.
void MergeBrushMax(TVxPixelMask& stroke, const TVxPixelMask& brush, std::int32_t left, std::int32_t top);
