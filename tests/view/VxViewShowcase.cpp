// Shows the view and the open dialog for tests/view/screenshots.sh: a generated
// photograph at best fit ("fit") or at 300 % ("300"), or the open dialog over a folder
// with its preview pane ("dialog <folder>"). Ends by itself after a few seconds.
#include <windows.h>
#include <commctrl.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "imaging/VxBitmapDeviceWin32.h"
#include "editor/VxEditorTestSupport.h"
#include "view/VxFileDialogs.h"
#include "view/VxGraphicsView.h"
#include "view/VxZoomSteps.h"

namespace {

void Photograph(TVxPixels& p)
{
    // Sky, a sun, hills and a lake: enough structure to see scale and position.
    for (int y = 0; y < p.Height(); ++y)
        for (int x = 0; x < p.Width(); ++x) {
            std::uint8_t* px = p.PixelAddress(x, y);
            const double fy = static_cast<double>(y) / p.Height(), fx = static_cast<double>(x) / p.Width();
            double r = 120 + 100 * fy, g = 160 + 60 * fy, b = 235;
            const double hill = 0.55 + 0.08 * std::sin(fx * 9) + 0.04 * std::sin(fx * 23 + 1);
            if (fy > hill) { r = 40 + 60 * fx; g = 110 + 50 * (1 - fy); b = 40; }
            if (fy > 0.8) { r = 50; g = 90 + 40 * std::sin(fx * 60); b = 160; }
            const double dx = fx - 0.72, dy = fy - 0.22;
            if (dx * dx + dy * dy * 2.25 < 0.004) { r = 255; g = 220; b = 90; }
            if ((x / 8 + y / 8) % 2 == 0 && fy > 0.8 && fx < 0.05) { r = g = b = 255; }
            px[0] = static_cast<std::uint8_t>(b);
            px[1] = static_cast<std::uint8_t>(g);
            px[2] = static_cast<std::uint8_t>(r);
        }
}

class TShowHost : public IVxGraphicsToolHost {
public:
    void SetActiveTool(TVxGraphicsTool*) override {}
    TVxGraphicsTool* ActiveTool() const override { return nullptr; }
    bool CanStartEdit(const TVxGraphicsTool&) const override { return true; }
    void ZoomInCommand() override {}
    void ZoomOutCommand() override {}
    void ShowPointer(const TPoint&, std::uint32_t) override {}
};

// A thumbnail painted from the generated photograph.
class TPictureThumbnail : public TVxThumbnail {
public:
    TPictureThumbnail()
    {
        FPixels.SetFormatAndBounds(fmtBGR24, TRect{0, 0, 300, 200});
        Photograph(FPixels);
    }
    bool Draw(TVxDeviceContext dc, const TRect& destRect, TRect& drawnRect) override
    {
        const auto size = FitSize(300, 200, destRect.Width(), destRect.Height());
        if (!size)
            return false;
        drawnRect = Bounds(destRect.Left + (destRect.Width() - size->Width) / 2, destRect.Top + (destRect.Height() - size->Height) / 2,
                           size->Width, size->Height);
        TVxBitmapDeviceWin32 device;
        return device.Paint(dc, FPixels, drawnRect, FPixels.GetBounds(), destRect);
    }

private:
    TVxPixelBuffer FPixels;
};

class TShowFormats : public TStubFormats {
public:
    bool GetFileInfo(const std::filesystem::path& fileName, std::unique_ptr<TVxFileInfo>& info) override
    {
        class TInfo : public TVxFileInfo {
        public:
            using TVxFileInfo::TVxFileInfo;
            std::wstring Description() const override { return L"JPEG image\n3000 x 2000 pixels\n24 bits per pixel"; }
        };
        info = std::make_unique<TInfo>(fileName);
        return true;
    }
    bool GetThumbnail(const std::filesystem::path&, std::int32_t, std::unique_ptr<TVxThumbnail>& thumbnail, std::int32_t) override
    {
        thumbnail = std::make_unique<TPictureThumbnail>();
        return true;
    }
};

// Selects the second file of the dialog's list, as a user's click would.
void CALLBACK SelectInDialog(HWND, UINT, UINT_PTR, DWORD)
{
    HWND dialog = FindWindowW(L"#32770", nullptr);
    HWND list = dialog ? FindWindowExW(FindWindowExW(dialog, nullptr, L"SHELLDLL_DefView", nullptr), nullptr, L"SysListView32", nullptr) : nullptr;
    if (!list)
        return;
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&item));
}

void CALLBACK EndDialog(HWND, UINT, UINT_PTR, DWORD)
{
    if (HWND dialog = FindWindowW(L"#32770", nullptr))
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

int ShowView(bool fit)
{
    TVxBitmapDeviceWin32 device;
    SetBitmapDevice(&device);
    TScriptedUI ui;
    TTestEditor editor(ui);
    TVxGraphicsDocument document(editor);
    document.Image().Allocate(3000, 2000, fmtBGR24);
    Photograph(*document.ImagePixels());
    WNDCLASSW cls{};
    cls.lpfnWndProc = DefWindowProcW;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = L"VxShowcase";
    RegisterClassW(&cls);
    HWND host = CreateWindowExW(0, cls.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, 1000, 700, nullptr, nullptr, cls.hInstance, nullptr);
    TShowHost toolHost;
    TVxGraphicsView view(document, toolHost);
    view.CreateControl(host, RECT{0, 0, 1000, 700});
    const TVxZoom zoom = fit ? FitZoom(view.ControlSize(), TSize{3000, 2000}) : TVxZoom{3, 1};
    view.Mapping().SetScale(zoom.Numerator, zoom.Denominator);
    view.Relayout();
    view.CenterOn(TPoint{2160, 440});
    const DWORD end = GetTickCount() + 6000;
    MSG msg;
    while (GetTickCount() < end) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        Sleep(20);
    }
    DestroyWindow(host);
    SetBitmapDevice(nullptr);
    return 0;
}

int ShowDialog(const std::wstring& folder)
{
    InitCommonControls();
    TShowFormats formats;
    TVxOpenDialog dialog(nullptr, formats);
    dialog.SetFileName(std::filesystem::path(folder) / L"");
    SetTimer(nullptr, 1, 2500, &SelectInDialog);
    SetTimer(nullptr, 2, 9000, &EndDialog);
    dialog.Execute();
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring mode = argc > 1 ? argv[1] : L"fit";
    if (mode == L"dialog")
        return ShowDialog(argc > 2 ? argv[2] : L".");
    return ShowView(mode == L"fit");
}
