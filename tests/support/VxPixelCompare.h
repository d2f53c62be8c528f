#pragma once
// Picture comparisons for tests. A failure names the first pixel that differs (rows from
// the top, pixels from the left) with both values, not only that the pictures differ.
#include <cstdint>

#include <gtest/gtest.h>

#include "imaging/VxBitmap.h"

// The same bounds, format and bytes in every pixel (row padding ignored).
testing::AssertionResult SamePixels(const TVxPixels& actual, const TVxPixels& expected);
// The same bounds and format, every channel within tolerance of the expected one.
testing::AssertionResult PixelsWithin(const TVxPixels& actual, const TVxPixels& expected, int tolerance);
// The largest difference of one channel anywhere in two pictures of one size and format.
int MaxDifference(const TVxPixels& a, const TVxPixels& b);
