#pragma once
// Where the help file is and how it is shown.
//
//   TVxHelpFileChoice help = FindHelpFile(setting, exe, language, FileExists);
//   if (help.HtmlHelp) ... HtmlHelp(window, help.Path, ...) ... else WinHelp(...)
#include <filesystem>
#include <functional>
#include <string>

struct TVxHelpFileChoice {
    std::filesystem::path Path;  // empty: no help file
    bool HtmlHelp = false;
};

// The setting when it is set; otherwise the program's path with ".chm" (first the
// language's own, "Velloria.Russian.chm", when a language is given and it exists), or
// with ".hlp" when no ".chm" exists; empty when none exists.
TVxHelpFileChoice FindHelpFile(const std::filesystem::path& setting, const std::filesystem::path& exeName,
                               const std::wstring& languageName, const std::function<bool(const std::filesystem::path&)>& exists);

// ".chm" in any case.
bool IsHtmlHelpFile(const std::filesystem::path& path);

// A registered path that starts with %SystemRoot% (the name in any case) gets the Windows
// folder in its place; anything else is returned as it is.
std::wstring ExpandSystemRoot(const std::wstring& path, const std::wstring& windowsFolder);
