#pragma once
// The JPEG options dialog: quality by preset, by number or by slider, checked on OK.
//
//   TVxJPEGOptionsForm form(mainWindow);
//   std::optional<std::int32_t> quality = form.AskQuality(formats.JPEGQuality());   // nothing on Cancel
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "editor/VxJPEGOptions.h"

class TVxJPEGOptionsForm : public IVxJPEGQualityPrompt {
public:
    enum : int {
        idQualityEdit = 101,
        idQualityComboBox,
        idQualityTrackBar,
        idDisplayCheckbox,
        idQualityLabel,
        idSmallFileLabel,
        idLargeFileLabel,
        idQualityGroupBox,
    };

    explicit TVxJPEGOptionsForm(HWND owner = nullptr) : FOwner(owner) {}

    std::optional<std::int32_t> AskQuality(std::int32_t current) override;

    void SetQuality(std::int32_t value);
    std::int32_t Quality() const { return FModel.Quality(); }

    // The application's message box (text, caption, flags), which disables its other
    // windows while it shows; the platform's plain box when unset.
    using TShowMessageBox = int (*)(const std::wstring& text, const std::wstring& caption, UINT flags);
    TShowMessageBox ShowMessageBox = nullptr;

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    void Localize();
    void SyncControls();
    void QualityChange(int controlId);
    void OkButtonClick();
    HWND Control(int id) const { return GetDlgItem(FDialog, id); }

    HWND FOwner;
    HWND FDialog = nullptr;
    TVxJPEGOptionsModel FModel;
    bool FChanging = false; // a change made by the handler itself
};
