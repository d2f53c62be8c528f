#include "app/VxControls.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdint>

namespace {

// Command identifiers of menu items and toolbar buttons share one range so that a
// WM_COMMAND names exactly one of them.
UINT NextCommand()
{
    static UINT next = 1000;
    return next++;
}

template <typename T>
int IndexIn(const std::vector<std::unique_ptr<T>>& items, const T* item)
{
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].get() == item)
            return static_cast<int>(i);
    }
    return -1;
}

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

TVxMenuItem::TVxMenuItem(TKind kind) : FKind(kind), FCommand(kind == TKind::Item ? NextCommand() : 0) {}

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
    return IndexIn(FItems, item);
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

// Image lists.

namespace {

// A grey, lighter copy of a 32-bit image with alpha, for disabled buttons.
void MakeDisabled(std::uint8_t* pixels, int count)
{
    for (int i = 0; i < count; ++i, pixels += 4) {
        const int grey = (pixels[0] * 29 + pixels[1] * 150 + pixels[2] * 77) >> 8;
        const int light = 128 + grey / 2;
        // Image lists take straight (not premultiplied) alpha; half of it fades the picture.
        pixels[0] = pixels[1] = pixels[2] = static_cast<std::uint8_t>(light);
        pixels[3] = static_cast<std::uint8_t>(pixels[3] / 2);
    }
}

TVxBitmapHandle LoadDib(const wchar_t* resourceName)
{
    return TVxBitmapHandle(static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), resourceName, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

}  // namespace

TVxImageList::TVxImageList(int size)
    : FSize(size),
      FImages(ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 0, 16)),
      FDisabled(ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 0, 16))
{
}

bool TVxImageList::AddStrip(const wchar_t* resourceName)
{
    TVxBitmapHandle strip = LoadDib(resourceName);
    if (!strip)
        return false;
    DIBSECTION section{};
    if (GetObjectW(strip.Get(), sizeof section, &section) != sizeof section || section.dsBm.bmBitsPixel != 32)
        return false;
    ImageList_Add(FImages.Get(), strip.Get(), nullptr);
    const int pixelCount = section.dsBm.bmWidth * std::abs(section.dsBm.bmHeight);
    MakeDisabled(static_cast<std::uint8_t*>(section.dsBm.bmBits), pixelCount);
    ImageList_Add(FDisabled.Get(), strip.Get(), nullptr);
    return true;
}

int TVxImageList::AddImage(const wchar_t* resourceName)
{
    TVxBitmapHandle bitmap(static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), resourceName, IMAGE_BITMAP, 0, 0, 0)));
    if (!bitmap)
        return -1;
    auto addMasked = [](HIMAGELIST list, HBITMAP image) {
        HDC dc = CreateCompatibleDC(nullptr);
        COLORREF key;
        {
            TVxSelectObject select(dc, image);
            key = GetPixel(dc, 0, 0);
        }
        DeleteDC(dc);
        return ImageList_AddMasked(list, image, key);
    };
    const int index = addMasked(FImages.Get(), bitmap.Get());
    if (index < 0)
        return -1;
    TVxBitmapHandle disabled(static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), (std::wstring(resourceName) + L"Disabled").c_str(), IMAGE_BITMAP, 0, 0, 0)));
    // Keep both lists the same length so an index means the same picture in each.
    addMasked(FDisabled.Get(), disabled ? disabled.Get() : bitmap.Get());
    return index;
}

// Toolbars.

TVxToolbarItem::TVxToolbarItem(TVxToolbar* toolbar, TKind kind) : FToolbar(toolbar), FKind(kind), FCommand(NextCommand()) {}

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
    FHandle = CreateWindowExW(0, TOOLBARCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | TBSTYLE_WRAPABLE | CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER,
                              0, 0, 0, 0, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetPropW(FHandle, ToolbarProperty, this);
    SendMessageW(FHandle, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(FHandle, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_MIXEDBUTTONS | TBSTYLE_EX_HIDECLIPPEDBUTTONS);
    SendMessageW(FHandle, TB_SETMAXTEXTROWS, 1, 0);
    SetImages(images);
}

TVxToolbar::~TVxToolbar()
{
    if (IsWindow(FHandle)) {
        RemovePropW(FHandle, ToolbarProperty);
        DestroyWindow(FHandle);
    }
}

TVxToolbar* TVxToolbar::FromHandle(HWND handle)
{
    return static_cast<TVxToolbar*>(GetPropW(handle, ToolbarProperty));
}

void TVxToolbar::SetImages(TVxImageList* images)
{
    FImages = images;
    SendMessageW(FHandle, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images ? images->Handle() : nullptr));
    SendMessageW(FHandle, TB_SETDISABLEDIMAGELIST, 0, reinterpret_cast<LPARAM>(images ? images->DisabledHandle() : nullptr));
    Rebuild();
}

void TVxToolbar::SetParent(HWND parent)
{
    ::SetParent(FHandle, parent);
}

void TVxToolbar::SetVisible(bool visible)
{
    if (visible == FVisible)
        return;
    FVisible = visible;
    ShowWindow(FHandle, visible ? SW_SHOWNA : SW_HIDE);
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
    return IndexIn(FItems, item);
}

// The native buttons are recreated from the items: simpler than keeping two lists in
// step, and toolbars hold a handful of buttons.
void TVxToolbar::Rebuild()
{
    if (!FHandle)
        return;
    while (SendMessageW(FHandle, TB_BUTTONCOUNT, 0, 0) > 0)
        SendMessageW(FHandle, TB_DELETEBUTTON, 0, 0);
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
        SendMessageW(FHandle, TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
    SendMessageW(FHandle, TB_AUTOSIZE, 0, 0);
    LayoutChanged();
}

int TVxToolbar::IdealWidth()
{
    SIZE size{};
    SendMessageW(FHandle, TB_GETIDEALSIZE, FALSE, reinterpret_cast<LPARAM>(&size));
    return size.cx;
}

int TVxToolbar::HeightFor(int width)
{
    if (!FVisible)
        return 0;
    RECT bounds{};
    GetWindowRect(FHandle, &bounds);
    if (bounds.right - bounds.left != width)
        SetWindowPos(FHandle, nullptr, 0, 0, width, std::max<int>(bounds.bottom - bounds.top, 1), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (FWrapping) {
        // A wrapping toolbar recomputes its rows for the new width on TB_AUTOSIZE.
        SendMessageW(FHandle, TB_AUTOSIZE, 0, 0);
    }
    int bottom = 0;
    const int count = static_cast<int>(SendMessageW(FHandle, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        RECT item{};
        if (SendMessageW(FHandle, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&item)))
            bottom = std::max<int>(bottom, item.bottom);
    }
    if (bottom == 0) {
        const DWORD buttonSize = static_cast<DWORD>(SendMessageW(FHandle, TB_GETBUTTONSIZE, 0, 0));
        bottom = HIWORD(buttonSize);
    }
    return bottom + 2;
}

bool TVxToolbar::HandleCommand(UINT command)
{
    for (const auto& item : FItems) {
        if (item->FCommand == command && item->FKind != TVxToolbarItem::TKind::Separator) {
            if (item->FKind == TVxToolbarItem::TKind::Check)
                item->FChecked = SendMessageW(FHandle, TB_ISBUTTONCHECKED, command, 0) != 0;
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

// Docks.

namespace {

// The parent of toolbars routes their commands and notifications back to them.
bool ForwardToToolbar(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
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

}  // namespace

TVxDock::TVxDock(HWND parent, TAlign align) : FAlign(align)
{
    RegisterWindowClass(L"TVxDock", CS_DBLCLKS, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    CreateHandle(0, L"TVxDock", L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 0, 0, parent);
}

void TVxDock::AddToolbar(TVxToolbar& toolbar)
{
    toolbar.SetParent(Handle());
    FToolbars.push_back(&toolbar);
}

int TVxDock::Thickness(int length)
{
    int thickness = 0;
    const bool horizontal = FAlign == TAlign::Top || FAlign == TAlign::Bottom;
    for (TVxToolbar* toolbar : FToolbars) {
        if (!toolbar->Visible())
            continue;
        if (horizontal)
            thickness += toolbar->HeightFor(length);
        else
            thickness += toolbar->HeightFor(ScaleForDpi(36)) > 0 ? ScaleForDpi(36) : 0;
    }
    return thickness;
}

void TVxDock::Arrange()
{
    const RECT client = ClientRect();
    const bool horizontal = FAlign == TAlign::Top || FAlign == TAlign::Bottom;
    int offset = 0;
    for (TVxToolbar* toolbar : FToolbars) {
        if (!toolbar->Visible())
            continue;
        if (horizontal) {
            const int height = toolbar->HeightFor(client.right);
            SetWindowPos(toolbar->Handle(), nullptr, 0, offset, client.right, height, SWP_NOZORDER | SWP_NOACTIVATE);
            offset += height;
        } else {
            const int width = ScaleForDpi(36);
            SetWindowPos(toolbar->Handle(), nullptr, offset, 0, width, client.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
            offset += width;
        }
    }
}

LRESULT TVxDock::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (ForwardToToolbar(message, wParam, lParam, result))
        return result;
    return TVxWindow::WndProc(message, wParam, lParam);
}

// Dockable panels.

TVxDockablePanel::TVxDockablePanel(HWND parent)
{
    RegisterWindowClass(L"TVxDockablePanel", CS_DBLCLKS, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    CreateHandle(WS_EX_CONTROLPARENT, L"TVxDockablePanel", L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 0, 0, parent);
}

void TVxDockablePanel::SetCaption(const std::wstring& caption)
{
    FCaption = caption;
    SetWindowTextW(Handle(), caption.c_str());
    InvalidateRect(Handle(), nullptr, TRUE);
}

void TVxDockablePanel::SetVisible(bool visible)
{
    if (visible == FState.Visible)
        return;
    FState.Visible = visible;
    TVxWindow::SetVisible(visible);
    OnLayoutChanged(this);
}

void TVxDockablePanel::SetPanelWidth(int width)
{
    width = std::clamp(width, ScaleForDpi(60), ScaleForDpi(1200));
    if (width == FState.Width)
        return;
    FState.Width = width;
    OnLayoutChanged(this);
}

void TVxDockablePanel::SetSide(TVxDockSide side)
{
    FState.Side = side;
    OnLayoutChanged(this);
}

void TVxDockablePanel::SetState(const TVxDockPanelState& state)
{
    FState = state;
    TVxWindow::SetVisible(state.Visible);
    OnLayoutChanged(this);
}

int TVxDockablePanel::CaptionHeight() const
{
    return ScaleForDpi(22);
}

RECT TVxDockablePanel::ContentRect() const
{
    RECT rect = ClientRect();
    rect.top += CaptionHeight();
    InflateRect(&rect, -FBorderSize, -FBorderSize);
    rect.top = std::min(rect.top, rect.bottom);
    return rect;
}

void TVxDockablePanel::Paint(HDC dc)
{
    RECT strip = ClientRect();
    strip.bottom = strip.top + CaptionHeight();
    FillRect(dc, &strip, GetSysColorBrush(COLOR_BTNSHADOW));
    const HFONT font = reinterpret_cast<HFONT>(SendMessageW(GetAncestor(Handle(), GA_ROOT), WM_GETFONT, 0, 0));
    TVxSelectObject selectFont(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    RECT text = strip;
    text.left += ScaleForDpi(6);
    DrawTextW(dc, FCaption.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
}

LRESULT TVxDockablePanel::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: { TVxPaintDC paint(Handle()); Paint(paint.DC()); return 0; }
    case WM_SIZE: InvalidateRect(Handle(), nullptr, TRUE); break;
    }
    LRESULT result = 0;
    if (ForwardToToolbar(message, wParam, lParam, result))
        return result;
    return TVxWindow::WndProc(message, wParam, lParam);
}

// Multi-docks.

TVxMultiDock::TVxMultiDock(HWND parent, TVxDockSide side) : FSide(side)
{
    RegisterWindowClass(L"TVxMultiDock", CS_DBLCLKS, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), LoadCursorW(nullptr, IDC_SIZEWE));
    CreateHandle(WS_EX_CONTROLPARENT, L"TVxMultiDock", L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 0, 0, parent);
}

void TVxMultiDock::AddPanel(TVxDockablePanel& panel)
{
    ::SetParent(panel.Handle(), Handle());
    FPanels.push_back(&panel);
}

void TVxMultiDock::RemovePanel(TVxDockablePanel& panel)
{
    FPanels.erase(std::remove(FPanels.begin(), FPanels.end(), &panel), FPanels.end());
}

int TVxMultiDock::Thickness() const
{
    int width = 0;
    for (const TVxDockablePanel* panel : FPanels) {
        if (panel->Visible())
            width = std::max(width, panel->PanelWidth());
    }
    return width > 0 ? width + ScaleForDpi(SplitterWidth) : 0;
}

RECT TVxMultiDock::SplitterRect() const
{
    RECT rect = ClientRect();
    const int splitter = ScaleForDpi(SplitterWidth);
    if (FSide == TVxDockSide::Left)
        rect.left = rect.right - splitter;
    else
        rect.right = rect.left + splitter;
    return rect;
}

void TVxMultiDock::Arrange()
{
    RECT area = ClientRect();
    const int splitter = ScaleForDpi(SplitterWidth);
    if (FSide == TVxDockSide::Left)
        area.right -= splitter;
    else
        area.left += splitter;
    int visibleCount = 0;
    for (const TVxDockablePanel* panel : FPanels)
        visibleCount += panel->Visible() ? 1 : 0;
    if (visibleCount == 0)
        return;
    const int height = (area.bottom - area.top) / visibleCount;
    int top = area.top;
    for (TVxDockablePanel* panel : FPanels) {
        if (!panel->Visible())
            continue;
        panel->SetBounds(area.left, top, area.right - area.left, height);
        top += height;
    }
}

void TVxMultiDock::BeginDrag(int x)
{
    FDragging = true;
    FDragStartX = x;
    FDragStartWidth = Thickness() - ScaleForDpi(SplitterWidth);
    SetCapture(Handle());
}

void TVxMultiDock::Drag(int x)
{
    // x is in client coordinates of a window that itself moves while dragging: use the screen.
    const int delta = (FSide == TVxDockSide::Left) ? x - FDragStartX : FDragStartX - x;
    for (TVxDockablePanel* panel : FPanels)
        panel->SetPanelWidth(FDragStartWidth + delta);
    OnResized(this);
}

LRESULT TVxMultiDock::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_LBUTTONDOWN: {
        POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        const RECT splitter = SplitterRect();
        if (PtInRect(&splitter, point)) {
            ClientToScreen(Handle(), &point);
            BeginDrag(point.x);
        }
        return 0;
    }
    case WM_MOUSEMOVE:
        if (FDragging) {
            POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            ClientToScreen(Handle(), &point);
            Drag(point.x);
        }
        return 0;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
        if (FDragging) {
            FDragging = false;
            if (message == WM_LBUTTONUP)
                ReleaseCapture();
        }
        return 0;
    case WM_SIZE: Arrange(); return 0;
    }
    return TVxWindow::WndProc(message, wParam, lParam);
}

// Status bar.

TVxStatusBar::TVxStatusBar(HWND parent)
{
    FHandle = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SBARS_SIZEGRIP | CCS_NOPARENTALIGN | CCS_NORESIZE,
                              0, 0, 0, 0, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
}

TVxStatusBar::~TVxStatusBar()
{
    if (IsWindow(FHandle))
        DestroyWindow(FHandle);
}

int TVxStatusBar::AddPanel(int width)
{
    FWidths.push_back(width);
    return static_cast<int>(FWidths.size()) - 1;
}

void TVxStatusBar::SetPanelWidth(int index, int width)
{
    if (index >= 0 && index < PanelCount())
        FWidths[static_cast<std::size_t>(index)] = width;
}

void TVxStatusBar::SetPanelText(int index, const std::wstring& text)
{
    if (index < 0)
        return;
    if (FTexts.size() <= static_cast<std::size_t>(index))
        FTexts.resize(static_cast<std::size_t>(index) + 1);
    FTexts[static_cast<std::size_t>(index)] = text;
    SendMessageW(FHandle, SB_SETTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.c_str()));
}

RECT TVxStatusBar::PanelRect(int index) const
{
    RECT rect{};
    SendMessageW(FHandle, SB_GETRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
    return rect;
}

int TVxStatusBar::Height() const
{
    RECT rect{};
    // The status bar's natural height follows its font.
    const HFONT font = reinterpret_cast<HFONT>(SendMessageW(FHandle, WM_GETFONT, 0, 0));
    HDC dc = GetDC(FHandle);
    TEXTMETRICW metrics{};
    {
        TVxSelectObject select(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
        GetTextMetricsW(dc, &metrics);
    }
    ReleaseDC(FHandle, dc);
    (void)rect;
    return metrics.tmHeight + ScaleForDpi(8);
}

// The first panel stretches; the others keep their widths from the right edge.
void TVxStatusBar::Arrange(const RECT& parentClient)
{
    const int height = Height();
    SetWindowPos(FHandle, nullptr, 0, parentClient.bottom - height, parentClient.right, height, SWP_NOZORDER | SWP_NOACTIVATE);
    if (FWidths.empty())
        return;
    std::vector<int> edges(FWidths.size());
    int right = parentClient.right - GetSystemMetrics(SM_CXVSCROLL);
    for (std::size_t i = FWidths.size(); i-- > 1;) {
        edges[i] = right;
        right -= FWidths[i];
    }
    edges[0] = right;
    // Too narrow for the fixed panels: they keep their widths from the left edge and
    // the last ones are cut off, rather than collapsing onto each other.
    if (right < 0) {
        edges[0] = 0;
        for (std::size_t i = 1; i < FWidths.size(); ++i)
            edges[i] = edges[i - 1] + FWidths[i];
    }
    edges.back() = -1;
    SendMessageW(FHandle, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
    // Texts set before the parts existed are given again.
    for (std::size_t i = 0; i < FTexts.size() && i < FWidths.size(); ++i)
        SendMessageW(FHandle, SB_SETTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(FTexts[i].c_str()));
}
