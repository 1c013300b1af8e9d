#include "ledger/common/JournalSide.h"

namespace nv {

const SideWords& PurchaseWords()
{
    static const SideWords words{JournalSide::Purchases, 1, "仕入れデータ", "仕入れ先", "仕入先No", "仕入先名",
                                 "仕入金額", "支払金額", "仕入帳", "当月仕入", "当月支払", "Currency",
                                 "仕入元帳.tvd", "仕入縦.tvd", "仕入横.tvd", "F1_仕入データ", "Var_仕入先",
                                 "PurchaseJournal.shiiredataClass", "仕入帳(&L)", "仕入張のプレビューと印刷",
                                 "仕入張印刷", "仕入先画面へ戻る"};
    return words;
}

const SideWords& SalesWords()
{
    static const SideWords words{JournalSide::Sales, 2, "売上げデータ", "売上げ先", "売上先No", "売上先名",
                                 "売上金額", "受入金額", "売上帳", "当月売上", "当月入金", "currency",
                                 "売上元帳.tvd", "売上縦.tvd", "売上横.tvd", "F1_売上データ", "Var_売上先",
                                 "SalesJournal.uriagedataClass", "売上帳(&L)", "売上帳のプレビューと印刷",
                                 "売上帳印刷", "売上先画面へ戻る"};
    return words;
}

const SideWords& WordsOf(JournalSide side)
{
    return side == JournalSide::Sales ? SalesWords() : PurchaseWords();
}

std::optional<JournalSide> SideOfMenuMode(int menuMode)
{
    if (menuMode == 1) return JournalSide::Purchases;
    if (menuMode == 2) return JournalSide::Sales;
    return std::nullopt;
}

} // namespace nv
