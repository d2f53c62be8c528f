#pragma once
// The main window and the shared image list of start-up. Other modules build the user
// interface through the main form's Add... operations:
//
//   FOpenItem = &MainForm->AddMenuItem(L"Open...", {'O', FCONTROL}, MainForm->FileMenuSeparator,
//                                      MainForm->FileMenuItem, 1, TVxMenuItem::TClick::Bind<&TVxEditor::OpenCommand>(this));
//   TVxToolbar& bar = MainForm->AddToolbar(Localizer().GetString(162, L"Standard"));
#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <vector>

#include "app/VxDock.h"
#include "app/VxDockablePanel.h"
#include "app/VxImageList.h"
#include "app/VxMenuItem.h"
#include "app/VxMultiDock.h"
#include "app/VxStatusBar.h"
#include "app/VxToolbar.h"
#include "app/VxForms.h"
#include "app/VxHandles.h"

// The status bar's progress bar, driven by long operations.
class TProgressMeter {
public:
    explicit TProgressMeter(HWND progressBar) : FProgressBar(progressBar) {}
    void Reset(int maximum);
    void SetRemaining(int remaining);
    void Step();
    int Position() const;
    int Maximum() const;
    int DefaultMaximum = 0;

private:
    HWND FProgressBar;
};

extern TProgressMeter* ProgressMeter;

class TMainForm : public TVxForm {
public:
    // Tag of the main form's node in the state file.
    static constexpr TVxGuid StateIdentifier{0x7AF6D7FF, 0x618B, 0x41D9, {0x88, 0x2E, 0x41, 0x9D, 0x50, 0x0D, 0xF2, 0x8B}};
    using TDropFileEvent = TVxMethod<TMainForm*, const std::wstring&>;
    // Asked before the window closes; clearing the flag keeps the program running.
    using TCloseQueryEvent = TVxMethod<bool&>;
    // The wheel turned (or, horizontal, tilted) anywhere in the window: the keys held (MK_
    // flags), the turn in WHEEL_DELTA parts of a notch (a tilt to the right is positive),
    // the pointer's screen position; set handled to take it.
    using TMouseWheelEvent = TVxMethod<std::uint32_t, int, POINT, bool, bool&>;

    explicit TMainForm(TVxComponent* owner);
    ~TMainForm() override;

    // What the form resource declares.
    TVxMenuItem Menu;
    TVxMenuItem* FileMenuItem;
    TVxMenuItem* FileMenuSeparator;
    TVxMenuItem* ExitMenuItem;
    TVxMenuItem* ViewMenuItem;
    TVxMenuItem* ToolbarsMenuItem;
    TVxMenuItem* ViewMenuSeparator;
    TVxMenuItem* LanguageMenuItem;
    TVxMenuItem* HelpMenuItem;
    std::unique_ptr<TVxDock> TopDock;
    std::unique_ptr<TVxDock> BottomDock;
    std::unique_ptr<TVxDock> LeftDock;
    std::unique_ptr<TVxDock> RightDock;
    // Top and bottom multi-docks take toolbars as rows; left and right hold panels.
    std::unique_ptr<TVxDock> TopMultiDock;
    std::unique_ptr<TVxDock> BottomMultiDock;
    std::unique_ptr<TVxMultiDock> LeftMultiDock;
    std::unique_ptr<TVxMultiDock> RightMultiDock;
    std::unique_ptr<TVxStatusBar> StatusBar;
    TVxImageList DefaultImages;

    TDropFileEvent OnDropFile;
    TCloseQueryEvent OnCloseQuery;
    TMouseWheelEvent OnMouseWheel;
    // Private cross-process commands (WM_COPYDATA) are handed to this, when assigned.
    TVxMethod<const COPYDATASTRUCT*> OnCopyData;

    TVxMenuItem& AddMenuItem(const std::wstring& caption, const TVxShortCut& shortCut, const TVxMenuItem* before,
                             TVxMenuItem* parent, int imageIndex, const TVxMenuItem::TClick& onClick);
    TVxMenuItem& AddSubmenu(const std::wstring& caption, TVxMenuItem* parent, const TVxMenuItem* before);
    TVxMenuItem& AddSeparator(TVxMenuItem* parent, const TVxMenuItem* before);
    TVxToolbar& AddToolbar(const std::wstring& caption);
    template <typename TItem>
    TItem& AddToolbarItem(TVxToolbar& toolbar, TVxImageList* images, const TVxToolbarItem* before, const std::wstring& caption,
                          int imageIndex, const TVxToolbarItem::TClick& onClick, TItem*& reference);
    TVxDockablePanel& CreateDockablePanel();
    // The progress bar in a last status-bar panel and the global meter over it, reset.
    TProgressMeter& CreateProgressMeter();
    void DockPanel(TVxDockablePanel& panel, TVxDockSide side);
    int AddImage(const wchar_t* resourceName);
    TVxImageList& Images() const;
    // The window area left for documents.
    HWND ClientArea() const { return FClientArea.Handle(); }

    void LanguageItemClick(TVxMenuItem* item);
    void RefreshToolbarItems(void* data);
    void ExitMenuItemClick(TVxMenuItem* item);
    void ToggleItemClick(TVxMenuItem* item);
    TVxMenuItem* FindLanguageItem(std::uint16_t languageId) const;

    void Localize() override;
    void UpdateControls() override;
    void Initialize() override;
    void LoadState(TVxSDFReader& reader) override;
    void SaveState(TVxSDFWriter& writer) override;
    void IdleFinished() override;
    void ShowMainWindow() override;
    void Relayout();

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // Document views fill it: every child follows its size.
    class TClientArea : public TVxWindow {
    public:
        void Create(HWND parent);

    protected:
        LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    };

    void CreateMenus();
    void CreateDocks();
    void DroppedFiles(HDROP drop);
    bool MouseWheel(WPARAM wParam, LPARAM lParam, bool horizontal);
    void MenuCommand(UINT command);
    void KeyboardMenu();
    void ApplyPlacement(WINDOWPLACEMENT placement);
    void ApplyFirstRunBounds();
    void ToolbarLayoutChanged(TVxToolbar*) { Relayout(); }
    void PanelLayoutChanged(TVxDockablePanel*) { Relayout(); }
    void MultiDockResized(TVxMultiDock*) { Relayout(); }
    void RebuildMenuBar();
    template <typename TVisit>
    static void ForEachItem(TVxMenuItem& item, TVisit visit);

    std::vector<std::unique_ptr<TVxToolbar>> FToolbars;
    std::vector<std::unique_ptr<TVxDockablePanel>> FPanels;
    std::vector<std::unique_ptr<TVxToolbarItem>> FDetachedItems;
    TClientArea FClientArea;
    TVxFontHandle FFont;
    TVxMenuHandle FMenuBar;
    HACCEL FAccelerators = nullptr;
    HWND FProgressBar = nullptr;
    std::unique_ptr<TProgressMeter> FProgressMeter;
    unsigned FMenuGeneration = ~0u;
    int FShowCommand = SW_SHOWDEFAULT;
    bool FPlacementRestored = false;
    bool FInLayout = false;
};

template <typename TItem>
TItem& TMainForm::AddToolbarItem(TVxToolbar& toolbar, TVxImageList* images, const TVxToolbarItem* before, const std::wstring& caption,
                                 int imageIndex, const TVxToolbarItem::TClick& onClick, TItem*& reference)
{
    reference = nullptr;
    auto item = std::make_unique<TItem>(&toolbar);
    reference = item.get();
    item->SetCaption(caption);
    item->SetHint(caption);
    item->SetImageIndex(imageIndex);
    item->OnClick = onClick;
    if (images)
        toolbar.SetImages(images);
    return static_cast<TItem&>(toolbar.Insert(std::move(item), before));
}

extern TMainForm* MainForm;

// The shared 24 x 24 toolbar images.
class TCommonDataModule : public TVxComponent {
public:
    explicit TCommonDataModule(TVxComponent* owner);
    ~TCommonDataModule() override;
    TVxImageList New24TBXImageList;
};

extern TCommonDataModule* CommonDataModule;
// The image list start-up hands to every module; null before step one of DataModuleCreate.
extern TVxImageList* SharedImages;
