#include "app/VxToolbar.h"

#include <algorithm>

#include "app/VxCommandId.h"
#include "app/VxImageList.h"

TVxToolbarItem::TVxToolbarItem(TVxToolbar* toolbar, TKind kind) : FToolbar(toolbar), FKind(kind), FCommand(NextCommandId()) {}

void TVxToolbarItem::Apply()
{
    if (FToolbar)
        FToolbar->Rebuild();
}

void TVxToolbarItem::SetCaption(const std::wstring& caption)
{
    if (caption != FCaption) {
        FCaption = caption;
        Apply();
    }
}

void TVxToolbarItem::SetImageIndex(int index)
{
    if (index != FImageIndex) {
        FImageIndex = index;
        Apply();
    }
}

void TVxToolbarItem::SetEnabled(bool enabled)
{
    if (enabled == FEnabled)
        return;
    FEnabled = enabled;
    if (FToolbar && FToolbar->Handle())
        SendMessageW(FToolbar->Handle(), TB_ENABLEBUTTON, FCommand, MAKELPARAM(enabled, 0));
}

void TVxToolbarItem::SetChecked(bool checked)
{
    if (checked == FChecked)
        return;
    FChecked = checked;
    if (FToolbar && FToolbar->Handle())
        SendMessageW(FToolbar->Handle(), TB_CHECKBUTTON, FCommand, MAKELPARAM(checked, 0));
}

void TVxToolbarItem::SetVisible(bool visible)
{
    if (visible != FVisible) {
        FVisible = visible;
        Apply();
    }
}

void TVxToolbarItem::SetShowCaption(bool show)
{
    if (show != FShowCaption) {
        FShowCaption = show;
        Apply();
    }
}

void TVxToolbarItem::SetSeparatorSize(int size)
{
    if (size != FSeparatorSize) {
        FSeparatorSize = size;
        Apply();
    }
}

namespace {
constexpr wchar_t ToolbarProperty[] = L"VxToolbar";
}

TVxToolbar::TVxToolbar(HWND parent, TVxImageList* images) : FImages(images)
{
    FHandle.Reset(CreateWindowExW(0, TOOLBARCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | TBSTYLE_WRAPABLE | CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER,
                                  0, 0, 0, 0, parent, nullptr, GetModuleHandleW(nullptr), nullptr));
    SetPropW(FHandle.Get(), ToolbarProperty, this);
    SendMessageW(FHandle.Get(), TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(FHandle.Get(), TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_MIXEDBUTTONS | TBSTYLE_EX_HIDECLIPPEDBUTTONS);
    SendMessageW(FHandle.Get(), TB_SETMAXTEXTROWS, 1, 0);
    SetImages(images);
}

TVxToolbar::~TVxToolbar()
{
    if (IsWindow(FHandle.Get()))
        RemovePropW(FHandle.Get(), ToolbarProperty);
}

TVxToolbar* TVxToolbar::FromHandle(HWND handle)
{
    return static_cast<TVxToolbar*>(GetPropW(handle, ToolbarProperty));
}

void TVxToolbar::SetImages(TVxImageList* images)
{
    FImages = images;
    SendMessageW(FHandle.Get(), TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images ? images->Handle() : nullptr));
    SendMessageW(FHandle.Get(), TB_SETDISABLEDIMAGELIST, 0, reinterpret_cast<LPARAM>(images ? images->DisabledHandle() : nullptr));
    Rebuild();
}

void TVxToolbar::SetParent(HWND parent)
{
    ::SetParent(FHandle.Get(), parent);
}

void TVxToolbar::SetVisible(bool visible)
{
    if (visible == FVisible)
        return;
    FVisible = visible;
    ShowWindow(FHandle.Get(), visible ? SW_SHOWNA : SW_HIDE);
    LayoutChanged();
}

void TVxToolbar::SetWrapping(bool wrapping)
{
    FWrapping = wrapping;
    LayoutChanged();
}

TVxToolbarItem& TVxToolbar::Insert(std::unique_ptr<TVxToolbarItem> item, const TVxToolbarItem* before)
{
    TVxToolbarItem& result = *item;
    item->FToolbar = this;
    const int index = before ? IndexOf(before) : -1;
    if (index < 0)
        FItems.push_back(std::move(item));
    else
        FItems.insert(FItems.begin() + index, std::move(item));
    Rebuild();
    return result;
}

int TVxToolbar::IndexOf(const TVxToolbarItem* item) const
{
    const auto found = std::find_if(FItems.begin(), FItems.end(), [item](const auto& each) { return each.get() == item; });
    return found == FItems.end() ? -1 : static_cast<int>(found - FItems.begin());
}

// The native buttons are recreated from the items: simpler than keeping two lists in
// step, and toolbars hold a handful of buttons.
void TVxToolbar::Rebuild()
{
    if (!FHandle)
        return;
    while (SendMessageW(FHandle.Get(), TB_BUTTONCOUNT, 0, 0) > 0)
        SendMessageW(FHandle.Get(), TB_DELETEBUTTON, 0, 0);
    std::vector<TBBUTTON> buttons;
    for (const auto& item : FItems) {
        TBBUTTON button{};
        button.idCommand = static_cast<int>(item->FCommand);
        button.fsState = static_cast<BYTE>((item->FEnabled ? TBSTATE_ENABLED : 0) | (item->FChecked ? TBSTATE_CHECKED : 0) | (item->FVisible ? 0 : TBSTATE_HIDDEN));
        if (item->FKind == TVxToolbarItem::TKind::Separator) {
            button.fsStyle = BTNS_SEP;
            button.iBitmap = item->FSeparatorSize;
        } else {
            button.fsStyle = static_cast<BYTE>(BTNS_AUTOSIZE | (item->FKind == TVxToolbarItem::TKind::Check ? BTNS_CHECK : BTNS_BUTTON) | (item->FShowCaption || item->FImageIndex < 0 ? BTNS_SHOWTEXT : 0));
            button.iBitmap = item->FImageIndex >= 0 ? item->FImageIndex : I_IMAGENONE;
            button.iString = reinterpret_cast<INT_PTR>(item->FCaption.c_str());
        }
        buttons.push_back(button);
    }
    if (!buttons.empty())
        SendMessageW(FHandle.Get(), TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
    SendMessageW(FHandle.Get(), TB_AUTOSIZE, 0, 0);
    LayoutChanged();
}

int TVxToolbar::IdealWidth()
{
    SIZE size{};
    SendMessageW(FHandle.Get(), TB_GETIDEALSIZE, FALSE, reinterpret_cast<LPARAM>(&size));
    return size.cx;
}

int TVxToolbar::HeightFor(int width)
{
    if (!FVisible)
        return 0;
    RECT bounds{};
    GetWindowRect(FHandle.Get(), &bounds);
    if (bounds.right - bounds.left != width)
        SetWindowPos(FHandle.Get(), nullptr, 0, 0, width, std::max<int>(bounds.bottom - bounds.top, 1), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (FWrapping) {
        // A wrapping toolbar recomputes its rows for the new width on TB_AUTOSIZE.
        SendMessageW(FHandle.Get(), TB_AUTOSIZE, 0, 0);
    }
    int bottom = 0;
    const int count = static_cast<int>(SendMessageW(FHandle.Get(), TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        RECT item{};
        if (SendMessageW(FHandle.Get(), TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&item)))
            bottom = std::max<int>(bottom, item.bottom);
    }
    if (bottom == 0) {
        const DWORD buttonSize = static_cast<DWORD>(SendMessageW(FHandle.Get(), TB_GETBUTTONSIZE, 0, 0));
        bottom = HIWORD(buttonSize);
    }
    return bottom + 2;
}

bool TVxToolbar::HandleCommand(UINT command)
{
    for (const auto& item : FItems) {
        if (item->FCommand == command && item->FKind != TVxToolbarItem::TKind::Separator) {
            if (item->FKind == TVxToolbarItem::TKind::Check)
                item->FChecked = SendMessageW(FHandle.Get(), TB_ISBUTTONCHECKED, command, 0) != 0;
            item->OnClick(item.get());
            return true;
        }
    }
    return false;
}

bool TVxToolbar::HandleNotify(NMHDR& header, LRESULT& result)
{
    if (header.code != TBN_GETINFOTIPW)
        return false;
    auto& tip = reinterpret_cast<NMTBGETINFOTIPW&>(header);
    for (const auto& item : FItems) {
        if (static_cast<int>(item->FCommand) == tip.iItem) {
            const std::wstring& text = item->FHint.empty() ? item->FCaption : item->FHint;
            lstrcpynW(tip.pszText, text.c_str(), tip.cchTextMax);
        }
    }
    result = 0;
    return true;
}

bool TVxToolbar::ForwardMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message == WM_COMMAND && lParam) {
        if (TVxToolbar* toolbar = TVxToolbar::FromHandle(reinterpret_cast<HWND>(lParam))) {
            toolbar->HandleCommand(LOWORD(wParam));
            result = 0;
            return true;
        }
    }
    if (message == WM_NOTIFY) {
        auto& header = *reinterpret_cast<NMHDR*>(lParam);
        // Tooltips of a toolbar notify through the toolbar's parent with the tooltip as sender.
        HWND sender = header.hwndFrom;
        TVxToolbar* toolbar = TVxToolbar::FromHandle(sender);
        if (!toolbar)
            toolbar = TVxToolbar::FromHandle(GetParent(sender));
        if (!toolbar && header.code == TBN_GETINFOTIPW)
            toolbar = TVxToolbar::FromHandle(sender);
        if (toolbar)
            return toolbar->HandleNotify(header, result);
    }
    return false;
}

bool TVxToolbarItem::ScreenRect(RECT& rect) const
{
    const HWND toolbar = FToolbar->Handle();
    if (!toolbar || !IsWindowVisible(toolbar) || !SendMessageW(toolbar, TB_GETRECT, FCommand, reinterpret_cast<LPARAM>(&rect)))
        return false;
    MapWindowPoints(toolbar, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return true;
}
