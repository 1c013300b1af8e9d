#pragma once
// One party's fiscal-year journal: its lines of the period held in memory,
// edited cell by cell, balanced, and saved in one transaction that writes
// only the rows that changed. Both sides run the same code; the side's words
// name the tables and columns.
#include "ledger/common/FiscalPeriod.h"
#include "ledger/common/StatusText.h"
#include "ledger/journal/JournalLine.h"
#include "ledger/journal/PartyRecord.h"
#include "platform/db/Database.h"

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace nv {

inline constexpr const char* kStatusWorking = "データ処理中";
inline constexpr const char* kStatusSearchDone = "検索終了";
inline constexpr const char* kStatusSearchFailed = "検索失敗";
inline constexpr const char* kStatusWorkDone = "データ処理終了";
inline constexpr const char* kNoCarryForwardMessage =
    "繰越の計算が実行されていません。自社登録の繰越の計算を実行してください。";
inline constexpr const char* kBusyMessage =
    "補助簿DBを他で使用中のため保存できませんでした。しばらくしてからもう一度保存してください。";
inline constexpr const char* kChangedElsewhereMessage =
    "他の画面で変更された行があるため保存できませんでした。再表示してから入力し直してください。";
inline constexpr const char* kReadOthersLinesMessage =
    "他の画面で保存された行を読み込み直してから、残高を計算しました。";

class JournalBook {
public:
    // Throws std::invalid_argument when the settings hold no fiscal period.
    JournalBook(Database& db, const JournalEntry& entry, StatusBarPanels* status = nullptr);

    const SideWords& Words() const { return words_; }
    const FiscalPeriod& Period() const { return period_; }
    const PartyRecord& Party() const { return party_; }

    // The party's lines of the period from the database, replacing the list
    // and dropping its edits. On failure the list is empty, the status says
    // "検索失敗" and the error goes on: nothing is shown or balanced.
    void SearchPeriod();

    const std::vector<JournalLine>& Lines() const { return lines_; }
    // The new line offered after the last one; not a line of the list, and
    // never stored, until something is typed into it.
    const std::optional<JournalLine>& NewLine() const { return newLine_; }
    // Index of the new line for SetCell (one past the list).
    size_t NewLineIndex() const { return lines_.size(); }

    // A cell typed as text; an empty text is Null. Refused with a
    // JournalError naming the column, the line unchanged.
    void SetCell(size_t index, JournalColumn column, std::string_view text);
    void DeleteLine(size_t index);

    // Offers a new line dated as the last line (else the fiscal start), with
    // the party number and データ数 one above the greatest.
    void AppendNewLine();
    // Enter or Tab in the 差引残高 cell: on the last line (or the new one) a
    // new line is offered and true returned; on any other line the caller
    // moves down one line (false).
    bool EnterOnBalanceCell(size_t index);
    // 年 from 月 and 日 on every line.
    void FixLineYears();

    // The first balance pass of an opening: search, drop lines that hold
    // nothing (never the first), an empty amount of a line with 単価 and 数量
    // filled with their product, balances, save when changed, new line. Returns the
    // message to show (the no-line message) or "".
    std::string OpenPass();
    // The balance button: as the opening pass but an empty amount stays
    // empty, and a first line of balance 0 becomes or gets the
    // carry-forward line, whatever its name. When another connection has
    // saved since the lines were read, the edits are saved first and the
    // lines read again, so the balances count every stored line. A party
    // deleted elsewhere is refused first (a JournalError naming it).
    std::string CalcRunningBalance();
    // True when the last balance button read lines another program had
    // stored or changed since this list was read.
    bool ReadOthersLines() const { return readOthersLines_; }

    // True when the list differs from what was loaded or last saved.
    bool Dirty() const;
    // Writes the party's line table, and only the rows the list changed
    // since it was loaded or last saved: a changed line is updated in its
    // own row (its 差引残高 alone when nothing else changed), a new line is
    // inserted, a line taken out of the list has its row deleted. Every row
    // keeps its id, and the list is put in journal order, the order the
    // period query reads back. All in one transaction (a savepoint inside
    // the caller's when one is open). When another connection has committed
    // since the lines were read or saved, a save of edits checks the rows it
    // writes, and a save of balances, which stand on every line, checks that
    // the party's lines of the period are still those it balanced (else
    // kChangedElsewhereMessage), and that the party is still registered.
    // The opening pass and the balance button save through here.
    // False, and nothing written, when nothing changed or the database is
    // read-only. On any failure nothing is written, the list and its edits
    // stay, and a JournalError says why.
    bool Save();

private:
    void Status(const char* text);
    JournalLine& LineAt(size_t index, bool& isNew);
    void CheckDate(const JournalLine& line, JournalColumn column) const;
    std::string BalancePass(bool button);
    void DropWhollyEmptyLines();
    void InsertCarryForward();
    void ApplyBalances(bool fillEmptyAmounts);
    void SortLines();

    // What a save writes: lines_ indexes of new and of changed lines (with
    // whether only 差引残高 changed), in list order, and row ids to delete.
    struct Pending {
        std::vector<size_t> inserts;
        std::vector<std::pair<size_t, bool>> updates;
        std::vector<int64_t> deletes;
        bool sorted = true;   // lines_ in journal order
        bool Empty() const { return inserts.empty() && updates.empty() && deletes.empty(); }
    };
    // Every line against its stored row, or only the lines touched_.
    Pending Diff() const;
    Pending TouchedDiff();
    void Compare(size_t index, Pending& p) const;
    // The line at index may now differ from its row.
    void Touch(size_t index);
    void CheckStoredRows(const Pending& p);
    void CheckStoredRow(int64_t rowId);
    void CheckPeriodRows();
    // Throws a JournalError naming the party when its row is gone.
    void CheckPartyRegistered();
    // True when no connection has committed since the list was read or last
    // checked whole, so the list holds every stored line of the period.
    bool SeesEveryStoredLine();
    std::vector<int64_t> NewRowIds(const std::vector<size_t>& inserts);

    Database& db_;
    const SideWords& words_;
    PartyRecord party_;
    FiscalPeriod period_;
    StatusBarPanels* status_;
    std::vector<JournalLine> lines_;
    std::optional<JournalLine> newLine_;
    // データ数 of the line whose 日 came from the line above and was not
    // typed since: a month typed over it keeps to the month's length.
    std::optional<int64_t> copiedDay_;
    // Lines as loaded or last saved, by row id, and the database's change
    // stamp they match. With seesAll_ they are every stored line of the
    // period at that stamp; a save that checked only its own rows after
    // another connection's commit no longer knows that.
    std::unordered_map<int64_t, JournalLine> stored_;
    Database::ChangeStamp stamp_;
    bool seesAll_ = false;
    // The balances of the list were worked out from all its lines and are
    // not saved yet.
    bool figuresOfWholeList_ = false;
    bool readOthersLines_ = false;
    // What may differ from stored_: with wholeList_ any line (a balance pass
    // sets it, as it may change every line); else only the lines at the
    // lines_ indexes touched_ (the cell edits and years), and the stored
    // rows removed_ from the list.
    bool wholeList_ = false;
    std::vector<size_t> touched_;
    std::vector<int64_t> removed_;
    // The save's statements, prepared once by the connection.
    struct SaveSql {
        std::string row, periodRows, periodLines, party, update, updateBalance, insert, remove, lowest, highest;
        std::vector<DbValue> periodParams;
    } sql_;
};

} // namespace nv
