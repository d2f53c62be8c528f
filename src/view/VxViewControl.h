#pragma once
// The window that shows a stack of view objects, and its scrolling form.
//
//   auto view = std::make_unique<TVxScrollViewControl>();
//   view->CreateControl(parent, bounds);
//   view->Objects().Add(std::make_unique<TPictureLayer>(...));   // bottom first
//   view->Mapping().SetScale(3, 1);
//   view->Relayout();                                             // range, bars, repaint
//
// Every paint goes through one off-screen 24-bit bitmap that reaches only as far as the
// update region's far corner, and is copied to the window in one block.
#include <windows.h>

#include <cstdint>

#include "app/VxHandles.h"
#include "app/VxWindow.h"
#include "view/VxScrollLayout.h"
#include "view/VxViewCanvas.h"
#include "view/VxViewObject.h"

struct TVxRegionTraits {
    using THandle = HRGN;
    static constexpr HRGN Invalid() { return nullptr; }
    static void Close(HRGN handle) { DeleteObject(handle); }
};
using TVxRegionHandle = TVxUniqueHandle<TVxRegionTraits>;

struct TVxDCTraits {
    using THandle = HDC;
    static constexpr HDC Invalid() { return nullptr; }
    static void Close(HDC handle) { DeleteDC(handle); }
};
using TVxMemoryDCHandle = TVxUniqueHandle<TVxDCTraits>;

inline RECT ToRECT(const TRect& r) { return RECT{r.Left, r.Top, r.Right, r.Bottom}; }
inline TRect FromRECT(const RECT& r) { return TRect{r.left, r.top, r.right, r.bottom}; }

// The canvas a view paints through: regions and the off-screen bitmap of one paint.
class TVxWin32ViewCanvas : public TVxViewCanvas {
public:
    TVxWin32ViewCanvas();
    ~TVxWin32ViewCanvas() override;

    // False, with nothing begun, when the window has nothing to repaint.
    bool BeginPaint(HWND window);
    void EndPaint();
    HDC MemoryDC() const { return FMemoryDC.Get(); }
    const TRect& UpdateBox() const { return FUpdateBox; }

    bool ClipIntersects(const TRect& windowRect) const override;
    void ExcludeClip(const TRect& windowRect) override;
    void FillClip(std::uint32_t colour) override;
    TRect ClipBox() const override;

protected:
    std::unique_ptr<TVxSavedClip> SaveClip() const override;
    void RestoreClip(const TVxSavedClip& clip) override;

private:
    bool CreateOffscreen();

    HWND FWindow = nullptr;
    HDC FPaintDC = nullptr;
    TVxMemoryDCHandle FMemoryDC;
    TVxBitmapHandle FBitmap;
    void* FBits = nullptr;
    TSize FBitmapSize;
    HGDIOBJ FReplacedBitmap = nullptr;
    TVxRegionHandle FUpdateRegion;
    TRect FUpdateBox;
    PAINTSTRUCT FPaint{};
};

class TVxViewControl : public TVxWindow {
public:
    TVxViewControl();
    ~TVxViewControl() override;

    // A child window of parent; the styles add what derived controls need (scroll bars).
    bool CreateControl(HWND parent, const RECT& bounds, DWORD extraStyle = 0);

    TVxViewObjectList& Objects() { return FObjects; }
    TVxWin32ViewCanvas& ViewCanvas() { return FCanvas; }
    TVxMapMode& Mapping() { return FCanvas.Mapping(); }
    const TVxMapMode& Mapping() const { return FCanvas.Mapping(); }
    TSize ClientSize() const;
    // Invalidates a window rectangle without erasing.
    void InvalidateWindowRect(const TRect& rect);
    void InvalidateAll();

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    virtual void Resized(std::int32_t width, std::int32_t height);
    // Paints the update region; false when there was nothing to paint.
    bool PaintContent();

private:
    TVxViewObjectList FObjects;
    TVxWin32ViewCanvas FCanvas;
};

class TVxScrollViewControl : public TVxViewControl {
public:
    bool CreateControl(HWND parent, const RECT& bounds, DWORD extraStyle = 0);

    virtual void GetContentRect(TRect& rect);
    virtual void Relayout();
    virtual void GetScrollState(std::int32_t& dx, std::int32_t& dy, std::int32_t& excessHeight, std::int32_t& excessWidth);
    virtual void UpdateScrollBars(std::int32_t excessWidth, std::int32_t excessHeight);

    void MoveOrigin(std::int32_t dx, std::int32_t dy);
    // Moves the origin and the window's pixels, then repaints only the uncovered strip.
    void ScrollContent(std::int32_t dx, std::int32_t dy);
    void CenterOn(const TPoint& logicalPoint);
    void ScrollBy(std::int32_t dx, std::int32_t dy);
    void ClampScroll(std::int32_t& dx, std::int32_t& dy);
    // How far the content reaches beyond the client; what the scroll limits come from.
    TVxScrollState ScrollLimits() { return ScrollState(); }

    std::int32_t LineStep = 10;
    bool Scrolling = false;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Resized(std::int32_t width, std::int32_t height) override;

public:
    // The control's outer size: scroll bars come out of it. Fitting uses it.
    TSize ControlSize() const;

private:
    TVxScrollState ScrollState();
    void ScrollBarMessage(int bar, WORD request);
};

