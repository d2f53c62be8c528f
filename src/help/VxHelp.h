#pragma once
// The Help menu's help topics and the update check.
//
//   Application->CreateModule(Help, *MainForm);   // fills the Help menu
//   Help->ShowTopic(20);                          // Getting Started
#include <atomic>
#include <filesystem>
#include <string>
#include <thread>

#include "app/VxCommand.h"
#include "app/VxMainForm.h"
#include "app/VxModule.h"
#include "help/VxHtmlHelp.h"
#include "help/VxInetUpdater.h"
#include "help/VxProductInfo.h"

class TVxHelp : public TVxModuleWithControls {
public:
    static constexpr TVxGuid StateIdentifier{0x3C1F8E52, 0x9A47, 0x4D2B, {0x8F, 0x61, 0x0E, 0x7D, 0x25, 0xB9, 0x44, 0xA3}};
    // Help topics the menu opens; the help file maps them (its [MAP] section).
    static constexpr int ContentsContext = 0;
    static constexpr int GettingStartedContext = 20;
    static constexpr int TechnicalSupportContext = 30;

    TVxHelp(TVxComponent* owner, TMainForm& form);
    ~TVxHelp() override;

    // Fields the program root sets at start-up.
    TVxUpdateProduct Product{VxProductName, VxProductVersionText, "English", "Shareware"};
    std::wstring ProductPage = L"https://velloria.example/download/";
    std::wstring UpdateAddress = L"https://velloria.example/update.ini";
    TVxUpdateLimits UpdateLimits;

    TVxMenuItem* ContentsMenuItem = nullptr;
    TVxMenuItem* GettingStartedMenuItem = nullptr;
    TVxMenuItem* TechnicalSupportMenuItem = nullptr;
    TVxMenuItem* UpdateMenuItem = nullptr;

    const std::filesystem::path& HelpFile() const { return FHelpFile; }
    bool HtmlHelp() const { return FHtmlHelp; }
    bool Checking() const { return FChecking; }
    // Opens the topic; says so when the help control cannot be loaded.
    void ShowTopic(int context);
    void CheckForUpdates();

    void Localize() override;
    void UpdateControls() override;
    void LoadState(TVxSDFReader& reader) override;
    void SaveState(TVxSDFWriter& writer) override;

private:
    void FindHelpFileNow();
    void ContentsCommand() { ShowTopic(ContentsContext); }
    void GettingStartedCommand() { ShowTopic(GettingStartedContext); }
    void TechnicalSupportCommand() { ShowTopic(TechnicalSupportContext); }
    void UpdateFinished();

    TVxCommand* FContents;
    TVxCommand* FGettingStarted;
    TVxCommand* FTechnicalSupport;
    TVxCommand* FUpdate;
    std::filesystem::path FHelpFileSetting;
    std::filesystem::path FHelpFile;
    bool FHtmlHelp = false;
    TVxHtmlHelp FHtmlHelpControl;
    // The check's thread writes FFoundVersion, then sets FCheckDone; the idle pass reads
    // them after it sees the flag.
    std::thread FCheck;
    std::string FFoundVersion;
    std::atomic<bool> FCheckDone{false};
    bool FChecking = false;
};

extern TVxHelp* Help;
