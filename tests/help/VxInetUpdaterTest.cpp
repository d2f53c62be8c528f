#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <string>

#include "help/VxInetUpdater.h"
#include "help/VxLoopbackServer.h"
#include "support/VxTempFolder.h"

namespace {

const TVxUpdateProduct Russian{"Velloria", "2.2.12", "Russian", "Shareware"};

// Short limits so a silent server fails the check quickly.
TVxUpdateLimits ShortLimits()
{
    TVxUpdateLimits limits;
    limits.StepTimeoutMs = 700;
    limits.TotalTimeoutMs = 2000;
    return limits;
}

// The temporary folder of this process points into a folder of the test, so the test sees
// every "~" file the check leaves behind.
class VxInetUpdaterTest : public testing::Test {
protected:
    void SetUp() override
    {
        wchar_t old[MAX_PATH + 1] = {};
        GetEnvironmentVariableW(L"TMP", old, MAX_PATH + 1);
        FOldTmp = old;
        SetEnvironmentVariableW(L"TMP", (FTemp.Path().wstring() + L"\\").c_str());
    }
    void TearDown() override { SetEnvironmentVariableW(L"TMP", FOldTmp.empty() ? nullptr : FOldTmp.c_str()); }

    bool TemporaryFolderEmpty() const { return std::filesystem::is_empty(FTemp.Path()); }

    TTempFolder FTemp{"vx-update"};
    std::wstring FOldTmp;
};

struct TServerCase {
    const char* Name;
    TVxLoopbackServer::TMode Mode;
    std::string Body;
    TVxDownloadResult Result;
    std::string Version;
};

TEST_F(VxInetUpdaterTest, ServerAnswersAreReadAndTheTemporaryFileGoes)
{
    const std::string fallbackOnly = "[Velloria-English]\r\nVersion=9.9\r\n[Velloria]\r\nVersion=2.2.9\r\n";
    const TServerCase cases[] = {
        {"exact section", TVxLoopbackServer::smAnswer, "[Velloria-Russian-Shareware]\nVersion=2.3.0\n", TVxDownloadResult::drOk, "2.3.0"},
        {"fallback section", TVxLoopbackServer::smAnswer, fallbackOnly, TVxDownloadResult::drOk, "2.2.9"},
        {"no section", TVxLoopbackServer::smAnswer, "[Other]\nVersion=5\n", TVxDownloadResult::drOk, ""},
        {"garbage body", TVxLoopbackServer::smAnswer, std::string("\x00\xFF\xFE[[=\n\x80", 8), TVxDownloadResult::drOk, ""},
        {"not found", TVxLoopbackServer::smMissing, "", TVxDownloadResult::drFailed, ""},
        {"garbage instead of HTTP", TVxLoopbackServer::smGarbage, "\x16\x03\x01 no http here\r\n\r\n[Velloria]\r\nVersion=9\r\n",
         TVxDownloadResult::drFailed, ""},
        {"too large", TVxLoopbackServer::smAnswer, "[Velloria]\nVersion=9\n" + std::string(VxMaxUpdateFileSize, ';'),
         TVxDownloadResult::drTooLarge, ""},
        {"never answers", TVxLoopbackServer::smSilent, "", TVxDownloadResult::drTimedOut, ""},
        {"drips slower than the whole limit", TVxLoopbackServer::smDrip, "[Velloria]\nVersion=9\n", TVxDownloadResult::drTimedOut, ""},
    };
    for (const TServerCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TVxLoopbackServer server(c.Mode, c.Body);
        const TVxInetUpdater updater(Russian, server.Address(L"/update.ini"), ShortLimits());
        EXPECT_EQ(static_cast<int>(updater.Result()), static_cast<int>(c.Result));
        EXPECT_EQ(updater.Version(), c.Version);
        EXPECT_TRUE(TemporaryFolderEmpty()) << "a ~ file was left in the temporary folder";
    }
}

TEST_F(VxInetUpdaterTest, FallbackOfferOfAnOlderVersionIsNoUpdate)
{
    TVxLoopbackServer server(TVxLoopbackServer::smAnswer, "[Velloria]\nVersion=2.2.9\n");
    const TVxInetUpdater updater(Russian, server.Address(L"/update.ini"), ShortLimits());
    ASSERT_EQ(updater.Version(), "2.2.9");
    EXPECT_FALSE(IsNewerVersion("2.2.12", updater.Version()));
    EXPECT_TRUE(IsNewerVersion("2.2.8", updater.Version()));
}

TEST_F(VxInetUpdaterTest, RequestCarriesTheDateSoNoCacheAnswers)
{
    TVxLoopbackServer server(TVxLoopbackServer::smAnswer, "[Velloria]\nVersion=3\n");
    const TVxInetUpdater updater(Russian, server.Address(L"/files/update.ini"), ShortLimits());
    const std::vector<std::string> lines = server.RequestLines();
    ASSERT_EQ(lines.size(), 1u);
    const std::string& line = lines.front();
    const std::string prefix = "GET /files/update.ini?";
    ASSERT_EQ(line.compare(0, prefix.size(), prefix), 0) << line;
    const std::string stamp = line.substr(prefix.size(), 14);
    EXPECT_EQ(stamp.find_first_not_of("0123456789"), std::string::npos) << line;
    EXPECT_EQ(line.substr(prefix.size() + 14), " HTTP/1.1") << line;
}

TEST_F(VxInetUpdaterTest, AddressThatIsNoWebAddressFails)
{
    for (const wchar_t* address : {L"", L"update.ini", L"ftp://127.0.0.1/update.ini", L"file:///C:/update.ini"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(address)));
        const TVxInetUpdater updater(Russian, address, ShortLimits());
        EXPECT_EQ(static_cast<int>(updater.Result()), static_cast<int>(TVxDownloadResult::drFailed));
        EXPECT_TRUE(updater.Version().empty());
        EXPECT_TRUE(TemporaryFolderEmpty());
    }
}

}  // namespace
