#pragma once
// The journal components "PurchaseJournal.shiiredataClass" and
// "SalesJournal.uriagedataClass": one class, its side fixed at creation.
// fcFrmOp(strAppForda, indexMenu0, Var_自社登録, Var_仕入先 | Var_売上先)
// shows the party's journal modally and returns "" when it closes; a
// failure before the window shows is an automation error with the cause.
#include "ledger/common/JournalSide.h"
#include "platform/automation/Automation.h"

namespace nv {

#define NV_JOURNAL_MEMBERS(partyArray)                                        \
    {{1, "fcFrmOp", DISPATCH_METHOD, VT_VARIANT, nullptr, nullptr,            \
      {{{"strAppForda", VT_VARIANT, nullptr, PARAM_BYREF},                    \
        {"indexMenu0", VT_VARIANT, nullptr, PARAM_BYREF},                     \
        {"Var_自社登録", VT_VARIANT, nullptr, PARAM_BYREF},                   \
        {partyArray, VT_VARIANT, nullptr, PARAM_BYREF}}}}}
inline const MemberInfo kPurchaseJournalMembers[] = NV_JOURNAL_MEMBERS("Var_仕入先");
inline const MemberInfo kSalesJournalMembers[] = NV_JOURNAL_MEMBERS("Var_売上先");
#undef NV_JOURNAL_MEMBERS
inline const InterfaceInfo kPurchaseJournalInterface{"_shiiredataClass", nullptr, nullptr, kPurchaseJournalMembers};
inline const InterfaceInfo kSalesJournalInterface{"_uriagedataClass", nullptr, nullptr, kSalesJournalMembers};

class JournalComponent : public DispatchObject<JournalComponent> {
public:
    explicit JournalComponent(JournalSide side)
        : DispatchObject(side == JournalSide::Sales ? kSalesJournalInterface : kPurchaseJournalInterface),
          side_(side)
    {
    }
    static void BindMembers(Binder& b);

    Variant fcFrmOp(const Variant& appFolder, const Variant& menuMode, const Variant& settings,
                    const Variant& party);

private:
    JournalSide side_;
};

Dispatch* CreatePurchaseJournal();
Dispatch* CreateSalesJournal();

} // namespace nv
