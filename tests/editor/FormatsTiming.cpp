// Opening and saving a large JPEG through the graphics formats, timed (not a test: the
// bench script runs it under Wine beside the libjpeg command-line tools).
//   FormatsTiming make <file.jpg> <width> <height>   writes a photo-like JPEG
//   FormatsTiming time <file.jpg> <out.jpg> <runs>   prints, best run each, in ms:
//     open (JPEG library), save q80 (library, every block encoded), open (GDI+),
//     save q80 (GDI+), lossless quarter turn of the held source, block-keeping re-save
//     after a 200 x 200 edit, the same re-save encoding every block
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "editor/VxEditorTestSupport.h"
#include "editor/VxGdiplusCodec.h"
#include "editor/VxGraphicsFormats.h"
#include "editor/VxJPEG.h"

namespace {

class TFixedPrompt : public IVxJPEGQualityPrompt {
public:
    std::optional<std::int32_t> AskQuality(std::int32_t) override { return 80; }
};

class TTimingEditor : public TVxEditor {
public:
    TTimingEditor(IVxEditorUI& ui, TVxGraphicsFormats& formats) : TVxEditor(ui), FFormats(formats) {}
    TVxDocumentFormats& Formats() override { return FFormats; }
    std::unique_ptr<TVxDocument> CreateDocument() override { return std::make_unique<TVxGraphicsDocument>(*this); }

private:
    TVxGraphicsFormats& FFormats;
};

double Milliseconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// Smooth light with texture, so the encoder works as on a photograph.
void PaintPhoto(TVxPixels& p)
{
    std::uint32_t noise = 12345;
    for (int y = 0; y < p.Height(); ++y) {
        std::uint8_t* row = p.Row(y);
        for (int x = 0; x < p.Width(); ++x, row += 3) {
            noise = noise * 1664525u + 1013904223u;
            const int grain = static_cast<int>(noise >> 28) - 8;
            row[0] = static_cast<std::uint8_t>(std::clamp((x * 200) / p.Width() + grain + 20, 0, 255));
            row[1] = static_cast<std::uint8_t>(std::clamp((y * 180) / p.Height() + grain + 40, 0, 255));
            row[2] = static_cast<std::uint8_t>(std::clamp(((x ^ y) & 0x7F) + grain + 60, 0, 255));
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    TScriptedUI ui;
    TVxGdiplusCodec codec;
    TFixedPrompt prompt;
    TVxGraphicsFormats formats(codec, prompt);
    TTimingEditor editor(ui, formats);
    const std::string mode = argv[1];
    if (mode == "make" && argc == 5) {
        TVxGraphicsDocument document(editor);
        if (!document.Image().Allocate(std::atoi(argv[3]), std::atoi(argv[4]), fmtBGR24))
            return 1;
        PaintPhoto(*document.ImagePixels());
        return formats.Save(document, argv[2], gfJPEG) ? 0 : 1;
    }
    if (mode == "time" && argc == 5) {
        const int runs = std::max(1, std::atoi(argv[4]));
        double best[7] = {1e30, 1e30, 1e30, 1e30, 1e30, 1e30, 1e30};
        const auto timed = [&](int slot, auto step) {
            const auto start = std::chrono::steady_clock::now();
            const bool ok = step();
            best[slot] = std::min(best[slot], Milliseconds(std::chrono::steady_clock::now() - start));
            return ok;
        };
        for (int run = 0; run < runs; ++run) {
            for (bool library : {true, false}) {
                TVxGraphicsDocument document(editor);
                if (!library)
                    document.SetJPEGSource(nullptr);
                std::int32_t format = 0;
                if (!timed(library ? 0 : 2, [&] { return formats.Load(document, argv[2], format); }))
                    return 1;
                if (document.JPEGSource())
                    document.JPEGSource()->Release(); // save through the quality prompt: every block encoded
                if (!timed(library ? 1 : 3, [&] { return formats.Save(document, argv[3], gfJPEG); }))
                    return 1;
            }
            TVxJPEG jpeg;
            if (!jpeg.Load(argv[2]))
                return 1;
            if (!timed(4, [&] { return jpeg.Rotate90Clockwise(0); }) || !jpeg.Rotate90Counterclockwise(0))
                return 1;
            TVxPixelBuffer picture(fmtBGR24, TRect{0, 0, jpeg.Width(), jpeg.Height()});
            if (!jpeg.Decode(picture.Row(0), picture.Stride()))
                return 1;
            for (int y = 1000; y < 1200; ++y)
                for (int x = 1000; x < 1200; ++x)
                    picture.PixelAddress(x, y)[0] ^= 0x20;
            const std::uint8_t* first = picture.Row(0);
            jpeg.SetRect(0, 0, jpeg.Width(), jpeg.Height());
            jpeg.SetPixels(&first, picture.Stride(), 0, 0);
            TVxJPEGSaveParameters keep, reencode;
            reencode.KeepBlocks = 0;
            if (!timed(5, [&] { return jpeg.SaveToMemory(keep).has_value(); })
                || !timed(6, [&] { return jpeg.SaveToMemory(reencode).has_value(); }))
                return 1;
        }
        std::printf("%.1f %.1f %.1f %.1f %.1f %.1f %.1f\n", best[0], best[1], best[2], best[3], best[4], best[5], best[6]);
        return 0;
    }
    return 2;
}
