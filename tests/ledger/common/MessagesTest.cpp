#include "control/typelib/TvlError.h"
#include "ledger/common/DrawErrMsg.h"
#include "ledger/common/Money.h"
#include "ledger/common/ShownFailure.h"
#include "engine/core/EngineLog.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <filesystem>
#include <functional>
#include <stdexcept>

using namespace nv;

namespace {

TEST(DrawErrMsg, EveryCodeHasItsText)
{
    const char* texts[] = {
        "正常終了",
        "タベロドキュメントファイル未オープン",
        "タベロドキュメントファイルオープン済み",
        "タベロドキュメントファイルオープンエラー",
        "タベロドキュメントファイルライトエラー",
        "タベロドキュメントファイルリードエラー",
        "プリンタ開始指定がない",
        "プリンタ出力指定済み",
        "デバイスコンテキストが有効でない",
        "プリンタが1つもインストールされていない",
        "指定されたプリンタがない",
        "プリンタデバイスコンテキスト作成失敗",
        "印刷JOB開始エラー",
        "ページ開始処理エラー",
        "ページ終了処理エラー",
        "印刷JOB終了処理エラー",
        "タベロドキュメントファイル作成エラー",
        "OLE オブジェクトの描画に失敗",
        "プリンタ制御が正常に行われなかった",
        "プリンタ制御エラー",
        "描画オブジェクトの描画に失敗",
        "フォームのサイズが印刷可能な範囲内でない",
        "用紙登録の権限がない",
    };
    for (int32_t code = 0; code >= -22; --code) EXPECT_EQ(gfDrawErrMsg(code), texts[-code]) << code;
    EXPECT_EQ(tvlErrAddFormDenied, -22);
    EXPECT_EQ(tvlErrStartDoc, -12);
}

TEST(DrawErrMsg, UnknownCodesNameTheCode)
{
    EXPECT_NE(gfDrawErrMsg(1).find("1"), std::string::npos);
    EXPECT_NE(gfDrawErrMsg(-23).find("-23"), std::string::npos);
}

TEST(Money, UnitPriceTimesQuantityRoundsHalfToEven)
{
    EXPECT_EQ(YenAmount(0.5, 1), 0);
    EXPECT_EQ(YenAmount(1.5, 1), 2);
    EXPECT_EQ(YenAmount(2.5, 1), 2);
    EXPECT_EQ(YenAmount(-2.5, 1), -2);
    EXPECT_EQ(YenAmount(-3.5, 1), -4);
    EXPECT_EQ(YenAmount(12.5, 3), 38);     // 37.5 -> 38
    EXPECT_EQ(YenAmount(10.5, 5), 52);     // 52.5 -> 52
    EXPECT_EQ(YenAmount(100, 2.49), 249);
    EXPECT_EQ(YenAmount(1980, 12), 23760);
    EXPECT_EQ(YenAmount(0.1, 0.1), 0);
    EXPECT_THROW(YenAmount(1e300, 1e300), std::range_error);
    EXPECT_THROW(YenAmount(1e16, 1), std::range_error);
}

// A screen shows a failure's own words, and the log gets its cause as well:
// the database engine's English and our refused calls only there.
TEST(ShownFailure, APersonReadsJapaneseTheLogTheCause)
{
    nvtest::TempDir dir;
    std::filesystem::create_directory(dir.file("folder.MDB"));
    const struct {
        std::function<void()> fail;
        std::string shown;  // the start of what the screen says
        std::string logged; // a part of the log line only
    } rows[] = {
        {[] { Database().Execute("DELETE FROM 品名"); }, "内部の誤りのため", "misuse: database is not open"},
        {[&] { Database::Open(dir.file("folder.MDB")).Query("SELECT 1"); }, "データベースファイル", "unable to open database file"},
        {[] { throw std::runtime_error("設定ファイルを読めません"); }, "設定ファイルを読めません", ""},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.shown);
        try {
            r.fail();
            ADD_FAILURE() << "no failure";
        } catch (const std::exception& e) {
            const std::string shown = ShownFailure("Test", e);
            EXPECT_EQ(shown.rfind(r.shown, 0), 0u) << shown;
            const std::string line = RecentLogLines().back();
            EXPECT_EQ(line.rfind("Test: " + shown, 0), 0u) << line;
            EXPECT_NE(line.find(r.logged), std::string::npos) << line;
            if (!r.logged.empty()) {
                EXPECT_EQ(shown.find(r.logged), std::string::npos) << shown;
            }
        }
    }
}

} // namespace
