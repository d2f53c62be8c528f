#include "seams/SeemCurving.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace {

void PaintPixel(std::uint8_t* pixel)
{
    const std::uint8_t inverse = static_cast<std::uint8_t>(255 - std::max({pixel[0], pixel[1], pixel[2]}));
    pixel[0] = pixel[1] = pixel[2] = inverse;
}

} // namespace

TSeemCurving::TSeemCurving(TVxPixels& image, TSize size, const TSeemMarkReader& marks, ISeemCurvingObserver* observer)
    : FImage(image), FSize(size), FObserver(observer)
{
    if (image.Format() != fmtBGR24 || size.Width < 1 || size.Height < 1 || size.Width > image.Width() ||
        size.Height > image.Height())
        throw std::invalid_argument("seam carving needs a 24-bit picture inside its buffer");
    FFinder = std::make_unique<TSeemWayRatio>(image.Width(), image.Height(), SeemBlockSize(image.Width()),
                                              SeemBlockSize(image.Height()));
    FFinder->SetImageSize(size.Width, size.Height);
    FMarkRow.assign(static_cast<std::size_t>(size.Width), 0);
    for (std::int32_t y = 0; y < size.Height; ++y) {
        if (marks)
            marks(y, FMarkRow);
        FFinder->AddRow(y, FImage.Row(FImage.Top() + y), marks ? FMarkRow.data() : nullptr, size.Width);
    }
    FFinder->ComputeGradient();
    FFinder->ComputeEnergy();
}

// ---------------------------------------------------------------------------------------
// One seam

std::int32_t TSeemCurving::CollectHorizontalSeam()
{
    const std::int32_t last = std::max(FSize.Height - BlockHeight(), 0);
    FPositions.resize(static_cast<std::size_t>(FSize.Width));
    for (std::int32_t x = 0; x < FSize.Width; ++x)
        FPositions[x] = std::clamp(FFinder->HorizontalSeamAt(x), 0, last);
    return *std::max_element(FPositions.begin(), FPositions.end());
}

std::int32_t TSeemCurving::CollectVerticalSeam()
{
    const std::int32_t last = std::max(FSize.Width - BlockWidth(), 0);
    FPositions.resize(static_cast<std::size_t>(FSize.Height));
    for (std::int32_t y = 0; y < FSize.Height; ++y)
        FPositions[y] = std::clamp(FFinder->VerticalSeamAt(y), 0, last);
    return *std::max_element(FPositions.begin(), FPositions.end());
}

void TSeemCurving::PaintHorizontalSeam()
{
    const std::int32_t left = FImage.Left();
    const std::int32_t top = FImage.Top();
    for (std::int32_t x = 0; x < FSize.Width; ++x)
        for (std::int32_t y = FPositions[x]; y < FPositions[x] + BlockHeight(); ++y)
            PaintPixel(FImage.PixelAddress(left + x, top + y));
}

void TSeemCurving::PaintVerticalSeam()
{
    const std::int32_t left = FImage.Left();
    const std::int32_t top = FImage.Top();
    for (std::int32_t y = 0; y < FSize.Height; ++y)
        for (std::int32_t x = FPositions[y]; x < FPositions[y] + BlockWidth(); ++x)
            PaintPixel(FImage.PixelAddress(left + x, top + y));
}

void TSeemCurving::FillWhite(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height)
{
    for (std::int32_t row = y; row < y + height; ++row)
        std::memset(FImage.PixelAddress(FImage.Left() + x, FImage.Top() + row), 255,
                    static_cast<std::size_t>(width) * 3);
}

bool TSeemCurving::RemoveHorizontalSeam()
{
    const std::int32_t by = BlockHeight();
    if (FSize.Height <= by)
        return false;
    const std::int32_t farthest = CollectHorizontalSeam();
    if (FObserver)
        FObserver->SeamChosen(skRemoveHorizontal, FPositions);
    if (Showing()) {
        PaintHorizontalSeam();
        FObserver->SeamShown(skRemoveHorizontal);
    }
    const std::int32_t left = FImage.Left();
    const std::int32_t top = FImage.Top();
    for (std::int32_t x = 0; x < FSize.Width; ++x) {
        const std::int32_t y = FPositions[x];
        FImage.MoveColumnRun(left + x, top + y + by, farthest - y, top + y);
    }
    const std::size_t rowBytes = static_cast<std::size_t>(FSize.Width) * 3;
    for (std::int32_t y = farthest; y < FSize.Height - by; ++y)
        std::memmove(FImage.Row(top + y), FImage.Row(top + y + by), rowBytes);
    FillWhite(0, FSize.Height - by, FSize.Width, by);
    FSize.Height -= by;
    if (FObserver)
        FObserver->SeamApplied(skRemoveHorizontal, FPositions, farthest);
    FFinder->RemoveHorizontalSeam();
    return true;
}

bool TSeemCurving::InsertHorizontalSeam()
{
    const std::int32_t by = BlockHeight();
    if (FSize.Height < by || FSize.Height + by > FImage.Height())
        return false;
    const std::int32_t farthest = CollectHorizontalSeam();
    if (FObserver)
        FObserver->SeamChosen(skInsertHorizontal, FPositions);
    const std::int32_t left = FImage.Left();
    const std::int32_t top = FImage.Top();
    const std::size_t rowBytes = static_cast<std::size_t>(FSize.Width) * 3;
    for (std::int32_t y = FSize.Height - 1; y >= farthest; --y)
        std::memmove(FImage.Row(top + y + by), FImage.Row(top + y), rowBytes);
    for (std::int32_t x = 0; x < FSize.Width; ++x) {
        const std::int32_t y = FPositions[x];
        FImage.MoveColumnRun(left + x, top + y, farthest - y, top + y + by);
    }
    FSize.Height += by;
    if (Showing()) {
        PaintHorizontalSeam();
        FObserver->SeamShown(skInsertHorizontal);
        for (std::int32_t x = 0; x < FSize.Width; ++x)
            FImage.MoveColumnRun(left + x, top + FPositions[x] + by, by, top + FPositions[x]);
    }
    if (FObserver)
        FObserver->SeamApplied(skInsertHorizontal, FPositions, farthest);
    FFinder->InsertHorizontalSeam();
    return true;
}

bool TSeemCurving::RemoveVerticalSeam()
{
    const std::int32_t bx = BlockWidth();
    if (FSize.Width <= bx)
        return false;
    const std::int32_t farthest = CollectVerticalSeam();
    if (FObserver)
        FObserver->SeamChosen(skRemoveVertical, FPositions);
    if (Showing()) {
        PaintVerticalSeam();
        FObserver->SeamShown(skRemoveVertical);
    }
    const std::int32_t left = FImage.Left();
    const std::int32_t top = FImage.Top();
    for (std::int32_t y = 0; y < FSize.Height; ++y) {
        const std::int32_t x = FPositions[y];
        FImage.MoveRowRun(top + y, left + x + bx, FSize.Width - x - bx, left + x);
    }
    FillWhite(FSize.Width - bx, 0, bx, FSize.Height);
    FSize.Width -= bx;
    if (FObserver)
        FObserver->SeamApplied(skRemoveVertical, FPositions, farthest);
    FFinder->RemoveVerticalSeam();
    return true;
}

bool TSeemCurving::InsertVerticalSeam()
{
    const std::int32_t bx = BlockWidth();
    if (FSize.Width < bx || FSize.Width + bx > FImage.Width())
        return false;
    const std::int32_t farthest = CollectVerticalSeam();
    if (FObserver)
        FObserver->SeamChosen(skInsertVertical, FPositions);
    const std::int32_t left = FImage.Left();
    const std::int32_t top = FImage.Top();
    for (std::int32_t y = 0; y < FSize.Height; ++y) {
        const std::int32_t x = FPositions[y];
        FImage.MoveRowRun(top + y, left + x, FSize.Width - x, left + x + bx);
    }
    FSize.Width += bx;
    if (Showing()) {
        PaintVerticalSeam();
        FObserver->SeamShown(skInsertVertical);
        for (std::int32_t y = 0; y < FSize.Height; ++y)
            FImage.MoveRowRun(top + y, left + FPositions[y] + bx, bx, left + FPositions[y]);
    }
    if (FObserver)
        FObserver->SeamApplied(skInsertVertical, FPositions, farthest);
    FFinder->InsertVerticalSeam();
    return true;
}

// ---------------------------------------------------------------------------------------
// Loops

std::int32_t TSeemCurving::RemoveVerticalSeams(std::int32_t count)
{
    std::int32_t removed = 0;
    while (removed < count && !FFinder->VerticalThroughProtected() && !Stopped() && RemoveVerticalSeam())
        ++removed;
    return removed;
}

std::int32_t TSeemCurving::RemoveHorizontalSeams(std::int32_t count)
{
    std::int32_t removed = 0;
    while (removed < count && !FFinder->HorizontalThroughProtected() && !Stopped() && RemoveHorizontalSeam())
        ++removed;
    return removed;
}

void TSeemCurving::ResizeWidth(std::int32_t width)
{
    const std::int32_t bx = BlockWidth();
    if (width < FSize.Width) {
        while (FSize.Width - bx >= width && !FFinder->VerticalThroughProtected() && !Stopped() &&
               RemoveVerticalSeam()) {
        }
    } else {
        while (width >= FSize.Width + bx && !FFinder->VerticalThroughProtected() && !Stopped() &&
               InsertVerticalSeam()) {
        }
    }
}

void TSeemCurving::ResizeHeight(std::int32_t height)
{
    const std::int32_t by = BlockHeight();
    if (height < FSize.Height) {
        while (FSize.Height - by >= height && !FFinder->HorizontalThroughProtected() && !Stopped() &&
               RemoveHorizontalSeam()) {
        }
    } else {
        while (height >= FSize.Height + by && !FFinder->HorizontalThroughProtected() && !Stopped() &&
               InsertHorizontalSeam()) {
        }
    }
}

void TSeemCurving::ResizeTo(std::int32_t width, std::int32_t height)
{
    if (width < FSize.Width) {
        ResizeHeight(height);
        ResizeWidth(width);
    } else {
        ResizeWidth(width);
        ResizeHeight(height);
    }
}

void TSeemCurving::RemoveMarkedArea(bool horizontalAllowed, bool verticalAllowed)
{
    while (!Stopped()) {
        if (horizontalAllowed && FSize.Height > MinimumSide && FFinder->HorizontalThroughRemoval() &&
            (!verticalAllowed || (FSize.Width > MinimumSide && FFinder->HorizontalPreferred()))) {
            if (!RemoveHorizontalSeam())
                break;
        } else if (verticalAllowed && FSize.Width > MinimumSide && FFinder->VerticalThroughRemoval()) {
            if (!RemoveVerticalSeam())
                break;
        } else {
            break;
        }
    }
}

void TSeemCurving::StretchToBuffer()
{
    ResizeWidth(FImage.Width());
    ResizeHeight(FImage.Height());
}
