#pragma once
// The HTML Help control, loaded on first use and freed with the object.
//
//   TVxHtmlHelp help;
//   if (!help.Show(window, L"C:\\Velloria\\Velloria.chm", 20)) ... say so
#include <windows.h>

#include <string>

class TVxHtmlHelp {
public:
    using TLoader = HMODULE (*)();
    // loader finds the control; tests give one that finds nothing.
    explicit TVxHtmlHelp(TLoader loader = nullptr) : FLoader(loader) {}
    ~TVxHtmlHelp();
    TVxHtmlHelp(const TVxHtmlHelp&) = delete;
    TVxHtmlHelp& operator=(const TVxHtmlHelp&) = delete;

    // Loads the control once; false when neither it nor its HtmlHelpW entry can be had.
    bool Load();
    // Context 0 shows the file's default topic, any other number the topic mapped to it.
    // Returns the help window, or null when the control is missing or refuses.
    HWND Show(HWND owner, const std::wstring& file, int context);

private:
    using THtmlHelpW = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);

    TLoader FLoader;
    HMODULE FLibrary = nullptr;
    THtmlHelpW FHtmlHelpW = nullptr;
    bool FTried = false;
};
