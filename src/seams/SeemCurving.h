#pragma once
// The pixel side of seam carving: one seam at a time taken out of a picture or put into
// it, with the seam grid kept in step, and the loops of the smart tools built on that.
//
//   TSeemCurving carving(image, {width, height}, marks);   // fills the grid
//   carving.RemoveVerticalSeams(width / 5);      // stops early at a protected area
//   TSize result = carving.Size();               // the picture now fills this part of image
//
// The picture lies in the top-left part of the image buffer; the rest of the buffer is
// room for insertions. Rows and columns given up by a removal are filled with white.
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "imaging/VxBitmap.h"
#include "seams/SeemWayRatio.h"

// Whoever lays something over the picture (the tools' mark cells) and whoever shows the
// work in progress follows the seams through this.
class ISeemCurvingObserver {
public:
    virtual ~ISeemCurvingObserver() = default;
    // The seam about to be taken out or duplicated: its first pixel row in every pixel
    // column (horizontal seams) or its first pixel column in every pixel row (vertical
    // seams), already clamped so that a whole block fits into the picture.
    virtual void SeamChosen(TSeemKind, std::span<const std::int32_t>) {}
    // True when the seam should be painted into the picture before it goes (or before
    // its copy is restored), so that the user can watch the carving.
    virtual bool ShowsSeams() { return false; }
    // The seam is painted; the moment to let the window catch up.
    virtual void SeamShown(TSeemKind) {}
    // The pixels have moved: positions as in SeamChosen, farthest their largest value.
    virtual void SeamApplied(TSeemKind, std::span<const std::int32_t>, std::int32_t) {}
    virtual bool StopRequested() { return false; }
};

// Fills marks (one TSeemMark byte a pixel) for pixel row y.
using TSeemMarkReader = std::function<void(std::int32_t y, std::span<std::uint8_t> marks)>;

class TSeemCurving {
public:
    // The smallest side smart remove carves down to.
    static constexpr std::int32_t MinimumSide = 32;

    // Blocks by the picture-size rule for the whole buffer, the grid set to the picture's
    // size, every picture pixel added with its mark, gradient and energy computed.
    // image must be fmtBGR24 and at least size large (throws std::invalid_argument
    // otherwise); it stays owned by the caller and must outlive the carving.
    TSeemCurving(TVxPixels& image, TSize size, const TSeemMarkReader& marks = {},
                 ISeemCurvingObserver* observer = nullptr);

    TSize Size() const { return FSize; }
    std::int32_t BlockWidth() const { return FFinder->BlockWidth(); }
    std::int32_t BlockHeight() const { return FFinder->BlockHeight(); }
    TSeemWayRatio& Finder() { return *FFinder; }

    // One seam, pixels and grid together. False (nothing done) when the picture is too
    // small to give up a block or the buffer has no room for one more.
    bool RemoveHorizontalSeam();
    bool InsertHorizontalSeam();
    bool RemoveVerticalSeam();
    bool InsertVerticalSeam();

    // Up to count seams, stopping early at a seam through a protected block or at Stop.
    // Return the number of seams taken out.
    std::int32_t RemoveVerticalSeams(std::int32_t count);
    std::int32_t RemoveHorizontalSeams(std::int32_t count);

    // Smart resize: towards width x height by whole blocks, width first when it shrinks,
    // height first when the width grows; never through a protected block.
    void ResizeTo(std::int32_t width, std::int32_t height);
    // Smart remove: seams through the removal area while there are any, never below
    // MinimumSide, horizontal ones only when cheaper (or when vertical ones are not allowed).
    void RemoveMarkedArea(bool horizontalAllowed, bool verticalAllowed);
    // Smart remove's stretch back: insertions up to the buffer's size.
    void StretchToBuffer();

private:
    bool Stopped() { return FObserver && FObserver->StopRequested(); }
    bool Showing() { return FObserver && FObserver->ShowsSeams(); }
    void ResizeWidth(std::int32_t width);
    void ResizeHeight(std::int32_t height);
    std::int32_t CollectHorizontalSeam();
    std::int32_t CollectVerticalSeam();
    void PaintHorizontalSeam();
    void PaintVerticalSeam();
    void FillWhite(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);

    TVxPixels& FImage;
    TSize FSize;
    ISeemCurvingObserver* FObserver;
    std::unique_ptr<TSeemWayRatio> FFinder;
    std::vector<std::int32_t> FPositions;
    std::vector<std::uint8_t> FMarkRow;
};
