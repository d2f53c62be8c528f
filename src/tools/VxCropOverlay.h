#pragma once
// What the crop tools draw over the picture, straight into the view's 24-bit paint
// surface (window coordinates): the picture around the rectangle darkened, hollow
// inverted handles, and a dotted frame. Every drawing is cut to clip.
#include "imaging/VxBitmap.h"
#include "tools/VxCropGeometry.h"

// Each channel c of the picture outside crop becomes c - (c * 92) div 256.
void DarkenOutside(TVxPixels& surface, const TRect& picture, const TRect& crop, const TRect& clip);
// The 9 x 9 square and the 7 x 7 square at the same centre both inverted: a one-pixel
// inverted frame.
void InvertHandle(TVxPixels& surface, const TPoint& centre, const TRect& clip);
// Every other pixel of the rectangle's border inverted, as a focus rectangle looks.
void DottedFrame(TVxPixels& surface, const TRect& rect, const TRect& clip);
// The eight handles in drawing order 4, 11, 6, 5, 8, 9, 10, 7.
void DrawCropHandles(TVxPixels& surface, const TRect& crop, const TRect& clip);
