// The brush framework's stroke protocol through a real view window: what a press, moves
// and a release do in each draw mode, the size keys and the wheel, and the stroke mask.
#include <gtest/gtest.h>

#include <windows.h>

#include "editor/VxEditorTestSupport.h"
#include "imaging/VxBitmapDeviceWin32.h"
#include "tools/VxBrushShapes.h"
#include "tools/VxBrushTool.h"
#include "view/VxGraphicsView.h"

namespace {

class TTestHost : public IVxGraphicsToolHost {
public:
    void SetActiveTool(TVxGraphicsTool* tool) override { Tools.SetActiveTool(tool); }
    TVxGraphicsTool* ActiveTool() const override { return static_cast<TVxGraphicsTool*>(Tools.ActiveTool()); }
    bool CanStartEdit(const TVxGraphicsTool& tool) const override { return Tools.CanStartEdit(&tool, Document); }
    void ZoomInCommand() override {}
    void ZoomOutCommand() override {}
    void ShowPointer(const TPoint&, std::uint32_t) override {}

    TVxToolSwitch Tools;
    TVxGraphicsDocument* Document = nullptr;
};

// Paints white through the stroke mask over the picture as it was before the stroke, and
// remembers the largest stroke-mask area it was given.
class TTestBrush : public TVxBrushTool {
public:
    TTestBrush(TVxComponent* owner, IVxGraphicsToolHost& host) : TVxBrushTool(owner, host)
    {
        SetCommandName(L"TestBrush");
        AccumulateStroke = true;
    }
    void PaintEffect(const TRect& rect) override
    {
        ++Stamps;
        PaintThroughMask(StrokeMask(), ChangeDocument()->Backup(), 0xFFFFFF, rect, *ChangeDocument()->ImagePixels());
    }
    int Stamps = 0;
};

class VxBrushToolWin32Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetBitmapDevice(&Device);
        WNDCLASSW cls{};
        cls.lpfnWndProc = DefWindowProcW;
        cls.hInstance = GetModuleHandleW(nullptr);
        cls.lpszClassName = L"VxBrushToolTestHost";
        RegisterClassW(&cls);
        Window = CreateWindowExW(0, cls.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr,
                                 cls.hInstance, nullptr);
        ASSERT_TRUE(Document.Image().Allocate(200, 150, fmtBGR24));
        Document.ResetBackup();
        ToolHost.Document = &Document;
        View = std::make_unique<TVxGraphicsView>(Document, ToolHost);
        ASSERT_TRUE(View->CreateControl(Window, RECT{0, 0, 400, 300}));
        View->Mapping().SetScale(1, 1);
        View->Relayout();
        Brush.CreateControl(*View);
        ToolHost.SetActiveTool(&Brush);
    }
    void TearDown() override
    {
        ToolHost.SetActiveTool(nullptr);
        View.reset();
        DestroyWindow(Window);
        SetBitmapDevice(nullptr);
    }

    // Window point of an image point at 1/1.
    LPARAM At(int x, int y) const
    {
        const TPoint p = View->Mapping().LogicalToDevice(TPoint{x, y});
        return MAKELPARAM(p.X, p.Y);
    }
    void Send(UINT message, WPARAM keys, LPARAM point) { SendMessageW(View->Handle(), message, keys, point); }
    int Pixel(int x, int y) const { return Document.ImagePixels()->PixelAddress(x, y)[0]; }

    TVxBitmapDeviceWin32 Device;
    HWND Window = nullptr;
    TScriptedUI UI;
    TTestEditor Editor{UI};
    TVxGraphicsDocument Document{Editor};
    TTestHost ToolHost;
    TTestBrush Brush{nullptr, ToolHost};
    std::unique_ptr<TVxGraphicsView> View;
};

} // namespace

TEST_F(VxBrushToolWin32Test, AStrokeIsOneUndoStepAndPassingTwiceKeepsOneWeight)
{
    Send(WM_LBUTTONDOWN, MK_LBUTTON, At(50, 50));
    for (int x : {55, 60, 55, 50})
        Send(WM_MOUSEMOVE, MK_LBUTTON, At(x, 50));
    EXPECT_EQ(Document.History().Count(), 0); // the stroke is still open
    EXPECT_FALSE(Brush.StrokeMask().GetBounds().IsEmpty());
    Send(WM_LBUTTONUP, 0, At(50, 50));
    EXPECT_EQ(Document.History().Count(), 1);
    EXPECT_TRUE(Brush.StrokeMask().GetBounds().IsEmpty());
    EXPECT_EQ(Brush.Stamps, 5);

    // (50, 54) lies only under the stamps at x = 50, 55 and 60 at most; its value is the
    // largest weight once, not their sum.
    TVxPixelMask brush;
    BuildLinearBrush(brush, 10, 128, 255);
    int weight = 0;
    for (int cx : {50, 55, 60})
        if (const std::uint8_t* w = brush.ValueAt(50 - cx + 5, 54 - 50 + 5))
            weight = std::max<int>(weight, *w);
    EXPECT_EQ(Pixel(50, 54), weight == 255 ? 255 : (weight * 255) >> 8);
    EXPECT_EQ(Pixel(50, 50), 255);
    EXPECT_EQ(Pixel(80, 50), 0);

    Document.History().Undo();
    EXPECT_EQ(Pixel(50, 50), 0);
}

TEST_F(VxBrushToolWin32Test, StampModesPaintOnPressOrOnRelease)
{
    Brush.DrawMode = dmStampOnPress;
    Send(WM_LBUTTONDOWN, MK_LBUTTON, At(20, 20));
    EXPECT_EQ(Document.History().Count(), 1);
    Send(WM_MOUSEMOVE, MK_LBUTTON, At(40, 20));
    Send(WM_LBUTTONUP, 0, At(40, 20));
    EXPECT_EQ(Document.History().Count(), 1);
    EXPECT_EQ(Pixel(40, 20), 0);

    Brush.DrawMode = dmStampOnRelease;
    Send(WM_LBUTTONDOWN, MK_LBUTTON, At(100, 100));
    EXPECT_EQ(Document.History().Count(), 1);
    Send(WM_MOUSEMOVE, MK_LBUTTON, At(120, 100));
    Send(WM_LBUTTONUP, 0, At(120, 100));
    EXPECT_EQ(Document.History().Count(), 2);
    EXPECT_EQ(Pixel(120, 100), 255);
    EXPECT_EQ(Pixel(100, 100), 0);
}

TEST_F(VxBrushToolWin32Test, AStampAtTheEdgeIsCutToThePicture)
{
    Send(WM_LBUTTONDOWN, MK_LBUTTON, At(0, 0));
    Send(WM_LBUTTONUP, 0, At(0, 0));
    ASSERT_EQ(Document.History().Count(), 1);
    const auto* state = dynamic_cast<TVxGraphicsCommandState*>(Document.History().NextUndo());
    ASSERT_NE(state, nullptr);
    EXPECT_EQ(state->Before().GetBounds(), (TRect{0, 0, 6, 6}));
}

TEST_F(VxBrushToolWin32Test, SizeKeysWheelAndCommandsKeepTheLimits)
{
    struct TCase {
        WORD Key;
        int Expected;
    };
    for (const TCase c : {TCase{VK_PRIOR, 11}, TCase{VK_UP, 12}, TCase{VK_RIGHT, 13}, TCase{VK_NEXT, 12},
                          TCase{VK_LEFT, 11}, TCase{VK_DOWN, 10}}) {
        Send(WM_KEYDOWN, c.Key, 1);
        EXPECT_EQ(Brush.BrushSize(), c.Expected) << "key " << c.Key;
    }
    bool handled = false;
    Brush.ExecuteCommand(L"TESTBRUSHSIZE 50", handled);
    EXPECT_TRUE(handled);
    EXPECT_EQ(Brush.BrushSize(), 50);
    Send(WM_KEYDOWN, VK_PRIOR, 1);
    EXPECT_EQ(Brush.BrushSize(), 50); // Page Up at the maximum does nothing
    EXPECT_EQ(Brush.BrushMask().Width(), 51);
    Brush.SetBrushSize(0);
    EXPECT_EQ(Brush.BrushSize(), 50);

    // The wheel the view reports: one step, but not while a stroke runs.
    Send(WM_MOUSEMOVE, 0, At(60, 60));
    TVxGraphicsToolControl& control = *Brush.Controls().front();
    EXPECT_TRUE(control.MouseWheel(0, -1, TPoint{}));
    EXPECT_EQ(Brush.BrushSize(), 49);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, At(60, 60));
    EXPECT_FALSE(control.MouseWheel(0, -1, TPoint{}));
    EXPECT_EQ(Brush.BrushSize(), 49);
    Send(WM_LBUTTONUP, 0, At(60, 60));

    handled = false;
    Brush.ExecuteCommand(L"TESTBRUSHHARDNESS 255", handled);
    EXPECT_TRUE(handled);
    EXPECT_EQ(Brush.Hardness(), 255);
    EXPECT_EQ(*Brush.BrushMask().ValueAt(24, 24), 255);
}

TEST_F(VxBrushToolWin32Test, TheOutlineReplacesTheCursorAndFollowsTheZoom)
{
    std::int32_t cursor = 0;
    TVxGraphicsToolControl& control = *Brush.Controls().front();
    EXPECT_TRUE(control.GetCursor(0, TPoint{}, cursor));
    EXPECT_EQ(cursor, NoCursorIndex);
    // At 1/1 a size-10 brush's outline is 10 pixels across plus one on every side.
    TVxMapMode mapping;
    mapping.SetScale(1, 1);
    const TRect r = BrushOutlineRect(mapping, TPoint{50, 50}, 10);
    EXPECT_EQ(r.Width(), 12);
    EXPECT_EQ(r.Height(), 12);
    mapping.SetScale(1, 4);
    EXPECT_EQ(BrushOutlineRect(mapping, TPoint{50, 50}, 1).Width(), 3); // never below 1 x 1
}
