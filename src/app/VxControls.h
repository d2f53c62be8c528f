#pragma once
// The user-interface toolkit of the main window, on Win32 and the common controls:
// menu items (a model rebuilt into the native menu bar when it changes), toolbars that
// wrap, docks that stack toolbars, multi-docks holding dockable panels with a splitter,
// the status bar with panels, and the shared image list.
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "app/VxDockState.h"
#include "app/VxHandles.h"
#include "app/VxWindow.h"
#include "settings/VxMethodList.h"

class TVxImageList;

// Something whose caption a View-menu toggle item repeats.
class IVxCaptioned {
public:
    virtual std::wstring Caption() const = 0;
    virtual bool Visible() const = 0;
    virtual void SetVisible(bool visible) = 0;

protected:
    ~IVxCaptioned() = default;
};

struct TVxShortCut {
    WORD Key = 0;          // virtual key; 0 = none
    BYTE Modifiers = 0;    // FCONTROL, FALT, FSHIFT
    std::wstring Text() const;
    explicit operator bool() const { return Key != 0; }
};

class TVxMenuItem {
public:
    enum class TKind { Item, Separator };
    using TClick = TVxMethod<TVxMenuItem*>;

    explicit TVxMenuItem(TKind kind = TKind::Item);

    // Inserts in front of before, or appends when before is null or not a child.
    TVxMenuItem& Insert(std::unique_ptr<TVxMenuItem> item, const TVxMenuItem* before = nullptr);
    std::unique_ptr<TVxMenuItem> Remove(TVxMenuItem& item);
    int Count() const { return static_cast<int>(FItems.size()); }
    TVxMenuItem& Item(int index) const { return *FItems[static_cast<std::size_t>(index)]; }
    int IndexOf(const TVxMenuItem* item) const;
    TVxMenuItem* Parent() const { return FParent; }
    TVxMenuItem* FindCommand(UINT command);

    TKind Kind() const { return FKind; }
    UINT Command() const { return FCommand; }
    const std::wstring& Caption() const { return FCaption; }
    void SetCaption(const std::wstring& caption);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool enabled);
    bool Checked() const { return FChecked; }
    void SetChecked(bool checked);
    bool Visible() const { return FVisible; }
    void SetVisible(bool visible);
    // A submenu shows as a popup even while it has no items.
    bool IsSubmenu() const { return FSubmenu || !FItems.empty(); }
    void SetSubmenu(bool submenu);
    const TVxShortCut& ShortCut() const { return FShortCut; }
    void SetShortCut(const TVxShortCut& shortCut);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int index);
    void SetImages(TVxImageList* images) { FImages = images; }
    TVxImageList* Images() const { return FImages; }

    std::intptr_t Tag = 0;
    TClick OnClick;
    // The toolbar or panel this item shows and hides, if it is a toggle item.
    IVxCaptioned* Toggles = nullptr;

    // Changes since the native menu was last built.
    static unsigned Generation() { return FGeneration; }

private:
    static void Changed() { ++FGeneration; }
    static inline unsigned FGeneration = 0;

    TKind FKind;
    UINT FCommand;
    TVxMenuItem* FParent = nullptr;
    std::vector<std::unique_ptr<TVxMenuItem>> FItems;
    std::wstring FCaption;
    bool FEnabled = true;
    bool FChecked = false;
    bool FVisible = true;
    bool FSubmenu = false;
    TVxShortCut FShortCut;
    int FImageIndex = -1;
    TVxImageList* FImages = nullptr;
};

// Builds the native menu bar and the accelerator table from the item tree.
HMENU BuildMenuBar(const TVxMenuItem& root);
HACCEL BuildAccelerators(const TVxMenuItem& root);
// Pictures of menu items, answered by the window that owns the menu bar.
bool MeasureMenuImage(MEASUREITEMSTRUCT& measure);
bool DrawMenuImage(const DRAWITEMSTRUCT& draw);

// 24 x 24 images with a grey twin for disabled items.
class TVxImageList {
public:
    explicit TVxImageList(int size = 24);
    HIMAGELIST Handle() const { return FImages.Get(); }
    HIMAGELIST DisabledHandle() const { return FDisabled.Get(); }
    int Count() const { return ImageList_GetImageCount(FImages.Get()); }
    // Appends a strip of 32-bit images with alpha; the disabled twins are made from it.
    bool AddStrip(const wchar_t* resourceName);
    // Appends a bitmap resource whose top-left pixel is the transparent colour, and
    // resourceName + "Disabled" to the disabled list; -1 when the resource is missing.
    int AddImage(const wchar_t* resourceName);

private:
    int FSize;
    TVxImageListHandle FImages;
    TVxImageListHandle FDisabled;
};

class TVxToolbar;

class TVxToolbarItem {
public:
    enum class TKind { Button, Check, Separator };
    using TClick = TVxMethod<TVxToolbarItem*>;

    TVxToolbarItem(TVxToolbar* toolbar, TKind kind = TKind::Button);
    virtual ~TVxToolbarItem() = default;

    TKind Kind() const { return FKind; }
    UINT Command() const { return FCommand; }
    const std::wstring& Caption() const { return FCaption; }
    void SetCaption(const std::wstring& caption);
    const std::wstring& Hint() const { return FHint; }
    void SetHint(const std::wstring& hint) { FHint = hint; }
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int index);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool enabled);
    bool Checked() const { return FChecked; }
    void SetChecked(bool checked);
    bool Visible() const { return FVisible; }
    void SetVisible(bool visible);
    // Text shown next to (or instead of) the image.
    bool ShowCaption() const { return FShowCaption; }
    void SetShowCaption(bool show);
    // Width of a separator in pixels.
    int SeparatorSize() const { return FSeparatorSize; }
    void SetSeparatorSize(int size);

    std::intptr_t Tag = 0;
    TClick OnClick;

private:
    void Apply();

    TVxToolbar* FToolbar;
    TKind FKind;
    UINT FCommand;
    std::wstring FCaption;
    std::wstring FHint;
    int FImageIndex = -1;
    bool FEnabled = true;
    bool FChecked = false;
    bool FVisible = true;
    bool FShowCaption = false;
    int FSeparatorSize = 6;

    friend class TVxToolbar;
};

class TVxToolbarSeparator : public TVxToolbarItem {
public:
    explicit TVxToolbarSeparator(TVxToolbar* toolbar) : TVxToolbarItem(toolbar, TKind::Separator) {}
};

class TVxToolbar : public IVxCaptioned {
public:
    TVxToolbar(HWND parent, TVxImageList* images);
    ~TVxToolbar();
    TVxToolbar(const TVxToolbar&) = delete;
    TVxToolbar& operator=(const TVxToolbar&) = delete;

    HWND Handle() const { return FHandle; }
    std::wstring Caption() const override { return FCaption; }
    void SetCaption(const std::wstring& caption) { FCaption = caption; }
    bool Visible() const override { return FVisible; }
    void SetVisible(bool visible) override;
    bool Wrapping() const { return FWrapping; }
    void SetWrapping(bool wrapping);
    void SetImages(TVxImageList* images);
    TVxImageList* Images() const { return FImages; }

    TVxToolbarItem& Insert(std::unique_ptr<TVxToolbarItem> item, const TVxToolbarItem* before = nullptr);
    int Count() const { return static_cast<int>(FItems.size()); }
    TVxToolbarItem& Item(int index) const { return *FItems[static_cast<std::size_t>(index)]; }
    int IndexOf(const TVxToolbarItem* item) const;

    // Height of the toolbar laid out at the given width (all its rows).
    int HeightFor(int width);
    // Width of one row holding every item.
    int IdealWidth();
    void SetParent(HWND parent);

    // Messages the parent window forwards.
    bool HandleCommand(UINT command);
    bool HandleNotify(NMHDR& header, LRESULT& result);
    static TVxToolbar* FromHandle(HWND handle);

    TVxMethod<TVxToolbar*> OnLayoutChanged;

private:
    friend class TVxToolbarItem;
    void Rebuild();
    void LayoutChanged() { OnLayoutChanged(this); }

    HWND FHandle = nullptr;
    std::wstring FCaption;
    bool FVisible = true;
    bool FWrapping = true;
    TVxImageList* FImages;
    std::vector<std::unique_ptr<TVxToolbarItem>> FItems;
};

// A window along one edge of the main form that stacks its toolbars in rows.
class TVxDock : public TVxWindow {
public:
    enum class TAlign { Top, Bottom, Left, Right };
    TVxDock(HWND parent, TAlign align);

    TAlign Align() const { return FAlign; }
    void AddToolbar(TVxToolbar& toolbar);
    // Thickness needed for the given length (width of a top dock, height of a side dock).
    int Thickness(int length);
    void Arrange();

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    TAlign FAlign;
    std::vector<TVxToolbar*> FToolbars;
};

// A panel with a caption strip that lives in a multi-dock (or floats later) and holds
// one frame or more.
class TVxDockablePanel : public TVxWindow, public IVxCaptioned {
public:
    explicit TVxDockablePanel(HWND parent);

    std::wstring Caption() const override { return FCaption; }
    void SetCaption(const std::wstring& caption);
    bool Visible() const override { return FState.Visible; }
    void SetVisible(bool visible) override;
    int PanelWidth() const { return FState.Width; }
    void SetPanelWidth(int width);
    int BorderSize() const { return FBorderSize; }
    void SetBorderSize(int size) { FBorderSize = size; }
    TVxDockSide Side() const { return FState.Side; }
    void SetSide(TVxDockSide side);
    const TVxDockPanelState& State() const { return FState; }
    void SetState(const TVxDockPanelState& state);
    // Where children go: below the caption strip, inside the border.
    RECT ContentRect() const;

    TVxMethod<TVxDockablePanel*> OnLayoutChanged;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint(HDC dc);
    int CaptionHeight() const;

    std::wstring FCaption;
    TVxDockPanelState FState;
    int FBorderSize = 2;
};

// A column of dockable panels along the left or right edge, with a splitter on its
// inner side that resizes them.
class TVxMultiDock : public TVxWindow {
public:
    TVxMultiDock(HWND parent, TVxDockSide side);

    TVxDockSide Side() const { return FSide; }
    void AddPanel(TVxDockablePanel& panel);
    void RemovePanel(TVxDockablePanel& panel);
    int Thickness() const;
    void Arrange();

    TVxMethod<TVxMultiDock*> OnResized;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    static constexpr int SplitterWidth = 5;
    RECT SplitterRect() const;
    void BeginDrag(int x);
    void Drag(int x);

    TVxDockSide FSide;
    std::vector<TVxDockablePanel*> FPanels;
    bool FDragging = false;
    int FDragStartX = 0;
    int FDragStartWidth = 0;
};

class TVxStatusBar {
public:
    explicit TVxStatusBar(HWND parent);
    ~TVxStatusBar();
    HWND Handle() const { return FHandle; }
    // A panel of the given width; the first panel takes what the fixed ones leave.
    int AddPanel(int width);
    int PanelCount() const { return static_cast<int>(FWidths.size()); }
    void SetPanelWidth(int index, int width);
    void SetPanelText(int index, const std::wstring& text);
    RECT PanelRect(int index) const;
    int Height() const;
    void Arrange(const RECT& parentClient);

private:
    HWND FHandle;
    std::vector<int> FWidths;
    std::vector<std::wstring> FTexts;
};
