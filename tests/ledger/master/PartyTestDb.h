#pragma once
// A ledger database for the register tests: fiscal year 2005/4/1-2006/3/31,
// closing days "末日" and "２０日", suppliers 1, 2, 7 ("上田物産", with lines in
// 2004-2006) and customers 1, 7 (7 with lines).
#include "ledger/common/CompanySettings.h"
#include "ledger/common/LedgerSchema.h"
#include "platform/db/Database.h"
#include "support/TempDir.h"

#include <string>

namespace nvtest {

inline nv::CompanySettings RegisterSettings()
{
    nv::CompanySettings s;
    s.OwnerName = nv::FixedText("山田太郎", nv::kOwnerNameWidth);
    s.StartYear = 2005, s.StartMonth = 4, s.StartDay = 1;
    s.EndYear = 2006, s.EndMonth = 3, s.EndDay = 31;
    s.PurchaseClosingDay = "末日";
    s.SalesClosingDay = "２０日";
    return s;
}

struct PartyTestDb {
    TempDir dir;
    std::string folder = dir.path().string() + "/";
    std::string path = dir.file("補助簿DB.MDB");
    nv::Database db;

    PartyTestDb()
    {
        nv::CreateEmptyLedgerDatabase(path);
        db = nv::OpenLedgerDatabase(path);
        db.ExecuteScript(
            "INSERT INTO 仕入れ先 (仕入先No, 検索キー, ふりがな, 仕入先名, 〆切期日, 繰越金額) VALUES"
            " (1, 'ｱ', 'あおきしょうじ', 'ABC商事', '末日', 1000),"
            " (2, 'ｲ', 'いとうや', '伊藤屋', '２０日', 2000),"
            " (7, 'ｳ', 'うえだぶっさん', '上田物産', '末日', 7000);"
            "INSERT INTO 売上げ先 (売上先No, 検索キー, ふりがな, 売上先名, 〆切期日, 繰越金額) VALUES"
            " (1, 'ｶ', 'かとう', '加藤商会', '２０日', 500),"
            " (7, 'ｷ', 'きむら', '木村百貨', '２０日', 700);"
            "INSERT INTO 仕入れデータ (仕入先No, データ数, 年, 月, 日, 品名, 差引残高) VALUES"
            " (7, 0, 2004, 4, 1, '前期繰越金額', 7000), (7, 1, 2005, 4, 1, '前期繰越金額', 7000),"
            " (7, 2, 2006, 2, 3, '材料', 7500), (2, 0, 2005, 4, 1, '前期繰越金額', 2000);"
            "INSERT INTO 売上げデータ (売上先No, データ数, 年, 月, 日, 品名, 差引残高) VALUES"
            " (7, 0, 2005, 4, 1, '前期繰越金額', 700), (7, 1, 2005, 6, 1, '品物', 900);");
    }

    // Every table's rows in row-id order, for "nothing changed" checks.
    std::string Snapshot()
    {
        std::string s;
        for (const char* t : {"仕入れ先", "売上げ先", "仕入れデータ", "売上げデータ"}) {
            s += std::string("#") + t + "\n";
            for (const auto& row : db.Query(std::string("SELECT _rowid_, * FROM \"") + t + "\" ORDER BY _rowid_")) {
                for (const nv::DbValue& v : row) {
                    if (auto i = std::get_if<int64_t>(&v)) s += std::to_string(*i);
                    else if (auto d = std::get_if<double>(&v)) s += std::to_string(*d);
                    else if (auto x = std::get_if<std::string>(&v)) s += "'" + *x + "'";
                    else s += "N";
                    s += ",";
                }
                s += "\n";
            }
        }
        return s;
    }
};

} // namespace nvtest
