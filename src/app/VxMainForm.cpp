#include "app/VxMainForm.h"

#include <shellapi.h>
#include <windowsx.h>

#include <cstdlib>

#include "i18n/VxLocalizer.h"

TMainForm* MainForm = nullptr;
TCommonDataModule* CommonDataModule = nullptr;
TVxImageList* SharedImages = nullptr;
TProgressMeter* ProgressMeter = nullptr;

namespace {

constexpr int DefaultClientWidth = 534;
constexpr int DefaultClientHeight = 458;
constexpr int FontHeight = 14;  // Tahoma, in 96-DPI pixels
constexpr std::uint32_t elLanguage = 1;
constexpr std::uint32_t elPlacement = 2;
constexpr int ProgressPanelWidth = 200;

template <typename T>
std::unique_ptr<T> MakeItem(const std::wstring& caption)
{
    auto item = std::make_unique<T>();
    item->SetCaption(caption);
    return item;
}

// A placement from the state file is used only when its normal rectangle is sane and
// at least partly on a monitor; otherwise the form keeps its default position.
bool PlausiblePlacement(const WINDOWPLACEMENT& placement)
{
    const RECT& r = placement.rcNormalPosition;
    const LONG width = r.right - r.left;
    const LONG height = r.bottom - r.top;
    if (width < 100 || height < 80 || width > 32000 || height > 32000)
        return false;
    return MonitorFromRect(&r, MONITOR_DEFAULTTONULL) != nullptr;
}

// Nine tenths of the work area in each direction, centred.
RECT FirstRunBounds(const RECT& workArea)
{
    const LONG width = (workArea.right - workArea.left) * 9 / 10;
    const LONG height = (workArea.bottom - workArea.top) * 9 / 10;
    const LONG left = workArea.left + (workArea.right - workArea.left - width) / 2;
    const LONG top = workArea.top + (workArea.bottom - workArea.top - height) / 2;
    return RECT{left, top, left + width, top + height};
}

}  // namespace

void TMainForm::TClientArea::Create(HWND parent)
{
    RegisterWindowClass(L"TVxClientArea", CS_DBLCLKS, reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1));
    CreateHandle(WS_EX_CLIENTEDGE, L"TVxClientArea", L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 0, 0, parent);
}

LRESULT TMainForm::TClientArea::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SIZE) {
        RECT area{};
        GetClientRect(Handle(), &area);
        for (HWND child = GetWindow(Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            MoveWindow(child, 0, 0, area.right, area.bottom, TRUE);
    }
    return TVxWindow::WndProc(message, wParam, lParam);
}

TMainForm::TMainForm(TVxComponent* owner) : TVxForm(owner)
{
    CreateMenus();
    CreateFormWindow(L"TMainForm", Application->Title(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, ScaleForDpi(DefaultClientWidth),
                     ScaleForDpi(DefaultClientHeight));
    FFont.Reset(CreateFontW(-ScaleForDpi(FontHeight), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Tahoma"));
    SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(FFont.Get()), FALSE);
    CreateDocks();
    DragAcceptFiles(Handle(), TRUE);
    RebuildMenuBar();
    Relayout();
}

TMainForm::~TMainForm()
{
    if (ProgressMeter == FProgressMeter.get())
        ProgressMeter = nullptr;
    if (FAccelerators) {
        if (Application)
            Application->SetAccelerators(nullptr);
        DestroyAcceleratorTable(FAccelerators);
    }
    // The toolbars and panels live inside the window; let them go before it does.
    FToolbars.clear();
    FPanels.clear();
    if (HandleAllocated())
        SetMenu(Handle(), nullptr);
    if (MainForm == this)
        MainForm = nullptr;
}

void TMainForm::CreateMenus()
{
    Menu.SetCaption(L"Menu");
    FileMenuItem = &Menu.Insert(MakeItem<TVxMenuItem>(L"&File"));
    FileMenuItem->SetSubmenu(true);
    FileMenuSeparator = &FileMenuItem->Insert(std::make_unique<TVxMenuItem>(TVxMenuItem::TKind::Separator));
    ExitMenuItem = &FileMenuItem->Insert(MakeItem<TVxMenuItem>(L"E&xit"));
    ExitMenuItem->OnClick = TVxMenuItem::TClick::Bind<&TMainForm::ExitMenuItemClick>(this);
    ViewMenuItem = &Menu.Insert(MakeItem<TVxMenuItem>(L"&View"));
    ViewMenuItem->SetSubmenu(true);
    ToolbarsMenuItem = &ViewMenuItem->Insert(MakeItem<TVxMenuItem>(L"&Toolbars"));
    ToolbarsMenuItem->SetSubmenu(true);
    ViewMenuSeparator = &ViewMenuItem->Insert(std::make_unique<TVxMenuItem>(TVxMenuItem::TKind::Separator));
    LanguageMenuItem = &ViewMenuItem->Insert(MakeItem<TVxMenuItem>(L"&Language"));
    LanguageMenuItem->SetSubmenu(true);
    HelpMenuItem = &Menu.Insert(MakeItem<TVxMenuItem>(L"&Help"));
    HelpMenuItem->SetSubmenu(true);
}

void TMainForm::CreateDocks()
{
    TopDock = std::make_unique<TVxDock>(Handle(), TVxDock::TAlign::Top);
    TopMultiDock = std::make_unique<TVxDock>(Handle(), TVxDock::TAlign::Top);
    BottomDock = std::make_unique<TVxDock>(Handle(), TVxDock::TAlign::Bottom);
    BottomMultiDock = std::make_unique<TVxDock>(Handle(), TVxDock::TAlign::Bottom);
    LeftDock = std::make_unique<TVxDock>(Handle(), TVxDock::TAlign::Left);
    RightDock = std::make_unique<TVxDock>(Handle(), TVxDock::TAlign::Right);
    LeftMultiDock = std::make_unique<TVxMultiDock>(Handle(), TVxDockSide::Left);
    RightMultiDock = std::make_unique<TVxMultiDock>(Handle(), TVxDockSide::Right);
    LeftMultiDock->OnResized = TVxMethod<TVxMultiDock*>::Bind<&TMainForm::MultiDockResized>(this);
    RightMultiDock->OnResized = TVxMethod<TVxMultiDock*>::Bind<&TMainForm::MultiDockResized>(this);
    FClientArea.Create(Handle());
    StatusBar = std::make_unique<TVxStatusBar>(Handle());
    SendMessageW(StatusBar->Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(FFont.Get()), FALSE);
    StatusBar->AddPanel(0);
}

TVxMenuItem& TMainForm::AddMenuItem(const std::wstring& caption, const TVxShortCut& shortCut, const TVxMenuItem* before,
                                    TVxMenuItem* parent, int imageIndex, const TVxMenuItem::TClick& onClick)
{
    auto item = MakeItem<TVxMenuItem>(caption);
    item->SetShortCut(shortCut);
    item->SetImages(&Images());
    item->SetImageIndex(imageIndex);
    item->OnClick = onClick;
    return (parent ? parent : &Menu)->Insert(std::move(item), before);
}

TVxMenuItem& TMainForm::AddSubmenu(const std::wstring& caption, TVxMenuItem* parent, const TVxMenuItem* before)
{
    auto item = MakeItem<TVxMenuItem>(caption);
    item->SetSubmenu(true);
    return (parent ? parent : &Menu)->Insert(std::move(item), before);
}

TVxMenuItem& TMainForm::AddSeparator(TVxMenuItem* parent, const TVxMenuItem* before)
{
    return (parent ? parent : &Menu)->Insert(std::make_unique<TVxMenuItem>(TVxMenuItem::TKind::Separator), before);
}

TVxToolbar& TMainForm::AddToolbar(const std::wstring& caption)
{
    FToolbars.push_back(std::make_unique<TVxToolbar>(TopDock->Handle(), &Images()));
    TVxToolbar& toolbar = *FToolbars.back();
    toolbar.SetCaption(caption);
    toolbar.SetWrapping(false);
    toolbar.OnLayoutChanged = TVxMethod<TVxToolbar*>::Bind<&TMainForm::ToolbarLayoutChanged>(this);
    TopDock->AddToolbar(toolbar);
    TVxMenuItem& toggle = ToolbarsMenuItem->Insert(MakeItem<TVxMenuItem>(caption));
    toggle.Toggles = &toolbar;
    toggle.OnClick = TVxMenuItem::TClick::Bind<&TMainForm::ToggleItemClick>(this);
    Relayout();
    return toolbar;
}

TVxDockablePanel& TMainForm::CreateDockablePanel()
{
    FPanels.push_back(std::make_unique<TVxDockablePanel>(Handle()));
    TVxDockablePanel& panel = *FPanels.back();
    SendMessageW(panel.Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(FFont.Get()), FALSE);
    panel.OnLayoutChanged = TVxMethod<TVxDockablePanel*>::Bind<&TMainForm::PanelLayoutChanged>(this);
    DockPanel(panel, panel.Side());
    return panel;
}

// Floating panels are not offered yet; their state is kept and they dock on the right.
void TMainForm::DockPanel(TVxDockablePanel& panel, TVxDockSide side)
{
    LeftMultiDock->RemovePanel(panel);
    RightMultiDock->RemovePanel(panel);
    (side == TVxDockSide::Left ? LeftMultiDock : RightMultiDock)->AddPanel(panel);
    if (panel.Side() != side)
        panel.SetSide(side);
    Relayout();
}

int TMainForm::AddImage(const wchar_t* resourceName)
{
    return Images().AddImage(resourceName);
}

TVxImageList& TMainForm::Images() const
{
    return SharedImages ? *SharedImages : const_cast<TVxImageList&>(DefaultImages);
}

void TMainForm::Relayout()
{
    if (!HandleAllocated() || !StatusBar || FInLayout)
        return;
    FInLayout = true;
    RECT area = ClientRect();
    StatusBar->Arrange(area);
    area.bottom -= StatusBar->Height();
    const int width = area.right - area.left;
    auto placeTop = [&](TVxDock& dock) {
        const int height = dock.Thickness(width);
        dock.SetBounds(area.left, area.top, width, height);
        dock.Arrange();
        area.top += height;
    };
    auto placeBottom = [&](TVxDock& dock) {
        const int height = dock.Thickness(width);
        area.bottom -= height;
        dock.SetBounds(area.left, area.bottom, width, height);
        dock.Arrange();
    };
    placeTop(*TopDock);
    placeTop(*TopMultiDock);
    placeBottom(*BottomDock);
    placeBottom(*BottomMultiDock);
    const int height = std::max<int>(area.bottom - area.top, 0);
    auto placeSide = [&](TVxWindow& window, int thickness, bool left) {
        if (left) {
            window.SetBounds(area.left, area.top, thickness, height);
            area.left += thickness;
        } else {
            area.right -= thickness;
            window.SetBounds(area.right, area.top, thickness, height);
        }
    };
    placeSide(*LeftDock, LeftDock->Thickness(height), true);
    LeftDock->Arrange();
    placeSide(*RightDock, RightDock->Thickness(height), false);
    RightDock->Arrange();
    placeSide(*LeftMultiDock, LeftMultiDock->Thickness(), true);
    LeftMultiDock->Arrange();
    placeSide(*RightMultiDock, RightMultiDock->Thickness(), false);
    RightMultiDock->Arrange();
    FClientArea.SetBounds(area.left, area.top, std::max<int>(area.right - area.left, 0), height);
    FInLayout = false;
    if (FProgressBar) {
        // The progress bar sits in the last status panel, inside its frame.
        RECT panel = StatusBar->PanelRect(StatusBar->PanelCount() - 1);
        InflateRect(&panel, -1, -1);
        SetWindowPos(FProgressBar, nullptr, panel.left, panel.top, panel.right - panel.left, panel.bottom - panel.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

template <typename TVisit>
void TMainForm::ForEachItem(TVxMenuItem& item, TVisit visit)
{
    visit(item);
    for (int i = 0; i < item.Count(); ++i)
        ForEachItem(item.Item(i), visit);
}

void TMainForm::Initialize()
{
    for (const TVxLanguage& language : Localizer().Languages()) {
        TVxMenuItem& item = LanguageMenuItem->Insert(MakeItem<TVxMenuItem>(language.Name));
        item.Tag = language.LanguageId;
        item.SetChecked(language.LanguageId == Localizer().CurrentLanguageId());
        item.OnClick = TVxMenuItem::TClick::Bind<&TMainForm::LanguageItemClick>(this);
    }
    // The state file has been read by now; the command line's picture opens next and is
    // fitted to the window's final size.
    if (!FPlacementRestored)
        ApplyFirstRunBounds();
    TVxForm::Initialize();
}

void TMainForm::Localize()
{
    const TVxLocalizer& localizer = Localizer();
    Menu.SetCaption(localizer.GetString(161, L"Menu"));
    FileMenuItem->SetCaption(localizer.GetString(10, L"&File"));
    ExitMenuItem->SetCaption(localizer.GetString(23, L"E&xit"));
    ViewMenuItem->SetCaption(localizer.GetString(34, L"&View"));
    ToolbarsMenuItem->SetCaption(localizer.GetString(163, L"&Toolbars"));
    LanguageMenuItem->SetCaption(localizer.GetString(41, L"&Language"));
    HelpMenuItem->SetCaption(localizer.GetString(46, L"&Help"));
    for (int i = 0; i < LanguageMenuItem->Count(); ++i) {
        TVxMenuItem& item = LanguageMenuItem->Item(i);
        const auto id = static_cast<std::uint16_t>(item.Tag);
        item.SetChecked(id == localizer.CurrentLanguageId());
        item.SetCaption(localizer.LanguageName(id));
    }
    // Toolbar and panel captions change in other modules' Localize, later in this pass.
    Application->PostCall(TVxMethod<void*>::Bind<&TMainForm::RefreshToolbarItems>(this), nullptr);
}

void TMainForm::RefreshToolbarItems(void*)
{
    ForEachItem(*ViewMenuItem, [](TVxMenuItem& item) {
        if (item.Toggles)
            item.SetCaption(item.Toggles->Caption());
    });
}

void TMainForm::UpdateControls()
{
    ForEachItem(*ViewMenuItem, [](TVxMenuItem& item) {
        if (item.Toggles)
            item.SetChecked(item.Toggles->Visible());
    });
    // A menu that would drop down empty stays off the bar until a module fills it.
    HelpMenuItem->SetVisible(HelpMenuItem->Count() > 0);
}

void TMainForm::LanguageItemClick(TVxMenuItem* item)
{
    Localizer().SetLanguage(static_cast<std::uint16_t>(item->Tag));
}

TVxMenuItem* TMainForm::FindLanguageItem(std::uint16_t languageId) const
{
    for (int i = 0; i < LanguageMenuItem->Count(); ++i) {
        if (LanguageMenuItem->Item(i).Tag == languageId)
            return &LanguageMenuItem->Item(i);
    }
    return nullptr;
}

void TMainForm::ExitMenuItemClick(TVxMenuItem*)
{
    Close();
}

void TMainForm::ToggleItemClick(TVxMenuItem* item)
{
    if (item->Toggles)
        item->Toggles->SetVisible(!item->Toggles->Visible());
    Relayout();
}

void TMainForm::LoadState(TVxSDFReader& reader)
{
    if (!reader.EnterNode(1, StateIdentifier))
        return;
    WINDOWPLACEMENT placement{};
    static_assert(sizeof placement == 44, "the state file keeps the 44-byte record");
    if (reader.ReadBinary(elPlacement, &placement, sizeof placement))
        ApplyPlacement(placement);
    std::int32_t language = 0;
    if (reader.ReadInteger(elLanguage, language))
        Localizer().SetLanguage(static_cast<std::uint16_t>(language & 0xFFFF));
    reader.LeaveNode();
}

// The window stays hidden until the message loop starts; the show command is kept for then.
void TMainForm::ApplyPlacement(WINDOWPLACEMENT placement)
{
    if (!PlausiblePlacement(placement))
        return;
    FPlacementRestored = true;
    const UINT show = placement.showCmd;
    // Starting minimized would leave the user without a window; start restored instead.
    FShowCommand = (show == SW_SHOWMAXIMIZED) ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    placement.length = sizeof placement;
    placement.flags = 0;
    placement.showCmd = SW_HIDE;
    SetWindowPlacement(Handle(), &placement);
}

void TMainForm::SaveState(TVxSDFWriter& writer)
{
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(Handle(), &placement))
        return;
    writer.BeginNode(1, StateIdentifier);
    writer.WriteBinary(elPlacement, &placement, sizeof placement);
    writer.WriteInteger(elLanguage, Localizer().CurrentLanguageId());
    writer.EndNode();
}

// Without a saved placement (a first run) the window takes most of its monitor's work
// area, centred: a photo needs the room more than the design size offers.
void TMainForm::ApplyFirstRunBounds()
{
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromWindow(Handle(), MONITOR_DEFAULTTOPRIMARY), &monitor))
        return;
    const RECT bounds = FirstRunBounds(monitor.rcWork);
    SetWindowPos(Handle(), nullptr, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void TMainForm::ShowMainWindow()
{
    ShowWindow(Handle(), FShowCommand);
    UpdateWindow(Handle());
}

void TMainForm::IdleFinished()
{
    if (FMenuGeneration != TVxMenuItem::Generation())
        RebuildMenuBar();
}

void TMainForm::RebuildMenuBar()
{
    FMenuGeneration = TVxMenuItem::Generation();
    TVxMenuHandle old = std::move(FMenuBar);
    FMenuBar.Reset(BuildMenuBar(Menu));
    SetMenu(Handle(), FMenuBar.Get());
    DrawMenuBar(Handle());
    HACCEL accelerators = BuildAccelerators(Menu);
    Application->SetAccelerators(accelerators);
    if (FAccelerators)
        DestroyAcceleratorTable(FAccelerators);
    FAccelerators = accelerators;
    // Menu height may have changed (a wrapped menu bar): lay out again.
    Relayout();
}

void TMainForm::MenuCommand(UINT command)
{
    if (TVxMenuItem* item = Menu.FindCommand(command))
        item->OnClick(item);
}

// Only the first file is taken; the drop is always finished.
void TMainForm::DroppedFiles(HDROP drop)
{
    const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
    std::wstring name;
    if (length > 0 && length < 32768) {
        name.resize(length + 1);
        DragQueryFileW(drop, 0, name.data(), length + 1);
        name.resize(length);
    }
    DragFinish(drop);
    if (name.empty() || !OnDropFile)
        return;
    std::error_code error;
    if (std::filesystem::is_regular_file(std::filesystem::path(name), error))
        OnDropFile(this, name);
}

// The wheel reaches the window with the focus and climbs to here through the children
// that do not use it.
bool TMainForm::MouseWheel(WPARAM wParam, LPARAM lParam, bool horizontal)
{
    if (!OnMouseWheel)
        return false;
    bool handled = false;
    OnMouseWheel(GET_KEYSTATE_WPARAM(wParam), GET_WHEEL_DELTA_WPARAM(wParam), POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)},
                 horizontal, handled);
    return handled;
}

// Hover highlighting of toolbar buttons would stay on while the keyboard menu runs.
void TMainForm::KeyboardMenu()
{
    POINT cursor{};
    GetCursorPos(&cursor);
    HWND under = WindowFromPoint(cursor);
    if (under && TVxToolbar::FromHandle(under))
        SendMessageW(under, WM_MOUSELEAVE, 0, 0);
}

LRESULT TMainForm::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE: Relayout(); return 0;
    case WM_CLOSE:
        if (OnCloseQuery) {
            bool canClose = true;
            OnCloseQuery(canClose);
            if (!canClose)
                return 0;
        }
        break;
    case WM_DROPFILES: DroppedFiles(reinterpret_cast<HDROP>(wParam)); return 0;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
        if (MouseWheel(wParam, lParam, message == WM_MOUSEHWHEEL))
            return message == WM_MOUSEHWHEEL;  // a handled tilt answers TRUE
        break;
    case WM_MEASUREITEM:
        if (MeasureMenuImage(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)))
            return TRUE;
        break;
    case WM_DRAWITEM:
        if (DrawMenuImage(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)))
            return TRUE;
        break;
    case WM_COMMAND:
        if (lParam == 0) {
            MenuCommand(LOWORD(wParam));
            return 0;
        }
        break;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_KEYMENU)
            KeyboardMenu();
        break;
    case WM_COPYDATA:
        if (OnCopyData) {
            OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
            return TRUE;
        }
        return FALSE;
    }
    return TVxForm::WndProc(message, wParam, lParam);
}

TProgressMeter& TMainForm::CreateProgressMeter()
{
    FProgressBar = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, StatusBar->Handle(), nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    SendMessageW(FProgressBar, PBM_SETSTEP, 1, 0);
    StatusBar->AddPanel(ScaleForDpi(ProgressPanelWidth));
    FProgressMeter = std::make_unique<TProgressMeter>(FProgressBar);
    ProgressMeter = FProgressMeter.get();
    ProgressMeter->Reset(0);
    Relayout();
    return *FProgressMeter;
}

// The shared image list.

TCommonDataModule::TCommonDataModule(TVxComponent* owner) : TVxComponent(owner)
{
    New24TBXImageList.AddStrip(L"TOOLBARIMAGES");
}

TCommonDataModule::~TCommonDataModule()
{
    if (SharedImages == &New24TBXImageList)
        SharedImages = nullptr;
    if (CommonDataModule == this)
        CommonDataModule = nullptr;
}

void TProgressMeter::Reset(int maximum)
{
    if (maximum == 0)
        maximum = DefaultMaximum;
    SendMessageW(FProgressBar, PBM_SETRANGE32, 0, maximum);
    SendMessageW(FProgressBar, PBM_SETPOS, 0, 0);
}

void TProgressMeter::SetRemaining(int remaining)
{
    SendMessageW(FProgressBar, PBM_SETPOS, static_cast<WPARAM>(Maximum() - remaining), 0);
}

void TProgressMeter::Step()
{
    SendMessageW(FProgressBar, PBM_STEPIT, 0, 0);
}

int TProgressMeter::Position() const
{
    return static_cast<int>(SendMessageW(FProgressBar, PBM_GETPOS, 0, 0));
}

int TProgressMeter::Maximum() const
{
    return static_cast<int>(SendMessageW(FProgressBar, PBM_GETRANGE, FALSE, 0));
}
