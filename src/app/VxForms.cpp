#include "app/VxForms.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include "i18n/VxLocalizer.h"
#include "settings/VxStreams.h"

TVxApplication* Application = nullptr;

TVxComponent::~TVxComponent()
{
    DestroyComponents();
}

// Last created first, so later modules never outlive the ones they were built on.
void TVxComponent::DestroyComponents()
{
    while (!FComponents.empty())
        FComponents.pop_back();
}

TVxApplication::TVxApplication() : TVxComponent(nullptr)
{
    Application = this;
}

TVxApplication::~TVxApplication()
{
    // Owned components go first, while the global still answers their unregistering.
    DestroyComponents();
    Application = nullptr;
}

void TVxApplication::Initialize()
{
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_BAR_CLASSES | ICC_COOL_CLASSES | ICC_PROGRESS_CLASS | ICC_WIN95_CLASSES;
    InitCommonControlsEx(&controls);
}

void TVxApplication::SetTitle(const std::wstring& title)
{
    FTitle = title;
    OnTitleChanged(this);
}

// Data modules are created the same way but never become the main window.
void TVxApplication::FormCreated(TVxComponent* component)
{
    if (auto* form = dynamic_cast<TVxForm*>(component); form && !FMainForm)
        FMainForm = form;
}

HWND TVxApplication::MainWindow() const
{
    return FMainForm ? FMainForm->Handle() : nullptr;
}

void TVxApplication::PostCall(const TPostedMethod& method, void* data)
{
    if (!MainWindow())
        return;
    FPostedCalls.push_back({method, data});
    if (FPostedCalls.size() == 1)
        PostMessageW(MainWindow(), WM_VX_POSTEDCALL, 0, 0);
}

// One call per message; a call queued by the running one waits for the next message.
void TVxApplication::RunPostedCall()
{
    ++FPostedCallMessages;
    if (FPostedCalls.empty())
        return;
    const TPostedCall call = FPostedCalls.front();
    call.Method(call.Data);
    FPostedCalls.pop_front();
    if (!FPostedCalls.empty() && MainWindow())
        PostMessageW(MainWindow(), WM_VX_POSTEDCALL, 0, 0);
}

namespace {

// Disables the thread's other enabled top-level windows for the life of a modal box.
class TVxDisableTaskWindows {
public:
    explicit TVxDisableTaskWindows(HWND keep) : FKeep(keep)
    {
        EnumThreadWindows(GetCurrentThreadId(), DisableOne, reinterpret_cast<LPARAM>(this));
    }
    ~TVxDisableTaskWindows()
    {
        for (HWND window : FDisabled) {
            if (IsWindow(window))
                EnableWindow(window, TRUE);
        }
    }
    TVxDisableTaskWindows(const TVxDisableTaskWindows&) = delete;
    TVxDisableTaskWindows& operator=(const TVxDisableTaskWindows&) = delete;

private:
    // A named callback: lambdas do not convert to the stdcall procedures of 32-bit Windows.
    static BOOL CALLBACK DisableOne(HWND window, LPARAM data)
    {
        auto& self = *reinterpret_cast<TVxDisableTaskWindows*>(data);
        if (window != self.FKeep && IsWindowVisible(window) && IsWindowEnabled(window)) {
            EnableWindow(window, FALSE);
            self.FDisabled.push_back(window);
        }
        return TRUE;
    }

    HWND FKeep;
    std::vector<HWND> FDisabled;
};

}  // namespace

int TVxApplication::ShowMessageBox(const std::wstring& text, const std::wstring& caption, UINT flags)
{
    HWND owner = GetActiveWindow();
    if (!owner)
        owner = MainWindow();
    HWND focus = GetFocus();
    if (GetWindowLongW(owner, GWL_EXSTYLE) & WS_EX_LAYOUTRTL)
        flags |= MB_RTLREADING;
    int result;
    {
        // The owner is disabled by the box itself.
        TVxDisableTaskWindows disabled(owner);
        result = MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
    }
    if (focus && IsWindow(focus))
        SetFocus(focus);
    return result;
}

void TVxApplication::Idle()
{
    // A handler may add or remove handlers; walk by index over the live list.
    for (int i = 0; i < FIdleHandlers.Count(); ++i)
        FIdleHandlers.Get(i)();
    if (FMainForm)
        FMainForm->IdleFinished();
}

std::filesystem::path TVxApplication::ExeName() const
{
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::filesystem::path TVxApplication::StateFileName() const
{
    const std::filesystem::path exe = ExeName();
    const std::wstring baseName = exe.stem().wstring();
    wchar_t folder[MAX_PATH] = {};
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)) && folder[0])
        return std::filesystem::path(folder) / baseName / (baseName + L".cfg");
    return std::filesystem::path(exe).replace_extension(L".cfg");
}

std::optional<std::filesystem::path> TVxApplication::CommandLineFile() const
{
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments)
        return std::nullopt;
    std::optional<std::filesystem::path> result;
    if (count >= 2 && arguments[1][0]) {
        std::error_code error;
        const std::filesystem::path path(arguments[1]);
        if (std::filesystem::is_regular_file(path, error))
            result = path;
    }
    LocalFree(arguments);
    return result;
}

void TVxApplication::Run()
{
    LoadStateAndInitialize();
    StartModules();
    if (FMainForm)
        FMainForm->ShowMainWindow();
    MessageLoop();
    SaveStateFile();
}

namespace {

template <typename TVisit>
void ForEachModule(TVxApplication& application, TVisit visit)
{
    for (int i = 0; i < application.ComponentCount(); ++i) {
        if (auto* module = dynamic_cast<IVxModule*>(application.Component(i)))
            visit(*module);
    }
}

// A missing, unreadable or damaged state file leaves no reader, or a reader over what
// could be parsed; both are silent.
std::unique_ptr<TVxSDFReader> OpenStateFile(const std::filesystem::path& fileName)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(fileName, error))
        return nullptr;
    try {
        auto stream = std::make_unique<TVxFileStream>(fileName, TVxFileStream::TMode::Read);
        if (!stream->IsOpen())
            return nullptr;
        return std::make_unique<TVxSDFReader>(std::move(stream));
    } catch (const std::exception&) {
        return nullptr;
    }
}

}  // namespace

void TVxApplication::LoadStateAndInitialize()
{
    std::unique_ptr<TVxSDFReader> reader = OpenStateFile(StateFileName());
    ForEachModule(*this, [&](IVxModule& module) {
        if (reader)
            module.LoadState(*reader);
        module.Initialize();
    });
}

void TVxApplication::StartModules()
{
    ForEachModule(*this, [](IVxModule& module) { module.Started(); });
}

void TVxApplication::MessageLoop()
{
    MSG message;
    for (;;) {
        if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            Idle();
            WaitMessage();
            continue;
        }
        if (message.message == WM_QUIT)
            break;
        if (FAccelerators && MainWindow() && TranslateAcceleratorW(MainWindow(), FAccelerators, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void TVxApplication::SaveStateFile()
{
    TVxMemoryStream memory;
    TVxSDFWriter writer(&memory);
    ForEachModule(*this, [&](IVxModule& module) { module.SaveState(writer); });
    if (memory.Size() == 0)
        return;
    const std::filesystem::path fileName = StateFileName();
    std::error_code error;
    std::filesystem::create_directories(fileName.parent_path(), error);
    try {
        TVxFileStream file(fileName, TVxFileStream::TMode::Create);
        if (file.IsOpen()) {
            file.Write(memory.Bytes().data(), memory.Bytes().size());
            file.Flush();
        }
    } catch (const std::exception&) {
        // Not writable at exit: nothing is written and nothing is said.
    }
}

TVxForm::TVxForm(TVxComponent* owner) : TVxComponent(owner) {}

TVxForm::~TVxForm()
{
    Localizer().UnregisterListener(TVxMethod<>::Bind<&TVxForm::Localize>(this));
    if (Application)
        Application->RemoveIdleHandler(TVxMethod<>::Bind<&TVxForm::UpdateControls>(this));
}

bool TVxForm::CreateFormWindow(const wchar_t* className, const std::wstring& caption, DWORD style, int clientWidth, int clientHeight)
{
    RegisterWindowClass(className, CS_DBLCLKS, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    RECT frame{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&frame, style, TRUE, 0);
    HWND owner = nullptr;
    if (auto* ownerForm = dynamic_cast<TVxForm*>(Owner()))
        owner = ownerForm->Handle();
    return CreateHandle(0, className, caption, style, CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                        frame.bottom - frame.top, owner);
}

void TVxForm::Initialize()
{
    if (FInitialized)
        return;
    FInitialized = true;
    Localizer().RegisterListener(TVxMethod<>::Bind<&TVxForm::Localize>(this));
    Application->AddIdleHandler(TVxMethod<>::Bind<&TVxForm::UpdateControls>(this));
}

void TVxForm::Close()
{
    if (HandleAllocated())
        PostMessageW(Handle(), WM_CLOSE, 0, 0);
}

LRESULT TVxForm::WndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_VX_POSTEDCALL: Application->RunPostedCall(); return 0;
    case WM_CLOSE:
        // The main form stays alive until the state is saved; the loop ends instead.
        if (Application->MainForm() == this) {
            PostQuitMessage(0);
            return 0;
        }
        break;
    }
    return TVxWindow::WndProc(message, wParam, lParam);
}

TVxFrame::TVxFrame(TVxComponent* owner, HWND parent) : TVxComponent(owner)
{
    RegisterWindowClass(L"TVxFrame", CS_DBLCLKS, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    CreateHandle(WS_EX_CONTROLPARENT, L"TVxFrame", L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0, 0, parent);
}

TVxFrame::~TVxFrame()
{
    Localizer().UnregisterListener(TVxMethod<>::Bind<&TVxFrame::Localize>(this));
    if (Application)
        Application->RemoveIdleHandler(TVxMethod<>::Bind<&TVxFrame::UpdateControls>(this));
}

void TVxFrame::Initialize()
{
    if (FInitialized)
        return;
    FInitialized = true;
    FControlsEnabled = true;
    Localizer().RegisterListener(TVxMethod<>::Bind<&TVxFrame::Localize>(this));
    Application->AddIdleHandler(TVxMethod<>::Bind<&TVxFrame::UpdateControls>(this));
}

namespace {

BOOL CALLBACK EnableChild(HWND child, LPARAM enable)
{
    EnableWindow(child, static_cast<BOOL>(enable));
    return TRUE;
}

}  // namespace

void TVxFrame::SetControlsEnabled(bool value)
{
    if (value == FControlsEnabled)
        return;
    // EnumChildWindows walks every descendant, depth first.
    EnumChildWindows(Handle(), EnableChild, value ? TRUE : FALSE);
    FControlsEnabled = value;
}
