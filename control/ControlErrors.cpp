#include "control/ControlErrors.h"

namespace nv {

namespace {

const ControlString kTexts[] = {
    {1, "Tavelo Inkplate Control"},
    {2, "Tavelo Inkplate Property Page"},
    {20000, "ﾌｫｰﾑﾌｧｲﾙにｱｸｾｽできません。"},
    {20003, "有効なﾌﾟﾛﾊﾟﾃｨではありません。"},
    {20005, "値が不正です。(hDC)"},
    {20006, "不正なｵﾌﾞｼﾞｪｸﾄが指定されました。"},
    {20007, "ﾌﾟﾘﾝﾀの情報が取得できません。"},
    {20008, "ｸﾛｰｽﾞされているﾌｫｰﾑに対してｱｸｾｽしようとしました。"},
    {20010, "値が不正です。(Direction)"},
    {20011, "値が不正です。(Unit)"},
    {20014, "値が不正です。(LineStyle)"},
    {20015, "値が不正です。(FillPattern)"},
    {20016, "ﾌｫｰﾑﾌｧｲﾙが見つかりません。"},
    {20017, "ｵﾌﾞｼﾞｪｸﾄは単独で使用する事ができません。"},
    {20018, "不正なﾌｫﾝﾄ名が指定されました。"},
    {20019, "値が不正です。(CharacterRatio)"},
    {20021, "値が不正です。（UnderLine もしくは DeleteLine）"},
    {20022, "値が不正です。(AdjustType)"},
    {20024, "値が不正です。(Angle)"},
    {20025, "ﾌﾟﾘﾝﾀﾄﾞﾗｲﾊﾞがｻﾎﾟｰﾄしていません。"},
    {20027, "ｲﾝﾃﾞｯｸｽが有効範囲にありません。"},
    {20028, "値が不正です。(ArcType)"},
    {20029, "ｱｸﾃｨﾌﾞﾚｲﾔがLPﾓｰﾄﾞです。"},
    {20030, "ｲﾒｰｼﾞﾌｧｲﾙが見つかりません。"},
    {20031, "ｲﾒｰｼﾞﾌｧｲﾙにｱｸｾｽできません。"},
    {20032, "これ以上描画順を変更する事ができません。"},
    {20033, "値が不正です。(BarcodeType)"},
    {20034, "ﾊﾞｰｺｰﾄﾞﾃﾞｰﾀの文字数が不正です。"},
    {20035, "ﾊﾞｰｺｰﾄﾞﾃﾞｰﾀに不正な文字が含まれています。"},
    {20038, "値が不正です。(PolyType)"},
    {20039, "値が不正です。(Alignment)"},
    {20040, "座標、幅、高さの値が不正です。"},
    {20041, "値が不正です。(BarWidth)"},
    {20042, "値が不正です。(ReplaceCharacter)"},
    {20043, "文字の高さ、幅が不正です。"},
    {20044, "未対応形式のｲﾒｰｼﾞﾌｧｲﾙが指定されました。"},
    {20045, "Printer は変更できません。"},
    {20046, "値が不正です。(Text)"},
};

const ControlErrorEntry kEntries[] = {
    {int32_t(0x800A0005), 20005},
    {int32_t(0x800A0005), 20010},
    {int32_t(0x800A0005), 20014},
    {int32_t(0x800A0005), 20015},
    {int32_t(0x800A0005), 20021},
    {int32_t(0x800A0005), 20022},
    {int32_t(0x800A0005), 20024},
    {int32_t(0x800A0005), 20027},
    {int32_t(0x800A0005), 20028},
    {int32_t(0x800A0005), 20029},
    {int32_t(0x800A0005), 20032},
    {int32_t(0x800A0005), 20033},
    {int32_t(0x800A0005), 20034},
    {int32_t(0x800A0005), 20035},
    {int32_t(0x800A0005), 20039},
    {int32_t(0x800A0005), 20041},
    {int32_t(0x800A0035), 20016},
    {int32_t(0x800A0035), 20030},
    {int32_t(0x800A004B), 20000},
    {int32_t(0x800A004B), 20031},
    {int32_t(0x800A017C), 20006},
    {int32_t(0x800A017C), 20010},
    {int32_t(0x800A017C), 20014},
    {int32_t(0x800A017C), 20015},
    {int32_t(0x800A017C), 20019},
    {int32_t(0x800A017C), 20021},
    {int32_t(0x800A017C), 20022},
    {int32_t(0x800A017C), 20024},
    {int32_t(0x800A017C), 20028},
    {int32_t(0x800A017C), 20038},
    {int32_t(0x800A017C), 20039},
    {int32_t(0x800A017C), 20041},
    {int32_t(0x800A017C), 20011},
    {int32_t(0x800A017C), 20018},
    {int32_t(0x800A017C), 20034},
    {int32_t(0x800A017C), 20035},
    {int32_t(0x800A017C), 20040},
    {int32_t(0x800A017C), 20042},
    {int32_t(0x800A017C), 20043},
    {int32_t(0x800A017C), 20045},
    {int32_t(0x800A017C), 20046},
    {int32_t(0x800A017D), 20027},
    {int32_t(0x800A01A6), 20003},
    {int32_t(0x800A01E2), 20007},
    {int32_t(0x800A01E2), 20025},
    {int32_t(0x800A03E8), 20008},
    {int32_t(0x800A03E9), 20017},
    {int32_t(0x800A03EA), 20044},
};
} // namespace

std::span<const ControlString> ControlStringTable()
{
    return kTexts;
}

std::span<const ControlErrorEntry> ControlErrorTable()
{
    return kEntries;
}

const char* ControlErrorText(int32_t id)
{
    for (const auto& t : kTexts)
        if (t.id == id) return t.text;
    return "";
}

AutomationError ControlError(HRESULT scode, int32_t id)
{
    return AutomationError(scode, ControlErrorText(id), id, "Tavelo.Inkplate");
}

void ThrowControlError(HRESULT scode, int32_t id)
{
    throw ControlError(scode, id);
}

} // namespace nv
