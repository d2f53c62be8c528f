#include <gtest/gtest.h>

#include "settings/VxProperties.h"
#include "settings/VxSDF.h"

namespace {

class TCounted final : public IVxUnknown {
public:
    void AddRef() override { ++References; }
    void Release() override { --References; }
    int References = 1;
};

}  // namespace

TEST(VxPropertiesTest, SetKeepsPositionOfAnExistingRecord)
{
    TVxCustomProperties p;
    p.SetInteger(10, 1);
    p.SetReal(20, 2.5);
    p.SetString(30, "three");
    p.SetInteger(20, 99);
    ASSERT_EQ(p.Count(), 3);
    EXPECT_EQ(p.IndexOf(20), 1);
    EXPECT_EQ(std::get<std::int32_t>(p.GetVariant(1)), 99);
    EXPECT_EQ(std::get<std::string>(p.GetVariant(2)), "three");
    EXPECT_EQ(p.IndexOf(40), -1);
}

TEST(VxPropertiesTest, VariantsByType)
{
    TVxCustomProperties p;
    p.SetInteger(1, -5);
    p.SetReal(2, 0.25);
    p.SetString(3, "");
    const std::uint8_t raw[2] = {1, 2};
    p.Set(4, sdfBinary, 2, raw);
    EXPECT_EQ(std::get<std::int32_t>(p.GetVariant(0)), -5);
    EXPECT_EQ(std::get<double>(p.GetVariant(1)), 0.25);
    EXPECT_EQ(std::get<std::string>(p.GetVariant(2)), "");
    EXPECT_TRUE(std::holds_alternative<std::monostate>(p.GetVariant(3)));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(p.GetVariant(-1)));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(p.GetVariant(4)));
}

TEST(VxPropertiesTest, DeleteClearAndAssign)
{
    TVxCustomProperties a;
    a.SetInteger(1, 1);
    a.SetInteger(2, 2);
    a.SetInteger(3, 3);
    a.Delete(2);
    ASSERT_EQ(a.Count(), 2);
    EXPECT_EQ(a.IndexOf(3), 1);
    TVxCustomProperties b;
    b.SetString(9, "gone");
    b.Assign(a);
    ASSERT_EQ(b.Count(), 2);
    EXPECT_EQ(b.Item(0).Identifier, 1u);
    EXPECT_EQ(b.Item(1).Identifier, 3u);
    a.Clear();
    EXPECT_EQ(a.Count(), 0);
    EXPECT_EQ(b.Count(), 2);
}

TEST(VxPropertiesTest, InterfaceReferencesAreReleased)
{
    TCounted object;
    {
        TVxProperties p;
        p.SetInterface(1, &object);
        EXPECT_EQ(object.References, 2);
        EXPECT_EQ(p.GetInterface(0), &object);
        TVxProperties copy;
        copy.Assign(p);
        EXPECT_EQ(object.References, 3);
        p.SetInteger(1, 0);  // replacing the record releases the old value
        EXPECT_EQ(object.References, 2);
    }
    EXPECT_EQ(object.References, 1);
}
