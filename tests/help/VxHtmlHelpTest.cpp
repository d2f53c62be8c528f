#include <gtest/gtest.h>

#include "help/VxHtmlHelp.h"

namespace {

HMODULE NoControl() { return nullptr; }

// A library without the HtmlHelpW entry: the control's name on a system DLL.
HMODULE WrongLibrary() { return LoadLibraryW(L"kernel32.dll"); }

TEST(VxHtmlHelpTest, MissingControlOrEntryIsReportedNotCalled)
{
    for (TVxHtmlHelp::TLoader loader : {&NoControl, &WrongLibrary}) {
        TVxHtmlHelp help(loader);
        EXPECT_FALSE(help.Load());
        EXPECT_EQ(help.Show(nullptr, L"C:\\nowhere\\Velloria.chm", 0), nullptr);
        EXPECT_EQ(help.Show(nullptr, L"C:\\nowhere\\Velloria.chm", 20), nullptr);
    }
}

TEST(VxHtmlHelpTest, SystemControlIsFound)
{
    TVxHtmlHelp help;
    EXPECT_TRUE(help.Load());
}

}  // namespace
