#include "ledger/common/CompanySettings.h"
#include "ledger/journal/PartyRecord.h"

#include <gtest/gtest.h>

using namespace nv;

namespace {

Variant SettingsVariant()
{
    CompanySettings s;
    s.StartYear = 2005, s.StartMonth = 4, s.StartDay = 1, s.EndYear = 2006, s.EndMonth = 3, s.EndDay = 31;
    std::vector<Variant> items;
    for (const SettingsValue& v : MakeSettingsArray(s)) {
        if (auto f = std::get_if<float>(&v)) items.emplace_back(*f);
        else if (auto t = std::get_if<std::string>(&v)) items.emplace_back(*t);
        else items.emplace_back();
    }
    return MakeArray(std::move(items));
}

// The register's party array: 12 values and a 13th Empty element.
std::vector<Variant> PartyItems()
{
    return {Variant(7.0f),          Variant("ｱ"),        Variant("やまだ"),   Variant("山田商店"),
            Variant("100-0001"),    Variant("東京都"),   Variant("03-1111"), Variant("03-2222"),
            Variant("２０日"),      Variant("末日"),     Variant("翌月末"),  Variant(int32_t{120000}),
            Variant()};
}

} // namespace

TEST(JournalEntry, UnpacksTheRegistersArraysOnBothSides)
{
    for (JournalSide side : {JournalSide::Purchases, JournalSide::Sales}) {
        Variant settings = SettingsVariant();
        Variant party = MakeArray(PartyItems());
        Variant mode(int16_t(side == JournalSide::Sales ? 2 : 1));
        JournalEntry e = OpenJournalEntry(side, Variant("/data/nivalo/"), Variant::ByRef(&mode),
                                          Variant::ByRef(&settings), Variant::ByRef(&party));
        EXPECT_EQ(e.AppFolderPath, "/data/nivalo/");
        EXPECT_EQ(e.MenuMode, side == JournalSide::Sales ? 2 : 1);
        EXPECT_EQ(e.ResultValue, "");
        EXPECT_EQ(e.Settings.StartYear, 2005.0f);
        EXPECT_EQ(e.Party.PartyNo, 7);
        EXPECT_EQ(e.Party.Name, FixedText("山田商店", 50));
        EXPECT_EQ(e.Party.ClosingDay, FixedText("２０日", 10));
        EXPECT_EQ(e.Party.CarryForward, 120000);
        // The caller's arrays are only read.
        EXPECT_EQ(party.Deref().Array().items[3].Str(), "山田商店");
    }
}

TEST(JournalEntry, RefusesWhatDoesNotConvert)
{
    Variant settings = SettingsVariant();
    auto open = [&](std::vector<Variant> party, int mode = 1) {
        return OpenJournalEntry(JournalSide::Purchases, Variant("/x/"), Variant(int16_t(mode)), settings,
                                MakeArray(std::move(party)));
    };
    struct {
        size_t index;
        Variant value;
        const char* named;
    } bad[] = {
        {0, Variant("abc"), "仕入先No"}, {0, Variant(7.5), "仕入先No"},     {0, Variant(1e300), "仕入先No"},
        {11, Variant("abc"), "繰越金額"}, {11, Variant(1e20), "繰越金額"}, {3, Variant::Null(), "Var_仕入先(3)"},
        {12, Variant("x"), "Var_仕入先"},
    };
    for (auto& b : bad) {
        std::vector<Variant> items = PartyItems();
        items[b.index] = b.value;
        try {
            open(items);
            ADD_FAILURE() << b.named;
        } catch (const EntryError& e) {
            EXPECT_NE(std::string(e.what()).find(b.named), std::string::npos) << e.what();
        }
    }
    std::vector<Variant> shorter = PartyItems();
    shorter.resize(11);
    EXPECT_THROW(open(shorter), EntryError);
    std::vector<Variant> twelve = PartyItems();
    twelve.resize(12);
    EXPECT_EQ(open(twelve).Party.PartyNo, 7);
    std::vector<Variant> wide = PartyItems();
    wide[0] = Variant("４００００");
    wide[3] = Variant(std::string(60, 'x'));
    JournalEntry e = open(wide);
    EXPECT_EQ(e.Party.PartyNo, 40000);
    EXPECT_EQ(e.Party.Name, std::string(50, 'x'));   // a register text is cut to its width
    EXPECT_THROW(open(PartyItems(), 2), std::invalid_argument);
    EXPECT_THROW(open(PartyItems(), 3), std::invalid_argument);
    EXPECT_THROW(OpenJournalEntry(JournalSide::Sales, Variant("/x/"), Variant(int16_t(1)), settings,
                                  MakeArray(PartyItems())),
                 std::invalid_argument);
    EXPECT_THROW(OpenJournalEntry(JournalSide::Purchases, Variant("/x/"), Variant(int16_t(1)), Variant("no"),
                                  MakeArray(PartyItems())),
                 EntryError);
}
