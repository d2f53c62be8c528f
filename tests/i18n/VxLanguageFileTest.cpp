#include <gtest/gtest.h>

#include "i18n/VxCodePage.h"
#include "i18n/VxLanguageFile.h"
#include "support/VxTempFolder.h"

namespace {

// "Файл" and "Выход" in code page 1251 and in UTF-8.
const std::string FileCp1251 = "\xD4\xE0\xE9\xEB";
const std::string FileUtf8 = "\xD0\xA4\xD0\xB0\xD0\xB9\xD0\xBB";
const std::string ExitCp1251 = "\xC2\xFB\xF5\xEE\xE4";
const std::string ExitUtf8 = "\xD0\x92\xD1\x8B\xD1\x85\xD0\xBE\xD0\xB4";

TEST(VxCodePageTest, Cp1251LettersBecomeUtf8)
{
    struct TCase {
        std::string Bytes;
        std::string Utf8;
    };
    const TCase cases[] = {
        {FileCp1251, FileUtf8},
        {ExitCp1251, ExitUtf8},
        {"\xA8\xB8", "\xD0\x81\xD1\x91"},  // Ё ё
        {"\xB9", "\xE2\x84\x96"},          // №
        {"abc 123", "abc 123"},
        {"\x98", "\xEF\xBF\xBD"},  // the one hole of the code page
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Utf8);
        std::string utf8;
        ASSERT_TRUE(CodePageToUtf8(1251, c.Bytes, utf8));
        EXPECT_EQ(utf8, c.Utf8);
    }
}

TEST(VxCodePageTest, Cp1251RoundTripsThroughWideText)
{
    std::string all;
    for (int b = 0xC0; b <= 0xFF; ++b)
        all += static_cast<char>(b);
    std::string utf8;
    ASSERT_TRUE(CodePageToUtf8(1251, all, utf8));
    const std::wstring wide = Utf8ToWide(utf8);
    ASSERT_EQ(wide.size(), 64u);
    for (std::size_t i = 0; i < wide.size(); ++i)
        EXPECT_EQ(static_cast<unsigned>(wide[i]), 0x410 + i);
    EXPECT_EQ(WideToUtf8(wide), utf8);
}

TEST(VxCodePageTest, UnknownCodePageIsRefused)
{
    std::string utf8 = "unchanged";
    EXPECT_FALSE(CodePageToUtf8(437, "\x80", utf8));
    EXPECT_EQ(utf8, "unchanged");
}

TEST(VxCodePageTest, BrokenUtf8DecodesToReplacementCharacters)
{
    struct TCase {
        std::string Utf8;
        std::wstring Wide;
    };
    const TCase cases[] = {
        {"a\xD0", L"a\xFFFD"},          // truncated
        {"\xC0\x80", L"\xFFFD"},  // overlong
        {"\xFF" "b", L"\xFFFD" L"b"},
        {"\xED\xA0\x80", L"\xFFFD"},  // encoded surrogate
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.Utf8));
        EXPECT_EQ(Utf8ToWide(c.Utf8), c.Wide);
    }
}

TEST(VxCodePageTest, SupplementaryCharacterSurvivesWideText)
{
    const std::string utf8 = "\xF0\x9F\x98\x80";
    EXPECT_EQ(WideToUtf8(Utf8ToWide(utf8)), utf8);
}

TEST(VxLanguageFileTest, ParsesSectionsKeysAndComments)
{
    const TVxLanguageFile file = TVxLanguageFile::FromLines({
        "orphan=1",
        "  [ Language ]  ",
        "; a comment",
        "",
        "LangId =  1033 ",
        "\tLanguage=English\t",
        "[strings]",
        "10 = File",
        "novalue",
        "[Language]",
        "LangId=9",
    });
    EXPECT_EQ(file.SectionCount(), 3u);
    EXPECT_EQ(file.ReadInteger("LANGUAGE", "langid", 0), 1033);  // the first of two sections wins
    EXPECT_EQ(file.ReadValue("Language", "Language").value_or("?"), "English");
    EXPECT_EQ(file.ReadValue("Strings", "10").value_or("?"), "File");
    EXPECT_FALSE(file.ReadValue("Strings", "novalue").has_value());
    EXPECT_FALSE(file.ReadValue("", "orphan").has_value());
}

TEST(VxLanguageFileTest, BomAndCodePageGiveTheSameText)
{
    const TVxLanguageFile withBom = TVxLanguageFile::FromLines({"\xEF\xBB\xBF[Strings]", "10=" + FileUtf8, "23=" + ExitUtf8});
    const TVxLanguageFile withCodePage = TVxLanguageFile::FromLines({"[Language]", "CodePage=1251", "[Strings]", "10=" + FileCp1251, "23=" + ExitCp1251});
    for (const char* key : {"10", "23"}) {
        SCOPED_TRACE(key);
        EXPECT_EQ(withBom.ReadValue("Strings", key), withCodePage.ReadValue("Strings", key));
    }
    EXPECT_EQ(withBom.ReadValue("Strings", "10").value_or(""), FileUtf8);
}

TEST(VxLanguageFileTest, CodePageRules)
{
    struct TCase {
        const char* Name;
        std::vector<std::string> Lines;
        std::string Expected;
    };
    const TCase cases[] = {
        {"code page in another section", {"[Strings]", "1=" + FileCp1251, "[Other]", "codepage = 1251"}, FileUtf8},
        {"zero code page is no code page", {"[Language]", "CodePage=0", "[Strings]", "1=" + FileUtf8}, FileUtf8},
        {"first non-zero code page wins", {"[A]", "CodePage=0", "CodePage=1251", "CodePage=65001", "[Strings]", "1=" + FileCp1251}, FileUtf8},
        {"bom beats code page", {"\xEF\xBB\xBF[Language]", "CodePage=1251", "[Strings]", "1=" + FileUtf8}, FileUtf8},
        {"no mark, no code page: bytes as they are", {"[Strings]", "1=" + FileUtf8}, FileUtf8},
        {"unknown code page: bytes as they are", {"[Language]", "CodePage=874", "[Strings]", "1=abc"}, "abc"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(TVxLanguageFile::FromLines(c.Lines).ReadValue("Strings", "1").value_or("?"), c.Expected);
    }
}

TEST(VxLanguageFileTest, ParseDecimalAcceptsOnlyWholeNumbers)
{
    struct TCase {
        const char* Text;
        bool Valid;
        std::int32_t Value;
    };
    const TCase cases[] = {
        {"12", true, 12}, {"+7", true, 7}, {"-3", true, -3}, {"0", true, 0},
        {"2147483647", true, 2147483647}, {"-2147483648", true, INT32_MIN},
        {"12a", false, 0}, {"", false, 0}, {"-", false, 0}, {"1 2", false, 0},
        {"2147483648", false, 0}, {"99999999999999999999", false, 0}, {"0x10", false, 0},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Text);
        std::int32_t value = 0;
        EXPECT_EQ(ParseDecimal(c.Text, value), c.Valid);
        if (c.Valid) {
            EXPECT_EQ(value, c.Value);
        }
    }
}

TEST(VxLanguageFileTest, SplitLinesHandlesBothLineEnds)
{
    EXPECT_EQ(SplitLines("a\r\nb\nc"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(SplitLines(""), std::vector<std::string>{});
    EXPECT_EQ(SplitLines("x\n\n"), (std::vector<std::string>{"x", ""}));
}

// Bytes of every value, with the characters that mean something to the parser
// ("[", "]", "=", ";", line ends, a byte-order mark's bytes) made frequent.
TEST(VxLanguageFileTest, GarbageNeverBreaksTheParser)
{
    const char alphabet[] = "[]=;\r\n \t0123456789CodePage\xEF\xBB\xBF\xD0\xFF";
    std::uint32_t seed = 1;
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE(round);
        std::string bytes;
        const int length = round * 7 % 400;
        for (int i = 0; i < length; ++i) {
            seed = seed * 1664525u + 1013904223u;
            const std::uint32_t pick = seed >> 16;
            bytes += (pick & 1) ? alphabet[pick % (sizeof alphabet - 1)] : static_cast<char>(pick >> 8);
        }
        if (round % 3 == 0)
            bytes = "[Language]\nCodePage=1251\n[Strings]\n" + bytes;
        const std::vector<std::string> lines = SplitLines(bytes);
        const TVxLanguageFile file = TVxLanguageFile::FromLines(lines);
        EXPECT_LE(file.SectionCount(), lines.size());
        for (const TVxIniLine& line : file.SectionLines("Strings")) {
            std::int32_t id = 0;
            if (ParseDecimal(line.Key, id)) {
                EXPECT_FALSE(Utf8ToWide(line.Value).empty() && !line.Value.empty());
            }
        }
    }
}

TEST(VxLanguageFileTest, MissingFileIsEmpty)
{
    const TTempFolder folder("vx-language-file");
    const TVxLanguageFile file = TVxLanguageFile::FromFile(folder.Path() / "no-such-language-file.ini");
    EXPECT_EQ(file.SectionCount(), 0u);
    EXPECT_TRUE(file.SectionLines("Strings").empty());
}

}  // namespace
