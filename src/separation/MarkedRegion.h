#pragma once
// A per-pixel label map laid over a document's pixel buffer. Every label has a display
// kind; a label whose kind paints an overlay keeps the pixel's true colour in its cell
// and paints the overlay straight into the buffer, so the view needs no compositing.
//
//   TMarkedRegion region;
//   region.SetKind(lbObject, dkHatchGreen);
//   if (!region.Attach(document.Image()))      // refused above 32767 pixels a side
//       return ShowTooLarge();
//   region.SetLabel(x, y, lbObject);           // paints the green hatch at (x, y)
//   region.SetLabel(x, y, lbUnmarked);         // puts the true colour back
//
// Grids are column-major (outer index x), as every grid of the separation is.
#include <array>
#include <bitset>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "imaging/VxBitmap.h"
#include "separation/ArithmeticMean.h"

// A segmentation run shows a pixel it has grown from a seed label under the seed label
// plus this offset, so that grown pixels stay apart from the user's own marks until the
// run ends.
constexpr std::uint8_t GrownLabelOffset = 6;

// The meanings the separation tool gives to labels; the region itself only knows the
// free-label set and the kinds.
enum TMarkLabel : std::uint8_t {
    lbUnmarked = 0,
    lbObject = 1,
    lbBackground = 2,
    lbUnknown = 3,          // a known area whose side is decided later
    lbEffectObject = 4,     // object while the result is shown with the background effect
    lbEffectBackground = 5, // background while the result is shown with the effect
    lbContour = 6,
    lbGrownObject = lbObject + GrownLabelOffset,
    lbGrownBackground = lbBackground + GrownLabelOffset,
};

// How a pixel carrying a label is painted.
enum TDisplayKind : std::uint8_t {
    dkFill = 0,
    dkShadow = 1,
    dkBlur = 2,
    dkMonochrome = 3,
    dkNone = 10, // no overlay: the true colour shows
    dkInverted = 11,
    dkThreshold = 12,
    dkHatchGrey = 20,
    dkHatchRed = 21,
    dkHatchGreen = 22,
    dkHatchBlue = 23,
    dkHatchYellow = 24,
    dkHatchMagenta = 25,
    dkHatchCyan = 26,
    dkSolidRed = 30,
    dkSolidGreen = 31,
    dkSolidYellow = 32,
};

using TLabelSet = std::bitset<256>;
TLabelSet MakeLabelSet(std::initializer_list<std::uint8_t> labels);

// A packed position keeps x in the low and y in the high 16 bits, each signed, so a
// marked picture may have at most this many pixels a side.
constexpr std::int32_t MaxMarkedSide = 32767;

inline std::uint32_t PackPosition(std::int32_t x, std::int32_t y)
{
    return static_cast<std::uint32_t>(static_cast<std::uint16_t>(x)) |
           (static_cast<std::uint32_t>(static_cast<std::uint16_t>(y)) << 16);
}
inline std::int32_t PackedX(std::uint32_t position)
{
    return static_cast<std::int16_t>(position & 0xFFFF);
}
inline std::int32_t PackedY(std::uint32_t position)
{
    return static_cast<std::int16_t>(position >> 16);
}

// One cell of a label layer: the true colour while the label's kind paints an overlay,
// the label, and a second label slot (the segmentation result, or the marks while the
// effect is shown).
struct TMarkCell {
    std::uint8_t Blue = 0;
    std::uint8_t Green = 0;
    std::uint8_t Red = 0;
    std::uint8_t Label = 0;
    std::uint8_t SavedLabel = 0;
    friend bool operator==(const TMarkCell&, const TMarkCell&) = default;
};
static_assert(sizeof(TMarkCell) == 5, "layers are grids of 5-byte cells");

using TLabelCounters = std::array<std::uint32_t, 256>;

// A rectangle of a layer with that layer's counters, kept by undo.
struct TMarkSnapshot {
    TRect Rect;
    std::vector<TMarkCell> Cells; // column-major inside Rect
    TLabelCounters Counters{};
};

enum class TMarkLayer { mlCurrent, mlPrevious };

class TMarkedRegion {
public:
    TMarkedRegion();
    TMarkedRegion(const TMarkedRegion&) = delete;
    TMarkedRegion& operator=(const TMarkedRegion&) = delete;

    // Whether a buffer can carry marks: fmtBGR24 and both sides within MaxMarkedSide.
    static bool CanMark(const TVxPixels& buffer);

    // Follows a (new) buffer. A new size clears both layers; the same size keeps the
    // marks. A buffer that cannot be marked is refused: the region then holds no buffer
    // and no cells, so no label can be written into a picture it cannot address.
    bool Attach(TVxPixels& buffer);
    bool IsAttached() const { return FBuffer != nullptr; }

    std::int32_t Width() const { return FWidth; }
    std::int32_t Height() const { return FHeight; }
    std::int32_t Total() const { return FTotal; }
    TRect Bounds() const { return TRect{0, 0, FWidth, FHeight}; }

    void ClearAll();
    void ClearCurrent();

    std::uint8_t LabelAt(std::int32_t x, std::int32_t y) const { return Cell(x, y).Label; }
    std::uint8_t SavedLabelAt(std::int32_t x, std::int32_t y) const { return Cell(x, y).SavedLabel; }
    void SetSavedLabel(std::int32_t x, std::int32_t y, std::uint8_t label) { Cell(x, y).SavedLabel = label; }
    const TMarkCell& CellAt(TMarkLayer layer, std::int32_t x, std::int32_t y) const;
    // The true colour (0x00RRGGBB): the buffer's pixel when the label's kind is dkNone,
    // the cell's saved colour otherwise.
    std::uint32_t CellColour(std::int32_t x, std::int32_t y) const;
    // The same as blue, green, red bytes, valid until the next change.
    const std::uint8_t* UnderlyingBytes(std::int32_t x, std::int32_t y) const;
    std::uint8_t Kind(std::uint8_t label) const { return FKinds[label]; }

    // False, and nothing touched, when the pixel already carries the label.
    bool SetLabel(std::int32_t x, std::int32_t y, std::uint8_t label);

    std::uint32_t Count(std::uint8_t label) const { return FCounters[label]; }
    bool HasLabel(std::uint8_t label) const { return FCounters[label] != 0; }
    bool IsAll(std::uint8_t label) const { return FCounters[label] == static_cast<std::uint32_t>(FTotal); }
    bool AllUnmarked() const { return IsAll(lbUnmarked); }

    // 4-connected fill of the component under (x, y) with a new label; dirty covers
    // every relabelled cell (empty when nothing changed).
    void FloodRelabel(std::int32_t x, std::int32_t y, std::uint8_t label, TRect& dirty);
    // The first cell labelled oldLabel, columns from the left and rows from the top,
    // and its component get newLabel.
    bool RelabelFirstComponent(std::uint8_t oldLabel, std::uint8_t newLabel, TRect* dirty = nullptr);

    // Column operations; each returns the column as the dirty rectangle.
    TRect SetColumn(std::int32_t x, std::uint8_t label);
    TRect ReplaceInColumn(std::int32_t x, std::uint8_t fromA, std::uint8_t fromB, std::uint8_t to);
    TRect RepaintColumn(std::int32_t x, std::uint8_t label);
    TRect SwapInColumn(std::int32_t x, std::uint8_t a, std::uint8_t b);
    TRect ShiftToEffect(std::int32_t x, std::uint8_t n);
    TRect ShiftFromEffect(std::int32_t x, std::uint8_t n);

    TRect BoundsOfSet(const TLabelSet& labels) const;
    TRect BoundsOfLabel(std::uint8_t label) const;

    // Effect parameters. Colours are Windows colour values (red in the low byte).
    void SetFillColour(std::uint32_t colour);
    void SetShadowLevel(std::int32_t level);
    void SetBlurLevel(std::int32_t level);
    void SetMonochromeColour(std::uint32_t colour);
    double ShadowFactor() const { return FShadowFactor; }
    std::int32_t BlurRadius() const { return FBlurRadius; }
    // dkBlur also rebuilds the blurred copy from the true colours.
    void SetKind(std::uint8_t label, std::uint8_t kind);
    void SetProgressMeter(IVxProgressMeter* progress) { FProgress = progress; }

    const TLabelSet& FreeLabels() const { return FFreeLabels; }
    void SetFreeLabels(const TLabelSet& labels) { FFreeLabels = labels; }
    bool IsFree(std::uint8_t label) const { return FFreeLabels.test(label); }

    // Layer copies for undo. Rectangles are clipped to the region.
    void CopyCurrentToPrevious(const TRect& rect);
    void CopyLayerOut(TMarkLayer layer, const TRect& rect, TMarkSnapshot& snapshot) const;
    void CopyIntoCurrent(const TMarkSnapshot& snapshot);

private:
    std::size_t Index(std::int32_t x, std::int32_t y) const
    {
        return static_cast<std::size_t>(x) * static_cast<std::size_t>(FHeight) + static_cast<std::size_t>(y);
    }
    TMarkCell& Cell(std::int32_t x, std::int32_t y) { return FCurrent[Index(x, y)]; }
    const TMarkCell& Cell(std::int32_t x, std::int32_t y) const { return FCurrent[Index(x, y)]; }
    std::uint8_t* Pixel(std::int32_t x, std::int32_t y) const
    {
        return FBuffer->Data() + static_cast<std::ptrdiff_t>(y) * FBuffer->Stride() +
               static_cast<std::ptrdiff_t>(x) * 3;
    }
    TRect ColumnRect(std::int32_t x) const { return TRect{x, 0, x + 1, FHeight}; }
    void Resize(std::int32_t width, std::int32_t height);
    static void ClearLayer(std::vector<TMarkCell>& cells, TLabelCounters& counters, std::int32_t total);
    void Paint(std::uint8_t* pixel, std::uint8_t kind, std::int32_t x, std::int32_t y) const;
    void RebuildBlur();

    std::int32_t FWidth = 0;
    std::int32_t FHeight = 0;
    std::int32_t FTotal = 0;
    std::array<std::uint8_t, 256> FKinds;
    std::int32_t FBlurRadius = 0;
    double FShadowFactor = 1.0;
    std::vector<TMarkCell> FCurrent;
    std::vector<TMarkCell> FPrevious;
    TLabelCounters FCounters{};
    TLabelCounters FPreviousCounters{};
    TVxPixels* FBuffer = nullptr;
    std::vector<std::uint32_t> FFloodStack;
    TArithmeticMean FBlurred;
    std::uint8_t FFill[3] = {0, 0, 0}; // blue, green, red
    float FMonochrome[3] = {0.0f, 0.0f, 0.0f};
    TLabelSet FFreeLabels;
    IVxProgressMeter* FProgress = nullptr;
};
