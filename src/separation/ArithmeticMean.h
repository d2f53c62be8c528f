#pragma once
// Separable box blur over a colour grid, used to show a blurred background behind marks.
//
//   TArithmeticMean mean;
//   mean.SetSize(width, height);
//   mean.Put(x, y, colour);            // for every pixel
//   mean.Blur(radius, &progressMeter); // each element becomes the mean of its window
//   std::uint32_t blurred = mean.Get(x, y);
#include <cstdint>
#include <vector>

// The status bar's progress meter as the core sees it (the application's meter
// implements it). Reset(0) puts the meter back to its default maximum.
class IVxProgressMeter {
public:
    virtual void Reset(std::int32_t maximum) = 0;
    virtual void Step() = 0;

protected:
    ~IVxProgressMeter() = default;
};

class TArithmeticMean {
public:
    std::int32_t Width() const { return FWidth; }
    std::int32_t Height() const { return FHeight; }

    // Reallocates only when the size changes; negative sides count as 0.
    void SetSize(std::int32_t width, std::int32_t height);

    // Colours are 0x00RRGGBB; no range check, callers stay inside the grid.
    void Put(std::int32_t x, std::int32_t y, std::uint32_t colour);
    // Each channel clamped to 0..255 and rounded to nearest, ties to even.
    std::uint32_t Get(std::int32_t x, std::int32_t y) const;
    // The same as Get, as blue, green, red bytes.
    void GetBytes(std::int32_t x, std::int32_t y, std::uint8_t* bgr) const;

    // Running mean over [d - radius, d + radius] clipped to the grid, first along y in
    // every column, then along x in every row. The meter gets width + height steps.
    void Blur(std::int32_t radius, IVxProgressMeter* progress = nullptr);

private:
    struct TElement {
        float Channel[3];
    };

    std::size_t Index(std::int32_t x, std::int32_t y) const
    {
        return static_cast<std::size_t>(x) * static_cast<std::size_t>(FHeight) + static_cast<std::size_t>(y);
    }
    void BlurColumns(std::int32_t radius, IVxProgressMeter* progress);
    void BlurRows(std::int32_t radius, IVxProgressMeter* progress);

    std::int32_t FWidth = 0;
    std::int32_t FHeight = 0;
    std::vector<TElement> FImage; // column-major
    std::vector<TElement> FWork;
};
