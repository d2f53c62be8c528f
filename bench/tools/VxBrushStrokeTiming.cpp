// One brush-stroke step as the user makes it, under the platform's GDI (Wine on the build
// machines): a pointer move over a 1920 x 1080 view of a 24-megapixel picture, the stamp
// painted through the stroke mask, the changed rectangle and the brush outline repainted.
// At best fit (the view paints from its reduced copy, updated where the stamp reached)
// and at 1/1, with brushes of 10 and 50 pixels. Google Benchmark is not built for MinGW
// here, so this is a small timing loop reporting the median and the worst of 100 steps,
// with a skeleton (the pointer moves, the brush is hidden, nothing is painted) beside it.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "editor/VxGraphicsDocument.h"
#include "imaging/VxBitmapDeviceWin32.h"
#include "tools/VxBrushTool.h"
#include "view/VxGraphicsView.h"
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
    std::optional<TVxSaveChoice> RunSaveDialog(const TVxFileFormatArray&, const std::filesystem::path&,
                                               std::int32_t) override
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

// The editor as far as a tool and its view ask: one active tool, every edit allowed.
class TBenchHost : public IVxGraphicsToolHost {
public:
    void SetActiveTool(TVxGraphicsTool* tool) override
    {
        if (FActive)
            FActive->Deactivate();
        FActive = tool;
        if (FActive)
            FActive->Activate();
    }
    TVxGraphicsTool* ActiveTool() const override { return FActive; }
    bool CanStartEdit(const TVxGraphicsTool&) const override { return true; }
    void ZoomInCommand() override {}
    void ZoomOutCommand() override {}
    void ShowPointer(const TPoint&, std::uint32_t) override {}

private:
    TVxGraphicsTool* FActive = nullptr;
};

TBenchHost Host;

std::unique_ptr<TVxGraphicsDocumentView> MakeView(TVxGraphicsDocument& document)
{
    return std::make_unique<TVxGraphicsView>(document, Host);
}

// A brush that paints a colour through the stroke mask, as the painting tools will.
class TBenchBrush : public TVxBrushTool {
public:
    using TVxBrushTool::TVxBrushTool;
    bool Paints = true;
    void PaintEffect(const TRect& rect) override
    {
        TVxGraphicsDocument* document = ChangeDocument();
        if (Paints && document)
            PaintThroughMask(StrokeMask(), document->Backup(), 0xFF0000, rect, *document->ImagePixels());
    }
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
    std::printf("%-52s median %8.2f ms   worst %8.2f ms   (%d steps)\n", name, times[times.size() / 2], times.back(),
                runs);
    std::fflush(stdout);
}

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
    // The tool outlives the document: its view, and the control on it, go first.
    TBenchBrush brush(nullptr, Host);
    TNullUI ui;
    TBenchEditor editor(ui);
    TVxGraphicsDocument document(editor);
    if (!document.Image().Allocate(6000, 4000, fmtBGR24))
        return 1;
    FillPicture(*document.ImagePixels());
    document.ResetBackup();
    document.SetViewFactory(&MakeView);

    WNDCLASSW cls{};
    cls.lpfnWndProc = DefWindowProcW;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = L"VxBrushBenchHost";
    RegisterClassW(&cls);
    HWND window = CreateWindowExW(0, cls.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, 1920, 1080, nullptr, nullptr,
                                  cls.hInstance, nullptr);
    auto& view = static_cast<TVxGraphicsView&>(*document.GetView());
    view.CreateControl(window, RECT{0, 0, 1920, 1080});
    brush.CreateControl(view);
    Host.SetActiveTool(&brush);

    const auto show = [&](const TVxZoom& zoom) {
        SetZoom(view, zoom.Numerator, zoom.Denominator);
        view.CenterOn(TPoint{3000, 2000});
        UpdateWindow(view.Handle());
    };
    // A stroke across the middle of the view, 3 screen pixels a step, back and forth.
    const auto stroke = [&](const char* name, bool paints) {
        brush.Paints = paints;
        const WPARAM keys = paints ? MK_LBUTTON : 0;
        if (paints)
            SendMessageW(view.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(800, 540));
        UpdateWindow(view.Handle());
        Report(name, 100, [&](int i) {
            const int x = 800 + 3 * (i < 50 ? i : 100 - i);
            SendMessageW(view.Handle(), WM_MOUSEMOVE, keys, MAKELPARAM(x, 540 + (i % 7)));
            UpdateWindow(view.Handle());
        });
        if (paints)
            SendMessageW(view.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(800, 540));
        UpdateWindow(view.Handle());
    };
    for (const TVxZoom zoom : {FitZoom(TSize{1920, 1080}, TSize{6000, 4000}), TVxZoom{1, 1}}) {
        show(zoom);
        for (int size : {10, 50}) {
            brush.SetBrushSize(size);
            char name[96];
            std::snprintf(name, sizeof name, "pointer move only, zoom %d/%d, brush %d", zoom.Numerator,
                          zoom.Denominator, size);
            stroke(name, false);
            std::snprintf(name, sizeof name, "stroke step, zoom %d/%d, brush %d", zoom.Numerator, zoom.Denominator,
                          size);
            stroke(name, true);
        }
    }
    Host.SetActiveTool(nullptr);
    DestroyWindow(window);
    SetBitmapDevice(nullptr);
    return 0;
}
