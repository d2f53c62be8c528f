// Opening and saving a large JPEG through the graphics formats, timed (not a test: the
// bench script runs it under Wine beside the libjpeg command-line tools).
//   FormatsTiming make <file.jpg> <width> <height>   writes a photo-like JPEG
//   FormatsTiming time <file.jpg> <out.jpg> <runs>   prints "open_ms save_ms" (best run)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "editor/VxEditorTestSupport.h"
#include "editor/VxGdiplusCodec.h"
#include "editor/VxGraphicsFormats.h"

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
        double bestOpen = 1e30, bestSave = 1e30;
        for (int run = 0; run < runs; ++run) {
            TVxGraphicsDocument document(editor);
            std::int32_t format = 0;
            auto start = std::chrono::steady_clock::now();
            if (!formats.Load(document, argv[2], format))
                return 1;
            bestOpen = std::min(bestOpen, Milliseconds(std::chrono::steady_clock::now() - start));
            start = std::chrono::steady_clock::now();
            if (!formats.Save(document, argv[3], gfJPEG))
                return 1;
            bestSave = std::min(bestSave, Milliseconds(std::chrono::steady_clock::now() - start));
        }
        std::printf("%.1f %.1f\n", bestOpen, bestSave);
        return 0;
    }
    return 2;
}
