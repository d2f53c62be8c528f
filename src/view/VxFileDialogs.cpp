#include "view/VxFileDialogs.h"

#include <commdlg.h>
#include <dlgs.h>

#include <algorithm>
#include <cmath>

#include "i18n/VxLocalizer.h"

namespace {

constexpr UINT WM_VX_THUMBNAILREADY = WM_APP + 31;
constexpr const wchar_t* PreviewBoxClass = L"VxPreviewBox";
// The template's width beyond the file list, in dialog units: room for the preview.
constexpr short PreviewDialogUnits = 150;
constexpr short TemplateHeight = 10;
constexpr int PreviewBoxHeight = 224;

template <typename T>
void Append(std::vector<std::uint8_t>& bytes, const T& value)
{
    const auto* p = reinterpret_cast<const std::uint8_t*>(&value);
    bytes.insert(bytes.end(), p, p + sizeof(T));
}

void AlignTo(std::vector<std::uint8_t>& bytes, std::size_t alignment)
{
    while (bytes.size() % alignment)
        bytes.push_back(0);
}

// The dialog template, built in memory: the platform's file list goes where the stc32
// static lies, and the template's width beyond it stays free for the preview pane.
std::vector<std::uint8_t> PreviewTemplate()
{
    std::vector<std::uint8_t> bytes;
    DLGTEMPLATE dialog{};
    dialog.style = WS_CHILD | WS_CLIPSIBLINGS | DS_3DLOOK | DS_CONTROL;
    dialog.cdit = 1;
    dialog.cx = static_cast<short>(10 + PreviewDialogUnits);
    dialog.cy = TemplateHeight;
    Append(bytes, dialog);
    Append(bytes, WORD{0}); // no menu
    Append(bytes, WORD{0}); // default class
    Append(bytes, WORD{0}); // no title
    AlignTo(bytes, 4);
    DLGITEMTEMPLATE item{};
    item.style = WS_CHILD | SS_LEFT;
    item.x = 0;
    item.y = 0;
    item.cx = 10;
    item.cy = TemplateHeight;
    item.id = stc32;
    Append(bytes, item);
    Append(bytes, WORD{0xFFFF});
    Append(bytes, WORD{0x0082}); // static
    Append(bytes, WORD{0});      // no text
    Append(bytes, WORD{0});      // no creation data
    AlignTo(bytes, 4);
    return bytes;
}

void RegisterBoxClass(WNDPROC proc)
{
    WNDCLASSW cls{};
    if (GetClassInfoW(GetModuleHandleW(nullptr), PreviewBoxClass, &cls))
        return;
    cls.lpfnWndProc = proc;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    cls.lpszClassName = PreviewBoxClass;
    RegisterClassW(&cls);
}

std::filesystem::path SelectedPath(HWND dialog)
{
    wchar_t buffer[MAX_PATH * 4] = {};
    const LRESULT length = SendMessageW(dialog, CDM_GETFILEPATH, MAX_PATH * 4, reinterpret_cast<LPARAM>(buffer));
    return length > 0 ? std::filesystem::path(buffer) : std::filesystem::path();
}

} // namespace

TVxOpenDialog::TVxOpenDialog(HWND owner, TVxFileFormats& formats) : FOwner(owner), FFormats(formats)
{
    FPreviewThread = std::make_unique<TVxDialogPreviewThread>(
        [this](const std::filesystem::path& name) {
            std::unique_ptr<TVxThumbnail> thumbnail;
            RECT box{};
            if (FBox)
                GetClientRect(FBox, &box);
            FFormats.GetThumbnail(name, box.right - 2, thumbnail, box.bottom - 2);
            return thumbnail;
        },
        [this] { ThumbnailReady(); });
    FillFilter();
}

TVxOpenDialog::~TVxOpenDialog() { Close(); }

void TVxOpenDialog::Close()
{
    if (FPreviewThread)
        FPreviewThread->Terminate();
}

void TVxOpenDialog::SetFilter(const TVxFileFormatArray& formats)
{
    // The registry's filter text separates with "|"; the platform wants NULs.
    FFilter = FormatFilterText(formats);
    for (wchar_t& c : FFilter)
        if (c == L'|')
            c = L'\0';
    FFilter.push_back(L'\0');
    FFilter.push_back(L'\0');
}

void TVxOpenDialog::FillFilter()
{
    TVxFileFormatArray formats;
    FFormats.OpenList(formats);
    SetFilter(formats);
    FFilterIndex = 1; // the first entry is the default format
}

std::wstring TVxOpenDialog::Title() const { return Localizer().GetString(12, L"Open"); }

bool TVxOpenDialog::RunDialog(OPENFILENAMEW& parameters) { return GetOpenFileNameW(&parameters) != FALSE; }

bool TVxOpenDialog::Execute()
{
    std::vector<wchar_t> name(MAX_PATH * 4, L'\0');
    FFileName.wstring().copy(name.data(), name.size() - 1);
    const std::wstring title = Title();
    OPENFILENAMEW parameters{};
    parameters.lStructSize = sizeof(parameters);
    parameters.hwndOwner = FOwner;
    parameters.lpstrFilter = FFilter.c_str();
    parameters.nFilterIndex = static_cast<DWORD>(FFilterIndex);
    parameters.lpstrFile = name.data();
    parameters.nMaxFile = static_cast<DWORD>(name.size());
    parameters.lpstrTitle = title.c_str();
    // A name that does not exist is refused by the dialog itself, before the editor
    // closes the current picture to open it.
    parameters.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_ENABLESIZING;
    if (!OldStyle) {
        FTemplate = PreviewTemplate();
        parameters.Flags |= OFN_ENABLEHOOK | OFN_ENABLETEMPLATEHANDLE;
        parameters.hInstance = reinterpret_cast<HINSTANCE>(FTemplate.data());
        parameters.lpfnHook = &TVxOpenDialog::HookProc;
        parameters.lCustData = reinterpret_cast<LPARAM>(this);
    }
    const bool done = RunDialog(parameters);
    Close();
    if (done) {
        FFileName = name.data();
        FFilterIndex = static_cast<std::int32_t>(parameters.nFilterIndex);
    }
    return done;
}

UINT_PTR CALLBACK TVxOpenDialog::HookProc(HWND hook, UINT message, WPARAM, LPARAM lParam)
{
    try {
        if (message == WM_INITDIALOG) {
            auto* dialog = reinterpret_cast<TVxOpenDialog*>(reinterpret_cast<OPENFILENAMEW*>(lParam)->lCustData);
            SetWindowLongPtrW(hook, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(dialog));
            return 0;
        }
        auto* dialog = reinterpret_cast<TVxOpenDialog*>(GetWindowLongPtrW(hook, GWLP_USERDATA));
        if (!dialog || message != WM_NOTIFY)
            return 0;
        switch (reinterpret_cast<const NMHDR*>(lParam)->code) {
        case CDN_INITDONE: dialog->CreatePreview(hook); break;
        case CDN_SELCHANGE: dialog->SelectionChanged(hook); break;
        }
    } catch (...) {
        // Nothing may unwind through the platform's dialog code.
    }
    return 0;
}

void TVxOpenDialog::CreatePreview(HWND hook)
{
    RegisterBoxClass(&TVxOpenDialog::BoxProc);
    const HWND dialog = GetParent(hook);
    RECT client{};
    GetClientRect(dialog, &client);
    RECT list{};
    GetWindowRect(GetDlgItem(hook, stc32), &list);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&list), 2);
    const RECT panel{list.right, client.top + 30, client.right - 6, client.bottom - 16};
    FPanel = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, panel.left, panel.top,
                             panel.right - panel.left, panel.bottom - panel.top, dialog, nullptr, GetModuleHandleW(nullptr), nullptr);
    const int border = 6;
    const int width = panel.right - panel.left - 2 * border;
    FLabelFont.Reset(CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
    // About seven lines stay for the label below the box.
    const int labelHeight = static_cast<int>(std::lround(7 * 11 * 1.25));
    const int boxHeight = std::max(32, std::min<int>(PreviewBoxHeight, panel.bottom - panel.top - 2 * border - labelHeight));
    FBox = CreateWindowExW(0, PreviewBoxClass, L"", WS_CHILD | WS_VISIBLE, border, border, width, boxHeight, FPanel, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(FBox, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    FLabel = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT, border, border + boxHeight, width,
                             labelHeight, FPanel, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(FLabel, WM_SETFONT, reinterpret_cast<WPARAM>(FLabelFont.Get()), FALSE);
}

void TVxOpenDialog::SelectionChanged(HWND hook)
{
    FThumbnail.reset();
    const std::filesystem::path path = SelectedPath(GetParent(hook));
    std::unique_ptr<TVxFileInfo> info;
    if (!path.empty() && std::filesystem::is_regular_file(path) && FFormats.GetFileInfo(path, info) && info) {
        SetWindowTextW(FLabel, (L"\n" + info->Description()).c_str());
        FPreviewThread->Request(path);
    } else {
        FPreviewThread->Cancel();
        SetWindowTextW(FLabel, L"");
    }
    if (FBox)
        InvalidateRect(FBox, nullptr, TRUE);
}

void TVxOpenDialog::ThumbnailReady()
{
    // The preview thread only posts: the user-interface thread takes the thumbnail.
    if (FBox)
        PostMessageW(FBox, WM_VX_THUMBNAILREADY, 0, 0);
}

void TVxOpenDialog::PaintBox(HDC dc)
{
    RECT client{};
    GetClientRect(FBox, &client);
    const int saved = SaveDC(dc);
    if (FThumbnail) {
        TRect drawn;
        if (FThumbnail->Draw(dc, TRect{1, 1, client.right - 1, client.bottom - 1}, drawn))
            ExcludeClipRect(dc, drawn.Left, drawn.Top, drawn.Right, drawn.Bottom);
    }
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    RestoreDC(dc, saved);
    FrameRect(dc, &client, GetSysColorBrush(COLOR_BTNSHADOW));
}

LRESULT CALLBACK TVxOpenDialog::BoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* dialog = reinterpret_cast<TVxOpenDialog*>(GetWindowLongPtrW(box, GWLP_USERDATA));
    try {
        switch (message) {
        case WM_ERASEBKGND: return 1;
        case WM_PAINT:
            if (dialog) {
                TVxPaintDC paint(box);
                dialog->PaintBox(paint.DC());
                return 0;
            }
            break;
        case WM_VX_THUMBNAILREADY:
            if (dialog) {
                if (auto thumbnail = dialog->FPreviewThread->TakeThumbnail()) {
                    dialog->FThumbnail = std::move(thumbnail);
                    InvalidateRect(box, nullptr, FALSE);
                }
            }
            return 0;
        }
    } catch (...) {
    }
    return DefWindowProcW(box, message, wParam, lParam);
}

void TVxSaveDialog::FillFilter()
{
    TVxFileFormatArray formats;
    Formats().SaveList(formats);
    SetFilter(formats);
}

bool TVxSaveDialog::RunDialog(OPENFILENAMEW& parameters)
{
    // No overwrite prompt here: the editor asks, in the program's language, once the
    // format's extension has been added to the name.
    parameters.Flags &= ~static_cast<DWORD>(OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST);
    return GetSaveFileNameW(&parameters) != FALSE;
}

std::wstring TVxSaveDialog::Title() const { return Localizer().GetString(15, L"Save As"); }
