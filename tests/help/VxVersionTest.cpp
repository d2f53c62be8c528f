#include <gtest/gtest.h>

#include <string>

#include "help/VxVersion.h"

namespace {

struct TVersionCase {
    const char* Older;
    const char* Newer;
};

// Each pair in both orders: the first is older than the second.
const TVersionCase OrderedPairs[] = {
    {"2.2.9", "2.2.12"},       // numbers, not characters: the fault of a plain string comparison
    {"2.2.12", "2.3"},
    {"2.9", "2.10"},
    {"1.99.99", "2.0"},
    {"2.2", "2.2.1"},
    {"2.2", "2.2.0"},          // a missing part is older than any part
    {"0009", "10"},            // leading zeros do not count
    {"2.2.12", "2.2.123456789012345678901234567890"},  // no overflow on long parts
    {"2.2.beta", "2.2.rc"},    // text parts compare as text
    {"2.2.1", "2.2.a"},        // a digit sorts before a letter in text comparison
    {"", "0"},
};

TEST(VxVersionTest, OlderComparesLowerBothWays)
{
    for (const TVersionCase& c : OrderedPairs) {
        SCOPED_TRACE(std::string(c.Older) + " < " + c.Newer);
        EXPECT_LT(CompareVersions(c.Older, c.Newer), 0);
        EXPECT_GT(CompareVersions(c.Newer, c.Older), 0);
    }
}

TEST(VxVersionTest, EqualVersions)
{
    const TVersionCase equalPairs[] = {
        {"2.2.12", "2.2.12"}, {" 2.2.12\r\n", "2.2.12"}, {"2.02.012", "2.2.12"}, {"2.2.Beta", "2.2.beta"}, {"", ""},
    };
    for (const TVersionCase& c : equalPairs) {
        SCOPED_TRACE(std::string(c.Older) + " = " + c.Newer);
        EXPECT_EQ(CompareVersions(c.Older, c.Newer), 0);
        EXPECT_EQ(CompareVersions(c.Newer, c.Older), 0);
    }
}

}  // namespace
