#pragma once
// The JPEG library object a graphics document keeps beside its picture: it holds the
// file's JPEG stream, decodes it, turns, flips and crops it losslessly in the DCT domain,
// and writes the current pixels, keeping the source's coefficients wherever the pixels
// are those the source decodes to.
//
//   TVxJPEG jpeg;
//   if (jpeg.Load(fileName)) {
//       picture.Allocate(jpeg.Width(), jpeg.Height(), fmtBGR24);
//       jpeg.Decode(picture.Row(0), picture.Stride());
//   }
//   jpeg.Rotate90Clockwise(0);                       // the held source follows the picture
//   jpeg.SetRect(0, 0, w, h);
//   jpeg.SetPixels(&first, stride, 0, 0);
//   jpeg.SaveToFile(target, TVxJPEGSaveParameters{}); // unchanged blocks are copied
//
// Over libjpeg-turbo. libjpeg reports fatal errors through a callback that must not
// return; ours longjmps, but only to the setjmp in Guarded (VxJPEG.cpp), whose guarded
// steps hold no object with a destructor, so no C++ frame with live objects is skipped.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

// What a save writes. Quality -1 keeps the source's own quantization tables, which is
// what lets unchanged blocks be copied; any other quality re-encodes every block.
struct TVxJPEGSaveParameters {
    std::int32_t Quality = -1;        // 0 ... 100, or -1: the source's tables (75 without a source)
    std::int32_t Subsampling = -1;    // -1 the source's (4:2:0 without one), 444, 422, 420
    std::int32_t Progressive = 0;     // nonzero: progressive scans
    std::int32_t OptimizeHuffman = 1; // nonzero: Huffman tables made for the picture
    std::int32_t KeepExif = 1;        // nonzero: the source's APP1 EXIF block
    std::int32_t KeepIcc = 1;         // nonzero: the source's ICC profile (APP2)
    std::int32_t KeepOther = 1;       // nonzero: the source's comments and other APPn markers
    std::int32_t KeepBlocks = 1;      // nonzero: copy the coefficients of unchanged blocks
    std::int32_t RestartRows = 0;     // restart marker every so many MCU rows, 0 none
};

// What the last save did, for tests and the bench scripts.
struct TVxJPEGSaveReport {
    std::int64_t KeptBlocks = 0;      // MCUs whose coefficients came from the source
    std::int64_t EncodedBlocks = 0;   // MCUs encoded from the pixels
    bool Transcoded = false;          // no pixel was encoded at all
};

// The library object's operations, so the formats can do without one.
class IBJPEG {
public:
    virtual ~IBJPEG() = default;
    virtual bool HasSource() const = 0;
    virtual bool Load(const std::filesystem::path& fileName) = 0;
    virtual std::int32_t Width() const = 0;
    virtual std::int32_t Height() const = 0;
    virtual bool Decode(std::uint8_t* firstRow, std::int32_t stride) = 0;
    virtual void SetRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) = 0;
    // Makes the rectangle set last the held source (a document's crop): lossless when its
    // corner is on the MCU grid; otherwise the source is dropped. False when dropped.
    virtual bool CropSource() = 0;
    // Each takes 0, as the callers pass it; false when the source could not follow (it is
    // then dropped, and saves encode the pixels).
    virtual bool FlipHorizontal(std::int32_t) = 0;
    virtual bool FlipVertical(std::int32_t) = 0;
    virtual bool Rotate90Counterclockwise(std::int32_t) = 0;
    virtual bool Rotate90Clockwise(std::int32_t) = 0;
    virtual std::int32_t BlockWidth() const = 0;
    virtual std::int32_t BlockHeight() const = 0;
    virtual void BlockSizes(std::uint16_t (&pair)[2]) const = 0;
    virtual void SetPixels(const std::uint8_t* const* firstPixel, std::int32_t stride, std::int32_t, std::int32_t) = 0;
    virtual bool SaveToFile(const std::filesystem::path& fileName, const TVxJPEGSaveParameters& parameters) = 0;
    virtual void Release() = 0;
};

class TVxJPEG : public IBJPEG {
public:
    bool HasSource() const override { return !FSource.empty(); }
    bool Load(const std::filesystem::path& fileName) override;
    bool LoadFromMemory(std::vector<std::uint8_t> stream);
    std::int32_t Width() const override { return FWidth; }
    std::int32_t Height() const override { return FHeight; }
    bool Decode(std::uint8_t* firstRow, std::int32_t stride) override;
    void SetRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) override;
    bool CropSource() override;
    bool FlipHorizontal(std::int32_t) override;
    bool FlipVertical(std::int32_t) override;
    bool Rotate90Counterclockwise(std::int32_t) override;
    bool Rotate90Clockwise(std::int32_t) override;
    std::int32_t BlockWidth() const override { return FBlockWidth; }
    std::int32_t BlockHeight() const override { return FBlockHeight; }
    void BlockSizes(std::uint16_t (&pair)[2]) const override;
    void SetPixels(const std::uint8_t* const* firstPixel, std::int32_t stride, std::int32_t, std::int32_t) override;
    bool SaveToFile(const std::filesystem::path& fileName, const TVxJPEGSaveParameters& parameters) override;
    void Release() override;

    // The encoded file, for the formats' safe save and for tests.
    std::optional<std::vector<std::uint8_t>> SaveToMemory(const TVxJPEGSaveParameters& parameters);
    // Encodes pixels without a source (the options dialog's quality).
    static std::optional<std::vector<std::uint8_t>> Encode(const std::uint8_t* firstPixel, std::int32_t stride,
                                                           std::int32_t width, std::int32_t height,
                                                           const TVxJPEGSaveParameters& parameters);
    const std::vector<std::uint8_t>& Source() const { return FSource; }
    // The quality whose standard tables the source uses, or -1 (a camera's own tables).
    std::int32_t SourceQuality() const { return FSourceQuality; }
    const TVxJPEGSaveReport& LastSave() const { return FLastSave; }
    // Dots per inch from the JFIF header, 0 when it names none.
    std::int32_t ResolutionX() const { return FResolutionX; }
    std::int32_t ResolutionY() const { return FResolutionY; }

    // Pictures above this many pixels are refused before anything is allocated for them.
    static void SetMaxPixels(std::int64_t value);
    static std::int64_t MaxPixels();

    enum class TTransform { FlipH, FlipV, Rot90, Rot270, Crop };
    // One lossless step applied to the held source since it was loaded.
    struct TStep {
        TTransform Kind;
        std::int32_t Left, Top, Right, Bottom; // Crop only
    };

private:
    struct TSaveContext;
    std::optional<std::vector<std::uint8_t>> SaveKeepingBlocks(TSaveContext& context);
    std::optional<std::vector<std::uint8_t>> SaveEncodingAll(TSaveContext& context);
    bool Adopt(std::vector<std::uint8_t> stream);
    bool Transform(TTransform kind);
    void Remember(const TStep& step);
    bool DecodeReference(std::vector<std::uint8_t>& pixels) const;

    std::vector<std::uint8_t> FSource;
    // The source as loaded and the steps since: what the document's pixels came from. A
    // turned source does not decode to exactly the turned pixels (the IDCT and chroma
    // upsampling round differently), so unchanged blocks are found against these.
    std::vector<std::uint8_t> FLoaded;
    std::int32_t FLoadedWidth = 0, FLoadedHeight = 0;
    std::vector<TStep> FSteps;
    std::int32_t FWidth = 0, FHeight = 0;
    std::int32_t FBlockWidth = 8, FBlockHeight = 8;
    std::int32_t FSourceQuality = -1;
    std::int32_t FResolutionX = 0, FResolutionY = 0;
    std::int32_t FLeft = 0, FTop = 0, FRight = 0, FBottom = 0;
    const std::uint8_t* FPixels = nullptr;
    std::int32_t FStride = 0;
    TVxJPEGSaveReport FLastSave;
};
