#include "app/VxTestProbe.h"

#include <psapi.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <new>

#include "app/VxDemonstrationModule.h"
#include "app/VxMainForm.h"
#include "app/VxTestHook.h"
#include "imaging/VxPageMemory.h"
#include "tools/VxBrushTool.h"
#include "tools/VxCrop2PlusTool.h"
#include "tools/VxCropTool.h"
#include "tools/VxHandInpaintingTool.h"
#include "tools/VxOriginalImageTool.h"
#include "view/VxGraphicsEditor.h"
#include "view/VxToolPanel.h"
#include "print/VxPrinter.h"
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

// A drop block from another process is trusted no further than its own size: larger than
// any list of a few long names it is refused outright.
constexpr std::size_t MaxDropBlockBytes = 64 * 1024;

// A DROPFILES block that DragQueryFileW reads only inside of: wide names that start after
// the header, on a character boundary, and end with an empty name within the block.
bool IsSoundDropBlock(const void* block, std::size_t size)
{
    if (size < sizeof(DROPFILES) || size > MaxDropBlockBytes)
        return false;
    DROPFILES header{};
    std::memcpy(&header, block, sizeof header);
    if (!header.fWide || header.pFiles < sizeof(DROPFILES) || header.pFiles >= size || header.pFiles % sizeof(wchar_t) != 0)
        return false;
    const auto* names = static_cast<const unsigned char*>(block) + header.pFiles;
    const std::size_t count = (size - header.pFiles) / sizeof(wchar_t);
    wchar_t previous = L'\0';
    for (std::size_t i = 0; i < count; ++i) {
        wchar_t c = L'\0';
        std::memcpy(&c, names + i * sizeof(wchar_t), sizeof c);
        if (c == L'\0' && (i == 0 || previous == L'\0'))
            return true;
        previous = c;
    }
    return false;
}

// A brush as the painting tools will be made on the brush framework: it paints red
// through the stroke mask over the picture as it was before the stroke, so a stroke that
// passes a pixel twice leaves it as one pass does. Chosen by the command PROBEBRUSH.
class TProbeBrushTool : public TVxBrushTool {
public:
    TProbeBrushTool(TVxComponent* owner, IVxGraphicsToolHost& host) : TVxBrushTool(owner, host)
    {
        SetCommandName(L"ProbeBrush");
        AccumulateStroke = true;
        MainForm->Commands.Add(L"PROBEBRUSH", {0, L"Probe brush"}, -1, {}, TVxMethod<>::Bind<&TProbeBrushTool::ActivateCommand>(this));
    }

    void PaintEffect(const TRect& rect) override
    {
        TVxGraphicsDocument* document = ChangeDocument();
        if (document && document->ImagePixels())
            PaintThroughMask(StrokeMask(), document->Backup(), 0xFF0000, rect, *document->ImagePixels());
    }
};

TProbeBrushTool* ProbeBrush = nullptr;

// Only the test build links this unit: it hands the program its probe when the
// environment names a log file.
void CreateTestProbe()
{
    if (const char* log = std::getenv("VELLORIA_TEST_PROBE"); log && *log) {
        if (GraphicsEditor)
            Application->CreateModule(ProbeBrush, static_cast<IVxGraphicsToolHost&>(*GraphicsEditor));
        TVxTestProbe* probe = nullptr;
        Application->CreateModule(probe, std::filesystem::u8path(log));
    }
}

const bool TestProbeHookSet = (TestProbeHook = &CreateTestProbe, true);

}  // namespace

TVxTestProbe::TVxTestProbe(TVxComponent* owner, std::filesystem::path logFile) : TVxModuleWithControls(owner), FLogFile(std::move(logFile))
{
    CreateSampleToolbar();
    CreateSamplePanel();
    Log(L"created");
}

void TVxTestProbe::CreateSampleToolbar()
{
    // The editor's own toolbar once the editor exists.
    if (GraphicsEditor) {
        FToolbar = GraphicsEditor->StandardToolbar;
        return;
    }
    FToolbar = &MainForm->AddToolbar(L"Standard");
    FillToolbar(*FToolbar, StandardButtons);
}

void TVxTestProbe::CreateSamplePanel()
{
    // The real tool panel once it exists.
    if (ToolPanel) {
        FPanel = ToolPanel->Panel;
        FPanelToolbar = ToolPanel->Toolbar;
        FPanelMenuItem = ToolPanel->VisibleMenuItem;
        return;
    }
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
    FPreviousDrop = MainForm->OnDropFile;
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
    // Keep the sample panel's toolbar the width of the panel so that it wraps there
    // (the real tool panel arranges its own).
    const RECT content = FPanel->ContentRect();
    const int width = content.right - content.left;
    RECT current{};
    GetWindowRect(FPanelToolbar->Handle(), &current);
    if (!ToolPanel && width > 0 && current.right - current.left != width) {
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
        // Measuring runs play a file of commands, one a line, then end the program.
        if (const char* script = std::getenv("VELLORIA_TEST_PROBE_SCRIPT"); script && *script)
            Application->PostCall(TVxMethod<void*>::Bind<&TVxTestProbe::RunScript>(this), nullptr);
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
        Log(L"open " + file->wstring());
}

void TVxTestProbe::Log(const std::wstring& line) const
{
    std::ofstream stream(FLogFile, std::ios::app | std::ios::binary);
    stream << WideToUtf8(line) << '\n';
}

void TVxTestProbe::DropFile(TMainForm* form, const std::wstring& fileName)
{
    Log(L"open " + fileName);
    FPreviousDrop(form, fileName);
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
    case prbCommand:
        RunCommand(std::wstring(static_cast<const wchar_t*>(data->lpData), data->cbData / sizeof(wchar_t)));
        break;
    case prbQuery: LogState(); break;
    }
}

// A sound block is copied into memory of this process and delivered as a real drop; any
// other is logged and dropped.
void TVxTestProbe::Drop(const void* block, std::size_t size)
{
    if (!IsSoundDropBlock(block, size)) {
        Log(L"refused drop");
        return;
    }
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

namespace {

// Undoable and visible: inverts the picture's top-left corner.
class TProbeInvertState : public TVxCommandState {
public:
    explicit TProbeInvertState(TVxGraphicsDocument& document) : FDocument(document) { Invert(); }
    void Undo() override { Invert(); }
    void Redo() override { Invert(); }

private:
    void Invert()
    {
        TVxPixels* pixels = FDocument.ImagePixels();
        if (!pixels)
            return;
        const TRect rect = IntersectRect(TRect{0, 0, 16, 16}, pixels->GetBounds());
        for (int y = rect.Top; y < rect.Bottom; ++y)
            for (int x = rect.Left; x < rect.Right; ++x)
                for (int c = 0; c < 3; ++c)
                    pixels->PixelAddress(x, y)[c] = static_cast<std::uint8_t>(255 - pixels->PixelAddress(x, y)[c]);
        FDocument.Modified();
        FDocument.InvalidateImageRect(rect);
    }

    TVxGraphicsDocument& FDocument;
};

// A whole-picture adjustment made the way a tool makes one: its undo state keeps the
// picture before and after, as a real adjustment's does.
void InvertWholePicture(TVxGraphicsEditor& editor, TVxGraphicsDocument& document)
{
    TVxPixels* pixels = document.ImagePixels();
    if (!pixels)
        return;
    document.BeginChange(nullptr);
    for (std::int32_t y = 0; y < pixels->Height(); ++y) {
        std::uint8_t* row = pixels->Row(y);
        for (std::int32_t x = 0; x < pixels->Width() * 3; ++x)
            row[x] = static_cast<std::uint8_t>(255 - row[x]);
    }
    const TRect all = pixels->GetBounds();
    document.AddChangedRect(all, true);
    try {
        document.History().Add(std::make_unique<TVxGraphicsCommandState>(nullptr, all, document));
        document.Backup().CopyFrom(*pixels);
        document.Modified();
    } catch (const std::bad_alloc&) {
        pixels->CopyFrom(document.Backup());
        editor.ReportOutOfMemory();
    }
    document.EndChange(nullptr);
}

// The document's turns, flips and resize, as a command of the program would call them.
void RunGeometry(TVxGraphicsEditor& editor, TVxGraphicsDocument& document, const std::wstring& verb,
                 const std::wstring& argument)
{
    bool done = false;
    if (verb == L"rotateleft")
        done = document.RotateLeft();
    else if (verb == L"rotateright")
        done = document.RotateRight();
    else if (verb == L"fliph")
        done = document.FlipHorizontal();
    else if (verb == L"flipv")
        done = document.FlipVertical();
    else if (verb == L"resize") {
        const std::size_t comma = argument.find(L',');
        const int height = comma == std::wstring::npos ? 0 : _wtoi(argument.c_str() + comma + 1);
        done = document.Resize(_wtoi(argument.c_str()), height, true, true);
    }
    if (done)
        document.Modified();
    else
        editor.ReportOutOfMemory();
}

std::wstring MemoryText()
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        return L"memory unknown";
    return L"memory peak=" + std::to_wstring(counters.PeakWorkingSetSize) + L" now=" +
           std::to_wstring(counters.WorkingSetSize);
}

std::wstring ScrollBarText(HWND window, int bar)
{
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    if (!(GetWindowLongW(window, GWL_STYLE) & (bar == SB_HORZ ? WS_HSCROLL : WS_VSCROLL)) || !GetScrollInfo(window, bar, &info))
        return L"none";
    return std::to_wstring(info.nMin) + L"," + std::to_wstring(info.nMax) + L"," + std::to_wstring(info.nPage) + L"," +
           std::to_wstring(info.nPos);
}

std::wstring StatusText(int panel)
{
    HWND bar = MainForm->StatusBar->Handle();
    const auto length = LOWORD(SendMessageW(bar, SB_GETTEXTLENGTHW, static_cast<WPARAM>(panel), 0));
    std::wstring text(length + 1u, L'\0');
    SendMessageW(bar, SB_GETTEXTW, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(text.data()));
    text.resize(length);
    return text;
}

// A menu item's command as a click on it delivers it.
void ClickMenu(TVxMenuItem* item)
{
    if (item && item->Enabled())
        SendMessageW(MainForm->Handle(), WM_COMMAND, MAKEWPARAM(item->Command(), 0), 0);
}

void ClickButton(TVxToolbarItem* item)
{
    if (!item || !item->Enabled() || !item->Visible() || !GraphicsEditor)
        return;
    HWND toolbar = GraphicsEditor->StandardToolbar->Handle();
    SendMessageW(GetParent(toolbar), WM_COMMAND, MAKEWPARAM(item->Command(), BN_CLICKED), reinterpret_cast<LPARAM>(toolbar));
}

// "down", "up", "move", "rdown", "rup", "dbl" at a client point of the view, as the
// platform delivers them while the button is held or released.
void SendMouse(HWND view, const std::wstring& argument)
{
    const std::size_t comma = argument.find(L',');
    if (comma == std::wstring::npos)
        return;
    const std::wstring kind = argument.substr(0, comma);
    const int x = _wtoi(argument.c_str() + comma + 1);
    const std::size_t second = argument.find(L',', comma + 1);
    const int y = second == std::wstring::npos ? 0 : _wtoi(argument.c_str() + second + 1);
    struct TKind {
        const wchar_t* Name;
        UINT Message;
        WPARAM Keys;
    };
    static const TKind kinds[] = {{L"down", WM_LBUTTONDOWN, MK_LBUTTON}, {L"up", WM_LBUTTONUP, 0},
                                  {L"move", WM_MOUSEMOVE, 0},            {L"drag", WM_MOUSEMOVE, MK_LBUTTON},
                                  {L"rdown", WM_RBUTTONDOWN, MK_RBUTTON}, {L"rup", WM_RBUTTONUP, 0},
                                  {L"dbl", WM_LBUTTONDBLCLK, MK_LBUTTON}};
    for (const TKind& k : kinds)
        if (kind == k.Name)
            SendMessageW(view, k.Message, k.Keys, MAKELPARAM(x, y));
}

// The proportional crop tool's panel: "cropratio:<mode>,<item>" checks radio button 0
// (free), 1 (print) or 2 (screen) and picks the item of its list, as a user's clicks do;
// "cropbox:<w|h>,<text>" types into the width or height box.
void DriveCropPanel(const std::wstring& verb, const std::wstring& argument)
{
    if (!Crop2PlusTool || !Crop2PlusTool->Frame)
        return;
    TVxCrop2PlusFrame& frame = *Crop2PlusTool->Frame;
    const std::size_t comma = argument.find(L',');
    const std::wstring first = argument.substr(0, comma);
    const std::wstring rest = comma == std::wstring::npos ? std::wstring() : argument.substr(comma + 1);
    if (verb == L"cropratio") {
        const int mode = _wtoi(first.c_str());
        const int radio = TVxCrop2PlusFrame::idFree + mode;
        CheckRadioButton(frame.Handle(), TVxCrop2PlusFrame::idFree, TVxCrop2PlusFrame::idScreen, radio);
        SendMessageW(frame.Handle(), WM_COMMAND, MAKEWPARAM(radio, BN_CLICKED), reinterpret_cast<LPARAM>(frame.Control(radio)));
        if (mode == 0)
            return;
        const int comboId = mode == 1 ? TVxCrop2PlusFrame::idFotoCombo : TVxCrop2PlusFrame::idScreenCombo;
        HWND combo = frame.Control(comboId);
        SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(_wtoi(rest.c_str())), 0);
        SendMessageW(frame.Handle(), WM_COMMAND, MAKEWPARAM(comboId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    } else if (verb == L"cropbox") {
        SetWindowTextW(frame.Control(first == L"w" ? TVxCrop2PlusFrame::idWidthEdit : TVxCrop2PlusFrame::idHeightEdit), rest.c_str());
    }
}

std::wstring RectText(const TRect& r)
{
    return std::to_wstring(r.Left) + L"," + std::to_wstring(r.Top) + L"," + std::to_wstring(r.Right) + L"," + std::to_wstring(r.Bottom);
}

// The crop tools' state: "<state>:<rectangle>" of the proportional and the plain tool.
std::wstring CropText(TVxCustomCropTool* tool)
{
    const TVxCropToolControl* control = tool ? tool->ActiveControl() : nullptr;
    if (!control)
        return L"none";
    return std::to_wstring(control->State) + L":" + RectText(control->CropRect);
}

}  // namespace

// Commands: "zoomin", "zoomout", "actualsize", "bestfit", "next", "prev" (the editor's
// commands); "menu:<zoomin|zoomout|actualsize|bestfit|undo|undoall|redo|redoall|recent1..5>"
// and "button:<zoomin|zoomout|actualsize|bestfit|next|prev|undo|redo|ok|cancel>" (clicks);
// "key:<virtual key>" and "pointer:<x>,<y>" (sent to the view); "modify" (an undoable edit).
void TVxTestProbe::RunScript(void*)
{
    std::ifstream script(std::filesystem::u8path(std::getenv("VELLORIA_TEST_PROBE_SCRIPT")));
    for (std::string line; std::getline(script, line);) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        if (!line.empty())
            RunCommand(std::filesystem::u8path(line).wstring());
    }
    if (GraphicsEditor)
        if (TVxGraphicsDocument* document = GraphicsEditor->ActiveGraphicsDocument())
            document->SetCloseWithoutPrompt(true);
    Log(L"script done");
    MainForm->Close();
}

void TVxTestProbe::RunCommand(const std::wstring& command)
{
    Log(L"command " + command);
    // A user's click comes after the idle pass that enabled the control; a command sent
    // right after the previous one must not see stale states.
    Application->Idle();
    TVxGraphicsEditor* editor = GraphicsEditor;
    if (!editor)
        return;
    const std::size_t colon = command.find(L':');
    const std::wstring verb = command.substr(0, colon);
    const std::wstring argument = colon == std::wstring::npos ? std::wstring() : command.substr(colon + 1);
    TVxGraphicsView* view = editor->ActiveView();
    if (verb == L"lesson") {
        Log(DemonstrationModule && DemonstrationModule->PlayLesson(argument) ? L"lesson started" : L"lesson refused");
        return;
    }
    if (verb == L"zoomin")
        editor->ZoomInCommand();
    else if (verb == L"zoomout")
        editor->ZoomOutCommand();
    else if (verb == L"actualsize")
        editor->ActualSizeCommand();
    else if (verb == L"bestfit")
        editor->BestFitCommand();
    else if (verb == L"next")
        editor->NextImageCommand();
    else if (verb == L"prev")
        editor->PrevImageCommand();
    else if (verb == L"menu") {
        TVxMenuItem* item = argument == L"zoomin"       ? editor->ZoomInMenuItem
                            : argument == L"zoomout"    ? editor->ZoomOutMenuItem
                            : argument == L"actualsize" ? editor->ActualSizeMenuItem
                            : argument == L"bestfit"    ? editor->ScaleToBestFitMenuItem
                            : argument == L"undo"       ? editor->UndoMenuItem
                            : argument == L"undoall"    ? editor->UndoAllMenuItem
                            : argument == L"redo"       ? editor->RedoMenuItem
                            : argument == L"redoall"    ? editor->RedoAllMenuItem
                            : argument == L"open"       ? editor->OpenMenuItem
                            : argument == L"saveas"     ? editor->SaveAsMenuItem
                                                        : nullptr;
        if (argument == L"toolpanel" && ToolPanel)
            item = ToolPanel->VisibleMenuItem;
        if (argument.rfind(L"recent", 0) == 0) {
            const std::size_t index = static_cast<std::size_t>(_wtoi(argument.c_str() + 6) - 1);
            if (index < editor->RecentFileItems().size())
                item = editor->RecentFileItems()[index];
        }
        ClickMenu(item);
    } else if (verb == L"button") {
        TVxToolbarItem* item = argument == L"zoomin"       ? editor->ZoomInButton
                               : argument == L"zoomout"    ? editor->ZoomOutButton
                               : argument == L"actualsize" ? editor->ActualSizeButton
                               : argument == L"bestfit"    ? editor->ScaleToBestFitButton
                               : argument == L"next"       ? editor->NextImageButton
                               : argument == L"prev"       ? editor->PrevImageButton
                               : argument == L"undo"       ? editor->UndoToolButton
                               : argument == L"redo"       ? editor->RedoToolButton
                               : argument == L"ok"         ? editor->OkButton
                               : argument == L"cancel"     ? editor->CancelButton
                                                           : nullptr;
        ClickButton(item);
    } else if (verb == L"key" && view) {
        const auto key = static_cast<WPARAM>(_wtoi(argument.c_str()));
        SendMessageW(view->Handle(), WM_KEYDOWN, key, 1);
        SendMessageW(view->Handle(), WM_KEYUP, key, static_cast<LPARAM>(0xC0000001));
    } else if (verb == L"pointer" && view) {
        const int x = _wtoi(argument.c_str());
        const std::size_t comma = argument.find(L',');
        const int y = comma == std::wstring::npos ? 0 : _wtoi(argument.c_str() + comma + 1);
        SendMessageW(view->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    } else if (verb == L"modify") {
        if (TVxGraphicsDocument* document = editor->ActiveGraphicsDocument())
            document->History().Add(std::make_unique<TProbeInvertState>(*document));
    } else if (verb == L"invert") {
        if (TVxGraphicsDocument* document = editor->ActiveGraphicsDocument())
            InvertWholePicture(*editor, *document);
    } else if (verb == L"rotateleft" || verb == L"rotateright" || verb == L"fliph" || verb == L"flipv" ||
               verb == L"resize") {
        if (TVxGraphicsDocument* document = editor->ActiveGraphicsDocument())
            RunGeometry(*editor, *document, verb, argument);
    } else if (verb == L"saveas") {
        // The format is the one whose extension the name has (JPEG asks its quality first).
        if (TVxGraphicsDocument* document = editor->ActiveGraphicsDocument()) {
            std::int32_t format = document->FormatIndex();
            const std::wstring extension = std::filesystem::path(argument).extension().wstring();
            for (std::int32_t i = 0; i < editor->Formats().Count(); ++i)
                if (const TVxFileFormatInfo* info = editor->Formats().Item(i); info && _wcsicmp(info->Extension.c_str(), extension.c_str()) == 0)
                    format = info->Identifier;
            Log(std::wstring(L"saved ") + (document->SaveAs(argument, format) ? L"1" : L"0"));
        }
    } else if (verb == L"run") {
        // A named command, as its menu item or button runs it.
        if (TVxCommand* named = MainForm->Commands.Find(argument); named && named->Enabled() && named->Visible())
            named->Execute();
    } else if (verb == L"mouse" && view) {
        SendMouse(view->Handle(), argument);
    } else if (verb == L"keydown" && view) {
        SendMessageW(view->Handle(), WM_KEYDOWN, static_cast<WPARAM>(_wtoi(argument.c_str())), 1);
    } else if (verb == L"keyrepeat" && view) {
        // Bit 30: the key was already down, as auto-repeat sends it.
        SendMessageW(view->Handle(), WM_KEYDOWN, static_cast<WPARAM>(_wtoi(argument.c_str())), static_cast<LPARAM>(0x40000001));
    } else if (verb == L"keyup" && view) {
        SendMessageW(view->Handle(), WM_KEYUP, static_cast<WPARAM>(_wtoi(argument.c_str())), static_cast<LPARAM>(0xC0000001));
    } else if (verb == L"plaincrop" && CropTool && CropTool->Frame) {
        // The plain crop tool's buttons: "plaincrop:ok" or "plaincrop:cancel", if enabled.
        const int id = argument == L"ok" ? TVxCropFrame::idCropButton : TVxCropFrame::idCancelButton;
        if (HWND button = CropTool->Frame->Control(id); IsWindowEnabled(button))
            SendMessageW(CropTool->Frame->Handle(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    } else if (verb == L"cropratio" || verb == L"cropbox") {
        DriveCropPanel(verb, argument);
    } else if (verb == L"pagefile") {
        // Printing goes into this BMP file: an A4 page at 100 dots per inch whose printer
        // reaches to 4 mm from the left, 6 mm from the right and 5 mm from top and bottom.
        Printer().UsePageFile(argument, TVxPageGeometry{100, 100, 827, 1169, 16, 20, 827 - 16 - 24, 1169 - 40});
    } else if (verb == L"wait") {
        // Keeps the program running (windows painting) for the milliseconds given, so a
        // script can leave a modeless window up for a picture.
        const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(_wtoi(argument.c_str()));
        while (GetTickCount64() < end) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
    } else if (verb == L"memory") {
        Log(MemoryText());
    } else if (verb == L"pages") {
        // "pages:off" makes every pixel allocation fail as if memory had run out.
        if (argument == L"off")
            VxPageMemory::SetFailureHook([](std::size_t) { return false; });
        else
            VxPageMemory::SetFailureHook(nullptr);
    }
    Log(L"done " + command);
}

void TVxTestProbe::LogState()
{
    TVxGraphicsEditor* editor = GraphicsEditor;
    if (!editor)
        return;
    Application->Idle();
    std::wstring line = L"state";
    wchar_t caption[512] = {};
    GetWindowTextW(MainForm->Handle(), caption, 512);
    line += L" caption=" + std::wstring(caption);
    line += L" title=" + Application->Title();
    TVxDocument* document = editor->ActiveDocument();
    line += L" documents=" + std::to_wstring(editor->DocumentCount());
    if (document) {
        line += L" file=" + document->FileName().filename().wstring();
        line += L" modified=" + std::to_wstring(document->Clean() ? 0 : 1);
        line += L" undo=" + std::to_wstring(document->History().Cursor()) + L"/" + std::to_wstring(document->History().Count());
    }
    if (TVxGraphicsView* view = editor->ActiveView()) {
        const TVxMapMode& mapping = view->Mapping();
        line += L" zoom=" + std::to_wstring(mapping.ViewportExtX) + L"/" + std::to_wstring(mapping.WindowExtX);
        line += L" origin=" + std::to_wstring(mapping.ViewportOrgX) + L"," + std::to_wstring(mapping.ViewportOrgY);
        RECT client{};
        GetClientRect(view->Handle(), &client);
        RECT outer{};
        GetWindowRect(view->Handle(), &outer);
        line += L" client=" + std::to_wstring(client.right) + L"," + std::to_wstring(client.bottom);
        line += L" control=" + std::to_wstring(outer.right - outer.left) + L"," + std::to_wstring(outer.bottom - outer.top);
        POINT corner{0, 0};
        ClientToScreen(view->Handle(), &corner);
        line += L" viewscreen=" + std::to_wstring(corner.x) + L"," + std::to_wstring(corner.y);
        line += L" hbar=" + ScrollBarText(view->Handle(), SB_HORZ);
        line += L" vbar=" + ScrollBarText(view->Handle(), SB_VERT);
    }
    line += L" folder=" + std::to_wstring(editor->FolderImages().Index) + L"/" + std::to_wstring(editor->FolderImages().Paths.size());
    line += L" status=";
    for (int pair = 0; pair < 7; ++pair)
        line += (pair ? L"|" : L"") + StatusText(editor->StatusValuePanel(pair));
    line += L" recent=" + std::to_wstring(editor->RecentFiles().size());
    line += L" filemenu=" + std::to_wstring(MainForm->FileMenuItem->Visible() ? 1 : 0);
    line += L" ok=" + std::to_wstring(editor->OkButton && editor->OkButton->Visible() ? 1 : 0);
    line += L" prevnext=" + std::to_wstring(editor->PrevImageButton->Enabled() ? 1 : 0) + std::to_wstring(editor->NextImageButton->Enabled() ? 1 : 0);
    line += L" zoomin-shortcut=" + editor->ZoomInMenuItem->ShortCut().Text();
    line += L" zoomout-shortcut=" + editor->ZoomOutMenuItem->ShortCut().Text();
    line += L" zoomin-caption=" + editor->ZoomInMenuItem->Caption();
    line += L" helpmenu=" + std::to_wstring(MainForm->HelpMenuItem->Visible() ? 1 : 0);
    RECT window{};
    GetWindowRect(MainForm->Handle(), &window);
    line += L" window=" + std::to_wstring(window.right - window.left) + L"," + std::to_wstring(window.bottom - window.top);
    if (ToolPanel) {
        line += L" toolpanel=" + std::to_wstring(ToolPanel->IsVisible() ? 1 : 0);
        line += L" toolpanel-checked=" + std::to_wstring(ToolPanel->VisibleMenuItem->Checked() ? 1 : 0);
        line += L" toolpanel-shown=" + std::to_wstring(IsWindowVisible(ToolPanel->Panel->Handle()) ? 1 : 0);
    }
    if (TVxGraphicsTool* tool = editor->ActiveTool())
        line += L" tool=" + tool->CommandName() + (tool == CropTool ? L"Plain" : L"");
    else
        line += L" tool=none";
    line += L" crop=" + CropText(Crop2PlusTool);
    line += L" plaincrop=" + CropText(CropTool);
    if (ProbeBrush)
        line += L" brush=" + std::to_wstring(ProbeBrush->BrushSize());
    if (Crop2PlusTool) {
        line += L" ratio=" + std::to_wstring(Crop2PlusTool->Ratio().Width) + L":" + std::to_wstring(Crop2PlusTool->Ratio().Height);
        if (Crop2PlusTool->Frame) {
            wchar_t text[32] = {};
            GetWindowTextW(Crop2PlusTool->Frame->Control(TVxCrop2PlusFrame::idWidthEdit), text, 32);
            line += L" cropboxes=" + std::wstring(text);
            GetWindowTextW(Crop2PlusTool->Frame->Control(TVxCrop2PlusFrame::idHeightEdit), text, 32);
            line += L"," + std::wstring(text);
        }
    }
    if (TVxGraphicsDocument* graphics = editor->ActiveGraphicsDocument(); graphics && graphics->ImagePixels()) {
        line += L" picture=" + std::to_wstring(graphics->ImagePixels()->Width()) + L"x" + std::to_wstring(graphics->ImagePixels()->Height());
        line += L" original=" + std::to_wstring(graphics->OriginalImage().GetWidth()) + L"x" +
                std::to_wstring(graphics->OriginalImage().GetHeight());
    }
    if (HandInpaintingTool)
        line += L" inpaint=" + std::to_wstring(HandInpaintingTool->SourceMode() ? 1 : 0) + L":" +
                std::to_wstring(HandInpaintingTool->Orientation()) + L"," +
                std::to_wstring(HandInpaintingTool->BrushSize());
    for (const wchar_t* name : {L"UNDO", L"CROP", L"PLAINCROP", L"ORIGINALIMAGE"})
        if (TVxCommand* command = MainForm->Commands.Find(name)) {
            std::wstring lower = name;
            for (wchar_t& c : lower)
                c = static_cast<wchar_t>(towlower(c));
            line += L" " + lower + L"-enabled=" + std::to_wstring(command->Enabled() ? 1 : 0);
        }
    line += L" end";
    Log(line);
}
