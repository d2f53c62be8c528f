#pragma once
// Toolbars that wrap, and their buttons and separators.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/VxCaptioned.h"
#include "app/VxHandles.h"
#include "settings/VxMethodList.h"

class TVxImageList;
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
    // The button's rectangle on the screen; false while it is not shown.
    bool ScreenRect(RECT& rect) const;

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

    HWND Handle() const { return FHandle.Get(); }
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
    // A toolbar's parent hands it the commands and notifications of its toolbars; true
    // when one of them took the message.
    static bool ForwardMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    TVxMethod<TVxToolbar*> OnLayoutChanged;

private:
    friend class TVxToolbarItem;
    void Rebuild();
    void LayoutChanged() { OnLayoutChanged(this); }

    TVxWindowHandle FHandle;
    std::wstring FCaption;
    bool FVisible = true;
    bool FWrapping = true;
    TVxImageList* FImages;
    std::vector<std::unique_ptr<TVxToolbarItem>> FItems;
};
