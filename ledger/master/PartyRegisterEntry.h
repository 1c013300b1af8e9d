#pragma once
// The register components "SupplierBook.shiiresakiClass" and
// "CustomerBook.uriagesakiClass": one class, its side fixed at creation.
// fcFrmOp(strAppForda, indexMenu0, Var_自社登録) shows the register modally
// and returns "" when it closes.
#include "ledger/common/JournalSide.h"
#include "platform/automation/Automation.h"

namespace nv {

inline const MemberInfo kPartyRegisterMembers[] = {
    {1, "fcFrmOp", DISPATCH_METHOD, VT_VARIANT, nullptr, nullptr,
     {{{"strAppForda", VT_VARIANT, nullptr, PARAM_BYREF},
       {"indexMenu0", VT_VARIANT, nullptr, PARAM_BYREF},
       {"Var_自社登録", VT_VARIANT, nullptr, PARAM_BYREF}}}},
};
inline const InterfaceInfo kPartyRegisterInterface{"_PartyRegister", nullptr, nullptr, kPartyRegisterMembers};

class PartyRegisterComponent : public DispatchObject<PartyRegisterComponent> {
public:
    explicit PartyRegisterComponent(JournalSide side) : DispatchObject(kPartyRegisterInterface), side_(side) {}
    static void BindMembers(Binder& b);

    Variant fcFrmOp(Variant& appFolder, Variant& menuMode, Variant& settings);

private:
    JournalSide side_;
};

Dispatch* CreateSupplierBook();
Dispatch* CreateCustomerBook();

} // namespace nv
