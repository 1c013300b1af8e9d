#include "control/ControlErrors.h"

#include <gtest/gtest.h>
#include <set>

using namespace nv;

TEST(ControlErrors, TextsAndStatusesAsTheControlRaisesThem)
{
    struct Row {
        uint32_t scode;
        int32_t number;
        int32_t id;
        const char* text;
    };
    const Row rows[] = {
        {0x800A0005, 5, 20005, "値が不正です。(hDC)"},
        {0x800A0005, 5, 20021, "値が不正です。（UnderLine もしくは DeleteLine）"},
        {0x800A0005, 5, 20027, "ｲﾝﾃﾞｯｸｽが有効範囲にありません。"},
        {0x800A017D, 381, 20027, "ｲﾝﾃﾞｯｸｽが有効範囲にありません。"},
        {0x800A0005, 5, 20034, "ﾊﾞｰｺｰﾄﾞﾃﾞｰﾀの文字数が不正です。"},
        {0x800A017C, 380, 20034, "ﾊﾞｰｺｰﾄﾞﾃﾞｰﾀの文字数が不正です。"},
        {0x800A0005, 5, 20035, "ﾊﾞｰｺｰﾄﾞﾃﾞｰﾀに不正な文字が含まれています。"},
        {0x800A017C, 380, 20035, "ﾊﾞｰｺｰﾄﾞﾃﾞｰﾀに不正な文字が含まれています。"},
        {0x800A0035, 53, 20016, "ﾌｫｰﾑﾌｧｲﾙが見つかりません。"},
        {0x800A004B, 75, 20000, "ﾌｫｰﾑﾌｧｲﾙにｱｸｾｽできません。"},
        {0x800A017C, 380, 20019, "値が不正です。(CharacterRatio)"},
        {0x800A017C, 380, 20038, "値が不正です。(PolyType)"},
        {0x800A017C, 380, 20045, "Printer は変更できません。"},
        {0x800A01A6, 422, 20003, "有効なﾌﾟﾛﾊﾟﾃｨではありません。"},
        {0x800A01E2, 482, 20025, "ﾌﾟﾘﾝﾀﾄﾞﾗｲﾊﾞがｻﾎﾟｰﾄしていません。"},
        {0x800A03E8, 1000, 20008, "ｸﾛｰｽﾞされているﾌｫｰﾑに対してｱｸｾｽしようとしました。"},
        {0x800A03E9, 1001, 20017, "ｵﾌﾞｼﾞｪｸﾄは単独で使用する事ができません。"},
        {0x800A03EA, 1002, 20044, "未対応形式のｲﾒｰｼﾞﾌｧｲﾙが指定されました。"},
    };
    std::set<std::pair<HRESULT, int32_t>> table;
    for (const ControlErrorEntry& e : ControlErrorTable()) table.insert({e.scode, e.id});
    EXPECT_EQ(table.size(), ControlErrorTable().size());
    for (const Row& r : rows) {
        SCOPED_TRACE(r.id);
        EXPECT_TRUE(table.count({int32_t(r.scode), r.id}));
        AutomationError e = ControlError(int32_t(r.scode), r.id);
        EXPECT_EQ(e.Number(), r.number);
        EXPECT_EQ(e.Description(), r.text);
        EXPECT_EQ(e.HelpContext(), r.id);
        EXPECT_EQ(e.Source(), "Tavelo.Inkplate");
    }
    EXPECT_STREQ(ControlErrorText(1), "Tavelo Inkplate Control");
    EXPECT_STREQ(ControlErrorText(2), "Tavelo Inkplate Property Page");
    for (int32_t id : {20001, 20002, 20004, 20009, 20012, 20013, 20020, 20023, 20026, 20036, 20037})
        EXPECT_STREQ(ControlErrorText(id), "") << id;
    EXPECT_EQ(ControlStringTable().size(), 38u);
    EXPECT_EQ(ControlErrorTable().size(), 48u);
}
