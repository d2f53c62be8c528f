#pragma once
// Numbered user-interface strings looked up at run time from the language files in the
// languages folder, with a default language as fallback and listeners that re-caption
// the user interface after a switch.
//
//   Localizer().RegisterListener(TVxMethod<>::Bind<&TMainForm::Localize>(this));
//   FileMenuItem.SetCaption(Localizer().GetString(10, L"File"));
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "settings/VxMethodList.h"

struct TVxLocalString {
    std::int32_t Id = 0;
    std::string Text;  // UTF-8
};

class TVxLocalStringList {
public:
    // An existing id has its text replaced; a new one is appended and the list becomes unsorted.
    void Add(std::int32_t id, std::string text);
    // Replaces the list with many strings at once, as adding them one by one and sorting
    // would (of equal ids the last text wins), without a search per string: a language
    // file is outside data and may be long.
    void Assign(std::vector<TVxLocalString> strings);
    void Sort();
    void Clear();
    // Binary search while sorted, a linear one otherwise.
    const std::string* Find(std::int32_t id) const;

    int Count() const { return static_cast<int>(FItems.size()); }
    bool Sorted() const { return FSorted; }

private:
    std::vector<TVxLocalString> FItems;
    bool FSorted = false;
};

struct TVxLanguage {
    std::wstring Name;             // as the language calls itself
    std::uint16_t LanguageId = 0;  // Windows language identifier
    std::filesystem::path FileName;
};

class TVxLocalizer {
public:
    using TListener = TVxMethod<>;

    // Scans folder for "*.ini" language files and chooses the default language for a
    // user whose regional setting is userLanguage. Replaces what an earlier Load found.
    void Load(const std::filesystem::path& folder, std::uint16_t userLanguage);

    std::wstring GetString(std::int32_t id, const std::wstring& fallback = {}) const;

    // Sets the thread locale, then switches.
    void SetLanguage(std::uint16_t id);
    // The switch alone: unknown ids do nothing; listeners run in registration order.
    void SwitchLanguage(std::uint16_t id);

    std::uint16_t CurrentLanguageId() const { return FCurrentLanguageId; }
    std::uint16_t DefaultLanguageId() const { return FDefaultLanguageId; }
    const std::vector<TVxLanguage>& Languages() const { return FLanguages; }
    std::wstring LanguageName(std::uint16_t id) const;
    const TVxLocalStringList& CurrentStrings() const { return FCurrentStrings; }
    const TVxLocalStringList& DefaultStrings() const { return FDefaultStrings; }

    // Calls the listener once at once, then keeps it.
    void RegisterListener(const TListener& listener);
    void UnregisterListener(const TListener& listener);

private:
    const TVxLanguage* FindLanguage(std::uint16_t id) const;
    void ScanFolder(const std::filesystem::path& folder);
    const TVxLanguage* ChooseDefault(std::uint16_t userLanguage) const;
    void NotifyListeners();

    std::uint16_t FDefaultLanguageId = 0;
    std::uint16_t FCurrentLanguageId = 0;
    std::vector<TVxLanguage> FLanguages;
    TVxLocalStringList FDefaultStrings;
    TVxLocalStringList FCurrentStrings;  // empty while current = default
    TVxMethodList<> FListeners;
};

// The one localizer of the program; it exists (empty) before anything asks for it.
TVxLocalizer& Localizer();

// "Languages" in the program folder if it exists, else "..\Translations\Languages".
std::filesystem::path FindLanguagesFolder(const std::filesystem::path& programFolder);

// Loads the "Strings" section of a language file: decimal keys only, then sorted.
void LoadStrings(const std::filesystem::path& fileName, TVxLocalStringList& strings);

// Fills the one wide-string argument of a localized pattern: the first "%s" is replaced,
// "%%" becomes "%". A pattern without "%s" gets nothing inserted.
std::wstring FormatLocalized(const std::wstring& pattern, const std::wstring& argument);
