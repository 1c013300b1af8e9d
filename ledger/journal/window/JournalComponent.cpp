#include "ledger/journal/window/JournalComponent.h"

#include "engine/core/EngineLog.h"
#include "ledger/journal/PartyRecord.h"
#include "ledger/journal/window/JournalDialog.h"

#include <QApplication>

namespace nv {

void JournalComponent::BindMembers(Binder& b)
{
    b.Method("fcFrmOp", [](JournalComponent& self, Args a) { return self.fcFrmOp(a[0], a[1], a[2], a[3]); });
}

Variant JournalComponent::fcFrmOp(const Variant& appFolder, const Variant& menuMode, const Variant& settings,
                                  const Variant& party)
{
    JournalEntry entry;
    try {
        entry = OpenJournalEntry(side_, appFolder, menuMode, settings, party);
    } catch (const AutomationError&) {
        throw;
    } catch (const std::exception& e) {
        LogLine("Journal", "渡された引数で開けません: " + LogText(e));
        throw AutomationError(CTL_E_TYPEMISMATCH, e.what());
    }
    if (!entry.AppFolderPath.empty() && entry.AppFolderPath.back() != '/') entry.AppFolderPath += '/';
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        throw AutomationError(CTL_E_ILLEGALFUNCTIONCALL, "画面を表示できるアプリケーションがありません。");
    JournalDialog dialog(std::move(entry));
    try {
        dialog.Load();
    } catch (const std::exception& e) {
        // The caller gets the message only: the database's own words stay here.
        LogLine("Journal", LogText(e));
        throw AutomationError(CTL_E_ILLEGALFUNCTIONCALL, e.what());
    }
    dialog.exec();
    return Variant("");
}

Dispatch* CreatePurchaseJournal()
{
    return new JournalComponent(JournalSide::Purchases);
}

Dispatch* CreateSalesJournal()
{
    return new JournalComponent(JournalSide::Sales);
}

} // namespace nv
