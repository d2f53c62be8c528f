#pragma once
// Covers a marked defect inside a target square with a patch of the same picture.
//
//   TAreaCorrelator engine(targetSquare, 2, backup, image);   // read from backup, write to image
//   for (each marked pixel) engine.SetMarked(x, y, true);
//   engine.Split();                                            // once per target
//   engine.DropMinorityColours(0.2);                           // optional: a wire crossing the ring
//   engine.PrepareBlend();                                     // optional: soft edge next to the ring
//   int k = engine.BestOrientation(sourceTopLeft);             // per pointer move
//   engine.Apply(sourceTopLeft, k, true, amPerChannel, 2);
//
// Marked cells that touch unmarked ones form the ring, which is only read: it chooses the
// orientation and measures the colour correction. The interior is what gets written.
#include <cstdint>
#include <vector>

#include "imaging/VxBitmap.h"
#include "imaging/VxGeometry.h"
#include "inpainting/BorderArea8.h"

enum TAdjustmentMode : int {
    amNone = 0,       // the patch as it is
    amBrightness = 1, // one fitted correction of the channel sum, shared by the channels
    amPerChannel = 2, // one fitted correction per channel
};

class TAreaCorrelator {
public:
    // The read and write images must outlive the correlator. Pixels are only read from
    // readImage, so the written patch never feeds back into the next pointer move.
    TAreaCorrelator(const TRect& target, std::int32_t radius2, const TVxPixels& readImage, TVxPixels& writeImage);
    TAreaCorrelator(const TAreaCorrelator&) = delete;
    TAreaCorrelator& operator=(const TAreaCorrelator&) = delete;

    const TRect& Target() const { return FTarget; }
    // Positions outside the target square are ignored.
    void SetMarked(std::int32_t x, std::int32_t y, bool marked);
    bool Marked(std::int32_t x, std::int32_t y) const;

    void Split();
    void DropMinorityColours(double fraction);
    void PrepareBlend();
    int BestOrientation(const TPoint& source) const;
    // Unknown modes write nothing.
    void Apply(const TPoint& source, int orientation, bool blend, int mode, int level);

    const TBorderArea8& Ring() const { return FRing; }
    const TBorderArea8& Interior() const { return FInterior; }

private:
    struct TCellPair {
        const std::uint8_t* Source;
        const std::uint8_t* Target;
    };

    bool TouchesOutside(std::int32_t a, std::int32_t b, std::int32_t radius) const;
    bool InsideImage(std::int32_t x, std::int32_t y) const { return FImageBounds.Contains(x, y); }
    std::uint32_t ColourAt(const TCellPlace& own) const;
    // Both pixels of a cell, or nothing when either lies outside the image.
    bool ReadPair(const TBorderCell& cell, const TPoint& source, int orientation, TCellPair& pair) const;
    std::uint8_t* WriteAddress(const TCellPlace& own) const;

    void ApplyPlain(const TPoint& source, int orientation, bool blend);
    void ApplyBrightness(const TPoint& source, int orientation, int level);
    void ApplyPerChannel(const TPoint& source, int orientation, bool blend, int level);
    static void BlendWithTarget(std::uint8_t* colour, const std::uint8_t* target, const TBorderCell& cell);

    TRect FTarget;
    std::int32_t FRadius2;
    const TVxPixels& FReadImage;
    TVxPixels& FWriteImage;
    TRect FImageBounds;               // empty when the read image is not a 24-bit picture
    TRect FWriteBounds;               // likewise for the write image
    std::vector<std::uint8_t> FMarks; // Width x Height, row by row
    TBorderArea8 FRing;
    TBorderArea8 FInterior;
};
