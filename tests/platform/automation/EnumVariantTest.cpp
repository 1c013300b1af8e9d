#include "platform/automation/Automation.h"

#include <gtest/gtest.h>

using namespace nv;

namespace {

std::vector<Variant> Numbers(int n)
{
    std::vector<Variant> v;
    for (int i = 0; i < n; ++i) v.emplace_back(int32_t(i));
    return v;
}

} // namespace

TEST(EnumVariant, NextCopiesWhatIsLeft)
{
    Ref<CEnumVariant> e = MakeRef<CEnumVariant>(Numbers(4));
    EXPECT_EQ(e->Skip(2), S_OK);
    Variant out[5];
    uint32_t fetched = 99;
    EXPECT_EQ(e->Next(5, out, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 2u);
    EXPECT_EQ(out[0].I4(), 2);
    EXPECT_EQ(out[1].I4(), 3);
    EXPECT_TRUE(out[2].IsEmpty());
    EXPECT_EQ(e->Next(1, out, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
    EXPECT_EQ(e->Skip(1), S_FALSE);
    EXPECT_EQ(e->Reset(), S_OK);
    EXPECT_EQ(e->Next(1, out, nullptr), S_OK);
    EXPECT_EQ(out[0].I4(), 0);
    EXPECT_EQ(e->Skip(9), S_FALSE);
    EXPECT_EQ(e->Cursor(), 4u);
}

TEST(EnumVariant, CloneKeepsTheCursor)
{
    Ref<CEnumVariant> e = MakeRef<CEnumVariant>(Numbers(3));
    e->Skip(1);
    EnumVariant* raw = nullptr;
    ASSERT_EQ(e->Clone(&raw), S_OK);
    Ref<EnumVariant> c = Ref<EnumVariant>::Adopt(raw);
    Variant out;
    EXPECT_EQ(c->Next(1, &out, nullptr), S_OK);
    EXPECT_EQ(out.I4(), 1);
    EXPECT_EQ(e->Next(1, &out, nullptr), S_OK);
    EXPECT_EQ(out.I4(), 1);
    EXPECT_EQ(e->QueryInterface(kIID_IEnumVARIANT), static_cast<EnumVariant*>(e.Get()));
}
