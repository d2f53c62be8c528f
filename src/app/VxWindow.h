#pragma once
// Base of every window the program creates from its own window classes: one static
// procedure that attaches the object on WM_NCCREATE and detaches it on WM_NCDESTROY,
// then a virtual WndProc.
#include <windows.h>

#include <string>

class TVxWindow {
public:
    TVxWindow() = default;
    TVxWindow(const TVxWindow&) = delete;
    TVxWindow& operator=(const TVxWindow&) = delete;
    virtual ~TVxWindow();

    HWND Handle() const { return FHandle; }
    bool HandleAllocated() const { return FHandle != nullptr; }
    RECT ClientRect() const;
    void SetBounds(int left, int top, int width, int height);
    void SetVisible(bool visible);
    bool Visible() const;

    // Registers a class of this module once; later calls with the same name do nothing.
    static void RegisterWindowClass(const wchar_t* className, UINT style = CS_DBLCLKS, HBRUSH background = nullptr, HCURSOR cursor = nullptr);

protected:
    bool CreateHandle(DWORD exStyle, const wchar_t* className, const std::wstring& caption, DWORD style, int left, int top,
                      int width, int height, HWND parent, HMENU menu = nullptr);
    virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void HandleDestroyed() {}

private:
    static LRESULT CALLBACK StaticProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND FHandle = nullptr;
};

// The program's DPI scale for sizes given in 96-DPI pixels.
int ScaleForDpi(int pixels);
