#include "app/VxTestProbe.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstdlib>
#include <cstring>
#include <fstream>

#include "app/VxMainForm.h"
#include "i18n/VxCodePage.h"
#include "i18n/VxLocalizer.h"

namespace {

struct TSampleButton {
    int StringId;
    const wchar_t* Fallback;
    int ImageIndex;
};

// The editor's standard toolbar as it will look (open, save, print, undo, redo, zoom, browse).
constexpr TSampleButton StandardButtons[] = {
    {12, L"Open", 1}, {16, L"Save As", 2}, {21, L"Print", 3}, {0, nullptr, -1}, {25, L"Undo", 8}, {26, L"Redo", 9},
    {0, nullptr, -1}, {2104, L"Previous Image", 14}, {2105, L"Next Image", 15}, {0, nullptr, -1}, {98, L"Zoom In", 10},
    {99, L"Zoom Out", 11}, {166, L"Actual Size", 12}, {178, L"Best Fit", 13}, {0, nullptr, -1}, {2025, L"Rotate Right", 16},
    {2026, L"Rotate Left", 17}, {2109, L"Flip Vertical", 18}, {2110, L"Flip Horizontal", 19},
};

// The tool panel's buttons, separators where the tool order puts them (-2: a row break).
constexpr TSampleButton ToolButtons[] = {
    {108, L"Resize", 23}, {135, L"Crop", 24}, {2822, L"Rotation", 83}, {0, nullptr, -1}, {2864, L"Text", 79},
    {2459, L"Adjustment", 97}, {0, nullptr, -2}, {2838, L"Object Separation", 71}, {2844, L"Paste Object", 69},
    {0, nullptr, -1}, {2801, L"Smart Remove", 41}, {2802, L"Smart Resize", 42}, {0, nullptr, -1}, {2450, L"Hand Inpainting", 43},
};

double MillisecondsSinceProcessStart()
{
    FILETIME creation{}, exitTime{}, kernel{}, user{}, now{};
    GetProcessTimes(GetCurrentProcess(), &creation, &exitTime, &kernel, &user);
    GetSystemTimeAsFileTime(&now);
    auto ticks = [](const FILETIME& t) { return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return static_cast<double>(ticks(now) - ticks(creation)) / 10000.0;
}

template <std::size_t N>
void FillToolbar(TVxToolbar& toolbar, const TSampleButton (&buttons)[N])
{
    for (const TSampleButton& button : buttons) {
        if (button.ImageIndex < 0) {
            auto separator = std::make_unique<TVxToolbarSeparator>(&toolbar);
            if (button.ImageIndex == -2)
                separator->SetSeparatorSize(1000);  // starts a new row in a wrapping toolbar
            toolbar.Insert(std::move(separator));
            continue;
        }
        TVxToolbarItem* item = nullptr;
        MainForm->AddToolbarItem(toolbar, nullptr, nullptr, button.Fallback, button.ImageIndex, {}, item);
        item->Tag = button.StringId;
    }
}

void LocalizeToolbar(TVxToolbar& toolbar)
{
    for (int i = 0; i < toolbar.Count(); ++i) {
        TVxToolbarItem& item = toolbar.Item(i);
        if (item.Tag) {
            const std::wstring text = Localizer().GetString(static_cast<std::int32_t>(item.Tag), item.Caption());
            item.SetCaption(text);
            item.SetHint(text);
        }
    }
}

}  // namespace

TVxTestProbe::TVxTestProbe(TVxComponent* owner, std::filesystem::path logFile) : TVxModuleWithControls(owner), FLogFile(std::move(logFile))
{
    CreateSampleToolbar();
    CreateSamplePanel();
    Log(L"created");
}

void TVxTestProbe::CreateSampleToolbar()
{
    FToolbar = &MainForm->AddToolbar(L"Standard");
    FillToolbar(*FToolbar, StandardButtons);
}

void TVxTestProbe::CreateSamplePanel()
{
    FPanel = &MainForm->CreateDockablePanel();
    FPanel->SetCaption(L"Tools");
    FPanel->SetBorderSize(ScaleForDpi(8));
    // The panel's toolbar lives in the panel, not in a dock.
    FOwnedPanelToolbar = std::make_unique<TVxToolbar>(FPanel->Handle(), &MainForm->Images());
    FPanelToolbar = FOwnedPanelToolbar.get();
    FPanelToolbar->SetWrapping(true);
    FillToolbar(*FPanelToolbar, ToolButtons);
    FPanelMenuItem = &MainForm->AddMenuItem(L"Tools", {}, MainForm->ToolbarsMenuItem, MainForm->ViewMenuItem, -1,
                                            TVxMenuItem::TClick::Bind<&TMainForm::ToggleItemClick>(MainForm));
    FPanelMenuItem->Toggles = FPanel;
    MainForm->DockPanel(*FPanel, TVxDockSide::Right);
}

void TVxTestProbe::Initialize()
{
    TVxModuleWithControls::Initialize();
    MainForm->OnDropFile = TMainForm::TDropFileEvent::Bind<&TVxTestProbe::DropFile>(this);
    MainForm->OnCopyData = TVxMethod<const COPYDATASTRUCT*>::Bind<&TVxTestProbe::CopyData>(this);
}

void TVxTestProbe::Localize()
{
    FToolbar->SetCaption(Localizer().GetString(162, L"Standard"));
    FPanel->SetCaption(Localizer().GetString(176, L"Tools"));
    FPanelToolbar->SetCaption(FPanel->Caption());
    LocalizeToolbar(*FToolbar);
    LocalizeToolbar(*FPanelToolbar);
    Log(L"localize " + std::to_wstring(Localizer().CurrentLanguageId()));
}

void TVxTestProbe::UpdateControls()
{
    // Keep the panel's toolbar the width of the panel so that it wraps there.
    const RECT content = FPanel->ContentRect();
    const int width = content.right - content.left;
    RECT current{};
    GetWindowRect(FPanelToolbar->Handle(), &current);
    if (width > 0 && current.right - current.left != width) {
        const int height = FPanelToolbar->HeightFor(width);
        SetWindowPos(FPanelToolbar->Handle(), nullptr, content.left, content.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (!FIdleSeen) {
        FIdleSeen = true;
        wchar_t text[64];
        swprintf(text, 64, L"idle %.1f", MillisecondsSinceProcessStart());
        Log(text);
        // Timing runs end the program once it is up.
        if (const char* quit = std::getenv("VELLORIA_TEST_PROBE_QUIT"); quit && *quit == '1')
            MainForm->Close();
        // Screenshots of the menus open the View menu as the keyboard does (Alt+V).
        if (const char* menu = std::getenv("VELLORIA_TEST_PROBE_MENU"); menu && *menu == '1') {
            const std::wstring& caption = MainForm->ViewMenuItem->Caption();
            const std::size_t amp = caption.find(L'&');
            const wchar_t mnemonic = (amp != std::wstring::npos && amp + 1 < caption.size()) ? caption[amp + 1] : L'v';
            PostMessageW(MainForm->Handle(), WM_SYSCOMMAND, SC_KEYMENU, reinterpret_cast<LPARAM>(CharLowerW(reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(mnemonic)))));
        }
    }
}

void TVxTestProbe::Started()
{
    Log(L"started");
    if (const auto file = Application->CommandLineFile())
        DropFile(MainForm, file->wstring());
}

void TVxTestProbe::Log(const std::wstring& line) const
{
    std::ofstream stream(FLogFile, std::ios::app | std::ios::binary);
    stream << WideToUtf8(line) << '\n';
}

void TVxTestProbe::DropFile(TMainForm*, const std::wstring& fileName)
{
    Log(L"open " + fileName);
}

void TVxTestProbe::CopyData(const COPYDATASTRUCT* data)
{
    switch (data->dwData) {
    case prbDrop: Drop(data->lpData, data->cbData); break;
    case prbLanguage:
        if (data->cbData >= sizeof(std::uint16_t))
            SwitchLanguage(*static_cast<const std::uint16_t*>(data->lpData));
        break;
    case prbPostChain: Application->PostCall(TVxMethod<void*>::Bind<&TVxTestProbe::FirstPostedCall>(this), nullptr); break;
    case prbCaptions: LogCaptions(L"now"); break;
    }
}

// The block is copied into memory of this process and delivered as a real drop.
void TVxTestProbe::Drop(const void* block, std::size_t size)
{
    if (size < sizeof(DROPFILES))
        return;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size + 4);
    if (!memory)
        return;
    void* target = GlobalLock(memory);
    std::memcpy(target, block, size);
    GlobalUnlock(memory);
    // The form finishes the drop, which frees the memory.
    SendMessageW(MainForm->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
}

void TVxTestProbe::SwitchLanguage(std::uint16_t languageId)
{
    if (TVxMenuItem* item = MainForm->FindLanguageItem(languageId))
        item->OnClick(item);
    LogCaptions(L"after-click");
    Application->PostCall(TVxMethod<void*>::Bind<&TVxTestProbe::LogCaptionsLater>(this), nullptr);
}

void TVxTestProbe::LogCaptionsLater(void*)
{
    LogCaptions(L"next-message");
}

void TVxTestProbe::LogCaptions(const std::wstring& when)
{
    std::wstring line = L"captions " + when + L" language=" + std::to_wstring(Localizer().CurrentLanguageId());
    line += L" file=" + MainForm->FileMenuItem->Caption();
    line += L" view=" + MainForm->ViewMenuItem->Caption();
    for (int i = 0; i < MainForm->ToolbarsMenuItem->Count(); ++i)
        line += L" toolbar-item=" + MainForm->ToolbarsMenuItem->Item(i).Caption();
    line += L" panel-item=" + FPanelMenuItem->Caption();
    line += L" toolbar=" + FToolbar->Caption();
    Log(line);
}

void TVxTestProbe::FirstPostedCall(void*)
{
    Log(L"first message=" + std::to_wstring(Application->PostedCallMessages()));
    Application->PostCall(TVxMethod<void*>::Bind<&TVxTestProbe::SecondPostedCall>(this), nullptr);
    Log(L"first done");
}

void TVxTestProbe::SecondPostedCall(void*)
{
    Log(L"second message=" + std::to_wstring(Application->PostedCallMessages()));
}
