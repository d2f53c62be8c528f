#pragma once
// The tool panel: a dockable panel on the right holding the tools' buttons in a wrapping
// toolbar and, below them, the active tool's option page. The View menu shows and hides
// it; its place is kept in the state file as one 47-byte record.
//
//   ToolPanel->Toolbar->Insert(...);            // a tool's button
//   TMyPage& page = ToolPanel->CreateToolPage<TMyPage>(FPage);
#include <memory>
#include <vector>

#include "app/VxForms.h"
#include "app/VxMainForm.h"
#include "app/VxModule.h"
#include "view/VxToolPanelState.h"

class TVxToolFrame : public TVxFrame {
public:
    TVxToolFrame(TVxComponent* owner, HWND parent, TVxImageList& images);
    ~TVxToolFrame() override;

    TVxToolbar& Toolbar() const { return *FToolbar; }
    // The frame is as high as its toolbar's rows plus a small margin.
    void ToolbarResize(int width);

private:
    std::unique_ptr<TVxToolbar> FToolbar;
    int FLaidOutWidth = -1;
    int FLaidOutCount = -1;
};

class TVxToolPanelModule : public TVxModuleWithControls {
public:
    static constexpr TVxGuid StateIdentifier{0x9FC124C8, 0x2014, 0x4832, {0x88, 0x78, 0x34, 0x89, 0x53, 0x8D, 0x62, 0x3F}};

    TVxToolPanelModule(TVxComponent* owner, TMainForm& form);
    ~TVxToolPanelModule() override;

    void Localize() override;
    void UpdateControls() override;
    // The tools have put their buttons in by now: the panel takes its room before the
    // editor opens the first picture and fits it.
    void Initialize() override;
    void LoadState(TVxSDFReader& reader) override;
    void SaveState(TVxSDFWriter& writer) override;

    void ToggleVisible(TVxMenuItem* sender);
    // The user's choice, kept in the state file; the panel shows only while it also has
    // a button or a page to show.
    bool IsVisible() const;
    void SetVisible(bool value);
    bool HasContent() const;
    void SetPanelWidth(int value);
    void SetWrap();
    // A tool's option page below the buttons, owned by this module.
    template <typename TFrame, typename... Args>
    TFrame& CreateToolPage(TFrame*& reference, Args&&... args)
    {
        reference = nullptr;
        TFrame& frame = CreateOwned<TFrame>(*this, Panel->Handle(), std::forward<Args>(args)...);
        reference = &frame;
        FPages.push_back(&frame);
        return frame;
    }

    TVxDockablePanel* Panel = nullptr;
    TVxToolFrame* ToolFrame = nullptr;
    TVxToolbar* Toolbar = nullptr;
    TVxMenuItem* VisibleMenuItem = nullptr;

private:
    void Arrange();
    void ShowWhenFilled();

    std::vector<TVxFrame*> FPages;
    bool FWanted = true;
    int FMinimumWidth = 0;
};

extern TVxToolPanelModule* ToolPanel;
