#pragma once
// The own-company component "FirmProfile.companyClass".
// fcFrmOp(strAppForda, indexMenu, Var_自社登録) shows the settings modally;
// element 0 of the array carries the database name in and out (50
// characters, blank-filled). Returns "".
#include "platform/automation/Automation.h"

namespace nv {

inline const MemberInfo kCompanyClassMembers[] = {
    {1, "fcFrmOp", DISPATCH_METHOD, VT_VARIANT, nullptr, nullptr,
     {{{"strAppForda", VT_VARIANT, nullptr, PARAM_BYREF},
       {"indexMenu", VT_VARIANT, nullptr, PARAM_BYREF},
       {"Var_自社登録", VT_VARIANT, nullptr, PARAM_BYREF}}}},
};
inline const InterfaceInfo kCompanyClassInterface{"_CompanyClass", nullptr, nullptr, kCompanyClassMembers};

class CompanyClass : public DispatchObject<CompanyClass> {
public:
    CompanyClass() : DispatchObject(kCompanyClassInterface) {}
    static void BindMembers(Binder& b);

    Variant fcFrmOp(Variant& appFolder, Variant& menuMode, Variant& settings);
};

Dispatch* CreateCompanyClass();

} // namespace nv
