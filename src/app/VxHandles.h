#pragma once
// Owners of platform handles: one move-only template, the traits say how a handle is
// invalid and how it is freed.
//
//   TVxBitmapHandle bitmap(LoadImageW(...));   // DeleteObject when it goes
//   ImageList_AddMasked(list.Get(), bitmap.Get(), key);
#include <windows.h>
#include <commctrl.h>

#include <utility>

template <typename TTraits>
class TVxUniqueHandle {
public:
    using THandle = typename TTraits::THandle;
    explicit TVxUniqueHandle(THandle handle = TTraits::Invalid()) noexcept : FHandle(handle) {}
    TVxUniqueHandle(TVxUniqueHandle&& other) noexcept : FHandle(other.Release()) {}
    TVxUniqueHandle& operator=(TVxUniqueHandle&& other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    TVxUniqueHandle(const TVxUniqueHandle&) = delete;
    TVxUniqueHandle& operator=(const TVxUniqueHandle&) = delete;
    ~TVxUniqueHandle() { Reset(); }

    THandle Get() const noexcept { return FHandle; }
    explicit operator bool() const noexcept { return FHandle != TTraits::Invalid(); }
    THandle Release() noexcept { return std::exchange(FHandle, TTraits::Invalid()); }
    void Reset(THandle handle = TTraits::Invalid()) noexcept
    {
        const THandle old = std::exchange(FHandle, handle);
        if (old != TTraits::Invalid())
            TTraits::Close(old);
    }

private:
    THandle FHandle;
};

// Traits of a handle freed by one call; nullptr is never a valid handle of these kinds.
template <typename T, auto CloseFunction>
struct TVxHandleTraits {
    using THandle = T;
    static constexpr T Invalid() { return nullptr; }
    static void Close(T handle) { CloseFunction(handle); }
};

// One line per handle kind.
using TVxBitmapHandle = TVxUniqueHandle<TVxHandleTraits<HBITMAP, &DeleteObject>>;
using TVxFontHandle = TVxUniqueHandle<TVxHandleTraits<HFONT, &DeleteObject>>;
using TVxBrushHandle = TVxUniqueHandle<TVxHandleTraits<HBRUSH, &DeleteObject>>;
using TVxRegionHandle = TVxUniqueHandle<TVxHandleTraits<HRGN, &DeleteObject>>;
using TVxMemoryDCHandle = TVxUniqueHandle<TVxHandleTraits<HDC, &DeleteDC>>;
using TVxImageListHandle = TVxUniqueHandle<TVxHandleTraits<HIMAGELIST, &ImageList_Destroy>>;
using TVxMenuHandle = TVxUniqueHandle<TVxHandleTraits<HMENU, &DestroyMenu>>;
using TVxAcceleratorHandle = TVxUniqueHandle<TVxHandleTraits<HACCEL, &DestroyAcceleratorTable>>;
using TVxGlobalHandle = TVxUniqueHandle<TVxHandleTraits<HGLOBAL, &GlobalFree>>;
using TVxIconHandle = TVxUniqueHandle<TVxHandleTraits<HICON, &DestroyIcon>>;
// A control made from a system class (toolbar, status bar, progress bar); windows of our
// own classes are owned by TVxWindow. A child may already have gone with its parent.
inline BOOL DestroyLiveWindow(HWND window) { return IsWindow(window) ? DestroyWindow(window) : FALSE; }
using TVxWindowHandle = TVxUniqueHandle<TVxHandleTraits<HWND, &DestroyLiveWindow>>;

class TVxPaintDC {
public:
    explicit TVxPaintDC(HWND window) : FWindow(window) { FDC = BeginPaint(window, &FPaint); }
    ~TVxPaintDC() { EndPaint(FWindow, &FPaint); }
    TVxPaintDC(const TVxPaintDC&) = delete;
    TVxPaintDC& operator=(const TVxPaintDC&) = delete;
    HDC DC() const { return FDC; }
    const RECT& Dirty() const { return FPaint.rcPaint; }

private:
    HWND FWindow;
    PAINTSTRUCT FPaint{};
    HDC FDC;
};

// The DC of a window (null: of the screen), released when it goes.
class TVxWindowDC {
public:
    explicit TVxWindowDC(HWND window) : FWindow(window), FDC(GetDC(window)) {}
    ~TVxWindowDC() { ReleaseDC(FWindow, FDC); }
    TVxWindowDC(const TVxWindowDC&) = delete;
    TVxWindowDC& operator=(const TVxWindowDC&) = delete;
    HDC DC() const { return FDC; }

private:
    HWND FWindow;
    HDC FDC;
};

class TVxSelectObject {
public:
    TVxSelectObject(HDC dc, HGDIOBJ object) : FDC(dc), FOld(SelectObject(dc, object)) {}
    ~TVxSelectObject() { SelectObject(FDC, FOld); }
    TVxSelectObject(const TVxSelectObject&) = delete;
    TVxSelectObject& operator=(const TVxSelectObject&) = delete;

private:
    HDC FDC;
    HGDIOBJ FOld;
};
