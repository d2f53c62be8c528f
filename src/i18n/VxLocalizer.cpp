#include "i18n/VxLocalizer.h"

#include <algorithm>
#include <system_error>

#include "i18n/VxCodePage.h"
#include "i18n/VxLanguageFile.h"
#include "i18n/VxLocale.h"

namespace {

// Chosen when the user's own language has no file.
constexpr std::uint16_t PreferredFallbackLanguage = 1049;

bool IsIniFile(const std::filesystem::directory_entry& entry)
{
    std::error_code error;
    if (entry.is_directory(error))
        return false;
    return SameTextAscii(entry.path().extension().string(), ".ini");
}

}  // namespace

void TVxLocalStringList::Add(std::int32_t id, std::string text)
{
    const auto existing = std::find_if(FItems.begin(), FItems.end(), [id](const TVxLocalString& s) { return s.Id == id; });
    if (existing != FItems.end()) {
        existing->Text = std::move(text);
        return;
    }
    FItems.push_back({id, std::move(text)});
    FSorted = false;
}

void TVxLocalStringList::Assign(std::vector<TVxLocalString> strings)
{
    std::stable_sort(strings.begin(), strings.end(), [](const TVxLocalString& a, const TVxLocalString& b) { return a.Id < b.Id; });
    FItems.clear();
    for (TVxLocalString& string : strings) {
        if (!FItems.empty() && FItems.back().Id == string.Id)
            FItems.back().Text = std::move(string.Text);
        else
            FItems.push_back(std::move(string));
    }
    FSorted = true;
}

void TVxLocalStringList::Sort()
{
    std::stable_sort(FItems.begin(), FItems.end(), [](const TVxLocalString& a, const TVxLocalString& b) { return a.Id < b.Id; });
    FSorted = true;
}

void TVxLocalStringList::Clear()
{
    FItems.clear();
    FSorted = false;
}

const std::string* TVxLocalStringList::Find(std::int32_t id) const
{
    if (FSorted) {
        const auto it = std::lower_bound(FItems.begin(), FItems.end(), id, [](const TVxLocalString& s, std::int32_t key) { return s.Id < key; });
        return (it != FItems.end() && it->Id == id) ? &it->Text : nullptr;
    }
    const auto it = std::find_if(FItems.begin(), FItems.end(), [id](const TVxLocalString& s) { return s.Id == id; });
    return it != FItems.end() ? &it->Text : nullptr;
}

void LoadStrings(const std::filesystem::path& fileName, TVxLocalStringList& strings)
{
    strings.Clear();
    const TVxLanguageFile file = TVxLanguageFile::FromFile(fileName);
    std::vector<TVxLocalString> found;
    for (const TVxIniLine& line : file.SectionLines("Strings")) {
        std::int32_t id = 0;
        if (line.HasValue && ParseDecimal(line.Key, id))
            found.push_back({id, line.Value});
    }
    strings.Assign(std::move(found));
}

void TVxLocalizer::Load(const std::filesystem::path& folder, std::uint16_t userLanguage)
{
    FLanguages.clear();
    FDefaultStrings.Clear();
    FCurrentStrings.Clear();
    ScanFolder(folder);
    FDefaultLanguageId = 0;
    if (const TVxLanguage* chosen = ChooseDefault(userLanguage)) {
        LoadStrings(chosen->FileName, FDefaultStrings);
        FDefaultLanguageId = chosen->LanguageId;
    }
    FCurrentLanguageId = FDefaultLanguageId;
}

// Files are taken in name order so that the Language menu is the same on every file system.
void TVxLocalizer::ScanFolder(const std::filesystem::path& folder)
{
    std::error_code error;
    std::vector<std::filesystem::path> files;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (IsIniFile(*it))
            files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    for (const std::filesystem::path& path : files) {
        const TVxLanguageFile file = TVxLanguageFile::FromFile(path);
        const std::int32_t id = file.ReadInteger("Language", "LangId", 0);
        if (id <= 0 || id > 0xFFFF)
            continue;
        FLanguages.push_back({Utf8ToWide(file.ReadValue("Language", "Language").value_or("")), static_cast<std::uint16_t>(id), path});
    }
}

const TVxLanguage* TVxLocalizer::ChooseDefault(std::uint16_t userLanguage) const
{
    if (const TVxLanguage* own = FindLanguage(userLanguage))
        return own;
    if (const TVxLanguage* preferred = FindLanguage(PreferredFallbackLanguage))
        return preferred;
    return FLanguages.empty() ? nullptr : &FLanguages.front();
}

const TVxLanguage* TVxLocalizer::FindLanguage(std::uint16_t id) const
{
    const auto it = std::find_if(FLanguages.begin(), FLanguages.end(), [id](const TVxLanguage& l) { return l.LanguageId == id; });
    return it != FLanguages.end() ? &*it : nullptr;
}

std::wstring TVxLocalizer::GetString(std::int32_t id, const std::wstring& fallback) const
{
    if (const std::string* text = FCurrentStrings.Find(id))
        return Utf8ToWide(*text);
    if (const std::string* text = FDefaultStrings.Find(id))
        return Utf8ToWide(*text);
    return fallback;
}

void TVxLocalizer::SetLanguage(std::uint16_t id)
{
    SetThreadLanguage(id);
    SwitchLanguage(id);
}

void TVxLocalizer::SwitchLanguage(std::uint16_t id)
{
    const TVxLanguage* language = FindLanguage(id);
    if (!language)
        return;
    FCurrentLanguageId = id;
    if (id == FDefaultLanguageId)
        FCurrentStrings.Clear();
    else
        LoadStrings(language->FileName, FCurrentStrings);
    NotifyListeners();
}

std::wstring TVxLocalizer::LanguageName(std::uint16_t id) const
{
    const TVxLanguage* language = FindLanguage(id);
    return language ? language->Name : std::wstring();
}

void TVxLocalizer::RegisterListener(const TListener& listener)
{
    listener();
    FListeners.Add(listener);
}

void TVxLocalizer::UnregisterListener(const TListener& listener)
{
    FListeners.Remove(listener);
}

// A listener may register or unregister others while it runs: walk a copy.
void TVxLocalizer::NotifyListeners()
{
    const TVxMethodList<> listeners = FListeners;
    for (int i = 0; i < listeners.Count(); ++i)
        listeners.Get(i)();
}

TVxLocalizer& Localizer()
{
    static TVxLocalizer localizer;
    return localizer;
}

std::filesystem::path FindLanguagesFolder(const std::filesystem::path& programFolder)
{
    std::error_code error;
    const std::filesystem::path own = programFolder / "Languages";
    if (std::filesystem::is_directory(own, error))
        return own;
    return (programFolder / ".." / "Translations" / "Languages").lexically_normal();
}

std::wstring FormatLocalized(const std::wstring& pattern, const std::wstring& argument)
{
    std::wstring result;
    result.reserve(pattern.size() + argument.size());
    bool inserted = false;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == L'%' && i + 1 < pattern.size()) {
            if (pattern[i + 1] == L'%') {
                result += L'%';
                ++i;
                continue;
            }
            if (pattern[i + 1] == L's' && !inserted) {
                result += argument;
                inserted = true;
                ++i;
                continue;
            }
        }
        result += pattern[i];
    }
    return result;
}
