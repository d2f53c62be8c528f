#include <gtest/gtest.h>

#include "settings/VxMethodList.h"

namespace {

struct TListener {
    int Calls = 0;
    int Last = 0;
    void Changed(int value)
    {
        ++Calls;
        Last = value;
    }
    void Other(int) {}
};

}  // namespace

TEST(VxMethodListTest, AddCallAndRemoveFromTheEnd)
{
    TListener a, b;
    TVxMethodList<int> list;
    const auto aChanged = TVxMethod<int>::Bind<&TListener::Changed>(&a);
    EXPECT_EQ(list.Add(aChanged), 0);
    EXPECT_EQ(list.Add(TVxMethod<int>::Bind<&TListener::Changed>(&b)), 1);
    EXPECT_EQ(list.Add(aChanged), 2);
    for (int i = 0; i < list.Count(); ++i)
        list.Get(i)(7);
    EXPECT_EQ(a.Calls, 2);
    EXPECT_EQ(b.Last, 7);

    EXPECT_EQ(list.Remove(aChanged), 2);  // the last equal entry goes first
    EXPECT_EQ(list.Remove(TVxMethod<int>::Bind<&TListener::Other>(&a)), -1);  // same object, other code
    EXPECT_EQ(list.Remove(aChanged), 0);
    EXPECT_EQ(list.Remove(aChanged), -1);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Get(0).Object, &b);
}
