// Painting and scrolling of the view control under the platform's GDI (Wine on the
// build machines): one full repaint of a 1920 x 1080 view showing a 24-megapixel picture
// at best fit and at 1/1, the first paint at a reduced zoom (which builds the reduced
// copy), and 10-pixel scroll steps at 1/3, 1/1 and 3/1. Google Benchmark is not built
// for MinGW here, so this is a small timing loop reporting the median and the worst
// step in milliseconds.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "imaging/VxBitmapDeviceWin32.h"
#include "editor/VxGraphicsDocument.h"
#include "view/VxGraphicDocumentView.h"
#include "view/VxViewControl.h"
#include "view/VxZoomSteps.h"

namespace {

class TNullFormats : public TVxDocumentFormats {
public:
    std::int32_t Count() const override { return 0; }
    const TVxFileFormatInfo* Item(std::int32_t) const override { return nullptr; }
    bool Load(TVxDocument&, const std::filesystem::path&, std::int32_t&) override { return false; }
    bool Save(TVxDocument&, const std::filesystem::path&, std::int32_t) override { return false; }
    bool CanWrite(std::int32_t) const override { return false; }
};

class TNullUI : public IVxEditorUI {
public:
    std::wstring ApplicationTitle() const override { return L"Velloria"; }
    TVxButton ShowMessage(const std::wstring&, TVxMessageKind) override { return TVxButton::Ok; }
    std::optional<std::filesystem::path> RunOpenDialog(const TVxFileFormatArray&) override { return std::nullopt; }
    std::optional<TVxSaveChoice> RunSaveDialog(const TVxFileFormatArray&, const std::filesystem::path&, std::int32_t) override
    {
        return std::nullopt;
    }
    void SetCaption(const std::wstring&) override {}
};

class TBenchEditor : public TVxEditor {
public:
    explicit TBenchEditor(IVxEditorUI& ui) : TVxEditor(ui) {}
    TVxDocumentFormats& Formats() override { return FFormats; }
    std::unique_ptr<TVxDocument> CreateDocument() override { return std::make_unique<TVxGraphicsDocument>(*this); }

private:
    TNullFormats FFormats;
};

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Report(const char* name, int runs, const std::function<void(int)>& step)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        LARGE_INTEGER start, stop;
        QueryPerformanceCounter(&start);
        step(i);
        GdiFlush();
        QueryPerformanceCounter(&stop);
        times.push_back(Milliseconds(start, stop));
    }
    std::sort(times.begin(), times.end());
    std::printf("%-52s median %8.2f ms   worst %8.2f ms   min %8.2f ms   (%d runs)\n", name, times[times.size() / 2], times.back(),
                times.front(), runs);
    std::fflush(stdout);
}

// A photograph-like picture: gradients, so the stretch cannot take a constant shortcut.
void FillPicture(TVxPixels& pixels)
{
    for (int y = 0; y < pixels.Height(); ++y) {
        std::uint8_t* row = pixels.Row(y);
        for (int x = 0; x < pixels.Width(); ++x) {
            row[3 * x] = static_cast<std::uint8_t>(x);
            row[3 * x + 1] = static_cast<std::uint8_t>(y);
            row[3 * x + 2] = static_cast<std::uint8_t>(x ^ y);
        }
    }
}

} // namespace

int wmain()
{
    TVxBitmapDeviceWin32 device;
    SetBitmapDevice(&device);
    TNullUI ui;
    TBenchEditor editor(ui);
    TVxGraphicsDocument document(editor);
    if (!document.Image().Allocate(6000, 4000, fmtBGR24))
        return 1;
    FillPicture(*document.ImagePixels());

    WNDCLASSW cls{};
    cls.lpfnWndProc = DefWindowProcW;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = L"VxViewBenchHost";
    RegisterClassW(&cls);
    HWND host = CreateWindowExW(0, cls.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, 1920, 1080, nullptr, nullptr,
                                cls.hInstance, nullptr);
    TVxScrollViewControl view;
    view.CreateControl(host, RECT{0, 0, 1920, 1080});
    auto& layer = view.Objects().Add(std::make_unique<TVxGraphicDocumentView>(document));

    const auto show = [&](const TVxZoom& zoom) {
        view.Mapping().SetScale(zoom.Numerator, zoom.Denominator);
        layer.PictureChanged();
        view.Relayout();
        UpdateWindow(view.Handle());
    };
    const auto repaint = [&](int) {
        view.InvalidateAll();
        UpdateWindow(view.Handle());
    };
    show(FitZoom(TSize{1920, 1080}, TSize{6000, 4000}));
    Report("first paint at best fit (builds the reduced copy)", 5, [&](int) {
        layer.PictureChanged();
        repaint(0);
    });
    Report("full repaint 1920x1080, 6000x4000 at best fit", 100, repaint);
    show(TVxZoom{1, 3});
    view.CenterOn(TPoint{3000, 2000});
    UpdateWindow(view.Handle());
    Report("scroll step of 10 pixels at 1/3", 100, [&](int i) { view.ScrollBy(i % 2 ? 10 : -10, 0); });
    show(TVxZoom{1, 1});
    Report("full repaint 1920x1080, 6000x4000 at 1/1", 100, repaint);
    view.CenterOn(TPoint{3000, 2000});
    UpdateWindow(view.Handle());
    // Back and forth, so every step has room to move.
    Report("scroll step of 10 pixels at 1/1", 100, [&](int i) { view.ScrollBy(i % 2 ? 10 : -10, 0); });
    show(TVxZoom{3, 1});
    view.CenterOn(TPoint{3000, 2000});
    UpdateWindow(view.Handle());
    Report("scroll step of 10 pixels at 3/1", 100, [&](int i) { view.ScrollBy(0, i % 2 ? 10 : -10); });
    DestroyWindow(host);
    SetBitmapDevice(nullptr);
    return 0;
}
