#include "editor/VxGraphicsDocument.h"

#include <cmath>
#include <new>

#include "imaging/VxResample.h"

namespace {

std::int32_t CeilDiv(std::int64_t a, std::int64_t b) { return static_cast<std::int32_t>(a >= 0 ? (a + b - 1) / b : a / b); }
std::int32_t FloorDiv(std::int64_t a, std::int64_t b) { return static_cast<std::int32_t>(a >= 0 ? a / b : (a - b + 1) / b); }

std::int32_t ScaleRounded(std::int32_t value, std::int32_t to, std::int32_t from)
{
    const double scaled = std::round(static_cast<double>(value) * to / from);
    return scaled < 1.0 ? 1 : static_cast<std::int32_t>(scaled);
}

} // namespace

TVxGraphicsDocument::TVxGraphicsDocument(TVxEditor& editor)
    : TVxDocument(editor), FJPEGSource(std::make_unique<TVxJPEG>())
{
}

TVxGraphicsDocument::~TVxGraphicsDocument() = default;

void TVxGraphicsDocument::CreateView(std::unique_ptr<TVxDocumentView>& view)
{
    if (FViewFactory)
        view = FViewFactory(*this);
}

TVxGraphicsDocumentView* TVxGraphicsDocument::GraphicsView() const
{
    return static_cast<TVxGraphicsDocumentView*>(View());
}

void TVxGraphicsDocument::BeforeClose()
{
    if (FTools)
        FTools->DocumentClosing(*this);
}

void TVxGraphicsDocument::BeforeSave()
{
    if (FTools)
        FTools->DocumentSaving(*this);
}

void TVxGraphicsDocument::AfterOpen()
{
    if (FTools)
        FTools->DocumentOpened(*this);
}

void TVxGraphicsDocument::BeginChange(IVxEditingTool* tool)
{
    if (FEditInProgress)
        EndChange(this);
    FChangedRect = TRect{};
    FEditingTool = tool;
    FEditInProgress = true;
}

void TVxGraphicsDocument::EndChange(const void* sender)
{
    FEditInProgress = false;
    if (sender == this && FEditingTool)
        FEditingTool->EndChange();
    FChangedRect = TRect{};
}

void TVxGraphicsDocument::ResetChange()
{
    FEditInProgress = false;
    FEditingTool = nullptr;
    FChangedRect = TRect{};
}

void TVxGraphicsDocument::AddChangedRect(const TRect& rect, bool replace)
{
    FChangedRect = replace || FChangedRect.IsEmpty() ? rect : UnionRect(FChangedRect, rect);
    InvalidateImageRect(rect);
}

void TVxGraphicsDocument::InvalidateImageRect(const TRect& rect)
{
    if (TVxGraphicsDocumentView* view = GraphicsView())
        view->InvalidateImageRect(rect);
}

void TVxGraphicsDocument::ResetBackup()
{
    if (const TVxPixels* pixels = FImage.GetPixels())
        FBackup.Assign(*pixels);
    else
        FBackup.Clear();
}

void TVxGraphicsDocument::StateRestored(IVxEditingTool* tool, const TRect& rect)
{
    if (FTools)
        FTools->StateRestored(*this, tool, rect);
}

void TVxGraphicsDocument::GetWorkArea(TRect& rect) const
{
    rect = HasWorkArea() ? FWorkArea : FImage.GetBounds();
}

void TVxGraphicsDocument::SetWorkArea(const TRect& rect)
{
    FWorkArea = IntersectRect(rect, FImage.GetBounds());
    if (FWorkArea == FImage.GetBounds())
        FWorkArea = TRect{};
    ImageChanged();
}

void TVxGraphicsDocument::ImageChanged()
{
    if (TVxGraphicsDocumentView* view = GraphicsView())
        view->ImageChanged(FImage.GetWidth(), FImage.GetHeight());
}

// The held JPEG source follows the picture; when it cannot (memory, a turn that would
// not be lossless) it is dropped, and the next save encodes the pixels.
template <typename TStep>
void TVxGraphicsDocument::FollowSource(TStep step)
{
    if (!FJPEGSource || !FJPEGSource->HasSource())
        return;
    try {
        step(*FJPEGSource);
    } catch (const std::bad_alloc&) {
        FJPEGSource->Release();
    }
}

// Turns the original first and undoes that when the picture cannot follow, so the two
// never end up in different orientations.
template <typename TTurn>
bool TVxGraphicsDocument::TurnBoth(TTurn turn)
{
    const bool hasOriginal = !FOriginalImage.IsEmpty();
    if (hasOriginal && !turn(FOriginalImage, false))
        return false;
    if (!turn(FImage, false)) {
        if (hasOriginal)
            turn(FOriginalImage, true);
        return false;
    }
    try {
        ResetBackup();
    } catch (const std::bad_alloc&) {
        // The backup keeps the picture as it was (a failed allocation leaves it alone), so
        // turning both back gives the document it had.
        turn(FImage, true);
        if (hasOriginal)
            turn(FOriginalImage, true);
        return false;
    }
    ImageChanged();
    return true;
}

bool TVxGraphicsDocument::RotateLeft()
{
    const std::int32_t w = FImage.GetWidth();
    const TRect a = FWorkArea;
    const bool done = TurnBoth([](TVxLTBitmap& b, bool back) { return back ? b.RotateRight() : b.RotateLeft(); });
    if (done && !a.IsEmpty())
        FWorkArea = TRect{a.Top, w - a.Right, a.Bottom, w - a.Left};
    if (done) {
        FollowSource([](IBJPEG& jpeg) { jpeg.Rotate90Counterclockwise(0); });
        FProperties.Turned = true;
    }
    return done;
}

bool TVxGraphicsDocument::RotateRight()
{
    const std::int32_t h = FImage.GetHeight();
    const TRect a = FWorkArea;
    const bool done = TurnBoth([](TVxLTBitmap& b, bool back) { return back ? b.RotateLeft() : b.RotateRight(); });
    if (done && !a.IsEmpty())
        FWorkArea = TRect{h - a.Bottom, a.Left, h - a.Top, a.Right};
    if (done) {
        FollowSource([](IBJPEG& jpeg) { jpeg.Rotate90Clockwise(0); });
        FProperties.Turned = true;
    }
    return done;
}

bool TVxGraphicsDocument::FlipHorizontal()
{
    const std::int32_t w = FImage.GetWidth();
    const TRect a = FWorkArea;
    const bool done = TurnBoth([](TVxLTBitmap& b, bool) { return b.FlipHorizontal(); });
    if (done && !a.IsEmpty())
        FWorkArea = TRect{w - a.Right, a.Top, w - a.Left, a.Bottom};
    if (done) {
        FollowSource([](IBJPEG& jpeg) { jpeg.FlipHorizontal(0); });
        FProperties.Turned = true;
    }
    return done;
}

bool TVxGraphicsDocument::FlipVertical()
{
    const std::int32_t h = FImage.GetHeight();
    const TRect a = FWorkArea;
    const bool done = TurnBoth([](TVxLTBitmap& b, bool) { return b.FlipVertical(); });
    if (done && !a.IsEmpty())
        FWorkArea = TRect{a.Left, h - a.Bottom, a.Right, h - a.Top};
    if (done) {
        FollowSource([](IBJPEG& jpeg) { jpeg.FlipVertical(0); });
        FProperties.Turned = true;
    }
    return done;
}

bool TVxGraphicsDocument::Crop(const TRect& rect)
{
    const TRect r = IntersectRect(rect, FImage.GetBounds());
    if (r.IsEmpty())
        return false;
    // The original copy may be of another size (a resize without originalToo); it is
    // cut to its own overlap.
    std::unique_ptr<TVxLTBitmap> original;
    if (!FOriginalImage.IsEmpty()) {
        original = FOriginalImage.Clone();
        if (!original || !original->Crop(r))
            return false;
    }
    if (!FImage.Crop(r))
        return false;
    if (original)
        FOriginalImage.LoadFromBuffer(*original->GetPixels());
    FWorkArea = TRect{};
    // The source is cut to the very rectangle the picture was: on the MCU grid that is
    // lossless; off it the source is dropped (a crop from the grid-aligned corner would
    // save a picture shifted against the one the user sees).
    FollowSource([&](IBJPEG& jpeg) {
        jpeg.SetRect(r.Left, r.Top, r.Right, r.Bottom);
        jpeg.CropSource();
    });
    ResetBackup();
    ImageChanged();
    return true;
}

bool TVxGraphicsDocument::Resize(std::int32_t width, std::int32_t height, bool originalToo, bool adjustWorkArea)
{
    const std::int32_t w = FImage.GetWidth();
    const std::int32_t h = FImage.GetHeight();
    if (w <= 0 || h <= 0 || width <= 0 || height <= 0)
        return false;
    if (originalToo && !FOriginalImage.IsEmpty()) {
        std::int32_t ow = width;
        std::int32_t oh = height;
        if (FOriginalImage.GetWidth() != w || FOriginalImage.GetHeight() != h) {
            ow = ScaleRounded(FOriginalImage.GetWidth(), width, w);
            oh = ScaleRounded(FOriginalImage.GetHeight(), height, h);
        }
        if (!FOriginalImage.Resize(ow, oh))
            return false;
    }
    if (!FImage.Resize(width, height))
        return false;
    if (adjustWorkArea && HasWorkArea()) {
        const TRect a = FWorkArea;
        FWorkArea = TRect{CeilDiv(std::int64_t{a.Left} * width, w), CeilDiv(std::int64_t{a.Top} * height, h),
                          FloorDiv(std::int64_t{a.Right} * width, w), FloorDiv(std::int64_t{a.Bottom} * height, h)};
    }
    FollowSource([&](IBJPEG& jpeg) { jpeg.SetRect(0, 0, width, height); });
    ResetBackup();
    ImageChanged();
    return true;
}

bool TVxGraphicsDocument::ResizeCanvas(std::int32_t width, std::int32_t height, bool originalToo)
{
    if (originalToo && !FOriginalImage.IsEmpty() && !FOriginalImage.ResizeCanvas(width, height))
        return false;
    if (!FImage.ResizeCanvas(width, height))
        return false;
    FWorkArea = TRect{};
    if (FTools)
        FTools->ImageBufferMoved(*this);
    FollowSource([&](IBJPEG& jpeg) { jpeg.SetRect(0, 0, width, height); });
    ResetBackup();
    ImageChanged();
    return true;
}

bool TVxGraphicsDocument::SetPictures(const TVxPixels& image, const TVxPixels* original)
{
    if (original && !FOriginalImage.LoadFromBuffer(*original))
        return false;
    if (!FImage.LoadFromBuffer(image))
        return false;
    ResetBackup();
    ImageChanged();
    return true;
}

bool TVxGraphicsDocument::GetPictures(TVxPixelBuffer& image, TVxPixelBuffer* original) const
{
    if (original && !FOriginalImage.SaveToBuffer(*original))
        return false;
    return FImage.SaveToBuffer(image);
}

std::unique_ptr<TVxLTBitmap> TVxGraphicsDocument::ScaledCopy(const TSize& size) const
{
    const TVxPixels* pixels = FImage.GetPixels();
    if (!pixels)
        return nullptr;
    const std::optional<TSize> fit = FitSize(pixels->Width(), pixels->Height(), size.Width, size.Height);
    if (!fit)
        return nullptr;
    auto copy = std::make_unique<TVxLTBitmap>();
    if (!copy->Allocate(fit->Width, fit->Height, fmtBGR24))
        return nullptr;
    TLanczosResampler lanczos;
    TVxPixels& target = *copy->GetPixels();
    Resample(target, target.GetBounds(), target.GetBounds(), lanczos, pixels->GetBounds(), *pixels);
    return copy;
}
