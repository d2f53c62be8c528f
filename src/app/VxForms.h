#pragma once
// The application object, the component tree it owns, and the form and frame bases.
//
//   Application->CreateModule<TVxAbout>(About);     // About is set before the constructor runs
//   Application->AddIdleHandler(TVxMethod<>::Bind<&TVxAbout::UpdateControls>(this));
//   Application->PostCall(TVxMethod<void*>::Bind<&TMainForm::RefreshToolbarItems>(this), nullptr);
#include <windows.h>

#include <deque>
#include <filesystem>
#include <memory>
#include <new>
#include <optional>
#include <type_traits>
#include <string>
#include <vector>

#include "app/VxWindow.h"
#include "settings/VxMethodList.h"
#include "settings/VxSDF.h"

// The private message that runs one posted call.
constexpr UINT WM_VX_POSTEDCALL = WM_USER + 100;

// The contract of everything the start-up pass visits.
class IVxModule {
public:
    static constexpr TVxGuid Identifier{0x8E85B1DA, 0x44F0, 0x4B60, {0xB4, 0x5D, 0x21, 0xD0, 0xEB, 0xC0, 0x5E, 0x33}};
    virtual void Initialize() = 0;
    virtual void LoadState(TVxSDFReader& reader) = 0;
    virtual void SaveState(TVxSDFWriter& writer) = 0;
    virtual void Started() = 0;

protected:
    ~IVxModule() = default;
};

// A node of the ownership tree: every component is owned by its owner's list and freed
// with it, last created first.
class TVxComponent {
public:
    explicit TVxComponent(TVxComponent* owner) : FOwner(owner) {}
    TVxComponent(const TVxComponent&) = delete;
    TVxComponent& operator=(const TVxComponent&) = delete;
    virtual ~TVxComponent();

    TVxComponent* Owner() const { return FOwner; }
    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    TVxComponent* Component(int index) const { return FComponents[static_cast<std::size_t>(index)].get(); }

    // Takes ownership of a component constructed with this as owner.
    template <typename T>
    T& InsertComponent(std::unique_ptr<T> component)
    {
        T& result = *component;
        FComponents.push_back(std::move(component));
        return result;
    }

protected:
    // Frees the owned components, last created first.
    void DestroyComponents();

private:
    TVxComponent* FOwner;
    std::vector<std::unique_ptr<TVxComponent>> FComponents;
};

class TVxForm;

class TVxApplication : public TVxComponent {
public:
    using TIdleHandler = TVxMethod<>;
    using TPostedMethod = TVxMethod<void*>;

    TVxApplication();
    ~TVxApplication() override;

    void Initialize();
    void SetTitle(const std::wstring& title);
    const std::wstring& Title() const { return FTitle; }
    TVxMethod<TVxApplication*> OnTitleChanged;

    // Allocates T, stores it in reference, then constructs it with the application as
    // owner, so the constructor chain can already reach it through the reference. A
    // failing constructor clears the reference and the exception goes on.
    template <typename T, typename... Args>
    T& CreateModule(T*& reference, Args&&... args)
    {
        void* memory = ::operator new(sizeof(T));
        reference = static_cast<T*>(memory);
        T* object = nullptr;
        try {
            object = ::new (memory) T(this, std::forward<Args>(args)...);
        } catch (...) {
            reference = nullptr;
            ::operator delete(memory);
            throw;
        }
        return InsertComponent(std::unique_ptr<T>(object));
    }
    template <typename T, typename... Args>
    T& CreateModule(Args&&... args)
    {
        T* reference = nullptr;
        return CreateModule<T>(reference, std::forward<Args>(args)...);
    }
    // As CreateModule; the first form created becomes the main window.
    template <typename T, typename... Args>
    T& CreateForm(T*& reference, Args&&... args)
    {
        T& form = CreateModule<T>(reference, std::forward<Args>(args)...);
        FormCreated(&form);
        return form;
    }

    int AddIdleHandler(const TIdleHandler& handler) { return FIdleHandlers.Add(handler); }
    int RemoveIdleHandler(const TIdleHandler& handler) { return FIdleHandlers.Remove(handler); }
    void PostCall(const TPostedMethod& method, void* data);
    // Runs the first posted call; the main window does this for each WM_VX_POSTEDCALL.
    void RunPostedCall();
    int PostedCallCount() const { return static_cast<int>(FPostedCalls.size()); }
    // How many posted-call messages have been handled so far (a test probe reads it).
    int PostedCallMessages() const { return FPostedCallMessages; }

    int ShowMessageBox(const std::wstring& text, const std::wstring& caption, UINT flags);
    int ShowMessageBox(const std::wstring& text, UINT flags) { return ShowMessageBox(text, FTitle, flags); }

    void Run();
    // Calls every idle handler in registration order.
    void Idle();

    // What the process returns when the message loop ends (the plug-in reads it).
    int ExitCode() const { return FExitCode; }
    void SetExitCode(int code) { FExitCode = code; }

    HWND MainWindow() const;
    TVxForm* MainForm() const { return FMainForm; }
    void SetAccelerators(HACCEL accelerators) { FAccelerators = accelerators; }

    std::filesystem::path ExeName() const;
    std::filesystem::path StateFileName() const;
    // The only argument of the command line, when it names an existing file.
    std::optional<std::filesystem::path> CommandLineFile() const;

private:
    struct TPostedCall {
        TPostedMethod Method;
        void* Data;
    };

    void FormCreated(TVxComponent* component);
    void LoadStateAndInitialize();
    void SaveStateFile();
    void StartModules();
    void MessageLoop();

    std::wstring FTitle;
    TVxMethodList<> FIdleHandlers;
    std::deque<TPostedCall> FPostedCalls;
    int FPostedCallMessages = 0;
    TVxForm* FMainForm = nullptr;
    HACCEL FAccelerators = nullptr;
    int FExitCode = 0;
};

// The one application object; set while it exists.
extern TVxApplication* Application;

// Top-level window with the module contract. Forms owned by the application are
// initialized by the start-up pass, others by CreateOwned right after construction.
class TVxForm : public TVxComponent, public TVxWindow, public IVxModule {
public:
    explicit TVxForm(TVxComponent* owner);
    ~TVxForm() override;

    virtual void Localize() {}
    virtual void UpdateControls() {}
    void LoadState(TVxSDFReader&) override {}
    void SaveState(TVxSDFWriter&) override {}
    void Started() override {}
    void Initialize() override;

    // Called once per idle after every idle handler ran, for the main form only.
    virtual void IdleFinished() {}
    // Shows the main window when the message loop starts.
    virtual void ShowMainWindow() { ShowWindow(Handle(), SW_SHOWDEFAULT); }
    void Close();

protected:
    bool CreateFormWindow(const wchar_t* className, const std::wstring& caption, DWORD style, int clientWidth, int clientHeight);
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    bool FInitialized = false;
};

// A child window grouping controls, with the module contract.
class TVxFrame : public TVxComponent, public TVxWindow, public IVxModule {
public:
    TVxFrame(TVxComponent* owner, HWND parent);
    ~TVxFrame() override;

    virtual void Localize() {}
    virtual void UpdateControls() {}
    void LoadState(TVxSDFReader&) override {}
    void SaveState(TVxSDFWriter&) override {}
    void Started() override {}
    void Initialize() override;

    bool ControlsEnabled() const { return FControlsEnabled; }
    // Enables or disables every windowed descendant.
    void SetControlsEnabled(bool value);

private:
    bool FControlsEnabled = false;
    bool FInitialized = false;
};

// Creates a component owned by owner; a form or frame not owned by the application
// initializes itself at once.
template <typename T, typename... Args>
T& CreateOwned(TVxComponent& owner, Args&&... args)
{
    T& component = owner.InsertComponent(std::make_unique<T>(&owner, std::forward<Args>(args)...));
    if (&owner != Application) {
        if constexpr (std::is_base_of_v<TVxForm, T> || std::is_base_of_v<TVxFrame, T>)
            component.Initialize();
    }
    return component;
}
