#include "ledger/master/CompanyClass.h"

#include "ledger/common/ModuleGlobal.h"
#include "ledger/master/CompanyForm.h"
#include "platform/ui/Prompt.h"

#include <QApplication>

namespace nv {

void CompanyClass::BindMembers(Binder& b)
{
    b.Method("fcFrmOp", [](CompanyClass& self, Args a) { return self.fcFrmOp(a[0], a[1], a[2]); });
}

Variant CompanyClass::fcFrmOp(Variant& appFolder, Variant& /*menuMode*/, Variant& settings)
{
    Variant& array = settings.Deref();
    if (!array.IsArray() || array.Array().items.empty())
        throw AutomationError(CTL_E_TYPEMISMATCH, "Var_自社登録は配列ではありません。");
    Variant& element0 = array.Array().items[0];
    ModuleGlobal g;
    g.AppFolderPath = appFolder.ToString();
    if (!g.AppFolderPath.empty() && g.AppFolderPath.back() != '/') g.AppFolderPath += '/';
    const std::string name = element0.Deref().IsEmpty() ? std::string() : element0.Deref().ToString();
    if (Utf8CharCount(TrimRight(name)) > kDatabaseNameWidth)
        throw AutomationError(CTL_E_ILLEGALFUNCTIONCALL, "データベース名が50文字を超えています。");
    g.Settings.DatabaseName = FixedText(TrimRight(name), kDatabaseNameWidth);
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        throw AutomationError(CTL_E_ILLEGALFUNCTIONCALL, "画面を表示できるアプリケーションがありません。");
    CompanyForm form(g);
    if (!form.LoadNotice().isEmpty()) ui::Warn(form.LoadNotice(), &form);
    form.exec();
    element0.Deref() = Variant(g.Settings.DatabaseName);
    return Variant("");
}

Dispatch* CreateCompanyClass()
{
    return new CompanyClass;
}

} // namespace nv
