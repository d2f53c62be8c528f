#pragma once
// The platform's Unicode open and save dialogs with a preview pane on the right of the
// file list: a thumbnail of the selected file, made on a background thread, and the
// registry's description of the file below it.
//
//   TVxOpenDialog dialog(mainWindow, formats);
//   if (dialog.Execute()) Open(dialog.FileName());
#include <windows.h>
#include <commdlg.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/VxHandles.h"
#include "editor/VxFileFormats.h"
#include "view/VxPreviewThread.h"

class TVxOpenDialog {
public:
    TVxOpenDialog(HWND owner, TVxFileFormats& formats);
    virtual ~TVxOpenDialog();
    TVxOpenDialog(const TVxOpenDialog&) = delete;
    TVxOpenDialog& operator=(const TVxOpenDialog&) = delete;

    bool Execute();

    const std::filesystem::path& FileName() const { return FFileName; }
    void SetFileName(const std::filesystem::path& fileName) { FFileName = fileName; }
    // 1-based, as the platform counts the filter's entries.
    std::int32_t FilterIndex() const { return FFilterIndex; }
    void SetFilterIndex(std::int32_t index) { FFilterIndex = index; }
    // Without the template and the hook: no preview.
    bool OldStyle = false;

protected:
    virtual void FillFilter();
    virtual bool RunDialog(OPENFILENAMEW& parameters);
    virtual std::wstring Title() const;
    void SetFilter(const TVxFileFormatArray& formats);

    TVxFileFormats& Formats() const { return FFormats; }

private:
    static UINT_PTR CALLBACK HookProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK BoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam);
    void CreatePreview(HWND hook);
    void SelectionChanged(HWND hook);
    void PaintBox(HDC dc);
    void ThumbnailReady();
    void Close();

    HWND FOwner;
    TVxFileFormats& FFormats;
    std::wstring FFilter; // entries separated by NUL, ended by two
    std::filesystem::path FFileName;
    std::int32_t FFilterIndex = 1;
    std::vector<std::uint8_t> FTemplate;
    HWND FPanel = nullptr;
    HWND FBox = nullptr;
    HWND FLabel = nullptr;
    TVxFontHandle FLabelFont;
    std::unique_ptr<TVxDialogPreviewThread> FPreviewThread;
    std::unique_ptr<TVxThumbnail> FThumbnail;
};

class TVxSaveDialog : public TVxOpenDialog {
public:
    using TVxOpenDialog::TVxOpenDialog;

protected:
    void FillFilter() override;
    bool RunDialog(OPENFILENAMEW& parameters) override;
    std::wstring Title() const override;
};
