#include "ledger/master/CompanyClass.h"

NV_DEFINE_PLUGIN({"FirmProfile.companyClass", nullptr, "companyClass", nullptr, &nv::CreateCompanyClass})
