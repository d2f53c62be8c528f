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

template <typename T>
struct TVxGdiObjectTraits {
    using THandle = T;
    static constexpr T Invalid() { return nullptr; }
    static void Close(T handle) { DeleteObject(handle); }
};

struct TVxImageListTraits {
    using THandle = HIMAGELIST;
    static constexpr HIMAGELIST Invalid() { return nullptr; }
    static void Close(HIMAGELIST handle) { ImageList_Destroy(handle); }
};

struct TVxMenuTraits {
    using THandle = HMENU;
    static constexpr HMENU Invalid() { return nullptr; }
    static void Close(HMENU handle) { DestroyMenu(handle); }
};

struct TVxGlobalTraits {
    using THandle = HGLOBAL;
    static constexpr HGLOBAL Invalid() { return nullptr; }
    static void Close(HGLOBAL handle) { GlobalFree(handle); }
};

struct TVxIconTraits {
    using THandle = HICON;
    static constexpr HICON Invalid() { return nullptr; }
    static void Close(HICON handle) { DestroyIcon(handle); }
};

using TVxBitmapHandle = TVxUniqueHandle<TVxGdiObjectTraits<HBITMAP>>;
using TVxFontHandle = TVxUniqueHandle<TVxGdiObjectTraits<HFONT>>;
using TVxBrushHandle = TVxUniqueHandle<TVxGdiObjectTraits<HBRUSH>>;
using TVxImageListHandle = TVxUniqueHandle<TVxImageListTraits>;
using TVxMenuHandle = TVxUniqueHandle<TVxMenuTraits>;
using TVxGlobalHandle = TVxUniqueHandle<TVxGlobalTraits>;
using TVxIconHandle = TVxUniqueHandle<TVxIconTraits>;

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
