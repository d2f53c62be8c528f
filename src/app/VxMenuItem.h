#pragma once
// Menu items: a model of the menu tree, rebuilt into the native menu bar and its
// accelerator table whenever it changes.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/VxCaptioned.h"
#include "settings/VxMethodList.h"

class TVxImageList;

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
