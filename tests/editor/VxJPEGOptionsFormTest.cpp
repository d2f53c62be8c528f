// The real dialog, driven from a second thread the way a user would drive it.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <string>
#include <thread>

#include "editor/VxJPEGOptionsForm.h"

namespace {

struct TFindDialog {
    HWND Except = nullptr;
    HWND Found = nullptr;
};

BOOL CALLBACK FindDialogWindow(HWND window, LPARAM lParam)
{
    auto& find = *reinterpret_cast<TFindDialog*>(lParam);
    wchar_t cls[32] = {};
    GetClassNameW(window, cls, 32);
    if (window != find.Except && IsWindowVisible(window) && std::wstring(cls) == L"#32770") {
        find.Found = window;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForDialog(DWORD thread, HWND except = nullptr)
{
    for (int i = 0; i < 500; ++i) {
        TFindDialog find{except, nullptr};
        EnumThreadWindows(thread, FindDialogWindow, reinterpret_cast<LPARAM>(&find));
        if (find.Found)
            return find.Found;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return nullptr;
}

std::wstring Text(HWND dialog, int id)
{
    wchar_t text[64] = {};
    GetDlgItemTextW(dialog, id, text, 64);
    return text;
}

struct TSeen {
    std::wstring Caption;
    LRESULT ComboAtStart = -1;
    LRESULT ComboAfterFive = -1;
    LRESULT TrackAfterFive = -1;
    bool MessageShown = false;
    std::wstring EditAfterMessage;
};

TEST(VxJPEGOptionsFormTest, PresetsFollowQualityAndOutOfRangeIsCorrected)
{
    TSeen seen;
    const DWORD uiThread = GetCurrentThreadId();
    std::thread driver([&] {
        HWND dialog = WaitForDialog(uiThread);
        if (!dialog)
            return;
        wchar_t caption[64] = {};
        GetWindowTextW(dialog, caption, 64);
        seen.Caption = caption;
        using F = TVxJPEGOptionsForm;
        seen.ComboAtStart = SendDlgItemMessageW(dialog, F::idQualityComboBox, CB_GETCURSEL, 0, 0);
        SetDlgItemTextW(dialog, F::idQualityEdit, L"5");
        seen.ComboAfterFive = SendDlgItemMessageW(dialog, F::idQualityComboBox, CB_GETCURSEL, 0, 0);
        seen.TrackAfterFive = SendDlgItemMessageW(dialog, F::idQualityTrackBar, TBM_GETPOS, 0, 0);
        SetDlgItemTextW(dialog, F::idQualityEdit, L"150");
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        if (HWND box = WaitForDialog(uiThread, dialog)) {
            seen.MessageShown = true;
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            for (int i = 0; i < 200 && IsWindow(box); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        for (int i = 0; i < 200 && Text(dialog, F::idQualityEdit) != L"100"; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        seen.EditAfterMessage = Text(dialog, F::idQualityEdit);
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    TVxJPEGOptionsForm form;
    const std::optional<std::int32_t> quality = form.AskQuality(70);
    driver.join();
    EXPECT_EQ(seen.Caption, L"JPEG Options");
    EXPECT_EQ(seen.ComboAtStart, 2);   // 70 is High
    EXPECT_EQ(seen.ComboAfterFive, 0); // 5 is Low
    EXPECT_EQ(seen.TrackAfterFive, 5);
    EXPECT_TRUE(seen.MessageShown);
    EXPECT_EQ(seen.EditAfterMessage, L"100");
    EXPECT_EQ(quality, 100);
}

TEST(VxJPEGOptionsFormTest, CancelGivesNothing)
{
    const DWORD uiThread = GetCurrentThreadId();
    std::thread driver([&] {
        if (HWND dialog = WaitForDialog(uiThread))
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    TVxJPEGOptionsForm form;
    EXPECT_FALSE(form.AskQuality(80).has_value());
    driver.join();
}

} // namespace
