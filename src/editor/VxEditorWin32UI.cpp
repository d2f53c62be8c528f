#include "editor/VxEditorWin32UI.h"

#include <commdlg.h>

#include <vector>

std::wstring DialogFilter(const TVxFileFormatArray& formats)
{
    std::wstring filter = FormatFilterText(formats);
    for (wchar_t& c : filter)
        if (c == L'|')
            c = L'\0';
    filter.push_back(L'\0');
    filter.push_back(L'\0');
    return filter;
}

UINT TVxEditorWin32UI::MessageFlags(TVxMessageKind kind)
{
    switch (kind) {
    case TVxMessageKind::YesNoCancelWarning: return MB_YESNOCANCEL | MB_ICONEXCLAMATION;
    case TVxMessageKind::YesNoWarning: return MB_YESNO | MB_ICONEXCLAMATION;
    default: return MB_OK | MB_ICONERROR;
    }
}

TVxButton TVxEditorWin32UI::ButtonOf(int code)
{
    switch (code) {
    case IDYES: return TVxButton::Yes;
    case IDNO: return TVxButton::No;
    case IDOK: return TVxButton::Ok;
    default: return TVxButton::Cancel;
    }
}

TVxButton TVxEditorWin32UI::ShowMessage(const std::wstring& text, TVxMessageKind kind)
{
    return ButtonOf(MessageBoxW(FMainWindow, text.c_str(), ApplicationTitle().c_str(), MessageFlags(kind)));
}

void TVxEditorWin32UI::BeginWait()
{
    HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    if (FWaitDepth++ == 0)
        FCursorBeforeWait = previous;
}

void TVxEditorWin32UI::EndWait()
{
    if (FWaitDepth > 0 && --FWaitDepth == 0)
        SetCursor(FCursorBeforeWait ? FCursorBeforeWait : LoadCursorW(nullptr, IDC_ARROW));
}

std::optional<std::filesystem::path> TVxEditorWin32UI::RunOpenDialog(const TVxFileFormatArray& formats)
{
    const std::wstring filter = DialogFilter(formats);
    std::vector<wchar_t> name(32768, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = FMainWindow;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(formats.size() > 1 ? formats.size() - 1 : 1); // all supported files
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = static_cast<DWORD>(name.size());
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
    if (!GetOpenFileNameW(&ofn))
        return std::nullopt;
    return std::filesystem::path(name.data());
}

std::optional<TVxSaveChoice> TVxEditorWin32UI::RunSaveDialog(const TVxFileFormatArray& formats,
                                                             const std::filesystem::path& fileName, std::int32_t filterIndex)
{
    const std::wstring filter = DialogFilter(formats);
    std::vector<wchar_t> name(32768, L'\0');
    const std::wstring initial = fileName.wstring();
    std::copy(initial.begin(), initial.begin() + static_cast<std::ptrdiff_t>(std::min(initial.size(), name.size() - 1)), name.begin());
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = FMainWindow;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(filterIndex);
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = static_cast<DWORD>(name.size());
    // Overwriting is asked by the editor itself, after the extension is settled.
    ofn.Flags = OFN_HIDEREADONLY | OFN_EXPLORER | OFN_PATHMUSTEXIST;
    if (!GetSaveFileNameW(&ofn))
        return std::nullopt;
    return TVxSaveChoice{std::filesystem::path(name.data()), static_cast<std::int32_t>(ofn.nFilterIndex)};
}

void TVxEditorWin32UI::ProcessMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void TVxEditorWin32UI::SetCaption(const std::wstring& caption)
{
    if (FMainWindow)
        SetWindowTextW(FMainWindow, caption.c_str());
}
