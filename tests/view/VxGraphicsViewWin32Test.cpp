#include <gtest/gtest.h>

#include <windows.h>

#include "imaging/VxBitmapDeviceWin32.h"
#include "editor/VxEditorTestSupport.h"
#include "view/VxGraphicsView.h"
#include "view/VxScrollTool.h"
#include "view/VxZoomSteps.h"

namespace {

// The editor's part as the tools see it: the active tool, zoom requests and the status
// bar's pointer values.
class TTestHost : public IVxGraphicsToolHost {
public:
    void SetActiveTool(TVxGraphicsTool* tool) override { Tools.SetActiveTool(tool); }
    TVxGraphicsTool* ActiveTool() const override { return static_cast<TVxGraphicsTool*>(Tools.ActiveTool()); }
    bool CanStartEdit(const TVxGraphicsTool& tool) const override { return Tools.CanStartEdit(&tool, Document); }
    void ZoomInCommand() override { ++ZoomIns; }
    void ZoomOutCommand() override { ++ZoomOuts; }
    void ShowPointer(const TPoint& imagePoint, std::uint32_t colour) override
    {
        Pointer = imagePoint;
        Colour = colour;
    }

    TVxToolSwitch Tools;
    TVxGraphicsDocument* Document = nullptr;
    int ZoomIns = 0;
    int ZoomOuts = 0;
    TPoint Pointer{-1, -1};
    std::uint32_t Colour = 0xFFFFFFFF;
};

// The tool the tests use until real tools exist: a left drag paints a 3 x 3 square of
// value 255 at every image point it passes; the button's release ends the stroke.
class TStrokeControl : public TVxGraphicsToolControl {
public:
    bool MouseDown(TVxMouseButton button, TVxShiftState, const TPoint& point) override
    {
        if (!Active() || button != TVxMouseButton::Left || !Tool().Host().CanStartEdit(Tool()))
            return false;
        Tool().BeginChange(View().Document(), &View());
        Dab(point);
        return true;
    }
    bool MouseMove(TVxShiftState shift, const TPoint& point) override
    {
        if (!Active() || !(shift & MK_LBUTTON) || Tool().ChangeDocument() == nullptr)
            return false;
        Dab(point);
        return true;
    }
    bool MouseUp(TVxMouseButton button, TVxShiftState, const TPoint&) override
    {
        if (!Active() || button != TVxMouseButton::Left)
            return false;
        Tool().EndChange();
        return true;
    }
    bool KeyDown(WORD key, TVxShiftState) override
    {
        Keys.push_back(key);
        return false;
    }
    std::vector<WORD> Keys;

private:
    friend class TVxGraphicsToolControl;
    using TVxGraphicsToolControl::TVxGraphicsToolControl;

    void Dab(const TPoint& windowPoint)
    {
        TVxGraphicsDocument& document = View().Document();
        const TPoint p = View().Mapping().DeviceToLogical(windowPoint);
        const TRect rect = IntersectRect(TRect{p.X - 1, p.Y - 1, p.X + 2, p.Y + 2}, document.Image().GetBounds());
        TVxPixels& image = *document.ImagePixels();
        for (int y = rect.Top; y < rect.Bottom; ++y)
            std::fill(image.PixelAddress(rect.Left, y), image.PixelAddress(rect.Right, y), 255);
        document.AddChangedRect(rect, false);
    }
};

class TStrokeTool : public TVxGraphicsTool {
public:
    TStrokeTool(TVxComponent* owner, IVxGraphicsToolHost& host) : TVxGraphicsTool(owner, host)
    {
        SetCommandName(L"Stroke");
        SetControlClass([](TVxGraphicsTool& tool, TVxGraphicsView& view) -> TVxGraphicsToolControl& {
            return TVxGraphicsToolControl::Create<TStrokeControl>(tool, view);
        });
    }
};

LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

void ActualSize(TVxGraphicsView& view) { SetZoom(view, 1, 1); }

class VxGraphicsViewWin32Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetBitmapDevice(&Device);
        WNDCLASSW cls{};
        cls.lpfnWndProc = DefWindowProcW;
        cls.hInstance = GetModuleHandleW(nullptr);
        cls.lpszClassName = L"VxGraphicsViewTestHost";
        RegisterClassW(&cls);
        Host = CreateWindowExW(0, cls.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr, nullptr,
                               cls.hInstance, nullptr);
        ToolHost.Document = &Document;
    }
    void TearDown() override
    {
        View.reset();
        DestroyWindow(Host);
        SetBitmapDevice(nullptr);
    }

    // Zoom 0/0: the automatic fit.
    void Open(int width, int height, TVxZoom zoom = TVxZoom{0, 0})
    {
        ASSERT_TRUE(Document.Image().Allocate(width, height, fmtBGR24));
        TVxPixels& p = *Document.ImagePixels();
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                std::uint8_t* px = p.PixelAddress(x, y);
                px[0] = static_cast<std::uint8_t>(x);
                px[1] = static_cast<std::uint8_t>(y);
                px[2] = 7;
            }
        Document.ResetBackup();
        View = std::make_unique<TVxGraphicsView>(Document, ToolHost);
        ASSERT_TRUE(View->CreateControl(Host, RECT{0, 0, 800, 600}));
        Hand.CreateControl(*View);
        Stroke.CreateControl(*View);
        if (zoom.Numerator == 0)
            zoom = AutoFitZoom(View->ControlSize(), TSize{width, height});
        View->Mapping().SetScale(zoom.Numerator, zoom.Denominator);
        View->Relayout();
        ToolHost.SetActiveTool(&Stroke);
    }

    void Send(UINT message, WPARAM wParam, LPARAM lParam) { SendMessageW(View->Handle(), message, wParam, lParam); }
    TPoint Origin() const { return TPoint{View->Mapping().ViewportOrgX, View->Mapping().ViewportOrgY}; }
    TStrokeControl& StrokeControl() const { return *static_cast<TStrokeControl*>(Stroke.Controls().front()); }

    TVxBitmapDeviceWin32 Device;
    TScriptedUI UI;
    TTestEditor Editor{UI};
    TVxGraphicsDocument Document{Editor};
    TTestHost ToolHost;
    TVxScrollTool Hand{nullptr, ToolHost};
    TStrokeTool Stroke{nullptr, ToolHost};
    HWND Host = nullptr;
    std::unique_ptr<TVxGraphicsView> View;
};

TEST_F(VxGraphicsViewWin32Test, HandDragsThePictureAndStopsAtItsEdge)
{
    Open(2000, 1500, TVxZoom{1, 1});
    ASSERT_EQ(Origin(), (TPoint{0, 0}));
    Send(WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(ToolHost.ActiveTool(), &Hand);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, At(400, 300));
    Send(WM_MOUSEMOVE, MK_LBUTTON, At(300, 260));
    EXPECT_EQ(Origin(), (TPoint{-100, -40}));
    Send(WM_MOUSEMOVE, MK_LBUTTON, At(-3000, -3000));
    const TSize client = View->ClientSize();
    EXPECT_EQ(Origin(), (TPoint{client.Width - 2000, client.Height - 1500}));
    Send(WM_MOUSEMOVE, MK_LBUTTON, At(5000, 5000));
    EXPECT_EQ(Origin(), (TPoint{0, 0}));
    Send(WM_LBUTTONUP, 0, At(5000, 5000));
    Send(WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(ToolHost.ActiveTool(), &Stroke);
    EXPECT_EQ(Document.History().Count(), 0); // the hand changed nothing
}

TEST_F(VxGraphicsViewWin32Test, AutomaticFitOfALargePictureFillsTheView)
{
    Open(2000, 1500);
    EXPECT_EQ(View->Mapping().ViewportExtX, 600);
    EXPECT_EQ(View->Mapping().WindowExtX, 1500);
    EXPECT_EQ(Origin(), (TPoint{0, 0}));
    EXPECT_FALSE(GetWindowLongW(View->Handle(), GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL));
}

TEST_F(VxGraphicsViewWin32Test, ZoomSequences)
{
    Open(3700, 1000); // best fit: 800/3700, about 0.216
    struct {
        void (*Command)(TVxGraphicsView&);
        TVxZoom Expected;
    } const steps[] = {
        {&ActualSize, {1, 1}}, {&ZoomIn, {3, 2}},   {&ZoomIn, {2, 1}},   {&ZoomOut, {3, 2}}, {&ZoomOut, {1, 1}},
        {&ZoomOut, {3, 4}},    {&FitToWindow, {800, 3700}}, {&ZoomIn, {1, 4}}, {&FitToWindow, {800, 3700}}, {&ZoomOut, {1, 5}},
    };
    for (const auto& step : steps) {
        step.Command(*View);
        EXPECT_EQ((TVxZoom{View->Mapping().ViewportExtX, View->Mapping().WindowExtX}), step.Expected);
    }
    for (int i = 0; i < 25; ++i)
        ZoomIn(*View);
    EXPECT_EQ(View->Mapping().ViewportExtX, 16);
    for (int i = 0; i < 25; ++i)
        ZoomOut(*View);
    EXPECT_EQ(View->Mapping().WindowExtX, 16);
}

TEST_F(VxGraphicsViewWin32Test, ZoomingKeepsTheCentrePointInPlace)
{
    Open(3000, 2000, TVxZoom{1, 1});
    View->CenterOn(TPoint{1200, 900});
    const TSize client = View->ClientSize();
    const TPoint centre{client.Width / 2, client.Height / 2};
    const TPoint before = View->Mapping().DeviceToLogical(centre);
    for (auto command : {&ZoomIn, &ZoomIn, &ZoomOut, &ZoomOut, &ZoomOut}) {
        command(*View);
        const TPoint after = View->Mapping().DeviceToLogical(View->Mapping().LogicalToDevice(before));
        EXPECT_EQ(after, before);
        const TPoint atCentre = View->Mapping().DeviceToLogical(centre);
        EXPECT_LE(std::abs(atCentre.X - before.X), 2);
        EXPECT_LE(std::abs(atCentre.Y - before.Y), 2);
    }
}

TEST_F(VxGraphicsViewWin32Test, BestFitAtThirtySevenHundredthsThenInAndOut)
{
    Open(2000, 1000);
    SetZoom(*View, 37, 100);
    ZoomIn(*View);
    EXPECT_EQ((TVxZoom{View->Mapping().ViewportExtX, View->Mapping().WindowExtX}), (TVxZoom{1, 2}));
    SetZoom(*View, 37, 100);
    ZoomOut(*View);
    EXPECT_EQ((TVxZoom{View->Mapping().ViewportExtX, View->Mapping().WindowExtX}), (TVxZoom{1, 3}));
}

TEST_F(VxGraphicsViewWin32Test, AutomaticFitOfASmallPictureIsActualSizeAndBestFitEnlarges)
{
    Open(400, 300);
    EXPECT_EQ((TVxZoom{View->Mapping().ViewportExtX, View->Mapping().WindowExtX}), (TVxZoom{1, 1}));
    FitToWindow(*View);
    EXPECT_EQ((TVxZoom{View->Mapping().ViewportExtX, View->Mapping().WindowExtX}), (TVxZoom{600, 300}));
    EXPECT_EQ(Origin(), (TPoint{0, 0}));
}

TEST_F(VxGraphicsViewWin32Test, SmallPictureDoesNotMoveUnderTheHand)
{
    Open(300, 200);
    const TPoint centred = Origin();
    EXPECT_EQ(centred, (TPoint{250, 200}));
    Send(WM_KEYDOWN, VK_SPACE, 0);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, At(400, 300));
    Send(WM_MOUSEMOVE, MK_LBUTTON, At(100, 100));
    EXPECT_EQ(Origin(), centred);
    Send(WM_LBUTTONUP, 0, At(100, 100));
    Send(WM_KEYUP, VK_SPACE, 0);
}

TEST_F(VxGraphicsViewWin32Test, ZoomKeysReachTheEditorAndTheOtherTools)
{
    Open(300, 200);
    Send(WM_KEYDOWN, 187, 0);
    Send(WM_KEYDOWN, 189, 0);
    Send(WM_KEYDOWN, VK_SPACE, 0);
    Send(WM_KEYDOWN, 187, 0); // with the space bar held too
    EXPECT_EQ(ToolHost.ZoomIns, 2);
    EXPECT_EQ(ToolHost.ZoomOuts, 1);
    // The hand's control lies lowest (its tool is created first in the editor), so the
    // stroke control above it sees the space bar too.
    EXPECT_EQ(StrokeControl().Keys, (std::vector<WORD>{187, 189, VK_SPACE, 187}));
    Send(WM_KEYUP, VK_SPACE, 0);
}

TEST_F(VxGraphicsViewWin32Test, StatusValuesUnderThePointer)
{
    Open(300, 200); // centred at (250, 200)
    Send(WM_MOUSEMOVE, 0, At(250 + 17, 200 + 9));
    EXPECT_EQ(ToolHost.Pointer, (TPoint{17, 9}));
    EXPECT_EQ(ToolHost.Colour, 0x070911u);
    Send(WM_MOUSEMOVE, 0, At(10, 10)); // outside the picture
    EXPECT_EQ(ToolHost.Pointer, (TPoint{-240, -190}));
    EXPECT_EQ(ToolHost.Colour, 0u);
}

TEST_F(VxGraphicsViewWin32Test, TwoStrokesUndoOneAtATime)
{
    Open(300, 200);
    const auto stroke = [&](int y) {
        Send(WM_LBUTTONDOWN, MK_LBUTTON, At(260, 200 + y));
        Send(WM_MOUSEMOVE, MK_LBUTTON, At(280, 200 + y));
        Send(WM_LBUTTONUP, 0, At(280, 200 + y));
    };
    stroke(20);
    stroke(50);
    ASSERT_EQ(Document.History().Count(), 2);
    EXPECT_EQ(*Document.ImagePixels()->PixelAddress(10, 20), 255);
    EXPECT_EQ(*Document.ImagePixels()->PixelAddress(30, 50), 255);
    Document.History().Undo();
    EXPECT_EQ(*Document.ImagePixels()->PixelAddress(30, 50), 30);
    EXPECT_EQ(*Document.ImagePixels()->PixelAddress(10, 20), 255);
    Document.History().Undo();
    EXPECT_EQ(*Document.ImagePixels()->PixelAddress(10, 20), 10);
}

TEST_F(VxGraphicsViewWin32Test, LockedToolsRefuseOthersButTheActiveOne)
{
    Open(300, 200);
    ToolHost.Tools.LockTools();
    EXPECT_TRUE(ToolHost.CanStartEdit(Stroke));
    EXPECT_FALSE(ToolHost.CanStartEdit(Hand));
    ToolHost.Tools.UnlockTools();
    EXPECT_TRUE(ToolHost.CanStartEdit(Hand));
}

TEST_F(VxGraphicsViewWin32Test, ToolControlsAreFreedWithTheView)
{
    Open(300, 200);
    EXPECT_EQ(Hand.Controls().size(), 1u);
    View.reset();
    EXPECT_TRUE(Hand.Controls().empty());
    EXPECT_TRUE(Stroke.Controls().empty());
}

} // namespace
