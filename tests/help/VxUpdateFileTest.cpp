#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "help/VxUpdateFile.h"

namespace {

const TVxUpdateProduct Russian{"Velloria", "2.2.12", "Russian", "Shareware"};

std::string Offered(const std::string& file)
{
    return FindOfferedVersion(file, UpdateSectionNames(Russian));
}

TEST(VxUpdateFileTest, CandidateSectionsMostSpecificFirst)
{
    const std::vector<std::string> expected = {"Velloria-Russian-Shareware", "Velloria-Shareware", "Velloria-Russian",
                                               "Velloria"};
    EXPECT_EQ(UpdateSectionNames(Russian), expected);
}

TEST(VxUpdateFileTest, FirstCandidateWithAVersionWins)
{
    struct TCase {
        const char* Name;
        std::string File;
        std::string Version;
    };
    const TCase cases[] = {
        {"exact section", "[Velloria]\nVersion=2.0\n[Velloria-Russian-Shareware]\nVersion=2.3.1\n", "2.3.1"},
        {"falls back to the product", "[Other]\nVersion=9\n[Velloria]\nVersion = 2.2.13 \r\n", "2.2.13"},
        {"edition before language", "[Velloria-Russian]\nVersion=3\n[Velloria-Shareware]\nVersion=4\n", "4"},
        {"section without Version is passed over", "[Velloria-Russian-Shareware]\nDate=1\n[Velloria]\nVersion=5\n", "5"},
        {"empty Version is passed over", "[Velloria-Shareware]\nVersion=\n[Velloria]\nVersion=6\n", "6"},
        {"case of names does not matter", "[velloria-russian-SHAREWARE]\nversion=7\n", "7"},
        {"no matching section", "[Other]\nVersion=9\n", ""},
        {"empty file", "", ""},
        {"garbage", std::string("\0\xFF[\x80]=\n=\n[[", 12), ""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(Offered(c.File), c.Version);
    }
}

TEST(VxUpdateFileTest, BytesPastTheBoundAreNotRead)
{
    std::string padded = "[Velloria]\n";
    padded.append(VxMaxUpdateFileSize - padded.size(), ';');
    EXPECT_EQ(Offered(padded + "\nVersion=9\n"), "");
    EXPECT_EQ(Offered("[Velloria]\nVersion=9\n" + std::string(VxMaxUpdateFileSize, ';')), "9");
}

TEST(VxUpdateFileTest, OnlyANewerPlausibleVersionIsAnUpdate)
{
    struct TCase {
        const char* Offered;
        bool Newer;
    };
    const TCase cases[] = {
        {"2.2.13", true},
        {"2.3", true},
        {"2.2.9", false},  // older by number though larger as characters
        {"2.2.12", false},
        {"", false},
        {"3.0 beta", false},  // not a version text
        {"\x7F" "3", false},
        {"3.000000000000000000000000000000001", false},  // longer than any version
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Offered);
        EXPECT_EQ(IsNewerVersion("2.2.12", c.Offered), c.Newer);
    }
}

TEST(VxUpdateFileTest, QueryAddressCarriesTheLocalTime)
{
    std::tm time{};
    time.tm_mday = 5;
    time.tm_mon = 0;
    time.tm_year = 2026 - 1900;
    time.tm_hour = 7;
    time.tm_min = 8;
    time.tm_sec = 9;
    EXPECT_EQ(UpdateQueryAddress("http://127.0.0.1:8080/update.ini", time),
              "http://127.0.0.1:8080/update.ini?05012026070809");
    EXPECT_EQ(UpdateQueryAddress("http://host/u.ini?lang=ru", time), "http://host/u.ini?lang=ru&05012026070809");
}

}  // namespace
