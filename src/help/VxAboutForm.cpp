#include "help/VxAboutForm.h"

#include <objidl.h>
#include <gdiplus.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <memory>

#include "i18n/VxLocalizer.h"
#include "imaging/VxGdiplus.h"

namespace {

constexpr wchar_t LogoClassName[] = L"TVxLogoBackground";
constexpr int PictureWidth = 480;
constexpr int PictureHeight = 300;

TVxFontHandle MakeFont(int height, bool bold, bool underline)
{
    return TVxFontHandle(CreateFontW(-height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, underline, FALSE, DEFAULT_CHARSET,
                                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Tahoma"));
}

// The raw JPEG resource decoded by GDI+ into a device-independent bitmap.
TVxBitmapHandle DecodeResourcePicture(const wchar_t* name, SIZE& size)
{
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC resource = FindResourceW(module, name, MAKEINTRESOURCEW(10));  // RT_RCDATA
    if (!resource)
        return TVxBitmapHandle();
    const void* bytes = LockResource(LoadResource(module, resource));
    const DWORD length = SizeofResource(module, resource);
    IStream* stream = SHCreateMemStream(static_cast<const BYTE*>(bytes), length);
    if (!stream)
        return TVxBitmapHandle();
    TGdiplusSession session;
    Gdiplus::GpBitmap* bitmap = nullptr;
    HBITMAP result = nullptr;
    if (Gdiplus::DllExports::GdipCreateBitmapFromStream(stream, &bitmap) == Gdiplus::Ok) {
        UINT width = 0;
        UINT height = 0;
        Gdiplus::DllExports::GdipGetImageWidth(bitmap, &width);
        Gdiplus::DllExports::GdipGetImageHeight(bitmap, &height);
        size = {static_cast<LONG>(width), static_cast<LONG>(height)};
        Gdiplus::DllExports::GdipCreateHBITMAPFromBitmap(bitmap, &result, 0xFFFFFFFF);
        Gdiplus::DllExports::GdipDisposeImage(bitmap);
    }
    stream->Release();
    return TVxBitmapHandle(result);
}

}  // namespace

TVxLogoBackground::TVxLogoBackground(HWND parent, const RECT& bounds, const TVxAboutInfo& info) : FInfo(info)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &TVxLogoBackground::WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = LogoClassName;
    RegisterClassExW(&windowClass);  // a second registration fails harmlessly
    FRows = AboutLabelTable(FInfo.WebSite, FInfo.SupportPage);
    LoadPicture();
    FWindow = CreateWindowExW(0, LogoClassName, L"", WS_CHILD | WS_VISIBLE, bounds.left, bounds.top, bounds.right - bounds.left,
                              bounds.bottom - bounds.top, parent, nullptr, GetModuleHandleW(nullptr), this);
    Layout();
}

TVxLogoBackground::~TVxLogoBackground()
{
    if (FWindow && IsWindow(FWindow)) {
        SetWindowLongPtrW(FWindow, GWLP_USERDATA, 0);
        DestroyWindow(FWindow);
    }
}

void TVxLogoBackground::LoadPicture()
{
    FPicture = DecodeResourcePicture(L"ABOUT", FPictureSize);
    if (!FPicture)
        FPictureSize = {PictureWidth, PictureHeight};
}

std::wstring TVxLogoBackground::RowText(const TVxAboutRow& row) const
{
    switch (row.Kind) {
    case TVxAboutText::atString: return Localizer().GetString(row.StringId, row.StringId == 156 ? L"Version" : row.StringId == 54 ? L"Web site" : L"Support");
    case TVxAboutText::atLiteral: return row.Literal;
    case TVxAboutText::atProductName: return FInfo.ProductName;
    case TVxAboutText::atVersion: return FInfo.Version;
    }
    return {};
}

void TVxLogoBackground::Layout()
{
    RECT client{};
    GetClientRect(FWindow, &client);
    const double scale = FPictureSize.cx > 0 ? static_cast<double>(client.right) / FPictureSize.cx : 1.0;
    const int fontHeight = static_cast<int>(11 * scale + 0.5);
    FFont = MakeFont(fontHeight, false, false);
    FBoldFont = MakeFont(fontHeight, true, false);
    FLinkFont = MakeFont(fontHeight, false, true);
    HDC dc = GetDC(FWindow);
    TEXTMETRICW metrics{};
    std::vector<TVxLabelBox> sizes;
    FCaptions.clear();
    {
        TVxSelectObject select(dc, FFont.Get());
        GetTextMetricsW(dc, &metrics);
        for (const TVxAboutRow& row : FRows) {
            FCaptions.push_back(LabelCaption(row, RowText(row)));
            TVxSelectObject font(dc, (row.Flags & alBold) ? FBoldFont.Get() : (row.Flags & alLink) ? FLinkFont.Get() : FFont.Get());
            SIZE size{};
            GetTextExtentPoint32W(dc, FCaptions.back().c_str(), static_cast<int>(FCaptions.back().size()), &size);
            sizes.push_back({0, 0, size.cx, size.cy});
        }
    }
    ReleaseDC(FWindow, dc);
    FBoxes = LayoutAboutLabels(FRows, sizes, {metrics.tmHeight, metrics.tmExternalLeading, metrics.tmAveCharWidth}, scale);
}

void TVxLogoBackground::SetTab(int tab)
{
    FTab = tab;
    InvalidateRect(FWindow, nullptr, TRUE);
}

void TVxLogoBackground::Paint(HDC dc)
{
    RECT client{};
    GetClientRect(FWindow, &client);
    if (FPicture) {
        HDC memory = CreateCompatibleDC(dc);
        {
            TVxSelectObject select(memory, FPicture.Get());
            SetStretchBltMode(dc, HALFTONE);
            StretchBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, FPictureSize.cx, FPictureSize.cy, SRCCOPY);
        }
        DeleteDC(memory);
    } else {
        FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
    }
    SetBkMode(dc, TRANSPARENT);
    for (std::size_t i = 0; i < FRows.size(); ++i) {
        const TVxAboutRow& row = FRows[i];
        if (row.Tab != -1 && row.Tab != FTab)
            continue;
        const bool link = (row.Flags & alLink) != 0;
        TVxSelectObject font(dc, (row.Flags & alBold) ? FBoldFont.Get() : link ? FLinkFont.Get() : FFont.Get());
        SetTextColor(dc, link ? RGB(0, 0, 255) : (row.Flags & alWhite) ? RGB(255, 255, 255) : RGB(0, 0, 0));
        RECT box{FBoxes[i].Left, FBoxes[i].Top, FBoxes[i].Right(), FBoxes[i].Bottom()};
        UINT format = DT_NOPREFIX | ((row.Flags & alRightAligned) ? DT_RIGHT : DT_LEFT);
        format |= (row.Flags & alWordWrap) ? DT_WORDBREAK : DT_SINGLELINE;
        DrawTextW(dc, FCaptions[i].c_str(), static_cast<int>(FCaptions[i].size()), &box, format);
    }
}

int TVxLogoBackground::LinkAt(POINT point) const
{
    for (std::size_t i = 0; i < FRows.size(); ++i) {
        const TVxLabelBox& box = FBoxes[i];
        if ((FRows[i].Flags & alLink) && (FRows[i].Tab == -1 || FRows[i].Tab == FTab) && point.x >= box.Left &&
            point.x < box.Right() && point.y >= box.Top && point.y < box.Bottom())
            return static_cast<int>(i);
    }
    return -1;
}

LRESULT CALLBACK TVxLogoBackground::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* self = static_cast<TVxLogoBackground*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->FWindow = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<TVxLogoBackground*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self)
        return DefWindowProcW(window, message, wParam, lParam);
    try {
        return self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT TVxLogoBackground::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: { TVxPaintDC paint(FWindow); Paint(paint.DC()); return 0; }
    case WM_SETCURSOR: {
        POINT point{};
        GetCursorPos(&point);
        ScreenToClient(FWindow, &point);
        if (LinkAt(point) < 0)
            break;
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
    }
    case WM_LBUTTONUP: {
        const int link = LinkAt({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        if (link >= 0)
            ShellExecuteW(FWindow, L"open", FRows[static_cast<std::size_t>(link)].Literal.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        return 0;
    }
    }
    return DefWindowProcW(FWindow, message, wParam, lParam);
}

namespace {

std::vector<WORD> EmptyDialogTemplate()
{
    std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD) + 3, 0);
    auto* t = reinterpret_cast<DLGTEMPLATE*>(words.data());
    t->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    t->cx = 200;
    t->cy = 100;
    return words;
}

constexpr int idTabs = 101;

}  // namespace

void TVxAboutForm::ShowModal()
{
    INITCOMMONCONTROLSEX init{sizeof init, ICC_TAB_CLASSES};
    InitCommonControlsEx(&init);
    std::vector<WORD> dialogTemplate = EmptyDialogTemplate();
    DialogBoxIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<DLGTEMPLATE*>(dialogTemplate.data()), FOwner,
                            &TVxAboutForm::DialogProc, reinterpret_cast<LPARAM>(this));
    FLogo.reset();
    FDialog = nullptr;
}

INT_PTR CALLBACK TVxAboutForm::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        reinterpret_cast<TVxAboutForm*>(lParam)->FDialog = dialog;
    }
    auto* form = reinterpret_cast<TVxAboutForm*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!form)
        return FALSE;
    try {
        return form->HandleMessage(message, wParam, lParam);
    } catch (...) {
        return FALSE;
    }
}

INT_PTR TVxAboutForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: CreateControls(); return TRUE;
    case WM_COMMAND:
        // Escape and Enter close the box.
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
            EndDialog(FDialog, IDOK);
        return TRUE;
    case WM_NOTIFY:
        if (reinterpret_cast<NMHDR*>(lParam)->code == TCN_SELCHANGE && FLogo)
            FLogo->SetTab(static_cast<int>(SendMessageW(FTabs, TCM_GETCURSEL, 0, 0)));
        return TRUE;
    }
    return FALSE;
}

void TVxAboutForm::CreateControls()
{
    const int logoWidth = ScaleForDpi(PictureWidth);
    const int logoHeight = logoWidth * PictureHeight / PictureWidth;
    const int margin = 8;
    FFont = MakeFont(11, false, false);
    SetWindowTextW(FDialog, Localizer().GetString(47, L"About").c_str());
    FTabs = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, margin, margin, logoWidth + 8,
                            logoHeight + 32, FDialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(idTabs)), GetModuleHandleW(nullptr),
                            nullptr);
    SendMessageW(FTabs, WM_SETFONT, reinterpret_cast<WPARAM>(FFont.Get()), FALSE);
    std::wstring caption = Localizer().GetString(47, L"About");
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = caption.data();
    SendMessageW(FTabs, TCM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    RECT page{0, 0, logoWidth + 8, logoHeight + 32};
    SendMessageW(FTabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&page));
    page.right = page.left + logoWidth;
    page.bottom = page.top + logoHeight;
    OffsetRect(&page, margin, margin);
    FLogo = std::make_unique<TVxLogoBackground>(FDialog, page, FInfo);
    SetWindowPos(FLogo->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);

    RECT frame{0, 0, logoWidth + 8 + 2 * margin, logoHeight + 32 + 2 * margin};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(FDialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongW(FDialog, GWL_EXSTYLE)));
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    // Centred on the main form.
    RECT owner{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (FOwner)
        GetWindowRect(FOwner, &owner);
    SetWindowPos(FDialog, nullptr, (owner.left + owner.right - width) / 2, (owner.top + owner.bottom - height) / 2, width, height,
                 SWP_NOZORDER);
}
