// Every class answers for every property id as it did before the property
// tables: the account in property_tables.txt was written by the classes'
// earlier switches. And every table row's field agrees with the id's type.
#include "engine/model/PropertyDump.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace nv {
namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(PropertyTables, AnswerAsTheEarlierSwitchesDid)
{
    std::ifstream in(NV_SOURCE_DIR "/tests/engine/model/property_tables.txt", std::ios::binary);
    ASSERT_TRUE(in);
    std::stringstream expected;
    expected << in.rdbuf();
    const std::vector<std::string> want = Lines(expected.str());
    const std::vector<std::string> got = Lines(propdump::DumpAll());
    for (size_t i = 0; i < std::min(want.size(), got.size()); ++i) ASSERT_EQ(got[i], want[i]) << "line " << i + 1;
    EXPECT_EQ(got.size(), want.size());
}

// A field's kind matches the id's value type: 16-bit fields carry type 1,
// strings types 3 and 7, numbers type 2 (or 6, the picture length).
TEST(PropertyTables, FieldsAgreeWithTheTypeTable)
{
    const std::unique_ptr<TvObject> objects[] = {
        std::make_unique<TvText>(),    std::make_unique<TvData>(),      std::make_unique<TvTextField>(),
        std::make_unique<TvList>(),    std::make_unique<TvLine>(),      std::make_unique<TvBox>(),
        std::make_unique<TvCircle>(),  std::make_unique<TvArc>(),       std::make_unique<TvPolygon>(),
        std::make_unique<TvImage>(),   std::make_unique<TvImageField>(), std::make_unique<TvOle>(),
        std::make_unique<TvBarcode>(),
    };
    for (const auto& o : objects) {
        for (const ObjectPropertyTable* t = &o->Properties(); t; t = t->Parent()) {
            for (size_t g = 0; g < ObjectPropertyTable::kMaxGroups; ++g) {
                for (const ObjectPropertyTable::Row& r : t->Group(g)) {
                    SCOPED_TRACE(std::string(o->GetRuntimeClass().name) + " id " + std::to_string(r.id));
                    const int32_t type = GetPropertyType(r.id);
                    // The one id with a field but no type: the type table has no
                    // entry for the field number.
                    if (r.id == propFieldNumber) {
                        EXPECT_EQ(type, propTypeNone);
                        continue;
                    }
                    switch (r.field) {
                    case PropertyField::none: break;
                    case PropertyField::shortValue:
                    case PropertyField::shortInLong: EXPECT_EQ(type, propTypeShort); break;
                    case PropertyField::text:
                        EXPECT_TRUE(type == propTypeString || type == propTypeFile) << type;
                        break;
                    case PropertyField::int32:
                    case PropertyField::color: EXPECT_TRUE(type == propTypeLong || type == propTypeSpecial) << type; break;
                    }
                }
            }
        }
    }
}

} // namespace
} // namespace nv
