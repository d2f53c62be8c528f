// The TWAIN component against the platform's data source manager. Under Wine here the
// manager is Wine's twain_32.dll with its gphoto2 source and no camera attached; Debian's
// Wine has no SANE bridge (sane.ds), so no picture can be acquired in this test: it checks
// what the manager can show and that a failed acquisition leaves nothing behind.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/VxTempFolder.h"
#include "twain/VxTwain.h"

namespace {

TEST(VxTwainTest, ManagerLoadsAndListsItsSources)
{
    TVxTwain twain;
    ASSERT_TRUE(twain.Available()) << "no TWAIN data source manager in the system folder";
    const std::vector<std::wstring> names = twain.SourceNames(GetDesktopWindow());
    for (const std::wstring& name : names)
        EXPECT_FALSE(name.empty());
    EXPECT_LE(names.size(), 64u);
    std::printf("TWAIN sources: %zu\n", names.size());
}

TEST(VxTwainTest, AcquiringFromAMissingSourceFailsAndWritesNothing)
{
    TTempFolder folder("vx-twain");
    const std::filesystem::path file = folder.Path() / L"scan.bmp";
    TVxTwain twain;
    ASSERT_TRUE(twain.Available());
    EXPECT_FALSE(twain.Acquire(GetDesktopWindow(), L"No Such Scanner", file));
    EXPECT_FALSE(twain.Busy());
    EXPECT_FALSE(std::filesystem::exists(file));
}

}  // namespace
