#include "separation/MarkedRegion.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>

namespace {

std::uint8_t Largest(const std::uint8_t* bgr)
{
    return std::max(bgr[0], std::max(bgr[1], bgr[2]));
}

void SetBgr(std::uint8_t* pixel, std::uint8_t blue, std::uint8_t green, std::uint8_t red)
{
    pixel[0] = blue;
    pixel[1] = green;
    pixel[2] = red;
}

// Grows a rectangle by one cell, keeping an empty rectangle's meaning of "nothing yet".
void IncludeCell(TRect& rect, std::int32_t x, std::int32_t y)
{
    if (rect.IsEmpty()) {
        rect = TRect{x, y, x + 1, y + 1};
        return;
    }
    rect.Left = std::min(rect.Left, x);
    rect.Top = std::min(rect.Top, y);
    rect.Right = std::max(rect.Right, x + 1);
    rect.Bottom = std::max(rect.Bottom, y + 1);
}

} // namespace

TLabelSet MakeLabelSet(std::initializer_list<std::uint8_t> labels)
{
    TLabelSet set;
    for (std::uint8_t label : labels)
        set.set(label);
    return set;
}

TMarkedRegion::TMarkedRegion()
{
    FKinds.fill(dkNone);
    FFreeLabels = MakeLabelSet({lbUnmarked, lbContour, lbGrownObject, lbGrownBackground});
}

bool TMarkedRegion::CanMark(const TVxPixels& buffer)
{
    return buffer.Format() == fmtBGR24 && buffer.Width() >= 0 && buffer.Height() >= 0 &&
           buffer.Width() <= MaxMarkedSide && buffer.Height() <= MaxMarkedSide;
}

bool TMarkedRegion::Attach(TVxPixels& buffer)
{
    if (!CanMark(buffer)) {
        FBuffer = nullptr;
        Resize(0, 0);
        return false;
    }
    FBuffer = &buffer;
    if (buffer.Width() != FWidth || buffer.Height() != FHeight)
        Resize(buffer.Width(), buffer.Height());
    return true;
}

void TMarkedRegion::Resize(std::int32_t width, std::int32_t height)
{
    FWidth = width;
    FHeight = height;
    FTotal = width * height;
    const std::size_t total = static_cast<std::size_t>(FTotal);
    FCurrent.assign(total, TMarkCell{});
    FPrevious.assign(total, TMarkCell{});
    FFloodStack.assign(total, 0);
    ClearAll();
}

void TMarkedRegion::ClearLayer(std::vector<TMarkCell>& cells, TLabelCounters& counters, std::int32_t total)
{
    std::fill(cells.begin(), cells.end(), TMarkCell{});
    counters.fill(0);
    counters[lbUnmarked] = static_cast<std::uint32_t>(total);
}

void TMarkedRegion::ClearAll()
{
    ClearLayer(FCurrent, FCounters, FTotal);
    ClearLayer(FPrevious, FPreviousCounters, FTotal);
}

void TMarkedRegion::ClearCurrent()
{
    ClearLayer(FCurrent, FCounters, FTotal);
}

const TMarkCell& TMarkedRegion::CellAt(TMarkLayer layer, std::int32_t x, std::int32_t y) const
{
    return (layer == TMarkLayer::mlCurrent ? FCurrent : FPrevious)[Index(x, y)];
}

const std::uint8_t* TMarkedRegion::UnderlyingBytes(std::int32_t x, std::int32_t y) const
{
    const TMarkCell& cell = Cell(x, y);
    if (FKinds[cell.Label] == dkNone)
        return Pixel(x, y);
    return &cell.Blue;
}

std::uint32_t TMarkedRegion::CellColour(std::int32_t x, std::int32_t y) const
{
    const std::uint8_t* bgr = UnderlyingBytes(x, y);
    return static_cast<std::uint32_t>(bgr[0]) | (static_cast<std::uint32_t>(bgr[1]) << 8) |
           (static_cast<std::uint32_t>(bgr[2]) << 16);
}

// pixel holds the true colour when this is called.
void TMarkedRegion::Paint(std::uint8_t* pixel, std::uint8_t kind, std::int32_t x, std::int32_t y) const
{
    switch (kind) {
    case dkFill:
        SetBgr(pixel, FFill[0], FFill[1], FFill[2]);
        return;
    case dkShadow:
        // Division in double, rounded to nearest with ties to even: the factor of level 2
        // is 1.4142135623730951 squared, a hair above 2, so 255 darkens to 127, not 128.
        for (int c = 0; c < 3; ++c)
            pixel[c] = static_cast<std::uint8_t>(std::nearbyint(pixel[c] / FShadowFactor));
        return;
    case dkBlur:
        if (x < FBlurred.Width() && y < FBlurred.Height())
            FBlurred.GetBytes(x, y, pixel);
        return;
    case dkMonochrome: {
        // A byte times a float factor is exact in double, so no rounding before nearbyint.
        const double v = Largest(pixel);
        for (int c = 0; c < 3; ++c)
            pixel[c] = static_cast<std::uint8_t>(std::nearbyint(v * static_cast<double>(FMonochrome[c])));
        return;
    }
    case dkInverted:
        for (int c = 0; c < 3; ++c)
            pixel[c] = static_cast<std::uint8_t>(255 - pixel[c]);
        return;
    case dkThreshold:
        for (int c = 0; c < 3; ++c)
            pixel[c] = pixel[c] < 128 ? 255 : 0;
        return;
    case dkSolidRed:
        SetBgr(pixel, 0, 0, 255);
        return;
    case dkSolidGreen:
        SetBgr(pixel, 0, 255, 0);
        return;
    case dkSolidYellow:
        SetBgr(pixel, 0, 255, 255);
        return;
    default:
        break;
    }
    if (kind < dkHatchGrey || kind > dkHatchCyan)
        return;
    const std::uint8_t v = Largest(pixel);
    const std::uint8_t w = (x % 5 == y % 6) ? static_cast<std::uint8_t>(255 - v) : v;
    switch (kind) {
    case dkHatchGrey:
        SetBgr(pixel, w, w, w);
        break;
    case dkHatchRed:
        SetBgr(pixel, 0, 0, w);
        break;
    case dkHatchGreen:
        SetBgr(pixel, 0, w, 0);
        break;
    case dkHatchBlue:
        SetBgr(pixel, w, 0, 0);
        break;
    case dkHatchYellow:
        SetBgr(pixel, 0, w, w);
        break;
    case dkHatchMagenta:
        SetBgr(pixel, w, 0, w);
        break;
    case dkHatchCyan:
        SetBgr(pixel, w, w, 0);
        break;
    }
}

bool TMarkedRegion::SetLabel(std::int32_t x, std::int32_t y, std::uint8_t label)
{
    TMarkCell& cell = Cell(x, y);
    const std::uint8_t old = cell.Label;
    if (old == label)
        return false;
    std::uint8_t* pixel = Pixel(x, y);
    if (FKinds[old] == dkNone)
        SetBgr(&cell.Blue, pixel[0], pixel[1], pixel[2]);
    else
        SetBgr(pixel, cell.Blue, cell.Green, cell.Red);
    const std::uint8_t kind = FKinds[label];
    if (kind != dkNone)
        Paint(pixel, kind, x, y);
    --FCounters[old];
    ++FCounters[label];
    cell.Label = label;
    return true;
}

void TMarkedRegion::FloodRelabel(std::int32_t x, std::int32_t y, std::uint8_t label, TRect& dirty)
{
    dirty = TRect{};
    if (!Bounds().Contains(x, y))
        return;
    const std::uint8_t old = LabelAt(x, y);
    if (old == label)
        return;
    // A cell is relabelled as it is pushed, so it never matches again and the stack
    // never holds more than every cell once.
    std::size_t top = 0;
    auto relabelAndPush = [&](std::int32_t cx, std::int32_t cy) {
        SetLabel(cx, cy, label);
        IncludeCell(dirty, cx, cy);
        FFloodStack[top++] = PackPosition(cx, cy);
    };
    relabelAndPush(x, y);
    while (top > 0) {
        const std::uint32_t position = FFloodStack[--top];
        const std::int32_t px = PackedX(position);
        const std::int32_t py = PackedY(position);
        if (px + 1 < FWidth && LabelAt(px + 1, py) == old)
            relabelAndPush(px + 1, py);
        if (px > 0 && LabelAt(px - 1, py) == old)
            relabelAndPush(px - 1, py);
        if (py + 1 < FHeight && LabelAt(px, py + 1) == old)
            relabelAndPush(px, py + 1);
        if (py > 0 && LabelAt(px, py - 1) == old)
            relabelAndPush(px, py - 1);
    }
}

bool TMarkedRegion::RelabelFirstComponent(std::uint8_t oldLabel, std::uint8_t newLabel, TRect* dirty)
{
    if (dirty)
        *dirty = TRect{};
    if (!HasLabel(oldLabel) || oldLabel == newLabel)
        return false;
    const auto first =
        std::find_if(FCurrent.begin(), FCurrent.end(), [oldLabel](const TMarkCell& c) { return c.Label == oldLabel; });
    if (first == FCurrent.end())
        return false;
    const std::size_t index = static_cast<std::size_t>(first - FCurrent.begin());
    TRect changed;
    FloodRelabel(static_cast<std::int32_t>(index / FHeight), static_cast<std::int32_t>(index % FHeight), newLabel,
                 changed);
    if (dirty)
        *dirty = changed;
    return true;
}

TRect TMarkedRegion::SetColumn(std::int32_t x, std::uint8_t label)
{
    for (std::int32_t y = 0; y < FHeight; ++y)
        SetLabel(x, y, label);
    return ColumnRect(x);
}

TRect TMarkedRegion::ReplaceInColumn(std::int32_t x, std::uint8_t fromA, std::uint8_t fromB, std::uint8_t to)
{
    for (std::int32_t y = 0; y < FHeight; ++y) {
        const std::uint8_t label = LabelAt(x, y);
        if (label == fromA || label == fromB)
            SetLabel(x, y, to);
    }
    return ColumnRect(x);
}

TRect TMarkedRegion::RepaintColumn(std::int32_t x, std::uint8_t label)
{
    const std::uint8_t kind = FKinds[label];
    if (kind == dkNone)
        return ColumnRect(x);
    for (std::int32_t y = 0; y < FHeight; ++y) {
        TMarkCell& cell = Cell(x, y);
        if (cell.Label != label)
            continue;
        std::uint8_t* pixel = Pixel(x, y);
        SetBgr(pixel, cell.Blue, cell.Green, cell.Red);
        Paint(pixel, kind, x, y);
    }
    return ColumnRect(x);
}

TRect TMarkedRegion::SwapInColumn(std::int32_t x, std::uint8_t a, std::uint8_t b)
{
    for (std::int32_t y = 0; y < FHeight; ++y) {
        const std::uint8_t label = LabelAt(x, y);
        if (label == a)
            SetLabel(x, y, b);
        else if (label == b)
            SetLabel(x, y, a);
    }
    return ColumnRect(x);
}

TRect TMarkedRegion::ShiftToEffect(std::int32_t x, std::uint8_t n)
{
    for (std::int32_t y = 0; y < FHeight; ++y) {
        const TMarkCell before = Cell(x, y);
        SetLabel(x, y, static_cast<std::uint8_t>(n + before.SavedLabel));
        Cell(x, y).SavedLabel = before.Label;
    }
    return ColumnRect(x);
}

TRect TMarkedRegion::ShiftFromEffect(std::int32_t x, std::uint8_t n)
{
    for (std::int32_t y = 0; y < FHeight; ++y) {
        const TMarkCell before = Cell(x, y);
        SetLabel(x, y, before.SavedLabel);
        Cell(x, y).SavedLabel = static_cast<std::uint8_t>(before.Label - n);
    }
    return ColumnRect(x);
}

TRect TMarkedRegion::BoundsOfSet(const TLabelSet& labels) const
{
    TRect bounds;
    for (std::int32_t x = 0; x < FWidth; ++x) {
        const TMarkCell* column = FCurrent.data() + Index(x, 0);
        std::int32_t first = 0;
        while (first < FHeight && !labels.test(column[first].Label))
            ++first;
        if (first == FHeight)
            continue;
        std::int32_t last = FHeight - 1;
        while (!labels.test(column[last].Label))
            --last;
        IncludeCell(bounds, x, first);
        IncludeCell(bounds, x, last);
    }
    return bounds;
}

TRect TMarkedRegion::BoundsOfLabel(std::uint8_t label) const
{
    if (!HasLabel(label))
        return TRect{};
    TLabelSet set;
    set.set(label);
    return BoundsOfSet(set);
}

void TMarkedRegion::SetFillColour(std::uint32_t colour)
{
    FFill[0] = static_cast<std::uint8_t>(colour >> 16);
    FFill[1] = static_cast<std::uint8_t>(colour >> 8);
    FFill[2] = static_cast<std::uint8_t>(colour);
}

void TMarkedRegion::SetShadowLevel(std::int32_t level)
{
    // Repeated multiplication, not a power: the factors must be the same to the last bit.
    const double root2 = std::sqrt(2.0);
    FShadowFactor = 1.0;
    for (std::int32_t i = 0; i < level; ++i)
        FShadowFactor = FShadowFactor * root2;
}

void TMarkedRegion::SetBlurLevel(std::int32_t level)
{
    // 3^19 is the largest power of 3 in 32 bits; any radius above the picture's size
    // already averages the whole picture.
    level = ClampInt(level, 0, 19);
    FBlurRadius = 1;
    for (std::int32_t i = 0; i < level; ++i)
        FBlurRadius *= 3;
}

void TMarkedRegion::SetMonochromeColour(std::uint32_t colour)
{
    FMonochrome[0] = static_cast<float>((colour >> 16) & 0xFF) / 255.0f;
    FMonochrome[1] = static_cast<float>((colour >> 8) & 0xFF) / 255.0f;
    FMonochrome[2] = static_cast<float>(colour & 0xFF) / 255.0f;
}

void TMarkedRegion::SetKind(std::uint8_t label, std::uint8_t kind)
{
    FKinds[label] = kind;
    if (kind == dkBlur)
        RebuildBlur();
}

void TMarkedRegion::RebuildBlur()
{
    FBlurred.SetSize(FWidth, FHeight);
    for (std::int32_t x = 0; x < FWidth; ++x)
        for (std::int32_t y = 0; y < FHeight; ++y)
            FBlurred.Put(x, y, CellColour(x, y));
    FBlurred.Blur(FBlurRadius, FProgress);
}

void TMarkedRegion::CopyCurrentToPrevious(const TRect& rect)
{
    const TRect r = IntersectRect(rect, Bounds());
    for (std::int32_t x = r.Left; x < r.Right; ++x)
        std::copy_n(&FCurrent[Index(x, r.Top)], r.Height(), &FPrevious[Index(x, r.Top)]);
    FPreviousCounters = FCounters;
}

void TMarkedRegion::CopyLayerOut(TMarkLayer layer, const TRect& rect, TMarkSnapshot& snapshot) const
{
    const std::vector<TMarkCell>& cells = layer == TMarkLayer::mlCurrent ? FCurrent : FPrevious;
    const TRect r = IntersectRect(rect, Bounds());
    snapshot.Rect = r;
    snapshot.Cells.resize(static_cast<std::size_t>(r.Width()) * static_cast<std::size_t>(r.Height()));
    auto target = snapshot.Cells.begin();
    for (std::int32_t x = r.Left; x < r.Right; ++x)
        target = std::copy_n(&cells[Index(x, r.Top)], r.Height(), target);
    snapshot.Counters = layer == TMarkLayer::mlCurrent ? FCounters : FPreviousCounters;
}

void TMarkedRegion::CopyIntoCurrent(const TMarkSnapshot& snapshot)
{
    const TRect& r = snapshot.Rect;
    // A snapshot of another size of picture cannot be put back cell for cell.
    if (IntersectRect(r, Bounds()) != r && !r.IsEmpty())
        return;
    auto source = snapshot.Cells.begin();
    for (std::int32_t x = r.Left; x < r.Right; ++x, source += r.Height())
        std::copy_n(source, r.Height(), &FCurrent[Index(x, r.Top)]);
    FCounters = snapshot.Counters;
}
