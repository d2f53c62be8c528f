#include "app/VxWindow.h"

#include <exception>

#include "app/VxHandles.h"

TVxWindow::~TVxWindow()
{
    if (FHandle) {
        // Detach first: the window must not call back into a half-destroyed object.
        HWND handle = FHandle;
        SetWindowLongPtrW(handle, GWLP_USERDATA, 0);
        FHandle = nullptr;
        DestroyWindow(handle);
    }
}

void TVxWindow::RegisterWindowClass(const wchar_t* className, UINT style, HBRUSH background, HCURSOR cursor)
{
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    if (GetClassInfoExW(instance, className, &existing))
        return;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = style;
    windowClass.lpfnWndProc = StaticProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = cursor ? cursor : LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = className;
    windowClass.hIcon = LoadIconW(instance, L"MAINICON");
    RegisterClassExW(&windowClass);
}

bool TVxWindow::CreateHandle(DWORD exStyle, const wchar_t* className, const std::wstring& caption, DWORD style, int left,
                             int top, int width, int height, HWND parent, HMENU menu)
{
    CreateWindowExW(exStyle, className, caption.c_str(), style, left, top, width, height, parent, menu,
                    GetModuleHandleW(nullptr), this);
    return FHandle != nullptr;
}

LRESULT CALLBACK TVxWindow::StaticProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* self = static_cast<TVxWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->FHandle = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<TVxWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self)  // messages before WM_NCCREATE or after the object let go
        return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->FHandle = nullptr;
        self->HandleDestroyed();
        return DefWindowProcW(window, message, wParam, lParam);
    }
    // No exception may unwind through user32.
    try {
        return self->WndProc(message, wParam, lParam);
    } catch (const std::exception& error) {
        OutputDebugStringA(error.what());
    } catch (...) {
        OutputDebugStringA("unknown exception in a window procedure");
    }
    return 0;
}

LRESULT TVxWindow::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefaultProc(message, wParam, lParam);
}

LRESULT TVxWindow::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(FHandle, message, wParam, lParam);
}

RECT TVxWindow::ClientRect() const
{
    RECT rect{};
    if (FHandle)
        GetClientRect(FHandle, &rect);
    return rect;
}

void TVxWindow::SetBounds(int left, int top, int width, int height)
{
    if (FHandle)
        SetWindowPos(FHandle, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TVxWindow::SetVisible(bool visible)
{
    if (FHandle)
        ShowWindow(FHandle, visible ? SW_SHOWNA : SW_HIDE);
}

bool TVxWindow::Visible() const
{
    return FHandle && (GetWindowLongW(FHandle, GWL_STYLE) & WS_VISIBLE);
}

int ScaleForDpi(int pixels)
{
    static const int dpi = [] {
        const TVxWindowDC screen(nullptr);
        const int value = GetDeviceCaps(screen.DC(), LOGPIXELSY);
        return value > 0 ? value : 96;
    }();
    return MulDiv(pixels, dpi, 96);
}
