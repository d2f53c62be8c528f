#pragma once
// A user command under one name: its caption (a localizer string), picture, shortcut,
// handler and enabled, checked and visible states. Menu items and toolbar buttons bind to
// it and show what it says, so no caption or enabling rule is written twice. Every
// command is registered in the main form's table, where lessons find commands by name.
//
//   FZoomIn = &MainForm->Commands.Add(L"ZOOMIN", {98, L"Zoom In"}, 10, {VK_ADD, FCONTROL},
//                                     TVxMethod<>::Bind<&TVxGraphicsEditor::ZoomInCommand>(this));
//   MainForm->AddMenuItem(*FZoomIn, before, MainForm->ViewMenuItem);
//   MainForm->AddToolbarItem(*FZoomIn, toolbar);
//   FZoomIn->SetEnabled(ActiveDocument() != nullptr);     // in UpdateControls
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/VxMenuItem.h"
#include "app/VxToolbar.h"
#include "settings/VxMethodList.h"

// A caption as its localizer number with the text shown when no language file has it.
struct TVxCaption {
    std::int32_t Id = 0;
    const wchar_t* Fallback = L"";
};

class TVxCommand {
public:
    TVxCommand(std::wstring name, const TVxCaption& caption, int imageIndex, const TVxShortCut& shortCut, const TVxMethod<>& onExecute);
    TVxCommand(const TVxCommand&) = delete;
    TVxCommand& operator=(const TVxCommand&) = delete;

    const std::wstring& Name() const { return FName; }
    // The localized caption; menu items of commands that open a dialog add "...".
    std::wstring Caption() const;
    int ImageIndex() const { return FImageIndex; }
    const TVxShortCut& ShortCut() const { return FShortCut; }
    // A menu item that opens a dialog ends in "...".
    bool OpensDialog = false;

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    bool Checked() const { return FChecked; }
    void SetChecked(bool value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool value);
    void Execute();

    void Bind(TVxMenuItem& item);
    void Bind(TVxToolbarItem& item);
    // The toolbar buttons bound to it, where a lesson points at the command.
    const std::vector<TVxToolbarItem*>& Buttons() const { return FButtons; }
    // Re-reads the caption into every bound item.
    void Localize();

private:
    void MenuClick(TVxMenuItem*) { Execute(); }
    void ButtonClick(TVxToolbarItem*) { Execute(); }
    void ApplyCaption(TVxMenuItem& item) const;
    void ApplyCaption(TVxToolbarItem& item) const;

    std::wstring FName;
    TVxCaption FCaption;
    int FImageIndex;
    TVxShortCut FShortCut;
    TVxMethod<> FOnExecute;
    bool FEnabled = true;
    bool FChecked = false;
    bool FVisible = true;
    std::vector<TVxMenuItem*> FMenuItems;
    std::vector<TVxToolbarItem*> FButtons;
};

// The program's commands by name; names are upper-case words (ZOOMIN, UNDO).
class TVxCommandList {
public:
    TVxCommand& Add(std::wstring name, const TVxCaption& caption, int imageIndex, const TVxShortCut& shortCut,
                    const TVxMethod<>& onExecute);
    // Null when no command has the name; case does not matter.
    TVxCommand* Find(const std::wstring& name) const;
    int Count() const { return static_cast<int>(FCommands.size()); }
    TVxCommand& Item(int index) const { return *FCommands[static_cast<std::size_t>(index)]; }
    void Localize();

private:
    std::vector<std::unique_ptr<TVxCommand>> FCommands;
};
