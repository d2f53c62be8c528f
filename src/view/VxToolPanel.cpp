#include "view/VxToolPanel.h"

#include "i18n/VxLocalizer.h"

TVxToolPanelModule* ToolPanel = nullptr;

namespace {

constexpr int PanelWidth = 200;
constexpr int PanelBorder = 8;
constexpr int FrameMargin = 6;

}  // namespace

TVxToolFrame::TVxToolFrame(TVxComponent* owner, HWND parent, TVxImageList& images) : TVxFrame(owner, parent)
{
    FToolbar = std::make_unique<TVxToolbar>(Handle(), &images);
    FToolbar->SetCaption(L"Toolbar");
    FToolbar->SetWrapping(true);
}

TVxToolFrame::~TVxToolFrame() = default;

void TVxToolFrame::ToolbarResize(int width)
{
    // Laying the toolbar out (TB_AUTOSIZE, a move onto its own place) repaints it; done on
    // every idle pass, each repaint would bring on the next idle pass and the buttons
    // would flicker for ever. Only a new width or another set of buttons needs it.
    const int count = static_cast<int>(SendMessageW(FToolbar->Handle(), TB_BUTTONCOUNT, 0, 0));
    if (width == FLaidOutWidth && count == FLaidOutCount)
        return;
    FLaidOutWidth = width;
    FLaidOutCount = count;
    const int height = FToolbar->HeightFor(width);
    SetWindowPos(FToolbar->Handle(), nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT frame{};
    GetWindowRect(Handle(), &frame);
    if (frame.right - frame.left != width || frame.bottom - frame.top != height + FrameMargin)
        SetWindowPos(Handle(), nullptr, 0, 0, width, height + FrameMargin, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

TVxToolPanelModule::TVxToolPanelModule(TVxComponent* owner, TMainForm& form) : TVxModuleWithControls(owner)
{
    Panel = &form.CreateDockablePanel();
    Panel->SetCaption(L"Tools");
    Panel->SetBorderSize(ScaleForDpi(PanelBorder));
    Panel->SetPanelWidth(ScaleForDpi(PanelWidth));
    ToolFrame = &CreateOwned<TVxToolFrame>(*this, Panel->Handle(), form.Images());
    Toolbar = &ToolFrame->Toolbar();
    VisibleMenuItem = &form.AddMenuItem(L"Tools", {}, form.ToolbarsMenuItem, form.ViewMenuItem, -1,
                                        TVxMenuItem::TClick::Bind<&TVxToolPanelModule::ToggleVisible>(this));
    form.DockPanel(*Panel, TVxDockSide::Right);
    ShowWhenFilled();
}

TVxToolPanelModule::~TVxToolPanelModule()
{
    if (ToolPanel == this)
        ToolPanel = nullptr;
}

void TVxToolPanelModule::Localize()
{
    const std::wstring caption = Localizer().GetString(176, L"Tools");
    Panel->SetCaption(caption);
    VisibleMenuItem->SetCaption(caption);
}

void TVxToolPanelModule::UpdateControls()
{
    VisibleMenuItem->SetChecked(IsVisible());
    VisibleMenuItem->SetVisible(HasContent());
    ShowWhenFilled();
    Arrange();
}

void TVxToolPanelModule::Initialize()
{
    TVxModuleWithControls::Initialize();
    ShowWhenFilled();
    Arrange();
}

bool TVxToolPanelModule::HasContent() const { return Toolbar->Count() > 0 || !FPages.empty(); }

// An empty panel would only take room from the picture.
void TVxToolPanelModule::ShowWhenFilled()
{
    const bool shown = FWanted && HasContent();
    if (Panel->Visible() == shown)
        return;
    Panel->SetVisible(shown);
    MainForm->Relayout();
}

// The buttons across the panel's width, the pages below them.
void TVxToolPanelModule::Arrange()
{
    const RECT content = Panel->ContentRect();
    const int width = content.right - content.left;
    if (width <= 0)
        return;
    RECT frame{};
    GetWindowRect(ToolFrame->Handle(), &frame);
    POINT origin{frame.left, frame.top};
    ScreenToClient(Panel->Handle(), &origin);
    if (origin.x != content.left || origin.y != content.top)
        SetWindowPos(ToolFrame->Handle(), nullptr, content.left, content.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ToolFrame->ToolbarResize(width);
    GetWindowRect(ToolFrame->Handle(), &frame);
    const int top = content.top + (frame.bottom - frame.top);
    for (TVxFrame* page : FPages)
        SetWindowPos(page->Handle(), nullptr, content.left, top, width, std::max<int>(content.bottom - top, 0), SWP_NOZORDER | SWP_NOACTIVATE);
}

void TVxToolPanelModule::ToggleVisible(TVxMenuItem*) { SetVisible(!IsVisible()); }

bool TVxToolPanelModule::IsVisible() const { return FWanted; }

void TVxToolPanelModule::SetVisible(bool value)
{
    FWanted = value;
    ShowWhenFilled();
}

void TVxToolPanelModule::SetPanelWidth(int value)
{
    if (value < FMinimumWidth)
        return;
    FMinimumWidth = value;
    Panel->SetPanelWidth(value);
    MainForm->Relayout();
}

void TVxToolPanelModule::SetWrap() { Toolbar->SetWrapping(true); }

void TVxToolPanelModule::LoadState(TVxSDFReader& reader)
{
    if (!reader.EnterNode(1, StateIdentifier))
        return;
    std::array<std::uint8_t, TVxToolPanelState::RecordSize> record{};
    if (reader.ReadBinary(1, record.data(), static_cast<std::uint32_t>(record.size()))) {
        if (const auto state = DecodeToolPanelState(record)) {
            TVxDockPanelState dock = Panel->State();
            FWanted = state->Visible;
            dock.Visible = FWanted && HasContent();
            // The panel docks left or right only and does not float.
            if (!state->Floating)
                dock.Side = state->DockSide == 2 ? TVxDockSide::Left : TVxDockSide::Right;
            if (!state->Floating && state->DockedWidth > 0)
                dock.Width = std::max(state->DockedWidth, FMinimumWidth);
            Panel->SetState(dock);
        }
    }
    reader.LeaveNode();
}

void TVxToolPanelModule::SaveState(TVxSDFWriter& writer)
{
    const TVxDockPanelState& dock = Panel->State();
    TVxToolPanelState state;
    state.Visible = FWanted;
    state.Floating = false;
    state.DockSide = dock.Side == TVxDockSide::Left ? 2 : 3;
    state.DockedWidth = dock.Width;
    RECT bounds{};
    GetWindowRect(Panel->Handle(), &bounds);
    state.DockedHeight = bounds.bottom - bounds.top;
    state.SplitWidth = dock.Width;
    const auto record = EncodeToolPanelState(state);
    writer.BeginNode(1, StateIdentifier);
    writer.WriteBinary(1, record.data(), static_cast<std::uint32_t>(record.size()));
    writer.EndNode();
}
