#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <set>
#include <sstream>

#include "i18n/VxCodePage.h"
#include "i18n/VxLanguageFile.h"
#include "i18n/VxLocalizer.h"
#include "support/VxTempFolder.h"

namespace {

namespace fs = std::filesystem;

// A languages folder of its own per test, removed afterwards.
class TLanguagesFolder : public TTempFolder {
public:
    TLanguagesFolder() : TTempFolder("vx-localizer") {}
    void Write(const std::string& name, const std::string& bytes) const { File(name, bytes); }
    // A language file with the given strings, each "id=text".
    void WriteLanguage(const std::string& name, int langId, const std::string& languageName, const std::vector<std::string>& strings) const
    {
        std::string text = "[Language]\r\nLangId=" + std::to_string(langId) + "\r\nLanguage=" + languageName + "\r\n[Strings]\r\n";
        for (const std::string& line : strings)
            text += line + "\r\n";
        Write(name, text);
    }
};

class TListenerProbe {
public:
    void Changed() { ++Calls; }
    int Calls = 0;
};

TEST(VxLocalStringListTest, AddReplacesAndSortedLookupFindsEverything)
{
    TVxLocalStringList list;
    for (int id : {50, 10, 40, 20, 30})
        list.Add(id, "s" + std::to_string(id));
    EXPECT_FALSE(list.Sorted());
    ASSERT_NE(list.Find(40), nullptr);  // linear while unsorted
    EXPECT_EQ(*list.Find(40), "s40");
    list.Sort();
    EXPECT_TRUE(list.Sorted());
    for (int id : {10, 20, 30, 40, 50}) {
        SCOPED_TRACE(id);
        ASSERT_NE(list.Find(id), nullptr);
        EXPECT_EQ(*list.Find(id), "s" + std::to_string(id));
    }
    EXPECT_EQ(list.Find(35), nullptr);
    list.Add(30, "again");
    EXPECT_TRUE(list.Sorted());  // replacing keeps the order
    EXPECT_EQ(*list.Find(30), "again");
    EXPECT_EQ(list.Count(), 5);
    list.Add(5, "new");
    EXPECT_FALSE(list.Sorted());
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_FALSE(list.Sorted());
}

// Many ids, most of them repeated, in no order: taking them at once gives what adding
// them one by one and sorting gives.
TEST(VxLocalStringListTest, AssignGivesWhatAddingOneByOneAndSortingGives)
{
    std::vector<TVxLocalString> strings;
    std::uint32_t seed = 7;
    for (int i = 0; i < 2000; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const auto id = static_cast<std::int32_t>(seed >> 22) - 512;  // -512 ... 511
        strings.push_back({id, "text " + std::to_string(i)});
    }
    TVxLocalStringList added;
    for (const TVxLocalString& string : strings)
        added.Add(string.Id, string.Text);
    added.Sort();
    TVxLocalStringList assigned;
    assigned.Add(9999, "dropped by Assign");
    assigned.Assign(strings);
    EXPECT_TRUE(assigned.Sorted());
    ASSERT_EQ(assigned.Count(), added.Count());
    EXPECT_EQ(assigned.Find(9999), nullptr);
    for (std::int32_t id = -512; id < 512; ++id) {
        const std::string* expected = added.Find(id);
        const std::string* actual = assigned.Find(id);
        ASSERT_EQ(actual == nullptr, expected == nullptr) << "id " << id;
        if (expected) {
            EXPECT_EQ(*actual, *expected) << "id " << id;
        }
    }
}

TEST(VxLocalizerTest, SecondOfTwoEqualNumbersWinsAndBadKeysAreIgnored)
{
    TLanguagesFolder folder;
    folder.WriteLanguage("English.ini", 1033, "English", {"10=First", "10=Second", "12a=Bad", "+11=Plus", "-2=Minus", "no equals sign", "=empty key", "13=", "\x01\x02garbage=\xFF"});
    TVxLocalizer localizer;
    localizer.Load(folder.Path(), 1033);
    EXPECT_EQ(localizer.GetString(10), L"Second");
    EXPECT_EQ(localizer.GetString(12, L"fallback"), L"fallback");
    EXPECT_EQ(localizer.GetString(11), L"Plus");
    EXPECT_EQ(localizer.GetString(-2), L"Minus");
    EXPECT_EQ(localizer.GetString(13, L"fallback"), L"");
    EXPECT_EQ(localizer.DefaultStrings().Count(), 4);
    EXPECT_TRUE(localizer.DefaultStrings().Sorted());
}

TEST(VxLocalizerTest, DefaultLanguageChoice)
{
    struct TCase {
        const char* Name;
        std::vector<std::pair<std::string, int>> Files;
        std::uint16_t UserLanguage;
        std::uint16_t Expected;
    };
    const TCase cases[] = {
        {"user language has a file", {{"a.ini", 1033}, {"b.ini", 1049}}, 1033, 1033},
        {"otherwise 1049", {{"a.ini", 1033}, {"b.ini", 1049}}, 1036, 1049},
        {"otherwise the first found", {{"b.ini", 1031}, {"a.ini", 1033}}, 1036, 1033},
        {"files with LangId 0 are ignored", {{"a.ini", 0}, {"b.ini", 1031}}, 1036, 1031},
        {"no files", {}, 1033, 0},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TLanguagesFolder folder;
        for (const auto& [name, id] : c.Files)
            folder.WriteLanguage(name, id, "L" + std::to_string(id), {"1=text of " + std::to_string(id)});
        TVxLocalizer localizer;
        localizer.Load(folder.Path(), c.UserLanguage);
        EXPECT_EQ(localizer.DefaultLanguageId(), c.Expected);
        EXPECT_EQ(localizer.CurrentLanguageId(), c.Expected);
        const std::wstring expectedText = c.Expected ? Utf8ToWide("text of " + std::to_string(c.Expected)) : L"none";
        EXPECT_EQ(localizer.GetString(1, L"none"), expectedText);
    }
}

TEST(VxLocalizerTest, LanguagesAreListedInNameOrderWithTheirOwnNames)
{
    TLanguagesFolder folder;
    folder.WriteLanguage("Russian.ini", 1049, "\xD0\xA0\xD1\x83\xD1\x81\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9", {});
    folder.WriteLanguage("English.ini", 1033, "English", {});
    folder.Write("readme.txt", "[Language]\nLangId=1031\n");
    fs::create_directories(folder.Path() / "folder.ini");
    TVxLocalizer localizer;
    localizer.Load(folder.Path(), 1033);
    ASSERT_EQ(localizer.Languages().size(), 2u);
    EXPECT_EQ(localizer.Languages()[0].LanguageId, 1033);
    EXPECT_EQ(localizer.Languages()[1].LanguageId, 1049);
    EXPECT_EQ(localizer.LanguageName(1049), L"\x0420\x0443\x0441\x0441\x043A\x0438\x0439");
    EXPECT_EQ(localizer.LanguageName(1036), L"");
}

TEST(VxLocalizerTest, SwitchingToTheDefaultEmptiesTheCurrentStrings)
{
    TLanguagesFolder folder;
    folder.WriteLanguage("English.ini", 1033, "English", {"1=One", "2=Two"});
    folder.WriteLanguage("Russian.ini", 1049, "Russian", {"1=Odin"});
    TVxLocalizer localizer;
    localizer.Load(folder.Path(), 1033);
    localizer.SwitchLanguage(1049);
    EXPECT_EQ(localizer.CurrentLanguageId(), 1049);
    EXPECT_EQ(localizer.CurrentStrings().Count(), 1);
    EXPECT_EQ(localizer.GetString(1), L"Odin");
    EXPECT_EQ(localizer.GetString(2), L"Two");  // missing in the current language: the default serves
    localizer.SwitchLanguage(1033);
    EXPECT_EQ(localizer.CurrentStrings().Count(), 0);
    EXPECT_EQ(localizer.GetString(1), L"One");
}

TEST(VxLocalizerTest, SwitchingReloadsTheFileEveryTime)
{
    TLanguagesFolder folder;
    folder.WriteLanguage("English.ini", 1033, "English", {"1=One"});
    folder.WriteLanguage("Russian.ini", 1049, "Russian", {"1=Odin"});
    TVxLocalizer localizer;
    localizer.Load(folder.Path(), 1033);
    localizer.SwitchLanguage(1049);
    folder.WriteLanguage("Russian.ini", 1049, "Russian", {"1=Raz"});
    localizer.SwitchLanguage(1049);
    EXPECT_EQ(localizer.GetString(1), L"Raz");
    fs::remove(folder.Path() / "Russian.ini");
    localizer.SwitchLanguage(1049);  // a vanished file loads as empty
    EXPECT_EQ(localizer.CurrentLanguageId(), 1049);
    EXPECT_EQ(localizer.GetString(1), L"One");
}

TEST(VxLocalizerTest, UnknownLanguageChangesNothingAndCallsNoListener)
{
    TLanguagesFolder folder;
    folder.WriteLanguage("English.ini", 1033, "English", {"1=One"});
    TVxLocalizer localizer;
    localizer.Load(folder.Path(), 1033);
    TListenerProbe probe;
    localizer.RegisterListener(TVxMethod<>::Bind<&TListenerProbe::Changed>(&probe));
    localizer.SwitchLanguage(1036);
    EXPECT_EQ(localizer.CurrentLanguageId(), 1033);
    EXPECT_EQ(probe.Calls, 1);
}

TEST(VxLocalizerTest, ListenersRunAtOnceThenOnEverySwitchInOrder)
{
    TLanguagesFolder folder;
    folder.WriteLanguage("English.ini", 1033, "English", {});
    folder.WriteLanguage("Russian.ini", 1049, "Russian", {});
    TVxLocalizer localizer;
    localizer.Load(folder.Path(), 1033);

    std::vector<int> order;
    struct TRecorder {
        std::vector<int>* Order;
        int Id;
        void Changed() { Order->push_back(Id); }
    };
    TRecorder first{&order, 1}, second{&order, 2};
    localizer.RegisterListener(TVxMethod<>::Bind<&TRecorder::Changed>(&first));
    localizer.RegisterListener(TVxMethod<>::Bind<&TRecorder::Changed>(&second));
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    localizer.SwitchLanguage(1049);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 1, 2}));
    localizer.UnregisterListener(TVxMethod<>::Bind<&TRecorder::Changed>(&first));
    localizer.SwitchLanguage(1033);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 1, 2, 2}));
}

TEST(VxLocalizerTest, NoLanguagesFolderGivesFallbacks)
{
    TVxLocalizer localizer;
    localizer.Load(fs::temp_directory_path() / "vx-no-such-folder" / "Languages", 1033);
    EXPECT_TRUE(localizer.Languages().empty());
    EXPECT_EQ(localizer.DefaultLanguageId(), 0);
    EXPECT_EQ(localizer.GetString(10, L"File"), L"File");
}

TEST(VxLocalizerTest, LanguagesFolderNextToTheProgramComesFirst)
{
    TTempFolder root("vx-localizer");
    const fs::path program = root.Path() / "Program";
    fs::create_directories(program);
    EXPECT_EQ(FindLanguagesFolder(program), (root.Path() / "Translations" / "Languages").lexically_normal());
    fs::create_directories(program / "Languages");
    EXPECT_EQ(FindLanguagesFolder(program), program / "Languages");
}

TEST(VxLocalizerTest, FormatLocalizedFillsOneArgument)
{
    struct TCase {
        std::wstring Pattern;
        std::wstring Expected;
    };
    const TCase cases[] = {
        {L"Cannot open \"%s\".", L"Cannot open \"a.jpg\"."},
        {L"%s", L"a.jpg"},
        {L"100%% of %s, not %s", L"100% of a.jpg, not %s"},
        {L"No argument", L"No argument"},
        {L"Trailing %", L"Trailing %"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.Pattern));
        EXPECT_EQ(FormatLocalized(c.Pattern, L"a.jpg"), c.Expected);
    }
}

// The shipped language files.

const fs::path ShippedLanguages = VELLORIA_LANGUAGES;

std::vector<std::int32_t> CitedStringNumbers()
{
    std::ifstream stream(ShippedLanguages / "string-numbers.txt");
    std::vector<std::int32_t> numbers;
    std::string line;
    while (std::getline(stream, line)) {
        std::int32_t number = 0;
        if (ParseDecimal(TrimIni(line.substr(0, line.find('#'))), number))
            numbers.push_back(number);
    }
    return numbers;
}

TEST(VxShippedLanguagesTest, EveryCitedStringIsInEveryLanguage)
{
    const std::vector<std::int32_t> numbers = CitedStringNumbers();
    ASSERT_GT(numbers.size(), 100u);
    TVxLocalizer localizer;
    localizer.Load(ShippedLanguages, 1033);
    ASSERT_EQ(localizer.Languages().size(), 2u);
    for (const TVxLanguage& language : localizer.Languages()) {
        SCOPED_TRACE(language.FileName.string());
        TVxLocalStringList strings;
        LoadStrings(language.FileName, strings);
        for (std::int32_t number : numbers) {
            const std::string* text = strings.Find(number);
            EXPECT_TRUE(text && !text->empty()) << "string " << number << " is missing";
        }
    }
}

TEST(VxShippedLanguagesTest, RussianIsStoredInCodePage1251)
{
    std::ifstream stream(ShippedLanguages / "Russian.ini", std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
    ASSERT_FALSE(bytes.empty());
    EXPECT_FALSE(bytes.starts_with("\xEF\xBB\xBF"));
    const TVxLanguageFile file = TVxLanguageFile::FromLines(SplitLines(bytes));
    EXPECT_EQ(file.ReadInteger("Language", "CodePage", 0), 1251);
    EXPECT_EQ(file.ReadInteger("Language", "LangId", 0), 1049);
    // The same bytes converted to UTF-8 with a byte-order mark read the same.
    std::string utf8;
    ASSERT_TRUE(CodePageToUtf8(1251, bytes, utf8));
    const TVxLanguageFile converted = TVxLanguageFile::FromLines(SplitLines("\xEF\xBB\xBF" + utf8));
    for (std::int32_t number : CitedStringNumbers()) {
        SCOPED_TRACE(number);
        EXPECT_EQ(file.ReadValue("Strings", std::to_string(number)), converted.ReadValue("Strings", std::to_string(number)));
    }
    EXPECT_EQ(Utf8ToWide(file.ReadValue("Strings", "10").value_or("")), L"&\x0424\x0430\x0439\x043B");  // "&Файл"
}

TEST(VxShippedLanguagesTest, OneArgumentStringsHaveExactlyOnePlaceholder)
{
    TVxLocalizer localizer;
    localizer.Load(ShippedLanguages, 1033);
    for (const TVxLanguage& language : localizer.Languages()) {
        SCOPED_TRACE(language.FileName.string());
        localizer.SwitchLanguage(language.LanguageId);
        for (std::int32_t number : {94, 164, 1030}) {
            SCOPED_TRACE(number);
            const std::wstring text = localizer.GetString(number);
            const std::size_t first = text.find(L"%s");
            ASSERT_NE(first, std::wstring::npos);
            EXPECT_EQ(text.find(L"%s", first + 1), std::wstring::npos);
        }
    }
}

}  // namespace
