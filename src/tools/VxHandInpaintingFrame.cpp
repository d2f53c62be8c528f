#include "tools/VxHandInpaintingFrame.h"

#include <commctrl.h>

#include <string>

#include "i18n/VxLocalizer.h"
#include "tools/VxHandInpaintingTool.h"
#include "tools/VxPanelControls.h"

POINT OrientedGlyphPoint(int orientation, int x, int y, int side)
{
    const int m = side - 1;
    switch (orientation & 7) {
    case 1:
        return POINT{m - x, y};
    case 2:
        return POINT{y, m - x};
    case 3:
        return POINT{y, x};
    case 4:
        return POINT{m - x, m - y};
    case 5:
        return POINT{x, m - y};
    case 6:
        return POINT{m - y, m - x};
    case 7:
        return POINT{m - y, x};
    default:
        return POINT{x, y};
    }
}

TVxHandInpaintingFrame::TVxHandInpaintingFrame(TVxComponent* owner, HWND parent, TVxHandInpaintingTool& tool)
    : TVxFrame(owner, parent), FTool(tool)
{
    const int w = ScaleForDpi(180);
    const int line = ScaleForDpi(20);
    HWND title = AddPanelControl(Handle(), L"STATIC", SS_LEFT, 4, 4, w, line, idTitle);
    SendMessageW(title, WM_SETFONT, reinterpret_cast<WPARAM>(BoldPanelFont()), FALSE);
    int top = 4 + line;
    AddPanelControl(Handle(), L"STATIC", SS_LEFT, 4, top, w, line, idSizeLabel);
    top += line;
    HWND bar = AddPanelControl(Handle(), TRACKBAR_CLASSW, TBS_HORZ | TBS_AUTOTICKS | WS_TABSTOP, 4, top, w,
                               ScaleForDpi(28), idSizeTrackBar);
    FTool.AttachSizeTrackBar(bar);
    top += ScaleForDpi(32);
    // The tool panel is narrower than the preview's 240 pixels; the preview is shown
    // stretched to the panel's width, whatever its zoom.
    const int preview = w;
    FTool.SetPreviewWindow(
        AddPanelControl(Handle(), L"STATIC", SS_OWNERDRAW, 4, top, preview, preview, idTargetImage, WS_EX_CLIENTEDGE));
    top += preview + 6;
    const int button = ScaleForDpi(80);
    AddPanelControl(Handle(), L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 4, top, button, ScaleForDpi(24), idCancelButton);
    top += ScaleForDpi(30);
    AddPanelControl(Handle(), L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 4, top, w, line, idAdjustment);
    top += line + 4;
    const int cell = ScaleForDpi(28);
    for (int k = 0; k < 8; ++k)
        AddPanelControl(Handle(), L"BUTTON", BS_OWNERDRAW | WS_TABSTOP, 4 + (k % 4) * (cell + 2),
                        top + (k / 4) * (cell + 2), cell, cell, idOrientation0 + k);
    AddPanelControl(Handle(), L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 8 + 4 * (cell + 2), top, w - 4 * (cell + 2),
                    line, idAutoReflection);
    top += 2 * (cell + 2) + 4;
    // The options stay hidden, as the program sets the tool up; Ctrl+N and the commands
    // still reach them.
    AddPanelControl(Handle(), L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 4, top, w, line, idLongDefect);
    AddPanelControl(Handle(), L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 4, top + line, w, line, idLoupe);
    ShowWindow(Control(idLongDefect), SW_HIDE);
    ShowWindow(Control(idLoupe), SW_HIDE);
}

void TVxHandInpaintingFrame::Localize()
{
    SetControlText(Control(idTitle), Localizer().GetString(2450, L"Hand Inpainting"));
    SetControlText(Control(idCancelButton), Localizer().GetString(2, L"Cancel"));
    SetControlText(Control(idAdjustment), Localizer().GetString(2453, L"Adjustment"));
    SetControlText(Control(idAutoReflection), Localizer().GetString(562, L"Auto"));
    SetControlText(Control(idLongDefect), Localizer().GetString(2451, L"Long Defect"));
    SetControlText(Control(idLoupe), Localizer().GetString(1500, L"Loupe"));
    ShowState();
}

void TVxHandInpaintingFrame::ShowState()
{
    const bool source = FTool.SourceMode();
    SetControlText(Control(idSizeLabel),
                   Localizer().GetString(154, L"Size") + L": " + std::to_wstring(FTool.BrushSize()));
    EnableWindow(Control(idSizeLabel), !source);
    EnableWindow(Control(idSizeTrackBar), !source);
    EnableWindow(Control(idCancelButton), source);
    EnableWindow(Control(idAdjustment), source);
    EnableWindow(Control(idAutoReflection), source);
    EnableWindow(Control(idLongDefect), source);
    EnableWindow(Control(idLoupe), source);
    for (int k = 0; k < 8; ++k) {
        EnableWindow(Control(idOrientation0 + k), source);
        InvalidateRect(Control(idOrientation0 + k), nullptr, FALSE);
    }
    CheckDlgButton(Handle(), idAdjustment, FTool.Adjustment() != 0 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(Handle(), idAutoReflection, FTool.AutoOrientation() ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(Handle(), idLongDefect, FTool.LongDefect() ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(Handle(), idLoupe, FTool.Loupe() ? BST_CHECKED : BST_UNCHECKED);
}

LRESULT TVxHandInpaintingFrame::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) {
            ButtonClicked(LOWORD(wParam));
            return 0;
        }
        break;
    case WM_HSCROLL:
        FTool.TrackBarScrolled(reinterpret_cast<HWND>(lParam));
        ShowState();
        return 0;
    case WM_DRAWITEM:
        DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    }
    return TVxFrame::WndProc(message, wParam, lParam);
}

void TVxHandInpaintingFrame::ButtonClicked(int id)
{
    const bool checked = IsDlgButtonChecked(Handle(), id) == BST_CHECKED;
    switch (id) {
    case idCancelButton:
        FTool.Cancel();
        break;
    case idAdjustment:
        FTool.SetAdjustment(checked ? 2 : 0);
        break;
    case idAutoReflection:
        FTool.SetAutoOrientation(checked);
        break;
    case idLongDefect:
        FTool.SetLongDefect(checked);
        break;
    case idLoupe:
        FTool.SetLoupe(checked);
        break;
    default:
        if (id >= idOrientation0 && id < idOrientation0 + 8)
            FTool.SetOrientation(id - idOrientation0);
        break;
    }
    ShowState();
}

void TVxHandInpaintingFrame::DrawItem(const DRAWITEMSTRUCT& item)
{
    if (static_cast<int>(item.CtlID) == idTargetImage)
        FTool.PaintPreview(item.hDC, item.rcItem);
    else if (static_cast<int>(item.CtlID) >= idOrientation0 && static_cast<int>(item.CtlID) < idOrientation0 + 8)
        DrawOrientationButton(item, static_cast<int>(item.CtlID) - idOrientation0);
}

// An arrow pointing up with a flag on its right: turned and mirrored by the orientation,
// it tells every one of the eight apart.
void TVxHandInpaintingFrame::DrawOrientationButton(const DRAWITEMSTRUCT& item, int orientation) const
{
    RECT r = item.rcItem;
    const bool pressed = FTool.Orientation() == orientation || (item.itemState & ODS_SELECTED);
    DrawFrameControl(item.hDC, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
    const bool enabled = !(item.itemState & ODS_DISABLED);
    const int side = std::min(r.right - r.left, r.bottom - r.top) - 8;
    if (side <= 4)
        return;
    const int g = side / 8; // glyph grid of 8 x 8
    const int arrow[][2] = {{4, 0}, {7, 3}, {5, 3}, {5, 7}, {3, 7}, {3, 3}, {1, 3}};
    const int flag[][2] = {{5, 4}, {8, 5}, {5, 6}};
    POINT shape[7];
    POINT pennant[3];
    const int left = r.left + 4 + (pressed ? 1 : 0);
    const int top = r.top + 4 + (pressed ? 1 : 0);
    for (int i = 0; i < 7; ++i) {
        const POINT p = OrientedGlyphPoint(orientation, arrow[i][0] * g, arrow[i][1] * g, 8 * g + 1);
        shape[i] = POINT{left + p.x, top + p.y};
    }
    for (int i = 0; i < 3; ++i) {
        const POINT p = OrientedGlyphPoint(orientation, std::min(flag[i][0] * g, 8 * g), flag[i][1] * g, 8 * g + 1);
        pennant[i] = POINT{left + p.x, top + p.y};
    }
    const COLORREF colour = GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT);
    HBRUSH brush = CreateSolidBrush(colour);
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ oldBrush = SelectObject(item.hDC, brush);
    HGDIOBJ oldPen = SelectObject(item.hDC, pen);
    Polygon(item.hDC, shape, 7);
    Polygon(item.hDC, pennant, 3);
    SelectObject(item.hDC, oldPen);
    SelectObject(item.hDC, oldBrush);
    DeleteObject(pen);
    DeleteObject(brush);
}
