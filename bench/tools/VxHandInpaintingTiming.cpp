// One pointer move of the hand inpainting tool while the source is chosen, as the user
// makes it, under the platform's GDI (Wine on the build machines): the best orientation
// and the patch for a 100 x 100 target, the document update, the repaint of the changed
// rectangle in a 1920 x 1080 view of a 24-megapixel picture, and the repaint of the
// 240 x 240 preview. At best fit and at 1/1; the median and the worst of 100 moves, with
// the engine alone (BestOrientation + Apply) beside them. Google Benchmark is not built
// for MinGW here, so this is a small timing loop.
//   scripts/build.sh win64 VxHandInpaintingTiming
//   scripts/wine-run.sh build/win64/tests/tools/VxHandInpaintingTiming.exe
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "editor/VxGraphicsDocument.h"
#include "imaging/VxBitmapDeviceWin32.h"
#include "tools/VxHandInpaintingTool.h"
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

// Grain and smooth shading, so the orientation search has near ties to weigh, and a dark
// wire across the middle: the defect.
void FillPicture(TVxPixels& pixels)
{
    std::uint32_t seed = 12345;
    for (int y = 0; y < pixels.Height(); ++y) {
        std::uint8_t* row = pixels.Row(y);
        for (int x = 0; x < pixels.Width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int grain = static_cast<int>(seed >> 28);
            row[3 * x] = static_cast<std::uint8_t>(60 + (x / 40) % 40 + grain);
            row[3 * x + 1] = static_cast<std::uint8_t>(90 + (y / 30) % 50 + grain);
            row[3 * x + 2] = static_cast<std::uint8_t>(120 + ((x + y) / 50) % 60 + grain);
        }
    }
    for (int y = 1999; y < 2002; ++y)
        std::memset(pixels.Row(y), 16, static_cast<std::size_t>(pixels.Width()) * 3);
}

TVxHandInpaintingTool* PreviewTool = nullptr;

LRESULT CALLBACK PreviewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT && PreviewTool) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        PreviewTool->PaintPreview(dc, client);
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

int wmain()
{
    TVxBitmapDeviceWin32 device;
    SetBitmapDevice(&device);
    TVxHandInpaintingTool tool(nullptr, Host);
    PreviewTool = &tool;
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
    cls.lpszClassName = L"VxInpaintingBenchHost";
    RegisterClassW(&cls);
    WNDCLASSW previewClass = cls;
    previewClass.lpfnWndProc = PreviewProc;
    previewClass.lpszClassName = L"VxInpaintingBenchPreview";
    RegisterClassW(&previewClass);
    HWND window = CreateWindowExW(0, cls.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, 1920, 1080, nullptr, nullptr,
                                  cls.hInstance, nullptr);
    HWND preview = CreateWindowExW(0, previewClass.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 1920, 0, 240, 240,
                                   nullptr, nullptr, cls.hInstance, nullptr);
    auto& view = static_cast<TVxGraphicsView&>(*document.GetView());
    view.CreateControl(window, RECT{0, 0, 1920, 1080});
    tool.CreateControl(view);
    tool.SetPreviewWindow(preview);
    Host.SetActiveTool(&tool);
    tool.SetBrushSize(100);

    for (const TVxZoom zoom : {FitZoom(TSize{1920, 1080}, TSize{6000, 4000}), TVxZoom{1, 1}}) {
        SetZoom(view, zoom.Numerator, zoom.Denominator);
        view.CenterOn(TPoint{3000, 2000});
        UpdateWindow(view.Handle());
        // The first click on the wire at the view's centre, then moves over clean places
        // above it, 3 screen pixels a step, back and forth.
        const TPoint centre = view.Mapping().LogicalToDevice(TPoint{3000, 2000});
        SendMessageW(view.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(centre.X, centre.Y));
        SendMessageW(view.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(centre.X, centre.Y));
        SendMessageW(view.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(centre.X, centre.Y));
        UpdateWindow(view.Handle());
        const int top = std::max(0, centre.Y - 300);
        char name[96];
        std::snprintf(name, sizeof name, "pointer move, zoom %d/%d, brush 100", zoom.Numerator, zoom.Denominator);
        Report(name, 100, [&](int i) {
            const int x = centre.X - 150 + 3 * (i < 50 ? i : 100 - i);
            SendMessageW(view.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(x, top + (i % 7)));
            UpdateWindow(view.Handle());
            UpdateWindow(preview);
        });
        SendMessageW(view.Handle(), WM_KEYDOWN, VK_ESCAPE, 1);
        UpdateWindow(view.Handle());
    }

    // The engine alone for the same target and a source 300 pixels above it.
    TAreaCorrelator engine(TRect{2950, 1950, 3051, 2051}, 2, document.Backup(), *document.ImagePixels());
    for (int y = 1950; y < 2051; ++y)
        for (int x = 2950; x < 3051; ++x)
            engine.SetMarked(x, y, (x - 3000) * (x - 3000) + (y - 2000) * (y - 2000) <= 50 * 50);
    engine.Split();
    engine.DropMinorityColours(0.2);
    engine.PrepareBlend();
    Report("engine: BestOrientation + Apply, 100 x 100", 100, [&](int i) {
        const TPoint source{2950 + (i % 9), 1650 + (i % 5)};
        engine.Apply(source, engine.BestOrientation(source), true, amPerChannel, 2);
    });

    Host.SetActiveTool(nullptr);
    DestroyWindow(preview);
    DestroyWindow(window);
    SetBitmapDevice(nullptr);
    return 0;
}
