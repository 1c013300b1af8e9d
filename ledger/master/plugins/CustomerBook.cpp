#include "ledger/master/PartyRegisterEntry.h"

NV_DEFINE_PLUGIN({"CustomerBook.uriagesakiClass", nullptr, "uriagesakiClass", nullptr, &nv::CreateCustomerBook})
