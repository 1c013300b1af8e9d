// The register's buttons: search, add, register, delete, journal.
#include "engine/core/EngineLog.h"
#include "ledger/master/HandOffArrays.h"
#include "ledger/master/PartyRegisterDialog.h"
#include "platform/automation/Automation.h"
#include "platform/ui/Prompt.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTableView>

namespace nv {

void PartyRegisterDialog::OnSearch()
{
    const QString field = searchField_->currentText();
    const QString op = operator_->currentText();
    const QString value = searchValue_->text();
    if (field.isEmpty() || op.isEmpty() || value.isEmpty()) {
        SetPanelText(1, "検索条件を設定してください");
        return;
    }
    if (!ResolvePendingNew() || !SaveRow(CurrentRow())) return;
    SetPanelText(1, "データ処理中");
    repaint();
    try {
        RecordSource src = book_->SearchRows(field.toStdString(), op.toStdString(), value.toStdString(),
                                             sort_->currentText().toStdString());
        Recordset rs = db_.OpenRecordset(src);
        moving_ = true;
        model_.Load(rs);
        moving_ = false;
        source_ = std::move(src);
        addPending_ = false;
        SelectRow(0);
        SetPanelText(1, "検索終了");
    } catch (const std::exception& e) {
        LogLine("PartyRegister", LogText(e));
        moving_ = false;
        SetPanelText(1, "検索失敗");
    }
    grid_->setFocus();
}

void PartyRegisterDialog::OnAdd()
{
    if (int r = NewRow(); r >= 0) {
        SelectRow(r);
        Field(0)->setFocus();
        return;
    }
    if (!SaveRow(CurrentRow())) return;
    int64_t next = 0;
    try {
        next = book_->NextNumber();
    } catch (const std::exception& e) {
        ReportFailure(e);
        return;
    }
    std::vector<DbValue> values(kPartyColumnCount);
    values[kPartyNo] = next;
    values[kClosingDay] = RowTableModel::ValueOf(QString::fromStdString(CompanyClosingDayText(settings_, side_)));
    moving_ = true;
    int row = model_.AppendRow(std::move(values));
    grid_->setCurrentIndex(model_.index(row, kName));
    moving_ = false;
    FillFields();
    grid_->setFocus();
    Field(0)->setFocus();
    addPending_ = true;
}

void PartyRegisterDialog::OnRegister()
{
    if (Field(9)->text().isEmpty()) {
        ui::MessageBox("登録時繰越金額を入力してください。", ui::MbOk);
        Field(9)->setFocus();
        return;
    }
    if (!addPending_ || NewRow() < 0) {
        ui::MessageBox("追加を最初にクリックしてください。", ui::MbOk);
        return;
    }
    RegisterNew();
}

void PartyRegisterDialog::OnDelete()
{
    int r = CurrentRow();
    if (r < 0) return;
    if (!model_.RowAt(r).id) {
        DiscardNew();
        SelectRow(r > 0 ? r - 1 : 0);
        return;
    }
    const RegisterWords& rw = RegisterWordsOf(side_);
    QString question = QString(rw.Who) + "　" + RowTableModel::TextOf(model_.Value(r, kName)) + " とその" +
                       rw.JournalWord + "を削除してもよろしいですか？";
    if (ui::Ask(question, ui::Buttons::OkCancel, ui::Answer::Cancel, this) != ui::Answer::Ok) return;
    try {
        book_->DeleteRow(*model_.RowAt(r).id);
        Reload(std::nullopt);
    } catch (const std::exception& e) {
        ReportFailure(e);
        return;
    }
    SelectRow(r > 0 ? r - 1 : 0);
    grid_->setFocus();
}

void PartyRegisterDialog::OnData()
{
    if (CurrentRow() < 0) return;
    if (!ResolvePendingNew()) return;
    int r = CurrentRow();
    if (r < 0 || !model_.RowAt(r).id || !SaveRow(r)) return;
    try {
        Variant folder(appFolder_);
        Variant mode(static_cast<int16_t>(words_.MenuMode));
        Variant settings = SettingsArrayOf(settings_);
        Variant party = sPartyFromRecord(words_, ParsePartyTexts(words_, RowTexts(r)));
        ObjectRef journal = CreateObject(words_.ProgId);
        std::vector<Variant> args{Variant::ByRef(&folder), Variant::ByRef(&mode), Variant::ByRef(&settings),
                                  Variant::ByRef(&party)};
        journal.CallArgs("fcFrmOp", args);
    } catch (const std::exception& e) {
        ReportFailure(e);
    }
    try {
        Setup();
    } catch (const std::exception& e) {
        ReportFailure(e);
    }
}

void PartyRegisterDialog::ReportFailure(const std::exception& e)
{
    ui::MessageBox(QString::fromStdString(DescribeFailure(e)), ui::MbOk | ui::MbIconExclamation);
}

} // namespace nv
