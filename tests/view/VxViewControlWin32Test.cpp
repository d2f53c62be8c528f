#include <gtest/gtest.h>

#include <windows.h>

#include "imaging/VxBitmapDeviceWin32.h"
#include "editor/VxEditorTestSupport.h"
#include "view/VxGraphicDocumentView.h"
#include "view/VxViewControl.h"

namespace {

// The topmost layer: remembers the update region's box and reads pixels after every
// layer below has painted (outlines come last).
class TProbeLayer : public TVxViewObject {
public:
    TProbeLayer()
    {
        Flags = vofVisible | vofOutline | vofNoExtent;
        Bounds = TRect{-100000, -100000, 100000, 100000};
    }
    void DrawOutline(TVxViewCanvas& canvas) override
    {
        ++Paints;
        Box = canvas.ClipBox();
        const TVxCanvasPixels& pixels = canvas.Pixels();
        if (pixels.GetBounds().Contains(Probe.X, Probe.Y)) {
            const std::uint8_t* p = pixels.PixelAddress(Probe.X, Probe.Y);
            ProbeColour = (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
        }
    }
    int Paints = 0;
    TRect Box;
    TPoint Probe{0, 0};
    std::uint32_t ProbeColour = 0xFFFFFFFF;
};

class VxViewControlWin32Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetBitmapDevice(&Device);
        WNDCLASSW cls{};
        cls.lpfnWndProc = DefWindowProcW;
        cls.hInstance = GetModuleHandleW(nullptr);
        cls.lpszClassName = L"VxViewTestHost";
        RegisterClassW(&cls);
        Host = CreateWindowExW(0, L"VxViewTestHost", L"", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr, nullptr,
                               cls.hInstance, nullptr);
        ASSERT_NE(Host, nullptr);
        ASSERT_TRUE(View.CreateControl(Host, RECT{0, 0, 800, 600}));
        Probe = &View.Objects().Add(std::make_unique<TProbeLayer>());
    }
    void TearDown() override
    {
        DestroyWindow(Host);
        SetBitmapDevice(nullptr);
    }

    void ShowPicture(int width, int height, std::uint8_t value)
    {
        ASSERT_TRUE(Document.Image().Allocate(width, height, fmtBGR24));
        TVxPixels& p = *Document.ImagePixels();
        for (int y = 0; y < height; ++y)
            std::fill(p.Row(y), p.Row(y) + width * 3, value);
        auto layer = View.Objects().Extract(*Probe);
        View.Objects().Clear();
        View.Objects().Add(std::make_unique<TVxGraphicDocumentView>(Document));
        Probe = &View.Objects().Add(std::unique_ptr<TProbeLayer>(static_cast<TProbeLayer*>(layer.release())));
        View.Relayout();
        Pump();
    }

    static void Pump()
    {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }

    bool HasBar(DWORD style) const { return (GetWindowLongW(View.Handle(), GWL_STYLE) & style) != 0; }
    TPoint Origin() { return TPoint{View.Mapping().ViewportOrgX, View.Mapping().ViewportOrgY}; }

    TVxBitmapDeviceWin32 Device;
    TScriptedUI UI;
    TTestEditor Editor{UI};
    TVxGraphicsDocument Document{Editor};
    HWND Host = nullptr;
    TVxScrollViewControl View;
    TProbeLayer* Probe = nullptr;
};

TEST_F(VxViewControlWin32Test, SmallPictureIsCentredWithoutScrollBars)
{
    ShowPicture(400, 300, 200);
    EXPECT_EQ(Origin(), (TPoint{200, 150}));
    EXPECT_FALSE(HasBar(WS_HSCROLL));
    EXPECT_FALSE(HasBar(WS_VSCROLL));
    // Growing the window keeps it centred.
    SetWindowPos(View.Handle(), nullptr, 0, 0, 900, 700, SWP_NOZORDER | SWP_NOMOVE);
    Pump();
    EXPECT_EQ(Origin(), (TPoint{250, 200}));
}

TEST_F(VxViewControlWin32Test, PaintsPictureThenBackgroundOutside)
{
    ShowPicture(400, 300, 200);
    for (const auto& [point, colour] : {std::pair{TPoint{300, 200}, 0xC8C8C8u}, std::pair{TPoint{50, 50}, 0x404040u}}) {
        Probe->Probe = point;
        View.InvalidateAll();
        UpdateWindow(View.Handle());
        EXPECT_EQ(Probe->ProbeColour, colour);
    }
}

TEST_F(VxViewControlWin32Test, SlightlyWiderPictureNeedsBothBars)
{
    const int barHeight = GetSystemMetrics(SM_CYHSCROLL);
    ShowPicture(810, 600 - barHeight / 2, 10);
    EXPECT_TRUE(HasBar(WS_HSCROLL));
    EXPECT_TRUE(HasBar(WS_VSCROLL));
}

TEST_F(VxViewControlWin32Test, WiderButLowPictureNeedsOnlyTheHorizontalBar)
{
    ShowPicture(810, 400, 10);
    EXPECT_TRUE(HasBar(WS_HSCROLL));
    EXPECT_FALSE(HasBar(WS_VSCROLL));
}

TEST_F(VxViewControlWin32Test, ScrollingRepaintsOnlyTheUncoveredStrip)
{
    ShowPicture(2000, 1500, 90);
    UpdateWindow(View.Handle());
    const TSize client = View.ClientSize();
    const int before = Probe->Paints;
    View.ScrollContent(-10, 0);
    EXPECT_EQ(Probe->Paints, before + 1);
    EXPECT_EQ(Probe->Box, (TRect{client.Width - 10, 0, client.Width, client.Height}));
    View.ScrollContent(0, -7);
    EXPECT_EQ(Probe->Box, (TRect{0, client.Height - 7, client.Width, client.Height}));
}

TEST_F(VxViewControlWin32Test, ScrollBarLineAndPageRequests)
{
    ShowPicture(2000, 1500, 90);
    EXPECT_EQ(Origin(), (TPoint{0, 0}));
    SendMessageW(View.Handle(), WM_HSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(Origin().X, -10);
    EXPECT_EQ(GetScrollPos(View.Handle(), SB_HORZ), 10);
    SendMessageW(View.Handle(), WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(Origin().Y, -450); // three quarters of the 600-pixel page
    SendMessageW(View.Handle(), WM_HSCROLL, SB_LINEUP, 0);
    SendMessageW(View.Handle(), WM_HSCROLL, SB_LINEUP, 0);
    EXPECT_EQ(Origin().X, 0);
}

TEST_F(VxViewControlWin32Test, CenterOnKeepsTheRangeClamp)
{
    ShowPicture(2000, 1500, 90);
    View.CenterOn(TPoint{1000, 750});
    const TSize client = View.ClientSize();
    EXPECT_EQ(Origin(), (TPoint{client.Width / 2 - 1000, client.Height / 2 - 750}));
    View.CenterOn(TPoint{1990, 10});
    EXPECT_EQ(Origin().Y, 0);
    EXPECT_EQ(Origin().X, client.Width - 2000);
}

TEST_F(VxViewControlWin32Test, EmptyUpdateRegionPaintsNothing)
{
    ShowPicture(400, 300, 200);
    UpdateWindow(View.Handle());
    const int before = Probe->Paints;
    SendMessageW(View.Handle(), WM_PAINT, 0, 0);
    EXPECT_EQ(Probe->Paints, before);
}

} // namespace
