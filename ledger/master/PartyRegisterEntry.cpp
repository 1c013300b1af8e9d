#include "ledger/master/PartyRegisterEntry.h"

#include "ledger/common/CompanySettings.h"
#include "ledger/common/EntryVariants.h"
#include "ledger/master/PartyRegisterDialog.h"

#include <QApplication>

namespace nv {

void PartyRegisterComponent::BindMembers(Binder& b)
{
    b.Method("fcFrmOp", [](PartyRegisterComponent& self, Args a) { return self.fcFrmOp(a[0], a[1], a[2]); });
}

Variant PartyRegisterComponent::fcFrmOp(Variant& appFolder, Variant& menuMode, Variant& settings)
{
    std::string folder = appFolder.ToString();
    if (folder.empty() || folder.back() != '/') folder += '/';
    menuMode.ToInteger();   // must be a number; the side's own mode goes on to the journal
    CompanySettings record;
    try {
        UnpackSettingsArray(EntryArrayOf(settings, "Var_自社登録"), record);
    } catch (const EntryError& e) {
        throw AutomationError(CTL_E_TYPEMISMATCH, e.what());
    }
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        throw AutomationError(CTL_E_ILLEGALFUNCTIONCALL, "画面を表示できるアプリケーションがありません。");
    PartyRegisterDialog dialog(side_, folder, record);
    if (dialog.Open()) dialog.exec();
    return Variant("");
}

Dispatch* CreateSupplierBook()
{
    return new PartyRegisterComponent(JournalSide::Purchases);
}

Dispatch* CreateCustomerBook()
{
    return new PartyRegisterComponent(JournalSide::Sales);
}

} // namespace nv
