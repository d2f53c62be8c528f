#include "support/VxPixelCompare.h"

#include <algorithm>
#include <cstdlib>
#include <iomanip>
#include <sstream>

namespace {

std::string PixelText(const std::uint8_t* pixel, std::int32_t bytes)
{
    std::ostringstream text;
    text << std::hex << std::setfill('0');
    for (std::int32_t c = 0; c < bytes; ++c)
        text << (c ? " " : "") << std::setw(2) << static_cast<int>(pixel[c]);
    return text.str();
}

testing::AssertionResult SameShape(const TVxPixels& actual, const TVxPixels& expected)
{
    if (actual.GetBounds() != expected.GetBounds())
        return testing::AssertionFailure() << "bounds differ: " << actual.Width() << " x " << actual.Height()
                                           << " at (" << actual.Left() << ", " << actual.Top() << ") instead of "
                                           << expected.Width() << " x " << expected.Height() << " at ("
                                           << expected.Left() << ", " << expected.Top() << ")";
    if (actual.Format() != expected.Format())
        return testing::AssertionFailure() << "formats differ: " << static_cast<int>(actual.Format()) << " instead of "
                                           << static_cast<int>(expected.Format());
    return testing::AssertionSuccess();
}

} // namespace

testing::AssertionResult PixelsWithin(const TVxPixels& actual, const TVxPixels& expected, int tolerance)
{
    if (testing::AssertionResult shape = SameShape(actual, expected); !shape)
        return shape;
    const std::int32_t bytes = actual.BytesPerPixel();
    for (std::int32_t y = actual.Top(); y < actual.Top() + actual.Height(); ++y)
        for (std::int32_t x = actual.Left(); x < actual.Left() + actual.Width(); ++x) {
            const std::uint8_t* a = actual.PixelAddress(x, y);
            const std::uint8_t* e = expected.PixelAddress(x, y);
            for (std::int32_t c = 0; c < bytes; ++c)
                if (std::abs(a[c] - e[c]) > tolerance)
                    return testing::AssertionFailure()
                           << "first differing pixel (" << x << ", " << y << "): " << PixelText(a, bytes)
                           << " instead of " << PixelText(e, bytes) << " (channel " << c << ", tolerance "
                           << tolerance << ")";
        }
    return testing::AssertionSuccess();
}

testing::AssertionResult SamePixels(const TVxPixels& actual, const TVxPixels& expected)
{
    return PixelsWithin(actual, expected, 0);
}

int MaxDifference(const TVxPixels& a, const TVxPixels& b)
{
    int worst = 0;
    const std::int32_t rowBytes = a.Width() * a.BytesPerPixel();
    for (std::int32_t y = 0; y < a.Height(); ++y) {
        const std::uint8_t* rowA = a.Row(a.Top() + y);
        const std::uint8_t* rowB = b.Row(b.Top() + y);
        for (std::int32_t k = 0; k < rowBytes; ++k)
            worst = std::max(worst, std::abs(rowA[k] - rowB[k]));
    }
    return worst;
}
