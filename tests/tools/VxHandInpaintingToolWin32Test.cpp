// The hand inpainting tool through a real view window: the two clicks and the live move
// between them, one undo step per kept patch, Cancel putting the picture back without
// touching the history, the orientation rules, the preview's zoom and when the loupe
// follows the pointer.
#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "editor/VxEditorTestSupport.h"
#include "imaging/VxBitmapDeviceWin32.h"
#include "imaging/VxGdiplus.h"
#include "support/VxPixelCompare.h"
#include "support/VxTestPictures.h"
#include "tools/VxBrushShapes.h"
#include "tools/VxHandInpaintingTool.h"
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

constexpr int WireY = 75;

class VxHandInpaintingToolWin32Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetBitmapDevice(&Device);
        WNDCLASSW cls{};
        cls.lpfnWndProc = DefWindowProcW;
        cls.hInstance = GetModuleHandleW(nullptr);
        cls.lpszClassName = L"VxHandInpaintingTestHost";
        RegisterClassW(&cls);
        Window = CreateWindowExW(0, cls.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr,
                                 cls.hInstance, nullptr);
        ASSERT_TRUE(Document.Image().Allocate(200, 150, fmtBGR24));
        TVxPixels& image = *Document.ImagePixels();
        FillPhotoLike(image, 17);
        // A dark wire, two pixels thick, across the whole picture.
        for (int y = WireY; y < WireY + 2; ++y)
            for (int x = 0; x < image.Width(); ++x)
                ColorToBytes(0x101010, image.PixelAddress(x, y));
        Document.ResetBackup();
        ToolHost.Document = &Document;
        View = std::make_unique<TVxGraphicsView>(Document, ToolHost);
        ASSERT_TRUE(View->CreateControl(Window, RECT{0, 0, 400, 300}));
        View->Mapping().SetScale(1, 1);
        View->Relayout();
        Tool.CreateControl(*View);
        ToolHost.SetActiveTool(&Tool);
    }
    void TearDown() override
    {
        ToolHost.SetActiveTool(nullptr);
        View.reset();
        DestroyWindow(Window);
        SetBitmapDevice(nullptr);
    }

    LPARAM At(int x, int y) const
    {
        const TPoint p = View->Mapping().LogicalToDevice(TPoint{x, y});
        return MAKELPARAM(p.X, p.Y);
    }
    void Send(UINT message, WPARAM keys, LPARAM point) { SendMessageW(View->Handle(), message, keys, point); }
    void ClickAt(int x, int y)
    {
        Send(WM_MOUSEMOVE, 0, At(x, y));
        Send(WM_LBUTTONDOWN, MK_LBUTTON, At(x, y));
        Send(WM_LBUTTONUP, 0, At(x, y));
    }
    void MoveTo(int x, int y) { Send(WM_MOUSEMOVE, 0, At(x, y)); }
    TVxGraphicsToolControl& Control() const { return *Tool.Controls().front(); }
    std::unique_ptr<TVxPixelBuffer> Snapshot() const
    {
        auto copy = std::make_unique<TVxPixelBuffer>();
        copy->Assign(*Document.ImagePixels());
        return copy;
    }
    // Pixels of rect that differ from before.
    int ChangedIn(const TVxPixels& before, const TRect& rect) const
    {
        int changed = 0;
        for (int y = rect.Top; y < rect.Bottom; ++y)
            for (int x = rect.Left; x < rect.Right; ++x)
                changed += std::memcmp(before.PixelAddress(x, y), Document.ImagePixels()->PixelAddress(x, y), 3) != 0;
        return changed;
    }

    TVxBitmapDeviceWin32 Device;
    HWND Window = nullptr;
    TScriptedUI UI;
    TTestEditor Editor{UI};
    TVxGraphicsDocument Document{Editor};
    TTestHost ToolHost;
    TVxHandInpaintingTool Tool{nullptr, ToolHost};
    std::unique_ptr<TVxGraphicsView> View;
};

} // namespace

TEST(VxHandInpaintingPreviewZoom, FitsTheBrushSquareBetweenOneAndSix)
{
    struct TCase {
        int Preview, Size, Zoom;
    };
    for (const TCase c : {TCase{240, 100, 2}, TCase{240, 10, 6}, TCase{240, 25, 6}, TCase{240, 50, 4},
                          TCase{240, 73, 2}, TCase{240, 219, 1}, TCase{240, 500, 1}, TCase{0, 25, 1}})
        EXPECT_EQ(HandInpaintingPreviewZoom(c.Preview, c.Size), c.Zoom) << c.Preview << " / " << c.Size;
}

TEST_F(VxHandInpaintingToolWin32Test, TwoClicksKeepTheLivePatchAsOneUndoStep)
{
    EXPECT_EQ(Tool.BrushSize(), 25);
    const auto before = Snapshot();
    ClickAt(60, WireY);
    ASSERT_TRUE(Tool.SourceMode());
    // The brush framework's square, centred on the brush pixel also for an odd size.
    const TRect target = BrushRect(TPoint{60, WireY}, 25);
    EXPECT_EQ(Tool.TargetSquare(), target);
    EXPECT_TRUE(SamePixels(*Document.ImagePixels(), *before)) << "the first click only fixes the defect";

    MoveTo(60, 35);
    EXPECT_EQ(Document.History().Count(), 0);
    EXPECT_GT(ChangedIn(*before, target), 0);
    // Nothing outside the target square moves.
    EXPECT_EQ(ChangedIn(*before, TRect{0, 0, 200, 150}), ChangedIn(*before, target));
    // The wire under the brush is covered, up to the column next to the outline's right.
    for (int x : {52, 60, 70, 71})
        EXPECT_GT(Document.ImagePixels()->PixelAddress(x, WireY)[1], 0x10) << "wire left at x = " << x;
    const auto live = Snapshot();
    // The preview shows the repaired square, centred on it, as the picture now holds it.
    const TVxPixelBuffer& preview = Tool.Preview();
    ASSERT_EQ(preview.Width(), 40);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_EQ(std::memcmp(preview.PixelAddress(x, y), live->PixelAddress(60 - 20 + x, WireY - 20 + y), 3), 0)
                << "preview pixel " << x << "," << y;

    MoveTo(60, 40); // a second live move replaces the first patch, it does not add to it
    MoveTo(60, 35);
    EXPECT_TRUE(SamePixels(*Document.ImagePixels(), *live));

    ClickAt(60, 35);
    EXPECT_FALSE(Tool.SourceMode());
    ASSERT_EQ(Document.History().Count(), 1);
    const auto* state = dynamic_cast<TVxGraphicsCommandState*>(Document.History().NextUndo());
    ASSERT_NE(state, nullptr);
    EXPECT_EQ(state->Before().GetBounds(), target);
    EXPECT_TRUE(SamePixels(*Document.ImagePixels(), *live));

    Document.History().Undo();
    EXPECT_TRUE(SamePixels(*Document.ImagePixels(), *before));
    Document.History().Redo();
    EXPECT_TRUE(SamePixels(*Document.ImagePixels(), *live));
}

TEST_F(VxHandInpaintingToolWin32Test, EscapeRestoresExactlyAndLeavesTheHistoryAlone)
{
    ClickAt(40, WireY);
    MoveTo(40, 30);
    ClickAt(40, 30);
    ASSERT_EQ(Document.History().Count(), 1);
    const auto afterFirstEdit = Snapshot();

    // A first click whose square lies outside the picture fixes nothing; Escape then must
    // not take back the previous edit.
    ClickAt(-60, -60);
    EXPECT_FALSE(Tool.SourceMode());
    Send(WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_EQ(Document.History().Cursor(), 1);
    EXPECT_TRUE(SamePixels(*Document.ImagePixels(), *afterFirstEdit));

    // With the first edit undone its redo survives a cancelled repair.
    Document.History().Undo();
    const auto undone = Snapshot();
    ClickAt(120, WireY);
    MoveTo(130, 110);
    MoveTo(125, 100);
    EXPECT_GT(ChangedIn(*undone, Tool.TargetSquare()), 0);
    Send(WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_FALSE(Tool.SourceMode());
    EXPECT_TRUE(SamePixels(*Document.ImagePixels(), *undone));
    EXPECT_EQ(Document.History().Count(), 1);
    EXPECT_TRUE(Document.History().CanRedo());
    EXPECT_FALSE(Document.EditInProgress());

    // Ctrl+Z cancels the same way.
    ClickAt(120, WireY);
    MoveTo(125, 100);
    EXPECT_TRUE(Control().KeyDown('Z', MK_CONTROL));
    EXPECT_TRUE(SamePixels(*Document.ImagePixels(), *undone));
    EXPECT_TRUE(Document.History().CanRedo());
    EXPECT_FALSE(Control().KeyDown('Z', MK_CONTROL)) << "outside a repair Ctrl+Z is the editor's undo";
}

TEST_F(VxHandInpaintingToolWin32Test, AutoOrientationIgnoresTheWheelAndCtrlArrows)
{
    ClickAt(100, WireY);
    MoveTo(100, 30);
    const int chosen = Tool.Orientation();
    const auto live = Snapshot();
    EXPECT_TRUE(Control().MouseWheel(0, 1, TPoint{}));
    EXPECT_TRUE(Control().MouseWheel(0, -1, TPoint{}));
    for (WORD key : {VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN})
        EXPECT_TRUE(Control().KeyDown(key, MK_CONTROL));
    EXPECT_EQ(Tool.Orientation(), chosen);
    EXPECT_EQ(Tool.BrushSize(), 25) << "the wheel does not resize the source square";
    EXPECT_TRUE(SamePixels(*Document.ImagePixels(), *live));

    // Ctrl+R turns auto orientation off: now the wheel and Ctrl+arrows step within 0..7.
    EXPECT_TRUE(Control().KeyDown('R', MK_CONTROL));
    ASSERT_FALSE(Tool.AutoOrientation());
    Tool.SetOrientation(6);
    Control().MouseWheel(0, 1, TPoint{});
    EXPECT_EQ(Tool.Orientation(), 7);
    Control().MouseWheel(0, 1, TPoint{});
    EXPECT_EQ(Tool.Orientation(), 7) << "no wrapping past 7";
    Control().KeyDown(VK_LEFT, MK_CONTROL);
    Control().KeyDown(VK_DOWN, MK_CONTROL);
    EXPECT_EQ(Tool.Orientation(), 5);
    Tool.SetOrientation(0);
    Control().KeyDown(VK_LEFT, MK_CONTROL);
    EXPECT_EQ(Tool.Orientation(), 0) << "no wrapping below 0";
    Control().KeyDown(VK_UP, MK_CONTROL);
    EXPECT_EQ(Tool.Orientation(), 1);

    // Outside a repair Ctrl+arrows are the brush's size keys.
    Send(WM_KEYDOWN, VK_ESCAPE, 1);
    Control().KeyDown(VK_UP, MK_CONTROL);
    EXPECT_EQ(Tool.Orientation(), 1);
    EXPECT_EQ(Tool.BrushSize(), 26);
}

TEST_F(VxHandInpaintingToolWin32Test, PreviewZoomFollowsTheBrushSize)
{
    struct TCase {
        int Size, Side;
    };
    for (const TCase c : {TCase{100, 120}, TCase{10, 40}, TCase{25, 40}, TCase{60, 80}}) {
        Tool.SetBrushSize(c.Size);
        ClickAt(100, WireY);
        EXPECT_EQ(Tool.Preview().Width(), c.Side) << "size " << c.Size;
        EXPECT_EQ(Tool.Preview().Height(), c.Side) << "size " << c.Size;
        Send(WM_KEYDOWN, VK_ESCAPE, 1);
    }
}

TEST_F(VxHandInpaintingToolWin32Test, LoupeWaitsForMoreThanThreePixelsAfterKeeping)
{
    ClickAt(100, WireY);
    MoveTo(100, 30);
    ClickAt(100, 30);
    const int refreshes = Tool.PreviewRefreshes();
    for (const TPoint p : {TPoint{103, 30}, TPoint{102, 32}, TPoint{100, 27}, TPoint{98, 28}}) {
        MoveTo(p.X, p.Y);
        EXPECT_EQ(Tool.PreviewRefreshes(), refreshes) << "moved to " << p.X << ", " << p.Y;
    }
    MoveTo(103, 31); // 3.16 pixels from where the result was kept
    EXPECT_EQ(Tool.PreviewRefreshes(), refreshes + 1);

    // The loupe centres on the pointer and shows grey outside the picture.
    MoveTo(0, 0);
    const TVxPixelBuffer& preview = Tool.Preview();
    const int side = preview.Width();
    std::uint8_t grey[3];
    ColorToBytes(HandInpaintingOutsideColour, grey);
    EXPECT_EQ(std::memcmp(preview.PixelAddress(0, 0), grey, 3), 0);
    EXPECT_EQ(std::memcmp(preview.PixelAddress(side / 2, side / 2), Document.ImagePixels()->PixelAddress(0, 0), 3), 0);
}

TEST_F(VxHandInpaintingToolWin32Test, SquaresAtThePicturesEdgeStayInside)
{
    const auto before = Snapshot();
    ClickAt(0, WireY);
    MoveTo(3, 20); // a source square partly outside the picture
    MoveTo(199, 149);
    MoveTo(-30, 40); // one wholly outside
    MoveTo(12, 30);
    ClickAt(12, 30);
    ASSERT_EQ(Document.History().Count(), 1);
    const auto* state = dynamic_cast<TVxGraphicsCommandState*>(Document.History().NextUndo());
    ASSERT_NE(state, nullptr);
    EXPECT_EQ(state->Before().GetBounds(), (TRect{0, WireY - 13 + 1, 13, WireY + 13}));
    Document.History().Undo();
    EXPECT_TRUE(SamePixels(*Document.ImagePixels(), *before));

    // A source square over the defect itself reads the picture as it was before the click.
    Tool.SetBrushSize(100);
    ClickAt(100, WireY);
    MoveTo(101, WireY + 1);
    MoveTo(100, WireY);
    ClickAt(100, WireY);
    EXPECT_EQ(Document.History().Count(), 1);
}

namespace {

// Mean of |a - b| over the channels of the pixels in points.
double MeanAbsoluteError(const TVxPixels& a, const TVxPixels& b, const std::vector<TPoint>& points)
{
    double sum = 0;
    for (const TPoint& p : points)
        for (int c = 0; c < 3; ++c)
            sum += std::abs(a.PixelAddress(p.X, p.Y)[c] - b.PixelAddress(p.X, p.Y)[c]);
    return sum / (3.0 * static_cast<double>(points.size()));
}

// Largest difference of the channel means of a and b over points.
double MeanColourShift(const TVxPixels& a, const TVxPixels& b, const std::vector<TPoint>& points)
{
    double worst = 0;
    for (int c = 0; c < 3; ++c) {
        double sum = 0;
        for (const TPoint& p : points)
            sum += a.PixelAddress(p.X, p.Y)[c] - b.PixelAddress(p.X, p.Y)[c];
        worst = std::max(worst, std::abs(sum / static_cast<double>(points.size())));
    }
    return worst;
}

} // namespace

// A thin dark wire drawn across grass in focus, covered in the tool's two clicks. A patch
// from elsewhere cannot give back the very blades under the wire, so the measure is not
// pixel equality: the repaired wire pixels are compared with the clean photograph by their
// mean absolute error, which must stay near the texture's own variation (what the same
// pixels differ by from a neighbouring row), and by the shift of the channel means, which
// is what the eye catches as a left-over line.
TEST_F(VxHandInpaintingToolWin32Test, CoversAWireOnAPhotographWithinTheTexturesOwnVariation)
{
    TGdiplusSession gdiplus;
    std::unique_ptr<TGPBitmap> file =
        TGPBitmap::FromFile(L"Z:\\usr\\share\\backgrounds\\mate\\nature\\GreenMeadow.jpg");
    if (!file)
        GTEST_SKIP() << "mate-backgrounds is not installed";
    TVxLTBitmap photo;
    ASSERT_TRUE(DecodeToBitmap(*file, photo));
    TVxPixels& image = *Document.ImagePixels();
    image.CopyRect(0, 0, *photo.GetPixels(), TRect{500, 700, 700, 850});
    TVxPixelBuffer clean;
    clean.Assign(image);
    std::vector<TPoint> wire;
    for (int x = 0; x < image.Width(); ++x)
        for (int y = WireY; y < WireY + 2; ++y) {
            ColorToBytes(0x141414, image.PixelAddress(x, y));
            if (x >= 90 && x <= 110) // well inside a size-25 brush at x = 100
                wire.push_back(TPoint{x, y});
        }
    Document.ResetBackup();

    ClickAt(100, WireY);
    MoveTo(100, WireY - 30);
    ClickAt(100, WireY - 30);
    ASSERT_EQ(Document.History().Count(), 1);

    TVxPixelBuffer shifted; // the clean photograph moved down four rows: its own variation
    shifted.Assign(clean);
    shifted.CopyRect(0, 4, clean, TRect{0, 0, clean.Width(), clean.Height() - 4});
    const double texture = MeanAbsoluteError(shifted, clean, wire);
    const double error = MeanAbsoluteError(image, clean, wire);
    const double shift = MeanColourShift(image, clean, wire);
    Document.History().Undo();
    const double wireError = MeanAbsoluteError(*Document.ImagePixels(), clean, wire);
    std::printf("wire %.1f, repaired %.1f, texture %.1f, mean shift %.1f\n", wireError, error, texture, shift);
    EXPECT_LT(error, 1.5 * texture + 2)
        << "repaired pixels differ from the clean photograph more than its texture does";
    EXPECT_LT(error, wireError / 4);
    EXPECT_LT(shift, 8.0) << "the repair leaves a visible line";
}

TEST_F(VxHandInpaintingToolWin32Test, ABrushLargerThanThePictureRepairsInsideItAndEnterKeeps)
{
    ASSERT_TRUE(Document.Image().Allocate(30, 20, fmtBGR24));
    FillPhotoLike(*Document.ImagePixels(), 5);
    Document.ResetBackup();
    Document.ImageChanged();
    const auto before = Snapshot();
    Tool.SetBrushSize(100);
    ClickAt(15, 10);
    ASSERT_TRUE(Tool.SourceMode());
    MoveTo(20, 12); // every source cell but a few falls outside: those stay as they were
    MoveTo(14, 9);
    Send(WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_FALSE(Tool.SourceMode());
    ASSERT_EQ(Document.History().Count(), 1);
    const auto* state = dynamic_cast<TVxGraphicsCommandState*>(Document.History().NextUndo());
    ASSERT_NE(state, nullptr);
    EXPECT_EQ(state->Before().GetBounds(), (TRect{0, 0, 30, 20}));
    Document.History().Undo();
    EXPECT_TRUE(SamePixels(*Document.ImagePixels(), *before));
}

TEST_F(VxHandInpaintingToolWin32Test, AChangeClosedElsewhereEndsTheRepairWithoutUnrecordedWrites)
{
    ClickAt(60, WireY);
    MoveTo(60, 35);
    Tool.EndChange(); // as the document does when another tool begins a change
    ASSERT_EQ(Document.History().Count(), 1);
    const auto kept = Snapshot();
    MoveTo(60, 120);
    EXPECT_FALSE(Tool.SourceMode());
    EXPECT_TRUE(SamePixels(*Document.ImagePixels(), *kept));
}

TEST_F(VxHandInpaintingToolWin32Test, SavingWhileChoosingTheSourceKeepsWhatIsShown)
{
    ClickAt(60, WireY);
    MoveTo(60, 35);
    const auto live = Snapshot();
    Tool.DocumentSaving(Document); // what the editor tells every tool before a save
    EXPECT_FALSE(Tool.SourceMode());
    EXPECT_EQ(Document.History().Count(), 1);
    EXPECT_FALSE(Document.EditInProgress());
    EXPECT_TRUE(SamePixels(*Document.ImagePixels(), *live));
}
