#pragma once
// Child controls of a tool's panel page: made with the dialog font, addressed by id.
#include <windows.h>

#include <string>

HWND AddPanelControl(HWND parent, const wchar_t* windowClass, DWORD style, int x, int y, int width, int height, int id,
                     DWORD exStyle = 0);
std::wstring ControlText(HWND control);
void SetControlText(HWND control, const std::wstring& text);
// The same font in bold, for a page's title; made once.
HFONT BoldPanelFont();
