#include "app/VxMenuItem.h"

#include <algorithm>

#include "app/VxCommandId.h"
#include "app/VxImageList.h"

namespace {

std::wstring KeyName(WORD key)
{
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))
        return std::wstring(1, static_cast<wchar_t>(key));
    if (key >= VK_F1 && key <= VK_F24)
        return L"F" + std::to_wstring(key - VK_F1 + 1);
    switch (key) {
    case VK_ADD: return L"Num +";
    case VK_SUBTRACT: return L"Num -";
    case VK_DELETE: return L"Del";
    case VK_INSERT: return L"Ins";
    case VK_ESCAPE: return L"Esc";
    case VK_RETURN: return L"Enter";
    case VK_LEFT: return L"Left";
    case VK_RIGHT: return L"Right";
    }
    return L"";
}

}  // namespace

std::wstring TVxShortCut::Text() const
{
    if (!Key)
        return L"";
    std::wstring text;
    if (Modifiers & FCONTROL)
        text += L"Ctrl+";
    if (Modifiers & FALT)
        text += L"Alt+";
    if (Modifiers & FSHIFT)
        text += L"Shift+";
    return text + KeyName(Key);
}

TVxMenuItem::TVxMenuItem(TKind kind) : FKind(kind), FCommand(kind == TKind::Item ? NextCommandId() : 0) {}

TVxMenuItem& TVxMenuItem::Insert(std::unique_ptr<TVxMenuItem> item, const TVxMenuItem* before)
{
    TVxMenuItem& result = *item;
    item->FParent = this;
    const int index = before ? IndexOf(before) : -1;
    if (index < 0)
        FItems.push_back(std::move(item));
    else
        FItems.insert(FItems.begin() + index, std::move(item));
    Changed();
    return result;
}

std::unique_ptr<TVxMenuItem> TVxMenuItem::Remove(TVxMenuItem& item)
{
    const int index = IndexOf(&item);
    if (index < 0)
        return nullptr;
    std::unique_ptr<TVxMenuItem> removed = std::move(FItems[static_cast<std::size_t>(index)]);
    FItems.erase(FItems.begin() + index);
    removed->FParent = nullptr;
    Changed();
    return removed;
}

int TVxMenuItem::IndexOf(const TVxMenuItem* item) const
{
    const auto found = std::find_if(FItems.begin(), FItems.end(), [item](const auto& each) { return each.get() == item; });
    return found == FItems.end() ? -1 : static_cast<int>(found - FItems.begin());
}

TVxMenuItem* TVxMenuItem::FindCommand(UINT command)
{
    if (FCommand == command && FKind == TKind::Item)
        return this;
    for (auto& item : FItems) {
        if (TVxMenuItem* found = item->FindCommand(command))
            return found;
    }
    return nullptr;
}

void TVxMenuItem::SetCaption(const std::wstring& caption)
{
    if (caption != FCaption) {
        FCaption = caption;
        Changed();
    }
}

void TVxMenuItem::SetEnabled(bool enabled)
{
    if (enabled != FEnabled) {
        FEnabled = enabled;
        Changed();
    }
}

void TVxMenuItem::SetChecked(bool checked)
{
    if (checked != FChecked) {
        FChecked = checked;
        Changed();
    }
}

void TVxMenuItem::SetVisible(bool visible)
{
    if (visible != FVisible) {
        FVisible = visible;
        Changed();
    }
}

void TVxMenuItem::SetSubmenu(bool submenu)
{
    if (submenu != FSubmenu) {
        FSubmenu = submenu;
        Changed();
    }
}

void TVxMenuItem::SetShortCut(const TVxShortCut& shortCut)
{
    FShortCut = shortCut;
    Changed();
}

void TVxMenuItem::SetImageIndex(int index)
{
    if (index != FImageIndex) {
        FImageIndex = index;
        Changed();
    }
}

namespace {

void AppendItems(HMENU menu, const TVxMenuItem& parent);

void AppendItem(HMENU menu, const TVxMenuItem& item)
{
    if (!item.Visible())
        return;
    if (item.Kind() == TVxMenuItem::TKind::Separator) {
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        return;
    }
    std::wstring text = item.Caption();
    if (item.ShortCut())
        text += L"\t" + item.ShortCut().Text();
    UINT flags = MF_STRING | (item.Enabled() ? MF_ENABLED : MF_GRAYED) | (item.Checked() ? MF_CHECKED : MF_UNCHECKED);
    if (item.IsSubmenu()) {
        HMENU popup = CreatePopupMenu();
        AppendItems(popup, item);
        AppendMenuW(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(popup), text.c_str());
        return;
    }
    AppendMenuW(menu, flags, item.Command(), text.c_str());
    if (item.Images() && item.ImageIndex() >= 0) {
        // The picture is drawn by the main window from the item (WM_MEASUREITEM, WM_DRAWITEM).
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_BITMAP | MIIM_DATA;
        info.hbmpItem = HBMMENU_CALLBACK;
        info.dwItemData = reinterpret_cast<ULONG_PTR>(&item);
        SetMenuItemInfoW(menu, item.Command(), FALSE, &info);
    }
}

void AppendItems(HMENU menu, const TVxMenuItem& parent)
{
    for (int i = 0; i < parent.Count(); ++i)
        AppendItem(menu, parent.Item(i));
}

void CollectAccelerators(const TVxMenuItem& item, std::vector<ACCEL>& table)
{
    if (item.Kind() == TVxMenuItem::TKind::Item && item.ShortCut() && !item.IsSubmenu())
        table.push_back({static_cast<BYTE>(FVIRTKEY | item.ShortCut().Modifiers), item.ShortCut().Key, static_cast<WORD>(item.Command())});
    for (int i = 0; i < item.Count(); ++i)
        CollectAccelerators(item.Item(i), table);
}

}  // namespace

bool MeasureMenuImage(MEASUREITEMSTRUCT& measure)
{
    const auto* item = reinterpret_cast<const TVxMenuItem*>(measure.itemData);
    if (measure.CtlType != ODT_MENU || !item || !item->Images())
        return false;
    int width = 0, height = 0;
    ImageList_GetIconSize(item->Images()->Handle(), &width, &height);
    measure.itemWidth = static_cast<UINT>(width);
    measure.itemHeight = static_cast<UINT>(height);
    return true;
}

bool DrawMenuImage(const DRAWITEMSTRUCT& draw)
{
    const auto* item = reinterpret_cast<const TVxMenuItem*>(draw.itemData);
    if (draw.CtlType != ODT_MENU || !item || !item->Images())
        return false;
    const bool disabled = (draw.itemState & ODS_GRAYED) != 0;
    const HIMAGELIST list = disabled ? item->Images()->DisabledHandle() : item->Images()->Handle();
    int width = 0, height = 0;
    ImageList_GetIconSize(list, &width, &height);
    const int y = draw.rcItem.top + (draw.rcItem.bottom - draw.rcItem.top - height) / 2;
    ImageList_Draw(list, item->ImageIndex(), draw.hDC, draw.rcItem.left, y, ILD_TRANSPARENT);
    return true;
}

HMENU BuildMenuBar(const TVxMenuItem& root)
{
    HMENU bar = CreateMenu();
    AppendItems(bar, root);
    return bar;
}

HACCEL BuildAccelerators(const TVxMenuItem& root)
{
    std::vector<ACCEL> table;
    CollectAccelerators(root, table);
    return table.empty() ? nullptr : CreateAcceleratorTableW(table.data(), static_cast<int>(table.size()));
}
