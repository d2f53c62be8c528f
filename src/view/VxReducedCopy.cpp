#include "view/VxReducedCopy.h"

#include <algorithm>

namespace {

const TLanczosResampler& Lanczos()
{
    static const TLanczosResampler lanczos;
    return lanczos;
}

} // namespace

TVxReducedCopy::TAxisReach TVxReducedCopy::BuildReach(std::int32_t reduced, std::int32_t source,
                                                      const TPixelResampler& resampler)
{
    TAxisReach reach;
    reach.First.assign(static_cast<std::size_t>(source), reduced);
    reach.Last.assign(static_cast<std::size_t>(source), 0);
    const TMappingTable table = BuildMappingTable(0, reduced, 0, reduced, 0, source, resampler);
    for (std::int32_t d = 0; d < static_cast<std::int32_t>(table.size()); ++d)
        for (const TTap& tap : table[static_cast<std::size_t>(d)]) {
            if (tap.Index < 0 || tap.Index >= source)
                continue;
            auto i = static_cast<std::size_t>(tap.Index);
            reach.First[i] = std::min(reach.First[i], d);
            reach.Last[i] = std::max(reach.Last[i], d + 1);
        }
    return reach;
}

void TVxReducedCopy::Clear()
{
    FCopy.Clear();
    FDirty = TRect{};
    FColumns = {};
    FRows = {};
}

void TVxReducedCopy::Invalidate(const TRect& pictureRect)
{
    if (Valid())
        FDirty = UnionRect(FDirty, AffectedRect(pictureRect));
}

TRect TVxReducedCopy::AffectedRect(const TRect& pictureRect) const
{
    const TRect r = IntersectRect(pictureRect, TRect{0, 0, FPictureSize.Width, FPictureSize.Height});
    if (r.IsEmpty() || FColumns.First.empty() || FRows.First.empty())
        return TRect{};
    TRect result{FCopy.Width(), FCopy.Height(), 0, 0};
    for (std::int32_t x = r.Left; x < r.Right; ++x) {
        result.Left = std::min(result.Left, FColumns.First[static_cast<std::size_t>(x)]);
        result.Right = std::max(result.Right, FColumns.Last[static_cast<std::size_t>(x)]);
    }
    for (std::int32_t y = r.Top; y < r.Bottom; ++y) {
        result.Top = std::min(result.Top, FRows.First[static_cast<std::size_t>(y)]);
        result.Bottom = std::max(result.Bottom, FRows.Last[static_cast<std::size_t>(y)]);
    }
    return result.IsEmpty() ? TRect{} : result;
}

const TVxPixels* TVxReducedCopy::Get(const TVxPixels& picture, const TSize& size)
{
    if (picture.Format() != fmtBGR24 || size.Width <= 0 || size.Height <= 0 || size.Width >= picture.Width() ||
        size.Height >= picture.Height())
        return nullptr;
    if (!Valid() || FCopy.Width() != size.Width || FCopy.Height() != size.Height ||
        !(FPictureSize == TSize{picture.Width(), picture.Height()}))
        Rebuild(picture, size);
    else if (!FDirty.IsEmpty())
        Update(picture, FDirty);
    FDirty = TRect{};
    return &FCopy;
}

void TVxReducedCopy::Rebuild(const TVxPixels& picture, const TSize& size)
{
    Clear();
    FCopy.SetFormatAndBounds(fmtBGR24, TRect{0, 0, size.Width, size.Height});
    FPictureSize = TSize{picture.Width(), picture.Height()};
    FColumns = BuildReach(size.Width, picture.Width(), Lanczos());
    FRows = BuildReach(size.Height, picture.Height(), Lanczos());
    Update(picture, FCopy.GetBounds());
}

void TVxReducedCopy::Update(const TVxPixels& picture, const TRect& reducedRect)
{
    TResampleOptions options;
    options.Threads = ResampleThreadCount();
    Resample(FCopy, FCopy.GetBounds(), reducedRect, Lanczos(), picture.GetBounds(), picture, options);
}
